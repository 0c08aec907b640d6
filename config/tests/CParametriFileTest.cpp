#include "config/CParametriFile.h"

#include "CryptFixtures.h"
#include "SessionLogText.h"
#include "TempDir.h"
#include "TestControls.h"
#include "common/Text.h"

#include "Dates.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

using vexar::testing::MakeDefinition;
using vexar::testing::TempDir;
using vexar::testing::TestGridCtrl;
using vexar::testing::TestListCtrl;
using vexar::testing::TestValueCtrl;
using vexar::testing::LocalTime;

namespace {

// One expected parameter line, padded by hand.
std::u16string L(std::u16string_view name, std::u16string_view value, std::u16string_view comment)
{
    std::u16string line(name);
    line.resize(std::max<std::size_t>(line.size(), 33), u' ');
    std::u16string field(value);
    field.resize(std::max<std::size_t>(field.size(), 20), u' ');
    return line + u"\t" + field + u"\t" + std::u16string(comment) + u"\n";
}

std::u16string CipherContents(const std::string& path)
{
    std::u16string text;
    std::string error;
    EXPECT_TRUE(vexar::crypt::ReadCipherText(path, text, error)) << error;
    return text;
}

void WriteCipher(const std::string& path, std::u16string_view text)
{
    std::string error;
    ASSERT_TRUE(vexar::crypt::WriteCipherText(path, text, error)) << error;
}

const std::u16string kHeader = u"<CODICE_ECU>\t\tVXG4\t\t</CODICE_ECU>\n<ID_FIRMWARE>\t\tVXG4_R0107\t\t</ID_FIRMWARE>\n";

// The parameter controls of a small configuration, in two tables as the
// view passes them: the parameter window's table and the diagnosis
// window's table of recovery-action lists.
struct Controls {
    explicit Controls(vexar::testing::Clock clock)
        : name(Def(101, u"Nome_Calibrazione", CTRL_EDIT, u"Name of the calibration", u"\"STANDARD\""), clock),
          flag(Def(102, u"FLAG_A", CTRL_CHECK, u"Enable", u"0"), clock),
          button(Def(103, u"Avviamento_Gas", CTRL_BUTTON, u"Start on gas", u"0"), clock),
          command(Def(104, u"Test_Iniettori", CTRL_BUTTON_CMD, u"", u"0"), clock),
          cylinders(Cylinders(), clock),
          knob(Def(106, u"Temp_Cambio", CTRL_KNOB, u"Changeover temperature", u"35"), clock),
          slide(Def(107, u"Ritardo_Cambio", CTRL_SLIDE, u"Delay", u"3"), clock),
          factor(Def(108, u"Fattore_Iniettori", CTRL_NUMEDIT, u"Injector factor", u"1.00"), clock),
          computed(Def(109, u"Temp_Cambio_F", CTRL_NUMCALC, u"Computed", u"")),
          map(Map(), 2, 3, clock),
          actions(Actions(3), 1.0, clock)
    {
        map.SetXAxis(Def(111, u"AXX", CTRL_GRID, u"Engine speed", u""));
        map.SetYAxis(Def(112, u"AXY", CTRL_GRID, u"Load", u""));
        first = {Entry(name), Entry(flag), Entry(button), Entry(command), Entry(cylinders), Entry(knob),
                 Entry(slide), Entry(factor), Entry(computed), Entry(map)};
        second = {Entry(actions)};
        // A diagnosis entry of the same table has no lines.
        diagnosis = std::make_unique<vexar::testing::TestLiveCtrl>(Def(302, u"Errori_Gas", CTRL_DIAG, u"", u""));
        second.push_back(Entry(*diagnosis));
    }

