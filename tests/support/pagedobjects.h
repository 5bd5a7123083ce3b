#pragma once
// The objects section of an opened paged drawing, read whole through its source as the object
// reader reads it: every page is read, and reports what fails.

#include "formats/dwg/r2004/pageddrawing.h"

#include <cstdint>
#include <vector>

namespace dsc::test {

inline std::vector<std::uint8_t> objectSection(dwg::PagedDrawing& paged) {
    std::vector<std::uint8_t> all;
    if (paged.sections.objects == nullptr ||
        !paged.sections.objects->readVector(0, paged.sections.objects->size(), all)) {
        return {};
    }
    return all;
}

} // namespace dsc::test
