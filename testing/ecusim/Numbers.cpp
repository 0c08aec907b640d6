#include "testing/ecusim/Numbers.h"

#include <charconv>

namespace vexar::ecusim {

bool ParseUnsigned(std::string_view text, unsigned long& value)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text[0] == '+' || text[0] == '-')
        return false;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return status == std::errc() && end == text.data() + text.size();
}

}  // namespace vexar::ecusim
