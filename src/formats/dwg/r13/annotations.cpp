#include "formats/dwg/r13/annotations.h"

#include "formats/dwg/r13/entities.h"

#include <algorithm>
#include <cmath>

namespace dsc::dwg {
namespace {

constexpr std::size_t kMaxElements = 64;   // a multiline style holds at most 16
constexpr std::size_t kMaxParameters = 64; // per element and vertex
constexpr std::size_t kMaxRows = 16;
constexpr std::size_t kMaxBoxes = 64;
// A text height for tolerances of 2000 and later, which take theirs from the dimension style (the
// default style's), and for earlier ones that stored none.
constexpr double kDefaultToleranceHeight = 0.18;

Vec3 along(Vec3 p, Vec3 d, double k) {
    return {p.x + d.x * k, p.y + d.y * k, p.z + d.z * k};
}

// The characters a field shows: font and formatting groups ({\Fgdt;j}) count as one symbol.
std::size_t visibleLength(std::string_view field) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const char ch = field[i];
        if (ch == '{' || ch == '}') {
            continue;
        }
        if (ch == '\\') {
            const std::size_t end = field.find(';', i);
            if (end == std::string_view::npos) {
                break;
            }
            i = end;
            continue;
        }
        if (ch == '%' && field.substr(i, 3) == "%%c") {
            i += 2;
        }
        if (static_cast<unsigned char>(ch) < 0x80 || (static_cast<unsigned char>(ch) & 0xC0) == 0xC0) {
            ++n; // one per UTF-8 character
        }
    }
    return n;
}

// Takes fields of `text` up to `separator`, advancing it.
std::string_view next(std::string_view& text, std::string_view separator) {
    const std::size_t at = text.find(separator);
    const std::string_view piece = text.substr(0, at);
    text = at == std::string_view::npos ? std::string_view{} : text.substr(at + separator.size());
    return piece;
}

void setShapes(ParsedObject& out, std::vector<Polyline> pieces) {
    if (pieces.empty()) {
        return;
    }
    out.shape.shape = std::move(pieces.front());
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        out.moreShapes.push_back({std::move(pieces[i])});
    }
}

} // namespace

Polyline path3d(const std::vector<Vec3>& points, bool closed) {
    Polyline poly;
    poly.is3d = true;
    poly.closed = closed;
    for (const Vec3& p : points) {
        poly.vertices.push_back({p, 0, 0, 0});
    }
    return poly;
}

std::vector<Polyline> mlineElements(const std::vector<MLineVertex>& vertices, std::size_t elements, bool closed) {
    std::vector<Polyline> lines(std::max<std::size_t>(1, elements));
    for (std::size_t e = 0; e < lines.size(); ++e) {
        lines[e].is3d = true;
        lines[e].closed = closed;
        for (const MLineVertex& v : vertices) {
            const double offset = e < v.offsets.size() ? v.offsets[e] : 0;
            lines[e].vertices.push_back({along(v.position, v.miter, std::isfinite(offset) ? offset : 0), 0, 0, 0});
        }
    }
    return lines;
}

std::vector<Polyline> toleranceFrames(Vec3 insertion, Vec3 direction, double height, std::string_view text) {
    std::vector<Polyline> boxes;
    const double len = std::hypot(direction.x, direction.y);
    if (!(height > 0) || !std::isfinite(height) || !finite(insertion)) {
        return boxes;
    }
    const Vec3 x = len > 0 ? Vec3{direction.x / len, direction.y / len, 0} : Vec3{1, 0, 0};
    const Vec3 y{-x.y, x.x, 0};
    const double rowHeight = 2 * height, gap = height / 2;
    for (std::size_t row = 0; !text.empty() && row < kMaxRows; ++row) {
        std::string_view line = next(text, "^J");
        const Vec3 top = along(insertion, y, rowHeight / 2 - row * rowHeight);
        const Vec3 bottom = along(top, y, -rowHeight);
        double at = 0;
        while (!line.empty() && boxes.size() < kMaxBoxes) {
            const std::size_t shown = visibleLength(next(line, "%%v"));
            if (shown == 0) {
                continue; // an empty field draws no box
            }
            const double width = shown * height + 2 * gap;
            boxes.push_back(path3d(
                {along(top, x, at), along(top, x, at + width), along(bottom, x, at + width), along(bottom, x, at)},
                true));
            at += width;
        }
    }
    return boxes;
}

bool readMLine(BitReader& r, ParsedObject& out) {
    r.BD(); // scale: the offsets are already scaled
    r.RC(); // justification
    r.threeBD();
    out.shape.extrusion = r.threeBD();
    out.shape.extrusion = {0, 0, 1}; // the vertices are in world coordinates
    const bool closed = r.BS() == 3;
    const std::size_t elements = r.RC();
    const std::size_t count = static_cast<std::uint16_t>(r.BS());
    if (!r.ok() || elements > kMaxElements || count > kMaxPoints || count * 18ull > r.endBit() - r.position()) {
        return false;
    }
    std::vector<MLineVertex> vertices(count);
    for (MLineVertex& v : vertices) {
        v.position = r.threeBD();
        v.direction = r.threeBD();
        v.miter = r.threeBD();
        for (std::size_t e = 0; e < elements && r.ok(); ++e) {
            const auto parameters = static_cast<std::uint16_t>(r.BS());
            if (parameters > kMaxParameters) {
                return false;
            }
            for (std::uint16_t k = 0; k < parameters; ++k) {
                const double value = r.BD();
                if (k == 0) {
                    v.offsets.push_back(value); // from the vertex to the element's line
                }
            }
            if (parameters == 0) {
                v.offsets.push_back(0);
            }
            const auto fills = static_cast<std::uint16_t>(r.BS());
            if (fills > kMaxParameters) {
                return false;
            }
            for (std::uint16_t k = 0; k < fills; ++k) {
                r.BD();
            }
        }
        if (!r.ok()) {
            return false;
        }
    }
    if (vertices.empty()) {
        return false;
    }
    setShapes(out, mlineElements(vertices, elements, closed));
    return true;
}

bool readTolerance(BitReader& r, const ObjectContext& context, ParsedObject& out) {
    double height = kDefaultToleranceHeight;
    if (!context.r2000) {
        r.BS();
        const double stored = r.BD();
        r.BD(); // the gap
        if (stored > 0) {
            height = stored; // converters leave it 0
        }
    }
    const Vec3 insertion = r.threeBD();
    const Vec3 direction = r.threeBD();
    out.shape.extrusion = r.threeBD();
    out.shape.extrusion = {0, 0, 1}; // the frame is built in world coordinates
    const std::string text = r.TV(context.maxString);
    if (!r.ok()) {
        return false;
    }
    auto boxes = toleranceFrames(insertion, direction, height, text);
    if (boxes.empty()) {
        return false;
    }
    setShapes(out, std::move(boxes));
    return true;
}

bool readViewportFrame(BitReader& r, ParsedObject& out) {
    const Vec3 centre = r.threeBD();
    const double width = r.BD(), height = r.BD();
    if (!r.ok() || !finite(centre) || !std::isfinite(width) || !std::isfinite(height) || !(width > 0) ||
        !(height > 0)) {
        return false;
    }
    const double w = width / 2, h = height / 2;
    out.shape.shape = path3d({{centre.x - w, centre.y - h, centre.z},
                              {centre.x + w, centre.y - h, centre.z},
                              {centre.x + w, centre.y + h, centre.z},
                              {centre.x - w, centre.y + h, centre.z}},
                             true);
    return true;
}

} // namespace dsc::dwg
