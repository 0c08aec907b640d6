#include "config/CInterfacciaParametri.h"

#include "common/NoCase.h"
#include "common/TagLine.h"
#include "common/Text.h"
#include "config/DefinitionText.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <sys/stat.h>

using vexar::Format;

namespace {

constexpr char16_t kMsgFileMissing[] = u"Impossibile leggere il file %s";
constexpr char16_t kMsgCannotOpen[] = u"Impossibile aprire il file %s in lettura";

constexpr char16_t kMsgStatusDuplicate[] =
    u"Identificatore controllo in barra di stato, %s = \"%d\" duplicato nel file: \"%s\"\n";
constexpr char16_t kMsgParamDuplicate[] =
    u"Identificatore controllo parametro di calibrazione, %s = \"%d\" duplicato nel file: \"%s\"\n";
constexpr char16_t kMsgDuplicate[] = u"Identificatore controllo %s = \"%d\" duplicato nel file: \"%s\"\n";
constexpr char16_t kMsgUnknownKey[] = u"Identificatore controllo %s = \"%d\"  nel file: \"%s\"\n";
constexpr char16_t kMsgNotAVariable[] = u"non corrisponde a nessun controllo variabile di sistema installata nel tool.\n";
constexpr char16_t kMsgNotAParameter[] =
    u"non corrisponde a nessun controllo parametro di calibrazione installato nel tool.\n";

constexpr char16_t kHiddenTabLabel[] = u"Controlli Non Visibili";

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The first key, in list order, that occurs more than once.
const std::int32_t* FirstDuplicate(const std::vector<std::int32_t>& keys)
{
    std::unordered_map<std::int32_t, int> counts;
    for (std::int32_t key : keys)
        ++counts[key];
    for (const std::int32_t& key : keys)
        if (counts[key] > 1)
            return &key;
    return nullptr;
}

// The first key, in list order, that no definition carries.
const std::int32_t* FirstUnknown(const std::vector<std::int32_t>& keys, std::span<const REC_CONTROLLO> defs)
{
    std::unordered_set<std::int32_t> known;
    for (const REC_CONTROLLO& def : defs)
        known.insert(def.ID_GUI);
    for (const std::int32_t& key : keys)
        if (!known.count(key))
            return &key;
    return nullptr;
}

void ClearPage(REC_PAGINA& page)
{
    page.NUM_CONTROL = 0;
    page.CONTROLLI.clear();
    page.NUM_TESTI = 0;
    page.TESTI.clear();
}

}  // namespace

CInterfacciaParametri::CInterfacciaParametri(std::string path, REC_INTERFACCIA& layout, const std::u16string& logName)
    : CTagFileReader(std::move(path), logName, u"Processazione files dell'interfaccia grafica"), m_layout(layout)
{
    ClearLayout();
}

void CInterfacciaParametri::ClearLayout()
{
    m_layout.NUMERO_TAB = 0;
    m_layout.CARTELLE.clear();
    ClearPage(m_layout.BARRA_STATO);
    ClearPage(m_layout.CARTELLA_NASCOSTA.PAGINA);
}

// ---- Values ------------------------------------------------------------------

int CInterfacciaParametri::ReadInteger(std::u16string_view tag, std::int32_t& value)
{
    std::u16string text;
    if (!ReadTagValue(text, tag))
        return 4;
    if (!StrToLong(text, value)) {
        ReportValueError(tag, text);
        return 5;
    }
    return 0;
}

// A count sizes nothing by itself: the entries are appended as they are
// read. A negative count is refused.
int CInterfacciaParametri::ReadCount(std::u16string_view tag, std::int32_t& value)
{
    std::u16string text;
    if (!ReadTagValue(text, tag))
        return 4;
    std::int32_t count = 0;
    if (!StrToLong(text, count) || count < 0) {
        ReportValueError(tag, text);
        return 5;
    }
    value = count;
    return 0;
}

int CInterfacciaParametri::ReadOperator(std::int32_t& value)
{
    std::u16string text;
    if (!ReadTagValue(text, u"OPERATORE"))
        return 4;
    if (text == u"OPR_PBL")
        value = OPR_PBL;
    else if (text == u"OPR_PRV")
        value = OPR_PRV;
    else if (text == u"OPR_REM")
        value = OPR_REM;
    else
        return ReportValueError(u"OPERATORE", text), 5;
    return 0;
}

// ---- Layout ------------------------------------------------------------------

int CInterfacciaParametri::LoadLayout(std::u16string& currentLanguage, const std::vector<std::u16string>& languages)
{
    m_nLine = 0;
    ClearLayout();  // a second read starts from empty pages, never appends to the first
    if (!FileExists(m_strFile)) {
        m_log.Write(Format(kMsgFileMissing, m_strFile));
        return 1;
    }
    if (!m_file.Open(m_strFile, 1)) {
        m_log.Write(Format(kMsgCannotOpen, m_strFile));
        return 2;
    }
    const int result = ReadLayout(currentLanguage, languages);
    m_file.Close();
    return result;
}

