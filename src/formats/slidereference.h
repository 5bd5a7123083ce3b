#pragma once
// Resolves a slide reference: a slide file's path, or a library's path followed by a member name
// in parentheses ("…/SYMBOLES.SLB(PORTE)").

#include "slide.h"

#include <string>

namespace dsc {

struct SlideReference {
    std::string file;   // native path bytes
    std::string member; // empty for a stand-alone slide
    bool isLibraryMember = false;
};

// Splits at the last "(" whose prefix names an existing file; falls back to the last "(" when
// none does. A reference not ending in ")" is a plain file.
SlideReference parseSlideReference(const std::string& reference);

enum class SlideLoadStatus { Ok, Empty, Unreadable, NotASlide, NotALibrary, NoSuchSlide, TooLarge };

std::string describe(SlideLoadStatus status);

struct LoadedSlide {
    SlideLoadStatus status = SlideLoadStatus::Empty;
    Slide slide;
    bool ok() const { return status == SlideLoadStatus::Ok; }
};

constexpr std::uint64_t kMaxSlideBytes = 64ull << 20;

// Loads the slide named by a reference. For a bare library (no member) `firstMember` picks its
// first slide; otherwise a bare library is not a slide.
LoadedSlide loadSlide(const std::string& reference, bool firstMember = false);

} // namespace dsc
