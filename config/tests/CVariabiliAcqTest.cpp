#include "config/CVariabiliAcq.h"

#include "SessionLogText.h"
#include "TempDir.h"
#include "TestControls.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "config/AcqSample.h"
#include "config/CVEXARContext.h"

#include "Dates.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using vexar::testing::MakeDefinition;
using vexar::testing::TempDir;
using vexar::testing::TestLiveCtrl;
using vexar::testing::LocalTime;

namespace {

std::u16string Pad(std::u16string_view text)
{
    std::u16string field(text);
    field.resize(std::max<std::size_t>(field.size(), 33), u' ');
    return field + u"\t";
}

std::u16string UnicodeContents(const std::string& path)
{
    const std::string bytes = vexar::testing::ReadAll(path);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE"));
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
}

void WriteUnicode(const std::string& path, std::u16string_view text)
{
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode));
    ASSERT_TRUE(file.WriteString(text));
    ASSERT_TRUE(file.Close());
}

struct RecordingSink : IGraphPointSink {
    void OnGraphPoint(const GRAPH_POINT& point) override
    {
        points.push_back({point.time, std::u16string(point.Identifier()), point.value});
    }
    void OnGraphPointsEnd() override { ++ends; }

    struct Point {
        double time;
        std::u16string name;
        double value;
        bool operator==(const Point&) const = default;
    };
    std::vector<Point> points;
    int ends = 0;
};

std::ostream& operator<<(std::ostream& os, const RecordingSink::Point& p)
{
    return os << "{" << p.time << ", " << vexar::ToUtf8(p.name) << ", " << p.value << "}";
}

const std::u16string kLongLabel = u"Temperatura del riduttore lato gas (C)xx";  // 40 units

// The lines a recording of the three variables below writes, up to the
// samples.
std::u16string Header(std::u16string_view firmware = u"VXG4_R0107")
{
    return u"<CODICE_ECU>\t\tVXG4\t\t</CODICE_ECU>\n"
           u"<ID_FIRMWARE>\t\t" + std::u16string(firmware) + u"\t\t</ID_FIRMWARE>\n"
           u"\t<DATA>\t\tTuesday, 20/07/2010\t</DATA>\n"
           u"\t<ORA>\t\t08:30:00\t</ORA>\n"
           u"<VARIABILI>\n"
           u"<NUM_VAR>\t 3 \t</NUM_VAR>\n"
           u"<INDEX_COL>\t 0 \t</INDEX_COL>\n<ETICHETTA>\tRPM\t</ETICHETTA>\n"
           u"<IDENTIFICATORE>\tGiri_Motore\t</IDENTIFICATORE>\n"
           u"<INDEX_COL>\t 1 \t</INDEX_COL>\n<ETICHETTA>\tPressione gas\t</ETICHETTA>\n"
           u"<IDENTIFICATORE>\tPressione_Gas\t</IDENTIFICATORE>\n"
           u"<INDEX_COL>\t 2 \t</INDEX_COL>\n<ETICHETTA>\t" + kLongLabel + u"\t</ETICHETTA>\n"
           u"<IDENTIFICATORE>\tTemp_Riduttore\t</IDENTIFICATORE>\n"
           u"</VARIABILI>\n"
           u"<ACQ_FREQ>\t\t500\t\t</ACQ_FREQ>\n" +
           Pad(u"RPM") + Pad(u"Pressione gas") + kLongLabel + u"\t\n";
}

class Acquisition : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("VEXAR_HOME", m_home.path().c_str(), 1);
        std::filesystem::create_directories(m_home.file("Log"));
    }
    void TearDown() override { unsetenv("VEXAR_HOME"); }

    std::vector<std::u16string> Log(const char* name) const
    {
        return SessionLogEntries(m_home.file(std::string("Log/") + name + ".log"));
    }
    std::string Path(const std::string& name) const { return m_dir.file(name); }

    TempDir m_home;
    TempDir m_dir;
};

