#include "formats/dwg/render/strokefont.h"

#include <array>
#include <cctype>
#include <cstdint>

namespace dsc::dwg {

namespace {

// Glyphs for ASCII 32..126: polylines of digit pairs (x 0..4, y 0..8 with the baseline at 2 and
// the capitals' top at 8), strokes separated by '|'.
constexpr const char* kAscii[95] = {
    "",                                        // space
    "2824|2322",                               // !
    "1816|3836",                               // "
    "1337|3357|0545|0444",                     // #
    "4838172535343203|2129",                   // $
    "0248|1817|3332",                          // %
    "42152617283736150213|2042",               // &  (rough)
    "2826",                                    // '
    "3827232132",                              // (
    "1827232112",                              // )
    "2462|0357|0753",                          // *
    "2646|0444",                               // +
    "2322",                                    // ,
    "0444",                                    // -
    "2222",                                    // .
    "0248",                                    // /
    "1808040232434848381804|0448",             // 0 (rough)
    "172822|1232",                             // 1
    "0718283747460242",                        // 2
    "07182837464535|2535444342321203",         // 3
    "380444|3832",                             // 4
    "4808054445433202",                        // 5
    "481705033243443405",                      // 6
    "084822",                                  // 7
    "1828373726151403023243443526151707|1817", // 8 (rough)
    "02132738474514050718282717|4748",         // 9 (rough)
    "2525|2323",                               // :
    "2525|2322",                               // ;
    "460442",                                  // <
    "0545|0343",                               // =
    "064402",                                  // >
    "071828374625|2322",                       // ?
    "4333243536454614030231",                  // @ (rough)
    "022842|1434",                             // A
    "0208384746353403023242|0535",             // B (rough)
    "4737180803123243",                        // C (rough)
    "020838474443323202",                      // D (rough)
    "48080242|0535",                           // E
    "480802|0535",                             // F
    "47371808031232434424",                    // G (rough)
    "0802|4842|0545",                          // H
    "1838|2822|1232",                          // I
    "4843323212",                              // J (rough)
    "0802|4805|2442",                          // K
    "080242",                                  // L
    "0208254842",                              // M
    "02084248",                                // N
    "1808030212324243474838",                  // O (rough)
    "020838474645343505",                      // P (rough)
    "1808030212324243474838|2442",             // Q
    "020838474645343505|2542",                 // R
    "4738180706153534434232120203",            // S (rough)
    "0848|2822",                               // T
    "080312324348",                            // U
    "082248",                                  // V
    "0812254248",                              // W
    "0842|0248",                               // X
    "0825|4825|2522",                          // Y
    "08480242",                                // Z
    "3818121232",                              // [
    "0842",                                    // backslash
    "1838323212",                              // ]
    "072847",                                  // ^
    "0040",                                    // _
    "1827",                                    // `
    "06365543320312213142|4542",               // a (rough)
    "0802|053545433202",                       // b
    "463605040312323243",                      // c (rough)
    "4842|4515050403121242",                   // d (rough)
    "0444453525050403123242",                  // e (rough)
    "42183828|1636",                           // f (rough)
    "4645403010|45150504131242",               // g (rough)
    "0802|0526354542",                         // h
    "2622|2828",                               // i
    "26211010|2828",                           // j
    "0802|4603|2442",                          // k
    "28222332",                                // l (rough)
    "0206|05162524|251636454542",              // m (rough)
    "0206|0516364542",                         // n
    "1606040212324244463616",                  // o (rough)
    "0600|05163645433202",                     // p (rough)
    "4640|45361605040312324244",               // q (rough)
    "0206|04163646",                           // r
    "46160504143433323202",                    // s (rough)
    "2723323242|1636",                         // t (rough)
    "060312324346|4642",                       // u
    "062246",                                  // v
    "0612254246",                              // w
    "0642|0246",                               // x
    "062444|4600",                             // y (rough)
    "06460242",                                // z
    "3828252425232232",                        // {  (rough)
    "2822",                                    // |
    "1828252425232212",                        // }  (rough)
    "0617254637",                              // ~
};

enum class Mark { None, Grave, Acute, Circumflex, Diaeresis, Cedilla };

// Accented Latin-1 letters as a base letter and a mark above (or, the cedilla, below).
bool compose(char32_t c, char& base, Mark& mark) {
    struct Entry {
        char32_t code;
        char base;
        Mark mark;
    };
    static constexpr Entry kTable[] = {
        {0xE0, 'a', Mark::Grave},      {0xE2, 'a', Mark::Circumflex}, {0xE4, 'a', Mark::Diaeresis},
        {0xE7, 'c', Mark::Cedilla},    {0xE9, 'e', Mark::Acute},      {0xE8, 'e', Mark::Grave},
        {0xEA, 'e', Mark::Circumflex}, {0xEB, 'e', Mark::Diaeresis},  {0xEE, 'i', Mark::Circumflex},
        {0xEF, 'i', Mark::Diaeresis},  {0xF4, 'o', Mark::Circumflex}, {0xF6, 'o', Mark::Diaeresis},
        {0xF9, 'u', Mark::Grave},      {0xFB, 'u', Mark::Circumflex}, {0xFC, 'u', Mark::Diaeresis},
        {0xFF, 'y', Mark::Diaeresis},
    };
    for (const Entry& e : kTable) {
        if (c == e.code) {
            base = e.base;
            mark = e.mark;
            return true;
        }
        if (c == e.code - 0x20 && e.code != 0xFF) { // the capital
            base = static_cast<char>(std::toupper(static_cast<unsigned char>(e.base)));
            mark = e.mark;
            return true;
        }
    }
    if (c == 0x178) {
        base = 'Y';
        mark = Mark::Diaeresis;
        return true;
    }
    return false;
}

const char* special(char32_t c) {
    switch (c) {
    case 0xB0:
        return "1718282717"; // °
    case 0xB1:
        return "2737|1646|1343"; // ±
    case 0x2300:                 // ⌀
    case 0xD8:
    case 0xF8:
        return "1707030213333437471707|0248";
    case 0xAB:
        return "260422|460442"; // «
    case 0xBB:
        return "062402|264422"; // »
    case 0x153:
        return "16060402122224261626|2646553533424232|2545"; // œ (rough)
    case 0x152:
        return "4818030212424242|2818|2822|2535"; // Œ (rough)
    default:
        return nullptr;
    }
}

void strokes(const char* s, double x, double dy, std::vector<GlyphSegment>& out) {
    bool havePrev = false;
    Vec2 prev;
    for (const char* p = s; *p;) {
        if (*p == '|') {
            havePrev = false;
            ++p;
            continue;
        }
        if (!std::isdigit(static_cast<unsigned char>(p[0])) || !std::isdigit(static_cast<unsigned char>(p[1]))) {
            break;
        }
        const Vec2 q{x + (p[0] - '0') / 6.0, (p[1] - '0' - 2) / 6.0 + dy};
        if (havePrev) {
            out.push_back({prev, q});
        } else if (p[2] == '|' || p[2] == 0) {
            out.push_back({q, q}); // a dot
        }
        prev = q;
        havePrev = true;
        p += 2;
    }
}

// The ASCII glyphs read from their strings once, at x = 0: texts are mostly made of them.
struct AsciiGlyphs {
    std::vector<GlyphSegment> segments;
    std::array<std::uint16_t, 96> first{}; // glyph c - 32 is [first[c - 32], first[c - 31])
    AsciiGlyphs() {
        for (std::size_t i = 0; i < 95; ++i) {
            first[i] = static_cast<std::uint16_t>(segments.size());
            strokes(kAscii[i], 0, 0, segments);
        }
        first[95] = static_cast<std::uint16_t>(segments.size());
    }
};

} // namespace

void glyphSegments(char32_t c, double x, std::vector<GlyphSegment>& out) {
    if (c >= 32 && c <= 126) {
        static const AsciiGlyphs ascii;
        const std::size_t i = c - 32;
        for (std::size_t k = ascii.first[i]; k < ascii.first[i + 1]; ++k) {
            const GlyphSegment& g = ascii.segments[k];
            out.push_back({{g.a.x + x, g.a.y}, {g.b.x + x, g.b.y}});
        }
        return;
    }
    if (const char* s = special(c)) {
        strokes(s, x, 0, out);
        return;
    }
    char base = 0;
    Mark mark = Mark::None;
    if (compose(c, base, mark)) {
        const bool capital = std::isupper(static_cast<unsigned char>(base)) != 0;
        strokes(kAscii[base - 32], x, 0, out);
        const double lift = capital ? 3.0 / 6.0 : 0;
        switch (mark) {
        case Mark::Grave:
            strokes("1827", x, lift, out);
            break;
        case Mark::Acute:
            strokes("2738", x, lift, out);
            break;
        case Mark::Circumflex:
            strokes("172837", x, lift, out);
            break;
        case Mark::Diaeresis:
            strokes("1818|3838", x, lift, out);
            break;
        case Mark::Cedilla:
            strokes("22213010", x, 0, out);
            break;
        case Mark::None:
            break;
        }
        return;
    }
    strokes("0208484202", x, 0, out); // unknown: a box
}

std::u32string decodeText(const std::string& text) {
    std::u32string out;
    std::size_t i = 0;
    while (i < text.size() && out.size() < 4096) {
        if (text.compare(i, 2, "%%") == 0 && i + 2 < text.size()) {
            const char k = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 2])));
            if (k == 'c' || k == 'd' || k == 'p' || k == '%') {
                out.push_back(k == 'c' ? 0x2300 : k == 'd' ? 0xB0 : k == 'p' ? 0xB1 : U'%');
                i += 3;
                continue;
            }
            if (k == 'u' || k == 'o' || k == 'k') {
                i += 3;
                continue;
            }
            if (std::isdigit(static_cast<unsigned char>(text[i + 2]))) {
                unsigned v = 0;
                std::size_t j = i + 2;
                for (; j < text.size() && j < i + 5 && std::isdigit(static_cast<unsigned char>(text[j])); ++j) {
                    v = v * 10 + unsigned(text[j] - '0');
                }
                out.push_back(v);
                i = j;
                continue;
            }
        }
        const auto b = static_cast<unsigned char>(text[i]);
        const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = b < 0x80 || extra > 0;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        out.push_back(ok ? c : char32_t(b)); // not UTF-8: taken as Latin-1
        i += ok ? 1 + extra : 1;
    }
    return out;
}

} // namespace dsc::dwg
