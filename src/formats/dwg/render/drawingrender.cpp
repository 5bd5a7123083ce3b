#include "formats/dwg/render/drawingrender.h"

#include "formats/core/aci.h"
#include "formats/dwg/render/curves.h"
#include "formats/dwg/render/displaylist.h"
#include "formats/dwg/render/textlayout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace dsc::dwg {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// The slide rasterizer draws table colours only: a true colour becomes the nearest one of them.
std::uint8_t nearestIndex(std::uint32_t rgb) {
    int best = 7;
    long bestD = -1;
    for (int i = 1; i < 256; ++i) {
        const std::uint32_t c = aciColour(static_cast<std::uint8_t>(i));
        const long dr = long((c >> 16) & 255) - long((rgb >> 16) & 255);
        const long dg = long((c >> 8) & 255) - long((rgb >> 8) & 255);
        const long db = long(c & 255) - long(rgb & 255);
        const long d = dr * dr + dg * dg + db * db;
        if (bestD < 0 || d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

// The nearest index of each true colour met, remembered in 256 slots: a search of the table per
// entity would cost more than drawing most of them.
class NearestColours {
public:
    std::uint8_t operator()(std::uint32_t rgb) {
        rgb &= 0xFFFFFFu;
        const std::size_t slot = (rgb ^ (rgb >> 8) ^ (rgb >> 16)) & 0xFFu;
        if (m_rgb[slot] != rgb) {
            m_rgb[slot] = rgb;
            m_index[slot] = nearestIndex(rgb);
        }
        return m_index[slot];
    }

private:
    std::array<std::uint32_t, 256> m_rgb = filled(0xFF000000u); // no colour: the slots start empty
    std::array<std::uint8_t, 256> m_index{};
    static std::array<std::uint32_t, 256> filled(std::uint32_t v) {
        std::array<std::uint32_t, 256> a;
        a.fill(v);
        return a;
    }
};

std::uint8_t tableIndex(const Colour& c, std::uint8_t fallback, NearestColours& nearest) {
    if (c.isTrue) {
        return nearest(c.rgb);
    }
    if (c.index >= 1 && c.index <= 255) {
        return static_cast<std::uint8_t>(c.index);
    }
    return fallback;
}

// What an insert hands down to its block's entities.
struct Inherit {
    Affine transform;
    std::uint8_t byBlock = 7;
    std::int32_t layer = 0; // for entities on layer "0"
    int depth = 0;
};

// A text's segments, straight from its layout into the display list: while measuring, only the
// extents of their ends, without a call per segment.
class TextSink final : public GlyphSink {
public:
    TextSink(DisplayList& out, const Affine& a, double z, std::uint8_t colour)
        : m_out(out), m_a(a), m_z(z), m_colour(colour) {}

    void take(std::span<const GlyphSegment> segments) override {
        if (!m_out.drawing()) {
            Bounds box;
            std::size_t n = 0;
            for (const auto& g : segments) {
                n += box.addSegment(m_a.plan({g.a.x, g.a.y, m_z}), m_a.plan({g.b.x, g.b.y, m_z}));
            }
            m_out.measured(box, n);
            return;
        }
        for (const auto& g : segments) {
            if (m_out.exhausted()) {
                return;
            }
            m_out.segment(m_a.plan({g.a.x, g.a.y, m_z}), m_a.plan({g.b.x, g.b.y, m_z}), m_colour);
        }
    }

private:
    DisplayList& m_out;
    const Affine& m_a;
    double m_z;
    std::uint8_t m_colour;
};

class Walker {
public:
    Walker(const Drawing& d, DisplayList& out) : m_d(d), m_out(out) {}

    void entities(const std::vector<Entity>& list, const Inherit& in) {
        for (const Entity& e : list) {
            if (!m_out.visit()) {
                return;
            }
            entity(e, in);
        }
    }

private:
    const Layer* layerOf(std::int32_t i) const {
        return i >= 0 && std::size_t(i) < m_d.layers.size() ? &m_d.layers[std::size_t(i)] : nullptr;
    }

    void entity(const Entity& e, const Inherit& in) {
        if (e.invisible) {
            return;
        }
        const std::int32_t layerIndex = (e.layer == 0 && in.depth > 0) ? in.layer : e.layer;
        const Layer* layer = layerOf(layerIndex);
        if (layer && layer->frozen) {
            return;
        }
        const std::uint8_t layerColour = layer ? tableIndex(layer->colour, 7, m_nearest) : 7;
        std::uint8_t colour = layerColour;
        if (e.colour.isTrue || (e.colour.index >= 1 && e.colour.index <= 255)) {
            colour = tableIndex(e.colour, 7, m_nearest);
        } else if (e.colour.index == Colour::kByBlock) {
            colour = in.byBlock;
        }
        if (const auto* ins = std::get_if<Insert>(&e.shape)) {
            insert(*ins, e, in, colour, layerIndex);
            return;
        }
        if (layer && layer->off) {
            return;
        }
        m_colour = colour;
        m_wcs = in.transform;
        m_ocs = in.transform * ocsToWcs(e.extrusion);
        std::visit([&](const auto& s) { draw(s, e); }, e.shape);
    }

    void insert(const Insert& ins, const Entity& e, const Inherit& in, std::uint8_t colour, std::int32_t layer) {
        if (ins.block < 0 || std::size_t(ins.block) >= m_d.blocks.size() || in.depth >= m_limits.maxNesting ||
            std::find(m_stack.begin(), m_stack.end(), ins.block) != m_stack.end() || !sane(ins.position) ||
            !sane(ins.scale) || !sane(ins.rotation) || !sane(ins.columnSpacing) || !sane(ins.rowSpacing)) {
            return;
        }
        const Block& block = m_d.blocks[std::size_t(ins.block)];
        m_stack.push_back(ins.block);
        for (int r = 0; r < std::max<int>(1, ins.rows) && !m_out.exhausted(); ++r) {
            for (int c = 0; c < std::max<int>(1, ins.columns) && !m_out.exhausted(); ++c) {
                Inherit child;
                child.transform = in.transform * insertTransform(ins, block.base, e.extrusion, c, r);
                child.byBlock = colour;
                child.layer = layer;
                child.depth = in.depth + 1;
                entities(block.entities, child);
            }
        }
        m_stack.pop_back();
    }

    double ppu(const Affine& a) const { return m_out.scale() * a.planScale(); }

    void path(const std::vector<Vec3>& pts, const Affine& a, bool closed) {
        m_plan.clear();
        for (const Vec3& p : pts) {
            m_plan.push_back(a.plan(p));
        }
        m_out.polyline(m_plan, closed, m_colour);
    }

    void fill(const std::vector<Vec3>& pts, const Affine& a) {
        m_plan.clear();
        for (const Vec3& p : pts) {
            m_plan.push_back(a.plan(p));
        }
        m_out.polygon(m_plan, m_colour);
    }

    void draw(const Line& s, const Entity&) { m_out.segment(m_wcs.plan(s.start), m_wcs.plan(s.end), m_colour); }
    void draw(const Point& s, const Entity&) {
        const Vec2 p = m_wcs.plan(s.position);
        m_out.segment(p, p, m_colour);
    }
    void draw(const Circle& s, const Entity&) {
        if (!sane(s.radius)) {
            return;
        }
        m_pts.clear();
        appendArc(m_pts, s.centre, std::abs(s.radius), 0, kTwoPi, ppu(m_ocs));
        path(m_pts, m_ocs, true);
    }
    void draw(const Arc& s, const Entity&) {
        if (!sane(s.radius) || !sane(s.startAngle) || !sane(s.endAngle)) {
            return;
        }
        double sweep = std::fmod(s.endAngle - s.startAngle, kTwoPi);
        if (sweep <= 0) {
            sweep += kTwoPi;
        }
        m_pts.clear();
        appendArc(m_pts, s.centre, std::abs(s.radius), s.startAngle, sweep, ppu(m_ocs));
        path(m_pts, m_ocs, false);
    }
    void draw(const Ellipse& s, const Entity& e) { path(ellipsePoints(s, e.extrusion, ppu(m_wcs)), m_wcs, false); }
    void draw(const Spline& s, const Entity&) { path(splinePoints(s, ppu(m_wcs)), m_wcs, false); }
    void draw(const Solid& s, const Entity&) { fill({s.corners[0], s.corners[1], s.corners[3], s.corners[2]}, m_ocs); }
    void draw(const Face3d& s, const Entity&) {
        for (int i = 0; i < 4; ++i) {
            if (!(s.invisibleEdges & (1u << i))) {
                m_out.segment(m_wcs.plan(s.corners[i]), m_wcs.plan(s.corners[(i + 1) % 4]), m_colour);
            }
        }
    }
    void draw(const Polyline& s, const Entity&) {
        const Affine& a = s.is3d ? m_wcs : m_ocs;
        const std::size_t n = s.vertices.size();
        if (n == 0) {
            return;
        }
        const std::size_t segs = s.closed ? n : n - 1;
        bool wide = false;
        m_pts.assign(1, s.vertices[0].position);
        for (std::size_t i = 0; i < segs && !m_out.exhausted(); ++i) {
            const Vertex& v = s.vertices[i];
            const Vec3 b = s.vertices[(i + 1) % n].position;
            if (!s.is3d && (v.startWidth > 0 || v.endWidth > 0) && sane(v.startWidth) && sane(v.endWidth)) {
                wideSegment(v, b, a);
                wide = true;
            }
            if (!s.is3d && v.bulge != 0 && sane(v.bulge)) {
                appendBulge(m_pts, v.position, b, v.bulge, ppu(a));
            } else {
                m_pts.push_back(b);
            }
            if (m_pts.size() >= 4096) { // bounded memory: drawn in pieces
                path(m_pts, a, false);
                m_pts.erase(m_pts.begin(), m_pts.end() - 1);
            }
        }
        if (!wide || m_pts.size() > 1) {
            path(m_pts, a, false);
        }
    }
    // A straight wide segment as a quadrilateral (a bulged one keeps its centre line only).
    void wideSegment(const Vertex& v, Vec3 b, const Affine& a) {
        const double dx = b.x - v.position.x, dy = b.y - v.position.y, len = std::hypot(dx, dy);
        if (!(len > 0) || v.bulge != 0) {
            return;
        }
        const double nx = -dy / len, ny = dx / len, h0 = v.startWidth / 2, h1 = v.endWidth / 2;
        const Vec3 p = v.position;
        fill({{p.x + nx * h0, p.y + ny * h0, p.z},
              {b.x + nx * h1, b.y + ny * h1, p.z},
              {b.x - nx * h1, b.y - ny * h1, p.z},
              {p.x - nx * h0, p.y - ny * h0, p.z}},
             a);
    }
    void draw(const Text& s, const Entity&) {
        TextSink sink(m_out, m_ocs, s.insertion.z, m_colour);
        layoutText(s, sink);
    }
    // MText lies in the WCS plane through its insertion point.
    void draw(const MText& s, const Entity&) {
        TextSink sink(m_out, m_wcs, s.insertion.z, m_colour);
        layoutMText(s, sink);
    }
    void draw(const Insert&, const Entity&) {}
    void draw(const Hatch& s, const Entity&) {
        std::vector<std::vector<Vec2>> loops;
        for (const auto& loop : s.loops) {
            m_pts.clear();
            for (const BoundaryPiece& piece : loop) {
                piecePoints(piece);
            }
            if (m_pts.size() > 16384) {
                m_pts.resize(16384);
            }
            std::vector<Vec2> plan;
            for (Vec3 p : m_pts) {
                p.z = s.elevation;
                plan.push_back(m_ocs.plan(p));
            }
            if (s.solid) {
                loops.push_back(std::move(plan));
            } else {
                m_out.polyline(plan, true, m_colour);
            }
        }
        if (s.solid && !loops.empty()) {
            m_out.fillLoops(loops, m_colour);
        }
    }
    void piecePoints(const BoundaryPiece& piece) {
        const double k = ppu(m_ocs);
        if (const auto* l = std::get_if<Line>(&piece)) {
            m_pts.push_back(l->start);
            m_pts.push_back(l->end);
        } else if (const auto* a = std::get_if<Arc>(&piece)) {
            if (sane(a->radius) && sane(a->startAngle) && sane(a->endAngle)) {
                appendArc(m_pts, a->centre, std::abs(a->radius), a->startAngle, a->endAngle - a->startAngle, k);
            }
        } else if (const auto* el = std::get_if<Ellipse>(&piece)) {
            const auto p = ellipsePoints(*el, {0, 0, 1}, k);
            m_pts.insert(m_pts.end(), p.begin(), p.end());
        } else if (const auto* sp = std::get_if<Spline>(&piece)) {
            const auto p = splinePoints(*sp, k);
            m_pts.insert(m_pts.end(), p.begin(), p.end());
        } else if (const auto* pl = std::get_if<Polyline>(&piece)) {
            const std::size_t n = pl->vertices.size();
            for (std::size_t i = 0; i < n && m_pts.size() < 16384; ++i) {
                const Vertex& v = pl->vertices[i];
                m_pts.push_back(v.position);
                if ((i + 1 < n || pl->closed) && v.bulge != 0 && sane(v.bulge)) {
                    appendBulge(m_pts, v.position, pl->vertices[(i + 1) % n].position, v.bulge, k);
                    m_pts.pop_back();
                }
            }
        }
    }
    void draw(const Ray& s, const Entity&) {
        // Rays take no part in the extents; drawn, they reach just past the view.
        if (!m_out.drawing() || !sane(s.base) || !sane(s.direction)) {
            return;
        }
        const Vec2 b = m_wcs.plan(s.base);
        const Vec3 d3 = m_wcs.applyLinear(s.direction);
        const double len = std::hypot(d3.x, d3.y);
        if (!(len > 0)) {
            return;
        }
        const Bounds v = m_out.view();
        const double reach = std::hypot(b.x - (v.minX + v.maxX) / 2, b.y - (v.minY + v.maxY) / 2) +
                             std::hypot(v.maxX - v.minX, v.maxY - v.minY);
        const Vec2 far{b.x + d3.x / len * reach, b.y + d3.y / len * reach};
        const Vec2 from = s.bothWays ? Vec2{b.x - d3.x / len * reach, b.y - d3.y / len * reach} : b;
        m_out.segment(from, far, m_colour);
    }

public:
    RenderLimits m_limits;

private:
    const Drawing& m_d;
    DisplayList& m_out;
    NearestColours m_nearest;
    std::vector<std::int32_t> m_stack;
    std::vector<Vec3> m_pts;
    std::vector<Vec2> m_plan;
    Affine m_wcs, m_ocs;
    std::uint8_t m_colour = 7;
};

void walk(const Drawing& d, DisplayList& out, const RenderLimits& limits) {
    Walker w(d, out);
    w.m_limits = limits;
    w.entities(d.entities, {});
}

} // namespace

RenderResult renderDrawing(const Drawing& drawing, int width, int height, const RenderLimits& limits) {
    RenderResult result;
    if (width <= 0 || height <= 0) {
        return result;
    }
    DisplayList list(limits);
    walk(drawing, list, limits);
    const Bounds b = list.bounds();
    result.hasExtents = b.any;
    result.minX = b.minX, result.minY = b.minY, result.maxX = b.maxX, result.maxY = b.maxY;
    if (!b.any) {
        result.truncated = list.exhausted();
        allocateRaster(result.image, width, height, 0xFF000000u);
        return result;
    }
    // A margin of about 3 % each side; the picture takes the drawn extents' aspect.
    const double dx = b.maxX - b.minX, dy = b.maxY - b.minY;
    const double margin = std::max(1.0, 0.03 * std::min(width, height));
    const double availW = std::max(1.0, width - 1 - 2 * margin), availH = std::max(1.0, height - 1 - 2 * margin);
    // Bounded, so that extents a few denormals wide (the width over them is infinite) still map to
    // finite device coordinates: they draw as a point does.
    constexpr double kMostScale = 1e300;
    double scale = 1;
    if (dx > 0 || dy > 0) {
        scale = std::min({dx > 0 ? availW / dx : kMostScale, dy > 0 ? availH / dy : kMostScale, kMostScale});
    }
    const int w = std::clamp(static_cast<int>(std::lround(dx * scale + 1 + 2 * margin)), 1, width);
    const int h = std::clamp(static_cast<int>(std::lround(dy * scale + 1 + 2 * margin)), 1, height);
    if (!allocateRaster(result.image, w, h, 0xFF000000u)) {
        return result;
    }
    const double minX = b.minX - ((w - 1) / scale - dx) / 2, minY = b.minY - ((h - 1) / scale - dy) / 2;
    list.beginDrawing(result.image, minX, minY, scale);
    walk(drawing, list, limits);
    list.finish();
    result.empty = false;
    result.truncated = list.exhausted();
    result.segments = list.segments();
    return result;
}

} // namespace dsc::dwg
