#pragma once
// Bit-coded values of releases 13 and later, read from one object's bytes. Every read is checked
// against the end given at construction; past it, reads give zeros and `ok()` turns false for good.

#include "formats/dwg/model/drawing.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace dsc::dwg {

// A handle reference: its code (0-5 absolute, 6/8/A/C relative to the referring object) resolved.
struct HandleRef {
    std::uint8_t code = 0;
    std::uint64_t value = 0; // the absolute handle it designates
};

class BitReader {
public:
    BitReader(std::span<const std::uint8_t> data, std::uint64_t endBit);
    explicit BitReader(std::span<const std::uint8_t> data) : BitReader(data, data.size() * 8ull) {}

    bool ok() const { return m_ok; }
    std::uint64_t position() const { return m_pos; }
    std::uint64_t endBit() const { return m_end; }
    void seek(std::uint64_t bit);
    void skipBits(std::uint64_t count);
    bool atEnd() const { return m_pos >= m_end; }

    // Up to 32, most significant first, taken from the eight bytes at the position (fewer at the
    // end of the data, the rest read as zeros).
    std::uint32_t bits(unsigned count) {
        if (!m_ok || count > m_end - m_pos || count == 0) {
            return failedBits(count);
        }
        const std::uint64_t at = m_pos >> 3;
        const std::uint8_t* p = m_data.data() + at;
        std::uint64_t word = 0;
        if (at + 8 <= m_data.size()) {
            word = (std::uint64_t{p[0]} << 56) | (std::uint64_t{p[1]} << 48) | (std::uint64_t{p[2]} << 40) |
                   (std::uint64_t{p[3]} << 32) | (std::uint64_t{p[4]} << 24) | (std::uint64_t{p[5]} << 16) |
                   (std::uint64_t{p[6]} << 8) | std::uint64_t{p[7]};
        } else {
            for (std::size_t i = 0; i < 8; ++i) {
                word = (word << 8) | (at + i < m_data.size() ? p[i] : 0u);
            }
        }
        const unsigned offset = static_cast<unsigned>(m_pos & 7);
        m_pos += count;
        return static_cast<std::uint32_t>((word << offset) >> (64 - count));
    }
    bool B() { return bits(1) != 0; }
    std::uint8_t BB() { return static_cast<std::uint8_t>(bits(2)); }
    std::uint8_t threeB(); // up to three bits, stopping at the first 0
    std::uint8_t RC() { return static_cast<std::uint8_t>(bits(8)); }
    std::uint16_t RS();
    std::uint32_t RL();
    double RD();
    std::int16_t BS();
    std::int32_t BL();
    std::uint64_t BLL();
    double BD();
    double DD(double fallback);
    std::uint64_t MC();      // unsigned modular char
    std::int64_t signedMC(); // modular char with its sign bit
    std::uint32_t MS();      // modular short
    HandleRef H(std::uint64_t referrer = 0);
    // TV: a length and that many bytes in the drawing's code page, given as UTF-8.
    std::string TV(std::size_t maxBytes);
    Colour CMC(); // releases 13 to 2000: an index
    // TU: a length and that many UTF-16 units, given as UTF-8 (the strings of 2007 and later).
    std::string TU(std::size_t maxBytes);
    // From 2007 on, every TV of an object's data lies in its string stream: reads go there.
    void setStrings(BitReader* strings) { m_strings = strings; }
    Colour CMC2004(std::size_t maxString); // 2004 and later: index, RGB, names
    Colour ENC(bool& bookHandle);          // 2004 and later, entities: index or RGB, book, transparency
    int BOT();                             // 2010 and later: the object type
    Vec3 threeBD() { return {BD(), BD(), BD()}; }
    Vec3 twoRD() { return {RD(), RD(), 0}; }
    Vec3 twoBD() { return {BD(), BD(), 0}; }
    // Extrusion and thickness: from 2000 on a single bit stands for the usual value.
    Vec3 BE(bool r2000);
    double BT(bool r2000);

private:
    bool take(unsigned count);
    std::uint32_t failedBits(unsigned count); // none to read, or past the end
    std::span<const std::uint8_t> m_data;
    std::uint64_t m_pos = 0;
    std::uint64_t m_end = 0;
    bool m_ok = true;
    BitReader* m_strings = nullptr;
};

// Bytes of a single-byte code page as UTF-8 (Latin-1 for the upper half: what the usual ANSI pages
// mostly agree on).
std::string codePageToUtf8(std::span<const std::uint8_t> bytes);

// The CRC the format closes its sections with.
std::uint16_t dwgCrc16(std::span<const std::uint8_t> bytes, std::uint16_t seed);

} // namespace dsc::dwg
