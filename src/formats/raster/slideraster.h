#pragma once
// Slides drawn into pixel buffers, with no toolkit: black background, the colour index table, the
// slide's aspect ratio, solid fills and aliased one-pixel lines. The window, the command-line tool
// and the file managers' thumbnailers all draw slides through this, so they all draw them alike.

#include "formats/raster/raster.h"
#include "formats/slides/slide.h"

namespace dsc {

struct FitRect {
    double x = 0, y = 0, width = 0, height = 0;
};

// The largest rectangle of the slide's aspect ratio that fits in the box, centred.
FitRect slideFitRect(const SlideHeader& header, const FitRect& box);

// Draws the display list over `raster`, fitted into `box` (pixels) and clipped to the fitted area.
void drawSlide(Raster& raster, const Slide& slide, const FitRect& box);

// A raster on black just the size of the slide fitted into width × height pixels. Empty when the
// size is not positive or the memory cannot be had.
Raster renderSlide(const Slide& slide, int width, int height);

} // namespace dsc
