#include "fileview.h"

namespace dsc {

FileKind fileKind(const std::filesystem::path& path) {
    const auto& native = path.native();
    const auto c = native.empty() ? 0 : native.back();
    switch (c) {
    case 'b':
    case 'B':
        return FileKind::Library;
    case 'd':
    case 'D':
        return FileKind::Slide;
    case 'g':
    case 'G':
        return FileKind::Drawing;
    default:
        return FileKind::Other;
    }
}

namespace {

// Refuses every read once the result is stale, so a preview being decoded stops at its next read
// of the file rather than going on through it; the readers take a refused read as the end of data.
class StaleGuardedSource : public ByteSource {
public:
    StaleGuardedSource(std::unique_ptr<ByteSource> inner, const StaleCheck& stale)
        : m_inner(std::move(inner)), m_stale(stale) {}
    std::uint64_t size() const override { return m_inner->size(); }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        return !m_stale() && m_inner->readAt(offset, out);
    }

private:
    std::unique_ptr<ByteSource> m_inner;
    const StaleCheck& m_stale;
};

// Opens `path` unless the read is already stale, and hands it over only if it is still wanted once
// open: the opening itself may have waited long on a far share.
std::unique_ptr<ByteSource> openUnlessStale(platform::FileSystem& fs, const std::filesystem::path& path,
                                            const StaleCheck& stale) {
    if (stale()) {
        return nullptr;
    }
    auto source = fs.openFile(path);
    if (!source || stale()) {
        return nullptr;
    }
    return std::make_unique<StaleGuardedSource>(std::move(source), stale);
}

bool never() {
    return false;
}

} // namespace

SlidePicture readSlidePicture(platform::FileSystem& fs, const SlideReference& ref, QSize viewerPixels,
                              const StaleCheck& stale) {
    const StaleCheck& isStale = stale ? stale : StaleCheck(never);
    SlidePicture out;
    if (auto source = openUnlessStale(fs, ref.file, isStale)) {
        out.loaded = loadSlide(*source, ref);
    } else {
        out.loaded.status = SlideLoadStatus::Unreadable;
    }
    if (!viewerPixels.isEmpty() && !isStale()) {
        out.picture = drawSlidePicture(out.loaded.ok() ? &out.loaded.slide : nullptr, viewerPixels);
    }
    return out;
}

FileView readFileView(platform::FileSystem& fs, const std::filesystem::path& path, QSize viewerPixels,
                      const StaleCheck& stale) {
    // Every call below may wait long on a far share: each is made only while the result is wanted.
    FileView view;
    view.kind = fileKind(path);
    if (stale()) {
        return view;
    }
    view.times = fs.fileTimes(path);
    if (stale()) {
        return view;
    }
    view.size = fs.fileSize(path);
    switch (view.kind) {
    case FileKind::Library:
        if (auto source = openUnlessStale(fs, path, stale)) {
            view.names = scanLibraryNames(*source);
        }
        break;
    case FileKind::Slide:
        view.slide = readSlidePicture(fs, {path, {}, false}, viewerPixels, stale);
        break;
    case FileKind::Drawing:
        // Null when it cannot be opened, which the preview tells.
        view.drawing = loadDrawingPreview(openUnlessStale(fs, path, stale).get(), geometryBoxFor(viewerPixels));
        break;
    case FileKind::Other:
        break;
    }
    return view;
}

} // namespace dsc
