#include "config/CCentralineInstallate.h"

#include "CryptFixtures.h"
#include "DefinitionFixtures.h"
#include "SessionLogText.h"
#include "TempDir.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace {

std::string CurrentDirectory()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "";
}

std::u16string Header(std::u16string_view revision)
{
    return u"<CODICE_ECU>\tGAS-4CIL\t</CODICE_ECU>\n<ID_FIRMWARE>\t" + std::u16string(revision) +
           u"\t</ID_FIRMWARE>\n<PROTO>PROT_NEW</PROTO>\n";
}

// A program folder whose "Configuration" folder the tests fill.
class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("VEXAR_HOME", m_home.path().c_str(), 1); }
    void TearDown() override { unsetenv("VEXAR_HOME"); }

    std::string Config() const { return m_home.path() + "/Configuration/"; }
    std::string LogPath() const { return m_home.path() + "/Log/InfoCentraline.log"; }

    void Folder(const std::string& relative) { std::filesystem::create_directories(Config() + relative); }
    void Enciphered(const std::string& relative, std::u16string_view text)
    {
        std::string error;
        ASSERT_TRUE(vexar::crypt::WriteCipherText(Config() + relative, text, error)) << error;
    }
    // A revision folder holding the six files with a header naming `header`.
    void Revision(const std::string& folder, std::u16string_view header, const std::string& stem = "CAL",
                  const std::vector<std::string>& extensions = {".PAR", ".VAR", ".GPC", ".GVS", ".GDG"},
                  const std::string& list = "GestLang.cfg")
    {
        Folder(folder);
        for (const std::string& ext : extensions)
            Enciphered(folder + "/" + stem + ext, Header(header));
        if (!list.empty())
            WriteAll(Config() + folder + "/" + list, "English.lng\n");
    }

    TempDir m_home;
};

}  // namespace

TEST_F(CatalogueTest, ListsExactlyTheValidRevisionsWithTheirLogEntries)
{
    Revision("ECU_A/R0", u"R0", "CAL", {".PAR", ".VAR", ".GPC", ".GVS"});  // no *.GDG
    Revision("ECU_A/R1", u"R1");
    Revision("ECU_B/V1.2", u"v1.2");                                       // header names it in another case
    Revision("ECU_B/V2", u"V2");
    Enciphered("ECU_B/V2/CAL.GVS", Header(u"V3"));                          // one header names another revision
    Revision("ECU_B/V3", u"V3", "CAL", {".PAR", ".VAR", ".GPC", ".GVS", ".GDG"}, "");  // no GestLang.cfg
    Revision("ECU_B/v4", u"V4", "cal", {".par", ".var", ".gpc", ".gvs", ".gdg"}, "gestlang.CFG");
    Revision("ECU_B/V5", u"V5");
    Enciphered("ECU_B/V5/CAL.PAR", u"\n" + Header(u"V5"));                // blank first line
    WriteAll(Config() + "ECU_B/notes.txt", "a plain file beside the revisions");
    Folder("EMPTY");                                                      // an ECU without revisions
    WriteAll(Config() + "readme.txt", "a plain file at ECU level");

    const std::string cwd = CurrentDirectory();
    {
        CCentralineInstallate catalogue(u"InfoCentraline");
        EXPECT_FALSE(catalogue.IsScanned());
        EXPECT_TRUE(catalogue.ScanInstalled());
        EXPECT_EQ(CurrentDirectory(), cwd);

        const auto& ecus = catalogue.Ecus();
        ASSERT_EQ(ecus.size(), 2u);
        EXPECT_EQ(ecus[0].NOME_CENTRALINA, u"ECU_A");
        ASSERT_EQ(ecus[0].REVISIONI.size(), 1u);
        EXPECT_EQ(ecus[0].REVISIONI[0].NOME_FIRMWARE, u"R1");
        EXPECT_EQ(ecus[1].NOME_CENTRALINA, u"ECU_B");
        ASSERT_EQ(ecus[1].REVISIONI.size(), 2u);
        EXPECT_EQ(ecus[1].REVISIONI[0].NOME_FIRMWARE, u"V1.2");
        EXPECT_EQ(ecus[1].REVISIONI[1].NOME_FIRMWARE, u"v4");

        FILE_CONFIGURAZIONE files;
        ASSERT_TRUE(catalogue.GetConfigFiles(u"ecu_b", u"V4", files));
        EXPECT_EQ(files.FILE_PAR, u"cal.par");
        EXPECT_EQ(files.FILE_VAR, u"cal.var");
        EXPECT_EQ(files.FILE_GPC, u"cal.gpc");
        EXPECT_EQ(files.FILE_GDG, u"cal.gdg");
        EXPECT_EQ(files.FILE_GVS, u"cal.gvs");
    }

    const std::u16string config = vexar::ToUtf16(Config());
    const std::vector<std::u16string> expected = {
        u"Impossibile trovare file di configurazione \"*.GDG\"\nnella directory: \"" + config + u"ECU_A/R0/\"",
        u"Codice FIRMWARE nell'intestazione del file \"CAL.GVS\" \n non \u00E8 congruente con la directory "
        u"d'installazione",
        u"Intestazione non corretta nel file \"CAL.GVS\"\nnella directory: \"" + config + u"ECU_B/V2/\"",
        u"Impossibile trovare il file \"GestLang.cfg\"\nnella directory: \"" + config + u"ECU_B/V3/\"",
        u"Marcatore CODICE_ECU non trovato",
        u"Intestazione non corretta nel file \"CAL.PAR\"\nnella directory: \"" + config + u"ECU_B/V5/\"",
        u"Chiusura Sessione di Log\n" + std::u16string(79, u'*') + u"\n\n",
    };
    EXPECT_EQ(SessionLogEntries(LogPath()), expected);
}

