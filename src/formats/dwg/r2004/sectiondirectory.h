#pragma once
// What the page and section maps say: where each page lies in the file, and which pages, at which
// offsets, make up each named section. Shared by the 2004 and 2007 containers.

#include <cstdint>
#include <string>
#include <vector>

namespace dsc::dwg {

struct SectionPage {
    std::int64_t number = 0;          // index into the page map
    std::uint64_t fileOffset = 0;     // where the page starts in the file
    std::uint64_t startOffset = 0;    // where its data goes in the section
    std::uint64_t compressedSize = 0; // bytes stored
    std::uint64_t size = 0;           // bytes once decompressed
    std::uint64_t storedSize = 0;     // 2007: room the page takes in the file, check bytes included
};

struct SectionInfo {
    std::string name;
    std::uint64_t size = 0;        // the whole section, decompressed
    std::uint64_t maxPageSize = 0; // the decompressed size of each page but the last
    bool compressed = true;
    bool encrypted = false;
    std::uint64_t encoding = 1; // 2007: 4 when the pages carry interleaved check bytes
    std::vector<SectionPage> pages;
};

struct SectionDirectory {
    std::vector<SectionInfo> sections;
    const SectionInfo* find(const std::string& name) const {
        for (const auto& s : sections) {
            if (s.name == name) {
                return &s;
            }
        }
        return nullptr;
    }
};

} // namespace dsc::dwg
