#include "formats/dwg/r2004/pageddrawing.h"

namespace dsc::dwg {

ContainerResult readContainer2007(ByteSource&, const GeometryLimits&, PagedDrawing&) {
    return {ContainerError::BadFileHeader, "2007 container not read yet"};
}

} // namespace dsc::dwg
