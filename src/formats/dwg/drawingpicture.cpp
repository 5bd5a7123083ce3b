#include "formats/dwg/drawingpicture.h"

#include "formats/raster/dib.h"
#include "formats/raster/png.h"
#include "formats/raster/scale.h"

namespace dsc {

DrawingPicture readDrawingPicture(ByteSource& source, int box) {
    DrawingPicture out;
    out.preview = readDwgPreview(source);
    if (!out.preview.ok()) {
        return out;
    }
    // The decoded pixels are all that is kept of the preview: the stored bytes go as soon as done.
    const std::vector<std::uint8_t> bytes = std::move(out.preview.image);
    out.preview.image = {};
    RasterSink whole;
    Shrinker shrinker(fitWithin({out.preview.width, out.preview.height}, box));
    const bool shrinking = box > 0 && (out.preview.width > box || out.preview.height > box);
    RowSink& sink = shrinking ? static_cast<RowSink&>(shrinker) : whole;
    if (out.preview.kind == DwgImageKind::Bmp) {
        const DibError e = decodeDib(bytes, sink);
        if (e != DibError::None) {
            out.preview.status = e == DibError::OutOfMemory ? DwgPreviewStatus::NoPreview : DwgPreviewStatus::Damaged;
            out.preview.detail = describe(e);
            return out;
        }
    } else if (out.preview.kind == DwgImageKind::Png) {
        PngLimits limits;
        limits.maxDimension = kMaxDibDimension;
        if (std::string why = decodePng(bytes, sink, limits); !why.empty()) {
            out.preview.status = DwgPreviewStatus::Damaged;
            out.preview.detail = std::move(why);
            return out;
        }
    }
    out.image = shrinking ? shrinker.take() : whole.take();
    return out;
}

} // namespace dsc
