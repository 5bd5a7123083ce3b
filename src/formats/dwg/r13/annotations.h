#pragma once
// Entities drawn as several outlines: MLINE (its element lines), TOLERANCE (its boxes) and
// VIEWPORT (its frame on the sheet).

#include "formats/dwg/r13/objects.h"

#include <string_view>
#include <vector>

namespace dsc::dwg {

// A multiline's vertex: each element line passes at `offsets[i]` along the miter from it.
struct MLineVertex {
    Vec3 position, direction, miter;
    std::vector<double> offsets; // one per element line
};

// The element lines, each a 3D polyline through its offset point at every vertex; without
// offsets (elements == 0) the centre line.
std::vector<Polyline> mlineElements(const std::vector<MLineVertex>& vertices, std::size_t elements, bool closed);

// A feature control frame: one row of boxes per line of `text` ("^J" between lines), one box per
// "%%v"-separated field, each row twice the text height tall, from `insertion` along `direction`.
std::vector<Polyline> toleranceFrames(Vec3 insertion, Vec3 direction, double height, std::string_view text);

bool readMLine(BitReader& r, ParsedObject& out);
bool readTolerance(BitReader& r, const ObjectContext& context, ParsedObject& out);
bool readViewportFrame(BitReader& r, ParsedObject& out);

} // namespace dsc::dwg
