// The container of release 2007. The file header at 0x80 is Reed-Solomon protected and compressed;
// it gives the page map and the section map, both stored the same way from 0x480 on. The page map
// lists every page's size in turn, the section map names the sections and lists their pages.
// Damage is found by the Reed-Solomon check bytes alone (reported, never corrected); the CRCs and
// checksums the header and the section map also give are not verified.
#include "formats/dwg/r2004/assembly.h"
#include "formats/dwg/r2004/pageddrawing.h"
#include "formats/dwg/r2007/lz77ac21.h"
#include "formats/dwg/r2007/reedsolomon.h"

#include <array>
#include <map>

namespace dsc::dwg {

namespace {

constexpr std::uint64_t kHeaderAt = 0x80;
constexpr std::size_t kHeaderBytes = 0x3D8;                             // three interleaved blocks and padding
constexpr std::size_t kSystemData = kRsBlock - checkBytes(RsCode::Map); // the header's and maps' blocks
constexpr std::size_t kPageData = kRsBlock - checkBytes(RsCode::Page);  // data pages' blocks
constexpr std::size_t kHeaderData = 3 * kSystemData;                    // the header's data bytes
constexpr std::size_t kMetadataSize = 0x110;                            // the header's fields, once decompressed
constexpr std::uint64_t kPagesStart = 0x480;                            // where page offsets count from
// Maps are a few kB in real files, data pages around 0xF800 bytes (some a little more); these bound
// what one may claim.
constexpr std::uint64_t kMaxSystemPage = 4u << 20;
constexpr std::uint64_t kMaxCorrection = 16;
constexpr std::uint64_t kMaxPage = 1u << 20;

std::uint64_t le64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(le32(p)) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
}

ContainerResult fail(ContainerError e, std::string detail) {
    return {e, std::move(detail)};
}

// Where a map lies (from 0x480) and how it is stored.
struct SystemPage {
    std::uint64_t offset = 0;
    std::uint64_t compressed = 0;
    std::uint64_t size = 0;
    std::uint64_t correction = 0; // the stored data is its compressed size, rounded up to 8, times this
};

struct FileHeader2007 {
    SystemPage pageMap;
    SystemPage sectionMap; // its offset comes from the page map, by id
    std::uint64_t sectionMapId = 0;
};

ContainerResult readFileHeader(ByteSource& file, FileHeader2007& h, PagedDrawing& out) {
    std::vector<std::uint8_t> encoded;
    if (!file.readVector(kHeaderAt, kHeaderBytes, encoded)) {
        return fail(ContainerError::BadFileHeader, "file shorter than its header");
    }
    if (const std::size_t damaged = damagedBlocks(encoded, 3, RsCode::Map); damaged != 0) {
        out.warnings.push_back("file header: " + std::to_string(damaged) + " of 3 blocks fail their check");
    }
    std::vector<std::uint8_t> data;
    deinterleave(encoded, 3, kSystemData, kHeaderData, data);
    // 32 bytes of checks and sizes, then the fields, compressed (a negative length: stored as is).
    const auto length = static_cast<std::int32_t>(le32(&data[24]));
    const std::uint64_t stored =
        length < 0 ? 0 - static_cast<std::int64_t>(length) : static_cast<std::uint64_t>(length);
    if (length == 0 || stored > kHeaderData - 32) {
        return fail(ContainerError::BadFileHeader, "file header's data length out of range");
    }
    const std::span<const std::uint8_t> payload(data.data() + 32, static_cast<std::size_t>(stored));
    std::vector<std::uint8_t> fields;
    if (length > 0) {
        if (const Lz77Error e = decompressAc21(payload, kMetadataSize, fields); e != Lz77Error::None) {
            return fail(ContainerError::BadFileHeader, "file header: " + describe(e));
        }
    } else {
        fields.assign(payload.begin(), payload.end());
    }
    fields.resize(kMetadataSize, 0);
    h.pageMap.correction = le64(&fields[0x18]);
    h.pageMap.offset = le64(&fields[0x38]);
    h.pageMap.compressed = le64(&fields[0x50]);
    h.pageMap.size = le64(&fields[0x58]);
    h.sectionMap.compressed = le64(&fields[0xB0]);
    h.sectionMapId = le64(&fields[0xC0]);
    h.sectionMap.size = le64(&fields[0xC8]);
    h.sectionMap.correction = le64(&fields[0xD8]);
    return {};
}

// A map: Reed-Solomon blocks of 239 data bytes and 16 check bytes, the data compressed.
ContainerResult readSystemPage(ByteSource& file, const SystemPage& page, ContainerError onError, const char* what,
                               PagedDrawing& out, std::vector<std::uint8_t>& data) {
    const std::string name(what);
    if (page.compressed == 0 || page.size == 0) {
        return fail(onError, name + " is empty");
    }
    if (page.compressed > kMaxSystemPage || page.size > kMaxSystemPage) {
        return fail(ContainerError::TooLarge, name + " larger than any real one");
    }
    if (page.correction == 0 || page.correction > kMaxCorrection) {
        return fail(onError, name + ": correction factor out of range");
    }
    const std::uint64_t stored = ((page.compressed + 7) & ~std::uint64_t{7}) * page.correction;
    const std::uint64_t blocks = (stored + kSystemData - 1) / kSystemData;
    if (page.offset > file.size()) {
        return fail(onError, name + " beyond the end of the file");
    }
    std::vector<std::uint8_t> encoded;
    if (!file.readVector(kPagesStart + page.offset, blocks * kRsBlock, encoded)) {
        return fail(onError, name + " cut short");
    }
    if (const std::size_t damaged = damagedBlocks(encoded, blocks, RsCode::Map); damaged != 0) {
        out.warnings.push_back(name + ": " + std::to_string(damaged) + " of " + std::to_string(blocks) +
                               " blocks fail their check");
    }
    std::vector<std::uint8_t> raw;
    deinterleave(encoded, blocks, kSystemData, static_cast<std::size_t>(page.compressed), raw);
    if (const Lz77Error e = decompressAc21(raw, static_cast<std::size_t>(page.size), data); e != Lz77Error::None) {
        return fail(onError, name + ": " + describe(e));
    }
    return {};
}

struct PageSpan {
    std::uint64_t offset = 0; // from 0x480
    std::uint64_t size = 0;
};

// Pairs of (size, id), the pages following one another from 0x480.
ContainerResult readPageMap(const std::vector<std::uint8_t>& data, std::uint64_t fileSize,
                            std::map<std::int64_t, PageSpan>& pages) {
    std::uint64_t offset = 0;
    for (std::size_t pos = 0; pos + 16 <= data.size(); pos += 16) {
        const auto size = static_cast<std::int64_t>(le64(&data[pos]));
        const auto id = static_cast<std::int64_t>(le64(&data[pos + 8]));
        if (size < 0 || id == INT64_MIN) {
            return fail(ContainerError::BadPageMap, "a page of negative size");
        }
        if (kPagesStart + offset > fileSize) {
            return fail(ContainerError::BadPageMap, "page map runs past the end of the file");
        }
        pages[id < 0 ? -id : id] = {offset, static_cast<std::uint64_t>(size)};
        if (static_cast<std::uint64_t>(size) > fileSize) {
            return fail(ContainerError::BadPageMap, "a page larger than the file");
        }
        offset += static_cast<std::uint64_t>(size);
    }
    return {};
}

// Each section: eight 64-bit fields, its name in UTF-16, then seven 64-bit fields per page.
ContainerResult readSectionMap(const std::vector<std::uint8_t>& data, const std::map<std::int64_t, PageSpan>& pages,
                               SectionDirectory& dir) {
    constexpr std::size_t kDescription = 64;
    constexpr std::size_t kPage = 56;
    std::size_t pos = 0;
    while (pos < data.size()) {
        if (data.size() - pos < kDescription) {
            return fail(ContainerError::BadSectionMap, "section map cut short");
        }
        const std::uint8_t* d = &data[pos];
        SectionInfo s;
        s.size = le64(d);
        s.maxPageSize = le64(d + 8);
        s.encrypted = le64(d + 16) != 0;
        const std::uint64_t nameBytes = le64(d + 32);
        s.encoding = le64(d + 48);
        const std::uint64_t pageCount = le64(d + 56);
        pos += kDescription;
        if (nameBytes > data.size() - pos) {
            return fail(ContainerError::BadSectionMap, "a section name longer than the map");
        }
        for (std::size_t i = 0; i + 1 < nameBytes; i += 2) {
            const std::uint16_t unit = le16(&data[pos + i]);
            if (unit == 0) {
                break;
            }
            s.name.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
        }
        pos += static_cast<std::size_t>(nameBytes);
        if (pageCount > (data.size() - pos) / kPage) {
            return fail(ContainerError::BadSectionMap, "section " + s.name + " lists more pages than the map holds");
        }
        for (std::uint64_t k = 0; k < pageCount; ++k, pos += kPage) {
            const std::uint8_t* q = &data[pos];
            SectionPage p;
            p.startOffset = le64(q);
            p.number = static_cast<std::int64_t>(le64(q + 16));
            p.size = le64(q + 24);
            p.compressedSize = le64(q + 32);
            const auto where = pages.find(p.number);
            if (where == pages.end()) {
                return fail(ContainerError::BadSectionMap, "section " + s.name + " names a page the page map lacks");
            }
            p.fileOffset = kPagesStart + where->second.offset;
            p.storedSize = where->second.size;
            s.pages.push_back(p);
        }
        if (!s.name.empty()) {
            dir.sections.push_back(std::move(s));
        }
    }
    return {};
}

// A data page: plain, or (encoding 4) in blocks of 251 data bytes and 4 check bytes; compressed
// unless its stored and decompressed sizes agree.
bool readPage2007(ByteSource& file, const SectionInfo& section, const SectionPage& page, std::size_t limit,
                  std::vector<std::uint8_t>& data, std::string& why, std::vector<std::string>& warnings) {
    const std::string where = section.name + " page " + std::to_string(page.number);
    const std::uint64_t stored = page.compressedSize;
    if (stored == 0) {
        why = "stores no bytes";
        return false;
    }
    // Compression never grows data by more than a fraction; more is not a real page.
    if (stored > kMaxPage || stored > 2 * static_cast<std::uint64_t>(limit) + 64) {
        why = "larger than any real page";
        return false;
    }
    std::vector<std::uint8_t> raw;
    if (section.encoding == 4) {
        const std::uint64_t blocks = (((stored + 7) & ~std::uint64_t{7}) + kPageData - 1) / kPageData;
        std::vector<std::uint8_t> encoded;
        if (blocks * kRsBlock > page.storedSize) {
            why = "its blocks are larger than the page";
            return false;
        }
        if (!file.readVector(page.fileOffset, blocks * kRsBlock, encoded)) {
            why = "beyond the end of the file";
            return false;
        }
        if (const std::size_t damaged = damagedBlocks(encoded, blocks, RsCode::Page); damaged != 0) {
            warnings.push_back(where + ": " + std::to_string(damaged) + " of " + std::to_string(blocks) +
                               " blocks fail their check");
        }
        deinterleave(encoded, blocks, kPageData, static_cast<std::size_t>(stored), raw);
    } else if (section.encoding == 1) {
        if (!file.readVector(page.fileOffset, stored, raw)) {
            why = "beyond the end of the file";
            return false;
        }
    } else {
        why = "stored in an unknown encoding";
        return false;
    }
    if (stored == page.size) {
        raw.resize(std::min(raw.size(), limit));
        data = std::move(raw);
        return true;
    }
    const Lz77Error e = decompressAc21(raw, limit, data);
    if (e == Lz77Error::Truncated && !data.empty()) {
        // What came before the cut is kept: the objects in it may still be whole.
        warnings.push_back(where + ": " + describe(e));
    } else if (e != Lz77Error::None) {
        why = describe(e);
        return false;
    }
    return true;
}

} // namespace

ContainerResult readContainer2007(ByteSource& file, const GeometryLimits& limits, PagedDrawing& out) {
    FileHeader2007 header;
    if (auto r = readFileHeader(file, header, out); !r.ok()) {
        return r;
    }
    std::vector<std::uint8_t> data;
    if (auto r = readSystemPage(file, header.pageMap, ContainerError::BadPageMap, "page map", out, data); !r.ok()) {
        return r;
    }
    std::map<std::int64_t, PageSpan> pages;
    if (auto r = readPageMap(data, file.size(), pages); !r.ok()) {
        return r;
    }
    const auto sectionMap = pages.find(static_cast<std::int64_t>(header.sectionMapId));
    if (header.sectionMapId > INT64_MAX || sectionMap == pages.end()) {
        return fail(ContainerError::BadSectionMap, "the page map lacks the section map's page");
    }
    header.sectionMap.offset = sectionMap->second.offset;
    if (auto r = readSystemPage(file, header.sectionMap, ContainerError::BadSectionMap, "section map", out, data);
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
        return readPage2007(file, s, p, limit, bytes, why, warnings);
    };
    return assembleSections(dir, reader, limits, out);
}

} // namespace dsc::dwg
