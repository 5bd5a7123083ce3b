#pragma once
// Where the renderer's plan-view primitives go. Measuring, it only grows the extents of what would
// be drawn; drawing, it maps them to device pixels as slide elements and hands them to the slide
// rasterizer in batches, so memory stays bounded whatever the drawing holds. Both count the work
// budget.

#include "formats/dwg/render/affine.h"
#include "formats/dwg/render/drawingrender.h"
#include "formats/slides/slide.h"

#include <cstdint>
#include <vector>

namespace dsc::dwg {

struct Bounds {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool any = false;
    void add(Vec2 p);
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
    SlidePoint device(Vec2 p) const;
    Vec2 deviceExact(Vec2 p) const;
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
