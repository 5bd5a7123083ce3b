#pragma once
// Gathers the named sections the object reader needs from their pages, whatever the container.

#include "formats/core/bytesource.h"
#include "formats/dwg/geometry.h"
#include "formats/dwg/r2004/pageddrawing.h"
#include "formats/dwg/r2004/sectiondirectory.h"

#include <functional>
#include <string>
#include <vector>

namespace dsc::dwg {

// Reads one page's data, decompressed, into `data` (at most `limit` bytes); false with `why` when
// the page cannot be had. Checks that fail without losing the data go to `warnings`.
using PageReader =
    std::function<bool(const SectionInfo&, const SectionPage&, std::size_t limit, std::vector<std::uint8_t>& data,
                       std::string& why, std::vector<std::string>& warnings)>;

// One section, its pages placed at their start offsets; pages that cannot be read stay zero and are
// reported. False when the section is larger than `budget`.
bool assembleSection(const SectionInfo& section, const PageReader& readPage, std::uint64_t budget,
                     std::vector<std::uint8_t>& out, std::vector<std::string>& warnings);

// AcDb:Header, AcDb:Classes, AcDb:Handles and AcDb:AcDbObjects into `out`.
ContainerResult assembleSections(const SectionDirectory& dir, const PageReader& readPage, const GeometryLimits& limits,
                                 PagedDrawing& out);

// The 2004 data page: a 32-byte header masked with the page's offset, then the compressed data.
bool readPage2004(ByteSource& file, const SectionInfo& section, const SectionPage& page, std::size_t limit,
                  std::vector<std::uint8_t>& data, std::string& why, std::vector<std::string>& warnings);

} // namespace dsc::dwg
