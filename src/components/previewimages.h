#pragma once
// Previews as Qt images over the pixels the readers' layer draws and decodes, so the window shows
// exactly what the thumbnailers write.

#include "formats/dwg/drawingpicture.h"
#include "formats/raster/raster.h"
#include "formats/slides/slide.h"

#include <QImage>
#include <QSize>

#include <filesystem>

namespace dsc {

// An image over the raster's own pixels (no copy); the image owns them from then on.
QImage wrapRaster(Raster&& raster);

// A slide on black in an image no larger than `box` that keeps the slide's aspect.
QImage renderSlideImage(const Slide& slide, QSize box);

// A slide drawn as the slide viewer shows it: the whole `pixels` black, the slide fitted inside;
// black alone when `slide` is null.
QImage drawSlidePicture(const Slide* slide, QSize pixels);

struct DrawingPreviewImage {
    DwgPreview preview; // status, reason and directory facts
    QImage image;       // null unless the preview decoded
    bool ok() const { return !image.isNull(); }
};

// Reads and decodes the stored preview of a drawing, from its opened file (null: the file could not
// be opened) or by its name.
DrawingPreviewImage loadDrawingPreview(ByteSource* source);
DrawingPreviewImage loadDrawingPreview(const std::filesystem::path& path);

} // namespace dsc
