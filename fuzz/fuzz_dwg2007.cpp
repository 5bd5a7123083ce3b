// The container of release 2007 on arbitrary bytes: header, maps, pages, assembly, then the objects.
#include "formats/dwg/r2004/pageddrawing.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dsc::MemorySource source(std::span(data, size));
    dsc::dwg::GeometryLimits limits;
    limits.maxBytes = 16u << 20;
    dsc::dwg::PagedDrawing paged;
    if (dsc::dwg::readPagedDrawing(source, "AC1021", limits, paged).ok()) {
        if (paged.sections.objects == nullptr) {
            __builtin_trap();
        }
        dsc::dwg::readObjectGeometry(paged.sections, limits);
    }
    return 0;
}
