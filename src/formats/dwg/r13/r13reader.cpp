#include "formats/dwg/geometry.h"

namespace dsc::dwg {

GeometryResult readR13Drawing(ByteSource&, const std::string& version, const GeometryLimits&) {
    return notReadYet(version);
}

} // namespace dsc::dwg
