#include "json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace dsc::json {

namespace {

void indent(std::string& out, int level) {
    out.append(std::size_t(level) * 4, ' ');
}

void writeString(std::string& out, const std::string& s) {
    out += '"';
    for (unsigned char c : s) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char u[8];
                std::snprintf(u, sizeof u, "\\u%04x", c);
                out += u;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
}

void writeValue(std::string& out, const Value& v, int level) {
    if (std::holds_alternative<std::nullptr_t>(v.data)) {
        out += "null";
    } else if (const bool* b = std::get_if<bool>(&v.data)) {
        out += *b ? "true" : "false";
    } else if (const std::int64_t* i = std::get_if<std::int64_t>(&v.data)) {
        out += std::to_string(*i);
    } else if (const double* d = std::get_if<double>(&v.data)) {
        if (!std::isfinite(*d)) {
            out += "null";
        } else {
            char buffer[32];
            const auto r = std::to_chars(buffer, buffer + sizeof buffer, *d); // shortest form
            out.append(buffer, r.ptr);
        }
    } else if (const std::string* s = std::get_if<std::string>(&v.data)) {
        writeString(out, *s);
    } else if (const auto* a = std::get_if<std::shared_ptr<Array>>(&v.data)) {
        out += "[\n";
        for (std::size_t k = 0; k < (*a)->size(); ++k) {
            indent(out, level + 1);
            writeValue(out, (**a)[k], level + 1);
            out += k + 1 < (*a)->size() ? ",\n" : "\n";
        }
        indent(out, level);
        out += ']';
    } else if (const auto* o = std::get_if<std::shared_ptr<Object>>(&v.data)) {
        out += "{\n";
        std::size_t k = 0;
        for (const auto& [key, value] : **o) {
            indent(out, level + 1);
            writeString(out, key);
            out += ": ";
            writeValue(out, value, level + 1);
            out += ++k < (*o)->size() ? ",\n" : "\n";
        }
        indent(out, level);
        out += '}';
    }
}

} // namespace

std::string write(const Value& value) {
    std::string out;
    writeValue(out, value, 0);
    out += '\n';
    return out;
}

} // namespace dsc::json
