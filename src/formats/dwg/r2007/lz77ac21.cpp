// The 2007 compression. A stream alternates literal runs and groups of back-references; after each
// back-reference the low three bits of its last byte give a short literal run, or zero to read a
// new instruction.
#include "formats/dwg/r2007/lz77ac21.h"

#include "formats/dwg/r2004/lz77stream.h"

#include <algorithm>
#include <array>

namespace dsc::dwg {

namespace {

// Literal runs are stored in blocks of 32 bytes, each written in a fixed shuffled order, the
// remainder (1-31 bytes) in an order of its own. Each order is a list of pieces, in output order:
// `size` input bytes starting at `from`; pieces of two and three bytes are reversed.
struct Piece {
    std::uint8_t from;
    std::uint8_t size;
};
using Pieces = std::array<Piece, 6>;

constexpr std::array<Pieces, 33> kPieces{{
    {},
    {{{0, 1}}},
    {{{0, 2}}},
    {{{0, 3}}},
    {{{0, 4}}},
    {{{4, 1}, {0, 4}}},
    {{{5, 1}, {1, 4}, {0, 1}}},
    {{{5, 2}, {1, 4}, {0, 1}}},
    {{{0, 8}}},
    {{{8, 1}, {0, 8}}},
    {{{9, 1}, {1, 8}, {0, 1}}},
    {{{9, 2}, {1, 8}, {0, 1}}},
    {{{8, 4}, {0, 8}}},
    {{{12, 1}, {8, 4}, {0, 8}}},
    {{{13, 1}, {9, 4}, {1, 8}, {0, 1}}},
    {{{13, 2}, {9, 4}, {1, 8}, {0, 1}}},
    {{{8, 8}, {0, 8}}},
    {{{9, 8}, {8, 1}, {0, 8}}},
    {{{17, 1}, {9, 8}, {1, 8}, {0, 1}}},
    {{{16, 3}, {8, 8}, {0, 8}}},
    {{{16, 4}, {8, 8}, {0, 8}}},
    {{{20, 1}, {16, 4}, {8, 8}, {0, 8}}},
    {{{20, 2}, {16, 4}, {8, 8}, {0, 8}}},
    {{{20, 3}, {16, 4}, {8, 8}, {0, 8}}},
    {{{16, 8}, {8, 8}, {0, 8}}},
    {{{17, 8}, {16, 1}, {8, 8}, {0, 8}}},
    {{{25, 1}, {17, 8}, {16, 1}, {8, 8}, {0, 8}}},
    {{{25, 2}, {17, 8}, {16, 1}, {8, 8}, {0, 8}}},
    {{{24, 4}, {16, 8}, {8, 8}, {0, 8}}},
    {{{28, 1}, {24, 4}, {16, 8}, {8, 8}, {0, 8}}},
    {{{28, 2}, {24, 4}, {16, 8}, {8, 8}, {0, 8}}},
    {{{30, 1}, {26, 4}, {18, 8}, {10, 8}, {2, 8}, {0, 2}}},
    {{{24, 8}, {16, 8}, {8, 8}, {0, 8}}},
}};

void appendShuffled(const std::uint8_t* in, std::size_t count, std::vector<std::uint8_t>& out) {
    for (const Piece& p : kPieces[count]) {
        if (p.size == 0) {
            break;
        }
        if (p.size == 2 || p.size == 3) {
            for (std::size_t i = p.size; i-- > 0;) {
                out.push_back(in[p.from + i]);
            }
        } else {
            out.insert(out.end(), in + p.from, in + p.from + p.size);
        }
    }
}

class Ac21Decoder : Lz77Stream {
public:
    Ac21Decoder(std::span<const std::uint8_t> in, std::size_t limit, std::vector<std::uint8_t>& out)
        : Lz77Stream(in, std::min(limit, kMaxAc21Output), out) {}

