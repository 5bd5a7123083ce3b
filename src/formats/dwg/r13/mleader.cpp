// MULTILEADER: its context data (leaders and content as last laid out), then its own properties.
#include "formats/dwg/r13/annotations.h"
#include "formats/dwg/r13/entities.h"

#include <cmath>

namespace dsc::dwg {
namespace {

constexpr std::uint32_t kMaxRoots = 4096;
constexpr std::uint32_t kMaxLines = 4096; // per root
constexpr std::uint32_t kMaxBreaks = 4096;
constexpr std::uint32_t kMaxColumns = 1024;
// The fewest bits each item can take: a count beyond what is left is a lie.
constexpr std::uint64_t kPointBits = 6;  // three BD zeros
constexpr std::uint64_t kRootBits = 24;  // two bits, two points, three counts and a double
constexpr std::uint64_t kLineBits = 6;   // three counts
constexpr std::uint64_t kBreakBits = 12; // two points
constexpr std::uint64_t kColumnBits = 2;

// Path types; overrides of a leader line's own properties (from 2010 on).
constexpr std::int16_t kPathInvisible = 0, kPathSpline = 2;
constexpr std::int32_t kOverridePath = 0x1, kOverrideColour = 0x2, kOverrideArrowSize = 0x10, kOverrideArrow = 0x20;
constexpr std::int16_t kContentBlock = 1;

Vec3 along(Vec3 p, Vec3 d, double k) {
    return {p.x + d.x * k, p.y + d.y * k, p.z + d.z * k};
}

Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double length(Vec3 v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

Vec3 unit(Vec3 v) {
    const double n = length(v);
    return n > 0 ? Vec3{v.x / n, v.y / n, v.z / n} : Vec3{};
}

bool enough(const BitReader& r, std::uint64_t count, std::uint64_t bitsEach) {
    return r.ok() && count * bitsEach <= r.endBit() - r.position();
}

Colour colour(BitReader& r, const ObjectContext& c) {
    return c.r2004 ? r.CMC2004(c.maxString) : r.CMC();
}

Colour orEntity(const Colour& own, const Colour& entity) {
    return !own.isTrue && own.index == Colour::kByBlock ? entity : own;
}

struct LineOverrides {
    std::int16_t path = 1;
    Colour colour;
    double arrowSize = 0;
    std::int32_t flags = 0;
};

bool readLeaderLine(BitReader& r, const ObjectContext& c, MLeaderLine& line, LineOverrides& own) {
    const auto points = static_cast<std::uint32_t>(r.BL());
    if (points > kMaxPoints || !enough(r, points, kPointBits)) {
        return false;
    }
    line.points.reserve(points);
    for (std::uint32_t i = 0; i < points; ++i) {
        line.points.push_back(r.threeBD());
    }
    if (r.BL() > 0) { // breaks
        r.BL();       // the segment they break
        const auto pairs = static_cast<std::uint32_t>(r.BL());
        if (pairs > kMaxBreaks || !enough(r, pairs, kBreakBits)) {
            return false;
        }
        for (std::uint32_t i = 0; i < pairs; ++i) {
            r.threeBD();
            r.threeBD();
        }
    }
    r.BL(); // its index
    if (c.r2010) {
        own.path = r.BS();
        own.colour = colour(r, c);
        r.BL(); // line weight
        own.arrowSize = r.BD();
        own.flags = r.BL();
    }
    return r.ok();
}

bool readRoot(BitReader& r, const ObjectContext& c, MLeaderRoot& root, std::vector<LineOverrides>& overrides) {
    r.B(); // content valid
    r.B();
    root.connection = r.threeBD();
    root.direction = r.threeBD();
    const auto breaks = static_cast<std::uint32_t>(r.BL());
    if (breaks > kMaxBreaks || !enough(r, breaks, kBreakBits)) {
        return false;
    }
    for (std::uint32_t i = 0; i < breaks; ++i) {
        r.threeBD();
        r.threeBD();
    }
    r.BL(); // its index
    root.landing = r.BD();
    const auto lines = static_cast<std::uint32_t>(r.BL());
    if (lines > kMaxLines || !enough(r, lines, kLineBits)) {
        return false;
    }
    root.lines.resize(lines);
    for (MLeaderLine& line : root.lines) {
        overrides.emplace_back();
        if (!readLeaderLine(r, c, line, overrides.back())) {
            return false;
        }
    }
    if (c.r2010) {
        r.BS(); // attachment direction
    }
    return r.ok();
}

struct ContextContent {
    double arrowSize = 0;
    std::size_t references = 0; // handles the context data refers to
    double landingGap = 0;      // between the landing and the text, and around a framed text
};

// The context data: leaders, then the text or the block as laid out.
bool readContext(BitReader& r, const ObjectContext& c, MLeader& m, std::vector<LineOverrides>& overrides,
                 ContextContent& content) {
    auto roots = static_cast<std::uint32_t>(r.BL());
    if (roots == 0) { // none counted: flags say whether one or two follow
        for (int i = 0; i < 5; ++i) {
            r.B();
        }
        roots = r.B() ? 2 : 1;
        r.B();
    }
    if (roots > kMaxRoots || !enough(r, roots, kRootBits)) {
        return false;
    }
    m.roots.resize(roots);
    for (MLeaderRoot& root : m.roots) {
        if (!readRoot(r, c, root, overrides)) {
            return false;
        }
    }
    r.BD(); // scale
    r.threeBD();
    const double textHeight = r.BD();
    content.arrowSize = r.BD();
    content.landingGap = r.BD();
    r.BS(); // left and right attachments, alignment, block connection
    r.BS();
    r.BS();
    r.BS();
    content.references = c.r2010 ? overrides.size() * 2 : 0; // each line's linetype and arrow
    if (r.B()) {
        ++content.references; // the text style
        MText text;
        text.text = plainMText(r.TV(c.maxString));
        m.normal = r.threeBD();
        text.insertion = r.threeBD();
        text.direction = r.threeBD();
        r.BD(); // rotation: in the direction
        text.referenceWidth = r.BD();
        r.BD(); // the box's height
        text.lineSpacing = r.BD();
        r.BS(); // spacing style
        m.textColour = colour(r, c);
        text.attachment = static_cast<std::uint8_t>(r.BS());
        r.BS();       // flow direction
        colour(r, c); // background
        r.BD();       // background scale
        r.BL();       // background transparency
        r.B();        // background fill
        r.B();        // mask
        r.BS();       // column type
        r.B();        // automatic height
        r.BD();       // column width
        r.BD();       // gutter
        r.B();        // flow reversed
        const auto columns = static_cast<std::uint32_t>(r.BL());
        if (columns > kMaxColumns || !enough(r, columns, kColumnBits)) {
            return false;
        }
        for (std::uint32_t i = 0; i < columns; ++i) {
            r.BD();
        }
        r.B(); // word break
        r.B();
        text.height = textHeight;
        if (text.attachment < 1 || text.attachment > 9) {
            text.attachment = 1;
        }
        m.text = std::move(text);
    } else if (r.B()) {
        ++content.references; // the block
        Insert insert;
        m.normal = r.threeBD();
        insert.position = r.threeBD();
        insert.scale = r.threeBD();
        insert.rotation = r.BD();
        m.blockColour = colour(r, c);
        for (int i = 0; i < 16; ++i) {
            r.BD(); // the block's transformation, which the values above already give
        }
        m.block = insert;
    }
    r.threeBD(); // the plane: origin, x and y axes
    r.threeBD();
    r.threeBD();
    r.B(); // normal reversed
    if (c.r2010) {
        r.BS(); // top and bottom attachments
        r.BS();
    }
    return r.ok();
}

} // namespace

std::vector<Piece> mleaderPieces(const MLeader& m, const Colour& entityColour) {
    std::vector<Piece> pieces;
    const Vec3 normal = length(m.normal) > 0 ? unit(m.normal) : Vec3{0, 0, 1};
    const bool flat = std::abs(normal.x) < 1e-9 && std::abs(normal.y) < 1e-9 && normal.z > 0;
    const Colour lineColour = orEntity(m.lineColour, entityColour);
    for (const MLeaderRoot& root : m.roots) {
        bool drawn = false;
        for (const MLeaderLine& line : root.lines) {
            if (!line.visible || line.points.empty()) {
                continue;
            }
            std::vector<Vec3> points = line.points;
            points.push_back(root.connection);
            const Colour own = orEntity(line.colour, lineColour);
            if (line.spline && points.size() > 2) {
                Spline curve;
                curve.fitPoints = points;
                pieces.push_back({std::move(curve), own});
            } else {
                pieces.push_back({path3d(points, false), own});
            }
            drawn = true;
            const Vec3 tip = points[0];
            const Vec3 back = unit({points[1].x - tip.x, points[1].y - tip.y, points[1].z - tip.z});
            if (!(line.arrowSize > 0) || length(back) == 0) {
                continue;
            }
            if (line.arrowBlock != 0 && flat) {
                Insert arrow;
                arrow.position = tip;
                arrow.scale = {line.arrowSize, line.arrowSize, line.arrowSize};
                arrow.rotation = std::atan2(-back.y, -back.x);
                pieces.push_back({arrow, own, line.arrowBlock});
                continue;
            }
            // The closed filled arrow: as long as its size, a third of it wide.
            const Vec3 side = unit(cross(normal, back));
            const Vec3 base = along(tip, back, line.arrowSize);
            const Vec3 left = along(base, side, line.arrowSize / 6), right = along(base, side, -line.arrowSize / 6);
            if (flat) {
                pieces.push_back({Solid{{tip, left, right, right}, false}, own});
            } else {
                pieces.push_back({path3d({tip, left, right}, true), own});
            }
        }
        if (drawn && m.dogleg && root.landing > 0 && length(root.direction) > 0) {
            pieces.push_back(
                {path3d({root.connection, along(root.connection, unit(root.direction), root.landing)}, false),
                 lineColour});
        }
    }
    if (m.text && !m.text->text.empty()) {
        pieces.push_back({*m.text, orEntity(m.textColour, entityColour)});
    }
    if (m.block && m.blockHandle != 0 && flat) {
        pieces.push_back({*m.block, orEntity(m.blockColour, entityColour), m.blockHandle});
    }
    return pieces;
}

bool readMultiLeader(BitReader& r, const ObjectContext& c, ParsedObject& out) {
    if (c.r2010) {
        r.BS(); // its version
    }
    MLeader m;
    std::vector<LineOverrides> overrides;
    ContextContent content;
    if (!readContext(r, c, m, overrides, content)) {
        return false;
    }
    r.BL(); // which properties override the style's
    const std::int16_t pathType = r.BS();
    m.lineColour = colour(r, c);
    r.BL(); // line weight
    r.B();  // landing enabled
    m.dogleg = r.B();
    r.BD(); // landing distance: each root has its own
    const double arrowSize = r.BD();
    const std::int16_t contentType = r.BS();
    r.BS(); // text attachments, angle and alignment
    r.BS();
    r.BS();
    r.BS();
    colour(r, c); // text and block colours, as the context gives them
    const bool framed = r.B();
    colour(r, c);
    r.threeBD(); // block scale and rotation, as the context gives them
    r.BD();
    r.BS();
    r.B(); // annotative
    if (!c.r2007) {
        const auto arrows = static_cast<std::uint32_t>(r.BL());
        if (arrows > kMaxRoots * kMaxLines || !enough(r, arrows, 1)) {
            return false;
        }
        for (std::uint32_t i = 0; i < arrows; ++i) {
            r.B();
        }
    }
    const auto attributes = static_cast<std::uint32_t>(r.BL());
    if (attributes > kMaxRoots || !enough(r, attributes, 4)) {
        return false;
    }
    for (std::uint32_t i = 0; i < attributes; ++i) {
        r.TV(c.maxString);
        r.BS();
        r.BD();
    }
    r.B(); // text direction negative
    r.BS();
    r.BS();
    r.BD(); // scale
    if (c.r2010) {
        r.BS();
        r.BS();
        r.BS();
    }
    if (c.r2013) {
        r.B();
    }
    if (!r.ok()) {
        return false;
    }

    const double defaultArrow = content.arrowSize > 0 ? content.arrowSize : arrowSize;
    // The entity's references follow the context's: its style, the lines' linetype, the arrow.
    const auto reference = [&out](std::size_t at) { return at < out.refs.size() ? out.refs[at] : 0; };
    const std::uint64_t arrowBlock = reference(content.references + 2);
    std::size_t next = 0;
    for (MLeaderRoot& root : m.roots) {
        for (MLeaderLine& line : root.lines) {
            line.arrowBlock = overrides[next].flags & kOverrideArrow ? reference(next * 2 + 1) : arrowBlock;
            const LineOverrides& own = overrides[next++];
            const std::int16_t type = own.flags & kOverridePath ? own.path : pathType;
            line.visible = type != kPathInvisible;
            line.spline = type == kPathSpline;
            line.colour = own.flags & kOverrideColour ? own.colour : m.lineColour;
            line.arrowSize = own.flags & kOverrideArrowSize ? own.arrowSize : defaultArrow;
            for (const Vec3& p : line.points) {
                if (!finite(p)) {
                    return false;
                }
            }
        }
        if (!finite(root.connection) || !finite(root.direction) || !std::isfinite(root.landing)) {
            return false;
        }
    }
    if (m.text) {
        if (!finite(m.text->insertion) || !finite(m.text->direction) || !(m.text->height > 0) ||
            !std::isfinite(m.text->height) || !std::isfinite(m.text->referenceWidth)) {
            m.text.reset();
        } else if (framed) {
            m.text->frameGap = std::isfinite(content.landingGap) ? std::abs(content.landingGap) : 0;
        }
    }
    if (m.block) {
        // The block's header is the context's last reference.
        m.blockHandle = contentType == kContentBlock ? reference(content.references - 1) : 0;
        if (!finite(m.block->position) || !finite(m.block->scale) || !std::isfinite(m.block->rotation)) {
            m.block.reset();
        }
    }
    std::vector<Piece> pieces = mleaderPieces(m, out.shape.colour);
    if (pieces.empty()) {
        return false;
    }
    out.shape.extrusion = {0, 0, 1}; // everything is in world coordinates
    // The first piece is the entity itself; every piece has its colour.
    out.shape.shape = pieces.front().shape;
    out.shape.colour = pieces.front().colour.value_or(out.shape.colour);
    out.block = pieces.front().block;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        out.moreShapes.push_back(std::move(pieces[i]));
    }
    return true;
}

} // namespace dsc::dwg
