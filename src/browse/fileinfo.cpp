#include "fileinfo.h"

namespace dsc {

std::string sizeText(std::uint64_t bytes) {
    static constexpr char kTemplate[] = " ### ### ###";
    const std::string digits = bytes == 0 ? std::string() : std::to_string(bytes);
    const auto len = static_cast<std::int64_t>(digits.size());
    std::string out;
    int position = 0; // digit positions, 0..8 from the left
    for (const char* t = kTemplate; *t; ++t) {
        if (*t == ' ') {
            out.push_back(' ');
            continue;
        }
        const std::int64_t index = len - 9 + position;
        if (position == 0 && len > 9) {
            out.append(digits, 0, static_cast<std::size_t>(index + 1)); // every extra leading digit
        } else if (index >= 0) {
            out.push_back(digits[static_cast<std::size_t>(index)]);
        }
        ++position;
    }
    return out + " octets";
}

bool fileTimeToCalendar(std::int64_t stamp, platform::CalendarTime& out) {
    if (stamp < 0) {
        return false;
    }
    constexpr std::int64_t kTicksPerDay = 864'000'000'000LL;
    const std::int64_t days = stamp / kTicksPerDay; // since 1601-01-01, a Monday
    std::int64_t rest = stamp % kTicksPerDay;
    out.hour = static_cast<int>(rest / 36'000'000'000LL);
    rest %= 36'000'000'000LL;
    out.minute = static_cast<int>(rest / 600'000'000LL);
    rest %= 600'000'000LL;
    out.second = static_cast<int>(rest / 10'000'000LL);
    out.millisecond = static_cast<int>((rest % 10'000'000LL) / 10'000LL);
    out.dayOfWeek = static_cast<int>((days + 1) % 7);

    // Civil date from a day count on the proleptic Gregorian calendar, in 400-year eras counted
    // from 0000-03-01 (1601-01-01 is day 584694 of that count).
    const std::int64_t z = days + 584694;
    const std::int64_t era = z / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2 ? 1 : 0));
    return true;
}

std::string DateEnTexte(std::int64_t stamp, platform::LocaleFormats& formats) {
    platform::CalendarTime t;
    if (!fileTimeToCalendar(stamp, t)) {
        return {};
    }
    return formats.shortDate(t) + " - " + formats.time(t);
}

} // namespace dsc