int CInterfacciaParametri::ReadLayout(std::u16string& language, const std::vector<std::u16string>& languages)
{
    std::u16string value;
    if (!ReadTagValue(value, u"CODICE_ECU") || !ReadTagValue(value, u"ID_FIRMWARE"))
        return 3;
    language = vexar::ToUpper(language);

    if (const int r = ReadLanguageBlock(u"TITOLO", m_layout.TITOLO, kTitoloWidth, language, languages))
        return r;

    if (!ReadOpenTag(u"BARRA_STATO") || !ReadTagValue(value, u"PRESENTE"))
        return 4;
    if (value == u"PRES_SI")
        m_layout.PRESENTE = PRES_SI;
    else if (value == u"PRES_NO")
        m_layout.PRESENTE = PRES_NO;
    else
        return ReportValueError(u"PRESENTE", value), 5;
    if (m_layout.PRESENTE == PRES_SI)
        if (const int r = ReadPage(m_layout.BARRA_STATO, language, languages))
            return r;
    if (!ReadCloseTag(u"BARRA_STATO"))
        return 4;

    if (!ReadOpenTag(u"FINESTRA_CARTELLE"))
        return 4;
    if (const int r = ReadCount(u"NUMERO_TAB", m_layout.NUMERO_TAB))
        return r;
    for (std::int32_t i = 0; i < m_layout.NUMERO_TAB; ++i) {
        m_layout.CARTELLE.emplace_back();
        if (const int r = ReadTab(m_layout.CARTELLE.back(), language, languages))
            return r;
    }
    return ReadCloseTag(u"FINESTRA_CARTELLE") ? 0 : 4;
}

int CInterfacciaParametri::ReadTab(REC_CARTELLA& tab, std::u16string& language,
                                   const std::vector<std::u16string>& languages)
{
    if (!ReadOpenTag(u"CARTELLA"))
        return 4;
    if (const int r = ReadOperator(tab.OPERATORE))
        return r;
    if (const int r = ReadInteger(u"ID_TAB", tab.ID_TAB))
        return r;
    if (const int r = ReadLanguageBlock(u"ETICHETTA", tab.ETICHETTA, kLayoutTextWidth, language, languages))
        return r;
    if (const int r = ReadPage(tab.PAGINA, language, languages))
        return r;
    return ReadCloseTag(u"CARTELLA") ? 0 : 4;
}

int CInterfacciaParametri::ReadPage(REC_PAGINA& page, std::u16string& language,
                                    const std::vector<std::u16string>& languages)
{
    if (!ReadOpenTag(u"GRIGLIA"))
        return 4;
    if (const int r = ReadInteger(u"RIGHE", page.RIGHE))
        return r;
    if (const int r = ReadInteger(u"COLONNE", page.COLONNE))
        return r;
    if (!ReadCloseTag(u"GRIGLIA"))
        return 4;

    if (const int r = ReadCount(u"NUM_CONTROL", page.NUM_CONTROL))
        return r;
    for (std::int32_t i = 0; i < page.NUM_CONTROL; ++i) {
        REC_POS_CONTROLLO& control = page.CONTROLLI.emplace_back();
        control.POSIZIONATO = 1;
        if (!ReadOpenTag(u"CONTROLLO"))
            return 4;
        for (auto [tag, field] : {std::pair{u"ID_GUI", &control.ID_GUI}, std::pair{u"POS_X", &control.POS_X},
                                  std::pair{u"POS_Y", &control.POS_Y}, std::pair{u"TAB_INDEX", &control.TAB_INDEX}})
            if (const int r = ReadInteger(tag, *field))
                return r;
        if (!ReadCloseTag(u"CONTROLLO"))
            return 4;
    }

    if (const int r = ReadCount(u"NUM_TESTI", page.NUM_TESTI))
        return r;
    for (std::int32_t i = 0; i < page.NUM_TESTI; ++i) {
        REC_TESTO& text = page.TESTI.emplace_back();
        if (!ReadOpenTag(u"TESTO"))
            return 4;
        if (const int r = ReadLanguageBlock(u"STRINGA", text.STRINGA, kLayoutTextWidth, language, languages))
            return r;
        if (const int r = ReadOperator(text.OPERATORE))
            return r;
        if (const int r = ReadInteger(u"POS_X", text.POS_X))
            return r;
        if (const int r = ReadInteger(u"POS_Y", text.POS_Y))
            return r;
        if (!ReadCloseTag(u"TESTO"))
            return 4;
    }
    return 0;
}

// ---- Key checks ----------------------------------------------------------------

std::vector<std::int32_t> CInterfacciaParametri::StatusBarKeys() const
{
    std::vector<std::int32_t> keys;
    if (m_layout.PRESENTE == PRES_SI)
        for (const REC_POS_CONTROLLO& c : m_layout.BARRA_STATO.CONTROLLI)
            keys.push_back(c.ID_GUI);
    return keys;
}

