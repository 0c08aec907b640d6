#include "config/CControlliConfigurati.h"

#include "common/NoCase.h"
#include "common/TagLine.h"
#include "common/Text.h"
#include "config/DefinitionText.h"

#include <sys/stat.h>

#include <algorithm>
#include <limits>

using vexar::Format;

namespace {

const char16_t kMsgFileMissing[] = u"Impossibile leggere il file: %s";
const char16_t kMsgCannotOpen[] = u"Impossibile aprire il file %s in lettura";
const char16_t kMsgCountFileMissing[] = u"Impossibile leggere il file \"%s\"";
const char16_t kMsgCountCannotOpen[] = u"Impossibile aprire il file \"%s\" in lettura";
const char16_t kMsgTagSyntax[] = u"Errore di sintassi Tag <%s> nel file\n\"%s\"";
const char16_t kMsgCDNull[] =
    u"Errore nella lettura formula di conversione all'interno del file: \n%s\n"
    u"I parametri C e D non possono essere entrambi nulli\n";
const char16_t kMsgCategory[] = u"Controllo %s = \"%d\" di tipo non ammesso per il file: \"%s\"\n";
const char16_t kMsgDuplicate[] = u"Identificatore controllo %s = \"%d\" duplicato nel file: \"%s\"\n";
const char16_t kMsgFormulaKey[] =
    u"Identificatore controllo ID%d = \"%d\" nella formula del controllo ID = \"%d\" non presente nel file: \"%s\"\n";
const char16_t kMsgOperandWithoutCtrl[] =
    u"Identificatore controllo ID%d = \"%d\" nella formula del controllo ID = \"%d\" (%s) senza controllo nelle "
    u"pagine: l'operando e i successivi valgono 1\n";
const char16_t kMsgFormulaIdx[] =
    u"Errore nella formula di conversione del controllo ID = \"%d\" nel file: \"%s\"\n"
    u"Identificatore del valore decimale X non corretto.\n";
const char16_t kMsgActionKey[] =
    u"Identificatore controllo Azione ID = \"%d\" nella specifica del controllo ID = \"%d\" non presente nel file: "
    u"\"%s\"\n";
const char16_t kMsgTooManyResets[] = u"Il numero di controlli RESET per la gestione della diagnosi è maggiore di 3\n";
const char16_t kMsgGrid[] = u"Errore impostazione all'interno del controllo griglia: \"%s\"\n";
const char16_t kMsgExtent[] =
    u"Il dato del controllo ID = \"%d\" (%s) termina al byte %lld, oltre l'area dati di %ld byte calcolata dal "
    u"controllo con l'indirizzo più alto nel file: \"%s\"\n";

// A map whose cells could not fit in an ECU image (16-bit byte addresses)
// is refused before its defaults are allocated.
constexpr std::int64_t kMaxMapCells = 65536;

const std::int32_t kBaudRates[] = {300,   600,   1200,   2400,   4800,   9600,   19200,
                                   28800, 38400, 56000, 57600, 115200, 128000, 256000};

struct CategoryKeyword {
    const char16_t* word;
    std::int32_t code;
};

const CategoryKeyword kCategories[] = {
    {u"CTRL_BAR", CTRL_BAR},       {u"CTRL_CHECK", CTRL_CHECK},       {u"CTRL_BUTTON", CTRL_BUTTON},
    {u"CTRL_BUTTON_CMD", CTRL_BUTTON_CMD}, {u"CTRL_COMBO", CTRL_COMBO}, {u"CTRL_DIAG", CTRL_DIAG},
    {u"CTRL_DIAG_BIT", CTRL_DIAG_BIT}, {u"CTRL_EDIT", CTRL_EDIT},     {u"CTRL_GRID", CTRL_GRID},
    {u"CTRL_KNOB", CTRL_KNOB},     {u"CTRL_LED", CTRL_LED},           {u"CTRL_NUMCALC", CTRL_NUMCALC},
    {u"CTRL_NUMEDIT", CTRL_NUMEDIT}, {u"CTRL_NUMERIC", CTRL_NUMERIC}, {u"CTRL_RIPR", CTRL_RIPR},
    {u"CTRL_RPM", CTRL_RPM},       {u"CTRL_SLIDE", CTRL_SLIDE},       {u"CTRL_STATO", CTRL_STATO},
    {u"CTRL_TERM", CTRL_TERM},     {u"CTRL_VMETER", CTRL_VMETER},     {u"CTRL_RESET", CTRL_RESET},
};

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    return vexar::ToUpper(a) == vexar::ToUpper(b);
}

// The last three characters of the path: the file kind.
std::u16string FileKind(const std::string& path)
{
    const std::u16string wide = vexar::ToUtf16(path);
    return wide.size() <= 3 ? wide : wide.substr(wide.size() - 3);
}

std::int32_t ElementSize(std::int32_t tipo)
{
    switch (tipo) {
    case DATO_UWORD:
    case DATO_WORD:
        return 2;
    case DATO_LONG:
    case DATO_ULONG:
        return 4;
    default:
        return 1;
    }
}

// Elements the record's datum spans in its image, as the area sizes count
// them for the record at the top.
std::int64_t ParamAreaElements(const REC_CONTROLLO& rec)
{
    if (const auto* edit = std::get_if<EditBlock>(&rec.GRAFICA))
        return edit->NUM_BYTES;
    if (const auto* grid = std::get_if<GridBlock>(&rec.GRAFICA))
        return std::int64_t{grid->NUM_RIGHE} * grid->NUM_COLONNE;
    if (const auto* ripr = std::get_if<RiprBlock>(&rec.GRAFICA))
        return std::int64_t{ripr->NUM_AZIONI} * ripr->NUM_ERRORI;
    return 1;
}

// Elements the record's datum really spans: a recovery-action list holds
// one element per error entry.
std::int64_t DatumElements(const REC_CONTROLLO& rec)
{
    if (const auto* ripr = std::get_if<RiprBlock>(&rec.GRAFICA))
        return ripr->NUM_ERRORI;
    return ParamAreaElements(rec);
}

std::int64_t DatumEnd(const REC_CONTROLLO& rec, std::int64_t elements)
{
    return std::int64_t{static_cast<std::uint32_t>(rec.LSB)} + ElementSize(rec.TIPO) * elements;
}

std::int32_t ClampSize(std::int64_t size)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(size, 0, std::numeric_limits<std::int32_t>::max()));
}

const ResetBlock* ResetOf(const REC_CONTROLLO& rec) { return std::get_if<ResetBlock>(&rec.GRAFICA); }

bool InDiagArea(const REC_CONTROLLO& rec)
{
    if (rec.CATEGORIA == CTRL_DIAG || rec.CATEGORIA == CTRL_DIAG_BIT)
        return true;
    const ResetBlock* reset = ResetOf(rec);
    return rec.CATEGORIA == CTRL_RESET && reset && reset->PAR_VAR == RESET_IN_VAR;
}

bool InRestoreArea(const REC_CONTROLLO& rec)
{
    if (rec.CATEGORIA == CTRL_RIPR)
        return true;
    const ResetBlock* reset = ResetOf(rec);
    return rec.CATEGORIA == CTRL_RESET && reset && reset->PAR_VAR == RESET_IN_PAR;
}

// The record with the highest LSB (as unsigned; the first of equals) among
// those `pick` accepts, or null.
template <class Pick>
const REC_CONTROLLO* TopRecord(const std::vector<REC_CONTROLLO>& records, Pick pick)
{
    const REC_CONTROLLO* top = nullptr;
    for (const REC_CONTROLLO& rec : records) {
        if (!pick(rec))
            continue;
        if (!top || static_cast<std::uint32_t>(rec.LSB) > static_cast<std::uint32_t>(top->LSB))
            top = &rec;
    }
    return top;
}

