// The ECU and revision choice: revision families, which entry is selected
// and what comes back, the captions, and the keys and buttons of the
// dialog, on catalogues installed in a program folder of the test's own.
#include "dialogs/CDlgSelCentr.h"

#include "DialogTestSupport.h"
#include "config/CCentralineInstallate.h"
#include "platform/ui/DialogRequests.h"
#include "platform/ui/WindowState.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vexar;
using dialogtest::ProgramHome;

namespace {

std::vector<std::u16string> Shown(const QComboBox& list)
{
    std::vector<std::u16string> texts;
    for (int i = 0; i < list.count(); ++i)
        texts.push_back(list.itemText(i).toStdU16String());
    return texts;
}

struct FamilyCase {
    const char* name;
    std::vector<std::u16string> added;  // in this order
    std::vector<std::u16string> listed;
};

class RevisionFamilies : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(RevisionFamilies, KeepTheGreatestOfEachFamilyWhereTheFirstStood)
{
    CDlgSelCentr dialog;
    for (const std::u16string& name : GetParam().added)
        dialog.AddVersion(name);
    EXPECT_EQ(Shown(dialog.FirmwareList()), GetParam().listed);
}

INSTANTIATE_TEST_SUITE_P(
    Names, RevisionFamilies,
    ::testing::Values(
        FamilyCase{"MiddleVersionDiffers", {u"ABC1234_01_V10", u"ABC1234_02_V10"}, {u"ABC1234_02_V10"}},
        FamilyCase{"GreaterFirst", {u"ABC1234_02_V10", u"ABC1234_01_V10"}, {u"ABC1234_02_V10"}},
        FamilyCase{"LastThreeDiffer", {u"ABC1234_01_V11", u"ABC1234_01_V10"}, {u"ABC1234_01_V10", u"ABC1234_01_V11"}},
        FamilyCase{"FirstSevenDiffer", {u"ABC1234_01_V10", u"ABC1235_00_V10"}, {u"ABC1234_01_V10", u"ABC1235_00_V10"}},
        FamilyCase{"TenCharactersNeverMerge", {u"ABC1234_V10", u"ABC1234V10"}, {u"ABC1234V10", u"ABC1234_V10"}},
        FamilyCase{"ReplacementKeepsItsPlace",
                   {u"ABC1234_01_V10", u"ABC1234_01_W99", u"ABC1234_02_V10"},
                   {u"ABC1234_02_V10", u"ABC1234_01_W99"}},
        FamilyCase{"NewFamilyInSortOrder", {u"KD02_B", u"KD02_D", u"KD02_C"}, {u"KD02_B", u"KD02_C", u"KD02_D"}},
        // The catalogue's lower case is compared folded, as the list shows it.
        FamilyCase{"LowerCaseGreater", {u"ABC1234_01_V10", u"abc1234_02_v10"}, {u"ABC1234_02_V10"}},
        FamilyCase{"LowerCaseSmaller", {u"ABC1234_02_V10", u"abc1234_01_v10"}, {u"ABC1234_02_V10"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IsGreaterName, ComparesBothNamesInUpperCase)
{
    EXPECT_TRUE(CDlgSelCentr::IsGreaterName(u"abc2", u"ABC1"));
    EXPECT_FALSE(CDlgSelCentr::IsGreaterName(u"abc1", u"ABC2"));
    EXPECT_FALSE(CDlgSelCentr::IsGreaterName(u"abc1", u"ABC1"));
}

class SelectionTest : public ::testing::Test {
protected:
    SelectionTest()
        : home({{3025, u"Scelta centralina"},
                {3026, u"Tipo:"},
                {3027, u"Firmware:"},
                {3020, u"Va bene"},
                {3021, u"Annulla"}})
    {
    }

    // Opens the dialog on the catalogue of the program folder.
    void Open(std::u16string ecu, std::u16string firmware)
    {
        ASSERT_TRUE(catalogue.ScanInstalled());
        dialog.m_strLangFile = home.LangFile();
        dialog.m_pCatalogue = &catalogue;
        dialog.m_strEcuType = std::move(ecu);
        dialog.m_strFirmware = std::move(firmware);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    ProgramHome home;
    CCentralineInstallate catalogue{u"InfoCentraline"};
    CDlgSelCentr dialog;
};

TEST_F(SelectionTest, CaptionsComeFromTheLanguageFile)
{
    home.InstallRevision("KD02_ECU", "VXG4_R01070");
    Open(u"", u"");
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Scelta centralina"));
    EXPECT_EQ(dialog.OkButton().text(), QStringLiteral("Va bene"));
    auto* ecuLabel = qobject_cast<QLabel*>(ui::GetDlgItem(dialog, CDlgSelCentr::IDC_ECU_LABEL));
    auto* firmwareLabel = qobject_cast<QLabel*>(ui::GetDlgItem(dialog, CDlgSelCentr::IDC_FIRMWARE_LABEL));
    ASSERT_NE(ecuLabel, nullptr);
    ASSERT_NE(firmwareLabel, nullptr);
    EXPECT_EQ(ecuLabel->text(), QStringLiteral("Tipo:"));
    EXPECT_EQ(firmwareLabel->text(), QStringLiteral("Firmware:"));
    EXPECT_EQ(ui::GetDlgItem(dialog, CDlgSelCentr::IDC_ECU_TYPE), &dialog.EcuList());
}

TEST_F(SelectionTest, TheCurrentNamesAreSelectedAgainAndComeBackAsTheCatalogueSpellsThem)
{
    home.InstallRevision("KD01_ECU", "KD01_R0100");
    home.InstallRevision("KD02_ECU", "VXG4_R01070");
    home.InstallRevision("KD02_ECU", "VXG4_R01080_B");
    Open(u"kd02_ecu", u"vxg4_r01080_b");
    EXPECT_EQ(Shown(dialog.EcuList()), (std::vector<std::u16string>{u"KD01_ECU", u"KD02_ECU"}));
    EXPECT_EQ(dialog.EcuList().currentIndex(), 1);
    EXPECT_EQ(Shown(dialog.FirmwareList()), (std::vector<std::u16string>{u"VXG4_R01070", u"VXG4_R01080_B"}));
    EXPECT_EQ(dialog.FirmwareList().currentIndex(), 1);
    EXPECT_EQ(dialog.m_strEcuType, u"KD02_ECU");
    EXPECT_EQ(dialog.m_strFirmware, u"VXG4_R01080_B");
    EXPECT_TRUE(dialog.OkButton().isEnabled());

    QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), ui::IDOK);
}

TEST_F(SelectionTest, NamesNotListedGiveTheFirstEntries)
{
    home.InstallRevision("KD02_ECU", "VXG4_R01070");
    home.InstallRevision("KD02_ECU", "VXG4_R01090");
    home.InstallRevision("ZX_ECU", "ZX_R0001");
    Open(u"OSK04_ECU", u"VXG4_R01090");
    EXPECT_EQ(dialog.EcuList().currentIndex(), 0);
    EXPECT_EQ(dialog.m_strEcuType, u"KD02_ECU");
    EXPECT_EQ(dialog.m_strFirmware, u"VXG4_R01090") << "listed for the first ECU, so selected";
    EXPECT_EQ(dialog.FirmwareList().currentIndex(), 1);

    dialog.m_strFirmware = u"NOT_THERE";
    dialog.FillVersions();
    EXPECT_EQ(dialog.FirmwareList().currentIndex(), 0);
    EXPECT_EQ(dialog.m_strFirmware, u"VXG4_R01070");
}

// Folders named in lower case are shown in upper case, and the names that
// come back name the folders.
TEST_F(SelectionTest, AChoiceByKeyComesBackInTheCatalogueSpelling)
{
    home.InstallRevision("kd02_ecu", "vxg4_r01070");
    home.InstallRevision("osk_ecu", "osk_r0001");
    home.InstallRevision("osk_ecu", "osk_r0002");
    Open(u"", u"");
    EXPECT_EQ(Shown(dialog.EcuList()), (std::vector<std::u16string>{u"KD02_ECU", u"OSK_ECU"}));
    EXPECT_EQ(dialog.m_strEcuType, u"kd02_ecu");
    EXPECT_EQ(dialog.m_strFirmware, u"vxg4_r01070");

    dialog.EcuList().setFocus();
    QTest::keyClick(&dialog.EcuList(), Qt::Key_Down);
    EXPECT_EQ(dialog.m_strEcuType, u"osk_ecu");
    EXPECT_EQ(Shown(dialog.FirmwareList()), (std::vector<std::u16string>{u"OSK_R0001", u"OSK_R0002"}));
    EXPECT_EQ(dialog.m_strFirmware, u"osk_r0001");

    QTest::keyClick(&dialog.FirmwareList(), Qt::Key_Down);
    EXPECT_EQ(dialog.m_strFirmware, u"osk_r0002");
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), ui::IDCANCEL);
}

TEST_F(SelectionTest, RunModallyItEndsWithTheButtonPressed)
{
    home.InstallRevision("KD02_ECU", "VXG4_R01070");
    ASSERT_TRUE(catalogue.ScanInstalled());
    dialog.m_strLangFile = home.LangFile();
    dialog.m_pCatalogue = &catalogue;
    QTimer::singleShot(0, &dialog, [&] { QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton); });
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(dialog.m_strFirmware, u"VXG4_R01070");
    QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
}

TEST_F(SelectionTest, WithoutRevisionsOkIsDisabledAndWithoutEcusTheNamesStay)
{
    home.InstallRevision("KD02_ECU", "VXG4_R01070");
    Open(u"KD02_ECU", u"VXG4_R01070");
    dialog.m_strEcuType = u"KD03_ECU";
    dialog.FillVersions();
    EXPECT_EQ(dialog.FirmwareList().count(), 0);
    EXPECT_FALSE(dialog.OkButton().isEnabled());

    CDlgSelCentr empty;
    CCentralineInstallate none(u"InfoCentraline");
    empty.m_strLangFile = home.LangFile();
    empty.m_pCatalogue = &none;
    empty.m_strEcuType = u"KD02_ECU";
    empty.m_strFirmware = u"VXG4_R01070";
    empty.show();
    EXPECT_EQ(empty.EcuList().count(), 0);
    EXPECT_EQ(empty.FirmwareList().count(), 0);
    EXPECT_EQ(empty.m_strEcuType, u"KD02_ECU");
    EXPECT_EQ(empty.m_strFirmware, u"VXG4_R01070");
}

}  // namespace
