#pragma once
// A drawing of release 2004 or later opened as the sections its objects are read from. The
// container gathers each named section from its compressed pages; the object reader then works on
// `sections` alone, whose `objects` reads the objects' pages as they are asked for: from the file
// given to the container, which must outlive the PagedDrawing.

#include "formats/core/bytesource.h"
#include "formats/dwg/geometry.h"
#include "formats/dwg/r13/sections.h"

#include <memory>
#include <string>
#include <vector>

namespace dsc::dwg {

enum class ContainerError {
    None,
    BadFileHeader,  // the header at 0x80 or its 2007 counterpart is not what it should be
    BadPageMap,     // the list of pages cannot be read
    BadSectionMap,  // the list of sections and their pages cannot be read
    MissingSection, // a section the objects need is absent or unreadable
    TooLarge,       // a size beyond the limits
    Unsupported,    // a container not read
};

std::string describe(ContainerError error);

struct ContainerResult {
    ContainerError error = ContainerError::None;
    std::string detail;
    bool ok() const { return error == ContainerError::None; }
};

struct PagedDrawing {
    DwgSections sections;
    std::vector<std::uint8_t> objectBytes;    // AcDb:AcDbObjects, when it had to be assembled whole
    std::unique_ptr<ByteSource> objectSource; // AcDb:AcDbObjects; sections.objects points here
    std::vector<std::string> warnings;        // checksums that failed, pages skipped
};

// Releases 2004, 2010, 2013 and 2018 share one container.
ContainerResult readContainer2004(ByteSource& file, const GeometryLimits& limits, PagedDrawing& out);

// Release 2007 has its own: maps and pages protected by Reed-Solomon check bytes, another
// compression.
ContainerResult readContainer2007(ByteSource& file, const GeometryLimits& limits, PagedDrawing& out);

// The file header's code page and maintenance release, then the container.
ContainerResult readPagedDrawing(ByteSource& file, const std::string& version, const GeometryLimits& limits,
                                 PagedDrawing& out);

} // namespace dsc::dwg
