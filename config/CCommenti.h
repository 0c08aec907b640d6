#pragma once

// Dated free-text comments of a calibration or acquisition file, kept in
// ascending time and read and written as COMMENTO blocks:
//
//   <COMMENTO>
//   <DATA>\t\tMonday, 03/11/2008\t</DATA>
//   <ORA>\t\t14:05:09\t</ORA>
//   <TESTO>
//   the text, one line per line
//   </TESTO>
//   </COMMENTO>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

class CCriptFile;
class CStdioFileEx;

struct COMMENTO {
    std::u16string text;    // lines joined by line feeds
    std::time_t time = 0;   // local time, to the second
};

class CCommenti {
public:
    CCommenti() = default;
    virtual ~CCommenti();

    // Inserts a copy after every comment that is not later than it.
    void AddComment(const COMMENTO& comment);
    void RemoveAll();

    std::int32_t GetCount() const { return static_cast<std::int32_t>(m_list.size()); }
    const std::vector<COMMENTO>& GetList() const { return m_list; }

    // Empty the list, then read COMMENTO blocks up to the end of the file or
    // the opening line of a change history. `openingToRead` false: the
    // caller has already read the first block's "<COMMENTO>" line. False at
    // the first line out of place; the comments completed before it stay.
    bool ReadFromTextFile(CStdioFileEx& file, bool openingToRead);
    bool ReadFromCriptFile(CCriptFile& file, bool openingToRead);

    // Write every comment as a block, in list order. The text file is
    // flushed after each block; false when it is not open or a write fails.
    bool WriteToTextFile(CStdioFileEx& file);
    bool WriteToCriptFile(CCriptFile& file);

private:
    std::vector<COMMENTO> m_list;
};
