// The knob and its gauges on a shown page, driven by QTest: what a turn,
// a key and undo write and what the program's sets do not, the scale from
// the definition's limits, the calibration line and its change record,
// and the meter's look.
#include "pages/CCtrlKnob.h"

#include "GaugeFixture.h"

#include <cmath>

using namespace vexar::pagestest;
using namespace vexar::link;
using instruments::HoldKey;

namespace {

REC_CONTROLLO KnobDef(std::int32_t id = 1, std::int32_t address = 20)
{
    REC_CONTROLLO d = Def(id, u"NAME", CTRL_KNOB, address);
    d.MIN = u"0";
    d.MAX = u"100";
    d.DEFAULT = u"50";
    std::get<KnobBlock>(d.GRAFICA).NUM_TICK = 10;
    return d;
}

class KnobPage : public GaugePage {
protected:
    CCtrlKnob* Knob(const REC_CONTROLLO& definition, const Place& place = {})
    {
        CCtrlKnob* knob = Make(&CUtility::CreateCtrlKnob, definition, &par, place);
        if (knob)
            knob->resize(200, 200);
        return knob;
    }
    // A point 90 pixels from the middle of a 200 x 200 knob, at `degrees`
    // counter-clockwise from three o'clock.
    static QPoint Clock(double degrees)
    {
        const double a = degrees * M_PI / 180.0;
        return QPoint(100 + static_cast<int>(std::lround(90 * std::cos(a))),
                      100 - static_cast<int>(std::lround(90 * std::sin(a))));
    }
    // One drag through the angles, a few degrees at a time.
    static void Turn(QWidget& knob, std::initializer_list<double> angles)
    {
        double at = *angles.begin();
        QTest::mousePress(&knob, Qt::LeftButton, {}, Clock(at));
        for (const double to : angles) {
            const double step = to > at ? 5.0 : -5.0;
            while (std::fabs(to - at) > 5.0) {
                at += step;
                QTest::mouseMove(&knob, Clock(at));
            }
            at = to;
            QTest::mouseMove(&knob, Clock(at));
        }
        QTest::mouseRelease(&knob, Qt::LeftButton, {}, Clock(at));
    }
};

// Linked, the program's sets post no write; a turn, a key and an undo
// each post one at the end of their gesture; a turn released where it
// started and a second undo post none.
TEST_F(KnobPage, ProgramSetsWriteNothingAndEachGestureWritesOnce)
{
    CCtrlKnob* knob = Knob(KnobDef());
    knob->setFocus();
    std::vector<WriteCase> cases = ProgramSets(*knob, *knob, 20, u"NAME");
    cases.insert(cases.end(), {
        {"the program's value", [&] { knob->SetValue(30, 0, 1); }, 0},
        {"a quarter turn", [&] { Turn(*knob, {90, 0}); }, 1},
        {"a turn released where it started", [&] { Turn(*knob, {90, 30, 90}); }, 0},
        {"a press and release", [&] { Turn(*knob, {90}); }, 0},
        {"Up", [&] { QTest::keyClick(knob, Qt::Key_Up); }, 1},
        {"Up held with auto-repeat", [&] { HoldKey(*knob, Qt::Key_Up, 5); }, 1},
        {"Ctrl+Z", [&] { Undo(*knob); }, 1},
        {"a second Ctrl+Z", [&] { Undo(*knob); }, 0},
    });
    ExpectWrites(cases);
}

// What each gesture writes: the value it ended on, in the image and in one
// request of the datum's byte; undo the value before.
TEST_F(KnobPage, AGestureWritesTheValueItEndedOnAndUndoTheOneBefore)
{
    CCtrlKnob* knob = Knob(KnobDef());
    knob->setFocus();
    app.m_bLinked = 1;
    HoldKey(*knob, Qt::Key_Up, 2);
    EXPECT_EQ(knob->GetValue(), 53.0);
    EXPECT_EQ(Par(20), 53);
    EXPECT_EQ(app.requests, (std::vector<RecordingPages::Request>{{WM_LINK_WRITE_RANGE, 20, 1}}));
    Undo(*knob);
    EXPECT_EQ(knob->GetValue(), 50.0);
    EXPECT_EQ(Par(20), 50);
    app.m_bLinked = 0;
}

// A refresh makes the image's value the committed one: turning back to
// the value shown before it is a change, and it is written.
TEST_F(KnobPage, AfterARefreshTurningBackToTheOldValueIsWritten)
{
    CCtrlKnob* knob = Knob(KnobDef());
    knob->setFocus();
    Par(20) = 52;
    Send(*knob, WM_CTRL_REFRESH, 1);
    ASSERT_EQ(knob->GetValue(), 52.0);
    app.m_bLinked = 1;
    HoldKey(*knob, Qt::Key_Down, 1);
    EXPECT_EQ(knob->GetValue(), 50.0);
    EXPECT_EQ(Par(20), 50);
    EXPECT_EQ(Writes(), 1u);
    app.m_bLinked = 0;
}

// The scale: both limits empty give the data type's range; a limit that
// is no number leaves the widget's own range, the other limit unused.
TEST_F(KnobPage, TheScaleComesFromBothLimitsOrNotAtAll)
{
    const CCWKnob plain;
    struct Case {
        const char* name;
        std::u16string min, max;
        double lower, upper;
    };
    const Case cases[] = {
        {"empty limits on a UBYTE", u"", u"", 0.0, 255.0},
        {"1.5 and a letter", u"1.5", u"2x", plain.GetMinimum(), plain.GetMaximum()},
        {"-20 and 40", u"-20", u"40", -20.0, 40.0},
        {"a lone sign", u"-", u"40", plain.GetMinimum(), plain.GetMaximum()},
        {"1.2.3 and 40", u"1.2.3", u"40", plain.GetMinimum(), plain.GetMaximum()},
        {"an overflowing maximum", u"0", u"1" + std::u16string(400, u'0'), plain.GetMinimum(), plain.GetMaximum()},
    };
    int row = 0;
    for (const Case& c : cases) {
        REC_CONTROLLO definition = KnobDef(1 + row);
        definition.MIN = c.min;
        definition.MAX = c.max;
        definition.DEFAULT = u"";
        CCtrlKnob* knob = Knob(definition, {.row = row++});
        EXPECT_EQ(knob->GetMinimum(), c.lower) << c.name;
        EXPECT_EQ(knob->GetMaximum(), c.upper) << c.name;
    }
}

// The calibration line of NAME at 1: the name padded to 33, the value
// "%lf" padded to 20, the comment. A line of 12.5 shows 12.5 and saves
// without a change; turned to 13 the next save records 12.5 -> 13.000000,
// and the one after records nothing.
TEST_F(KnobPage, TheCalibrationLineAndItsChangeRecord)
{
    CCtrlKnob* knob = Knob(KnobDef());
    knob->setFocus();
    ASSERT_TRUE(knob->LoadParam(u"NAME\t1\tA comment"));
    CModifica history;
    EXPECT_EQ(SavedLines(*knob, history),
              u"NAME" + std::u16string(29, u' ') + u"\t1.000000" + std::u16string(12, u' ') + u"\tA comment\n");

    ASSERT_TRUE(knob->LoadParam(u"NAME\t 12.5 \tA comment"));
    EXPECT_EQ(knob->GetValue(), 12.5);
    SavedLines(*knob, history);
    EXPECT_EQ(history.GetCount(), 0);
    QTest::keyClick(knob, Qt::Key_Up);
    ASSERT_EQ(knob->GetValue(), 13.0);
    SavedLines(*knob, history);
    ASSERT_EQ(history.GetCount(), 1);
    EXPECT_EQ(history.GetList()[0].IDENTIFICATORE, u"NAME");
    EXPECT_EQ(history.GetList()[0].PRECEDENTE, u"12.5");
    EXPECT_EQ(history.GetList()[0].CORRENTE, u"13.000000");
    SavedLines(*knob, history);
    EXPECT_EQ(history.GetCount(), 1);
    EXPECT_FALSE(knob->LoadParam(u"NAME\t1e3\tA comment"));
    EXPECT_EQ(knob->GetValue(), 13.0);
    EXPECT_EQ(ExportedLines(*knob), "NAME\tA label\t13.000000\n");
}

// The dial and the meter: their looks, the meter's needle in COLORE
// without its panel and housing, the values of the variable image.
TEST_F(KnobPage, TheGaugesShowTheVariablesInTheirLooks)
{
    REC_CONTROLLO rpm = Def(2, u"RPM", CTRL_RPM, 0, DATO_UWORD);
    rpm.MAX = u"8000";
    REC_CONTROLLO volts = Def(3, u"VOLTS", CTRL_VMETER, 2);
    volts.MAX = u"20";
    std::get<VmeterBlock>(volts.GRAFICA).COLORE = {0x12, 0x34, 0x56};
    CCtrlKnob* dial = Make(&CUtility::CreateCtrlRpm, rpm, &var);
    CCtrlKnob* meter = Make(&CUtility::CreateCtrlVmeter, volts, &var, {.row = 4});
    EXPECT_EQ(dial->GetLook(), CCWKnob::Look::Dial);
    EXPECT_EQ(meter->GetLook(), CCWKnob::Look::Meter);
    EXPECT_EQ(meter->GetPointerColor(), vexar::ui::RGB(0x12, 0x34, 0x56));
    EXPECT_FALSE(meter->GetBorderVisible());
    EXPECT_FALSE(meter->GetHousingVisible());
    EXPECT_TRUE(dial->GetHousingVisible());
    Var(0) = 0x0B;
    Var(1) = 0xB8;
    Var(2) = 14;
    Send(*dial, WM_CTRL_REFRESH);
    Send(*meter, WM_CTRL_REFRESH);
    EXPECT_EQ(dial->GetValue(), 3000.0);
    EXPECT_EQ(meter->GetValue(), 14.0);
    EXPECT_EQ(ExportedLines(*dial), "RPM\tA label\t3000.000000\n");
}

}  // namespace
