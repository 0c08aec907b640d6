#pragma once

// The system's menu operations over a QMenuBar or QMenu: items by position
// (separators and popups count) and by command id (searched through the
// popups too), insertion, removal, moving, texts, check marks and radio
// marks. Menu is a handle: the widget owns its items and popups.
//
// A menu with an owner window (SetOwner) sends the commands chosen in it
// and its popups to that window as WM_COMMAND, and before a popup shows it
// lets the owner's update handlers set up its items (CmdUI).

#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class QAction;
class QMenu;
class QMenuBar;

namespace vexar::ui {

class WindowBase;
struct MenuItem;

class Menu {
public:
    // The id that GetMenuItemID gives for a popup and for no item.
    static constexpr int kPopupId = -1;

    Menu() = default;
    explicit Menu(QMenuBar* bar);
    explicit Menu(QMenu* popup);

    bool IsValid() const { return !m_widget.isNull(); }
    QWidget* widget() const { return m_widget.data(); }
    QMenu* popup() const;

    int GetMenuItemCount() const;
    // The command of the item at `position`: 0 for a separator, kPopupId for
    // a popup or a position without an item.
    int GetMenuItemID(int position) const;
    // The popup at `position`; an invalid Menu when that item is none.
    Menu GetSubMenu(int position) const;
    QAction* ItemAt(int position) const;
    std::u16string GetMenuString(int position) const;
    // The position of the first item with this text exactly, or -1.
    int FindText(const std::u16string& text) const;

    // The item of a command here or in a popup below, depth first.
    std::optional<MenuItem> FindCommand(unsigned id) const;
    std::u16string GetCommandString(unsigned id) const;

    // Inserts before `position`; a negative position or one past the last
    // item appends.
    QAction* InsertCommand(int position, unsigned id, const std::u16string& text);
    Menu InsertPopup(int position, const std::u16string& text);
    void InsertSeparator(int position);
    // The item at `position` becomes a popup item with its text, holding
    // `popup`, which this menu then owns.
    bool SetSubMenu(int position, std::unique_ptr<QMenu> popup);

    // A popup item keeps its popup when its text changes.
    bool SetMenuString(int position, const std::u16string& text);
    bool SetCommandString(unsigned id, const std::u16string& text);
    // Removing destroys the item, and a popup item's popup.
    bool RemovePosition(int position);
    bool RemoveCommand(unsigned id);
    // Takes the item of `id` from wherever it stands and inserts it into
    // `target` before `position`, keeping its text and state.
    bool MoveCommand(unsigned id, Menu target, int position);

    // In the menu that holds `checked`, gives it the radio mark and takes
    // the mark from every other item with an id from `first` to `last`.
    bool CheckRadio(unsigned first, unsigned last, unsigned checked);
    bool CheckCommand(unsigned id, bool on);
    bool EnableCommand(unsigned id, bool on);

    void SetOwner(WindowBase& owner);

    // The command id of an item, 0 for none.
    static unsigned CommandOf(const QAction& item);
    // A plain check mark or a radio mark on an item, or none. The mark
    // changes only here: choosing an item does not move it.
    static void SetItemCheck(QAction& item, bool on, bool radio);

private:
    int Count() const;
    QAction* Before(int position) const;

    QPointer<QWidget> m_widget;
};

// Where a command's item stands.
struct MenuItem {
    Menu menu;  // the menu that holds it
    int position = -1;
    QAction* item = nullptr;
};

}  // namespace vexar::ui
