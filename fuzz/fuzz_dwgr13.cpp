// Drawings of release 13 and later read from their own objects, on arbitrary bytes.
#include "formats/dwg/geometry.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dsc::MemorySource source(std::span(data, size));
    dsc::dwg::GeometryLimits limits;
    limits.maxBytes = 16u << 20;
    dsc::dwg::readDrawingGeometry(source, limits);
    return 0;
}
