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

// How a page is named in warnings.
std::string pageName(const SectionInfo& section, const SectionPage& page) {
    return section.name + " page " + std::to_string(page.number);
}

} // namespace

namespace {

// The part of the section each page may fill, by the rules of a whole assembly: pages past the end,
// and pages beyond what the section's size allows, left out and reported.
std::vector<PageExtent> pageExtents(const SectionInfo& section, std::vector<std::string>& warnings) {
    std::vector<PageExtent> extents;
    const std::uint64_t pageRoom = section.maxPageSize != 0 ? section.maxPageSize : section.size;
    const std::uint64_t allowed = section.size + std::min(pageRoom, kMaxPage);
    std::uint64_t claimed = 0;
    for (std::size_t i = 0; i < section.pages.size(); ++i) {
        const SectionPage& page = section.pages[i];
        const std::uint64_t room = page.startOffset < section.size ? section.size - page.startOffset : 0;
        const std::uint64_t limit = std::min(page.size != 0 ? page.size : room != 0 ? room : pageRoom, kMaxPage);
        claimed += limit;
        if (claimed > allowed) {
            warnings.push_back(section.name + ": more pages than its size allows, the extra ones left out");
            break;
        }
        if (room == 0) {
            warnings.push_back(pageName(section, page) + ": starts past the end of its section");
            continue;
        }
        extents.push_back({i, page.startOffset, page.startOffset + std::min(limit, room), limit});
    }
    return extents;
}

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
    for (const PageExtent& e : pageExtents(section, warnings)) {
        const SectionPage& page = section.pages[e.page];
        std::string why;
        if (!readPage(section, page, static_cast<std::size_t>(e.limit), data, why, warnings)) {
            warnings.push_back(pageName(section, page) + ": " + why);
            continue;
        }
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(data.size(), e.end - e.begin));
        std::copy_n(data.begin(), n, out.begin() + static_cast<std::ptrdiff_t>(e.begin));
    }
    return true;
}

bool PagedSection::open(const SectionInfo& section, PageReader readPage, std::vector<std::string>& warnings) {
    std::vector<std::string> found;
    std::vector<PageExtent> extents = pageExtents(section, found);
    std::stable_sort(extents.begin(), extents.end(),
                     [](const PageExtent& a, const PageExtent& b) { return a.begin < b.begin; });
    for (std::size_t i = 1; i < extents.size(); ++i) {
        if (extents[i].begin < extents[i - 1].end) {
            return false;
        }
    }
    warnings.insert(warnings.end(), found.begin(), found.end());
    m_section = section;
    m_readPage = std::move(readPage);
    m_warnings = &warnings;
    m_extents.assign(extents.begin(), extents.end());
    return true;
}

const std::vector<std::uint8_t>& PagedSection::data(std::size_t extent) {
    if (const auto* kept = m_kept.find(extent)) {
        return *kept;
    }
    auto& bytes = m_kept.claim(extent);
    Extent& e = m_extents[extent];
    const SectionPage& page = m_section.pages[e.page];
    std::vector<std::string> found;
    std::string why;
    if (!m_readPage(m_section, page, static_cast<std::size_t>(e.limit), bytes, why, found)) {
        bytes.clear(); // kept empty: not tried again
        found.push_back(pageName(m_section, page) + ": " + why);
    }
    if (!e.reported) { // the first time only: a page let go may be read again
        e.reported = true;
        m_warnings->insert(m_warnings->end(), found.begin(), found.end());
    }
    return bytes;
}

bool PagedSection::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset > size() || out.size() > size() - offset) {
        return false;
    }
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    const std::uint64_t end = offset + out.size();
    auto it = std::upper_bound(m_extents.begin(), m_extents.end(), offset,
                               [](std::uint64_t at, const Extent& e) { return at < e.end; });
    for (; it != m_extents.end() && it->begin < end; ++it) {
        const auto& bytes = data(static_cast<std::size_t>(it - m_extents.begin()));
        const std::uint64_t from = std::max(offset, it->begin);
        const std::uint64_t to = std::min({end, it->end, it->begin + bytes.size()});
        if (from < to) {
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(from - it->begin), to - from,
                        out.begin() + static_cast<std::ptrdiff_t>(from - offset));
        }
    }
    return true;
}

ContainerResult assembleSections(const SectionDirectory& dir, const PageReader& readPage, const GeometryLimits& limits,
                                 PagedDrawing& out) {
    std::uint64_t budget = limits.maxBytes;
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
        if (s->size > budget) {
            return {ContainerError::TooLarge, std::string(w.name) + " larger than the limit"};
        }
        if (w.into == &out.objectBytes) { // read page by page, unless its pages overlap
            auto paged = std::make_unique<PagedSection>();
            if (paged->open(*s, readPage, out.warnings)) {
                out.objectSource = std::move(paged);
                continue;
            }
        }
        assembleSection(*s, readPage, budget, *w.into, out.warnings);
        budget -= w.into->size();
    }
    if (!out.objectSource) {
        out.objectSource = std::make_unique<MemorySource>(out.objectBytes);
    }
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
        warnings.push_back(pageName(section, page) + ": checksum does not match");
    }
    if (!section.compressed) {
        raw.resize(std::min(raw.size(), limit));
        data = std::move(raw);
        return true;
    }
    const Lz77Error e = decompressAc18(raw, limit, data);
    if (e == Lz77Error::Truncated && !data.empty()) {
        // What came before the cut is kept: the objects in it may still be whole.
        warnings.push_back(pageName(section, page) + ": " + describe(e));
    } else if (e != Lz77Error::None) {
        why = describe(e);
        return false;
    }
    return true;
}

} // namespace dsc::dwg
