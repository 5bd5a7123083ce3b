#pragma once
// A drawing's geometry read from its own records, whatever its release: the entry point that picks
// the reader by the version text at the start of the file.

#include "formats/core/bytesource.h"
#include "formats/dwg/model/drawing.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace dsc::dwg {

enum class GeometryError {
    None,
    NotADrawing,        // no version text we know
    UnsupportedRelease, // a release whose geometry we do not read
    Damaged,            // the structure could not be followed far enough to find any entity
    TooLarge,           // a limit was reached before anything could be drawn
};

std::string describe(GeometryError error);

// Bounds on what one file may cost, whatever it claims.
struct GeometryLimits {
    std::size_t maxEntities = 2'000'000;    // entities kept, blocks' included
    std::size_t maxVertices = 4'000'000;    // polyline vertices, spline points and hatch pieces kept
    std::uint64_t maxBytes = 64ull << 20;   // bytes read or decompressed into memory, all together
    std::size_t maxStringBytes = 64 * 1024; // one text
};

struct GeometryResult {
    Drawing drawing;
    GeometryError error = GeometryError::None;
    std::string detail; // what went wrong, for --info
    bool ok() const { return error == GeometryError::None; }
};

GeometryResult readDrawingGeometry(ByteSource& source, const GeometryLimits& limits = {});

// The readers of each release family, behind readDrawingGeometry. `version` is the file's first six
// bytes as text.
GeometryResult readOldDrawing(ByteSource& source, const std::string& version,
                              const GeometryLimits& limits); // 1.40 to 12
GeometryResult readR13Drawing(ByteSource& source, const std::string& version,
                              const GeometryLimits& limits); // 13 to 2000
GeometryResult readR2004Drawing(ByteSource& source, const std::string& version,
                                const GeometryLimits& limits); // 2004 to 2018

// The answer of a reader still to be written.
GeometryResult notReadYet(const std::string& version);

} // namespace dsc::dwg
