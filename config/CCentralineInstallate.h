#pragma once

// The catalogue of the ECU configurations installed in the folder
// "Configuration" beside the program: one folder per ECU, in it one folder
// per firmware revision holding the definition files, the layout files and
// "GestLang.cfg". A revision is kept when all six files are present and
// the header of each enciphered file names the revision itself; an ECU is
// kept when at least one revision is. Every problem goes to the log
// "InfoCentraline"; nothing is repaired.
//
// Folders and files are listed in a stable order (regardless of letter
// case, then exactly) and matched regardless of case, as the system names
// them; the catalogue keeps the names as they are on disk.

#include "common/CLogFile.h"

#include <cstdint>
#include <string>
#include <vector>

// The five file names of a revision, without folder.
struct FILE_CONFIGURAZIONE {
    std::u16string FILE_PAR;  // "*.PAR" parameter definitions
    std::u16string FILE_VAR;  // "*.VAR" system-variable definitions
    std::u16string FILE_GPC;  // "*.GPC" calibration-parameter window layout
    std::u16string FILE_GDG;  // "*.GDG" diagnosis definitions
    std::u16string FILE_GVS;  // "*.GVS" system-variable window layout
};

struct REC_FIRMWARE {
    std::u16string NOME_FIRMWARE;  // the revision folder's name
    FILE_CONFIGURAZIONE FILES;
};

struct REC_CENTRALINA {
    std::u16string NOME_CENTRALINA;  // the ECU folder's name
    std::vector<REC_FIRMWARE> REVISIONI;
};

class CCentralineInstallate {
public:
    // The view passes the log name "InfoCentraline".
    explicit CCentralineInstallate(const std::u16string& logName);
    virtual ~CCentralineInstallate() = default;
    CCentralineInstallate(const CCentralineInstallate&) = delete;
    CCentralineInstallate& operator=(const CCentralineInstallate&) = delete;

    // Builds the catalogue from the folder tree; a scan replaces the whole
    // catalogue and puts both cursors back to the start. A folder that
    // cannot be read stops the scan: the catalogue stays as it was and the
    // result is whether an earlier scan had completed.
    bool ScanInstalled();
    // The header check of `fileName` in `folder` (ending with '/'): the
    // first two lines as stored must be the CODICE_ECU and ID_FIRMWARE
    // value lines, ID_FIRMWARE naming `revision` regardless of case.
    bool CheckHeader(const std::string& folder, const std::u16string& fileName, const std::u16string& revision);

    // Cursors over the ECUs and the revisions of the selected ECU. A name
    // finds the folder spelt so on disk, else the first that matches it
    // regardless of case. Past the end, or when nothing matches, they
    // yield false with an empty name.
    bool GetFirstEcu(std::u16string& name);
    bool GetNextEcu(std::u16string& name);
    bool GetFirstFirmware(const std::u16string& ecu, std::u16string& name);
    bool GetNextFirmware(std::u16string& name);
    // Copies the five file names of that revision; false, record untouched,
    // when the ECU or the revision is not in the catalogue.
    bool GetConfigFiles(const std::u16string& ecu, const std::u16string& revision, FILE_CONFIGURAZIONE& files);
    // The configuration folder, ending with '/'.
    void GetConfigurationPath(std::string& path) const { path = m_strConfigPath; }

    bool IsScanned() const { return m_bScanned; }
    const std::vector<REC_CENTRALINA>& Ecus() const { return m_ecus; }

private:
    // Returns false after logging when `folder` cannot be read.
    bool ScanEcu(const std::string& ecuName, REC_CENTRALINA& ecu);
    bool ScanRevision(const std::string& ecuName, const std::string& revisionName, REC_FIRMWARE& revision,
                      bool& valid);
    void LogCannotEnter(const std::string& folder);
    // Moves the ECU cursor to the ECU of that name (as spelt first, then
    // regardless of case); false past the end.
    bool SelectEcu(const std::u16string& ecu);

    std::string m_strConfigPath;
    std::vector<REC_CENTRALINA> m_ecus;
    bool m_bScanned = false;
    std::int32_t m_nEcuCursor = 0;
    std::int32_t m_nFirmwareCursor = 0;
    CLogFile m_log;
};