    static REC_CONTROLLO Def(std::int32_t id, std::u16string ident, std::int32_t category, std::u16string comment,
                             std::u16string value)
    {
        REC_CONTROLLO d = MakeDefinition(id, std::move(ident), category, std::move(comment));
        d.DEFAULT = std::move(value);
        return d;
    }
    static REC_CONTROLLO Cylinders()
    {
        REC_CONTROLLO d = Def(105, u"Numero_Cilindri", CTRL_COMBO, u"Cylinders", u"4");
        std::get<ComboBlock>(d.GRAFICA).VALORE_ITEMS = {3, 4, 5, 6, 8};
        return d;
    }
    static REC_CONTROLLO Map()
    {
        REC_CONTROLLO d = Def(110, u"MAP1", CTRL_GRID, u"Correction map", u"");
        std::get<GridBlock>(d.GRAFICA).FORMATO = u".#";
        return d;
    }
    static REC_CONTROLLO Actions(std::int32_t elements)
    {
        REC_CONTROLLO d = Def(301, u"AZ", CTRL_RIPR, u"Recovery action", u"0");
        std::get<RiprBlock>(d.GRAFICA).NUM_ERRORI = elements;
        return d;
    }
    static CTRL_WND Entry(IDataCtrl& control)
    {
        CTRL_WND entry;
        entry.key = control.GetDefinition().ID_GUI;
        entry.category = control.GetDefinition().CATEGORIA;
        entry.wnd = &control;
        return entry;
    }

    void SetValues()
    {
        name.SetText(u"TEST");
        flag.SetNumber(1);
        button.SetNumber(1);
        command.SetNumber(0);
        cylinders.SetNumber(6);
        knob.SetNumber(42.5);
        slide.SetNumber(7);
        factor.SetNumber(1.25);
        const double cells[2][3] = {{0, 1.5, 3}, {-2, 0.5, 2.5}};
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                map.SetCell(r, c, cells[r][c]);
        map.SetX(0, 1500);
        map.SetX(1, 3000);
        map.SetX(2, 4500);
        map.SetY(0, 20);
        map.SetY(1, 80);
        actions.SetRaw(0, 4);
        actions.SetRaw(1, 0);
        actions.SetRaw(2, 8);
    }

    void Attach(CParametriFile& file)
    {
        file.SetControls(static_cast<std::int32_t>(first.size()), first.data(),
                         static_cast<std::int32_t>(second.size()), second.data());
    }

    TestValueCtrl name, flag, button, command, cylinders, knob, slide, factor, computed;
    TestGridCtrl map;
    TestListCtrl actions;
    std::unique_ptr<vexar::testing::TestLiveCtrl> diagnosis;
    CTRL_TABLE first;
    CTRL_TABLE second;
};

class CalibrationFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("VEXAR_HOME", m_home.path().c_str(), 1);
        std::filesystem::create_directories(m_home.file("Log"));
        unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
    }
    void TearDown() override
    {
        unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
        unsetenv("VEXAR_HOME");
    }

    std::string Path(const std::string& name) const { return m_dir.file(name); }
    std::vector<std::u16string> Log() const { return SessionLogEntries(m_home.file("Log/InfoFileParametri.log")); }
    std::u16string LastLog() const
    {
        const auto entries = Log();
        return entries.empty() ? std::u16string() : entries.back();
    }
    std::u16string P(const std::string& path) const { return vexar::ToUtf16(path); }

    std::time_t m_now = LocalTime(2010, 6, 15, 9, 0, 0);
    vexar::testing::Clock m_clock = [this] { return m_now; };
    TempDir m_home;
    TempDir m_dir;
};

