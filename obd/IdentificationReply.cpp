#include "obd/IdentificationReply.h"

#include "obd/ObdText.h"

namespace obdvane {

void IdentificationReply::Parse(std::string text)
{
    m_text = text;
    std::string& rest = text;
    for (std::size_t i = 0; i + 1 < m_fields.size(); ++i) {
        const std::size_t etb = rest.find(static_cast<char>(kEtb));
        if (etb == std::string::npos) {
            m_fields[i].clear();
            continue;
        }
        m_fields[i] = rest.substr(0, etb);
        rest.erase(0, etb + 1);
    }
    m_fields.back() = rest;
}

std::string IdentificationReply::GetField(int number) const
{
    if (number < 1 || number > kFieldCount)
        return {};
    return m_fields[static_cast<std::size_t>(number - 1)];
}

}  // namespace obdvane
