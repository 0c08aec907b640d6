// Checks of a loaded set as a whole, the data-area sizes, and the complete
// synthetic configuration (every category, both languages).
#include "DefinitionTestSupport.h"

#include <functional>
#include <set>
#include <stdexcept>

namespace vexar::config::test {
namespace {

using Entries = std::vector<std::string>;

Control Make(const std::string& id, const std::string& category, const std::string& block,
             const std::string& lsb = "0", const std::string& tipo = "DATO_UBYTE", const std::string& def = "1")
{
    Control c;
    c.id = id;
    c.ident = "C" + id;
    c.category = category;
    c.block = block;
    c.lsb = lsb;
    c.tipo = tipo;
    c.def = def;
    return c;
}

const char kKnob[] = "<ABILITATO>ABIL_SI</ABILITATO>\n<VALORI>VAL_CNT</VALORI>\n<NUM_TICK>5</NUM_TICK>\n<FORMATO>.</FORMATO>\n";
const char kLed[] = "<SCALA>1</SCALA>\n<STILE>STL_TONDO</STILE>\n<ON_COLOR>0x00 0xFF 0x00</ON_COLOR>\n"
                    "<OFF_COLOR>0x00 0x00 0x00</OFF_COLOR>\n";
const char kReset[] = "<PAR_VAR>VAR</PAR_VAR>\n<RESET>1</RESET>\n<NORMAL>0</NORMAL>\n<DELAY>10</DELAY>\n";
const char kNumeric[] = "<SCALA>1</SCALA>\n<ALLINEAMENTO>ALLN_RGH</ALLINEAMENTO>\n<FORMATO>.</FORMATO>\n";

std::string NumCalc(const std::string& id3)
{
    return "<ALLINEAMENTO>ALLN_CNT</ALLINEAMENTO>\n<FORMATO>.</FORMATO>\n<FORMULA>\n<K1>1</K1>\n<K2>0</K2>\n"
           "<K3>1</K3>\n<K4>0</K4>\n<KC>0</KC>\n<ID1>1</ID1>\n<ID2>0</ID2>\n<ID3>" + id3 +
           "</ID3>\n<ID4></ID4>\n<ID5></ID5>\n<ID6></ID6>\n<ABS>ABS_NO</ABS>\n</FORMULA>\n";
}

std::string Diag(const std::string& action)
{
    return "<SCALA>1</SCALA>\n<NUM_ERRORI>0</NUM_ERRORI>\n<ID_AZIONE>" + action + "</ID_AZIONE>\n";
}

std::string Ripr(const std::string& errors, const std::string& actions = "0")
{
    return "<NUM_ERRORI>" + errors + "</NUM_ERRORI>\n<NUM_AZIONI>" + actions + "</NUM_AZIONI>\n";
}

// A map block; `row` and `column` are the header lines between the
// PRIMA_RIGA and PRIMA_COLONNA tags. DEFAULT is given, so no DEF_VAL lines.
std::string Grid(int rows, int columns, const std::string& row = "<PRESENTE>PRES_NO</PRESENTE>\n",
                 const std::string& column = "<PRESENTE>PRES_NO</PRESENTE>\n")
{
    return "<NUM_RIGHE>" + std::to_string(rows) + "</NUM_RIGHE>\n<NUM_COLONNE>" + std::to_string(columns) +
           "</NUM_COLONNE>\n<INC_VALORE>1</INC_VALORE>\n<VALORI>VAL_CNT</VALORI>\n<FORMATO>.</FORMATO>\n"
           "<ID_VAR_FUNECU>0</ID_VAR_FUNECU>\n<PRIMA_RIGA>\n" + row + "</PRIMA_RIGA>\n<PRIMA_COLONNA>\n" + column +
           "</PRIMA_COLONNA>\n";
}

std::string Calibrable(int key)
{
    return "<PRESENTE>PRES_SI</PRESENTE>\n<TIPO_INT>INTST_CAL</TIPO_INT>\n<ID_VET_BREAKPS>" + std::to_string(key) +
           "</ID_VET_BREAKPS>\n<ID_VAR>0</ID_VAR>\n";
}

std::string Set(std::initializer_list<Control> controls)
{
    std::string text = Header();
    for (const Control& c : controls)
        text += c.Text();
    return text;
}

// ---- Checks run by the load ------------------------------------------------------

struct CheckCase {
    const char* name;
    std::string file;
    std::function<std::string()> text;
    int result;
    std::string entry;  // the refusal, "%s" standing for the path; empty when none
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class Checks : public DefinitionTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(Checks, RefuseWithTheirMessage)
{
    const CheckCase& c = GetParam();
    const Loaded loaded = Load(c.text(), c.file);
    EXPECT_EQ(loaded.result, c.result);
    std::string entry = c.entry;
    if (const std::size_t at = entry.find("%s"); at != std::string::npos)
        entry.replace(at, 2, loaded.path);
    EXPECT_EQ(loaded.entries, entry.empty() ? Entries{} : Entries{entry});
}

const char kGridError[] = "Errore impostazione all'interno del controllo griglia: \"C1\"\n";

INSTANTIATE_TEST_SUITE_P(
    CrossCheck, Checks,
    ::testing::Values(
        CheckCase{"LedInAParameterFile", "T.PAR", [] { return Set({Make("1", "CTRL_KNOB", kKnob), Make("5", "CTRL_LED", kLed)}); },
                  4, "Controllo ID_GUI = \"5\" di tipo non ammesso per il file: \"%s\"\n"},
        CheckCase{"LowerCaseKindIsAParameterFile", "t.par", [] { return Set({Make("5", "CTRL_LED", kLed)}); }, 4,
                  "Controllo ID_GUI = \"5\" di tipo non ammesso per il file: \"%s\"\n"},
        CheckCase{"KnobInADiagnosisFile", "T.GDG", [] { return Set({Make("5", "CTRL_KNOB", kKnob)}); }, 4,
                  "Controllo ID_GUI = \"5\" di tipo non ammesso per il file: \"%s\"\n"},
        CheckCase{"ResetInParameterFile", "T.PAR", [] { return Set({Make("5", "CTRL_RESET", kReset)}); }, 0, ""},
        CheckCase{"ResetInVariableFile", "T.VAR", [] { return Set({Make("5", "CTRL_RESET", kReset)}); }, 4,
                  "Controllo ID_GUI = \"5\" di tipo non ammesso per il file: \"%s\"\n"},
        CheckCase{"CalcInVariableFile", "T.VAR",
                  [] { return Set({Make("1", "CTRL_NUMERIC", kNumeric), Make("2", "CTRL_NUMCALC", NumCalc(""))}); }, 0,
                  ""},
        CheckCase{"DuplicateKey", "T.PAR",
                  [] { return Set({Make("12", "CTRL_KNOB", kKnob), Make("3", "CTRL_KNOB", kKnob), Make("12", "CTRL_KNOB", kKnob)}); },
                  4, "Identificatore controllo ID_GUI = \"12\" duplicato nel file: \"%s\"\n"},
        CheckCase{"CalcOperandMissing", "T.PAR",
                  [] { return Set({Make("1", "CTRL_KNOB", kKnob), Make("2", "CTRL_NUMCALC", NumCalc("99"))}); }, 4,
                  "Identificatore controllo ID3 = \"99\" nella formula del controllo ID = \"2\" non presente nel file: "
                  "\"%s\"\n"},
        CheckCase{"ActionKeyOfAnyCategory", "T.GDG",
                  [] { return Set({Make("1", "CTRL_DIAG", Diag("2")), Make("2", "CTRL_RESET", kReset)}); }, 0, ""},
        CheckCase{"ActionKeyMissing", "T.GDG",
                  [] { return Set({Make("1", "CTRL_DIAG_BIT", Diag("")), Make("2", "CTRL_DIAG", Diag("40"))}); }, 4,
                  "Identificatore controllo Azione ID = \"40\" nella specifica del controllo ID = \"2\" non presente "
                  "nel file: \"%s\"\n"},
        CheckCase{"ThreeResets", "T.GDG",
                  [] { return Set({Make("1", "CTRL_RESET", kReset), Make("2", "CTRL_RESET", kReset), Make("3", "CTRL_RESET", kReset)}); },
                  0, ""},
        CheckCase{"FourResets", "T.GDG",
                  [] {
                      return Set({Make("1", "CTRL_RESET", kReset), Make("2", "CTRL_RESET", kReset),
                                  Make("3", "CTRL_RESET", kReset), Make("4", "CTRL_RESET", kReset)});
                  },
                  4, "Il numero di controlli RESET per la gestione della diagnosi è maggiore di 3\n"},
        CheckCase{"HeaderNamesATextField", "T.PAR",
                  [] {
                      return Set({Make("1", "CTRL_GRID", Grid(2, 3, Calibrable(7))),
                                  Make("7", "CTRL_EDIT", "<ALLINEAMENTO>ALLN_LFT</ALLINEAMENTO>\n<ABILITATO>ABIL_SI</ABILITATO>\n<NUM_BYTES>3</NUM_BYTES>\n",
                                       "0", "DATO_UBYTE", "\"A\"")});
                  },
                  4,
                  std::string(kGridError) +
                      "L'identificatore della prima riga calibrabile non corrisponde ad un controllo Griglia: \"7\" "},
        CheckCase{"HeaderNamesNoControl", "T.PAR", [] { return Set({Make("1", "CTRL_GRID", Grid(2, 3, Calibrable(8)))}); }, 4,
                  std::string(kGridError) +
                      "L'identificatore della prima riga calibrabile non corrisponde ad un controllo Griglia: \"8\" "},
        CheckCase{"HeaderColumnsDiffer", "T.PAR",
                  [] { return Set({Make("1", "CTRL_GRID", Grid(4, 6, Calibrable(2))), Make("2", "CTRL_GRID", Grid(1, 5))}); },
                  4, std::string(kGridError) + "numero colonne diverso da intestazione calibrabile di prima riga: \"C2\" "},
        CheckCase{"HeaderHasTwoRows", "T.PAR",
                  [] { return Set({Make("1", "CTRL_GRID", Grid(4, 6, Calibrable(2))), Make("2", "CTRL_GRID", Grid(2, 6))}); },
                  4,
                  std::string(kGridError) + "intestazione di prima riga calibrabile composta da più di una riga: \"C2\" "},
        CheckCase{"HeaderHasAColumnHeader", "T.PAR",
                  [] {
                      return Set({Make("1", "CTRL_GRID", Grid(4, 6, Calibrable(2))),
                                  Make("2", "CTRL_GRID", Grid(1, 6, "<PRESENTE>PRES_NO</PRESENTE>\n", Calibrable(3))),
                                  Make("3", "CTRL_GRID", Grid(1, 1))});
                  },
                  4,
                  std::string(kGridError) +
                      "intestazione di prima riga calibrabile non priva d'intestazione di prima colonna: \"C2\" "},
        CheckCase{"ColumnHeaderRowsDiffer", "T.PAR",
                  [] {
                      return Set({Make("1", "CTRL_GRID", Grid(4, 6, "<PRESENTE>PRES_NO</PRESENTE>\n", Calibrable(2))),
                                  Make("2", "CTRL_GRID", Grid(3, 1))});
                  },
                  4, std::string(kGridError) + "numero righe diverso da intestazione calibrabile di prima colonna: \"C2\" "},
        CheckCase{"BothHeadersCalibrable", "T.PAR",
                  [] {
                      return Set({Make("1", "CTRL_GRID", Grid(4, 6, Calibrable(2), Calibrable(3))),
                                  Make("2", "CTRL_GRID", Grid(1, 6)), Make("3", "CTRL_GRID", Grid(4, 1))});
                  },
                  0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The conversion check the shell runs ------------------------------------------------

TEST_F(DefinitionTest, ConversionOperandsAreLookedUpInTheGivenList)
{
    const auto ext = [](const std::string& id2, const std::string& idx) {
        Control c = Make("9", "CTRL_NUMERIC", kNumeric);
        c.conversion = "<TIPO_CONV>CONV_FORM_EXT</TIPO_CONV>\n<K1>1</K1>\n<K2>0</K2>\n<K3>1</K3>\n<K4>0</K4>\n"
                       "<KC>0</KC>\n<ID1></ID1>\n<ID2>" + id2 + "</ID2>\n<ID3>0</ID3>\n<ID4></ID4>\n<ID5></ID5>\n"
                       "<ID6></ID6>\n<IDX>" + idx + "</IDX>\n";
        return Set({c});
    };
    const Loaded params = Load(Set({Make("1", "CTRL_KNOB", kKnob)}), "P.PAR");
    ASSERT_EQ(params.result, 0);
    const std::span<const REC_CONTROLLO> list(params.records());

    // The slot named by IDX is not looked up.
    Loaded vars = Load(ext("55", "2"), "V1.VAR");
    ASSERT_EQ(vars.result, 0);
    EXPECT_TRUE(vars.set->CheckConversionFormulas(list));
    EXPECT_TRUE(vars.set->CheckConversionFormulas(list.data(), static_cast<std::int32_t>(list.size())));

    vars = Load(ext("1", "1"), "V2.VAR");
    EXPECT_TRUE(vars.set->CheckConversionFormulas(list));

    // A key of a variable (not in the parameter list) is refused.
    vars = Load(ext("9", "1"), "V3.VAR");
    ASSERT_EQ(vars.result, 0);
    EXPECT_FALSE(vars.set->CheckConversionFormulas(list));
    EXPECT_EQ(LogEntries(vars.set->GetLogPath()),
              Entries{"Identificatore controllo ID2 = \"9\" nella formula del controllo ID = \"9\" non presente nel "
                      "file: \"" + vars.path + "\"\n"});

    vars = Load(ext("1", ""), "V4.VAR");
    ASSERT_EQ(vars.result, 0);
    EXPECT_FALSE(vars.set->CheckConversionFormulas(list));
    EXPECT_EQ(LogEntries(vars.set->GetLogPath()),
              Entries{"Errore nella formula di conversione del controllo ID = \"9\" nel file: \"" + vars.path +
                      "\"\nIdentificatore del valore decimale X non corretto.\n"});
}

// ---- Data areas ---------------------------------------------------------------------------

TEST_F(DefinitionTest, AreaSizesComeFromTheRecordWithTheHighestAddress)
{
    const Control grid = Make("1", "CTRL_GRID", Grid(3, 3), "8");
    const Control word = Make("2", "CTRL_KNOB", kKnob, "20", "DATO_UWORD");
    EXPECT_EQ(Load(Set({grid, word})).set->GetParamAreaSize(), 22);
    EXPECT_EQ(Load(Set({grid})).set->GetParamAreaSize(), 17);
    EXPECT_EQ(Load(Header()).set->GetParamAreaSize(), 0);
    // On equal addresses the first record counts.
    EXPECT_EQ(Load(Set({Make("3", "CTRL_KNOB", kKnob, "20", "DATO_ULONG"), word})).set->GetParamAreaSize(), 24);

    // Diagnosis file: restore area from the action lists and "PAR" resets,
    // diagnosis area from the lists and "VAR" resets.
    const Loaded gdg = Load(Set({Make("1", "CTRL_RIPR", Ripr("8", "0"), "40", "DATO_UWORD"),
                                 Make("2", "CTRL_RESET", Replace(kReset, ">VAR<", ">PAR<"), "30"),
                                 Make("3", "CTRL_DIAG", Diag("1"), "5", "DATO_ULONG"),
                                 Make("4", "CTRL_RESET", kReset, "2", "DATO_UWORD")}),
                            "T.GDG");
    ASSERT_EQ(gdg.result, 0);
    EXPECT_EQ(gdg.set->GetRestoreAreaSize(), 56);
    EXPECT_EQ(gdg.set->GetDiagAreaSize(), 9);
    EXPECT_TRUE(gdg.entries.empty());
}

TEST_F(DefinitionTest, ADatumReachingPastTheAreaIsLogged)
{
    // A 10-cell map below a single byte at 2: the area ends at 3.
    const Loaded loaded = Load(Set({Make("1", "CTRL_GRID", Grid(2, 5), "0"), Make("2", "CTRL_KNOB", kKnob, "2")}));
    EXPECT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.set->GetParamAreaSize(), 3);
    EXPECT_EQ(loaded.entries,
              Entries{"Il dato del controllo ID = \"1\" (C1) termina al byte 10, oltre l'area dati di 3 byte calcolata "
                      "dal controllo con l'indirizzo più alto nel file: \"" + loaded.path + "\"\n"});
}

// ---- The synthetic installed configuration ------------------------------------------------

class Synthetic : public DefinitionTest {
protected:
    void SetUp() override
    {
        DefinitionTest::SetUp();
        std::string error;
        ASSERT_TRUE(vexar::fixtures::InstallSyntheticConfiguration(m_home.path(), m_config, error)) << error;
    }
    vexar::fixtures::SyntheticConfiguration m_config;
};

const REC_CONTROLLO& ById(const Loaded& loaded, std::int32_t id)
{
    for (const REC_CONTROLLO& rec : loaded.records())
        if (rec.ID_GUI == id)
            return rec;
    throw std::runtime_error("no control " + std::to_string(id));
}

TEST_F(Synthetic, LoadsInBothLanguagesWithItsChecksAndAreas)
{
    for (const std::u16string language : {u"English", u"Italiano"}) {
        const Loaded par = LoadPath(m_config.par, m_config.languages, language);
        const Loaded var = LoadPath(m_config.var, m_config.languages, language);
        const Loaded gdg = LoadPath(m_config.gdg, m_config.languages, language);
        ASSERT_EQ(par.result, 0) << ::testing::PrintToString(par.entries);
        ASSERT_EQ(var.result, 0) << ::testing::PrintToString(var.entries);
        ASSERT_EQ(gdg.result, 0) << ::testing::PrintToString(gdg.entries);
        EXPECT_TRUE(par.entries.empty() && var.entries.empty() && gdg.entries.empty());
        EXPECT_EQ(par.set->CountControls(), 21);
        EXPECT_EQ(var.set->CountControls(), 12);
        EXPECT_EQ(gdg.set->CountControls(), 7);

        const std::span<const REC_CONTROLLO> params(par.records());
        EXPECT_TRUE(par.set->CheckConversionFormulas(params));
        EXPECT_TRUE(var.set->CheckConversionFormulas(params));
        EXPECT_TRUE(gdg.set->CheckConversionFormulas(params));

        // Image sizes: parameters 66 (the maps' breakpoints and table beyond
        // the restore area, which lies inside the parameter area), variables
        // 22 (the diagnosis area beyond the variable area).
        EXPECT_EQ(par.set->GetParamAreaSize(), 66);
        EXPECT_EQ(var.set->GetParamAreaSize(), 16);
        EXPECT_EQ(gdg.set->GetRestoreAreaSize(), 58);
        EXPECT_EQ(gdg.set->GetDiagAreaSize(), 22);
        EXPECT_EQ(par.set->GetBaudRate(), 19200);
        EXPECT_EQ(par.set->GetProtocol(), PROT_NEW);

        const bool english = language == u"English";
        EXPECT_EQ(ById(par, 101).ETICHETTA, english ? u"Calibration name" : u"Nome calibrazione");
        EXPECT_EQ(ById(par, 101).DEFAULT, u"STANDARD LPG 1.0");
        EXPECT_EQ(std::get<ComboBlock>(ById(par, 108).GRAFICA).ETICHETTE_ITEMS[1], english ? u"CNG" : u"Metano");
        EXPECT_EQ(std::get<GridBlock>(ById(par, 114).GRAFICA).PRIMA_COLONNA.VET_ETICHETTE[0],
                  english ? u"Cold" : u"Freddo");
        EXPECT_EQ(std::get<DiagBlock>(ById(gdg, 302).GRAFICA).ETICHETTE_ERRORI[3],
                  english ? u"Gas injector 4 open circuit" : u"Iniettore gas 4 interrotto");
    }
}

TEST_F(Synthetic, EveryCategoryAndConversionIsPresent)
{
    const Loaded par = LoadPath(m_config.par, m_config.languages, u"English");
    const Loaded var = LoadPath(m_config.var, m_config.languages, u"English");
    const Loaded gdg = LoadPath(m_config.gdg, m_config.languages, u"English");
    std::set<std::int32_t> categories;
    std::set<std::int32_t> conversions;
    for (const Loaded* set : {&par, &var, &gdg})
        for (const REC_CONTROLLO& rec : set->records()) {
            categories.insert(rec.CATEGORIA);
            conversions.insert(rec.TIPO_CONV);
            EXPECT_EQ(static_cast<std::int32_t>(rec.CONVERSIONE.index()), rec.TIPO_CONV);
        }
    EXPECT_EQ(categories.size(), 21u);
    EXPECT_EQ(conversions, (std::set<std::int32_t>{CONV_NO, CONV_FORM, CONV_FORM_EXT, CONV_INTR}));

    // The 2x3 map with its calibrable X axis and the axis vector.
    const auto& map = std::get<GridBlock>(ById(par, 112).GRAFICA);
    EXPECT_EQ(map.DEF_VAL, (std::vector<std::vector<double>>{{0, 1.5, 3}, {-2, 0, 2.5}}));
    EXPECT_EQ(map.PRIMA_RIGA.ID_VET_BREAKPS, 113);
    EXPECT_EQ(std::get<GridBlock>(ById(par, 113).GRAFICA).DEF_VAL,
              (std::vector<std::vector<double>>{{1500, 3000, 4500}}));
    EXPECT_EQ(std::get<ConvIntr>(ById(var, 202).CONVERSIONE).BREAKPS_Y, (std::vector<double>{-0.2, 0, 2.4, 2.7}));
    EXPECT_EQ(std::get<ConvFormExt>(ById(par, 115).CONVERSIONE).ID[1], 116);
    // Each diagnosis list has its own actions, one element per error.
    EXPECT_EQ(std::get<RiprBlock>(ById(gdg, 303).GRAFICA).NUM_ERRORI, 3);
    EXPECT_EQ(std::get<RiprBlock>(ById(gdg, 307).GRAFICA).NUM_ERRORI, 4);
    EXPECT_EQ(std::get<DiagBlock>(ById(gdg, 301).GRAFICA).ID_AZIONE, 303);
    EXPECT_EQ(std::get<DiagBlock>(ById(gdg, 302).GRAFICA).ID_AZIONE, 307);
    EXPECT_EQ(ById(gdg, 307).LSB, 53);
}

// Every prefix of the parameter file that ends at a line boundary: only a
// prefix ending at a block boundary may load, and every failure is logged.
TEST_F(Synthetic, EveryLinePrefixOfTheParameterFileFailsCleanlyOrEndsAtABlock)
{
    const std::string text = testing::ReadAll(vexar::fixtures::SyntheticSource("VXG4_R0107.PAR"));
    std::vector<std::size_t> ends;  // end of each line, line feed included
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        ends.push_back(at + 1);
    const long headerEnd = LineOf(text, "<FREQ_SYS_ACQ_MSEC>");
    int loadedPrefixes = 0;
    for (std::size_t n = 0; n < ends.size(); ++n) {
        const std::string prefix = text.substr(0, ends[n]);
        const long lines = static_cast<long>(n + 1);
        const bool atBoundary = lines == headerEnd || prefix.ends_with("</CONTROLLO>\n");
        const Loaded loaded = Load(prefix, "P" + std::to_string(n) + ".PAR", m_config.languages, u"English");
        SCOPED_TRACE("prefix of " + std::to_string(lines) + " lines");
        if (atBoundary) {
            // A block boundary loads unless a check refuses what is there so far.
            EXPECT_TRUE(loaded.result == 0 || loaded.result == 4) << loaded.result;
            EXPECT_EQ(loaded.entries.size(), loaded.result == 0 ? 0u : 1u);
            loadedPrefixes += loaded.result == 0;
        } else {
            EXPECT_TRUE(loaded.result == 3 || loaded.result == 4 || loaded.result == 6) << loaded.result;
            EXPECT_EQ(loaded.entries.size(), 1u);
            EXPECT_EQ(loaded.result == 3, lines < headerEnd);
        }
    }
    // The header alone and the complete file are among the prefixes that load.
    EXPECT_GE(loadedPrefixes, 2);
}

}  // namespace
}  // namespace vexar::config::test
