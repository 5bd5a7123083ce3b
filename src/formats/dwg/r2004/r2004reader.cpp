// Releases 2004 to 2018: the paged container gives the sections, the object reader of release 13
// and later reads them.
#include "formats/dwg/geometry.h"
#include "formats/dwg/r13/sections.h"
#include "formats/dwg/r2004/pageddrawing.h"

namespace dsc::dwg {

GeometryResult readR2004Drawing(ByteSource& source, const std::string& version, const GeometryLimits& limits) {
    PagedDrawing paged;
    const ContainerResult container = readPagedDrawing(source, version, limits, paged);
    if (container.error == ContainerError::Unsupported) {
        return notReadYet(version);
    }
    if (!container.ok()) {
        GeometryResult result;
        result.drawing.release = version;
        result.error = container.error == ContainerError::TooLarge ? GeometryError::TooLarge : GeometryError::Damaged;
        result.detail = describe(container.error) + ": " + container.detail;
        return result;
    }
    GeometryResult result = readObjectGeometry(paged.sections, limits);
    result.drawing.release = version;
    for (const auto& w : paged.warnings) {
        result.detail += (result.detail.empty() ? "" : "; ") + w;
    }
    return result;
}

} // namespace dsc::dwg
