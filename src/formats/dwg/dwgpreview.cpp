#include "formats/dwg/dwgpreview.h"

#include "formats/raster/dib.h"

#include <array>
#include <cstring>

namespace dsc {

namespace {

constexpr std::uint8_t kStartSentinel[16] = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28,
                                             0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::uint64_t kMaxImageBytes = 256ull << 20;

struct Release {
    const char* version;
    const char* name;
};
constexpr std::array<Release, 8> kReleases = {{{"AC1012", "R13"},
                                               {"AC1014", "R14"},
                                               {"AC1015", "2000"},
                                               {"AC1018", "2004"},
                                               {"AC1021", "2007"},
                                               {"AC1024", "2010"},
                                               {"AC1027", "2013"},
                                               {"AC1032", "2018"}}};

bool isOlderVersion(const std::uint8_t* v) {
    // AC1001..AC1009, AC1.x / AC2.x, MC0.0
    if (std::memcmp(v, "AC100", 5) == 0 && v[5] >= '0' && v[5] <= '9') {
        return true;
    }
    if (std::memcmp(v, "AC1.", 4) == 0 || std::memcmp(v, "AC2.", 4) == 0) {
        return true;
    }
    return std::memcmp(v, "MC0.0", 5) == 0;
}

// Takes `p` by reference so that a detail built from its fields is complete before `p` moves:
// the order in which a call's arguments are evaluated is unspecified.
DwgPreview fail(DwgPreview& p, DwgPreviewStatus status, std::string detail) {
    p.status = status;
    p.detail = std::move(detail);
    p.image.clear();
    return std::move(p);
}

// Reads enough of an image entry to know its dimensions; false when it is not a usable image.
bool probeImage(ByteSource& src, const DwgDirectoryEntry& e, int& width, int& height, int& bitCount) {
    if (e.code == static_cast<std::uint8_t>(DwgImageKind::Bmp)) {
        std::uint8_t head[40];
        if (e.size < sizeof head || !src.readAt(e.start, head)) {
            return false;
        }
        DibInfo info;
        if (inspectDib(head, e.size, info) != DibError::None) {
            return false;
        }
        width = info.width;
        height = info.height;
        bitCount = info.bitCount;
        return true;
    }
    if (e.code == static_cast<std::uint8_t>(DwgImageKind::Png)) {
        std::uint8_t head[24];
        if (e.size < sizeof head || !src.readAt(e.start, head)) {
            return false;
        }
        if (std::memcmp(head, kPngSignature, 8) != 0 || std::memcmp(head + 12, "IHDR", 4) != 0) {
            return false;
        }
        const auto w = be32(head + 16), h = be32(head + 20);
        if (w == 0 || h == 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) {
            return false;
        }
        width = static_cast<int>(w);
        height = static_cast<int>(h);
        bitCount = 0;
        return true;
    }
    return false;
}

} // namespace

std::string describe(DwgPreviewStatus status) {
    switch (status) {
    case DwgPreviewStatus::Ok:
        return "preview found";
    case DwgPreviewStatus::OlderRelease:
        return "drawing from a release older than R13: no stored preview";
    case DwgPreviewStatus::NoPreview:
        return "no preview image stored in this drawing";
    case DwgPreviewStatus::Damaged:
        return "preview block damaged";
    case DwgPreviewStatus::NotADrawing:
        return "not a drawing";
    case DwgPreviewStatus::Unreadable:
        return "file cannot be read";
    }
    return "unknown";
}

std::string kindName(DwgImageKind kind) {
    switch (kind) {
    case DwgImageKind::Header:
        return "header";
    case DwgImageKind::Bmp:
        return "bmp";
    case DwgImageKind::Wmf:
        return "wmf";
    case DwgImageKind::Png:
        return "png";
    case DwgImageKind::None:
        break;
    }
    return "none";
}

std::string dwgReleaseName(const std::string& version) {
    for (const auto& r : kReleases) {
        if (version == r.version) {
            return r.name;
        }
    }
    return {};
}

DwgPreview readDwgPreview(ByteSource& src) {
    DwgPreview p;
    std::uint8_t head[0x15];
    if (src.size() < 6) {
        return fail(p, DwgPreviewStatus::NotADrawing, "file shorter than a version text");
    }
    if (src.size() < sizeof head) {
        std::uint8_t v[6];
        if (!src.readAt(0, v)) {
            return fail(p, DwgPreviewStatus::Unreadable, "cannot read the version text");
        }
        return fail(p, isOlderVersion(v) ? DwgPreviewStatus::OlderRelease : DwgPreviewStatus::NotADrawing,
                    "file shorter than a drawing header");
    }
    if (!src.readAt(0, head)) {
        return fail(p, DwgPreviewStatus::Unreadable, "cannot read the file header");
    }
    if (std::memcmp(head, "AC", 2) != 0 && std::memcmp(head, "MC", 2) != 0) {
        return fail(p, DwgPreviewStatus::NotADrawing, "no drawing version text");
    }
    for (int i = 0; i < 6 && head[i] >= 0x20 && head[i] < 0x7F; ++i) {
        p.version.push_back(static_cast<char>(head[i]));
    }
    if (isOlderVersion(head)) {
        return fail(p, DwgPreviewStatus::OlderRelease, "version " + p.version + " predates R13");
    }
    p.release = dwgReleaseName(p.version);
    if (p.release.empty()) {
        return fail(p, DwgPreviewStatus::NotADrawing, "unknown drawing version " + p.version);
    }
    p.seeker = le32(head + 0x0D);
    const std::uint64_t fileSize = src.size();
    const std::uint64_t seeker = p.seeker;
    if (seeker + 21 > fileSize) {
        return fail(p, DwgPreviewStatus::Damaged, "preview address past the end of the file");
    }
    std::uint8_t block[21];
    if (!src.readAt(seeker, block)) {
        return fail(p, DwgPreviewStatus::Unreadable, "cannot read the preview block");
    }
    if (std::memcmp(block, kStartSentinel, 16) != 0) {
        return fail(p, DwgPreviewStatus::Damaged, "preview start sentinel missing");
    }
    p.overallSize = le32(block + 16);
    const std::uint8_t count = block[20];
    const std::uint64_t blockEnd = seeker + 20 + std::uint64_t{p.overallSize}; // where the end sentinel starts
    if (blockEnd > fileSize) {
        return fail(p, DwgPreviewStatus::Damaged, "preview block runs past the end of the file");
    }
    const std::uint64_t directoryEnd = seeker + 21 + 9ull * count;
    if (directoryEnd > blockEnd) {
        return fail(p, DwgPreviewStatus::Damaged, "directory larger than the preview block");
    }
    std::vector<std::uint8_t> dir;
    if (!src.readVector(seeker + 21, 9ull * count, dir)) {
        return fail(p, DwgPreviewStatus::Unreadable, "cannot read the preview directory");
    }
    for (std::uint8_t i = 0; i < count; ++i) {
        const std::uint8_t* e = dir.data() + 9 * i;
        p.entries.push_back({e[0], le32(e + 1), le32(e + 5)});
    }
    for (const auto& e : p.entries) {
        const std::uint64_t start = e.start, end = start + e.size;
        if (start < directoryEnd || end > blockEnd) {
            return fail(p, DwgPreviewStatus::Damaged, "directory entry outside the preview block");
        }
    }
    // Choose the valid raster image with the largest area; the first one on ties.
    std::uint64_t bestArea = 0;
    for (std::size_t i = 0; i < p.entries.size(); ++i) {
        int w = 0, h = 0, bpp = 0;
        if (!probeImage(src, p.entries[i], w, h, bpp)) {
            continue;
        }
        const std::uint64_t area = std::uint64_t(w) * std::uint64_t(h);
        if (p.chosen < 0 || area > bestArea) {
            p.chosen = static_cast<int>(i);
            bestArea = area;
            p.width = w;
            p.height = h;
            p.bitCount = bpp;
        }
    }
    if (p.chosen < 0) {
        bool hasImageEntry = false, hasWmf = false;
        for (const auto& e : p.entries) {
            hasImageEntry |= e.code == 2 || e.code == 6;
            hasWmf |= e.code == 3;
        }
        if (hasImageEntry) {
            return fail(p, DwgPreviewStatus::Damaged, "preview image invalid");
        }
        return fail(p, DwgPreviewStatus::NoPreview,
                    p.entries.empty() ? "preview block is empty"
                                      : (hasWmf ? "only a metafile preview is stored" : "only header data is stored"));
    }
    const auto& e = p.entries[static_cast<std::size_t>(p.chosen)];
    if (e.size > kMaxImageBytes) {
        return fail(p, DwgPreviewStatus::Damaged, "preview image too large");
    }
    if (!src.readVector(e.start, e.size, p.image)) {
        return fail(p, DwgPreviewStatus::Unreadable, "cannot read the preview image");
    }
    p.kind = static_cast<DwgImageKind>(e.code);
    p.status = DwgPreviewStatus::Ok;
    p.detail = describe(p.status);
    return p;
}

} // namespace dsc
