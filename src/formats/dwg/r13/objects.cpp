#include "formats/dwg/r13/objects.h"

#include "formats/dwg/r13/entities.h"
#include "formats/dwg/r13/stringstream.h"

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
    if (context.r2007) {
        r.BS(); // xref index, the dependent flag within
        return;
    }
    r.B();  // 64-flag
    r.BS(); // xref index
    r.B();  // xref dependent
}

} // namespace

bool typeWanted(int type, const std::vector<DwgClass>& classes) {
    constexpr int kBlockHeader = 0x31, kLayer = 0x33;
    if (type >= 500) {
        const auto index = static_cast<std::size_t>(type - 500);
        return index < classes.size() && classes[index].entity;
    }
    return isEntityType(type) || type == kBlockHeader || type == kLayer;
}

bool parseObject(std::span<const std::uint8_t> data, const ObjectContext& context, const std::vector<DwgClass>& classes,
                 ParsedObject& out, std::uint64_t handleStreamBits) {
    BitReader r(data);
    const int type = context.r2010 ? r.BOT() : static_cast<std::uint16_t>(r.BS());
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
    if (context.r2010) {
        if (handleStreamBits > data.size() * 8ull) {
            return false;
        }
        handleBits = data.size() * 8ull - handleStreamBits;
    } else if (context.r2000) {
        handleBits = r.RL();
    }
    // From 2007 on the strings lie apart, just before the handles.
    BitReader strings(data, handleBits);
    if (context.r2007) {
        if (const auto range = findStringStream(data, handleBits)) {
            strings.seek(range->begin);
        } else {
            strings.seek(handleBits);
        }
        r.setStrings(&strings);
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
    std::uint8_t linetypeFlags = 0, plotFlags = 0, materialFlags = 0, visualStyles = 0;
    bool xdictionary = true, colourBook = false;
    if (out.entity) {
        if (r.B()) {
            const std::uint64_t graphicBytes = context.r2010 ? r.BLL() : r.RL();
            r.skipBits(graphicBytes * 8ull); // the graphic data
        }
        if (!context.r2000) {
            handleBits = r.RL();
        }
        out.entMode = r.BB();
        reactors = static_cast<std::uint32_t>(r.BL());
        if (context.r2004) {
            xdictionary = !r.B();
        }
        if (context.r2013) {
            r.B(); // binary data of its own
        }
        if (!context.r2000) {
            byLayerLinetype = r.B();
        }
        if (!context.r2004) {
            noLinks = r.B();
        }
        out.shape.colour = context.r2004 ? r.ENC(colourBook) : r.CMC();
        r.BD(); // linetype scale
        if (context.r2000) {
            linetypeFlags = r.BB();
            if (context.r2007) {
                materialFlags = r.BB();
                r.RC(); // shadows
            }
            plotFlags = r.BB();
            if (context.r2010) {
                visualStyles = static_cast<std::uint8_t>(r.B() + r.B() + r.B());
            }
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
        if (context.r2004) {
            xdictionary = !r.B();
        }
        if (context.r2013) {
            r.B(); // binary data of its own
        }
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
    if (xdictionary) {
        h.H(out.handle);
    }
    if (out.entity) {
        if (colourBook) {
            h.H(out.handle);
        }
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
            if (materialFlags == 3) {
                h.H(out.handle);
            }
            if (plotFlags == 3) {
                h.H(out.handle);
            }
            for (int i = 0; i < visualStyles; ++i) {
                h.H(out.handle);
            }
        }
    }
    if (!h.ok()) {
        return false;
    }
    // The references particular to each kind, up to a few: enough for blocks of inserts and
    // dimensions; a multileader's block comes after two for each of its leader lines.
    const int wanted = out.kind == "MULTILEADER" ? 1024 : 4;
    for (int i = 0; i < wanted && h.position() + 8 <= h.endBit(); ++i) {
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
        out.layerColour = context.r2004 ? r.CMC2004(context.maxString) : r.CMC();
        return r.ok();
    }
    if (out.kind == "BLOCK_HEADER") {
        readTableEntry(r, context, out);
        r.B(); // anonymous
        r.B(); // has attributes
        const bool external = r.B();
        const bool overlaid = r.B();
        if (context.r2000) {
            r.B(); // loaded
        }
        if (context.r2004 && !external && !overlaid) {
            r.BL(); // owned objects
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
