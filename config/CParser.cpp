#include "config/CParser.h"

#include "common/CCriptFile.h"
#include "common/LeadingNumber.h"
#include "common/NoCase.h"
#include "common/Text.h"
#include "platform/AtomicFile.h"

#include <array>
#include <sys/stat.h>

namespace {

constexpr std::u16string_view kSectionLine = u"[variabili]";
constexpr std::size_t kTypeWidth = 32;
constexpr std::size_t kNameWidth = 32;
constexpr std::size_t kDescriptionWidth = 80;

struct CType {
    std::u16string_view text;
    std::int32_t code;
    std::uint8_t size;
};

// Searched in this order; the C type must equal one text, letter case aside.
constexpr std::array<CType, 12> kTypes = {{
    {u"unsigned char", DATO_UBYTE, 1},
    {u"char", DATO_BYTE, 1},
    {u"signed char", DATO_BYTE, 1},
    {u"unsigned short", DATO_UWORD, 2},
    {u"unsigned word", DATO_UWORD, 2},
    {u"short", DATO_WORD, 2},
    {u"signed short", DATO_WORD, 2},
    {u"word", DATO_WORD, 2},
    {u"signed word", DATO_WORD, 2},
    {u"unsigned long", DATO_ULONG, 4},
    {u"long", DATO_LONG, 4},
    {u"signed long", DATO_LONG, 4},
}};

const CType* FindCType(std::u16string_view text)
{
    for (const CType& type : kTypes)
        if (vexar::EqualsNoCase(type.text, text))
            return &type;
    return nullptr;
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsSectionLine(std::u16string_view line) { return line.find(kSectionLine) != std::u16string_view::npos; }

// White space as the C library's scanner skips it.
bool IsScanSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// The three TAB-separated fields of a declaration. Each field ends at a
// TAB (the description at the end of the line) or at an apostrophe; white
// space between the fields is skipped, and a field that comes out empty
// leaves the fields after it empty as well.
struct Declaration {
    std::u16string type;
    std::u16string name;
    std::u16string description;
};

Declaration ScanDeclaration(std::u16string_view line)
{
    Declaration out;
    std::size_t pos = 0;
    auto take = [&](bool stopAtTab) {
        const std::size_t start = pos;
        while (pos < line.size() && line[pos] != u'\'' && line[pos] != u'\n' && !(stopAtTab && line[pos] == u'\t'))
            ++pos;
        return std::u16string(line.substr(start, pos - start));
    };
    auto skipSpace = [&] {
        while (pos < line.size() && IsScanSpace(line[pos]))
            ++pos;
    };
    out.type = take(true);
    if (out.type.empty())
        return out;
    skipSpace();
    out.name = take(true);
    if (out.name.empty())
        return out;
    skipSpace();
    out.description = take(false);
    return out;
}

// Dimensions of 'name[n]' or 'name[n][m]'; n is 0 when the name has none.
struct Dimensions {
    std::int32_t n = 0;
    std::int32_t m = 0;
};

Dimensions ReadDimensions(std::u16string_view name)
{
    Dimensions dims;
    const std::size_t open1 = name.find(u'[');
    if (open1 == std::u16string_view::npos)
        return dims;
    const std::size_t close1 = name.find(u']', open1);
    if (close1 == std::u16string_view::npos)
        return dims;
    dims.n = vexar::ReadLeadingLong(name.substr(open1 + 1, close1 - open1 - 1));
    const std::size_t open2 = name.find(u'[', close1);
    const std::size_t close2 = name.find(u']', close1 + 1);
    if (open2 != std::u16string_view::npos && close2 != std::u16string_view::npos && close2 > open2)
        dims.m = vexar::ReadLeadingLong(name.substr(open2 + 1, close2 - open2 - 1));
    return dims;
}

// Width of a bit field named 'name:w' (the last character as a digit), or
// 0 when that character gives no width of 1 to 8 bits.
int BitFieldWidth(std::u16string_view name)
{
    const char16_t last = name.back();
    if (last < u'1' || last > u'8')
        return 0;
    return last - u'0';
}

// Running position of the layout: offsets run densely in declaration order,
// bit fields fill single bytes from bit 0 upwards.
struct Cursor {
    std::uint32_t offset = 0;
    int bit = 0;
};

void PlaceBitField(REC_PARSER& entry, int width, Cursor& at)
{
    const std::int32_t bits = (1 << width) - 1;
    entry.typeCode = DATO_FLAG;
    entry.offset = at.offset;
    entry.startBit = static_cast<std::uint8_t>(at.bit);
    entry.mask = bits << at.bit;
    at.bit += width;
    if (at.bit == 8) {
        ++at.offset;
        at.bit = 0;
    } else if (at.bit > 8) {  // does not fit the rest of its byte
        ++at.offset;
        entry.offset = at.offset;
        entry.startBit = 0;
        entry.mask = bits;
        at.bit = width;
    }
}

void PlaceDatum(REC_PARSER& entry, Cursor& at)
{
    if (at.bit != 0) {  // close a byte that bit fields used only in part
        ++at.offset;
        at.bit = 0;
    }
    entry.offset = at.offset;
    const Dimensions dims = ReadDimensions(entry.name);
    if (dims.n >= 1) {
        const std::uint64_t m = dims.m >= 1 ? static_cast<std::uint64_t>(dims.m) : 1;
        entry.name.resize(entry.name.find(u'['));
        at.offset = static_cast<std::uint32_t>(at.offset + static_cast<std::uint64_t>(dims.n) * m * entry.size);
    } else {
        at.offset += entry.size;
    }
}

std::u16string Cut(std::u16string text, std::size_t width)
{
    if (text.size() > width)
        text.resize(width);
    return text;
}

std::u16string PathText(const std::string& path) { return vexar::ToUtf16(path); }

}  // namespace

// The texts of one check: not found; mask; offset; data type, each
// difference as a pair of entries.
struct ParserCheckMessages {
    std::u16string_view notFound;
    std::u16string_view mask;
    std::u16string_view maskValues;
    std::u16string_view offset;
    std::u16string_view offsetValues;
    std::u16string_view type;
    std::u16string_view typeValues;
};

namespace {

constexpr ParserCheckMessages kParamMessages = {
    u"Parametro \"%s\" non trovato nel file delle definizioni.",
    u"Parametro \"%s\" : maschera non corretta.",
    u"Maschera file PAR: \"%02x\"  -  Maschera file TXT: \"%02x\"",
    u"Parametro \"%s\" : offset non corretto.",
    u"Offset file PAR: \"%d\"  -  Offset file TXT: \"%d\"",
    u"Parametro \"%s\" : tipo dato non corretto.",
    u"Tipo Dato file PAR: \"%d\"  -  Tipo Dato file TXT: \"%d\"",
};

constexpr ParserCheckMessages kVarMessages = {
    u"Variabile \"%s\" non trovata nel file delle definizioni.",
    u"Variabile \"%s\" : maschera non corretta.",
    u"Maschera file VAR: \"%02x\"  -  Maschera file TXT: \"%02x\"",
    u"Variabile \"%s\" : offset non corretto.",
    u"Offset file VAR: \"%d\"  -  Offset file TXT: \"%d\"",
    u"Variabile \"%s\" : tipo dato non corretto.",
    u"Tipo Dato file VAR: \"%d\"  -  Tipo Dato file TXT: \"%d\"",
};

// PARAM of the check box, on/off button and list blocks: PAR_NO keeps the
// control out of the calibration, and out of the parameter check.
bool IsParamControl(const REC_CONTROLLO& rec)
{
    if (const auto* b = std::get_if<CheckBlock>(&rec.GRAFICA); b && rec.CATEGORIA == CTRL_CHECK)
        return b->PARAM != PAR_NO;
    if (const auto* b = std::get_if<ButtonBlock>(&rec.GRAFICA); b && rec.CATEGORIA == CTRL_BUTTON)
        return b->PARAM != PAR_NO;
    if (const auto* b = std::get_if<ComboBlock>(&rec.GRAFICA); b && rec.CATEGORIA == CTRL_COMBO)
        return b->PARAM != PAR_NO;
    return true;
}

bool InVariableImage(const REC_CONTROLLO& rec)
{
    if (rec.CATEGORIA == CTRL_DIAG || rec.CATEGORIA == CTRL_DIAG_BIT)
        return true;
    if (rec.CATEGORIA == CTRL_RESET)
        if (const auto* b = std::get_if<ResetBlock>(&rec.GRAFICA))
            return b->PAR_VAR == RESET_IN_VAR;
    return false;
}

}  // namespace

CParser::CParser(std::string parserPath, std::string dumpPath, const std::u16string& logName)
    : m_log(logName, u"Caricamento File Parser"), m_parserPath(std::move(parserPath)), m_dumpPath(std::move(dumpPath))
{
}

CParser::~CParser() = default;

bool CParser::CountEntries(std::int32_t& nParams, std::int32_t& nVars)
{
    if (m_nParams != 0 && m_nVars != 0) {
        nParams = m_nParams;
        nVars = m_nVars;
        return true;
    }
    m_nParams = 0;
    m_nVars = 0;
    if (!FileExists(m_parserPath)) {
        m_log.Write(vexar::Format(u"Impossibile leggere il file \"%s\"", PathText(m_parserPath)));
        return false;
    }
    CCriptFile file;
    if (!file.Open(m_parserPath, 1)) {
        m_log.Write(vexar::Format(u"Impossibile aprire il file \"%s\" in lettura", PathText(m_parserPath)));
        return false;
    }

    // The section line divides the parameters from the variables; a file
    // without one, or with more than one, gives no sound split and is
    // refused, so that the lists are never filled past their counts.
    std::int32_t counted = 0;
    std::int32_t before = 0;
    int sections = 0;
    int lineNumber = 0;
    std::u16string line;
    while (file.ReadLine(line)) {
        ++lineNumber;
        vexar::TrimInPlace(line);
        if (IsSectionLine(line)) {
            if (++sections > 1) {
                m_log.Write(vexar::Format(u"Riga \"[variabili]\" ripetuta alla riga %d del file \"%s\"", lineNumber,
                                          PathText(m_parserPath)));
                return false;
            }
            before = counted;
            counted = 0;
        } else if (!line.empty()) {
            ++counted;
        }
    }
    if (sections == 0) {
        m_log.Write(vexar::Format(u"Riga \"[variabili]\" mancante nel file \"%s\"", PathText(m_parserPath)));
        return false;
    }
    m_nParams = before;
    m_nVars = counted;
    nParams = m_nParams;
    nVars = m_nVars;
    return true;
}

std::int32_t CParser::Load()
{
    std::int32_t nParams = 0;
    std::int32_t nVars = 0;
    if (!CountEntries(nParams, nVars))
        return 4;
    m_params.assign(static_cast<std::size_t>(nParams), REC_PARSER{});
    m_vars.assign(static_cast<std::size_t>(nVars), REC_PARSER{});

    if (!FileExists(m_parserPath)) {
        m_log.Write(vexar::Format(u"Impossibile leggere il file: \"%s\"", PathText(m_parserPath)));
        return 1;
    }
    CCriptFile file;
    if (!file.Open(m_parserPath, 1)) {
        m_log.Write(vexar::Format(u"Impossibile aprire il file \"%s\" in lettura", PathText(m_parserPath)));
        return 2;
    }

    std::vector<REC_PARSER>* list = &m_params;
    std::size_t index = 0;
    Cursor at;
    std::u16string line;
    while (file.ReadLine(line)) {
        vexar::TrimInPlace(line);
        if (IsSectionLine(line)) {
            list = &m_vars;  // variables are laid out from offset 0 of the variable image
            index = 0;
            at = Cursor{};
            continue;
        }
        if (line.empty())
            continue;

        const Declaration scanned = ScanDeclaration(line);
        const CType* type = FindCType(scanned.type);
        if (!type) {
            m_log.Write(vexar::Format(u"ERRORE: tipo dato \"%s\"  non gestito nel file \"%s\"", scanned.type,
                                      PathText(m_parserPath)));
            return 4;
        }
        if (index >= list->size()) {  // the file changed since it was counted
            m_log.Write(vexar::Format(u"ERRORE: il file \"%s\" contiene più dichiarazioni di quelle contate",
                                      PathText(m_parserPath)));
            return 4;
        }
        REC_PARSER entry;
        entry.type = Cut(scanned.type, kTypeWidth);
        entry.name = Cut(scanned.name, kNameWidth);
        entry.description = Cut(scanned.description, kDescriptionWidth);
        entry.typeCode = type->code;
        entry.size = type->size;

        const std::size_t colon = entry.name.find(u':');
        if (colon != std::u16string::npos) {
            const int width = BitFieldWidth(entry.name);
            if (width == 0) {
                m_log.Write(vexar::Format(u"ERRORE: campo di bit \"%s\" di larghezza non valida nel file \"%s\"",
                                          entry.name, PathText(m_parserPath)));
                return 4;
            }
            entry.name.resize(colon);
            PlaceBitField(entry, width, at);
        } else {
            PlaceDatum(entry, at);
        }
        (*list)[index++] = std::move(entry);
    }
    WriteDump();
    return 0;
}

void CParser::GetEntries(const REC_PARSER*& params, const REC_PARSER*& vars) const
{
    params = m_params.empty() ? nullptr : m_params.data();
    vars = m_vars.empty() ? nullptr : m_vars.data();
}

void CParser::WriteDump() const
{
    const std::u16string stars = std::u16string(73, u'*') + u"\n";
    const std::u16string columns = u"Nome\tTipo\tCodeTipo\tSize\tStartBit\tMask\tOffest\tDescrizione\n";
    auto lines = [](const std::vector<REC_PARSER>& list) {
        std::u16string text;
        for (const REC_PARSER& e : list)
            text += vexar::Format(u"%s\t%s\t%d\t%d\t%d\t%02x\t%04d\t%s\n", e.name, e.type, e.typeCode,
                                  static_cast<int>(e.size), static_cast<int>(e.startBit), e.mask, e.offset,
                                  e.description);
        return text;
    };
    const std::u16string text = u"PARAMETRI DI CALIBRAZIONE\n" + stars + columns + lines(m_params) + stars +
                                u"VARIABILI DI SISTEMA\n" + stars + columns + lines(m_vars);

    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + 2 * text.size());
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    // The dump is an aid for the developer: when it cannot be written, the
    // load goes on without it.
    vexar::platform::WriteFileAtomically(m_dumpPath, bytes);
}

