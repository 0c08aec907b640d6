#include "config/CVariabiliAcq.h"

#include "common/TagLine.h"
#include "common/Text.h"
#include "config/DateTimeFields.h"
#include "config/IDataCtrl.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

bool FileExists(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::exists(path, error);
}

std::u16string Padded(std::u16string text)
{
    if (text.size() < 33)
        text.append(33 - text.size(), u' ');
    text += u'\t';
    return text;
}

// The end of the sample lines: the first comment block.
bool EndsSamples(const std::u16string& line) { return line.find(u"COMMENTO") != std::u16string::npos; }

}  // namespace

CVariabiliAcq::CVariabiliAcq(std::string path, const std::u16string& logName)
    : m_log(logName, u"Gestione file acquisizione variabili sistema *.ACQ"), m_path(std::move(path))
{
}

CVariabiliAcq::~CVariabiliAcq()
{
    if (m_file.IsOpen())
        m_file.Close();
}

void CVariabiliAcq::SetVariables(std::int32_t count, const CTRL_WND* table)
{
    m_count = table != nullptr ? std::max<std::int32_t>(count, 0) : 0;
    m_table = table;
}

void CVariabiliAcq::SetClock(std::function<std::time_t()> clock) { m_clock = std::move(clock); }

void CVariabiliAcq::Log(const std::u16string& text) { m_log.Write(text); }

std::int32_t CVariabiliAcq::WriteHeader(const std::u16string& ecuCode, const std::u16string& firmware,
                                        const std::u16string& period, const std::string& path)
{
    if (!path.empty())
        m_path = path;
    if (m_file.IsOpen())
        m_file.Close();
    if (!m_file.Open(m_path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode))
        return 2;

    std::u16string head = u"<CODICE_ECU>\t\t" + ecuCode + u"\t\t</CODICE_ECU>\n";
    head += u"<ID_FIRMWARE>\t\t" + firmware + u"\t\t</ID_FIRMWARE>\n";
    bool written = m_file.WriteString(head);
    written = WriteDateTimeTags(m_file, m_clock ? m_clock() : std::time(nullptr)) && written;

    // Every entry has its column, so the columns stay in step with the
    // samples, which come one per entry; an entry without a control has an
    // empty label and identifier.
    std::u16string columns;
    std::u16string variables = u"<VARIABILI>\n" + vexar::Format(u"<NUM_VAR>\t %d \t</NUM_VAR>\n", m_count);
    for (std::int32_t i = 0; i < m_count; ++i) {
        const IDataCtrl* control = m_table[i].wnd;
        const std::u16string label = control ? control->GetDefinition().ETICHETTA : std::u16string();
        const std::u16string identifier = control ? control->GetDefinition().IDENTIFICATORE : std::u16string();
        variables += vexar::Format(u"<INDEX_COL>\t %d \t</INDEX_COL>\n", i);
        variables += u"<ETICHETTA>\t" + label + u"\t</ETICHETTA>\n";
        variables += u"<IDENTIFICATORE>\t" + identifier + u"\t</IDENTIFICATORE>\n";
        columns += Padded(label);
    }
    variables += u"</VARIABILI>\n";
    variables += u"<ACQ_FREQ>\t\t" + period + u"\t\t</ACQ_FREQ>\n";
    variables += columns + u"\n";
    written = m_file.WriteString(variables) && written;
    written = m_file.Flush() && written;
    if (!written) {
        m_file.Close();
        return 2;
    }
    return 0;
}

std::int32_t CVariabiliAcq::WriteSample(const std::u16string& text, bool endOfLine)
{
    if (!m_file.IsOpen())
        return 0;
    m_file.WriteString(text);
    if (endOfLine) {
        m_file.WriteString(u"\n");
        m_file.Flush();
    }
    return 0;
}

