// The Linux file-system backend: mount-table names, udev labels, time stamps at the extremes.
#include "platform/filesystem.h"
#include "platform/linux/mountnames.h"
#include "support/samples.h"

#include <gtest/gtest.h>

#include <fcntl.h>
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
