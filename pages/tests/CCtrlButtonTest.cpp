// The command and reset buttons on a shown page, driven by QTest: the
// toggle and its undo, the timed pulse and what neither a refresh nor a
// teardown may do to it, the programmed press, calibration and export
// lines, and the faces as they are painted; and the dialogs' group frame.
#include "pages/CCtrlButton.h"

#include "HostTestSupport.h"
#include "ListsFixture.h"
#include "pages/CCtrlEdit.h"
#include "pages/CUtilityFactory.h"
#include "pages/CCtrlBox.h"
#include "platform/ui/OwnerDraw.h"

#include <QElapsedTimer>

using namespace vexar::pagestest;
using namespace vexar::link;

namespace {

// Colours as painted: the same to within the rounding of 8-bit channels.
bool Near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
           std::abs(a.blue() - b.blue()) <= 2;
}

REC_CONTROLLO CommandDef(std::int32_t id, std::int32_t address, std::u16string defaultText = u"0")
{
    REC_CONTROLLO d = Def(id, u"Test_Iniettori", CTRL_BUTTON_CMD, address, DATO_FLAG);
    d.MASCHERA = 0x01;
    d.DEFAULT = std::move(defaultText);
    return d;
}

REC_CONTROLLO ResetDef(std::int32_t id, std::int32_t address, std::int32_t reset, std::int32_t normal,
                       std::int32_t delay)
{
    REC_CONTROLLO d = Def(id, u"Reset_Adattativi", CTRL_RESET, address);
    ResetBlock& block = std::get<ResetBlock>(d.GRAFICA);
    block.RESET = reset;
    block.NORMAL = normal;
    block.DELAY = delay;
    return d;
}

class ButtonPage : public ListsPage {
protected:
    CCtrlButton* Command(const REC_CONTROLLO& definition, const Place& place = {})
    {
        return Make(&CUtility::CreateCtrlButtonCmd, definition, &par, place);
    }
    CCtrlButton* Reset(const REC_CONTROLLO& definition, const Place& place = {})
    {
        return Make(&CUtility::CreateCtrlReset, definition, &par, place);
    }
};

// RESET 1, NORMAL 0, DELAY 50: 1 is written at the press and 0 no sooner
// than 50 ms later, each with its own request.
TEST_F(ButtonPage, APulseWritesResetThenNormalAfterTheDelay)
{
    CCtrlButton* button = Reset(ResetDef(110, 25, 1, 0, 50));
    app.m_bLinked = 1;
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(app.requests, (std::vector<RecordingPages::Request>{{WM_LINK_WRITE_RANGE, 25, 1}}));
    EXPECT_EQ(Par(25), 1);
    EXPECT_TRUE(button->IsPulsing());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Writes() == 2; }, 5000));
    EXPECT_GE(clock.elapsed(), 50);
    EXPECT_EQ(Par(25), 0);
    EXPECT_FALSE(button->IsPulsing());
    QTest::qWait(80);
    EXPECT_EQ(Writes(), 2u) << "one pulse, two writes";
    app.m_bLinked = 0;
}

// Any non-zero value is on: RESET 5 writes 1.
TEST_F(ButtonPage, AResetOfFiveWritesOne)
{
    CCtrlButton* button = Reset(ResetDef(110, 25, 5, 0, 40));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(Par(25), 1);
    EXPECT_EQ(button->GetValue(), 5.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Par(25) == 0 && !button->IsPulsing(); }, 5000));
}

// A second press during the pulse starts the delay again; a refresh that
// reads 0 meanwhile does not end it.
TEST_F(ButtonPage, ASecondPressRestartsTheDelayAndARefreshDoesNotEndIt)
{
    CCtrlButton* button = Reset(ResetDef(110, 25, 1, 0, 150));
    app.m_bLinked = 1;
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::qWait(60);
    Par(25) = 0;
    Send(*button, WM_CTRL_REFRESH, 1);
    EXPECT_TRUE(button->IsPulsing());
    EXPECT_EQ(button->FlagA(), 1);
    QElapsedTimer clock;
    clock.start();
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Writes() == 3; }, 5000));
    EXPECT_GE(clock.elapsed(), 150);
    EXPECT_EQ(Par(25), 0);
    EXPECT_EQ(button->FlagA(), 0);
    app.m_bLinked = 0;
}

