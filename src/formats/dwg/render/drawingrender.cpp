#include "formats/dwg/render/drawingrender.h"

namespace dsc::dwg {

RenderResult renderDrawing(const Drawing&, int, int, const RenderLimits&) {
    return {};
}

} // namespace dsc::dwg