const REC_CONTROLLO* FindKey(std::span<const REC_CONTROLLO> records, std::int32_t key)
{
    for (const REC_CONTROLLO& rec : records)
        if (rec.ID_GUI == key)
            return &rec;
    return nullptr;
}

}  // namespace

CControlliConfigurati::CControlliConfigurati(std::string path, const std::u16string& logName)
    : CTagFileReader(std::move(path), logName, u"Caricamento configurazione controlli")
{
}

CControlliConfigurati::~CControlliConfigurati()
{
    m_file.Close();
    m_log.Close();
}

void CControlliConfigurati::GetControls(const REC_CONTROLLO*& records) const
{
    records = m_records.empty() ? nullptr : m_records.data();
}

void CControlliConfigurati::GetFrequencies(std::int32_t& carMs, std::int32_t& acqMs) const
{
    carMs = m_nFreqCarMs;
    acqMs = m_nFreqAcqMs;
}

// ---- Reading lines ---------------------------------------------------------

// ---- Count pass ------------------------------------------------------------

int CControlliConfigurati::CountControls()
{
    if (m_nRecords != 0)
        return m_nRecords;
    if (!FileExists(m_strFile)) {
        m_log.Write(Format(kMsgCountFileMissing, m_strFile));
        return -1;
    }
    CCriptFile file;
    if (!file.Open(m_strFile, 1)) {
        m_log.Write(Format(kMsgCountCannotOpen, m_strFile));
        return -1;
    }
    // Counted aside, so that a failed pass leaves no partial count behind.
    std::int32_t count = 0;
    bool inside = false;
    bool failed = false;
    std::u16string line;
    while (!failed && file.ReadLine(line)) {
        ++m_nLine;
        if (!inside) {
            if (HasOpenTag(line, u"CONTROLLO")) {
                ++count;
                inside = true;
            } else if (HasCloseTag(line, u"CONTROLLO")) {
                failed = true;
            }
        } else if (HasCloseTag(line, u"CONTROLLO")) {
            inside = false;
        } else if (HasOpenTag(line, u"CONTROLLO")) {
            failed = true;
        }
    }
    file.Close();
    if (failed || inside) {
        m_log.Write(Format(kMsgTagSyntax, u"CONTROLLO", m_strFile));
        return -1;
    }
    m_nRecords = count;
    return m_nRecords;
}

// ---- Load ------------------------------------------------------------------

int CControlliConfigurati::Load(std::u16string& currentLanguage, const std::vector<std::u16string>& languages)
{
    m_nBlocksBegun = 0;
    m_nLine = 0;
    currentLanguage = vexar::ToUpper(currentLanguage);

    if (!FileExists(m_strFile)) {
        m_log.Write(Format(kMsgFileMissing, m_strFile));
        return 1;
    }
    if (!m_file.Open(m_strFile, 1)) {
        m_log.Write(Format(kMsgCannotOpen, m_strFile));
        return 2;
    }
    if (const int result = LoadHeader(); result != 0)
        return result;

    const std::int32_t headerLines = m_nLine;
    const int count = CountControls();
    m_nLine = headerLines;
    if (count < 0) {
        m_file.Close();
        return 6;
    }
    if (count == 0) {
        m_file.Close();
        return 0;
    }

    m_records.clear();
    m_records.reserve(static_cast<std::size_t>(count));
    std::u16string line;
    while (m_file.ReadLine(line)) {
        ++m_nLine;
        // Outside the blocks every line must open the next block: blank and
        // comment lines are not allowed here.
        if (static_cast<int>(m_records.size()) == m_nRecords || !HasOpenTag(line, u"CONTROLLO")) {
            LogMissingMarker(u"CONTROLLO", false);
            return 4;
        }
        m_records.emplace_back();
        const int index = static_cast<int>(m_records.size()) - 1;
        if (const int result = LoadControl(m_records.back(), index, currentLanguage, languages); result != 0)
            return result;
    }
    m_file.Close();

    // The count pass sees every raw line, the loader skips comment lines: a
    // "<CONTROLLO>" hidden in a header comment makes them disagree.
    if (static_cast<int>(m_records.size()) != m_nRecords) {
        m_log.Write(Format(kMsgTagSyntax, u"CONTROLLO", m_strFile));
        return 6;
    }

    const std::u16string kind = FileKind(m_strFile);
    if (!CheckCategories(kind) || !CheckGrids() || !CheckDuplicateIds() || !CheckCalcFormulas())
        return 4;
    if (vexar::ToUpper(kind) == u"GDG" && !CheckActions())
        return 4;
    LogExtentsBeyondAreas();
    return 0;
}

int CControlliConfigurati::LoadHeader()
{
    std::u16string value;
    if (!ReadTagValue(value, u"CODICE_ECU") || !ReadTagValue(value, u"ID_FIRMWARE"))
        return 3;

    if (!ReadTagValue(value, u"PROTO"))
        return 3;
    if (value == u"PROT_KD01")
        m_nProtocol = PROT_KD01;
    else if (value == u"PROT_NEW")
        m_nProtocol = PROT_NEW;
    else
        return ReportValueError(u"PROTO", value), 5;

    if (!ReadTagValue(value, u"BAUD_RATE"))
        return 3;
    {
        int baud = 0;
        const bool number = StrToInt(value, baud);
        if (number)
            m_nBaudRate = baud;
        if (!number || std::find(std::begin(kBaudRates), std::end(kBaudRates), baud) == std::end(kBaudRates))
            return ReportValueError(u"BAUD_RATE", value), 5;
    }

    if (!ReadTagValue(value, u"ENDIAN"))
        return 3;
    if (value == u"BIG_END")
        m_nEndian = BIG_END;
    else if (value == u"LITTLE_END")
        m_nEndian = LITTLE_END;
    else
        return ReportValueError(u"ENDIAN", value), 5;

    if (!ReadTagValue(m_strBootLoader, u"PRGBAY") || !ReadTagValue(m_strFirmwareName, u"FIRMWARE_NAME"))
        return 3;

    const std::pair<const char16_t*, std::int32_t*> periods[] = {{u"FREQ_SYS_CAR_MSEC", &m_nFreqCarMs},
                                                                 {u"FREQ_SYS_ACQ_MSEC", &m_nFreqAcqMs}};
    for (const auto& [tag, field] : periods) {
        if (!ReadTagValue(value, tag))
            return 3;
        if (!StrToLong(value, *field) || *field < 0)
            return ReportValueError(tag, value), 5;
    }
    return 0;
}

