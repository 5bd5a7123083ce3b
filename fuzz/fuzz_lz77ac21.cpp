// The 2007 decompressor on arbitrary bytes, with the output limit taken from the first two bytes.
#include "formats/dwg/r2007/lz77ac21.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::size_t limit = (static_cast<std::size_t>(data[0]) << 8 | data[1]) * 4;
    std::vector<std::uint8_t> out;
    dsc::dwg::decompressAc21(std::span(data + 2, size - 2), limit, out);
    if (out.size() > limit) {
        __builtin_trap();
    }
    return 0;
}
