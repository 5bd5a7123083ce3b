#pragma once
// What the paged-container harnesses do with their input: open it as the given release, read the
// objects section page by page, whole in 4 KB pieces, then through the object reader.

#include "formats/dwg/r2004/pageddrawing.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

inline void fuzzPagedDrawing(const std::uint8_t* data, std::size_t size, const char* version) {
    dsc::MemorySource source(std::span(data, size));
    dsc::dwg::GeometryLimits limits;
    limits.maxBytes = 16u << 20;
    dsc::dwg::PagedDrawing paged;
    if (!dsc::dwg::readPagedDrawing(source, version, limits, paged).ok()) {
        return;
    }
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
