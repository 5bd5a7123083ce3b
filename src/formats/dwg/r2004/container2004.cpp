// The container of releases 2004, 2010, 2013 and 2018: the encrypted header at 0x80 gives the page
// map, the page map gives each page's place in the file, the section map names the sections and
// lists their pages.
#include "formats/dwg/r2004/assembly.h"
#include "formats/dwg/r2004/checksum.h"
#include "formats/dwg/r2004/lz77.h"
#include "formats/dwg/r2004/pageddrawing.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>

namespace dsc::dwg {

namespace {

constexpr std::uint32_t kPageMapType = 0x41630E3Bu;
constexpr std::uint32_t kSectionMapType = 0x4163003Bu;
// System pages are small (a few kB in real files); this bounds what one may make us allocate.
constexpr std::uint64_t kMaxSystemPage = 4u << 20;

std::uint64_t le64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(le32(p)) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
}

struct FileHeader2004 {
    std::uint32_t pageMapId = 0;
    std::uint64_t pageMapOffset = 0;
    std::uint32_t sectionMapId = 0;
};

ContainerResult fail(ContainerError e, std::string detail) {
    return {e, std::move(detail)};
}

ContainerResult readFileHeader(ByteSource& file, FileHeader2004& h) {
    std::array<std::uint8_t, 0x6C> bytes{};
    if (!file.readAt(0x80, bytes)) {
        return fail(ContainerError::BadFileHeader, "file shorter than its header");
    }
    applyHeaderSequence(bytes);
    if (std::memcmp(bytes.data(), "AcFssFcAJMB", 12) != 0) {
        return fail(ContainerError::BadFileHeader, "file header does not decrypt to its signature");
    }
    h.pageMapId = le32(&bytes[0x50]);
    h.pageMapOffset = le64(&bytes[0x54]);
    h.sectionMapId = le32(&bytes[0x5C]);
    if (h.pageMapOffset > file.size()) {
        return fail(ContainerError::BadPageMap, "page map beyond the end of the file");
    }
    h.pageMapOffset += 0x100;
    return {};
}

// A page map or section map page: a 20-byte header, then compressed data.
ContainerResult readSystemPage(ByteSource& file, std::uint64_t offset, std::uint32_t type, ContainerError onError,
                               PagedDrawing& out, std::vector<std::uint8_t>& data) {
    std::array<std::uint8_t, 20> head{};
    if (!file.readAt(offset, head)) {
        return fail(onError, "system page beyond the end of the file");
    }
    if (le32(&head[0]) != type) {
        return fail(onError, "system page of the wrong type");
    }
    const std::uint32_t size = le32(&head[4]);
    const std::uint32_t stored = le32(&head[8]);
    const std::uint32_t method = le32(&head[12]);
    const std::uint32_t checksum = le32(&head[16]);
    if (size > kMaxSystemPage || stored > kMaxSystemPage) {
        return fail(ContainerError::TooLarge, "system page larger than any real one");
    }
    std::vector<std::uint8_t> raw;
    if (!file.readVector(offset + head.size(), stored, raw)) {
        return fail(onError, "system page cut short");
    }
    std::fill(head.begin() + 16, head.end(), 0);
    if (pageChecksum(pageChecksum(0, head), raw) != checksum) {
        out.warnings.push_back("system page at " + std::to_string(offset) + ": checksum does not match");
    }
    if (method != 2) {
        data = std::move(raw);
        return {};
    }
    const Lz77Error e = decompressAc18(raw, size, data);
    if (e != Lz77Error::None) {
        return fail(onError, "system page: " + describe(e));
    }
    data.resize(size, 0);
    return {};
}

// Page number -> (file offset, size); pages follow one another from 0x100, gaps included.
ContainerResult readPageMap(const std::vector<std::uint8_t>& data, std::uint64_t fileSize,
                            std::map<std::int64_t, std::uint64_t>& pages) {
    std::uint64_t offset = 0x100;
    for (std::size_t pos = 0; pos + 8 <= data.size();) {
        const auto number = static_cast<std::int32_t>(le32(&data[pos]));
        const std::uint32_t size = le32(&data[pos + 4]);
        pos += 8;
        if (number >= 0) {
            pages[number] = offset;
        } else {
            pos += 16; // a gap: parent, left, right, zero
        }
        // The last page (often the page map itself) may be given more room than the file has left.
        if (offset >= fileSize) {
            return fail(ContainerError::BadPageMap, "page map runs past the end of the file");
        }
        offset += size;
    }
    return {};
}

ContainerResult readSectionMap(const std::vector<std::uint8_t>& data,
                               const std::map<std::int64_t, std::uint64_t>& pages, SectionDirectory& dir) {
    if (data.size() < 20) {
        return fail(ContainerError::BadSectionMap, "section map too short");
    }
    const std::uint32_t count = le32(&data[0]);
    std::size_t pos = 20;
    constexpr std::size_t kDescription = 0x60;
    if (count > (data.size() - pos) / kDescription) {
        return fail(ContainerError::BadSectionMap, "more sections than the section map holds");
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        if (data.size() - pos < kDescription) {
            return fail(ContainerError::BadSectionMap, "section map cut short");
        }
        SectionInfo s;
        s.size = le64(&data[pos]);
        const std::uint32_t pageCount = le32(&data[pos + 8]);
        s.maxPageSize = le32(&data[pos + 12]);
        s.compressed = le32(&data[pos + 20]) != 1;
        s.encrypted = le32(&data[pos + 28]) == 1;
        const auto nameStart = data.begin() + static_cast<std::ptrdiff_t>(pos + 32);
        s.name.assign(nameStart, std::find(nameStart, nameStart + 64, std::uint8_t{0}));
        pos += kDescription;
        if (pageCount > (data.size() - pos) / 16) {
            return fail(ContainerError::BadSectionMap, "section " + s.name + " lists more pages than the map holds");
        }
        for (std::uint32_t k = 0; k < pageCount; ++k, pos += 16) {
            SectionPage p;
            p.number = static_cast<std::int32_t>(le32(&data[pos]));
            p.compressedSize = le32(&data[pos + 4]);
            p.startOffset = le64(&data[pos + 8]);
            p.size = s.maxPageSize;
            const auto where = pages.find(p.number);
            if (where == pages.end()) {
                return fail(ContainerError::BadSectionMap, "section " + s.name + " names a page the page map lacks");
            }
            p.fileOffset = where->second;
            s.pages.push_back(p);
        }
        dir.sections.push_back(std::move(s));
    }
    return {};
}

} // namespace