bool CParser::FindParam(const REC_PARSER*& entry, const std::u16string& name, std::int32_t address,
                        std::int32_t typeCode, std::int32_t mask) const
{
    for (const REC_PARSER& e : m_params) {
        if (e.name == name ||
            (e.offset == static_cast<std::uint32_t>(address) && e.typeCode == typeCode &&
             (typeCode != DATO_FLAG || e.mask == mask))) {
            entry = &e;
            return true;
        }
    }
    entry = nullptr;
    return false;
}

bool CParser::FindVar(const REC_PARSER*& entry, const std::u16string& name, std::int32_t address,
                      std::int32_t typeCode, std::int32_t mask) const
{
    const auto where = static_cast<std::uint32_t>(address);
    for (std::size_t i = 0; i < m_vars.size(); ++i) {
        const REC_PARSER& e = m_vars[i];
        if (e.name == name ||
            (e.offset == where && e.typeCode == typeCode && (typeCode != DATO_FLAG || e.mask == mask))) {
            entry = &e;
            return true;
        }
        // A bit or a byte picked out of a declared wider datum.
        if (e.mask == -1 && mask != -1) {
            const std::uint32_t extent = i + 1 < m_vars.size() ? m_vars[i + 1].offset - e.offset : e.size;
            if (where >= e.offset && where - e.offset < extent) {
                entry = nullptr;
                return true;
            }
        }
    }
    entry = nullptr;
    return false;
}

