#pragma once
// One object of release 13 and later: its common data, then what the model keeps of it.

#include "formats/dwg/model/drawing.h"
#include "formats/dwg/r13/bitreader.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dsc::dwg {

struct ObjectContext {
    bool r2000 = false; // 2000 and later: the compact codes for points, extrusions and thicknesses
    bool r2004 = false; // 2004 and later: kinds whose later fields are not read yet are skipped
    bool r2007 = false; // 2007 and later: strings apart, in UTF-16
    bool r2010 = false; // 2010 and later: the handle stream's size given before the type
    bool r2013 = false;
    std::size_t maxString = 64 * 1024;
};

// The name an object type number stands for; numbers of 500 and more come from the classes.
std::string fixedTypeName(int type);

// A custom type of the classes section: its DXF name, and whether its objects are entities.
struct DwgClass {
    std::string name;
    bool entity = false;
};

// A further piece of an entity, drawn as the entity is unless it has a colour of its own; an insert
// among them names its block header by `block`.
struct Piece {
    Shape shape;
    std::optional<Colour> colour = {};
    std::uint64_t block = 0;
};

struct ParsedObject {
    std::string kind; // the DXF name
    std::uint64_t handle = 0;
    bool entity = false;
    std::uint8_t entMode = 0; // 0 owned by a block or another entity, 1 paper space, 2 model space
    std::uint64_t owner = 0;
    std::uint64_t layer = 0;
    std::vector<std::uint64_t> refs; // handles after the common ones, in order
    Entity shape;
    bool drawable = false; // `shape` holds something to draw
    // Further pieces (a multiline's other elements, a tolerance's other boxes, a multileader's
    // leaders, arrows and content).
    std::vector<Piece> moreShapes;
    // The block header an insert `shape` draws, when the kind names it in its data rather than
    // by its first reference.
    std::uint64_t block = 0;
    // Polylines: vertices are owned by them; vertices carry theirs here.
    Vertex vertex;
    bool isVertex = false;
    // Tables.
    std::string name;
    Vec3 base;
    Colour layerColour;
    bool layerFrozen = false;
};

// Whether an object of this type can give the model anything: entities, layers and block headers.
// The rest (dictionaries, styles, records…) need not even be read.
bool typeWanted(int type, const std::vector<DwgClass>& classes);

// Reads the object whose bytes (after its size) are `data`; false when even its common data does
// not parse. `classes` are indexed by type number - 500. From 2010 on, `handleStreamBits` is the
// handle stream's size that preceded the data.
bool parseObject(std::span<const std::uint8_t> data, const ObjectContext& context, const std::vector<DwgClass>& classes,
                 ParsedObject& out, std::uint64_t handleStreamBits = 0);

} // namespace dsc::dwg
