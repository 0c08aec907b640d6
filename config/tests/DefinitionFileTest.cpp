// The definition file as a whole: header, the common lines of a control
// block, language blocks, conversion lines, the block structure and the
// count pass. Every refusal is checked with its result and its exact log
// entry (text, tag, value and physical line number).
#include "DefinitionTestSupport.h"

#include <functional>

namespace vexar::config::test {
namespace {

std::string Base() { return Header() + Control().Text(); }

// ---- Values the loader refuses: result 5 and the value message ---------------

struct BadValueCase {
    const char* name;
    std::string from;
    std::string to;
    std::string tag;
    std::string value;  // as the message shows it
};

void PrintTo(const BadValueCase& c, std::ostream* os) { *os << c.name; }

class BadValues : public DefinitionTest, public ::testing::WithParamInterface<BadValueCase> {};

TEST_P(BadValues, AreRefusedWithTheValueMessage)
{
    const BadValueCase& c = GetParam();
    const std::string text = Replace(Base(), c.from, c.to);
    const Loaded loaded = Load(text);
    EXPECT_EQ(loaded.result, 5);
    EXPECT_EQ(loaded.entries,
              std::vector<std::string>{BadValue(c.tag, loaded.path, c.value, LineOf(text, c.to))});
}

INSTANTIATE_TEST_SUITE_P(
    DefinitionFile, BadValues,
    ::testing::Values(
        BadValueCase{"BaudRate14400", "<BAUD_RATE>9600<", "<BAUD_RATE>14400<", "BAUD_RATE", "14400"},
        BadValueCase{"BaudRateZero", "<BAUD_RATE>9600<", "<BAUD_RATE>0<", "BAUD_RATE", "0"},
        BadValueCase{"BaudRateText", "<BAUD_RATE>9600<", "<BAUD_RATE> fast <", "BAUD_RATE", "fast"},
        BadValueCase{"ProtocolLowerCase", "<PROTO>PROT_KD01<", "<PROTO>prot_kd01<", "PROTO", "prot_kd01"},
        BadValueCase{"Endian", "<ENDIAN>LITTLE_END<", "<ENDIAN>MIDDLE_END<", "ENDIAN", "MIDDLE_END"},
        BadValueCase{"NegativePeriod", "<FREQ_SYS_CAR_MSEC>200<", "<FREQ_SYS_CAR_MSEC>-1<", "FREQ_SYS_CAR_MSEC",
                     "-1"},
        BadValueCase{"AcqPeriod", "<FREQ_SYS_ACQ_MSEC>100<", "<FREQ_SYS_ACQ_MSEC>1.5<", "FREQ_SYS_ACQ_MSEC",
                     "1.5"},
        BadValueCase{"IdGuiZero", "<ID_GUI>7<", "<ID_GUI>0<", "ID_GUI", "0"},
        BadValueCase{"IdGuiText", "<ID_GUI>7<", "<ID_GUI>7a<", "ID_GUI", "7a"},
        BadValueCase{"TipoLowerCase", "<TIPO>DATO_UWORD<", "<TIPO>dato_byte<", "TIPO", "dato_byte"},
        BadValueCase{"LsbNotWhole", "<LSB>4<", "<LSB>4.5<", "LSB", "4.5"},
        BadValueCase{"LsbNegative", "<LSB>4<", "<LSB>-2<", "LSB", "-2"},
        BadValueCase{"MaskShort", "<MASCHERA>0x0000FFFF<", "<MASCHERA>0xFFFF<", "MASCHERA", "0xFFFF"},
        BadValueCase{"Operatore", "<OPERATORE>OPR_PRV<", "<OPERATORE>OPR_ALL<", "OPERATORE", "OPR_ALL"},
        BadValueCase{"Fixdef", "<FIXDEF>FIX_OFF<", "<FIXDEF>FIX<", "FIXDEF", "FIX"},
        BadValueCase{"MinNotANumber", "<MIN>600<", "<MIN>6e2<", "MIN", "6e2"},
        BadValueCase{"MaxDecimalComma", "<MAX>1200<", "<MAX>1,5<", "MAX", "1,5"},
        BadValueCase{"TipoConv", "<TIPO_CONV>CONV_NO<", "<TIPO_CONV>CONV_TAB<", "TIPO_CONV", "CONV_TAB"},
        BadValueCase{"Categoria", "<CATEGORIA>CTRL_KNOB<", "<CATEGORIA>CTRL_DIAL<", "CATEGORIA", "CTRL_DIAL"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Accepted values and what is stored ---------------------------------------

TEST_F(DefinitionTest, EveryAllowedBaudRateIsAcceptedAndKept)
{
    for (const char* baud : {"300", "600", "1200", "2400", "4800", "9600", "19200", "28800", "38400", "56000",
                             "57600", "115200", "128000", "256000"}) {
        const Loaded loaded = Load(Header(baud) + Control().Text());
        EXPECT_EQ(loaded.result, 0) << baud;
        EXPECT_EQ(loaded.set->GetBaudRate(), std::stoi(baud));
    }
    // A refused rate stays in the set (it is stored before it is tested).
    EXPECT_EQ(Load(Header("14400")).set->GetBaudRate(), 14400);
}

TEST_F(DefinitionTest, HeaderValuesAreKept)
{
    std::string text = Replace(Base(), "<PROTO>PROT_KD01<", "<PROTO>PROT_NEW<");
    text = Replace(text, "<ENDIAN>LITTLE_END<", "<ENDIAN>BIG_END<");
    text = Replace(text, "<PRGBAY></PRGBAY>", "<PRGBAY>\tkd02flash.exe </PRGBAY>");
    text = Replace(text, "<FIRMWARE_NAME></FIRMWARE_NAME>", "<FIRMWARE_NAME>T1.run</FIRMWARE_NAME>");
    text = Replace(text, "<FREQ_SYS_CAR_MSEC>200<", "<FREQ_SYS_CAR_MSEC>0<");
    const Loaded loaded = Load(text);
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.set->GetProtocol(), PROT_NEW);
    EXPECT_EQ(loaded.set->GetEndian(), BIG_END);
    EXPECT_EQ(loaded.set->GetLoaderProgram(), u"kd02flash.exe");
    EXPECT_EQ(loaded.set->GetFirmwareName(), u"T1.run");
    std::int32_t car = -1, acq = -1;
    loaded.set->GetFrequencies(car, acq);
    EXPECT_EQ(car, 0);
    EXPECT_EQ(acq, 100);
    EXPECT_TRUE(loaded.entries.empty());
}

TEST_F(DefinitionTest, CoreFieldsAreStoredAndTextsCutToTheirWidths)
{
    Control c;
    c.labelEn = std::string(70, 'L');
    c.unita = "0123456789AB";
    c.ident = std::string(40, 'I');
    c.def = std::string(35, 'D');
    c.min = "-" + std::string(39, '1');  // cut to 32 characters, then a number
    c.max = "12.5";
    c.mask = "0xa0B0c0D0";
    const Loaded loaded = Load(Header() + c.Text());
    ASSERT_EQ(loaded.result, 0) << ::testing::PrintToString(loaded.entries);
    const REC_CONTROLLO& rec = loaded.rec();
    EXPECT_EQ(rec.ID_GUI, 7);
    EXPECT_EQ(rec.ETICHETTA, std::u16string(60, u'L'));
    EXPECT_EQ(rec.UNITA, u"0123456789");
    EXPECT_EQ(rec.IDENTIFICATORE, std::u16string(32, u'I'));
    EXPECT_EQ(rec.COMMENTO, u"Comment");
    EXPECT_EQ(rec.DEFAULT, std::u16string(32, u'D'));
    EXPECT_EQ(rec.MIN, u"-" + std::u16string(31, u'1'));
    EXPECT_EQ(rec.MAX, u"12.5");
    EXPECT_EQ(rec.TIPO, DATO_UWORD);
    EXPECT_EQ(rec.LSB, 4);
    EXPECT_EQ(rec.MASCHERA, 0xA0B0C0D0u);
    EXPECT_EQ(rec.OPERATORE, OPR_PRV);
    EXPECT_EQ(rec.FIXDEF, FIX_OFF);
    EXPECT_EQ(rec.CATEGORIA, CTRL_KNOB);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(rec.CONVERSIONE));
    EXPECT_TRUE(std::holds_alternative<KnobBlock>(rec.GRAFICA));
}

TEST_F(DefinitionTest, KeywordsMapToTheirCodes)
{
    struct Case {
        std::string tag, word;
        std::int32_t code;
        std::function<std::int32_t(const REC_CONTROLLO&)> field;
    };
    const auto tipo = [](const REC_CONTROLLO& r) { return r.TIPO; };
    const Case cases[] = {
        {"TIPO", "DATO_FLAG", 0, tipo},   {"TIPO", "DATO_UBYTE", 1, tipo}, {"TIPO", "DATO_BYTE", 2, tipo},
        {"TIPO", "DATO_UWORD", 3, tipo},  {"TIPO", "DATO_WORD", 4, tipo},  {"TIPO", "DATO_LONG", 5, tipo},
        {"TIPO", "DATO_ULONG", 6, tipo},
        {"OPERATORE", "OPR_PBL", 0, [](const REC_CONTROLLO& r) { return r.OPERATORE; }},
        {"OPERATORE", "OPR_REM", 2, [](const REC_CONTROLLO& r) { return r.OPERATORE; }},
        {"FIXDEF", "FIX_ON", 0, [](const REC_CONTROLLO& r) { return r.FIXDEF; }},
    };
    for (const Case& c : cases) {
        const std::string line = "<" + c.tag + ">";
        std::string text = Base();
        const std::size_t at = text.find(line);
        text.replace(at, text.find('<', at + 1) - at, line + c.word);
        const Loaded loaded = Load(text);
        ASSERT_EQ(loaded.result, 0) << c.word;
        EXPECT_EQ(c.field(loaded.rec()), c.code) << c.word;
    }
}

// ---- Language blocks ---------------------------------------------------------------

TEST_F(DefinitionTest, TheCurrentLanguagePicksItsLineAndIsTurnedToUpperCase)
{
    std::u16string current = u"Italiano";
    CControlliConfigurati set(m_home.file("T1.PAR"), u"InfoLang");
    std::string error;
    ASSERT_TRUE(vexar::fixtures::WriteDefinitionText(m_home.file("T1.PAR"), Base(), error));
    ASSERT_EQ(set.Load(current, {u"English", u"Italiano"}), 0);
    EXPECT_EQ(current, u"ITALIANO");
    EXPECT_EQ(set.Controls().at(0).ETICHETTA, u"Minimo");
    EXPECT_EQ(set.Controls().at(0).COMMENTO, u"Commento");

    // A language that the list does not hold leaves the texts empty.
    const Loaded other = Load(Base(), "T2.PAR", {u"English", u"Italiano"}, u"Deutsch");
    ASSERT_EQ(other.result, 0);
    EXPECT_EQ(other.rec().ETICHETTA, u"");
}

TEST_F(DefinitionTest, LanguageLinesMustFollowTheListOrder)
{
    // The list says English first: a label block starting with ITALIANO is refused.
    std::string text = Replace(Base(), "<ENGLISH>Idle speed</ENGLISH>\n<ITALIANO>Minimo</ITALIANO>",
                               "<ITALIANO>Minimo</ITALIANO>\n<ENGLISH>Idle speed</ENGLISH>");
    Loaded loaded = Load(text);
    EXPECT_EQ(loaded.result, 4);
    EXPECT_EQ(loaded.entries,
              std::vector<std::string>{MissingOpen("ENGLISH", loaded.path, LineOf(text, "<ITALIANO>Minimo"))});

    // With the list Italiano, English the original order is the wrong one.
    loaded = Load(Base(), "T3.PAR", {u"Italiano", u"English"}, u"English");
    EXPECT_EQ(loaded.result, 4);
    EXPECT_EQ(loaded.entries,
              std::vector<std::string>{MissingOpen("ITALIANO", loaded.path, LineOf(Base(), "<ENGLISH>Idle"))});
}

// ---- Structure: missing lines, line numbers, the count pass ----------------------------

struct StructureCase {
    const char* name;
    std::function<std::string()> text;
    int result;
    // The expected log entries, given the text and the file path.
    std::function<std::vector<std::string>(const std::string&, const std::string&)> entries;
};

void PrintTo(const StructureCase& c, std::ostream* os) { *os << c.name; }

class Structure : public DefinitionTest, public ::testing::WithParamInterface<StructureCase> {};

TEST_P(Structure, GivesItsResultAndMessage)
{
    const StructureCase& c = GetParam();
    const std::string text = c.text();
    const Loaded loaded = Load(text);
    EXPECT_EQ(loaded.result, c.result);
    EXPECT_EQ(loaded.entries, c.entries(text, loaded.path));
}

using Entries = std::vector<std::string>;
const char kSyntax[] = "Errore di sintassi Tag <CONTROLLO> nel file\n\"";

INSTANTIATE_TEST_SUITE_P(
    DefinitionFile, Structure,
    ::testing::Values(
        StructureCase{"HeaderTagOutOfOrder",
                      [] { return Replace(Base(), "<ENDIAN>LITTLE_END</ENDIAN>\n", ""); }, 3,
                      [](const std::string& t, const std::string& p) {
                          return Entries{MissingOpen("ENDIAN", p, LineOf(t, "<PRGBAY>"))};
                      }},
        StructureCase{"TextEndsInTheHeader",
                      [] { return Header().substr(0, Header().find("<PRGBAY>")); }, 3,
                      [](const std::string&, const std::string& p) {
                          return Entries{"Impossibile leggere la riga \"6\" all'interno del file: \n" + p};
                      }},
        StructureCase{"CommentAndBlankLinesCountInTheLineNumber",
                      [] {
                          return Replace(Replace(Base(), "<UNITA>", "  // unit\n\n\t\n<UNITA>"), "<LSB>4<", "<LSB>x<");
                      },
                      5,
                      [](const std::string& t, const std::string& p) {
                          return Entries{BadValue("LSB", p, "x", LineOf(t, "<LSB>x<"))};
                      }},
        StructureCase{"MissingGraficaClose",
                      [] { return Replace(Base(), "</GRAFICA>\n", ""); }, 4,
                      [](const std::string& t, const std::string& p) {
                          return Entries{MissingClose("GRAFICA", p, LineOf(t, "</CONTROLLO>"))};
                      }},
        StructureCase{"MissingControlloCloseAtTheEnd",
                      [] { return Replace(Base(), "</CONTROLLO>\n", ""); }, 6,
                      [](const std::string&, const std::string& p) { return Entries{kSyntax + p + "\""}; }},
        StructureCase{"NestedControllo",
                      [] { return Replace(Base(), "<UNITA>", "<CONTROLLO>\n<UNITA>"); }, 6,
                      [](const std::string&, const std::string& p) { return Entries{kSyntax + p + "\""}; }},
        StructureCase{"BlankLineAfterTheLastBlock", [] { return Base() + "\n"; }, 4,
                      [](const std::string& t, const std::string& p) {
                          return Entries{MissingOpen("CONTROLLO", p, LineOf(t, "</CONTROLLO>") + 1)};
                      }},
        StructureCase{"CommentLineAfterTheLastBlock", [] { return Base() + "// end\n"; }, 4,
                      [](const std::string& t, const std::string& p) {
                          return Entries{MissingOpen("CONTROLLO", p, LineOf(t, "// end"))};
                      }},
        StructureCase{"CommentBetweenHeaderAndFirstBlock",
                      [] { return Header() + "// controls\n" + Control().Text(); }, 4,
                      [](const std::string& t, const std::string& p) {
                          return Entries{MissingOpen("CONTROLLO", p, LineOf(t, "// controls"))};
                      }},
        StructureCase{"StrayLineInsideTheCategoryBlock",
                      [] { return Replace(Base(), "<FORMATO>.</FORMATO>\n", "<FORMATO>.</FORMATO>\n<EXTRA>1</EXTRA>\n"); },
                      4,
                      [](const std::string& t, const std::string& p) {
                          return Entries{MissingClose("GRAFICA", p, LineOf(t, "<EXTRA>"))};
                      }},
        // The count pass sees every raw line, the loader skips comment lines:
        // a block hidden in a header comment makes the two disagree.
        StructureCase{"BlockHiddenInAHeaderComment",
                      [] { return "// <CONTROLLO>\n// </CONTROLLO>\n" + Base(); }, 6,
                      [](const std::string&, const std::string& p) { return Entries{kSyntax + p + "\""}; }},
        StructureCase{"SecondBlockMissingItsIdentifier",
                      [] {
                          return Base() + Replace(Control().Text(), "<IDENTIFICATORE>Minimo</IDENTIFICATORE>\n", "");
                      },
                      4,
                      [](const std::string& t, const std::string& p) {
                          // The second block opens after the first "</CONTROLLO>"; its
                          // COMMENTO line, 8th of the block, stands where IDENTIFICATORE was expected.
                          return Entries{MissingOpen("IDENTIFICATORE", p, LineOf(t, "</CONTROLLO>") + 8)};
                      }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DefinitionTest, AFileWithoutBlocksLoadsEmptyAndCountsAgain)
{
    const Loaded loaded = Load(Header() + "// nothing yet\n\n");
    EXPECT_EQ(loaded.result, 0);
    const REC_CONTROLLO* records = reinterpret_cast<const REC_CONTROLLO*>(1);
    loaded.set->GetControls(records);
    EXPECT_EQ(records, nullptr);
    EXPECT_EQ(loaded.set->CountControls(), 0);
    EXPECT_EQ(loaded.set->CountControls(), 0);
    EXPECT_TRUE(loaded.entries.empty());
}

TEST_F(DefinitionTest, CountsBlocksOnceAndHandsOutTheRecords)
{
    Control second;
    second.id = "8";
    second.ident = "Secondo";
    const Loaded loaded = Load(Base() + second.Text());
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.set->CountControls(), 2);
    const REC_CONTROLLO* records = nullptr;
    loaded.set->GetControls(records);
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(records[1].IDENTIFICATORE, u"Secondo");
}

TEST_F(DefinitionTest, MissingAndUnreadableFiles)
{
    Loaded loaded = LoadPath(m_home.file("none.PAR"));
    EXPECT_EQ(loaded.result, 1);
    EXPECT_EQ(loaded.entries, Entries{"Impossibile leggere il file: " + loaded.path});
    EXPECT_EQ(loaded.set->CountControls(), -1);

    // A folder exists but cannot be read as an enciphered file.
    ASSERT_EQ(::mkdir(m_home.file("dir.PAR").c_str(), 0755), 0);
    loaded = LoadPath(m_home.file("dir.PAR"));
    EXPECT_EQ(loaded.result, 2);
    EXPECT_EQ(loaded.entries, Entries{"Impossibile aprire il file " + loaded.path + " in lettura"});
}

// ---- Conversion lines ------------------------------------------------------------------

std::string WithConversion(const std::string& lines)
{
    Control c;
    c.conversion = lines;
    return Header() + c.Text();
}

const char kForm[] = "<TIPO_CONV>CONV_FORM</TIPO_CONV>\n<A>1</A>\n<B>0</B>\n<C>0</C>\n<D>1</D>\n<E>-40</E>\n";
const char kFormExt[] =
    "<TIPO_CONV>CONV_FORM_EXT</TIPO_CONV>\n<K1>0.5</K1>\n<K2>2</K2>\n<K3>1</K3>\n<K4>0</K4>\n<KC>3</KC>\n"
    "<ID1></ID1>\n<ID2>55</ID2>\n<ID3></ID3>\n<ID4>-4</ID4>\n<ID5></ID5>\n<ID6></ID6>\n<IDX>1</IDX>\n";
const char kIntr[] = "<TIPO_CONV>CONV_INTR</TIPO_CONV>\n<N_ELEM>3</N_ELEM>\n<BREAKPS_X>0 10 20 30</BREAKPS_X>\n"
                     "<BREAKPS_Y>-1.5\t0  .5</BREAKPS_Y>\n";

TEST_F(DefinitionTest, ConversionBlocksAreStored)
{
    Loaded loaded = Load(WithConversion(kForm));
    ASSERT_EQ(loaded.result, 0);
    const auto* form = std::get_if<ConvForm>(&loaded.rec().CONVERSIONE);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(loaded.rec().TIPO_CONV, CONV_FORM);
    EXPECT_EQ(form->D, 1.0);
    EXPECT_EQ(form->E, -40.0);

    loaded = Load(WithConversion(kFormExt));
    ASSERT_EQ(loaded.result, 0);
    const auto* ext = std::get_if<ConvFormExt>(&loaded.rec().CONVERSIONE);
    ASSERT_NE(ext, nullptr);
    EXPECT_EQ(ext->K1, 0.5);
    EXPECT_EQ(ext->KC, 3.0);
    EXPECT_EQ(ext->ID, (std::array<std::int32_t, 6>{0, 55, 0, -4, 0, 0}));
    EXPECT_EQ(ext->IDX, 1);
    EXPECT_EQ(ext->TIPO_ID, (std::array<std::int32_t, 6>{13, 13, 13, 13, 13, 13}));
    EXPECT_EQ(ext->ADDR_ID[0], nullptr);

    // The fourth breakpoint is ignored; tabs and runs of blanks separate.
    loaded = Load(WithConversion(kIntr));
    ASSERT_EQ(loaded.result, 0);
    const auto* intr = std::get_if<ConvIntr>(&loaded.rec().CONVERSIONE);
    ASSERT_NE(intr, nullptr);
    EXPECT_EQ(intr->N_ELEM, 3);
    EXPECT_EQ(intr->BREAKPS_X, (std::vector<double>{0, 10, 20}));
    EXPECT_EQ(intr->BREAKPS_Y, (std::vector<double>{-1.5, 0, 0.5}));

    // No breakpoints: both lines still present, their contents not examined.
    loaded = Load(WithConversion("<TIPO_CONV>CONV_INTR</TIPO_CONV>\n<N_ELEM>0</N_ELEM>\n<BREAKPS_X>x</BREAKPS_X>\n"
                                 "<BREAKPS_Y></BREAKPS_Y>\n"));
    ASSERT_EQ(loaded.result, 0);
    EXPECT_TRUE(std::get<ConvIntr>(loaded.rec().CONVERSIONE).BREAKPS_X.empty());

    // An empty IDX loads as slot 0 (C zero alone was accepted above).
    loaded = Load(WithConversion(Replace(kFormExt, "<IDX>1</IDX>", "<IDX></IDX>")));
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(std::get<ConvFormExt>(loaded.rec().CONVERSIONE).IDX, 0);
}

TEST_F(DefinitionTest, ConversionRefusals)
{
    struct Case {
        std::string lines, tag, value, lineMarker;
    };
    const std::string x30 = std::string(33, '1');
    const Case cases[] = {
        {Replace(kForm, "<B>0</B>", "<B>1e3</B>"), "B", "1e3", "<B>1e3"},
        {Replace(kFormExt, "<IDX>1</IDX>", "<IDX>7</IDX>"), "IDX", "7", "<IDX>7"},
        {Replace(kFormExt, "<ID3></ID3>", "<ID3>3x</ID3>"), "ID3", "3x", "<ID3>3x"},
        {Replace(kIntr, "0 10 20 30", "0 10"), "BREAKPS_X", "", "<BREAKPS_X>"},
        {Replace(kIntr, "0 10 20 30", "0 x 20"), "BREAKPS_X", "x 20", "<BREAKPS_X>"},
        {Replace(kIntr, "0 10 20 30", "0 " + x30 + " 2"), "BREAKPS_X", x30 + " 2", "<BREAKPS_X>"},
        {Replace(kIntr, "<N_ELEM>3<", "<N_ELEM>-1<"), "N_ELEM", "-1", "<N_ELEM>"},
        // A count far beyond what the line holds ends at the first missing number.
        {Replace(kIntr, "<N_ELEM>3<", "<N_ELEM>2000000000<"), "BREAKPS_X", "", "<BREAKPS_X>"},
    };
    for (const Case& c : cases) {
        const std::string text = WithConversion(c.lines);
        const Loaded loaded = Load(text);
        EXPECT_EQ(loaded.result, 5) << c.lines;
        EXPECT_EQ(loaded.entries, Entries{BadValue(c.tag, loaded.path, c.value, LineOf(text, c.lineMarker))});
    }

    const Loaded loaded = Load(WithConversion(Replace(kForm, "<D>1</D>", "<D>0.0</D>")));
    EXPECT_EQ(loaded.result, 5);
    EXPECT_EQ(loaded.entries, Entries{"Errore nella lettura formula di conversione all'interno del file: \n" +
                                      loaded.path + "\nI parametri C e D non possono essere entrambi nulli\n"});
}

}  // namespace
}  // namespace vexar::config::test
