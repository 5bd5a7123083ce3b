#pragma once
// Where the renderer's plan-view primitives go. Measuring, it only grows the extents of what would
// be drawn; drawing, it maps them to device pixels as slide elements and hands them to the slide
// rasterizer in batches, so memory stays bounded whatever the drawing holds. Both count the work
// budget.

#include "formats/dwg/render/affine.h"
#include "formats/dwg/render/drawingrender.h"
#include "formats/slides/slide.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace dsc::dwg {

struct Bounds {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool any = false;
    void add(Vec2 p) {
        if (!any) {
            minX = maxX = p.x;
            minY = maxY = p.y;
            any = true;
            return;
        }
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    // A segment's ends, when both are sane (as DisplayList::segment takes them); says whether.
    bool addSegment(Vec2 a, Vec2 b) {
        if (!sane(a) || !sane(b)) {
            return false;
        }
        add(a);
        add(b);
        return true;
    }
    void include(const Bounds& b) {
        if (b.any) {
            add(Vec2{b.minX, b.minY});
            add(Vec2{b.maxX, b.maxY});
        }
    }
    bool hasSize() const { return any && (maxX > minX || maxY > minY); }
};

class DisplayList {
public:
    explicit DisplayList(const RenderLimits& limits) : m_limits(limits) {}

    // Switches from measuring to drawing into `raster`: world (minX, minY) is the lower left pixel's
    // centre and `scale` pixels make one drawing unit.
    void beginDrawing(Raster& raster, double minX, double minY, double scale);
    bool drawing() const { return m_raster != nullptr; }
    // Pixels per drawing unit; 0 while measuring.
    double scale() const { return m_scale; }
    // The world rectangle the raster shows (drawing only).
    Bounds view() const { return m_view; }

    // False once the budget is spent: the caller stops there.
    bool visit();
    void segment(Vec2 a, Vec2 b, std::uint8_t colour);
    // Measuring only: `count` segments whose ends the caller has already taken into `box`.
    void measured(const Bounds& box, std::size_t count);
    void polyline(const std::vector<Vec2>& points, bool closed, std::uint8_t colour);
    void polygon(const std::vector<Vec2>& points, std::uint8_t colour);
    // Filled by the even-odd rule over all the loops together (holes stay open).
    void fillLoops(const std::vector<std::vector<Vec2>>& loops, std::uint8_t colour);
    void finish(); // draws what is still batched

    bool exhausted() const { return m_exhausted; }
    const Bounds& bounds() const { return m_bounds; }
    std::size_t segments() const { return m_segments; }
    std::size_t visits() const { return m_visits; }

private:
    bool spend(std::size_t n);
    static constexpr double kDeviceLimit = 1e7; // far outside any raster, well inside 32 bits
    Vec2 deviceExact(Vec2 p) const {
        return {std::clamp((p.x - m_minX) * m_scale, -kDeviceLimit, kDeviceLimit),
                std::clamp((p.y - m_minY) * m_scale, -kDeviceLimit, kDeviceLimit)};
    }
    SlidePoint device(Vec2 p) const {
        // Rounded half away from zero, as lround does, without its call: the values are clamped
        // well inside 32 bits.
        const Vec2 d = deviceExact(p);
        const auto nearest = [](double v) { return static_cast<std::int32_t>(v < 0 ? v - 0.5 : v + 0.5); };
        return {nearest(d.x), nearest(d.y)};
    }
    void flushIfFull();

    RenderLimits m_limits;
    Bounds m_bounds, m_view;
    Raster* m_raster = nullptr;
    double m_minX = 0, m_minY = 0, m_scale = 0;
    Slide m_slide;
    std::size_t m_segments = 0, m_visits = 0;
    bool m_exhausted = false;
};

} // namespace dsc::dwg
