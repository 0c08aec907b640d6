// The slide, the bar and the thermometer on a shown page, driven by QTest:
// what a drag, a key and undo write and what the program's sets do not,
// the scale from the definition's limits, the bar's two items on screen
// and in its export line, and the thermometer's live point.
#include "pages/CCtrlSlide.h"

#include "GaugeFixture.h"
#include "config/GraphPoint.h"
#include "link/LinkRequests.h"
#include "platform/ui/WindowBase.h"


using namespace vexar::pagestest;
using namespace vexar::link;
using instruments::FindColour;
using instruments::HoldKey;
using instruments::Shot;

namespace {

REC_CONTROLLO SlideDef(std::int32_t id = 1, std::int32_t address = 21, std::int32_t style = STL_HORZ)
{
    REC_CONTROLLO d = Def(id, u"DELAY", CTRL_SLIDE, address);
    d.MIN = u"0";
    d.MAX = u"100";
    d.DEFAULT = u"50";
    SlideBlock& block = std::get<SlideBlock>(d.GRAFICA);
    block.STILE = style;
    block.NUM_TICK = 10;
    return d;
}

// The view's graph page: takes the live points.
class LivePoints : public QWidget, public vexar::ui::WindowBase {
public:
    LivePoints() : WindowBase(this) {}
    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override
    {
        if (id == WM_LIVE_SAMPLE)
            if (const auto* point = LinkRecord<GRAPH_POINT_MESSAGE>(payload))
                points.push_back(point->point);
        return WindowBase::onMessage(id, wParam, lParam, payload);
    }
    std::vector<GRAPH_POINT> points;
};

class SlidePage : public GaugePage {
protected:
    CCtrlSlide* Slide(const REC_CONTROLLO& definition, const Place& place = {})
    {
        CCtrlSlide* slide = Make(&CUtility::CreateCtrlSlide, definition, &par, place);
        if (slide)
            slide->resize(300, 60);
        return slide;
    }
    // One drag of the thumb through the offsets, in pixels along the track.
    static void Drag(CCtrlSlide& slide, std::initializer_list<int> offsets)
    {
        const QPoint thumb = Thumb(slide);
        QTest::mousePress(&slide, Qt::LeftButton, {}, thumb);
        int at = 0;
        for (const int to : offsets) {
            while (std::abs(to - at) > 4) {
                at += to > at ? 4 : -4;
                QTest::mouseMove(&slide, thumb + QPoint(at, 0));
            }
            at = to;
            QTest::mouseMove(&slide, thumb + QPoint(at, 0));
        }
        QTest::mouseRelease(&slide, Qt::LeftButton, {}, thumb + QPoint(at, 0));
    }
    // The thumb of a horizontal slide: the groove is filled in the pointer
    // colour from the minimum to the value, where the thumb stands.
    static QPoint Thumb(CCtrlSlide& slide)
    {
        slide.SetPointerColor(vexar::ui::RGB(0, 0, 255));
        const instruments::Patch groove = FindColour(Shot(slide), vexar::ui::RGB(0, 0, 255));
        return QPoint(groove.bounds.right() - 1, groove.bounds.center().y());
    }
};

// Linked, the program's sets post no write; a drag, a key and an undo
// each post one at the end of their gesture; a drag released where it
// started and a second undo post none.
TEST_F(SlidePage, ProgramSetsWriteNothingAndEachGestureWritesOnce)
{
    CCtrlSlide* slide = Slide(SlideDef());
    slide->setFocus();
    std::vector<WriteCase> cases = ProgramSets(*slide, *slide, 21, u"DELAY");
    cases.insert(cases.end(), {
        {"the program's value", [&] { slide->SetValue(30, 0, 1); }, 0},
        {"a drag", [&] { Drag(*slide, {60}); }, 1},
        {"a drag out and back", [&] { Drag(*slide, {40, 0}); }, 0},
        {"Down", [&] { QTest::keyClick(slide, Qt::Key_Down); }, 1},
        {"Down held with auto-repeat", [&] { HoldKey(*slide, Qt::Key_Down, 5); }, 1},
        {"Ctrl+Z", [&] { Undo(*slide); }, 1},
        {"a second Ctrl+Z", [&] { Undo(*slide); }, 0},
    });
    ExpectWrites(cases);
}

// What a gesture writes: the value it ended on; undo the one before.
TEST_F(SlidePage, AGestureWritesTheValueItEndedOnAndUndoTheOneBefore)
{
    CCtrlSlide* slide = Slide(SlideDef());
    slide->setFocus();
    app.m_bLinked = 1;
    HoldKey(*slide, Qt::Key_Up, 3);
    EXPECT_EQ(slide->GetValue(), 54.0);
    EXPECT_EQ(Par(21), 54);
    EXPECT_EQ(app.requests, (std::vector<RecordingPages::Request>{{WM_LINK_WRITE_RANGE, 21, 1}}));
    Undo(*slide);
    EXPECT_EQ(slide->GetValue(), 50.0);
    EXPECT_EQ(Par(21), 50);
    app.m_bLinked = 0;
}

// The scale: both limits empty give the data type's range; a limit that
// is no number leaves the widget's own range. The form follows STILE.
TEST_F(SlidePage, TheScaleComesFromBothLimitsOrNotAtAll)
{
    const CCWSlide plain;
    REC_CONTROLLO empty = SlideDef(1, 21, STL_VERT);
    empty.MIN.clear();
    empty.MAX.clear();
    CCtrlSlide* full = Slide(empty);
    EXPECT_EQ(full->GetLook(), CCWSlide::Look::VerticalSlide);
    EXPECT_EQ(full->GetMinimum(), 0.0);
    EXPECT_EQ(full->GetMaximum(), 255.0);
    REC_CONTROLLO letter = SlideDef(2, 22);
    letter.MIN = u"1.5";
    letter.MAX = u"x";
    letter.DEFAULT = u"";
    CCtrlSlide* own = Slide(letter, {.row = 4});
    EXPECT_EQ(own->GetLook(), CCWSlide::Look::HorizontalSlide);
    EXPECT_EQ(own->GetMinimum(), plain.GetMinimum());
    EXPECT_EQ(own->GetMaximum(), plain.GetMaximum());
}

// A value beyond the scale is shown at its end, and that is the value the
// slide keeps: a line of 300 on a 0..100 slide of one byte saves, stores
// and writes 100, never the 44 that 300 leaves in a byte.
TEST_F(SlidePage, AValueBeyondTheScaleIsKeptAsShown)
{
    CCtrlSlide* slide = Slide(SlideDef());
    ASSERT_TRUE(slide->LoadParam(u"DELAY\t300\tA comment"));
    EXPECT_EQ(slide->CWScaledControl::GetValue(), 100.0);
    EXPECT_EQ(slide->GetValue(), 100.0);
    Send(*slide, WM_CTRL_STORE);
    EXPECT_EQ(Par(21), 100);
    CModifica history;
    EXPECT_EQ(SavedLines(*slide, history),
              u"DELAY" + std::u16string(28, u' ') + u"\t100.000000" + std::u16string(10, u' ') + u"\tA comment\n");
}

// A line of 12.5 shows 12.5 and saves 12.500000 without a change; moved to
// 13 the next save records 12.5 -> 13.000000, the one after nothing.
TEST_F(SlidePage, TheCalibrationLineAndItsChangeRecord)
{
    CCtrlSlide* slide = Slide(SlideDef());
    slide->setFocus();
    ASSERT_TRUE(slide->LoadParam(u"DELAY\t12.5\tA comment"));
    EXPECT_EQ(slide->GetValue(), 12.5);
    CModifica history;
    EXPECT_EQ(SavedLines(*slide, history),
              u"DELAY" + std::u16string(28, u' ') + u"\t12.500000" + std::u16string(11, u' ') + u"\tA comment\n");
    EXPECT_EQ(history.GetCount(), 0);
    QTest::keyClick(slide, Qt::Key_Up);
    SavedLines(*slide, history);
    ASSERT_EQ(history.GetCount(), 1);
    EXPECT_EQ(history.GetList()[0].PRECEDENTE, u"12.5");
    EXPECT_EQ(history.GetList()[0].CORRENTE, u"13.000000");
    SavedLines(*slide, history);
    EXPECT_EQ(history.GetCount(), 1);
}

// A bar at -3, then 5, then 0: the negative item draws -3, the positive
// item 5, and at 0 neither shows while both keep their values; the export
// line carries 0.000000.
TEST_F(SlidePage, TheBarShowsEachSignThroughItsOwnItem)
{
    using vexar::ui::RGB;
    REC_CONTROLLO definition = Def(5, u"BAR", CTRL_BAR, 4, DATO_BYTE);
    definition.MIN = u"-10";
    definition.MAX = u"10";
    BarBlock& block = std::get<BarBlock>(definition.GRAFICA);
    block.COLORE = {0x00, 0x00, 0xFF};
    block.NUM_TICK = 4;
    CCtrlSlide* bar = Make(&CUtility::CreateCtrlBar, definition, &var);
    bar->resize(300, 50);
    Send(*bar, WM_CTRL_ENABLE, 1);  // as the link's coming up leaves it
    const auto blue = [&] { return FindColour(Shot(*bar), RGB(0, 0, 255), 40); };

    Var(4) = static_cast<std::uint8_t>(-3);
    Send(*bar, WM_CTRL_REFRESH);
    EXPECT_EQ(bar->BarValue(), -3.0);
    EXPECT_EQ(bar->GetBarShown(), CCWSlide::BarShown::Negative);
    EXPECT_EQ(bar->GetBarValue(CCWSlide::BarItem::Negative), -3.0);
    const instruments::Patch negative = blue();
    ASSERT_GT(negative.count, 0);

    Var(4) = 5;
    Send(*bar, WM_CTRL_REFRESH);
    EXPECT_EQ(bar->GetBarShown(), CCWSlide::BarShown::Positive);
    EXPECT_EQ(bar->GetBarValue(CCWSlide::BarItem::Positive), 5.0);
    const instruments::Patch positive = blue();
    ASSERT_GT(positive.count, 0);
    EXPECT_LT(negative.bounds.right(), positive.bounds.left()) << "-3 left of zero, 5 right of it";
    EXPECT_GT(positive.bounds.width(), negative.bounds.width());

    Var(4) = 0;
    Send(*bar, WM_CTRL_REFRESH);
    EXPECT_EQ(bar->GetBarShown(), CCWSlide::BarShown::None);
    EXPECT_EQ(bar->GetBarValue(CCWSlide::BarItem::Negative), -3.0);
    EXPECT_EQ(bar->GetBarValue(CCWSlide::BarItem::Positive), 5.0);
    EXPECT_EQ(blue().count, 0);
    EXPECT_EQ(ExportedLines(*bar), "BAR\tA label\t0.000000\n");
}

// A thermometer of SCALA 10 records its last column with the line end and
// posts a live point of scale 10 with the value it wrote.
TEST_F(SlidePage, AThermometerSamplePostsALivePointOfItsScale)
{
    vexar::testing::TempDir dir;
    LivePoints view;
    adapter.RegisterWindow(UiWindow::View, &view);
    app.m_bLiveSampleTarget = true;
    REC_CONTROLLO definition = Def(6, u"TEMP", CTRL_TERM, 3);
    std::get<TermBlock>(definition.GRAFICA).SCALA = 10;
    Scale(definition, 0.5);
    CCtrlSlide* term = Make(&CUtility::CreateCtrlTerm, definition, &var);
    EXPECT_EQ(term->GetPointerColor(), vexar::ui::RGB(255, 0, 0));
    ASSERT_EQ(app.m_acqFile.WriteHeader(u"VXG4", u"VXG4_R0107", u"500", dir.file("a.acq")), 0);
    const std::u16string header = Utf16File(dir.file("a.acq"));
    auto sample = std::make_unique<ACQ_SAMPLE_MESSAGE>();
    sample->sample = {1.5, 100, 4};
    app.PostToControl(term, WM_ACQ_SAMPLE, 0, 0, std::move(sample));
    Deliver();
    EXPECT_EQ(Utf16File(dir.file("a.acq")), header + u"50.000000" + std::u16string(24, u' ') + u"\t\n")
        << "the line is flushed at its end";
    ASSERT_EQ(view.points.size(), 1u);
    EXPECT_EQ(view.points[0].display, 10);
    EXPECT_EQ(view.points[0].value, 50.0);
    EXPECT_EQ(view.points[0].time, 1.5);
    EXPECT_EQ(view.points[0].Identifier(), u"TEMP");
    adapter.UnregisterWindow(UiWindow::View, &view);
}

}  // namespace
