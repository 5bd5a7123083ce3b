#pragma once
// What the window shows of a selected file, read in one go off its thread: the file's facts, then
// its preview by kind.

#include "components/previewimages.h"
#include "formats/slides/slidelibrary.h"
#include "formats/slides/slidereference.h"
#include "platform/filesystem.h"

#include <QImage>
#include <QSize>

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace dsc {

// The kind of preview a file gets, by the last letter of its name in any case, as the window has
// always told them: "…B" a slide library, "…D" a slide, "…G" a drawing.
enum class FileKind { Other, Library, Slide, Drawing };
FileKind fileKind(const std::filesystem::path& path);

struct SlidePicture {
    LoadedSlide loaded;
    QImage picture; // drawn at the viewer's size; null when the viewer had none
};

struct FileView {
    FileKind kind = FileKind::Other;
    std::optional<std::uint64_t> size;
    platform::FileTimes times;
    std::vector<LibrarySlideName> names; // a library's; empty when it cannot be read
    SlidePicture slide;                  // a slide file
    DrawingPreviewImage drawing;         // a drawing
};

// Asked before each call on the file system, reads of the file included: true when the result is no
// longer wanted, and the rest is left unread.
using StaleCheck = std::function<bool()>;

// Reads the facts and preview of `path`; slides are drawn at `viewerPixels`.
FileView readFileView(platform::FileSystem& fs, const std::filesystem::path& path, QSize viewerPixels,
                      const StaleCheck& stale);

// Reads one slide (of a library, or a slide file) and draws it at `viewerPixels`; an empty `stale`
// is never stale.
SlidePicture readSlidePicture(platform::FileSystem& fs, const SlideReference& ref, QSize viewerPixels,
                              const StaleCheck& stale = {});

} // namespace dsc
