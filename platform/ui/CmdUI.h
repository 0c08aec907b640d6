#pragma once

// One menu item as the update handlers see it before its menu shows: they
// enable it, check it (plainly or as a radio item) and set its text.

#include <QPointer>

#include <string>

class QAction;

namespace vexar::ui {

class CmdUI {
public:
    CmdUI(unsigned id, QAction* item);

    unsigned id() const { return m_id; }
    void Enable(bool on = true);
    void SetCheck(bool on = true);
    void SetRadio(bool on = true);
    void SetText(const std::u16string& text);

private:
    unsigned m_id;
    QPointer<QAction> m_item;
};

}  // namespace vexar::ui
