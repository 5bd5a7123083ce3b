#include "formats/raster/slideraster.h"

#include "formats/core/aci.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace dsc {

namespace {

// Pixel coordinates are handled in 26.6 fixed point (1/64 pixel, fractions cut toward zero) and
// slopes in 16.16, the precision screen rasterizers use, so that thumbnails, the window and the
// file managers put every pixel in the same place.
using Fixed = std::int64_t;

Fixed toFixed(double v) {
    constexpr double kLimit = 1 << 24; // far outside any raster: lines are clipped before this
    return static_cast<Fixed>(std::clamp(v, -kLimit, kLimit) * 64.0);
}

struct Clip {
    int left, top, right, bottom; // inclusive
    bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

class Painter {
public:
    Painter(Raster& raster, Clip clip, std::uint64_t budget) : m_raster(raster), m_clip(clip), m_budget(budget) {}

    std::uint64_t work() const { return m_work; }
    bool stopped() const { return m_stopped; }

    // Takes `cost` from the budget; false, and nothing more is drawn, once it would run out.
    bool spend(std::uint64_t cost) {
        if (m_stopped || cost > m_budget - m_work) {
            m_stopped = true;
            return false;
        }
        m_work += cost;
        return true;
    }

    // What a line costs: the pixels along its longer axis, no more than cross the raster.
    std::uint64_t lineCost(double ax, double ay, double bx, double by) const {
        const double along = std::max(std::abs(bx - ax), std::abs(by - ay));
        const double most = double(m_raster.width) + double(m_raster.height) + 4.0;
        return 1 + static_cast<std::uint64_t>(std::isfinite(along) ? std::min(along, most) : most);
    }

    void plot(int x, int y, std::uint32_t colour) {
        if (m_clip.contains(x, y)) {
            m_raster.row(y)[x] = colour;
        }
    }

    // A one-pixel line with square ends: along its longer axis, every pixel row (or column) whose
    // centre lies within the line stretched by half a pixel at both ends; across it, the pixel
    // under the line at that centre. A line of no length is one pixel.
    void line(double ax, double ay, double bx, double by, std::uint32_t colour) {
        if (!spend(lineCost(ax, ay, bx, by))) {
            return;
        }
        if (ax == bx && ay == by) {
            // Nearest pixel, halves away from zero as lround does; far points stay far, in range.
            const auto nearest = [](double v) {
                v = std::clamp(v, -1e9, 1e9);
                return static_cast<int>(v < 0 ? v - 0.5 : v + 0.5);
            };
            plot(nearest(ax), nearest(ay), colour);
            return;
        }
        Joint joint;
        side(ax, ay, bx, by, colour, kSquareStart | kSquareEnd, joint, Mode::Draw);
    }

    // A closed outline, its sides joined: a pixel two sides share is drawn once, a pixel is added
    // where a turn would leave a diagonal gap, and sides shorter than a pixel that draw nothing do
    // not move the outline on.
    void outline(const std::vector<double>& xs, const std::vector<double>& ys, std::uint32_t colour) {
        const std::size_t n = xs.size();
        std::uint64_t cost = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t j = (i + 1) % n;
            cost += lineCost(xs[i], ys[i], xs[j], ys[j]);
        }
        if (!spend(cost)) {
            return;
        }
        Joint joint;
        // The closing side ends where the first begins: its last pixel joins the first side.
        side(xs[n - 1], ys[n - 1], xs[0], ys[0], colour, 0, joint, Mode::LastPixelOnly);
        std::size_t from = 0;
        for (std::size_t i = 1; i < n; ++i) {
            const bool drew = side(xs[from], ys[from], xs[i], ys[i], colour, 0, joint, Mode::Draw);
            if (drew || i == 1 || i == n - 1) {
                from = i;
            }
        }
        side(xs[from], ys[from], xs[0], ys[0], colour, 0, joint, Mode::Draw);
    }

