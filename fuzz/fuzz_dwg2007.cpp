// The container of release 2007 on arbitrary bytes: header, maps, pages, assembly, then the objects
// section read page by page, whole and by the object reader.
#include "pagedharness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzPagedDrawing(data, size, "AC1021");
    return 0;
}
