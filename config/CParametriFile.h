#pragma once

// Calibration files (*.DAT): an enciphered text file holding a two-line
// header (ECU code and firmware), one line or group of lines per parameter
// control written by the control itself, the comment blocks and the change
// history. Saving replaces the file whole or not at all.

#include "common/CCriptFile.h"
#include "common/CLogFile.h"
#include "config/CCommenti.h"
#include "config/CModifica.h"
#include "config/CtrlWnd.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class CParametriFile {
public:
    CParametriFile(std::string path, const std::u16string& logName);
    virtual ~CParametriFile();
    CParametriFile(const CParametriFile&) = delete;
    CParametriFile& operator=(const CParametriFile&) = delete;

    void SetFileName(std::string path);
    // The controls whose lines are written: every control of the first
    // table with lines, and the recovery-action lists of the second. The
    // tables are not owned and must stay put until the next call.
    void SetControls(std::int32_t firstCount, const CTRL_WND* first, std::int32_t secondCount,
                     const CTRL_WND* second);

    // 0 written, 2 the file could not be written (the previous file is then
    // left as it was). A non-empty path becomes the object's path.
    std::int32_t Write(const std::u16string& ecuCode, const std::u16string& firmware, const std::string& path);
    // 0 read, 1 no such file, 2 not read (not opened, firmware unsuitable, a
    // line refused, comments or history unreadable), 3 a header line
    // missing. `fileFirmware` is set when the file's firmware differs.
    std::int32_t Read(const std::u16string& ecuCode, const std::u16string& firmware, std::u16string& fileFirmware,
                      const std::string& path, bool& nameFound);
    // 0 suitable, 1 no such file, 2 not opened or unsuitable, 3 a header line
    // missing. `fileFirmware` is set whenever the identifiers differ.
    std::int32_t CheckFirmware(const std::string& path, const std::u16string& firmware,
                               std::u16string& fileFirmware);
    std::int32_t ReadHeader(const std::string& path, std::u16string& firmware);

    // Looks a name up in the first table (while `searchFirst` is set) and
    // then in the second; a match in the second clears `searchFirst`.
    bool FindControlByName(const std::u16string& name, bool& searchFirst, CTRL_WND& entry);
    // Reads exactly one line of the open file, which must be a value line
    // of `tag`.
    bool ExpectMarker(std::u16string& value, std::u16string_view tag);

    // Two firmware identifiers suit each other when equal, or when both
    // have at least 11 units, agree in their first three (upper-cased), and
    // their 11th units are equal, both digits 0..4, or both at or above '5'.
    static bool FirmwareSuits(std::u16string_view a, std::u16string_view b);
    // Whether a line of the file ends its parameter lines: the opening tag
    // of the comments or of the change history, alone on the line.
    static bool EndsParameters(std::u16string_view line);

    const std::string& GetFileName() const { return m_path; }
    // The comments and the history of the file last read, with what was
    // added since.
    CCommenti& GetCommenti() { return m_commenti; }
    const CCommenti& GetCommenti() const { return m_commenti; }
    CModifica& GetModifiche() { return m_modifiche; }

private:
    bool SaveControl(const CTRL_WND& entry);
    std::int32_t ReadParameters(bool& nameFound, bool& atComments, bool& atHistory);
    void Fail(const std::u16string& message);
    void Log(const std::u16string& text);

    CLogFile m_log;
    std::string m_path;
    std::string m_readPath;  // the file being read, named by the messages
    CCriptFile m_file;
    std::span<const CTRL_WND> m_first;
    std::span<const CTRL_WND> m_second;
    CCommenti m_commenti;
    CModifica m_modifiche;
};
