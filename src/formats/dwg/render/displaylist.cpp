#include "formats/dwg/render/displaylist.h"

#include "formats/raster/slideraster.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace dsc::dwg {

namespace {
constexpr std::size_t kBatchElements = 4096; // small enough to stay in the cache
} // namespace

void DisplayList::beginDrawing(Raster& raster, double minX, double minY, double scale) {
    m_raster = &raster;
    m_minX = minX;
    m_minY = minY;
    m_scale = scale;
    m_slide = {};
    m_slide.header.level = 2;
    m_slide.header.hx = static_cast<std::uint16_t>(raster.width - 1);
    m_slide.header.hy = static_cast<std::uint16_t>(raster.height - 1);
    m_slide.header.aspect = double(raster.width) / double(raster.height);
    m_slide.elements.reserve(kBatchElements);
    m_slide.points.reserve(2 * kBatchElements);
    m_view = {};
    m_view.add({minX - 0.5 / scale, minY - 0.5 / scale});
    m_view.add({minX + (raster.width - 0.5) / scale, minY + (raster.height - 0.5) / scale});
    m_segments = m_visits = 0;
    m_exhausted = false;
}

bool DisplayList::visit() {
    if (m_exhausted || ++m_visits > m_limits.maxVisits) {
        m_exhausted = true;
        return false;
    }
    return true;
}

bool DisplayList::spend(std::size_t n) {
    if (m_exhausted || m_segments + n > m_limits.maxSegments) {
        m_exhausted = true;
        return false;
    }
    m_segments += n;
    return true;
}

void DisplayList::flushIfFull() {
    if (m_slide.elements.size() >= kBatchElements) {
        finish();
    }
}

void DisplayList::finish() {
    if (m_raster && !m_slide.elements.empty()) {
        // The drawing's own limits bound the segments; the slide budget is not for batches.
        const SlideDrawLimits unbounded{std::numeric_limits<std::uint64_t>::max()};
        drawSlide(*m_raster, m_slide, {0, 0, double(m_raster->width), double(m_raster->height)}, unbounded);
    }
    m_slide.elements.clear();
    m_slide.points.clear();
}

void DisplayList::segment(Vec2 a, Vec2 b, std::uint8_t colour) {
    if (!sane(a) || !sane(b) || !spend(1)) {
        return;
    }
    if (!m_raster) {
        m_bounds.add(a);
        m_bounds.add(b);
        return;
    }
    const auto first = static_cast<std::uint32_t>(m_slide.points.size());
    m_slide.points.push_back(device(a));
    m_slide.points.push_back(device(b));
    m_slide.elements.push_back({SlideElement::Kind::Line, colour, first, 2});
    flushIfFull();
}

void DisplayList::measured(const Bounds& box, std::size_t count) {
    if (!m_raster && spend(count)) {
        m_bounds.include(box);
    }
}

void DisplayList::polyline(const std::vector<Vec2>& points, bool closed, std::uint8_t colour) {
    if (points.size() == 1) {
        segment(points[0], points[0], colour);
        return;
    }
    if (!m_raster) { // the extents of the sides, without a call per side
        Bounds box;
        std::size_t n = 0;
        for (std::size_t i = 1; i < points.size(); ++i) {
            n += box.addSegment(points[i - 1], points[i]);
        }
        if (closed && points.size() > 2) {
            n += box.addSegment(points.back(), points.front());
        }
        measured(box, n);
        return;
    }
    for (std::size_t i = 1; i < points.size(); ++i) {
        segment(points[i - 1], points[i], colour);
    }
    if (closed && points.size() > 2) {
        segment(points.back(), points.front(), colour);
    }
}

void DisplayList::polygon(const std::vector<Vec2>& points, std::uint8_t colour) {
    if (points.empty() || !std::all_of(points.begin(), points.end(), [](Vec2 p) { return sane(p); }) ||
        !spend(points.size())) {
        return;
    }
    if (!m_raster) {
        for (auto p : points) {
            m_bounds.add(p);
        }
        return;
    }
    const auto first = static_cast<std::uint32_t>(m_slide.points.size());
    for (auto p : points) {
        m_slide.points.push_back(device(p));
    }
    m_slide.elements.push_back({SlideElement::Kind::Fill, colour, first, static_cast<std::uint32_t>(points.size())});
    flushIfFull();
}

void DisplayList::fillLoops(const std::vector<std::vector<Vec2>>& loops, std::uint8_t colour) {
    if (loops.size() == 1) {
        polygon(loops[0], colour);
        return;
    }
    if (!m_raster) {
        for (const auto& loop : loops) {
            polygon(loop, colour);
        }
        return;
    }
    // Several loops: spans of each pixel row between crossings, drawn as horizontal segments.
    std::vector<Vec2> edgesA, edgesB;
    double lo = kDeviceLimit, hi = -kDeviceLimit;
    for (const auto& loop : loops) {
        if (!std::all_of(loop.begin(), loop.end(), [](Vec2 p) { return sane(p); })) {
            continue;
        }
        for (std::size_t i = 0; i < loop.size(); ++i) {
            const Vec2 a = deviceExact(loop[i]), b = deviceExact(loop[(i + 1) % loop.size()]);
            edgesA.push_back(a);
            edgesB.push_back(b);
            lo = std::min({lo, a.y, b.y});
            hi = std::max({hi, a.y, b.y});
        }
    }
    if (!spend(edgesA.size())) {
        return;
    }
    const int rowFirst = std::max(0, static_cast<int>(std::ceil(lo)));
    const int rowLast = std::min(m_raster->height - 1, static_cast<int>(std::floor(hi)));
    std::vector<double> xs;
    for (int row = rowFirst; row <= rowLast; ++row) {
        xs.clear();
        for (std::size_t i = 0; i < edgesA.size(); ++i) {
            const Vec2 a = edgesA[i], b = edgesB[i];
            if ((a.y <= row) != (b.y <= row)) {
                xs.push_back(a.x + (row - a.y) * (b.x - a.x) / (b.y - a.y));
            }
        }
        std::sort(xs.begin(), xs.end());
        for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
            const double from = std::max(-1.0, std::ceil(xs[k] - 0.5)),
                         to = std::min(double(m_raster->width), std::floor(xs[k + 1] + 0.5));
            if (from > to || !spend(1)) {
                continue;
            }
            const auto first = static_cast<std::uint32_t>(m_slide.points.size());
            m_slide.points.push_back({static_cast<std::int32_t>(from), row});
            m_slide.points.push_back({static_cast<std::int32_t>(to), row});
            m_slide.elements.push_back({SlideElement::Kind::Line, colour, first, 2});
            flushIfFull();
        }
    }
}

} // namespace dsc::dwg
