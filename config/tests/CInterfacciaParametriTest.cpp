#include "config/CInterfacciaParametri.h"

#include "CryptFixtures.h"
#include "DefinitionFixtures.h"
#include "SessionLogText.h"
#include "TempDir.h"
#include "common/Text.h"
#include "config/CControlliConfigurati.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <memory>

using vexar::testing::TempDir;

namespace {

const std::vector<std::u16string> kLanguages = {u"English", u"Italiano"};

// The plaintext source of a file of the synthetic revision.
std::u16string DataText(const std::string& fileName)
{
    return vexar::ToUtf16(vexar::testing::ReadAll(vexar::fixtures::SyntheticSource(fileName)));
}

// Physical line number (from 1) of the first line holding `needle`.
long LineOf(const std::u16string& text, std::u16string_view needle, std::size_t from = 0)
{
    const std::size_t at = text.find(needle, from);
    EXPECT_NE(at, std::u16string::npos) << vexar::ToUtf8(needle);
    if (at == std::u16string::npos)
        return -1;
    return 1 + static_cast<long>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), u'\n'));
}

std::u16string ReplaceFirst(std::u16string text, std::u16string_view from, std::u16string_view to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::u16string::npos) << vexar::ToUtf8(from);
    if (at != std::u16string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// A layout made of the given keys, with one language line per language.
struct LayoutKeys {
    std::vector<std::int32_t> status;  // empty: no status bar
    std::vector<std::vector<std::int32_t>> tabs;
};

std::u16string LanguageBlock(std::u16string_view tag, const std::vector<std::u16string>& languages,
                             std::u16string_view text)
{
    std::u16string block = u"<" + std::u16string(tag) + u">\n";
    for (const std::u16string& language : languages) {
        std::u16string upper = language;
        for (char16_t& c : upper)
            if (c >= u'a' && c <= u'z')
                c = static_cast<char16_t>(c - 32);
        block += u"<" + upper + u">" + std::u16string(text) + u" " + language + u"</" + upper + u">\n";
    }
    return block + u"</" + std::u16string(tag) + u">\n";
}

std::u16string Page(const std::vector<std::int32_t>& keys)
{
    std::u16string page = u"<GRIGLIA>\n<RIGHE>10</RIGHE>\n<COLONNE>20</COLONNE>\n</GRIGLIA>\n";
    page += vexar::Format(u"<NUM_CONTROL>%d</NUM_CONTROL>\n", static_cast<int>(keys.size()));
    for (std::size_t i = 0; i < keys.size(); ++i)
        page += vexar::Format(u"<CONTROLLO>\n<ID_GUI>%d</ID_GUI>\n<POS_X>%d</POS_X>\n<POS_Y>0</POS_Y>\n"
                              u"<TAB_INDEX>%d</TAB_INDEX>\n</CONTROLLO>\n",
                              keys[i], static_cast<int>(i), static_cast<int>(i + 1));
    return page + u"<NUM_TESTI>0</NUM_TESTI>\n";
}

std::u16string LayoutText(const LayoutKeys& keys, const std::vector<std::u16string>& languages = {})
{
    std::u16string text = u"<CODICE_ECU>T</CODICE_ECU>\n<ID_FIRMWARE>R1</ID_FIRMWARE>\n";
    text += LanguageBlock(u"TITOLO", languages, u"Title");
    text += u"<BARRA_STATO>\n";
    text += keys.status.empty() ? u"<PRESENTE>PRES_NO</PRESENTE>\n" : u"<PRESENTE>PRES_SI</PRESENTE>\n" + Page(keys.status);
    text += u"</BARRA_STATO>\n<FINESTRA_CARTELLE>\n";
    text += vexar::Format(u"<NUMERO_TAB>%d</NUMERO_TAB>\n", static_cast<int>(keys.tabs.size()));
    for (std::size_t i = 0; i < keys.tabs.size(); ++i) {
        text += vexar::Format(u"<CARTELLA>\n<OPERATORE>OPR_PBL</OPERATORE>\n<ID_TAB>%d</ID_TAB>\n", static_cast<int>(i + 1));
        text += LanguageBlock(u"ETICHETTA", languages, u"Tab");
        text += Page(keys.tabs[i]) + u"</CARTELLA>\n";
    }
    return text + u"</FINESTRA_CARTELLE>\n";
}

std::vector<REC_CONTROLLO> Definitions(std::initializer_list<std::int32_t> keys)
{
    std::vector<REC_CONTROLLO> defs;
    for (std::int32_t key : keys) {
        REC_CONTROLLO& def = defs.emplace_back();
        def.ID_GUI = key;
        def.CATEGORIA = CTRL_NUMEDIT;
        def.GRAFICA = NumEditBlock{};
    }
    return defs;
}

// A program folder for the logs and a folder for the layout files.
class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("VEXAR_HOME", m_home.path().c_str(), 1); }
    void TearDown() override { unsetenv("VEXAR_HOME"); }

    std::string Write(const std::string& name, std::u16string_view text)
    {
        const std::string path = m_home.file(name);
        std::string error;
        EXPECT_TRUE(vexar::crypt::WriteCipherText(path, text, error)) << error;
        return path;
    }
    std::string LogPath(const std::string& name = "InfoInterfaccePC") const
    {
        return m_home.path() + "/Log/" + name + ".log";
    }
    // Reads `text` as a layout; the entries the read logged, without the
    // closing banner.
    int Load(std::u16string_view text, REC_INTERFACCIA& layout, std::vector<std::u16string>& entries,
             std::u16string language = u"Italiano", const std::vector<std::u16string>& languages = kLanguages)
    {
        const std::string path = Write("L.GPC", text);
        int result = -1;
        {
            CInterfacciaParametri reader(path, layout, u"InfoInterfaccePC");
            result = reader.LoadLayout(language, languages);
        }
        entries = SessionLogEntries(LogPath());
        if (!entries.empty())
            entries.pop_back();
        return result;
    }

    TempDir m_home;
};

}  // namespace