int CControlliConfigurati::LoadControl(REC_CONTROLLO& rec, int index, const std::u16string& language,
                                       const std::vector<std::u16string>& languages)
{
    std::u16string value;
    int result = 0;

    if (!ReadTagValue(value, u"ID_GUI"))
        return 4;
    if (!StrToLong(value, rec.ID_GUI) || rec.ID_GUI == 0)
        return ReportValueError(u"ID_GUI", value), 5;

    if ((result = ReadLanguageBlock(u"ETICHETTA", rec.ETICHETTA, kEtichettaWidth, language, languages)) != 0)
        return result;
    if ((result = ReadText(u"UNITA", rec.UNITA, kUnitaWidth)) != 0)
        return result;
    if ((result = ReadText(u"IDENTIFICATORE", rec.IDENTIFICATORE, kIdentWidth)) != 0)
        return result;
    if ((result = ReadLanguageBlock(u"COMMENTO", rec.COMMENTO, kCommentoWidth, language, languages)) != 0)
        return result;
    if ((result = ReadKeyword(u"TIPO",
                              {{u"DATO_FLAG", DATO_FLAG},
                               {u"DATO_UBYTE", DATO_UBYTE},
                               {u"DATO_BYTE", DATO_BYTE},
                               {u"DATO_UWORD", DATO_UWORD},
                               {u"DATO_WORD", DATO_WORD},
                               {u"DATO_LONG", DATO_LONG},
                               {u"DATO_ULONG", DATO_ULONG}},
                              rec.TIPO)) != 0)
        return result;

    // A byte address below 0 lies outside every image.
    if (!ReadTagValue(value, u"LSB"))
        return 4;
    if (!StrToLong(value, rec.LSB) || rec.LSB < 0)
        return ReportValueError(u"LSB", value), 5;

    if (!ReadTagValue(value, u"MASCHERA"))
        return 4;
    if (!HexStrToDword(value, rec.MASCHERA))
        return ReportValueError(u"MASCHERA", value), 5;

    if ((result = ReadKeyword(u"OPERATORE", {{u"OPR_PBL", OPR_PBL}, {u"OPR_PRV", OPR_PRV}, {u"OPR_REM", OPR_REM}},
                              rec.OPERATORE)) != 0)
        return result;
    if ((result = ReadText(u"DEFAULT", rec.DEFAULT, kIdentWidth)) != 0)
        return result;
    if ((result = ReadKeyword(u"FIXDEF", {{u"FIX_ON", FIX_ON}, {u"FIX_OFF", FIX_OFF}}, rec.FIXDEF)) != 0)
        return result;

    // Limits are kept as text, cut to their width; what is kept must be a
    // number when it is not empty.
    for (auto [tag, field] : {std::pair{u"MIN", &rec.MIN}, std::pair{u"MAX", &rec.MAX}}) {
        if ((result = ReadText(tag, *field, kIdentWidth)) != 0)
            return result;
        std::u16string number = *field;
        double ignored = 0.0;
        if (!number.empty() && !StrToDouble(number, ignored))
            return ReportValueError(tag, *field), 5;
    }

    if (!ReadOpenTag(u"CONVERSIONE"))
        return 4;
    if ((result = LoadConversion(rec)) != 0)
        return result;
    if (!ReadCloseTag(u"CONVERSIONE") || !ReadOpenTag(u"GRAFICA"))
        return 4;

    if (!ReadTagValue(value, u"CATEGORIA"))
        return 4;
    const auto category = std::find_if(std::begin(kCategories), std::end(kCategories),
                                       [&](const CategoryKeyword& k) { return value == k.word; });
    if (category == std::end(kCategories))
        return ReportValueError(u"CATEGORIA", value), 5;
    rec.CATEGORIA = category->code;
    if ((result = ParseCategory(index, language, languages)) != 0)
        return result;

    if (!ReadCloseTag(u"GRAFICA") || !ReadCloseTag(u"CONTROLLO"))
        return 4;
    return 0;
}

namespace {

// Takes the first white-space-delimited token off the front of `rest` and
// drops the white space after it.
std::u16string TakeToken(std::u16string& rest)
{
    std::size_t end = 0;
    while (end < rest.size() && !vexar::IsSpace(rest[end]))
        ++end;
    std::u16string token = rest.substr(0, end);
    while (end < rest.size() && vexar::IsSpace(rest[end]))
        ++end;
    rest.erase(0, end);
    return token;
}

// Longest token of a number or key list; longer ones are refused.
constexpr std::size_t kMaxToken = 32;

}  // namespace

int CControlliConfigurati::LoadConversion(REC_CONTROLLO& rec)
{
    int result = ReadKeyword(u"TIPO_CONV",
                             {{u"CONV_NO", CONV_NO},
                              {u"CONV_FORM", CONV_FORM},
                              {u"CONV_FORM_EXT", CONV_FORM_EXT},
                              {u"CONV_INTR", CONV_INTR}},
                             rec.TIPO_CONV);
    if (result != 0)
        return result;

    switch (rec.TIPO_CONV) {
    case CONV_FORM: {
        ConvForm& form = rec.CONVERSIONE.emplace<ConvForm>();
        for (auto [tag, field] : {std::pair{u"A", &form.A}, std::pair{u"B", &form.B}, std::pair{u"C", &form.C},
                                  std::pair{u"D", &form.D}, std::pair{u"E", &form.E}})
            if ((result = ReadReal(tag, *field)) != 0)
                return result;
        if (form.C == 0.0 && form.D == 0.0) {
            m_file.Close();
            m_log.Write(Format(kMsgCDNull, m_strFile));
            return 5;
        }
        return 0;
    }
    case CONV_FORM_EXT: {
        ConvFormExt& ext = rec.CONVERSIONE.emplace<ConvFormExt>();
        if ((result = ReadFormula(ext)) != 0)
            return result;
        std::u16string value;
        if (!ReadTagValue(value, u"IDX"))
            return 4;
        if (!value.empty() && (!StrToLong(value, ext.IDX) || ext.IDX < 1 || ext.IDX > 6))
            return ReportValueError(u"IDX", value), 5;
        return 0;
    }
    case CONV_INTR: {
        ConvIntr& intr = rec.CONVERSIONE.emplace<ConvIntr>();
        if ((result = ReadCount(u"N_ELEM", intr.N_ELEM)) != 0)
            return result;
        for (auto [tag, list] : {std::pair{u"BREAKPS_X", &intr.BREAKPS_X}, std::pair{u"BREAKPS_Y", &intr.BREAKPS_Y}}) {
            std::u16string rest;
            if (!ReadTagValue(rest, tag))
                return 4;
            // Grown as numbers are read, so a wrong count cannot claim memory
            // the line does not back.
            list->reserve(static_cast<std::size_t>(std::min(intr.N_ELEM, 256)));
            for (std::int32_t k = 0; k < intr.N_ELEM; ++k) {
                if (rest.empty())
                    return ReportValueError(tag, rest), 5;
                const std::u16string from = rest;
                std::u16string token = TakeToken(rest);
                double number = 0.0;
                if (token.size() > kMaxToken || !StrToDouble(token, number))
                    return ReportValueError(tag, from), 5;
                list->push_back(number);
            }
        }
        return 0;
    }
    default:
        rec.CONVERSIONE.emplace<std::monostate>();
        return 0;
    }
}

// ---- Value readers shared by the category parsers ----------------------------

int CControlliConfigurati::ReadKeyword(std::u16string_view tag,
                                       std::initializer_list<std::pair<const char16_t*, std::int32_t>> words,
                                       std::int32_t& value)
{
    std::u16string text;
    if (!ReadTagValue(text, tag))
        return 4;
    for (const auto& [word, code] : words) {
        if (text == word) {
            value = code;
            return 0;
        }
    }
    ReportValueError(tag, text);
    return 5;
}

int CControlliConfigurati::ReadInteger(std::u16string_view tag, std::int32_t& value)
{
    std::u16string text;
    if (!ReadTagValue(text, tag))
        return 4;
    if (StrToLong(text, value))
        return 0;
    ReportValueError(tag, text);
    return 5;
}

// A count sizes a list: below 0 it is refused.
int CControlliConfigurati::ReadCount(std::u16string_view tag, std::int32_t& value)
{
    std::u16string text;
    if (!ReadTagValue(text, tag))
        return 4;
    if (StrToLong(text, value) && value >= 0)
        return 0;
    ReportValueError(tag, text);
    return 5;
}

int CControlliConfigurati::ReadOptionalKey(std::u16string_view tag, std::int32_t& value)
{
    std::u16string text;
    if (!ReadTagValue(text, tag))
        return 4;
    if (text.empty()) {
        value = 0;
        return 0;
    }
    if (StrToLong(text, value))
        return 0;
    ReportValueError(tag, text);
    return 5;
}

int CControlliConfigurati::ReadReal(std::u16string_view tag, double& value)
{
    std::u16string text;
    if (!ReadTagValue(text, tag))
        return 4;
    if (StrToDouble(text, value))
        return 0;
    ReportValueError(tag, text);
    return 5;
}

