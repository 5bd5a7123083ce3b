#pragma once
// The drawable part of each entity kind, read after its common data.

#include "formats/dwg/r13/objects.h"

#include <string>
#include <string_view>

namespace dsc::dwg {

// Fills `out.shape` (or `out.vertex`); false for kinds not drawn.
bool readEntityShape(const std::string& kind, BitReader& r, const ObjectContext& context, ParsedObject& out);

// MTEXT's text with its formatting codes removed; paragraphs end with '\n'.
std::string plainMText(std::string_view text);

} // namespace dsc::dwg
