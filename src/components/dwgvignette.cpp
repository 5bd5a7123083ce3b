#include "dwgvignette.h"

#include "previewimages.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include <QStyleOptionFocusRect>
#include <qdrawutil.h>
#include <utility>

namespace dsc {

namespace {
// StretchBltMode values: 4 (HALFTONE) smooths; the others (1 to 3) drop or merge pixels, so copy them.
bool smoothMode(int mode) {
    return mode == 4;
}
} // namespace

DwgVignette::DwgVignette(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool DwgVignette::setDwgFileName(const std::filesystem::path& path) {
    if (path.empty()) {
        m_fileName.clear();
        m_image = QImage();
        m_detail.clear();
        m_status = DwgPreviewStatus::NoPreview;
        m_fromGeometry = false;
        update();
        return true;
    }
    const QSize pixels = (QSizeF(size()) * devicePixelRatioF()).toSize();
    return setPreview(path, loadDrawingPreview(path, geometryBoxFor(pixels)));
}

bool DwgVignette::setPreview(const std::filesystem::path& path, DrawingPreviewImage&& loaded) {
    m_fileName = path;
    m_image = QImage();
    m_status = loaded.preview.status;
    m_detail = loaded.preview.detail;
    const bool ok = loaded.ok();
    m_fromGeometry = ok && loaded.fromGeometry;
    if (ok) {
        m_image = std::move(loaded.image);
        // Drawn at device pixels, so shown at the same pixels.
        m_image.setDevicePixelRatio(m_fromGeometry ? devicePixelRatioF() : 1.0);
    }
    update();
    return ok;
}

void DwgVignette::setBackColor(const QColor& c) {
    m_backColor = c;
    update();
}
void DwgVignette::setBorderStyle(int style) {
    m_borderStyle = style;
    update();
}
void DwgVignette::setAppearance(int appearance) {
    m_appearance = appearance;
    update();
}
void DwgVignette::setBitmapBackColor(const QColor& c) {
    m_bitmapBackColor = c;
    update();
}
void DwgVignette::setStretchBltMode(int mode) {
    m_stretchMode = mode;
    update();
}
void DwgVignette::setNoMagnify(bool on) {
    m_noMagnify = on;
    update();
}
void DwgVignette::setHasFocusRect(bool on) {
    m_hasFocusRect = on;
    update();
}

QRect DwgVignette::innerRect() const {
    const int border = m_borderStyle == 0 ? 0 : (m_appearance == 1 ? 2 : 1);
    return rect().adjusted(border, border, -border, -border);
}

QRectF DwgVignette::pictureRect(QSizeF picture, const QRectF& inner, bool noMagnify) {
    if (picture.isEmpty() || inner.isEmpty()) {
        return {};
    }
    QSizeF size = picture.scaled(inner.size(), Qt::KeepAspectRatio);
    if (noMagnify && size.width() > picture.width()) {
        size = picture;
    }
    return QRectF(inner.x() + (inner.width() - size.width()) / 2.0, inner.y() + (inner.height() - size.height()) / 2.0,
                  size.width(), size.height());
}

void DwgVignette::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect inner = innerRect();
    p.fillRect(rect(), m_backColor);
    if (!m_image.isNull()) {
        p.fillRect(inner, m_bitmapBackColor);
        // A picture drawn from the geometry is already at our size: never magnified, so its
        // one-pixel lines stay one pixel.
        const QSizeF picture = QSizeF(m_image.size()) / m_image.devicePixelRatio();
        const QRectF target = pictureRect(picture, inner, m_noMagnify || m_fromGeometry);
        p.setRenderHint(QPainter::SmoothPixmapTransform, smoothMode(m_stretchMode));
        p.drawImage(target, m_image);
    }
    if (m_borderStyle != 0) {
        if (m_appearance == 1) {
            qDrawShadePanel(&p, rect(), palette(), true, 2);
        } else {
            p.setPen(Qt::black);
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }
    if (m_hasFocusRect && hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = inner.adjusted(2, 2, -2, -2);
        option.backgroundColor = m_image.isNull() ? m_backColor : m_bitmapBackColor;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

void DwgVignette::mouseReleaseEvent(QMouseEvent* event) {
    // The release that ends a double-click is not a click of its own.
    const bool endsDoubleClick = std::exchange(m_inDoubleClick, false);
    if (event->button() == Qt::LeftButton && !endsDoubleClick && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
    QWidget::mouseReleaseEvent(event);
}

void DwgVignette::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_inDoubleClick = true;
        emit doubleClicked();
    }
    QWidget::mouseDoubleClickEvent(event);
}

void DwgVignette::keyPressEvent(QKeyEvent* event) {
    // Space or Enter on the focused thumbnail acts as a click, as for a button.
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace dsc
