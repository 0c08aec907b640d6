#include "config/CTagFileReader.h"

#include "common/NoCase.h"
#include "common/TagLine.h"
#include "common/Text.h"
#include "config/DefinitionText.h"

using vexar::Format;

namespace {

constexpr char16_t kMsgCannotReadLine[] = u"Impossibile leggere la riga \"%ld\" all'interno del file: \n%s";
constexpr char16_t kMsgMissingOpen[] = u"Marcatore <%s> non trovato nella riga \"%ld\" all'interno del file: \n%s";
constexpr char16_t kMsgMissingClose[] = u"Marcatore </%s> non trovato nella riga \"%ld\" all'interno del file: \n%s";
constexpr char16_t kMsgBadValue[] = u"Errore nella lettura del valore associato al tag <%s> all'interno del file: \n%s";
constexpr char16_t kMsgBadValueRead[] = u"\nValore letto:\t\t";
constexpr char16_t kMsgBadValueLine[] = u"\nNumero linea del file:\t%ld";

bool IsCommentOrEmpty(std::u16string_view line) { return line.empty() || line.starts_with(u"//"); }

}  // namespace

CTagFileReader::CTagFileReader(std::string path, const std::u16string& logName, const std::u16string& description)
    : m_log(logName, description), m_strFile(std::move(path))
{
}

bool CTagFileReader::ReadSignificantLine(std::u16string& line)
{
    for (;;) {
        ++m_nLine;
        if (!m_file.ReadLine(line)) {
            m_file.Close();
            m_log.Write(Format(kMsgCannotReadLine, m_nLine, m_strFile));
            return false;
        }
        vexar::TrimInPlace(line);
        if (!IsCommentOrEmpty(line))
            return true;
    }
}

void CTagFileReader::LogMissingMarker(std::u16string_view tag, bool closing)
{
    m_file.Close();
    m_log.Write(Format(closing ? kMsgMissingClose : kMsgMissingOpen, tag, m_nLine, m_strFile));
}

bool CTagFileReader::ReadTagValue(std::u16string& value, std::u16string_view tag)
{
    std::u16string line;
    if (!ReadSignificantLine(line))
        return false;
    if (GetTagValue(line, value, tag))
        return true;
    LogMissingMarker(tag, false);
    return false;
}

bool CTagFileReader::ReadOpenTag(std::u16string_view tag)
{
    std::u16string line;
    if (!ReadSignificantLine(line))
        return false;
    if (HasOpenTag(line, tag))
        return true;
    LogMissingMarker(tag, false);
    return false;
}

bool CTagFileReader::ReadCloseTag(std::u16string_view tag)
{
    std::u16string line;
    if (!ReadSignificantLine(line))
        return false;
    if (HasCloseTag(line, tag))
        return true;
    LogMissingMarker(tag, true);
    return false;
}

int CTagFileReader::ReadLanguageBlock(std::u16string_view block, std::u16string& text, std::size_t width,
                                      const std::u16string& upperLanguage,
                                      const std::vector<std::u16string>& languages)
{
    if (!ReadOpenTag(block))
        return 4;
    for (const std::u16string& name : languages) {
        const std::u16string tag = vexar::ToUpper(name);
        std::u16string value;
        if (!ReadTagValue(value, tag))
            return 4;
        if (tag == upperLanguage)
            text = vexar::config::CutText(value, width);
    }
    return ReadCloseTag(block) ? 0 : 4;
}

void CTagFileReader::ReportValueError(std::u16string_view tag, std::u16string_view value)
{
    m_file.Close();
    std::u16string entry = Format(kMsgBadValue, tag, m_strFile);
    entry += kMsgBadValueRead;
    entry += value;
    entry += Format(kMsgBadValueLine, m_nLine);
    m_log.Write(std::move(entry));
}
