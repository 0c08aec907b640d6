#pragma once

#include "platform/ui/MessageRelay.h"
#include "tools/common/IToolSink.h"
#include "tools/common/ToolMessages.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace vexar::tools {

// The dialog's side of a tool's worker reports: each call becomes a message
// posted to the dialog through a relay (status lines carry their text as
// the record), and a box is shown on the dialog's thread by a task whose
// answer goes back to the waiting worker. Made on the dialog's thread.
class CToolRelaySink : public IToolSink {
public:
    // How kd02flash turns its status codes into lines.
    using CodeLine = std::function<std::u16string(int code, int port, long value)>;

    CToolRelaySink(QWidget* dialog, std::u16string boxCaption, CodeLine codeLine = {});
    ~CToolRelaySink() override;

    void StatusCode(int code, int port, long value) override;
    void StatusText(std::u16string text) override;
    void Progress(long written, long address) override;
    void ShowBox(const std::u16string& text, BoxButtons buttons, std::function<void(int)> answer) override;
    void PortChosen(int port) override;
    void RunEnded() override;
    void Succeeded() override;

    // Boxes still to come are answered Cancel at once, posts dropped. The
    // dialog calls it before it waits for its worker at exit.
    void Close();

private:
    QPointer<QWidget> m_dialog;  // owner of the boxes
    QPointer<QObject> m_target;  // where the posts go
    std::u16string m_caption;
    CodeLine m_codeLine;
    ui::MessageRelay m_relay;
};

}  // namespace vexar::tools
