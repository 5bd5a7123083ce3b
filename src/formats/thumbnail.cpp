#include "formats/thumbnail.h"

#include "formats/dwg/drawingpicture.h"
#include "formats/dwg/geometrypicture.h"
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

namespace {

// The stored preview, or the geometry when there is none (or none that decodes). The stored
// preview's verdict stands when the geometry gives nothing either.
void drawingThumbnail(ByteSource& source, int size, DrawingPictures pictures, Thumbnail& out) {
    if (pictures == DrawingPictures::StoredFirst) {
        DrawingPicture d = readDrawingPicture(source, size); // scaled down, never magnified
        if (d.ok()) {
            out.image = std::move(d.image);
            return;
        }
        out.detail = d.preview.detail;
        out.status = d.preview.status == DwgPreviewStatus::Unreadable ? Thumbnail::Status::Unreadable
                                                                      : Thumbnail::Status::NoPreview;
    }
    GeometryPicture g = drawGeometryPicture(source, size, size);
    if (g.ok()) {
        out.source = Thumbnail::Source::Geometry;
        out.detail.clear();
        out.image = std::move(g.drawn.image);
        return;
    }
    if (pictures == DrawingPictures::GeometryOnly) {
        out.status = g.read.error == dwg::GeometryError::NotADrawing ? Thumbnail::Status::Unreadable
                                                                     : Thumbnail::Status::NoPreview;
        out.detail = g.detail();
    } else {
        out.detail += out.detail.empty() ? g.detail() : "; geometry: " + g.detail();
    }
}

} // namespace

Thumbnail makeThumbnail(ByteSource& source, FileContent kind, int size, DrawingPictures pictures) {
    Thumbnail out;
    if (size < 1 || size > 4096) {
        out.detail = "size out of range";
        return out;
    }
    if (kind == FileContent::Drawing) {
        drawingThumbnail(source, size, pictures, out);
        if (out.image.empty() && !out.detail.empty()) {
            return out;
        }
    } else if (kind == FileContent::Slide || kind == FileContent::Library) {
        // A library without a member name gives its first slide.
        const LoadedSlide s = loadSlide(source, SlideReference{}, true);
        if (!s.ok()) {
            out.status =
                s.status == SlideLoadStatus::NoSuchSlide ? Thumbnail::Status::NoPreview : Thumbnail::Status::Unreadable;
            out.detail = describe(s.status);
            return out;
        }
        SlideDrawResult drawn;
        out.image = renderSlide(s.slide, size, size, &drawn);
        out.truncated = drawn.truncated;
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
