#include "formats/dwg/r2004/assembly.h"
#include "formats/dwg/r2004/checksum.h"
#include "formats/dwg/r2004/lz77.h"

#include <algorithm>
#include <array>

namespace dsc::dwg {

namespace {

constexpr std::uint32_t kDataPageType = 0x4163043Bu;
// Real pages hold 0x7400 bytes (0xF800 in 2007); this bounds what one page may claim.
constexpr std::uint64_t kMaxPage = 1u << 20;

} // namespace

bool assembleSection(const SectionInfo& section, const PageReader& readPage, std::uint64_t budget,
                     std::vector<std::uint8_t>& out, std::vector<std::string>& warnings) {
    if (section.size > budget) {
        return false;
    }
    out.assign(static_cast<std::size_t>(section.size), 0); // pages of zeros are not stored
    if (section.size == 0) {
        return true;
    }
    std::vector<std::uint8_t> data;
    // Pages hold maxPageSize bytes each (2004) or the size they give (2007), the last one less: pages
    // that together would give more than the section and one page more are work for nothing.
    const std::uint64_t pageRoom = section.maxPageSize != 0 ? section.maxPageSize : section.size;
    const std::uint64_t allowed = section.size + std::min(pageRoom, kMaxPage);
    std::uint64_t claimed = 0;
    for (const auto& page : section.pages) {
        const std::string where = section.name + " page " + std::to_string(page.number);
        const std::uint64_t room = page.startOffset < section.size ? section.size - page.startOffset : 0;
        const std::uint64_t limit = std::min(page.size != 0 ? page.size : room != 0 ? room : pageRoom, kMaxPage);
        claimed += limit;
        if (claimed > allowed) {
            warnings.push_back(section.name + ": more pages than its size allows, the extra ones left out");
            break;
        }
        if (room == 0) {
            warnings.push_back(where + ": starts past the end of its section");
            continue;
        }
        std::string why;
        if (!readPage(section, page, static_cast<std::size_t>(limit), data, why, warnings)) {
            warnings.push_back(where + ": " + why);
            continue;
        }
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(data.size(), room));
        std::copy_n(data.begin(), n, out.begin() + static_cast<std::ptrdiff_t>(page.startOffset));
    }
    return true;
}

ContainerResult assembleSections(const SectionDirectory& dir, const PageReader& readPage, const GeometryLimits& limits,
                                 PagedDrawing& out) {
    std::uint64_t budget = limits.maxBytes;
    std::vector<std::uint8_t> objects;
    struct Wanted {
        const char* name;
        std::vector<std::uint8_t>* into;
    };
    const std::array<Wanted, 4> wanted{{{"AcDb:Header", &out.sections.header},
                                        {"AcDb:Classes", &out.sections.classes},
                                        {"AcDb:Handles", &out.sections.handles},
                                        {"AcDb:AcDbObjects", &out.objectBytes}}};
    for (const auto& w : wanted) {
        const SectionInfo* s = dir.find(w.name);
        if (s == nullptr) {
            return {ContainerError::MissingSection, std::string("no ") + w.name + " section"};
        }
        if (!assembleSection(*s, readPage, budget, *w.into, out.warnings)) {
            return {ContainerError::TooLarge, std::string(w.name) + " larger than the limit"};
        }
        budget -= w.into->size();
    }
    out.objectSource = std::make_unique<MemorySource>(out.objectBytes);
    out.sections.objects = out.objectSource.get();
    return {};
}

bool readPage2004(ByteSource& file, const SectionInfo& section, const SectionPage& page, std::size_t limit,
                  std::vector<std::uint8_t>& data, std::string& why, std::vector<std::string>& warnings) {
    std::array<std::uint8_t, 32> head{};
    if (!file.readAt(page.fileOffset, head)) {
        why = "beyond the end of the file";
        return false;
    }
    applyPageHeaderMask(head, page.fileOffset);
    if (le32(&head[0]) != kDataPageType) {
        why = "not a data page";
        return false;
    }
    const std::uint32_t stored = le32(&head[8]);
    // Compression never grows data by more than a fraction; more is not a real page.
    if (stored > kMaxPage || stored > 2 * static_cast<std::uint64_t>(limit) + 64) {
        why = "larger than any real page";
        return false;
    }
    std::vector<std::uint8_t> raw;
    if (!file.readVector(page.fileOffset + head.size(), stored, raw)) {
        why = "cut short";
        return false;
    }
    const std::uint32_t dataChecksum = pageChecksum(0, raw);
    const std::uint32_t headerChecksum = le32(&head[24]);
    std::fill(head.begin() + 24, head.begin() + 28, 0);
    if (dataChecksum != le32(&head[28]) || pageChecksum(dataChecksum, head) != headerChecksum) {
        warnings.push_back(section.name + " page " + std::to_string(page.number) + ": checksum does not match");
    }
    if (!section.compressed) {
        raw.resize(std::min(raw.size(), limit));
        data = std::move(raw);
        return true;
    }
    const Lz77Error e = decompressAc18(raw, limit, data);
    if (e == Lz77Error::Truncated && !data.empty()) {
        // What came before the cut is kept: the objects in it may still be whole.
        warnings.push_back(section.name + " page " + std::to_string(page.number) + ": " + describe(e));
    } else if (e != Lz77Error::None) {
        why = describe(e);
        return false;
    }
    return true;
}

} // namespace dsc::dwg