// The number at the start of the value, as "%ld" reads it: an optional
// sign and decimal digits, anything after them ignored. An empty value or
// one beyond the 32-bit range is refused.
int CControlliConfigurati::ReadDecimalCode(std::u16string_view tag, std::int32_t& value, std::u16string* text)
{
    std::u16string raw;
    if (!ReadTagValue(raw, tag))
        return 4;
    if (text)
        *text = raw;
    std::size_t i = 0;
    while (i < raw.size() && vexar::IsSpace(raw[i]))
        ++i;
    bool negative = false;
    if (i < raw.size() && (raw[i] == u'+' || raw[i] == u'-'))
        negative = raw[i++] == u'-';
    const std::size_t first = i;
    std::int64_t magnitude = 0;
    bool inRange = true;
    for (; i < raw.size() && raw[i] >= u'0' && raw[i] <= u'9'; ++i) {
        magnitude = magnitude * 10 + (raw[i] - u'0');
        if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
            inRange = false, magnitude = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 2;
    }
    const std::int64_t number = negative ? -magnitude : magnitude;
    if (i == first || !inRange || number > std::numeric_limits<std::int32_t>::max() ||
        number < std::numeric_limits<std::int32_t>::min()) {
        ReportValueError(tag, raw);
        return 5;
    }
    value = static_cast<std::int32_t>(number);
    return 0;
}

int CControlliConfigurati::ReadText(std::u16string_view tag, std::u16string& value, std::size_t width)
{
    std::u16string text;
    if (!ReadTagValue(text, tag))
        return 4;
    value = vexar::config::CutText(text, width);
    return 0;
}

int CControlliConfigurati::ReadColour(std::u16string_view tag, Colour& colour)
{
    std::u16string rest;
    if (!ReadTagValue(rest, tag))
        return 4;
    for (std::uint8_t* component : {&colour.R, &colour.G, &colour.B}) {
        if (rest.empty())
            return ReportValueError(tag, rest), 5;
        const std::u16string from = rest;
        if (!HexStrToByte(TakeToken(rest), *component))
            return ReportValueError(tag, from), 5;
    }
    return 0;
}

int CControlliConfigurati::ReadVisibilityList(LISTA_VISIBILI& list)
{
    const std::pair<const char16_t*, const char16_t*> parts[] = {{u"N_ID_PAR", u"ID_PAR"}, {u"N_ID_VAR", u"ID_VAR"}};
    for (const auto& [countTag, keysTag] : parts) {
        const bool par = countTag == parts[0].first;
        std::int32_t& count = par ? list.N_ID_PAR : list.N_ID_VAR;
        std::vector<std::int32_t>& keys = par ? list.ID_PAR : list.ID_VAR;
        if (const int result = ReadCount(countTag, count); result != 0)
            return result;
        if (count == 0)
            continue;
        std::u16string rest;
        if (!ReadTagValue(rest, keysTag))
            return 4;
        keys.reserve(static_cast<std::size_t>(std::min(count, 256)));
        for (std::int32_t k = 0; k < count; ++k) {
            if (rest.empty())
                return ReportValueError(keysTag, rest), 5;
            const std::u16string from = rest;
            std::u16string token = TakeToken(rest);
            std::int32_t key = 0;
            if (token.size() > kMaxToken || !StrToLong(token, key))
                return ReportValueError(keysTag, from), 5;
            keys.push_back(key);
        }
    }
    return 0;
}

int CControlliConfigurati::ReadFormula(FormulaOperands& formula)
{
    int result = 0;
    for (auto [tag, field] : {std::pair{u"K1", &formula.K1}, std::pair{u"K2", &formula.K2},
                              std::pair{u"K3", &formula.K3}, std::pair{u"K4", &formula.K4},
                              std::pair{u"KC", &formula.KC}})
        if ((result = ReadReal(tag, *field)) != 0)
            return result;
    const char16_t* const keys[] = {u"ID1", u"ID2", u"ID3", u"ID4", u"ID5", u"ID6"};
    for (std::size_t k = 0; k < 6; ++k)
        if ((result = ReadOptionalKey(keys[k], formula.ID[k])) != 0)
            return result;
    formula.ADDR_ID.fill(nullptr);
    formula.TIPO_ID.fill(kUnresolvedOperand);
    return 0;
}

// ---- Category parsers --------------------------------------------------------

int CControlliConfigurati::ParseCategory(int index, const std::u16string& language,
                                         const std::vector<std::u16string>& languages)
{
    switch (m_records[index].CATEGORIA) {
    case CTRL_BAR: return ParseBarBlock(index);
    case CTRL_CHECK: return ParseCheckBlock(index);
    case CTRL_BUTTON: return ParseButtonBlock(index, language, languages);
    case CTRL_BUTTON_CMD: return ParseButtonCmdBlock(index);
    case CTRL_COMBO: return ParseComboBlock(index, language, languages);
    case CTRL_DIAG: return ParseDiagBlock(index, language, languages);
    case CTRL_DIAG_BIT: return ParseDiagBitBlock(index, language, languages);
    case CTRL_EDIT: return ParseEditBlock(index);
    case CTRL_GRID: return ParseGridBlock(index, language, languages);
    case CTRL_KNOB: return ParseKnobBlock(index);
    case CTRL_LED: return ParseLedBlock(index);
    case CTRL_NUMCALC: return ParseNumCalcBlock(index);
    case CTRL_NUMEDIT: return ParseNumEditBlock(index);
    case CTRL_NUMERIC: return ParseNumericBlock(index);
    case CTRL_RIPR: return ParseRiprBlock(index, language, languages);
    case CTRL_RPM: return ParseRpmBlock(index);
    case CTRL_SLIDE: return ParseSlideBlock(index);
    case CTRL_STATO: return ParseStatoBlock(index, language, languages);
    case CTRL_TERM: return ParseTermBlock(index);
    case CTRL_VMETER: return ParseVmeterBlock(index);
    case CTRL_RESET: return ParseResetBlock(index);
    }
    // A category without a parser must never pass as read.
    ReportValueError(u"CATEGORIA", vexar::ToUtf16(std::to_string(m_records[index].CATEGORIA)));
    return 5;
}

#define VEXAR_TRY(expr)                                                                                \
    do {                                                                                               \
        if (const int vexar_result_ = (expr); vexar_result_ != 0)                                      \
            return vexar_result_;                                                                      \
    } while (false)

#define VEXAR_EXPECT(expr)                                                                             \
    do {                                                                                               \
        if (!(expr))                                                                                   \
            return 4;                                                                                  \
    } while (false)

namespace {

using Words = std::initializer_list<std::pair<const char16_t*, std::int32_t>>;
const Words kAbilitato = {{u"ABIL_SI", ABIL_SI}, {u"ABIL_NO", ABIL_NO}};
const Words kAllineamento = {{u"ALLN_LFT", ALLN_LFT}, {u"ALLN_CNT", ALLN_CNT}, {u"ALLN_RGH", ALLN_RGH}};
const Words kValori = {{u"VAL_CNT", VAL_CNT}, {u"VAL_DSCR", VAL_DSCR}};
const Words kVisibDip = {{u"VIS_SI", VIS_SI}, {u"VIS_NO", VIS_NO}};
const Words kParam = {{u"PAR_SI", PAR_SI}, {u"PAR_NO", PAR_NO}};
const Words kStileSlide = {{u"STL_HORZ", STL_HORZ}, {u"STL_VERT", STL_VERT}};
const Words kStileLed = {{u"STL_QUADR", STL_QUADR}, {u"STL_TONDO", STL_TONDO}};

}  // namespace

int CControlliConfigurati::ParseResetBlock(int index)
{
    ++m_nBlocksBegun;
    ResetBlock& block = m_records[index].GRAFICA.emplace<ResetBlock>();
    VEXAR_TRY(ReadKeyword(u"PAR_VAR", {{u"PAR", RESET_IN_PAR}, {u"VAR", RESET_IN_VAR}}, block.PAR_VAR));
    VEXAR_TRY(ReadInteger(u"RESET", block.RESET));
    VEXAR_TRY(ReadInteger(u"NORMAL", block.NORMAL));
    VEXAR_TRY(ReadCount(u"DELAY", block.DELAY));
    return 0;
}