std::vector<std::int32_t> CInterfacciaParametri::TabKeys() const
{
    std::vector<std::int32_t> keys;
    for (const REC_CARTELLA& tab : m_layout.CARTELLE)
        for (const REC_POS_CONTROLLO& c : tab.PAGINA.CONTROLLI)
            keys.push_back(c.ID_GUI);
    return keys;
}

bool CInterfacciaParametri::CheckParamIds(std::span<const REC_CONTROLLO> params, std::span<const REC_CONTROLLO> vars)
{
    // The status bar of the calibration window shows live values: its
    // keys are variables; the tabs' keys are parameters.
    const std::vector<std::int32_t> status = StatusBarKeys();
    if (const std::int32_t* key = FirstDuplicate(status)) {
        m_log.Write(Format(kMsgStatusDuplicate, u"ID_GUI", *key, m_strFile));
        return false;
    }
    if (const std::int32_t* key = FirstUnknown(status, vars)) {
        m_log.Write(Format(kMsgUnknownKey, u"ID_GUI", *key, m_strFile) + kMsgNotAVariable);
        return false;
    }
    const std::vector<std::int32_t> tabs = TabKeys();
    if (const std::int32_t* key = FirstDuplicate(tabs)) {
        m_log.Write(Format(kMsgParamDuplicate, u"ID_GUI", *key, m_strFile));
        return false;
    }
    if (const std::int32_t* key = FirstUnknown(tabs, params)) {
        m_log.Write(Format(kMsgUnknownKey, u"ID_GUI", *key, m_strFile) + kMsgNotAParameter);
        return false;
    }
    return true;
}

bool CInterfacciaParametri::CheckVarIds(std::span<const REC_CONTROLLO> vars)
{
    std::vector<std::int32_t> keys = StatusBarKeys();
    const std::vector<std::int32_t> tabs = TabKeys();
    keys.insert(keys.end(), tabs.begin(), tabs.end());
    if (const std::int32_t* key = FirstDuplicate(keys)) {
        m_log.Write(Format(kMsgDuplicate, u"ID_GUI", *key, m_strFile));
        return false;
    }
    if (const std::int32_t* key = FirstUnknown(keys, vars)) {
        m_log.Write(Format(kMsgUnknownKey, u"ID_GUI", *key, m_strFile) + kMsgNotAVariable);
        return false;
    }
    return true;
}

// ---- Hidden-controls tab ---------------------------------------------------------

bool CInterfacciaParametri::IsIdPlaced(std::int32_t id) const
{
    for (const REC_CARTELLA& tab : m_layout.CARTELLE)
        for (const REC_POS_CONTROLLO& c : tab.PAGINA.CONTROLLI)
            if (c.ID_GUI == id)
                return true;
    return false;
}

void CInterfacciaParametri::AddHiddenParams(std::span<const REC_CONTROLLO> params)
{
    // A map's calibrable header is shown with its map, never on its own.
    std::unordered_set<std::int32_t> headers;
    for (const REC_CONTROLLO& def : params) {
        const GridBlock* grid = def.CATEGORIA == CTRL_GRID ? std::get_if<GridBlock>(&def.GRAFICA) : nullptr;
        if (!grid)
            continue;
        for (const INTESTAZIONE_GRIGLIA* h : {&grid->PRIMA_RIGA, &grid->PRIMA_COLONNA})
            if (h->PRESENTE == PRES_SI && h->TIPO_INT == INTST_CAL)
                headers.insert(h->ID_VET_BREAKPS);
    }
    std::vector<std::int32_t> keys;
    for (const REC_CONTROLLO& def : params)
        if (!IsIdPlaced(def.ID_GUI) && !headers.count(def.ID_GUI))
            keys.push_back(def.ID_GUI);
    FillHiddenTab(keys);
}

void CInterfacciaParametri::AddHiddenVars(std::span<const REC_CONTROLLO> vars)
{
    std::vector<std::int32_t> keys;
    for (const REC_CONTROLLO& def : vars)
        if (!IsIdPlaced(def.ID_GUI))
            keys.push_back(def.ID_GUI);
    FillHiddenTab(keys);
}

// Every hidden control sits on the first cell of a 5 x 5 grid, in
// definition order.
void CInterfacciaParametri::FillHiddenTab(const std::vector<std::int32_t>& keys)
{
    REC_CARTELLA& hidden = m_layout.CARTELLA_NASCOSTA;
    hidden.ID_TAB = m_layout.NUMERO_TAB < std::numeric_limits<std::int32_t>::max() ? m_layout.NUMERO_TAB + 1
                                                                                   : m_layout.NUMERO_TAB;
    hidden.ETICHETTA = kHiddenTabLabel;
    hidden.PAGINA = REC_PAGINA{};
    if (keys.empty())
        return;
    hidden.PAGINA.RIGHE = 5;
    hidden.PAGINA.COLONNE = 5;
    hidden.PAGINA.NUM_CONTROL = static_cast<std::int32_t>(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        hidden.PAGINA.CONTROLLI.push_back({keys[i], 0, 0, static_cast<std::int32_t>(i + 1), 0});
}