// Torn down during its pulse, a reset button ends it: NORMAL stored and,
// linked, written.
TEST_F(ButtonPage, ATeardownDuringThePulseWritesNormal)
{
    CCtrlButton* button = Reset(ResetDef(110, 25, 1, 7, 10000));
    app.m_bLinked = 1;
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(Par(25), 1);
    par.clear();
    delete button;
    EXPECT_EQ(Par(25), 1) << "NORMAL 7 is on as well";
    EXPECT_EQ(Writes(), 2u);
    Par(25) = 0;
    CCtrlButton* quiet = Reset(ResetDef(111, 26, 1, 0, 10000));
    par.clear();
    delete quiet;
    EXPECT_EQ(Writes(), 2u) << "no pulse, nothing to end";
    app.m_bLinked = 0;
}

// The toggle: program sets write nothing; each user press (click, Space,
// release of Enter) flips and writes once.
TEST_F(ButtonPage, TheToggleWritesEachUserPressOnce)
{
    CCtrlButton* button = Command(CommandDef(109, 24));
    std::vector<WriteCase> cases = ProgramSets(*button, *button, 24, u"Test_Iniettori");
    cases.push_back({"a click", [&] { QTest::mouseClick(button, Qt::LeftButton); }, 1});
    cases.push_back({"Space", [&] {
                         button->setFocus();
                         QTest::keyClick(button, Qt::Key_Space);
                     },
                     1});
    cases.push_back({"Enter", [&] {
                         button->setFocus();
                         QTest::keyClick(button, Qt::Key_Return);
                     },
                     1});
    ExpectWrites(cases);
    EXPECT_EQ(button->PressedState(), 1);
    EXPECT_EQ(Par(24) & 0x01, 1) << "the flag's bit only";
}

// A programmed press shows the face pressed for a moment, then flips and
// writes; undo afterwards restores the state before the user's last
// press, not before the programmed one.
TEST_F(ButtonPage, AProgrammedPressIsNotTheUsersForUndo)
{
    CCtrlButton* button = Command(CommandDef(109, 24));
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(button->PressedState(), 1);
    app.PostToControl(button, WM_CTRL_PRESS);
    Deliver();
    EXPECT_TRUE(button->isDown());
    EXPECT_EQ(button->PressedState(), 1) << "not before the face is released";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !button->isDown(); }, 5000));
    EXPECT_EQ(button->PressedState(), 0);
    EXPECT_EQ(Par(24), 0);
    button->setFocus();
    Undo(*button);
    EXPECT_EQ(button->PressedState(), 0);
    EXPECT_EQ(Par(24), 0);

    // A reset button has no undo.
    CCtrlButton* reset = Reset(ResetDef(110, 25, 1, 0, 10000), {.row = 1});
    QTest::mouseClick(reset, Qt::LeftButton);
    reset->setFocus();
    Undo(*reset);
    EXPECT_EQ(reset->FlagA(), 1);
    EXPECT_EQ(Par(25), 1);
}

// Hidden by its conditions, a FIX_ON button ignores a refresh and stores
// only by force; FIX_OFF does both while hidden.
TEST_F(ButtonPage, AHiddenFixOnButtonKeepsItsStateAndFixOffDoesNot)
{
    for (const std::int32_t fixdef : {FIX_ON, FIX_OFF}) {
        REC_CONTROLLO definition = CommandDef(109, 24);
        definition.FIXDEF = fixdef;
        CCtrlButton* button = Make(&CUtility::CreateCtrlButtonCmd, definition, nullptr, {.hidden = true});
        Par(24) = 1;
        Send(*button, WM_CTRL_REFRESH, 1);
        EXPECT_EQ(button->PressedState(), fixdef == FIX_ON ? 0 : 1) << fixdef;
        button->SetPressedState(0);
        Send(*button, WM_CTRL_STORE_WRITE, 0, 0);
        EXPECT_EQ(Par(24), fixdef == FIX_ON ? 1 : 0) << fixdef;
        Send(*button, WM_CTRL_STORE_WRITE, 0, 1);
        EXPECT_EQ(Par(24), 0) << fixdef;
        delete button;
    }
}

