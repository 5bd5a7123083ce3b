#pragma once
// The parts of a drawing of release 13 and later that its objects are read from, however the
// container stores them: plain at offsets given by the file header (13 to 2000), or assembled from
// compressed pages (2004 and later). The object reader works on these alone.

#include "formats/core/bytesource.h"
#include "formats/dwg/geometry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dsc::dwg {

struct DwgSections {
    std::string version;               // "AC1015"…
    std::uint8_t maintenance = 0;      // the file header's maintenance release number
    std::uint16_t codePage = 30;       // the file header's code page (30: ANSI 1252)
    std::vector<std::uint8_t> header;  // header variables, from their start sentinel
    std::vector<std::uint8_t> classes; // classes, from their start sentinel
    std::vector<std::uint8_t> handles; // the object map's pages
    // Where the object map's offsets point: the whole file for 13 to 2000, the assembled objects
    // section for 2004 and later.
    ByteSource* objects = nullptr;
};

// Reads header variables, classes, the object map and the objects into the drawing model.
GeometryResult readObjectGeometry(const DwgSections& sections, const GeometryLimits& limits);

} // namespace dsc::dwg
