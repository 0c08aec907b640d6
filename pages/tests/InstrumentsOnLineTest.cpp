// The instrument controls with the real link worker and the simulated ECU
// on a pseudo-terminal: a knob's gesture and a typed number each reach the
// ECU in one write frame; a toggle's flip changes its bit of a byte shared
// with a check box; a change of the ECU's variables reaches the dial and
// the lamp through the poll; and a computed value follows its operands
// without a write.
#include "pages/CCtrlCheck.h"
#include "pages/CCtrlKnob.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlNumEdit.h"
#include "pages/CCtrlSlide.h"

#include "ControlsOnLine.h"
#include "pages/core/CUtilityTables.h"

#include <chrono>

using namespace vexar::pagestest;
using namespace vexar::link;
using namespace std::chrono_literals;
using vexar::ecusim::Image;

namespace {

// The commands of the second protocol that write: a parameter block,
// parameter memory, masked variable bytes.
constexpr std::uint8_t kWriteCommands[] = {2, 4, 6};

REC_CONTROLLO Word(std::int32_t id, std::u16string name, std::int32_t category, std::int32_t address)
{
    REC_CONTROLLO d = Def(id, std::move(name), category, address, DATO_UWORD);
    d.MASCHERA = 0xFFFF;
    d.MAX = u"10000";
    return d;
}

class InstrumentsOnLine : public ControlsOnLine {
protected:
    InstrumentsOnLine() : ControlsOnLine(900, 600, 140)
    {
        BuildControls();
        const std::uint8_t byte16[] = {0xF1};
        rig.sim().WriteImage(Image::Parameters, 16, byte16);
        StartLink(50);
    }

    // The controls of the synthetic configuration's first pages, on their
    // data: the fast changeover box and the engine-start toggle share byte
    // 16; the ratio of the injection times has data of its own.
    void BuildControls()
    {
        REC_CONTROLLO temperature = Def(105, u"Temp_Cambio", CTRL_KNOB, 20);
        temperature.MAX = u"100";
        temperature.DEFAULT = u"40";
        knob = Place(&CUtility::CreateCtrlKnob, temperature, par, 0, 0);
        REC_CONTROLLO rpm = Word(104, u"Rpm_Cambio", CTRL_NUMEDIT, 18);
        rpm.DEFAULT = u"2000";
        field = Place(&CUtility::CreateCtrlNumEdit, rpm, par, 1, 0);
        REC_CONTROLLO start = ToggleDef(103, 16, 0x02);
        toggle = Place(&CUtility::CreateCtrlButton, start, par, 1, 1);
        REC_CONTROLLO fast = CheckDef(117, 16, 0x01);
        box = new CCtrlCheck(app, fast, false, &page);
        box->move(420, 300);
        box->show();
        par.push_back(box->Entry());

        dial = Place(&CUtility::CreateCtrlRpm, Word(201, u"Giri_Motore", CTRL_RPM, 0), var, 0, 2);
        REC_CONTROLLO valves = Def(206, u"Elettrovalvole_Gas", CTRL_LED, 7, DATO_FLAG);
        valves.MASCHERA = 0x01;
        lamp = Place(&CUtility::CreateCtrlLed, valves, var, 0, 3);
        Place(&CUtility::CreateCtrlBar, Word(204, u"Tempo_Inj_Gas", CTRL_BAR, 4), var, 2, 0);
        Place(&CUtility::CreateCtrlTerm, Word(208, u"Tempo_Inj_Benzina", CTRL_TERM, 10), var, 2, 1);
        REC_CONTROLLO ratio = Def(209, u"Rapporto_Tempi", CTRL_NUMCALC, 14, DATO_UWORD);
        NumCalcBlock& formula = std::get<NumCalcBlock>(ratio.GRAFICA);
        formula.K1 = 1;
        formula.K3 = 1;
        formula.ID = {204, 0, 0, 208, 0, 0};
        formula.ABS = ABS_SI;
        formula.FORMATO = u".##";
        ratioField = Place(&CUtility::CreateCtrlNumCalc, ratio, var, 2, 2, 1);

        // The configuration load's table operations.
        EXPECT_TRUE(CUtility::RecalcNumCalcCtrls(par));
        CUtility::LinkDependentCtrls(par);
        CUtility::RefreshAllCtrls(par);
        EXPECT_TRUE(CUtility::RecalcNumCalcCtrls(var));
        CUtility::LinkDependentCtrls(var);
        CUtility::UpdateSwitchCtrls(par);
    }

