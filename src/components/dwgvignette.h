#pragma once
// The drawing thumbnail: shows the preview image stored in a drawing, or the drawing's geometry
// when it stores none.

#include "formats/dwg/dwgpreview.h"
#include "previewimages.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <filesystem>

namespace dsc {

class DwgVignette : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor BackColor READ backColor WRITE setBackColor)
    Q_PROPERTY(int BorderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(int Appearance READ appearance WRITE setAppearance)
    Q_PROPERTY(QColor BitmapBackColor READ bitmapBackColor WRITE setBitmapBackColor)
    Q_PROPERTY(int StretchBltMode READ stretchBltMode WRITE setStretchBltMode)
    Q_PROPERTY(bool NoMagnify READ noMagnify WRITE setNoMagnify)
    Q_PROPERTY(bool HasFocusRect READ hasFocusRect WRITE setHasFocusRect)

public:
    explicit DwgVignette(QWidget* parent = nullptr);

    // Loads the drawing's preview. False (the refusal) when the file holds no preview that can be
    // read; the thumbnail then shows nothing. The empty path clears it and never fails.
    bool setDwgFileName(const std::filesystem::path& path);
    // The same with the preview already read.
    bool setPreview(const std::filesystem::path& path, DrawingPreviewImage&& loaded);
    const std::filesystem::path& dwgFileName() const { return m_fileName; }
    void Refresh() { update(); }

    const QImage& image() const { return m_image; }
    DwgPreviewStatus lastStatus() const { return m_status; }
    const std::string& lastDetail() const { return m_detail; }

    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor& c);
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);
    int appearance() const { return m_appearance; }
    void setAppearance(int appearance);
    QColor bitmapBackColor() const { return m_bitmapBackColor; }
    void setBitmapBackColor(const QColor& c);
    int stretchBltMode() const { return m_stretchMode; }
    void setStretchBltMode(int mode);
    bool noMagnify() const { return m_noMagnify; }
    void setNoMagnify(bool on);
    bool hasFocusRect() const { return m_hasFocusRect; }
    void setHasFocusRect(bool on);

    // Where the picture is drawn inside `inner`, keeping its aspect ratio.
    static QRectF pictureRect(QSizeF picture, const QRectF& inner, bool noMagnify);

signals:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect innerRect() const;

    std::filesystem::path m_fileName;
    QImage m_image;
    DwgPreviewStatus m_status = DwgPreviewStatus::NoPreview;
    std::string m_detail;
    QColor m_backColor{255, 255, 255};
    int m_borderStyle = 1;
    int m_appearance = 1;
    QColor m_bitmapBackColor{0, 0, 0};
    int m_stretchMode = 2;
    bool m_noMagnify = false;
    bool m_hasFocusRect = true;
    bool m_inDoubleClick = false;
    bool m_fromGeometry = false; // drawn at our size: shown pixel for pixel when it fits
};

} // namespace dsc