TEST_F(LayoutTest, ParameterWindowReadFieldByField)
{
    const std::string path = Write("VXG4_R0107.GPC", DataText("VXG4_R0107.GPC"));
    REC_INTERFACCIA layout;
    CInterfacciaParametri reader(path, layout, u"InfoInterfaccePC");
    std::u16string language = u"Italiano";
    ASSERT_EQ(reader.LoadLayout(language, kLanguages), 0);
    EXPECT_EQ(language, u"ITALIANO");  // upper-cased in the caller's copy

    EXPECT_EQ(layout.TITOLO, u"Parametri di calibrazione VXG4");
    EXPECT_EQ(layout.PRESENTE, PRES_SI);
    const REC_PAGINA& bar = layout.BARRA_STATO;
    EXPECT_EQ(bar.RIGHE, 22);
    EXPECT_EQ(bar.COLONNE, 110);
    ASSERT_EQ(bar.NUM_CONTROL, 2);
    ASSERT_EQ(bar.CONTROLLI.size(), 2u);
    EXPECT_EQ(bar.CONTROLLI[1].ID_GUI, 203);
    EXPECT_EQ(bar.CONTROLLI[1].POS_X, 2);
    EXPECT_EQ(bar.CONTROLLI[1].POS_Y, 1);
    EXPECT_EQ(bar.CONTROLLI[1].TAB_INDEX, 2);
    EXPECT_EQ(bar.CONTROLLI[1].POSIZIONATO, 1);
    ASSERT_EQ(bar.TESTI.size(), 1u);
    EXPECT_EQ(bar.TESTI[0].STRINGA, u"Valori in tempo reale");
    EXPECT_EQ(bar.TESTI[0].POS_X, 4);

    ASSERT_EQ(layout.NUMERO_TAB, 2);
    ASSERT_EQ(layout.CARTELLE.size(), 2u);
    const REC_CARTELLA& tab1 = layout.CARTELLE[0];
    EXPECT_EQ(tab1.ID_TAB, 1);
    EXPECT_EQ(tab1.OPERATORE, OPR_PBL);
    EXPECT_EQ(tab1.ETICHETTA, u"Commutazione");
    EXPECT_EQ(tab1.PAGINA.RIGHE, 40);
    EXPECT_EQ(tab1.PAGINA.COLONNE, 130);
    ASSERT_EQ(tab1.PAGINA.CONTROLLI.size(), 10u);
    EXPECT_EQ(tab1.PAGINA.CONTROLLI[7].ID_GUI, 106);
    EXPECT_EQ(tab1.PAGINA.CONTROLLI[7].POS_X, 5);
    EXPECT_EQ(tab1.PAGINA.CONTROLLI[7].POS_Y, 3);
    EXPECT_EQ(tab1.PAGINA.CONTROLLI[7].TAB_INDEX, 10);
    EXPECT_EQ(tab1.PAGINA.CONTROLLI[9].ID_GUI, 118);
    EXPECT_EQ(tab1.PAGINA.CONTROLLI[9].POS_Y, 6);
    ASSERT_EQ(tab1.PAGINA.TESTI.size(), 1u);
    EXPECT_EQ(tab1.PAGINA.TESTI[0].STRINGA, u"Commuta a gas quando entrambi sono raggiunti");  // 44 units: kept
    const REC_CARTELLA& tab2 = layout.CARTELLE[1];
    EXPECT_EQ(tab2.OPERATORE, OPR_PRV);
    EXPECT_EQ(tab2.ETICHETTA, u"Mappe e iniettori");
    ASSERT_EQ(tab2.PAGINA.NUM_TESTI, 2);
    EXPECT_EQ(tab2.PAGINA.TESTI[1].STRINGA, u"Eseguire a motore spento");
    EXPECT_EQ(tab2.PAGINA.TESTI[1].OPERATORE, OPR_REM);
    EXPECT_EQ(tab2.PAGINA.TESTI[1].POS_X, 2);
    EXPECT_EQ(tab2.PAGINA.TESTI[1].POS_Y, 6);

    language = u"English";  // read again: the same record, not twice the tabs
    ASSERT_EQ(reader.LoadLayout(language, kLanguages), 0);
    EXPECT_EQ(layout.CARTELLE.size(), 2u);
    EXPECT_EQ(layout.BARRA_STATO.CONTROLLI.size(), 2u);
    EXPECT_EQ(layout.CARTELLE[0].ETICHETTA, u"Change-over");
}

