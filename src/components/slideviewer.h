#pragma once
// The slide viewer: draws a slide file or a slide of a library on black.

#include "formats/slides/slide.h"
#include "formats/slides/slidereference.h"

#include <QImage>
#include <QWidget>

#include <memory>
#include <string>

class QThreadPool;

namespace dsc {

class SlideViewer : public QWidget {
    Q_OBJECT

public:
    explicit SlideViewer(QWidget* parent = nullptr);
    ~SlideViewer() override;

    // A slide file, or one slide of a library. Never fails: what cannot be resolved shows an empty
    // viewer. The file is read here, never while painting.
    void setReference(const SlideReference& reference);
    // The same with the slide already read, and drawn by drawSlidePicture at pixelSize() (a picture
    // of another size is drawn again).
    void setSlide(const SlideReference& reference, LoadedSlide&& loaded, QImage picture = {});
    // The size in pixels the viewer draws at.
    QSize pixelSize() const;
    const SlideReference& reference() const { return m_reference; }
    bool hasSlide() const { return m_hasSlide; }
    const Slide& slide() const { return *m_slide; }
    // The picture painted, at pixelSize() once it is up to date; scaled to the widget meanwhile.
    const QImage& picture() const { return m_picture; }
    // True while a picture at a new size is being drawn off the window's thread.
    bool drawing() const { return m_drawing; }
    // Where large slides are drawn again (the global pool unless set).
    void setDrawingPool(QThreadPool* pool) { m_pool = pool; }

signals:
    void pictureDrawn();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool pictureIsCurrent() const;
    void drawAgain();

    SlideReference m_reference;
    std::shared_ptr<const Slide> m_slide; // shared with a drawing in progress; never null
    bool m_hasSlide = false;
    QImage m_picture; // the slide drawn at the widget's size and pixel ratio, redrawn when either changes
    QThreadPool* m_pool = nullptr;
    unsigned m_generation = 0; // a new slide makes pictures still being drawn stale
    bool m_drawing = false;
};

} // namespace dsc
