#pragma once
// Locates the preview image stored in a drawing (.dwg, releases 13 to 2018) reading only the
// file header, the preview block's head and directory, and the chosen image.

#include "formats/core/bytesource.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dsc {

enum class DwgPreviewStatus {
    Ok,
    OlderRelease, // a drawing from before release 13: no preview in that format
    NoPreview,    // block present but holds no raster image (empty, header only, metafile only)
    Damaged,      // sentinel or directory inconsistent with the file
    NotADrawing,  // no drawing version text
    Unreadable    // the file could not be read
};

std::string describe(DwgPreviewStatus status);

enum class DwgImageKind : std::uint8_t { None = 0, Header = 1, Bmp = 2, Wmf = 3, Png = 6 };

std::string kindName(DwgImageKind kind);

struct DwgDirectoryEntry {
    std::uint8_t code = 0;
    std::uint32_t start = 0;
    std::uint32_t size = 0;
};

struct DwgPreview {
    DwgPreviewStatus status = DwgPreviewStatus::Unreadable;
    std::string detail; // why, in English, for logs and the command-line tool
    std::string version;
    std::string release; // "R13", "2018"…, empty when unknown
    std::uint32_t seeker = 0;
    std::uint32_t overallSize = 0;
    std::vector<DwgDirectoryEntry> entries;
    int chosen = -1; // index into entries
    DwgImageKind kind = DwgImageKind::None;
    int width = 0;
    int height = 0;
    int bitCount = 0;                // BMP only
    std::vector<std::uint8_t> image; // the chosen entry's bytes

    bool ok() const { return status == DwgPreviewStatus::Ok; }
};

// Release name for a version text, or empty when it is not a release with a preview block.
std::string dwgReleaseName(const std::string& version);

DwgPreview readDwgPreview(ByteSource& source);

} // namespace dsc
