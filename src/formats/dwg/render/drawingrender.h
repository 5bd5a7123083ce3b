#pragma once
// A drawing's geometry drawn as the slides are: the model turned into a display list in device
// pixels, then rasterized on black with the colour index table.

#include "formats/dwg/model/drawing.h"
#include "formats/raster/raster.h"

#include <cstddef>

namespace dsc::dwg {

struct RenderLimits {
    std::size_t maxVisits = 4'000'000;   // entities visited, through every insert
    std::size_t maxSegments = 4'000'000; // segments and polygon points emitted
    int maxNesting = 16;                 // inserts within inserts
};

struct RenderResult {
    Raster image;           // fits width × height, aspect of the drawn extents kept
    bool truncated = false; // a limit ended the picture; what was drawn is kept
    bool empty = true;      // nothing drawable was found
    std::size_t segments = 0;
    // The extents of what was drawn, in world X and Y.
    bool hasExtents = false;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

RenderResult renderDrawing(const Drawing& drawing, int width, int height, const RenderLimits& limits = {});

} // namespace dsc::dwg
