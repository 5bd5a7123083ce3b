// Date and time formats of the C library's locale (LC_TIME), as strftime writes them.
#include "platform/locale.h"

#include <langinfo.h>

#include <ctime>

namespace dsc::platform {

namespace {

std::string format(const char* pattern, const CalendarTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_wday = t.dayOfWeek;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    char buffer[256];
    const std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &tm);
    return std::string(buffer, n);
}

class LinuxLocaleFormats : public LocaleFormats {
public:
    std::string shortDate(const CalendarTime& t) override { return format(::nl_langinfo(D_FMT), t); }
    std::string time(const CalendarTime& t) override { return format(::nl_langinfo(T_FMT), t); }
};

} // namespace

LocaleFormats& systemLocaleFormats() {
    static LinuxLocaleFormats formats;
    return formats;
}

} // namespace dsc::platform
