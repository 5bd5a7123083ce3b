// The Linux file-system backend: mount-table names, udev labels, time stamps at the extremes.
#include "browse/navigation.h"
#include "platform/filesystem.h"
#include "platform/linux/mountnames.h"
#include "support/samples.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <climits>

using namespace dsc;

TEST(MountNames, OctalEscapesOnlyWithOctalDigits) {
    EXPECT_EQ(platform::unescapeMountField("/media/USB\\040KEY"), "/media/USB KEY");
    EXPECT_EQ(platform::unescapeMountField("/mnt/a\\134b"), "/mnt/a\\b");
    EXPECT_EQ(platform::unescapeMountField("/mnt/\\101\\102"), "/mnt/AB");
    // 8 and 9 are no octal digits, and bytes above 0x7F are no digits at all.
    EXPECT_EQ(platform::unescapeMountField("/mnt/\\089"), "/mnt/\\089");
    EXPECT_EQ(platform::unescapeMountField("/mnt/\\0\xB9\xB9"), "/mnt/\\0\xB9\xB9");
    EXPECT_EQ(platform::unescapeMountField("/mnt/\\04"), "/mnt/\\04"); // cut short
    EXPECT_EQ(platform::unescapeMountField("Fa\xC3\xA7"
                                           "ade"),
              "Fa\xC3\xA7"
              "ade");
}

TEST(MountNames, UdevLabelsWithHexEscapes) {
    EXPECT_EQ(platform::unescapeUdevName("MY\\x20DISK"), "MY DISK");
    EXPECT_EQ(platform::unescapeUdevName("a\\x2fb"), "a/b");
    EXPECT_EQ(platform::unescapeUdevName("\\x2"), "\\x2");
    EXPECT_EQ(platform::unescapeUdevName("\\xZZ"), "\\xZZ");
}

TEST(MountNames, OnlyLocalDeviceSourcesAreResolved) {
    for (const char* network : {"server:/export", "//host/share", "sshfs#me@host:", "tmpfs", "none", ""}) {
        EXPECT_FALSE(platform::isDeviceSource(network)) << network;
    }
    EXPECT_TRUE(platform::isDeviceSource("/dev/sda1"));
    EXPECT_TRUE(platform::isDeviceSource("/dev/mapper/vg-home"));
}

TEST(FileTimesAtTheExtremes, FarFutureAndFarPastAreClamped) {
    // tmpfs keeps any 64-bit second count; most disk file systems stop long before.
    struct statfs fsInfo {};
    if (::statfs("/dev/shm", &fsInfo) != 0 || fsInfo.f_type != 0x01021994 /* TMPFS_MAGIC */) {
        GTEST_SKIP() << "no tmpfs at /dev/shm";
    }
    const std::filesystem::path path = "/dev/shm/dessiscope-far-" + std::to_string(::getpid());
    test::writeFile(path, {1});
    auto& fs = platform::systemFileSystem();
    struct Case {
        long long seconds;
        std::int64_t expected;
    };
    const Case cases[] = {
        {884541364560LL, 116444736000000000LL + 884541364560LL * 10000000LL}, // the year 30000: fits
        {9404918404560LL, INT64_MAX},                                         // the year 300000
        {LLONG_MAX / 2, INT64_MAX},
        {-20000000000LL, 0}, // before 1601
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        const struct timespec times[2] = {{c.seconds, 0}, {c.seconds, 999999999}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        const platform::FileTimes t = fs.fileTimes(path);
        ASSERT_TRUE(t.lastWrite.has_value());
        EXPECT_EQ(*t.lastWrite, c.expected == INT64_MAX || c.expected == 0 ? c.expected : c.expected + 9999999);
    }
    std::filesystem::remove(path);
}

// The real backend: names that are not valid UTF-8 are listed with their bytes intact.
TEST(RealFileSystem, ListsUndecodableNamesAndSkipsHidden) {
    test::TempDir dir;
    const std::string odd = "caf\xe9.dwg"; // Latin-1 byte: invalid UTF-8
    test::writeFile(dir / odd, {1, 2, 3});
    test::writeFile(dir / "Plan.DWG", {});
    test::writeFile(dir / ".cache.dwg", {});
    test::writeFile(dir / "readme.txt", {});
    std::filesystem::create_directory(dir / "sub.dwg");
    std::filesystem::create_symlink(dir / "loop", dir / "loop"); // a link to itself
    ::mkfifo((dir / "pipe.sld").c_str(), 0600);
    auto& fs = platform::systemFileSystem();
    const auto files = matchingFiles(fs, dir.path());
    std::vector<std::string> names;
    for (const auto& f : files) {
        names.push_back(f.native());
    }
    EXPECT_EQ(names, (std::vector<std::string>{odd, "pipe.sld", "Plan.DWG"}));
    EXPECT_EQ(fs.fileSize(dir / odd), 3u);
    EXPECT_EQ(subfolders(fs, dir.path()), (std::vector<std::filesystem::path>{"sub.dwg"}));
    EXPECT_FALSE(platform::displayText(odd).empty());
}

TEST(RealFileSystem, VolumesIncludeTheRoot) {
    const auto volumes = platform::systemFileSystem().volumes();
    ASSERT_FALSE(volumes.empty());
    EXPECT_GE(volumeIndexFor(volumes, "/"), 0);
    for (const auto& v : volumes) {
        EXPECT_NE(v.root.native().rfind("/proc", 0), 0u);
        EXPECT_NE(v.root.native().rfind("/sys", 0), 0u);
    }
}

TEST(FileTimes, ReadWithoutWritingOrLocking) {
    test::TempDir dir;
    const auto path = dir / "plan.dwg";
    test::writeFile(path, {1, 2, 3});
    // Last written 2001-02-03 04:05:06 UTC.
    const struct timespec times[2] = {{981173106, 0}, {981173106, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ::chmod(path.c_str(), 0444); // read-only
    const int holder = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0); // held exclusively by "another program"
    struct stat before {};
    ::stat(path.c_str(), &before);

    auto& fs = platform::systemFileSystem();
    const platform::FileTimes t = fs.fileTimes(path);
    ASSERT_TRUE(t.lastWrite.has_value());
    EXPECT_EQ(*t.lastWrite, 116444736000000000LL + 981173106LL * 10000000LL);
    if (t.creation) {
        EXPECT_GT(*t.creation, *t.lastWrite); // born now, back-dated write time
    }
    EXPECT_EQ(fs.fileSize(path), 3u);
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(before.st_ctim.tv_sec, after.st_ctim.tv_sec);
    EXPECT_EQ(before.st_ctim.tv_nsec, after.st_ctim.tv_nsec);
    ::close(holder);

    const platform::FileTimes gone = fs.fileTimes(dir / "missing.dwg");
    EXPECT_FALSE(gone.lastWrite || gone.creation);
    EXPECT_FALSE(fs.fileSize(dir / "missing.dwg").has_value());
}
