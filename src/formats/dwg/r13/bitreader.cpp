#include "formats/dwg/r13/bitreader.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace dsc::dwg {

BitReader::BitReader(std::span<const std::uint8_t> data, std::uint64_t endBit)
    : m_data(data), m_end(endBit < data.size() * 8ull ? endBit : data.size() * 8ull) {}

void BitReader::seek(std::uint64_t bit) {
    if (bit > m_end) {
        m_ok = false;
        m_pos = m_end;
        return;
    }
    m_pos = bit;
}

void BitReader::skipBits(std::uint64_t count) {
    if (count > m_end - m_pos) {
        m_ok = false;
        m_pos = m_end;
        return;
    }
    m_pos += count;
}

bool BitReader::take(unsigned count) {
    if (!m_ok || count > m_end - m_pos) {
        m_ok = false;
        m_pos = m_end;
        return false;
    }
    return true;
}

std::uint32_t BitReader::failedBits(unsigned count) {
    take(count); // turns the reader bad when past the end; a count of 0 reads nothing
    return 0;
}

std::uint8_t BitReader::threeB() {
    std::uint8_t value = 0;
    for (int i = 0; i < 3; ++i) {
        const bool bit = B();
        value = static_cast<std::uint8_t>((value << 1) | (bit ? 1 : 0));
        if (!bit) {
            break;
        }
    }
    return value;
}

std::uint16_t BitReader::RS() {
    const std::uint16_t low = RC();
    return static_cast<std::uint16_t>(low | (RC() << 8));
}

std::uint32_t BitReader::RL() {
    const std::uint32_t low = RS();
    return low | (static_cast<std::uint32_t>(RS()) << 16);
}

double BitReader::RD() {
    if (!take(64)) {
        return 0.0;
    }
    // Eight bytes, least significant first, each straddling two file bytes unless aligned (the
    // second is inside the data: 64 bits remain before the end).
    const std::size_t at = static_cast<std::size_t>(m_pos >> 3);
    const unsigned shift = static_cast<unsigned>(m_pos & 7);
    std::uint64_t raw = 0;
    for (unsigned i = 0; i < 8; ++i) {
        unsigned byte = m_data[at + i];
        if (shift != 0) {
            byte = ((byte << shift) | (m_data[at + i + 1] >> (8 - shift))) & 0xFFu;
        }
        raw |= static_cast<std::uint64_t>(byte) << (8 * i);
    }
    m_pos += 64;
    return std::bit_cast<double>(raw);
}

std::int16_t BitReader::BS() {
    switch (BB()) {
    case 0:
        return static_cast<std::int16_t>(RS());
    case 1:
        return RC();
    case 2:
        return 0;
    default:
        return 256;
    }
}

std::int32_t BitReader::BL() {
    switch (BB()) {
    case 0:
        return static_cast<std::int32_t>(RL());
    case 1:
        return RC();
    case 2:
        return 0;
    default:
        m_ok = false; // not a code of this type
        return 0;
    }
}

std::uint64_t BitReader::BLL() {
    const unsigned count = bits(3);
    std::uint64_t value = 0;
    for (unsigned i = 0; i < count; ++i) {
        value |= static_cast<std::uint64_t>(RC()) << (8 * i);
    }
    return value;
}

double BitReader::BD() {
    switch (BB()) {
    case 0:
        return RD();
    case 1:
        return 1.0;
    case 2:
        return 0.0;
    default:
        m_ok = false;
        return 0.0;
    }
}

double BitReader::DD(double fallback) {
    const std::uint8_t code = BB();
    if (code == 0) {
        return fallback;
    }
    if (code == 3) {
        return RD();
    }
    std::uint8_t bytes[8];
    std::memcpy(bytes, &fallback, 8);
    if (code == 2) {
        bytes[4] = RC();
        bytes[5] = RC();
    }
    for (int i = 0; i < 4; ++i) {
        bytes[i] = RC();
    }
    double value;
    std::memcpy(&value, bytes, 8);
    return value;
}

std::uint64_t BitReader::MC() {
    std::uint64_t value = 0;
    for (unsigned shift = 0; shift < 63; shift += 7) {
        const std::uint8_t byte = RC();
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80) || !m_ok) {
            return value;
        }
    }
    m_ok = false;
    return 0;
}

std::int64_t BitReader::signedMC() {
    std::uint64_t value = 0;
    for (unsigned shift = 0; shift < 63; shift += 7) {
        const std::uint8_t byte = RC();
        if (!(byte & 0x80) || !m_ok) {
            value |= static_cast<std::uint64_t>(byte & 0x3F) << shift;
            const auto magnitude = static_cast<std::int64_t>(value);
            return (byte & 0x40) ? -magnitude : magnitude;
        }
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    }
    m_ok = false;
    return 0;
}

std::uint32_t BitReader::MS() {
    std::uint32_t value = 0;
    for (unsigned shift = 0; shift < 30; shift += 15) {
        const std::uint16_t word = RS();
        value |= static_cast<std::uint32_t>(word & 0x7FFF) << shift;
        if (!(word & 0x8000) || !m_ok) {
            return value;
        }
    }
    m_ok = false;
    return 0;
}

