// What every control over the instrument widgets does alike, category by
// category: a hidden FIX_ON control keeps its value until a refresh is
// forced while a FIX_OFF one follows every refresh; the live categories
// and the computed value of the variables never store, write or take a
// default, whatever the user or the program does; the link's enable is
// the window's and the profile's the input's.
#include "pages/CCtrlKnob.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlNumEdit.h"
#include "pages/CCtrlSlide.h"

#include "GaugeFixture.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/WindowState.h"

using namespace vexar::pagestest;
using namespace vexar::link;

namespace {

struct Kind {
    const char* name;
    std::int32_t category;
    std::int32_t family;  // 1: the variables
};

const Kind kKinds[] = {
    {"toggle", CTRL_BUTTON, 0},       {"lamp", CTRL_LED, 1},          {"knob", CTRL_KNOB, 0},
    {"dial", CTRL_RPM, 1},            {"meter", CTRL_VMETER, 1},      {"slide", CTRL_SLIDE, 0},
    {"bar", CTRL_BAR, 1},             {"thermometer", CTRL_TERM, 1},  {"field", CTRL_NUMEDIT, 0},
    {"computed parameter", CTRL_NUMCALC, 0}, {"computed variable", CTRL_NUMCALC, 1},
};

bool IsLive(const Kind& kind) { return kind.family == 1; }

class InstrumentPage : public GaugePage {
protected:
    // The control of `kind` on byte 8 of its family, by its creator.
    CCtrlInstrument* Create(const Kind& kind, const Place& place, std::int32_t fixdef = FIX_ON)
    {
        REC_CONTROLLO definition = Def(100 + place.row, u"C", kind.category, 8);
        definition.FIXDEF = fixdef;
        definition.MIN = u"0";
        definition.MAX = u"100";
        if (kind.category == CTRL_BUTTON)
            definition.TIPO = DATO_FLAG, definition.MASCHERA = 0x01;
        Place at = place;
        at.family = kind.family;
        const CTRL_CREATE args = Args(definition, at);
        CCtrlInstrument* made = nullptr;
        switch (kind.category) {
        case CTRL_BUTTON:
            made = Created(CUtility::CreateCtrlButton, args);
            break;
        case CTRL_LED:
            made = Created(CUtility::CreateCtrlLed, args);
            break;
        case CTRL_KNOB:
            made = Created(CUtility::CreateCtrlKnob, args);
            break;
        case CTRL_RPM:
            made = Created(CUtility::CreateCtrlRpm, args);
            break;
        case CTRL_VMETER:
            made = Created(CUtility::CreateCtrlVmeter, args);
            break;
        case CTRL_SLIDE:
            made = Created(CUtility::CreateCtrlSlide, args);
            break;
        case CTRL_BAR:
            made = Created(CUtility::CreateCtrlBar, args);
            break;
        case CTRL_TERM:
            made = Created(CUtility::CreateCtrlTerm, args);
            break;
        case CTRL_NUMEDIT:
            made = Created(CUtility::CreateCtrlNumEdit, args);
            break;
        case CTRL_NUMCALC:
            made = Created(CUtility::CreateCtrlNumCalc, args);
            break;
        default:
            break;
        }
        EXPECT_NE(made, nullptr) << kind.name;
        return made;
    }
    std::uint8_t& Byte(const Kind& kind) { return kind.family == 1 ? Var(8) : Par(8); }

private:
    template <class Control>
    static CCtrlInstrument* Created(bool (*creator)(const CTRL_CREATE&, Control*&), const CTRL_CREATE& args)
    {
        Control* control = nullptr;
        return creator(args, control) ? control : nullptr;
    }
};

// A map as the controls reach it: by posts naming it, which it counts by
// kind.
class MapStandIn : public QWidget, public vexar::ui::WindowBase, public vexar::testing::DefinitionOnlyCtrl {
public:
    MapStandIn() : WindowBase(this), DefinitionOnlyCtrl(REC_CONTROLLO{}) {}
    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override
    {
        if (id == WM_GRID_MARKER)
            kinds.push_back(static_cast<int>(wParam));
        return WindowBase::onMessage(id, wParam, lParam, payload);
    }
    std::vector<int> kinds;
};

// The widget's own input switch.
bool InputOf(const QWidget& widget)
{
    if (const auto* button = dynamic_cast<const CCWButton*>(&widget))
        return button->GetInputEnabled();
    if (const auto* scaled = dynamic_cast<const CWScaledControl*>(&widget))
        return scaled->GetInputEnabled();
    if (const auto* field = dynamic_cast<const CCWNumEdit*>(&widget))
        return field->GetInputEnabled();
    ADD_FAILURE() << "no instrument widget";
    return false;
}

// Hidden by its conditions, a FIX_ON control keeps what it shows on a
// refresh and takes the image's value on a forced one; a FIX_OFF control
// takes it on both. Each reads its own image family.
TEST_F(InstrumentPage, AHiddenFixOnControlKeepsItsValueUntilARefreshIsForced)
{
    for (const Kind& kind : kKinds) {
        for (const std::int32_t fixdef : {FIX_ON, FIX_OFF}) {
            CCtrlInstrument* control = Create(kind, {.hidden = true}, fixdef);
            const char* which = fixdef == FIX_ON ? "FIX_ON" : "FIX_OFF";
            ASSERT_TRUE(control->IsCondHidden()) << kind.name;
            Par(8) = 0;
            Var(8) = 0;
            Byte(kind) = 1;
            Send(*control, WM_CTRL_REFRESH, 1);
            EXPECT_EQ(control->GetValue(), fixdef == FIX_ON ? 0.0 : 1.0) << kind.name << " " << which;
            Send(*control, WM_CTRL_FORCE_REFRESH);
            EXPECT_EQ(control->GetValue(), 1.0) << kind.name << " " << which;
            delete control;
        }
    }
}

// Whatever reaches a live control or a computed value of the variables
// (clicks, keys, undo, the default, stores, writes), neither image
// changes and nothing is asked of the link.
TEST_F(InstrumentPage, LiveValuesNeverStoreOrWrite)
{
    int row = 0;
    for (const Kind& kind : kKinds) {
        if (!IsLive(kind))
            continue;
        CCtrlInstrument* control = Create(kind, {.row = row++});
        auto* widget = control->widget();
        Var(8) = 7;
        Send(*control, WM_CTRL_REFRESH, 1);
        const std::vector<std::uint8_t> parameters = ParImage();
        const std::vector<std::uint8_t> variables = VarImage();
        app.m_bLinked = 1;
        app.requests.clear();
        QTest::mouseClick(widget, Qt::LeftButton);
        instruments::HoldKey(*widget, Qt::Key_Up, 2);
        QTest::keyClick(widget, Qt::Key_Return);
        Undo(*widget);
        Send(*control, WM_CTRL_SET_DEFAULT);
        Send(*control, WM_CTRL_STORE);
        Send(*control, WM_CTRL_STORE_WRITE, 1, 1);
        Send(*control, WM_CTRL_FORCE_REFRESH);
        Deliver();
        EXPECT_EQ(Writes(), 0u) << kind.name;
        EXPECT_EQ(ParImage(), parameters) << kind.name;
        EXPECT_EQ(VarImage(), variables) << kind.name;
        EXPECT_EQ(control->GetValue(), kind.category == CTRL_LED ? 1.0 : 7.0) << kind.name;
        app.m_bLinked = 0;
    }
}

// The link's enable opens and closes the window (and so the labels);
// the profile's opens and closes the widget's input. A live value takes
// no input for any profile, while the link still enables its window.
TEST_F(InstrumentPage, TheLinkEnablesTheWindowAndTheProfileTheInput)
{
    int row = 0;
    for (const Kind& kind : kKinds) {
        CCtrlInstrument* control = Create(kind, {.row = row++});
        QWidget& widget = *control->widget();
        const bool takesInput = kind.category == CTRL_BUTTON || kind.category == CTRL_KNOB ||
                                kind.category == CTRL_SLIDE || kind.category == CTRL_NUMEDIT;
        for (std::int32_t profile = OPR_PBL; profile <= OPR_PBL_LIMIT; ++profile) {
            control->EnableForLevel(profile);
            Send(*control, WM_CTRL_ENABLE, 0);
            EXPECT_FALSE(widget.isEnabled()) << kind.name << " profile " << profile;
            Send(*control, WM_CTRL_ENABLE, 1);
            EXPECT_TRUE(widget.isEnabled()) << kind.name << " profile " << profile;
            const bool input = takesInput && profile != OPR_LIMIT;
            if (kind.category != CTRL_NUMCALC) {
                EXPECT_EQ(InputOf(widget), input) << kind.name << " profile " << profile;
            }
        }
    }
}

// The toggle, the lamp and the gauges, bars and thermometers start with
// their windows closed until the link comes up: a click on a new toggle
// flips nothing and stores nothing. The knob, the slide and the fields
// start open, for edits offline.
TEST_F(InstrumentPage, TheToggleAndTheDisplaysWaitForTheLink)
{
    int row = 0;
    for (const Kind& kind : kKinds) {
        CCtrlInstrument* control = Create(kind, {.row = row++});
        QWidget& widget = *control->widget();
        const bool waits = kind.category == CTRL_BUTTON || kind.category == CTRL_LED || kind.category == CTRL_RPM ||
                           kind.category == CTRL_VMETER || kind.category == CTRL_BAR || kind.category == CTRL_TERM;
        EXPECT_EQ(widget.isEnabled(), !waits) << kind.name;
        if (kind.category == CTRL_BUTTON) {
            const std::vector<std::uint8_t> parameters = ParImage();
            const double before = control->GetValue();
            QTest::mouseClick(&widget, Qt::LeftButton);
            EXPECT_EQ(control->GetValue(), before) << "not flipped offline";
            EXPECT_EQ(ParImage(), parameters);
        }
        Send(*control, WM_CTRL_ENABLE, 1);
        EXPECT_TRUE(widget.isEnabled()) << kind.name;
    }
}

// The creators' say on input: always for the privileged profiles, else
// closed by ABILITATO or the limited profile; the computed value of the
// parameters unless limited.
TEST_F(InstrumentPage, TheCreatorsOpenInputByProfileAndLimit)
{
    struct Case {
        std::int32_t profile;
        bool limited;
        std::int32_t abilitato;
        bool input;
    };
    const Case cases[] = {
        {OPR_PBL, false, ABIL_SI, true}, {OPR_PBL, true, ABIL_SI, false}, {OPR_PBL, false, ABIL_NO, false},
        {OPR_PRV, true, ABIL_NO, true},  {OPR_SVIL, true, ABIL_NO, true}, {OPR_PBL_LIMIT, false, ABIL_SI, true},
    };
    int row = 0;
    for (const Case& c : cases) {
        REC_CONTROLLO knob = Def(1, u"K", CTRL_KNOB, 8);
        std::get<KnobBlock>(knob.GRAFICA).ABILITATO = c.abilitato;
        CCtrlKnob* control = Make(&CUtility::CreateCtrlKnob, knob, nullptr,
                                  {.row = row++, .profile = c.profile, .limited = c.limited});
        EXPECT_EQ(control->GetInputEnabled(), c.input) << c.profile << " " << c.limited;
        EXPECT_TRUE(control->isEnabled());
    }
}

// After every refresh, whatever it shows, a live value tells each map it
// drives, with the kind of its link; a forced refresh tells none, and a
// control of the parameters drives no map.
TEST_F(InstrumentPage, ALiveRefreshTellsTheMapsItDrives)
{
    MapStandIn map;
    adapter.RegisterControl(&map, &map);
    int row = 0;
    for (const Kind& kind : kKinds) {
        CCtrlInstrument* control = Create(kind, {.row = row++});
        std::vector<REC_PALLINO>* links = control->GridCursors();
        const bool drives = IsLive(kind) && kind.category != CTRL_NUMCALC;
        ASSERT_EQ(links != nullptr, drives) << kind.name;
        if (!links)
            continue;
        links->push_back({&map, 2});
        links->push_back({nullptr, 3});
        map.kinds.clear();
        Send(*control, WM_CTRL_REFRESH);
        Send(*control, WM_CTRL_REFRESH);
        Send(*control, WM_CTRL_FORCE_REFRESH);
        Deliver();
        EXPECT_EQ(map.kinds, (std::vector<int>{2, 2})) << kind.name;
    }
    adapter.UnregisterControl(&map);
}

// The widget takes the page font at the size it has on the page: face,
// points (its size in points x 10000 over 10000), weight, italic,
// underline and strike-out.
TEST_F(InstrumentPage, TheWidgetsTakeThePageFontAtItsSizeOnThePage)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    font.setBold(true);
    font.setItalic(true);
    font.setUnderline(true);
    font.setStrikeOut(true);
    const QFont shown = CCtrlInstrument::InstrumentFont(page, font);
    EXPECT_EQ(shown.family(), font.family());
    EXPECT_DOUBLE_EQ(shown.pointSizeF(), CUtility::GetFontSizeCy(page, font) / 10000.0);
    EXPECT_DOUBLE_EQ(shown.pointSizeF(), 16.0 * 72 / page.logicalDpiY());
    EXPECT_TRUE(shown.bold());
    EXPECT_TRUE(shown.italic());
    EXPECT_TRUE(shown.underline());
    EXPECT_TRUE(shown.strikeOut());
    const QFontInfo info(shown);
    EXPECT_NEAR(info.pixelSize(), 16, 1) << "the same size on screen";
}

