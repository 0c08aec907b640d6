// The hand-made calibration and acquisition files of the synthetic
// configuration, read and written against the controls built from its
// definition files.

#include "CryptFixtures.h"
#include "DefinitionFixtures.h"
#include "SessionLogText.h"
#include "TempDir.h"
#include "ControlSet.h"
#include "TestControls.h"
#include "common/Text.h"
#include "config/CControlliConfigurati.h"
#include "config/CParametriFile.h"
#include "config/CVariabiliAcq.h"

#include "Dates.h"
#include "McryptReference.h"
#include "Mutator.h"
#include "config/CCentralineInstallate.h"
#include "config/CInterfacciaParametri.h"
#include "config/CParser.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>

using vexar::fixtures::FixtureText;
using vexar::testing::TempDir;
using vexar::testing::LocalTime;

namespace {

const std::vector<std::u16string> kLanguages = {u"English", u"Italiano"};

std::u16string CipherContents(const std::string& path)
{
    std::u16string text;
    std::string error;
    EXPECT_TRUE(vexar::crypt::ReadCipherText(path, text, error)) << error;
    return text;
}

using vexar::testing::ControlSet;

class SyntheticDataFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("VEXAR_HOME", m_home.path().c_str(), 1);
        std::filesystem::create_directories(m_home.file("Log"));
        std::string error;
        ASSERT_TRUE(vexar::fixtures::InstallSyntheticConfiguration(m_home.path(), m_config, error)) << error;
        std::u16string language = u"English";
        m_par = std::make_unique<CControlliConfigurati>(m_config.par, u"InfoControlliPC");
        ASSERT_EQ(m_par->Load(language, kLanguages), 0);
        language = u"English";
        m_gdg = std::make_unique<CControlliConfigurati>(m_config.gdg, u"InfoControlliGDG");
        ASSERT_EQ(m_gdg->Load(language, kLanguages), 0);
        language = u"English";
        m_var = std::make_unique<CControlliConfigurati>(m_config.var, u"InfoControlliVS");
        ASSERT_EQ(m_var->Load(language, kLanguages), 0);
    }
    void TearDown() override { unsetenv("VEXAR_HOME"); }

    TempDir m_home;
    vexar::fixtures::SyntheticConfiguration m_config;
    std::unique_ptr<CControlliConfigurati> m_par;
    std::unique_ptr<CControlliConfigurati> m_gdg;
    std::unique_ptr<CControlliConfigurati> m_var;
};

TEST_F(SyntheticDataFiles, TheCalibrationLoadsIntoTheConfigurationAndSavesUnchanged)
{
    const std::u16string text = FixtureText("calibration/VXG4_R0107_City.DAT.txt");
    std::string error;
    ASSERT_TRUE(vexar::crypt::WriteCipherText(m_home.file("City.DAT"), text, error)) << error;

    const auto clock = [] { return LocalTime(2011, 1, 10, 9, 0, 0); };
    ControlSet controls(m_par->Controls(), m_gdg->Controls(), clock);
    CParametriFile file("", u"InfoFileParametri");
    controls.Attach(file);
    std::u16string fileFirmware;
    bool nameFound = false;
    ASSERT_EQ(file.Read(u"VXG4", u"VXG4_R0107", fileFirmware, m_home.file("City.DAT"), nameFound), 0);
    EXPECT_TRUE(nameFound);
    using vexar::testing::TestGridCtrl;
    using vexar::testing::TestListCtrl;
    using vexar::testing::TestValueCtrl;
    EXPECT_EQ(controls.Get<TestValueCtrl>(u"Nome_Calibrazione").Text(), u"CITY 1.2 GPL");
    EXPECT_EQ(controls.Get<TestValueCtrl>(u"Rpm_Cambio").GetValue(), 2200.0);
    EXPECT_EQ(controls.Get<TestValueCtrl>(u"Temp_Cambio").GetValue(), 40.0);
    EXPECT_EQ(controls.Get<TestValueCtrl>(u"Fattore_Iniettori").GetValue(), 1.15);
    EXPECT_EQ(controls.Get<TestGridCtrl>(u"Mappa_Correzione").X(2), 4500.0);
    EXPECT_EQ(controls.Get<TestGridCtrl>(u"Mappa_Correzione").Y(1), 1.7);
    EXPECT_EQ(controls.Get<TestGridCtrl>(u"Correzione_Temperatura").X(0), 85.0);
    EXPECT_EQ(controls.Get<TestGridCtrl>(u"Correzione_Temperatura").Cell(0, 2), 4.5);
    EXPECT_EQ(controls.Get<TestGridCtrl>(u"Mappa_Correzione").Cell(1, 0), -2.0);
    EXPECT_EQ(controls.Get<TestGridCtrl>(u"Mappa_Correzione").X(1), 3000.0);
    EXPECT_EQ(controls.Get<TestGridCtrl>(u"Anticipo_Gas").Cell(1, 3), 3.5);
    EXPECT_EQ(controls.Get<TestListCtrl>(u"Azioni_Ripristino").Raw(2), 1);
    EXPECT_EQ(controls.Get<TestListCtrl>(u"Azioni_Iniettori").Raw(3), 2);
    ASSERT_EQ(file.GetCommenti().GetCount(), 1);
    EXPECT_EQ(file.GetCommenti().GetList()[0].text, u"City car, LPG, first tuning.\nChangeover raised to 40 degrees.");
    EXPECT_EQ(file.GetModifiche().GetCount(), 3);

    // Nothing changed since the load: the saved file is the fixture again.
    ASSERT_EQ(file.Write(u"VXG4", u"VXG4_R0107", m_home.file("Saved.DAT")), 0);
    EXPECT_EQ(CipherContents(m_home.file("Saved.DAT")), text);
}

