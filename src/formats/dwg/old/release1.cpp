// Drawings of release 1.x: a fixed header of 0x202 bytes, then one run of records, each a type and a
// layer number followed by fields fixed by its type. Records carry no size: an unknown type ends
// the reading. Blocks are defined in the same run, between BLOCK and ENDBLK; a negative type marks
// an erased record, laid out as the live one.

#include "formats/dwg/old/release1.h"

#include "formats/dwg/old/cursor.h"
#include "formats/dwg/old/oldrecords.h"

#include <cstring>
#include <map>

namespace dsc::dwg::old {

namespace {

constexpr std::size_t kHeaderSize = 0x202;
constexpr std::size_t kLayers = 127; // numbered 1 to 127, their colours in the header

void stop(Drawing& d, std::string why) {
    if (!d.truncated) {
        d.truncated = true;
        d.warning = std::move(why);
    }
}

// Where records go: model space, the block being defined, or a repeated group.
class Sink {
public:
    Sink(Drawing& d, const GeometryLimits& limits) : m_drawing(d), m_limits(limits) {}

    std::vector<Entity>& out() {
        if (m_repeat) {
            return m_repeated;
        }
        return m_block >= 0 ? m_drawing.blocks[static_cast<std::size_t>(m_block)].entities : m_drawing.entities;
    }
    bool push(Entity&& e) {
        if (++m_entities > m_limits.maxEntities) {
            return false;
        }
        out().push_back(std::move(e));
        return true;
    }
    void beginBlock(std::string name, Vec3 base) {
        m_block = static_cast<std::int32_t>(m_drawing.blocks.size());
        m_byName.try_emplace(name, m_block);
        m_drawing.blocks.push_back({std::move(name), base, {}});
    }
    void endBlock() { m_block = -1; }
    bool insert(Entity&& e, const std::string& name) {
        m_pending.push_back({m_repeat ? kRepeated : m_block, out().size(), name});
        return push(std::move(e));
    }
    void beginRepeat() {
        m_repeat = true;
        m_repeated.clear();
    }
    // The group becomes an anonymous block drawn as an array.
    bool endRepeat(Entity&& array) {
        if (!m_repeat) {
            return true;
        }
        m_repeat = false;
        const auto block = static_cast<std::int32_t>(m_drawing.blocks.size());
        for (auto& p : m_pending) {
            p.list = p.list == kRepeated ? block : p.list;
        }
        std::get<Insert>(array.shape).block = block;
        m_drawing.blocks.push_back({"*R", {}, std::move(m_repeated)});
        m_repeated.clear();
        return push(std::move(array));
    }
    // Inserts name their block, which may be defined later.
    void resolve() {
        for (const auto& p : m_pending) {
            auto& list = p.list >= 0        ? m_drawing.blocks[static_cast<std::size_t>(p.list)].entities
                         : p.list == kModel ? m_drawing.entities
                                            : m_repeated;
            const auto it = m_byName.find(p.name);
            if (p.index < list.size()) {
                std::get<Insert>(list[p.index].shape).block = it == m_byName.end() ? -1 : it->second;
            }
        }
    }

private:
    Drawing& m_drawing;
    const GeometryLimits& m_limits;
    std::int32_t m_block = -1;
    bool m_repeat = false;
    std::vector<Entity> m_repeated;
    std::map<std::string, std::int32_t> m_byName;
    // Where an insert sits: a block's index, model space, or the open repeated group.
    static constexpr std::int32_t kModel = -1, kRepeated = -2;
    struct Pending {
        std::int32_t list;
        std::size_t index;
        std::string name;
    };
    std::vector<Pending> m_pending;
    std::size_t m_entities = 0;
};

// Decodes one record; false when its type is unknown or it runs past the section.
bool readRecord(Cursor& r, Sink& sink, Drawing& d, const GeometryLimits& limits, bool& full) {
    const int rawType = r.s16();
    const bool erased = rawType < 0;
    const int type = erased ? -rawType : rawType;
    Entity e;
    e.layer = r.s16();
    std::string name, dxf;
    switch (type) {
    case 1: {
        Line l;
        l.start = r.p2();
        l.end = r.p2();
        e.shape = l;
        dxf = "LINE";
        break;
    }
    case 2:
        e.shape = Point{r.p2()};
        dxf = "POINT";
        break;
    case 3: {
        Circle c;
        c.centre = r.p2();
        c.radius = r.f64();
        e.shape = c;
        dxf = "CIRCLE";
        break;
    }
    case 4: // a shape of a shape file the drawing does not hold
        r.p2();
        r.f64();
        r.f64();
        r.s16();
        dxf = "SHAPE";
        break;
    case 5:
        if (!erased) {
            sink.beginRepeat();
        }
        return !r.bad;
    case 6: {
        Insert array;
        array.columns = static_cast<std::uint16_t>(std::max<std::int16_t>(1, r.s16()));
        array.rows = static_cast<std::uint16_t>(std::max<std::int16_t>(1, r.s16()));
        array.columnSpacing = r.f64();
        array.rowSpacing = r.f64();
        e.shape = array;
        if (!r.bad && !erased) {
            full = !sink.endRepeat(std::move(e));
        }
        return !r.bad;
    }
    case 7: {
        Text t;
        t.insertion = r.p2();
        t.height = r.f64();
        t.rotation = r.f64();
        t.text = r.text(limits.maxStringBytes);
        e.shape = t;
        dxf = "TEXT";
        break;
    }
    case 8: {
        Arc a;
        a.centre = r.p2();
        a.radius = r.f64();
        a.startAngle = r.f64();
        a.endAngle = r.f64();
        e.shape = a;
        dxf = "ARC";
        break;
    }
    case 9:
    case 11: {
        Solid s;
        for (auto& corner : s.corners) {
            corner = r.p2();
        }
        s.trace = type == 9;
        e.shape = s;
        dxf = type == 9 ? "TRACE" : "SOLID";
        break;
    }
    case 10: // loads a shape file
        r.text(limits.maxStringBytes);
        dxf = "LOAD";
        break;
    case 12: {
        name = r.text(limits.maxStringBytes);
        const Vec3 base = r.p2();
        if (!r.bad && !erased) {
            sink.beginBlock(std::move(name), base);
            ++d.counts["BLOCK"];
        }
        return !r.bad;
    }
    case 13:
        if (!erased) {
            sink.endBlock();
        }
        return !r.bad;
    case 14: {
        Insert in;
        name = r.text(limits.maxStringBytes);
        in.position = r.p2();
        in.scale.x = r.f64();
        in.scale.y = r.f64();
        in.rotation = r.f64();
        e.shape = in;
        dxf = "INSERT";
        break;
    }
    default:
        return false;
    }
    if (r.bad || erased) {
        return !r.bad;
    }
    if (dxf == "SHAPE" || dxf == "LOAD") {
        ++d.skipped[dxf];
        return true;
    }
    ++d.counts[dxf];
    if (dxf == "INSERT") {
        full = !sink.insert(std::move(e), name);
        return true;
    }
    full = !sink.push(std::move(e));
    return true;
}

} // namespace

GeometryResult readRelease1(ByteSource& src, const std::string& version, const GeometryLimits& limits) {
    GeometryResult result;
    Drawing& d = result.drawing;
    d.release = version;
    std::uint8_t h[kHeaderSize];
    if (!src.readAt(0, h)) {
        return {std::move(d), GeometryError::Damaged, "header cut short"};
    }
    const auto end = static_cast<std::int32_t>(le32(h + 0x24));
    const auto count = static_cast<std::int16_t>(le16(h + 0x28));
    readHeaderBoxes(d, h + 0x2A, h + 0x5A);
    d.layers.push_back({"0", Colour::byIndex(7), false, false});
    for (std::size_t i = 0; i < kLayers; ++i) {
        const auto colour = static_cast<std::int16_t>(le16(h + 0xCA + 2 * i));
        Layer l;
        l.name = std::to_string(i + 1);
        l.off = colour < 0;
        l.colour = Colour::byIndex(colour < 0 ? -colour : colour);
        d.layers.push_back(std::move(l));
    }
    if (end < static_cast<std::int32_t>(kHeaderSize) || count < 0) {
        return {std::move(d), GeometryError::Damaged, "entity section ends before it starts"};
    }
    std::uint64_t size = static_cast<std::uint64_t>(end) - kHeaderSize;
    if (static_cast<std::uint64_t>(end) > src.size()) {
        stop(d, "section past the end of the file");
        size = src.size() - kHeaderSize;
    }
    if (size > limits.maxBytes) {
        stop(d, "section larger than the memory limit");
        return result;
    }
    std::vector<std::uint8_t> bytes;
    if (!src.readVector(kHeaderSize, size, bytes)) {
        stop(d, "section cannot be read");
        return result;
    }
    Sink sink(d, limits);
    Cursor r{bytes};
    for (int i = 0; i < count; ++i) {
        const auto at = r.pos;
        bool full = false;
        if (!readRecord(r, sink, d, limits, full)) {
            stop(d, "damaged record at offset " + std::to_string(kHeaderSize + at));
            break;
        }
        if (full) {
            stop(d, "entity limit reached");
            break;
        }
    }
    sink.resolve();
    const auto fix = [&](std::vector<Entity>& list) {
        for (auto& e : list) {
            if (e.layer < 0 || static_cast<std::size_t>(e.layer) >= d.layers.size()) {
                e.layer = 0;
            }
        }
    };
    fix(d.entities);
    for (auto& b : d.blocks) {
        fix(b.entities);
    }
    return result;
}

} // namespace dsc::dwg::old
