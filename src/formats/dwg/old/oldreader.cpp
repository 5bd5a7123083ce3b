// Drawings of releases 2.5 to 12: a fixed header with the sections' offsets and the tables'
// places, then the entity section, the tables, the block section and (releases 11 and 12) an
// extra entity section, each a run of records. Release 1.x has its own reader.

#include "formats/dwg/geometry.h"
#include "formats/dwg/old/cursor.h"
#include "formats/dwg/old/oldrecords.h"
#include "formats/dwg/old/release1.h"

#include <cstring>
#include <vector>

namespace dsc::dwg {

namespace {

using old::Record;
using old::RecordKind;

struct Section {
    std::uint64_t start = 0, size = 0;
};

struct Table {
    std::uint16_t itemSize = 0, items = 0;
    std::uint32_t begin = 0;
};

Table tableAt(const std::uint8_t* p) {
    return {le16(p), le16(p + 2), le32(p + 6)};
}

// Gathers records into entities: a polyline takes the vertices up to its SEQEND.
class Collector {
public:
    Collector(Drawing& d, const GeometryLimits& l) : m_drawing(d), m_limits(l) {}

    // False once a limit is reached.
    bool add(Record&& r, std::vector<Entity>& out) {
        if (r.dxfName.empty() && r.kind == RecordKind::Skipped) {
            return true; // erased
        }
        if (r.kind == RecordKind::Skipped) {
            ++m_drawing.skipped[r.dxfName.empty() ? "UNKNOWN" : r.dxfName];
            return true;
        }
        ++m_drawing.counts[r.dxfName];
        if (r.kind == RecordKind::Vertex) {
            if (m_open && ++m_vertices <= m_limits.maxVertices) {
                auto& pl = std::get<Polyline>(m_open->shape);
                auto v = std::get<Polyline>(r.entity.shape).vertices.front();
                if (pl.is3d) {
                    v.bulge = v.startWidth = v.endWidth = 0;
                }
                pl.vertices.push_back(v);
            }
            return m_vertices <= m_limits.maxVertices;
        }
        if (r.kind == RecordKind::Polyline || r.kind == RecordKind::SeqEnd) {
            flush(out);
            if (r.kind == RecordKind::Polyline) {
                m_open = std::move(r.entity);
                auto& pl = std::get<Polyline>(m_open->shape);
                m_defaults = pl.vertices.front();
                pl.vertices.clear();
            }
            return true;
        }
        if (r.kind != RecordKind::Drawable) {
            return true;
        }
        if (r.dxfName == "ATTDEF" && m_inBlock) {
            return true; // a definition is drawn by the attributes of its inserts
        }
        if (!m_open || r.dxfName != "ATTRIB") {
            flush(out);
        }
        return push(std::move(r.entity), out);
    }