int CControlliConfigurati::ParseEditBlock(int index)
{
    ++m_nBlocksBegun;
    REC_CONTROLLO& rec = m_records[index];
    EditBlock& block = rec.GRAFICA.emplace<EditBlock>();
    VEXAR_TRY(ReadKeyword(u"ALLINEAMENTO", kAllineamento, block.ALLINEAMENTO));
    VEXAR_TRY(ReadKeyword(u"ABILITATO", kAbilitato, block.ABILITATO));
    VEXAR_TRY(ReadCount(u"NUM_BYTES", block.NUM_BYTES));

    // The default of a text field stands in double quotes; a lone quote
    // starts a default that runs for at most NUM_BYTES characters.
    const std::size_t first = rec.DEFAULT.find(u'"');
    if (first == std::u16string::npos) {
        ReportValueError(u"DEFAULT", rec.DEFAULT);
        return 5;
    }
    const std::size_t last = rec.DEFAULT.rfind(u'"');
    std::u16string text = first == last ? rec.DEFAULT.substr(first + 1, static_cast<std::size_t>(block.NUM_BYTES))
                                        : rec.DEFAULT.substr(first + 1, last - first - 1);
    rec.DEFAULT = vexar::config::CutText(text, kIdentWidth);
    return 0;
}

int CControlliConfigurati::ParseNumEditBlock(int index)
{
    ++m_nBlocksBegun;
    NumEditBlock& block = m_records[index].GRAFICA.emplace<NumEditBlock>();
    VEXAR_TRY(ReadKeyword(u"ALLINEAMENTO", kAllineamento, block.ALLINEAMENTO));
    VEXAR_TRY(ReadKeyword(u"ABILITATO", kAbilitato, block.ABILITATO));
    VEXAR_TRY(ReadKeyword(u"INCDEC_BUTTON", {{u"INCDEC_BTN_SI", INCDEC_BTN_SI}, {u"INCDEC_BTN_NO", INCDEC_BTN_NO}},
                          block.INCDEC_BUTTON));
    VEXAR_TRY(ReadReal(u"INC_VALORE", block.INC_VALORE));
    VEXAR_TRY(ReadKeyword(u"VALORI", kValori, block.VALORI));
    VEXAR_TRY(ReadText(u"FORMATO", block.FORMATO, kFormatoWidth));
    return 0;
}

int CControlliConfigurati::ParseNumCalcBlock(int index)
{
    ++m_nBlocksBegun;
    NumCalcBlock& block = m_records[index].GRAFICA.emplace<NumCalcBlock>();
    VEXAR_TRY(ReadKeyword(u"ALLINEAMENTO", kAllineamento, block.ALLINEAMENTO));
    VEXAR_TRY(ReadText(u"FORMATO", block.FORMATO, kFormatoWidth));
    VEXAR_EXPECT(ReadOpenTag(u"FORMULA"));
    VEXAR_TRY(ReadFormula(block));
    VEXAR_TRY(ReadKeyword(u"ABS", {{u"ABS_SI", ABS_SI}, {u"ABS_NO", ABS_NO}}, block.ABS));
    VEXAR_EXPECT(ReadCloseTag(u"FORMULA"));
    return 0;
}

int CControlliConfigurati::ParseNumericBlock(int index)
{
    ++m_nBlocksBegun;
    NumericBlock& block = m_records[index].GRAFICA.emplace<NumericBlock>();
    VEXAR_TRY(ReadInteger(u"SCALA", block.SCALA));
    VEXAR_TRY(ReadKeyword(u"ALLINEAMENTO", kAllineamento, block.ALLINEAMENTO));
    VEXAR_TRY(ReadText(u"FORMATO", block.FORMATO, kFormatoWidth));
    return 0;
}

int CControlliConfigurati::ParseCheckBlock(int index)
{
    ++m_nBlocksBegun;
    REC_CONTROLLO& rec = m_records[index];
    CheckBlock& block = rec.GRAFICA.emplace<CheckBlock>();
    VEXAR_TRY(ReadKeyword(u"ABILITATO", kAbilitato, block.ABILITATO));
    VEXAR_TRY(ReadKeyword(u"VISIB_DIP", kVisibDip, block.VISIB_DIP));
    if (block.VISIB_DIP == VIS_NO)
        return 0;
    VEXAR_EXPECT(ReadOpenTag(u"CHECKED"));
    VEXAR_TRY(ReadVisibilityList(block.CHECKED));
    VEXAR_EXPECT(ReadCloseTag(u"CHECKED"));
    VEXAR_EXPECT(ReadOpenTag(u"UNCHECKED"));
    VEXAR_TRY(ReadVisibilityList(block.UNCHECKED));
    VEXAR_EXPECT(ReadCloseTag(u"UNCHECKED"));
    VEXAR_TRY(ReadKeyword(u"PARAM", kParam, block.PARAM));
    if (block.PARAM == PAR_NO)
        rec.LSB = 0;
    return 0;
}

int CControlliConfigurati::ParseButtonBlock(int index, const std::u16string& language,
                                            const std::vector<std::u16string>& languages)
{
    ++m_nBlocksBegun;
    REC_CONTROLLO& rec = m_records[index];
    ButtonBlock& block = rec.GRAFICA.emplace<ButtonBlock>();
    VEXAR_TRY(ReadKeyword(u"ABILITATO", kAbilitato, block.ABILITATO));
    VEXAR_TRY(ReadLanguageBlock(u"ETICHETTA_ON", block.ETICHETTA_ON, kEtichettaWidth, language, languages));
    VEXAR_TRY(ReadLanguageBlock(u"ETICHETTA_OFF", block.ETICHETTA_OFF, kEtichettaWidth, language, languages));
    VEXAR_TRY(ReadKeyword(u"VISIB_DIP", kVisibDip, block.VISIB_DIP));
    if (block.VISIB_DIP == VIS_NO)
        return 0;
    VEXAR_EXPECT(ReadOpenTag(u"ON"));
    VEXAR_TRY(ReadVisibilityList(block.ON));
    VEXAR_EXPECT(ReadCloseTag(u"ON"));
    VEXAR_EXPECT(ReadOpenTag(u"OFF"));
    VEXAR_TRY(ReadVisibilityList(block.OFF));
    VEXAR_EXPECT(ReadCloseTag(u"OFF"));
    VEXAR_TRY(ReadKeyword(u"PARAM", kParam, block.PARAM));
    if (block.PARAM == PAR_NO)
        rec.LSB = 0;
    return 0;
}

int CControlliConfigurati::ParseButtonCmdBlock(int index)
{
    ++m_nBlocksBegun;
    ButtonCmdBlock& block = m_records[index].GRAFICA.emplace<ButtonCmdBlock>();
    return ReadKeyword(u"ABILITATO", kAbilitato, block.ABILITATO);
}

