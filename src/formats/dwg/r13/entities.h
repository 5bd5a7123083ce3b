#pragma once
// The drawable part of each entity kind, read after its common data.

#include "formats/dwg/r13/objects.h"

#include <string>
#include <string_view>

namespace dsc::dwg {

constexpr std::uint32_t kMaxPoints = 1u << 20; // per entity; the drawing's own limits apply later

// Fills `out.shape` (or `out.vertex`); false for kinds not drawn.
bool readEntityShape(const std::string& kind, BitReader& r, const ObjectContext& context, ParsedObject& out);

// HATCH's boundary loops (the pattern itself is not read: a pattern is drawn as its boundary).
// From 2004 on a gradient's description comes first (`r2004`), and from 2010 on spline edges carry
// their fit points (`r2010`).
bool readHatch(BitReader& r, Entity& e, bool r2004 = false, bool r2010 = false);

// MTEXT's text with its formatting codes removed; paragraphs end with '\n'.
std::string plainMText(std::string_view text);

} // namespace dsc::dwg
