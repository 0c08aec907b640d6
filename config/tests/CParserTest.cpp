#include "config/CParser.h"

#include "DefinitionFixtures.h"
#include "SessionLogText.h"
#include "TempDir.h"
#include "common/Text.h"
#include "config/CControlliConfigurati.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

using vexar::testing::TempDir;

namespace {

const std::u16string kStars(73, u'*');
const std::u16string kColumns = u"Nome\tTipo\tCodeTipo\tSize\tStartBit\tMask\tOffest\tDescrizione";

class ParserTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("VEXAR_HOME", m_home.path().c_str(), 1); }
    void TearDown() override
    {
        m_parser.reset();
        unsetenv("VEXAR_HOME");
    }

    std::string ParserPath() const { return m_home.file("Parser.txt"); }
    std::string DumpPath() const { return m_home.file("ParserOut.txt"); }
    std::string LogPath() const { return m_home.file("Log/InfoParserParVar.log"); }

    void WriteParser(const std::string& utf8)
    {
        std::string error;
        ASSERT_TRUE(vexar::fixtures::WriteDefinitionText(ParserPath(), utf8, error)) << error;
    }

    CParser& Parser()
    {
        if (!m_parser)
            m_parser = std::make_unique<CParser>(ParserPath(), DumpPath(), u"InfoParserParVar");
        return *m_parser;
    }

    // Writes the file and loads it; the load's result.
    std::int32_t Load(const std::string& utf8)
    {
        WriteParser(utf8);
        return Parser().Load();
    }

    std::vector<std::u16string> Log() const { return SessionLogEntries(LogPath()); }

    std::vector<std::u16string> DumpLines() const
    {
        const std::string bytes = vexar::testing::ReadAll(DumpPath());
        EXPECT_GE(bytes.size(), 2u);
        EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
        std::u16string tail;
        std::vector<std::u16string> lines = Utf16LeLines(bytes, &tail);
        EXPECT_TRUE(tail.empty()) << "the dump ends with a line end";
        return lines;
    }

    TempDir m_home;
    std::unique_ptr<CParser> m_parser;
};

struct Placed {
    std::u16string name;
    std::uint32_t offset;
    int startBit;
    std::int32_t mask;
    std::int32_t typeCode;
    int size;
};

struct LayoutCase {
    const char* what;
    std::string params;  // declarations before the section line
    std::vector<Placed> expected;
    std::uint32_t next;  // offset of a one-byte datum declared after them
};

class ParserLayoutTest : public ParserTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(ParserLayoutTest, PlacesEveryDeclaration)
{
    const LayoutCase& c = GetParam();
    ASSERT_EQ(Load(c.params + "unsigned char\tnext\tfollows\n[variabili]\n"), 0);
    const std::span<const REC_PARSER> params = Parser().Params();
    ASSERT_EQ(params.size(), c.expected.size() + 1);
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
        SCOPED_TRACE(vexar::ToUtf8(c.expected[i].name));
        EXPECT_EQ(params[i].name, c.expected[i].name);
        EXPECT_EQ(params[i].offset, c.expected[i].offset);
        EXPECT_EQ(params[i].startBit, c.expected[i].startBit);
        EXPECT_EQ(params[i].mask, c.expected[i].mask);
        EXPECT_EQ(params[i].typeCode, c.expected[i].typeCode);
        EXPECT_EQ(params[i].size, c.expected[i].size);
    }
    EXPECT_EQ(params.back().offset, c.next);
}

