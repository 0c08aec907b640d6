#include "common/LeadingNumber.h"

#include "common/Text.h"

#include <algorithm>
#include <limits>

namespace vexar {

std::int32_t ReadLeadingLong(std::u16string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        if (magnitude <= kLimit)
            magnitude = magnitude * 10 + (text[i] - u'0');
    if (negative)
        return static_cast<std::int32_t>(-std::min(magnitude, kLimit));
    return static_cast<std::int32_t>(std::min(magnitude, kLimit - 1));
}

}  // namespace vexar