ContainerResult readContainer2004(ByteSource& file, const GeometryLimits& limits, PagedDrawing& out) {
    FileHeader2004 header;
    if (auto r = readFileHeader(file, header); !r.ok()) {
        return r;
    }
    std::vector<std::uint8_t> data;
    if (auto r = readSystemPage(file, header.pageMapOffset, kPageMapType, ContainerError::BadPageMap, out, data);
        !r.ok()) {
        return r;
    }
    std::map<std::int64_t, std::uint64_t> pages;
    if (auto r = readPageMap(data, file.size(), pages); !r.ok()) {
        return r;
    }
    const auto sectionMap = pages.find(header.sectionMapId);
    if (sectionMap == pages.end()) {
        return fail(ContainerError::BadSectionMap, "the page map lacks the section map's page");
    }
    if (auto r = readSystemPage(file, sectionMap->second, kSectionMapType, ContainerError::BadSectionMap, out, data);
        !r.ok()) {
        return r;
    }
    SectionDirectory dir;
    if (auto r = readSectionMap(data, pages, dir); !r.ok()) {
        return r;
    }
    const PageReader reader = [&file](const SectionInfo& s, const SectionPage& p, std::size_t limit,
                                      std::vector<std::uint8_t>& bytes, std::string& why,
                                      std::vector<std::string>& warnings) {
        return readPage2004(file, s, p, limit, bytes, why, warnings);
    };
    return assembleSections(dir, reader, limits, out);
}

} // namespace dsc::dwg
