#include "slideviewer.h"

#include "formats/slidereference.h"
#include "previewimages.h"

#include <QPainter>

namespace dsc {

SlideViewer::SlideViewer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void SlideViewer::setReference(const std::string& reference) {
    m_reference = reference;
    LoadedSlide loaded = loadSlide(reference);
    m_hasSlide = loaded.ok();
    m_slide = m_hasSlide ? std::move(loaded.slide) : Slide{};
    update();
}

void SlideViewer::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (m_hasSlide) {
        paintSlide(p, m_slide, QRectF(rect()));
    }
}

} // namespace dsc
