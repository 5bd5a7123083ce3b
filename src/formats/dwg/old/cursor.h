#pragma once
// Little-endian reads through the bytes of the drawings before release 13.

#include "formats/dwg/model/drawing.h"
#include "formats/dwg/old/oldrecords.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace dsc::dwg::old {

// A little-endian double at `p`; NaN reads as 0.
inline double f64At(const std::uint8_t* p) {
    double v;
    std::memcpy(&v, p, 8);
    return v == v ? v : 0;
}

// The header's extents (six doubles at `extents`: min x y z, max x y z) and limits (four at
// `limits`: min x y, max x y).
inline void readHeaderBoxes(Drawing& d, const std::uint8_t* extents, const std::uint8_t* limits) {
    d.extMin = {f64At(extents), f64At(extents + 8), f64At(extents + 16)};
    d.extMax = {f64At(extents + 24), f64At(extents + 32), f64At(extents + 40)};
    d.hasExtents = d.extMin.x <= d.extMax.x && d.extMin.y <= d.extMax.y;
    d.limMin = {f64At(limits), f64At(limits + 8), 0};
    d.limMax = {f64At(limits + 16), f64At(limits + 24), 0};
    d.hasLimits = true;
}

// Sequential reads; a read past the end marks the cursor bad and yields zeros.
struct Cursor {
    std::span<const std::uint8_t> data;
    std::size_t pos = 0;
    bool bad = false;

    bool have(std::size_t n) {
        if (bad || n > data.size() - pos) {
            bad = true;
            return false;
        }
        return true;
    }
    std::uint8_t u8() { return have(1) ? data[pos++] : 0; }
    std::int16_t s16() {
        if (!have(2)) {
            return 0;
        }
        const auto v = static_cast<std::int16_t>(data[pos] | (data[pos + 1] << 8));
        pos += 2;
        return v;
    }
    double f64() {
        if (!have(8)) {
            return 0;
        }
        double v;
        std::memcpy(&v, data.data() + pos, 8);
        pos += 8;
        return v == v ? v : 0; // a NaN would poison every bound downstream
    }
    Vec3 p2(double z = 0) {
        const double x = f64(), y = f64();
        return {x, y, z};
    }
    Vec3 p3() {
        const double x = f64(), y = f64(), z = f64();
        return {x, y, z};
    }
    void skip(std::size_t n) {
        if (have(n)) {
            pos += n;
        }
    }
    std::string text(std::size_t maxString) {
        const auto n = static_cast<std::uint16_t>(s16());
        if (!have(n)) {
            return {};
        }
        auto s = toUtf8(data.subspan(pos, std::min<std::size_t>(n, maxString)));
        pos += n;
        return s;
    }
};

} // namespace dsc::dwg::old
