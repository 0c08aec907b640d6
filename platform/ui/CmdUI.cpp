#include "platform/ui/CmdUI.h"

#include "platform/ui/Menu.h"

#include <QAction>

namespace vexar::ui {

CmdUI::CmdUI(unsigned id, QAction* item) : m_id(id), m_item(item) {}

void CmdUI::Enable(bool on)
{
    if (m_item)
        m_item->setEnabled(on);
}

void CmdUI::SetCheck(bool on)
{
    if (m_item)
        Menu::SetItemCheck(*m_item, on, false);
}

void CmdUI::SetRadio(bool on)
{
    if (m_item)
        Menu::SetItemCheck(*m_item, on, true);
}

void CmdUI::SetText(const std::u16string& text)
{
    if (m_item)
        m_item->setText(QString::fromStdU16String(text));
}

}  // namespace vexar::ui