const std::u16string kParameterLines =
    L(u"Nome_Calibrazione", u"\"TEST\"", u"Name of the calibration") + L(u"FLAG_A", u"1", u"Enable") +
    L(u"Avviamento_Gas", u"1", u"Start on gas") + L(u"Test_Iniettori", u"0", u"") +
    L(u"Numero_Cilindri", u"6", u"Cylinders") + L(u"Temp_Cambio", u"42.500000", u"Changeover temperature") +
    L(u"Ritardo_Cambio", u"7.000000", u"Delay") + L(u"Fattore_Iniettori", u"1.25", u"Injector factor") +
    // The map: cells row by row, then the X and the Y points, each block's
    // comment on its first line only.
    L(u"MAP1[0,0]", u"0", u"Correction map") + L(u"MAP1[0,1]", u"1.5", u"") + L(u"MAP1[0,2]", u"3", u"") +
    L(u"MAP1[1,0]", u"-2", u"") + L(u"MAP1[1,1]", u"0.5", u"") + L(u"MAP1[1,2]", u"2.5", u"") +
    L(u"AXX[0,0]", u"1500", u"Engine speed") + L(u"AXX[0,1]", u"3000", u"") + L(u"AXX[0,2]", u"4500", u"") +
    L(u"AXY[0,0]", u"20", u"Load") + L(u"AXY[1,0]", u"80", u"") +
    // The recovery-action list of the second table.
    L(u"AZ[0]", u"4", u"Recovery action") + L(u"AZ[1]", u"0", u"Recovery action") +
    L(u"AZ[2]", u"8", u"Recovery action");

TEST_F(CalibrationFile, SavedCalibrationDeciphersToGoldenText)
{
    Controls controls(m_clock);
    controls.SetValues();
    CParametriFile file("", u"InfoFileParametri");
    COMMENTO comment;
    comment.text = u"Tuned on the dyno\nsecond line";
    comment.time = LocalTime(2010, 6, 14, 18, 30, 5);
    file.GetCommenti().AddComment(comment);
    file.SetFileName(Path("car.DAT"));
    controls.Attach(file);
    ASSERT_EQ(file.Write(u"VXG4", u"VXG4_R0107", ""), 0);

    // Every value that differs from its control's default is a change.
    const auto change = [](std::u16string_view id, std::u16string_view before, std::u16string_view now) {
        return u"<MODIFICA>\n\t<DATA>\tTuesday, 15/06/2010\t</DATA>\n\t<ORA>\t09:00:00\t</ORA>\n"
               u"\t<IDENTIFICATORE>\t" + std::u16string(id) + u"\t</IDENTIFICATORE>\n\t\t<PRECEDENTE>\t" +
               std::u16string(before) + u"\t</PRECEDENTE>\n\t\t<CORRENTE>\t" + std::u16string(now) +
               u"\t</CORRENTE>\n</MODIFICA>\n";
    };
    const std::u16string expected =
        kHeader + kParameterLines +
        u"<COMMENTO>\n<DATA>\t\tMonday, 14/06/2010\t</DATA>\n<ORA>\t\t18:30:05\t</ORA>\n<TESTO>\n"
        u"Tuned on the dyno\nsecond line\n</TESTO>\n</COMMENTO>\n"
        u"<INIZIO_MODIFICHE>\n" +
        change(u"Nome_Calibrazione", u"\"STANDARD\"", u"\"TEST\"") + change(u"FLAG_A", u"0", u"1") +
        change(u"Avviamento_Gas", u"0", u"1") + change(u"Numero_Cilindri", u"4", u"6") +
        change(u"Temp_Cambio", u"35", u"42.500000") + change(u"Ritardo_Cambio", u"3", u"7.000000") +
        change(u"Fattore_Iniettori", u"1.00", u"1.25") + change(u"AZ[0]", u"0", u"4") + change(u"AZ[2]", u"0", u"8");
    EXPECT_EQ(CipherContents(Path("car.DAT")), expected);
}

