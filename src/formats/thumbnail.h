#pragma once
// The thumbnail of a file's content, as the thumbnail tool writes it and the shell's thumbnail
// handler hands it over: a drawing's stored preview shrunk to fit (never enlarged), or, when it holds
// none, its geometry drawn to fit; a slide drawn on black to fit, a library's first slide.

#include "formats/core/bytesource.h"
#include "formats/raster/raster.h"

#include <cstdint>
#include <span>
#include <string>

namespace dsc {

enum class FileContent { Unknown, Drawing, Slide, Library };

// What the first bytes of a file say it is (32 are enough).
FileContent contentOf(std::span<const std::uint8_t> head);

struct Thumbnail {
    enum class Status { Ok, NoPreview, Unreadable };
    enum class Source { Stored, Geometry }; // where a drawing's picture came from
    Status status = Status::Unreadable;
    Source source = Source::Stored;
    std::string detail;     // why there is no image
    Raster image;           // fits size × size
    bool truncated = false; // a slide too costly to draw whole: what was drawn within the budget
    bool ok() const { return status == Status::Ok; }
};

// Which picture of a drawing is wanted: the stored preview, falling back on the geometry, or the
// geometry alone (for comparisons).
enum class DrawingPictures { StoredFirst, GeometryOnly };

// The thumbnail of `source`, whose content is `kind`, within size × size (1 to 4096).
Thumbnail makeThumbnail(ByteSource& source, FileContent kind, int size,
                        DrawingPictures pictures = DrawingPictures::StoredFirst);

} // namespace dsc
