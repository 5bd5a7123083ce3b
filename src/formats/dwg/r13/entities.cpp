#include "formats/dwg/r13/entities.h"

#include "formats/dwg/r13/annotations.h"

#include <cmath>

namespace dsc::dwg {
namespace {

Line readLine(BitReader& r, const ObjectContext& c, Entity& e) {
    Line line;
    if (c.r2000) {
        const bool flat = r.B();
        line.start.x = r.RD();
        line.end.x = r.DD(line.start.x);
        line.start.y = r.RD();
        line.end.y = r.DD(line.start.y);
        if (!flat) {
            line.start.z = r.RD();
            line.end.z = r.DD(line.start.z);
        }
    } else {
        line.start = r.threeBD();
        line.end = r.threeBD();
    }
    e.thickness = r.BT(c.r2000);
    e.extrusion = r.BE(c.r2000);
    return line;
}

Text readText(BitReader& r, const ObjectContext& c, Entity& e) {
    Text text;
    if (c.r2000) {
        const std::uint8_t flags = r.RC();
        double elevation = 0;
        if (!(flags & 0x01)) {
            elevation = r.RD();
        }
        text.insertion = r.twoRD();
        text.insertion.z = elevation;
        text.alignment = text.insertion;
        if (!(flags & 0x02)) {
            text.alignment.x = r.DD(text.insertion.x);
            text.alignment.y = r.DD(text.insertion.y);
        }
        e.extrusion = r.BE(true);
        e.thickness = r.BT(true);
        if (!(flags & 0x04)) {
            text.oblique = r.RD();
        }
        if (!(flags & 0x08)) {
            text.rotation = r.RD();
        }
        text.height = r.RD();
        if (!(flags & 0x10)) {
            text.widthFactor = r.RD();
        }
        text.text = r.TV(c.maxString);
        std::int16_t generation = 0, horizontal = 0, vertical = 0;
        if (!(flags & 0x20)) {
            generation = r.BS();
        }
        if (!(flags & 0x40)) {
            horizontal = r.BS();
        }
        if (!(flags & 0x80)) {
            vertical = r.BS();
        }
        text.backwards = (generation & 2) != 0;
        text.upsideDown = (generation & 4) != 0;
        text.horizontal = static_cast<std::uint8_t>(horizontal);
        text.vertical = static_cast<std::uint8_t>(vertical);
    } else {
        const double elevation = r.BD();
        text.insertion = r.twoRD();
        text.insertion.z = elevation;
        text.alignment = r.twoRD();
        text.alignment.z = elevation;
        e.extrusion = r.threeBD();
        e.thickness = r.BD();
        text.oblique = r.BD();
        text.rotation = r.BD();
        text.height = r.BD();
        text.widthFactor = r.BD();
        text.text = r.TV(c.maxString);
        const std::int16_t generation = r.BS();
        text.backwards = (generation & 2) != 0;
        text.upsideDown = (generation & 4) != 0;
        text.horizontal = static_cast<std::uint8_t>(r.BS());
        text.vertical = static_cast<std::uint8_t>(r.BS());
    }
    return text;
}

Insert readInsert(BitReader& r, const ObjectContext& c, Entity& e, bool multiple) {
    Insert insert;
    insert.position = r.threeBD();
    if (c.r2000) {
        switch (r.BB()) {
        case 3:
            break;
        case 1:
            insert.scale.x = 1;
            insert.scale.y = r.DD(1);
            insert.scale.z = r.DD(1);
            break;
        case 2:
            insert.scale.x = r.RD();
            insert.scale.y = insert.scale.z = insert.scale.x;
            break;
        default:
            insert.scale.x = r.RD();
            insert.scale.y = r.DD(insert.scale.x);
            insert.scale.z = r.DD(insert.scale.x);
            break;
        }
    } else {
        insert.scale = r.threeBD();
    }
    insert.rotation = r.BD();
    e.extrusion = r.threeBD();
    r.B(); // has attributes
    if (multiple) {
        insert.columns = static_cast<std::uint16_t>(r.BS());
        insert.rows = static_cast<std::uint16_t>(r.BS());
        insert.columnSpacing = r.BD();
        insert.rowSpacing = r.BD();
    }
    return insert;
}

bool readLwPolyline(BitReader& r, const ObjectContext& c, Entity& e) {
    Polyline poly;
    const std::int16_t flags = r.BS();
    double width = 0;
    if (flags & 4) {
        width = r.BD();
    }
    double elevation = 0;
    if (flags & 8) {
        elevation = r.BD();
    }
    if (flags & 2) {
        e.thickness = r.BD();
    }
    if (flags & 1) {
        e.extrusion = r.threeBD();
    }
    const auto points = static_cast<std::uint32_t>(r.BL());
    const auto bulges = (flags & 16) ? static_cast<std::uint32_t>(r.BL()) : 0u;
    const auto widths = (flags & 32) ? static_cast<std::uint32_t>(r.BL()) : 0u;
    // Each point takes at least two bits: a count beyond what is left is a lie.
    const std::uint64_t left = r.endBit() - r.position();
    if (!r.ok() || points > kMaxPoints || points * 2ull > left || bulges > points || widths > points) {
        return false;
    }
    poly.vertices.resize(points);
    for (std::uint32_t i = 0; i < points && r.ok(); ++i) {
        Vertex& v = poly.vertices[i];
        if (i == 0 || !c.r2000) {
            v.position = r.twoRD();
        } else {
            const Vec3& before = poly.vertices[i - 1].position;
            v.position.x = r.DD(before.x);
            v.position.y = r.DD(before.y);
        }
        v.position.z = elevation;
        v.startWidth = v.endWidth = width;
    }
    for (std::uint32_t i = 0; i < bulges && r.ok(); ++i) {
        poly.vertices[i].bulge = r.BD();
    }
    for (std::uint32_t i = 0; i < widths && r.ok(); ++i) {
        poly.vertices[i].startWidth = r.BD();
        poly.vertices[i].endWidth = r.BD();
    }
    poly.closed = (flags & 512) != 0;
    e.shape = std::move(poly);
    return r.ok();
}

bool readSpline(BitReader& r, const ObjectContext& c, Entity& e) {
    Spline spline;
    std::int32_t scenario = r.BL();
    if (c.r2013) {
        const std::int32_t flags = r.BL();
        r.BL(); // knot parameterisation
        if (flags & 1) {
            scenario = 2; // made from fit points
        }
    }
    spline.degree = r.BL();
    const std::uint64_t left = r.endBit() - r.position();
    if (scenario == 2) {
        r.BD();
        r.threeBD();
        r.threeBD();
        const auto fits = static_cast<std::uint32_t>(r.BL());
        if (!r.ok() || fits > kMaxPoints || fits * 6ull > left) {
            return false;
        }
        spline.fitPoints.resize(fits);
        for (auto& p : spline.fitPoints) {
            p = r.threeBD();
        }
    } else {
        const bool rational = r.B();
        spline.closed = r.B();
        r.B(); // periodic
        r.BD();
        r.BD();
        const auto knots = static_cast<std::uint32_t>(r.BL());
        const auto controls = static_cast<std::uint32_t>(r.BL());
        const bool weighted = r.B();
        if (!r.ok() || knots > kMaxPoints || controls > kMaxPoints || (knots + controls * 3ull) * 2 > left) {
            return false;
        }
        spline.knots.resize(knots);
        for (double& k : spline.knots) {
            k = r.BD();
        }
        spline.controlPoints.resize(controls);
        for (auto& p : spline.controlPoints) {
            p = r.threeBD();
            if (weighted) {
                spline.weights.push_back(r.BD());
            }
        }
        if (!rational && !weighted) {
            spline.weights.clear();
        }
    }
    e.shape = std::move(spline);
    return r.ok();
}

// LEADER: its path as straight segments (the arrowhead and a spline path are not drawn).
bool readLeader(BitReader& r, Entity& e) {
    r.B();
    r.BS(); // annotation type
    r.BS(); // path type
    const auto count = static_cast<std::uint32_t>(r.BL());
    if (!r.ok() || count > kMaxPoints || count * 6ull > r.endBit() - r.position()) {
        return false;
    }
    Polyline path;
    path.is3d = true;
    path.vertices.resize(count);
    for (Vertex& v : path.vertices) {
        v.position = r.threeBD();
    }
    e.shape = std::move(path);
    return r.ok();
}

// IMAGE and WIPEOUT: the frame of the pixel grid, from its origin along its two pixel vectors.
bool readImageFrame(BitReader& r, Entity& e) {
    r.BL(); // class version
    const Vec3 origin = r.threeBD();
    const Vec3 u = r.threeBD();
    const Vec3 v = r.threeBD();
    const double width = r.RD(), height = r.RD();
    if (!r.ok() || !std::isfinite(width) || !std::isfinite(height)) {
        return false;
    }
    const auto at = [&](double a, double b) {
        return Vec3{origin.x + u.x * a + v.x * b, origin.y + u.y * a + v.y * b, origin.z + u.z * a + v.z * b};
    };
    Polyline frame;
    frame.is3d = true;
    frame.closed = true;
    for (const Vec3& corner : {at(0, 0), at(width, 0), at(width, height), at(0, height)}) {
        frame.vertices.push_back({corner, 0, 0, 0});
    }
    e.shape = std::move(frame);
    return true;
}

} // namespace

bool readEntityShape(const std::string& kind, BitReader& r, const ObjectContext& c, ParsedObject& out) {
    Entity& e = out.shape;
    if (kind == "LINE") {
        e.shape = readLine(r, c, e);
    } else if (kind == "POINT") {
        Point point;
        point.position = r.threeBD();
        e.thickness = r.BT(c.r2000);
        e.extrusion = r.BE(c.r2000);
        e.shape = point;
    } else if (kind == "CIRCLE" || kind == "ARC") {
        Arc arc;
        arc.centre = r.threeBD();
        arc.radius = r.BD();
        e.thickness = r.BT(c.r2000);
        e.extrusion = r.BE(c.r2000);
        if (kind == "ARC") {
            arc.startAngle = r.BD();
            arc.endAngle = r.BD();
            e.shape = arc;
        } else {
            e.shape = Circle{arc.centre, arc.radius};
        }
    } else if (kind == "ELLIPSE") {
        Ellipse ellipse;
        ellipse.centre = r.threeBD();
        ellipse.majorAxis = r.threeBD();
        e.extrusion = r.threeBD();
        ellipse.ratio = r.BD();
        ellipse.startParam = r.BD();
        ellipse.endParam = r.BD();
        e.shape = ellipse;
    } else if (kind == "SOLID" || kind == "TRACE") {
        Solid solid;
        solid.trace = kind == "TRACE";
        e.thickness = r.BT(c.r2000);
        const double elevation = r.BD();
        for (Vec3& corner : solid.corners) {
            corner = r.twoRD();
            corner.z = elevation;
        }
        e.extrusion = r.BE(c.r2000);
        e.shape = solid;
    } else if (kind == "3DFACE") {
        Face3d face;
        if (c.r2000) {
            const bool noFlags = r.B();
            const bool flat = r.B();
            face.corners[0].x = r.RD();
            face.corners[0].y = r.RD();
            if (!flat) {
                face.corners[0].z = r.RD();
            }
            for (int i = 1; i < 4; ++i) {
                const Vec3& before = face.corners[i - 1];
                face.corners[i] = {r.DD(before.x), r.DD(before.y), r.DD(before.z)};
            }
            if (!noFlags) {
                face.invisibleEdges = static_cast<std::uint8_t>(r.BS());
            }
        } else {
            for (Vec3& corner : face.corners) {
                corner = r.threeBD();
            }
            face.invisibleEdges = static_cast<std::uint8_t>(r.BS());
        }
        e.shape = face;
    } else if (kind == "TEXT" || kind == "ATTRIB" || kind == "ATTDEF") {
        Text text = readText(r, c, e);
        if (kind == "ATTDEF") {
            r.TV(c.maxString);
            text.text = r.TV(c.maxString); // its tag
        }
        e.shape = std::move(text);
    } else if (kind == "MTEXT") {
        MText text;
        text.insertion = r.threeBD();
        e.extrusion = r.threeBD();
        text.direction = r.threeBD();
        text.referenceWidth = r.BD();
        if (c.r2007) {
            r.BD(); // the box's height
        }
        text.height = r.BD();
        text.attachment = static_cast<std::uint8_t>(r.BS());
        r.BS(); // drawing direction
        r.BD();
        r.BD();
        text.text = plainMText(r.TV(c.maxString));
        if (c.r2000) {
            r.BS();
            text.lineSpacing = r.BD();
        }
        e.shape = std::move(text);
    } else if (kind == "INSERT" || kind == "MINSERT" || kind == "ACAD_TABLE") {
        e.shape = readInsert(r, c, e, kind == "MINSERT"); // a table is drawn through its block
    } else if (kind.starts_with("DIMENSION_") || kind == "ARC_DIMENSION" || kind == "LARGE_RADIAL_DIMENSION") {
        if (c.r2010) {
            r.RC(); // the dimension's own version
        }
        e.extrusion = r.threeBD(); // drawn through its block, inserted as is
        e.extrusion = {0, 0, 1};
        e.shape = Insert{};
    } else if (kind == "LWPOLYLINE") {
        return readLwPolyline(r, c, e);
    } else if (kind == "POLYLINE_2D") {
        Polyline poly;
        poly.closed = (r.BS() & 1) != 0;
        r.BS();
        r.BD(); // default widths: each vertex has its own
        r.BD();
        e.thickness = r.BT(c.r2000);
        r.BD(); // elevation: each vertex has its own z
        e.extrusion = r.BE(c.r2000);
        e.shape = std::move(poly);
    } else if (kind == "POLYLINE_3D") {
        Polyline poly;
        r.RC();
        poly.closed = (r.RC() & 1) != 0;
        poly.is3d = true;
        e.shape = std::move(poly);
    } else if (kind == "VERTEX_2D") {
        const std::uint8_t flags = r.RC();
        out.vertex.position = r.threeBD();
        double start = r.BD();
        double end = start;
        if (start < 0) {
            start = end = -start;
        } else {
            end = r.BD();
        }
        out.vertex.startWidth = start;
        out.vertex.endWidth = end;
        out.vertex.bulge = r.BD();
        out.isVertex = (flags & 16) == 0; // not a spline frame control point
        return false;
    } else if (kind == "VERTEX_3D") {
        const std::uint8_t flags = r.RC();
        out.vertex.position = r.threeBD();
        out.isVertex = (flags & 16) == 0;
        return false;
    } else if (kind == "HATCH") {
        return readHatch(r, e, c.r2004, c.r2010);
    } else if (kind == "LEADER") {
        return readLeader(r, e);
    } else if (kind == "IMAGE" || kind == "WIPEOUT") {
        return readImageFrame(r, e);
    } else if (kind == "SPLINE") {
        return readSpline(r, c, e);
    } else if (kind == "RAY" || kind == "XLINE") {
        Ray ray;
        ray.base = r.threeBD();
        ray.direction = r.threeBD();
        ray.bothWays = kind == "XLINE";
        e.shape = ray;
    } else if (kind == "MULTILEADER") {
        return readMultiLeader(r, c, out);
    } else if (kind == "MLINE") {
        return readMLine(r, out);
    } else if (kind == "TOLERANCE") {
        return readTolerance(r, c, out);
    } else if (kind == "VIEWPORT") {
        return readViewportFrame(r, out);
    } else {
        return false;
    }
    return r.ok();
}

} // namespace dsc::dwg
