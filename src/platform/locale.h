#pragma once
// Date and time texts in the formats of the default locale.

#include <string>

namespace dsc::platform {

// A calendar time, as the time-stamp conversion gives it.
struct CalendarTime {
    int year = 1601, month = 1, day = 1, dayOfWeek = 1; // dayOfWeek: 0 = Sunday
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

class LocaleFormats {
public:
    virtual ~LocaleFormats() = default;
    virtual std::string shortDate(const CalendarTime& t) = 0;
    virtual std::string time(const CalendarTime& t) = 0;
};

LocaleFormats& systemLocaleFormats();

} // namespace dsc::platform
