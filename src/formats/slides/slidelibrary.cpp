#include "formats/slides/slidelibrary.h"

#include <algorithm>
#include <cstring>

namespace dsc {

namespace {
constexpr char kLibraryId[] = "AutoCAD Slide Library ";
constexpr std::size_t kShortName = 10;
constexpr std::size_t kTableRecords = 200;
constexpr char kMarker[] = "AutoCAD Sl";
constexpr std::size_t kBlockRecords = 2048;
// More names than anyone can scroll through; bounds the list's memory on foreign files.
constexpr std::size_t kMaxNames = 100'000;

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

LibraryRecord decodeLibraryRecord(const std::uint8_t* record) {
    const auto* nul = static_cast<const std::uint8_t*>(std::memchr(record, 0, 32));
    const std::size_t length = nul ? static_cast<std::size_t>(nul - record) : 32;
    return {std::string(reinterpret_cast<const char*>(record), length), le32(record + 32)};
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
            LibraryRecord record = decodeLibraryRecord(block.data() + i * kLibraryEntrySize);
            if (record.name.empty()) {
                return dir;
            }
            dir.entries.push_back({std::move(record.name), record.offset});
            if (dir.entries.size() >= maxEntries) {
                break;
            }
        }
        pos += count * kLibraryEntrySize;
    }
    dir.error = SlideLibraryError::Unterminated;
    return dir;
}

std::vector<LibrarySlideName> scanLibraryNames(ByteSource& source) {
    std::vector<LibrarySlideName> names; // one per record read
    std::size_t markerRecord = 0;        // 1-based; 0 when not met
    std::size_t firstEmpty = 0;          // 1-based record of the first empty name, 0 when none yet
    std::vector<std::uint8_t> block;
    std::uint64_t pos = kLibraryHeaderSize;
    bool done = false;
    while (!done && pos < source.size() && names.size() < kMaxNames) {
        const std::uint64_t count = std::min<std::uint64_t>((source.size() - pos) / kLibraryEntrySize, kBlockRecords);
        if (count == 0 || !source.readVector(pos, count * kLibraryEntrySize, block)) {
            break;
        }
        for (std::uint64_t i = 0; i < count && !done && names.size() < kMaxNames; ++i) {
            LibraryRecord record = decodeLibraryRecord(block.data() + i * kLibraryEntrySize);
            std::string shortName = record.name.substr(0, kShortName);
            const std::size_t shortLen = shortName.size();
            const bool marker = shortName == kMarker;
            names.push_back({std::move(shortName), std::move(record.name)});
            const std::size_t n = names.size();
            if (marker) {
                markerRecord = n;
                done = true;
            } else if (shortLen == 0 && firstEmpty == 0) {
                firstEmpty = n;
            }
            // Past the name table's capacity only the first empty name matters.
            if (n >= kTableRecords && firstEmpty != 0) {
                done = true;
            }
        }
        pos += count * kLibraryEntrySize;
    }
    // The marker ends the list two records early (the end entry is never listed), wherever it is
    // met; past the name table's capacity an earlier end entry ends it instead.
    std::size_t keep = names.size();
    if (markerRecord != 0 && (markerRecord <= kTableRecords || firstEmpty == 0)) {
        keep = markerRecord >= 2 ? markerRecord - 2 : 0;
    } else if (firstEmpty != 0) {
        keep = firstEmpty - 1;
    }
    names.resize(std::min(keep, names.size()));
    return names;
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