TEST_F(CalibrationFile, LoadingRestoresEveryValueCommentAndChange)
{
    Controls saved(m_clock);
    saved.SetValues();
    CParametriFile writer(Path("car.DAT"), u"InfoFileParametri");
    COMMENTO comment;
    comment.text = u"first";
    comment.time = LocalTime(2010, 6, 14, 18, 30, 5);
    writer.GetCommenti().AddComment(comment);
    saved.Attach(writer);
    ASSERT_EQ(writer.Write(u"VXG4", u"VXG4_R0107", ""), 0);
    const int changes = writer.GetModifiche().GetCount();

    Controls loaded(m_clock);
    CParametriFile reader("", u"InfoFileParametri");
    loaded.Attach(reader);
    std::u16string fileFirmware = u"stale";
    bool nameFound = false;
    ASSERT_EQ(reader.Read(u"VXG4", u"VXG4_R0107", fileFirmware, Path("car.DAT"), nameFound), 0) << vexar::ToUtf8(LastLog());
    EXPECT_TRUE(nameFound);
    EXPECT_EQ(fileFirmware, u"");
    EXPECT_EQ(loaded.name.Text(), u"TEST");
    EXPECT_EQ(loaded.flag.GetValue(), 1);
    EXPECT_EQ(loaded.button.GetValue(), 1);
    EXPECT_EQ(loaded.command.GetValue(), 0);
    EXPECT_EQ(loaded.cylinders.GetValue(), 6);
    EXPECT_EQ(loaded.knob.GetValue(), 42.5);
    EXPECT_EQ(loaded.slide.GetValue(), 7);
    EXPECT_EQ(loaded.factor.GetValue(), 1.25);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(loaded.map.Cell(r, c), saved.map.Cell(r, c)) << r << "," << c;
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(loaded.map.X(c), saved.map.X(c));
    for (int r = 0; r < 2; ++r)
        EXPECT_EQ(loaded.map.Y(r), saved.map.Y(r));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(loaded.actions.Raw(i), saved.actions.Raw(i));
    ASSERT_EQ(reader.GetCommenti().GetCount(), 1);
    EXPECT_EQ(reader.GetCommenti().GetList()[0].text, u"first");
    EXPECT_EQ(reader.GetModifiche().GetCount(), changes);
    EXPECT_TRUE(Log().empty());

    // Saving what was loaded, unchanged, gives the same file again.
    const std::u16string before = CipherContents(Path("car.DAT"));
    ASSERT_EQ(reader.Write(u"VXG4", u"VXG4_R0107", Path("again.DAT")), 0);
    EXPECT_EQ(CipherContents(Path("again.DAT")), before);
}

TEST_F(CalibrationFile, ASecondSaveAfterOneChangeAddsExactlyOneRecord)
{
    Controls controls(m_clock);
    controls.SetValues();
    CParametriFile file(Path("car.DAT"), u"InfoFileParametri");
    controls.Attach(file);
    ASSERT_EQ(file.Write(u"VXG4", u"VXG4_R0107", ""), 0);
    std::u16string fw;
    bool nameFound = false;
    ASSERT_EQ(file.Read(u"VXG4", u"VXG4_R0107", fw, "", nameFound), 0);
    const std::int32_t before = file.GetModifiche().GetCount();

    m_now = LocalTime(2010, 6, 16, 10, 0, 0);
    controls.map.SetCell(1, 2, 4);
    ASSERT_EQ(file.Write(u"VXG4", u"VXG4_R0107", ""), 0);
    ASSERT_EQ(file.GetModifiche().GetCount(), before + 1);
    const MODIFICA& last = file.GetModifiche().GetList().back();
    EXPECT_EQ(last.IDENTIFICATORE, u"MAP1[1,2]");
    EXPECT_EQ(last.PRECEDENTE, u"2.5");
    EXPECT_EQ(last.CORRENTE, u"4");
    EXPECT_EQ(last.time, m_now);

    // A third save without a change records nothing more.
    ASSERT_EQ(file.Write(u"VXG4", u"VXG4_R0107", ""), 0);
    EXPECT_EQ(file.GetModifiche().GetCount(), before + 1);
}

