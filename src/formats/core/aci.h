#pragma once
// Colours of the CAD colour index used by slides.

#include <cstdint>

namespace dsc {

// 0xRRGGBB of a colour index; 7 is white.
std::uint32_t aciColour(std::uint8_t index);

} // namespace dsc
