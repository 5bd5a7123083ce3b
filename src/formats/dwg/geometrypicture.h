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
    dwg::RenderResult drawn;  // the picture; empty when nothing could be drawn
    bool ok() const { return !drawn.empty && !drawn.image.empty(); }
    std::string detail() const; // why there is no picture, or what was cut short
};

// Reads the geometry of `source` and draws it to fit width × height.
GeometryPicture drawGeometryPicture(ByteSource& source, int width, int height);

} // namespace dsc