bool CParser::CheckRecord(const REC_CONTROLLO& rec, Lookup lookup, bool compareMask, const ParserCheckMessages& text)
{
    const auto mask = static_cast<std::int32_t>(rec.MASCHERA);
    const REC_PARSER* entry = nullptr;
    const bool found = lookup == Lookup::Param ? FindParam(entry, rec.IDENTIFICATORE, rec.LSB, rec.TIPO, mask)
                                               : FindVar(entry, rec.IDENTIFICATORE, rec.LSB, rec.TIPO, mask);
    if (!found) {
        m_log.Write(vexar::Format(text.notFound, rec.IDENTIFICATORE));
        return false;
    }
    if (!entry)
        return true;

    bool ok = true;
    if (compareMask && (entry->mask & 0xFF) != (mask & 0xFF)) {
        m_log.Write(vexar::Format(text.mask, rec.IDENTIFICATORE));
        m_log.Write(vexar::Format(text.maskValues, rec.MASCHERA, entry->mask));
        ok = false;
    }
    if (entry->offset != static_cast<std::uint32_t>(rec.LSB)) {
        m_log.Write(vexar::Format(text.offset, rec.IDENTIFICATORE));
        m_log.Write(vexar::Format(text.offsetValues, rec.LSB, entry->offset));
        ok = false;
    }
    if (entry->typeCode != rec.TIPO) {
        m_log.Write(vexar::Format(text.type, rec.IDENTIFICATORE));
        m_log.Write(vexar::Format(text.typeValues, rec.TIPO, entry->typeCode));
        ok = false;
    }
    return ok;
}

bool CParser::CheckParDefinitions(const REC_CONTROLLO* records, std::int32_t count)
{
    bool ok = true;
    for (std::int32_t i = 0; i < count; ++i)
        if (IsParamControl(records[i]))
            ok = CheckRecord(records[i], Lookup::Param, true, kParamMessages) && ok;
    return ok;
}

bool CParser::CheckVarDefinitions(const REC_CONTROLLO* records, std::int32_t count)
{
    bool ok = true;
    for (std::int32_t i = 0; i < count; ++i)
        ok = CheckRecord(records[i], Lookup::Var, true, kVarMessages) && ok;
    return ok;
}

bool CParser::CheckDiagDefinitions(const REC_CONTROLLO* records, std::int32_t count)
{
    bool ok = true;
    for (std::int32_t i = 0; i < count; ++i) {
        const REC_CONTROLLO& rec = records[i];
        const Lookup lookup = InVariableImage(rec) ? Lookup::Var : Lookup::Param;
        ok = CheckRecord(rec, lookup, rec.CATEGORIA != CTRL_DIAG_BIT, kParamMessages) && ok;
    }
    return ok;
}
