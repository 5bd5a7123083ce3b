#include "formats/dwg/r2007/reedsolomon.h"

#include <algorithm>
#include <array>

namespace dsc::dwg {

namespace {

struct Field {
    std::array<std::uint8_t, 512> exp{};
    std::array<std::uint16_t, 256> log{};
};

constexpr Field makeField(unsigned polynomial) {
    Field f;
    unsigned x = 1;
    for (unsigned i = 0; i < 255; ++i) {
        f.exp[i] = static_cast<std::uint8_t>(x);
        f.log[x] = static_cast<std::uint16_t>(i);
        x <<= 1;
        if (x & 0x100) {
            x ^= polynomial;
        }
    }
    for (unsigned i = 255; i < f.exp.size(); ++i) {
        f.exp[i] = f.exp[i - 255];
    }
    return f;
}

constexpr Field kMapField = makeField(0x169);
constexpr Field kPageField = makeField(0x11D);

// Multiplication by alpha^root for each root of a code, as one table lookup a byte.
constexpr std::size_t kMostRoots = 16;
using RootTables = std::array<std::array<std::uint8_t, 256>, kMostRoots>;

constexpr RootTables makeRootTables(const Field& f) {
    RootTables t{};
    for (std::size_t root = 1; root <= kMostRoots; ++root) {
        for (unsigned v = 1; v < 256; ++v) {
            t[root - 1][v] = f.exp[f.log[v] + root];
        }
    }
    return t;
}

constexpr RootTables kMapRoots = makeRootTables(kMapField);
constexpr RootTables kPageRoots = makeRootTables(kPageField);

} // namespace

bool deinterleave(std::span<const std::uint8_t> encoded, std::size_t factor, std::size_t dataPerBlock,
                  std::size_t count, std::vector<std::uint8_t>& out) {
    if (factor == 0 || dataPerBlock > kRsBlock || encoded.size() / kRsBlock < factor || count > factor * dataPerBlock) {
        return false;
    }
    out.resize(count);
    std::size_t written = 0;
    for (std::size_t block = 0; block < factor && written < count; ++block) {
        const std::size_t n = std::min(dataPerBlock, count - written);
        for (std::size_t k = 0; k < n; ++k) {
            out[written++] = encoded[block + k * factor];
        }
    }
    return true;
}

std::size_t damagedBlocks(std::span<const std::uint8_t> encoded, std::size_t factor, RsCode code) {
    if (encoded.size() / kRsBlock < factor) {
        return 0;
    }
    const RootTables& times = code == RsCode::Map ? kMapRoots : kPageRoots;
    const std::size_t roots = std::min(checkBytes(code), kMostRoots);
    std::size_t damaged = 0;
    for (std::size_t block = 0; block < factor; ++block) {
        // A codeword vanishes at each root: evaluated from its highest coefficient down, all the
        // roots in one pass over the block.
        std::array<std::uint8_t, kMostRoots> syndrome{};
        for (std::size_t k = kRsBlock; k-- > 0;) {
            const std::uint8_t byte = encoded[block + k * factor];
            for (std::size_t r = 0; r < roots; ++r) {
                syndrome[r] = static_cast<std::uint8_t>(times[r][syndrome[r]] ^ byte);
            }
        }
        if (std::any_of(syndrome.begin(), syndrome.begin() + static_cast<std::ptrdiff_t>(roots),
                        [](std::uint8_t v) { return v != 0; })) {
            ++damaged;
        }
    }
    return damaged;
}

} // namespace dsc::dwg
