// Graph benchmark: ten traces of 10 000 points each reach the graph as a
// live recording delivers them, one sample of every trace per tick with
// the event loop run at each tick; then the full graph is repainted, the
// cursor steps with its ten labels over the 100 000 stored points, and the
// axes are restored. Prints the time of each; the aims are the appending
// under 1 s, a repaint under 50 ms and a cursor step under 10 ms.

#include "config/GraphPoint.h"
#include "pages/CCtrlGraph.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

namespace {

constexpr int kTraces = 10;
constexpr int kTicks = 10000;
constexpr double kPeriod = 0.05;  // seconds between samples
constexpr int kRepeats = 40;

std::u16string TraceName(int t) { return u"VAR" + std::u16string(1, static_cast<char16_t>(u'0' + t)); }

struct Recording {
    double appending = 0.0;  // in PlotPoints
    double eventLoop = 0.0;  // in the event loop after each tick: the repaint of the growing traces
};

// Engine-like signals with a little noise from a fixed generator, so every
// run plots the same; gauge-like traces come with a scale.
Recording Record(CCtrlGraph& graph)
{
    Recording figures;
    unsigned noise = 12345;
    GRAPH_POINT point;
    for (int i = 0; i < kTicks; ++i) {
        for (int t = 0; t < kTraces; ++t) {
            noise = noise * 1103515245u + 12345u;
            const double jitter = ((noise >> 16) % 1000) / 1000.0 - 0.5;
            point.SetIdentifier(TraceName(t));
            point.time = (i + 1) * kPeriod;
            point.display = t % 3 == 0 ? 100 : 1;
            point.value = (5.0 + t * 0.8 + 2.0 * std::sin(point.time / (7.0 + t)) + 0.3 * jitter) * point.display;
            const auto start = Clock::now();
            graph.PlotPoints(point);
            figures.appending += Millis(Clock::now() - start).count();
        }
        const auto start = Clock::now();
        QCoreApplication::processEvents();
        figures.eventLoop += Millis(Clock::now() - start).count();
    }
    return figures;
}

struct Figures {
    double median;
    double worst;
};

template <class F>
Figures Repeat(F&& step)
{
    std::vector<double> times;
    for (int i = 0; i < kRepeats; ++i) {
        const auto start = Clock::now();
        step(i);
        times.push_back(Millis(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

void Print(const char* what, Figures f, double aim)
{
    std::printf("%-34s median %8.3f ms  worst %8.3f ms  (aim < %g ms)\n", what, f.median, f.worst, aim);
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    QWidget owner;
    owner.resize(900, 600);
    CCtrlGraph graph(&owner);
    graph.m_font = owner.font();
    graph.CreateToolbar(owner);
    graph.LayoutToolbar(0, 0, owner.width(), owner.height());
    owner.show();
    for (int t = 0; t < kTraces; ++t)
        graph.AddTrace({TraceName(t), t, {}}, false);
    graph.ToggleGrid();

    const Recording recording = Record(graph);
    std::printf("%-34s %8.1f ms for %d points  (aim < 1000 ms)\n", "appending (in PlotPoints)", recording.appending,
                kTraces * kTicks);
    std::printf("%-34s %8.3f ms a tick on average (%d ticks, each repainting the traces so far)\n",
                "event loop after each tick", recording.eventLoop / kTicks, kTicks);

    Print("repaint with every point", Repeat([&](int) { graph.repaint(); }), 50);
    graph.SelectCursorMode();
    graph.SetCursorX(kTicks * kPeriod / 2);  // in the middle of the run, as the user drags it
    graph.ReadCursor();
    Print("cursor step with its labels", Repeat([&](int i) { graph.MoveCursor(i % 2 == 0); }), 10);
    Print("restore (labels placed again)", Repeat([&](int) { graph.RestoreAxisRanges(); }), 10);
    Print("repaint in cursor mode", Repeat([&](int) { graph.repaint(); }), 50);
    return 0;
}
