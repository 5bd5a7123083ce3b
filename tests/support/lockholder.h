#pragma once
// Another process holding a file open for writing under an exclusive lock, as a CAD program
// holds the drawing it has open.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace dsc::test {

class LockHolder {
public:
    explicit LockHolder(const std::filesystem::path& path) {
        int ready[2];
        if (::pipe(ready) != 0) {
            return;
        }
        m_child = ::fork();
        if (m_child == 0) {
            ::close(ready[0]);
            const int fd = ::open(path.c_str(), O_RDWR);
            struct flock whole {};
            whole.l_type = F_WRLCK;
            whole.l_whence = SEEK_SET;
            const bool locked = fd >= 0 && ::flock(fd, LOCK_EX) == 0 && ::fcntl(fd, F_SETLK, &whole) == 0;
            const char answer = locked ? 'y' : 'n';
            (void)!::write(ready[1], &answer, 1);
            ::pause(); // until the test ends it
            ::_exit(0);
        }
        ::close(ready[1]);
        char answer = 'n';
        m_locked = m_child > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'y';
        ::close(ready[0]);
    }
    ~LockHolder() {
        if (m_child > 0) {
            ::kill(m_child, SIGKILL);
            ::waitpid(m_child, nullptr, 0);
        }
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    bool locked() const { return m_locked; }

private:
    pid_t m_child = -1;
    bool m_locked = false;
};

} // namespace dsc::test