TEST_F(CatalogueTest, CursorsWalkEcusAndRevisions)
{
    Revision("ECU_A/R1", u"R1");
    Revision("ECU_A/R2", u"R2");
    Revision("ECU_B/X", u"X");
    CCentralineInstallate catalogue(u"InfoCentraline");
    std::u16string name = u"stale";
    EXPECT_FALSE(catalogue.GetFirstEcu(name));  // before the scan
    EXPECT_EQ(name, u"");
    ASSERT_TRUE(catalogue.ScanInstalled());

    // The walk the view makes: each ECU, and for it each revision.
    std::vector<std::u16string> walk;
    for (bool ecu = catalogue.GetFirstEcu(name); ecu; ecu = catalogue.GetNextEcu(name)) {
        const std::u16string ecuName = name;
        for (bool rev = catalogue.GetFirstFirmware(ecuName, name); rev; rev = catalogue.GetNextFirmware(name))
            walk.push_back(ecuName + u"/" + name);
        name = ecuName;
    }
    EXPECT_EQ(walk, (std::vector<std::u16string>{u"ECU_A/R1", u"ECU_A/R2", u"ECU_B/X"}));
    EXPECT_FALSE(catalogue.GetNextEcu(name));
    EXPECT_EQ(name, u"");

    EXPECT_TRUE(catalogue.GetFirstFirmware(u"ecu_a", name));  // the name differs only in case
    EXPECT_EQ(name, u"R1");
    EXPECT_FALSE(catalogue.GetFirstFirmware(u"ECU_C", name));
    EXPECT_EQ(name, u"");
    EXPECT_FALSE(catalogue.GetNextFirmware(name));  // no ECU selected

    FILE_CONFIGURAZIONE files;
    files.FILE_PAR = u"untouched";
    EXPECT_FALSE(catalogue.GetConfigFiles(u"ECU_A", u"X", files));  // a revision of another ECU
    EXPECT_EQ(files.FILE_PAR, u"untouched");
    EXPECT_TRUE(catalogue.GetConfigFiles(u"ECU_A", u"r2", files));
    EXPECT_EQ(files.FILE_PAR, u"CAL.PAR");

    std::string path;
    catalogue.GetConfigurationPath(path);
    EXPECT_EQ(path, Config());
}

