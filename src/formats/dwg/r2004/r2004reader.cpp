#include "formats/dwg/geometry.h"

namespace dsc::dwg {

GeometryResult readR2004Drawing(ByteSource&, const std::string& version, const GeometryLimits&) {
    GeometryResult result;
    result.drawing.release = version;
    result.error = GeometryError::UnsupportedRelease;
    result.detail = "geometry of " + version + " not read yet";
    return result;
}

} // namespace dsc::dwg
