#pragma once
// Slides drawn into pixel buffers, with no toolkit: black background, the colour index table, the
// slide's aspect ratio, solid fills and aliased one-pixel lines. The window, the command-line tool
// and the file managers' thumbnailers all draw slides through this, so they all draw them alike.

#include "formats/raster/raster.h"
#include "formats/slides/slide.h"

#include <cstdint>

namespace dsc {

struct FitRect {
    double x = 0, y = 0, width = 0, height = 0;
};

// The largest rectangle of the slide's aspect ratio that fits in the box, centred.
FitRect slideFitRect(const SlideHeader& header, const FitRect& box);

// Drawing work, counted in line pixels and polygon edge-rows (each row of a filled polygon visits
// all its edges). A hostile slide of huge zig-zag polygons would otherwise hold the processor for
// minutes; the default is far above what real slides need, even drawn thousands of pixels wide.
struct SlideDrawLimits {
    std::uint64_t maxWork = std::uint64_t{1} << 25;
};

struct SlideDrawResult {
    std::uint64_t work = 0; // spent
    bool truncated = false; // the budget ran out: the elements after the last drawn are left out
};

// Draws the display list over `raster`, fitted into `box` (pixels) and clipped to the fitted area,
// element by element until the work budget would run out.
SlideDrawResult drawSlide(Raster& raster, const Slide& slide, const FitRect& box, const SlideDrawLimits& limits = {});

// A raster on black just the size of the slide fitted into width × height pixels. Empty when the
// size is not positive or the memory cannot be had. `result`, when given, says how the drawing went.
Raster renderSlide(const Slide& slide, int width, int height, SlideDrawResult* result = nullptr,
                   const SlideDrawLimits& limits = {});

} // namespace dsc
