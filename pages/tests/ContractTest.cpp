// The control contract without a screen: refresh, store and write with
// their FIX_ON/FIX_OFF rules, offline edits, undo, the linked controls,
// the calibration and export lines, and the check box's own values.
#include "CoreFixture.h"

#include "common/CCriptFile.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "config/CModifica.h"
#include "TempDir.h"
#include "pages/core/CUtilityTables.h"

using namespace vexar::pagestest;
using vexar::link::WM_CTRL_FORCE_REFRESH;
using vexar::link::WM_CTRL_REFRESH;
using vexar::link::WM_CTRL_STORE;
using vexar::link::WM_CTRL_STORE_WRITE;
using vexar::link::WM_LINK_REBUILD_POLL_LIST;
using vexar::link::WM_LINK_WRITE_RANGE;
using Request = RecordingPages::Request;

namespace {

// A FIX_ON or FIX_OFF value control hidden by a condition: FIX_ON neither
// shows a refreshed value nor stores its own; FIX_OFF does both; a forced
// message reaches either.
TEST_F(CoreTest, HiddenControlsRefreshAndStoreByTheirFixdef)
{
    struct Case {
        std::int32_t fixdef;
        bool force;
        bool takesRefresh;
        bool stores;
    };
    const Case cases[] = {
        {FIX_ON, false, false, false},
        {FIX_ON, true, true, true},
        {FIX_OFF, false, true, true},
        {FIX_OFF, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fixdef " << c.fixdef << " force " << c.force);
        CoreTestCtrl& control = Add(ValueDef(1, 4, DATO_UBYTE, c.fixdef), nullptr, true);
        control.ProgramSets(9);
        SetMaster(4, 42);
        if (c.force)
            control.HandleMessage(WM_CTRL_FORCE_REFRESH, 0, 0, nullptr);
        else
            control.HandleMessage(WM_CTRL_REFRESH, 1, 0, nullptr);
        EXPECT_EQ(Work(4), 42) << "the working image is always updated";
        EXPECT_EQ(control.GetValue(), c.takesRefresh ? 42.0 : 9.0);

        control.ProgramSets(7);
        if (c.force)
            control.HandleMessage(WM_CTRL_STORE, 0, 0, nullptr);
        else
            control.HandleMessage(WM_CTRL_STORE_WRITE, 0, 0, nullptr);
        EXPECT_EQ(Master(4), c.stores ? 7 : 42);
    }
}

// A user edit stores into the master image; only with the link up does it
// ask the worker to write, one request of the datum's bytes.
TEST_F(CoreTest, EditsWriteTheirBytesOnlyWhileLinked)
{
    CoreTestCtrl& word = Add(ValueDef(1, 6, DATO_UWORD), nullptr);
    word.UserSets(0x1234);
    EXPECT_EQ(Master(6), 0x12);
    EXPECT_EQ(Master(7), 0x34);
    EXPECT_TRUE(app.requests.empty()) << "offline: the master image only";

    app.m_bLinked = 1;
    word.UserSets(0x0102);
    EXPECT_EQ(app.requests, (std::vector<Request>{{WM_LINK_WRITE_RANGE, 6, 2}}));
    app.m_bLinked = 0;
}

// Undo shows the previous value and commits it; a second undo shows the
// same value again (one level).
TEST_F(CoreTest, UndoTwiceShowsTheSameValueTwice)
{
    CoreTestCtrl& control = Add(ValueDef(1, 2), nullptr);
    control.UserSets(5);
    control.UserSets(8);
    control.Undo();
    EXPECT_EQ(control.GetValue(), 5.0);
    EXPECT_EQ(Master(2), 5);
    control.Undo();
    EXPECT_EQ(control.GetValue(), 5.0);
    EXPECT_EQ(Master(2), 5);
}

// A refresh hands its wParam on: 1 makes the linked controls refresh, 0
// makes them store and write their own values.
TEST_F(CoreTest, RefreshHandsItsWParamOnToLinkedControls)
{
    CoreTestCtrl& operand = Add(ValueDef(1, 1), nullptr);
    CoreTestCtrl& dependent = Add(ValueDef(2, 2), nullptr);
    CUtility::AddDependency(dependent.Entry(), operand.LinkedCtrls());
    for (const std::uintptr_t w : {std::uintptr_t{1}, std::uintptr_t{0}}) {
        sink.ClearSeen();
        operand.HandleMessage(WM_CTRL_REFRESH, w, 0, nullptr);
        const std::vector<vexar::testing::QueuedPost> seen = sink.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].control, &dependent);
        EXPECT_EQ(seen[0].message, w ? WM_CTRL_REFRESH : WM_CTRL_STORE_WRITE);
        EXPECT_EQ(seen[0].wParam, 1u);
    }
    // Without the switch nothing is handed on.
    app.m_bNotifyLinked = false;
    sink.ClearSeen();
    operand.HandleMessage(WM_CTRL_REFRESH, 1, 0, nullptr);
    EXPECT_TRUE(sink.Seen().empty());
}

// Check box values: a flag under mask 0x04 changes bit 2 only; a datum of
// 3 under two bits is not 1 and shows unchecked, and a tick writes 1.
TEST_F(CoreTest, CheckBoxShowsOneAndWritesItsBitsOnly)
{
    CoreTestCtrl& flag = Add(CheckDef(1, 16, 0x04), nullptr);
    SetMaster(16, 0xF3);
    flag.HandleMessage(WM_CTRL_REFRESH, 1, 0, nullptr);
    EXPECT_EQ(flag.GetValue(), 0.0);
    flag.UserSets(1);
    EXPECT_EQ(Master(16), 0xF7);
    flag.UserSets(0);
    EXPECT_EQ(Master(16), 0xF3);

    CoreTestCtrl& twoBits = Add(CheckDef(2, 17, 0x03), nullptr);
    SetMaster(17, 0x03);
    twoBits.HandleMessage(WM_CTRL_REFRESH, 1, 0, nullptr);
    EXPECT_EQ(twoBits.GetValue(), 0.0);
    twoBits.UserSets(1);
    EXPECT_EQ(Master(17), 0x01);
}

