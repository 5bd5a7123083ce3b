// The paged container of releases 2004 and later on arbitrary bytes: header, maps, pages, assembly.
#include "formats/dwg/r2004/pageddrawing.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dsc::MemorySource source(std::span(data, size));
    dsc::dwg::GeometryLimits limits;
    limits.maxBytes = 16u << 20;
    dsc::dwg::PagedDrawing paged;
    dsc::dwg::readPagedDrawing(source, "AC1018", limits, paged);
    return 0;
}