    // A filled polygon (even-odd rule), its corners put on the 1/64 grid: in each pixel row whose
    // centre lies below an edge's upper end and at or above its lower end, the pixels whose centres
    // lie right of a left crossing and at or left of the next crossing.
    void fill(const std::vector<double>& xs, const std::vector<double>& ys, std::uint32_t colour) {
        const std::size_t n = xs.size();
        m_edges.clear();
        int rowFirst = m_clip.bottom + 1, rowLast = m_clip.top - 1;
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t j = (i + 1) % n;
            Fixed ax = toGrid(xs[i]), ay = toGrid(ys[i]), bx = toGrid(xs[j]), by = toGrid(ys[j]);
            if (ay > by) {
                std::swap(ax, bx);
                std::swap(ay, by);
            }
            const int top = static_cast<int>(std::max<Fixed>(m_clip.top, (ay + 32) >> 6));
            const int bottom = static_cast<int>(std::min<Fixed>(m_clip.bottom, (by - 32) >> 6));
            if (top > bottom) {
                continue;
            }
            Edge e{32768 + ax * 1024, 0, top, bottom}; // 16.16, at the first row's centre
            if (bx != ax) {
                e.step = static_cast<Fixed>(double(bx - ax) / double(by - ay) * 65536.0);
                e.x += (e.step * (Fixed{top} * 65536 + 32768 - ay * 1024)) >> 16;
            }
            m_edges.push_back(e);
            rowFirst = std::min(rowFirst, top);
            rowLast = std::max(rowLast, bottom);
        }
        // Every row of the polygon looks at every edge: a polygon of many tall edges is dear.
        if (!m_edges.empty() && !spend(std::uint64_t(rowLast - rowFirst + 1) * m_edges.size())) {
            return;
        }
        for (int row = rowFirst; row <= rowLast; ++row) {
            m_crossings.clear();
            for (auto& e : m_edges) {
                if (row >= e.top && row <= e.bottom) {
                    m_crossings.push_back(e.x >> 16);
                    e.x += e.step;
                }
            }
            std::sort(m_crossings.begin(), m_crossings.end());
            std::uint32_t* line = m_raster.row(row);
            for (std::size_t k = 0; k + 1 < m_crossings.size(); k += 2) {
                const Fixed from = std::max<Fixed>(m_clip.left, m_crossings[k]);
                const Fixed to = std::min<Fixed>(m_clip.right + 1, m_crossings[k + 1]);
                for (Fixed x = from; x < to; ++x) {
                    line[x] = colour;
                }
            }
        }
    }

private:
    enum : int { kSquareStart = 1, kSquareEnd = 2 };
    enum Direction : int { kNone = 0, kDown = 1, kUp = 2, kRight = 4, kLeft = 8 };
    enum class Mode { Draw, LastPixelOnly };
    // What a side of an outline leaves to the next one.
    struct Joint {
        int lastX = -1, lastY = -1; // last pixel drawn; none while lastX < 0
        int direction = kNone;
        bool axisAligned = false;
    };