TEST_F(LayoutTest, VariableWindowWithoutStatusBarInEnglish)
{
    const std::string path = Write("VXG4_R0107.GVS", DataText("VXG4_R0107.GVS"));
    REC_INTERFACCIA layout;
    CInterfacciaParametri reader(path, layout, u"InfoInterfacceVS");
    std::u16string language = u"English";
    ASSERT_EQ(reader.LoadLayout(language, kLanguages), 0);
    EXPECT_EQ(layout.TITOLO, u"VXG4 system variables");
    EXPECT_EQ(layout.PRESENTE, PRES_NO);
    EXPECT_TRUE(layout.BARRA_STATO.CONTROLLI.empty());
    ASSERT_EQ(layout.CARTELLE.size(), 2u);
    EXPECT_EQ(layout.CARTELLE[0].ETICHETTA, u"Engine");
    EXPECT_EQ(layout.CARTELLE[0].PAGINA.NUM_TESTI, 0);
    EXPECT_TRUE(layout.CARTELLE[0].PAGINA.TESTI.empty());
    EXPECT_EQ(layout.CARTELLE[1].PAGINA.TESTI[0].STRINGA, u"Injection times in milliseconds");
}

TEST_F(LayoutTest, MalformedLayoutsGiveCodeMessageAndLine)
{
    const std::u16string base = DataText("VXG4_R0107.GPC");
    const std::u16string path = vexar::ToUtf16(m_home.file("L.GPC"));
    auto marker = [&](std::u16string_view tag, long line) {
        return vexar::Format(u"Marcatore <%s> non trovato nella riga \"%ld\" all'interno del file: \n%s", tag, line, path);
    };
    auto closing = [&](std::u16string_view tag, long line) {
        return vexar::Format(u"Marcatore </%s> non trovato nella riga \"%ld\" all'interno del file: \n%s", tag, line, path);
    };
    auto badValue = [&](std::u16string_view tag, std::u16string_view value, long line) {
        return vexar::Format(u"Errore nella lettura del valore associato al tag <%s> all'interno del file: \n%s", tag, path) +
               u"\nValore letto:\t\t" + std::u16string(value) + vexar::Format(u"\nNumero linea del file:\t%ld", line);
    };
    auto cannotRead = [&](long line) {
        return vexar::Format(u"Impossibile leggere la riga \"%ld\" all'interno del file: \n%s", line, path);
    };
    const std::u16string english = u"\t<ENGLISH>VXG4 calibration parameters</ENGLISH>\n";
    const std::u16string italian = u"\t<ITALIANO>Parametri di calibrazione VXG4</ITALIANO>\n";
    const std::u16string kTitleLines = english + italian;
    const std::u16string kTitleLinesSwapped = italian + english;
    const std::u16string firstTabs = u"<NUMERO_TAB>2</NUMERO_TAB>\n";
    const std::u16string upToTabs = base.substr(0, base.find(firstTabs) + firstTabs.size());
    const long linesUpToTabs = LineOf(base, firstTabs);

    struct Case {
        const char* what;
        std::u16string text;
        int result;
        std::u16string entry;
    };
    const Case cases[] = {
        {"ID_GUI 12a", ReplaceFirst(base, u"<ID_GUI>104<", u"<ID_GUI>12a<"), 5,
         badValue(u"ID_GUI", u"12a", LineOf(base, u"<ID_GUI>104<"))},
        {"PRESENTE in lower case", ReplaceFirst(base, u"PRES_SI", u"pres_si"), 5,
         badValue(u"PRESENTE", u"pres_si", LineOf(base, u"PRES_SI"))},
        {"unknown OPERATORE", ReplaceFirst(base, u">OPR_PRV<", u">OPR_ALL<"), 5,
         badValue(u"OPERATORE", u"OPR_ALL", LineOf(base, u">OPR_PRV<"))},
        {"negative NUM_CONTROL", ReplaceFirst(base, u"<NUM_CONTROL>10<", u"<NUM_CONTROL>-1<"), 5,
         badValue(u"NUM_CONTROL", u"-1", LineOf(base, u"<NUM_CONTROL>10<"))},
        {"NUM_TESTI not a number", ReplaceFirst(base, u"<NUM_TESTI>2<", u"<NUM_TESTI>two<"), 5,
         badValue(u"NUM_TESTI", u"two", LineOf(base, u"<NUM_TESTI>2<"))},
        {"ID_TAB with two signs", ReplaceFirst(base, u"<ID_TAB>2<", u"<ID_TAB>+-2<"), 5,
         badValue(u"ID_TAB", u"+-2", LineOf(base, u"<ID_TAB>2<"))},
        {"language lines swapped", ReplaceFirst(base, kTitleLines, kTitleLinesSwapped), 4,
         marker(u"ENGLISH", LineOf(base, u"<ENGLISH>VXG4"))},
        {"language tag in lower case", ReplaceFirst(base, u"<ENGLISH>Change-over</ENGLISH>", u"<english>Change-over</english>"),
         4, marker(u"ENGLISH", LineOf(base, u"<ENGLISH>Change-over"))},
        {"closing GRIGLIA missing", ReplaceFirst(base, u"</GRIGLIA>", u"// no closing line"), 4,
         closing(u"GRIGLIA", LineOf(base, u"<NUM_CONTROL>2<"))},
        {"opening CARTELLA missing", ReplaceFirst(base, u"<CARTELLA>", u""), 4,
         marker(u"CARTELLA", LineOf(base, u"<CARTELLA>") + 1)},
        {"file ends after NUMERO_TAB", upToTabs, 4, cannotRead(linesUpToTabs + 1)},
        {"huge NUMERO_TAB sizes nothing", ReplaceFirst(upToTabs, u"<NUMERO_TAB>2<", u"<NUMERO_TAB>2000000000<"), 4,
         cannotRead(linesUpToTabs + 1)},
        {"file ends in the header", u"<CODICE_ECU>VXG4</CODICE_ECU>\n", 3, cannotRead(2)},
        {"ID_FIRMWARE missing", ReplaceFirst(base, u"ID_FIRMWARE>VXG4_R0107</ID_FIRMWARE", u"ID_FW>x</ID_FW"), 3,
         marker(u"ID_FIRMWARE", 2)},
        {"PRES_NO followed by a grid", ReplaceFirst(base, u"PRES_SI", u"PRES_NO"), 4,
         closing(u"BARRA_STATO", LineOf(base, u"<GRIGLIA>"))},
    };
    for (const Case& c : cases) {
        REC_INTERFACCIA layout;
        std::vector<std::u16string> entries;
        EXPECT_EQ(Load(c.text, layout, entries), c.result) << c.what;
        EXPECT_EQ(entries, std::vector<std::u16string>{c.entry}) << c.what;
    }
}

