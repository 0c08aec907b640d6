// Trace window benchmark: how many lines a second the open trace window
// takes with its list already full (1000 lines), each line posted from
// another thread through the link's sink as the worker posts them, and
// painted at once (at most one paint a frame). The link's fastest rate is
// about 2,000 lines a second (first protocol at 115200 baud); the aim is
// well above it.
// Off screen unless a display is given.

#include "link/EcuExchange.h"
#include "link/LinkMessages.h"
#include "link/ui/CDlgDebug.h"
#include "link/ui/LinkUiSinkAdapter.h"

#include <QApplication>
#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;
using namespace vexar::link;

namespace {

constexpr int kRounds = 5;
constexpr int kLinesPerRound = 4000;

std::unique_ptr<TRACE_LINE> Line(int n)
{
    // A typical frame of the first protocol: a 16-byte block read reply.
    std::vector<std::uint8_t> bytes(21);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(n + i);
    auto line = std::make_unique<TRACE_LINE>();
    line->text = detail::FormatTraceLine(std::chrono::system_clock::now(), n % 2 != 0, false, bytes);
    return line;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::atomic<const void*> target{nullptr};
    LinkUiSinkAdapter sink;
    CDlgDebug dialog(target, &sink);
    dialog.resize(640, 480);
    dialog.Create();
    for (int n = 0; n < CDlgDebug::kMaxLines; ++n)
        dialog.OnTraceLine(Line(n)->text);

    std::vector<double> rates;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        std::thread producer([&] {
            for (int n = 0; n < kLinesPerRound; ++n) {
                sink.Post(UiWindow::TraceWindow, nullptr, LinkMessage{WM_TRACE_LINE, 0, 0, Line(n)});
            }
        });
        // The last line of the round ends it: its text is known.
        producer.join();
        const QString last = QString::fromStdU16String(Line(kLinesPerRound - 1)->text).section(u' ', 1);
        while (!dialog.List().item(dialog.List().count() - 1)->text().endsWith(last) ||
               dialog.List().count() != CDlgDebug::kMaxLines)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QCoreApplication::processEvents();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        rates.push_back(kLinesPerRound / seconds);
    }
    std::sort(rates.begin(), rates.end());
    std::printf("trace window, list full (%d lines), %d lines a round, %d rounds\n", CDlgDebug::kMaxLines,
                kLinesPerRound, kRounds);
    std::printf("lines per second: median %.0f, slowest %.0f (link's fastest rate about 2000)\n",
                rates[rates.size() / 2], rates.front());
    dialog.Close();
    return 0;
}
