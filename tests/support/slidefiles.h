#pragma once
// Slides loaded from a reference's text form, as the command-line tool takes them.

#include "formats/slides/slidereference.h"
#include "platform/filesource.h"

#include <string>

namespace dsc::test {

inline LoadedSlide loadSlideText(const std::string& reference, bool firstMember = false) {
    return platform::loadSlideFile(parseSlideReference(reference), firstMember);
}

} // namespace dsc::test
