#pragma once
// A button that shows only a picture on its own background colour, with a raised 3-D edge.

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

namespace dsc {

class PictureButton : public QAbstractButton {
    Q_OBJECT

public:
    PictureButton(const QPixmap& picture, const QColor& background, QWidget* parent = nullptr);
    const QColor& background() const { return m_background; }
    const QPixmap& picture() const { return m_picture; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
    QColor m_background;
};

} // namespace dsc
