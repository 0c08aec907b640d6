#pragma once

// Where the language and settings helpers send the messages that the user
// must see ("Error to access file %s!"). The GUI installs a reporter that
// shows each one as a message box; tests install one that records them.
// Without a reporter a message goes to the standard error stream.

#include <string>

namespace vexar {

class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void ShowError(const std::u16string& text) = 0;
};

// Installs `reporter` (none: back to the standard error stream) and returns
// the one it replaces. The reporter is not owned.
ErrorReporter* SetErrorReporter(ErrorReporter* reporter);
void ReportError(const std::u16string& text);

// Installs a reporter for the life of a scope and puts the previous one back.
class ScopedErrorReporter {
public:
    explicit ScopedErrorReporter(ErrorReporter& reporter) : m_previous(SetErrorReporter(&reporter)) {}
    ~ScopedErrorReporter() { SetErrorReporter(m_previous); }
    ScopedErrorReporter(const ScopedErrorReporter&) = delete;
    ScopedErrorReporter& operator=(const ScopedErrorReporter&) = delete;

private:
    ErrorReporter* m_previous;
};

}  // namespace vexar