std::int32_t CVariabiliAcq::WriteComments()
{
    bool written = m_commenti.WriteToTextFile(m_file);
    if (m_file.IsOpen())
        written = m_file.Close() && written;
    if (!written)
        Log(vexar::Format(u"Impossibile scrivere i commenti nel file: \"%s\"", m_path));
    m_commenti.RemoveAll();
    return written ? 0 : 2;
}

bool CVariabiliAcq::ExpectMarker(std::u16string& value, std::u16string_view tag)
{
    std::u16string line;
    for (;;) {
        if (!m_file.ReadString(line)) {
            m_file.Close();
            Log(vexar::Format(u"Impossibile leggere la riga corrente all'interno del file: \n%s", m_path));
            return false;
        }
        vexar::TrimInPlace(line);
        if (!line.empty() && line.compare(0, 2, u"//") != 0)
            break;
    }
    if (GetTagValue(line, value, tag))
        return true;
    m_file.Close();
    Log(vexar::Format(u"Marcatore <%s> non trovato all'interno del file: \n%s", tag, m_path));
    return false;
}

std::int32_t CVariabiliAcq::OpenForReading(const std::string& path)
{
    if (m_file.IsOpen())
        m_file.Close();
    m_path = path;
    if (!FileExists(path)) {
        Log(vexar::Format(u"Impossibile leggere il file %s", path));
        return 1;
    }
    // A folder opens as a stream on this system but holds no lines.
    std::error_code error;
    if (std::filesystem::is_directory(path, error) ||
        !m_file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::shareDenyNone | CStdioFileEx::typeText)) {
        Log(vexar::Format(u"Impossibile aprire il file %s in lettura", path));
        return 2;
    }
    return 0;
}

bool CVariabiliAcq::SkipLines(std::int32_t lines)
{
    std::u16string line;
    for (std::int32_t i = 0; i < lines; ++i)
        if (!m_file.ReadString(line))
            return false;
    return true;
}

std::int32_t CVariabiliAcq::ReadComments(const std::string& path, std::int32_t lines, std::u16string& text)
{
    if (const std::int32_t opened = OpenForReading(path); opened != 0)
        return opened;
    SkipLines(lines);
    if (!m_commenti.ReadFromTextFile(m_file, true)) {
        Log(vexar::Format(u"Impossibile leggere i commenti nel file: \"%s\"", path));
        m_file.Close();
        return 2;
    }
    if (m_commenti.GetCount() > 0) {
        const COMMENTO& first = m_commenti.GetList().front();
        text = vexar::FormatTagDate(first.time) + u"\r\n" + vexar::FormatTagTime(first.time) + u"\r\n" +
               vexar::Trim(first.text);
    }
    m_file.Close();
    return 0;
}

