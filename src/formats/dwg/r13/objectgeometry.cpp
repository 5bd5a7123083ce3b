// The objects of release 13 and later into the drawing model, whatever container held them: the
// classes name the custom types, the object map says where each object lies.
#include "formats/dwg/r13/bitreader.h"
#include "formats/dwg/r13/headervars.h"
#include "formats/dwg/r13/objects.h"
#include "formats/dwg/r13/sections.h"
#include "formats/dwg/r13/stringstream.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <numeric>
#include <unordered_map>

namespace dsc::dwg {
namespace {

constexpr std::array<std::uint8_t, 16> kClassesStart = {0x8D, 0xA1, 0xC4, 0xB8, 0xC4, 0xA9, 0xF8, 0xC5,
                                                        0xC0, 0xDC, 0xF4, 0x5F, 0xE7, 0xCF, 0xB6, 0x8A};
constexpr std::size_t kMaxClasses = 65536 - 500;
constexpr std::uint32_t kMaxObjectSize = 16u << 20;

void warn(Drawing& drawing, const std::string& text) {
    if (!drawing.warning.empty()) {
        drawing.warning += "; ";
    }
    drawing.warning += text;
}

std::vector<DwgClass> readClasses(const DwgSections& sections, Drawing& drawing, std::size_t maxString) {
    std::vector<DwgClass> names;
    const auto& bytes = sections.classes;
    if (bytes.size() < 20 || !std::equal(kClassesStart.begin(), kClassesStart.end(), bytes.begin())) {
        warn(drawing, "classes not found");
        return names;
    }
    const std::uint32_t size = le32(bytes.data() + 16);
    const std::span<const std::uint8_t> data(bytes.data() + 20, bytes.size() - 20);
    const bool r2004 = sections.version >= "AC1018";
    const bool r2007 = sections.version >= "AC1021";
    BitReader r(data, std::min<std::uint64_t>(size, data.size()) * 8ull);
    // From 2007 on, the strings lie at the end, found as in an object; the data stops where they start.
    BitReader strings(data);
    if (r2007) {
        if ((sections.version >= "AC1024" && sections.maintenance > 3) || sections.version > "AC1027") {
            r.RL(); // the size's high half
        }
        const std::uint64_t start = r.position();
        const std::uint64_t flagAt = start + r.RL() - 1;
        const auto range = findStringStream(data, flagAt + 1);
        if (!range || !r.ok()) {
            warn(drawing, "classes' strings not found");
            return names;
        }
        strings = BitReader(data, range->end);
        strings.seek(range->begin);
        r = BitReader(data, range->begin);
        r.seek(start + 32);
        r.setStrings(&strings);
    }
    if (r2004) {
        r.BS(); // the highest class number
        r.RC();
        r.RC();
        r.B();
    }
    while (r.ok() && r.endBit() - r.position() > 8 * 8 && names.size() < kMaxClasses) {
        const int number = static_cast<std::uint16_t>(r.BS());
        r.BS(); // proxy flags
        r.TV(maxString);
        r.TV(maxString);
        std::string dxfName = r.TV(maxString);
        r.B();
        const int itemClass = static_cast<std::uint16_t>(r.BS());
        if (r2004) {
            r.BL(); // objects of this class
            r.BL(); // release and maintenance release
            r.BL();
            r.BL();
            r.BL();
        }
        if (!r.ok() || number < 500) {
            break;
        }
        const auto index = static_cast<std::size_t>(number - 500);
        if (index >= names.size()) {
            names.resize(index + 1);
        }
        names[index] = {std::move(dxfName), itemClass == 0x1F2};
    }
    return names;
}

// Handle → offset, in pages of at most 2032 bytes, each closed by its CRC.
std::vector<std::pair<std::uint64_t, std::int64_t>> readObjectMap(const DwgSections& sections, Drawing& drawing,
                                                                  std::size_t maxObjects) {
    std::vector<std::pair<std::uint64_t, std::int64_t>> map;
    const auto& bytes = sections.handles;
    std::size_t at = 0;
    bool crcWarned = false;
    while (at + 2 <= bytes.size()) {
        const std::size_t size = (static_cast<std::size_t>(bytes[at]) << 8) | bytes[at + 1];
        if (size <= 2) {
            return map;
        }
        const std::size_t end = at + std::min<std::size_t>(size, 2034);
        if (end + 2 > bytes.size()) {
            warn(drawing, "object map cut short");
            drawing.truncated = true;
            break;
        }
        const std::uint16_t stored = static_cast<std::uint16_t>((bytes[end] << 8) | bytes[end + 1]);
        if (dwgCrc16({bytes.data() + at, end - at}, 0xC0C1) != stored && !crcWarned) {
            warn(drawing, "object map CRC does not match");
            crcWarned = true;
        }
        BitReader r({bytes.data() + at + 2, end - at - 2});
        std::uint64_t handle = 0;
        std::int64_t offset = 0;
        while (r.ok() && !r.atEnd()) {
            const std::uint64_t step = r.MC();
            const std::int64_t move = r.signedMC();
            if (!r.ok()) {
                break;
            }
            handle += step;
            offset += move;
            if (step != 0 && map.size() < maxObjects) {
                map.emplace_back(handle, offset);
            }
        }
        at = end + 2;
    }
    warn(drawing, "object map has no end");
    return map;
}

enum class ObjectRead { Read, Unwanted, Failed };

// From 2010 on, the size of the handle stream follows the object's size. The type, at the start of
// the object's data, is looked at first: an object the model has no use for is not read further.
ObjectRead readObjectBytes(ByteSource& source, std::int64_t offset, const ObjectContext& context,
                           const std::vector<DwgClass>& classes, std::vector<std::uint8_t>& out,
                           std::uint64_t& handleStreamBits) {
    if (offset < 0) {
        return ObjectRead::Failed;
    }
    std::array<std::uint8_t, 14> head{};
    const auto at = static_cast<std::uint64_t>(offset);
    const std::uint64_t available = source.size() > at ? source.size() - at : 0;
    if (available < 2 || !source.readAt(at, std::span(head).first(std::min<std::uint64_t>(head.size(), available)))) {
        return ObjectRead::Failed;
    }
    std::uint32_t size = head[0] | ((head[1] & 0x7F) << 8);
    std::size_t sizeBytes = 2;
    if (head[1] & 0x80) {
        if (available < 4) {
            return ObjectRead::Failed;
        }
        size |= static_cast<std::uint32_t>(head[2] | ((head[3] & 0x7F) << 8)) << 15;
        sizeBytes = 4;
    }
    if (size == 0 || size > kMaxObjectSize) {
        return ObjectRead::Failed;
    }
    const std::size_t have = static_cast<std::size_t>(std::min<std::uint64_t>(head.size(), available));
    handleStreamBits = 0;
    if (context.r2010) {
        BitReader mc(std::span<const std::uint8_t>(head.data() + sizeBytes, have - sizeBytes));
        handleStreamBits = mc.MC();
        if (!mc.ok()) {
            return ObjectRead::Failed;
        }
        sizeBytes += mc.position() / 8;
    }
    if (have > sizeBytes) {
        const std::span<const std::uint8_t> start(head.data() + sizeBytes, have - sizeBytes);
        BitReader peek(start, std::min<std::uint64_t>(start.size(), size) * 8ull);
        const int type = context.r2010 ? peek.BOT() : static_cast<std::uint16_t>(peek.BS());
        if (peek.ok() && !typeWanted(type, classes)) {
            return ObjectRead::Unwanted;
        }
    }
    return source.readVector(at + sizeBytes, size, out) ? ObjectRead::Read : ObjectRead::Failed;
}

std::string upper(std::string text) {
    for (char& ch : text) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return text;
}

std::size_t vertexCount(const Shape& shape) {
    if (const auto* poly = std::get_if<Polyline>(&shape)) {
        return poly->vertices.size();
    }
    if (const auto* spline = std::get_if<Spline>(&shape)) {
        return spline->controlPoints.size() + spline->fitPoints.size() + spline->knots.size();
    }
    return 1;
}

// An entity, then its further pieces with the same layer and plane, and its colour unless they have
// their own. An insert among them that names no known block is left out.
void appendWithPieces(std::vector<Entity>& into, Entity entity, std::vector<Piece>& pieces,
                      const std::unordered_map<std::uint64_t, std::int32_t>& blockIndex) {
    for (Piece& piece : pieces) {
        if (auto* insert = std::get_if<Insert>(&piece.shape)) {
            const auto block = blockIndex.find(piece.block);
            if (block == blockIndex.end()) {
                continue;
            }
            insert->block = block->second;
        }
        Entity copy = entity;
        copy.shape = std::move(piece.shape);
        if (piece.colour) {
            copy.colour = *piece.colour;
        }
        into.push_back(std::move(copy));
    }
    into.push_back(std::move(entity));
}

} // namespace

GeometryResult readObjectGeometry(const DwgSections& sections, const GeometryLimits& limits) {
    GeometryResult result;
    Drawing& drawing = result.drawing;
    drawing.release = sections.version;
    if (!sections.objects) {
        result.error = GeometryError::Damaged;
        result.detail = "no objects";
        return result;
    }
    ObjectContext context;
    context.r2000 = sections.version >= "AC1015";
    context.r2004 = sections.version >= "AC1018";
    context.r2007 = sections.version >= "AC1021";
    context.r2010 = sections.version >= "AC1024";
    context.r2013 = sections.version >= "AC1027";
    context.maxString = limits.maxStringBytes;
    const HeaderVariables vars = readHeaderVariables(sections.header, sections.version, limits.maxStringBytes);
    if (vars.ok) {
        drawing.extMin = vars.extMin, drawing.extMax = vars.extMax;
        drawing.hasExtents = vars.extMin.x <= vars.extMax.x && vars.extMin.y <= vars.extMax.y;
        drawing.limMin = vars.limMin, drawing.limMax = vars.limMax;
        drawing.hasLimits = true;
    }
    const std::vector<DwgClass> classNames = readClasses(sections, drawing, limits.maxStringBytes);
    const auto map = readObjectMap(sections, drawing, limits.maxEntities * 2 + 100000);
    if (map.empty()) {
        result.error = GeometryError::Damaged;
        result.detail = "the object map is empty or unreadable";
        return result;
    }

    // Read in the order they lie in the file, so that its pages are read once each; kept in the
    // map's order, which is the drawing's.
    std::vector<std::size_t> byOffset(map.size());
    std::iota(byOffset.begin(), byOffset.end(), std::size_t{0});
    std::stable_sort(byOffset.begin(), byOffset.end(),
                     [&](std::size_t a, std::size_t b) { return map[a].second < map[b].second; });
    std::vector<ParsedObject> objects;
    std::vector<std::size_t> mapIndex; // of each object
    std::uint64_t bytesRead = 0;
    std::size_t vertices = 0, failed = 0;
    std::vector<std::uint8_t> buffer;
    std::uint64_t handleStreamBits = 0;
    for (const std::size_t index : byOffset) {
        const auto& [handle, offset] = map[index];
        const ObjectRead read =
            readObjectBytes(*sections.objects, offset, context, classNames, buffer, handleStreamBits);
        if (read == ObjectRead::Unwanted) {
            continue;
        }
        if (read == ObjectRead::Failed || (bytesRead += buffer.size()) > limits.maxBytes) {
            ++failed;
            if (bytesRead > limits.maxBytes) {
                drawing.truncated = true;
                warn(drawing, "byte budget reached");
                break;
            }
            continue;
        }
        ParsedObject object;
        if (!parseObject(buffer, context, classNames, object, handleStreamBits)) {
            ++failed;
            continue;
        }
        object.handle = handle; // the map's word wins over the object's own
        if (object.entity || object.kind == "LAYER" || object.kind == "BLOCK_HEADER") {
            vertices += vertexCount(object.shape.shape);
            if (vertices > limits.maxVertices || objects.size() >= limits.maxEntities) {
                drawing.truncated = true;
                warn(drawing, "entity or vertex limit reached");
                break;
            }
            objects.push_back(std::move(object));
            mapIndex.push_back(index);
        }
    }
    // The objects in the map's order, by their index in `objects`.
    std::vector<std::size_t> inOrder(objects.size());
    std::iota(inOrder.begin(), inOrder.end(), std::size_t{0});
    std::sort(inOrder.begin(), inOrder.end(), [&](std::size_t a, std::size_t b) { return mapIndex[a] < mapIndex[b]; });
    if (failed > 0) {
        warn(drawing, std::to_string(failed) + " objects could not be read");
    }

    // Layers first: "0" at index 0.
    std::unordered_map<std::uint64_t, std::int32_t> layerIndex;
    drawing.layers.push_back({"0", Colour::byIndex(7), false, false});
    for (const std::size_t at : inOrder) {
        const ParsedObject& object = objects[at];
        if (object.kind != "LAYER") {
            continue;
        }
        Layer layer{object.name, object.layerColour, object.layerColour.index < 0, object.layerFrozen};
        if (layer.off) {
            layer.colour.index = static_cast<std::int16_t>(-layer.colour.index);
        }
        if (object.name == "0") {
            drawing.layers[0] = layer;
            layerIndex[object.handle] = 0;
        } else {
            layerIndex[object.handle] = static_cast<std::int32_t>(drawing.layers.size());
            drawing.layers.push_back(layer);
        }
    }
    // Blocks, by their block header.
    std::unordered_map<std::uint64_t, std::int32_t> blockIndex;
    std::uint64_t modelSpace = 0, paperSpace = 0;
    for (const std::size_t at : inOrder) {
        const ParsedObject& object = objects[at];
        if (object.kind != "BLOCK_HEADER") {
            continue;
        }
        const std::string name = upper(object.name);
        if (name == "*MODEL_SPACE") {
            modelSpace = object.handle;
        } else if (name.starts_with("*PAPER_SPACE")) {
            if (name == "*PAPER_SPACE") {
                paperSpace = object.handle;
            }
        }
        blockIndex[object.handle] = static_cast<std::int32_t>(drawing.blocks.size());
        drawing.blocks.push_back({object.name, object.base, {}});
    }
    // The header's word wins over the names, which a drawing may repeat.
    if (blockIndex.contains(vars.modelSpace)) {
        modelSpace = vars.modelSpace;
    }
    if (blockIndex.contains(vars.paperSpace)) {
        paperSpace = vars.paperSpace;
    }

    // Vertices join their polylines; the rest is placed by its owner.
    std::unordered_map<std::uint64_t, std::size_t> byHandle;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        byHandle[objects[i].handle] = i;
    }
    for (const std::size_t at : inOrder) {
        ParsedObject& object = objects[at];
        if (!object.isVertex) {
            continue;
        }
        const auto owner = byHandle.find(object.owner);
        if (owner == byHandle.end()) {
            continue;
        }
        if (auto* poly = std::get_if<Polyline>(&objects[owner->second].shape.shape)) {
            poly->vertices.push_back(object.vertex);
        }
    }
    std::vector<Entity> paper;
    for (const std::size_t at : inOrder) {
        ParsedObject& object = objects[at];
        if (!object.entity) {
            continue;
        }
        if (!object.drawable) {
            if (!object.isVertex && object.kind != "SEQEND" && object.kind != "BLOCK" && object.kind != "ENDBLK") {
                ++drawing.skipped[object.kind.empty() ? std::string("?") : object.kind];
            }
            continue;
        }
        Entity& entity = object.shape;
        const auto layer = layerIndex.find(object.layer);
        entity.layer = layer == layerIndex.end() ? 0 : layer->second;
        if (auto* insert = std::get_if<Insert>(&entity.shape)) {
            const std::size_t which =
                object.kind.starts_with("DIMENSION_") || object.kind.ends_with("_DIMENSION") ? 1 : 0;
            const auto block = object.block != 0            ? blockIndex.find(object.block)
                               : which < object.refs.size() ? blockIndex.find(object.refs[which])
                                                            : blockIndex.end();
            if (block == blockIndex.end()) {
                ++drawing.skipped[object.kind];
                continue;
            }
            insert->block = block->second;
        }
        // An attribute belongs where its insert is.
        std::uint8_t mode = object.entMode;
        std::uint64_t owner = object.owner;
        if (mode == 0) {
            const auto parent = byHandle.find(owner);
            if (parent != byHandle.end() && objects[parent->second].entity) {
                mode = objects[parent->second].entMode;
                owner = objects[parent->second].owner;
            }
        }
        ++drawing.counts[object.kind];
        std::vector<Entity>* into = nullptr;
        if (mode == 2 || (mode == 0 && owner == modelSpace && modelSpace != 0)) {
            into = &drawing.entities;
        } else if (mode == 1 || (mode == 0 && owner == paperSpace && paperSpace != 0)) {
            into = &paper;
        } else if (mode == 0) {
            const auto block = blockIndex.find(owner);
            if (block != blockIndex.end()) {
                into = &drawing.blocks[static_cast<std::size_t>(block->second)].entities;
            }
        }
        if (into) {
            appendWithPieces(*into, std::move(entity), object.moreShapes, blockIndex);
        }
    }
    if (drawing.entities.empty() && !paper.empty()) {
        drawing.entities = std::move(paper);
        drawing.paperSpace = true;
    }
    return result;
}

} // namespace dsc::dwg
