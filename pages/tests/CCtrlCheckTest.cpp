// The check box on a real page, driven by QTest: what a click writes, what a
// refresh shows, the switch without a datum, the profile and limited flag,
// undo through the key router, calibration lines, the tooltip relay.
#include "pages/CCtrlCheck.h"

#include "CoreFixture.h"
#include "TempDir.h"
#include "common/CCriptFile.h"
#include "config/CModifica.h"
#include "link/LinkMessages.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/core/CUtilityTables.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <atomic>

using namespace vexar::pagestest;
using namespace vexar::link;

namespace {

// A tooltip record that counts its live copies.
struct CountedToolTipMsg : TOOLTIP_MSG {
    static inline std::atomic<int> live{0};
    CountedToolTipMsg() { ++live; }
    ~CountedToolTipMsg() override { --live; }
};

class CheckPage : public ::testing::Test {
protected:
    CheckPage()
    {
        PrepareOffLine(app, adapter, par2, par3, var2);
        page.resize(400, 300);
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
    }

    CCtrlCheck* Make(REC_CONTROLLO definition, int row, CTRL_TABLE* table, int profile = OPR_PRV,
                     bool limited = false, bool hidden = false)
    {
        CTRL_CREATE args;
        args.app = &app;
        args.parent = &page;
        args.grid = PageGrid(400, 300, 120, 24);
        CUtility::CalcRowsCols(args.grid);
        args.definition = &definition;
        args.row = row;
        args.profile = profile;
        args.limited = limited;
        args.hidden = hidden;
        args.baseId = 5000;
        CCtrlCheck* box = nullptr;
        EXPECT_TRUE(CUtility::CreateCtrlCheck(args, box));
        if (box && table)
            table->push_back(box->Entry());
        return box;
    }

    void Deliver() { QCoreApplication::processEvents(); }
    std::uint8_t Master(int address) const { return app.m_pParMaster[static_cast<std::size_t>(address)]; }