// The profile and the limited flag open or close a button; the link's
// enable never does.
TEST_F(ButtonPage, OnlyTheCreatorAndTheProfileEnableAButton)
{
    REC_CONTROLLO closed = CommandDef(109, 24);
    std::get<ButtonCmdBlock>(closed.GRAFICA).ABILITATO = ABIL_NO;
    CCtrlButton* command = Command(closed, {.profile = OPR_PBL});
    EXPECT_FALSE(command->isEnabled());
    Send(*command, WM_CTRL_ENABLE, 1);
    EXPECT_FALSE(command->isEnabled());
    command->EnableForLevel(OPR_PRV);
    EXPECT_TRUE(command->isEnabled());
    Send(*command, WM_CTRL_ENABLE, 0);
    EXPECT_TRUE(command->isEnabled());

    CCtrlButton* limited = Reset(ResetDef(110, 25, 1, 0, 50), {.row = 1, .profile = OPR_PRV, .limited = true});
    EXPECT_FALSE(limited->isEnabled());
    limited->EnableForLevel(OPR_PRV);
    EXPECT_FALSE(limited->isEnabled()) << "the profile leaves a reset button as it is";
    EXPECT_TRUE(Reset(ResetDef(111, 26, 1, 0, 50), {.row = 2, .profile = OPR_PBL})->isEnabled());
}

// Calibration and export lines: the value the button stands for; a loaded
// " 12 " is on, a letter is refused; a change is recorded at the save.
TEST_F(ButtonPage, CalibrationAndExportLines)
{
    CCtrlButton* button = Command(CommandDef(109, 24));
    EXPECT_FALSE(button->LoadParam(u"Test_Iniettori\t1x\tc"));
    ASSERT_TRUE(button->LoadParam(u"Test_Iniettori\t 12 \tc"));
    EXPECT_EQ(button->PressedState(), 1);
    ASSERT_TRUE(button->LoadParam(u"Test_Iniettori\t1\tc"));
    CModifica history;
    const std::u16string name = u"Test_Iniettori" + std::u16string(19, u' ');
    EXPECT_EQ(SavedLines(*button, history), name + u"\t1" + std::u16string(19, u' ') + u"\tA comment\n");
    EXPECT_EQ(history.GetCount(), 0);
    QTest::mouseClick(button, Qt::LeftButton);
    SavedLines(*button, history);
    ASSERT_EQ(history.GetCount(), 1);
    EXPECT_EQ(history.GetList()[0].PRECEDENTE, u"1");
    EXPECT_EQ(history.GetList()[0].CORRENTE, u"0");
    EXPECT_EQ(ExportedLines(*button), "Test_Iniettori\tA label\t0\n");
    CCtrlButton* reset = Reset(ResetDef(110, 25, 3, 2, 50), {.row = 1});
    EXPECT_EQ(ExportedLines(*reset), "Reset_Adattativi\tA label\t2\n");
}

// The faces: a disabled button is a checkerboard of the system face over
// its own face colour; a pressed one has the sunken edge until released.
TEST_F(ButtonPage, TheFacesArePaintedAsTheyStand)
{
    CCtrlButton* button = Command(CommandDef(109, 24), {.profile = OPR_PBL, .limited = true});
    button->m_faceColour = vexar::ui::RGB(200, 0, 0);
    ASSERT_FALSE(button->isEnabled());
    const QColor face = vexar::ui::SystemColour(vexar::ui::SysColour::ButtonFace, button->palette());
    const QImage disabled = button->grab().toImage();
    EXPECT_EQ(disabled.pixelColor(6, 6), face);
    EXPECT_EQ(disabled.pixelColor(7, 6), QColor(200, 0, 0));
    EXPECT_EQ(disabled.pixelColor(6, 7), QColor(200, 0, 0));

    CCtrlButton* pressable = Command(CommandDef(108, 23), {.row = 1});
    const QColor raisedCorner = vexar::ui::SystemColour(vexar::ui::SysColour::Light, pressable->palette());
    const QColor sunkenCorner = vexar::ui::SystemColour(vexar::ui::SysColour::ButtonShadow, pressable->palette());
    ASSERT_FALSE(Near(raisedCorner, sunkenCorner));
    EXPECT_TRUE(Near(pressable->grab().toImage().pixelColor(0, 0), raisedCorner));
    app.PostToControl(pressable, WM_CTRL_PRESS);
    Deliver();
    EXPECT_TRUE(Near(pressable->grab().toImage().pixelColor(0, 0), sunkenCorner));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pressable->isDown(); }, 5000));
    EXPECT_TRUE(Near(pressable->grab().toImage().pixelColor(0, 0), raisedCorner));
}

