#include "formats/dwg/r13/stringstream.h"

#include "formats/dwg/r13/bitreader.h"

namespace dsc::dwg {

std::optional<BitRange> findStringStream(std::span<const std::uint8_t> data, std::uint64_t dataEndBit) {
    if (dataEndBit == 0 || dataEndBit > data.size() * 8ull) {
        return std::nullopt;
    }
    BitReader r(data, dataEndBit);
    r.seek(dataEndBit - 1);
    if (!r.B()) {
        return std::nullopt;
    }
    if (dataEndBit < 1 + 16) {
        return std::nullopt;
    }
    std::uint64_t sizeAt = dataEndBit - 1 - 16;
    r.seek(sizeAt);
    std::uint64_t size = r.RS();
    if (size & 0x8000) {
        if (sizeAt < 16) {
            return std::nullopt;
        }
        sizeAt -= 16;
        r.seek(sizeAt);
        size = (size & 0x7FFF) | (static_cast<std::uint64_t>(r.RS()) << 15);
    }
    if (!r.ok() || size > sizeAt) {
        return std::nullopt;
    }
    return BitRange{sizeAt - size, sizeAt};
}

} // namespace dsc::dwg
