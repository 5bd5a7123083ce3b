// dessiscope-thumbnail: writes the preview of a drawing, a slide or a slide library as a PNG,
// or prints what the file holds. Used by file managers as a thumbnailer.
#include "formats/dwg/drawingpicture.h"
#include "formats/dwg/dwgpreview.h"
#include "formats/dwg/geometrypicture.h"
#include "formats/raster/png.h"
#include "formats/raster/slideraster.h"
#include "formats/slides/slidelibrary.h"
#include "formats/slides/slidereference.h"
#include "formats/thumbnail.h"
#include "json.h"
#include "platform/filesource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using dsc::json::Array;
using dsc::json::Object;

enum Exit { Success = 0, NoPreview = 1, Usage = 2 };

enum class Kind { Unknown, Drawing, Slide, Library };

const char* kUsage = "usage: dessiscope-thumbnail [--geometry] [-s SIZE] INPUT OUTPUT.png\n"
                     "       dessiscope-thumbnail --info INPUT\n"
                     "       dessiscope-thumbnail --vectors INPUT\n"
                     "INPUT is a drawing (.dwg), a slide (.sld), a slide library (.slb) or LIBRARY.slb(NAME).\n"
                     "A drawing shows its stored preview, or its geometry when it stores none;\n"
                     "--geometry draws the geometry even when a preview is stored.\n";

// A path as text for messages (UTF-8 on Windows, the name's own bytes on Linux).
std::string shown(const std::filesystem::path& p) {
    const auto text = p.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "dessiscope-thumbnail: %s\n", message.c_str());
    return code;
}

// The kind by content; by extension when the content says nothing.
Kind kindOf(const std::filesystem::path& input) {
    const dsc::SlideReference ref = dsc::parseSlideReference(input);
    if (ref.isLibraryMember) {
        return Kind::Slide;
    }
    dsc::platform::FileSource source;
    std::uint8_t head[32] = {};
    if (source.open(input)) {
        const auto n = std::min<std::uint64_t>(sizeof head, source.size());
        if (source.readAt(0, std::span(head, n))) {
            switch (dsc::contentOf(std::span<const std::uint8_t>(head, n))) {
            case dsc::FileContent::Library:
                return Kind::Library;
            case dsc::FileContent::Slide:
                return Kind::Slide;
            case dsc::FileContent::Drawing:
                return Kind::Drawing;
            case dsc::FileContent::Unknown:
                break;
            }
        }
    }
    std::string ext;
    const std::filesystem::path extension = input.extension();
    for (const auto c : extension.native()) {
        ext.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c));
    }
    if (ext == ".dwg") {
        return Kind::Drawing;
    }
    if (ext == ".sld") {
        return Kind::Slide;
    }
    return ext == ".slb" ? Kind::Library : Kind::Unknown;
}

Object slideJson(const dsc::Slide& s) {
    Object o;
    o["level"] = s.header.level;
    o["byte_order"] = s.header.bigEndian ? "big-endian" : "little-endian";
    o["type_byte"] = int{s.header.typeByte};
    o["hx"] = int{s.header.hx};
    o["hy"] = int{s.header.hy};
    o["aspect"] = s.header.aspect;
    o["records"] = Object{{"vector", std::uint64_t{s.counts.vector}},
                          {"offset_vector", std::uint64_t{s.counts.offsetVector}},
                          {"common_endpoint", std::uint64_t{s.counts.commonEndpoint}},
                          {"fill", std::uint64_t{s.counts.fill}},
                          {"colour", std::uint64_t{s.counts.colour}},
                          {"end", std::uint64_t{s.counts.end}}};
    Array colours;
    for (int i = 0; i < 256; ++i) {
        if (s.coloursUsed.test(static_cast<std::size_t>(i))) {
            colours.push_back(i);
        }
    }
    o["colours"] = std::move(colours);
    o["truncated"] = s.truncated;
    if (!s.ok()) {
        o["error"] = dsc::describe(s.error);
        o["error_offset"] = std::uint64_t{s.errorOffset};
    }
    return o;
}

Object countsJson(const std::map<std::string, std::size_t>& counts) {
    Object o;
    for (const auto& [name, n] : counts) {
        o[name] = std::uint64_t{n};
    }
    return o;
}

