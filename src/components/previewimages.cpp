#include "previewimages.h"

#include "formats/aci.h"
#include "formats/dib.h"
#include "platform/filesource.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>

namespace dsc {

QImage wrapRaster(Raster&& raster) {
    if (raster.empty()) {
        return {};
    }
    auto* owner = new Raster(std::move(raster));
    return QImage(
        reinterpret_cast<uchar*>(owner->pixels.data()), owner->width, owner->height,
        static_cast<qsizetype>(owner->width) * 4, QImage::Format_RGB32, [](void* p) { delete static_cast<Raster*>(p); },
        owner);
}

QRectF slideFitRect(const SlideHeader& h, const QRectF& box) {
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

void paintSlide(QPainter& painter, const Slide& slide, const QRectF& box) {
    const QRectF r = slideFitRect(slide.header, box);
    // Independent x and y scales: old slides have non-square pixels. The grid runs 0..hx inclusive,
    // so hx + 1 dots span the width.
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
            painter.setPen(pen); // the outline makes thin triangles show, as on screen
            painter.setBrush(colour);
            painter.drawPolygon(polygon);
            painter.setBrush(Qt::NoBrush);
        }
    }
    painter.restore();
}

QImage renderSlide(const Slide& slide, QSize box) {
    const QRectF fit = slideFitRect(slide.header, QRectF(QPointF(0, 0), QSizeF(box)));
    const QSize size(std::max(1, int(fit.width() + 0.5)), std::max(1, int(fit.height() + 0.5)));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    paintSlide(painter, slide, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

DrawingPreviewImage loadDrawingPreview(const std::filesystem::path& path) {
    DrawingPreviewImage out;
    platform::FileSource source;
    if (!source.open(path)) {
        out.preview.status = DwgPreviewStatus::Unreadable;
        out.preview.detail = "file cannot be opened";
        return out;
    }
    out.preview = readDwgPreview(source);
    if (!out.preview.ok()) {
        return out;
    }
    // The decoded pixels are all that is kept of the preview: the stored bytes go as soon as done.
    std::vector<std::uint8_t> bytes = std::move(out.preview.image);
    out.preview.image = {};
    if (out.preview.kind == DwgImageKind::Bmp) {
        DibImage dib;
        const DibError e = decodeDib(bytes, dib);
        bytes = {};
        if (e != DibError::None) {
            out.preview.status = e == DibError::OutOfMemory ? DwgPreviewStatus::NoPreview : DwgPreviewStatus::Damaged;
            out.preview.detail = describe(e);
            return out;
        }
        out.image = wrapRaster(std::move(dib));
    } else if (out.preview.kind == DwgImageKind::Png) {
        QImage image;
        if (!image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "PNG")) {
            out.preview.status = DwgPreviewStatus::Damaged;
            out.preview.detail = "preview PNG cannot be decoded";
            return out;
        }
        out.image = std::move(image);
    }
    return out;
}

} // namespace dsc
