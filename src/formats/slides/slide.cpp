#include "formats/slides/slide.h"

#include "formats/core/bytesource.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>

namespace dsc {

namespace {

constexpr std::uint8_t kSlideId[17] = {'A', 'u', 't', 'o', 'C',  'A',  'D',  ' ', 'S',
                                       'l', 'i', 'd', 'e', 0x0D, 0x0A, 0x1A, 0x00};
constexpr std::size_t kNewHeaderSize = 31;
constexpr std::size_t kOldHeaderSize = 34;

struct Reader {
    std::span<const std::uint8_t> data;
    bool bigEndian = false;

    std::uint16_t u16(std::size_t at) const {
        const auto* p = data.data() + at;
        return bigEndian ? static_cast<std::uint16_t>((p[0] << 8) | p[1]) : le16(p);
    }
    std::int16_t i16(std::size_t at) const { return static_cast<std::int16_t>(u16(at)); }
};

std::int32_t s8(std::uint8_t b) {
    return static_cast<std::int8_t>(b);
}

} // namespace

SlidePoint offsetPoint(SlidePoint from, std::int32_t dx, std::int32_t dy) {
    auto add = [](std::int32_t a, std::int32_t b) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{a} + b, INT32_MIN, INT32_MAX));
    };
    return {add(from.x, dx), add(from.y, dy)};
}

namespace {

double readDouble(const std::uint8_t* p, bool bigEndian) {
    std::uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) {
        bytes[i] = bigEndian ? p[7 - i] : p[i];
    }
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) {
        bits = (bits << 8) | bytes[i];
    }
    return std::bit_cast<double>(bits);
}

bool plausibleOldHeader(std::span<const std::uint8_t> d, bool bigEndian) {
    Reader r{d, bigEndian};
    const auto hx = r.u16(19), hy = r.u16(21);
    const double aspect = readDouble(d.data() + 23, bigEndian);
    return hx >= 1 && hx <= 32767 && hy >= 1 && hy <= 32767 && std::isfinite(aspect) && aspect >= 0.1 && aspect <= 10.0;
}

// Old headers carry no byte-order mark: guess from the first record, the end record, then sanity.
bool guessOldByteOrder(std::span<const std::uint8_t> d, std::size_t endHint) {
    if (d.size() >= kOldHeaderSize + 2) {
        const auto a = d[kOldHeaderSize], b = d[kOldHeaderSize + 1];
        if (b == 0xFF && a != 0xFF) {
            return false;
        }
        if (a == 0xFF && b != 0xFF) {
            return true;
        }
    }
    const std::size_t end = endHint ? endHint : d.size();
    if (end >= kOldHeaderSize + 2 && end <= d.size()) {
        if (d[end - 2] == 0x00 && d[end - 1] == 0xFC) {
            return false;
        }
        if (d[end - 2] == 0xFC && d[end - 1] == 0x00) {
            return true;
        }
    }
    return !plausibleOldHeader(d, false) && plausibleOldHeader(d, true);
}

class Decoder {
public:
    Decoder(Slide& slide, const SlideLimits& limits) : m_slide(slide), m_limits(limits) {}

    bool addLine(SlidePoint a, SlidePoint b) {
        if (!room()) {
            return false;
        }
        const auto first = static_cast<std::uint32_t>(m_slide.points.size());
        m_slide.points.push_back(a);
        m_slide.points.push_back(b);
        m_slide.elements.push_back({SlideElement::Kind::Line, m_colour, first, 2});
        m_slide.coloursUsed.set(m_colour);
        return true;
    }

    void beginPolygon() {
        closePolygon();
        m_polygonFirst = m_slide.points.size();
        m_inPolygon = true;
    }
    void addVertex(SlidePoint p) {
        if (m_slide.points.size() - m_polygonFirst < m_limits.maxPolygonPoints) {
            m_slide.points.push_back(p);
        }
    }
    bool inPolygon() const { return m_inPolygon; }
    // Ends the polygon being collected; keeps it when it has at least one vertex.
    bool closePolygon() {
        if (!m_inPolygon) {
            return true;
        }
        m_inPolygon = false;
        const auto count = m_slide.points.size() - m_polygonFirst;
        if (count == 0) {
            return true;
        }
        if (!room()) {
            m_slide.points.resize(m_polygonFirst);
            return false;
        }
        m_slide.elements.push_back({SlideElement::Kind::Fill, m_colour, static_cast<std::uint32_t>(m_polygonFirst),
                                    static_cast<std::uint32_t>(count)});
        m_slide.coloursUsed.set(m_colour);
        return true;
    }
    void setColour(std::uint8_t c) { m_colour = c; }

private:
    bool room() const { return m_slide.elements.size() < m_limits.maxElements; }

    Slide& m_slide;
    const SlideLimits& m_limits;
    std::uint8_t m_colour = 7;
    std::size_t m_polygonFirst = 0;
    bool m_inPolygon = false;
};

} // namespace

std::string describe(SlideError error) {
    switch (error) {
    case SlideError::None:
        return "no error";
    case SlideError::TooShort:
        return "file too short for a slide header";
    case SlideError::NotASlide:
        return "not a slide (identification text missing)";
    case SlideError::BadByteOrder:
        return "byte-order test number is invalid";
    case SlideError::UnknownLevel:
        return "unknown slide header level";
    case SlideError::CorruptRecord:
        return "corrupt record";
    case SlideError::TooManyRecords:
        return "too many records";
    }
    return "unknown error";
}

