// File reading on POSIX systems: open without blocking, check the opened descriptor, pread.
#include "platform/filesource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace dsc::platform {

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

void FileSource::release(std::intptr_t handle) {
    ::close(static_cast<int>(handle));
}

std::size_t FileSource::readSome(std::intptr_t handle, std::uint64_t offset, std::uint8_t* out, std::size_t count) {
    while (true) {
        const ssize_t n = ::pread(static_cast<int>(handle), out, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }
}

std::vector<std::filesystem::path> commandLineArguments(int argc, char** argv) {
    return std::vector<std::filesystem::path>(argv + 1, argv + argc);
}

} // namespace dsc::platform
