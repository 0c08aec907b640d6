#include "config/CCentralineInstallate.h"

#include "common/CCriptFile.h"
#include "common/FileNameResolver.h"
#include "common/NoCase.h"
#include "common/TagLine.h"
#include "common/Text.h"
#include "platform/ProgramFolder.h"

#include <algorithm>
#include <array>
#include <sys/stat.h>

using vexar::EntryKind;
using vexar::Format;

namespace {

constexpr char16_t kMsgCannotEnter[] = u"Impossibile spostare la directory corrente su:\n %s";
constexpr char16_t kMsgNoConfigFile[] = u"Impossibile trovare file di configurazione \"%s\"\nnella directory: \"%s\"";
constexpr char16_t kMsgBadHeader[] = u"Intestazione non corretta nel file \"%s\"\nnella directory: \"%s\"";
constexpr char16_t kMsgNoFile[] = u"Impossibile trovare il file \"%s\"\nnella directory: \"%s\"";
constexpr char16_t kMsgHeaderNoAccess[] =
    u"Durante la verifica intestazione \u00E8 stato impossibile accedere al file:\n%s";
constexpr char16_t kMsgCannotOpen[] = u"Impossibile aprire il file \"%s\" in lettura";
constexpr char16_t kMsgNoHeaderLine[] = u"Impossibile leggere la riga con l'intestazione";
constexpr char16_t kMsgNoEcuCode[] = u"Marcatore CODICE_ECU non trovato";
constexpr char16_t kMsgNoFirmwareId[] = u"Marcatore ID_FIRMWARE non trovato";
constexpr char16_t kMsgFirmwareMismatch[] =
    u"Codice FIRMWARE nell'intestazione del file \"%s\" \n non \u00E8 congruente con la directory d'installazione";

constexpr char kLanguageList[] = "GestLang.cfg";

// The five enciphered files of a revision, in the order they are looked
// for, with the field of the record each one fills.
struct ConfigPattern {
    const char* pattern;
    std::u16string FILE_CONFIGURAZIONE::*field;
};
constexpr std::array<ConfigPattern, 5> kPatterns{{
    {"*.PAR", &FILE_CONFIGURAZIONE::FILE_PAR},
    {"*.VAR", &FILE_CONFIGURAZIONE::FILE_VAR},
    {"*.GPC", &FILE_CONFIGURAZIONE::FILE_GPC},
    {"*.GVS", &FILE_CONFIGURAZIONE::FILE_GVS},
    {"*.GDG", &FILE_CONFIGURAZIONE::FILE_GDG},
}};

const std::string* FirstMatch(const std::vector<std::string>& files, std::string_view pattern)
{
    const std::u16string wanted = vexar::ToUtf16(pattern);
    for (const std::string& name : files)
        if (vexar::MatchesNoCase(vexar::ToUtf16(name), wanted))
            return &name;
    return nullptr;
}

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The index of the entry named `name`: the one spelt so on disk, else the
// first whose name matches regardless of case (two folders may differ in
// case alone); the entry count when none matches.
template <class Entry>
std::int32_t IndexOfName(const std::vector<Entry>& entries, std::u16string Entry::*field, const std::u16string& name)
{
    auto found = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.*field == name; });
    if (found == entries.end())
        found = std::find_if(entries.begin(), entries.end(),
                             [&](const Entry& e) { return vexar::EqualsNoCase(e.*field, name); });
    return static_cast<std::int32_t>(found - entries.begin());
}

}  // namespace

CCentralineInstallate::CCentralineInstallate(const std::u16string& logName)
    : m_strConfigPath(vexar::ResolvePathNoCase(vexar::platform::ProgramFolder() + "Configuration/")),
      m_log(logName, u"Centraline ECU e Revisioni Firmware Installati")
{
}

void CCentralineInstallate::LogCannotEnter(const std::string& folder) { m_log.Write(Format(kMsgCannotEnter, folder)); }

bool CCentralineInstallate::ScanInstalled()
{
    std::vector<std::string> ecuNames;
    if (!vexar::ListFolder(m_strConfigPath, EntryKind::Folder, ecuNames)) {
        LogCannotEnter(m_strConfigPath);
        return m_bScanned;
    }
    std::vector<REC_CENTRALINA> ecus;
    for (const std::string& ecuName : ecuNames) {
        REC_CENTRALINA ecu;
        if (!ScanEcu(ecuName, ecu))
            return m_bScanned;
        if (!ecu.REVISIONI.empty())
            ecus.push_back(std::move(ecu));
    }
    m_ecus = std::move(ecus);
    m_nEcuCursor = 0;
    m_nFirmwareCursor = 0;
    m_bScanned = true;
    return true;
}

bool CCentralineInstallate::ScanEcu(const std::string& ecuName, REC_CENTRALINA& ecu)
{
    ecu.NOME_CENTRALINA = vexar::ToUtf16(ecuName);
    const std::string ecuFolder = m_strConfigPath + ecuName + "/";
    std::vector<std::string> revisionNames;
    if (!vexar::ListFolder(ecuFolder, EntryKind::Folder, revisionNames)) {
        LogCannotEnter(ecuFolder);
        return false;
    }
    for (const std::string& revisionName : revisionNames) {
        REC_FIRMWARE revision;
        bool valid = false;
        if (!ScanRevision(ecuName, revisionName, revision, valid))
            return false;
        if (valid)
            ecu.REVISIONI.push_back(std::move(revision));
    }
    return true;
}