    Lz77Error run() {
        std::uint8_t op = 0;
        if (!next(op)) {
            return Lz77Error::None; // nothing to decompress
        }
        std::uint64_t lit = 0;
        if ((op & 0xF0) == 0x20) {
            std::uint8_t b = 0;
            if (!skip(2) || !next(b)) {
                return m_error;
            }
            lit = b & 7u;
        }
        while (!atEnd()) {
            if (lit == 0 && !literalLength(op, lit)) {
                return m_error;
            }
            if (!literal(lit)) {
                return m_error;
            }
            if (atEnd()) {
                break;
            }
            if (!next(op)) {
                return m_error;
            }
            // Back-references follow one another until one ends with a literal count or an
            // instruction with a zero high nibble starts a literal run.
            bool first = true;
            while (true) {
                std::uint64_t length = 0;
                std::uint64_t offset = 0;
                if (!reference(op, first, length, offset) || !copyRun(offset, length)) {
                    return m_error;
                }
                first = false;
                lit = op & 7u;
                if (lit != 0 || atEnd()) {
                    break;
                }
                if (!next(op)) {
                    return m_error;
                }
                if ((op >> 4) == 0) {
                    break;
                }
            }
        }
        return Lz77Error::None;
    }

private:
    bool atEnd() const { return m_pos >= m_in.size(); }
    bool skip(std::size_t n) {
        if (n > m_in.size() - m_pos) {
            fail(Lz77Error::Truncated);
            return false;
        }
        m_pos += n;
        return true;
    }
    // A literal run's length: the instruction plus 8, extended by a byte and then by 16-bit words
    // while each is all ones.
    bool literalLength(std::uint8_t op, std::uint64_t& length) {
        length = static_cast<std::uint64_t>(op) + 8;
        if (length != 0x17) {
            return true;
        }
        std::uint8_t b = 0;
        if (!next(b)) {
            return false;
        }
        length += b;
        if (b != 0xFF) {
            return true;
        }
        std::uint32_t word = 0;
        do {
            std::uint8_t lo = 0, hi = 0;
            if (!next(lo) || !next(hi)) {
                return false;
            }
            word = lo | static_cast<std::uint32_t>(hi) << 8;
            length += word;
        } while (word == 0xFFFF);
        return true;
    }
    // One back-reference from `op` and the bytes after it; `op` ends as the last byte read, whose
    // low bits give the literal run that follows. Within a group (not the first), a high nibble of
    // 0xF selects the long form.
    bool reference(std::uint8_t& op, bool first, std::uint64_t& length, std::uint64_t& offset) {
        unsigned kind = op >> 4;
        if (!first && kind == 0xF) {
            op &= 0x0F;
            kind = 0;
        }
        std::uint8_t a = 0, b = 0;
        switch (kind) {
        case 0:
            if (!next(a) || !next(b)) {
                return false;
            }
            length = (op & 0x0Fu) + 0x13u + ((b >> 3) & 0x10u);
            offset = ((b & 0x78u) << 5) + 1u + a;
            op = b;
            return true;
        case 1:
            if (!next(a) || !next(b)) {
                return false;
            }
            length = (op & 0x0Fu) + 3u;
            offset = ((b & 0xF8u) << 5) + 1u + a;
            op = b;
            return true;
        case 2:
            if (!next(a) || !next(b)) {
                return false;
            }
            offset = a | static_cast<std::uint64_t>(b) << 8;
            length = op & 7u;
            if ((op & 8) == 0) {
                if (!next(op)) {
                    return false;
                }
                length += op & 0xF8u;
            } else {
                std::uint8_t c = 0;
                if (!next(c) || !next(op)) {
                    return false;
                }
                offset += 1;
                length += (static_cast<std::uint64_t>(c) << 3) + (static_cast<std::uint64_t>(op & 0xF8u) << 8) + 0x100;
            }
            return true;
        default:
            if (!next(b)) {
                return false;
            }
            length = kind;
            offset = (op & 0x0Fu) + ((b & 0xF8u) << 1) + 1u;
            op = b;
            return true;
        }
    }
    bool literal(std::uint64_t count) {
        const std::uint8_t* from = takeLiteral(count);
        if (!from) {
            return false;
        }
        for (; count >= 32; count -= 32, from += 32) {
            appendShuffled(from, 32, m_out);
        }
        appendShuffled(from, static_cast<std::size_t>(count), m_out);
        return true;
    }
    // A reference of no length copies nothing, whatever its offset.
    bool copyRun(std::uint64_t offset, std::uint64_t count) { return count == 0 || copyBack(offset, count); }
};

} // namespace

Lz77Error decompressAc21(std::span<const std::uint8_t> in, std::size_t limit, std::vector<std::uint8_t>& out) {
    out.clear();
    out.reserve(std::min<std::size_t>(std::min(limit, kMaxAc21Output), 1u << 20));
    return Ac21Decoder(in, limit, out).run();
}

} // namespace dsc::dwg
