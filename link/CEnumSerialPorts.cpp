#include "CEnumSerialPorts.h"

#include "SerialText.h"
#include "platform/ComPortResolver.h"

namespace vexar::link {

bool CEnumSerialPorts::EnumPorts(std::vector<unsigned>& numbers, std::vector<std::u16string>& names)
{
    numbers.clear();
    names.clear();
    std::vector<vexar::platform::ComPort> ports;
    if (!vexar::platform::ComPortResolver::FromEnvironment().List(ports))
        return false;
    for (const vexar::platform::ComPort& port : ports) {
        numbers.push_back(port.number);
        names.push_back(detail::WidenUtf8(port.description));
    }
    return true;
}

bool CEnumSerialPorts::IsNumeric(std::u16string_view text, bool allowColon)
{
    if (text.empty())
        return false;
    for (const char16_t c : text) {
        const bool digit = c >= u'0' && c <= u'9';
        if (!digit && !(allowColon && c == u':'))
            return false;
    }
    return true;
}

}  // namespace vexar::link
