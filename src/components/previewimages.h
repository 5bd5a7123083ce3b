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
    DwgPreview preview;        // status, reason and directory facts of the stored preview
    QImage image;              // null unless a picture was had
    bool fromGeometry = false; // the picture was drawn from the drawing's geometry
    bool ok() const { return !image.isNull(); }
};

// Reads and decodes the stored preview of a drawing, from its opened file (null: the file could not
// be opened) or by its name. A drawing without a preview that decodes is drawn from its geometry to
// fit `geometryBox` (device pixels), unless the box is empty.
DrawingPreviewImage loadDrawingPreview(ByteSource* source, QSize geometryBox = {});
// The box a geometry picture is drawn to for a thumbnail of `pixels` device pixels: inside its
// border, so that it is shown pixel for pixel.
QSize geometryBoxFor(QSize pixels);
DrawingPreviewImage loadDrawingPreview(const std::filesystem::path& path, QSize geometryBox = {});

} // namespace dsc
