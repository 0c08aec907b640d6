#pragma once

// "Calib.cfg" beside the program, plain text, one value a line: the folder
// and the name of the last calibration file, the seconds of the DTR pulse
// after a passed test and the auxiliary COM port of that pulse.

#include <cstdint>
#include <optional>
#include <string>

namespace vexar::shell {

struct CALIB_SETTINGS {
    std::optional<std::u16string> folder;  // lines 1 and 2, both present or neither
    std::optional<std::u16string> name;
    std::optional<std::int32_t> dtrSeconds;  // line 3
    std::optional<std::int32_t> auxPort;     // line 4
};

class CCalibSettingsFile {
public:
    // What the file holds, line by line up to the first missing one;
    // nothing when it does not open. A line that is no number reads 0.
    static CALIB_SETTINGS Read(const std::string& path);
    // Writes the four lines whole or not at all (ANSI text); false when it
    // could not.
    static bool Write(const std::string& path, const std::u16string& folder, const std::u16string& name,
                      std::int32_t dtrSeconds, std::int32_t auxPort);
};

}  // namespace vexar::shell
