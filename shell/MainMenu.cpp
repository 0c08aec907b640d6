#include "shell/MainMenu.h"

#include "platform/ui/Menu.h"
#include "shell/core/CommandTable.h"

#include <QMenuBar>

#include <algorithm>
#include <vector>

namespace vexar::shell {

namespace {

// The popups of the menu resource, in the bar's order or within their
// parent popup where their first item stands.
struct POPUP {
    MenuPlace place;
    MenuPlace parent;  // MenuPlace::None: the bar
    const char16_t* text;
};
constexpr POPUP kPopups[] = {
    {MenuPlace::File, MenuPlace::None, u"&File"},
    {MenuPlace::Connection, MenuPlace::None, u"&Connessione"},
    {MenuPlace::View, MenuPlace::None, u"&Visualizza"},
    {MenuPlace::Tools, MenuPlace::None, u"&Strumenti"},
    {MenuPlace::ToolsBaud, MenuPlace::Tools, u"&Baud rate"},
    {MenuPlace::ToolsLine, MenuPlace::Tools, u"Co&nnessione"},
    {MenuPlace::ToolsRemote, MenuPlace::Tools, u"&Assistenza remota"},
    {MenuPlace::Functions, MenuPlace::None, u"F&unzioni"},
    {MenuPlace::Language, MenuPlace::None, nullptr},
    {MenuPlace::Help, MenuPlace::None, u"&?"},
};

const POPUP& PopupOf(MenuPlace place)
{
    for (const POPUP& popup : kPopups)
        if (popup.place == place)
            return popup;
    return kPopups[0];
}

// The items of the table's rows held by `place`, in table order; a row
// held by a popup inside `place` brings that popup in where its first item
// stands.
void Fill(ui::Menu menu, MenuPlace place)
{
    std::vector<MenuPlace> made;
    for (const COMMAND_ROW& row : kCommandTable) {
        if (row.place == place) {
            if (row.separatorBefore)
                menu.InsertSeparator(-1);
            menu.InsertCommand(-1, row.id, row.menuText);
            continue;
        }
        if (row.place == MenuPlace::None || PopupOf(row.place).parent != place ||
            std::find(made.begin(), made.end(), row.place) != made.end())
            continue;
        made.push_back(row.place);
        Fill(menu.InsertPopup(-1, PopupOf(row.place).text), row.place);
    }
}

}  // namespace

void BuildMainMenu(QMenuBar& bar)
{
    ui::Menu menu(&bar);
    for (const POPUP& popup : kPopups) {
        if (popup.parent != MenuPlace::None)
            continue;
        if (popup.place == MenuPlace::Language) {
            // The frame fills the language popup in place of this item.
            menu.InsertCommand(-1, ID_LINGUA_PLACEHOLDER, FindCommandRow(ID_LANGUAGE_FIRST)->menuText);
            continue;
        }
        Fill(menu.InsertPopup(-1, popup.text), popup.place);
    }
}

}  // namespace vexar::shell
