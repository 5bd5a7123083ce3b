#pragma once
// The transforms a drawing's entities go through on their way to the plan view: object coordinates
// to world coordinates by the arbitrary-axis rule, and each insert's placement of its block.

#include "formats/dwg/model/drawing.h"

#include <cmath>

namespace dsc::dwg {

struct Vec2 {
    double x = 0, y = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double k) {
    return {a.x * k, a.y * k, a.z * k};
}
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3 a) {
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}

// Coordinates the renderer accepts: finite and not absurdly far (beyond 1e100 no drawing means it).
inline bool sane(double v) {
    return std::isfinite(v) && std::abs(v) <= 1e100;
}
inline bool sane(Vec2 v) {
    return sane(v.x) && sane(v.y);
}
inline bool sane(Vec3 v) {
    return sane(v.x) && sane(v.y) && sane(v.z);
}

// x' = m · (x, y, z, 1): three rows of four.
struct Affine {
    double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

    Vec3 apply(Vec3 p) const;
    Vec3 applyLinear(Vec3 v) const; // a direction: no translation
    Vec2 plan(Vec3 p) const {       // apply, then drop z
        return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
                m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3]};
    }
    Affine operator*(const Affine& o) const;
    // The largest factor the plan view stretches a length by (for choosing segment counts).
    double planScale() const;

    static Affine translation(Vec3 t);
    static Affine scaling(Vec3 s);
    static Affine rotationZ(double angle);
    static Affine columns(Vec3 x, Vec3 y, Vec3 z); // the basis as the columns
};

// The OCS → WCS rotation of an extrusion direction; the identity for (0, 0, 1) or a null vector.
Affine ocsToWcs(Vec3 extrusion);

// Where a block's coordinates land for one cell of an insert's array.
Affine insertTransform(const Insert& insert, Vec3 blockBase, Vec3 extrusion, int column, int row);

} // namespace dsc::dwg