int CControlliConfigurati::ParseComboBlock(int index, const std::u16string& language,
                                           const std::vector<std::u16string>& languages)
{
    ++m_nBlocksBegun;
    REC_CONTROLLO& rec = m_records[index];
    ComboBlock& block = rec.GRAFICA.emplace<ComboBlock>();
    VEXAR_TRY(ReadKeyword(u"ABILITATO", kAbilitato, block.ABILITATO));
    VEXAR_TRY(ReadKeyword(u"VISIB_DIP", kVisibDip, block.VISIB_DIP));
    VEXAR_TRY(ReadCount(u"NUM_ITEMS", block.NUM_ITEMS));

    // The item lists grow as items are read: a count that the file does
    // not back ends with a missing line, not with a huge allocation.
    bool defaultMatched = false;
    for (std::int32_t k = 0; k < block.NUM_ITEMS; ++k) {
        VEXAR_EXPECT(ReadOpenTag(u"ELEMENTO"));
        block.ETICHETTE_ITEMS.emplace_back();
        VEXAR_TRY(ReadLanguageBlock(u"ETICHETTA", block.ETICHETTE_ITEMS.back(), kEtichettaWidth, language, languages));
        block.VALORE_ITEMS.push_back(0);
        std::u16string text;
        VEXAR_TRY(ReadDecimalCode(u"VALORE", block.VALORE_ITEMS.back(), &text));
        if (EqualsIgnoringCase(text, rec.DEFAULT))
            defaultMatched = true;
        if (block.VISIB_DIP == VIS_SI) {
            VEXAR_EXPECT(ReadOpenTag(u"VISIBILI"));
            block.VISIBILI_ITEMS.emplace_back();
            VEXAR_TRY(ReadVisibilityList(block.VISIBILI_ITEMS.back()));
            VEXAR_EXPECT(ReadCloseTag(u"VISIBILI"));
        }
        VEXAR_EXPECT(ReadCloseTag(u"ELEMENTO"));
    }
    if (!defaultMatched) {
        ReportValueError(u"DEFAULT", rec.DEFAULT);
        return 5;
    }
    if (block.VISIB_DIP == VIS_SI) {
        VEXAR_TRY(ReadKeyword(u"PARAM", kParam, block.PARAM));
        if (block.PARAM == PAR_NO)
            rec.LSB = 0;
    }
    return 0;
}

// One item of a list block: the item's opening line, its label in every
// language, its code or value line, its closing line.
int CControlliConfigurati::ReadLabelledItem(std::u16string_view item, std::u16string_view codeTag,
                                            std::vector<std::u16string>& labels, std::vector<std::int32_t>& codes,
                                            const std::u16string& language,
                                            const std::vector<std::u16string>& languages)
{
    VEXAR_EXPECT(ReadOpenTag(item));
    VEXAR_TRY(ReadLanguageBlock(u"ETICHETTA", labels.emplace_back(), kEtichettaWidth, language, languages));
    VEXAR_TRY(ReadDecimalCode(codeTag, codes.emplace_back(0)));
    VEXAR_EXPECT(ReadCloseTag(item));
    return 0;
}

int CControlliConfigurati::ParseDiagBlock(int index, const std::u16string& language,
                                          const std::vector<std::u16string>& languages)
{
    ++m_nBlocksBegun;
    DiagBlock& block = m_records[index].GRAFICA.emplace<DiagBlock>();
    VEXAR_TRY(ReadInteger(u"SCALA", block.SCALA));
    VEXAR_TRY(ReadCount(u"NUM_ERRORI", block.NUM_ERRORI));
    VEXAR_TRY(ReadOptionalKey(u"ID_AZIONE", block.ID_AZIONE));
    for (std::int32_t k = 0; k < block.NUM_ERRORI; ++k)
        VEXAR_TRY(ReadLabelledItem(u"ERRORE", u"COD", block.ETICHETTE_ERRORI, block.COD_ERRORI, language, languages));
    return 0;
}

int CControlliConfigurati::ParseDiagBitBlock(int index, const std::u16string& language,
                                             const std::vector<std::u16string>& languages)
{
    return ParseDiagBlock(index, language, languages);
}

int CControlliConfigurati::ParseRiprBlock(int index, const std::u16string& language,
                                          const std::vector<std::u16string>& languages)
{
    ++m_nBlocksBegun;
    RiprBlock& block = m_records[index].GRAFICA.emplace<RiprBlock>();
    VEXAR_TRY(ReadCount(u"NUM_ERRORI", block.NUM_ERRORI));
    VEXAR_TRY(ReadCount(u"NUM_AZIONI", block.NUM_AZIONI));
    for (std::int32_t k = 0; k < block.NUM_AZIONI; ++k)
        VEXAR_TRY(ReadLabelledItem(u"AZIONE", u"COD", block.ETICHETTE_AZIONI, block.COD_AZIONI, language, languages));
    return 0;
}

int CControlliConfigurati::ParseStatoBlock(int index, const std::u16string& language,
                                           const std::vector<std::u16string>& languages)
{
    ++m_nBlocksBegun;
    StatoBlock& block = m_records[index].GRAFICA.emplace<StatoBlock>();
    VEXAR_TRY(ReadInteger(u"SCALA", block.SCALA));
    VEXAR_TRY(ReadCount(u"NUM_ITEMS", block.NUM_ITEMS));
    for (std::int32_t k = 0; k < block.NUM_ITEMS; ++k)
        VEXAR_TRY(
            ReadLabelledItem(u"ELEMENTO", u"VALORE", block.ETICHETTE_ITEMS, block.VALORE_ITEMS, language, languages));
    return 0;
}

int CControlliConfigurati::ParseSlideBlock(int index)
{
    ++m_nBlocksBegun;
    SlideBlock& block = m_records[index].GRAFICA.emplace<SlideBlock>();
    VEXAR_TRY(ReadKeyword(u"STILE", kStileSlide, block.STILE));
    VEXAR_TRY(ReadKeyword(u"ABILITATO", kAbilitato, block.ABILITATO));
    VEXAR_TRY(ReadKeyword(u"VALORI", kValori, block.VALORI));
    VEXAR_TRY(ReadInteger(u"NUM_TICK", block.NUM_TICK));
    VEXAR_TRY(ReadText(u"FORMATO", block.FORMATO, kFormatoWidth));
    return 0;
}

int CControlliConfigurati::ParseKnobBlock(int index)
{
    ++m_nBlocksBegun;
    KnobBlock& block = m_records[index].GRAFICA.emplace<KnobBlock>();
    VEXAR_TRY(ReadKeyword(u"ABILITATO", kAbilitato, block.ABILITATO));
    VEXAR_TRY(ReadKeyword(u"VALORI", kValori, block.VALORI));
    VEXAR_TRY(ReadInteger(u"NUM_TICK", block.NUM_TICK));
    VEXAR_TRY(ReadText(u"FORMATO", block.FORMATO, kFormatoWidth));
    return 0;
}

int CControlliConfigurati::ParseLedBlock(int index)
{
    ++m_nBlocksBegun;
    LedBlock& block = m_records[index].GRAFICA.emplace<LedBlock>();
    VEXAR_TRY(ReadInteger(u"SCALA", block.SCALA));
    VEXAR_TRY(ReadKeyword(u"STILE", kStileLed, block.STILE));
    VEXAR_TRY(ReadColour(u"ON_COLOR", block.ON_COLOR));
    VEXAR_TRY(ReadColour(u"OFF_COLOR", block.OFF_COLOR));
    return 0;
}

int CControlliConfigurati::ParseBarBlock(int index)
{
    ++m_nBlocksBegun;
    BarBlock& block = m_records[index].GRAFICA.emplace<BarBlock>();
    VEXAR_TRY(ReadInteger(u"SCALA", block.SCALA));
    VEXAR_TRY(ReadKeyword(u"STILE", kStileSlide, block.STILE));
    VEXAR_TRY(ReadInteger(u"NUM_TICK", block.NUM_TICK));
    VEXAR_TRY(ReadColour(u"COLORE", block.COLORE));
    VEXAR_TRY(ReadText(u"FORMATO", block.FORMATO, kFormatoWidth));
    return 0;
}

int CControlliConfigurati::ParseVmeterBlock(int index)
{
    ++m_nBlocksBegun;
    VmeterBlock& block = m_records[index].GRAFICA.emplace<VmeterBlock>();
    VEXAR_TRY(ReadInteger(u"SCALA", block.SCALA));
    VEXAR_TRY(ReadInteger(u"NUM_TICK", block.NUM_TICK));
    VEXAR_TRY(ReadColour(u"COLORE", block.COLORE));
    VEXAR_TRY(ReadText(u"FORMATO", block.FORMATO, kFormatoWidth));
    return 0;
}

int CControlliConfigurati::ParseTermBlock(int index)
{
    ++m_nBlocksBegun;
    TermBlock& block = m_records[index].GRAFICA.emplace<TermBlock>();
    VEXAR_TRY(ReadInteger(u"SCALA", block.SCALA));
    VEXAR_TRY(ReadInteger(u"NUM_TICK", block.NUM_TICK));
    VEXAR_TRY(ReadText(u"FORMATO", block.FORMATO, kFormatoWidth));
    return 0;
}

