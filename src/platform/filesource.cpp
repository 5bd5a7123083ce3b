#include "filesource.h"

namespace dsc::platform {

LoadedSlide loadSlideFile(const SlideReference& ref, bool firstMember) {
    LoadedSlide out;
    if (ref.file.empty()) {
        return out;
    }
    FileSource source;
    if (!source.open(ref.file)) {
        out.status = SlideLoadStatus::Unreadable;
        return out;
    }
    return loadSlide(source, ref, firstMember);
}

} // namespace dsc::platform
