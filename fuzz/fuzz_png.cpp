// The PNG codec on arbitrary bytes: decoded within the limits, and encoded back when it decodes.
#include "formats/raster/png.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dsc::PngLimits limits;
    limits.maxDimension = 2048;
    dsc::Raster image;
    if (dsc::decodePng(std::span(data, size), image, limits).empty()) {
        std::vector<std::uint8_t> png;
        if (!dsc::encodePng(image, png).empty()) {
            __builtin_trap(); // whatever decodes must encode
        }
    }
    return 0;
}
