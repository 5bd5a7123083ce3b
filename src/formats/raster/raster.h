#pragma once
// A plain 32-bit pixel buffer: what every preview is decoded or drawn into.

#include <cstdint>
#include <utility>
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

// Receives an image row by row, top row first, so a decoder can hand its rows to a scaler without
// the whole image ever being held.
class RowSink {
public:
    virtual ~RowSink() = default;
    // The image's size, and whether every pixel is known to be opaque. False when the sink cannot
    // take it (memory short).
    virtual bool begin(int width, int height, bool opaque) = 0;
    // The next row: `width` pixels, 0xAARRGGBB.
    virtual void row(const std::uint32_t* pixels) = 0;
};

// Keeps the whole image.
class RasterSink : public RowSink {
public:
    bool begin(int width, int height, bool opaque) override;
    void row(const std::uint32_t* pixels) override;
    Raster take() { return std::move(m_raster); }

private:
    Raster m_raster;
    int m_next = 0;
};

// Sizes `raster` to `width` × `height` pixels of `fill`. False, with `raster` left empty, when the
// dimensions are not positive or the memory cannot be had: a huge preview is refused, never fatal.
bool allocateRaster(Raster& raster, int width, int height, std::uint32_t fill);

} // namespace dsc
