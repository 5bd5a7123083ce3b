#include "formats/dwg/render/affine.h"

#include <algorithm>

namespace dsc::dwg {

Vec3 Affine::apply(Vec3 p) const {
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
            m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

Vec3 Affine::applyLinear(Vec3 v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

Affine Affine::operator*(const Affine& o) const {
    Affine r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            double v = j == 3 ? m[i][3] : 0.0;
            for (int k = 0; k < 3; ++k) {
                v += m[i][k] * o.m[k][j];
            }
            r.m[i][j] = v;
        }
    }
    return r;
}

double Affine::planScale() const {
    double s = 0;
    for (int j = 0; j < 3; ++j) {
        s = std::max(s, std::hypot(m[0][j], m[1][j]));
    }
    return s;
}

Affine Affine::translation(Vec3 t) {
    Affine a;
    a.m[0][3] = t.x;
    a.m[1][3] = t.y;
    a.m[2][3] = t.z;
    return a;
}

Affine Affine::scaling(Vec3 s) {
    Affine a;
    a.m[0][0] = s.x;
    a.m[1][1] = s.y;
    a.m[2][2] = s.z;
    return a;
}

Affine Affine::rotationZ(double angle) {
    Affine a;
    const double c = std::cos(angle), s = std::sin(angle);
    a.m[0][0] = c;
    a.m[0][1] = -s;
    a.m[1][0] = s;
    a.m[1][1] = c;
    return a;
}

Affine Affine::columns(Vec3 x, Vec3 y, Vec3 z) {
    Affine a;
    const Vec3 c[3] = {x, y, z};
    for (int j = 0; j < 3; ++j) {
        a.m[0][j] = c[j].x;
        a.m[1][j] = c[j].y;
        a.m[2][j] = c[j].z;
    }
    return a;
}

Affine ocsToWcs(Vec3 n) {
    const double len = length(n);
    if (!std::isfinite(len) || len < 1e-12) {
        return {};
    }
    n = n * (1.0 / len);
    if (n.x == 0 && n.y == 0 && n.z > 0) {
        return {};
    }
    // The arbitrary-axis rule: near the world z axis the OCS x axis is world y × normal, else z × normal.
    constexpr double kNear = 1.0 / 64.0;
    Vec3 ax = (std::abs(n.x) < kNear && std::abs(n.y) < kNear) ? cross({0, 1, 0}, n) : cross({0, 0, 1}, n);
    ax = ax * (1.0 / length(ax));
    const Vec3 ay = cross(n, ax);
    return Affine::columns(ax, ay, n);
}

Affine insertTransform(const Insert& insert, Vec3 blockBase, Vec3 extrusion, int column, int row) {
    // Array cells step along the insert's rotated axes, by the unscaled spacing.
    const Vec3 cell{column * insert.columnSpacing, row * insert.rowSpacing, 0};
    return ocsToWcs(extrusion) * Affine::translation(insert.position) * Affine::rotationZ(insert.rotation) *
           Affine::translation(cell) * Affine::scaling(insert.scale) * Affine::translation(Vec3{} - blockBase);
}

} // namespace dsc::dwg