TEST_F(LayoutTest, LanguagesWidthsAndEmptyPages)
{
    const std::u16string title70(70, u't');
    const std::u16string label50(50, u'l');
    std::u16string text = LayoutText({{}, {{}, {1}}}, kLanguages);
    text = ReplaceFirst(text, u"Title Italiano", title70);
    text = ReplaceFirst(text, u"Tab Italiano", label50);

    REC_INTERFACCIA layout;
    std::vector<std::u16string> entries;
    ASSERT_EQ(Load(text, layout, entries), 0);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(layout.TITOLO, title70.substr(0, 64));
    EXPECT_EQ(layout.CARTELLE[0].ETICHETTA, label50.substr(0, 48));
    EXPECT_EQ(layout.CARTELLE[1].ETICHETTA, u"Tab Italiano");
    EXPECT_EQ(layout.CARTELLE[0].PAGINA.NUM_CONTROL, 0);  // NUM_CONTROL 0 followed directly by NUM_TESTI
    EXPECT_TRUE(layout.CARTELLE[0].PAGINA.CONTROLLI.empty());

    // A language the list does not hold reads, and leaves every text empty.
    REC_INTERFACCIA other;
    ASSERT_EQ(Load(LayoutText({{5}, {{1}}}, kLanguages), other, entries, u"Deutsch"), 0);
    EXPECT_EQ(other.TITOLO, u"");
    EXPECT_EQ(other.CARTELLE[0].ETICHETTA, u"");

    // No tabs: the closing line follows NUMERO_TAB directly.
    REC_INTERFACCIA none;
    ASSERT_EQ(Load(LayoutText({{}, {}}), none, entries, u"English", {}), 0);
    EXPECT_EQ(none.NUMERO_TAB, 0);
    EXPECT_TRUE(none.CARTELLE.empty());
}

