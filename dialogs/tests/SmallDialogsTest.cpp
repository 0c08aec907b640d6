// The operator-profile and handheld dialogs: captions from the language
// file, the profile rule of the limited profiles, and which keys and
// buttons end the handheld choice with what.
#include "dialogs/CDlgInsOper.h"
#include "dialogs/CDlgProgPalm.h"

#include "DialogTestSupport.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/DialogRequests.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <functional>

using namespace vexar;
using dialogtest::ProgramHome;

namespace {

const dialogtest::Texts kTexts = {
    {3015, u"Operatore"},    {3016, u"Profilo:"},       {3017, u"Pubblico"}, {3018, u"Privato"},
    {3112, u"Remoto"},       {3128, u"Sviluppo"},       {3129, u"Limitato"}, {3130, u"Pubblico limitato"},
    {3020, u"Conferma"},     {3021, u"Rinuncia"},       {3118, u"Palmare"},  {3126, u"Carica palmare"},
    {3127, u"Carica firmware"},
};

struct ProfileCase {
    int current;
    int picked;
    int chosen;
};

class ProfileChoice : public ::testing::TestWithParam<ProfileCase> {};

// The user moves through the list with the arrow keys, each step a pick.
TEST_P(ProfileChoice, ThePublicProfileIsNotOfferedFromALimitedOne)
{
    ProgramHome home(kTexts);
    CDlgInsOper dialog;
    dialog.m_strLangFile = home.LangFile();
    dialog.m_nCurrentProfile = GetParam().current;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QComboBox& list = dialog.ProfileList();
    ASSERT_EQ(list.currentIndex(), GetParam().current);
    for (int at = GetParam().current; at != GetParam().picked; at += at < GetParam().picked ? 1 : -1)
        QTest::keyClick(&list, at < GetParam().picked ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), ui::IDOK);
    EXPECT_EQ(dialog.m_nChosenProfile, GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(Profiles, ProfileChoice,
                         ::testing::Values(ProfileCase{4, 0, 5}, ProfileCase{5, 0, 5}, ProfileCase{4, 1, 1},
                                           ProfileCase{5, 3, 3}, ProfileCase{4, 4, 4}, ProfileCase{0, 0, 0},
                                           ProfileCase{1, 0, 0}, ProfileCase{2, 5, 5}, ProfileCase{3, 0, 0},
                                           ProfileCase{0, 4, 4}),
                         [](const auto& info) {
                             return "From" + std::to_string(info.param.current) + "Pick" +
                                    std::to_string(info.param.picked);
                         });

TEST(CDlgInsOper, ListsTheSixProfilesInTheirOrderInUpperCase)
{
    ProgramHome home(kTexts);
    CDlgInsOper dialog;
    dialog.m_strLangFile = home.LangFile();
    dialog.m_nCurrentProfile = 3;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Operatore"));
    const QStringList expected = {"PUBBLICO", "PRIVATO", "REMOTO", "SVILUPPO", "LIMITATO", "PUBBLICO LIMITATO"};
    ASSERT_EQ(dialog.ProfileList().count(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(dialog.ProfileList().itemText(i), expected[i]);
    EXPECT_EQ(dialog.ProfileList().currentIndex(), 3);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), ui::IDCANCEL);
    EXPECT_EQ(dialog.m_nChosenProfile, 0) << "nothing chosen";
}

struct HandheldCase {
    const char* name;
    std::function<void(CDlgProgPalm&)> act;
    int result;
    int choice;
};

class HandheldChoice : public ::testing::TestWithParam<HandheldCase> {};

TEST_P(HandheldChoice, OnlyTheTwoChoiceButtonsEndWithOk)
{
    ProgramHome home(kTexts);
    CDlgProgPalm dialog;
    dialog.m_strLangFile = home.LangFile();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    dialog.HandheldButton().setFocus();
    GetParam().act(dialog);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), GetParam().result);
    EXPECT_EQ(dialog.m_nChoice, GetParam().choice);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, HandheldChoice,
    ::testing::Values(
        HandheldCase{"Handheld", [](CDlgProgPalm& d) { QTest::mouseClick(&d.HandheldButton(), Qt::LeftButton); },
                     ui::IDOK, CDlgProgPalm::kHandheldLoad},
        HandheldCase{"Firmware", [](CDlgProgPalm& d) { QTest::mouseClick(&d.FirmwareButton(), Qt::LeftButton); },
                     ui::IDOK, CDlgProgPalm::kFirmwareLoad},
        HandheldCase{"Cancel", [](CDlgProgPalm& d) { QTest::mouseClick(&d.CancelButton(), Qt::LeftButton); },
                     ui::IDCANCEL, CDlgProgPalm::kNone},
        // Enter while a choice button has the focus still reaches the
        // hidden default button.
        HandheldCase{"Enter", [](CDlgProgPalm& d) { QTest::keyClick(&d.HandheldButton(), Qt::Key_Return); },
                     ui::IDCANCEL, CDlgProgPalm::kNone},
        HandheldCase{"KeypadEnter",
                     [](CDlgProgPalm& d) { QTest::keyClick(&d.FirmwareButton(), Qt::Key_Enter, Qt::KeypadModifier); },
                     ui::IDCANCEL, CDlgProgPalm::kNone},
        HandheldCase{"Escape", [](CDlgProgPalm& d) { QTest::keyClick(&d.HandheldButton(), Qt::Key_Escape); },
                     ui::IDCANCEL, CDlgProgPalm::kNone},
        HandheldCase{"Space", [](CDlgProgPalm& d) { QTest::keyClick(&d.HandheldButton(), Qt::Key_Space); },
                     ui::IDOK, CDlgProgPalm::kHandheldLoad}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CDlgProgPalm, ButtonsTakeTheirTextsFontAndColour)
{
    ProgramHome home(kTexts);
    CDlgProgPalm dialog;
    dialog.m_strLangFile = home.LangFile();
    dialog.m_font = QFont(QStringLiteral("DejaVu Serif"), 11, QFont::Bold);
    dialog.SetButtonTextColour(ui::RGB(0, 0, 128));
    dialog.m_nChoice = CDlgProgPalm::kFirmwareLoad;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Palmare"));
    EXPECT_EQ(dialog.HandheldButton().text(), QStringLiteral("Carica palmare"));
    EXPECT_EQ(dialog.FirmwareButton().text(), QStringLiteral("Carica firmware"));
    EXPECT_EQ(dialog.CancelButton().text(), QStringLiteral("Rinuncia"));
    for (CButtonMfc* button : {&dialog.HandheldButton(), &dialog.FirmwareButton(), &dialog.CancelButton()}) {
        EXPECT_EQ(button->font().family(), QStringLiteral("DejaVu Serif"));
        EXPECT_TRUE(button->font().bold());
        EXPECT_EQ(button->m_textColour, ui::RGB(0, 0, 128));
    }
    EXPECT_EQ(dialog.m_nChoice, CDlgProgPalm::kNone) << "no choice until one is made";
}

}  // namespace