TEST_F(Acquisition, ARecordingThroughTheSampleFormattingGivesGoldenLines)
{
    REC_CONTROLLO rpm = MakeDefinition(201, u"Giri_Motore", CTRL_RPM, u"", u"RPM");
    std::get<TermBlock>(rpm.GRAFICA).SCALA = 2;
    TestLiveCtrl engine(rpm, 25.0);
    TestLiveCtrl pressure(MakeDefinition(202, u"Pressione_Gas", CTRL_NUMERIC, u"", u"Pressione gas"), 0.01, -1.0);
    TestLiveCtrl reducer(MakeDefinition(203, u"Temp_Riduttore", CTRL_BAR, u"", kLongLabel), 0.5);
    CTRL_TABLE table(3);
    table[0] = {201, CTRL_RPM, 0, 0, 1, 0, false, &engine};
    table[1] = {202, CTRL_NUMERIC, 0, 1, 2, 0, false, &pressure};
    table[2] = {203, CTRL_BAR, 0, 3, 1, 0, false, &reducer};

    // The program's recorder lives in the application context; a second
    // context in the same process has its own.
    CVEXARContext context;
    CVEXARContext other;
    CVariabiliAcq& recorder = context.m_acqFile;
    recorder.SetClock([] { return LocalTime(2010, 7, 20, 8, 30, 0); });
    recorder.SetVariables(3, table.data());
    ASSERT_EQ(recorder.WriteHeader(u"VXG4", u"VXG4_R0107", u"500", Path("Acquisizione.acq")), 0);

    // One tick: physical values, the last control ending the line; the
    // next: raw values.
    GRAPH_POINT live;
    EXPECT_TRUE(engine.OnAcqSample({0.5, 32, 3}, recorder, &live));
    EXPECT_EQ(live.time, 0.5);
    EXPECT_EQ(live.Identifier(), u"Giri_Motore");
    EXPECT_EQ(live.value, 800.0);
    EXPECT_EQ(live.display, 2);
    EXPECT_TRUE(pressure.OnAcqSample({0.5, 255, 3}, recorder, &live));
    EXPECT_EQ(live.value, 1.55);
    EXPECT_EQ(live.display, 0);
    EXPECT_TRUE(reducer.OnAcqSample({0.5, -7, 4}, recorder, nullptr));
    EXPECT_FALSE(engine.OnAcqSample({1.0, 99, 0}, recorder, &live));  // marker 0 records nothing
    EXPECT_TRUE(engine.OnAcqSample({1.0, 33, 1}, recorder, nullptr));
    EXPECT_TRUE(pressure.OnAcqSample({1.0, 256, 1}, recorder, nullptr));
    EXPECT_TRUE(reducer.OnAcqSample({1.0, -8, 2}, recorder, nullptr));

    COMMENTO comment;
    comment.text = u"Prova su strada";
    comment.time = LocalTime(2010, 7, 20, 8, 31, 10);
    recorder.m_commenti.AddComment(comment);
    ASSERT_EQ(recorder.WriteComments(), 0);
    EXPECT_FALSE(recorder.IsOpen());
    EXPECT_EQ(recorder.m_commenti.GetCount(), 0);

    const std::u16string expected = Header() + Pad(u"800.000000") + Pad(u"1.550000") + Pad(u"-3.500000") + u"\n" +
                                    Pad(u"33") + Pad(u"256") + Pad(u"-8") + u"\n" +
                                    u"<COMMENTO>\n<DATA>\t\tTuesday, 20/07/2010\t</DATA>\n<ORA>\t\t08:31:10\t</ORA>\n"
                                    u"<TESTO>\nProva su strada\n</TESTO>\n</COMMENTO>\n";
    EXPECT_EQ(UnicodeContents(Path("Acquisizione.acq")), expected);

    // The file reads back: header, comment, and the points of both lines.
    CVariabiliAcq replay("", u"InfoFileAcquisizioniOL");
    std::vector<std::u16string> labels, identifiers;
    std::u16string text = u"untouched", fileFirmware;
    bool hasIdentifiers = false;
    std::int32_t headerLines = 0;
    ASSERT_EQ(replay.ReadHeader(u"VXG4_R0107", Path("Acquisizione.acq"), labels, identifiers, text, hasIdentifiers,
                                headerLines, fileFirmware),
              0);
    EXPECT_EQ(labels, (std::vector<std::u16string>{u"RPM", u"Pressione gas", kLongLabel}));
    EXPECT_EQ(identifiers, (std::vector<std::u16string>{u"Giri_Motore", u"Pressione_Gas", u"Temp_Riduttore"}));
    EXPECT_TRUE(hasIdentifiers);
    EXPECT_EQ(headerLines, 16);
    EXPECT_EQ(fileFirmware, u"");
    EXPECT_EQ(text, u"Tuesday, 20/07/2010\r\n08:31:10\r\nProva su strada");
    RecordingSink sink;
    ASSERT_EQ(replay.ReadSamples(Path("Acquisizione.acq"), sink, identifiers, headerLines, {}), 0);
    using P = RecordingSink::Point;
    EXPECT_EQ(sink.points, (std::vector<P>{{0.5, u"Giri_Motore", 800.0},
                                           {0.5, u"Pressione_Gas", 1.55},
                                           {0.5, u"Temp_Riduttore", -3.5},
                                           {1.0, u"Giri_Motore", 33.0},
                                           {1.0, u"Pressione_Gas", 256.0},
                                           {1.0, u"Temp_Riduttore", -8.0}}));
    EXPECT_EQ(sink.ends, 1);
    (void)other;
}

