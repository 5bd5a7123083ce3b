#pragma once
// Texts laid out in the stroke font: TEXT with its justification, width factor, obliquing and
// mirroring, in its own plane; MTEXT wrapped into paragraphs and placed by its attachment point.

#include "formats/dwg/render/strokefont.h"

#include <span>

namespace dsc::dwg {

// Receives a text's segments a batch at a time.
class GlyphSink {
public:
    virtual void take(std::span<const GlyphSegment> segments) = 0;

protected:
    ~GlyphSink() = default;
};

// Segments in the text's own coordinates (the OCS for TEXT, the WCS plane for MTEXT), handed to
// `sink` in batches as they are made: no text, however long, is held whole.
void layoutText(const Text& text, GlyphSink& sink);
void layoutMText(const MText& text, GlyphSink& sink);

} // namespace dsc::dwg
