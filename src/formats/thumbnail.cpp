#include "formats/thumbnail.h"

#include "formats/dwg/drawingpicture.h"
#include "formats/raster/slideraster.h"
#include "formats/slides/slidelibrary.h"
#include "formats/slides/slidereference.h"

#include <cstring>

namespace dsc {

FileContent contentOf(std::span<const std::uint8_t> head) {
    if (looksLikeSlideLibrary(head)) {
        return FileContent::Library;
    }
    if (looksLikeSlide(head)) {
        return FileContent::Slide;
    }
    if (head.size() >= 6 && (std::memcmp(head.data(), "AC", 2) == 0 || std::memcmp(head.data(), "MC", 2) == 0)) {
        return FileContent::Drawing;
    }
    return FileContent::Unknown;
}

Thumbnail makeThumbnail(ByteSource& source, FileContent kind, int size) {
    Thumbnail out;
    if (size < 1 || size > 4096) {
        out.detail = "size out of range";
        return out;
    }
    if (kind == FileContent::Drawing) {
        DrawingPicture d = readDrawingPicture(source, size); // scaled down, never magnified
        out.detail = d.preview.detail;
        if (d.preview.status == DwgPreviewStatus::Unreadable) {
            return out;
        }
        if (!d.ok()) {
            out.status = Thumbnail::Status::NoPreview;
            return out;
        }
        out.image = std::move(d.image);
    } else if (kind == FileContent::Slide || kind == FileContent::Library) {
        // A library without a member name gives its first slide.
        const LoadedSlide s = loadSlide(source, SlideReference{}, true);
        if (!s.ok()) {
            out.status =
                s.status == SlideLoadStatus::NoSuchSlide ? Thumbnail::Status::NoPreview : Thumbnail::Status::Unreadable;
            out.detail = describe(s.status);
            return out;
        }
        out.image = renderSlide(s.slide, size, size);
    } else {
        out.detail = "not a drawing, a slide or a slide library";
        return out;
    }
    if (out.image.empty()) {
        out.status = Thumbnail::Status::Unreadable;
        out.detail = "not enough memory for the picture";
        return out;
    }
    out.status = Thumbnail::Status::Ok;
    return out;
}

} // namespace dsc
