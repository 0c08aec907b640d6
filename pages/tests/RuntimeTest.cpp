// The table runtime without a screen: visibility conditions from several
// switches, the profile gate, the one control per datum, the linked-control
// lists, and the worker's polled lists following what shows.
#include "CoreFixture.h"

#include "pages/core/CUtilityTables.h"

#include <chrono>

using namespace vexar::pagestest;
using namespace std::chrono_literals;
using vexar::link::WM_CTRL_FORCE_REFRESH;
using vexar::link::WM_CTRL_STORE;
using vexar::link::WM_LINK_REBUILD_POLL_LIST;

namespace {

std::vector<const IDataCtrl*> Receivers(const std::vector<vexar::testing::QueuedPost>& posts, unsigned message)
{
    std::vector<const IDataCtrl*> controls;
    for (const vexar::testing::QueuedPost& post : posts)
        if (post.message == message)
            controls.push_back(post.control);
    return controls;
}

// A control named by two boxes for their checked state shows only while
// both are checked; unchecking either hides it at once.
TEST_F(CoreTest, AControlNamedByTwoBoxesShowsOnlyWhileBothAreChecked)
{
    CoreTestCtrl& target = Add(ValueDef(5, 3), &par2);
    CoreTestCtrl& first = Add(SwitchDef(1, 0, {5}), &par2);
    CoreTestCtrl& second = Add(SwitchDef(2, 1, {5}), &par2);
    CUtility::UpdateSwitchCtrls(par2);
    EXPECT_FALSE(target.shown);
    EXPECT_EQ(target.Conditions().size(), 2u);

    first.UserSets(1);
    EXPECT_FALSE(target.shown);
    second.UserSets(1);
    EXPECT_TRUE(target.shown);
    EXPECT_EQ(par2[0].hidden, 0);
    first.UserSets(0);
    EXPECT_FALSE(target.shown);
    EXPECT_EQ(par2[0].hidden, 1);
    first.UserSets(1);
    second.UserSets(0);
    EXPECT_FALSE(target.shown);
}

// With every condition met but a profile that does not show the control
// (profile 0, a privileged control), the window stays as it was, but the
// conditions no longer hide it: a later privileged profile shows it.
TEST_F(CoreTest, ConditionsMetUnderAClosedProfileLetALaterProfileShowTheControl)
{
    app.m_nOperator = OPR_PBL;
    REC_CONTROLLO privileged = ValueDef(5, 3);
    privileged.OPERATORE = OPR_PRV;
    CoreTestCtrl& target = Add(privileged, &par2);
    CoreTestCtrl& box = Add(SwitchDef(1, 0, {5}), &par2);
    target.shown = false;  // built invisible for profile 0
    CUtility::UpdateSwitchCtrls(par2);
    EXPECT_TRUE(target.IsCondHidden());
    box.UserSets(1);
    EXPECT_FALSE(target.shown) << "profile 0 does not show a privileged control";
    EXPECT_FALSE(target.IsCondHidden());

    app.m_nOperator = OPR_PRV;
    CUtility::ShowCtrlByCategory(OPR_PRV, par2[0]);
    EXPECT_TRUE(target.shown);
}

// All controls of a datum hidden: one message, to the control with the most
// conditions met; on a tie the lower key, compared unsigned.
TEST_F(CoreTest, AnAllHiddenDatumGetsOneMessageByMetConditionsThenKey)
{
    CoreTestCtrl& a = Add(ValueDef(30, 8), nullptr, true);
    CoreTestCtrl& b = Add(ValueDef(20, 8), nullptr, true);
    CoreTestCtrl& c = Add(ValueDef(-5, 8), nullptr, true);  // 0xFFFFFFFB: the highest key unsigned
    for (CoreTestCtrl* control : {&a, &b, &c}) {
        control->shown = false;
        control->AddVisKey(100);
        control->AddVisKey(101);
    }
    a.SetVisKey(100, false);  // one condition met
    b.SetVisKey(100, false);  // one condition met: tie with a, lower key
    ASSERT_TRUE(CUtility::ShowOneCtrlPerGroup(app, all, true));
    EXPECT_EQ(Receivers(sink.Seen(), WM_CTRL_FORCE_REFRESH), (std::vector<const IDataCtrl*>{&b}));

    sink.ClearSeen();
    a.SetVisKey(101, false);  // a now meets both (and shows)
    a.shown = false;
    ASSERT_TRUE(CUtility::ShowOneCtrlPerGroup(app, all, false));
    EXPECT_EQ(Receivers(sink.Seen(), WM_CTRL_STORE), (std::vector<const IDataCtrl*>{&a}));
    (void)c;
}

// Two hidden flags with disjoint masks on one byte are two datums: each
// gets its store, so both loaded values reach the image.
TEST_F(CoreTest, HiddenFlagsWithDisjointMasksOnOneByteAreStoredBoth)
{
    CoreTestCtrl& low = Add(CheckDef(1, 16, 0x01), nullptr, true);
    CoreTestCtrl& high = Add(CheckDef(2, 16, 0x04), nullptr, true);
    CoreTestCtrl& overlapping = Add(CheckDef(3, 16, 0x06), nullptr, true);
    ASSERT_TRUE(CUtility::ShowOneCtrlPerGroup(app, all, false));
    // 0x04 and 0x06 share bit 2: one datum with one message; 0x01 its own.
    const std::vector<const IDataCtrl*> stored = Receivers(sink.Seen(), WM_CTRL_STORE);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0], &low);
    EXPECT_EQ(stored[1], &high);

    sink.ClearSeen();
    low.ProgramSets(1);
    high.ProgramSets(1);
    ASSERT_TRUE(CUtility::ShowOneCtrlPerGroup(app, all, false));
    sink.Pump();
    EXPECT_EQ(Master(16), 0x05);
    (void)overlapping;
}