TEST(AcqSampleFormat, MarkersChooseRawOrPhysicalAndTheLineEnd)
{
    struct Case {
        std::int32_t raw;
        std::int32_t marker;
        double physical;
        std::u16string expected;
    };
    const Case cases[] = {
        {12, 1, 9.5, Pad(u"12")},
        {-12, 2, 9.5, Pad(u"-12")},
        {12, 3, 9.5, Pad(u"9.500000")},
        {12, 4, -0.25, Pad(u"-0.250000")},
        {12, 0, 9.5, u""},
        {12, 5, 9.5, u""},
        {12, -1, 9.5, u""},
        // A field of 33 units or more gets no blank.
        {0, 3, 1e30, u"1000000000000000019884624838656.000000\t"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CUtility::FormatAcqSample({0.0, c.raw, c.marker}, c.physical), c.expected) << c.marker;
}

TEST_F(Acquisition, WithoutAnOpenFileSamplesAreDroppedAndCommentsReportFailure)
{
    CVariabiliAcq recorder("", u"InfoFileAcquisizioni");
    EXPECT_EQ(recorder.WriteSample(Pad(u"1"), true), 0);
    COMMENTO comment;
    comment.text = u"x";
    recorder.m_commenti.AddComment(comment);
    EXPECT_EQ(recorder.WriteComments(), 2);
    EXPECT_EQ(recorder.m_commenti.GetCount(), 0);
    const auto log = Log("InfoFileAcquisizioni");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), u"Impossibile scrivere i commenti nel file: \"\"");
    // A header that cannot be created.
    EXPECT_EQ(recorder.WriteHeader(u"VXG4", u"F", u"500", Path("no/such/folder/a.acq")), 2);
    EXPECT_FALSE(recorder.IsOpen());
}

// ---- Reading headers -----------------------------------------------------------

