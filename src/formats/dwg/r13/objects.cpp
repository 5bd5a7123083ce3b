#include "formats/dwg/r13/objects.h"

#include "formats/dwg/r13/entities.h"

#include <array>

namespace dsc::dwg {

std::string fixedTypeName(int type) {
    static const std::array<const char*, 83> names = {"UNUSED",
                                                      "TEXT",
                                                      "ATTRIB",
                                                      "ATTDEF",
                                                      "BLOCK",
                                                      "ENDBLK",
                                                      "SEQEND",
                                                      "INSERT",
                                                      "MINSERT",
                                                      "",
                                                      "VERTEX_2D",
                                                      "VERTEX_3D",
                                                      "VERTEX_MESH",
                                                      "VERTEX_PFACE",
                                                      "VERTEX_PFACE_FACE",
                                                      "POLYLINE_2D",
                                                      "POLYLINE_3D",
                                                      "ARC",
                                                      "CIRCLE",
                                                      "LINE",
                                                      "DIMENSION_ORDINATE",
                                                      "DIMENSION_LINEAR",
                                                      "DIMENSION_ALIGNED",
                                                      "DIMENSION_ANG_3PT",
                                                      "DIMENSION_ANG_2LN",
                                                      "DIMENSION_RADIUS",
                                                      "DIMENSION_DIAMETER",
                                                      "POINT",
                                                      "3DFACE",
                                                      "POLYLINE_PFACE",
                                                      "POLYLINE_MESH",
                                                      "SOLID",
                                                      "TRACE",
                                                      "SHAPE",
                                                      "VIEWPORT",
                                                      "ELLIPSE",
                                                      "SPLINE",
                                                      "REGION",
                                                      "3DSOLID",
                                                      "BODY",
                                                      "RAY",
                                                      "XLINE",
                                                      "DICTIONARY",
                                                      "OLEFRAME",
                                                      "MTEXT",
                                                      "LEADER",
                                                      "TOLERANCE",
                                                      "MLINE",
                                                      "BLOCK_CONTROL",
                                                      "BLOCK_HEADER",
                                                      "LAYER_CONTROL",
                                                      "LAYER",
                                                      "STYLE_CONTROL",
                                                      "STYLE",
                                                      "",
                                                      "",
                                                      "LTYPE_CONTROL",
                                                      "LTYPE",
                                                      "",
                                                      "",
                                                      "VIEW_CONTROL",
                                                      "VIEW",
                                                      "UCS_CONTROL",
                                                      "UCS",
                                                      "VPORT_CONTROL",
                                                      "VPORT",
                                                      "APPID_CONTROL",
                                                      "APPID",
                                                      "DIMSTYLE_CONTROL",
                                                      "DIMSTYLE",
                                                      "VX_CONTROL",
                                                      "VX",
                                                      "GROUP",
                                                      "MLINESTYLE",
                                                      "OLE2FRAME",
                                                      "DUMMY",
                                                      "LONG_TRANSACTION",
                                                      "LWPOLYLINE",
                                                      "HATCH",
                                                      "XRECORD",
                                                      "ACDBPLACEHOLDER",
                                                      "VBA_PROJECT",
                                                      "LAYOUT"};
    if (type >= 0 && static_cast<std::size_t>(type) < names.size()) {
        return names[static_cast<std::size_t>(type)];
    }
    return {};
}

namespace {

bool isEntityType(int type) {
    return (type >= 1 && type <= 47 && type != 42) || type == 74 || type == 77 || type == 78;
}

void readTableEntry(BitReader& r, const ObjectContext& context, ParsedObject& out) {
    out.name = r.TV(context.maxString);
    r.B();  // 64-flag
    r.BS(); // xref index
    r.B();  // xref dependent
}

} // namespace

bool parseObject(std::span<const std::uint8_t> data, const ObjectContext& context, const std::vector<DwgClass>& classes,
                 ParsedObject& out) {
    BitReader r(data);
    const int type = static_cast<std::uint16_t>(r.BS());
    if (type >= 500) {
        const std::size_t index = static_cast<std::size_t>(type - 500);
        if (index < classes.size()) {
            out.kind = classes[index].name;
            out.entity = classes[index].entity;
        }
    } else {
        out.kind = fixedTypeName(type);
        out.entity = isEntityType(type);
    }
    std::uint64_t handleBits = 0;
    if (context.r2000) {
        handleBits = r.RL();
    }
    out.handle = r.H().value;
    for (int guard = 0; guard < 4096; ++guard) { // extended data, skipped by length
        const auto size = static_cast<std::uint16_t>(r.BS());
        if (size == 0 || !r.ok()) {
            break;
        }
        r.H();
        r.skipBits(size * 8ull);
    }
    if (!r.ok()) {
        return false;
    }
    std::uint32_t reactors = 0;
    bool byLayerLinetype = true, noLinks = true;
    std::uint8_t linetypeFlags = 0, plotFlags = 0;
    if (out.entity) {
        if (r.B()) {
            r.skipBits(r.RL() * 8ull); // the graphic data
        }
        if (!context.r2000) {
            handleBits = r.RL();
        }
        out.entMode = r.BB();
        reactors = static_cast<std::uint32_t>(r.BL());
        if (!context.r2000) {
            byLayerLinetype = r.B();
        }
        noLinks = r.B();
        out.shape.colour = r.CMC();
        r.BD(); // linetype scale
        if (context.r2000) {
            linetypeFlags = r.BB();
            plotFlags = r.BB();
        }
        out.shape.invisible = (r.BS() & 1) != 0;
        if (context.r2000) {
            r.RC(); // lineweight
        }
    } else {
        if (!context.r2000) {
            handleBits = r.RL();
        }
        reactors = static_cast<std::uint32_t>(r.BL());
    }
    if (!r.ok() || handleBits > data.size() * 8ull) {
        return false;
    }
    BitReader h(data);
    h.seek(handleBits);
    if (!out.entity || out.entMode == 0) {
        out.owner = h.H(out.handle).value;
    }
    for (std::uint32_t i = 0; i < reactors && h.ok(); ++i) {
        h.H(out.handle);
    }
    h.H(out.handle); // extension dictionary
    if (out.entity) {
        if (!context.r2000) {
            out.layer = h.H(out.handle).value;
            if (!byLayerLinetype) {
                h.H(out.handle);
            }
        }
        if (!noLinks) {
            h.H(out.handle);
            h.H(out.handle);
        }
        if (context.r2000) {
            out.layer = h.H(out.handle).value;
            if (linetypeFlags == 3) {
                h.H(out.handle);
            }
            if (plotFlags == 3) {
                h.H(out.handle);
            }
        }
    }
    if (!h.ok()) {
        return false;
    }
    // The references particular to each kind, up to a few: enough for blocks of inserts and
    // dimensions.
    for (int i = 0; i < 4 && h.position() + 8 <= h.endBit(); ++i) {
        const HandleRef ref = h.H(out.handle);
        if (!h.ok()) {
            break;
        }
        out.refs.push_back(ref.value);
    }

    if (out.kind == "LAYER") {
        readTableEntry(r, context, out);
        if (context.r2000) {
            out.layerFrozen = (r.BS() & 1) != 0;
        } else {
            out.layerFrozen = r.B();
            r.B();
            r.B();
            r.B();
        }
        out.layerColour = r.CMC();
        return r.ok();
    }
    if (out.kind == "BLOCK_HEADER") {
        readTableEntry(r, context, out);
        r.B(); // anonymous
        r.B(); // has attributes
        r.B(); // is an external reference
        r.B(); // overlaid
        if (context.r2000) {
            r.B(); // loaded
        }
        out.base = r.threeBD();
        return true; // the name is what matters; a base point that does not parse stays 0
    }
    if (out.entity) {
        out.drawable = readEntityShape(out.kind, r, context, out);
        if (!r.ok()) {
            out.drawable = false;
        }
    }
    return true;
}

} // namespace dsc::dwg
