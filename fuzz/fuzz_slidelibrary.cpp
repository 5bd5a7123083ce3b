// Slide library directory and member lookup on arbitrary bytes.
#include "formats/slides/slide.h"
#include "formats/slides/slidelibrary.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dsc::MemorySource source(std::span(data, size));
    const auto dir = dsc::readSlideLibraryDirectory(source, 10000);
    for (const auto& e : dir.entries) {
        const auto* found = dsc::findSlide(dir, e.name);
        if (!found) {
            __builtin_trap(); // every listed name must be found again
        }
        std::vector<std::uint8_t> member;
        if (dsc::readSlideMember(source, dir, *found, 1 << 20, member)) {
            dsc::SlideLimits limits;
            limits.maxElements = 100000;
            dsc::readSlide(member, limits);
        }
        dsc::cp1252ToUtf8(e.name);
    }
    return 0;
}
