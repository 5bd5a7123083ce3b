#include "formats/dwg/r13/headervars.h"

#include "formats/dwg/r13/bitreader.h"

#include <cmath>

namespace dsc::dwg {
namespace {

constexpr std::size_t kSentinelSize = 16;

void skipBits(BitReader& r, int count) {
    for (int i = 0; i < count; ++i) {
        r.B();
    }
}

void skipShorts(BitReader& r, int count) {
    for (int i = 0; i < count; ++i) {
        r.BS();
    }
}

void skipDoubles(BitReader& r, int count) {
    for (int i = 0; i < count; ++i) {
        r.BD();
    }
}

void skipLongs(BitReader& r, int count) {
    for (int i = 0; i < count; ++i) {
        r.BL();
    }
}

// A colour of 2004 carries its true colour and, by flags, names.
void skipColour(BitReader& r, bool r2004, std::size_t maxString) {
    r.BS();
    if (r2004) {
        r.BL();
        const std::uint8_t flags = r.RC();
        if (flags & 1) {
            r.TV(maxString);
        }
        if (flags & 2) {
            r.TV(maxString);
        }
    }
}

void skipStrings(BitReader& r, int count, std::size_t maxString) {
    for (int i = 0; i < count; ++i) {
        r.TV(maxString);
    }
}

void skipChars(BitReader& r, int count) {
    for (int i = 0; i < count; ++i) {
        r.RC();
    }
}

// From the model space's ELEVATION on: the dimension variables, then the tables' and the spaces'
// handles.
void readHandles(BitReader& r, bool r13or14, bool r2004, std::size_t maxString, HeaderVariables& out) {
    const bool r2000 = !r13or14;
    r.BD();
    r.threeBD(); // the UCS
    r.threeBD();
    r.threeBD();
    r.H();
    if (r2000) {
        r.H();
        r.BS();
        r.H();
        for (int i = 0; i < 6; ++i) {
            r.threeBD();
        }
        skipStrings(r, 2, maxString); // DIMPOST, DIMAPOST
    }
    if (r13or14) {
        skipBits(r, 11);  // DIMTOL … DIMSOXD
        skipChars(r, 2);  // DIMALTD, DIMZIN
        skipBits(r, 2);   // DIMSD1, DIMSD2
        skipChars(r, 3);  // DIMTOLJ, DIMJUST, DIMFIT
        skipBits(r, 1);   // DIMUPT
        skipChars(r, 4);  // DIMTZIN, DIMALTZ, DIMALTTZ, DIMTAD
        skipShorts(r, 6); // DIMUNIT … DIMALTTD
        r.H();            // DIMTXSTY
    }
    skipDoubles(r, 9); // DIMSCALE … DIMTM
    if (r2000) {
        skipBits(r, 6);   // DIMTOL … DIMSE2
        skipShorts(r, 3); // DIMTAD, DIMZIN, DIMAZIN
    }
    skipDoubles(r, 8); // DIMTXT … DIMGAP
    if (r13or14) {
        skipStrings(r, 5, maxString); // DIMPOST … DIMBLK2
    } else {
        r.BD(); // DIMALTRND
        r.B();
        r.BS();
        skipBits(r, 4);
    }
    for (int i = 0; i < 3; ++i) {
        skipColour(r, r2004, maxString); // DIMCLRD, DIMCLRE, DIMCLRT
    }
    if (r2000) {
        skipShorts(r, 11); // DIMADEC … DIMJUST
        skipBits(r, 2);
        skipShorts(r, 4);
        r.B();
        r.BS();
        for (int i = 0; i < 5; ++i) {
            r.H(); // DIMTXSTY, DIMLDRBLK, DIMBLK, DIMBLK1, DIMBLK2
        }
        skipShorts(r, 2); // DIMLWD, DIMLWE
    }
    out.blockControl = r.H().value;
    out.layerControl = r.H().value;
    for (int i = 0; i < 7; ++i) {
        r.H(); // styles, linetypes, views, UCSs, viewports, applications, dimension styles
    }
    if (!r2004) {
        r.H(); // the viewport entity headers
    }
    for (int i = 0; i < 3; ++i) {
        r.H(); // the group, multiline style and named object dictionaries
    }
    if (r2000) {
        skipShorts(r, 2);
        skipStrings(r, 2, maxString);
        for (int i = 0; i < 3; ++i) {
            r.H(); // the layout, plot setting and plot style dictionaries
        }
    }
    if (r2004) {
        r.H();
        r.H();
    }
    if (r2000) {
        r.BL();
        r.BS();
        if (r.BS() == 3) {
            r.H();
        }
        skipStrings(r, 2, maxString); // the GUIDs
    }
    if (r2004) {
        skipChars(r, 6);
        skipShorts(r, 2);
        skipChars(r, 2);
        r.TV(maxString);
    }
    out.paperSpace = r.H().value;
    out.modelSpace = r.H().value;
    out.handlesOk = r.ok();
    if (!out.handlesOk) {
        out.blockControl = out.layerControl = out.modelSpace = out.paperSpace = 0;
    }
}

} // namespace

HeaderVariables readHeaderVariables(std::span<const std::uint8_t> section, const std::string& version,
                                    std::size_t maxString) {
    HeaderVariables out;
    if (version < "AC1012" || version > "AC1018" || section.size() < kSentinelSize + 4) {
        return out;
    }
    const bool r13or14 = version < "AC1015", r2000 = !r13or14, r2004 = version >= "AC1018";
    const std::uint8_t* p = section.data() + kSentinelSize;
    const std::uint64_t size = p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint64_t(p[3]) << 24);
    const auto data = section.subspan(kSentinelSize + 4);
    BitReader r(data, std::min<std::uint64_t>(size, data.size()) * 8ull);

