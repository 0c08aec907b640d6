#include "config/DateTimeFields.h"

#include "common/LeadingNumber.h"
#include "common/Text.h"

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
    tm.tm_mon = d[1] - 1;
    tm.tm_year = d[2] - 1900;
    tm.tm_hour = t[0];
    tm.tm_min = t[1];
    tm.tm_sec = t[2];
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

}  // namespace vexar