// Folders whose names differ only in letter case: the name as spelt on
// disk finds its own folder; a name spelt as neither finds the first that
// matches regardless of case.
TEST_F(CatalogueTest, ANameFindsTheFolderSpeltSoBeforeOneInAnotherCase)
{
    Revision("ECU/ABC123", u"ABC123", "UPPER");
    Revision("ECU/abc123", u"abc123", "lower");
    Revision("ecu/ABC123", u"ABC123", "other");
    CCentralineInstallate catalogue(u"InfoCentraline");
    ASSERT_TRUE(catalogue.ScanInstalled());
    ASSERT_EQ(catalogue.Ecus().size(), 2u);

    const struct {
        std::u16string ecu;
        std::u16string revision;
        std::u16string par;
    } cases[] = {
        {u"ECU", u"ABC123", u"UPPER.PAR"},
        {u"ECU", u"abc123", u"lower.PAR"},
        {u"ecu", u"ABC123", u"other.PAR"},
        {u"ecu", u"abc123", u"other.PAR"},
        {u"Ecu", u"aBc123", u"UPPER.PAR"},
    };
    for (const auto& c : cases) {
        FILE_CONFIGURAZIONE files;
        ASSERT_TRUE(catalogue.GetConfigFiles(c.ecu, c.revision, files)) << vexar::ToUtf8(c.ecu + u"/" + c.revision);
        EXPECT_EQ(files.FILE_PAR, c.par) << vexar::ToUtf8(c.ecu + u"/" + c.revision);
    }
    // The revision walk of an ECU named as spelt lists that folder's own.
    std::u16string name;
    ASSERT_TRUE(catalogue.GetFirstFirmware(u"ecu", name));
    EXPECT_EQ(name, u"ABC123");
    EXPECT_FALSE(catalogue.GetNextFirmware(name));
}

TEST_F(CatalogueTest, FirstMatchOfAPatternDecidesTheRevision)
{
    Revision("ECU/R1", u"R1");
    Enciphered("ECU/R1/A.PAR", Header(u"OTHER"));  // sorts before CAL.PAR: taken, and rejected
    Revision("ECU/R2", u"R2");
    Enciphered("ECU/R2/Z.PAR", Header(u"OTHER"));  // sorts after CAL.PAR: ignored
    CCentralineInstallate catalogue(u"InfoCentraline");
    ASSERT_TRUE(catalogue.ScanInstalled());
    ASSERT_EQ(catalogue.Ecus().size(), 1u);
    ASSERT_EQ(catalogue.Ecus()[0].REVISIONI.size(), 1u);
    EXPECT_EQ(catalogue.Ecus()[0].REVISIONI[0].NOME_FIRMWARE, u"R2");
    EXPECT_EQ(catalogue.Ecus()[0].REVISIONI[0].FILES.FILE_PAR, u"CAL.PAR");
}