TEST_F(LayoutTest, MissingFile)
{
    REC_INTERFACCIA layout;
    std::u16string language = u"English";
    {
        CInterfacciaParametri reader(m_home.file("NONE.GPC"), layout, u"InfoInterfaccePC");
        EXPECT_EQ(reader.LoadLayout(language, kLanguages), 1);
    }
    const std::vector<std::u16string> entries = SessionLogEntries(LogPath());
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries[0], u"Impossibile leggere il file " + vexar::ToUtf16(m_home.file("NONE.GPC")));
}

TEST_F(LayoutTest, ParameterWindowKeyChecks)
{
    const auto params = Definitions({1, 2, 3, 4, 7});
    const auto vars = Definitions({5, 6, 7});
    const std::u16string path = vexar::ToUtf16(m_home.file("L.GPC"));
    struct Case {
        const char* what;
        LayoutKeys keys;
        std::u16string entry;  // empty: the check passes
    };
    const Case cases[] = {
        {"valid", {{5, 6}, {{1, 2}, {3}}}, u""},
        {"same key in status bar and tab", {{7}, {{7}}}, u""},
        {"duplicate across tabs", {{}, {{1, 7}, {2, 7}}},
         u"Identificatore controllo parametro di calibrazione, ID_GUI = \"7\" duplicato nel file: \"" + path + u"\"\n"},
        {"first key with a twin in file order", {{}, {{3, 4}, {4, 3}}},
         u"Identificatore controllo parametro di calibrazione, ID_GUI = \"3\" duplicato nel file: \"" + path + u"\"\n"},
        {"duplicate in the status bar", {{6, 5, 6}, {{1}}},
         u"Identificatore controllo in barra di stato, ID_GUI = \"6\" duplicato nel file: \"" + path + u"\"\n"},
        {"status bar key not a variable", {{5, 1}, {{1}}},
         u"Identificatore controllo ID_GUI = \"1\"  nel file: \"" + path +
             u"\"\nnon corrisponde a nessun controllo variabile di sistema installata nel tool.\n"},
        {"tab key not a parameter", {{5}, {{1}, {2, 6}}},
         u"Identificatore controllo ID_GUI = \"6\"  nel file: \"" + path +
             u"\"\nnon corrisponde a nessun controllo parametro di calibrazione installato nel tool.\n"},
    };
    for (const Case& c : cases) {
        REC_INTERFACCIA layout;
        std::vector<std::u16string> entries;
        const std::string file = Write("L.GPC", LayoutText(c.keys));
        {
            CInterfacciaParametri reader(file, layout, u"InfoInterfaccePC");
            std::u16string language = u"English";
            ASSERT_EQ(reader.LoadLayout(language, {}), 0) << c.what;
            EXPECT_EQ(reader.CheckParamIds(params, vars), c.entry.empty()) << c.what;
        }
        entries = SessionLogEntries(LogPath());
        entries.pop_back();
        EXPECT_EQ(entries, c.entry.empty() ? std::vector<std::u16string>{} : std::vector<std::u16string>{c.entry})
            << c.what;
    }
}

