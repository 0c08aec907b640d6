#pragma once

// The program's error reporter: every message of the helpers below the
// windows ("Error to access file %s!") becomes a message box with an empty
// title, the exclamation icon and an OK button, owned by the main window
// when there is one. A message from another thread is shown later on the
// user-interface thread; the caller does not wait for it.

#include "common/ErrorReporter.h"

#include <QPointer>
#include <QWidget>

namespace vexar::ui {

class MessageBoxErrorReporter : public ErrorReporter {
public:
    void SetOwner(QWidget* owner) { m_owner = owner; }
    void ShowError(const std::u16string& text) override;

private:
    QPointer<QWidget> m_owner;
};

}  // namespace vexar::ui
