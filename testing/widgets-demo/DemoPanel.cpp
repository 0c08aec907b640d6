#include "DemoPanel.h"

#include "DemoMapGrid.h"
#include "pages/widgets/CCWButton.h"
#include "pages/widgets/CCWGraph.h"
#include "pages/widgets/CCWKnob.h"
#include "pages/widgets/CCWNumEdit.h"
#include "pages/widgets/CCWSlide.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/ColorRef.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <cmath>

using vexar::ui::RGB;

namespace {

// The colours of the graph page's first trace slots.
constexpr vexar::ui::COLORREF kSlotColours[] = {RGB(255, 255, 0), RGB(0, 255, 255), RGB(255, 0, 0),
                                                RGB(0, 255, 0)};
constexpr vexar::ui::COLORREF kTextColour = RGB(0, 0, 96);

// A widget with its caption centred below it. An instrument keeps the
// size it asks for, as a page gives it its own rectangle; the chart takes
// the room there is.
QWidget* Captioned(QWidget* widget, const QString& caption)
{
    auto* cell = new QWidget;
    auto* layout = new QVBoxLayout(cell);
    layout->setContentsMargins(4, 4, 4, 4);
    if (qobject_cast<CCWGraph*>(widget)) {
        layout->addWidget(widget, 1);
    } else {
        widget->setFixedSize(widget->sizeHint());
        layout->addWidget(widget, 1, Qt::AlignCenter);
    }
    auto* label = new QLabel(caption);
    label->setAlignment(Qt::AlignCenter);
    label->setObjectName(QStringLiteral("caption"));
    layout->addWidget(label);
    return cell;
}

QGroupBox* Group(const QString& title, const std::vector<QWidget*>& cells)
{
    auto* group = new QGroupBox(title);
    auto* layout = new QHBoxLayout(group);
    for (QWidget* cell : cells)
        layout->addWidget(cell);
    return group;
}

CCWKnob* MakeKnob(CCWKnob::Look look, double maximum, int ticks, double value)
{
    auto* knob = new CCWKnob;
    knob->SetLook(look);
    knob->SetRange(0.0, maximum);
    knob->SetTicks(ticks);
    knob->SetFormat(u".");
    knob->SetValue(value);
    return knob;
}

CCWSlide* MakeSlide(CCWSlide::Look look, double minimum, double maximum, double value)
{
    auto* slide = new CCWSlide;
    slide->SetLook(look);
    slide->SetRange(minimum, maximum);
    slide->SetTicks(5);
    slide->SetFormat(u".");
    slide->SetValue(value);
    return slide;
}

CCWButton* MakeButton(CCWButton::Look look, bool on)
{
    auto* button = new CCWButton;
    button->SetLook(look);
    button->SetValue(on);
    if (look != CCWButton::Look::Toggle)
        button->SetInputEnabled(false);
    return button;
}

}  // namespace