HandleRef BitReader::H(std::uint64_t referrer) {
    HandleRef ref;
    ref.code = static_cast<std::uint8_t>(bits(4));
    const unsigned counter = bits(4);
    std::uint64_t offset = 0;
    for (unsigned i = 0; i < counter; ++i) {
        offset = (offset << 8) | RC();
    }
    switch (ref.code) {
    case 0x6:
        ref.value = referrer + 1;
        break;
    case 0x8:
        ref.value = referrer - 1;
        break;
    case 0xA:
        ref.value = referrer + offset;
        break;
    case 0xC:
        ref.value = referrer - offset;
        break;
    default:
        ref.value = offset;
        break;
    }
    return ref;
}

std::string BitReader::TV(std::size_t maxBytes) {
    if (m_strings) {
        return m_strings->TU(maxBytes);
    }
    const auto length = static_cast<std::uint16_t>(BS());
    if (!take(length * 8u)) {
        return {};
    }
    std::string raw;
    raw.reserve(length < maxBytes ? length : maxBytes);
    for (unsigned i = 0; i < length; ++i) {
        const auto byte = static_cast<std::uint8_t>(bits(8));
        if (raw.size() < maxBytes && byte != 0) {
            raw.push_back(static_cast<char>(byte));
        }
    }
    return codePageToUtf8({reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size()});
}

Colour BitReader::CMC() {
    return Colour::byIndex(BS());
}

std::string BitReader::TU(std::size_t maxBytes) {
    const auto length = static_cast<std::uint16_t>(BS());
    if (!take(length * 16u)) {
        return {};
    }
    std::string out;
    std::uint32_t pendingHigh = 0;
    for (unsigned i = 0; i < length; ++i) {
        const std::uint32_t low = bits(8);
        std::uint32_t unit = low | (bits(8) << 8);
        if (unit >= 0xD800 && unit < 0xDC00) {
            pendingHigh = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit < 0xE000) {
            unit = pendingHigh ? 0x10000 + ((pendingHigh - 0xD800) << 10) + (unit - 0xDC00) : 0xFFFD;
        }
        pendingHigh = 0;
        if (unit == 0 || out.size() + 4 > maxBytes) {
            continue;
        }
        if (unit < 0x80) {
            out.push_back(static_cast<char>(unit));
        } else if (unit < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (unit >> 6)));
            out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        } else if (unit < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
            out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (unit >> 18)));
            out.push_back(static_cast<char>(0x80 | ((unit >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        }
    }
    return out;
}

namespace {

// The RGB word of 2004 and later: its high byte says whether it holds a true colour or an index.
Colour colourFromWord(std::uint32_t word, int index) {
    switch (word >> 24) {
    case 0xC2:
        return Colour::trueColour(word);
    case 0xC3:
        return Colour::byIndex(static_cast<int>(word & 0xFF));
    case 0xC0:
        return Colour::byIndex(Colour::kByLayer);
    case 0xC1:
        return Colour::byIndex(Colour::kByBlock);
    default:
        return index != 0 ? Colour::byIndex(index) : Colour::trueColour(word);
    }
}

} // namespace

Colour BitReader::CMC2004(std::size_t maxString) {
    const int index = BS();
    const auto word = static_cast<std::uint32_t>(BL());
    const std::uint8_t names = RC();
    if (names & 1) {
        TV(maxString); // colour name
    }
    if (names & 2) {
        TV(maxString); // book name
    }
    return colourFromWord(word, index);
}

Colour BitReader::ENC(bool& bookHandle) {
    const auto number = static_cast<std::uint16_t>(BS());
    bookHandle = (number & 0x4000) != 0;
    Colour colour = Colour::byIndex(number & 0xFFF);
    if (bookHandle) {
        colour = Colour::byIndex(Colour::kByBlock); // the book's colour object holds the RGB
    } else if (number & 0x8000) {
        colour = colourFromWord(static_cast<std::uint32_t>(BL()), 0);
    }
    if (number & 0x2000) {
        BL(); // transparency
    }
    return colour;
}

int BitReader::BOT() {
    switch (BB()) {
    case 0:
        return RC();
    case 1:
        return RC() + 0x1F0;
    default:
        return RS();
    }
}

Vec3 BitReader::BE(bool r2000) {
    if (r2000 && B()) {
        return {0, 0, 1};
    }
    return threeBD();
}

double BitReader::BT(bool r2000) {
    if (r2000 && B()) {
        return 0.0;
    }
    return BD();
}

std::string codePageToUtf8(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const std::uint8_t byte : bytes) {
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
        } else {
            out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return out;
}

std::uint16_t dwgCrc16(std::span<const std::uint8_t> bytes, std::uint16_t seed) {
    std::uint16_t crc = seed;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int i = 0; i < 8; ++i) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

} // namespace dsc::dwg