TEST_F(CalibrationFile, FirmwareRule)
{
    struct Case {
        std::u16string file, current;
        bool suits;
    };
    const Case cases[] = {
        // The 11th unit (index 10) decides once the first three agree.
        {u"VXG4_R0107", u"VXG4_R0107", true},
        {u"ABC_FW_R013", u"ABC_FW_R011", true},     // '3' and '1': both 0..4
        {u"ABC_FW_R013", u"ABC_FW_R016", false},    // '3' against '6'
        {u"ABC_FW_R01A", u"ABC_FW_R017", true},     // 'A' against '7': both '5' or above
        {u"ABC_FW_R015", u"ABC_FW_R014", false},    // '5' against '4'
        {u"abc_FW_R013-x", u"ABC_xx_R014", true},   // first three compared in upper case; the rest not
        {u"ABD_FW_R013", u"ABC_FW_R013", false},
        {u"ABCDEFGHIJ", u"ABCDEFGHIK", false},      // ten units never suit unless equal
        {u"ABCDEFGHIJ", u"ABCDEFGHIJ", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CParametriFile::FirmwareSuits(c.file, c.current), c.suits) << vexar::ToUtf8(c.file);
        WriteCipher(Path("fw.DAT"), u"<CODICE_ECU>\t\tX\t\t</CODICE_ECU>\n<ID_FIRMWARE>\t\t" + c.file +
                                        u"\t\t</ID_FIRMWARE>\n");
        CParametriFile file("", u"InfoFileParametri");
        std::u16string fileFirmware = u"stale";
        EXPECT_EQ(file.CheckFirmware(Path("fw.DAT"), c.current, fileFirmware), c.suits ? 0 : 2)
            << vexar::ToUtf8(c.file);
        EXPECT_EQ(fileFirmware, c.file == c.current ? u"" : c.file) << vexar::ToUtf8(c.file);
    }
}

TEST_F(CalibrationFile, ReadResultsAndMessages)
{
    const std::string path = Path("bad.DAT");
    const std::u16string p = P(path);
    const std::u16string firmwareMessage =
        u"Firmware del file dei parametri \"ABC_FW_V036\" non corretto.\nFirmware attualmente impostato "
        u"\"ABC_FW_V031\"";
    struct Case {
        const char* what;
        std::u16string text;  // empty: no file
        std::int32_t result;
        std::u16string message;
    };
    const std::u16string header = u"<CODICE_ECU>\t\tX\t\t</CODICE_ECU>\n<ID_FIRMWARE>\t\tABC_FW_V031\t\t</ID_FIRMWARE>\n";
    const Case cases[] = {
        {"no file", u"", 1, u"Impossibile leggere il file " + p},
        {"no line at all", u"\n", 3, u"Marcatore <CODICE_ECU> non trovato all'interno del file: \n" + p},
        {"firmware line missing", u"<CODICE_ECU>\t\tX\t\t</CODICE_ECU>\n", 3,
         u"Impossibile leggere la riga corrente all'interno del file: \n" + p},
        {"firmware line out of place", u"<CODICE_ECU>\t\tX\t\t</CODICE_ECU>\n\n<ID_FIRMWARE>\t1\t</ID_FIRMWARE>\n", 3,
         u"Marcatore <ID_FIRMWARE> non trovato all'interno del file: \n" + p},
        {"firmware unsuitable",
         u"<CODICE_ECU>\t\tX\t\t</CODICE_ECU>\n<ID_FIRMWARE>\t\tABC_FW_V036\t\t</ID_FIRMWARE>\n", 2,
         firmwareMessage},
        {"a value refused", header + L(u"Temp_Cambio", u"4x", u""), 2,
         u"Errore durante la lettura del parametro \"Temp_Cambio\"\nnel file :  \"" + p + u"\""},
        {"comments unreadable", header + u"<COMMENTO>\n<ORA>\t\t10:00:00\t</ORA>\n", 2,
         u"Impossibile leggere i commenti nel file: \"" + p + u"\""},
        {"history unreadable", header + u"<INIZIO_MODIFICHE>\n<MODIFICA>\n", 2,
         u"Impossibile leggere i commenti nel file: \"" + p + u"\""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path);
        if (!c.text.empty())
            WriteCipher(path, c.text);
        Controls controls(m_clock);
        CParametriFile file("", u"InfoFileParametri");
        controls.Attach(file);
        std::u16string fileFirmware;
        bool nameFound = true;
        EXPECT_EQ(file.Read(u"X", u"ABC_FW_V031", fileFirmware, path, nameFound), c.result) << c.what;
        EXPECT_EQ(LastLog(), c.message) << c.what;
        EXPECT_FALSE(nameFound) << c.what;
    }

    // A path that exists but cannot be deciphered.
    std::filesystem::create_directories(Path("folder.DAT"));
    CParametriFile file("", u"InfoFileParametri");
    std::u16string fileFirmware;
    bool nameFound = false;
    EXPECT_EQ(file.Read(u"X", u"ABC_FW_V031", fileFirmware, Path("folder.DAT"), nameFound), 2);
    EXPECT_EQ(LastLog(), u"Impossibile aprire il file " + P(Path("folder.DAT")) + u" in lettura");
    std::u16string firmware;
    EXPECT_EQ(file.CheckFirmware(Path("missing.DAT"), u"ABC_FW_V031", firmware), 1);
    EXPECT_EQ(LastLog(), u"Impossibile leggere il file " + P(Path("missing.DAT")));
    EXPECT_EQ(file.ReadHeader(Path("folder.DAT"), firmware), 2);
}

