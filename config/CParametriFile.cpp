#include "config/CParametriFile.h"

#include "common/TagLine.h"
#include "common/Text.h"
#include "config/CalibLine.h"
#include "config/IDataCtrl.h"

#include <filesystem>
#include <system_error>

namespace {

bool FileExists(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::exists(path, error);
}

// Categories whose controls write calibration lines, and of those the ones
// that write a group of lines.
bool HasLines(std::int32_t category)
{
    switch (category) {
    case CTRL_CHECK:
    case CTRL_BUTTON:
    case CTRL_BUTTON_CMD:
    case CTRL_RESET:
    case CTRL_COMBO:
    case CTRL_EDIT:
    case CTRL_KNOB:
    case CTRL_NUMEDIT:
    case CTRL_SLIDE:
    case CTRL_GRID:
    case CTRL_RIPR:
        return true;
    default:
        return false;
    }
}

bool HasGroupOfLines(std::int32_t category) { return category == CTRL_GRID || category == CTRL_RIPR; }

// The parameter lines end where the comments or the history begin: at a
// line that is exactly one of their opening tags. A name or a comment that
// merely contains the word is a parameter line like any other.
enum class SectionEnd { None, Comments, History };

SectionEnd SectionEndOf(std::u16string_view line)
{
    const std::u16string_view text = vexar::TrimView(line);
    if (text == u"<COMMENTO>")
        return SectionEnd::Comments;
    if (text == u"<INIZIO_MODIFICHE>")
        return SectionEnd::History;
    return SectionEnd::None;
}

char16_t UpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool IsLowDigit(char16_t c) { return c >= u'0' && c <= u'4'; }

}  // namespace

bool CParametriFile::EndsParameters(std::u16string_view line) { return SectionEndOf(line) != SectionEnd::None; }

CParametriFile::CParametriFile(std::string path, const std::u16string& logName)
    : m_log(logName, u"Gestione file parametri di calibrazione *.DAT"), m_path(std::move(path))
{
}

CParametriFile::~CParametriFile()
{
    m_commenti.RemoveAll();
    m_modifiche.RemoveAll();
}

void CParametriFile::SetFileName(std::string path) { m_path = std::move(path); }

void CParametriFile::SetControls(std::int32_t firstCount, const CTRL_WND* first, std::int32_t secondCount,
                                 const CTRL_WND* second)
{
    m_first = first != nullptr && firstCount > 0 ? std::span<const CTRL_WND>(first, static_cast<std::size_t>(firstCount))
                                                 : std::span<const CTRL_WND>();
    m_second = second != nullptr && secondCount > 0
                   ? std::span<const CTRL_WND>(second, static_cast<std::size_t>(secondCount))
                   : std::span<const CTRL_WND>();
}

void CParametriFile::Log(const std::u16string& text) { m_log.Write(text); }