int CControlliConfigurati::ParseRpmBlock(int index) { return ParseTermBlock(index); }

int CControlliConfigurati::ParseGridBlock(int index, const std::u16string& language,
                                          const std::vector<std::u16string>& languages)
{
    ++m_nBlocksBegun;
    REC_CONTROLLO& rec = m_records[index];
    GridBlock& block = rec.GRAFICA.emplace<GridBlock>();
    VEXAR_TRY(ReadCount(u"NUM_RIGHE", block.NUM_RIGHE));
    if (block.NUM_RIGHE > kMaxMapCells) {
        ReportValueError(u"NUM_RIGHE", vexar::ToUtf16(std::to_string(block.NUM_RIGHE)));
        return 5;
    }
    VEXAR_TRY(ReadCount(u"NUM_COLONNE", block.NUM_COLONNE));
    if (std::int64_t{block.NUM_RIGHE} * block.NUM_COLONNE > kMaxMapCells || block.NUM_COLONNE > kMaxMapCells) {
        ReportValueError(u"NUM_COLONNE", vexar::ToUtf16(std::to_string(block.NUM_COLONNE)));
        return 5;
    }
    VEXAR_TRY(ReadReal(u"INC_VALORE", block.INC_VALORE));
    VEXAR_TRY(ReadKeyword(u"VALORI", kValori, block.VALORI));
    VEXAR_TRY(ReadText(u"FORMATO", block.FORMATO, kFormatoWidth));
    VEXAR_TRY(ReadInteger(u"ID_VAR_FUNECU", block.ID_VAR_FUNECU));

    block.DEF_VAL.assign(static_cast<std::size_t>(block.NUM_RIGHE),
                         std::vector<double>(static_cast<std::size_t>(block.NUM_COLONNE), 0.0));
    if (rec.DEFAULT.empty()) {
        // One line of defaults per row.
        for (std::vector<double>& row : block.DEF_VAL) {
            std::u16string rest;
            VEXAR_EXPECT(ReadTagValue(rest, u"DEF_VAL"));
            for (double& cell : row) {
                if (rest.empty())
                    return ReportValueError(u"DEF_VAL", rest), 5;
                const std::u16string from = rest;
                std::u16string token = TakeToken(rest);
                if (token.size() > kMaxToken || !StrToDouble(token, cell))
                    return ReportValueError(u"DEF_VAL", from), 5;
            }
        }
    } else {
        std::u16string text = rec.DEFAULT;
        double value = 0.0;
        if (!StrToDouble(text, value))
            return ReportValueError(u"DEFAULT", rec.DEFAULT), 5;
        for (std::vector<double>& row : block.DEF_VAL)
            std::fill(row.begin(), row.end(), value);
    }

    VEXAR_EXPECT(ReadOpenTag(u"PRIMA_RIGA"));
    VEXAR_TRY(ReadHeader(block.PRIMA_RIGA, block.NUM_COLONNE, language, languages));
    VEXAR_EXPECT(ReadCloseTag(u"PRIMA_RIGA"));
    VEXAR_EXPECT(ReadOpenTag(u"PRIMA_COLONNA"));
    VEXAR_TRY(ReadHeader(block.PRIMA_COLONNA, block.NUM_RIGHE, language, languages));
    VEXAR_EXPECT(ReadCloseTag(u"PRIMA_COLONNA"));
    return 0;
}

int CControlliConfigurati::ReadHeader(INTESTAZIONE_GRIGLIA& header, std::int32_t cells, const std::u16string& language,
                                      const std::vector<std::u16string>& languages)
{
    VEXAR_TRY(ReadKeyword(u"PRESENTE", {{u"PRES_SI", PRES_SI}, {u"PRES_NO", PRES_NO}}, header.PRESENTE));
    if (header.PRESENTE == PRES_NO)
        return 0;
    VEXAR_TRY(ReadKeyword(u"TIPO_INT", {{u"INTST_FISSA", INTST_FISSA}, {u"INTST_CAL", INTST_CAL}}, header.TIPO_INT));
    if (header.TIPO_INT == INTST_CAL) {
        VEXAR_TRY(ReadInteger(u"ID_VET_BREAKPS", header.ID_VET_BREAKPS));
        VEXAR_TRY(ReadInteger(u"ID_VAR", header.ID_VAR));
        return 0;
    }

    // Fixed labels: only the current language's line is split, one label
    // per cell, each cut to its width.
    header.VET_ETICHETTE.assign(static_cast<std::size_t>(cells), std::u16string());
    VEXAR_EXPECT(ReadOpenTag(u"VET_ETICHETTE"));
    for (const std::u16string& name : languages) {
        const std::u16string tag = vexar::ToUpper(name);
        std::u16string rest;
        VEXAR_EXPECT(ReadTagValue(rest, tag));
        if (tag != language)
            continue;
        for (std::u16string& label : header.VET_ETICHETTE) {
            if (rest.empty())
                return ReportValueError(u"VET_ETICHETTE", rest), 5;
            label = vexar::config::CutText(TakeToken(rest), kIdentWidth);
        }
    }
    VEXAR_EXPECT(ReadCloseTag(u"VET_ETICHETTE"));
    VEXAR_TRY(ReadText(u"VET_UNITA", header.VET_UNITA, kUnitaWidth));
    return 0;
}

#undef VEXAR_TRY
#undef VEXAR_EXPECT

// ---- Cross-checks --------------------------------------------------------------

bool CControlliConfigurati::CheckCategories(std::u16string_view kind)
{
    static const std::int32_t kPar[] = {CTRL_EDIT,  CTRL_NUMEDIT, CTRL_CHECK,   CTRL_BUTTON,
                                        CTRL_BUTTON_CMD, CTRL_COMBO, CTRL_GRID, CTRL_KNOB,
                                        CTRL_NUMCALC, CTRL_RESET, CTRL_SLIDE};
    static const std::int32_t kVar[] = {CTRL_NUMERIC, CTRL_LED, CTRL_BAR, CTRL_VMETER,
                                        CTRL_TERM,    CTRL_STATO, CTRL_RPM, CTRL_NUMCALC};
    static const std::int32_t kGdg[] = {CTRL_DIAG, CTRL_DIAG_BIT, CTRL_RESET, CTRL_RIPR};
    const std::u16string upper = vexar::ToUpper(kind);
    const std::span<const std::int32_t> allowed = upper == u"PAR"   ? std::span<const std::int32_t>(kPar)
                                                  : upper == u"VAR" ? std::span<const std::int32_t>(kVar)
                                                                    : std::span<const std::int32_t>(kGdg);
    for (const REC_CONTROLLO& rec : m_records) {
        if (std::find(allowed.begin(), allowed.end(), rec.CATEGORIA) == allowed.end()) {
            m_log.Write(Format(kMsgCategory, u"ID_GUI", rec.ID_GUI, m_strFile));
            return false;
        }
    }
    return true;
}

bool CControlliConfigurati::CheckDuplicateIds()
{
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        for (std::size_t j = 0; j < m_records.size(); ++j) {
            if (i != j && m_records[i].ID_GUI == m_records[j].ID_GUI) {
                m_log.Write(Format(kMsgDuplicate, u"ID_GUI", m_records[i].ID_GUI, m_strFile));
                return false;
            }
        }
    }
    return true;
}

bool CControlliConfigurati::CheckCalcFormulas()
{
    for (const REC_CONTROLLO& rec : m_records) {
        const auto* calc = std::get_if<NumCalcBlock>(&rec.GRAFICA);
        if (rec.CATEGORIA != CTRL_NUMCALC || !calc)
            continue;
        for (std::size_t k = 0; k < 6; ++k) {
            const std::int32_t key = calc->ID[k];
            if (key != 0 && !FindKey(m_records, key)) {
                m_log.Write(Format(kMsgFormulaKey, static_cast<int>(k + 1), key, rec.ID_GUI, m_strFile));
                return false;
            }
        }
    }
    return true;
}