// A shown FIX_ON control that no switch names still gets its store after a
// calibration load and its forced refresh after a whole-image read; a
// FIX_OFF control is left to the table's own store and the engine.
TEST_F(CoreTest, EveryShownFixOnControlGetsTheStoreOrTheForcedRefresh)
{
    CoreTestCtrl& shownA = Add(ValueDef(1, 4), nullptr);
    CoreTestCtrl& shownB = Add(ValueDef(2, 4), nullptr);
    Add(ValueDef(3, 5, DATO_UBYTE, FIX_OFF), nullptr);
    ASSERT_TRUE(CUtility::ShowOneCtrlPerGroup(app, all, false));
    EXPECT_EQ(Receivers(sink.Seen(), WM_CTRL_STORE), (std::vector<const IDataCtrl*>{&shownA, &shownB}));

    sink.ClearSeen();
    shownA.ProgramSets(12);
    ASSERT_TRUE(CUtility::ShowOneCtrlPerGroup(app, all, false));
    sink.Pump();
    EXPECT_EQ(Master(4), 0) << "the second control's store came last and wins";
    shownB.ProgramSets(12);
    ASSERT_TRUE(CUtility::ShowOneCtrlPerGroup(app, all, false));
    sink.Pump();
    EXPECT_EQ(Master(4), 12);
}

// The linked-control lists: a six-operand conversion links its control to
// each operand control once, never to the slot of its own value.
TEST_F(CoreTest, LinkedListsSkipDuplicateKeysAndTheOwnSlot)
{
    CoreTestCtrl& operand = Add(ValueDef(1, 1), nullptr);
    CoreTestCtrl& other = Add(ValueDef(2, 2), nullptr);
    REC_CONTROLLO formula = ValueDef(3, 3);
    formula.TIPO_CONV = CONV_FORM_EXT;
    ConvFormExt ext;
    ext.K1 = 1;
    ext.K3 = 1;
    ext.ID = {1, 1, 3, 2, 0, 0};  // operand 1 twice; slot 3 is the control's own value
    ext.IDX = 3;
    formula.CONVERSIONE = ext;
    CoreTestCtrl& dependent = Add(formula, nullptr);
    CTRL_TABLE table = all;
    app.m_pParTable = &table;
    ASSERT_TRUE(CUtility::ValidateAllCtrls(table));
    CUtility::LinkDependentCtrls(table);
    CUtility::LinkDependentCtrls(table);  // a second pass adds nothing
    ASSERT_EQ(operand.LinkedCtrls().size(), 1u);
    EXPECT_EQ(operand.LinkedCtrls()[0].wnd, &dependent);
    ASSERT_EQ(other.LinkedCtrls().size(), 1u);
    EXPECT_TRUE(dependent.LinkedCtrls().empty()) << "its own slot links nothing";
    app.m_pParTable = nullptr;
}

