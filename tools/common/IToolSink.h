#pragma once

#include <functional>
#include <string>

namespace vexar::tools {

// The buttons of a box a worker raises, and the answers.
enum class BoxButtons { Ok, YesNo, RetryCancel };
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDRETRY = 4;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Where a tool's worker reports: the dialog turns each call into a posted
// message (or, for a box, a question answered on its own thread). A worker
// never touches a window itself.
class IToolSink {
public:
    virtual ~IToolSink() = default;
    // kd02flash: a status line by its code, with the port it names and the
    // system's error number that code 13 shows.
    virtual void StatusCode(int code, int port, long value) = 0;
    // The other tools: a status line as text.
    virtual void StatusText(std::u16string text) = 0;
    // Bytes written so far and the address reached.
    virtual void Progress(long written, long address) = 0;
    // Shows a box with the buttons on the dialog's thread and gives the
    // button pressed to `answer` (from any thread, at most once). The
    // worker waits for it through CToolWorker::Ask, so a quit or an abort
    // ends the wait even when the box is still open.
    virtual void ShowBox(const std::u16string& text, BoxButtons buttons, std::function<void(int)> answer) = 0;
    // The port advance has made `port` the configured one: the title shows it.
    virtual void PortChosen(int port) = 0;
    // The run has ended (or was stopped): the dialog shows idle.
    virtual void RunEnded() = 0;
    // The download succeeded (st7flash paints its bar green); before RunEnded.
    virtual void Succeeded() {}
};

}  // namespace vexar::tools
