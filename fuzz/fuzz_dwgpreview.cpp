// Drawing preview locator and bitmap decoder on arbitrary bytes.
#include "formats/dib.h"
#include "formats/dwgpreview.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dsc::MemorySource source(std::span(data, size));
    const dsc::DwgPreview p = dsc::readDwgPreview(source);
    if (p.ok() && p.kind == dsc::DwgImageKind::Bmp) {
        dsc::DibImage image;
        dsc::decodeDib(p.image, image);
    }
    dsc::DibImage direct; // the decoder on its own as well
    dsc::decodeDib(std::span(data, size), direct);
    return 0;
}
