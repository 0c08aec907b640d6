#include "platform/ui/CUtilityUi.h"

#include "platform/ui/Menu.h"

#include <QMenu>

namespace CUtility {

void BuildLangMenu(const LangMenu& model, QMenu& menu)
{
    menu.clear();
    vexar::ui::Menu items(&menu);
    for (const LangMenuItem& item : model.items)
        items.InsertCommand(-1, static_cast<unsigned>(item.id), item.text);
    if (model.checkedId && !model.items.empty()) {
        const auto first = static_cast<unsigned>(model.items.front().id);
        items.CheckRadio(first, static_cast<unsigned>(*model.checkedId), static_cast<unsigned>(*model.checkedId));
    }
}

int FillLangMenu(const std::string& programFolder, const std::string& currentLangFile, QMenu& menu)
{
    LangMenu model;
    const int count = FillLangMenu(programFolder, currentLangFile, model);
    BuildLangMenu(model, menu);
    return count;
}

}  // namespace CUtility
