#include "dialogs/core/MaintRules.h"

#include "common/Text.h"
#include "config/CUtilityCodec.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace MaintRules {

int SizeOfText(std::u16string_view text)
{
    if (text == u"BYTE")
        return 1;
    if (text == u"WORD")
        return 2;
    if (text == u"LONG")
        return 4;
    return 0;
}

std::uint16_t AddressOf(double fieldValue)
{
    if (!std::isfinite(fieldValue))
        return 0;
    const double whole = std::trunc(std::clamp(fieldValue, -9.0e15, 9.0e15));
    return static_cast<std::uint16_t>(static_cast<std::int64_t>(whole) & 0xFFFF);
}

std::uint32_t ValueOf(const vexar::link::MEMORY_REQUEST& request)
{
    if (request.size < 1 || request.size > 4)
        return 0;
    std::uint32_t value = 0;
    for (int i = 0; i < request.size; ++i)
        value = (value << 8) | request.value[static_cast<std::size_t>(i)];
    return value;
}

void PutValue(vexar::link::MEMORY_REQUEST& request, std::int64_t value)
{
    request.value = {};
    const int size = std::clamp(request.size, 0, 4);
    for (int i = 0; i < size; ++i)
        request.value[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * (size - 1 - i)));
}

std::u16string ListText(const REC_CONTROLLO& definition)
{
    return vexar::Format(u"%s [0x%08x]", definition.IDENTIFICATORE, static_cast<std::uint32_t>(definition.LSB));
}

std::vector<ListItem> VariableItems(const std::vector<std::optional<REC_CONTROLLO>>& definitions)
{
    std::vector<ListItem> items;
    std::unordered_set<std::u16string> listed;
    for (std::size_t entry = 0; entry < definitions.size(); ++entry) {
        if (!definitions[entry])
            continue;
        std::u16string text = ListText(*definitions[entry]);
        if (listed.insert(text).second)
            items.push_back({std::move(text), entry});
    }
    return items;
}

RawRange RangeOf(std::int32_t rawMin, std::int32_t rawMax)
{
    return RawRange{std::min(rawMin, rawMax), std::max(rawMin, rawMax), rawMin};
}

std::optional<vexar::link::VARIABLE_WRITE> VariableWrite(const REC_CONTROLLO& definition, std::int32_t raw,
                                                         bool littleEndian)
{
    vexar::link::VARIABLE_WRITE write;
    if (!CUtility::GetDatoMask(definition.TIPO, definition.MASCHERA, raw, littleEndian, write.mask, write.value))
        return std::nullopt;
    write.address = definition.LSB;
    write.size = CUtility::GetDatoSize(definition.TIPO);
    write.engValue = raw;
    return write;
}

}  // namespace MaintRules