TEST_F(CalibrationFile, ASuitableOtherFirmwareIsReadAndHandedOut)
{
    WriteCipher(Path("other.DAT"), u"<CODICE_ECU>\t\tX\t\t</CODICE_ECU>\n<ID_FIRMWARE>\t\tABC_FW_V033\t\t</ID_FIRMWARE>\n" +
                                       L(u"FLAG_A", u"1", u""));
    Controls controls(m_clock);
    CParametriFile file("", u"InfoFileParametri");
    controls.Attach(file);
    std::u16string fileFirmware;
    bool nameFound = false;
    ASSERT_EQ(file.Read(u"X", u"ABC_FW_V031", fileFirmware, Path("other.DAT"), nameFound), 0);
    EXPECT_EQ(fileFirmware, u"ABC_FW_V033");
    EXPECT_EQ(controls.flag.GetValue(), 1);
    EXPECT_EQ(LastLog(), u"Firmware del file dei parametri \"ABC_FW_V033\" non corretto.\nFirmware attualmente "
                         u"impostato \"ABC_FW_V031\"");
}

TEST_F(CalibrationFile, ForeignLinesArePassedOverAndTheSectionEndsOnlyAtItsTags)
{
    // An unknown parameter, a line of a category without lines, a blank
    // line and a comment mentioning COMMENTO are all passed over or read as
    // parameters; a history without comments follows.
    const std::u16string text =
        kHeader + L(u"Unknown_Param", u"5", u"") + L(u"Temp_Cambio_F", u"9", u"") + u"\n" +
        L(u"Nome_Calibrazione", u"\"COMMENTO di prova\"", u"mentions COMMENTO") + L(u"FLAG_A", u"1", u"COMMENTO") +
        L(u"Temp_Cambio", u"50", u"") +
        u"<INIZIO_MODIFICHE>\n<MODIFICA>\n\t<DATA>\tMonday, 03/11/2008\t</DATA>\n\t<ORA>\t14:05:09\t</ORA>\n"
        u"\t<IDENTIFICATORE>\tP1\t</IDENTIFICATORE>\n\t\t<PRECEDENTE>\t10\t</PRECEDENTE>\n"
        u"\t\t<CORRENTE>\t12\t</CORRENTE>\n</MODIFICA>\n";
    WriteCipher(Path("car.DAT"), text);
    Controls controls(m_clock);
    CParametriFile file("", u"InfoFileParametri");
    controls.Attach(file);
    std::u16string fileFirmware;
    bool nameFound = false;
    ASSERT_EQ(file.Read(u"VXG4", u"VXG4_R0107", fileFirmware, Path("car.DAT"), nameFound), 0) << vexar::ToUtf8(LastLog());
    EXPECT_TRUE(nameFound);
    EXPECT_EQ(controls.name.Text(), u"COMMENTO di prova");
    EXPECT_EQ(controls.flag.GetValue(), 1);
    EXPECT_EQ(controls.knob.GetValue(), 50);
    EXPECT_EQ(file.GetCommenti().GetCount(), 0);
    ASSERT_EQ(file.GetModifiche().GetCount(), 1);
    EXPECT_EQ(file.GetModifiche().GetList()[0].IDENTIFICATORE, u"P1");
}

