#pragma once
// Texts of the file information rows: size, and dates in UTC.

#include "platform/locale.h"

#include <cstdint>
#include <string>

namespace dsc {

// The size written into the template " ### ### ###" followed by " octets".
std::string sizeText(std::uint64_t bytes);

// Converts a time stamp (100-ns intervals since 1601-01-01 00:00 UTC) to calendar time in UTC.
// False for a negative stamp, which no calendar time stands for.
bool fileTimeToCalendar(std::int64_t stamp, platform::CalendarTime& out);

// The date text, " - ", and the time text, in the default locale's formats, in UTC.
std::string DateEnTexte(std::int64_t stamp, platform::LocaleFormats& formats);

} // namespace dsc