    // One side from a to b. True when it drew a pixel or is a pixel long or more.
    bool side(double ax, double ay, double bx, double by, std::uint32_t colour, int ends, Joint& joint, Mode mode) {
        const bool long_ = std::abs(bx - ax) + std::abs(by - ay) >= 1.0;
        if (mode == Mode::LastPixelOnly) {
            joint.lastX = -1;
        }
        if (!clipToBounds(ax, ay, bx, by, joint)) {
            return true;
        }
        Fixed x1 = toFixed(ax), y1 = toFixed(ay), x2 = toFixed(bx), y2 = toFixed(by);
        const bool steep = std::abs(x2 - x1) < std::abs(y2 - y1);
        if (steep) {
            std::swap(x1, y1);
            std::swap(x2, y2);
        } else if (x1 == x2) {
            return long_;
        }
        const bool reversed = x1 > x2;
        if (reversed) {
            std::swap(x1, x2);
            std::swap(y1, y2);
            ends = ((ends & kSquareStart) << 1) | ((ends & kSquareEnd) >> 1);
        }
        const int direction = steep ? (reversed ? kUp : kDown) : (reversed ? kLeft : kRight);
        const int axisMask = steep ? (kDown | kUp) : (kRight | kLeft);
        if (mode == Mode::Draw && (joint.direction ^ axisMask) == direction) {
            ends |= reversed ? kSquareEnd : kSquareStart; // turning back on itself: a square turn
        }
        const Fixed step = ((y2 - y1) * 65536) / (x2 - x1); // across, per pixel along; 16.16
        Fixed across = y1 * 1024;                           // 16.16
        if (ends & kSquareStart) {
            x1 -= 32;
            across -= step >> 1;
        }
        if (ends & kSquareEnd) {
            x2 += 32;
        }
        Fixed along = (x1 + 32) >> 6;
        Fixed end = (x2 + 32) >> 6;
        if (along == end) {
            return long_;
        }
        // Across the line, the sample is taken at the pixel's centre when the line rises along its
        // long axis and at its leading edge otherwise, so a line covers the same pixels whichever
        // end it is drawn from.
        const Fixed sampleAt = step > 0 ? 32 : 0;
        across += (((along << 6) + sampleAt - x1) * step) >> 6;
        auto pixel = [steep](Fixed a, Fixed c) {
            return steep ? std::pair<int, int>{int(c >> 16), int(a)} : std::pair<int, int>{int(a), int(c >> 16)};
        };
        auto first = pixel(along, across);
        auto last = pixel(end - 1, across + (end - along - 1) * step);
        if (reversed) {
            std::swap(first, last);
        }
        const bool axisAligned = std::abs(step) < (1 << 14);
        if (mode == Mode::Draw && joint.lastX >= 0) {
            const int gapX = std::abs(joint.lastX - first.first), gapY = std::abs(joint.lastY - first.second);
            if (gapX == 0 && gapY == 0) {
                // Already drawn by the side before: start one pixel later.
                if (reversed) {
                    --end;
                } else {
                    ++along;
                    across += step;
                }
            } else if (joint.direction != direction &&
                       ((axisAligned && joint.axisAligned && gapX != 0 && gapY != 0) || gapX > 1 || gapY > 1)) {
                // A turn that would leave a gap: one pixel more toward the side before.
                if (reversed) {
                    ++end;
                } else {
                    --along;
                    across -= step;
                }
            }
        }
        if (mode == Mode::Draw) {
            joint.direction = direction;
        }
        joint.axisAligned = axisAligned;
        joint.lastX = last.first;
        joint.lastY = last.second;
        if (mode == Mode::Draw) {
            // At least one pixel, even where the joint took the only one: a side never vanishes.
            do {
                const auto [x, y] = pixel(along, across);
                plot(x, y, colour);
                across += step;
            } while (++along < end);
        }
        return true;
    }

    // Cuts a line to a pixel beyond the raster on each side, so the fixed-point arithmetic never
    // sees far-away coordinates; a cut end leaves no pixel for the next side to join. False when
    // nothing of the line is left.
    bool clipToBounds(double& x1, double& y1, double& x2, double& y2, Joint& joint) const {
        auto cut = [&joint](double& a1, double& b1, double& a2, double& b2, double lo, double hi) {
            if ((a1 < lo && a2 <= lo) || (a1 > hi && a2 >= hi)) {
                joint.lastX = -1;
                return false;
            }
            const double slope = (b2 - b1) / (a2 - a1);
            if (a1 < lo || a1 > hi) {
                const double to = a1 < lo ? lo : hi;
                b1 += slope * (to - a1);
                a1 = to;
            }
            if (a2 < lo || a2 > hi) {
                const double to = a2 < lo ? lo : hi;
                b2 += slope * (to - a2);
                a2 = to;
                joint.lastX = -1;
            }
            return true;
        };
        return cut(x1, y1, x2, y2, -1.0, m_raster.width + 1.0) && cut(y1, x1, y2, x2, -1.0, m_raster.height + 1.0);
    }

    struct Edge {
        Fixed x;    // 16.16, where it crosses the current row's centre
        Fixed step; // 16.16, per row
        int top, bottom;
    };
    static Fixed toGrid(double v) { return static_cast<Fixed>(std::llround(std::clamp(v, -1e7, 1e7) * 64.0)); }

