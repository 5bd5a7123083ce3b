#pragma once
// Entities drawn as several outlines: MLINE (its element lines), TOLERANCE (its boxes), VIEWPORT
// (its frame on the sheet) and MULTILEADER (its leaders, arrows and content).

#include "formats/dwg/r13/objects.h"

#include <optional>
#include <string_view>
#include <vector>

namespace dsc::dwg {

// A 3D polyline of straight sides through `points`.
Polyline path3d(const std::vector<Vec3>& points, bool closed);

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

// A multileader as read: leader lines grouped by the landing they end at, and one content.
struct MLeaderLine {
    std::vector<Vec3> points; // from the arrow's tip towards the landing
    bool visible = true;      // its path type is not "none"
    bool spline = false;      // a curve through its points rather than straight segments
    Colour colour;
    double arrowSize = 0;         // 0: no arrow
    std::uint64_t arrowBlock = 0; // the block header drawn as its arrow; 0: the closed filled one
};
struct MLeaderRoot {
    Vec3 connection; // where the lines end and the landing starts
    Vec3 direction;  // the landing's, towards the content
    double landing = 0;
    std::vector<MLeaderLine> lines;
};
struct MLeader {
    std::vector<MLeaderRoot> roots;
    bool dogleg = false; // the landings are drawn
    Colour lineColour;
    Vec3 normal{0, 0, 1};
    std::optional<MText> text;
    Colour textColour;
    std::optional<Insert> block; // its `block` unset: the header is `blockHandle`
    std::uint64_t blockHandle = 0;
    Colour blockColour;
};

// The pieces a multileader draws, in world coordinates: each leader line as a 3D polyline (or a
// curve) through its points to its landing, the landings, a closed filled arrow (or the arrow's block, tip at its
// origin, pointing along its x axis) at each line's tip, then the text or the block. Colours BYBLOCK
// take `entityColour`.
std::vector<Piece> mleaderPieces(const MLeader& leader, const Colour& entityColour);

bool readMLine(BitReader& r, ParsedObject& out);
// False, with nothing kept, when any count runs past the data or a value is not finite.
bool readMultiLeader(BitReader& r, const ObjectContext& context, ParsedObject& out);
bool readTolerance(BitReader& r, const ObjectContext& context, ParsedObject& out);
bool readViewportFrame(BitReader& r, ParsedObject& out);

} // namespace dsc::dwg
