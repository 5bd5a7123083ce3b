// Drawing preview locator and the picture decoders on arbitrary bytes.
#include "formats/dwg/drawingpicture.h"
#include "formats/raster/dib.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dsc::MemorySource source(std::span(data, size));
    dsc::readDrawingPicture(source); // locator, then the BMP or PNG decoder
    dsc::DibImage direct;            // the decoder on its own as well
    dsc::decodeDib(std::span(data, size), direct);
    return 0;
}
