// The ECU model without a window: the model key by protocol, edition and
// identification; the ascending insert of the candidate list; and the
// candidates over a catalogue of real installed revisions.
#include "shell/core/EcuModel.h"

#include "DefinitionFixtures.h"
#include "TempDir.h"
#include "common/Text.h"
#include "config/CCentralineInstallate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace vexar::shell;
using Names = std::vector<std::u16string>;

TEST(EcuModelKey, ByProtocolEditionAndEleventhCharacter)
{
    const struct {
        int protocol;
        int edition;
        const char16_t* ident;
        const char16_t* key;
    } cases[] = {
        // The first protocol: the edition alone decides, whatever the
        // identification, one of 10 characters included.
        {0, 1, u"VXG4_R01073", kModelOsk04},
        {0, 0, u"VXG4_R01073", kModelKd01},
        {0, 2, u"VXG4_R01075", kModelKd01},
        {0, 5, u"VXG4_R0107", kModelKd01},
        {0, 1, u"", kModelOsk04},
        // The second protocol: the 11th character.
        {1, 0, u"VXG4_R01075", kModelKd02Eight},
        {1, 1, u"VXG4_R01075", kModelKd02Eight},
        {1, 0, u"VXG4_R01073", kModelKd02},
        {1, 1, u"VXG4_R01073", kModelZovzenta},
        {1, 3, u"VXG4_R01070", kModelKd02},
        {1, 0, u"VXG4_R01074", kModelKd02},
        {1, 0, u"VXG4_R0107/", kModelKd02Eight},
        {1, 0, u"VXG4_R0107A", kModelKd02Eight},
        {1, 1, u"VXG4_R010735", kModelZovzenta},
        // 10 characters or fewer: no 11th character.
        {1, 0, u"VXG4_R0107", kModelKd02Eight},
        {1, 1, u"VXG4_R0107", kModelKd02Eight},
        {1, 0, u"", kModelKd02Eight},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseEcuModelKey(c.protocol, c.edition, c.ident), c.key)
            << c.protocol << " " << c.edition << " " << vexar::ToUtf8(c.ident);
}

// Each text goes before the first greater one: ascending, letter case
// counting (upper case first), equal texts side by side.
TEST(EcuModelCandidates, AddUniqueStringKeepsAnAscendingList)
{
    const struct {
        Names added;
        Names expected;
    } cases[] = {
        {{}, {}},
        {{u"B"}, {u"B"}},
        {{u"C", u"A", u"B"}, {u"A", u"B", u"C"}},
        {{u"B", u"A", u"B", u"A"}, {u"A", u"A", u"B", u"B"}},
        {{u"b", u"B", u"a", u"A"}, {u"A", u"B", u"a", u"b"}},
        {{u"VXG4_R01171", u"vxg4_r01170", u"VXG4_R01170"}, {u"VXG4_R01170", u"VXG4_R01171", u"vxg4_r01170"}},
        {{u"VXG4_R0117", u"VXG4_R01170", u"VXG4_R011"}, {u"VXG4_R011", u"VXG4_R0117", u"VXG4_R01170"}},
    };
    for (const auto& c : cases) {
        Names list;
        for (const std::u16string& text : c.added)
            AddUniqueString(list, text);
        EXPECT_EQ(list, c.expected) << c.added.size();
    }
    // A list that is not in order takes the text before its first greater
    // element.
    Names unordered{u"C", u"A"};
    AddUniqueString(unordered, u"B");
    EXPECT_EQ(unordered, (Names{u"B", u"C", u"A"}));
}

namespace {

// A program folder with the synthetic revision installed under model keys.
class InstalledModels : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("VEXAR_HOME", m_home.path().c_str(), 1);
        const std::pair<const char*, const char*> revisions[] = {
            {"KD02_ECU", "VXG4_R01070"}, {"KD02_ECU", "VXG4_R01170"}, {"KD02_ECU", "VXG4_R01171"},
            {"KD02_ECU", "vxg4_r01271"}, {"KD02_ECU", "VXG4_R01272"}, {"KD02_ECU_8", "VXG4_R01175"},
            {"KD02_ECU_8", "VXG4_R01176"}, {"KD01_ECU", "VXG4_R01170"},
        };
        for (const auto& [ecu, revision] : revisions) {
            vexar::fixtures::SyntheticConfiguration installed;
            std::string error;
            ASSERT_TRUE(vexar::fixtures::InstallSyntheticConfiguration(m_home.path(), ecu, revision, installed, error))
                << error;
        }
        // The catalogue takes its folder from the program folder.
        m_catalogue = std::make_unique<CCentralineInstallate>(u"InfoCentraline");
        ASSERT_TRUE(m_catalogue->ScanInstalled());
    }
    void TearDown() override { unsetenv("VEXAR_HOME"); }

    vexar::testing::TempDir m_home;
    std::unique_ptr<CCentralineInstallate> m_catalogue;
};

}  // namespace

TEST_F(InstalledModels, TheCandidatesAreTheMatchingRevisionsOfTheModelAscending)
{
    const struct {
        const char16_t* key;
        const char16_t* ident;
        Names expected;
    } cases[] = {
        // Two revisions that differ only in their last character: the
        // greater is last, the one chosen.
        {kModelKd02, u"VXG4_R01170", {u"VXG4_R01170", u"VXG4_R01171"}},
        {kModelKd02, u"VXG4_R01073", {u"VXG4_R01070"}},
        // The identification is compared in upper case; characters 7 and
        // 10 on are not compared.
        {kModelKd02, u"vxg4_r01170", {u"VXG4_R01170", u"VXG4_R01171"}},
        {kModelKd02, u"VXG4_R09179", {u"VXG4_R01170", u"VXG4_R01171"}},
        // Ordered by their upper-cased names, spelt as on disk: the lower
        // case folder sorts before the greater one, though on disk its
        // letters sort after every upper-case letter.
        {kModelKd02, u"VXG4_R01270", {u"vxg4_r01271", u"VXG4_R01272"}},
        // Only the model's own folder counts.
        {kModelKd02Eight, u"VXG4_R01178", {u"VXG4_R01175", u"VXG4_R01176"}},
        {kModelKd01, u"VXG4_R01171", {u"VXG4_R01170"}},
        // Nothing matches: other codes, 10 characters, a model that is not
        // installed, a key that differs from a folder in letter case only.
        {kModelKd02, u"VXG4_R01370", {}},
        {kModelKd02, u"VXG4_R0117", {}},
        {kModelKd01, u"VXG4_R0117", {}},
        {kModelOsk04, u"VXG4_R01170", {}},
        {u"kd02_ecu", u"VXG4_R01170", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CollectEcuCandidates(*m_catalogue, c.key, c.ident), c.expected)
            << vexar::ToUtf8(c.key) << " " << vexar::ToUtf8(c.ident);
}

// Two folders whose names differ in letter case only are both candidates,
// side by side in catalogue order; the last one is the one chosen.
TEST_F(InstalledModels, FoldersEqualButForLetterCaseStandSideBySide)
{
    vexar::fixtures::SyntheticConfiguration installed;
    std::string error;
    ASSERT_TRUE(
        vexar::fixtures::InstallSyntheticConfiguration(m_home.path(), "KD02_ECU", "vxg4_r01171", installed, error))
        << error;
    ASSERT_TRUE(m_catalogue->ScanInstalled());
    EXPECT_EQ(CollectEcuCandidates(*m_catalogue, kModelKd02, u"VXG4_R01170"),
              (Names{u"VXG4_R01170", u"VXG4_R01171", u"vxg4_r01171"}));
}