    std::size_t WriteFrames()
    {
        std::size_t n = 0;
        for (const std::uint8_t command : kWriteCommands)
            n += rig.sim().CountRequests(command);
        return n;
    }
    int EcuWord(Image image, std::size_t address)
    {
        const std::vector<std::uint8_t> bytes = rig.sim().ReadImage(image, address, 2);
        return bytes[0] * 256 + bytes[1];
    }
    CCtrlKnob* knob = nullptr;
    CCtrlNumEdit* field = nullptr;
    CCtrlLed* toggle = nullptr;
    CCtrlCheck* box = nullptr;
    CCtrlKnob* dial = nullptr;
    CCtrlLed* lamp = nullptr;
    CCtrlNumEdit* ratioField = nullptr;
};

// A knob turned with the Up key, then a number typed into the field: each
// reaches the ECU's image in one write frame.
TEST_F(InstrumentsOnLine, AKnobGestureAndATypedNumberEachReachTheEcuInOneWriteFrame)
{
    Connect();
    rig.sim().ClearFrameLog();
    const double before = knob->GetValue();
    knob->setFocus();
    QTest::keyClick(knob, Qt::Key_Up);
    const int turned = static_cast<int>(before) + 1;
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.sim().ReadImage(Image::Parameters, 20, 1)[0] == turned; }, 10000));
    EXPECT_EQ(WriteFrames(), 1u);

    rig.sim().ClearFrameLog();
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, "2750");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return EcuWord(Image::Parameters, 18) == 2750; }, 10000));
    QTest::qWait(100);
    EXPECT_EQ(WriteFrames(), 1u);
}

// The engine-start toggle flips bit 1 of byte 16 in the ECU; the fast
// changeover box's bit 0 stays as the ECU had it.
TEST_F(InstrumentsOnLine, AToggleFlipChangesItsBitAndLeavesTheCheckBoxs)
{
    Connect();
    EXPECT_TRUE(QTest::qWaitFor([&] { return box->IsChecked(); }, 10000)) << "the ECU's bit, read at the connect";
    ASSERT_EQ(toggle->GetState(), 0);
    rig.sim().ClearFrameLog();
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.sim().ReadImage(Image::Parameters, 16, 1)[0] == 0xF3; }, 10000))
        << int(rig.sim().ReadImage(Image::Parameters, 16, 1)[0]);
    EXPECT_TRUE(box->IsChecked());
    EXPECT_EQ(WriteFrames(), 1u);
}

// The engine speed and the valves change in the ECU: each of the dial and
// the lamp is refreshed once, by the poll whose reply first carried its new
// bytes; nothing is written.
TEST_F(InstrumentsOnLine, AChangeInTheEcuReachesTheDialAndTheLampWithThePollThatReadIt)
{
    Connect();
    AwaitPolls(3);
    adapter.Forget();
    AwaitPolls(4);
    EXPECT_TRUE(adapter.Of(dial).empty()) << "unchanged bytes refresh nothing";
    EXPECT_TRUE(adapter.Of(lamp).empty());

    rig.sim().ClearFrameLog();
    vexar::ecusim::VariableScript script;
    script.steps = {{20ms, 0, {0x0B, 0xB8}}, {20ms, 7, {0x01}}};
    rig.sim().RunVariableScript(script);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dial->GetValue() == 3000.0; }, 10000)) << dial->GetValue();
    EXPECT_TRUE(QTest::qWaitFor([&] { return lamp->GetState() == 1; }, 10000));
    AwaitPolls(4);
    const std::vector<NotingAdapter::Refresh> speeds = adapter.Of(dial);
    const std::vector<NotingAdapter::Refresh> valves = adapter.Of(lamp);
    ASSERT_EQ(speeds.size(), 1u);
    ASSERT_EQ(valves.size(), 1u);
    EXPECT_EQ(RepliesHolding(speeds[0].log, 1, 0xB8), 1u) << "the refresh came with the first reply carrying it";
    EXPECT_EQ(RepliesHolding(valves[0].log, 7, 0x01), 1u);
    EXPECT_EQ(WriteFrames(), 0u);
}

// The injection times change in the ECU: the ratio follows them through
// its operands, and nothing is written.
TEST_F(InstrumentsOnLine, TheRatioFollowsItsOperandsWithoutAWrite)
{
    Connect();
    rig.sim().ClearFrameLog();
    const std::uint8_t gas[] = {0x00, 0x96};     // 150
    const std::uint8_t petrol[] = {0x00, 0x64};  // 100
    rig.sim().WriteImage(Image::Variables, 4, gas);
    rig.sim().WriteImage(Image::Variables, 10, petrol);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ratioField->GetValue() == 1.5; }, 10000)) << ratioField->GetValue();
    EXPECT_EQ(ratioField->GetText(), u"1.5");
    const std::uint8_t faster[] = {0x00, 0x32};  // 50
    rig.sim().WriteImage(Image::Variables, 10, faster);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ratioField->GetValue() == 3.0; }, 10000)) << ratioField->GetValue();
    QTest::qWait(150);
    EXPECT_EQ(WriteFrames(), 0u);
    EXPECT_EQ(EcuWord(Image::Variables, 14), 0) << "the ratio's own datum is never written";
}

}  // namespace