INSTANTIATE_TEST_SUITE_P(
    Declarations, ParserLayoutTest,
    ::testing::Values(
        LayoutCase{"dense layout without padding, bit fields moving to the next byte",
                   "unsigned char\ta\tx\nunsigned short\tb\tx\nunsigned char\tf1:3\tx\nunsigned char\tf2:4\tmodo\n"
                   "unsigned char\tf3:2\tx\nlong\tc[2][3]\tx\n",
                   {{u"a", 0, 0, -1, DATO_UBYTE, 1},
                    {u"b", 1, 0, -1, DATO_UWORD, 2},
                    {u"f1", 3, 0, 0x07, DATO_FLAG, 1},
                    {u"f2", 3, 3, 0x78, DATO_FLAG, 1},
                    {u"f3", 4, 0, 0x03, DATO_FLAG, 1},
                    {u"c", 5, 0, -1, DATO_LONG, 4}},
                   29},
        LayoutCase{"five bit fields after a plain datum, then a plain datum",
                   "char\tn0\tx\nshort\tg1:3\tx\nshort\tg2:3\tx\nshort\tg3:2\tx\nshort\tg4:4\tx\nlong\tg5:5\tx\n",
                   {{u"n0", 0, 0, -1, DATO_BYTE, 1},
                    {u"g1", 1, 0, 0x07, DATO_FLAG, 2},
                    {u"g2", 1, 3, 0x38, DATO_FLAG, 2},
                    {u"g3", 1, 6, 0xc0, DATO_FLAG, 2},
                    {u"g4", 2, 0, 0x0f, DATO_FLAG, 2},
                    {u"g5", 3, 0, 0x1f, DATO_FLAG, 4}},
                   4},
        LayoutCase{"a whole byte of bits, then a field of eight",
                   "unsigned char\tw8:8\tx\nunsigned char\tv1:1\tx\nunsigned char\tv8:8\tx\n",
                   {{u"w8", 0, 0, 0xff, DATO_FLAG, 1},
                    {u"v1", 1, 0, 0x01, DATO_FLAG, 1},
                    {u"v8", 2, 0, 0xff, DATO_FLAG, 1}},
                   3},
        LayoutCase{"dimensions: empty or zero keep the brackets, a missing second counts 1",
                   "unsigned char\ttab[0]\tx\nunsigned char\ttab[]\tx\nsigned word\tv[4][]\tx\nword\tm[2][3]\tx\n"
                   "unsigned long\tq[ +2]x[3]\tx\nunsigned char\tr]2[\tx\n",
                   {{u"tab[0]", 0, 0, -1, DATO_UBYTE, 1},
                    {u"tab[]", 1, 0, -1, DATO_UBYTE, 1},
                    {u"v", 2, 0, -1, DATO_WORD, 2},
                    {u"m", 10, 0, -1, DATO_WORD, 2},
                    {u"q", 22, 0, -1, DATO_ULONG, 4},
                    {u"r]2[", 46, 0, -1, DATO_UBYTE, 1}},
                   47},
        LayoutCase{"the last digit gives the width; brackets of a bit field are not read",
                   "unsigned char\tflags:12\tx\nunsigned char\tb[4]:3\tx\n",
                   {{u"flags", 0, 0, 0x03, DATO_FLAG, 1}, {u"b[4]", 0, 2, 0x1c, DATO_FLAG, 1}},
                   1},
        LayoutCase{"C types ignore letter case; blanks and apostrophes end or skip fields",
                   "Unsigned Char\tA\tx\nUNSIGNED CHAR\t  B \tdue  parole\nsigned long\tC'x\tignored\n"
                   "Unsigned Long\tD\t\tdopo due tab\n",
                   {{u"A", 0, 0, -1, DATO_UBYTE, 1},
                    {u"B ", 1, 0, -1, DATO_UBYTE, 1},
                    {u"C", 2, 0, -1, DATO_LONG, 4},
                    {u"D", 6, 0, -1, DATO_ULONG, 4}},
                   10}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(ParserTest, FieldsAreCutToTheirWidthsAndTheApostropheEndsTheDescription)
{
    const std::string name(40, 'n');
    const std::string description(90, 'd');
    ASSERT_EQ(Load("word\t" + name + "\t" + description + "\nword\tz\tl'ultimo\n[variabili]\n"), 0);
    const std::span<const REC_PARSER> params = Parser().Params();
    ASSERT_EQ(params.size(), 2u);
    EXPECT_EQ(params[0].name, std::u16string(32, u'n'));
    EXPECT_EQ(params[0].description, std::u16string(80, u'd'));
    EXPECT_EQ(params[0].type, u"word");
    EXPECT_EQ(params[1].description, u"l");
}

TEST_F(ParserTest, VariablesStartAtOffsetZeroAndTheDumpListsBothLists)
{
    ASSERT_EQ(Load("\n   \nunsigned char\tf2:4\tmodo\nunsigned char\tf3:4\tx\nunsigned long\tl\tsecondo\n"
                   "unsigned char\tpad[7]\t\nword\tw\tparola\n  [variabili]  \n\nunsigned char\tv:2\tbit\n"
                   "unsigned short\tu\t\n"),
              0);
    std::int32_t nParams = 0, nVars = 0;
    ASSERT_TRUE(Parser().CountEntries(nParams, nVars));
    EXPECT_EQ(nParams, 5);
    EXPECT_EQ(nVars, 2);
    const REC_PARSER* params = nullptr;
    const REC_PARSER* vars = nullptr;
    Parser().GetEntries(params, vars);
    ASSERT_NE(params, nullptr);
    ASSERT_NE(vars, nullptr);
    EXPECT_EQ(params[4].offset, 12u);
    EXPECT_EQ(vars[0].offset, 0u);
    EXPECT_EQ(vars[1].offset, 1u);

    const std::vector<std::u16string> expected = {
        u"PARAMETRI DI CALIBRAZIONE",
        kStars,
        kColumns,
        u"f2\tunsigned char\t0\t1\t0\t0f\t0000\tmodo",
        u"f3\tunsigned char\t0\t1\t4\tf0\t0000\tx",
        u"l\tunsigned long\t6\t4\t0\tffffffff\t0001\tsecondo",
        u"pad\tunsigned char\t1\t1\t0\tffffffff\t0005\t",
        u"w\tword\t4\t2\t0\tffffffff\t0012\tparola",
        kStars,
        u"VARIABILI DI SISTEMA",
        kStars,
        kColumns,
        u"v\tunsigned char\t0\t1\t0\t03\t0000\tbit",
        u"u\tunsigned short\t3\t2\t0\tffffffff\t0001\t",
    };
    EXPECT_EQ(DumpLines(), expected);
    EXPECT_TRUE(Log().empty());
}

TEST_F(ParserTest, DumpLineOfTheLayoutExample)
{
    ASSERT_EQ(Load("unsigned char\ta\tx\nunsigned short\tb\tx\nunsigned char\tf1:3\tx\n"
                   "unsigned char\tf2:4\tmodo\n[variabili]\n"),
              0);
    const std::vector<std::u16string> lines = DumpLines();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[6], u"f2\tunsigned char\t0\t1\t3\t78\t0003\tmodo");
}

TEST_F(ParserTest, EmptyListsGiveHeadingsOnlyAndEveryDefinitionIsMissing)
{
    ASSERT_EQ(Load("\n\n[variabili]\n\n"), 0);
    const REC_PARSER other;
    const REC_PARSER* params = &other;
    const REC_PARSER* vars = &other;
    Parser().GetEntries(params, vars);
    EXPECT_EQ(params, nullptr);
    EXPECT_EQ(vars, nullptr);
    const std::vector<std::u16string> expected = {u"PARAMETRI DI CALIBRAZIONE", kStars, kColumns, kStars,
                                                  u"VARIABILI DI SISTEMA", kStars, kColumns};
    EXPECT_EQ(DumpLines(), expected);

    REC_CONTROLLO rec;
    rec.IDENTIFICATORE = u"Qualsiasi";
    rec.MASCHERA = 0xFF;
    EXPECT_FALSE(Parser().CheckParDefinitions(&rec, 1));
    EXPECT_FALSE(Parser().CheckVarDefinitions(&rec, 1));
    const std::vector<std::u16string> log = {u"Parametro \"Qualsiasi\" non trovato nel file delle definizioni.",
                                             u"Variabile \"Qualsiasi\" non trovata nel file delle definizioni."};
    EXPECT_EQ(Log(), log);
}

struct RefusalCase {
    const char* what;
    std::string text;  // empty: no parser file at all
    bool folder;       // a folder stands at the file's place
    bool counts;       // CountEntries succeeds
    std::int32_t params;  // entries allocated for the parameters
    std::vector<std::u16string> log;  // with "%s" for the parser file path
};

class ParserRefusalTest : public ParserTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ParserRefusalTest, LoadRefusesWithAMessageAndNoDump)
{
    const RefusalCase& c = GetParam();
    if (c.folder)
        std::filesystem::create_directory(ParserPath());
    else if (!c.text.empty())
        WriteParser(c.text);
    vexar::testing::WriteAll(DumpPath(), "older dump");

