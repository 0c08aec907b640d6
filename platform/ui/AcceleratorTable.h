#pragma once

// An accelerator table: keys with their modifiers turned into command ids.
// A window translates a key in its preTranslateMessage; the command goes
// straight to that window as WM_COMMAND (onMessage, then onCommand), as the
// system's accelerators send theirs to the window that translated them.
//
//   static const AcceleratorTable table{{Qt::CTRL | Qt::Key_Z, 32846}};
//   bool CPage::preTranslateMessage(QWidget&, QEvent& e) { return table.Translate(*this, e); }

#include <QKeyCombination>

#include <initializer_list>
#include <optional>
#include <vector>

class QEvent;

namespace vexar::ui {

class WindowBase;

struct Accelerator {
    QKeyCombination keys;  // the key with exactly these of Shift, Ctrl and Alt held
    unsigned command = 0;
};

class AcceleratorTable {
public:
    AcceleratorTable(std::initializer_list<Accelerator> entries);
    // A table made from data (a command table's key rows).
    explicit AcceleratorTable(std::vector<Accelerator> entries);

    // The command of a key press (auto-repeats included) that the table
    // holds.
    std::optional<unsigned> Match(const QEvent& event) const;
    // When the table holds the key, sends its command to `window` and
    // returns true (whether or not the window handled the command).
    bool Translate(WindowBase& window, const QEvent& event) const;

private:
    std::vector<Accelerator> m_entries;
};

}  // namespace vexar::ui