std::u16string TwoColumns(bool identifiers, std::u16string_view firmware = u"VXG4_R0107")
{
    std::u16string text = u"<CODICE_ECU>\t\tVXG4\t\t</CODICE_ECU>\n<ID_FIRMWARE>\t\t" + std::u16string(firmware) +
                          u"\t\t</ID_FIRMWARE>\n\t<DATA>\t\tTuesday, 20/07/2010\t</DATA>\n\t<ORA>\t\t08:30:00\t</ORA>\n"
                          u"<VARIABILI>\n<NUM_VAR>\t 2 \t</NUM_VAR>\n";
    text += u"<INDEX_COL>\t 0 \t</INDEX_COL>\n<ETICHETTA>\tRPM\t</ETICHETTA>\n";
    if (identifiers)
        text += u"<IDENTIFICATORE>\tGiri_Motore\t</IDENTIFICATORE>\n";
    text += u"<INDEX_COL>\t 1 \t</INDEX_COL>\n<ETICHETTA>\tLambda\t</ETICHETTA>\n";
    if (identifiers)
        text += u"<IDENTIFICATORE>\tLambda_1\t</IDENTIFICATORE>\n";
    text += u"</VARIABILI>\n<ACQ_FREQ>\t\t500\t\t</ACQ_FREQ>\n" + Pad(u"RPM") + Pad(u"Lambda") + u"\n";
    return text;
}

const std::u16string kSamples = Pad(u"800") + Pad(u"0.98") + u"\n" + u"\n" + Pad(u"n.d.") + Pad(u"1e5") + u"\n" +
                                Pad(u"900") + Pad(u"1.02") + u"\n";
const std::u16string kComment =
    u"<COMMENTO>\n<DATA>\t\tTuesday, 20/07/2010\t</DATA>\n<ORA>\t\t08:31:10\t</ORA>\n<TESTO>\n  Giro di prova \n"
    u"</TESTO>\n</COMMENTO>\n";

