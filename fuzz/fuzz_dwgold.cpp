// The geometry reader of releases 2.5 to 12 on arbitrary bytes behind a valid version text.
#include "formats/dwg/geometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dsc::MemorySource source(std::span(data, size));
    dsc::dwg::GeometryLimits limits;
    limits.maxBytes = 8u << 20;
    limits.maxEntities = 100'000;
    const auto result = dsc::dwg::readDrawingGeometry(source, limits);
    std::size_t kept = result.drawing.entities.size();
    for (const auto& b : result.drawing.blocks) {
        kept += b.entities.size();
    }
    if (kept > limits.maxEntities) {
        __builtin_trap();
    }
    for (const auto& e : result.drawing.entities) {
        if (e.layer < 0 || static_cast<std::size_t>(e.layer) >= result.drawing.layers.size()) {
            __builtin_trap();
        }
    }
    return 0;
}
