#include "formats/dwg/render/curves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dsc::dwg {

namespace {

constexpr double kTolerance = 0.25; // pixels between a curve and its chords
constexpr int kMaxCurveSegments = 2048;
constexpr double kTwoPi = 2 * std::numbers::pi;

int boundedCount(double n, int lo, int hi) {
    if (!(n >= lo)) {
        return lo;
    }
    return n > hi ? hi : static_cast<int>(std::ceil(n));
}

// Clamped uniform knots for n control points of degree p.
std::vector<double> clampedKnots(std::size_t n, int p) {
    std::vector<double> u(n + p + 1);
    for (std::size_t i = 0; i < u.size(); ++i) {
        const double k = double(i) - p;
        u[i] = std::clamp(k, 0.0, double(n - p));
    }
    return u;
}

bool usableKnots(const std::vector<double>& u, std::size_t n, int p) {
    if (u.size() != n + p + 1 || !(u[n] > u[p])) {
        return false;
    }
    for (std::size_t i = 0; i < u.size(); ++i) {
        if (!sane(u[i]) || (i > 0 && u[i] < u[i - 1])) {
            return false;
        }
    }
    return true;
}

// The curve at t: de Boor's recurrence on homogeneous points (x·w, y·w, z·w, w).
Vec3 deBoor(const Spline& s, const std::vector<double>& u, const std::vector<double>& w, int p, double t) {
    const std::size_t n = s.controlPoints.size();
    // The span holding t, by bisection: a spline may have any number of control points.
    const auto last = u.begin() + static_cast<std::ptrdiff_t>(n);
    const auto span = std::upper_bound(u.begin() + p + 1, last, t);
    const std::size_t k = static_cast<std::size_t>(span - u.begin()) - 1;
    double d[12][4];
    for (int j = 0; j <= p; ++j) {
        const std::size_t i = k - p + j;
        const Vec3 c = s.controlPoints[i];
        const double wi = w.empty() ? 1.0 : w[i];
        d[j][0] = c.x * wi;
        d[j][1] = c.y * wi;
        d[j][2] = c.z * wi;
        d[j][3] = wi;
    }
    for (int r = 1; r <= p; ++r) {
        for (int j = p; j >= r; --j) {
            const std::size_t i = k - p + j;
            const double den = u[i + p - r + 1] - u[i];
            const double a = den > 0 ? (t - u[i]) / den : 0.0;
            for (int c = 0; c < 4; ++c) {
                d[j][c] = (1 - a) * d[j - 1][c] + a * d[j][c];
            }
        }
    }
    const double wt = d[p][3] != 0 ? d[p][3] : 1.0;
    return {d[p][0] / wt, d[p][1] / wt, d[p][2] / wt};
}

std::vector<Vec3> throughFitPoints(const std::vector<Vec3>& f, bool closed, double ppu) {
    std::vector<Vec3> out;
    const std::size_t m = f.size();
    if (m < 3) {
        return f;
    }
    const std::size_t pieces = closed ? m : m - 1;
    auto at = [&](std::ptrdiff_t i) {
        if (closed) {
            return f[static_cast<std::size_t>((i % std::ptrdiff_t(m) + std::ptrdiff_t(m)) % std::ptrdiff_t(m))];
        }
        return f[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(i, 0, std::ptrdiff_t(m) - 1))];
    };
    out.push_back(f[0]);
    for (std::size_t i = 0; i < pieces; ++i) {
        const auto si = static_cast<std::ptrdiff_t>(i);
        const Vec3 p0 = at(si - 1), p1 = at(si), p2 = at(si + 1), p3 = at(si + 2);
        const int steps = ppu > 0 ? boundedCount(length(p2 - p1) * ppu / 3.0, 1, 64) : 4;
        for (int s = 1; s <= steps; ++s) {
            const double t = double(s) / steps, t2 = t * t, t3 = t2 * t;
            // Uniform Catmull-Rom: the tangent at each point is half the chord of its neighbours.
            out.push_back((p1 * 2.0 + (p2 - p0) * t + (p0 * 2.0 - p1 * 5.0 + p2 * 4.0 - p3) * t2 +
                           (p1 * 3.0 - p0 - p2 * 3.0 + p3) * t3) *
                          0.5);
        }
    }
    return out;
}

} // namespace

int arcSegments(double radius, double sweep, double ppu) {
    const double turns = std::min(1.0, std::abs(sweep) / kTwoPi);
    if (ppu <= 0) {
        return boundedCount(64 * turns, 2, 64);
    }
    const double rpx = std::abs(radius) * ppu;
    if (!(rpx > kTolerance)) {
        return boundedCount(4 * turns, 1, 4);
    }
    const double step = 2 * std::acos(std::max(-1.0, 1 - kTolerance / rpx));
    return boundedCount(std::abs(sweep) / step, std::max(1, static_cast<int>(8 * turns)), kMaxCurveSegments);
}

