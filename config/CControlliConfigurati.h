#pragma once

// The definition set of one control definition file (*.PAR parameters,
// *.VAR variables, *.GDG diagnosis): loader, records, header values,
// cross-checks and the sizes of the data areas the records reach. Every
// refusal is one Italian entry in the set's session log; Load returns
//   0 loaded and verified      1 file missing          2 cannot open/decipher
//   3 header tag missing       4 block line missing or a check failed
//   5 bad value                6 CONTROLLO blocks badly nested

#include "config/CTagFileReader.h"
#include "config/RecControllo.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CControlliConfigurati : protected CTagFileReader {
public:
    // `path` is the definition file (UTF-8); `logName` the session log's
    // name ("InfoControlliPC", "InfoControlliVS", "InfoControlliGDG").
    CControlliConfigurati(std::string path, const std::u16string& logName);
    virtual ~CControlliConfigurati();
    CControlliConfigurati(const CControlliConfigurati&) = delete;
    CControlliConfigurati& operator=(const CControlliConfigurati&) = delete;

    // Reads the file once. `currentLanguage` is turned to upper case in
    // place; `languages` are the language names in the order of the
    // language lines of the file.
    int Load(std::u16string& currentLanguage, const std::vector<std::u16string>& languages);
    // Number of CONTROLLO blocks (counted once, from the file), or -1.
    int CountControls();

    // The records: valid after Load returned 0. Null before a load and for
    // a file without blocks. The set owns them.
    void GetControls(const REC_CONTROLLO*& records) const;
    const std::vector<REC_CONTROLLO>& Controls() const { return m_records; }

    std::int32_t GetProtocol() const { return m_nProtocol; }
    std::int32_t GetEndian() const { return m_nEndian; }
    std::int32_t GetBaudRate() const { return m_nBaudRate; }
    std::u16string GetLoaderProgram() const { return m_strBootLoader; }
    std::u16string GetFirmwareName() const { return m_strFirmwareName; }
    void GetFrequencies(std::int32_t& carMs, std::int32_t& acqMs) const;
    const std::string& GetFilePath() const { return m_strFile; }
    const std::string& GetLogPath() const { return m_log.GetPath(); }

    // Cross-checks: true when the set passes, else false after one log entry.
    bool CheckCategories(std::u16string_view kind);
    bool CheckGrids();
    bool CheckDuplicateIds();
    bool CheckCalcFormulas();
    bool CheckActions();
    // Operand keys of CONV_FORM_EXT conversions are looked up in `list`
    // (the records of the parameter set).
    bool CheckConversionFormulas(std::span<const REC_CONTROLLO> list);
    bool CheckConversionFormulas(const REC_CONTROLLO* list, std::int32_t count);
    // One log entry for a formula operand that names no control of the
    // built pages: the control `id` (with its `identifier`), the operand's
    // place `slot` (1 to 6) and its `key`.
    void LogUnresolvedOperand(std::int32_t id, std::u16string_view identifier, std::int32_t slot, std::int32_t key);

    // One past the last byte of the record with the highest LSB.
    std::int32_t GetParamAreaSize() const;
    std::int32_t GetDiagAreaSize() const;
    std::int32_t GetRestoreAreaSize() const;

private:
    int LoadHeader();
    int LoadControl(REC_CONTROLLO& rec, int index, const std::u16string& language,
                    const std::vector<std::u16string>& languages);
    int LoadConversion(REC_CONTROLLO& rec);
    int ParseCategory(int index, const std::u16string& language, const std::vector<std::u16string>& languages);
    void LogExtentsBeyondAreas();

    // Shared readers of the category parsers; each returns 0, 4 or 5.
    int ReadKeyword(std::u16string_view tag, std::initializer_list<std::pair<const char16_t*, std::int32_t>> words,
                    std::int32_t& value);
    int ReadInteger(std::u16string_view tag, std::int32_t& value);
    int ReadCount(std::u16string_view tag, std::int32_t& value);
    int ReadOptionalKey(std::u16string_view tag, std::int32_t& value);
    int ReadReal(std::u16string_view tag, double& value);
    int ReadDecimalCode(std::u16string_view tag, std::int32_t& value, std::u16string* text = nullptr);
    int ReadLabelledItem(std::u16string_view item, std::u16string_view codeTag, std::vector<std::u16string>& labels,
                         std::vector<std::int32_t>& codes, const std::u16string& language,
                         const std::vector<std::u16string>& languages);
    int ReadText(std::u16string_view tag, std::u16string& value, std::size_t width);
    int ReadColour(std::u16string_view tag, Colour& colour);
    int ReadVisibilityList(LISTA_VISIBILI& list);
    int ReadFormula(FormulaOperands& formula);
    int ReadHeader(INTESTAZIONE_GRIGLIA& header, std::int32_t cells, const std::u16string& language,
                   const std::vector<std::u16string>& languages);

    int ParseBarBlock(int index);
    int ParseCheckBlock(int index);
    int ParseButtonBlock(int index, const std::u16string& language, const std::vector<std::u16string>& languages);
    int ParseButtonCmdBlock(int index);
    int ParseComboBlock(int index, const std::u16string& language, const std::vector<std::u16string>& languages);
    int ParseDiagBlock(int index, const std::u16string& language, const std::vector<std::u16string>& languages);
    int ParseDiagBitBlock(int index, const std::u16string& language, const std::vector<std::u16string>& languages);
    int ParseEditBlock(int index);
    int ParseGridBlock(int index, const std::u16string& language, const std::vector<std::u16string>& languages);
    int ParseKnobBlock(int index);
    int ParseLedBlock(int index);
    int ParseNumCalcBlock(int index);
    int ParseNumEditBlock(int index);
    int ParseNumericBlock(int index);
    int ParseRiprBlock(int index, const std::u16string& language, const std::vector<std::u16string>& languages);
    int ParseRpmBlock(int index);
    int ParseSlideBlock(int index);
    int ParseStatoBlock(int index, const std::u16string& language, const std::vector<std::u16string>& languages);
    int ParseTermBlock(int index);
    int ParseVmeterBlock(int index);
    int ParseResetBlock(int index);

    std::vector<REC_CONTROLLO> m_records;
    std::int32_t m_nRecords = 0;
    std::int32_t m_nProtocol = 0;
    std::int32_t m_nEndian = 0;
    std::u16string m_strBootLoader;
    std::u16string m_strFirmwareName;
    std::int32_t m_nBlocksBegun = 0;
    std::int32_t m_nBaudRate = 0;
    std::int32_t m_nFreqCarMs = 0;
    std::int32_t m_nFreqAcqMs = 0;
};