void CControlliConfigurati::LogUnresolvedOperand(std::int32_t id, std::u16string_view identifier, std::int32_t slot,
                                                 std::int32_t key)
{
    m_log.Write(Format(kMsgOperandWithoutCtrl, slot, key, id, identifier));
}

bool CControlliConfigurati::CheckConversionFormulas(const REC_CONTROLLO* list, std::int32_t count)
{
    return CheckConversionFormulas(list && count > 0 ? std::span<const REC_CONTROLLO>(list, static_cast<std::size_t>(count))
                                                     : std::span<const REC_CONTROLLO>());
}

bool CControlliConfigurati::CheckConversionFormulas(std::span<const REC_CONTROLLO> list)
{
    for (const REC_CONTROLLO& rec : m_records) {
        const auto* ext = std::get_if<ConvFormExt>(&rec.CONVERSIONE);
        if (rec.TIPO_CONV != CONV_FORM_EXT || !ext)
            continue;
        int ownSlots = 0;
        for (int k = 1; k <= 6; ++k) {
            const std::int32_t key = ext->ID[static_cast<std::size_t>(k - 1)];
            if (k == ext->IDX) {
                ++ownSlots;
            } else if (key != 0 && !FindKey(list, key)) {
                m_log.Write(Format(kMsgFormulaKey, k, key, rec.ID_GUI, m_strFile));
                return false;
            }
        }
        if (ownSlots != 1) {
            m_log.Write(Format(kMsgFormulaIdx, rec.ID_GUI, m_strFile));
            return false;
        }
    }
    return true;
}

bool CControlliConfigurati::CheckActions()
{
    for (const REC_CONTROLLO& rec : m_records) {
        const auto* diag = std::get_if<DiagBlock>(&rec.GRAFICA);
        if ((rec.CATEGORIA != CTRL_DIAG && rec.CATEGORIA != CTRL_DIAG_BIT) || !diag)
            continue;
        if (diag->ID_AZIONE != 0 && !FindKey(m_records, diag->ID_AZIONE)) {
            m_log.Write(Format(kMsgActionKey, diag->ID_AZIONE, rec.ID_GUI, m_strFile));
            return false;
        }
    }
    const auto resets = std::count_if(m_records.begin(), m_records.end(),
                                      [](const REC_CONTROLLO& rec) { return rec.CATEGORIA == CTRL_RESET; });
    if (resets > 3) {
        m_log.Write(kMsgTooManyResets);
        return false;
    }
    return true;
}

bool CControlliConfigurati::CheckGrids()
{
    struct Axis {
        const INTESTAZIONE_GRIGLIA GridBlock::*header;
        const char16_t* notAGrid;
        const char16_t* sizeDiffers;
        const char16_t* notSingle;
        const char16_t* hasFirstRow;
        const char16_t* hasFirstColumn;
        bool isRow;
    };
    static const Axis kAxes[] = {
        {&GridBlock::PRIMA_RIGA,
         u"L'identificatore della prima riga calibrabile non corrisponde ad un controllo Griglia: \"%d\" ",
         u"numero colonne diverso da intestazione calibrabile di prima riga: \"%s\" ",
         u"intestazione di prima riga calibrabile composta da più di una riga: \"%s\" ",
         u"intestazione di prima riga calibrabile non priva d'intestazione di prima riga: \"%s\" ",
         u"intestazione di prima riga calibrabile non priva d'intestazione di prima colonna: \"%s\" ", true},
        {&GridBlock::PRIMA_COLONNA,
         u"L'identificatore della prima colonna calibrabile non corrisponde ad un controllo Griglia: \"%d\" ",
         u"numero righe diverso da intestazione calibrabile di prima colonna: \"%s\" ",
         u"intestazione di colonna calibrabile composta da più di una colonna: \"%s\" ",
         u"intestazione di colonna calibrabile non priva d'intestazione di prima riga: \"%s\" ",
         u"intestazione di colonna calibrabile non priva d'intestazione di prima colonna: \"%s\" ", false},
    };

    for (const REC_CONTROLLO& g : m_records) {
        const auto* grid = std::get_if<GridBlock>(&g.GRAFICA);
        if (g.CATEGORIA != CTRL_GRID || !grid)
            continue;
        for (const Axis& axis : kAxes) {
            const INTESTAZIONE_GRIGLIA& header = grid->*axis.header;
            if (header.PRESENTE != PRES_SI || header.TIPO_INT != INTST_CAL)
                continue;
            const REC_CONTROLLO* h = FindKey(m_records, header.ID_VET_BREAKPS);
            const auto* hGrid = h ? std::get_if<GridBlock>(&h->GRAFICA) : nullptr;
            std::u16string reason;
            if (!h || h->CATEGORIA != CTRL_GRID || !hGrid)
                reason = Format(axis.notAGrid, header.ID_VET_BREAKPS);
            else if (axis.isRow ? hGrid->NUM_COLONNE != grid->NUM_COLONNE : hGrid->NUM_RIGHE != grid->NUM_RIGHE)
                reason = Format(axis.sizeDiffers, h->IDENTIFICATORE);
            else if ((axis.isRow ? hGrid->NUM_RIGHE : hGrid->NUM_COLONNE) != 1)
                reason = Format(axis.notSingle, h->IDENTIFICATORE);
            else if (hGrid->PRIMA_RIGA.PRESENTE != PRES_NO)
                reason = Format(axis.hasFirstRow, h->IDENTIFICATORE);
            else if (hGrid->PRIMA_COLONNA.PRESENTE != PRES_NO)
                reason = Format(axis.hasFirstColumn, h->IDENTIFICATORE);
            if (!reason.empty()) {
                m_log.Write(Format(kMsgGrid, g.IDENTIFICATORE) + reason);
                return false;
            }
        }
    }
    return true;
}

// ---- Area sizes ------------------------------------------------------------------

std::int32_t CControlliConfigurati::GetParamAreaSize() const
{
    const REC_CONTROLLO* top = TopRecord(m_records, [](const REC_CONTROLLO&) { return true; });
    return top ? ClampSize(DatumEnd(*top, ParamAreaElements(*top))) : 0;
}

std::int32_t CControlliConfigurati::GetDiagAreaSize() const
{
    const REC_CONTROLLO* top = TopRecord(m_records, InDiagArea);
    return top ? ClampSize(DatumEnd(*top, 1)) : 0;
}

std::int32_t CControlliConfigurati::GetRestoreAreaSize() const
{
    const REC_CONTROLLO* top = TopRecord(m_records, InRestoreArea);
    return top ? ClampSize(DatumEnd(*top, DatumElements(*top))) : 0;
}

// The areas are sized from the record with the highest address alone. A
// datum placed below it that reaches further would lie partly outside the
// image: such records are named in the log (the load still succeeds).
void CControlliConfigurati::LogExtentsBeyondAreas()
{
    const std::u16string kind = vexar::ToUpper(FileKind(m_strFile));
    const bool diagnosis = kind != u"PAR" && kind != u"VAR";
    const std::int32_t paramArea = GetParamAreaSize();
    const std::int32_t diagArea = GetDiagAreaSize();
    const std::int32_t restoreArea = GetRestoreAreaSize();
    for (const REC_CONTROLLO& rec : m_records) {
        std::int32_t area = paramArea;
        if (diagnosis) {
            if (InDiagArea(rec))
                area = diagArea;
            else if (InRestoreArea(rec))
                area = restoreArea;
            else
                continue;
        }
        const std::int64_t end = DatumEnd(rec, DatumElements(rec));
        if (end > area)
            m_log.Write(Format(kMsgExtent, rec.ID_GUI, rec.IDENTIFICATORE, end, area, m_strFile));
    }
}
