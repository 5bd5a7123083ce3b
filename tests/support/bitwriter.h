#pragma once
// Writes the bit-coded values of releases 13 and later, most significant bit first, so that tests
// can build an object's data field by field.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace dsc::test {

class BitWriter {
public:
    void bits(std::uint32_t value, unsigned count) {
        for (unsigned i = count; i-- > 0;) {
            if (m_count % 8 == 0) {
                m_bytes.push_back(0);
            }
            if ((value >> i) & 1u) {
                m_bytes.back() |= static_cast<std::uint8_t>(0x80u >> (m_count % 8));
            }
            ++m_count;
        }
    }
    void B(bool v) { bits(v ? 1 : 0, 1); }
    void RC(std::uint8_t v) { bits(v, 8); }
    void bytesLE(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) {
            RC(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
    void BS(std::int16_t v) {
        if (v == 0) {
            bits(2, 2);
        } else {
            bits(0, 2);
            bytesLE(static_cast<std::uint16_t>(v), 2);
        }
    }
    void BL(std::int32_t v) {
        if (v == 0) {
            bits(2, 2);
        } else {
            bits(0, 2);
            bytesLE(static_cast<std::uint32_t>(v), 4);
        }
    }
    void BD(double v) {
        if (v == 0.0) {
            bits(2, 2);
        } else if (v == 1.0) {
            bits(1, 2);
        } else {
            bits(0, 2);
            std::uint64_t raw = 0;
            std::memcpy(&raw, &v, 8);
            bytesLE(raw, 8);
        }
    }
    void threeBD(double x, double y, double z) {
        BD(x);
        BD(y);
        BD(z);
    }
    void TV(const std::string& text) { // in the code page, as releases before 2007 store it
        BS(static_cast<std::int16_t>(text.size()));
        for (const char ch : text) {
            RC(static_cast<std::uint8_t>(ch));
        }
    }

    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    std::size_t bitCount() const { return m_count; }

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_count = 0;
};

} // namespace dsc::test