// On a configured page, releasing S presses the first visible button whose
// name begins with S, a command button before a reset button; typed into a
// text field the letter presses nothing.
TEST(ButtonLetters, APageLetterPressesTheFirstButtonOfThatLetter)
{
    RecordingApp app;
    app.ResizeImages(64, 64);
    REC_CONTROLLO command = PageDef(1, CTRL_BUTTON_CMD, u"start test", 24);
    command.TIPO = DATO_FLAG;
    command.MASCHERA = 0x01;
    REC_CONTROLLO reset = PageDef(2, CTRL_RESET, u"Stop adaptives", 25);
    REC_CONTROLLO field = PageDef(3, CTRL_EDIT, u"Name", 0);
    std::get<EditBlock>(field.GRAFICA).NUM_BYTES = 8;
    CDlgTabSB host(app);
    Prepare(host);
    const std::vector<REC_CONTROLLO> definitions = {command, reset, field};
    host.CreatePages(1, OPR_PRV, Layout({Tab(u"Engine", {1, 2, 3})}), definitions, {});
    ShowAndWait(host);
    CDlgTabWnd* page = host.ConfiguredPages().at(0);
    ASSERT_EQ(page->m_table.size(), 3u);
    auto* commandButton = dynamic_cast<CCtrlButton*>(page->m_table[0].wnd);
    auto* resetButton = dynamic_cast<CCtrlButton*>(page->m_table[1].wnd);
    auto* nameField = dynamic_cast<CCtrlEdit*>(page->m_table[2].wnd);
    ASSERT_TRUE(commandButton && resetButton && nameField);

    nameField->setFocus();
    QTest::keyClick(nameField, Qt::Key_S);
    QTest::qWait(120);
    EXPECT_EQ(nameField->text(), QString("s"));
    EXPECT_EQ(commandButton->PressedState(), 0);

    QTest::keyRelease(page, Qt::Key_S);
    EXPECT_TRUE(QTest::qWaitFor([&] { return commandButton->PressedState() == 1; }, 5000));
    EXPECT_TRUE(commandButton->hasFocus());
    EXPECT_FALSE(resetButton->IsPulsing());
    EXPECT_EQ(app.m_pParMaster[24], 1);
    host.ClosePages();
    host.FreePages();
}

// The group frame with an empty caption: its top line has a gap of two
// blanks 8 pixels from the left, and the dialog shows through inside.
TEST(CCtrlBoxTest, AnEmptyCaptionLeavesAGapOfTwoBlanks)
{
    QWidget dialog;
    dialog.resize(240, 140);
    QPalette colours = dialog.palette();
    colours.setColor(QPalette::Window, QColor(10, 200, 10));
    dialog.setPalette(colours);
    dialog.setAutoFillBackground(true);
    CCtrlBox box(&dialog);
    box.setGeometry(10, 10, 200, 100);
    box.m_shadowColour = vexar::ui::RGB(0, 0, 0);
    box.m_highlightColour = vexar::ui::RGB(255, 255, 255);
    box.SetWindowText(u"   ");
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QImage image = dialog.grab().toImage();
    const QFontMetrics metrics(box.m_font);
    const int line = 10 + metrics.height() / 2 - 1;
    const int gapLeft = 10 + 8;
    const int gapRight = gapLeft + metrics.horizontalAdvance("  ");
    const QColor shadow(0, 0, 0);
    const QColor highlight(255, 255, 255);
    const QColor inside(10, 200, 10);
    EXPECT_EQ(image.pixelColor(12, line), shadow);
    EXPECT_EQ(image.pixelColor(13, line + 1), highlight);
    EXPECT_EQ(image.pixelColor(gapLeft - 1, line), shadow);
    EXPECT_EQ(image.pixelColor((gapLeft + gapRight) / 2, line), inside);
    EXPECT_EQ(image.pixelColor(gapRight + 1, line), shadow);
    EXPECT_EQ(image.pixelColor(10, 60), shadow);
    EXPECT_EQ(image.pixelColor(11, 60), highlight);
    EXPECT_EQ(image.pixelColor(100, 60), inside);
    EXPECT_EQ(image.pixelColor(208, 60), shadow);
    EXPECT_EQ(image.pixelColor(209, 60), highlight);
    EXPECT_EQ(image.pixelColor(100, 108), shadow);
    EXPECT_EQ(image.pixelColor(100, 109), highlight);
}

}  // namespace
