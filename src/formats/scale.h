#pragma once
// Shrinking previews to thumbnail size.

#include "raster.h"

namespace dsc {

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

// The largest size of the image's aspect ratio within box × box (whole pixels, at least one each).
PixelSize fitWithin(PixelSize image, int box);

// The image shrunk to `size` by averaging the source area under each pixel (colours weighted by
// their opacity). Never enlarges: a size larger than the image in either direction keeps that
// direction as it is. Empty when memory is short.
Raster shrink(const Raster& image, PixelSize size);

} // namespace dsc