TEST_F(CatalogueTest, HeaderCheckTable)
{
    Folder("E/ABC123");
    const std::string folder = Config() + "E/ABC123/";
    struct Case {
        std::u16string text;  // none: no file
        bool passes;
        std::u16string entry;
    };
    const Case cases[] = {
        {u"<CODICE_ECU>x</CODICE_ECU>\n<ID_FIRMWARE> abc123 </ID_FIRMWARE>\n", true, u""},
        {u"<CODICE_ECU>x</CODICE_ECU>\r\n<ID_FIRMWARE>ABC123</ID_FIRMWARE>", true, u""},
        {u"<CODICE_ECU>x</CODICE_ECU>\n<ID_FIRMWARE>ABC1234</ID_FIRMWARE>\n", false,
         u"Codice FIRMWARE nell'intestazione del file \"F.PAR\" \n non \u00E8 congruente con la directory "
         u"d'installazione"},
        {u"// comment\n<CODICE_ECU>x</CODICE_ECU>\n<ID_FIRMWARE>ABC123</ID_FIRMWARE>\n", false,
         u"Marcatore CODICE_ECU non trovato"},
        {u"<CODICE_ECU>x</CODICE_ECU>\n\n<ID_FIRMWARE>ABC123</ID_FIRMWARE>\n", false,
         u"Marcatore ID_FIRMWARE non trovato"},
        {u"<CODICE_ECU>x</CODICE_ECU>", false, u"Impossibile leggere la riga con l'intestazione"},
        {u"<ID_FIRMWARE>ABC123</ID_FIRMWARE>\n<CODICE_ECU>x</CODICE_ECU>\n", false,
         u"Marcatore CODICE_ECU non trovato"},
    };
    for (const Case& c : cases) {
        Enciphered("E/ABC123/F.PAR", c.text);
        {
            CCentralineInstallate catalogue(u"InfoCentraline");
            EXPECT_EQ(catalogue.CheckHeader(folder, u"F.PAR", u"ABC123"), c.passes) << vexar::ToUtf8(c.text);
        }
        std::vector<std::u16string> entries = SessionLogEntries(LogPath());
        entries.pop_back();  // the closing banner
        EXPECT_EQ(entries, c.passes ? std::vector<std::u16string>{} : std::vector<std::u16string>{c.entry})
            << vexar::ToUtf8(c.text);
    }

    CCentralineInstallate catalogue(u"InfoCentraline");
    EXPECT_FALSE(catalogue.CheckHeader(folder, u"MISSING.PAR", u"ABC123"));
    EXPECT_EQ(SessionLogEntries(LogPath()),
              std::vector<std::u16string>{
                  u"Durante la verifica intestazione \u00E8 stato impossibile accedere al file:\nMISSING.PAR"});
}

// Files whose header lines read well but whose later blocks are damaged,
// cut short or missing: the header check reads the leading blocks alone
// and comes to what deciphering the whole file came to.
TEST_F(CatalogueTest, HeaderCheckOfDamagedFiles)
{
    Folder("E/ABC123");
    const std::string folder = Config() + "E/ABC123/";
    std::u16string text = Header(u"ABC123");
    for (int i = 0; i < 300; ++i)
        text += u"<RIGA>\t" + vexar::ToUtf16(std::to_string(i)) + u"\t</RIGA>\n";
    Enciphered("E/ABC123/F.PAR", text);
    const std::string good = vexar::testing::ReadAll(folder + "F.PAR");
    std::string damaged = good;
    for (std::size_t i = 512; i < damaged.size(); ++i)
        damaged[i] = static_cast<char>(~damaged[i]);
    const std::u16string noEcuCode = u"Marcatore CODICE_ECU non trovato";
    const std::u16string noFirmwareId = u"Marcatore ID_FIRMWARE non trovato";

    const struct {
        const char* name;
        std::string bytes;
        std::u16string entry;  // none: the check passes
    } cases[] = {
        {"later blocks damaged", damaged, u""},
        {"length not a whole number of blocks", good.substr(0, good.size() - 7), u""},
        {"cut after the header lines", good.substr(0, 160), u""},
        {"cut inside the second line", good.substr(0, 96), noFirmwareId},
        {"cut inside the first line", good.substr(0, 32), noEcuCode},
        {"a single byte", good.substr(0, 1), noEcuCode},
        {"empty", "", u"Impossibile aprire il file \"F.PAR\" in lettura"},
    };
    for (const auto& c : cases) {
        WriteAll(folder + "F.PAR", c.bytes);
        {
            CCentralineInstallate catalogue(u"InfoCentraline");
            EXPECT_EQ(catalogue.CheckHeader(folder, u"F.PAR", u"ABC123"), c.entry.empty()) << c.name;
        }
        std::vector<std::u16string> entries = SessionLogEntries(LogPath());
        entries.pop_back();  // the closing banner
        EXPECT_EQ(entries, c.entry.empty() ? std::vector<std::u16string>{} : std::vector<std::u16string>{c.entry})
            << c.name;
    }
}