// A key that names no control fails the operand check for its control
// alone: the operand before it and the control after it are still
// resolved and linked, and the fault names the control, the slot and the
// key.
TEST_F(CoreTest, AnOperandKeyWithoutAControlFailsTheCheckForItsControlAlone)
{
    CoreTestCtrl& operand = Add(ValueDef(1, 1), nullptr);
    ConvFormExt ext;
    ext.ID = {1, 77, 3, 0, 0, 0};  // slot 3 is the control's own value
    ext.IDX = 3;
    REC_CONTROLLO broken = ValueDef(3, 3);
    broken.IDENTIFICATORE = u"Broken";
    broken.TIPO_CONV = CONV_FORM_EXT;
    broken.CONVERSIONE = ext;
    CoreTestCtrl& brokenCtrl = Add(broken, nullptr);
    ext.ID = {1, 0, 4, 0, 0, 0};
    REC_CONTROLLO sound = ValueDef(4, 4);
    sound.TIPO_CONV = CONV_FORM_EXT;
    sound.CONVERSIONE = ext;
    CoreTestCtrl& soundCtrl = Add(sound, nullptr);
    CTRL_TABLE table = all;
    app.m_pParTable = &table;
    EXPECT_FALSE(CUtility::ValidateAllCtrls(table));

    const std::vector<CUtility::OPERAND_FAULT> faults = CUtility::ResolveAndLinkCtrls(table);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].key, 3);
    EXPECT_EQ(faults[0].identifier, u"Broken");
    EXPECT_EQ(faults[0].slot, 2);
    EXPECT_EQ(faults[0].operandKey, 77);
    ASSERT_EQ(operand.LinkedCtrls().size(), 2u);
    EXPECT_EQ(operand.LinkedCtrls()[0].wnd, &brokenCtrl);
    EXPECT_EQ(operand.LinkedCtrls()[1].wnd, &soundCtrl);
    app.m_pParTable = nullptr;
}

// The worker's polled lists follow the switches: after an untick hides the
// live variable 203, the published tables mark it hidden and the real
// worker's rebuilt list leaves it out.
TEST(RuntimeWithWorker, AnUntickedSwitchTakesItsVariableOutOfThePoll)
{
    vexar::testing::QueuedUiSink sink;
    CVEXARPages app;
    app.ResizeImages(32, 32);
    CTRL_TABLE par2, par3, var, var2;
    app.m_pParTable2 = &par2;
    app.m_pParTable3 = &par3;
    app.m_pVarTable = &var;
    app.m_pVarTable2 = &var2;
    app.m_nOperator = OPR_PRV;
    CoreTestCtrl live(app, LiveDef(203, 6));
    CoreTestCtrl other(app, LiveDef(204, 7));
    CoreTestCtrl box(app, SwitchDef(110, 16, {}, {203}, false));
    var = {live.Entry(), other.Entry()};
    var2 = var;
    par2 = {box.Entry()};
    app.m_bVarPageShown = true;
    ASSERT_TRUE(app.StartLinkThread(&sink));
    CUtility::UpdateSwitchCtrls(par2);

    const auto polled = [&] {
        // Served in posting order: once the stop is answered, the rebuild
        // before it has been done.
        sink.ClearSeen();
        app.PostLinkRequest(vexar::link::WM_LINK_ACQ_STOP);
        EXPECT_TRUE(sink.WaitFor(nullptr, vexar::link::WM_ACQ_STOPPED, 5s));
        std::vector<std::int32_t> keys;
        for (const CTRL_WND& entry : app.m_pollVarCtrls)
            keys.push_back(entry.key);
        return keys;
    };
    EXPECT_EQ(polled(), (std::vector<std::int32_t>{204})) << "unchecked at start: 203 hidden";
    box.UserSets(1);
    EXPECT_EQ(polled(), (std::vector<std::int32_t>{203, 204}));
    box.UserSets(0);
    EXPECT_EQ(var2[0].hidden, 1);
    const std::shared_ptr<const vexar::link::LinkCtrlTables> tables = app.CtrlTables();
    ASSERT_TRUE(tables);
    EXPECT_EQ(tables->varTable2[0].hidden, 1);
    EXPECT_EQ(polled(), (std::vector<std::int32_t>{204}));
    app.SignalQuit();
    app.JoinLinkThread();
    app.m_pUiSink = nullptr;
}

}  // namespace