    void flush(std::vector<Entity>& out) {
        if (m_open) {
            auto& pl = std::get<Polyline>(m_open->shape);
            for (auto& v : pl.vertices) {
                v.position.z = pl.is3d ? v.position.z : m_defaults.position.z;
            }
            push(std::move(*m_open), out);
            m_open.reset();
        }
    }
    bool m_inBlock = false;

private:
    bool push(Entity&& e, std::vector<Entity>& out) {
        if (++m_entities > m_limits.maxEntities) {
            return false;
        }
        out.push_back(std::move(e));
        return true;
    }
    Drawing& m_drawing;
    const GeometryLimits& m_limits;
    std::optional<Entity> m_open;
    Vertex m_defaults;
    std::size_t m_entities = 0, m_vertices = 0;
};

void stop(Drawing& d, std::string why) {
    if (!d.truncated) {
        d.truncated = true;
        d.warning = std::move(why);
    }
}

// Reads the records of one section; block sections open a new block at each BLOCK record.
void readSection(ByteSource& src, Section s, bool blocks, Drawing& d, const GeometryLimits& limits,
                 std::uint64_t& budget) {
    if (s.size == 0) {
        return;
    }
    const auto fileSize = src.size();
    if (s.start > fileSize || s.size > fileSize - s.start) {
        stop(d, "section past the end of the file");
        s.size = s.start > fileSize ? 0 : fileSize - s.start;
    }
    if (s.size > budget) {
        stop(d, "section larger than the memory limit");
        return;
    }
    budget -= s.size;
    std::vector<std::uint8_t> bytes;
    if (!src.readVector(s.start, s.size, bytes)) {
        stop(d, "section cannot be read");
        return;
    }
    Collector collect(d, limits);
    std::size_t blockIndex = 0;
    std::vector<Entity>* out = blocks ? nullptr : &d.entities;
    std::vector<Entity> orphans;
    for (std::size_t pos = 0; pos < bytes.size();) {
        if (blocks && bytes.size() - pos < 8 && bytes[pos] == 0) {
            break; // padding
        }
        std::size_t size = 0;
        auto r = old::decodeRecord(std::span(bytes).subspan(pos), limits.maxStringBytes, size);
        if (!r) {
            stop(d, "damaged record at offset " + std::to_string(s.start + pos));
            break;
        }
        pos += size;
        if (blocks && r->kind == RecordKind::BlockBegin) {
            collect.flush(out ? *out : orphans);
            if (blockIndex < d.blocks.size()) {
                auto& block = d.blocks[blockIndex++];
                block.base = std::get<Point>(r->entity.shape).position;
                out = &block.entities;
            } else {
                out = &orphans;
            }
            collect.m_inBlock = true;
            continue;
        }
        if (!collect.add(std::move(*r), out ? *out : orphans)) {
            stop(d, "entity limit reached");
            break;
        }
    }
    collect.flush(out ? *out : orphans);
}

} // namespace

GeometryResult readOldDrawing(ByteSource& src, const std::string& version, const GeometryLimits& limits) {
    GeometryResult result;
    Drawing& d = result.drawing;
    d.release = version;
    if (version.starts_with("AC1.")) {
        return old::readRelease1(src, version, limits);
    }
    std::uint8_t h[0xC8];
    if (!src.readAt(0, h)) {
        return {std::move(d), GeometryError::Damaged, "header cut short"};
    }
    const Section entities{le32(h + 0x14), le32(h + 0x18) - static_cast<std::uint64_t>(le32(h + 0x14))};
    if (le32(h + 0x18) < le32(h + 0x14)) {
        return {std::move(d), GeometryError::Damaged, "entity section ends before it starts"};
    }
    const Section blocks{le32(h + 0x1C), le32(h + 0x20) & 0x00FFFFFFu};
    // Releases 11 and 12 add a third run of model-space records after the block section.
    const Section extra{le32(h + 0x24), version == "AC1009" ? le32(h + 0x28) & 0x00FFFFFFu : 0};
    old::readHeaderBoxes(d, h + 0x78, h + 0xA8);

    const auto readTable = [&](const Table& t, std::size_t minItem, auto&& each) {
        if (t.items == 0) {
            return;
        }
        if (t.itemSize < minItem || t.begin > src.size() ||
            static_cast<std::uint64_t>(t.itemSize) * t.items > src.size() - t.begin) {
            stop(d, "table past the end of the file");
            return;
        }
        std::vector<std::uint8_t> rows;
        if (!src.readVector(t.begin, static_cast<std::uint64_t>(t.itemSize) * t.items, rows)) {
            stop(d, "table cannot be read");
            return;
        }
        for (std::size_t i = 0; i < t.items; ++i) {
            each(rows.data() + i * t.itemSize, t.itemSize);
        }
    };
    readTable(tableAt(h + 0x2C), 37, [&](const std::uint8_t* p, std::size_t) {
        d.blocks.push_back({old::toUtf8({p + 1, 32}), {}, {}});
    });
    readTable(tableAt(h + 0x36), 37, [&](const std::uint8_t* p, std::size_t itemSize) {
        Layer l;
        l.name = old::toUtf8({p + 1, 32});
        // Rows of 41 bytes (releases 11 and 12) hold a use count before the colour.
        const auto colour = static_cast<std::int16_t>(le16(p + (itemSize >= 41 ? 35 : 33)));
        l.off = colour < 0;
        l.colour = Colour::byIndex(colour < 0 ? -colour : colour);
        l.frozen = p[0] & 0x01;
        d.layers.push_back(std::move(l));
    });
    if (d.layers.empty()) {
        d.layers.push_back({"0", Colour::byIndex(7), false, false});
    }

    std::uint64_t budget = limits.maxBytes;
    readSection(src, entities, false, d, limits, budget);
    readSection(src, blocks, true, d, limits, budget);
    readSection(src, extra, false, d, limits, budget);
    for (auto& e : d.entities) {
        if (e.layer < 0 || static_cast<std::size_t>(e.layer) >= d.layers.size()) {
            e.layer = 0;
        }
    }
    for (auto& b : d.blocks) {
        for (auto& e : b.entities) {
            if (e.layer < 0 || static_cast<std::size_t>(e.layer) >= d.layers.size()) {
                e.layer = 0;
            }
        }
    }
    return result;
}

} // namespace dsc::dwg
