#pragma once
// The slide viewer: draws a slide file or a slide of a library on black.

#include "formats/slides/slide.h"
#include "formats/slides/slidereference.h"

#include <QImage>
#include <QWidget>

#include <string>

namespace dsc {

class SlideViewer : public QWidget {
    Q_OBJECT

public:
    explicit SlideViewer(QWidget* parent = nullptr);

    // A slide file, or one slide of a library. Never fails: what cannot be resolved shows an empty
    // viewer. The file is read here, never while painting.
    void setReference(const SlideReference& reference);
    // The same with the slide already read, and drawn by drawSlidePicture at pixelSize() (a picture
    // of another size is drawn again when painting).
    void setSlide(const SlideReference& reference, LoadedSlide&& loaded, QImage picture = {});
    // The size in pixels the viewer draws at.
    QSize pixelSize() const;
    const SlideReference& reference() const { return m_reference; }
    bool hasSlide() const { return m_hasSlide; }
    const Slide& slide() const { return m_slide; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SlideReference m_reference;
    Slide m_slide;
    bool m_hasSlide = false;
    QImage m_picture; // the slide drawn at the widget's size and pixel ratio, redrawn when either changes
};

} // namespace dsc
