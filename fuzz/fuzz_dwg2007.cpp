// The container of release 2007 on arbitrary bytes: header, maps, pages, assembly, then the objects
// section read page by page, whole and by the object reader.
#include "formats/dwg/r2004/pageddrawing.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dsc::MemorySource source(std::span(data, size));
    dsc::dwg::GeometryLimits limits;
    limits.maxBytes = 16u << 20;
    dsc::dwg::PagedDrawing paged;
    if (dsc::dwg::readPagedDrawing(source, "AC1021", limits, paged).ok()) {
        if (paged.sections.objects == nullptr) {
            __builtin_trap();
        }
        std::vector<std::uint8_t> piece;
        const std::uint64_t sectionSize = paged.sections.objects->size();
        for (std::uint64_t at = 0; at < sectionSize; at += 4096) {
            if (!paged.sections.objects->readVector(at, std::min<std::uint64_t>(4096, sectionSize - at), piece)) {
                __builtin_trap(); // within its size, the section always reads (zeros where no page gives)
            }
        }
        dsc::dwg::readObjectGeometry(paged.sections, limits);
    }
    return 0;
}