TEST_F(CatalogueTest, MissingOrEmptyConfigurationFolder)
{
    {
        CCentralineInstallate catalogue(u"InfoCentraline");
        EXPECT_FALSE(catalogue.ScanInstalled());
        std::u16string name;
        EXPECT_FALSE(catalogue.GetFirstEcu(name));
    }
    std::vector<std::u16string> entries = SessionLogEntries(LogPath());
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries[0], u"Impossibile spostare la directory corrente su:\n " + vexar::ToUtf16(Config()));

    Folder("");
    CCentralineInstallate catalogue(u"InfoCentraline");
    EXPECT_TRUE(catalogue.ScanInstalled());
    EXPECT_TRUE(catalogue.Ecus().empty());
}

TEST_F(CatalogueTest, RescanStartsFromAnEmptyCatalogue)
{
    Revision("ECU_A/R1", u"R1");
    Revision("ECU_B/R1", u"R1");
    CCentralineInstallate catalogue(u"InfoCentraline");
    ASSERT_TRUE(catalogue.ScanInstalled());
    ASSERT_EQ(catalogue.Ecus().size(), 2u);

    std::filesystem::remove_all(Config() + "ECU_A");
    ASSERT_TRUE(catalogue.ScanInstalled());
    ASSERT_EQ(catalogue.Ecus().size(), 1u);
    EXPECT_EQ(catalogue.Ecus()[0].NOME_CENTRALINA, u"ECU_B");

    std::filesystem::remove_all(Config());  // a failed scan keeps the catalogue it had
    EXPECT_TRUE(catalogue.ScanInstalled());
    EXPECT_EQ(catalogue.Ecus().size(), 1u);
}

TEST_F(CatalogueTest, ConfigurationFolderIsFoundWhateverItsCase)
{
    std::filesystem::create_directories(m_home.path() + "/configuration");
    CCentralineInstallate catalogue(u"InfoCentraline");
    std::string path;
    catalogue.GetConfigurationPath(path);
    EXPECT_EQ(path, m_home.path() + "/configuration/");
    EXPECT_TRUE(catalogue.ScanInstalled());
}

// The synthetic installation that the later layers are tested on must be
// offered by the catalogue with all five of its files.
TEST_F(CatalogueTest, OffersTheSyntheticInstallation)
{
    vexar::fixtures::SyntheticConfiguration installed;
    std::string error;
    ASSERT_TRUE(vexar::fixtures::InstallSyntheticConfiguration(m_home.path() + "/", installed, error)) << error;

    CCentralineInstallate catalogue(u"InfoCentraline");
    ASSERT_TRUE(catalogue.ScanInstalled());
    std::u16string ecu, revision;
    ASSERT_TRUE(catalogue.GetFirstEcu(ecu));
    EXPECT_EQ(ecu, u"VXG4");
    ASSERT_TRUE(catalogue.GetFirstFirmware(ecu, revision));
    EXPECT_EQ(revision, u"VXG4_R0107");
    FILE_CONFIGURAZIONE files;
    ASSERT_TRUE(catalogue.GetConfigFiles(ecu, revision, files));
    EXPECT_EQ(files.FILE_PAR, u"VXG4_R0107.PAR");
    EXPECT_EQ(files.FILE_VAR, u"VXG4_R0107.VAR");
    EXPECT_EQ(files.FILE_GDG, u"VXG4_R0107.GDG");
    EXPECT_EQ(files.FILE_GPC, u"VXG4_R0107.GPC");
    EXPECT_EQ(files.FILE_GVS, u"VXG4_R0107.GVS");
    EXPECT_FALSE(catalogue.GetNextFirmware(revision));
    EXPECT_FALSE(catalogue.GetNextEcu(ecu));
}