Array pointJson(const dsc::dwg::Vec3& p) {
    return Array{p.x, p.y, p.z};
}

// What the drawing's own geometry gives: the release, what was read by kind, the extents.
Object geometryJson(const dsc::GeometryPicture& g) {
    const dsc::dwg::Drawing& d = g.read.drawing;
    Object o;
    o["release"] = d.release;
    if (!g.read.ok()) {
        o["error"] = g.detail();
        return o;
    }
    o["entities"] = countsJson(d.counts);
    o["skipped"] = countsJson(d.skipped);
    o["layers"] = std::uint64_t{d.layers.size()};
    o["blocks"] = std::uint64_t{d.blocks.size()};
    o["space"] = d.paperSpace ? "paper" : "model";
    if (d.hasExtents) {
        o["header_extents"] = Array{pointJson(d.extMin), pointJson(d.extMax)};
    }
    if (g.drawn.hasExtents) {
        o["drawn_extents"] = Array{Array{g.drawn.minX, g.drawn.minY}, Array{g.drawn.maxX, g.drawn.maxY}};
    }
    o["segments"] = std::uint64_t{g.drawn.segments};
    o["truncated"] = d.truncated || g.drawn.truncated;
    if (const std::string why = g.detail(); !why.empty()) {
        o["detail"] = why;
    }
    return o;
}

int printJson(const Object& o) {
    const std::string text = dsc::json::write(o);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return Success;
}

int info(const std::filesystem::path& input) {
    const Kind kind = kindOf(input);
    if (kind == Kind::Drawing) {
        dsc::platform::FileSource source;
        if (!source.open(input)) {
            return fail(Usage, "cannot read " + shown(input));
        }
        const dsc::DwgPreview p = dsc::readDwgPreview(source);
        Object o;
        o["kind"] = "drawing";
        o["version"] = p.version;
        o["release"] = p.release;
        o["status"] = dsc::describe(p.status);
        o["detail"] = p.detail;
        if (!p.release.empty()) {
            o["image_address"] = p.seeker;
        }
        Array entries;
        for (const auto& e : p.entries) {
            entries.push_back(Object{{"code", int{e.code}},
                                     {"kind", dsc::kindName(dsc::DwgImageKind(e.code))},
                                     {"start", e.start},
                                     {"size", e.size}});
        }
        o["entries"] = std::move(entries);
        if (p.ok()) {
            o["image"] =
                Object{{"kind", dsc::kindName(p.kind)}, {"width", p.width}, {"height", p.height}, {"entry", p.chosen}};
        }
        const dsc::GeometryPicture g = dsc::drawGeometryPicture(source, 256, 256);
        o["geometry"] = geometryJson(g);
        // Where a thumbnail of this drawing comes from: the stored preview when it decodes.
        const bool stored = p.ok() && dsc::readDrawingPicture(source, 256).ok();
        o["source"] = stored ? "stored" : g.ok() ? "geometry" : "none";
        return printJson(o);
    }
    if (kind == Kind::Library) {
        dsc::platform::FileSource source;
        if (!source.open(input)) {
            return fail(Usage, "cannot read " + shown(input));
        }
        const auto dir = dsc::readSlideLibraryDirectory(source);
        if (dir.error == dsc::SlideLibraryError::NotALibrary || dir.error == dsc::SlideLibraryError::TooShort) {
            return fail(Usage, shown(input) + ": " + dsc::describe(dir.error));
        }
        Object o;
        o["kind"] = "library";
        Array members;
        for (const auto& e : dir.entries) {
            members.push_back(Object{{"name", dsc::cp1252ToUtf8(e.name)}, {"offset", e.offset}});
        }
        o["members"] = std::move(members);
        if (!dir.ok()) {
            o["error"] = dsc::describe(dir.error);
        }
        return printJson(o);
    }
    if (kind == Kind::Slide) {
        const dsc::LoadedSlide s = dsc::platform::loadSlideFile(dsc::parseSlideReference(input));
        if (!s.ok()) {
            return fail(Usage, shown(input) + ": " + dsc::describe(s.status));
        }
        Object o = slideJson(s.slide);
        o["kind"] = "slide";
        return printJson(o);
    }
    return fail(Usage, shown(input) + ": not a drawing, a slide or a slide library");
}

