#pragma once

// The real dialogs behind the seam: QMessageBox and QFileDialog.

#include "platform/ui/DialogResponder.h"

#include <QStringList>

namespace vexar::ui {

class QtDialogs : public DialogResponder {
public:
    int MessageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> FileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> FolderDialog(const FolderDialogRequest& request) override;
};

// The Qt name filters of a filter in the system's form, description and
// patterns alternating between '|' ("Dat Files (*.dat)|*.dat|"). Each
// pattern is given in lower and upper case too, since the system's files
// are named in either on a file system that tells them apart.
QStringList QtFileFilters(const std::u16string& filter);

}  // namespace vexar::ui
