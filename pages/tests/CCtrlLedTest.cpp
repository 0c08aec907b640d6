// The toggle and the lamp on a shown page, driven by QTest: what a flip
// writes and what the program's sets do not, a flag's bit under its mask,
// the link down, the keys of each state, the switch without a datum, undo,
// the lamps' colours on screen and the recording samples.
#include "pages/CCtrlLed.h"

#include "GaugeFixture.h"
#include "common/Text.h"
#include "config/AcqSample.h"
#include "link/LinkRequests.h"
#include "pages/core/CUtilityTables.h"

#include <QSignalSpy>

#include <atomic>
#include <functional>

using namespace vexar::pagestest;
using namespace vexar::link;
using instruments::FindColour;
using instruments::HoldKey;
using instruments::Shot;

namespace {

// A sample record that counts its live copies.
struct CountedSample : ACQ_SAMPLE_MESSAGE {
    static inline std::atomic<int> live{0};
    CountedSample(double time, std::int32_t raw, std::int32_t marker)
    {
        sample = {time, raw, marker};
        ++live;
    }
    ~CountedSample() override { --live; }
};

class LedPage : public GaugePage {
protected:
    // A toggle as the link's coming up leaves it: open to flips.
    CCtrlLed* Toggle(const REC_CONTROLLO& definition, const Place& place = {})
    {
        CCtrlLed* toggle = Make(&CUtility::CreateCtrlButton, definition, &par, place);
        Send(*toggle, WM_CTRL_ENABLE, 1);
        return toggle;
    }
    CCtrlLed* Lamp(const REC_CONTROLLO& definition, const Place& place = {})
    {
        return Make(&CUtility::CreateCtrlLed, definition, &var, place);
    }
};

// Linked, the program's sets post no write; each gesture posts exactly
// one, whatever auto-repeats the held key sends; Space flips nothing.
TEST_F(LedPage, ProgramSetsWriteNothingAndEachGestureWritesOnce)
{
    CCtrlLed* toggle = Toggle(ToggleDef(1, 16, 0x01));
    toggle->setFocus();
    app.m_bLinked = 1;
    struct Case {
        const char* name;
        std::function<void()> act;
        std::size_t writes;
        bool flips;
    };
    const Case cases[] = {
        {"a refresh", [&] { Par(16) ^= 1; Send(*toggle, WM_CTRL_REFRESH, 1); }, 0, true},
        {"a forced refresh", [&] { Par(16) ^= 1; Send(*toggle, WM_CTRL_FORCE_REFRESH); }, 0, true},
        {"a calibration line", [&] { toggle->LoadParam(vexar::Format(u"TOGGLE\t%d\tc", 1 - toggle->GetState())); },
         0, true},
        {"the default", [&] { Send(*toggle, WM_CTRL_SET_DEFAULT); }, 0, false},
        {"a store", [&] { Send(*toggle, WM_CTRL_STORE); }, 0, false},
        {"a set state", [&] { toggle->SetState(1 - toggle->GetState()); }, 0, true},
        {"a click", [&] { QTest::mouseClick(toggle, Qt::LeftButton); }, 1, true},
        {"Enter", [&] { QTest::keyClick(toggle, Qt::Key_Return); }, 1, true},
        {"Enter held", [&] { HoldKey(*toggle, Qt::Key_Return, 4); }, 1, true},
        {"Space", [&] { QTest::keyClick(toggle, Qt::Key_Space); }, 0, false},
        {"Ctrl+Z", [&] { Undo(*toggle); }, 1, false},
    };
    for (const Case& c : cases) {
        Send(*toggle, WM_CTRL_SET_DEFAULT);
        const int before = toggle->GetState();
        app.requests.clear();
        c.act();
        Deliver();
        EXPECT_EQ(Writes(), c.writes) << c.name;
        if (c.flips) {
            EXPECT_NE(toggle->GetState(), before) << c.name;
        }
    }
    app.m_bLinked = 0;
}

// Mask 0x10: a flip writes bit 4 of the byte and keeps the other seven;
// with the link down only the master image changes, linked one write of
// the byte follows. A datum holding 2 under a wider mask shows on, and a
// flip writes 0.
TEST_F(LedPage, AFlipWritesItsBitOnlyAndAsksTheLinkOnlyWhileUp)
{
    CCtrlLed* toggle = Toggle(ToggleDef(1, 16, 0x10));
    Par(16) = 0xEF;
    Send(*toggle, WM_CTRL_REFRESH, 1);
    ASSERT_EQ(toggle->GetState(), 0);
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_EQ(Par(16), 0xFF);
    EXPECT_TRUE(app.requests.empty());

    app.m_bLinked = 1;
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_EQ(Par(16), 0xEF);
    EXPECT_EQ(app.requests, (std::vector<RecordingPages::Request>{{WM_LINK_WRITE_RANGE, 16, 1}}));
    app.m_bLinked = 0;

    CCtrlLed* wide = Toggle(ToggleDef(2, 17, 0x30), {.row = 1});
    Par(17) = 0xE5;  // raw 2 under the mask
    Send(*wide, WM_CTRL_REFRESH, 1);
    EXPECT_EQ(wide->GetState(), 1);
    QTest::mouseClick(wide, Qt::LeftButton);
    EXPECT_EQ(Par(17), 0xC5);
}

// Key 7 shows while on, key 8 while off, and key 9, named by both states,
// ends as the off state leaves it: shown exactly while off.
TEST_F(LedPage, TheKeysOfEachStateAndAKeyInBoth)
{
    CCtrlLed* seven = Toggle(ToggleDef(7, 20, 0x01), {.row = 1});
    CCtrlLed* eight = Toggle(ToggleDef(8, 21, 0x01), {.row = 2});
    CCtrlLed* nine = Toggle(ToggleDef(9, 22, 0x01), {.row = 3});
    CCtrlLed* toggle = Toggle(SwitchToggleDef(1, 16, {7, 9}, {8, 9}));
    CUtility::UpdateSwitchCtrls(par);
    const auto shown = [](const QWidget* w) { return !w->isHidden(); };
    EXPECT_FALSE(shown(seven));
    EXPECT_TRUE(shown(eight));
    EXPECT_TRUE(shown(nine));
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(shown(seven));
    EXPECT_FALSE(shown(eight));
    EXPECT_FALSE(shown(nine));
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_FALSE(shown(seven));
    EXPECT_TRUE(shown(eight));
    EXPECT_TRUE(shown(nine));
}

// PAR_NO: the switch shows and hides what it names but never touches an
// image or asks for a write; it saves its line without recording a change
// and exports nothing.
TEST_F(LedPage, ASwitchWithoutADatumShowsAndHidesOnly)
{
    CCtrlLed* target = Toggle(ToggleDef(7, 20, 0x01), {.row = 1});
    CCtrlLed* toggle = Toggle(SwitchToggleDef(1, 0, {7}, {}, false));
    CUtility::UpdateSwitchCtrls(par);
    ASSERT_TRUE(target->isHidden());
    const std::vector<std::uint8_t> parameters = ParImage();
    const std::vector<std::uint8_t> variables = VarImage();
    app.m_bLinked = 1;
    QTest::mouseClick(toggle, Qt::LeftButton);
    Deliver();
    EXPECT_FALSE(target->isHidden());
    Send(*toggle, WM_CTRL_STORE);
    Send(*toggle, WM_CTRL_STORE_WRITE, 1, 1);
    // The target shown stores and writes its own datum; nothing names the
    // switch's.
    for (const RecordingPages::Request& request : app.requests)
        EXPECT_FALSE(request.id == WM_LINK_WRITE_RANGE && request.wParam != 20) << request.wParam;
    EXPECT_EQ(ParImage(), parameters);
    EXPECT_EQ(VarImage(), variables);
    app.m_bLinked = 0;

    CModifica history;
    EXPECT_EQ(SavedLines(*toggle, history), u"TOGGLE                           \t1                   \tA comment\n");
    EXPECT_EQ(history.GetCount(), 0);
    EXPECT_EQ(ExportedLines(*toggle), "");
}

// Ctrl+Z through the key router takes the flip back and writes; a second
// Ctrl+Z writes the same state again.
TEST_F(LedPage, UndoTwiceWritesTheSameStateTwice)
{
    CCtrlLed* toggle = Toggle(ToggleDef(1, 16, 0x01));
    toggle->setFocus();
    app.m_bLinked = 1;
    QTest::mouseClick(toggle, Qt::LeftButton);
    ASSERT_EQ(Par(16), 1);
    Undo(*toggle);
    EXPECT_EQ(toggle->GetState(), 0);
    EXPECT_EQ(Par(16), 0);
    Undo(*toggle);
    EXPECT_EQ(toggle->GetState(), 0);
    EXPECT_EQ(app.requests, (std::vector<RecordingPages::Request>(3, {WM_LINK_WRITE_RANGE, 16, 1})));
    app.m_bLinked = 0;
}

// A round lamp in red and a square one in green show their on colours
// while the variable is not 0 and only their off colours at 0; the round
// lens leaves the corners of its box unlit, the square one fills them.
TEST_F(LedPage, TheLampsShowTheirColoursAndShapes)
{
    using vexar::ui::RGB;
    app.m_nOperator = OPR_PBL;
    CCtrlLed* round = Lamp(LampDef(1, 10, STL_TONDO, {0xFF, 0x00, 0x00}, {0x40, 0x00, 0x00}));
    CCtrlLed* square = Lamp(LampDef(2, 10, STL_QUADR, {0x00, 0xFF, 0x00}, {0x00, 0x40, 0x00}), {.row = 2});
    for (CCtrlLed* lamp : {round, square}) {
        lamp->resize(60, 60);
        Send(*lamp, WM_CTRL_ENABLE, 1);  // as the link's coming up leaves them
    }
    EXPECT_EQ(round->GetOnColor(), RGB(255, 0, 0));

    Var(10) = 2;
    for (CCtrlLed* lamp : {round, square})
        Send(*lamp, WM_CTRL_REFRESH);
    const instruments::Patch red = FindColour(Shot(*round), RGB(255, 0, 0), 8);
    const instruments::Patch green = FindColour(Shot(*square), RGB(0, 255, 0), 8);
    ASSERT_GT(red.count, 400);
    ASSERT_GT(green.count, 400);
    const auto filled = [](const instruments::Patch& p) {
        return double(p.count) / (p.bounds.width() * p.bounds.height());
    };
    EXPECT_LT(filled(red), 0.8) << filled(red);
    EXPECT_GT(filled(green), 0.85) << filled(green);
    EXPECT_EQ(FindColour(Shot(*round), RGB(0x40, 0, 0), 8).count, 0);

    Var(10) = 0;
    for (CCtrlLed* lamp : {round, square})
        Send(*lamp, WM_CTRL_REFRESH);
    EXPECT_EQ(FindColour(Shot(*round), RGB(255, 0, 0), 8).count, 0);
    EXPECT_GT(FindColour(Shot(*round), RGB(0x40, 0, 0), 8).count, 400);
    EXPECT_GT(FindColour(Shot(*square), RGB(0, 0x40, 0), 8).count, 400);
}

// Marker 0 records nothing and frees its record; marker 4 on a lamp whose
// conversion doubles writes 2.000000 for the raw 1, padded to 33 units,
// a TAB and the line end.
TEST_F(LedPage, RecordingSamplesOfALamp)
{
    vexar::testing::TempDir dir;
    REC_CONTROLLO definition = LampDef(1, 10, STL_TONDO, {}, {});
    Scale(definition, 2.0);
    CCtrlLed* lamp = Lamp(definition);
    ASSERT_EQ(app.m_acqFile.WriteHeader(u"VXG4", u"VXG4_R0107", u"500", dir.file("a.acq")), 0);
    const std::u16string header = Utf16File(dir.file("a.acq"));
    app.PostToControl(lamp, WM_ACQ_SAMPLE, 0, 0, std::make_unique<CountedSample>(0.5, 1, 0));
    app.PostToControl(lamp, WM_ACQ_SAMPLE, 0, 0, std::make_unique<CountedSample>(0.5, 1, 4));
    EXPECT_EQ(CountedSample::live, 2);
    Deliver();
    EXPECT_EQ(CountedSample::live, 0);
    ASSERT_EQ(app.m_acqFile.WriteComments(), 0);
    const std::u16string field = u"2.000000" + std::u16string(25, u' ') + u"\t\n";
    EXPECT_EQ(Utf16File(dir.file("a.acq")), header + field);
}

// The lamp's state is its raw value: a shown value goes back to the raw
// value truncated toward zero, whatever the conversion says.
TEST_F(LedPage, ALampsShownValueIsItsRawValueTruncated)
{
    REC_CONTROLLO definition = LampDef(1, 10, STL_TONDO, {}, {});
    Scale(definition, 2.0);
    CCtrlLed* lamp = Lamp(definition);
    const CTRL_WND entry = lamp->Entry();
    struct Case {
        double shown;
        std::int32_t raw;
    };
    const Case cases[] = {{1.0, 1}, {2.7, 2}, {-1.9, -1}, {0.4, 0}, {6.0, 6}};
    for (const Case& c : cases)
        EXPECT_EQ(CUtility::ValueToRaw(entry, c.shown), c.raw) << c.shown;
}

// The dialogs' plain switch: the dialog sets and reads it and hears its
// flips; it has no datum, takes no control message and writes nothing.
TEST_F(LedPage, ThePlainSwitchOfADialog)
{
    CCtrlLed plain(app, &page);
    plain.setGeometry(600, 500, 80, 40);
    plain.show();
    EXPECT_TRUE(plain.IsPlain());
    QSignalSpy flips(&plain, &CCWButton::valueChanged);
    plain.SetState(1);
    EXPECT_EQ(plain.GetState(), 1);
    app.m_bLinked = 1;
    QTest::mouseClick(&plain, Qt::LeftButton);
    EXPECT_EQ(plain.GetState(), 0);
    EXPECT_EQ(flips.count(), 2);
    Par(0) = 1;
    Var(0) = 1;
    for (const unsigned message : {WM_CTRL_REFRESH, WM_CTRL_FORCE_REFRESH, WM_CTRL_SET_DEFAULT, WM_CTRL_STORE})
        Send(plain, message, 1);
    Undo(plain);
    Deliver();
    EXPECT_EQ(plain.GetState(), 0);
    EXPECT_TRUE(app.requests.empty());
    EXPECT_EQ(Par(0), 1);
    app.m_bLinked = 0;
}

}  // namespace
