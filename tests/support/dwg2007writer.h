#pragma once
// Writes drawings of release 2007 that hold only what the container reader looks at: the file
// header, the page map, the section map and one plain page per section. Defects are set through the
// fields and hooks.

#include "formats/dwg/r2007/lz77ac21.h"
#include "formats/dwg/r2007/reedsolomon.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace dsc::test {

using Bytes = std::vector<std::uint8_t>;

inline void put64(Bytes& b, std::size_t at, std::uint64_t v) {
    for (std::size_t i = 0; i < 8; ++i) {
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}
inline void append64(Bytes& b, std::uint64_t v) {
    b.resize(b.size() + 8);
    put64(b, b.size() - 8, v);
}

// The sentinels the header and classes sections start with.
inline const Bytes kHeaderSentinel{0xCF, 0x7B, 0x1F, 0x23, 0xFD, 0xDE, 0x38, 0xA9,
                                   0x5F, 0x7C, 0x68, 0xB8, 0x4E, 0x6D, 0x33, 0x5F};
inline const Bytes kClassesSentinel{0x8D, 0xA1, 0xC4, 0xB8, 0xC4, 0xA9, 0xF8, 0xC5,
                                    0xC0, 0xDC, 0xF4, 0x5F, 0xE7, 0xCF, 0xB6, 0x8A};

// A small drawing of release 2007: the file header stored uncompressed, a page map and
// a section map as one literal run each, four plain data pages. The check bytes are left zero, so
// every block is reported; the hooks change the maps before they are stored.
struct Drawing2007 {
    std::vector<std::pair<std::string, Bytes>> sections = {
        {"AcDb:Header", kHeaderSentinel},
        {"AcDb:Classes", kClassesSentinel},
        {"AcDb:Handles", Bytes{0x00, 0x02, 0x00, 0x00}},
        {"AcDb:AcDbObjects", Bytes(40, 0x5A)},
    };
    std::function<void(Bytes&)> editFields = [](Bytes&) {};
    std::function<void(Bytes&)> editPageMap = [](Bytes&) {};
    std::function<void(Bytes&)> editSectionMap = [](Bytes&) {};
    std::function<void(Bytes&)> editPageMapStream = [](Bytes&) {};

    // One literal run that decompresses to `data` (8 bytes or more): the order its bytes are
    // stored in is found by decompressing a run of their positions within each 32-byte block.
    static Bytes literalStream(const Bytes& data) {
        const std::size_t n = data.size();
        Bytes head;
        if (n < 0x17) {
            head = {static_cast<std::uint8_t>(n - 8)};
        } else if (n - 0x17 < 0xFF) {
            head = {0x0F, static_cast<std::uint8_t>(n - 0x17)};
        } else {
            const std::size_t rest = n - 0x17 - 0xFF;
            head = {0x0F, 0xFF, static_cast<std::uint8_t>(rest & 0xFF), static_cast<std::uint8_t>(rest >> 8)};
        }
        Bytes probe = head;
        for (std::size_t i = 0; i < n; ++i) {
            probe.push_back(static_cast<std::uint8_t>(i % 32));
        }
        Bytes order;
        dwg::decompressAc21(probe, n, order);
        order.resize(n, 0);
        Bytes stream = head;
        stream.insert(stream.end(), data.begin(), data.end()); // the same bytes, reordered below
        for (std::size_t j = 0; j < n; ++j) {
            stream[head.size() + j / 32 * 32 + order[j]] = data[j];
        }
        return stream;
    }
    // Blocks of `perBlock` data bytes, interleaved, their check bytes zero.
    static Bytes interleaved(const Bytes& data, std::size_t perBlock) {
        const std::size_t blocks = std::max<std::size_t>(1, (data.size() + perBlock - 1) / perBlock);
        Bytes out(blocks * dwg::kRsBlock, 0);
        for (std::size_t i = 0; i < data.size(); ++i) {
            out[i / perBlock + (i % perBlock) * blocks] = data[i];
        }
        return out;
    }
    static Bytes systemPage(const Bytes& stream) {
        Bytes padded = stream;
        padded.resize((stream.size() + 7) & ~std::size_t{7}, 0);
        return interleaved(padded, 239);
    }

    Bytes build() const {
        // Pages: 1 the page map, 2 the section map, 3 on the sections' data.
        Bytes sectionMap;
        for (std::size_t i = 0; i < sections.size(); ++i) {
            const auto& [name, data] = sections[i];
            append64(sectionMap, data.size());
            append64(sectionMap, 0xF800);
            append64(sectionMap, 0);
            append64(sectionMap, 0);
            append64(sectionMap, (name.size() + 1) * 2);
            append64(sectionMap, 0);
            append64(sectionMap, 1); // plain pages
            append64(sectionMap, 1);
            for (char ch : name) {
                sectionMap.push_back(static_cast<std::uint8_t>(ch));
                sectionMap.push_back(0);
            }
            sectionMap.push_back(0);
            sectionMap.push_back(0);
            append64(sectionMap, 0); // the page's offset in its section
            append64(sectionMap, data.size());
            append64(sectionMap, 3 + i);
            append64(sectionMap, data.size());
            append64(sectionMap, data.size());
            append64(sectionMap, 0);
            append64(sectionMap, 0);
        }
        editSectionMap(sectionMap);
        const Bytes sectionStream = literalStream(sectionMap);
        const Bytes sectionPage = systemPage(sectionStream);

        Bytes pageMap;
        const std::size_t entries = 2 + sections.size();
        const Bytes pageMapProbe = systemPage(literalStream(Bytes(entries * 16, 0)));
        append64(pageMap, pageMapProbe.size());
        append64(pageMap, 1);
        append64(pageMap, sectionPage.size());
        append64(pageMap, 2);
        for (std::size_t i = 0; i < sections.size(); ++i) {
            append64(pageMap, sections[i].second.size());
            append64(pageMap, 3 + i);
        }
        editPageMap(pageMap);
        Bytes pageStream = literalStream(pageMap);
        editPageMapStream(pageStream);
        const Bytes pageMapPage = systemPage(pageStream);

        Bytes fields(0x110, 0);
        put64(fields, 0x18, 1);
        put64(fields, 0x38, 0);
        put64(fields, 0x40, 1);
        put64(fields, 0x50, pageStream.size());
        put64(fields, 0x58, pageMap.size());
        put64(fields, 0xB0, sectionStream.size());
        put64(fields, 0xC0, 2);
        put64(fields, 0xC8, sectionMap.size());
        put64(fields, 0xD8, 1);
        editFields(fields);
        Bytes headerData(32, 0);
        const auto stored = static_cast<std::uint32_t>(-static_cast<std::int32_t>(fields.size()));
        for (int i = 0; i < 4; ++i) {
            headerData[24 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(stored >> (8 * i));
        }
        headerData.insert(headerData.end(), fields.begin(), fields.end());
        headerData.resize(3 * 239, 0);
        const Bytes header = interleaved(headerData, 239);

        Bytes file(0x480, 0);
        const char* version = "AC1021";
        std::copy(version, version + 6, file.begin());
        std::copy(header.begin(), header.end(), file.begin() + 0x80);
        std::vector<const Bytes*> pages{&pageMapPage, &sectionPage};
        for (const auto& s : sections) {
            pages.push_back(&s.second);
        }
        for (const Bytes* p : pages) {
            file.resize(file.size() + p->size());
            std::copy(p->begin(), p->end(), file.end() - static_cast<std::ptrdiff_t>(p->size()));
        }
        return file;
    }
};

} // namespace dsc::test