TEST_F(CalibrationFile, ACommentMentioningCommentoRoundTrips)
{
    Controls controls(m_clock);
    controls.SetValues();
    controls.name.SetText(u"<COMMENTO> test");
    CParametriFile file(Path("car.DAT"), u"InfoFileParametri");
    COMMENTO comment;
    comment.text = u"COMMENTO\n</COMMENTO> inside";
    comment.time = m_now;
    file.GetCommenti().AddComment(comment);
    controls.Attach(file);
    ASSERT_EQ(file.Write(u"VXG4", u"VXG4_R0107", ""), 0);

    Controls loaded(m_clock);
    CParametriFile reader("", u"InfoFileParametri");
    loaded.Attach(reader);
    std::u16string fileFirmware;
    bool nameFound = false;
    ASSERT_EQ(reader.Read(u"VXG4", u"VXG4_R0107", fileFirmware, Path("car.DAT"), nameFound), 0) << vexar::ToUtf8(LastLog());
    EXPECT_EQ(loaded.name.Text(), u"<COMMENTO> test");
    EXPECT_EQ(loaded.knob.GetValue(), 42.5);
    ASSERT_EQ(reader.GetCommenti().GetCount(), 1);
    EXPECT_EQ(reader.GetCommenti().GetList()[0].text, u"COMMENTO\n</COMMENTO> inside");
}

TEST_F(CalibrationFile, AGroupThatTakesNoLineDoesNotLoopTheReader)
{
    // A list of no elements refuses its own element 0 and asks for it to
    // be treated again; the reader passes the line over instead.
    TestListCtrl empty(Controls::Actions(0), 1.0, m_clock);
    TestValueCtrl flag(Controls::Def(102, u"FLAG_A", CTRL_CHECK, u"", u"0"), m_clock);
    CTRL_TABLE first = {Controls::Entry(empty), Controls::Entry(flag)};
    WriteCipher(Path("car.DAT"), kHeader + L(u"AZ[0]", u"4", u"") + L(u"FLAG_A", u"1", u""));
    CParametriFile file("", u"InfoFileParametri");
    file.SetControls(2, first.data(), 0, nullptr);
    std::u16string fileFirmware;
    bool nameFound = false;
    EXPECT_EQ(file.Read(u"VXG4", u"VXG4_R0107", fileFirmware, Path("car.DAT"), nameFound), 0);
    EXPECT_EQ(flag.GetValue(), 1);
}

TEST_F(CalibrationFile, AListStartingAgainIsReadAgain)
{
    // Element lines 0, 1 and then 0 again: the list takes the second run.
    Controls controls(m_clock);
    WriteCipher(Path("car.DAT"), kHeader + L(u"FLAG_A", u"1", u"") + L(u"AZ[0]", u"4", u"") + L(u"AZ[1]", u"8", u"") +
                                     L(u"AZ[0]", u"0", u"") + L(u"AZ[1]", u"4", u"") + L(u"AZ[2]", u"8", u""));
    CParametriFile file("", u"InfoFileParametri");
    controls.Attach(file);
    std::u16string fileFirmware;
    bool nameFound = false;
    ASSERT_EQ(file.Read(u"VXG4", u"VXG4_R0107", fileFirmware, Path("car.DAT"), nameFound), 0);
    EXPECT_EQ(controls.actions.Raw(0), 0);
    EXPECT_EQ(controls.actions.Raw(1), 4);
    EXPECT_EQ(controls.actions.Raw(2), 8);
    EXPECT_EQ(controls.flag.GetValue(), 1);
}

