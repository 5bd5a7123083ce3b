// HATCH of releases 13 to 2000: its boundary loops, each a closed path of edges or a polyline.
#include "formats/dwg/r13/entities.h"

namespace dsc::dwg {
namespace {

// Clockwise edges store their angles negated: the same curve counter-clockwise runs the other way.
void counterClockwise(double& start, double& end, bool ccw) {
    if (!ccw) {
        const double s = start;
        start = -end;
        end = -s;
    }
}

bool readHatchEdge(BitReader& r, std::vector<BoundaryPiece>& loop, std::uint64_t& budget, bool r2010) {
    switch (r.RC()) {
    case 1: {
        Line line;
        line.start = r.twoRD();
        line.end = r.twoRD();
        loop.emplace_back(line);
        return true;
    }
    case 2: {
        Arc arc;
        arc.centre = r.twoRD();
        arc.radius = r.BD();
        arc.startAngle = r.BD();
        arc.endAngle = r.BD();
        counterClockwise(arc.startAngle, arc.endAngle, r.B());
        loop.emplace_back(arc);
        return true;
    }
    case 3: {
        Ellipse ellipse;
        ellipse.centre = r.twoRD();
        ellipse.majorAxis = r.twoRD();
        ellipse.ratio = r.BD();
        ellipse.startParam = r.BD();
        ellipse.endParam = r.BD();
        counterClockwise(ellipse.startParam, ellipse.endParam, r.B());
        loop.emplace_back(ellipse);
        return true;
    }
    case 4: {
        Spline spline;
        spline.degree = r.BL();
        const bool rational = r.B();
        r.B(); // periodic
        const auto knots = static_cast<std::uint32_t>(r.BL());
        const auto controls = static_cast<std::uint32_t>(r.BL());
        if (!r.ok() || knots + controls > budget || (knots + controls * 2ull) * 2 > r.endBit() - r.position()) {
            return false;
        }
        budget -= knots + controls;
        spline.knots.resize(knots);
        for (double& k : spline.knots) {
            k = r.BD();
        }
        spline.controlPoints.resize(controls);
        for (Vec3& p : spline.controlPoints) {
            p = r.twoRD();
            if (rational) {
                spline.weights.push_back(r.BD());
            }
        }
        if (r2010) {
            const auto fits = static_cast<std::uint32_t>(r.BL());
            if (!r.ok() || fits > budget || fits * 4ull > r.endBit() - r.position()) {
                return false;
            }
            budget -= fits;
            r.skipBits(fits * 128ull + 4 * 64); // fit points and the end tangents, raw doubles
        }
        loop.emplace_back(std::move(spline));
        return true;
    }
    default:
        return false;
    }
}

// Up to the boundary loops: the pattern itself is drawn as its boundary.
// A gradient fill's description, not drawn: the hatch shows as its boundary either way.
bool skipGradient(BitReader& r) {
    r.BL(); // is a gradient
    r.BL();
    r.BD(); // angle
    r.BD(); // shift
    r.BL(); // single colour
    r.BD(); // tint
    const auto colours = static_cast<std::uint32_t>(r.BL());
    if (!r.ok() || colours > 1024) {
        return false;
    }
    for (std::uint32_t i = 0; i < colours && r.ok(); ++i) {
        r.BD();
        r.BS();
        r.BL(); // RGB
        r.RC();
    }
    r.TV(256); // gradient name
    return r.ok();
}

} // namespace

bool readHatch(BitReader& r, Entity& e, bool r2004, bool r2010) {
    if (r2004 && !skipGradient(r)) {
        return false;
    }
    Hatch hatch;
    hatch.elevation = r.BD();
    e.extrusion = r.threeBD();
    r.TV(256); // pattern name
    hatch.solid = r.B();
    r.B(); // associative
    const auto paths = static_cast<std::uint32_t>(r.BL());
    std::uint64_t budget = kMaxPoints;
    if (!r.ok() || paths > kMaxPoints || paths * 4ull > r.endBit() - r.position()) {
        return false;
    }
    for (std::uint32_t p = 0; p < paths && r.ok(); ++p) {
        std::vector<BoundaryPiece> loop;
        const auto flags = static_cast<std::uint32_t>(r.BL());
        if (flags & 2) {
            const bool bulges = r.B();
            Polyline poly;
            poly.closed = r.B();
            const auto count = static_cast<std::uint32_t>(r.BL());
            if (!r.ok() || count > budget || count * 2ull > r.endBit() - r.position()) {
                return false;
            }
            budget -= count;
            poly.vertices.resize(count);
            for (Vertex& v : poly.vertices) {
                v.position = r.twoRD();
                if (bulges) {
                    v.bulge = r.BD();
                }
            }
            loop.emplace_back(std::move(poly));
        } else {
            const auto edges = static_cast<std::uint32_t>(r.BL());
            if (!r.ok() || edges > budget || edges * 8ull > r.endBit() - r.position()) {
                return false;
            }
            budget -= edges;
            for (std::uint32_t i = 0; i < edges && r.ok(); ++i) {
                if (!readHatchEdge(r, loop, budget, r2010)) {
                    return false;
                }
            }
        }
        const auto sources = static_cast<std::uint32_t>(r.BL()); // their handles are elsewhere
        (void)sources;
        hatch.loops.push_back(std::move(loop));
    }
    e.shape = std::move(hatch);
    return r.ok();
}

} // namespace dsc::dwg
