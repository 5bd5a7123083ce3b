#include "bibcliche.h"

#include <algorithm>
#include <cstring>

namespace dsc {

namespace {
constexpr std::uint64_t kHeader = 32;
constexpr std::uint64_t kRecord = 36;
constexpr std::size_t kShortName = 10;
constexpr std::size_t kTableRecords = 200;
constexpr char kMarker[] = "AutoCAD Sl";
constexpr std::size_t kBlockRecords = 2048;
// More names than anyone can scroll through; bounds the list's memory on foreign files.
constexpr std::size_t kMaxNames = 100'000;
} // namespace

std::vector<LibrarySlideName> scanLibraryNames(ByteSource& source) {
    std::vector<LibrarySlideName> names; // one per record read
    std::size_t markerRecord = 0;        // 1-based; 0 when not met
    std::size_t firstEmpty = 0;          // 1-based record of the first empty name, 0 when none yet
    std::vector<std::uint8_t> block;
    std::uint64_t pos = kHeader;
    bool done = false;
    while (!done && pos < source.size() && names.size() < kMaxNames) {
        const std::uint64_t count = std::min<std::uint64_t>((source.size() - pos) / kRecord, kBlockRecords);
        if (count == 0 || !source.readVector(pos, count * kRecord, block)) {
            break;
        }
        for (std::uint64_t i = 0; i < count && !done && names.size() < kMaxNames; ++i) {
            const auto* r = reinterpret_cast<const char*>(block.data() + i * kRecord);
            const auto* nul = static_cast<const char*>(std::memchr(r, 0, kShortName));
            const std::size_t shortLen = nul ? static_cast<std::size_t>(nul - r) : kShortName;
            const auto* fullNul = static_cast<const char*>(std::memchr(r, 0, 32));
            const std::size_t fullLen = fullNul ? static_cast<std::size_t>(fullNul - r) : 32;
            names.push_back({std::string(r, shortLen), std::string(r, fullLen)});
            const std::size_t n = names.size();
            if (shortLen == kShortName && std::memcmp(r, kMarker, kShortName) == 0) {
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
        pos += count * kRecord;
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

} // namespace dsc
