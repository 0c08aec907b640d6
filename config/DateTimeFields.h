#pragma once

// The date and time fields of comment and history blocks: a date value
// "Weekday, dd/mm/yyyy" (the weekday, in any language, is ignored) and a
// time value "hh:mm:ss", both in local time.

#include <ctime>
#include <string>
#include <string_view>

namespace vexar {

std::u16string FormatTagDate(std::time_t when);  // "%A, %d/%m/%Y"
std::u16string FormatTagTime(std::time_t when);  // "%H:%M:%S"

// The local time of the two values, daylight saving decided by the
// system. Fields that are not numbers read as what their leading digits
// give (0 without any), as the writers always write all six.
std::time_t LocalTimeFromTags(std::u16string_view date, std::u16string_view time);

}  // namespace vexar