TEST_F(LayoutTest, VariableWindowKeyChecks)
{
    const auto vars = Definitions({5, 6, 7});
    const std::u16string path = vexar::ToUtf16(m_home.file("L.GVS"));
    struct Case {
        const char* what;
        LayoutKeys keys;
        std::u16string entry;
    };
    const Case cases[] = {
        {"valid", {{5}, {{6}, {7}}}, u""},
        {"same key in status bar and tab", {{7}, {{5, 7}}},
         u"Identificatore controllo ID_GUI = \"7\" duplicato nel file: \"" + path + u"\"\n"},
        {"tab key not a variable", {{}, {{5, 1}}},
         u"Identificatore controllo ID_GUI = \"1\"  nel file: \"" + path +
             u"\"\nnon corrisponde a nessun controllo variabile di sistema installata nel tool.\n"},
    };
    for (const Case& c : cases) {
        REC_INTERFACCIA layout;
        {
            CInterfacciaParametri reader(Write("L.GVS", LayoutText(c.keys)), layout, u"InfoInterfacceVS");
            std::u16string language = u"English";
            ASSERT_EQ(reader.LoadLayout(language, {}), 0) << c.what;
            EXPECT_EQ(reader.CheckVarIds(vars), c.entry.empty()) << c.what;
        }
        std::vector<std::u16string> entries = SessionLogEntries(LogPath("InfoInterfacceVS"));
        entries.pop_back();
        EXPECT_EQ(entries, c.entry.empty() ? std::vector<std::u16string>{} : std::vector<std::u16string>{c.entry})
            << c.what;
    }
}

