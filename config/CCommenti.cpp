#include "config/CCommenti.h"

#include "common/CCriptFile.h"
#include "common/CStdioFileEx.h"
#include "common/TagLine.h"
#include "common/Text.h"
#include "config/DateTimeFields.h"

#include <algorithm>
#include <functional>

namespace {

using ReadLineFn = std::function<bool(std::u16string&)>;

std::u16string Block(const COMMENTO& comment)
{
    std::u16string block = u"<COMMENTO>\n";
    block += u"<DATA>\t\t" + vexar::FormatTagDate(comment.time) + u"\t</DATA>\n";
    block += u"<ORA>\t\t" + vexar::FormatTagTime(comment.time) + u"\t</ORA>\n";
    block += u"<TESTO>\n";
    block += comment.text;
    block += u"\n</TESTO>\n</COMMENTO>\n";
    return block;
}

// The text ends only at a line that is the closing tag and nothing else,
// so a text line that merely mentions it stays text.
bool IsTextEnd(const std::u16string& line) { return vexar::TrimView(line) == u"</TESTO>"; }

// One block after its opening line, starting at its date line: date,
// time, text, closing line.
bool ReadBlock(const ReadLineFn& readLine, std::u16string line, COMMENTO& comment)
{
    std::u16string date;
    std::u16string time;
    if (!GetTagValue(line, date, u"DATA"))
        return false;
    if (!readLine(line) || !GetTagValue(line, time, u"ORA"))
        return false;
    comment.time = vexar::LocalTimeFromTags(date, time);
    comment.text.clear();
    if (!readLine(line) || !HasOpenTag(line, u"TESTO"))
        return false;
    // Lines are joined by line feeds; the last one gets none, so a text
    // comes back exactly as it was written.
    bool firstLine = true;
    for (;;) {
        if (!readLine(line))
            return false;
        if (IsTextEnd(line))
            break;
        if (!firstLine)
            comment.text += u'\n';
        comment.text += line;
        firstLine = false;
    }
    return readLine(line) && HasCloseTag(line, u"COMMENTO");
}

}  // namespace

CCommenti::~CCommenti() = default;

void CCommenti::AddComment(const COMMENTO& comment)
{
    const auto later = std::find_if(m_list.begin(), m_list.end(),
                                    [&comment](const COMMENTO& c) { return c.time > comment.time; });
    m_list.insert(later, comment);
}

void CCommenti::RemoveAll() { m_list.clear(); }

static bool ReadComments(CCommenti& comments, const ReadLineFn& readLine, bool openingToRead)
{
    comments.RemoveAll();
    bool expectOpening = openingToRead;
    std::u16string line;
    for (;;) {
        if (!readLine(line))
            return true;
        if (expectOpening) {
            if (!HasOpenTag(line, u"COMMENTO"))
                return HasOpenTag(line, u"INIZIO_MODIFICHE");
            if (!readLine(line))
                return false;
        }
        COMMENTO comment;
        if (!ReadBlock(readLine, line, comment))
            return false;
        comments.AddComment(comment);
        expectOpening = true;
    }
}

bool CCommenti::ReadFromTextFile(CStdioFileEx& file, bool openingToRead)
{
    if (!file.IsOpen()) {
        RemoveAll();
        return false;
    }
    return ReadComments(*this, [&file](std::u16string& line) { return file.ReadString(line); }, openingToRead);
}

bool CCommenti::ReadFromCriptFile(CCriptFile& file, bool openingToRead)
{
    return ReadComments(*this, [&file](std::u16string& line) { return file.ReadLine(line) != 0; }, openingToRead);
}

bool CCommenti::WriteToTextFile(CStdioFileEx& file)
{
    if (!file.IsOpen())
        return false;
    bool written = true;
    for (const COMMENTO& comment : m_list) {
        written = file.WriteString(Block(comment)) && written;
        written = file.Flush() && written;
    }
    return written;
}

bool CCommenti::WriteToCriptFile(CCriptFile& file)
{
    for (const COMMENTO& comment : m_list)
        file.Write(Block(comment));
    return true;
}
