#include "slideviewer.h"

#include "formats/raster/slideraster.h"
#include "formats/slides/slidereference.h"
#include "platform/filesource.h"
#include "previewimages.h"

#include <QPainter>

namespace dsc {

SlideViewer::SlideViewer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void SlideViewer::setReference(const SlideReference& reference) {
    setSlide(reference, platform::loadSlideFile(reference));
}

void SlideViewer::setSlide(const SlideReference& reference, LoadedSlide&& loaded, QImage picture) {
    m_reference = reference;
    m_hasSlide = loaded.ok();
    m_slide = m_hasSlide ? std::move(loaded.slide) : Slide{};
    m_picture = std::move(picture);
    m_picture.setDevicePixelRatio(devicePixelRatioF());
    update();
}

QSize SlideViewer::pixelSize() const {
    return (QSizeF(size()) * devicePixelRatioF()).toSize();
}

void SlideViewer::paintEvent(QPaintEvent*) {
    // Large slides hold a million elements: draw them once per size, then copy the picture.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = pixelSize();
    if (m_picture.size() != pixels || m_picture.devicePixelRatio() != ratio) {
        m_picture = drawSlidePicture(m_hasSlide ? &m_slide : nullptr, pixels);
        m_picture.setDevicePixelRatio(ratio);
    }
    QPainter p(this);
    p.drawImage(0, 0, m_picture);
}

} // namespace dsc
