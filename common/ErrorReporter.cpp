#include "common/ErrorReporter.h"

#include "common/Text.h"

#include <atomic>
#include <cstdio>

namespace vexar {

namespace {
std::atomic<ErrorReporter*> g_reporter{nullptr};
}

ErrorReporter* SetErrorReporter(ErrorReporter* reporter) { return g_reporter.exchange(reporter); }

void ReportError(const std::u16string& text)
{
    if (ErrorReporter* reporter = g_reporter.load()) {
        reporter->ShowError(text);
        return;
    }
    std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
}

}  // namespace vexar
