#pragma once
// Texts laid out in the stroke font: TEXT with its justification, width factor, obliquing and
// mirroring, in its own plane; MTEXT wrapped into paragraphs and placed by its attachment point.

#include "formats/dwg/render/strokefont.h"

namespace dsc::dwg {

// Segments in the text's own coordinates (the OCS for TEXT, the WCS plane for MTEXT).
std::vector<GlyphSegment> layoutText(const Text& text);
std::vector<GlyphSegment> layoutMText(const MText& text);

} // namespace dsc::dwg
