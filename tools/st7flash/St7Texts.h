#pragma once

#include "tools/common/LoaderTexts.h"

#include <string>

namespace vexar::tools::st7 {

// st7flash's texts, each in English and Italian.
enum class Text {
    WindowName,
    TryReset,          // "%ld" the port
    WaitingBoot,
    AbortiveAttempt,
    TryErase,
    DownloadCompleted,
    OpenErrorAdvance,  // port, error number
    OpenErrorStart,
    PressOkSwitchOn,
    ErrorErasing,
    ErrorProgramming,
    ErrorVector,
    ErrorCheck,
    ReconnectConverter,
    ComUsbConflict,
    NoComFound,
};

// The text in the language, "%ld" placeholders filled from the numbers.
std::u16string Format(Text text, ToolLanguage language, long first = 0, long second = 0);

}  // namespace vexar::tools::st7
