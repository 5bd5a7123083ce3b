#pragma once
// The picture stored in a drawing, decoded: BMP by our own decoder, PNG through libspng.

#include "formats/core/bytesource.h"
#include "formats/dwg/dwgpreview.h"
#include "formats/raster/raster.h"

namespace dsc {

struct DrawingPicture {
    DwgPreview preview; // status, reason and directory facts; the stored bytes are not kept
    Raster image;       // empty unless the preview decoded
    bool ok() const { return !image.empty(); }
};

// Reads only what the preview needs. A preview too large for the memory at hand is refused as
// "no preview", a damaged one as damaged, each with its reason. With a `box`, the picture comes
// shrunk to fit box × box (never enlarged), and the full-size one is never held.
DrawingPicture readDrawingPicture(ByteSource& source, int box = 0);

} // namespace dsc
