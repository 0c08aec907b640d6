// The category blocks: what each category's lines store, the keyword
// polarities, and the refusals with their tag, value and line.
#include "DefinitionTestSupport.h"

namespace vexar::config::test {
namespace {

using Entries = std::vector<std::string>;

std::string WithBlock(const std::string& category, const std::string& block, const std::string& def = "1",
                      const std::string& tipo = "DATO_UBYTE")
{
    Control c;
    c.category = category;
    c.block = block;
    c.def = def;
    c.tipo = tipo;
    return Header() + c.Text();
}

const char kReset[] = "<PAR_VAR>VAR</PAR_VAR>\n<RESET>1</RESET>\n<NORMAL>0</NORMAL>\n<DELAY>500</DELAY>\n";
const char kEdit[] = "<ALLINEAMENTO>ALLN_LFT</ALLINEAMENTO>\n<ABILITATO>ABIL_SI</ABILITATO>\n<NUM_BYTES>4</NUM_BYTES>\n";
const char kNumEdit[] = "<ALLINEAMENTO>ALLN_RGH</ALLINEAMENTO>\n<ABILITATO>ABIL_NO</ABILITATO>\n"
                        "<INCDEC_BUTTON>INCDEC_BTN_SI</INCDEC_BUTTON>\n<INC_VALORE>0.5</INC_VALORE>\n"
                        "<VALORI>VAL_DSCR</VALORI>\n<FORMATO>.##</FORMATO>\n";
const char kNumCalc[] = "<ALLINEAMENTO>ALLN_CNT</ALLINEAMENTO>\n<FORMATO>.#</FORMATO>\n<FORMULA>\n<K1>1.5</K1>\n"
                        "<K2>0</K2>\n<K3>1</K3>\n<K4>0</K4>\n<KC>-2</KC>\n<ID1>7</ID1>\n<ID2></ID2>\n<ID3></ID3>\n"
                        "<ID4></ID4>\n<ID5></ID5>\n<ID6></ID6>\n<ABS>ABS_SI</ABS>\n</FORMULA>\n";
const char kCheck[] = "<ABILITATO>ABIL_NO</ABILITATO>\n<VISIB_DIP>VIS_SI</VISIB_DIP>\n<CHECKED>\n<N_ID_PAR>3</N_ID_PAR>\n"
                      "<ID_PAR>10 20 30</ID_PAR>\n<N_ID_VAR>0</N_ID_VAR>\n</CHECKED>\n<UNCHECKED>\n"
                      "<N_ID_PAR>0</N_ID_PAR>\n<N_ID_VAR>1</N_ID_VAR>\n<ID_VAR>201</ID_VAR>\n</UNCHECKED>\n"
                      "<PARAM>PAR_SI</PARAM>\n";
const char kButton[] = "<ABILITATO>ABIL_SI</ABILITATO>\n<ETICHETTA_ON>\n<ENGLISH>Gas</ENGLISH>\n<ITALIANO>Gas</ITALIANO>\n"
                       "</ETICHETTA_ON>\n<ETICHETTA_OFF>\n<ENGLISH>Petrol</ENGLISH>\n<ITALIANO>Benzina</ITALIANO>\n"
                       "</ETICHETTA_OFF>\n<VISIB_DIP>VIS_NO</VISIB_DIP>\n";
const char kCombo[] = "<ABILITATO>ABIL_SI</ABILITATO>\n<VISIB_DIP>VIS_SI</VISIB_DIP>\n<NUM_ITEMS>2</NUM_ITEMS>\n"
                      "<ELEMENTO>\n<ETICHETTA>\n<ENGLISH>Off</ENGLISH>\n<ITALIANO>Spento</ITALIANO>\n</ETICHETTA>\n"
                      "<VALORE>0</VALORE>\n<VISIBILI>\n<N_ID_PAR>0</N_ID_PAR>\n<N_ID_VAR>0</N_ID_VAR>\n</VISIBILI>\n"
                      "</ELEMENTO>\n<ELEMENTO>\n<ETICHETTA>\n<ENGLISH>On</ENGLISH>\n<ITALIANO>Acceso</ITALIANO>\n"
                      "</ETICHETTA>\n<VALORE>1</VALORE>\n<VISIBILI>\n<N_ID_PAR>1</N_ID_PAR>\n<ID_PAR>120</ID_PAR>\n"
                      "<N_ID_VAR>0</N_ID_VAR>\n</VISIBILI>\n</ELEMENTO>\n<PARAM>PAR_SI</PARAM>\n";
const char kDiag[] = "<SCALA>1</SCALA>\n<NUM_ERRORI>2</NUM_ERRORI>\n<ID_AZIONE></ID_AZIONE>\n<ERRORE>\n<ETICHETTA>\n"
                     "<ENGLISH>Sensor open</ENGLISH>\n<ITALIANO>Sensore interrotto</ITALIANO>\n</ETICHETTA>\n"
                     "<COD>1</COD>\n</ERRORE>\n<ERRORE>\n<ETICHETTA>\n<ENGLISH>Sensor shorted</ENGLISH>\n"
                     "<ITALIANO>Sensore in corto</ITALIANO>\n</ETICHETTA>\n<COD>2</COD>\n</ERRORE>\n";
const char kRipr[] = "<NUM_ERRORI>8</NUM_ERRORI>\n<NUM_AZIONI>1</NUM_AZIONI>\n<AZIONE>\n<ETICHETTA>\n"
                     "<ENGLISH>Back to petrol</ENGLISH>\n<ITALIANO>Ritorno a benzina</ITALIANO>\n</ETICHETTA>\n"
                     "<COD>4</COD>\n</AZIONE>\n";
const char kStato[] = "<SCALA>2</SCALA>\n<NUM_ITEMS>1</NUM_ITEMS>\n<ELEMENTO>\n<ETICHETTA>\n<ENGLISH>Gas</ENGLISH>\n"
                      "<ITALIANO>Gas</ITALIANO>\n</ETICHETTA>\n<VALORE>7</VALORE>\n</ELEMENTO>\n";
const char kLed[] = "<SCALA>1</SCALA>\n<STILE>STL_QUADR</STILE>\n<ON_COLOR>0xFF 0x80 0x00</ON_COLOR>\n"
                    "<OFF_COLOR>0x10 0x20 0x30 0x40</OFF_COLOR>\n";
const char kBar[] = "<SCALA>10</SCALA>\n<STILE>STL_VERT</STILE>\n<NUM_TICK>6</NUM_TICK>\n<COLORE>0x00 0x80 0xff</COLORE>\n"
                    "<FORMATO>.#</FORMATO>\n";
const char kGrid[] = "<NUM_RIGHE>2</NUM_RIGHE>\n<NUM_COLONNE>3</NUM_COLONNE>\n<INC_VALORE>0.5</INC_VALORE>\n"
                     "<VALORI>VAL_CNT</VALORI>\n<FORMATO>.#</FORMATO>\n<ID_VAR_FUNECU>0</ID_VAR_FUNECU>\n"
                     "<DEF_VAL>1 2 3</DEF_VAL>\n<DEF_VAL>4 5 6</DEF_VAL>\n<PRIMA_RIGA>\n<PRESENTE>PRES_SI</PRESENTE>\n"
                     "<TIPO_INT>INTST_CAL</TIPO_INT>\n<ID_VET_BREAKPS>120</ID_VET_BREAKPS>\n<ID_VAR>300</ID_VAR>\n"
                     "</PRIMA_RIGA>\n<PRIMA_COLONNA>\n<PRESENTE>PRES_SI</PRESENTE>\n<TIPO_INT>INTST_FISSA</TIPO_INT>\n"
                     "<VET_ETICHETTE>\n<ENGLISH>Cold Warm Hot</ENGLISH>\n<ITALIANO>anything at all</ITALIANO>\n"
                     "</VET_ETICHETTE>\n<VET_UNITA>degrees C!!</VET_UNITA>\n</PRIMA_COLONNA>\n";

// ---- Refusals: result 5 with the tag, the value and the line --------------------

struct BadBlockCase {
    const char* name;
    std::string category;
    std::string block;
    std::string def;
    std::string tag;
    std::string value;
    std::string lineMarker;  // the line the message names
};

void PrintTo(const BadBlockCase& c, std::ostream* os) { *os << c.name; }

class BadBlocks : public DefinitionTest, public ::testing::WithParamInterface<BadBlockCase> {};

TEST_P(BadBlocks, AreRefusedWithTheValueMessage)
{
    const BadBlockCase& c = GetParam();
    const std::string text = WithBlock(c.category, c.block, c.def);
    const Loaded loaded = Load(text);
    EXPECT_EQ(loaded.result, 5);
    EXPECT_EQ(loaded.entries, Entries{BadValue(c.tag, loaded.path, c.value, LineOf(text, c.lineMarker))});
}

const std::string kLong33(33, '7');

INSTANTIATE_TEST_SUITE_P(
    CategoryBlock, BadBlocks,
    ::testing::Values(
        BadBlockCase{"ResetNegativeDelay", "CTRL_RESET", Replace(kReset, ">500<", ">-1<"), "1", "DELAY", "-1", "<DELAY>"},
        BadBlockCase{"ResetLowerCasePar", "CTRL_RESET", Replace(kReset, ">VAR<", ">par<"), "1", "PAR_VAR", "par",
                     "<PAR_VAR>"},
        BadBlockCase{"EditDefaultWithoutQuotes", "CTRL_EDIT", kEdit, "ABC", "DEFAULT", "ABC", "<NUM_BYTES>"},
        BadBlockCase{"EditNegativeLength", "CTRL_EDIT", Replace(kEdit, ">4<", ">-4<"), "\"A\"", "NUM_BYTES", "-4",
                     "<NUM_BYTES>"},
        BadBlockCase{"NumEditExponent", "CTRL_NUMEDIT", Replace(kNumEdit, ">0.5<", ">1e-3<"), "1", "INC_VALORE",
                     "1e-3", "<INC_VALORE>"},
        BadBlockCase{"NumCalcKeyNotANumber", "CTRL_NUMCALC", Replace(kNumCalc, "<ID3></ID3>", "<ID3>12a</ID3>"), "1",
                     "ID3", "12a", "<ID3>"},
        BadBlockCase{"NumCalcAbs", "CTRL_NUMCALC", Replace(kNumCalc, "ABS_SI", "ABS_YES"), "1", "ABS", "ABS_YES",
                     "<ABS>"},
        BadBlockCase{"KeysMissing", "CTRL_CHECK", Replace(kCheck, "10 20 30", "10 20"), "1", "ID_PAR", "",
                     "<ID_PAR>"},
        BadBlockCase{"KeyNotANumber", "CTRL_CHECK", Replace(kCheck, "10 20 30", "10 x 30"), "1", "ID_PAR", "x 30",
                     "<ID_PAR>"},
        BadBlockCase{"KeyTooLong", "CTRL_CHECK", Replace(kCheck, "10 20 30", "10 20 " + kLong33), "1", "ID_PAR",
                     kLong33, "<ID_PAR>"},
        BadBlockCase{"NegativeKeyCount", "CTRL_CHECK", Replace(kCheck, "<N_ID_VAR>1<", "<N_ID_VAR>-1<"), "1",
                     "N_ID_VAR", "-1", "<N_ID_VAR>-1"},
        BadBlockCase{"CheckParam", "CTRL_CHECK", Replace(kCheck, "PAR_SI", "PAR"), "1", "PARAM", "PAR", "<PARAM>"},
        BadBlockCase{"ComboNoItemMatchesDefault", "CTRL_COMBO", kCombo, "01", "DEFAULT", "01", "</ELEMENTO>\n<PARAM>"},
        BadBlockCase{"ComboWithoutItems", "CTRL_COMBO",
                     "<ABILITATO>ABIL_SI</ABILITATO>\n<VISIB_DIP>VIS_NO</VISIB_DIP>\n<NUM_ITEMS>0</NUM_ITEMS>\n", "0",
                     "DEFAULT", "0", "<NUM_ITEMS>"},
        BadBlockCase{"ComboValueNotANumber", "CTRL_COMBO", Replace(kCombo, "<VALORE>1<", "<VALORE>km<"), "1",
                     "VALORE", "km", "<VALORE>km"},
        BadBlockCase{"ComboEmptyValue", "CTRL_COMBO", Replace(kCombo, "<VALORE>1<", "<VALORE><"), "1", "VALORE", "",
                     "<VALORE></"},
        BadBlockCase{"ComboNegativeCount", "CTRL_COMBO", Replace(kCombo, ">2<", ">-2<"), "1", "NUM_ITEMS", "-2",
                     "<NUM_ITEMS>"},
        BadBlockCase{"DiagActionKey", "CTRL_DIAG", Replace(kDiag, "<ID_AZIONE></", "<ID_AZIONE>12a</"), "1",
                     "ID_AZIONE", "12a", "<ID_AZIONE>"},
        BadBlockCase{"DiagCode", "CTRL_DIAG", Replace(kDiag, "<COD>2<", "<COD>A1<"), "1", "COD", "A1", "<COD>A1"},
        BadBlockCase{"DiagEmptyCode", "CTRL_DIAG_BIT", Replace(kDiag, "<COD>2<", "<COD> <"), "1", "COD", "",
                     "<COD> <"},
        BadBlockCase{"DiagCodeOutOfRange", "CTRL_DIAG", Replace(kDiag, "<COD>2<", "<COD>4294967296<"), "1", "COD",
                     "4294967296", "<COD>4294967296"},
        BadBlockCase{"DiagNegativeCount", "CTRL_DIAG", Replace(kDiag, ">2</NUM", ">-1</NUM"), "1", "NUM_ERRORI", "-1",
                     "<NUM_ERRORI>"},
        BadBlockCase{"RiprNegativeErrors", "CTRL_RIPR", Replace(kRipr, ">8<", ">-8<"), "1", "NUM_ERRORI", "-8",
                     "<NUM_ERRORI>"},
        BadBlockCase{"SliderLowerCaseStyle", "CTRL_SLIDE",
                     "<STILE>stl_horz</STILE>\n<ABILITATO>ABIL_SI</ABILITATO>\n<VALORI>VAL_CNT</VALORI>\n"
                     "<NUM_TICK>5</NUM_TICK>\n<FORMATO>.</FORMATO>\n",
                     "1", "STILE", "stl_horz", "<STILE>"},
        BadBlockCase{"BarRoundStyle", "CTRL_BAR", Replace(kBar, "STL_VERT", "STL_TONDO"), "1", "STILE", "STL_TONDO",
                     "<STILE>"},
        BadBlockCase{"ColourMissingComponent", "CTRL_LED", Replace(kLed, "0xFF 0x80 0x00", "0xFF 0x80"), "1",
                     "ON_COLOR", "", "<ON_COLOR>"},
        BadBlockCase{"ColourInDecimal", "CTRL_LED", Replace(kLed, "0xFF 0x80 0x00", "255 0 0"), "1", "ON_COLOR",
                     "255 0 0", "<ON_COLOR>"},
        BadBlockCase{"GridDefaultNotANumber", "CTRL_GRID", Replace(kGrid, "<DEF_VAL>1 2 3</DEF_VAL>\n<DEF_VAL>4 5 6</DEF_VAL>\n", ""),
                     "abc", "DEFAULT", "abc", "<ID_VAR_FUNECU>"},
        BadBlockCase{"GridRowShort", "CTRL_GRID", Replace(kGrid, "1 2 3", "1 2"), "", "DEF_VAL", "", "<DEF_VAL>1 2<"},
        BadBlockCase{"GridCellNotANumber", "CTRL_GRID", Replace(kGrid, "4 5 6", "4 x 6"), "", "DEF_VAL", "x 6",
                     "<DEF_VAL>4"},
        BadBlockCase{"GridBadColumns", "CTRL_GRID", Replace(kGrid, "<NUM_COLONNE>3<", "<NUM_COLONNE>three<"), "",
                     "NUM_COLONNE", "three", "<NUM_COLONNE>"},
        BadBlockCase{"GridNegativeRows", "CTRL_GRID", Replace(kGrid, "<NUM_RIGHE>2<", "<NUM_RIGHE>-2<"), "",
                     "NUM_RIGHE", "-2", "<NUM_RIGHE>"},
        // No ECU image could hold the cells: refused before the defaults are made.
        BadBlockCase{"GridTooManyCells", "CTRL_GRID",
                     Replace(Replace(kGrid, "<NUM_RIGHE>2<", "<NUM_RIGHE>60000<"), "<NUM_COLONNE>3<",
                             "<NUM_COLONNE>60000<"),
                     "2.5", "NUM_COLONNE", "60000", "<NUM_COLONNE>"},
        BadBlockCase{"FixedHeaderShort", "CTRL_GRID", Replace(kGrid, "Cold Warm Hot", "Cold"), "", "VET_ETICHETTE",
                     "", "<ENGLISH>Cold<"},
        BadBlockCase{"HeaderPresence", "CTRL_GRID", Replace(kGrid, "<PRESENTE>PRES_SI</PRESENTE>\n<TIPO_INT>INTST_CAL",
                                                            "<PRESENTE>YES</PRESENTE>\n<TIPO_INT>INTST_CAL"),
                     "", "PRESENTE", "YES", "<PRESENTE>YES"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Missing or misplaced lines: result 4 --------------------------------------------

TEST_F(DefinitionTest, MisplacedCategoryLinesGiveTheMarkerMessage)
{
    struct Case {
        std::string category, block, expected, lineMarker;
        bool closing;
    };
    const Case cases[] = {
        // A command button has a single line; a second one is not read by its parser.
        {"CTRL_BUTTON_CMD", "<ABILITATO>ABIL_SI</ABILITATO>\n<FORMATO>.</FORMATO>\n", "GRAFICA", "<FORMATO>", true},
        {"CTRL_BAR", "<SCALA>10</SCALA>\n<STILE>STL_VERT</STILE>\n<NUM_TICK>6</NUM_TICK>\n<FORMATO>.#</FORMATO>\n"
                     "<COLORE>0x00 0x80 0xff</COLORE>\n",
         "COLORE", "<FORMATO>", false},
        // With no parameter keys the next line must be N_ID_VAR.
        {"CTRL_CHECK", Replace(kCheck, "<N_ID_PAR>3</N_ID_PAR>", "<N_ID_PAR>0</N_ID_PAR>"), "N_ID_VAR", "<ID_PAR>",
         false},
        {"CTRL_BUTTON", Replace(kButton, "<ENGLISH>Petrol</ENGLISH>\n", ""), "ENGLISH", "<ITALIANO>Benzina", false},
        {"CTRL_DIAG", Replace(kDiag, "</ERRORE>\n<ERRORE>", "</ERRORE>\n<ERRORI>"), "ERRORE", "<ERRORI>", false},
    };
    for (const Case& c : cases) {
        const std::string text = WithBlock(c.category, c.block);
        const Loaded loaded = Load(text);
        EXPECT_EQ(loaded.result, 4) << c.category;
        const long line = LineOf(text, c.lineMarker);
        EXPECT_EQ(loaded.entries, Entries{c.closing ? MissingClose(c.expected, loaded.path, line)
                                                    : MissingOpen(c.expected, loaded.path, line)});
    }
}

// ---- What the blocks store ---------------------------------------------------------------

TEST_F(DefinitionTest, ResetEditNumEditAndNumCalcBlocks)
{
    Loaded loaded = Load(WithBlock("CTRL_RESET", Replace(Replace(kReset, ">1</RESET", ">-5</RESET"), ">500<", ">0<")));
    ASSERT_EQ(loaded.result, 0);
    const auto& reset = std::get<ResetBlock>(loaded.rec().GRAFICA);
    EXPECT_EQ(reset.PAR_VAR, RESET_IN_VAR);
    EXPECT_EQ(reset.RESET, -5);
    EXPECT_EQ(reset.DELAY, 0);

    loaded = Load(WithBlock("CTRL_NUMEDIT", Replace(kNumEdit, ">0.5<", ">.25<")));
    ASSERT_EQ(loaded.result, 0);
    const auto& edit = std::get<NumEditBlock>(loaded.rec().GRAFICA);
    EXPECT_EQ(edit.INC_VALORE, 0.25);
    EXPECT_EQ(edit.INCDEC_BUTTON, 0);  // the yes-word of INCDEC_BUTTON is 0
    EXPECT_EQ(edit.ABILITATO, 1);      // and so is that of ABILITATO: ABIL_NO is 1
    EXPECT_EQ(edit.VALORI, VAL_DSCR);
    EXPECT_EQ(edit.ALLINEAMENTO, ALLN_RGH);

    loaded = Load(WithBlock("CTRL_NUMCALC", Replace(kNumCalc, ">.#<", ">0123456789abcdefghij<")));
    ASSERT_EQ(loaded.result, 0);
    const auto& calc = std::get<NumCalcBlock>(loaded.rec().GRAFICA);
    EXPECT_EQ(calc.FORMATO, u"0123456789abcdef");
    EXPECT_EQ(calc.ABS, 1);  // the yes-word of ABS is 1
    EXPECT_EQ(calc.K1, 1.5);
    EXPECT_EQ(calc.KC, -2.0);
    EXPECT_EQ(calc.ID, (std::array<std::int32_t, 6>{7, 0, 0, 0, 0, 0}));
    EXPECT_EQ(calc.TIPO_ID, (std::array<std::int32_t, 6>{13, 13, 13, 13, 13, 13}));

    // Text-field defaults stand in double quotes.
    struct DefaultCase {
        std::string def, bytes;
        std::u16string stored;
    };
    const DefaultCase defaults[] = {
        {"\"ABC\"", "4", u"ABC"},   {"\"\"", "4", u""},          {"\"ABCDEFG", "4", u"ABCD"},
        {"x\"A\"B\"y", "4", u"A\"B"}, {"\"ABC", "0", u""},
    };
    for (const DefaultCase& d : defaults) {
        loaded = Load(WithBlock("CTRL_EDIT", Replace(kEdit, ">4<", ">" + d.bytes + "<"), d.def));
        ASSERT_EQ(loaded.result, 0) << d.def;
        EXPECT_EQ(loaded.rec().DEFAULT, d.stored) << d.def;
        EXPECT_EQ(std::get<EditBlock>(loaded.rec().GRAFICA).NUM_BYTES, std::stoi(d.bytes));
    }
}

TEST_F(DefinitionTest, VisibilityListsAndParamPolarity)
{
    Control c;
    c.category = "CTRL_CHECK";
    c.block = Replace(kCheck, "10 20 30", "10 20 30 40");
    Loaded loaded = Load(Header() + c.Text());
    ASSERT_EQ(loaded.result, 0);
    const auto& check = std::get<CheckBlock>(loaded.rec().GRAFICA);
    EXPECT_EQ(check.ABILITATO, ABIL_NO);
    EXPECT_EQ(check.VISIB_DIP, 1);  // the yes-word of VISIB_DIP is 1
    EXPECT_EQ(check.CHECKED.ID_PAR, (std::vector<std::int32_t>{10, 20, 30}));
    EXPECT_TRUE(check.CHECKED.ID_VAR.empty());
    EXPECT_EQ(check.UNCHECKED.ID_VAR, (std::vector<std::int32_t>{201}));
    EXPECT_EQ(check.PARAM, 1);
    EXPECT_EQ(loaded.rec().LSB, 4);

    // PAR_NO clears the address; VIS_NO ends the block with PARAM 1.
    c.block = Replace(kCheck, "PAR_SI", "PAR_NO");
    loaded = Load(Header() + c.Text());
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(std::get<CheckBlock>(loaded.rec().GRAFICA).PARAM, 0);
    EXPECT_EQ(loaded.rec().LSB, 0);
    c.block = "<ABILITATO>ABIL_SI</ABILITATO>\n<VISIB_DIP>VIS_NO</VISIB_DIP>\n";
    loaded = Load(Header() + c.Text());
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(std::get<CheckBlock>(loaded.rec().GRAFICA).PARAM, 1);
    EXPECT_EQ(std::get<CheckBlock>(loaded.rec().GRAFICA).VISIB_DIP, 0);
    EXPECT_EQ(loaded.rec().LSB, 4);
}

TEST_F(DefinitionTest, ButtonLabelsFollowTheLanguageList)
{
    const std::string italianFirst = Replace(Replace(WithBlock("CTRL_BUTTON", kButton), "<ENGLISH>Gas</ENGLISH>\n<ITALIANO>Gas</ITALIANO>",
                                                     "<ITALIANO>Gas</ITALIANO>\n<ENGLISH>Gas</ENGLISH>"),
                                             "<ENGLISH>Petrol</ENGLISH>\n<ITALIANO>Benzina</ITALIANO>",
                                             "<ITALIANO>Benzina</ITALIANO>\n<ENGLISH>" + std::string(70, 'P') +
                                                 "</ENGLISH>");
    // Label and comment blocks must follow the same order.
    const std::string text = Replace(Replace(italianFirst, "<ENGLISH>Idle speed</ENGLISH>\n<ITALIANO>Minimo</ITALIANO>",
                                             "<ITALIANO>Minimo</ITALIANO>\n<ENGLISH>Idle speed</ENGLISH>"),
                                     "<ENGLISH>Comment</ENGLISH>\n<ITALIANO>Commento</ITALIANO>",
                                     "<ITALIANO>Commento</ITALIANO>\n<ENGLISH>Comment</ENGLISH>");
    Loaded loaded = Load(text, "T1.PAR", {u"Italiano", u"English"}, u"English");
    ASSERT_EQ(loaded.result, 0) << ::testing::PrintToString(loaded.entries);
    const auto& button = std::get<ButtonBlock>(loaded.rec().GRAFICA);
    EXPECT_EQ(button.ETICHETTA_ON, u"Gas");
    EXPECT_EQ(button.ETICHETTA_OFF, std::u16string(60, u'P'));
    EXPECT_EQ(button.VISIB_DIP, VIS_NO);
    EXPECT_EQ(button.PARAM, PAR_SI);

    // The same file read with English first stops at the first language line.
    loaded = Load(text, "T2.PAR", {u"English", u"Italiano"}, u"English");
    EXPECT_EQ(loaded.result, 4);
}

TEST_F(DefinitionTest, ComboItems)
{
    Loaded loaded = Load(WithBlock("CTRL_COMBO", kCombo, "1"), "T1.PAR", {u"English", u"Italiano"}, u"Italiano");
    ASSERT_EQ(loaded.result, 0);
    const auto& combo = std::get<ComboBlock>(loaded.rec().GRAFICA);
    EXPECT_EQ(combo.NUM_ITEMS, 2);
    EXPECT_EQ(combo.ETICHETTE_ITEMS, (std::vector<std::u16string>{u"Spento", u"Acceso"}));
    EXPECT_EQ(combo.VALORE_ITEMS, (std::vector<std::int32_t>{0, 1}));
    ASSERT_EQ(combo.VISIBILI_ITEMS.size(), 2u);
    EXPECT_EQ(combo.VISIBILI_ITEMS[1].ID_PAR, (std::vector<std::int32_t>{120}));
    EXPECT_EQ(combo.PARAM, PAR_SI);

    // The value is read like "%ld" and matched against the default as text.
    const std::string noVisibility =
        "<ABILITATO>ABIL_SI</ABILITATO>\n<VISIB_DIP>VIS_NO</VISIB_DIP>\n<NUM_ITEMS>1</NUM_ITEMS>\n<ELEMENTO>\n"
        "<ETICHETTA>\n<ENGLISH>Five</ENGLISH>\n<ITALIANO>Cinque</ITALIANO>\n</ETICHETTA>\n<VALORE>5 km</VALORE>\n"
        "</ELEMENTO>\n";
    loaded = Load(WithBlock("CTRL_COMBO", noVisibility, "5 KM"));
    ASSERT_EQ(loaded.result, 0);
    const auto& single = std::get<ComboBlock>(loaded.rec().GRAFICA);
    EXPECT_EQ(single.VALORE_ITEMS, (std::vector<std::int32_t>{5}));
    EXPECT_TRUE(single.VISIBILI_ITEMS.empty());
    EXPECT_EQ(single.PARAM, PAR_SI);
    EXPECT_EQ(Load(WithBlock("CTRL_COMBO", noVisibility, "5")).result, 5);
}

TEST_F(DefinitionTest, DiagnosisStateAndGaugeBlocks)
{
    Loaded loaded = Load(WithBlock("CTRL_DIAG", Replace(kDiag, "<COD>2<", "<COD>-3 A<")), "T.GDG");
    ASSERT_EQ(loaded.result, 0);
    const auto diag = std::get<DiagBlock>(loaded.rec().GRAFICA);
    EXPECT_EQ(diag.ETICHETTE_ERRORI, (std::vector<std::u16string>{u"Sensor open", u"Sensor shorted"}));
    EXPECT_EQ(diag.COD_ERRORI, (std::vector<std::int32_t>{1, -3}));
    EXPECT_EQ(diag.ID_AZIONE, 0);
    // A bit list of the same text gives the same block.
    loaded = Load(WithBlock("CTRL_DIAG_BIT", Replace(kDiag, "<COD>2<", "<COD>-3 A<")), "T.GDG");
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(std::get<DiagBlock>(loaded.rec().GRAFICA).COD_ERRORI, diag.COD_ERRORI);
    EXPECT_EQ(loaded.rec().CATEGORIA, CTRL_DIAG_BIT);

    // An empty list ends after its third line, with empty arrays.
    loaded = Load(WithBlock("CTRL_DIAG", "<SCALA>1</SCALA>\n<NUM_ERRORI>0</NUM_ERRORI>\n<ID_AZIONE></ID_AZIONE>\n"),
                  "T.GDG");
    ASSERT_EQ(loaded.result, 0);
    EXPECT_TRUE(std::get<DiagBlock>(loaded.rec().GRAFICA).COD_ERRORI.empty());

    // The error count of a recovery list sizes the datum only.
    loaded = Load(WithBlock("CTRL_RIPR", kRipr), "T.GDG");
    ASSERT_EQ(loaded.result, 0);
    const auto& ripr = std::get<RiprBlock>(loaded.rec().GRAFICA);
    EXPECT_EQ(ripr.NUM_ERRORI, 8);
    EXPECT_EQ(ripr.COD_AZIONI, (std::vector<std::int32_t>{4}));
    EXPECT_EQ(ripr.ETICHETTE_AZIONI, (std::vector<std::u16string>{u"Back to petrol"}));

    loaded = Load(WithBlock("CTRL_STATO", kStato), "T.VAR");
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(std::get<StatoBlock>(loaded.rec().GRAFICA).VALORE_ITEMS, (std::vector<std::int32_t>{7}));
    EXPECT_EQ(std::get<StatoBlock>(loaded.rec().GRAFICA).SCALA, 2);

    loaded = Load(WithBlock("CTRL_LED", kLed), "T.VAR");
    ASSERT_EQ(loaded.result, 0);
    const auto& led = std::get<LedBlock>(loaded.rec().GRAFICA);
    EXPECT_EQ(led.STILE, STL_QUADR);
    EXPECT_EQ(led.ON_COLOR.Value(), 0x0080FFu);  // R 255, G 128, B 0
    EXPECT_EQ(led.OFF_COLOR.B, 0x30);
    EXPECT_EQ(Load(WithBlock("CTRL_LED", Replace(kLed, "STL_QUADR", "STL_TONDO")), "T.VAR").result, 0);

    loaded = Load(WithBlock("CTRL_BAR", kBar), "T.VAR");
    ASSERT_EQ(loaded.result, 0);
    const auto& bar = std::get<BarBlock>(loaded.rec().GRAFICA);
    EXPECT_EQ(bar.STILE, STL_VERT);
    EXPECT_EQ(bar.COLORE.Value(), 0xFF8000u);
    EXPECT_EQ(bar.FORMATO, u".#");
}

TEST_F(DefinitionTest, GridBlocks)
{
    Loaded loaded = Load(WithBlock("CTRL_GRID", kGrid, ""));
    // The calibrable header names a map that this file lacks.
    EXPECT_EQ(loaded.result, 4);
    const auto& grid = std::get<GridBlock>(loaded.rec().GRAFICA);
    EXPECT_EQ(grid.DEF_VAL, (std::vector<std::vector<double>>{{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(grid.PRIMA_RIGA.TIPO_INT, INTST_CAL);
    EXPECT_EQ(grid.PRIMA_RIGA.ID_VET_BREAKPS, 120);
    EXPECT_EQ(grid.PRIMA_RIGA.ID_VAR, 300);
    EXPECT_TRUE(grid.PRIMA_RIGA.VET_ETICHETTE.empty());
    EXPECT_EQ(grid.PRIMA_COLONNA.VET_ETICHETTE, (std::vector<std::u16string>{u"Cold", u"Warm"}));
    EXPECT_EQ(grid.PRIMA_COLONNA.VET_UNITA, u"degrees C!");

    // A default value fills every cell; a header that is absent is one line.
    const std::string fixed = Replace(
        Replace(kGrid, "<DEF_VAL>1 2 3</DEF_VAL>\n<DEF_VAL>4 5 6</DEF_VAL>\n", ""),
        "<PRESENTE>PRES_SI</PRESENTE>\n<TIPO_INT>INTST_CAL</TIPO_INT>\n<ID_VET_BREAKPS>120</ID_VET_BREAKPS>\n"
        "<ID_VAR>300</ID_VAR>\n",
        "<PRESENTE>PRES_NO</PRESENTE>\n");
    loaded = Load(WithBlock("CTRL_GRID", Replace(fixed, "Cold Warm Hot", std::string(40, 'C') + " Warm"), "2.5"));
    ASSERT_EQ(loaded.result, 0) << ::testing::PrintToString(loaded.entries);
    const auto& filled = std::get<GridBlock>(loaded.rec().GRAFICA);
    EXPECT_EQ(filled.DEF_VAL, (std::vector<std::vector<double>>{{2.5, 2.5, 2.5}, {2.5, 2.5, 2.5}}));
    EXPECT_EQ(filled.PRIMA_RIGA.PRESENTE, PRES_NO);
    EXPECT_EQ(filled.PRIMA_RIGA.TIPO_INT, INTST_FISSA);
    EXPECT_EQ(filled.PRIMA_COLONNA.VET_ETICHETTE, (std::vector<std::u16string>{std::u16string(32, u'C'), u"Warm"}));

    // A refused column count leaves no defaults behind.
    loaded = Load(WithBlock("CTRL_GRID", Replace(kGrid, "<NUM_COLONNE>3<", "<NUM_COLONNE>x<"), ""));
    EXPECT_EQ(loaded.result, 5);
    EXPECT_TRUE(std::get<GridBlock>(loaded.rec().GRAFICA).DEF_VAL.empty());
    EXPECT_EQ(std::get<GridBlock>(loaded.rec().GRAFICA).NUM_RIGHE, 2);
}

}  // namespace
}  // namespace vexar::config::test