    skipDoubles(r, 4);
    for (int i = 0; i < 4; ++i) {
        r.TV(maxString);
    }
    skipLongs(r, 2);
    if (r13or14) {
        r.BS();
    }
    if (!r2004) {
        r.H(); // the current viewport
    }
    skipBits(r, 2);               // DIMASO, DIMSHO
    skipBits(r, r13or14);         // DIMSAV
    skipBits(r, 7);               // PLINEGEN … LIMCHECK
    skipBits(r, r13or14);         // BLIPMODE
    skipBits(r, r2004);           // an unnamed flag
    skipBits(r, 4);               // USRTIMER, SKPOLY, ANGDIR, SPLFRAME
    skipBits(r, r13or14 ? 2 : 0); // ATTREQ, ATTDIA
    skipBits(r, 2);               // MIRRTEXT, WORLDVIEW
    skipBits(r, r13or14);         // WIREFRAME
    skipBits(r, 3);               // TILEMODE, PLIMCHECK, VISRETAIN
    skipBits(r, r13or14);         // DELOBJ
    skipBits(r, 2);               // DISPSILH, PELLIPSE
    r.BS();                       // PROXYGRAPHICS
    skipShorts(r, r13or14);       // DRAGMODE
    skipShorts(r, 5);             // TREEDEPTH, LUNITS, LUPREC, AUNITS, AUPREC
    skipShorts(r, r13or14);       // OSMODE
    r.BS();                       // ATTMODE
    skipShorts(r, r13or14);       // COORDS
    r.BS();                       // PDMODE
    skipShorts(r, r13or14);       // PICKSTYLE
    skipLongs(r, r2004 ? 3 : 0);
    skipShorts(r, 5 + 14); // USERI1-5, SPLINESEGS … TEXTQLTY
    skipDoubles(r, 21);    // LTSCALE … CELTSCALE
    r.TV(maxString);       // MENUNAME
    skipLongs(r, 4);       // TDCREATE, TDUPDATE
    skipLongs(r, r2004 ? 3 : 0);
    skipLongs(r, 4); // TDINDWG, TDUSRTIMER
    skipColour(r, r2004, maxString);
    for (int i = 0; i < 6; ++i) {
        r.H(); // HANDSEED, CLAYER, TEXTSTYLE, CELTYPE, DIMSTYLE, CMLSTYLE
    }
    skipDoubles(r, r2000 ? 1 : 0); // PSVPSCALE
    // Paper space: INSBASE, EXTMIN, EXTMAX, LIMMIN, LIMMAX, ELEVATION, the UCS.
    r.threeBD();
    r.threeBD();
    r.threeBD();
    r.twoRD();
    r.twoRD();
    r.BD();
    r.threeBD();
    r.threeBD();
    r.threeBD();
    r.H(); // UCSNAME
    if (r2000) {
        r.H();
        r.BS();
        r.H();
        for (int i = 0; i < 6; ++i) {
            r.threeBD();
        }
    }
    r.threeBD(); // INSBASE
    out.extMin = r.threeBD();
    out.extMax = r.threeBD();
    out.limMin = r.twoRD();
    out.limMax = r.twoRD();
    out.ok = r.ok() && finite(out.extMin) && finite(out.extMax) && finite(out.limMin) && finite(out.limMax);
    if (out.ok) {
        readHandles(r, r13or14, r2004, maxString, out);
    }
    return out;
}

} // namespace dsc::dwg