bool CParametriFile::FirmwareSuits(std::u16string_view a, std::u16string_view b)
{
    if (a == b)
        return true;
    if (a.size() < 11 || b.size() < 11)
        return false;
    for (std::size_t i = 0; i < 3; ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    const char16_t x = a[10];
    const char16_t y = b[10];
    return x == y || (IsLowDigit(x) && IsLowDigit(y)) || (x >= u'5' && y >= u'5');
}

bool CParametriFile::SaveControl(const CTRL_WND& entry)
{
    if (entry.wnd == nullptr || !HasLines(entry.category))
        return true;
    return entry.wnd->SaveParam(m_file, m_modifiche);
}

std::int32_t CParametriFile::Write(const std::u16string& ecuCode, const std::u16string& firmware,
                                   const std::string& path)
{
    if (!path.empty())
        m_path = path;
    if (!m_file.Open(m_path, 0))
        return 2;
    m_file.Write(u"<CODICE_ECU>\t\t" + ecuCode + u"\t\t</CODICE_ECU>\n");
    m_file.Write(u"<ID_FIRMWARE>\t\t" + firmware + u"\t\t</ID_FIRMWARE>\n");
    for (const CTRL_WND& entry : m_first)
        SaveControl(entry);
    for (const CTRL_WND& entry : m_second)
        if (entry.category == CTRL_RIPR)
            SaveControl(entry);
    m_commenti.WriteToCriptFile(m_file);
    m_modifiche.WriteToCriptFile(m_file);
    // The file is replaced whole at the close; when that fails the previous
    // file stays as it was.
    if (!m_file.Close()) {
        Log(vexar::Format(u"Impossibile scrivere il file %s", m_path));
        return 2;
    }
    return 0;
}

bool CParametriFile::ExpectMarker(std::u16string& value, std::u16string_view tag)
{
    std::u16string line;
    if (!m_file.ReadLine(line)) {
        m_file.Close();
        Log(vexar::Format(u"Impossibile leggere la riga corrente all'interno del file: \n%s", m_readPath));
        return false;
    }
    if (!GetTagValue(line, value, tag)) {
        m_file.Close();
        Log(vexar::Format(u"Marcatore <%s> non trovato all'interno del file: \n%s", tag, m_readPath));
        return false;
    }
    return true;
}

std::int32_t CParametriFile::ReadHeader(const std::string& path, std::u16string& firmware)
{
    m_readPath = path;
    if (!FileExists(path)) {
        Log(vexar::Format(u"Impossibile leggere il file %s", path));
        return 1;
    }
    if (!m_file.Open(path, 1)) {
        Log(vexar::Format(u"Impossibile aprire il file %s in lettura", path));
        return 2;
    }
    std::u16string value;
    if (!ExpectMarker(value, u"CODICE_ECU") || !ExpectMarker(value, u"ID_FIRMWARE"))
        return 3;
    firmware = value;
    m_file.Close();
    return 0;
}

std::int32_t CParametriFile::CheckFirmware(const std::string& path, const std::u16string& firmware,
                                           std::u16string& fileFirmware)
{
    fileFirmware.clear();
    std::u16string found;
    if (const std::int32_t result = ReadHeader(path, found); result != 0)
        return result;
    if (found == firmware)
        return 0;
    Log(vexar::Format(u"Firmware del file dei parametri \"%s\" non corretto.\nFirmware attualmente impostato \"%s\"",
                      found, firmware));
    fileFirmware = found;
    return FirmwareSuits(found, firmware) ? 0 : 2;
}

bool CParametriFile::FindControlByName(const std::u16string& name, bool& searchFirst, CTRL_WND& entry)
{
    // Only entries that have a definition take part, as GetCtrlDefinition
    // decides; the definition is compared where it stands.
    const auto matches = [&name](const CTRL_WND& candidate) {
        return candidate.wnd != nullptr && candidate.category >= CTRL_BAR && candidate.category <= CTRL_RESET &&
               candidate.category != 11 && candidate.wnd->GetDefinition().IDENTIFICATORE == name;
    };
    if (searchFirst) {
        for (const CTRL_WND& candidate : m_first) {
            if (matches(candidate)) {
                entry = candidate;
                return true;
            }
        }
    }
    for (const CTRL_WND& candidate : m_second) {
        if (matches(candidate)) {
            entry = candidate;
            searchFirst = false;
            return true;
        }
    }
    return false;
}

void CParametriFile::Fail(const std::u16string& message)
{
    Log(message);
    m_file.Close();
}

std::int32_t CParametriFile::ReadParameters(bool& nameFound, bool& atComments, bool& atHistory)
{
    bool searchFirst = true;
    std::u16string line;
    bool haveLine = m_file.ReadLine(line) != 0;
    while (haveLine) {
        const SectionEnd end = SectionEndOf(line);
        if (end != SectionEnd::None) {
            atComments = end == SectionEnd::Comments;
            atHistory = end == SectionEnd::History;
            return 0;
        }
        const CalibLine::Fields fields = CalibLine::Split(line);
        CTRL_WND entry;
        if (!FindControlByName(fields.name, searchFirst, entry) || !HasLines(entry.category)) {
            haveLine = m_file.ReadLine(line) != 0;
            continue;
        }
        const std::u16string& identifier = entry.wnd->GetDefinition().IDENTIFICATORE;
        const std::u16string refused =
            vexar::Format(u"Errore durante la lettura del parametro \"%s\"\nnel file :  \"%s\"", identifier, m_path);
        if (!HasGroupOfLines(entry.category)) {
            if (!entry.wnd->LoadParam(line)) {
                Fail(refused);
                return 2;
            }
            if (entry.category == CTRL_EDIT && identifier == u"Nome_Calibrazione")
                nameFound = true;
            haveLine = m_file.ReadLine(line) != 0;
            continue;
        }
        CalibGroupRead read;
        if (!entry.wnd->LoadParam(m_file, line, read)) {
            Fail(refused);
            return 2;
        }
        // A group that took no line leaves it over; passing it over keeps
        // the reader from handing the same line to the same control again.
        if (read.taken > 0 && !read.next.empty() && (read.again || read.next != line)) {
            line = read.next;
            continue;
        }
        haveLine = m_file.ReadLine(line) != 0;
    }
    return 0;
}

std::int32_t CParametriFile::Read(const std::u16string& ecuCode, const std::u16string& firmware,
                                  std::u16string& fileFirmware, const std::string& path, bool& nameFound)
{
    (void)ecuCode;  // the ECU code of the file is not compared with anything
    nameFound = false;
    fileFirmware.clear();
    if (!path.empty())
        m_path = path;
    m_readPath = m_path;
    if (!FileExists(m_path)) {
        Log(vexar::Format(u"Impossibile leggere il file %s", m_path));
        return 1;
    }
    if (!m_file.Open(m_path, 1)) {
        Log(vexar::Format(u"Impossibile aprire il file %s in lettura", m_path));
        return 2;
    }
    m_commenti.RemoveAll();
    m_modifiche.RemoveAll();

    std::u16string value;
    if (!ExpectMarker(value, u"CODICE_ECU") || !ExpectMarker(value, u"ID_FIRMWARE"))
        return 3;
    if (value != firmware) {
        Log(vexar::Format(u"Firmware del file dei parametri \"%s\" non corretto.\nFirmware attualmente impostato \"%s\"",
                          value, firmware));
        fileFirmware = value;
        if (!FirmwareSuits(value, firmware)) {
            m_file.Close();
            return 2;
        }
    }

    bool atComments = false;
    bool atHistory = false;
    if (const std::int32_t result = ReadParameters(nameFound, atComments, atHistory); result != 0)
        return result;
    const std::u16string unreadable = vexar::Format(u"Impossibile leggere i commenti nel file: \"%s\"", m_path);
    // At the end of the text both readers find nothing and succeed.
    if (!atHistory && !m_commenti.ReadFromCriptFile(m_file, !atComments)) {
        Fail(unreadable);
        return 2;
    }
    if (!m_modifiche.ReadFromCriptFile(m_file)) {
        Fail(unreadable);
        return 2;
    }
    m_file.Close();
    return 0;
}
