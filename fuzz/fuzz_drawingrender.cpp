// The drawing renderer on drawings built from the bytes: a small interpreter where each byte picks
// an entity kind and the following ones its coordinates, colours, layers and the blocks inserted.
#include "formats/dwg/render/drawingrender.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

using namespace dsc::dwg;

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool more() const { return m_pos < m_size; }
    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    // Mostly small coordinates, sometimes the hostile ones.
    double number() {
        const std::uint8_t k = byte();
        switch (k) {
        case 250:
            return std::numeric_limits<double>::quiet_NaN();
        case 251:
            return std::numeric_limits<double>::infinity();
        case 252:
            return -1e308;
        case 253:
            return 1e308;
        case 254:
            return 1e-300;
        case 255: {
            double v = 0;
            std::uint8_t raw[8];
            for (auto& r : raw) {
                r = byte();
            }
            std::memcpy(&v, raw, 8);
            return v;
        }
        default:
            return (double(k) - 125.0) * (1.0 + byte() / 16.0);
        }
    }
    Vec3 vec() { return {number(), number(), number()}; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size, m_pos = 0;
};

Entity entity(Bytes& in, std::size_t blocks) {
    Entity e;
    e.layer = in.byte() % 5;
    const std::uint8_t c = in.byte();
    e.colour = c == 255 ? Colour::trueColour(0x123456u * in.byte()) : Colour::byIndex(c == 254 ? 256 : c);
    if (in.byte() < 32) {
        e.extrusion = in.vec();
    }
    e.invisible = in.byte() == 7;
    switch (in.byte() % 14) {
    case 0:
        e.shape = Line{in.vec(), in.vec()};
        break;
    case 1:
        e.shape = Point{in.vec()};
        break;
    case 2:
        e.shape = Circle{in.vec(), in.number()};
        break;
    case 3:
        e.shape = Arc{in.vec(), in.number(), in.number(), in.number()};
        break;
    case 4:
        e.shape = Ellipse{in.vec(), in.vec(), in.number(), in.number(), in.number()};
        break;
    case 5: {
        Polyline p;
        for (int n = in.byte() % 12; n > 0; --n) {
            p.vertices.push_back({in.vec(), in.number(), in.number(), in.number()});
        }
        p.closed = in.byte() & 1;
        p.is3d = in.byte() & 1;
        e.shape = p;
        break;
    }
    case 6: {
        Spline s;
        s.degree = in.byte() % 12;
        for (int n = in.byte() % 10; n > 0; --n) {
            s.controlPoints.push_back(in.vec());
        }
        for (int n = in.byte() % 16; n > 0; --n) {
            s.knots.push_back(in.number());
        }
        for (int n = in.byte() % 10; n > 0; --n) {
            s.weights.push_back(in.number());
        }
        for (int n = in.byte() % 8; n > 0; --n) {
            s.fitPoints.push_back(in.vec());
        }
        e.shape = s;
        break;
    }
    case 7:
        e.shape = Solid{{in.vec(), in.vec(), in.vec(), in.vec()}, false};
        break;
    case 8:
        e.shape = Face3d{{in.vec(), in.vec(), in.vec(), in.vec()}, in.byte()};
        break;
    case 9: {
        Text t;
        for (int n = in.byte() % 12; n > 0; --n) {
            t.text.push_back(static_cast<char>(in.byte()));
        }
        t.insertion = in.vec();
        t.alignment = in.vec();
        t.height = in.number();
        t.rotation = in.number();
        t.widthFactor = in.number();
        t.oblique = in.number();
        t.horizontal = in.byte() % 7;
        t.vertical = in.byte() % 5;
        t.backwards = in.byte() & 1;
        t.upsideDown = in.byte() & 1;
        e.shape = t;
        break;
    }
    case 10: {
        MText t;
        for (int n = in.byte() % 24; n > 0; --n) {
            t.text.push_back(static_cast<char>(in.byte()));
        }
        t.insertion = in.vec();
        t.direction = in.vec();
        t.height = in.number();
        t.referenceWidth = in.number();
        t.attachment = in.byte() % 11;
        t.lineSpacing = in.number();
        e.shape = t;
        break;
    }
    case 11: {
        Insert i;
        i.block = static_cast<std::int32_t>(in.byte() % (blocks + 2)) - 1;
        i.position = in.vec();
        i.scale = in.vec();
        i.rotation = in.number();
        i.columns = in.byte() % 4;
        i.rows = in.byte() % 4;
        i.columnSpacing = in.number();
        i.rowSpacing = in.number();
        e.shape = i;
        break;
    }
    case 12: {
        Hatch h;
        for (int l = in.byte() % 3; l > 0; --l) {
            std::vector<BoundaryPiece> loop;
            for (int n = in.byte() % 5; n > 0; --n) {
                if (in.byte() & 1) {
                    loop.push_back(Line{in.vec(), in.vec()});
                } else {
                    loop.push_back(Arc{in.vec(), in.number(), in.number(), in.number()});
                }
            }
            h.loops.push_back(loop);
        }
        h.solid = in.byte() & 1;
        e.shape = h;
        break;
    }
    default:
        e.shape = Ray{in.vec(), in.vec(), bool(in.byte() & 1)};
        break;
    }
    return e;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes in(data, size);
    Drawing d;
    d.layers = {{"0"},
                {"A", Colour::byIndex(1)},
                {"OFF", Colour::byIndex(2), true},
                {"FROZEN", Colour::byIndex(3), false, true}};
    d.blocks.resize(in.byte() % 4);
    for (auto& b : d.blocks) {
        b.base = in.vec();
    }
    while (in.more() && d.entities.size() < 256) {
        const std::uint8_t target = in.byte() % (d.blocks.size() + 1);
        Entity e = entity(in, d.blocks.size());
        (target == 0 ? d.entities : d.blocks[target - 1].entities).push_back(std::move(e));
    }
    RenderLimits limits;
    limits.maxVisits = 20000;
    limits.maxSegments = 100000;
    const RenderResult r = renderDrawing(d, 64, 64, limits);
    if (r.image.width > 64 || r.image.height > 64 || r.segments > limits.maxSegments) {
        __builtin_trap();
    }
    return 0;
}
