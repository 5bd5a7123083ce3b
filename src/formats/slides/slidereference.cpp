#include "formats/slides/slidereference.h"

#include "formats/slides/slidelibrary.h"

#include <algorithm>

namespace dsc {

SlideReference parseSlideReference(const std::filesystem::path& reference) {
    using Char = std::filesystem::path::value_type;
    SlideReference ref;
    ref.file = reference;
    const auto& text = reference.native();
    std::error_code ec;
    if (text.empty() || text.back() != Char(')') || std::filesystem::is_regular_file(reference, ec)) {
        return ref;
    }
    const std::size_t fallback = text.rfind(Char('('));
    if (fallback == text.npos) {
        return ref;
    }
    std::size_t split = fallback;
    for (std::size_t pos = fallback;; --pos) {
        pos = text.rfind(Char('('), pos);
        if (pos == text.npos) {
            break;
        }
        if (std::filesystem::is_regular_file(std::filesystem::path(text.substr(0, pos)), ec)) {
            split = pos;
            break;
        }
        if (pos == 0) {
            break;
        }
    }
    ref.file = text.substr(0, split);
    // Member names are the directory's bytes: ASCII in practice, and Windows-1252 for the rest.
    const auto member = text.substr(split + 1, text.size() - split - 2);
    for (Char c : member) {
        ref.member.push_back(static_cast<char>(c));
    }
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
