#include "formats/dwg/r2004/checksum.h"

#include <algorithm>
#include <cstddef>

namespace dsc::dwg {

std::uint32_t pageChecksum(std::uint32_t seed, std::span<const std::uint8_t> data) {
    std::uint32_t low = seed & 0xFFFFu;
    std::uint32_t high = seed >> 16;
    // 0x15B0 bytes is the most that can be summed before the 32-bit sums could overflow.
    constexpr std::size_t kChunk = 0x15B0;
    while (!data.empty()) {
        const std::size_t n = std::min(kChunk, data.size());
        for (std::size_t i = 0; i < n; ++i) {
            low += data[i];
            high += low;
        }
        low %= 0xFFF1u;
        high %= 0xFFF1u;
        data = data.subspan(n);
    }
    return (high << 16) | (low & 0xFFFFu);
}

void applyHeaderSequence(std::span<std::uint8_t> data) {
    std::uint32_t state = 1;
    for (auto& b : data) {
        state = state * 0x343FDu + 0x269EC3u;
        b ^= static_cast<std::uint8_t>(state >> 16);
    }
}

void applyPageHeaderMask(std::span<std::uint8_t> header, std::uint64_t pageOffset) {
    const std::uint32_t mask = 0x4164536Bu ^ static_cast<std::uint32_t>(pageOffset);
    for (std::size_t i = 0; i + 4 <= header.size(); i += 4) {
        for (std::size_t k = 0; k < 4; ++k) {
            header[i + k] ^= static_cast<std::uint8_t>(mask >> (8 * k));
        }
    }
}

} // namespace dsc::dwg
