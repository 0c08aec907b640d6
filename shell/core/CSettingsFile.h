#pragma once

// The workstation settings "VEXAR.cfg" and a configuration's "ECU.cfg":
// enciphered line files whose data lines (neither empty nor "//" comments)
// are numbered values. Value 0 is the version, 1 the K-line flag, 2 the
// edition, 3 to 49 the display settings, 50 to 68 the states of the
// command buttons, 69 the list-upload flag. A file without the version
// line (its first data line has no ".") is of the old layout without
// values 0 and 1: every later value number is then shifted by 2, in that
// file and in every ECU.cfg read after it.
//
// No widget here: the view copies its values in before a read and out
// after it, so a read that stops keeps what was not decoded.

#include "pages/core/LayoutSettings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexar::shell {

inline constexpr int kButtonCount = 19;
inline constexpr std::int32_t kGridColumnWidth = 65;

// What the two files set.
struct SETTINGS_VALUES {
    std::u16string version;
    std::uint8_t kLine = 0;
    std::int32_t editionView = 0;
    LAYOUT_SETTINGS layout;
    std::uint8_t listUpload = 0;
    std::int32_t shift = 0;  // 0 or 2
};

class CSettingsFile {
public:
    enum class ReadResult { Read, OpenFailed, DecodeFailed };

    // Decodes data line `n` (counted from 0) into `values`; false when the
    // line does not decode.
    static bool ParseSettingValue(int n, std::u16string_view line, SETTINGS_VALUES& values);

    // Reads "VEXAR.cfg": the grid column width becomes 65, then the data
    // lines are decoded in order until the first that does not decode; a
    // failure within values 0 to 49 is reported ("Error to decode %d
    // configuration parameter!"), one after them ends the read silently; a
    // file that does not open is reported ("Error to open file %s!").
    // Every read that opens the file sets the button states to 0. The lines
    // that follow value 49 are kept, as read, in `tail`.
    static ReadResult ReadSettings(const std::string& path, SETTINGS_VALUES& values,
                                   std::vector<std::u16string>& tail);

    // The edition (value 2) of "VEXAR.cfg", where the file's layout keeps
    // it: its third data line, or its first in the old layout. Nothing when
    // the file does not open (reported: "Error to open file %s!") or the
    // value is not reached or does not decode.
    static std::optional<std::int32_t> ReadEdition(const std::string& path);

    // Reads a configuration's "ECU.cfg": button states from `savedStates`,
    // grid column width 65 and list upload 0 first; then data lines as
    // values 3, 4, ... until the first that does not decode, silently. The
    // states read go back into `savedStates`; for a privileged `oprator`
    // (1 to 3) a state 0 then becomes 2.
    static void ReadConfigurationLayout(const std::string& path, SETTINGS_VALUES& values,
                                        std::array<std::int32_t, kButtonCount>& savedStates,
                                        std::int32_t oprator);

    // The text of "VEXAR.cfg": values 0 to 49 with their comments, from the
    // version, the K-line flag, the edition and the file copy of the
    // display settings; then `tail` as it was read.
    static std::u16string SettingsText(const std::u16string& version, std::uint8_t kLine, std::int32_t edition,
                                       const LAYOUT_SETTINGS& layout, const std::vector<std::u16string>& tail);
    // Writes it whole or not at all; a failure is reported ("Error to open
    // file %s!" when the cipher cannot be prepared, "Error to write file
    // %s!" when the file cannot be replaced) and keeps the old file.
    static bool WriteSettings(const std::string& path, const std::u16string& text);
};

}  // namespace vexar::shell
