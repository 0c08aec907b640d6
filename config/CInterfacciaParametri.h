#pragma once

// Reader of one window-layout file (*.GPC for the calibration-parameter
// window, *.GVS for the system-variable window) into the caller's
// REC_INTERFACCIA, with the checks of the placed keys against the
// installed definitions and the tab of the controls no layout places.
// Every refusal is one Italian entry in the reader's session log.
// LoadLayout returns
//   0 read   1 file missing   2 cannot open/decipher
//   3 CODICE_ECU or ID_FIRMWARE missing   4 line missing or out of order
//   5 bad value

#include "config/CTagFileReader.h"
#include "config/RecInterfaccia.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CInterfacciaParametri : protected CTagFileReader {
public:
    // `path` is the layout file (UTF-8); `logName` the session log's name
    // ("InfoInterfaccePC", "InfoInterfacceVS"). Empties the record's tabs
    // and the pages of its status bar and hidden tab; nothing else of it
    // is touched.
    CInterfacciaParametri(std::string path, REC_INTERFACCIA& layout, const std::u16string& logName);
    virtual ~CInterfacciaParametri() = default;
    CInterfacciaParametri(const CInterfacciaParametri&) = delete;
    CInterfacciaParametri& operator=(const CInterfacciaParametri&) = delete;

    // Reads the file once. `currentLanguage` is turned to upper case in
    // place; `languages` are the names of the language lines, in order.
    int LoadLayout(std::u16string& currentLanguage, const std::vector<std::u16string>& languages);

    // For a *.GPC layout: status-bar keys unique and all variables, tab
    // keys unique across tabs and all parameters.
    bool CheckParamIds(std::span<const REC_CONTROLLO> params, std::span<const REC_CONTROLLO> vars);
    // For a *.GVS layout: status-bar and tab keys together unique and all
    // variables.
    bool CheckVarIds(std::span<const REC_CONTROLLO> vars);

    // Whether a tab (not the status bar, not the hidden tab) places `id`.
    bool IsIdPlaced(std::int32_t id) const;
    // Fill the hidden tab with every definition no tab places (for
    // parameters, leaving out those serving as a map's calibrable header).
    void AddHiddenParams(std::span<const REC_CONTROLLO> params);
    void AddHiddenVars(std::span<const REC_CONTROLLO> vars);

    const std::string& GetFilePath() const { return m_strFile; }
    const std::string& GetLogPath() const { return m_log.GetPath(); }

private:
    void ClearLayout();
    int ReadLayout(std::u16string& language, const std::vector<std::u16string>& languages);
    int ReadPage(REC_PAGINA& page, std::u16string& language, const std::vector<std::u16string>& languages);
    int ReadTab(REC_CARTELLA& tab, std::u16string& language, const std::vector<std::u16string>& languages);
    int ReadInteger(std::u16string_view tag, std::int32_t& value);
    int ReadCount(std::u16string_view tag, std::int32_t& value);
    int ReadOperator(std::int32_t& value);


    std::vector<std::int32_t> StatusBarKeys() const;
    std::vector<std::int32_t> TabKeys() const;
    void FillHiddenTab(const std::vector<std::int32_t>& keys);

    REC_INTERFACCIA& m_layout;
};
