#pragma once

// The rules of the petrol-side windows that need no widget: the text of a
// PID result, the look-up of descriptions, units and code texts in the
// language's petrol companion file, the rows of a trouble-code reading,
// and the PID.cfg and Benz.cfg files of the live-values window. All of it
// is C-locale: decimal points whatever the user's locale.

#include "link/CObdBinding.h"
#include "link/ObdRecords.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace CUtility {

// Row images of the petrol lists.
inline constexpr int kPidImageGood = 1;
inline constexpr int kPidImageFailed = 2;
inline constexpr int kPidImageNew = 3;

// 0 "OL", 1 "CL", 2 "OL-Drive", 3 "OL-Fault", 4 "CL-Fault", else "---".
std::u16string FormatFuelSystemStatus(int code);
// The text of a failed library call: 1 "ComunicationError" ... 5
// "GenericError", any other "---".
std::u16string PidErrorText(int status);
// The value text of a good result of `pid`; empty for a PID without one.
std::u16string FormatPidValue(int pid, const vexar::link::OBD_PID_RESULT& result);
// A supported-PID bitmap (PIDs 00, 20, 40): its 32 flags as digits.
std::u16string FormatPidBitmap(const std::array<std::int32_t, 32>& flags);
// The image and value text of a result: image 1 and the value when the
// status is 0, else image 2 and the error text.
std::pair<int, std::u16string> PidResultText(int pid, const vexar::link::OBD_PID_RESULT& result);
// PIDs whose results the windows show.
bool IsShownPid(int pid);

// "<folder>/Benz_<name>" of a language file "<folder>/<name>"; empty
// without a folder.
std::string BenzCompanionPath(const std::string& languageFile);
// The rest of the first line of the companion file that holds `key`
// anywhere, trimmed; empty when none does or the file does not open.
std::u16string ReadBenzValue(const std::string& languageFile, std::u16string_view key);

// The rows of a trouble-code reading, each (code, companion text). A
// reading with status 0 lists its codes, at most as many as its buffer
// holds; status 2 (no data, as a car without codes may answer) lists
// none; any other status lists one row "---" with the error text, so a
// failed reading never looks like a car without codes.
std::vector<std::pair<std::u16string, std::u16string>> TroubleCodeRows(const vexar::link::OBD_DTC_LIST& list,
                                                                        const std::string& languageFile);

// PID.cfg: one "PID%02X\t// %s\n" line per PID with its description, as
// UTF-16 with a byte-order mark; written whole through a temporary file,
// false (the old file kept) when it cannot be.
bool WritePidFile(const std::string& path, const std::vector<std::pair<int, std::u16string>>& rows);

// Benz.cfg: the window's place (left, top, width, height) and the four
// column widths.
struct BenzLayout {
    std::optional<std::array<long, 4>> place;
    std::optional<std::array<long, 4>> widths;
};
// Line 1 the place, line 2 the widths, each counted only with all four
// numbers; a missing or unreadable file gives neither.
BenzLayout ReadBenzLayout(const std::string& path);
bool WriteBenzLayout(const std::string& path, const std::array<long, 4>& place, const std::array<long, 4>& widths);

// The OBD period field's bounds in ms: the poll channel counts 10 ms ticks,
// 1 to 65535 of them.
inline constexpr int kObdPeriodMin = 10;
inline constexpr int kObdPeriodMax = 655350;
// The period a field value stands for: a whole number within the bounds;
// nullopt for anything else (the period is then left as it is).
std::optional<int> ObdPeriodOf(double value);

}  // namespace CUtility
