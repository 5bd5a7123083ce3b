#include "slideviewer.h"

#include "formats/slideraster.h"
#include "formats/slidereference.h"
#include "platform/filesource.h"
#include "previewimages.h"

#include <QPainter>

namespace dsc {

SlideViewer::SlideViewer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void SlideViewer::setReference(const SlideReference& reference) {
    m_reference = reference;
    LoadedSlide loaded = platform::loadSlideFile(reference);
    m_hasSlide = loaded.ok();
    m_slide = m_hasSlide ? std::move(loaded.slide) : Slide{};
    m_picture = QImage();
    update();
}

void SlideViewer::paintEvent(QPaintEvent*) {
    // Large slides hold a million elements: draw them once per size, then copy the picture.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_picture.size() != pixels || m_picture.devicePixelRatio() != ratio) {
        Raster raster;
        if (allocateRaster(raster, pixels.width(), pixels.height(), 0xFF000000u) && m_hasSlide) {
            drawSlide(raster, m_slide, {0, 0, double(pixels.width()), double(pixels.height())});
        }
        m_picture = wrapRaster(std::move(raster));
        m_picture.setDevicePixelRatio(ratio);
    }
    QPainter p(this);
    p.drawImage(0, 0, m_picture);
}

} // namespace dsc