DemoPanel::DemoPanel(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("VEXAR widgets"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(BuildKnobs());
    top->addWidget(BuildFieldsAndLamps());
    layout->addLayout(top);
    layout->addWidget(BuildSlides());
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(BuildChart(), 3);
    bottom->addWidget(BuildMapGrid(), 2);
    layout->addLayout(bottom, 1);
}

QWidget* DemoPanel::BuildKnobs()
{
    CCWKnob* knob = MakeKnob(CCWKnob::Look::Knob, 100.0, 10, 35.0);
    CCWKnob* dial = MakeKnob(CCWKnob::Look::Dial, 8000.0, 8, 2750.0);
    CCWKnob* meter = MakeKnob(CCWKnob::Look::Meter, 20.0, 4, 13.8);
    meter->SetHousingVisible(false);
    meter->SetBorderVisible(false);
    meter->SetPointerColor(RGB(200, 0, 0));
    for (CCWKnob* gauge : {dial, meter})
        gauge->SetInputEnabled(false);
    return Group(QStringLiteral("Knob and gauges"),
                 {Captioned(knob, QStringLiteral("Knob")), Captioned(dial, QStringLiteral("RPM dial")),
                  Captioned(meter, QStringLiteral("Meter (no border, no housing)"))});
}

QWidget* DemoPanel::BuildSlides()
{
    CCWSlide* horizontal = MakeSlide(CCWSlide::Look::HorizontalSlide, 0.0, 100.0, 60.0);
    CCWSlide* vertical = MakeSlide(CCWSlide::Look::VerticalSlide, 0.0, 50.0, 20.0);
    CCWSlide* negative = MakeSlide(CCWSlide::Look::HorizontalBar, -30.0, 30.0, 0.0);
    negative->SetBarValue(CCWSlide::BarItem::Negative, -18.0);
    negative->SetBarShown(CCWSlide::BarShown::Negative);
    CCWSlide* positive = MakeSlide(CCWSlide::Look::VerticalBar, -30.0, 30.0, 0.0);
    positive->SetBarValue(CCWSlide::BarItem::Positive, 22.0);
    positive->SetBarShown(CCWSlide::BarShown::Positive);
    CCWSlide* thermometer = MakeSlide(CCWSlide::Look::Thermometer, -20.0, 120.0, 87.0);
    CCWSlide* progress = MakeSlide(CCWSlide::Look::Progress, 0.0, 100.0, 45.0);
    return Group(QStringLiteral("Slides, bars and thermometer"),
                 {Captioned(horizontal, QStringLiteral("Horizontal slide")),
                  Captioned(vertical, QStringLiteral("Vertical slide")),
                  Captioned(negative, QStringLiteral("Bar, negative item")),
                  Captioned(positive, QStringLiteral("Bar, positive item")),
                  Captioned(thermometer, QStringLiteral("Thermometer")),
                  Captioned(progress, QStringLiteral("Progress"))});
}

QWidget* DemoPanel::BuildFieldsAndLamps()
{
    auto* edit = new CCWNumEdit;
    edit->SetFormat(u".#0");
    edit->SetRange(0.0, 10.0);
    edit->SetIncDecButtons(true);
    edit->SetIncrement(0.05);
    edit->SetValue(3.25);
    auto* computed = new CCWNumEdit;
    computed->SetFormat(u".0");
    computed->SetMode(CCWNumEdit::Mode::Computed);
    computed->SetAlignment(CCWNumEdit::Alignment::Right);
    computed->SetValueColor(kTextColour);
    computed->SetValue(1013.2);
    return Group(QStringLiteral("Numeric fields, toggle and lamps"),
                 {Captioned(edit, QStringLiteral("Field")), Captioned(computed, QStringLiteral("Computed")),
                  Captioned(MakeButton(CCWButton::Look::Toggle, false), QStringLiteral("Toggle off")),
                  Captioned(MakeButton(CCWButton::Look::Toggle, true), QStringLiteral("Toggle on")),
                  Captioned(MakeButton(CCWButton::Look::RoundLamp, true), QStringLiteral("Round lamp on")),
                  Captioned(MakeButton(CCWButton::Look::RoundLamp, false), QStringLiteral("Round lamp off")),
                  Captioned(MakeButton(CCWButton::Look::SquareLamp, true), QStringLiteral("Square lamp on")),
                  Captioned(MakeButton(CCWButton::Look::SquareLamp, false), QStringLiteral("Square lamp off"))});
}

// Four traces of a recording two minutes long, the cursor on one of its
// samples and the grid on, as the graph page shows them.
QWidget* DemoPanel::BuildChart()
{
    auto* graph = new CCWGraph;
    graph->setMinimumSize(520, 300);
    graph->SetAxisRange(CCWGraph::Axis::X, 0.0, 120.0);
    graph->SetAxisRange(CCWGraph::Axis::Y, 0.0, 5.0);
    graph->SetAxisCaption(CCWGraph::Axis::X, QStringLiteral("Time (s)"));
    for (CCWGraph::Axis axis : {CCWGraph::Axis::X, CCWGraph::Axis::Y}) {
        graph->SetAxisColor(axis, kTextColour);
        graph->SetGridVisible(axis, true);
        graph->SetGridColor(axis, RGB(156, 170, 184));
    }
    const QString names[] = {QStringLiteral("RPM"), QStringLiteral("MAP"), QStringLiteral("TGAS"),
                             QStringLiteral("LAMBDA")};
    for (int t = 0; t < 4; ++t) {
        graph->AddPlot(names[t], kSlotColours[t]);
        for (int i = 0; i <= 1200; ++i) {
            const double x = i * 0.1;
            graph->AppendPoint(names[t], x, 0.6 + t * 1.1 + 0.4 * std::sin(x / (4.0 + 2.0 * t)));
        }
    }
    graph->SetCursorVisible(true);
    graph->SetCursorX(72.0);
    return Group(QStringLiteral("Chart"), {Captioned(graph, QStringLiteral("Four traces, grid and cursor"))});
}

// A map of 5 x 8 values with a header row of engine speeds and a header
// column of loads, rows one font line and 100 twips high.
QWidget* DemoPanel::BuildMapGrid()
{
    auto* grid = new DemoMapGrid;
    grid->SetRowCount(6);
    grid->SetColumnCount(9);
    grid->SetFixedRowCount(1);
    grid->SetFixedColumnCount(1);
    const int fontTwips = CUtility::GetFontSizeTwips(*grid, grid->font());
    const int columnTwips = CUtility::PixelsToTwips(*grid, 48, true);
    for (int r = 0; r < 6; ++r)
        grid->SetRowHeight(r, fontTwips + 100);
    for (int c = 0; c < 9; ++c)
        grid->SetColumnWidth(c, columnTwips);
    for (int c = 1; c < 9; ++c)
        grid->SetCellText(0, c, QString::number(1000 * c));
    for (int r = 1; r < 6; ++r) {
        grid->SetCellText(r, 0, QString::number(20 * r));
        for (int c = 1; c < 9; ++c)
            grid->SetCellText(r, c, QString::number(0.8 + 0.05 * r + 0.02 * c, 'f', 2));
    }
    return Group(QStringLiteral("Map grid"), {Captioned(grid, QStringLiteral("Cells, header row and column"))});
}

std::vector<QString> DemoPanel::LayoutProblems() const
{
    std::vector<QString> problems;
    for (QWidget* widget : findChildren<QWidget*>()) {
        const QString name = QString::fromLatin1(widget->metaObject()->className());
        if (widget->parentWidget() && !widget->parentWidget()->rect().contains(widget->geometry()))
            problems.push_back(name + QStringLiteral(" reaches outside its parent"));
        const QSize minimum = widget->minimumSizeHint();
        if (minimum.isValid() && (widget->width() < minimum.width() || widget->height() < minimum.height()))
            problems.push_back(name + QStringLiteral(" is smaller than its minimum size"));
        if (auto* label = qobject_cast<QLabel*>(widget);
            label && label->fontMetrics().horizontalAdvance(label->text()) > label->contentsRect().width())
            problems.push_back(QStringLiteral("caption \"") + label->text() + QStringLiteral("\" is cut"));
    }
    return problems;
}
