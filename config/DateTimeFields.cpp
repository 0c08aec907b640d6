#include "config/DateTimeFields.h"

#include "common/LeadingNumber.h"
#include "common/Text.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

// Splits `text` at `separator` into up to three numbers; missing fields
// stay 0.
void ReadFields(std::u16string_view text, char16_t separator, int (&fields)[3])
{
    for (int& field : fields) {
        const std::size_t end = text.find(separator);
        field = vexar::ReadLeadingLong(text.substr(0, end));
        if (end == std::u16string_view::npos) {
            text = {};
        } else {
            text.remove_prefix(end + 1);
        }
    }
}

// A field moved to the calendar structure's origin. The fields saturate at
// the 32-bit ends, so the shift must too: a year or month of a damaged file
// near the lower end would otherwise overflow.
int OffsetField(int field, int offset)
{
    const std::int64_t shifted = std::int64_t{field} + offset;
    return static_cast<int>(std::clamp<std::int64_t>(shifted, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
}

}  // namespace

namespace vexar {

std::u16string FormatTagDate(std::time_t when) { return FormatLocalTime(when, u"%A, %d/%m/%Y"); }

std::u16string FormatTagTime(std::time_t when) { return FormatLocalTime(when, u"%H:%M:%S"); }

std::time_t LocalTimeFromTags(std::u16string_view date, std::u16string_view time)
{
    const std::size_t comma = date.find(u',');
    const std::u16string_view dayMonthYear = comma == std::u16string_view::npos ? std::u16string_view()
                                                                                : date.substr(comma + 1);
    int d[3];
    int t[3];
    ReadFields(dayMonthYear, u'/', d);
    ReadFields(time, u':', t);

    std::tm tm{};
    tm.tm_mday = d[0];
    tm.tm_mon = OffsetField(d[1], -1);
    tm.tm_year = OffsetField(d[2], -1900);
    tm.tm_hour = t[0];
    tm.tm_min = t[1];
    tm.tm_sec = t[2];
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

}  // namespace vexar
