// The 2004 compression: literal runs and back-references whose lengths extend by zero bytes.
#include "formats/dwg/r2004/lz77.h"
#include "formats/dwg/r2004/lz77stream.h"

#include <algorithm>

namespace dsc::dwg {

std::string describe(Lz77Error error) {
    switch (error) {
    case Lz77Error::None:
        return "no error";
    case Lz77Error::Truncated:
        return "compressed data cut short";
    case Lz77Error::BadReference:
        return "back-reference before the start of the data";
    case Lz77Error::Overflow:
        return "more data than the section declares";
    case Lz77Error::BadOpcode:
        return "unknown compression instruction";
    }
    return "unknown error";
}

namespace {

class Ac18Decoder : Lz77Stream {
public:
    Ac18Decoder(std::span<const std::uint8_t> in, std::size_t limit, std::vector<std::uint8_t>& out)
        : Lz77Stream(in, limit, out) {}

    Lz77Error run() {
        std::uint8_t op = 0;
        if (!next(op)) {
            return m_error;
        }
        if ((op & 0xF0) == 0) {
            std::uint64_t count = 0;
            if (!extended(op & 0x0F, 0x0F, count) || !literal(count + 3) || !next(op)) {
                return m_error;
            }
        }
        while (op != 0x11) {
            std::uint64_t count = 0;
            std::uint64_t offset = 0;
            std::uint8_t litBits = 0;
            if (op >= 0x40) {
                std::uint8_t b = 0;
                if (!next(b)) {
                    return m_error;
                }
                count = (op >> 4) - 1;
                offset = (((op >> 2) & 3u) | (static_cast<std::uint64_t>(b) << 2)) + 1;
                litBits = op & 3;
            } else if (op >= 0x20) {
                if (!extended(op & 0x1F, 0x1F, count) || !twoByteOffset(offset, litBits)) {
                    return m_error;
                }
                count += 2;
                offset += 1;
            } else if (op >= 0x10) { // 0x11, the end mark, never gets here
                if (!extended(op & 0x07, 0x07, count) || !twoByteOffset(offset, litBits)) {
                    return m_error;
                }
                count += 2;
                offset |= static_cast<std::uint64_t>(op & 8) << 11;
                offset += 0x4000;
            } else {
                return fail(Lz77Error::BadOpcode); // 0x00-0x0F only ever start a literal run
            }
            if (!copyBack(offset, count)) {
                return m_error;
            }
            std::uint64_t lit = litBits;
            if (lit == 0) {
                if (!next(op)) {
                    return m_error;
                }
                if ((op & 0xF0) != 0) {
                    continue; // no literal run: `op` is the next instruction
                }
                if (!extended(op & 0x0F, 0x0F, lit)) {
                    return m_error;
                }
                lit += 3;
            }
            if (!literal(lit) || !next(op)) {
                return m_error;
            }
        }
        return Lz77Error::None;
    }

private:
    // A length held in `bits`, or when those are zero: `mask`, plus 255 per zero byte, plus the first
    // non-zero byte.
    bool extended(unsigned bits, unsigned mask, std::uint64_t& value) {
        if (bits != 0) {
            value = bits;
            return true;
        }
        value = mask;
        std::uint8_t b = 0;
        do {
            if (!next(b)) {
                return false;
            }
            value += b == 0 ? 0xFF : b;
        } while (b == 0);
        return true;
    }
    bool twoByteOffset(std::uint64_t& offset, std::uint8_t& litBits) {
        std::uint8_t lo = 0, hi = 0;
        if (!next(lo) || !next(hi)) {
            return false;
        }
        offset = (lo >> 2) | (static_cast<std::uint64_t>(hi) << 6);
        litBits = lo & 3;
        return true;
    }
    bool literal(std::uint64_t count) {
        const std::uint8_t* from = takeLiteral(count);
        if (from) {
            m_out.insert(m_out.end(), from, from + count);
        }
        return from != nullptr;
    }
};

} // namespace

Lz77Error decompressAc18(std::span<const std::uint8_t> in, std::size_t limit, std::vector<std::uint8_t>& out) {
    out.clear();
    out.reserve(std::min<std::size_t>(limit, 1u << 20));
    return Ac18Decoder(in, limit, out).run();
}

} // namespace dsc::dwg
