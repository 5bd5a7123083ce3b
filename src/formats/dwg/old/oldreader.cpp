#include "formats/dwg/geometry.h"

namespace dsc::dwg {

GeometryResult readOldDrawing(ByteSource&, const std::string& version, const GeometryLimits&) {
    return notReadYet(version);
}

} // namespace dsc::dwg
