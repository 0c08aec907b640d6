// Start-up benchmark of the main program: with 500 installed revisions (5
// ECU folders of 100 revisions each), the time from the application
// object's start to the ECU selection dialog on the screen, off screen,
// median of 10 runs; and the share of that time the catalogue's scan of the
// installed configurations takes (measured alone, median of 10 scans).
// Goal: under 100 ms.

#include "common/CCriptFile.h"
#include "common/Text.h"
#include "config/CCentralineInstallate.h"
#include "dialogs/CDlgSelCentr.h"
#include "platform/AtomicFile.h"
#include "platform/ui/DialogResponder.h"
#include "shell/CVEXARApp.h"
#include "shell/core/CSettingsFile.h"
#include "testing/fixtures/DefinitionFixtures.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kEcus = 5;
constexpr int kRevisionsPerEcu = 100;
constexpr int kRuns = 10;

struct BenchFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Every box is answered OK and counted: a start that shows one is not the
// start being measured.
class CountingResponder : public vexar::ui::DialogResponder {
public:
    int MessageBox(const vexar::ui::MessageBoxRequest& request) override
    {
        std::fprintf(stderr, "unexpected message box: %s\n", vexar::ToUtf8(request.text).c_str());
        ++boxes;
        return vexar::ui::IDOK;
    }
    std::optional<std::string> FileDialog(const vexar::ui::FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> FolderDialog(const vexar::ui::FolderDialogRequest&) override { return std::nullopt; }
    int boxes = 0;
};

// Notes the moment the selection dialog shows and closes it.
class SelectionWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && dynamic_cast<CDlgSelCentr*>(watched)) {
            shown = Clock::now();
            auto* dialog = static_cast<QDialog*>(watched);
            QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
        }
        return false;
    }
    Clock::time_point shown;
};

void WriteCipher(const std::string& path, const std::u16string& text)
{
    CCriptFile file;
    if (!file.Open(path, 0))
        throw BenchFailure("cannot prepare " + path);
    file.Write(text);
    if (!file.Close())
        throw BenchFailure("cannot write " + path);
}

void WriteLanguage(const std::string& folder)
{
    std::filesystem::create_directories(folder + "Lang");
    if (!vexar::platform::WriteFileAtomically(folder + "Lang/GestLang.cfg", std::string("English.lng\r\n")))
        throw BenchFailure("cannot write the language list");
    std::string bytes = "\xFF\xFE";
    for (int id = 3000; id <= 3300; ++id)
        for (char16_t unit : vexar::Format(u"%d\tText %d\r\n", id, id)) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
    if (!vexar::platform::WriteFileAtomically(folder + "Lang/English.lng", bytes))
        throw BenchFailure("cannot write the language file");
}

// The program folder: language, settings, session, remote settings, the
// OBD library, and the installed revisions.
void Prepare(const std::string& folder)
{
    WriteLanguage(folder);
    WriteCipher(folder + "VEXAR.cfg", vexar::shell::CSettingsFile::SettingsText(u"1.0.0", 0, 0, {}, {}));
    WriteCipher(folder + "VEXARDef.cfg", u"OPR_PBL\nEnglish.lng\n1\n\\\\.\\COM1\n");
    WriteCipher(folder + "Remote.cfg", u"0.0.0.0\n0\n1\n1\n");
    std::filesystem::copy_file(OBDVANE_FILE, folder + "libobdvane.so");
    for (int ecu = 0; ecu < kEcus; ++ecu)
        for (int revision = 0; revision < kRevisionsPerEcu; ++revision) {
            vexar::fixtures::SyntheticConfiguration installed;
            std::string error;
            const std::string ecuName = "KD0" + std::to_string(ecu) + "_ECU";
            char name[16];
            std::snprintf(name, sizeof name, "VXG4_R0%04d", ecu * kRevisionsPerEcu + revision);
            if (!vexar::fixtures::InstallSyntheticConfiguration(folder, ecuName, name, installed, error))
                throw BenchFailure(error);
        }
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

int Measure(const std::string& folder)
{
    CountingResponder responder;
    vexar::ui::SetDialogResponder(&responder);
    SelectionWatch watch;
    qApp->installEventFilter(&watch);
    std::vector<double> starts;
    for (int run = 0; run < kRuns; ++run) {
        watch.shown = {};
        const Clock::time_point begin = Clock::now();
        {
            CVEXARApp app;
            if (app.Run() != 0)
                throw BenchFailure("the program did not end with 0");
        }
        if (watch.shown == Clock::time_point{})
            throw BenchFailure("the selection dialog never showed");
        starts.push_back(Milliseconds(watch.shown - begin));
    }
    qApp->removeEventFilter(&watch);
    vexar::ui::SetDialogResponder(nullptr);
    if (responder.boxes != 0)
        throw BenchFailure("message boxes were shown");

    std::vector<double> scans;
    for (int run = 0; run < kRuns; ++run) {
        CCentralineInstallate catalogue(u"InfoCentraline");
        const Clock::time_point begin = Clock::now();
        catalogue.ScanInstalled();
        scans.push_back(Milliseconds(Clock::now() - begin));
        if (catalogue.Ecus().size() != static_cast<std::size_t>(kEcus))
            throw BenchFailure("the catalogue does not list every ECU");
    }
    const double start = Median(starts);
    const double scan = Median(scans);
    std::printf("installed revisions:          %d\n", kEcus * kRevisionsPerEcu);
    std::printf("start to selection (median):  %.1f ms (goal under 100 ms)\n", start);
    std::printf("catalogue scan (median):      %.1f ms, %.0f %% of the start\n", scan, 100.0 * scan / start);
    (void)folder;
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    unsetenv("XDG_RUNTIME_DIR");
    char pattern[] = "/tmp/vexar-start-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::fprintf(stderr, "cannot make a scratch folder\n");
        return 1;
    }
    const std::string folder = std::string(pattern) + "/";
    setenv("VEXAR_HOME", folder.c_str(), 1);
    int result = 1;
    try {
        QApplication application(argc, argv);
        Prepare(folder);
        result = Measure(folder);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "shell_start_bench: %s\n", failure.what());
    }
    std::filesystem::remove_all(pattern);
    return result;
}