std::int32_t CVariabiliAcq::ReadHeader(const std::u16string& expectedFirmware, const std::string& path,
                                       std::vector<std::u16string>& labels, std::vector<std::u16string>& identifiers,
                                       std::u16string& comment, bool& hasIdentifiers, std::int32_t& headerLines,
                                       std::u16string& fileFirmware)
{
    fileFirmware.clear();
    if (const std::int32_t opened = OpenForReading(path); opened != 0)
        return opened;

    std::u16string value;
    if (!ExpectMarker(value, u"CODICE_ECU") || !ExpectMarker(value, u"ID_FIRMWARE"))
        return 3;
    if (value != expectedFirmware) {
        Log(vexar::Format(u"Firmware del file delle variabili \"%s\" non corretto.\nFirmware attualmente impostato \"%s\"",
                          value, expectedFirmware));
        fileFirmware = value;
    }
    std::time_t started = 0;
    if (!ReadDateTimeTags(m_file, started)) {
        m_file.Close();
        return 6;
    }
    std::u16string line;
    if (!m_file.ReadString(line) || !HasOpenTag(line, u"VARIABILI")) {
        m_file.Close();
        return 4;
    }
    if (!ExpectMarker(value, u"NUM_VAR"))
        return 3;
    std::int32_t columns = 0;
    if (!StrToLong(value, columns) || columns < 0) {
        m_file.Close();
        Log(vexar::Format(u"Numero di variabili <NUM_VAR> non valido all'interno del file: \n%s", path));
        return 3;
    }

    hasIdentifiers = false;
    bool indexLineRead = false;  // column 0 read column 1's INDEX_COL line
    std::u16string afterFirstLabel;
    for (std::int32_t i = 0; i < columns; ++i) {
        if (!(i == 1 && indexLineRead) && !ExpectMarker(value, u"INDEX_COL"))
            return 3;
        if (!ExpectMarker(value, u"ETICHETTA"))
            return 3;
        labels.push_back(value);
        if (i == 0) {
            if (!m_file.ReadString(afterFirstLabel))
                afterFirstLabel.clear();
            if (GetTagValue(afterFirstLabel, value, u"IDENTIFICATORE")) {
                hasIdentifiers = true;
                identifiers.push_back(value);
            } else {
                indexLineRead = GetTagValue(afterFirstLabel, value, u"INDEX_COL");
            }
        } else if (hasIdentifiers) {
            if (!ExpectMarker(value, u"IDENTIFICATORE"))
                return 3;
            identifiers.push_back(value);
        }
    }
    // With one column and no identifiers, the line after the label is the
    // block's closing line.
    if (!(columns == 1 && !hasIdentifiers)) {
        if (!m_file.ReadString(afterFirstLabel))
            afterFirstLabel.clear();
    }
    if (!HasCloseTag(afterFirstLabel, u"VARIABILI")) {
        m_file.Close();
        return 4;
    }
    if (!ExpectMarker(value, u"ACQ_FREQ"))
        return 3;

    std::int32_t samples = 0;
    if (m_file.ReadString(line)) {
        while (m_file.ReadString(line) && !EndsSamples(line))
            ++samples;
    }
    m_file.Close();
    headerLines = 7 + (hasIdentifiers ? 3 : 2) * columns;
    return ReadComments(path, headerLines + 2 + samples, comment);
}

std::int32_t CVariabiliAcq::ReadSamples(const std::string& path, IGraphPointSink& sink,
                                        const std::vector<std::u16string>& names, std::int32_t headerLines,
                                        const std::vector<std::int32_t>& leaveOut)
{
    if (const std::int32_t opened = OpenForReading(path); opened != 0)
        return opened;
    SkipLines(headerLines);
    std::u16string value;
    if (!ExpectMarker(value, u"ACQ_FREQ"))
        return 3;

    std::int32_t period = 0;
    std::u16string line;
    if (StrToLong(value, period) && m_file.ReadString(line)) {
        for (std::int64_t k = 0; m_file.ReadString(line) && !EndsSamples(line); ++k) {
            // Sample k lies (k + 1) periods after the start, blank lines
            // included.
            const double time = static_cast<double>(std::int64_t{period} * (k + 1)) / 1000.0;
            std::size_t h = 0;
            std::int32_t field = 0;
            std::size_t start = 0;
            for (;;) {
                const std::size_t tab = line.find(u'\t', start);
                const std::u16string_view text = std::u16string_view(line).substr(
                    start, tab == std::u16string::npos ? std::u16string::npos : tab - start);
                const bool skipped = std::find(leaveOut.begin(), leaveOut.end(), field) != leaveOut.end();
                if (!skipped) {
                    std::u16string number = vexar::Trim(text);
                    // A field beyond the names has no variable to go to.
                    if (!number.empty() && h < names.size()) {
                        GRAPH_POINT point;
                        point.time = time;
                        point.SetIdentifier(names[h]);
                        StrToDouble(number, point.value);
                        sink.OnGraphPoint(point);
                    }
                    ++h;
                }
                if (tab == std::u16string::npos)
                    break;
                start = tab + 1;
                ++field;
            }
        }
    }
    sink.OnGraphPointsEnd();
    m_file.Close();
    return 0;
}
