// Chart benchmark: ten live traces of 10 000 points each, the whole run in
// view, redrawn off screen into an image the size of the graph page's
// chart and into one the size of its full-screen twin. Grid lines and the
// cursor are on, as a user looking at a recording would have them. Prints
// the median and the worst redraw time of each size; the aim is below
// 50 ms.

#include "pages/widgets/CCWGraph.h"

#include <QApplication>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTraces = 10;
constexpr int kPoints = 10000;
constexpr double kPeriod = 0.1;  // seconds between samples
constexpr int kWarmUp = 3;
constexpr int kRedraws = 60;

// The colours of the ten trace slots of the graph page.
constexpr vexar::ui::COLORREF kSlotColours[kTraces] = {
    vexar::ui::RGB(255, 255, 0),   vexar::ui::RGB(0, 255, 255), vexar::ui::RGB(255, 0, 0),
    vexar::ui::RGB(0, 255, 0),     vexar::ui::RGB(255, 0, 255), vexar::ui::RGB(255, 255, 255),
    vexar::ui::RGB(192, 192, 192), vexar::ui::RGB(0, 130, 132), vexar::ui::RGB(0, 0, 255),
    vexar::ui::RGB(132, 0, 0)};

// Engine-like signals: each trace a slow swing with its own period and a
// little noise from a fixed generator, so every run draws the same.
void FillTraces(CCWGraph& graph)
{
    unsigned noise = 12345;
    for (int t = 0; t < kTraces; ++t) {
        const QString name = QStringLiteral("VAR%1").arg(t);
        graph.AddPlot(name, kSlotColours[t]);
        for (int i = 0; i < kPoints; ++i) {
            noise = noise * 1103515245u + 12345u;
            const double jitter = ((noise >> 16) % 1000) / 1000.0 - 0.5;
            const double x = i * kPeriod;
            const double y = 5.0 + t * 0.8 + 2.0 * std::sin(x / (7.0 + t)) + 0.3 * jitter;
            graph.AppendPoint(name, x, y);
        }
    }
}

void Measure(CCWGraph& graph, QSize size, const char* what)
{
    graph.resize(size);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    for (int i = 0; i < kWarmUp + kRedraws; ++i) {
        const auto start = Clock::now();
        graph.render(&image);
        const std::chrono::duration<double, std::milli> took = Clock::now() - start;
        if (i >= kWarmUp)
            times.push_back(took.count());
    }
    std::sort(times.begin(), times.end());
    std::printf("%-22s %4d x %4d  median %7.2f ms  worst %7.2f ms  (%d redraws of %d traces x %d points)\n",
                what, size.width(), size.height(), times[times.size() / 2], times.back(), kRedraws, kTraces,
                kPoints);
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    CCWGraph graph;
    FillTraces(graph);
    graph.SetAxisRange(CCWGraph::Axis::X, 0.0, kPoints * kPeriod);
    graph.SetAxisRange(CCWGraph::Axis::Y, 0.0, 16.0);
    graph.SetAxisCaption(CCWGraph::Axis::X, QStringLiteral("Time (s)"));
    graph.SetGridVisible(CCWGraph::Axis::X, true);
    graph.SetGridVisible(CCWGraph::Axis::Y, true);
    graph.SetCursorVisible(true);
    graph.SetCursorX(500.0);
    Measure(graph, QSize(760, 420), "graph page");
    Measure(graph, QSize(1900, 1000), "full-screen graph");
    return 0;
}
