#include "formats/dwg/r13/entities.h"

namespace dsc::dwg {

std::string plainMText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '{' || ch == '}') {
            continue;
        }
        if (ch != '\\' || i + 1 >= text.size()) {
            out.push_back(ch);
            continue;
        }
        const char code = text[++i];
        switch (code) {
        case 'P':
        case 'p':
            if (code == 'P') {
                out.push_back('\n');
                break;
            }
            [[fallthrough]];
        case 'A':
        case 'C':
        case 'c':
        case 'F':
        case 'f':
        case 'H':
        case 'h':
        case 'Q':
        case 'q':
        case 'T':
        case 't':
        case 'W':
        case 'w': {
            const std::size_t end = text.find(';', i);
            i = end == std::string_view::npos ? text.size() : end;
            break;
        }
        case 'S': { // stacked: "a^b;" or "a/b;" shown as a/b
            const std::size_t end = text.find(';', i);
            const std::string_view body =
                text.substr(i + 1, (end == std::string_view::npos ? text.size() : end) - i - 1);
            for (const char s : body) {
                out.push_back(s == '^' || s == '#' ? '/' : s);
            }
            i = end == std::string_view::npos ? text.size() : end;
            break;
        }
        case '~':
            out.push_back(' ');
            break;
        case 'L':
        case 'l':
        case 'O':
        case 'o':
        case 'K':
        case 'k':
            break;
        default:
            out.push_back(code); // "\\", "\{", "\}" and anything unknown
            break;
        }
    }
    return out;
}

} // namespace dsc::dwg
