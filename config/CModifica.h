#pragma once

// The change history of a calibration file: one MODIFICA per value that
// changed between the value loaded or last saved and the value saved, kept
// in ascending time and written after an "<INIZIO_MODIFICHE>" line as
//
//   <MODIFICA>
//   \t<DATA>\tMonday, 03/11/2008\t</DATA>
//   \t<ORA>\t14:05:09\t</ORA>
//   \t<IDENTIFICATORE>\tP1\t</IDENTIFICATORE>
//   \t\t<PRECEDENTE>\t10\t</PRECEDENTE>
//   \t\t<CORRENTE>\t12\t</CORRENTE>
//   </MODIFICA>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

class CCriptFile;

struct MODIFICA {
    std::u16string IDENTIFICATORE;  // with "[i]" or "[r,c]" for an element of an array or a map
    std::u16string PRECEDENTE;      // the value before, as the calibration line has it
    std::u16string CORRENTE;        // the value after
    std::time_t time = 0;           // local time, to the second
};

class CModifica {
public:
    CModifica() = default;
    virtual ~CModifica();

    // Inserts a copy after every record that is not later than it; never
    // replaces a record, so one parameter may appear many times.
    void AddModification(const MODIFICA& record);
    void RemoveAll();

    std::int32_t GetCount() const { return static_cast<std::int32_t>(m_list.size()); }
    const std::vector<MODIFICA>& GetList() const { return m_list; }

    // Empty the list, then read MODIFICA blocks up to the end of the file;
    // the file stands after the "<INIZIO_MODIFICHE>" line. False at the
    // first line out of place; the records completed before it stay.
    bool ReadFromCriptFile(CCriptFile& file);
    // Nothing at all for an empty list.
    bool WriteToCriptFile(CCriptFile& file);

private:
    std::vector<MODIFICA> m_list;
};
