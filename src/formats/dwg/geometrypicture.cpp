#include "formats/dwg/geometrypicture.h"

namespace dsc {

std::string GeometryPicture::detail() const {
    if (!read.ok()) {
        return read.detail.empty() ? dwg::describe(read.error) : read.detail;
    }
    if (drawn.image.empty()) {
        return "not enough memory for the picture";
    }
    if (read.drawing.truncated || drawn.truncated) {
        return "picture incomplete: " +
               (read.drawing.warning.empty() ? std::string("work limit reached") : read.drawing.warning);
    }
    return {};
}

GeometryPicture drawGeometryPicture(ByteSource& source, int width, int height) {
    GeometryPicture out;
    out.read = dwg::readDrawingGeometry(source);
    if (out.read.ok()) {
        out.drawn = dwg::renderDrawing(out.read.drawing, width, height);
    }
    return out;
}

} // namespace dsc