TEST_F(CalibrationFile, ADamagedRecoveryActionLineCostsOnlyItsElement)
{
    // Element 1 has lost its value field; the list keeps that element as
    // it was and takes the others, and the file loads.
    Controls controls(m_clock);
    controls.actions.SetRaw(1, 5);
    WriteCipher(Path("car.DAT"), kHeader + L(u"FLAG_A", u"1", u"") + L(u"AZ[0]", u"4", u"") + u"AZ[1]\n" +
                                     L(u"AZ[2]", u"8", u""));
    CParametriFile file("", u"InfoFileParametri");
    controls.Attach(file);
    std::u16string fileFirmware;
    bool nameFound = false;
    ASSERT_EQ(file.Read(u"VXG4", u"VXG4_R0107", fileFirmware, Path("car.DAT"), nameFound), 0);
    EXPECT_EQ(controls.actions.Raw(0), 4);
    EXPECT_EQ(controls.actions.Raw(1), 5);
    EXPECT_EQ(controls.actions.Raw(2), 8);
    EXPECT_EQ(controls.flag.GetValue(), 1);
}

TEST_F(CalibrationFile, AFailedSaveLeavesThePreviousFileAndSaysSo)
{
    Controls controls(m_clock);
    controls.SetValues();
    CParametriFile file(Path("car.DAT"), u"InfoFileParametri");
    controls.Attach(file);
    ASSERT_EQ(file.Write(u"VXG4", u"VXG4_R0107", ""), 0);
    const std::string previous = vexar::testing::ReadAll(Path("car.DAT"));

    controls.knob.SetNumber(60);
    for (const char* step : {"create", "write", "flush", "rename"}) {
        setenv("VEXAR_FAULT_ATOMIC_WRITE", step, 1);
        EXPECT_EQ(file.Write(u"VXG4", u"VXG4_R0107", ""), 2) << step;
        EXPECT_EQ(vexar::testing::ReadAll(Path("car.DAT")), previous) << step;
        EXPECT_EQ(LastLog(), u"Impossibile scrivere il file " + P(Path("car.DAT"))) << step;
    }
    // The folder's flush fails after the new file took the old one's place:
    // still a failed save for the user, who can save again.
    setenv("VEXAR_FAULT_ATOMIC_WRITE", "syncdir", 1);
    EXPECT_EQ(file.Write(u"VXG4", u"VXG4_R0107", ""), 2);
    EXPECT_NE(vexar::testing::ReadAll(Path("car.DAT")), previous);
    EXPECT_EQ(LastLog(), u"Impossibile scrivere il file " + P(Path("car.DAT")));
    unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir.path()))
        ++files;
    EXPECT_EQ(files, 1u);
}

TEST_F(CalibrationFile, ANameInBothTablesBelongsToTheFirstUntilTheSecondIsReached)
{
    TestValueCtrl firstFlag(Controls::Def(1, u"FLAG_A", CTRL_CHECK, u"", u"0"), m_clock);
    TestListCtrl list(Controls::Actions(1), 1.0, m_clock);
    TestValueCtrl secondFlag(Controls::Def(2, u"FLAG_A", CTRL_CHECK, u"", u"0"), m_clock);
    CTRL_TABLE first = {Controls::Entry(firstFlag)};
    CTRL_TABLE second = {Controls::Entry(list), Controls::Entry(secondFlag)};
    WriteCipher(Path("car.DAT"), kHeader + L(u"FLAG_A", u"1", u"") + L(u"AZ[0]", u"4", u"") + L(u"FLAG_A", u"5", u""));
    CParametriFile file("", u"InfoFileParametri");
    file.SetControls(1, first.data(), 2, second.data());
    std::u16string fileFirmware;
    bool nameFound = false;
    ASSERT_EQ(file.Read(u"VXG4", u"VXG4_R0107", fileFirmware, Path("car.DAT"), nameFound), 0);
    EXPECT_EQ(firstFlag.GetValue(), 1);
    EXPECT_EQ(list.Raw(0), 4);
    EXPECT_EQ(secondFlag.GetValue(), 5);
}

}  // namespace