// Two flags share a byte. The ECU's image changed the other flag's bit
// since this box was last refreshed (a read, another window's write): an
// edit keeps that bit instead of writing back the stale working copy.
TEST_F(CoreTest, AnEditKeepsTheBitsOthersChangedInTheMasterSince)
{
    CoreTestCtrl& first = Add(CheckDef(1, 16, 0x01), nullptr);
    Add(CheckDef(2, 16, 0x02), nullptr);
    first.HandleMessage(WM_CTRL_REFRESH, 1, 0, nullptr);  // the working copy: 0x00
    SetMaster(16, 0xF2);                                    // then the image changed
    first.UserSets(1);
    EXPECT_EQ(Master(16), 0xF3);
    first.SetDefault();                                     // DEFAULT 0: bit 0 only
    EXPECT_EQ(Master(16), 0xF2);
}

// A display switch (PAR_NO) shows and hides what it names but has no
// datum: no write request, images untouched.
TEST_F(CoreTest, ADisplaySwitchShowsAndHidesButWritesNothing)
{
    CoreTestCtrl& target = Add(ValueDef(5, 3), &par2);
    CoreTestCtrl& box = Add(SwitchDef(1, 0, {5}, {}, false), nullptr);
    CUtility::AddVisibilityLink(&par2, 5, 1);
    SetMaster(0, 0xAA);
    const std::vector<std::uint8_t> before(app.m_pParMaster.get(), app.m_pParMaster.get() + 32);
    app.m_bLinked = 1;
    box.UserSets(1);
    EXPECT_TRUE(target.shown);
    box.UserSets(0);
    EXPECT_FALSE(target.shown);
    EXPECT_EQ(std::vector<std::uint8_t>(app.m_pParMaster.get(), app.m_pParMaster.get() + 32), before);
    for (const Request& request : app.requests)
        EXPECT_NE(request.id, WM_LINK_WRITE_RANGE);
    app.m_bLinked = 0;
}

// The value field of a line is trimmed; a letter in it refuses the line
// and leaves the control as it was.
TEST_F(CoreTest, LoadParamTrimsTheValueAndRefusesALetter)
{
    CoreTestCtrl& box = Add(CheckDef(1, 4), nullptr);
    EXPECT_TRUE(box.LoadParam(u"CHK1\t 12 \tcomment"));
    EXPECT_EQ(box.GetValue(), 1.0);
    EXPECT_EQ(box.LastSavedText(), u"12");
    EXPECT_FALSE(box.LoadParam(u"CHK1\t1a\t"));
    EXPECT_EQ(box.GetValue(), 1.0);
    EXPECT_EQ(box.LastSavedText(), u"12");
}

// A line "1" checks a bound box and runs its actions; the next save after
// an untick writes 0 and records the change 1 -> 0 with the exact line.
TEST_F(CoreTest, ALoadedBoxRecordsItsChangeAtTheNextSave)
{
    vexar::testing::TempDir dir;
    CoreTestCtrl& target = Add(ValueDef(5, 3), &par2);
    CoreTestCtrl& box = Add(SwitchDef(1, 4, {5}), nullptr);
    CUtility::AddVisibilityLink(&par2, 5, 1);
    ASSERT_TRUE(box.LoadParam(u"CHK1                             \t1                   \tA box"));
    EXPECT_EQ(box.GetValue(), 1.0);
    EXPECT_TRUE(target.shown);
    box.UserSets(0);
    EXPECT_FALSE(target.shown);

    CCriptFile file;
    ASSERT_NE(file.Open(dir.file("c.DAT"), 0), 0);
    CModifica history;
    EXPECT_TRUE(box.SaveParam(file, history));
    ASSERT_TRUE(file.Close());
    CCriptFile back;
    ASSERT_NE(back.Open(dir.file("c.DAT"), 1), 0);
    std::u16string line;
    ASSERT_TRUE(back.ReadLine(line));
    EXPECT_EQ(line, u"CHK1                             \t0                   \tA box");
    ASSERT_EQ(history.GetCount(), 1);
    EXPECT_EQ(history.GetList()[0].IDENTIFICATORE, u"CHK1");
    EXPECT_EQ(history.GetList()[0].PRECEDENTE, u"1");
    EXPECT_EQ(history.GetList()[0].CORRENTE, u"0");
    EXPECT_EQ(history.GetList()[0].time, std::time_t{1276588800});
}

// The export line of a bound control: identifier, label, value.
TEST_F(CoreTest, ExportLineOfABoundControl)
{
    vexar::testing::TempDir dir;
    CoreTestCtrl& box = Add(CheckDef(1, 4), nullptr);
    box.UserSets(1);
    CoreTestCtrl& unbound = Add(SwitchDef(2, 0, {}, {}, false), nullptr);
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(dir.file("list.txt"), CStdioFileEx::modeCreate | CStdioFileEx::modeWrite));
    box.ExportText(file);
    unbound.ExportText(file);
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(vexar::testing::ReadAll(dir.file("list.txt")), "CHK1\tBox\t1\n");
}

}  // namespace
