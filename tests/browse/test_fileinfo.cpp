// Size text, time-stamp conversion and date texts.
#include "browse/fileinfo.h"
#include "support/fakefilesystem.h"
#include "support/samples.h"

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>

using namespace dsc;

TEST(SizeText, Template) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {1234567, " 1 234 567 octets"},
        {4096, "  4 096 octets"},
        {52, "   52 octets"},
        {0, "    octets"},
        {1234567890, " 1234 567 890 octets"},
        {999, "   999 octets"},
        {1000, "  1 000 octets"},
        {999999, "  999 999 octets"},
        {1000000, " 1 000 000 octets"},
        {2147483648ull, " 2147 483 648 octets"},
        {5000000000ull, " 5000 000 000 octets"},
        {18446744073709551615ull, " 18446744073709 551 615 octets"},
    };
    for (const auto& [size, text] : cases) {
        EXPECT_EQ(sizeText(size), text) << size;
    }
}

TEST(TimeStamps, CalendarConversion) {
    struct Case {
        std::int64_t stamp;
        int y, mo, d, h, mi, s, ms, dow;
    };
    constexpr std::int64_t day = 864000000000LL;
    const Case cases[] = {
        {0, 1601, 1, 1, 0, 0, 0, 0, 1},                    // a Monday
        {59 * day, 1601, 3, 1, 0, 0, 0, 0, 4},             // 1601 is not a leap year
        {116444736000000000LL, 1970, 1, 1, 0, 0, 0, 0, 4}, // the Unix epoch
        {116444736000000000LL + 2147483647LL * 10000000LL, 2038, 1, 19, 3, 14, 7, 0, 2},
        {125911584000000000LL, 2000, 1, 1, 0, 0, 0, 0, 6},
        {125911584000000000LL + 59 * day + 12345678, 2000, 2, 29, 0, 0, 1, 234, 2},    // leap day of a 400th year
        {116444736000000000LL + 4107542400LL * 10000000LL, 2100, 3, 1, 0, 0, 0, 0, 1}, // 2100 has no 29 Feb
        {0x7FFFFFFFFFFFFFFFLL, 30828, 9, 14, 2, 48, 5, 477, 4},                        // the largest stamp
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stamp);
        platform::CalendarTime t;
        ASSERT_TRUE(fileTimeToCalendar(c.stamp, t));
        EXPECT_EQ(t.year, c.y);
        EXPECT_EQ(t.month, c.mo);
        EXPECT_EQ(t.day, c.d);
        EXPECT_EQ(t.hour, c.h);
        EXPECT_EQ(t.minute, c.mi);
        EXPECT_EQ(t.second, c.s);
        EXPECT_EQ(t.millisecond, c.ms);
        EXPECT_EQ(t.dayOfWeek, c.dow);
    }
    platform::CalendarTime t;
    EXPECT_FALSE(fileTimeToCalendar(-1, t));
}

TEST(TimeStamps, EveryDayRoundTripsAgainstTheStandardCalendar) {
    // Every day from 1970 to 2100 against the standard library's civil calendar.
    constexpr std::int64_t day = 864000000000LL, epoch = 116444736000000000LL;
    for (std::int64_t d = 0; d < 47482; ++d) {
        const std::chrono::sys_days date{std::chrono::days{d}};
        const std::chrono::year_month_day ymd{date};
        platform::CalendarTime t;
        ASSERT_TRUE(fileTimeToCalendar(epoch + d * day, t));
        ASSERT_EQ(t.year, int(ymd.year()));
        ASSERT_EQ(t.month, int(unsigned(ymd.month())));
        ASSERT_EQ(t.day, int(unsigned(ymd.day())));
        ASSERT_EQ(t.dayOfWeek, int(std::chrono::weekday{date}.c_encoding()));
    }
}

namespace {
// Runs a body under a C library locale, restoring the previous one.
struct LocaleScope {
    explicit LocaleScope(const char* name)
        : m_old(std::setlocale(LC_ALL, nullptr)), m_ok(std::setlocale(LC_ALL, name)) {}
    ~LocaleScope() { std::setlocale(LC_ALL, m_old.c_str()); }
    bool ok() const { return m_ok; }
    std::string m_old;
    bool m_ok;
};
} // namespace

TEST(DateText, LocaleFormatsInUtc) {
    // The test runs with TZ set ahead of UTC; the text stays in UTC.
    const std::int64_t stamp = 116444736000000000LL + 1706700000LL * 10000000LL; // 2024-01-31 11:20:00 UTC
    {
        LocaleScope fr("fr_FR.UTF-8");
        if (!fr.ok()) {
            GTEST_SKIP() << "fr_FR.UTF-8 not generated";
        }
        auto& formats = platform::systemLocaleFormats();
        EXPECT_EQ(DateEnTexte(stamp, formats), "31/01/2024 - 11:20:00");
        EXPECT_EQ(DateEnTexte(0, formats), "01/01/1601 - 00:00:00");
    }
    {
        LocaleScope c("C.UTF-8");
        ASSERT_TRUE(c.ok());
        EXPECT_EQ(DateEnTexte(stamp, platform::systemLocaleFormats()), "01/31/24 - 11:20:00");
    }
    test::FakeLocale fake;
    EXPECT_EQ(DateEnTexte(-5, fake), "");
}
