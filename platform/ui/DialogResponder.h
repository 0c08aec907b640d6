#pragma once

// The seam in front of every message box and file dialog. The program
// answers through real Qt dialogs; a test installs a responder that
// records each one and returns a scripted answer, so nothing ever waits
// for a person.

#include "platform/ui/DialogRequests.h"

#include <optional>
#include <string>

namespace vexar::ui {

class DialogResponder {
public:
    virtual ~DialogResponder() = default;
    // One of IDOK ... IDNO.
    virtual int MessageBox(const MessageBoxRequest& request) = 0;
    // The chosen path, nothing on Cancel.
    virtual std::optional<std::string> FileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> FolderDialog(const FolderDialogRequest& request) = 0;
};

// Installs `responder` (none: the real dialogs) and returns the one it
// replaces. Not owned. User-interface thread only, like the dialogs.
DialogResponder* SetDialogResponder(DialogResponder* responder);

// The dialogs as the program calls them.
int MessageBox(QWidget* owner, const std::u16string& text, const std::u16string& caption, unsigned style);
std::optional<std::string> FileDialog(const FileDialogRequest& request);
std::optional<std::string> FolderDialog(const FolderDialogRequest& request);

}  // namespace vexar::ui
