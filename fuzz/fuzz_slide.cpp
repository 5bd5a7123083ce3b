// Slide reader on arbitrary bytes, with and without an end hint.
#include "formats/slides/slide.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dsc::SlideLimits limits;
    limits.maxElements = 100000;
    const dsc::Slide s = dsc::readSlide(std::span(data, size), limits);
    for (const auto& e : s.elements) {
        if (std::size_t(e.first) + e.count > s.points.size()) {
            __builtin_trap(); // an element must stay inside the point list
        }
    }
    dsc::readSlide(std::span(data, size), limits, size / 2);
    return 0;
}
