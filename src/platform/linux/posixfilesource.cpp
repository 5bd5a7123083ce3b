// File reading on POSIX systems: open without blocking, check the opened descriptor, pread.
#include "platform/filesource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace dsc::platform {

FileSource::~FileSource() {
    close();
}

bool FileSource::open(const std::filesystem::path& path) {
    close();
    // O_NONBLOCK: a FIFO opened for reading would otherwise wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    m_handle = fd;
    m_size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

void FileSource::close() {
    if (m_handle != kNoHandle) {
        ::close(static_cast<int>(m_handle));
        m_handle = kNoHandle;
    }
    m_size = 0;
}

bool FileSource::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (m_handle == kNoHandle || offset > m_size || out.size() > m_size - offset) {
        return false;
    }
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(static_cast<int>(m_handle), out.data() + done, out.size() - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false; // an error, or the file shrank since it was opened
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::vector<std::filesystem::path> commandLineArguments(int argc, char** argv) {
    return std::vector<std::filesystem::path>(argv + 1, argv + argc);
}

} // namespace dsc::platform