namespace {

// The arc's points from `first` to n: one sine and cosine for the step, the rest by rotation (the
// drift over a few thousand steps stays far below a pixel).
void arcPoints(std::vector<Vec3>& out, Vec3 c, double r, double start, double sweep, int n, int first) {
    const double cs = std::cos(sweep / n), sn = std::sin(sweep / n);
    double x = std::cos(start), y = std::sin(start);
    for (int i = 0; i <= n; ++i) {
        if (i >= first) {
            out.push_back({c.x + r * x, c.y + r * y, c.z});
        }
        const double nx = x * cs - y * sn;
        y = x * sn + y * cs;
        x = nx;
    }
}

} // namespace

void appendArc(std::vector<Vec3>& out, Vec3 c, double r, double start, double sweep, double ppu) {
    arcPoints(out, c, r, start, sweep, arcSegments(r, sweep, ppu), 0);
}

void appendBulge(std::vector<Vec3>& out, Vec3 a, Vec3 b, double bulge, double ppu) {
    const double dx = b.x - a.x, dy = b.y - a.y, chord = std::hypot(dx, dy);
    if (bulge == 0 || !sane(bulge) || std::abs(bulge) > 1e6 || chord == 0) {
        out.push_back(b);
        return;
    }
    const double sweep = 4 * std::atan(bulge); // positive: counter-clockwise
    const double r = chord / (2 * std::sin(std::abs(sweep) / 2));
    // The centre lies off the chord's midpoint along its left normal: to the left for a
    // counter-clockwise arc of less than half a turn.
    const double h = r * std::cos(sweep / 2) * (bulge > 0 ? 1 : -1);
    const Vec3 c{(a.x + b.x) / 2 - h * dy / chord, (a.y + b.y) / 2 + h * dx / chord, a.z};
    const double start = std::atan2(a.y - c.y, a.x - c.x);
    arcPoints(out, c, r, start, sweep, arcSegments(r, sweep, ppu), 1); // `a` is already there
    out.back() = b;
}

std::vector<Vec3> ellipsePoints(const Ellipse& e, Vec3 normal, double ppu) {
    std::vector<Vec3> out;
    const double major = length(e.majorAxis);
    const double ratio = std::clamp(std::abs(e.ratio), 1e-6, 1.0);
    if (!(major > 0) || !sane(major)) {
        return out;
    }
    double nl = length(normal);
    const Vec3 n = nl > 0 ? normal * (1 / nl) : Vec3{0, 0, 1};
    const Vec3 minor = cross(n, e.majorAxis) * ratio;
    double sweep = e.endParam - e.startParam;
    if (!sane(sweep)) {
        return out;
    }
    // Into (0, 2π] by division, never by repeated steps: a hostile sweep can be astronomically large.
    if (sweep > kTwoPi) {
        sweep = kTwoPi;
    } else if (sweep <= 0) {
        sweep = std::fmod(sweep, kTwoPi) + kTwoPi;
    }
    const int count = arcSegments(major, sweep, ppu);
    // The unit circle's points at the parameters, as for arcs, mapped onto the axes.
    std::vector<Vec3> unit;
    arcPoints(unit, {0, 0, 0}, 1, e.startParam, sweep, count, 0);
    out.reserve(unit.size());
    for (const Vec3& u : unit) {
        out.push_back(e.centre + e.majorAxis * u.x + minor * u.y);
    }
    return out;
}

std::vector<Vec3> splinePoints(const Spline& s, double ppu) {
    const std::size_t n = s.controlPoints.size();
    if (n == 0) {
        return throughFitPoints(s.fitPoints, s.closed, ppu);
    }
    const int p = std::clamp(s.degree, 1, 11);
    if (n < static_cast<std::size_t>(p) + 1) {
        return s.controlPoints; // too few points for the degree: the control polygon
    }
    const std::vector<double> u = usableKnots(s.knots, n, p) ? s.knots : clampedKnots(n, p);
    std::vector<double> w;
    if (s.weights.size() == n &&
        std::all_of(s.weights.begin(), s.weights.end(), [](double v) { return sane(v) && v > 0; })) {
        w = s.weights;
    }
    double polygon = 0;
    for (std::size_t i = 1; i < n; ++i) {
        polygon += length(s.controlPoints[i] - s.controlPoints[i - 1]);
    }
    const int spans = static_cast<int>(std::min<std::size_t>(n - p, kMaxCurveSegments));
    const int count = ppu > 0 ? boundedCount(std::max(polygon * ppu / 2.0, 4.0 * spans), 2, kMaxCurveSegments * 2)
                              : boundedCount(8.0 * spans, 2, 512);
    std::vector<Vec3> out;
    out.reserve(count + 1);
    const double t0 = u[p], t1 = u[n];
    for (int i = 0; i <= count; ++i) {
        out.push_back(deBoor(s, u, w, p, t0 + (t1 - t0) * i / count));
    }
    return out;
}

} // namespace dsc::dwg