TEST_F(SyntheticDataFiles, TheAcquisitionReadsAgainstTheVariables)
{
    const std::u16string text = FixtureText("acquisition/VXG4_R0107_Prova.ACQ.txt");
    const std::string path = m_home.file("Prova.ACQ");
    ASSERT_TRUE(vexar::fixtures::WriteUnicodeTextFile(path, text));
    CVariabiliAcq replay("", u"InfoFileAcquisizioniOL");
    std::vector<std::u16string> labels, identifiers;
    std::u16string comment, fileFirmware;
    bool hasIdentifiers = false;
    std::int32_t headerLines = 0;
    ASSERT_EQ(replay.ReadHeader(u"VXG4_R0107", path, labels, identifiers, comment, hasIdentifiers, headerLines,
                                fileFirmware),
              0);
    EXPECT_EQ(headerLines, 19);
    EXPECT_EQ(comment, u"Sunday, 31/10/2010\r\n17:05:02\r\nWarm-up and changeover to gas.\nOne pressure sample missing.");

    // Every column is a variable of the configuration, with its label.
    std::vector<const REC_CONTROLLO*> columns;
    for (std::size_t i = 0; i < identifiers.size(); ++i) {
        const REC_CONTROLLO* found = nullptr;
        for (const REC_CONTROLLO& r : m_var->Controls())
            if (r.IDENTIFICATORE == identifiers[i])
                found = &r;
        ASSERT_NE(found, nullptr) << vexar::ToUtf8(identifiers[i]);
        EXPECT_EQ(found->ETICHETTA, labels[i]);
        columns.push_back(found);
    }

    struct Sink : IGraphPointSink {
        void OnGraphPoint(const GRAPH_POINT& p) override { points.push_back(p); }
        void OnGraphPointsEnd() override { ++ends; }
        std::vector<GRAPH_POINT> points;
        int ends = 0;
    } sink;
    ASSERT_EQ(replay.ReadSamples(path, sink, identifiers, headerLines, {}), 0);
    ASSERT_EQ(sink.points.size(), 20u);  // five lines of four values; the blank line sends nothing
    EXPECT_EQ(sink.ends, 1);
    EXPECT_EQ(sink.points[0].time, 0.05);
    EXPECT_EQ(sink.points[8].time, 0.2);  // the line after the blank one
    EXPECT_EQ(sink.points[8].value, 1850.0);
    EXPECT_EQ(sink.points[9].Identifier(), u"Pressione_Riduttore");
    EXPECT_EQ(sink.points[9].value, 0.0);  // 'n.d.'
    EXPECT_EQ(sink.points[19].value, 1.0);

    // A recording of the same variables writes the same header.
    std::vector<std::unique_ptr<vexar::testing::TestLiveCtrl>> live;
    CTRL_TABLE table;
    for (const REC_CONTROLLO* record : columns) {
        live.push_back(std::make_unique<vexar::testing::TestLiveCtrl>(*record));
        CTRL_WND entry;
        entry.key = record->ID_GUI;
        entry.category = record->CATEGORIA;
        entry.wnd = live.back().get();
        table.push_back(entry);
    }
    CVariabiliAcq recorder("", u"InfoFileAcquisizioni");
    recorder.SetClock([] { return LocalTime(2010, 10, 31, 17, 5, 0); });
    recorder.SetVariables(static_cast<std::int32_t>(table.size()), table.data());
    ASSERT_EQ(recorder.WriteHeader(u"VXG4", u"VXG4_R0107", u"50", m_home.file("New.ACQ")), 0);
    recorder.WriteComments();
    const std::string bytes = vexar::testing::ReadAll(m_home.file("New.ACQ"));
    std::u16string header;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        header.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                               (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    EXPECT_EQ(header, text.substr(0, header.size()));
    EXPECT_EQ(header.size(), text.find(u"850.000000"));
}

// ---- Corrupt files --------------------------------------------------------
//
// Each reader gets a few hundred seeded corruptions of its realistic file.
// What must hold whatever the bytes: one of the reader's documented
// results, no sanitizer report, no hang, and after a refusal the objects
// still answer the calls a caller makes next.

const int kMutations = vexar::testing::MutationCount(100);

std::u16string SourceText(const std::string& fileName)
{
    return vexar::ToUtf16(vexar::testing::ReadAll(vexar::fixtures::SyntheticSource(fileName)));
}

// Enciphered by the independent reference cipher and written plainly: a
// few hundred files each, with no flush to the disk for every one.
void WriteCipher(const std::string& path, const std::u16string& text)
{
    vexar::testing::WriteAll(path, vexar::crypt::McryptEncipher(vexar::crypt::SystemPlaintext(
                                       text, u"<\u00A3\u00A3\u00A3\u00A3\u00A3\u00A3 FINE FILE \u00A3\u00A3\u00A3\u00A3\u00A3\u00A3>")));
}

TEST_F(SyntheticDataFiles, CorruptDefinitionFilesAreRefusedOrLoadSoundly)
{
    struct Case {
        const char* file;
        const char16_t* log;
    };
    const Case cases[] = {
        {"VXG4_R0107.PAR", u"InfoControlliPC"},
        {"VXG4_R0107.VAR", u"InfoControlliVS"},
        {"VXG4_R0107.GDG", u"InfoControlliGDG"},
    };
    CCentralineInstallate catalogue(u"InfoCentraline");
    for (const Case& c : cases) {
        const std::u16string original = SourceText(c.file);
        const std::string path = m_home.file(std::string("M_") + c.file);
        for (int seed = 0; seed < kMutations; ++seed) {
            vexar::testing::Mutator mutator(static_cast<std::uint64_t>(seed));
            std::string what;
            WriteCipher(path, mutator.Mutate(original, what));
            SCOPED_TRACE(std::string(c.file) + " seed " + std::to_string(seed) + ": " + what);

            CControlliConfigurati set(path, c.log);
            std::u16string language = u"English";
            const int result = set.Load(language, kLanguages);
            ASSERT_GE(result, 0);
            ASSERT_LE(result, 6);
            catalogue.CheckHeader(m_home.path() + "/", vexar::ToUtf16(std::string("M_") + c.file), u"VXG4_R0107");
            if (result != 0)
                continue;
            // A sound load answers everything a caller asks of it.
            const REC_CONTROLLO* records = nullptr;
            set.GetControls(records);
            EXPECT_EQ(records == nullptr, set.Controls().empty());
            EXPECT_GE(set.GetParamAreaSize(), 0);
            EXPECT_GE(set.GetDiagAreaSize(), 0);
            EXPECT_GE(set.GetRestoreAreaSize(), 0);
            set.CheckConversionFormulas(m_par->Controls());
        }
    }
}

TEST_F(SyntheticDataFiles, CorruptLayoutFilesAreRefusedOrLoadSoundly)
{
    for (const char* file : {"VXG4_R0107.GPC", "VXG4_R0107.GVS"}) {
        const bool gpc = std::string(file).ends_with("GPC");
        const std::u16string original = SourceText(file);
        const std::string path = m_home.file(std::string("M_") + file);
        for (int seed = 0; seed < kMutations; ++seed) {
            vexar::testing::Mutator mutator(static_cast<std::uint64_t>(seed));
            std::string what;
            WriteCipher(path, mutator.Mutate(original, what));
            SCOPED_TRACE(std::string(file) + " seed " + std::to_string(seed) + ": " + what);

            REC_INTERFACCIA layout;
            CInterfacciaParametri reader(path, layout, gpc ? u"InfoInterfaccePC" : u"InfoInterfacceVS");
            std::u16string language = u"English";
            const int result = reader.LoadLayout(language, kLanguages);
            ASSERT_GE(result, 0);
            ASSERT_LE(result, 5);
            if (result != 0)
                continue;
            if (gpc) {
                reader.CheckParamIds(m_par->Controls(), m_var->Controls());
                reader.AddHiddenParams(m_par->Controls());
            } else {
                reader.CheckVarIds(m_var->Controls());
                reader.AddHiddenVars(m_var->Controls());
            }
            reader.IsIdPlaced(101);
        }
    }
}

TEST_F(SyntheticDataFiles, ACorruptParserFileIsRefusedOrChecksSoundly)
{
    const std::u16string original = SourceText("Parser.txt");
    const std::string path = m_home.file("M_Parser.txt");
    const auto& p = m_par->Controls();
    const auto& v = m_var->Controls();
    const auto& g = m_gdg->Controls();
    for (int seed = 0; seed < kMutations; ++seed) {
        vexar::testing::Mutator mutator(static_cast<std::uint64_t>(seed));
        std::string what;
        WriteCipher(path, mutator.Mutate(original, what));
        SCOPED_TRACE("seed " + std::to_string(seed) + ": " + what);

        CParser parser(path, m_home.file("M_ParserOut.txt"), u"InfoParserParVar");
        const std::int32_t result = parser.Load();
        ASSERT_TRUE(result == 0 || result == 1 || result == 2 || result == 4) << result;
        if (result != 0)
            continue;
        parser.CheckParDefinitions(p.data(), static_cast<std::int32_t>(p.size()));
        parser.CheckVarDefinitions(v.data(), static_cast<std::int32_t>(v.size()));
        parser.CheckDiagDefinitions(g.data(), static_cast<std::int32_t>(g.size()));
    }
}

TEST_F(SyntheticDataFiles, ACorruptCalibrationIsRefusedAndTheControlsStillSave)
{
    const std::u16string original = FixtureText("calibration/VXG4_R0107_City.DAT.txt");
    const std::string path = m_home.file("M_City.DAT");
    const auto clock = [] { return LocalTime(2011, 1, 10, 9, 0, 0); };
    ControlSet controls(m_par->Controls(), m_gdg->Controls(), clock);
    for (int seed = 0; seed < kMutations; ++seed) {
        vexar::testing::Mutator mutator(static_cast<std::uint64_t>(seed));
        std::string what;
        WriteCipher(path, mutator.Mutate(original, what));
        SCOPED_TRACE("seed " + std::to_string(seed) + ": " + what);

        CParametriFile file("", u"InfoFileParametri");
        controls.Attach(file);
        std::u16string fileFirmware;
        bool nameFound = false;
        const std::int32_t result = file.Read(u"VXG4", u"VXG4_R0107", fileFirmware, path, nameFound);
        ASSERT_GE(result, 0);
        ASSERT_LE(result, 3);
        const std::int32_t check = file.CheckFirmware(path, u"VXG4_R0107", fileFirmware);
        ASSERT_GE(check, 0);
        ASSERT_LE(check, 3);
        // Whatever was read, the controls and the comments save whole.
        ASSERT_EQ(file.Write(u"VXG4", u"VXG4_R0107", m_home.file("M_Saved.DAT")), 0);
        CParametriFile again("", u"InfoFileParametri");
        controls.Attach(again);
        EXPECT_EQ(again.Read(u"VXG4", u"VXG4_R0107", fileFirmware, m_home.file("M_Saved.DAT"), nameFound), 0);
    }
}

TEST_F(SyntheticDataFiles, ACorruptAcquisitionIsRefusedOrReplaysSoundly)
{
    const std::u16string original = FixtureText("acquisition/VXG4_R0107_Prova.ACQ.txt");
    const std::string path = m_home.file("M_Prova.ACQ");
    struct Sink : IGraphPointSink {
        void OnGraphPoint(const GRAPH_POINT&) override { ++points; }
        void OnGraphPointsEnd() override { ++ends; }
        int points = 0;
        int ends = 0;
    };
    for (int seed = 0; seed < kMutations; ++seed) {
        vexar::testing::Mutator mutator(static_cast<std::uint64_t>(seed));
        std::string what;
        const std::u16string text = mutator.Mutate(original, what);
        SCOPED_TRACE("seed " + std::to_string(seed) + ": " + what);
        ASSERT_TRUE(vexar::fixtures::WriteUnicodeTextFile(path, text));
        CVariabiliAcq replay("", u"InfoFileAcquisizioniOL");
        std::vector<std::u16string> labels, identifiers;
        std::u16string comment, fileFirmware;
        bool hasIdentifiers = false;
        std::int32_t headerLines = 0;
        const std::int32_t result = replay.ReadHeader(u"VXG4_R0107", path, labels, identifiers, comment,
                                                      hasIdentifiers, headerLines, fileFirmware);
        const std::set<std::int32_t> headerResults = {0, 1, 2, 3, 4, 6};
        ASSERT_TRUE(headerResults.count(result)) << result;
        if (result != 0)
            continue;
        EXPECT_GE(headerLines, 0);
        Sink sink;
        const std::int32_t replayed = replay.ReadSamples(path, sink, identifiers, headerLines, {});
        ASSERT_GE(replayed, 0);
        ASSERT_LE(replayed, 3);
        // A replay that ran ends exactly once; a refused one never starts.
        EXPECT_EQ(sink.ends, replayed == 0 ? 1 : 0);
        std::u16string first;
        const std::int32_t comments = replay.ReadComments(path, headerLines, first);
        EXPECT_TRUE(comments == 0 || comments == 2) << comments;
    }
}

}  // namespace
