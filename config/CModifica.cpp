#include "config/CModifica.h"

#include "common/CCriptFile.h"
#include "common/TagLine.h"
#include "common/Text.h"
#include "config/DateTimeFields.h"

#include <algorithm>

namespace {

std::u16string ValueLine(std::u16string_view indent, std::u16string_view tag, std::u16string_view value)
{
    return vexar::Format(u"%s<%s>\t%s\t</%s>\n", indent, tag, value, tag);
}

std::u16string Block(const MODIFICA& record)
{
    std::u16string block = u"<MODIFICA>\n";
    block += ValueLine(u"\t", u"DATA", vexar::FormatTagDate(record.time));
    block += ValueLine(u"\t", u"ORA", vexar::FormatTagTime(record.time));
    block += ValueLine(u"\t", u"IDENTIFICATORE", record.IDENTIFICATORE);
    block += ValueLine(u"\t\t", u"PRECEDENTE", record.PRECEDENTE);
    block += ValueLine(u"\t\t", u"CORRENTE", record.CORRENTE);
    block += u"</MODIFICA>\n";
    return block;
}

bool ReadValue(CCriptFile& file, std::u16string_view tag, std::u16string& value)
{
    std::u16string line;
    return file.ReadLine(line) && GetTagValue(line, value, tag);
}

}  // namespace

CModifica::~CModifica() = default;

void CModifica::AddModification(const MODIFICA& record)
{
    const auto later = std::find_if(m_list.begin(), m_list.end(),
                                    [&record](const MODIFICA& m) { return m.time > record.time; });
    m_list.insert(later, record);
}

void CModifica::RemoveAll() { m_list.clear(); }

bool CModifica::ReadFromCriptFile(CCriptFile& file)
{
    RemoveAll();
    std::u16string line;
    while (file.ReadLine(line)) {
        if (!HasOpenTag(line, u"MODIFICA"))
            return false;
        MODIFICA record;
        std::u16string date;
        std::u16string time;
        if (!ReadValue(file, u"DATA", date) || !ReadValue(file, u"ORA", time))
            return false;
        record.time = vexar::LocalTimeFromTags(date, time);
        if (!ReadValue(file, u"IDENTIFICATORE", record.IDENTIFICATORE) ||
            !ReadValue(file, u"PRECEDENTE", record.PRECEDENTE) || !ReadValue(file, u"CORRENTE", record.CORRENTE))
            return false;
        if (!file.ReadLine(line) || !HasCloseTag(line, u"MODIFICA"))
            return false;
        AddModification(record);
    }
    return true;
}

bool CModifica::WriteToCriptFile(CCriptFile& file)
{
    if (m_list.empty())
        return true;
    file.Write(u"<INIZIO_MODIFICHE>\n");
    for (const MODIFICA& record : m_list)
        file.Write(Block(record));
    return true;
}
