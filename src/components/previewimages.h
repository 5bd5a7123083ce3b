#pragma once
// Turning decoded previews into Qt images; shared by the widgets and the command-line tool.

#include "formats/dwgpreview.h"
#include "formats/raster.h"
#include "formats/slide.h"

#include <QImage>
#include <QRectF>
#include <QSize>

#include <filesystem>

class QPainter;

namespace dsc {

// An image over the raster's own pixels (no copy); the image owns them from then on.
QImage wrapRaster(Raster&& raster);

// The largest rectangle of the slide's aspect ratio that fits in `box`, centred.
QRectF slideFitRect(const SlideHeader& header, const QRectF& box);

// Paints the slide's display list scaled to fit `box` (logical coordinates).
void paintSlide(QPainter& painter, const Slide& slide, const QRectF& box);

// Renders a slide on black into an image no larger than `box` that keeps the slide's aspect.
QImage renderSlide(const Slide& slide, QSize box);

struct DrawingPreviewImage {
    DwgPreview preview; // status, reason and directory facts
    QImage image;       // null unless the preview decoded
    bool ok() const { return !image.isNull(); }
};

// Reads and decodes the stored preview of a drawing (BMP with our decoder, PNG with Qt).
DrawingPreviewImage loadDrawingPreview(const std::filesystem::path& path);

} // namespace dsc
