#include "platform/ui/Menu.h"

#include "platform/ui/CmdUI.h"
#include "platform/ui/DirectChild.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowBase.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace vexar::ui {

namespace {

constexpr char kCommandProperty[] = "vexarCommand";
constexpr char kCheckedProperty[] = "vexarChecked";
constexpr char kHookedProperty[] = "vexarMenuHooked";
constexpr char kRadioGroupName[] = "vexarRadio";

QString ToQt(const std::u16string& text) { return QString::fromStdU16String(text); }

bool IsMenuWidget(const QWidget* widget)
{
    return qobject_cast<const QMenu*>(widget) || qobject_cast<const QMenuBar*>(widget);
}

// The window that a menu's commands go to: named on the menu or on one of
// the menus it hangs from.
class MenuOwnerLink : public QObject {
public:
    MenuOwnerLink(QObject* owner, QWidget* menu) : QObject(menu), m_owner(owner) {}
    WindowBase* owner() const { return WindowBase::From(m_owner.data()); }
    void setOwner(QObject* owner) { m_owner = owner; }

private:
    QPointer<QObject> m_owner;
};

WindowBase* OwnerOf(QWidget* menu)
{
    for (QWidget* widget = menu; widget && IsMenuWidget(widget); widget = widget->parentWidget()) {
        if (auto* link = DirectChild<MenuOwnerLink>(*widget))
            return link->owner();
    }
    return nullptr;
}

QWidget* HolderOf(const QAction& item) { return qobject_cast<QWidget*>(item.parent()); }

void RouteTriggered(QAction* item)
{
    // Choosing an item leaves its mark as it was; the handler sets it.
    if (item->isCheckable())
        item->setChecked(item->property(kCheckedProperty).toBool());
    const unsigned id = Menu::CommandOf(*item);
    WindowBase* owner = OwnerOf(HolderOf(*item));
    if (id != 0 && owner)
        SendMessage(owner->widget(), CommandMessage(id));
}

void UpdateItems(QMenu* menu)
{
    WindowBase* owner = OwnerOf(menu);
    if (!owner)
        return;
    for (QAction* item : menu->actions()) {
        const unsigned id = Menu::CommandOf(*item);
        if (id == 0 || item->menu())
            continue;
        CmdUI ui(id, item);
        owner->UpdateCommandUI(ui);
    }
}

bool MarkHooked(QObject* object)
{
    if (object->property(kHookedProperty).toBool())
        return false;
    object->setProperty(kHookedProperty, true);
    return true;
}

void HookItem(QAction* item);

// Connects a menu and everything below it to the owner lookups.
void HookMenu(QWidget* menu)
{
    if (auto* popup = qobject_cast<QMenu*>(menu); popup && MarkHooked(popup))
        QObject::connect(popup, &QMenu::aboutToShow, popup, [popup] { UpdateItems(popup); });
    for (QAction* item : menu->actions())
        HookItem(item);
}

void HookItem(QAction* item)
{
    if (QMenu* popup = item->menu()) {
        HookMenu(popup);
        return;
    }
    if (!item->isSeparator() && MarkHooked(item))
        QObject::connect(item, &QAction::triggered, item, [item] { RouteTriggered(item); });
}

QActionGroup* RadioGroup(QWidget* menu)
{
    auto* group = menu->findChild<QActionGroup*>(kRadioGroupName, Qt::FindDirectChildrenOnly);
    if (!group) {
        group = new QActionGroup(menu);
        group->setObjectName(kRadioGroupName);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    }
    return group;
}

}  // namespace

Menu::Menu(QMenuBar* bar) : m_widget(bar) {}

Menu::Menu(QMenu* popup) : m_widget(popup) {}

QMenu* Menu::popup() const { return qobject_cast<QMenu*>(m_widget.data()); }

int Menu::Count() const { return m_widget ? static_cast<int>(m_widget->actions().size()) : 0; }

int Menu::GetMenuItemCount() const { return Count(); }

QAction* Menu::ItemAt(int position) const
{
    if (position < 0 || position >= Count())
        return nullptr;
    return m_widget->actions().at(position);
}

QAction* Menu::Before(int position) const { return ItemAt(position); }

int Menu::GetMenuItemID(int position) const
{
    const QAction* item = ItemAt(position);
    if (!item || item->menu())
        return kPopupId;
    return static_cast<int>(CommandOf(*item));
}

Menu Menu::GetSubMenu(int position) const
{
    const QAction* item = ItemAt(position);
    return item && item->menu() ? Menu(item->menu()) : Menu();
}

std::u16string Menu::GetMenuString(int position) const
{
    const QAction* item = ItemAt(position);
    return item ? item->text().toStdU16String() : std::u16string();
}

int Menu::FindText(const std::u16string& text) const
{
    const QString wanted = ToQt(text);
    for (int position = 0; position < Count(); ++position) {
        if (ItemAt(position)->text() == wanted)
            return position;
    }
    return -1;
}

