#pragma once

// Records the messages meant for the user instead of showing them, for
// the life of the object.

#include "common/ErrorReporter.h"
#include "common/Text.h"

#include <string>
#include <vector>

namespace vexar::linktest {

class RecordingReporter : public ErrorReporter {
public:
    RecordingReporter() : m_previous(SetErrorReporter(this)) {}
    ~RecordingReporter() override { SetErrorReporter(m_previous); }
    RecordingReporter(const RecordingReporter&) = delete;
    RecordingReporter& operator=(const RecordingReporter&) = delete;

    void ShowError(const std::u16string& text) override { shown.push_back(ToUtf8(text)); }
    std::vector<std::string> shown;

private:
    ErrorReporter* m_previous;
};

}  // namespace vexar::linktest
