#include "obd/NumericReply.h"

#include "obd/ObdText.h"

#include <utility>

namespace obdvane {

void NumericReply::Parse(std::string text)
{
    m_value = DecimalToInt(text);
    m_text = std::move(text);
}

}  // namespace obdvane
