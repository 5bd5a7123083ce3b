#pragma once
// A drawing's picture drawn from its own geometry, for drawings that hold no stored preview (every
// release before 13, and newer ones saved without one).

#include "formats/core/bytesource.h"
#include "formats/dwg/geometry.h"
#include "formats/dwg/render/drawingrender.h"

#include <string>

namespace dsc {

struct GeometryPicture {
    dwg::GeometryResult read; // the model, its counts and what went wrong
    dwg::RenderResult drawn;  // the picture; all background when the drawing holds nothing drawn
    // A drawing read to its end gives a picture, a blank one when its model space is empty (as a
    // stored preview of a blank drawing is).
    bool ok() const { return read.ok() && !drawn.image.empty(); }
    std::string detail() const; // why there is no picture, or what was cut short
};

// Reads the geometry of `source` and draws it to fit width × height.
GeometryPicture drawGeometryPicture(ByteSource& source, int width, int height);

} // namespace dsc
