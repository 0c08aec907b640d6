// A value that the program sets and the widget can show only inside its
// range (an ECU byte of 200 on a knob or slide whose scale is 0 to 10): the
// widget shows 10, but every store, the calibration line and undo give back
// 200 until the user changes the value, on a shown page and against the
// simulated ECU.
#include "pages/CCtrlKnob.h"
#include "pages/CCtrlSlide.h"

#include "ControlsOnLine.h"

using namespace vexar::pagestest;
using namespace vexar::link;
using instruments::HoldKey;
using vexar::ecusim::Image;

namespace {

// MIN is no number, so the widget keeps its own scale of 0 to 10.
REC_CONTROLLO HeldDef(std::int32_t id, std::u16string name, std::int32_t category, std::int32_t address)
{
    REC_CONTROLLO d = Def(id, std::move(name), category, address);
    d.MIN = u"A";
    d.MAX = u"100";
    d.DEFAULT = u"5";
    d.FIXDEF = FIX_OFF;
    return d;
}

void Post(vexar::ui::WindowBase& control, unsigned id, std::uintptr_t wParam = 0)
{
    vexar::ui::WindowMessage message{id, wParam, 0, nullptr};
    control.Dispatch(message);
}

class HeldValuePage : public GaugePage {
protected:
    // The knob's and the slide's steps, byte `address` holding 200.
    template <class Control>
    void ExpectHeld(Control& control, int address, const std::u16string& name)
    {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        control.setFocus();
        Par(address) = 200;
        Send(control, WM_CTRL_REFRESH, 1);
        ASSERT_EQ(control.CWScaledControl::GetValue(), 10.0) << "the widget shows what its scale holds";
        EXPECT_EQ(control.GetValue(), 200.0);

        app.m_bLinked = 1;
        app.requests.clear();
        Send(control, WM_CTRL_STORE_WRITE, 1);
        EXPECT_EQ(Par(address), 200) << "an operand's store-write";
        EXPECT_EQ(Writes(), 1u);
        Send(control, WM_CTRL_STORE);
        EXPECT_EQ(Par(address), 200) << "the store of the control check";
        control.StoreAtLoad();
        EXPECT_EQ(Par(address), 200) << "the store at load";

        CModifica history;
        const std::u16string line = SavedLines(control, history);
        EXPECT_NE(line.find(u"\t200.000000"), std::u16string::npos) << std::string(line.begin(), line.end());
        Par(address) = 7;
        ASSERT_TRUE(control.LoadParam(line));
        Send(control, WM_CTRL_STORE);
        EXPECT_EQ(Par(address), 200) << "a calibration saved and loaded back";

        // Up at the end of the scale leaves the value where it was shown:
        // no change. Down (ten steps of 0.1) is the user's change, and undo
        // gives back 200.
        app.requests.clear();
        HoldKey(control, Qt::Key_Up, 0);
        EXPECT_EQ(Writes(), 0u);
        EXPECT_EQ(Par(address), 200);
        HoldKey(control, Qt::Key_Down, 9);
        EXPECT_EQ(Par(address), 9);
        EXPECT_EQ(Writes(), 1u);
        Undo(control);
        EXPECT_EQ(Par(address), 200);
        EXPECT_EQ(control.CWScaledControl::GetValue(), 10.0);
        EXPECT_EQ(Writes(), 2u);
        Undo(control);
        EXPECT_EQ(Writes(), 2u) << "a second undo applies the same value";
        app.m_bLinked = 0;
    }
};

TEST_F(HeldValuePage, StoresSavesAndUndoKeepTheValueReadUntilTheUserChangesIt)
{
    CCtrlKnob* knob = Make(&CUtility::CreateCtrlKnob, HeldDef(1, u"KNOB", CTRL_KNOB, 20), &par);
    ASSERT_EQ(knob->GetMaximum(), 10.0);
    ExpectHeld(*knob, 20, u"KNOB");
    CCtrlSlide* slide = Make(&CUtility::CreateCtrlSlide, HeldDef(2, u"SLIDE", CTRL_SLIDE, 21), &par, {.row = 4});
    ASSERT_EQ(slide->GetMaximum(), 10.0);
    ExpectHeld(*slide, 21, u"SLIDE");
}

// The same knob and slide on the ECU's bytes of 200: the connect's read
// shows 10 in both; an operand's store-write and the store at load with
// the whole-image write that follows it leave 200 in the ECU.
class HeldValueOnLine : public ControlsOnLine {
protected:
    HeldValueOnLine() : ControlsOnLine(900, 400, 140)
    {
        knob = Place(&CUtility::CreateCtrlKnob, HeldDef(105, u"Temp_Cambio", CTRL_KNOB, 20), par, 0, 0);
        slide = Place(&CUtility::CreateCtrlSlide, HeldDef(106, u"Ritardo_Cambio", CTRL_SLIDE, 21), par, 1, 0);
        const std::uint8_t held[] = {200, 200};
        rig.sim().WriteImage(Image::Parameters, 20, held);
        StartLink(50);
    }

    // Every request posted so far has been served: the worker takes them
    // in order, and a whole-image read ends by closing its progress window.
    void Served()
    {
        const int reads = view.progressClosed;
        app.PostLinkRequest(WM_LINK_READ_ALL);
        ASSERT_TRUE(QTest::qWaitFor([&] { return view.progressClosed > reads; }, 20000));
    }

    CCtrlKnob* knob = nullptr;
    CCtrlSlide* slide = nullptr;
};

TEST_F(HeldValueOnLine, AStoreWritesBackTheValueItRead)
{
    Connect();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return knob->CWScaledControl::GetValue() == 10.0 && slide->CWScaledControl::GetValue() == 10.0; },
        10000));
    const std::vector<std::uint8_t> held = {200, 200};

    Post(*knob, WM_CTRL_STORE_WRITE, 1);
    Post(*slide, WM_CTRL_STORE_WRITE, 1);
    ASSERT_NO_FATAL_FAILURE(Served());
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 20, 2), held) << "an operand's store-write";

    knob->StoreAtLoad();
    slide->StoreAtLoad();
    app.PostLinkRequest(WM_LINK_WRITE_ALL);
    ASSERT_NO_FATAL_FAILURE(Served());
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 20, 2), held) << "the store at load";
}

}  // namespace