bool CCentralineInstallate::ScanRevision(const std::string& ecuName, const std::string& revisionName,
                                         REC_FIRMWARE& revision, bool& valid)
{
    revision.NOME_FIRMWARE = vexar::ToUtf16(revisionName);
    const std::string folder = m_strConfigPath + ecuName + "/" + revisionName + "/";
    std::vector<std::string> files;
    if (!vexar::ListFolder(folder, EntryKind::File, files)) {
        LogCannotEnter(folder);
        return false;
    }

    valid = true;
    for (const ConfigPattern& p : kPatterns) {  // every pattern is tried, even after a failure
        const std::string* file = FirstMatch(files, p.pattern);
        if (!file) {
            valid = false;
            m_log.Write(Format(kMsgNoConfigFile, p.pattern, folder));
            continue;
        }
        const std::u16string name = vexar::ToUtf16(*file);
        if (!CheckHeader(folder, name, revision.NOME_FIRMWARE)) {
            valid = false;
            m_log.Write(Format(kMsgBadHeader, name, folder));
            continue;
        }
        revision.FILES.*p.field = name;
    }
    if (!FirstMatch(files, kLanguageList)) {
        valid = false;
        m_log.Write(Format(kMsgNoFile, kLanguageList, folder));
    }
    return true;
}

bool CCentralineInstallate::CheckHeader(const std::string& folder, const std::u16string& fileName,
                                        const std::u16string& revision)
{
    const std::string path = folder + vexar::ToUtf8(fileName);
    if (!IsRegularFile(path)) {
        m_log.Write(Format(kMsgHeaderNoAccess, fileName));
        return false;
    }
    // Only the blocks that hold the two lines are deciphered: the check
    // reads nothing else, and the start of the program waits on it.
    CCriptFile file;
    if (!file.OpenHead(path, 2)) {
        m_log.Write(Format(kMsgCannotOpen, fileName));
        return false;
    }
    // The two lines are taken as stored: a blank or comment line before
    // them fails the check.
    std::u16string line;
    std::u16string value;
    if (!file.ReadLine(line)) {
        m_log.Write(kMsgNoHeaderLine);
        return false;
    }
    if (!GetTagValue(line, value, u"CODICE_ECU")) {
        m_log.Write(kMsgNoEcuCode);
        return false;
    }
    if (!file.ReadLine(line)) {
        m_log.Write(kMsgNoHeaderLine);
        return false;
    }
    if (!GetTagValue(line, value, u"ID_FIRMWARE")) {
        m_log.Write(kMsgNoFirmwareId);
        return false;
    }
    if (!vexar::EqualsNoCase(value, revision)) {
        m_log.Write(Format(kMsgFirmwareMismatch, fileName));
        return false;
    }
    return true;
}

bool CCentralineInstallate::GetFirstEcu(std::u16string& name)
{
    name.clear();
    if (m_ecus.empty())
        return false;
    m_nEcuCursor = 0;
    name = m_ecus.front().NOME_CENTRALINA;
    return true;
}

bool CCentralineInstallate::GetNextEcu(std::u16string& name)
{
    name.clear();
    if (m_nEcuCursor < static_cast<std::int32_t>(m_ecus.size()))
        ++m_nEcuCursor;
    if (m_nEcuCursor >= static_cast<std::int32_t>(m_ecus.size()))
        return false;
    name = m_ecus[static_cast<std::size_t>(m_nEcuCursor)].NOME_CENTRALINA;
    return true;
}

bool CCentralineInstallate::SelectEcu(const std::u16string& ecu)
{
    m_nEcuCursor = IndexOfName(m_ecus, &REC_CENTRALINA::NOME_CENTRALINA, ecu);
    return m_nEcuCursor < static_cast<std::int32_t>(m_ecus.size());
}

bool CCentralineInstallate::GetFirstFirmware(const std::u16string& ecu, std::u16string& name)
{
    name.clear();
    if (!SelectEcu(ecu))
        return false;
    m_nFirmwareCursor = 0;
    name = m_ecus[static_cast<std::size_t>(m_nEcuCursor)].REVISIONI.front().NOME_FIRMWARE;
    return true;
}

bool CCentralineInstallate::GetNextFirmware(std::u16string& name)
{
    name.clear();
    if (m_nEcuCursor >= static_cast<std::int32_t>(m_ecus.size()))
        return false;
    const auto& revisions = m_ecus[static_cast<std::size_t>(m_nEcuCursor)].REVISIONI;
    if (m_nFirmwareCursor < static_cast<std::int32_t>(revisions.size()))
        ++m_nFirmwareCursor;
    if (m_nFirmwareCursor >= static_cast<std::int32_t>(revisions.size()))
        return false;
    name = revisions[static_cast<std::size_t>(m_nFirmwareCursor)].NOME_FIRMWARE;
    return true;
}

bool CCentralineInstallate::GetConfigFiles(const std::u16string& ecu, const std::u16string& revision,
                                           FILE_CONFIGURAZIONE& files)
{
    if (!SelectEcu(ecu))
        return false;
    const auto& revisions = m_ecus[static_cast<std::size_t>(m_nEcuCursor)].REVISIONI;
    m_nFirmwareCursor = IndexOfName(revisions, &REC_FIRMWARE::NOME_FIRMWARE, revision);
    if (m_nFirmwareCursor >= static_cast<std::int32_t>(revisions.size()))
        return false;
    files = revisions[static_cast<std::size_t>(m_nFirmwareCursor)].FILES;
    return true;
}
