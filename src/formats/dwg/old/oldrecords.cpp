#include "formats/dwg/old/oldrecords.h"

#include "formats/dwg/old/cursor.h"

#include <bit>
#include <cstring>

namespace dsc::dwg::old {

namespace {

// Entity-mode bits, then the two flag bytes whose meaning depends on the record's type.
constexpr std::uint8_t kHasHandle = 0x20, kHasThickness = 0x08, kHasElevation = 0x04, kHasLinetype = 0x02,
                       kHasColour = 0x01;

bool bit(std::uint16_t flags, int n) {
    return (flags >> (16 - n)) & 1;
} // n = 1 the first byte's top bit

} // namespace

std::string toUtf8(std::span<const std::uint8_t> bytes) {
    std::string out;
    for (const auto b : bytes) {
        if (b == 0) {
            break;
        }
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

std::optional<Record> decodeRecord(std::span<const std::uint8_t> bytes, std::size_t maxString, std::size_t& size) {
    if (bytes.size() < 8) {
        return std::nullopt;
    }
    const auto type = static_cast<std::int8_t>(bytes[0]);
    const std::uint8_t mode = bytes[1];
    const auto recordSize = static_cast<std::uint16_t>(bytes[2] | (bytes[3] << 8));
    if (recordSize < 8 || recordSize > bytes.size()) {
        return std::nullopt;
    }
    size = recordSize;
    Cursor c{bytes.first(recordSize), 4};
    Record r;
    r.entity.layer = c.s16();
    const auto flags = static_cast<std::uint16_t>((c.u8() << 8) | c.u8());
    if (type < 0) {
        return r; // erased
    }
    if (mode & kHasColour) {
        r.entity.colour = Colour::byIndex(c.u8());
    }
    if (mode & kHasLinetype) {
        c.skip(1);
    }
    // Lines, points and 3D faces give a flat entity's z by omitting it; the others store it.
    const bool flatZ = type == 1 || type == 2 || type == 22;
    double elevation = 0;
    if ((mode & kHasElevation) && !flatZ) {
        elevation = c.f64();
    }
    if (mode & kHasThickness) {
        r.entity.thickness = c.f64();
    }
    if (mode & kHasHandle) {
        c.skip(c.u8());
    }
    const bool z = !(mode & kHasElevation);
    auto& e = r.entity;
    r.kind = RecordKind::Drawable;
    switch (type) {
    case 1: {
        Line l;
        // Release 2.6 tells a line's z by other flags than release 10: its size tells in both.
        const std::size_t left = c.data.size() - c.pos;
        const bool lineZ = left != 32 && left != 56 && (z || left == 48 || left == 72);
        l.start = c.p2();
        l.start.z = lineZ ? c.f64() : 0;
        l.end = c.p2();
        l.end.z = lineZ ? c.f64() : 0;
        if (bit(flags, 8) && c.data.size() - c.pos >= 24) {
            e.extrusion = c.p3();
        }
        e.shape = l;
        r.dxfName = "LINE";
        break;
    }
    case 21: {
        Line l;
        l.start = c.p3();
        l.end = c.p3();
        e.shape = l;
        r.dxfName = "3DLINE";
        break;
    }
    case 2: {
        Point p;
        const bool pointZ = c.data.size() - c.pos >= 24; // as for lines, the size tells
        p.position = c.p2();
        p.position.z = pointZ ? c.f64() : 0;
        e.shape = p;
        r.dxfName = "POINT";
        break;
    }
    case 3: {
        Circle ci;
        ci.centre = c.p2(elevation);
        ci.radius = c.f64();
        e.shape = ci;
        r.dxfName = "CIRCLE";
        break;
    }
    case 8: {
        Arc a;
        a.centre = c.p2(elevation);
        a.radius = c.f64();
        a.startAngle = c.f64();
        a.endAngle = c.f64();
        if (bit(flags, 8)) {
            e.extrusion = c.p3();
        }
        e.shape = a;
        r.dxfName = "ARC";
        break;
    }
    case 9:
    case 11: {
        Solid s;
        for (auto& corner : s.corners) {
            corner = c.p2(elevation);
        }
        s.trace = type == 9;
        e.shape = s;
        r.dxfName = type == 9 ? "TRACE" : "SOLID";
        break;
    }
    case 22: {
        Face3d f;
        // The earliest releases with 3D faces store their corners flat, whatever the flags say.
        // Their corners' z are told by flags that differ between releases: the size tells too.
        // Release 2.6 may give z to some corners only: the first flag byte's low bits say which,
        // when the size agrees.
        const std::size_t left = c.data.size() - c.pos;
        const unsigned zBits = (flags >> 8) & 0x0Fu;
        const bool perCorner = zBits != 0 && left == 64 + 8 * static_cast<std::size_t>(std::popcount(zBits));
        const bool faceZ = left >= 96;
        for (int i = 0; i < 4; ++i) {
            f.corners[i] = c.p2();
            f.corners[i].z = (perCorner ? (zBits >> i) & 1u : faceZ) ? c.f64() : 0;
        }
        if (bit(flags, 8) && c.data.size() - c.pos >= 2) {
            const auto edges = static_cast<std::uint16_t>(c.s16());
            f.invisibleEdges = static_cast<std::uint8_t>(edges & 0x0F);
        }
        e.shape = f;
        r.dxfName = "3DFACE";
        break;
    }
    case 7:
    case 15:
    case 16: {
        Text t;
        t.insertion = c.p2(elevation);
        t.height = c.f64();
        t.text = c.text(maxString);
        if (type != 7) {
            // ATTDEF: default, prompt, tag; ATTRIB: value, tag. The drawn string is the tag for an
            // attribute definition, the value for an attribute.
            if (type == 15) {
                c.text(maxString);
                t.text = c.text(maxString);
            } else {
                c.text(maxString);
            }
            const std::uint8_t attFlags = c.u8();
            e.invisible = type == 16 ? (attFlags & 0x01) : (attFlags & 0x04);
        }
        const int shift = type == 7 ? 0 : 1; // attributes' optional fields sit one flag later
        if (bit(flags, 8 - shift)) {
            t.rotation = c.f64();
        }
        if (bit(flags, 7 - shift)) {
            t.widthFactor = c.f64();
        }
        if (bit(flags, 6 - shift)) {
            t.oblique = c.f64();
        }
        if (bit(flags, 5 - shift)) {
            c.skip(1);
        }
        if (bit(flags, 4 - shift)) {
            const std::uint8_t g = c.u8();
            t.backwards = g & 0x02;
            t.upsideDown = g & 0x04;
        }
        if (bit(flags, 3 - shift)) {
            t.horizontal = c.u8();
        }
        if (bit(flags, 2 - shift)) {
            t.alignment = c.p2(elevation);
        }
        e.shape = t;
        r.dxfName = type == 7 ? "TEXT" : type == 15 ? "ATTDEF" : "ATTRIB";
        break;
    }
    case 14:
    case 23: {
        Insert in;
        in.block = c.s16();
        if (type == 23) {
            c.p3();
            in.position = {};
            r.dxfName = "DIMENSION";
        } else {
            in.position = c.p2(elevation);
            if (bit(flags, 8)) {
                in.scale.x = c.f64();
            }
            if (bit(flags, 7)) {
                in.scale.y = c.f64();
            }
            if (bit(flags, 6)) {
                in.rotation = c.f64();
            }
            if (bit(flags, 5)) {
                in.scale.z = c.f64();
            }
            if (bit(flags, 4)) {
                in.columns = static_cast<std::uint16_t>(c.s16());
            }
            if (bit(flags, 3)) {
                in.rows = static_cast<std::uint16_t>(c.s16());
            }
            if (bit(flags, 2)) {
                in.columnSpacing = c.f64();
            }
            if (bit(flags, 1)) {
                in.rowSpacing = c.f64();
            }
            if (bit(flags, 16)) {
                e.extrusion = c.p3();
            }
            r.dxfName = "INSERT";
        }
        e.shape = in;
        break;
    }
    case 12:
        // The block's base point: what its inserts place at their own position.
        // A record too short for it (none seen) keeps the origin rather than losing the block.
        e.shape = Point{c.data.size() - c.pos >= 16 ? c.p2(elevation) : Vec3{}};
        r.kind = RecordKind::BlockBegin;
        r.dxfName = "BLOCK";
        break;
    case 13:
        r.kind = RecordKind::BlockEnd;
        r.dxfName = "ENDBLK";
        break;
    case 17:
        r.kind = RecordKind::SeqEnd;
        r.dxfName = "SEQEND";
        break;
    case 18:
    case 19: {
        r.kind = RecordKind::Polyline;
        r.dxfName = "POLYLINE";
        Polyline pl;
        if (bit(flags, 8)) {
            const std::uint8_t f = c.u8();
            pl.closed = f & 0x01;
            r.polyline3d = f & 0x08;
            r.mesh = f & 0x10;
        }
        double sw = 0, ew = 0;
        if (bit(flags, 7)) {
            sw = c.f64();
        }
        if (bit(flags, 6)) {
            ew = c.f64();
        }
        if (bit(flags, 5)) {
            e.extrusion = c.p3();
        }
        pl.vertices.push_back({{0, 0, elevation}, sw, ew, 0}); // defaults for the vertices, dropped later
        pl.is3d = r.polyline3d || r.mesh;
        e.shape = pl;
        break;
    }
    case 20: {
        r.kind = RecordKind::Vertex;
        r.dxfName = "VERTEX";
        Polyline pl;
        Vertex v;
        v.position = c.p2(elevation);
        if (bit(flags, 8)) {
            v.startWidth = c.f64();
        }
        if (bit(flags, 7)) {
            v.endWidth = c.f64();
        }
        if (bit(flags, 6)) {
            v.bulge = c.f64();
        }
        pl.vertices.push_back(v);
        e.shape = pl;
        break;
    }
    default:
        r.kind = RecordKind::Skipped;
        r.dxfName = type == 4 ? "SHAPE" : "";
        break;
    }
    if (c.bad) {
        r.kind = RecordKind::Skipped;
    }
    return r;
}

} // namespace dsc::dwg::old
