#pragma once
// Writes slides and slide libraries byte by byte, for tests and fuzz seeds.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace dsc::test {

using Bytes = std::vector<std::uint8_t>;

class SlideWriter {
public:
    struct Options {
        int level = 2;
        bool bigEndian = false;
        std::uint16_t hx = 572, hy = 292;
        double aspect = 1.4647307;
        std::uint8_t typeByte = 0x56;
    };
    SlideWriter() : SlideWriter(Options{}) {}
    explicit SlideWriter(const Options& o) : m_o(o) {
        static constexpr std::uint8_t kId[17] = {'A', 'u', 't', 'o', 'C',  'A',  'D',  ' ', 'S',
                                                 'l', 'i', 'd', 'e', 0x0D, 0x0A, 0x1A, 0x00};
        m_bytes.resize(19);
        std::memcpy(m_bytes.data(), kId, sizeof kId);
        m_bytes[17] = o.typeByte;
        m_bytes[18] = static_cast<std::uint8_t>(o.level);
        word(o.hx);
        word(o.hy);
        if (o.level == 2) {
            const auto raw = static_cast<std::uint32_t>(o.aspect * 1e7 + 0.5);
            for (int i = 0; i < 4; ++i) {
                m_bytes.push_back(static_cast<std::uint8_t>(raw >> (8 * i)));
            }
            word(2);
            word(0x1234);
        } else {
            std::uint64_t bits;
            std::memcpy(&bits, &o.aspect, 8);
            for (int i = 0; i < 8; ++i) {
                const int shift = o.bigEndian ? 8 * (7 - i) : 8 * i;
                m_bytes.push_back(static_cast<std::uint8_t>(bits >> shift));
            }
            word(2);
            m_bytes.push_back(0);
        }
    }

    SlideWriter& colour(std::uint8_t c) { return word(static_cast<std::uint16_t>(0xFF00 | c)); }
    SlideWriter& vector(int fx, int fy, int tx, int ty) {
        word(static_cast<std::uint16_t>(fx));
        word(static_cast<std::uint16_t>(fy));
        word(static_cast<std::uint16_t>(tx));
        return word(static_cast<std::uint16_t>(ty));
    }
    SlideWriter& offsetVector(int dx0, int dy0, int dx1, int dy1) {
        word(static_cast<std::uint16_t>(0xFB00 | static_cast<std::uint8_t>(dx0)));
        m_bytes.push_back(static_cast<std::uint8_t>(dy0));
        m_bytes.push_back(static_cast<std::uint8_t>(dx1));
        m_bytes.push_back(static_cast<std::uint8_t>(dy1));
        return *this;
    }
    SlideWriter& commonEndpoint(int dx, int dy) {
        word(static_cast<std::uint16_t>(0xFE00 | static_cast<std::uint8_t>(dx)));
        m_bytes.push_back(static_cast<std::uint8_t>(dy));
        return *this;
    }
    SlideWriter& fillRecord(int x, int y) {
        word(0xFD00);
        word(static_cast<std::uint16_t>(x));
        return word(static_cast<std::uint16_t>(y));
    }
    // A polygon with a start marker carrying `count` (which real files fill in differently) and an
    // end marker.
    SlideWriter& fill(const std::vector<std::pair<int, int>>& vertices, int count = -1) {
        fillRecord(count < 0 ? static_cast<int>(vertices.size()) + 1 : count, -2);
        for (const auto& [x, y] : vertices) {
            fillRecord(x, y);
        }
        return fillRecord(vertices.back().first, -vertices.back().second - 1);
    }
    SlideWriter& end() { return word(0xFC00); }
    SlideWriter& raw(std::initializer_list<std::uint8_t> bytes) {
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }
    const Bytes& bytes() const { return m_bytes; }

private:
    SlideWriter& word(std::uint16_t w) {
        if (m_o.bigEndian) {
            m_bytes.push_back(static_cast<std::uint8_t>(w >> 8));
            m_bytes.push_back(static_cast<std::uint8_t>(w));
        } else {
            m_bytes.push_back(static_cast<std::uint8_t>(w));
            m_bytes.push_back(static_cast<std::uint8_t>(w >> 8));
        }
        return *this;
    }

    Options m_o;
    Bytes m_bytes;
};

struct LibraryMember {
    std::string name;
    Bytes slide;
};

// A library laid out as real ones are: header, directory, end entry, members back to back.
// `offsets`, when given, overrides the stored offsets.
inline Bytes writeLibrary(const std::vector<LibraryMember>& members, const std::vector<std::uint32_t>& offsets = {}) {
    const char id[] = "AutoCAD Slide Library 1.0\r\n\x1a";
    Bytes out(32, 0);
    std::memcpy(out.data(), id, 28);
    std::uint32_t at = static_cast<std::uint32_t>(32 + 36 * (members.size() + 1));
    for (std::size_t i = 0; i < members.size(); ++i) {
        std::uint8_t entry[36] = {};
        std::memcpy(entry, members[i].name.data(), std::min<std::size_t>(members[i].name.size(), 32));
        const std::uint32_t off = i < offsets.size() ? offsets[i] : at;
        for (int b = 0; b < 4; ++b) {
            entry[32 + b] = static_cast<std::uint8_t>(off >> (8 * b));
        }
        out.insert(out.end(), entry, entry + 36);
        at += static_cast<std::uint32_t>(members[i].slide.size());
    }
    out.resize(out.size() + 36, 0);
    for (const auto& m : members) {
        out.insert(out.end(), m.slide.begin(), m.slide.end());
    }
    return out;
}

// A small complete slide: one white diagonal.
inline Bytes simpleSlide(int x = 10) {
    return SlideWriter().colour(7).vector(x, 0, 0, 20).end().bytes();
}

} // namespace dsc::test
