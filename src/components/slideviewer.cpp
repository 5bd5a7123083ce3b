#include "slideviewer.h"

#include "formats/raster/slideraster.h"
#include "formats/slides/slidereference.h"
#include "platform/filesource.h"
#include "previewimages.h"

#include <QFutureWatcher>
#include <QPainter>
#include <QPromise>
#include <QThreadPool>

namespace dsc {

namespace {

// Slides up to this many points are drawn while painting: quicker than a round trip to a thread.
constexpr std::size_t kDrawnInPlacePoints = 20'000;

} // namespace

SlideViewer::SlideViewer(QWidget* parent) : QWidget(parent), m_slide(std::make_shared<const Slide>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

SlideViewer::~SlideViewer() = default;

void SlideViewer::setReference(const SlideReference& reference) {
    setSlide(reference, platform::loadSlideFile(reference));
}

void SlideViewer::setSlide(const SlideReference& reference, LoadedSlide&& loaded, QImage picture) {
    m_reference = reference;
    m_hasSlide = loaded.ok();
    m_slide = std::make_shared<const Slide>(m_hasSlide ? std::move(loaded.slide) : Slide{});
    ++m_generation;
    m_drawing = false;
    m_picture = std::move(picture);
    m_picture.setDevicePixelRatio(devicePixelRatioF());
    update();
}

QSize SlideViewer::pixelSize() const {
    return (QSizeF(size()) * devicePixelRatioF()).toSize();
}

bool SlideViewer::pictureIsCurrent() const {
    return m_picture.size() == pixelSize() && m_picture.devicePixelRatio() == devicePixelRatioF();
}

void SlideViewer::drawAgain() {
    if (m_drawing) {
        return; // one at a time: the size is looked at again when it arrives
    }
    m_drawing = true;
    const QSize pixels = pixelSize();
    const unsigned generation = m_generation;
    auto promise = std::make_shared<QPromise<QImage>>();
    auto* watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation, pixels] {
        watcher->deleteLater();
        if (generation != m_generation || watcher->future().resultCount() == 0) {
            return; // another slide since: its own picture is on its way or drawn
        }
        m_drawing = false;
        if (pixels != pixelSize()) {
            drawAgain(); // the size changed meanwhile: only the last one is worth a picture
            return;
        }
        m_picture = watcher->future().result();
        m_picture.setDevicePixelRatio(devicePixelRatioF());
        update();
        emit pictureDrawn();
    });
    watcher->setFuture(promise->future());
    QThreadPool* pool = m_pool ? m_pool : QThreadPool::globalInstance();
    pool->start([promise, slide = m_slide, hasSlide = m_hasSlide, pixels] {
        promise->start();
        promise->addResult(drawSlidePicture(hasSlide ? slide.get() : nullptr, pixels));
        promise->finish();
    });
}

void SlideViewer::paintEvent(QPaintEvent*) {
    // Large slides hold a million elements: draw them once per size, off this thread, then copy the
    // picture; the last one, scaled, stands in while the next is drawn.
    if (!pictureIsCurrent()) {
        if (m_slide->points.size() <= kDrawnInPlacePoints && !m_drawing) {
            m_picture = drawSlidePicture(m_hasSlide ? m_slide.get() : nullptr, pixelSize());
            m_picture.setDevicePixelRatio(devicePixelRatioF());
        } else {
            drawAgain();
        }
    }
    QPainter p(this);
    if (pictureIsCurrent()) {
        p.drawImage(0, 0, m_picture);
        return;
    }
    p.fillRect(rect(), Qt::black);
    if (!m_picture.isNull()) {
        const QSizeF fitted = m_picture.deviceIndependentSize().scaled(QSizeF(size()), Qt::KeepAspectRatio);
        const QPointF corner((width() - fitted.width()) / 2.0, (height() - fitted.height()) / 2.0);
        p.drawImage(QRectF(corner, fitted), m_picture);
    }
}

} // namespace dsc
