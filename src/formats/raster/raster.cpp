#include "formats/raster/raster.h"

#include <algorithm>
#include <new>

namespace dsc {

bool allocateRaster(Raster& raster, int width, int height, std::uint32_t fill) {
    raster = Raster{};
    if (width <= 0 || height <= 0) {
        return false;
    }
    try {
        raster.pixels.assign(std::size_t(width) * std::size_t(height), fill);
    } catch (const std::bad_alloc&) {
        raster.pixels = {};
        return false;
    }
    raster.width = width;
    raster.height = height;
    return true;
}

bool RasterSink::begin(int width, int height, bool) {
    m_next = 0;
    return allocateRaster(m_raster, width, height, 0xFF000000u);
}

void RasterSink::row(const std::uint32_t* pixels) {
    if (m_next < m_raster.height) {
        std::copy_n(pixels, m_raster.width, m_raster.row(m_next++));
    }
}

} // namespace dsc
