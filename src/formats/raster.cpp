#include "raster.h"

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

} // namespace dsc
