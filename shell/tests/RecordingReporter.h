#pragma once

// Records the messages meant for the user instead of showing them.

#include "common/ErrorReporter.h"
#include "common/Text.h"

#include <string>
#include <vector>

namespace vexar::shelltest {

class RecordingReporter : public ErrorReporter {
public:
    RecordingReporter() : m_scope(*this) {}
    void ShowError(const std::u16string& text) override { shown.push_back(ToUtf8(text)); }
    std::vector<std::string> shown;

private:
    class Scope {
    public:
        explicit Scope(ErrorReporter& reporter) : m_previous(SetErrorReporter(&reporter)) {}
        ~Scope() { SetErrorReporter(m_previous); }

    private:
        ErrorReporter* m_previous;
    } m_scope;
};

}  // namespace vexar::shelltest