std::optional<MenuItem> Menu::FindCommand(unsigned id) const
{
    for (int position = 0; position < Count(); ++position) {
        QAction* item = ItemAt(position);
        if (item->menu()) {
            if (auto found = Menu(item->menu()).FindCommand(id))
                return found;
        } else if (id != 0 && CommandOf(*item) == id) {
            return MenuItem{*this, position, item};
        }
    }
    return std::nullopt;
}

std::u16string Menu::GetCommandString(unsigned id) const
{
    const auto found = FindCommand(id);
    return found ? found->item->text().toStdU16String() : std::u16string();
}

QAction* Menu::InsertCommand(int position, unsigned id, const std::u16string& text)
{
    if (!m_widget)
        return nullptr;
    auto* item = new QAction(ToQt(text), m_widget);
    item->setProperty(kCommandProperty, id);
    m_widget->insertAction(Before(position), item);
    HookItem(item);
    return item;
}

Menu Menu::InsertPopup(int position, const std::u16string& text)
{
    if (!m_widget)
        return Menu();
    auto* popup = new QMenu(ToQt(text), m_widget);
    m_widget->insertAction(Before(position), popup->menuAction());
    HookMenu(popup);
    return Menu(popup);
}

void Menu::InsertSeparator(int position)
{
    if (!m_widget)
        return;
    auto* separator = new QAction(m_widget);
    separator->setSeparator(true);
    m_widget->insertAction(Before(position), separator);
}

bool Menu::SetSubMenu(int position, std::unique_ptr<QMenu> popup)
{
    QAction* old = ItemAt(position);
    if (!old || !popup)
        return false;
    QMenu* owned = popup.release();
    owned->setParent(m_widget, owned->windowFlags());
    owned->setTitle(old->text());
    m_widget->insertAction(old, owned->menuAction());
    RemovePosition(position + 1);
    HookMenu(owned);
    return true;
}

bool Menu::SetMenuString(int position, const std::u16string& text)
{
    QAction* item = ItemAt(position);
    if (!item)
        return false;
    item->setText(ToQt(text));
    return true;
}

bool Menu::SetCommandString(unsigned id, const std::u16string& text)
{
    auto found = FindCommand(id);
    return found && found->menu.SetMenuString(found->position, text);
}

bool Menu::RemovePosition(int position)
{
    QAction* item = ItemAt(position);
    if (!item)
        return false;
    m_widget->removeAction(item);
    QObject* owned = item->menu() ? static_cast<QObject*>(item->menu()) : item;
    if (owned->parent() == m_widget)
        delete owned;
    return true;
}

bool Menu::RemoveCommand(unsigned id)
{
    auto found = FindCommand(id);
    return found && found->menu.RemovePosition(found->position);
}

bool Menu::MoveCommand(unsigned id, Menu target, int position)
{
    const auto found = FindCommand(id);
    if (!found || !target.IsValid())
        return false;
    QAction* item = found->item;
    found->menu.widget()->removeAction(item);
    const bool radio = item->actionGroup() != nullptr;
    if (radio)
        item->actionGroup()->removeAction(item);
    item->setParent(target.widget());
    target.widget()->insertAction(target.Before(position), item);
    if (radio)
        SetItemCheck(*item, item->isChecked(), true);
    return true;
}

bool Menu::CheckRadio(unsigned first, unsigned last, unsigned checked)
{
    const auto found = FindCommand(checked);
    if (!found)
        return false;
    for (QAction* item : found->menu.widget()->actions()) {
        const unsigned id = CommandOf(*item);
        if (!item->menu() && id >= first && id <= last)
            SetItemCheck(*item, id == checked, true);
    }
    return true;
}

bool Menu::CheckCommand(unsigned id, bool on)
{
    const auto found = FindCommand(id);
    if (found)
        SetItemCheck(*found->item, on, false);
    return found.has_value();
}

bool Menu::EnableCommand(unsigned id, bool on)
{
    const auto found = FindCommand(id);
    if (found)
        found->item->setEnabled(on);
    return found.has_value();
}

void Menu::SetOwner(WindowBase& owner)
{
    if (!m_widget)
        return;
    if (auto* link = DirectChild<MenuOwnerLink>(*m_widget))
        link->setOwner(owner.widget());
    else
        new MenuOwnerLink(owner.widget(), m_widget);
    HookMenu(m_widget);
}

unsigned Menu::CommandOf(const QAction& item) { return item.property(kCommandProperty).toUInt(); }

void Menu::SetItemCheck(QAction& item, bool on, bool radio)
{
    // Qt draws a radio mark only for an item of an exclusive group; an item
    // without a mark is not checkable, so that choosing it checks nothing.
    QWidget* holder = HolderOf(item);
    if (radio && on && holder)
        RadioGroup(holder)->addAction(&item);
    else if (item.actionGroup())
        item.actionGroup()->removeAction(&item);
    item.setCheckable(on);
    item.setChecked(on);
    item.setProperty(kCheckedProperty, on);
}

}  // namespace vexar::ui
