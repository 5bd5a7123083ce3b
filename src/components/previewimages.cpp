#include "previewimages.h"

#include "formats/dwg/geometrypicture.h"
#include "formats/raster/slideraster.h"
#include "platform/filesource.h"

namespace dsc {

QImage wrapRaster(Raster&& raster) {
    if (raster.empty()) {
        return {};
    }
    auto* owner = new Raster(std::move(raster));
    // Opaque pictures are shown as such; previews with transparency keep it.
    bool opaque = true;
    for (std::uint32_t p : owner->pixels) {
        if ((p >> 24) != 0xFF) {
            opaque = false;
            break;
        }
    }
    return QImage(
        reinterpret_cast<uchar*>(owner->pixels.data()), owner->width, owner->height,
        static_cast<qsizetype>(owner->width) * 4, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32,
        [](void* p) { delete static_cast<Raster*>(p); }, owner);
}

QImage renderSlideImage(const Slide& slide, QSize box) {
    return wrapRaster(renderSlide(slide, box.width(), box.height()));
}

QImage drawSlidePicture(const Slide* slide, QSize pixels) {
    Raster raster;
    if (allocateRaster(raster, pixels.width(), pixels.height(), 0xFF000000u) && slide) {
        drawSlide(raster, *slide, {0, 0, double(pixels.width()), double(pixels.height())});
    }
    return wrapRaster(std::move(raster));
}

DrawingPreviewImage loadDrawingPreview(const std::filesystem::path& path, QSize geometryBox) {
    platform::FileSource source;
    return loadDrawingPreview(source.open(path) ? &source : nullptr, geometryBox);
}

QSize geometryBoxFor(QSize pixels) {
    // The thumbnail's sunken border takes two pixels a side, four at twice the density.
    const QSize box = pixels - QSize(8, 8);
    return box.isEmpty() ? QSize() : box;
}

DrawingPreviewImage loadDrawingPreview(ByteSource* source, QSize geometryBox) {
    DrawingPreviewImage out;
    if (!source) {
        out.preview.status = DwgPreviewStatus::Unreadable;
        out.preview.detail = "file cannot be opened";
        return out;
    }
    DrawingPicture picture = readDrawingPicture(*source);
    out.preview = std::move(picture.preview);
    out.image = wrapRaster(std::move(picture.image));
    if (out.image.isNull() && !geometryBox.isEmpty()) {
        GeometryPicture drawn = drawGeometryPicture(*source, geometryBox.width(), geometryBox.height());
        if (drawn.ok()) {
            out.image = wrapRaster(std::move(drawn.drawn.image));
            out.fromGeometry = !out.image.isNull();
        }
    }
    return out;
}

} // namespace dsc
