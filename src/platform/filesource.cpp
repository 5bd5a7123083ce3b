#include "filesource.h"

namespace dsc::platform {

FileSource::~FileSource() {
    close();
}

void FileSource::close() {
    if (m_handle != kNoHandle) {
        release(m_handle);
        m_handle = kNoHandle;
    }
    m_size = 0;
}

bool FileSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (m_handle == kNoHandle || offset > m_size || out.size() > m_size - offset) {
        return false;
    }
    for (std::size_t done = 0; done < out.size();) {
        const std::size_t n = readSome(m_handle, offset + done, out.data() + done, out.size() - done);
        if (n == 0) {
            return false; // an error, or the file shrank since it was opened
        }
        done += n;
    }
    return true;
}

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
