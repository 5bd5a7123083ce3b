#include "previewimages.h"

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

DrawingPreviewImage loadDrawingPreview(const std::filesystem::path& path) {
    platform::FileSource source;
    return loadDrawingPreview(source.open(path) ? &source : nullptr);
}

DrawingPreviewImage loadDrawingPreview(ByteSource* source) {
    DrawingPreviewImage out;
    if (!source) {
        out.preview.status = DwgPreviewStatus::Unreadable;
        out.preview.detail = "file cannot be opened";
        return out;
    }
    DrawingPicture picture = readDrawingPicture(*source);
    out.preview = std::move(picture.preview);
    out.image = wrapRaster(std::move(picture.image));
    return out;
}

} // namespace dsc