int vectors(const std::filesystem::path& input) {
    const dsc::LoadedSlide s = dsc::platform::loadSlideFile(dsc::parseSlideReference(input), true);
    if (!s.ok()) {
        return fail(Usage, shown(input) + ": " + dsc::describe(s.status));
    }
    std::string out;
    char buffer[64];
    for (const auto& e : s.slide.elements) {
        const auto* p = s.slide.points.data() + e.first;
        if (e.kind == dsc::SlideElement::Kind::Line) {
            std::snprintf(buffer, sizeof buffer, "line %d %d %d %d %d\n", p[0].x, p[0].y, p[1].x, p[1].y, e.colour);
            out += buffer;
        } else {
            std::snprintf(buffer, sizeof buffer, "fill %d", e.colour);
            out += buffer;
            for (std::uint32_t i = 0; i < e.count; ++i) {
                std::snprintf(buffer, sizeof buffer, " %d %d", p[i].x, p[i].y);
                out += buffer;
            }
            out += '\n';
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return Success;
}

int thumbnail(const std::filesystem::path& input, const std::filesystem::path& output, int size,
              dsc::DrawingPictures pictures) {
    dsc::Raster image;
    const Kind kind = kindOf(input);
    if (kind == Kind::Unknown) {
        return fail(Usage, shown(input) + ": not a drawing, a slide or a slide library");
    }
    const dsc::SlideReference ref = dsc::parseSlideReference(input);
    dsc::platform::FileSource source;
    if (!source.open(ref.file)) {
        return fail(Usage, shown(input) + ": file cannot be opened");
    }
    if (ref.isLibraryMember) {
        // One slide of a library, named.
        const dsc::LoadedSlide s = dsc::loadSlide(source, ref);
        if (!s.ok()) {
            return fail(s.status == dsc::SlideLoadStatus::NoSuchSlide ? NoPreview : Usage,
                        shown(input) + ": " + dsc::describe(s.status));
        }
        image = dsc::renderSlide(s.slide, size, size);
    } else {
        const auto content = kind == Kind::Drawing ? dsc::FileContent::Drawing
                             : kind == Kind::Slide ? dsc::FileContent::Slide
                                                   : dsc::FileContent::Library;
        dsc::Thumbnail t = dsc::makeThumbnail(source, content, size, pictures);
        if (!t.ok()) {
            return fail(t.status == dsc::Thumbnail::Status::NoPreview ? NoPreview : Usage,
                        shown(input) + ": " + t.detail);
        }
        image = std::move(t.image);
    }
    std::vector<std::uint8_t> png;
    if (const std::string why = dsc::encodePng(image, png); !why.empty()) {
        return fail(Usage, "cannot write " + shown(output) + ": " + why);
    }
    std::ofstream out(std::filesystem::path(output), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    out.close();
    if (!out) {
        return fail(Usage, "cannot write " + shown(output));
    }
    return Success;
}

} // namespace

int main(int argc, char* argv[]) {
    // No toolkit, no display: the readers, the PNG codec and nothing written but the output.
    std::vector<std::filesystem::path> args = dsc::platform::commandLineArguments(argc, argv);
    if (args.size() == 2 && args[0] == "--info") {
        return info(args[1]);
    }
    if (args.size() == 2 && args[0] == "--vectors") {
        return vectors(args[1]);
    }
    auto pictures = dsc::DrawingPictures::StoredFirst;
    if (!args.empty() && args[0] == "--geometry") {
        pictures = dsc::DrawingPictures::GeometryOnly;
        args.erase(args.begin());
    }
    int size = 256;
    if (args.size() == 4 && args[0] == "-s") {
        const std::string text = shown(args[1]);
        char* end = nullptr;
        const long s = std::strtol(text.c_str(), &end, 10);
        if (!end || *end != '\0' || s < 1 || s > 4096) {
            std::fputs(kUsage, stderr);
            return fail(Usage, "SIZE must be a whole number from 1 to 4096");
        }
        size = static_cast<int>(s);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() != 2 || args[0].empty() || args[0].native()[0] == '-') {
        std::fputs(kUsage, stderr);
        return Usage;
    }
    return thumbnail(args[0], args[1], size, pictures);
}
