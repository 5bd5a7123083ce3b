// File system services on Linux: POSIX directory reads, statx, and the mount table.
#include "platform/filesystem.h"
#include "platform/linux/mountnames.h"

#include <QFile>
#include <QSocketNotifier>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace dsc::platform {

namespace {

// 100-ns intervals between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochDelta = 116444736000000000LL;

// File systems such as tmpfs store any 64-bit second count: stamps outside what 100-ns intervals
// since 1601 can hold are clamped to the first or the last of them.
std::int64_t toFileTime(const struct statx_timestamp& t) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMaxSeconds = (kMax - kEpochDelta) / 10'000'000;
    constexpr std::int64_t kMinSeconds = -(kEpochDelta / 10'000'000);
    const std::int64_t seconds = t.tv_sec;
    if (seconds < kMinSeconds) {
        return 0;
    }
    if (seconds > kMaxSeconds) {
        return kMax;
    }
    const std::int64_t whole = kEpochDelta + seconds * 10'000'000;
    const std::int64_t fraction = t.tv_nsec / 100;
    return fraction > kMax - whole ? kMax : whole + fraction;
}

bool browsableMountPoint(const std::string& mp) {
    if (mp == "/" || mp == "/home") {
        return true;
    }
    for (const char* prefix : {"/media/", "/run/media/", "/mnt/"}) {
        if (mp.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return mp == "/mnt";
}

bool pseudoFileSystem(const std::string& type) {
    static const std::set<std::string> kPseudo = {
        "proc",   "sysfs",       "devtmpfs", "devpts",     "tmpfs",   "cgroup",       "cgroup2",   "securityfs",
        "pstore", "debugfs",     "tracefs",  "configfs",   "fusectl", "mqueue",       "hugetlbfs", "bpf",
        "autofs", "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs",    "overlay_meta", "ramfs",     "squashfs"};
    return kPseudo.count(type) != 0;
}

// Labels of block devices, from the udev links under /dev/disk/by-label.
std::map<std::string, std::string> deviceLabels() {
    std::map<std::string, std::string> labels;
    // Incremented by hand: the range-for form throws when a step fails.
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/dev/disk/by-label", ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        const auto target = std::filesystem::canonical(it->path(), ec2);
        if (!ec2) {
            labels[target.string()] = unescapeUdevName(it->path().filename().string());
        }
    }
    return labels;
}

class LinuxFileSystem : public FileSystem {
public:
    ~LinuxFileSystem() override {
        m_watch.reset();
        if (m_mountTable >= 0) {
            ::close(m_mountTable);
        }
    }

    std::optional<std::vector<DirEntry>> list(const std::filesystem::path& dir) override { return gatherBatches(dir); }

    bool listInBatches(const std::filesystem::path& dir,
                       const std::function<bool(std::vector<DirEntry>&&)>& batch) override {
        const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        DIR* d = ::fdopendir(fd);
        if (!d) {
            ::close(fd);
            return false;
        }
        // Small enough that the first names of a slow folder show at once, large enough that a
        // long listing is not handed over name by name.
        constexpr std::size_t kBatch = 256;
        std::vector<DirEntry> entries;
        bool wanted = true;
        while (const dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            DirEntry entry;
            entry.name = name;
            entry.isHidden = name[0] == '.';
            bool isDir = e->d_type == DT_DIR;
            if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
                struct stat st {};
                isDir = ::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
            }
            entry.isDirectory = isDir;
            entries.push_back(std::move(entry));
            if (entries.size() == kBatch) {
                wanted = batch(std::move(entries));
                entries.clear();
                if (!wanted) {
                    break;
                }
            }
        }
        ::closedir(d);
        if (wanted && !entries.empty()) {
            batch(std::move(entries));
        }
        return true;
    }

    bool isDirectory(const std::filesystem::path& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
    }

    std::vector<Volume> volumes() override {
        std::vector<Volume> out;
        std::ifstream in("/proc/self/mountinfo");
        const auto labels = deviceLabels();
        std::set<std::string> seen;
        std::string line;
        while (std::getline(in, line)) {
            // id parent major:minor root mountpoint options [optional...] - type source superoptions
            std::istringstream fields(line);
            std::string id, parent, devno, root, mountPoint, options, word;
            fields >> id >> parent >> devno >> root >> mountPoint >> options;
            while (fields >> word && word != "-") {
            }
            std::string type, source;
            fields >> type >> source;
            mountPoint = unescapeMountField(mountPoint);
            source = unescapeMountField(source);
            if (pseudoFileSystem(type) || !browsableMountPoint(mountPoint) || !seen.insert(mountPoint).second) {
                continue;
            }
            Volume v;
            v.root = mountPoint;
            std::error_code ec;
            const auto device =
                isDeviceSource(source) ? std::filesystem::canonical(source, ec) : std::filesystem::path{};
            if (!ec && !device.empty()) {
                if (auto it = labels.find(device.string()); it != labels.end()) {
                    v.label = it->second;
                }
            }
            out.push_back(std::move(v));
        }
        if (seen.count("/") == 0) {
            out.insert(out.begin(), Volume{"/", {}});
        }
        return out;
    }

    std::optional<std::uint64_t> fileSize(const std::filesystem::path& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(st.st_size);
    }

    void watchVolumes(std::function<void()> changed) override {
        m_watch.reset();
        if (m_mountTable >= 0) {
            ::close(m_mountTable);
            m_mountTable = -1;
        }
        if (!changed) {
            return;
        }
        // The kernel marks the mount table with an exceptional condition whenever a file system is
        // mounted or unmounted: no timer, nothing wakes while nothing changes.
        m_mountTable = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
        if (m_mountTable < 0) {
            return;
        }
        drain(m_mountTable);
        m_watch = std::make_unique<QSocketNotifier>(m_mountTable, QSocketNotifier::Exception);
        QObject::connect(m_watch.get(), &QSocketNotifier::activated, m_watch.get(), [this, changed] {
            drain(m_mountTable); // reading the table to its end arms the next notice
            changed();
        });
    }

    FileTimes fileTimes(const std::filesystem::path& path) override {
        FileTimes times;
        struct statx sx {};
        if (::statx(AT_FDCWD, path.c_str(), 0, STATX_MTIME | STATX_BTIME, &sx) != 0) {
            return times;
        }
        if (sx.stx_mask & STATX_BTIME) {
            times.creation = toFileTime(sx.stx_btime);
        }
        if (sx.stx_mask & STATX_MTIME) {
            times.lastWrite = toFileTime(sx.stx_mtime);
        }
        return times;
    }

private:
    static void drain(int fd) {
        char buffer[4096];
        ::lseek(fd, 0, SEEK_SET);
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
    }

    int m_mountTable = -1;
    std::unique_ptr<QSocketNotifier> m_watch;
};

} // namespace

FileSystem& systemFileSystem() {
    static LinuxFileSystem fs;
    return fs;
}

std::string displayText(const std::filesystem::path& path) {
    const std::string& bytes = path.native();
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()))).toStdString();
}

} // namespace dsc::platform
