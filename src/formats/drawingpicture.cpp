#include "drawingpicture.h"

#include "dib.h"
#include "png.h"

namespace dsc {

DrawingPicture readDrawingPicture(ByteSource& source) {
    DrawingPicture out;
    out.preview = readDwgPreview(source);
    if (!out.preview.ok()) {
        return out;
    }
    // The decoded pixels are all that is kept of the preview: the stored bytes go as soon as done.
    const std::vector<std::uint8_t> bytes = std::move(out.preview.image);
    out.preview.image = {};
    if (out.preview.kind == DwgImageKind::Bmp) {
        const DibError e = decodeDib(bytes, out.image);
        if (e != DibError::None) {
            out.preview.status = e == DibError::OutOfMemory ? DwgPreviewStatus::NoPreview : DwgPreviewStatus::Damaged;
            out.preview.detail = describe(e);
        }
    } else if (out.preview.kind == DwgImageKind::Png) {
        PngLimits limits;
        limits.maxDimension = kMaxDibDimension;
        if (std::string why = decodePng(bytes, out.image, limits); !why.empty()) {
            out.preview.status = DwgPreviewStatus::Damaged;
            out.preview.detail = std::move(why);
        }
    }
    return out;
}

} // namespace dsc
