#include "shell/core/EcuModel.h"

#include "common/CUtilityToolbox.h"
#include "common/NoCase.h"
#include "config/CCentralineInstallate.h"

#include <algorithm>

namespace vexar::shell {

namespace {

// Where AddUniqueString puts `text`: before the first greater element.
std::size_t InsertPosition(const std::vector<std::u16string>& list, const std::u16string& text)
{
    const auto greater = std::find_if(list.begin(), list.end(), [&](const std::u16string& e) { return e > text; });
    return static_cast<std::size_t>(greater - list.begin());
}

}  // namespace

std::u16string ChooseEcuModelKey(std::int32_t protocol, std::int32_t edition, std::u16string_view identification)
{
    if (protocol == 0)
        return edition == 1 ? kModelOsk04 : kModelKd01;
    const bool older = identification.size() > 10 && identification[10] >= u'0' && identification[10] <= u'4';
    if (!older)
        return kModelKd02Eight;
    return edition == 1 ? kModelZovzenta : kModelKd02;
}

void AddUniqueString(std::vector<std::u16string>& list, const std::u16string& text)
{
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(InsertPosition(list, text)), text);
}

std::vector<std::u16string> CollectEcuCandidates(CCentralineInstallate& catalogue, const std::u16string& key,
                                                 std::u16string_view identification)
{
    const std::u16string ident = ToUpper(identification);
    // The upper-cased names order the list; the names on disk go along.
    std::vector<std::u16string> upper;
    std::vector<std::u16string> onDisk;
    std::u16string ecu;
    for (bool more = catalogue.GetFirstEcu(ecu); more; more = catalogue.GetNextEcu(ecu)) {
        if (ecu != key)
            continue;
        std::u16string firmware;
        for (bool next = catalogue.GetFirstFirmware(ecu, firmware); next; next = catalogue.GetNextFirmware(firmware)) {
            const std::u16string name = ToUpper(firmware);
            if (!CUtility::CompareEcuCodes(name, ident))
                continue;
            const std::size_t at = InsertPosition(upper, name);
            upper.insert(upper.begin() + static_cast<std::ptrdiff_t>(at), name);
            onDisk.insert(onDisk.begin() + static_cast<std::ptrdiff_t>(at), firmware);
        }
        break;
    }
    return onDisk;
}

}  // namespace vexar::shell
