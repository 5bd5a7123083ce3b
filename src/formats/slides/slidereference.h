#pragma once
// Resolves a slide reference: a slide file's path, or a library's path followed by a member name
// in parentheses ("…/SYMBOLES.SLB(PORTE)").

#include "formats/core/bytesource.h"
#include "formats/slides/slide.h"

#include <filesystem>

#include <string>

namespace dsc {

// A slide file, or one slide of a library.
struct SlideReference {
    std::filesystem::path file;
    std::string member; // the directory name as stored (bytes); empty for a stand-alone slide
    bool isLibraryMember = false;
    bool operator==(const SlideReference&) const = default;
};

// The text form "LIBRARY(NAME)", as typed on a command line (native path text). An existing file
// whose name ends in ")" is that file; otherwise the split is at the last "(" whose prefix names
// an existing file, or at the last "(" when none does.
SlideReference parseSlideReference(const std::filesystem::path& reference);

enum class SlideLoadStatus { Ok, Empty, Unreadable, NotASlide, NotALibrary, NoSuchSlide, TooLarge };

std::string describe(SlideLoadStatus status);

struct LoadedSlide {
    SlideLoadStatus status = SlideLoadStatus::Empty;
    Slide slide;
    bool ok() const { return status == SlideLoadStatus::Ok; }
};

constexpr std::uint64_t kMaxSlideBytes = 64ull << 20;

// Loads the slide a reference names from `source`, the opened `ref.file`. For a bare library (no
// member) `firstMember` picks its first slide; otherwise a bare library is not a slide.
LoadedSlide loadSlide(ByteSource& source, const SlideReference& ref, bool firstMember = false);

} // namespace dsc
