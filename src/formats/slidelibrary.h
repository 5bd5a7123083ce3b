#pragma once
// Directory of a slide library (.slb) and lookup of its members by name.

#include "bytesource.h"

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

// Reads the directory: 36-byte entries from offset 32 up to the first one with an empty name,
// bounded by the source's size and by `maxEntries`.
SlideLibraryDirectory readSlideLibraryDirectory(ByteSource& source, std::size_t maxEntries = 1'000'000);

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
