// Replay benchmark: an hour's recording at 200 ms of ten of the synthetic
// configuration's twelve variables (18 000 sample lines) written by the
// real recorder, then loaded on the graph page and played on both graphs.
// Measured: loading to the first traces, playing to the end of the file,
// repaints of the page graph and of the maximised twin at 1920 x 1080, a
// one-minute window panned across the hour in 60 steps, a zoom from the
// hour to 10 s and back (median and worst frame), a cursor step. Aims:
// play under 2 s, every frame under 16 ms, a cursor step under 10 ms.

#include "DefinitionFixtures.h"
#include "TestControls.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "config/AcqSample.h"
#include "config/CControlliConfigurati.h"
#include "config/CVariabiliAcq.h"
#include "dialogs/CDlgGraph.h"
#include "dialogs/CDlgGraphFS.h"
#include "pages/CCtrlGraph.h"
#include "pages/CCtrlLed.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/DialogResponder.h"

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

namespace {

constexpr int kLines = 18000;  // one hour at 200 ms
constexpr int kRecorded = 10;

// Answers the open dialog with the recording; nothing else is asked.
class OpenRecording : public vexar::ui::DialogResponder {
public:
    explicit OpenRecording(std::string path) : m_path(std::move(path)) {}
    int MessageBox(const vexar::ui::MessageBoxRequest& request) override
    {
        throw std::runtime_error("unexpected message box: " + vexar::ToUtf8(request.text));
    }
    std::optional<std::string> FileDialog(const vexar::ui::FileDialogRequest&) override { return m_path; }
    std::optional<std::string> FolderDialog(const vexar::ui::FolderDialogRequest&) override { return {}; }

private:
    std::string m_path;
};

struct Figures {
    double median;
    double worst;
};

Figures Frames(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

void Print(const char* what, Figures f, double aim)
{
    std::printf("%-44s median %8.3f ms  worst %8.3f ms  (aim < %g ms)\n", what, f.median, f.worst, aim);
}

template <class F>
double Time(F&& step)
{
    const auto start = Clock::now();
    step();
    return Millis(Clock::now() - start).count();
}

// Writes the hour through the recorder as the recorded controls would:
// engine-like signals, one field per variable and tick.
void WriteRecording(const std::string& path, const CTRL_TABLE& recorded)
{
    CVariabiliAcq recorder("", u"InfoFileAcquisizioni");
    recorder.SetVariables(static_cast<std::int32_t>(recorded.size()), recorded.data());
    if (recorder.WriteHeader(u"VXG4", u"VXG4_R0107", u"200", path) != 0)
        throw std::runtime_error("the recording cannot be written");
    unsigned noise = 12345;
    for (int k = 0; k < kLines; ++k) {
        for (std::size_t c = 0; c < recorded.size(); ++c) {
            noise = noise * 1103515245u + 12345u;
            const double t = (k + 1) * 0.2;
            const double value = 100.0 + 60.0 * std::sin(t / (30.0 + 7.0 * c)) + ((noise >> 16) % 20);
            const ACQ_SAMPLE sample{t, static_cast<std::int32_t>(value), c + 1 == recorded.size() ? 2 : 1};
            CUtility::RecordAcqSample(recorder, sample, 0.0, recorded[c].wnd->GetDefinition(), nullptr);
        }
    }
    if (recorder.WriteComments() != 0)
        throw std::runtime_error("the recording cannot be closed");
}

void Run()
{
    const std::string root = std::filesystem::temp_directory_path() / ("acq_replay_bench_" + std::to_string(getpid()));
    const std::string home = root + "/home";
    std::filesystem::create_directories(home + "/Log");
    std::filesystem::create_directories(home + "/Lang");
    setenv("VEXAR_HOME", home.c_str(), 1);
    const std::string language = home + "/Lang/English.lng";
    {
        CStdioFileEx texts;
        if (!texts.Open(language, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode) ||
            !texts.WriteString(u"3044\tStopped\n3045\tRunning\n3047\tName\n3077\tLoad\n3093\tTime [s]\n") ||
            !texts.Close())
            throw std::runtime_error("the language file cannot be written");
    }

    vexar::fixtures::SyntheticConfiguration config;
    std::string error;
    if (!vexar::fixtures::InstallSyntheticConfiguration(home, config, error))
        throw std::runtime_error("synthetic configuration: " + error);
    CControlliConfigurati variables(config.var, u"InfoControlliVS");
    std::u16string languageName = u"English";
    if (variables.Load(languageName, {u"English", u"Italiano"}) != 0)
        throw std::runtime_error("the synthetic variables do not load");
    const REC_CONTROLLO* records = nullptr;
    variables.GetControls(records);
    const int count = variables.CountControls();

    std::vector<std::unique_ptr<vexar::testing::DefinitionOnlyCtrl>> controls;
    CTRL_TABLE table;
    for (int i = 0; i < count; ++i) {
        controls.push_back(std::make_unique<vexar::testing::DefinitionOnlyCtrl>(records[i]));
        table.push_back({records[i].ID_GUI, records[i].CATEGORIA, records[i].OPERATORE, records[i].LSB, 0, 0, false,
                         controls.back().get()});
    }
    const CTRL_TABLE recorded(table.begin(), table.begin() + std::min<std::size_t>(kRecorded, table.size()));
    const std::string path = root + "/Ora.acq";
    const double writing = Time([&] { WriteRecording(path, recorded); });
    std::printf("%-44s %8.1f ms for %d lines of %zu of %d variables\n", "recording written", writing, kLines,
                recorded.size(), count);

    CVEXARPages app;
    app.m_nOperator = OPR_PRV;
    app.m_pVarTable = &table;
    app.m_pAcqVarTable = &table;
    QWidget strip;
    strip.resize(1920, 1080);
    CDlgGraph page(app);
    page.m_strEcuFamily = u"VXG4";
    page.m_strConfigName = u"VXG4_R0107";
    page.SetLanguageFile(language);
    page.SetPageFont(strip.font());
    page.Create(strip);
    page.setGeometry(0, 0, 1920, 1080);
    page.ReloadVariables();
    strip.show();
    page.show();
    CCtrlGraph& graph = page.Graph();
    // Where the page puts its graph on a 1920 x 1080 screen: the design's
    // place scaled by 1080 / 768, beside the picker and the list.
    graph.LayoutToolbar(14, 14, 14 + 1069, 14 + 872);
    QCoreApplication::processEvents();

    OpenRecording responder(path);
    vexar::ui::DialogResponder* previous = vexar::ui::SetDialogResponder(&responder);
    const double loading = Time([&] { page.LoadButton().click(); });
    std::printf("%-44s %8.1f ms, %zu traces\n", "loading to the first traces", loading, graph.Traces().Count());
    const double playing = Time([&] { QTest::mouseClick(&page.RunSwitch(), Qt::LeftButton); });
    std::printf("%-44s %8.1f ms for %zu points on each graph  (aim < 2000 ms)\n", "playing to the end on both graphs",
                playing, graph.Traces().Count() * graph.Traces().Traces().front().points.size());
    vexar::ui::SetDialogResponder(previous);

    CDlgGraphFS& twin = *page.Twin();
    twin.resize(1920, 1080);
    twin.show();
    QCoreApplication::processEvents();

    const auto repaints = [](QWidget& widget) {
        std::vector<double> times;
        for (int i = 0; i < 20; ++i)
            times.push_back(Time([&] { widget.repaint(); }));
        return Frames(times);
    };
    Print("repaint, page graph, the whole hour", repaints(graph), 16);
    Print("repaint, full-screen twin 1920 x 1080", repaints(twin.Graph()), 16);

    using Axis = CCWGraph::Axis;
    std::vector<double> pan;
    for (int step = 0; step < 60; ++step) {
        const double start = step * 59.0;
        pan.push_back(Time([&] {
            graph.SetAxisRange(Axis::X, start, start + 60.0);
            graph.repaint();
        }));
    }
    Print("a one-minute window panned in 60 steps", Frames(pan), 16);

    std::vector<double> zoom;
    const double hour = kLines * 0.2;
    for (int direction = 0; direction < 2; ++direction)
        for (int step = 0; step <= 30; ++step) {
            const double fraction = direction == 0 ? step / 30.0 : 1.0 - step / 30.0;
            const double span = hour * std::pow(10.0 / hour, fraction);
            const double middle = hour / 2;
            zoom.push_back(Time([&] {
                graph.SetAxisRange(Axis::X, middle - span / 2, middle + span / 2);
                graph.repaint();
            }));
        }
    Print("zoom from the hour to 10 s and back", Frames(zoom), 16);

    graph.RestoreAxisRanges();
    graph.SelectCursorMode();
    graph.SetCursorX(hour / 2);
    graph.ReadCursor();
    std::vector<double> cursor;
    for (int i = 0; i < 40; ++i)
        cursor.push_back(Time([&] { graph.MoveCursor(i % 2 == 0); }));
    Print("cursor step with its labels", Frames(cursor), 10);

    page.Close();
    std::filesystem::remove_all(root);
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    try {
        Run();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "acq_replay_bench: %s\n", failure.what());
        return 1;
    }
    return 0;
}
