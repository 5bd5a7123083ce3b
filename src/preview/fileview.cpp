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

SlidePicture readSlidePicture(platform::FileSystem& fs, const SlideReference& ref, QSize viewerPixels) {
    SlidePicture out;
    if (auto source = fs.openFile(ref.file)) {
        out.loaded = loadSlide(*source, ref);
    } else {
        out.loaded.status = SlideLoadStatus::Unreadable;
    }
    if (!viewerPixels.isEmpty()) {
        out.picture = drawSlidePicture(out.loaded.ok() ? &out.loaded.slide : nullptr, viewerPixels);
    }
    return out;
}

FileView readFileView(platform::FileSystem& fs, const std::filesystem::path& path, QSize viewerPixels,
                      const StaleCheck& stale) {
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
    if (stale()) {
        return view;
    }
    switch (view.kind) {
    case FileKind::Library:
        if (auto source = fs.openFile(path); source && !stale()) {
            view.names = scanLibraryNames(*source);
        }
        break;
    case FileKind::Slide:
        view.slide = readSlidePicture(fs, {path, {}, false}, viewerPixels);
        break;
    case FileKind::Drawing:
        view.drawing = loadDrawingPreview(fs.openFile(path).get(), geometryBoxFor(viewerPixels));
        break;
    case FileKind::Other:
        break;
    }
    return view;
}

} // namespace dsc
