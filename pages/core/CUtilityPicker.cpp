#include "pages/core/CUtilityPicker.h"

#include "common/Text.h"
#include "config/CUtilityCtrl.h"
#include "config/ControlCodes.h"

#include <algorithm>

namespace CUtility {

std::u16string CleanCtrlName(std::u16string_view label)
{
    std::u16string name(label);
    std::replace(name.begin(), name.end(), u':', u' ');
    return vexar::Trim(name);
}

namespace {

bool ModeOffers(std::int32_t mode, const CTRL_WND& entry)
{
    switch (mode) {
    case OPR_PBL:
        return entry.access == OPR_PBL;
    case OPR_PRV:
    case OPR_REM:
        return true;
    default:
        return false;
    }
}

}  // namespace

std::vector<PickerItem> PickerItems(std::int32_t mode, const CTRL_TABLE& table)
{
    std::vector<PickerItem> items;
    for (std::size_t i = 0; i < table.size(); ++i) {
        REC_CONTROLLO definition;
        if (!GetCtrlDefinition(table[i], definition) || !ModeOffers(mode, table[i]))
            continue;
        std::u16string name = CleanCtrlName(definition.ETICHETTA);
        const bool known =
            std::any_of(items.begin(), items.end(), [&](const PickerItem& item) { return item.name == name; });
        if (!name.empty() && !known)
            items.push_back({std::move(name), static_cast<std::int32_t>(i)});
    }
    return items;
}

std::u16string VarLineText(const REC_CONTROLLO& definition, bool withDisplayParam)
{
    const std::u16string name = CleanCtrlName(definition.ETICHETTA);
    if (!withDisplayParam)
        return name;
    return vexar::Format(u"(%ld)%s", GetDisplayParam(definition), name);
}

bool VarLineShows(std::u16string_view line, std::u16string_view name)
{
    if (line == name)
        return true;
    if (line.size() <= name.size() || line.substr(line.size() - name.size()) != name)
        return false;
    // What stands before the name must be "(", an optional '-', digits, ")".
    const std::u16string_view prefix = line.substr(0, line.size() - name.size());
    if (prefix.size() < 3 || prefix.front() != u'(' || prefix.back() != u')')
        return false;
    std::u16string_view digits = prefix.substr(1, prefix.size() - 2);
    if (!digits.empty() && digits.front() == u'-')
        digits.remove_prefix(1);
    return !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

}  // namespace CUtility
