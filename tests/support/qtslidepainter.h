#pragma once
// The slide painting the window used before slides were drawn by the readers' layer, with Qt's
// aliased QPainter: kept as the reference the new drawing is compared with.

#include "formats/core/aci.h"
#include "formats/slides/slide.h"

#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>

namespace dsc::test {

inline QRectF qtSlideFitRect(const SlideHeader& h, const QRectF& box) {
    double aspect = h.aspect;
    if (!(aspect > 0.01 && aspect < 100.0)) {
        aspect = h.hy > 0 ? double(h.hx) / double(h.hy) : 1.0;
    }
    if (!(aspect > 0.0)) {
        aspect = 1.0;
    }
    double w = box.width(), hgt = w / aspect;
    if (hgt > box.height()) {
        hgt = box.height();
        w = hgt * aspect;
    }
    return QRectF(box.x() + (box.width() - w) / 2.0, box.y() + (box.height() - hgt) / 2.0, w, hgt);
}

inline void qtPaintSlide(QPainter& painter, const Slide& slide, const QRectF& box) {
    const QRectF r = qtSlideFitRect(slide.header, box);
    const double sx = r.width() / (double(slide.header.hx) + 1.0);
    const double sy = r.height() / (double(slide.header.hy) + 1.0);
    const double top = r.y() + r.height();
    auto map = [&](const SlidePoint& p) { return QPointF(r.x() + (p.x + 0.5) * sx, top - (p.y + 0.5) * sy); };
    painter.save();
    painter.setClipRect(r);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen;
    pen.setCosmetic(true);
    pen.setWidth(1);
    QPolygonF polygon;
    for (const auto& e : slide.elements) {
        const QColor colour = QColor::fromRgb(aciColour(e.colour));
        const SlidePoint* pts = slide.points.data() + e.first;
        if (e.kind == SlideElement::Kind::Line) {
            pen.setColor(colour);
            painter.setPen(pen);
            const QPointF a = map(pts[0]), b = map(pts[1]);
            if (a == b) {
                painter.drawPoint(a);
            } else {
                painter.drawLine(a, b);
            }
        } else {
            polygon.resize(static_cast<qsizetype>(e.count));
            for (std::uint32_t i = 0; i < e.count; ++i) {
                polygon[i] = map(pts[i]);
            }
            pen.setColor(colour);
            painter.setPen(pen);
            painter.setBrush(colour);
            painter.drawPolygon(polygon);
            painter.setBrush(Qt::NoBrush);
        }
    }
    painter.restore();
}

inline QImage qtRenderSlide(const Slide& slide, QSize box) {
    const QRectF fit = qtSlideFitRect(slide.header, QRectF(QPointF(0, 0), QSizeF(box)));
    const QSize size(std::max(1, int(fit.width() + 0.5)), std::max(1, int(fit.height() + 0.5)));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    qtPaintSlide(painter, slide, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

} // namespace dsc::test
