#include "picturebutton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

namespace dsc {

PictureButton::PictureButton(const QPixmap& picture, const QColor& background, QWidget* parent)
    : QAbstractButton(parent), m_picture(picture), m_background(background) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize PictureButton::sizeHint() const {
    return m_picture.deviceIndependentSize().toSize() + QSize(6, 6);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_background);
    const bool down = isDown();
    const QSizeF size = m_picture.deviceIndependentSize();
    const QPointF topLeft((width() - size.width()) / 2.0 + (down ? 1 : 0),
                          (height() - size.height()) / 2.0 + (down ? 1 : 0));
    p.drawPixmap(topLeft, m_picture);
    QPalette edge = palette();
    edge.setColor(QPalette::Light, Qt::white);
    edge.setColor(QPalette::Dark, QColor(128, 128, 128));
    qDrawShadePanel(&p, rect(), edge, down, 2);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(4, 4, -4, -4);
        option.backgroundColor = m_background;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

} // namespace dsc
