#include "slidereference.h"

#include "slidelibrary.h"

#include <algorithm>

namespace dsc {

SlideReference parseSlideReference(const std::string& reference) {
    SlideReference ref;
    ref.file = reference;
    if (reference.empty() || reference.back() != ')') {
        return ref;
    }
    std::size_t fallback = reference.rfind('(');
    if (fallback == std::string::npos) {
        return ref;
    }
    std::size_t split = fallback;
    for (std::size_t pos = fallback;; --pos) {
        pos = reference.rfind('(', pos);
        if (pos == std::string::npos) {
            break;
        }
        std::error_code ec;
        if (std::filesystem::is_regular_file(std::filesystem::path(reference.substr(0, pos)), ec)) {
            split = pos;
            break;
        }
        if (pos == 0) {
            break;
        }
    }
    ref.file = reference.substr(0, split);
    ref.member = reference.substr(split + 1, reference.size() - split - 2);
    ref.isLibraryMember = true;
    return ref;
}

std::string describe(SlideLoadStatus status) {
    switch (status) {
    case SlideLoadStatus::Ok:
        return "slide loaded";
    case SlideLoadStatus::Empty:
        return "no slide named";
    case SlideLoadStatus::Unreadable:
        return "file cannot be read";
    case SlideLoadStatus::NotASlide:
        return "not a slide";
    case SlideLoadStatus::NotALibrary:
        return "not a slide library";
    case SlideLoadStatus::NoSuchSlide:
        return "no slide of that name in the library";
    case SlideLoadStatus::TooLarge:
        return "file too large for a slide";
    }
    return "unknown";
}

LoadedSlide loadSlide(const std::string& reference, bool firstMember) {
    LoadedSlide out;
    const SlideReference ref = parseSlideReference(reference);
    if (ref.file.empty()) {
        return out;
    }
    FileSource source;
    if (!source.open(ref.file)) {
        out.status = SlideLoadStatus::Unreadable;
        return out;
    }
    std::uint8_t head[32] = {};
    const bool headRead = source.readAt(0, std::span(head, std::min<std::uint64_t>(32, source.size())));
    if (!headRead) {
        out.status = SlideLoadStatus::Unreadable;
        return out;
    }
    const bool isLibrary = looksLikeSlideLibrary(std::span(head, std::min<std::uint64_t>(32, source.size())));
    std::vector<std::uint8_t> bytes;
    std::size_t endHint = 0;
    if (ref.isLibraryMember || (isLibrary && firstMember)) {
        if (!isLibrary) {
            out.status = SlideLoadStatus::NotALibrary;
            return out;
        }
        const auto dir = readSlideLibraryDirectory(source);
        const SlideLibraryEntry* entry = nullptr;
        if (ref.isLibraryMember) {
            entry = findSlide(dir, ref.member);
        } else if (!dir.entries.empty()) {
            entry = &dir.entries.front();
        }
        if (!entry) {
            out.status = SlideLoadStatus::NoSuchSlide;
            return out;
        }
        if (!readSlideMember(source, *entry, kMaxSlideBytes, bytes)) {
            out.status = SlideLoadStatus::Unreadable;
            return out;
        }
        // The next member's start, when known, bounds this one (helps old headers only).
        std::uint64_t next = source.size();
        for (const auto& e : dir.entries) {
            if (e.offset > entry->offset && e.offset < next) {
                next = e.offset;
            }
        }
        endHint = static_cast<std::size_t>(std::min<std::uint64_t>(next - entry->offset, bytes.size()));
    } else {
        if (source.size() > kMaxSlideBytes) {
            out.status = SlideLoadStatus::TooLarge;
            return out;
        }
        if (!source.readVector(0, source.size(), bytes)) {
            out.status = SlideLoadStatus::Unreadable;
            return out;
        }
    }
    out.slide = readSlide(bytes, {}, endHint);
    out.status = out.slide.hasHeader() ? SlideLoadStatus::Ok : SlideLoadStatus::NotASlide;
    return out;
}

} // namespace dsc