bool looksLikeSlide(std::span<const std::uint8_t> data) {
    return data.size() >= sizeof kSlideId && std::memcmp(data.data(), kSlideId, sizeof kSlideId) == 0;
}

Slide readSlide(std::span<const std::uint8_t> d, const SlideLimits& limits, std::size_t endHint) {
    Slide slide;
    if (d.size() < 19) {
        slide.error = d.size() >= sizeof kSlideId && !looksLikeSlide(d) ? SlideError::NotASlide : SlideError::TooShort;
        return slide;
    }
    if (!looksLikeSlide(d)) {
        slide.error = SlideError::NotASlide;
        return slide;
    }
    SlideHeader& h = slide.header;
    h.typeByte = d[17]; // never validated: real files and writers disagree on it
    const int level = d[18];
    Reader r{d, false};
    if (level == 2) {
        if (d.size() < kNewHeaderSize) {
            slide.error = SlideError::TooShort;
            return slide;
        }
        if (d[29] == 0x34 && d[30] == 0x12) {
            r.bigEndian = false;
        } else if (d[29] == 0x12 && d[30] == 0x34) {
            r.bigEndian = true;
        } else {
            slide.error = SlideError::BadByteOrder;
            return slide;
        }
        h.aspectRaw = le32(d.data() + 23); // stays little-endian in every file
        h.aspect = h.aspectRaw / 1.0e7;
        h.hwFill = r.u16(27);
        h.size = kNewHeaderSize;
    } else if (level == 1) {
        if (d.size() < kOldHeaderSize) {
            slide.error = SlideError::TooShort;
            return slide;
        }
        r.bigEndian = guessOldByteOrder(d, endHint);
        h.aspect = readDouble(d.data() + 23, r.bigEndian);
        if (!std::isfinite(h.aspect) || h.aspect <= 0.0 || h.aspect > 1.0e6) {
            h.aspect = 0.0; // unusable; the renderer falls back to hx/hy
        }
        h.hwFill = r.u16(31);
        h.size = kOldHeaderSize;
    } else {
        slide.error = SlideError::UnknownLevel;
        return slide;
    }
    h.level = level;
    h.bigEndian = r.bigEndian;
    h.hx = r.u16(19);
    h.hy = r.u16(21);

    Decoder out(slide, limits);
    SlidePoint last{0, 0};
    std::size_t pos = h.size;
    const std::size_t n = d.size();
    auto stopCorrupt = [&](SlideError e) {
        out.closePolygon();
        slide.error = e;
        slide.errorOffset = pos;
    };
    while (true) {
        if (pos + 2 > n) {
            out.closePolygon();
            slide.truncated = true;
            slide.bytesUsed = n;
            return slide;
        }
        const std::uint16_t w = r.u16(pos);
        const std::uint8_t type = static_cast<std::uint8_t>(w >> 8);
        const std::uint8_t low = static_cast<std::uint8_t>(w & 0xFF);
        std::size_t recordSize = 0;
        if (type <= 0x7F) {
            recordSize = 8;
        } else if (type == 0xFB) {
            recordSize = 5;
        } else if (type == 0xFC || type == 0xFF) {
            recordSize = 2;
        } else if (type == 0xFD) {
            recordSize = 6;
        } else if (type == 0xFE) {
            recordSize = 3;
        } else {
            stopCorrupt(SlideError::CorruptRecord);
            return slide;
        }
        if (pos + recordSize > n) {
            out.closePolygon();
            slide.truncated = true;
            slide.bytesUsed = n;
            return slide;
        }
        if (type != 0xFD && out.inPolygon() && !out.closePolygon()) {
            stopCorrupt(SlideError::TooManyRecords);
            return slide;
        }
        bool added = true;
        switch (type) {
        case 0xFB: {
            ++slide.counts.offsetVector;
            const SlidePoint from = offsetPoint(last, s8(low), s8(d[pos + 2]));
            const SlidePoint to = offsetPoint(last, s8(d[pos + 3]), s8(d[pos + 4]));
            added = out.addLine(from, to);
            last = from;
            break;
        }
        case 0xFC:
            ++slide.counts.end;
            out.closePolygon();
            slide.bytesUsed = pos + 2;
            return slide;
        case 0xFD: {
            ++slide.counts.fill;
            const SlidePoint p{r.i16(pos + 2), r.i16(pos + 4)};
            if (p.y < 0) {
                // A marker: ends the polygon being collected, or starts one. Counts lie; ignore them.
                if (out.inPolygon()) {
                    added = out.closePolygon();
                } else {
                    out.beginPolygon();
                }
            } else if (out.inPolygon()) {
                out.addVertex(p);
            } // a vertex outside any polygon has nothing to belong to
            break;
        }
        case 0xFE: {
            ++slide.counts.commonEndpoint;
            const SlidePoint to = offsetPoint(last, s8(low), s8(d[pos + 2]));
            added = out.addLine(last, to);
            last = to;
            break;
        }
        case 0xFF:
            ++slide.counts.colour;
            out.setColour(low);
            break;
        default: {
            ++slide.counts.vector;
            const SlidePoint from{w, r.i16(pos + 2)};
            const SlidePoint to{r.i16(pos + 4), r.i16(pos + 6)};
            added = out.addLine(from, to);
            last = from;
            break;
        }
        }
        if (!added) {
            stopCorrupt(SlideError::TooManyRecords);
            return slide;
        }
        pos += recordSize;
    }
}

} // namespace dsc
