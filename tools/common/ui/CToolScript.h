#pragma once

// A test-only way to drive a tool from outside: when VEXAR_TOOL_SCRIPT is
// set (only tests set it), message boxes and file dialogs are answered from
// it in order, Start is pressed once the start argument is applied, and
// Exit once the run has ended. A dialog the script does not expect ends the
// tool without its settings and makes it exit with a non-zero code.
//
//   VEXAR_TOOL_SCRIPT="run"              Start, then Exit; no box expected
//   VEXAR_TOOL_SCRIPT="run,retry,cancel" ... answering two boxes in order
//
// Answers: ok, cancel, yes, no, retry.

#include "platform/ui/DialogResponder.h"

#include <QPointer>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace vexar::tools {

class CToolScript : public ui::DialogResponder {
public:
    // The script of the environment, or none.
    static std::unique_ptr<CToolScript> FromEnvironment();
    // Reads a script; false for a malformed one.
    bool Parse(const std::string& text);

    ~CToolScript() override;

    // Installs itself as the dialogs' responder and learns how to press the
    // dialog's buttons and how to end it without its settings.
    void Attach(std::function<void()> pressStart, std::function<void()> pressExit, std::function<void()> abandon);
    // The dialog's moments.
    void ArgumentApplied();
    void RunEnded();

    // Whether the tool must end with a failure.
    bool Failed() const { return m_failed; }

    int MessageBox(const ui::MessageBoxRequest& request) override;
    std::optional<std::string> FileDialog(const ui::FileDialogRequest& request) override;
    std::optional<std::string> FolderDialog(const ui::FolderDialogRequest& request) override;

private:
    void Fail(const std::u16string& what);

    bool m_run = false;
    std::deque<int> m_answers;
    bool m_started = false;
    bool m_failed = false;
    bool m_attached = false;
    ui::DialogResponder* m_previous = nullptr;
    std::function<void()> m_pressStart, m_pressExit, m_abandon;
};

}  // namespace vexar::tools
