#pragma once
// A plain 32-bit pixel buffer: what every preview is decoded or drawn into.

#include <cstdint>
#include <vector>

namespace dsc {

struct Raster {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0xAARRGGBB, top row first, rows `width` pixels apart

    bool empty() const { return pixels.empty(); }
    std::uint32_t* row(int y) { return pixels.data() + std::size_t(y) * std::size_t(width); }
    const std::uint32_t* row(int y) const { return pixels.data() + std::size_t(y) * std::size_t(width); }
};

// Sizes `raster` to `width` × `height` pixels of `fill`. False, with `raster` left empty, when the
// dimensions are not positive or the memory cannot be had: a huge preview is refused, never fatal.
bool allocateRaster(Raster& raster, int width, int height, std::uint32_t fill);

} // namespace dsc