TEST_F(Acquisition, ReadHeaderTable)
{
    const std::u16string oneColumn =
        u"<CODICE_ECU>\t\tVXG4\t\t</CODICE_ECU>\n<ID_FIRMWARE>\t\tVXG4_R0107\t\t</ID_FIRMWARE>\n"
        u"\t<DATA>\t\tTuesday, 20/07/2010\t</DATA>\n\t<ORA>\t\t08:30:00\t</ORA>\n<VARIABILI>\n<NUM_VAR>\t 1 \t</NUM_VAR>\n"
        u"<INDEX_COL>\t 0 \t</INDEX_COL>\n<ETICHETTA>\tRPM\t</ETICHETTA>\n</VARIABILI>\n"
        u"<ACQ_FREQ>\t\t500\t\t</ACQ_FREQ>\n" + Pad(u"RPM") + u"\n" + Pad(u"800") + u"\n";
    std::u16string blankBeforeNumVar = TwoColumns(true) + kSamples + kComment;
    blankBeforeNumVar.insert(blankBeforeNumVar.find(u"<NUM_VAR>"), u"\n");
    std::u16string blankAfterOra = TwoColumns(true) + kSamples;
    blankAfterOra.insert(blankAfterOra.find(u"<VARIABILI>"), u"\n");
    std::u16string badCount = TwoColumns(true);
    badCount.replace(badCount.find(u" 2 "), 3, u" x ");
    std::u16string noClosing = TwoColumns(true);
    noClosing.erase(noClosing.find(u"</VARIABILI>\n"), 13);

    struct Case {
        const char* what;
        std::u16string text;  // empty: no file
        std::int32_t result;
        bool hasIdentifiers;
        std::int32_t headerLines;
        std::size_t labels;
        std::u16string comment;
    };
    const std::u16string untouched = u"untouched";
    const std::u16string firstComment = u"Tuesday, 20/07/2010\r\n08:31:10\r\nGiro di prova";
    const Case cases[] = {
        {"identifiers", TwoColumns(true) + kSamples + kComment, 0, true, 13, 2, firstComment},
        {"no identifiers", TwoColumns(false) + kSamples + kComment, 0, false, 11, 2, firstComment},
        {"one column, no identifier", oneColumn, 0, false, 9, 1, untouched},
        {"no comment", TwoColumns(true) + kSamples, 0, true, 13, 2, untouched},
        {"blank line before NUM_VAR", blankBeforeNumVar, 2, true, 13, 2, untouched},
        {"blank line after ORA", blankAfterOra, 4, false, 0, 0, untouched},
        {"NUM_VAR not a number", badCount, 3, false, 0, 0, untouched},
        {"VARIABILI not closed", noClosing, 4, true, 0, 2, untouched},
        {"no file", u"", 1, false, 0, 0, untouched},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(Path("r.acq"));
        if (!c.text.empty())
            WriteUnicode(Path("r.acq"), c.text);
        CVariabiliAcq replay("", u"InfoFileAcquisizioniOL");
        std::vector<std::u16string> labels, identifiers;
        std::u16string comment = untouched, fileFirmware = u"stale";
        bool hasIdentifiers = false;
        std::int32_t headerLines = 0;
        EXPECT_EQ(replay.ReadHeader(u"VXG4_R0107", Path("r.acq"), labels, identifiers, comment, hasIdentifiers,
                                    headerLines, fileFirmware),
                  c.result)
            << c.what;
        EXPECT_EQ(hasIdentifiers, c.hasIdentifiers) << c.what;
        EXPECT_EQ(headerLines, c.headerLines) << c.what;
        EXPECT_EQ(labels.size(), c.labels) << c.what;
        EXPECT_EQ(identifiers.size(), c.hasIdentifiers ? c.labels : 0u) << c.what;
        EXPECT_EQ(comment, c.comment) << c.what;
        EXPECT_EQ(fileFirmware, u"") << c.what;
        EXPECT_FALSE(replay.IsOpen()) << c.what;
    }
    // The messages of the refusals.
    CVariabiliAcq replay("", u"InfoFileAcquisizioniOL");
    std::vector<std::u16string> labels, identifiers;
    std::u16string comment, fileFirmware;
    bool hasIdentifiers = false;
    std::int32_t headerLines = 0;
    std::filesystem::remove(Path("r.acq"));
    replay.ReadHeader(u"VXG4_R0107", Path("r.acq"), labels, identifiers, comment, hasIdentifiers, headerLines,
                      fileFirmware);
    WriteUnicode(Path("r.acq"), u"<CODICE_ECU>\t\tVXG4\t\t</CODICE_ECU>\n\n// note\n<FIRMWARE>\t1\t</FIRMWARE>\n");
    replay.ReadHeader(u"VXG4_R0107", Path("r.acq"), labels, identifiers, comment, hasIdentifiers, headerLines,
                      fileFirmware);
    WriteUnicode(Path("r.acq"), u"<CODICE_ECU>\t\tVXG4\t\t</CODICE_ECU>\n\n");
    replay.ReadHeader(u"VXG4_R0107", Path("r.acq"), labels, identifiers, comment, hasIdentifiers, headerLines,
                      fileFirmware);
    std::filesystem::remove(Path("r.acq"));
    std::filesystem::create_directories(Path("r.acq"));
    replay.ReadHeader(u"VXG4_R0107", Path("r.acq"), labels, identifiers, comment, hasIdentifiers, headerLines,
                      fileFirmware);
    const std::u16string path = vexar::ToUtf16(Path("r.acq"));
    EXPECT_EQ(Log("InfoFileAcquisizioniOL"),
              (std::vector<std::u16string>{
                  u"Impossibile leggere il file " + path,
                  u"Marcatore <ID_FIRMWARE> non trovato all'interno del file: \n" + path,
                  u"Impossibile leggere la riga corrente all'interno del file: \n" + path,
                  u"Impossibile aprire il file " + path + u" in lettura",
              }));
}

TEST_F(Acquisition, AnotherFirmwareIsReadToTheEndAndHandedOut)
{
    WriteUnicode(Path("r.acq"), TwoColumns(true, u"VXG4_R0200") + kSamples + kComment);
    CVariabiliAcq replay("", u"InfoFileAcquisizioniOL");
    std::vector<std::u16string> labels, identifiers;
    std::u16string comment, fileFirmware;
    bool hasIdentifiers = false;
    std::int32_t headerLines = 0;
    EXPECT_EQ(replay.ReadHeader(u"VXG4_R0107", Path("r.acq"), labels, identifiers, comment, hasIdentifiers,
                                headerLines, fileFirmware),
              0);
    EXPECT_EQ(fileFirmware, u"VXG4_R0200");
    EXPECT_EQ(headerLines, 13);
    const auto log = Log("InfoFileAcquisizioniOL");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], u"Firmware del file delle variabili \"VXG4_R0200\" non corretto.\nFirmware attualmente "
                      u"impostato \"VXG4_R0107\"");
}

