#pragma once
// A drawing's geometry as plain values: what every release's reader fills and the renderer draws.
// Coordinates are as the file stores them: world coordinates (WCS) for lines, points, 3D polylines,
// 3D faces, ellipses, splines and rays; object coordinates (OCS, given by `extrusion` through the
// arbitrary-axis rule) for circles, arcs, 2D and lightweight polylines, solids, traces, texts,
// inserts and hatches. Angles are in radians, counter-clockwise in the entity's own plane.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace dsc::dwg {

struct Vec3 {
    double x = 0, y = 0, z = 0;
    bool operator==(const Vec3&) const = default;
};

inline bool finite(const Vec3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// An entity's or a layer's colour: an index of the 256-colour table, BYLAYER, BYBLOCK, or a true
// colour (releases 2004 and later).
struct Colour {
    static constexpr std::int16_t kByBlock = 0;
    static constexpr std::int16_t kByLayer = 256;
    std::int16_t index = kByLayer; // 1..255 a table colour; kByBlock; kByLayer
    bool isTrue = false;           // when set, `rgb` wins over `index`
    std::uint32_t rgb = 0;         // 0xRRGGBB

    static Colour byIndex(int i) { return {static_cast<std::int16_t>(i), false, 0}; }
    static Colour trueColour(std::uint32_t rgb) { return {kByLayer, true, rgb & 0xFFFFFFu}; }
    bool operator==(const Colour&) const = default;
};

struct Line {
    Vec3 start, end; // WCS
};

struct Point {
    Vec3 position; // WCS
};

struct Circle {
    Vec3 centre; // OCS
    double radius = 0;
};

struct Arc {
    Vec3 centre; // OCS
    double radius = 0;
    double startAngle = 0, endAngle = 0; // counter-clockwise from start to end
};

struct Ellipse {
    Vec3 centre;                                         // WCS
    Vec3 majorAxis;                                      // WCS, from the centre to the end of the major axis
    double ratio = 1;                                    // minor / major
    double startParam = 0, endParam = 6.283185307179586; // a full ellipse by default
};

struct Vertex {
    Vec3 position;
    double startWidth = 0, endWidth = 0; // of the segment that starts here
    double bulge = 0;                    // tan(included angle / 4) of that segment; 0 straight
};

// 2D (heavy and lightweight: OCS, z is the elevation) and 3D (WCS) polylines, and the 3D meshes'
// edges, which readers give as 3D polylines.
struct Polyline {
    std::vector<Vertex> vertices;
    bool closed = false;
    bool is3d = false; // WCS, no bulges or widths
};

struct Spline {
    int degree = 3;
    std::vector<Vec3> controlPoints; // WCS
    std::vector<double> knots;       // controlPoints.size() + degree + 1 of them, or empty
    std::vector<double> weights;     // empty when the spline is not rational
    std::vector<Vec3> fitPoints;     // used only when there are no control points
    bool closed = false;
};

// SOLID and TRACE: a filled quadrilateral, corners in the file's order (1, 2, 3, 4: drawn as
// 1-2-4-3); a triangle repeats its third corner.
struct Solid {
    Vec3 corners[4]; // OCS
    bool trace = false;
};

struct Face3d {
    Vec3 corners[4];                 // WCS
    std::uint8_t invisibleEdges = 0; // bit i: the edge from corner i to corner i+1 is hidden
};

// TEXT, ATTRIB and, in model space, ATTDEF (its tag). Strings are UTF-8, with the drawing's
// control codes (%%c, %%d, %%p, %%u…) left as they are for the renderer to interpret.
struct Text {
    std::string text;
    Vec3 insertion; // OCS: the first alignment point
    Vec3 alignment; // OCS: the second alignment point, used when the justification is not left/baseline
    double height = 1;
    double rotation = 0;
    double widthFactor = 1;
    double oblique = 0;          // radians
    std::uint8_t horizontal = 0; // 0 left, 1 centre, 2 right, 3 aligned, 4 middle, 5 fit
    std::uint8_t vertical = 0;   // 0 baseline, 1 bottom, 2 middle, 3 top
    bool backwards = false, upsideDown = false;
};

// MTEXT with its formatting codes removed: paragraphs separated by '\n', wrapped by the renderer
// to `referenceWidth` when that is positive.
struct MText {
    std::string text;
    Vec3 insertion;          // WCS
    Vec3 direction{1, 0, 0}; // WCS, the text's x axis
    double height = 1;
    double referenceWidth = 0;
    std::uint8_t attachment = 1; // 1 top left … 9 bottom right, row by row
    double lineSpacing = 1;      // factor of the default spacing
    double frameGap = -1;        // when 0 or more, a frame is drawn this far around the lines
};

// INSERT, MINSERT and everything drawn through a block (dimensions, tables, hatches of old
// releases): `block` indexes Drawing::blocks.
struct Insert {
    std::int32_t block = -1;
    Vec3 position; // OCS
    Vec3 scale{1, 1, 1};
    double rotation = 0;
    std::uint16_t columns = 1, rows = 1;
    double columnSpacing = 0, rowSpacing = 0;
};

// A hatch's boundary: each loop a closed path made of pieces in the hatch's OCS (lines, arcs,
// elliptical arcs, splines, or a polyline with bulges).
using BoundaryPiece = std::variant<Line, Arc, Ellipse, Spline, Polyline>;
struct Hatch {
    std::vector<std::vector<BoundaryPiece>> loops;
    bool solid = false; // a solid fill; otherwise a pattern, drawn by its boundary
    double elevation = 0;
};

// RAY (from `base` one way) and XLINE (both ways): clipped by the renderer to what else is drawn.
struct Ray {
    Vec3 base, direction; // WCS
    bool bothWays = false;
};

using Shape =
    std::variant<Line, Point, Circle, Arc, Ellipse, Polyline, Spline, Solid, Face3d, Text, MText, Insert, Hatch, Ray>;

struct Entity {
    Shape shape;
    std::int32_t layer = 0; // index into Drawing::layers; 0 is layer "0"
    Colour colour;
    Vec3 extrusion{0, 0, 1}; // the OCS normal
    double thickness = 0;    // extrusion along the normal; drawn flat
    bool invisible = false;
};

struct Layer {
    std::string name;
    Colour colour = Colour::byIndex(7);
    bool off = false, frozen = false;
};

struct Block {
    std::string name;
    Vec3 base;
    std::vector<Entity> entities;
};

struct Drawing {
    std::string release; // the file's version text: "AC1009", "AC1015"…
    Vec3 extMin, extMax; // the header's extents: a hint only, often stale
    bool hasExtents = false;
    Vec3 limMin, limMax; // the header's limits: a hint only
    bool hasLimits = false;
    std::vector<Layer> layers; // layers[0] is "0"
    std::vector<Block> blocks;
    std::vector<Entity> entities; // model space (or paper space when model space is empty)
    bool paperSpace = false;      // `entities` came from paper space
    // Entities read, by DXF name ("LINE", "INSERT"…), and those skipped (unknown or not drawable).
    std::map<std::string, std::size_t> counts;
    std::map<std::string, std::size_t> skipped;
    bool truncated = false; // reading stopped early (damage, or a limit); what was read is kept
    std::string warning;    // why, for --info
};

} // namespace dsc::dwg
