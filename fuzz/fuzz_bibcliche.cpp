// The list of names read from library records, on arbitrary bytes.
#include "formats/slides/slidelibrary.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dsc::MemorySource source(std::span(data, size));
    const auto names = dsc::scanLibraryNames(source);
    for (const auto& n : names) {
        if (n.shortName.size() > 10 || n.fullName.size() > 32 ||
            n.fullName.compare(0, n.shortName.size(), n.shortName) != 0) {
            __builtin_trap();
        }
    }
    return 0;
}