// The labels a control is made with: the knob's name and unit above it
// (its identifier for the development profile), the toggle's on text
// right of it and off text left of it, the field's caption in the cell
// left of it and its unit right of it, the dial's caption greyed. They
// show, hide and follow the link's enable with their control, and go
// with it.
TEST_F(InstrumentPage, TheLabelsGoWithTheirControl)
{
    REC_CONTROLLO knobDef = Def(1, u"TEMP_K", CTRL_KNOB, 8);
    knobDef.ETICHETTA = u"Temperature";
    knobDef.UNITA = u"C";
    CCtrlKnob* knob = Make(&CUtility::CreateCtrlKnob, knobDef, nullptr, {.row = 4, .column = 0});
    CCtrlKnob* named = Make(&CUtility::CreateCtrlKnob, knobDef, nullptr, {.row = 4, .column = 1, .development = true});
    REC_CONTROLLO toggleDef = ToggleDef(2, 9, 0x01);
    ButtonBlock& sides = std::get<ButtonBlock>(toggleDef.GRAFICA);
    sides.ETICHETTA_ON = u"Gas";
    sides.ETICHETTA_OFF = u"Petrol";
    CCtrlLed* toggle = Make(&CUtility::CreateCtrlButton, toggleDef, nullptr, {.row = 9, .column = 2});
    REC_CONTROLLO fieldDef = Def(3, u"F", CTRL_NUMEDIT, 10);
    fieldDef.ETICHETTA = u"Speed";
    fieldDef.UNITA = u"rpm";
    CCtrlNumEdit* field = Make(&CUtility::CreateCtrlNumEdit, fieldDef, nullptr, {.row = 12, .column = 1});
    CCtrlKnob* dial = Make(&CUtility::CreateCtrlRpm, Def(4, u"R", CTRL_RPM, 0), nullptr, {.row = 4, .column = 2});

    ASSERT_EQ(knob->Labels().size(), 1u);
    const CCtrlStatic* caption = knob->Labels()[0];
    EXPECT_EQ(caption->text(), QString("Temperature (C)"));
    EXPECT_LT(caption->geometry().bottom(), knob->geometry().top());
    EXPECT_EQ(caption->geometry().center().x(), knob->geometry().center().x()) << "centred above";
    EXPECT_TRUE(caption->isEnabled());
    ASSERT_EQ(named->Labels().size(), 1u);
    EXPECT_EQ(named->Labels()[0]->text(), QString("TEMP_K (C)"));

    ASSERT_EQ(toggle->Labels().size(), 3u);
    const CCtrlStatic* on = toggle->Labels()[1];
    const CCtrlStatic* off = toggle->Labels()[2];
    EXPECT_EQ(on->text(), QString("Gas"));
    EXPECT_EQ(off->text(), QString("Petrol"));
    EXPECT_GE(on->geometry().left(), toggle->geometry().right());
    EXPECT_LE(off->geometry().right(), toggle->geometry().left());

    ASSERT_EQ(field->Labels().size(), 2u);
    EXPECT_EQ(field->Labels()[0]->text(), QString("Speed"));
    EXPECT_EQ(field->Labels()[0]->geometry().left(), field->geometry().left() - 200);
    EXPECT_EQ(field->Labels()[1]->text(), QString("rpm"));
    EXPECT_GT(field->Labels()[1]->geometry().left(), field->geometry().right());

    ASSERT_EQ(dial->Labels().size(), 1u);
    EXPECT_FALSE(dial->Labels()[0]->isEnabled());

    toggle->ShowCtrl(false);
    for (const auto& label : toggle->Labels())
        EXPECT_TRUE(label->isHidden());
    toggle->ShowCtrl(true);
    Send(*toggle, WM_CTRL_ENABLE, 0);
    for (const auto& label : toggle->Labels()) {
        EXPECT_FALSE(label->isHidden());
        EXPECT_FALSE(label->isEnabled());
    }
    Send(*dial, WM_CTRL_ENABLE, 1);
    EXPECT_TRUE(dial->Labels()[0]->isEnabled());

    const QPointer<CCtrlStatic> left = toggle->Labels()[2];
    delete toggle;
    EXPECT_TRUE(left.isNull());
}

}  // namespace
