#pragma once

// The dialog responder of the tests. A test scripts the dialogs it expects,
// in order, each with its answer; every dialog shown is recorded. A dialog
// that was not scripted (or not the next one scripted) fails the test and
// is dismissed (Cancel, No, Abort or OK; no file), and a scripted dialog
// still unshown when the responder goes fails the test too.
//
//   ScriptedResponder dialogs;
//   dialogs.ExpectMessageBox(IDYES, u"Vuoi interrompere");
//   view.OnLanguage(2001);

#include "platform/ui/DialogResponder.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vexar::uitest {

struct ShownDialog {
    enum class Kind { MessageBox, File, Folder };
    Kind kind = Kind::MessageBox;
    QPointer<QWidget> owner{};
    std::u16string text{};     // message box text, dialog title
    std::u16string caption{};  // message box caption
    unsigned style = 0;
    bool save = false;
    std::string folder{};
    std::u16string fileName{};
    std::u16string filter{};
};

class ScriptedResponder : public ui::DialogResponder {
public:
    ScriptedResponder();
    ~ScriptedResponder() override;
    ScriptedResponder(const ScriptedResponder&) = delete;
    ScriptedResponder& operator=(const ScriptedResponder&) = delete;

    // The next dialog is a message box whose text holds `textPart`
    // (anything when empty), answered with `answer`.
    void ExpectMessageBox(int answer, std::u16string textPart = {});
    // The next dialog is a file dialog (an Open one unless `save`),
    // answered with `path`, or Cancel when none.
    void ExpectFileDialog(bool save, std::optional<std::string> path);
    void ExpectFolderDialog(std::optional<std::string> path);

    const std::vector<ShownDialog>& shown() const { return m_shown; }
    std::size_t pending() const { return m_script.size(); }

    int MessageBox(const ui::MessageBoxRequest& request) override;
    std::optional<std::string> FileDialog(const ui::FileDialogRequest& request) override;
    std::optional<std::string> FolderDialog(const ui::FolderDialogRequest& request) override;

private:
    struct Step {
        ShownDialog::Kind kind;
        bool save = false;
        std::u16string textPart;
        int answer = 0;
        std::optional<std::string> path;
    };
    // The next step when it fits the dialog, else a failure and nothing.
    std::optional<Step> Take(const ShownDialog& dialog);

    ui::DialogResponder* m_previous;
    std::deque<Step> m_script;
    std::vector<ShownDialog> m_shown;
};

}  // namespace vexar::uitest
