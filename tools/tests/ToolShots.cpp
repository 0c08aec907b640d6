// kd02flash's and st7flash's dialogs in the middle of a run against the
// simulated ECUs, on a real (virtual) display: pictures in the folder named
// on the command line for a person to look at. Fails when a run does not
// get going or a picture cannot be written.
#include "St7TestImage.h"
#include "TempDir.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/Kd01Loader.h"
#include "testing/bootsim/Kd02Loader.h"
#include "tools/kd02flash/CKd02LoaderDlg.h"
#include "tools/st7flash/CSt7LoaderDlg.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <filesystem>

using namespace vexar::tools;
using namespace vexar::bootsim;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

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

bool Kd02Shot(const QString& folder, const std::string& comDir)
{
    TempDir tool;
    std::filesystem::create_directories(tool.file("KD02_ECU"));
    std::string image(40 * 1024, '\0');
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>(i * 5 + 3);
    WriteAll(tool.file("KD02_ECU/ECU_V2.bin"), image);
    BootSimulator sim(std::make_unique<Kd02Loader>());
    std::string error;
    if (!sim.Start(error) || !sim.PublishCom(comDir, 3, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    CKd02LoaderDlg dialog("LOGO=0,COM=3,PATH=,FILE=ECU_V2.bin,LINEAK=0,LOCKCOM=0,LANGENG=1", tool.path() + "/");
    dialog.show();
    if (!QTest::qWaitFor([&] { return dialog.ArgumentApplied(); }, 5000))
        return false;
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("startstop")), Qt::LeftButton);
    QProgressBar* bar = dialog.DownloadBar();
    const bool running = QTest::qWaitFor([&] { return bar->value() > bar->maximum() / 4; }, 20000);
    QTest::qWait(150);
    const bool saved = running && Save(dialog, folder + QStringLiteral("/kd02flash-running.png"));
    dialog.Programmer().AbortRun();
    sim.Stop();
    if (!running)
        std::fprintf(stderr, "kd02flash did not get going\n");
    return saved;
}

bool St7Shot(const QString& folder, const std::string& comDir)
{
    TempDir tool;
    std::filesystem::create_directories(tool.file("KD01_ECU"));
    st7test::WriteRunFile(tool.file("KD01_ECU"), "KD01_R3.run");
    auto device = std::make_unique<Kd01Loader>();
    device->Faults().Arm(Kd01Loader::kWrite, {FaultKind::Late, std::chrono::milliseconds(1500)}, false, 3);
    BootSimulator sim(std::move(device));
    std::string error;
    if (!sim.Start(error) || !sim.PublishCom(comDir, 4, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    St7Timing timing;
    timing.resetTimeout = 0.2;
    timing.writeTimeout = 3.0;
    CSt7LoaderDlg dialog("LOGO=0,COM=4,PATH=,FILE=KD01_R3.run,LINEAK=0,LOCKCOM=1,LANGENG=0", tool.path() + "/", timing);
    dialog.show();
    if (!QTest::qWaitFor([&] { return dialog.ArgumentApplied(); }, 5000))
        return false;
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("start")), Qt::LeftButton);
    const bool running = QTest::qWaitFor(
        [&] { return !dialog.ControlText(CSt7LoaderDlg::IDC_PROGRESS_TEXT).isEmpty(); }, 20000);
    QTest::qWait(200);
    const bool saved = running && Save(dialog, folder + QStringLiteral("/st7flash-running.png"));
    const bool ended = QTest::qWaitFor([&] { return dialog.StartEnabled(); }, 10000);
    sim.Stop();
    if (!ended)
        std::fprintf(stderr, "st7flash did not end its run\n");
    if (!running)
        std::fprintf(stderr, "st7flash did not get going\n");
    return saved && ended;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tools_shots FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    TempDir com;
    setenv("VEXAR_COM_DIR", com.path().c_str(), 1);
    const bool kd02 = Kd02Shot(folder, com.path());
    const bool st7 = St7Shot(folder, com.path());
    return kd02 && st7 ? 0 : 1;
}
