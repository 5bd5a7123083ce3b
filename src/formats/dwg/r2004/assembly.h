#pragma once
// Gathers the named sections the object reader needs from their pages, whatever the container.

#include "formats/core/bytesource.h"
#include "formats/core/recentlyused.h"
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

// Where one page's bytes go in its section: [begin, end), from a page of at most `limit` bytes.
struct PageExtent {
    std::size_t page; // index into the section's pages
    std::uint64_t begin, end, limit;
};

// A section read a page at a time as its bytes are asked for, the last few pages decompressed kept:
// the objects of a large drawing are never held whole, and pages holding nothing asked for are
// never decompressed. Bytes no page gives read as zeros; a page that cannot be read is reported
// once, in `warnings`, which must outlive this.
class PagedSection final : public ByteSource {
public:
    // False when the section's pages overlap: only a whole assembly says which page wins.
    bool open(const SectionInfo& section, PageReader readPage, std::vector<std::string>& warnings);
    std::uint64_t size() const override { return m_section.size; }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    struct Extent : PageExtent {
        Extent(const PageExtent& e) : PageExtent(e) {}
        bool reported = false;
    };
    const std::vector<std::uint8_t>& data(std::size_t extent);

    static constexpr std::size_t kKept = 4;
    SectionInfo m_section;
    PageReader m_readPage;
    std::vector<std::string>* m_warnings = nullptr;
    std::vector<Extent> m_extents;                                      // in order, none overlapping
    RecentlyUsed<std::size_t, std::vector<std::uint8_t>, kKept> m_kept; // by extent
};

// AcDb:Header, AcDb:Classes and AcDb:Handles into `out`, and AcDb:AcDbObjects as a source read
// page by page.
ContainerResult assembleSections(const SectionDirectory& dir, const PageReader& readPage, const GeometryLimits& limits,
                                 PagedDrawing& out);

// The 2004 data page: a 32-byte header masked with the page's offset, then the compressed data.
bool readPage2004(ByteSource& file, const SectionInfo& section, const SectionPage& page, std::size_t limit,
                  std::vector<std::uint8_t>& data, std::string& why, std::vector<std::string>& warnings);

} // namespace dsc::dwg