// ---- Reading samples -----------------------------------------------------------

TEST_F(Acquisition, ReadSamplesTable)
{
    using P = RecordingSink::Point;
    std::u16string hugePeriod = TwoColumns(true) + kSamples;
    hugePeriod.replace(hugePeriod.find(u"\t500\t"), 5, u"\t2000000000\t");
    std::u16string noPeriod = TwoColumns(true) + kSamples;
    noPeriod.replace(noPeriod.find(u"\t500\t"), 5, u"\tfast\t");
    std::u16string threeColumns = TwoColumns(true) + Pad(u"1") + Pad(u"2") + Pad(u"3") + u"\n";

    struct Case {
        const char* what;
        std::u16string text;
        std::vector<std::u16string> names;
        std::vector<std::int32_t> leaveOut;
        std::int32_t headerLines;
        std::int32_t result;
        std::vector<P> points;
        int ends;
    };
    const Case cases[] = {
        // A blank line sends nothing but takes its period; 'n.d.' and '1e5'
        // are no numbers and give 0.
        {"all columns", TwoColumns(true) + kSamples + kComment, {u"A", u"B"}, {}, 13, 0,
         {{0.5, u"A", 800}, {0.5, u"B", 0.98}, {1.5, u"A", 0}, {1.5, u"B", 0}, {2.0, u"A", 900}, {2.0, u"B", 1.02}},
         1},
        {"column 0 left out", TwoColumns(true) + kSamples, {u"B"}, {0}, 13, 0,
         {{0.5, u"B", 0.98}, {1.5, u"B", 0}, {2.0, u"B", 1.02}}, 1},
        {"three fields, column 1 left out", threeColumns, {u"A", u"C"}, {1}, 13, 0,
         {{0.5, u"A", 1}, {0.5, u"C", 3}}, 1},
        {"fewer names than fields", threeColumns, {u"A"}, {}, 13, 0, {{0.5, u"A", 1}}, 1},
        {"identifier cut to 35 units", Pad(u"").substr(0, 0) + TwoColumns(true) + Pad(u"7") + u"\n",
         {std::u16string(40, u'N')}, {}, 13, 0, {{0.5, std::u16string(35, u'N'), 7}}, 1},
        {"period times line in 64 bits", hugePeriod, {u"A", u"B"}, {1}, 13, 0,
         {{2000000.0, u"A", 800}, {6000000.0, u"A", 0}, {8000000.0, u"A", 900}}, 1},
        {"period not a number", noPeriod, {u"A", u"B"}, {}, 13, 0, {}, 1},
        {"header lines off by one", TwoColumns(true) + kSamples, {u"A", u"B"}, {}, 12, 3, {}, 0},
    };
    for (const Case& c : cases) {
        WriteUnicode(Path("s.acq"), c.text);
        CVariabiliAcq replay("", u"InfoFileAcquisizioniOL");
        RecordingSink sink;
        EXPECT_EQ(replay.ReadSamples(Path("s.acq"), sink, c.names, c.headerLines, c.leaveOut), c.result) << c.what;
        EXPECT_EQ(sink.points, c.points) << c.what;
        EXPECT_EQ(sink.ends, c.ends) << c.what;
        EXPECT_FALSE(replay.IsOpen()) << c.what;
    }

    CVariabiliAcq replay("", u"InfoFileAcquisizioniOL");
    RecordingSink sink;
    EXPECT_EQ(replay.ReadSamples(Path("missing.acq"), sink, {}, 13, {}), 1);
    EXPECT_EQ(sink.ends, 0);
}

}  // namespace
