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
        std::size_t i = 0;
        // Eight bytes a step: the high sum gains eight times the low sum before them plus each
        // byte weighted by how many of the eight sums it enters, so the chain is short.
        for (; i + 8 <= n; i += 8) {
            const std::uint8_t* b = data.data() + i;
            high += 8 * low + 8u * b[0] + 7u * b[1] + 6u * b[2] + 5u * b[3] + 4u * b[4] + 3u * b[5] + 2u * b[6] + b[7];
            low += 0u + b[0] + b[1] + b[2] + b[3] + b[4] + b[5] + b[6] + b[7];
        }
        for (; i < n; ++i) {
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
