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

constexpr std::uint8_t times(const Field& f, std::uint8_t a, std::uint8_t b) {
    return a == 0 || b == 0 ? 0 : f.exp[f.log[a] + f.log[b]];
}

// A codeword is a multiple of the generator (x - alpha^1)...(x - alpha^n): what is left over when
// it is divided by it, n bytes packed in 64-bit words, the division fed a coefficient at a time from
// the highest down. Each step multiplies the byte shifted out by the generator in one lookup.
template <std::size_t N> struct Remainder {
    static constexpr std::size_t kWords = (N + 7) / 8;
    using Words = std::array<std::uint64_t, kWords>;
    using Table = std::array<Words, 256>;

    static constexpr Table table(const Field& f) {
        std::array<std::uint8_t, N + 1> g{}; // low coefficient first; g[N] = 1
        g[0] = 1;
        for (std::size_t root = 1; root <= N; ++root) {
            const std::uint8_t a = f.exp[root];
            for (std::size_t i = root; i > 0; --i) {
                g[i] = static_cast<std::uint8_t>(g[i - 1] ^ times(f, g[i], a));
            }
            g[0] = times(f, g[0], a);
        }
        Table t{};
        for (unsigned v = 0; v < 256; ++v) {
            for (std::size_t i = 0; i < N; ++i) {
                t[v][i / 8] |= std::uint64_t{times(f, static_cast<std::uint8_t>(v), g[i])} << (8 * (i % 8));
            }
        }
        return t;
    }

    Words w{};
    void step(std::uint8_t coefficient, const Table& t) {
        const auto out = static_cast<std::uint8_t>(w[(N - 1) / 8] >> (8 * ((N - 1) % 8)));
        for (std::size_t i = kWords; i-- > 1;) {
            w[i] = (w[i] << 8) | (w[i - 1] >> 56);
        }
        w[0] = (w[0] << 8) | coefficient;
        if constexpr (N % 8 != 0) {
            w[kWords - 1] &= (std::uint64_t{1} << (8 * (N % 8))) - 1;
        }
        for (std::size_t i = 0; i < kWords; ++i) {
            w[i] ^= t[out][i];
        }
    }
    bool zero() const {
        return std::all_of(w.begin(), w.end(), [](std::uint64_t v) { return v == 0; });
    }
};

constexpr auto kMapTable = Remainder<16>::table(kMapField);
constexpr auto kPageTable = Remainder<4>::table(kPageField);

// Every block divided at once, a row of the interleaving at a time (the bytes of one coefficient
// lie side by side), from the highest coefficient down.
template <std::size_t N>
std::size_t damaged(std::span<const std::uint8_t> encoded, std::size_t factor,
                    const typename Remainder<N>::Table& table) {
    std::vector<Remainder<N>> blocks(factor);
    for (std::size_t k = kRsBlock; k-- > 0;) {
        const std::uint8_t* row = encoded.data() + k * factor;
        for (std::size_t b = 0; b < factor; ++b) {
            blocks[b].step(row[b], table);
        }
    }
    return static_cast<std::size_t>(
        std::count_if(blocks.begin(), blocks.end(), [](const Remainder<N>& r) { return !r.zero(); }));
}

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
    static_assert(checkBytes(RsCode::Map) == 16 && checkBytes(RsCode::Page) == 4);
    return code == RsCode::Map ? damaged<16>(encoded, factor, kMapTable) : damaged<4>(encoded, factor, kPageTable);
}

} // namespace dsc::dwg
