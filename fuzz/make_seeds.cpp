// Writes the seed corpora from the test writers: fuzz/corpus/<harness>/<case>.
#include "formats/dwg/r2004/checksum.h"
#include "formats/raster/png.h"
#include "support/dwg2007writer.h"
#include "support/dwgwriter.h"
#include "support/slidewriter.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

using namespace dsc::test;

void save(const std::filesystem::path& dir, const char* name, const Bytes& b) {
    std::filesystem::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

Bytes exampleSlide(SlideWriter::Options o) {
    SlideWriter w(o);
    w.colour(7).vector(572, 292, 0, 0).colour(3).vector(15, 50, 15, 19).colour(1);
    w.offsetVector(18, -25, 18, -50).commonEndpoint(-33, 0).commonEndpoint(0, -25).commonEndpoint(33, 0);
    w.fill({{1, 1}, {9, 1}, {5, 5}}, 4).end();
    return w.bytes();
}

// A drawing of release 10 with one layer, one LINE and one CIRCLE on its own bytes.
Bytes oldDrawing() {
    Bytes b(0x200, 0);
    const auto put16 = [&](std::size_t at, std::uint16_t v) {
        b[at] = v & 0xFF;
        b[at + 1] = v >> 8;
    };
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    const auto putF = [&](std::size_t at, double v) { std::memcpy(b.data() + at, &v, 8); };
    std::memcpy(b.data(), "AC1006", 6);
    const std::size_t entities = 0x100, layers = 0x180;
    put32(0x14, entities);
    put32(0x1C, layers + 37);
    put16(0x36, 37); // the layer table: item size, count, place
    put16(0x38, 1);
    put32(0x3C, layers);
    b[layers + 1] = '0';
    put16(layers + 33, 7);
    std::size_t at = entities;
    b[at] = 1; // LINE, flat: no z
    b[at + 1] = 0x04;
    put16(at + 2, 40);
    putF(at + 24, 1);
    putF(at + 32, 1);
    at += 40;
    b[at] = 3; // CIRCLE
    b[at + 1] = 0x01;
    put16(at + 2, 33);
    b[at + 8] = 2;
    putF(at + 25, 0.5);
    at += 33;
    put32(0x18, static_cast<std::uint32_t>(at));
    putF(0x90, 1);
    putF(0x98, 1);
    return b;
}

// A drawing of release 1.40: a block of one line, its insert, a repeated circle and a text.
Bytes release1Drawing() {
    Bytes b(0x202, 0);
    std::memcpy(b.data(), "AC1.40", 6);
    const auto s16 = [&](int v) {
        b.push_back(static_cast<std::uint8_t>(v & 0xFF));
        b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    };
    const auto f64 = [&](double v) {
        std::uint8_t raw[8];
        std::memcpy(raw, &v, 8);
        b.insert(b.end(), raw, raw + 8);
    };
    const auto name = [&](const char* n) {
        s16(static_cast<int>(std::strlen(n)));
        b.insert(b.end(), n, n + std::strlen(n));
    };
    int records = 0;
    const auto record = [&](int type) {
        s16(type);
        s16(1);
        ++records;
    };
    record(12), name("B"), f64(1), f64(1);                           // BLOCK B based at (1, 1)
    record(1), f64(1), f64(1), f64(2), f64(2);                       // its LINE
    record(13);                                                      // ENDBLK
    record(14), name("B"), f64(4), f64(4), f64(1), f64(1), f64(0.5); // INSERT
    record(5);                                                       // a repeated group of
    record(3), f64(0), f64(0), f64(0.5);                             // one CIRCLE,
    record(6), s16(2), s16(3), f64(1), f64(1);                       // two columns by three rows
    record(7), f64(0), f64(-1), f64(0.5), f64(0), name("AB");
    b[0x24] = static_cast<std::uint8_t>(b.size() & 0xFF);
    b[0x25] = static_cast<std::uint8_t>(b.size() >> 8);
    b[0x28] = static_cast<std::uint8_t>(records);
    b[0xCA] = 7; // layer 1's colour
    return b;
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path root = argc > 1 ? argv[1] : "fuzz/corpus";
    for (int level : {1, 2}) {
        for (bool big : {false, true}) {
            const std::string name = "example_v" + std::to_string(level) + (big ? "be" : "le") + ".sld";
            save(root / "slide", name.c_str(), exampleSlide({level, big}));
        }
    }
    save(root / "slide", "empty.sld", SlideWriter().end().bytes());
    save(root / "dwgold", "line_circle_ac1006.dwg", oldDrawing());
    save(root / "dwgold", "block_repeat_text_ac140.dwg", release1Drawing());
    const Bytes lib = writeLibrary({{"PORTE", exampleSlide({})}, {"FENETRE_GAUCHE", exampleSlide({1, true})}});
    save(root / "slidelibrary", "two_members.slb", lib);
    save(root / "slidelibrary", "shared_offsets.slb",
         writeLibrary({{"A", simpleSlide()}, {"B", simpleSlide()}}, {140, 140}));
    save(root / "bibcliche", "two_members.slb", lib);
    save(root / "bibcliche", "marker_in_record_1.slb", [] {
        Bytes b(32, 0);
        const Bytes s = simpleSlide();
        b.insert(b.end(), s.begin(), s.end());
        return b;
    }());
    const std::vector<std::uint32_t> palette(256, 0x336699);
    save(root / "dwgpreview", "bmp8.dwg",
         drawingWith(2, writeDib(
                            13, 5, 8, [](int x, int) -> std::uint32_t { return x; }, false, palette))
             .build());
    save(root / "dwgpreview", "bmp24_topdown.dwg",
         drawingWith(2, writeDib(
                            7, 3, 24, [](int x, int y) -> std::uint32_t { return x * 999 + y; }, true))
             .build());
    save(root / "dwgpreview", "bmp1.dwg",
         drawingWith(2, writeDib(9, 2, 1, [](int x, int) -> std::uint32_t { return x & 1; }, false, {0, 0xFFFFFF}),
                     "AC1012")
             .build());
    DwgWriter two;
    two.entries = {
        {1, Bytes(80, 0)}, {2, writeDib(4, 4, 32, [](int, int) -> std::uint32_t { return 7; })}, {3, Bytes(30, 1)}};
    save(root / "dwgpreview", "three_entries.dwg", two.build());
    // PNG previews: an opaque one, one with transparency, and one stored in a drawing.
    auto png = [](int w, int h, std::uint32_t alpha) {
        dsc::Raster r;
        dsc::allocateRaster(r, w, h, 0);
        for (std::size_t i = 0; i < r.pixels.size(); ++i) {
            r.pixels[i] = (alpha << 24) | static_cast<std::uint32_t>(i * 0x010203u & 0xFFFFFF);
        }
        std::vector<std::uint8_t> out;
        dsc::encodePng(r, out);
        return Bytes(out.begin(), out.end());
    };
    save(root / "png", "rgb_5x3.png", png(5, 3, 0xFF));
    save(root / "png", "rgba_4x4.png", png(4, 4, 0x80));
    save(root / "dwgpreview", "png_preview.dwg", drawingWith(6, png(6, 4, 0xFF), "AC1032").build());
    // The 2004 compression: a big-endian output limit / 4, then the stream.
    save(root / "lz77", "literal_and_copies.bin",
         Bytes{0x00, 0x10, 0x01, 'a', 'b', 'c', 'd', 0x41, 0x00, 'z', 0x22, 0x0C, 0x00, 0x12, 0x00, 0x00, 0x11});
    save(root / "lz77", "long_lengths.bin",
         Bytes{0x40, 0x00, 0x00, 0x01, 'a', 'b', 'c',  'd',  'e',  'f',  'g',  'h',  'i',  'j',  'k',  'l',  'm',
               'n',  'o',  'p',  'q',  'r', 's', 0x20, 0x00, 0x05, 0x00, 0x00, 0x10, 0x00, 0x01, 0x00, 0x00, 0x11});
    // A paged drawing's encrypted header, pointing at a page map and section map that follow.
    Bytes paged(0x100 + 0x40, 0);
    const char* version = "AC1018";
    std::copy(version, version + 6, paged.begin());
    Bytes header(0x6C, 0);
    const char* signature = "AcFssFcAJMB";
    std::copy(signature, signature + 12, header.begin());
    header[0x50] = 1; // page map page
    header[0x5C] = 2; // section map page
    dsc::dwg::applyHeaderSequence(header);
    std::copy(header.begin(), header.end(), paged.begin() + 0x80);
    const Bytes pageMap{0x3B, 0x0E, 0x63, 0x41, 16, 0, 0, 0,    5,    0,    0,    0,    2,
                        0,    0,    0,    0,    0,  0, 0, 0x01, 0x01, 0x20, 0x00, 0x00, 0x11};
    std::copy(pageMap.begin(), pageMap.end(), paged.begin() + 0x100);
    save(root / "dwgpaged", "header_and_page_map.dwg", paged);
    // The 2007 compression: a big-endian output limit / 4, then the stream (a run of 8, copies of
    // three shapes, a run of 2 after one).
    save(root / "lz77ac21", "literal_and_copies.bin",
         Bytes{0x00, 0x40, 0x00, 'a',  'b',  'c',  'd',  'e',  'f',  'g', 'h',
               0x30, 0x00, 0x10, 0x03, 0x00, 0x23, 0x02, 0x00, 0x02, 'x', 'y'});
    save(root / "lz77ac21", "long_run.bin", [] {
        Bytes b{0x04, 0x00, 0x0F, 0x30};
        for (int i = 0; i < 0x47; ++i) {
            b.push_back(static_cast<std::uint8_t>(i));
        }
        b.insert(b.end(), {0xF1, 0x00, 0x2F, 0x01, 0x00, 0x00, 0x08});
        return b;
    }());
    // A whole small drawing of release 2007: header, both maps, four plain pages.
    save(root / "dwg2007", "four_sections.dwg", Drawing2007().build());
    return 0;
}
