// Date and time texts in the user's default locale: short date, time with seconds.
#include "platform/locale.h"

#include <QString>

#include <windows.h>

namespace dsc::platform {

namespace {

SYSTEMTIME systemTime(const CalendarTime& t) {
    SYSTEMTIME s{};
    s.wYear = static_cast<WORD>(t.year);
    s.wMonth = static_cast<WORD>(t.month);
    s.wDay = static_cast<WORD>(t.day);
    s.wDayOfWeek = static_cast<WORD>(t.dayOfWeek);
    s.wHour = static_cast<WORD>(t.hour);
    s.wMinute = static_cast<WORD>(t.minute);
    s.wSecond = static_cast<WORD>(t.second);
    s.wMilliseconds = static_cast<WORD>(t.millisecond);
    return s;
}

class WindowsLocaleFormats : public LocaleFormats {
public:
    std::string shortDate(const CalendarTime& t) override {
        const SYSTEMTIME s = systemTime(t);
        wchar_t buffer[128] = {};
        const int n = ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &s, nullptr, buffer, 128, nullptr);
        return n > 0 ? QString::fromWCharArray(buffer).toStdString() : std::string();
    }
    std::string time(const CalendarTime& t) override {
        const SYSTEMTIME s = systemTime(t);
        wchar_t buffer[128] = {};
        const int n = ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &s, nullptr, buffer, 128);
        return n > 0 ? QString::fromWCharArray(buffer).toStdString() : std::string();
    }
};

} // namespace

LocaleFormats& systemLocaleFormats() {
    static WindowsLocaleFormats formats;
    return formats;
}

} // namespace dsc::platform
