#include "slidelibrary.h"

#include <algorithm>
#include <cstring>

namespace dsc {

namespace {
constexpr char kLibraryId[] = "AutoCAD Slide Library ";

char asciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
} // namespace

std::string describe(SlideLibraryError error) {
    switch (error) {
    case SlideLibraryError::None:
        return "no error";
    case SlideLibraryError::TooShort:
        return "file too short for a slide library";
    case SlideLibraryError::NotALibrary:
        return "not a slide library (identification text missing)";
    case SlideLibraryError::Unreadable:
        return "file cannot be read";
    case SlideLibraryError::Unterminated:
        return "directory has no end entry";
    }
    return "unknown error";
}

bool looksLikeSlideLibrary(std::span<const std::uint8_t> head) {
    const std::size_t n = sizeof kLibraryId - 1;
    return head.size() >= n && std::memcmp(head.data(), kLibraryId, n) == 0;
}

SlideLibraryDirectory readSlideLibraryDirectory(ByteSource& source, std::size_t maxEntries) {
    SlideLibraryDirectory dir;
    std::uint8_t head[kLibraryHeaderSize];
    if (source.size() < kLibraryHeaderSize) {
        dir.error = SlideLibraryError::TooShort;
        return dir;
    }
    if (!source.readAt(0, head)) {
        dir.error = SlideLibraryError::Unreadable;
        return dir;
    }
    if (!looksLikeSlideLibrary(head)) {
        dir.error = SlideLibraryError::NotALibrary;
        return dir;
    }
    // Read the directory in blocks rather than entry by entry.
    constexpr std::size_t kBlockEntries = 1024;
    std::vector<std::uint8_t> block;
    std::uint64_t pos = kLibraryHeaderSize;
    while (dir.entries.size() < maxEntries) {
        const std::uint64_t available = (source.size() - pos) / kLibraryEntrySize;
        if (available == 0) {
            dir.error = SlideLibraryError::Unterminated;
            return dir;
        }
        const std::uint64_t count = std::min<std::uint64_t>(available, kBlockEntries);
        if (!source.readVector(pos, count * kLibraryEntrySize, block)) {
            dir.error = SlideLibraryError::Unreadable;
            return dir;
        }
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint8_t* e = block.data() + i * kLibraryEntrySize;
            if (e[0] == 0) {
                return dir;
            }
            const auto* nul = static_cast<const std::uint8_t*>(std::memchr(e, 0, 32));
            const std::size_t len = nul ? static_cast<std::size_t>(nul - e) : 32;
            dir.entries.push_back({std::string(reinterpret_cast<const char*>(e), len), le32(e + 32)});
            if (dir.entries.size() >= maxEntries) {
                break;
            }
        }
        pos += count * kLibraryEntrySize;
    }
    dir.error = SlideLibraryError::Unterminated;
    return dir;
}

const SlideLibraryEntry* findSlide(const SlideLibraryDirectory& dir, std::string_view name) {
    for (const auto& e : dir.entries) {
        if (e.name.size() == name.size() && std::equal(e.name.begin(), e.name.end(), name.begin(),
                                                       [](char a, char b) { return asciiUpper(a) == asciiUpper(b); })) {
            return &e;
        }
    }
    return nullptr;
}

std::uint64_t slideMemberEnd(const SlideLibraryDirectory& dir, const SlideLibraryEntry& entry, std::uint64_t fileSize) {
    std::uint64_t end = fileSize;
    for (const auto& e : dir.entries) {
        if (e.offset > entry.offset && e.offset < end) {
            end = e.offset;
        }
    }
    return end;
}

bool readSlideMember(ByteSource& source, const SlideLibraryDirectory& dir, const SlideLibraryEntry& entry,
                     std::uint64_t limit, std::vector<std::uint8_t>& out) {
    if (entry.offset >= source.size()) {
        return false;
    }
    const std::uint64_t end = slideMemberEnd(dir, entry, source.size());
    return source.readVector(entry.offset, std::min<std::uint64_t>(end - entry.offset, limit), out);
}

std::string cp1252ToUtf8(std::string_view bytes) {
    // 0x80..0x9F differ from Latin-1; the rest map to the same code point.
    static constexpr char16_t kHigh[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                           0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        char32_t cp = c;
        if (c >= 0x80 && c < 0xA0) {
            cp = kHigh[c - 0x80];
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

} // namespace dsc
