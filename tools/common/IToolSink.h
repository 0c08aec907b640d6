#pragma once

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
    // kd02flash: a status line by its code (and the number code 13 shows).
    virtual void StatusCode(int code, long value) = 0;
    // The other tools: a status line as text.
    virtual void StatusText(std::u16string text) = 0;
    // Bytes written so far and the address reached.
    virtual void Progress(long written, long address) = 0;
    // A box with the buttons; the answer. Once the worker is asked to quit
    // the answer is Cancel (No for a Yes/No box, OK for an OK box) at once.
    virtual int Box(const std::u16string& text, BoxButtons buttons) = 0;
    // The run has ended (or was stopped): the dialog shows idle.
    virtual void RunEnded() = 0;
};

}  // namespace vexar::tools
