// Placeholder until the object reader of release 13 and later lands.
#include "formats/dwg/r13/sections.h"

namespace dsc::dwg {

GeometryResult readObjectGeometry(const DwgSections& sections, const GeometryLimits&) {
    return notReadYet(sections.version);
}

} // namespace dsc::dwg
