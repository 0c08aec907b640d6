// Comparison benchmark: two calibration files of 20,000 parameter lines
// each (one value in ten changed, some parameters only in one file), read
// into the comparison dialog and compared, off screen. Prints the median
// and the worst of reading both files into the dialog's line lists and of
// the comparison from the button to the filled list (the end-of-comparison
// box); the aim for the comparison is under 0.5 s.

#include "common/CCriptFile.h"
#include "common/Text.h"
#include "dialogs/CDlgCmpFilePC.h"
#include "platform/ui/DialogResponder.h"

#include <QApplication>
#include <QTableWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

namespace {

constexpr int kLines = 20000;
constexpr int kRepeats = 5;

// Answers the Open dialogs with the queued paths and every box with OK.
class BenchResponder : public vexar::ui::DialogResponder {
public:
    std::deque<std::string> paths;
    int boxes = 0;
    int MessageBox(const vexar::ui::MessageBoxRequest&) override
    {
        ++boxes;
        return vexar::ui::IDOK;
    }
    std::optional<std::string> FileDialog(const vexar::ui::FileDialogRequest&) override
    {
        if (paths.empty())
            return std::nullopt;
        std::string path = paths.front();
        paths.pop_front();
        return path;
    }
    std::optional<std::string> FolderDialog(const vexar::ui::FolderDialogRequest&) override { return std::nullopt; }
};

bool WriteCalib(const std::string& path, int variant)
{
    std::u16string text = u"<CODICE_ECU>\t\tKD02_ECU\t\t</CODICE_ECU>\n<ID_FIRMWARE>\t\tVXG4_R01070\t\t</ID_FIRMWARE>\n";
    for (int i = 0; i < kLines; ++i) {
        // File 2 lacks one parameter in a hundred and has others instead.
        const bool missing = variant == 2 && i % 100 == 7;
        const int value = variant == 2 && i % 10 == 3 ? i + 1 : i;
        text += missing ? vexar::Format(u"Extra_%05d\t%d\t\tOnly in file 2\n", i, value)
                        : vexar::Format(u"Parametro_%05d\t%d\t\tParameter number %d\n", i, value, i);
    }
    text += u"<COMMENTO>\n<DATA>\t\tMonday, 03/11/2008\t</DATA>\n<ORA>\t\t14:05:09\t</ORA>\n<TESTO>\nbench\n"
            u"</TESTO>\n</COMMENTO>\n";
    CCriptFile file;
    if (!file.Open(path, 0))
        return false;
    file.Write(text);
    return file.Close();
}

void Report(const char* what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-40s median %8.1f ms   worst %8.1f ms\n", what, times[times.size() / 2], times.back());
}

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vexar-calib-compare-bench";
    std::filesystem::create_directories(folder / "KD02_ECU");
    const std::string one = (folder / "KD02_ECU" / "one.dat").string();
    const std::string two = (folder / "KD02_ECU" / "two.dat").string();
    if (!WriteCalib(one, 1) || !WriteCalib(two, 2)) {
        std::fprintf(stderr, "cannot write the calibration files in %s\n", folder.c_str());
        return 1;
    }
    BenchResponder responder;
    vexar::ui::SetDialogResponder(&responder);

    std::vector<double> reads;
    std::vector<double> compares;
    int rows = 0;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        CDlgCmpFilePC dialog;
        dialog.m_font = QFont(QStringLiteral("Courier New"), 10);
        dialog.m_font.setStyleHint(QFont::TypeWriter);
        dialog.m_strRootFolder = vexar::ToUtf16(folder.string() + "/");
        dialog.m_strEcuType = u"KD02_ECU";
        dialog.resize(1200, 800);
        dialog.show();
        application.processEvents();

        responder.paths = {one, two};
        const auto readStart = Clock::now();
        dialog.OnChooseFile1();
        dialog.OnChooseFile2();
        application.processEvents();
        reads.push_back(Millis(Clock::now() - readStart).count());

        const int boxes = responder.boxes;
        const auto compareStart = Clock::now();
        dialog.OnCompare();
        application.processEvents();
        compares.push_back(Millis(Clock::now() - compareStart).count());
        rows = dialog.Differences().rowCount();
        if (responder.boxes != boxes + 1) {
            std::fprintf(stderr, "the end of the comparison was not shown\n");
            return 1;
        }
    }
    vexar::ui::SetDialogResponder(nullptr);
    std::filesystem::remove_all(folder);
    std::printf("Comparison of two calibrations of %d parameter lines, %d rows listed\n", kLines, rows);
    Report("both files read into the line lists", reads);
    Report("comparison, button to list shown", compares);
    return 0;
}