    LinkUiSinkAdapter adapter;
    RecordingPages app;
    CTRL_TABLE par2, par3, var2;
    QWidget page;
};

// A click on a flag under mask 0x04 sets bit 2 of the master image and
// nothing else; a second click clears it again. Offline nothing is asked
// of the worker; linked, one write of the byte.
TEST_F(CheckPage, AClickWritesItsBitOnly)
{
    CCtrlCheck* box = Make(CheckDef(1, 16, 0x04), 0, nullptr);
    app.m_pParMaster[16] = 0xF3;
    box->HandleMessage(WM_CTRL_REFRESH, 1, 0, nullptr);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(box->IsChecked());
    EXPECT_EQ(Master(16), 0xF7);
    EXPECT_TRUE(app.requests.empty());
    app.m_bLinked = 1;
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(Master(16), 0xF3);
    EXPECT_EQ(app.requests, (std::vector<RecordingPages::Request>{{WM_LINK_WRITE_RANGE, 16, 1}}));
    app.m_bLinked = 0;
}

// 3 under a two-bit mask is not 1: the box shows unchecked; a tick writes 1.
TEST_F(CheckPage, AValueOtherThanOneShowsUncheckedAndATickWritesOne)
{
    CCtrlCheck* box = Make(CheckDef(1, 17, 0x03), 0, nullptr);
    app.m_pParMaster[17] = 0x03;
    box->HandleMessage(WM_CTRL_REFRESH, 1, 0, nullptr);
    EXPECT_FALSE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(Master(17), 0x01);
}

// The switch without a datum shows and hides the control it names, posts
// no write and leaves both images as they were.
TEST_F(CheckPage, ASwitchWithoutADatumShowsAndHidesOnly)
{
    CCtrlCheck* target = Make(CheckDef(5, 20), 1, &par2);
    CCtrlCheck* box = Make(SwitchDef(1, 0, {5}, {}, false), 0, &par2);
    CUtility::UpdateSwitchCtrls(par2);
    EXPECT_TRUE(target->isHidden());
    const std::vector<std::uint8_t> before(app.m_pParMaster.get(), app.m_pParMaster.get() + 32);
    app.m_bLinked = 1;
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(target->isHidden());
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(target->isHidden());
    EXPECT_EQ(std::vector<std::uint8_t>(app.m_pParMaster.get(), app.m_pParMaster.get() + 32), before);
    for (const RecordingPages::Request& request : app.requests)
        EXPECT_NE(request.id, WM_LINK_WRITE_RANGE);
    app.m_bLinked = 0;
}

// The limited flag closes a box for the public profile even when its
// definition enables it; a privileged profile opens it regardless.
TEST_F(CheckPage, ProfileAndLimitedFlagDecideInput)
{
    struct Case {
        int profile;
        bool limited;
        std::int32_t abilitato;
        bool enabled;
    };
    const Case cases[] = {
        {OPR_PBL, true, ABIL_SI, false},  {OPR_PBL, false, ABIL_SI, true}, {OPR_PBL, false, ABIL_NO, false},
        {OPR_REM, true, ABIL_NO, true},   {OPR_PRV, true, ABIL_SI, true},  {OPR_LIMIT, false, ABIL_SI, true},
    };
    int row = 0;
    for (const Case& c : cases) {
        REC_CONTROLLO definition = CheckDef(1 + row, 0);
        std::get<CheckBlock>(definition.GRAFICA).ABILITATO = c.abilitato;
        CCtrlCheck* box = Make(definition, row++, nullptr, c.profile, c.limited);
        EXPECT_EQ(box->isEnabled(), c.enabled) << "profile " << c.profile << " limited " << c.limited;
    }
    // Later, the profile alone decides: 4 closes, 2 opens, 0 follows ABILITATO.
    REC_CONTROLLO definition = CheckDef(30, 0);
    CCtrlCheck* box = Make(definition, row, nullptr, OPR_PBL, true);
    box->EnableForLevel(OPR_LIMIT);
    EXPECT_FALSE(box->isEnabled());
    box->EnableForLevel(OPR_REM);
    EXPECT_TRUE(box->isEnabled());
    // The link coming up does not open what the profile closed.
    box->EnableForLevel(OPR_LIMIT);
    box->HandleMessage(WM_CTRL_ENABLE, 1, 0, nullptr);
    EXPECT_FALSE(box->isEnabled());
}

// Ctrl+Z on the focused box, through the key router: the first undo shows
// the previous state and stores it; the second shows the same state again.
TEST_F(CheckPage, UndoTwiceThroughTheKeysShowsTheSameStateTwice)
{
    CCtrlCheck* box = Make(CheckDef(1, 16, 0x01), 0, nullptr);
    box->setFocus();
    QTest::mouseClick(box, Qt::LeftButton);
    ASSERT_TRUE(box->IsChecked());
    ASSERT_EQ(Master(16), 1);
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(box->IsChecked());
    EXPECT_EQ(Master(16), 0);
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(box->IsChecked());
    EXPECT_EQ(Master(16), 0);
}

// Posts reach the boxes through the link's sink: a refresh with wParam 0
// sent to the operand makes its linked box store and write, and a post
// naming a box that is gone is dropped with its record.
TEST_F(CheckPage, PostsReachRegisteredBoxesAndAreDroppedAfterThem)
{
    CCtrlCheck* box = Make(CheckDef(1, 16, 0x01), 0, nullptr);
    app.m_pParMaster[16] = 1;
    app.PostToControl(box, WM_CTRL_REFRESH, 1);
    EXPECT_FALSE(box->IsChecked()) << "a post arrives after the poster returns";
    Deliver();
    EXPECT_TRUE(box->IsChecked());

    IDataCtrl* gone = box;
    delete box;
    app.PostToControl(gone, WM_CTRL_REFRESH, 1);
    Deliver();
}

// WM_CTRL_TOOLTIP to a box without a tooltip frees its record all the same.
TEST_F(CheckPage, ATooltipMessageWithoutATooltipFreesItsRecord)
{
    REC_CONTROLLO definition = CheckDef(1, 16);
    definition.COMMENTO.clear();
    CCtrlCheck box(app, definition, false, &page);
    {
        auto relayed = std::make_unique<CountedToolTipMsg>();
        relayed->type = QEvent::MouseMove;
        vexar::ui::PostMessage(&box, {WM_CTRL_TOOLTIP, 0, 0, std::move(relayed)});
    }
    EXPECT_EQ(CountedToolTipMsg::live, 1);
    Deliver();
    EXPECT_EQ(CountedToolTipMsg::live, 0);
}

// A disabled box still shows its comment when the page relays the pointer
// resting over it.
TEST_F(CheckPage, ADisabledBoxShowsItsCommentOnHover)
{
    REC_CONTROLLO definition = CheckDef(1, 16);
    definition.COMMENTO = u"Changeover on temperature";
    std::get<CheckBlock>(definition.GRAFICA).ABILITATO = ABIL_NO;
    CCtrlCheck* box = Make(definition, 0, nullptr, OPR_PBL);
    ASSERT_FALSE(box->isEnabled());
    ASSERT_NE(box->ToolTip(), nullptr);
    EXPECT_EQ(box->ToolTip()->Text(), QString("Changeover on temperature"));
    auto relayed = std::make_unique<TOOLTIP_MSG>();
    relayed->type = QEvent::MouseMove;
    relayed->globalPos = box->mapToGlobal(box->rect().center());
    vexar::ui::PostMessage(box, {WM_CTRL_TOOLTIP, 0, 0, std::move(relayed)});
    EXPECT_TRUE(QTest::qWaitFor([&] { return box->ToolTip()->IsShown(); }, 2000));
}

// A line with 1 checks a bound box and runs its actions; after an untick
// the next save writes 0 and records the change from 1 to 0.
TEST_F(CheckPage, ALoadedLineRunsTheActionsAndTheNextSaveRecordsTheChange)
{
    vexar::testing::TempDir dir;
    CCtrlCheck* target = Make(CheckDef(5, 20), 1, &par2);
    CCtrlCheck* box = Make(SwitchDef(1, 4, {5}), 0, &par2);
    CUtility::UpdateSwitchCtrls(par2);
    ASSERT_TRUE(target->isHidden());
    ASSERT_TRUE(box->LoadParam(u"CHK1                             \t1                   \tA box"));
    EXPECT_TRUE(box->IsChecked());
    EXPECT_FALSE(target->isHidden());
    QTest::mouseClick(box, Qt::LeftButton);
    CCriptFile file;
    ASSERT_NE(file.Open(dir.file("c.DAT"), 0), 0);
    CModifica history;
    box->SaveParam(file, history);
    ASSERT_TRUE(file.Close());
    ASSERT_EQ(history.GetCount(), 1);
    EXPECT_EQ(history.GetList()[0].PRECEDENTE, u"1");
    EXPECT_EQ(history.GetList()[0].CORRENTE, u"0");
}

}  // namespace
