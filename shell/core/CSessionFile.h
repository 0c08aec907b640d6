#pragma once

// The last session, "VEXARDef.cfg" beside the program, enciphered, nine
// lines: the operator profile key, the language file name, the COM port
// number and device path, and the five files of the selected
// configuration (*.PAR, *.GPC, *.VAR, *.GVS, *.GDG). The frame reads line
// 2, the application lines 3 and 4, the view the rest.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vexar::shell {

// The operator profile as the application object keeps it.
struct OPERATOR_PROFILE {
    std::int32_t oprator = 0;  // m_nOperator: 0 public, 1 privileged, 2 remote
    bool svil = false;         // development
    bool limit = false;        // limited
    bool pblLimit = false;     // public limited
};

struct SESSION {
    OPERATOR_PROFILE profile;
    std::u16string langFileName;  // "Italiano.lng"
    std::int32_t comPort = 1;
    std::u16string comPath;
    std::array<std::string, 5> configPaths;  // *.PAR, *.GPC, *.VAR, *.GVS, *.GDG
};

class CSessionFile {
public:
    // "OPR_SVIL", "OPR_LIMIT", "OPR_PBL_LIMIT" by the flag set, else
    // "OPR_PRV", "OPR_REM" or "OPR_PBL" by the profile.
    static std::u16string ProfileKey(const OPERATOR_PROFILE& profile);
    // The profile of a key; any other text is the public profile.
    static OPERATOR_PROFILE ProfileOfKey(const std::u16string& key);

    static std::u16string SessionText(const SESSION& session);
    // Writes the file whole or not at all; a failure is reported ("Error
    // to open file %s!", or "Error to write file %s!" when it cannot be
    // replaced) and keeps the old file.
    static bool WriteSession(const std::string& path, const SESSION& session);

    // The lines of the file, up to nine; false, reported, when it is not
    // there ("Error to access file %s!") or does not open ("Error to open
    // file %s!").
    static bool ReadLines(const std::string& path, std::vector<std::u16string>& lines);
};

}  // namespace vexar::shell
