// hc08flash's and hhwriter's dialogs in the middle of a run against the
// simulated handheld terminal, on a real (virtual) display: pictures in the
// folder named on the command line for a person to look at. Fails when a
// run does not get going or a picture cannot be written.
#include "Hc08TestImage.h"
#include "HhwriterTestFiles.h"
#include "TempDir.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/HandheldTerminal.h"
#include "tools/hc08flash/CHc08LoaderDlg.h"
#include "tools/hhwriter/CHandheldWriterDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <filesystem>

using namespace vexar::tools;
using namespace vexar::bootsim;
using vexar::testing::TempDir;

namespace {

bool Save(QWidget& window, const QString& file)
{
    QPixmap shot = window.screen() ? window.screen()->grabWindow(window.winId()) : QPixmap();
    if (shot.isNull())
        shot = window.grab();
    if (!shot.save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

bool Hc08Shot(const QString& folder, const std::string& comDir)
{
    TempDir tool;
    std::filesystem::create_directories(tool.file("Palm"));
    hc08test::WriteS19File(tool.file("Palm/PALM_V12.s19"), 0x1000, 0x7FFF, false);
    auto device = std::make_unique<HandheldTerminal>();
    device->LoaderFaults().Arm(HandheldTerminal::kWrite, {FaultKind::Late, std::chrono::milliseconds(1500)}, false, 300);
    BootSimulator sim(std::move(device));
    std::string error;
    if (!sim.Start(error) || !sim.PublishCom(comDir, 3, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    Hc08Timing timing;
    timing.exchangeTimeout = 3.0;
    CHc08LoaderDlg dialog("LOGO=0,COM=3,PATH=,FILE=PALM_V12.s19", tool.path() + "/", timing);
    dialog.show();
    if (!QTest::qWaitFor([&] { return dialog.ArgumentApplied(); }, 5000))
        return false;
    QTest::mouseClick(dialog.Button(CHc08LoaderDlg::IDC_START), Qt::LeftButton);
    QProgressBar* bar = dialog.DownloadBar();
    const bool running = QTest::qWaitFor([&] { return bar->value() > bar->minimum() + (bar->maximum() - bar->minimum()) / 2; }, 20000);
    QTest::qWait(200);
    const bool saved = running && Save(dialog, folder + QStringLiteral("/hc08flash-running.png"));
    dialog.Programmer().StopRun();
    sim.Stop();
    if (!running)
        std::fprintf(stderr, "hc08flash did not get going\n");
    return saved;
}

bool HhwriterShot(const QString& folder, const std::string& comDir)
{
    TempDir tool;
    std::filesystem::create_directories(tool.file("Palm"));
    std::filesystem::create_directories(tool.file("KD01_ECU"));
    hhtest::WriteBytes(tool.file("Palm/English.bin"), hhtest::Pattern(0x8000, 2));
    hhtest::WriteKd01S19(tool.file("KD01_ECU/KD01_R3.s19"));
    auto device = std::make_unique<HandheldTerminal>();
    // A slow block a third into the KD01 firmware: the picture is taken
    // after it, while the window dispatches its messages.
    device->ApplicationFaults().Arm(HandheldTerminal::kBlockWrite, {FaultKind::Late, std::chrono::milliseconds(300)},
                                    false, 512 + 200);
    BootSimulator sim(std::move(device));
    std::string error;
    if (!sim.Start(error) || !sim.PublishCom(comDir, 4, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    CHandheldWriterDlg dialog("LOGO=0,COM=4,FILELANG=English.bin,FILEFWKD01=KD01_R3.s19", tool.path() + "/");
    dialog.show();
    QTest::qWait(200);
    dialog.Check(CHandheldWriterDlg::ITEM_LANG)->setChecked(true);
    dialog.Check(CHandheldWriterDlg::ITEM_KD01)->setChecked(true);
    bool saved = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!saved && dialog.OverallBar()->value() == 1 &&
            dialog.CurrentBar()->value() > dialog.CurrentBar()->maximum() / 3) {
            saved = Save(dialog, folder + QStringLiteral("/hhwriter-running.png"));
            dialog.OnStop();
        }
    });
    watch.start(50);
    QTest::mouseClick(dialog.Button(CHandheldWriterDlg::IDC_START), Qt::LeftButton);
    watch.stop();
    sim.Stop();
    if (!saved)
        std::fprintf(stderr, "hhwriter did not get going\n");
    return saved;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: handheld_shots FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    TempDir com;
    setenv("VEXAR_COM_DIR", com.path().c_str(), 1);
    QElapsedTimer clock;
    clock.start();
    const bool hc08 = Hc08Shot(folder, com.path());
    std::printf("hc08flash: %lld ms\n", static_cast<long long>(clock.restart()));
    const bool hhwriter = HhwriterShot(folder, com.path());
    std::printf("hhwriter: %lld ms\n", static_cast<long long>(clock.restart()));
    return hc08 && hhwriter ? 0 : 1;
}