TEST_F(LayoutTest, HiddenTabHoldsWhatNoTabPlaces)
{
    // 9 is the calibrable header row of map 8, 10 a fixed-header map's
    // neighbour: only the calibrable header stays out.
    std::vector<REC_CONTROLLO> params = Definitions({1, 9, 2, 10, 3});
    REC_CONTROLLO& map = params.emplace_back();
    map.ID_GUI = 8;
    map.CATEGORIA = CTRL_GRID;
    GridBlock grid;
    grid.PRIMA_RIGA.PRESENTE = PRES_SI;
    grid.PRIMA_RIGA.TIPO_INT = INTST_CAL;
    grid.PRIMA_RIGA.ID_VET_BREAKPS = 9;
    grid.PRIMA_COLONNA.PRESENTE = PRES_NO;
    grid.PRIMA_COLONNA.TIPO_INT = INTST_CAL;
    grid.PRIMA_COLONNA.ID_VET_BREAKPS = 2;  // no header column: 2 is not a header
    map.GRAFICA = grid;
    REC_CONTROLLO& fixed = params.emplace_back();
    fixed.ID_GUI = 11;
    fixed.CATEGORIA = CTRL_GRID;
    GridBlock fixedGrid;
    fixedGrid.PRIMA_COLONNA.ID_VET_BREAKPS = 10;  // a fixed header names no map
    fixed.GRAFICA = fixedGrid;

    REC_INTERFACCIA layout;
    CInterfacciaParametri reader(Write("L.GPC", LayoutText({{1}, {{3}, {8, 11}}})), layout, u"InfoInterfaccePC");
    std::u16string language = u"English";
    ASSERT_EQ(reader.LoadLayout(language, {}), 0);
    EXPECT_FALSE(reader.IsIdPlaced(1));  // the status bar does not place
    EXPECT_TRUE(reader.IsIdPlaced(11));

    reader.AddHiddenParams(params);
    const REC_CARTELLA& hidden = layout.CARTELLA_NASCOSTA;
    EXPECT_EQ(hidden.ID_TAB, 3);
    EXPECT_EQ(hidden.ETICHETTA, u"Controlli Non Visibili");
    EXPECT_EQ(hidden.OPERATORE, OPR_PBL);
    EXPECT_EQ(hidden.PAGINA.RIGHE, 5);
    EXPECT_EQ(hidden.PAGINA.COLONNE, 5);
    EXPECT_EQ(hidden.PAGINA.NUM_TESTI, 0);
    ASSERT_EQ(hidden.PAGINA.NUM_CONTROL, 3);
    std::vector<std::int32_t> keys;
    for (const REC_POS_CONTROLLO& c : hidden.PAGINA.CONTROLLI) {
        keys.push_back(c.ID_GUI);
        EXPECT_EQ(c.POS_X, 0);
        EXPECT_EQ(c.POS_Y, 0);
        EXPECT_EQ(c.POSIZIONATO, 0);
        EXPECT_EQ(c.TAB_INDEX, static_cast<std::int32_t>(keys.size()));
    }
    EXPECT_EQ(keys, (std::vector<std::int32_t>{1, 2, 10}));

    // Every definition placed: label and id, no controls.
    reader.AddHiddenVars(Definitions({3, 8}));
    EXPECT_EQ(hidden.ID_TAB, 3);
    EXPECT_EQ(hidden.ETICHETTA, u"Controlli Non Visibili");
    EXPECT_EQ(hidden.PAGINA.NUM_CONTROL, 0);
    EXPECT_EQ(hidden.PAGINA.RIGHE, 0);
    EXPECT_TRUE(hidden.PAGINA.CONTROLLI.empty());
}

TEST_F(LayoutTest, TestInstallationLayoutsMatchItsDefinitions)
{
    auto load = [&](const std::string& name, const std::u16string& log) {
        auto set = std::make_unique<CControlliConfigurati>(Write(name, DataText(name)), log);
        std::u16string language = u"English";
        EXPECT_EQ(set->Load(language, kLanguages), 0) << name;
        return set;
    };
    const auto params = load("VXG4_R0107.PAR", u"InfoControlliPC");
    const auto vars = load("VXG4_R0107.VAR", u"InfoControlliVS");

    REC_INTERFACCIA gpc;
    REC_INTERFACCIA gvs;
    CInterfacciaParametri gpcReader(Write("VXG4_R0107.GPC", DataText("VXG4_R0107.GPC")), gpc,
                                    u"InfoInterfaccePC");
    CInterfacciaParametri gvsReader(Write("VXG4_R0107.GVS", DataText("VXG4_R0107.GVS")), gvs,
                                    u"InfoInterfacceVS");
    std::u16string language = u"English";
    ASSERT_EQ(gpcReader.LoadLayout(language, kLanguages), 0);
    ASSERT_EQ(gvsReader.LoadLayout(language, kLanguages), 0);
    EXPECT_TRUE(gpcReader.CheckParamIds(params->Controls(), vars->Controls()));
    EXPECT_TRUE(gvsReader.CheckVarIds(vars->Controls()));

    gpcReader.AddHiddenParams(params->Controls());
    gvsReader.AddHiddenVars(vars->Controls());
    std::vector<std::int32_t> hiddenParams;
    for (const REC_POS_CONTROLLO& c : gpc.CARTELLA_NASCOSTA.PAGINA.CONTROLLI)
        hiddenParams.push_back(c.ID_GUI);
    EXPECT_EQ(hiddenParams, (std::vector<std::int32_t>{116, 115}));  // 113 is map 112's header row
    ASSERT_EQ(gvs.CARTELLA_NASCOSTA.PAGINA.CONTROLLI.size(), 1u);
    EXPECT_EQ(gvs.CARTELLA_NASCOSTA.PAGINA.CONTROLLI[0].ID_GUI, 210);
}