    Raster& m_raster;
    Clip m_clip;
    std::uint64_t m_budget;
    std::uint64_t m_work = 0;
    bool m_stopped = false;
    std::vector<Edge> m_edges;
    std::vector<Fixed> m_crossings;
};

} // namespace

FitRect slideFitRect(const SlideHeader& h, const FitRect& box) {
    double aspect = h.aspect;
    if (!(aspect > 0.01 && aspect < 100.0)) {
        aspect = h.hy > 0 ? double(h.hx) / double(h.hy) : 1.0;
    }
    if (!(aspect > 0.0)) {
        aspect = 1.0;
    }
    double w = box.width, hgt = w / aspect;
    if (hgt > box.height) {
        hgt = box.height;
        w = hgt * aspect;
    }
    return {box.x + (box.width - w) / 2.0, box.y + (box.height - hgt) / 2.0, w, hgt};
}

SlideDrawResult drawSlide(Raster& raster, const Slide& slide, const FitRect& box, const SlideDrawLimits& limits) {
    SlideDrawResult result;
    if (raster.empty()) {
        return result;
    }
    const FitRect r = slideFitRect(slide.header, box);
    // Independent x and y scales: old slides have non-square pixels. The grid runs 0..hx inclusive,
    // so hx + 1 dots span the width; y grows upwards in the slide.
    const double sx = r.width / (double(slide.header.hx) + 1.0);
    const double sy = r.height / (double(slide.header.hy) + 1.0);
    const double bottom = r.y + r.height;
    auto mapX = [&](const SlidePoint& p) { return r.x + (p.x + 0.5) * sx; };
    auto mapY = [&](const SlidePoint& p) { return bottom - (p.y + 0.5) * sy; };

    // Clipped to the pixels the fitted area covers.
    Clip clip{std::max(0, static_cast<int>(std::lround(r.x))), std::max(0, static_cast<int>(std::lround(r.y))),
              std::min(raster.width, static_cast<int>(std::lround(r.x + r.width))) - 1,
              std::min(raster.height, static_cast<int>(std::lround(r.y + r.height))) - 1};
    if (clip.right < clip.left || clip.bottom < clip.top) {
        return result;
    }
    Painter painter(raster, clip, limits.maxWork);
    std::vector<double> xs, ys;
    for (const auto& e : slide.elements) {
        if (painter.stopped()) {
            break; // what is drawn stays; the rest of the list is left out
        }
        const std::uint32_t colour = 0xFF000000u | aciColour(e.colour);
        const SlidePoint* pts = slide.points.data() + e.first;
        if (e.kind == SlideElement::Kind::Line) {
            painter.line(mapX(pts[0]), mapY(pts[0]), mapX(pts[1]), mapY(pts[1]), colour);
            continue;
        }
        xs.resize(e.count);
        ys.resize(e.count);
        for (std::uint32_t i = 0; i < e.count; ++i) {
            xs[i] = mapX(pts[i]);
            ys[i] = mapY(pts[i]);
        }
        painter.fill(xs, ys, colour);
        painter.outline(xs, ys, colour); // so that thin triangles still show
    }
    result.work = painter.work();
    result.truncated = painter.stopped();
    return result;
}

Raster renderSlide(const Slide& slide, int width, int height, SlideDrawResult* result, const SlideDrawLimits& limits) {
    Raster raster;
    if (width <= 0 || height <= 0) {
        return raster;
    }
    const FitRect fit = slideFitRect(slide.header, {0, 0, double(width), double(height)});
    const int w = std::max(1, static_cast<int>(fit.width + 0.5));
    const int h = std::max(1, static_cast<int>(fit.height + 0.5));
    if (!allocateRaster(raster, w, h, 0xFF000000u)) {
        return raster;
    }
    const SlideDrawResult drawn = drawSlide(raster, slide, {0, 0, double(w), double(h)}, limits);
    if (result) {
        *result = drawn;
    }
    return raster;
}

} // namespace dsc
