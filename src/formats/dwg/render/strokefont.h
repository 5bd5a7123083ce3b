#pragma once
// Our own single-stroke font: each glyph a few polylines on a small grid, enough for a thumbnail.
// Units: capitals are 1 high on a baseline at 0, descenders reach -1/3, glyphs advance by 1.

#include "formats/dwg/render/affine.h"

#include <string>
#include <vector>

namespace dsc::dwg {

struct GlyphSegment {
    Vec2 a, b;
};

// The strokes of one character (Unicode code point) added to `out`, moved right by `x`. Unknown
// characters come out as a small box.
void glyphSegments(char32_t c, double x, std::vector<GlyphSegment>& out);

// The drawing's text with its control codes read: %%c %%d %%p as ⌀ ° ±, %%% as %, %%u and %%o
// (under- and overlining) dropped, %%nnn as that character. UTF-8 in, code points out.
std::u32string decodeText(const std::string& text);

} // namespace dsc::dwg
