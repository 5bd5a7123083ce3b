#include "slidereference.h"

#include "slidelibrary.h"

#include <algorithm>

namespace dsc {

SlideReference parseSlideReference(const std::string& reference) {
    SlideReference ref;
    ref.file = reference;
    std::error_code ec;
    if (reference.empty() || reference.back() != ')' || std::filesystem::is_regular_file(ref.file, ec)) {
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

LoadedSlide loadSlide(ByteSource& source, const SlideReference& ref, bool firstMember) {
    LoadedSlide out;
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
        if (!readSlideMember(source, dir, *entry, kMaxSlideBytes, bytes)) {
            out.status = SlideLoadStatus::Unreadable;
            return out;
        }
        endHint = bytes.size(); // the member's exact extent: helps old headers guess their byte order
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