    std::int32_t nParams = -1, nVars = -1;
    EXPECT_EQ(Parser().CountEntries(nParams, nVars), c.counts);
    EXPECT_EQ(Parser().Load(), 4);
    EXPECT_EQ(Parser().Params().size(), static_cast<std::size_t>(c.params));
    EXPECT_EQ(vexar::testing::ReadAll(DumpPath()), "older dump");

    const std::u16string path = vexar::ToUtf16(ParserPath());
    std::vector<std::u16string> expected;
    for (const std::u16string& entry : c.log) {
        std::u16string line = entry;
        if (const std::size_t at = line.find(u"%s"); at != std::u16string::npos)
            line.replace(at, 2, path);
        expected.push_back(line);
    }
    EXPECT_EQ(Log(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ParserRefusalTest,
    ::testing::Values(
        RefusalCase{"missing", "", false, false, 0,
                    {u"Impossibile leggere il file \"%s\"", u"Impossibile leggere il file \"%s\""}},
        RefusalCase{"not decipherable", "", true, false, 0,
                    {u"Impossibile aprire il file \"%s\" in lettura", u"Impossibile aprire il file \"%s\" in lettura"}},
        RefusalCase{"a blank before the TAB", "char\ta\tx\nunsigned char \tb\tx\nchar\tc\tx\n[variabili]\n", false,
                    true, 3,
                    {u"ERRORE: tipo dato \"unsigned char \"  non gestito nel file \"%s\""}},
        RefusalCase{"a comment line is a declaration", "// parametri\nchar\ta\tx\n[variabili]\n", false, true, 2,
                    {u"ERRORE: tipo dato \"// parametri\"  non gestito nel file \"%s\""}},
        RefusalCase{"no section line", "char\ta\tx\nchar\tb\tx\n", false, false, 0,
                    {u"Riga \"[variabili]\" mancante nel file \"%s\"", u"Riga \"[variabili]\" mancante nel file \"%s\""}},
        RefusalCase{"two section lines", "char\ta\tx\n[variabili]\nchar\tb\tx\n\n[variabili] bis\nchar\tc\tx\n",
                    false, false, 0,
                    {u"Riga \"[variabili]\" ripetuta alla riga 5 del file \"%s\"",
                     u"Riga \"[variabili]\" ripetuta alla riga 5 del file \"%s\""}},
        RefusalCase{"bit field of width 0", "char\ta\tx\nchar\tb:10\tx\n[variabili]\n", false, true, 2,
                    {u"ERRORE: campo di bit \"b:10\" di larghezza non valida nel file \"%s\""}},
        RefusalCase{"bit field of width 9", "[variabili]\nchar\tb:9\tx\n", false, true, 0,
                    {u"ERRORE: campo di bit \"b:9\" di larghezza non valida nel file \"%s\""}},
        RefusalCase{"bit field without a width", "char\tb:\tx\n[variabili]\n", false, true, 1,
                    {u"ERRORE: campo di bit \"b:\" di larghezza non valida nel file \"%s\""}}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(ParserTest, EntriesBeforeARefusedLineStayAndTheRestAreNew)
{
    ASSERT_EQ(Load("char\ta\tuno\nshort\tb\tdue\nfloat\tc\ttre\nchar\td\tquattro\n[variabili]\n"), 4);
    const std::span<const REC_PARSER> params = Parser().Params();
    ASSERT_EQ(params.size(), 4u);
    EXPECT_EQ(params[1].name, u"b");
    EXPECT_EQ(params[1].offset, 1u);
    for (std::size_t i : {2u, 3u}) {
        EXPECT_TRUE(params[i].name.empty());
        EXPECT_EQ(params[i].mask, -1);
        EXPECT_EQ(params[i].size, 0);
    }
}

TEST_F(ParserTest, CountsOnceBothAreKnownWithoutReadingAgain)
{
    WriteParser("char\ta\tx\n[variabili]\nchar\tb\tx\nchar\tc\tx\n");
    std::int32_t nParams = 0, nVars = 0;
    ASSERT_TRUE(Parser().CountEntries(nParams, nVars));
    EXPECT_EQ(nParams, 1);
    EXPECT_EQ(nVars, 2);
    WriteParser("[variabili]\n");
    ASSERT_TRUE(Parser().CountEntries(nParams, nVars));
    EXPECT_EQ(nParams, 1);
    EXPECT_EQ(nVars, 2);
    // The file now holds fewer declarations than were counted: the lists
    // keep their counted size and the unread entries stay new.
    EXPECT_EQ(Parser().Load(), 0);
    EXPECT_EQ(Parser().Vars().size(), 2u);
}

TEST_F(ParserTest, AFileGrownSinceTheCountIsRefusedBeforeTheListsOverflow)
{
    WriteParser("char\ta\tx\n[variabili]\nchar\tb\tx\n");
    std::int32_t nParams = 0, nVars = 0;
    ASSERT_TRUE(Parser().CountEntries(nParams, nVars));
    WriteParser("char\ta\tx\nchar\ta2\tx\n[variabili]\nchar\tb\tx\n");
    EXPECT_EQ(Parser().Load(), 4);
    EXPECT_EQ(Parser().Params().size(), 1u);
    const std::vector<std::u16string> log = {u"ERRORE: il file \"" + vexar::ToUtf16(ParserPath()) +
                                             u"\" contiene più dichiarazioni di quelle contate"};
    EXPECT_EQ(Log(), log);
}

// ---- Finding declarations and checking definitions -------------------------

const char kCheckFile[] =
    "unsigned char\tp_byte\tx\n"      // 0
    "unsigned short\tp_word\tx\n"     // 1
    "unsigned char\tp_f1:1\tx\n"      // 3 mask 01
    "unsigned char\tp_f2:2\tx\n"      // 3 mask 06
    "unsigned char\tp_tab[4]\tx\n"    // 4
    "[variabili]\n"
    "unsigned short\tv_word\tx\n"     // 0
    "unsigned char\tv_f:3\tx\n"       // 2 mask 07
    "unsigned char\tv_tab[3]\tx\n"    // 3
    "unsigned long\tv_long\tx\n";     // 6, the last: extent 4

struct FindCase {
    const char* what;
    bool variables;
    std::u16string name;
    std::int32_t address;
    std::int32_t typeCode;
    std::int32_t mask;
    bool found;
    const char16_t* entry;  // name of the entry handed out; null for none
};

class ParserFindTest : public ParserTest, public ::testing::WithParamInterface<FindCase> {};

TEST_P(ParserFindTest, FindsByNameOrAddressAndType)
{
    const FindCase& c = GetParam();
    ASSERT_EQ(Load(kCheckFile), 0);
    const REC_PARSER* entry = reinterpret_cast<const REC_PARSER*>(&c);
    const bool found = c.variables ? Parser().FindVar(entry, c.name, c.address, c.typeCode, c.mask)
                                   : Parser().FindParam(entry, c.name, c.address, c.typeCode, c.mask);
    EXPECT_EQ(found, c.found);
    if (c.entry) {
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->name, c.entry);
    } else {
        EXPECT_EQ(entry, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ParserFindTest,
    ::testing::Values(
        FindCase{"by name, whatever the rest", false, u"p_word", 99, DATO_LONG, 0, true, u"p_word"},
        FindCase{"name with other letter case", false, u"P_WORD", 99, DATO_LONG, -1, false, nullptr},
        FindCase{"by address and type", false, u"altro", 1, DATO_UWORD, 0xFFFF, true, u"p_word"},
        FindCase{"address with another type", false, u"altro", 1, DATO_WORD, 0xFFFF, false, nullptr},
        FindCase{"flag needs the same mask", false, u"altro", 3, DATO_FLAG, 0x06, true, u"p_f2"},
        FindCase{"flag with a foreign mask", false, u"altro", 3, DATO_FLAG, 0x08, false, nullptr},
        FindCase{"array element is not a parameter", false, u"altro", 5, DATO_UBYTE, 0xFF, false, nullptr},
        FindCase{"variable by address and type", true, u"altro", 6, DATO_ULONG, -1, true, u"v_long"},
        FindCase{"bit inside a declared word", true, u"altro", 1, DATO_FLAG, 0x04, true, nullptr},
        FindCase{"byte inside a declared array", true, u"altro", 5, DATO_UBYTE, 0xFF, true, nullptr},
        FindCase{"inside the last entry, by its size", true, u"altro", 9, DATO_UBYTE, 0xFF, true, nullptr},
        FindCase{"past the last entry", true, u"altro", 10, DATO_UBYTE, 0xFF, false, nullptr},
        FindCase{"mask -1 takes no part of a wider datum", true, u"altro", 1, DATO_UBYTE, -1, false, nullptr},
        FindCase{"not inside a bit-field byte", true, u"altro", 2, DATO_UBYTE, 0x01, false, nullptr},
        FindCase{"an earlier wider datum ends the search before a later name", true, u"v_long", 1, DATO_FLAG, 0x04,
                 true, nullptr}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

REC_CONTROLLO Record(std::u16string name, std::int32_t category, std::int32_t type, std::int32_t lsb,
                     std::uint32_t mask)
{
    REC_CONTROLLO rec;
    rec.IDENTIFICATORE = std::move(name);
    rec.CATEGORIA = category;
    rec.TIPO = type;
    rec.LSB = lsb;
    rec.MASCHERA = mask;
    return rec;
}

TEST_F(ParserTest, ParameterCheckLogsEachDifferenceAsAPair)
{
    ASSERT_EQ(Load(kCheckFile), 0);
    std::vector<REC_CONTROLLO> recs = {
        Record(u"p_byte", CTRL_KNOB, DATO_UBYTE, 0, 0xFF),           // agrees
        Record(u"p_word", CTRL_NUMEDIT, DATO_UWORD, 1, 0x1FF),       // low byte ff: agrees
        Record(u"p_f1", CTRL_CHECK, DATO_FLAG, 3, 0x02),             // mask
        Record(u"p_byte", CTRL_SLIDE, DATO_BYTE, 2, 0xFF),           // offset and type
        Record(u"nuovo", CTRL_KNOB, DATO_UWORD, 1, 0xFFFF),          // by address: agrees
        Record(u"assente", CTRL_KNOB, DATO_UBYTE, 40, 0xFF),         // not found
        Record(u"fuori", CTRL_COMBO, DATO_UBYTE, 41, 0xFF),          // PAR_NO: not looked at
        Record(u"fuori_si", CTRL_BUTTON, DATO_FLAG, 41, 0x01),       // PAR_SI: looked at
    };
    ComboBlock combo;
    combo.PARAM = PAR_NO;
    recs[6].GRAFICA = combo;
    ButtonBlock button;
    button.PARAM = PAR_SI;
    recs[7].GRAFICA = button;
    EXPECT_FALSE(Parser().CheckParDefinitions(recs.data(), static_cast<std::int32_t>(recs.size())));
    const std::vector<std::u16string> expected = {
        u"Parametro \"p_f1\" : maschera non corretta.",
        u"Maschera file PAR: \"02\"  -  Maschera file TXT: \"01\"",
        u"Parametro \"p_byte\" : offset non corretto.",
        u"Offset file PAR: \"2\"  -  Offset file TXT: \"0\"",
        u"Parametro \"p_byte\" : tipo dato non corretto.",
        u"Tipo Dato file PAR: \"2\"  -  Tipo Dato file TXT: \"1\"",
        u"Parametro \"assente\" non trovato nel file delle definizioni.",
        u"Parametro \"fuori_si\" non trovato nel file delle definizioni.",
    };
    EXPECT_EQ(Log(), expected);
    EXPECT_TRUE(Parser().CheckParDefinitions(recs.data(), 2));
}

TEST_F(ParserTest, VariableAndDiagnosisChecksUseTheirOwnListsAndTexts)
{
    ASSERT_EQ(Load(kCheckFile), 0);
    const std::vector<REC_CONTROLLO> vars = {
        Record(u"v_word", CTRL_NUMERIC, DATO_UWORD, 0, 0xF0),       // mask of a word: low byte f0
        Record(u"bit", CTRL_LED, DATO_FLAG, 1, 0x08),               // inside v_word: accepted unseen
        Record(u"v_f", CTRL_LED, DATO_FLAG, 4, 0x07),               // offset
    };
    EXPECT_FALSE(Parser().CheckVarDefinitions(vars.data(), 3));

    std::vector<REC_CONTROLLO> diag = {
        Record(u"v_word", CTRL_DIAG_BIT, DATO_UWORD, 0, 0x0F),     // mask not compared
        Record(u"v_f", CTRL_DIAG, DATO_FLAG, 2, 0x01),              // mask compared
        Record(u"v_long", CTRL_RESET, DATO_ULONG, 6, 0xFF),         // PAR_VAR "VAR": variables
        Record(u"p_tab", CTRL_RESET, DATO_UBYTE, 4, 0xFF),          // PAR_VAR "PAR": parameters
        Record(u"p_tab", CTRL_RIPR, DATO_UBYTE, 4, 0xFF),           // other categories: parameters
        Record(u"v_tab", CTRL_DIAG, DATO_UBYTE, 3, 0xFF),           // a variable
        Record(u"v_tab", CTRL_RIPR, DATO_UBYTE, 3, 0xFF),           // not a parameter
    };
    ResetBlock reset;
    reset.PAR_VAR = RESET_IN_VAR;
    diag[2].GRAFICA = reset;
    reset.PAR_VAR = RESET_IN_PAR;
    diag[3].GRAFICA = reset;
    EXPECT_FALSE(Parser().CheckDiagDefinitions(diag.data(), static_cast<std::int32_t>(diag.size())));

    const std::vector<std::u16string> expected = {
        u"Variabile \"v_word\" : maschera non corretta.",
        u"Maschera file VAR: \"f0\"  -  Maschera file TXT: \"ffffffff\"",
        u"Variabile \"v_f\" : offset non corretto.",
        u"Offset file VAR: \"4\"  -  Offset file TXT: \"2\"",
        u"Parametro \"v_f\" : maschera non corretta.",
        u"Maschera file PAR: \"01\"  -  Maschera file TXT: \"07\"",
        u"Parametro \"v_tab\" non trovato nel file delle definizioni.",
    };
    EXPECT_EQ(Log(), expected);
}

// ---- The synthetic configuration ------------------------------------------

TEST_F(ParserTest, SyntheticConfigurationAgreesWithItsDefinitions)
{
    vexar::fixtures::SyntheticConfiguration cfg;
    std::string error;
    ASSERT_TRUE(vexar::fixtures::InstallSyntheticConfiguration(m_home.path(), cfg, error)) << error;

    std::u16string language = u"English";
    CControlliConfigurati par(cfg.par, u"InfoControlliPC");
    CControlliConfigurati var(cfg.var, u"InfoControlliVS");
    CControlliConfigurati gdg(cfg.gdg, u"InfoControlliGDG");
    ASSERT_EQ(par.Load(language, cfg.languages), 0);
    ASSERT_EQ(var.Load(language, cfg.languages), 0);
    ASSERT_EQ(gdg.Load(language, cfg.languages), 0);

    CParser parser(cfg.folder + "Parser.txt", cfg.folder + "ParserOut.txt", u"InfoParserParVar");
    std::int32_t nParams = 0, nVars = 0;
    ASSERT_TRUE(parser.CountEntries(nParams, nVars));
    EXPECT_EQ(nParams, 24);
    EXPECT_EQ(nVars, 17);
    ASSERT_EQ(parser.Load(), 0);
    EXPECT_EQ(parser.Params().back().offset, 63u);       // the temperature correction, 63 to 65
    EXPECT_EQ(parser.Vars().back().offset, 21u);         // the diagnosis area ends at 22
    EXPECT_TRUE(vexar::testing::Exists(cfg.folder + "ParserOut.txt"));

    const auto& p = par.Controls();
    const auto& v = var.Controls();
    const auto& g = gdg.Controls();
    // The parser file agrees with every definition of the configuration.
    EXPECT_TRUE(parser.CheckParDefinitions(p.data(), static_cast<std::int32_t>(p.size())));
    EXPECT_TRUE(parser.CheckVarDefinitions(v.data(), static_cast<std::int32_t>(v.size())));
    EXPECT_TRUE(parser.CheckDiagDefinitions(g.data(), static_cast<std::int32_t>(g.size())));
    const std::vector<std::u16string> expected;
    EXPECT_EQ(SessionLogEntries(m_home.file("Log/InfoParserParVar.log")), expected);
}

}  // namespace
