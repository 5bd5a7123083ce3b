#pragma once
// Directory of a slide library (.slb) and lookup of its members by name.

#include "formats/core/bytesource.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dsc {

struct SlideLibraryEntry {
    std::string name; // bytes as stored, up to the first NUL (at most 32)
    std::uint32_t offset = 0;
};

enum class SlideLibraryError { None, TooShort, NotALibrary, Unreadable, Unterminated };

std::string describe(SlideLibraryError error);

struct SlideLibraryDirectory {
    std::vector<SlideLibraryEntry> entries;
    SlideLibraryError error = SlideLibraryError::None; // Unterminated still carries the entries read
    bool ok() const { return error == SlideLibraryError::None; }
};

constexpr std::size_t kLibraryHeaderSize = 32;
constexpr std::size_t kLibraryEntrySize = 36;

bool looksLikeSlideLibrary(std::span<const std::uint8_t> head);

// One 36-byte directory record: its name up to the first zero byte (at most 32 bytes), then the
// member's position. The directory reader and the name scan below both read records this way.
struct LibraryRecord {
    std::string name;
    std::uint32_t offset = 0;
};
LibraryRecord decodeLibraryRecord(const std::uint8_t* record);

// Reads the directory: 36-byte entries from offset 32 up to the first one with an empty name,
// bounded by the source's size and by `maxEntries`.
SlideLibraryDirectory readSlideLibraryDirectory(ByteSource& source, std::size_t maxEntries = 1'000'000);

struct LibrarySlideName {
    std::string shortName; // the list's text: up to the first zero byte, at most 10 bytes
    std::string fullName;  // the whole directory name, for building slide references
};

// The names of a library's slides as its list of names shows them. Walks 36-byte records from
// offset 32 until the record whose 10-byte name is "AutoCAD Sl" (the first slide) and returns the
// names of the records before the directory's end entry. When no such record comes within the
// first 200, the entries up to the first empty name are returned instead, bounded by the file's
// size (and at most 100,000 names), so large, truncated or foreign files still list something.
std::vector<LibrarySlideName> scanLibraryNames(ByteSource& source);

// ASCII case-insensitive; the first matching entry wins.
const SlideLibraryEntry* findSlide(const SlideLibraryDirectory& dir, std::string_view name);

// Where a member ends: the next member's offset (the nearest one after it), or the file's end.
std::uint64_t slideMemberEnd(const SlideLibraryDirectory& dir, const SlideLibraryEntry& entry, std::uint64_t fileSize);

// The bytes of a member, from its offset to its end, at most `limit` of them. False when the
// offset is outside the file or the bytes cannot be read.
bool readSlideMember(ByteSource& source, const SlideLibraryDirectory& dir, const SlideLibraryEntry& entry,
                     std::uint64_t limit, std::vector<std::uint8_t>& out);

// Windows-1252 bytes to UTF-8, for showing names stored as bytes.
std::string cp1252ToUtf8(std::string_view bytes);

} // namespace dsc
