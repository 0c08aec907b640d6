// petrol_shots FOLDER: shows the petrol window (its trouble-code page with
// three codes read) over the screen above a status bar, and the petrol
// live-values window at its default place above the status bar's right
// end with eight PIDs and their values, all with the shipped English texts
// and petrol companion; writes the screen to FOLDER for a person to look
// at and checks that every row has its description, value and unit, that
// the live-values window lies on the screen above the status bar, and that
// the trouble-code rows carry their texts. The exit status is the number
// of problems found.
#include "dialogs/CDlgDiagBenz.h"
#include "dialogs/CDlgDinamSVBenz.h"

#include "TempDir.h"
#include "dialogs/tests/ShotLanguage.h"
#include "common/CStdioFileEx.h"
#include "common/CUtilityLang.h"
#include "common/Text.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlList.h"
#include "pages/CDlgTabSB.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/MessagePayload.h"
#include "platform/ui/Messages.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace ui = vexar::ui;
namespace vlink = vexar::link;

namespace {

void SendValue(QWidget& window, int pid, vlink::OBD_PID_RESULT result)
{
    ui::SendMessage(&window, {vlink::WM_OBD_PID_VALUE, static_cast<std::uintptr_t>(pid), 0,
                              ui::BoxPayload(std::unique_ptr<vlink::LinkPayload>(new vlink::OBD_PID_RESULT(result)))});
}

vlink::OBD_PID_RESULT Integer(int value)
{
    vlink::OBD_PID_RESULT result;
    result.form = vlink::ObdForm::OneInteger;
    result.status = 0;
    result.integer = value;
    return result;
}

vlink::OBD_PID_RESULT Double(double value, double second = 0)
{
    vlink::OBD_PID_RESULT result;
    result.form = second != 0 ? vlink::ObdForm::TwoValues : vlink::ObdForm::OneDouble;
    result.status = 0;
    result.value = value;
    result.value2 = second;
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: petrol_shots FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    vexar::testing::TempDir home;
    setenv("VEXAR_HOME", home.path().c_str(), 1);
    std::filesystem::create_directories(home.file("Lang"));
    const std::string language = home.file("Lang/English.lng");
    if (!WriteLanguage(std::string(VEXAR_LANG_FOLDER) + "/English.lng.txt", language) ||
        !WriteLanguage(std::string(VEXAR_LANG_FOLDER) + "/Benz_English.lng.txt", home.file("Lang/Benz_English.lng"))) {
        std::fprintf(stderr, "cannot write the language files\n");
        return 1;
    }

    CVEXARPages app;
    app.m_nOperator = OPR_PRV;
    app.m_bObdLinked = 1;
    const int requested[] = {0x04, 0x05, 0x06, 0x0B, 0x0C, 0x0D, 0x0F, 0x11};
    for (int pid : requested)
        app.m_nPidSupported[pid] = app.m_nPidRequested[pid] = 1;

    // A maximised main frame's status bar along the bottom of the screen.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect statusBar(screen.left(), screen.bottom() - 23, screen.width(), 24);
    LAYOUT_SETTINGS settings;
    settings.barHeight = 200;

    CDlgTabSB host(app);
    host.m_strLangFile = language;
    host.m_settings = settings;
    host.m_rcWindow = QRect(QPoint(0, 0), QPoint(statusBar.right(), statusBar.top() - 1));
    FIXED_PAGES pages;
    auto owned = std::make_unique<CDlgDiagBenz>(app);
    CDlgDiagBenz& page = *owned;
    pages.diagBenz = std::move(owned);
    host.SetFixedPages(std::move(pages));
    host.Create();
    host.setWindowTitle(QString::fromStdU16String(CUtility::LoadLangString(language, 3282)));
    host.CreatePetrolPage();
    host.show();

    CDlgDinamSVBenz live(app);
    live.m_strLangFile = language;
    live.m_settings = settings;
    live.m_statusBarRect = statusBar;
    live.Create(&host);
    if (!QTest::qWaitForWindowExposed(&host) || !QTest::qWaitForWindowExposed(&live)) {
        std::fprintf(stderr, "petrol: not shown\n");
        return 1;
    }

    page.Switch().SetValue(true);
    auto list = std::make_unique<vlink::OBD_DTC_LIST>();
    const std::string codes = "P0133P0420P0171";
    list->codes.assign(codes.begin(), codes.end());
    list->count = 3;
    ui::SendMessage(&page, {vlink::WM_OBD_DTC_LIST, 0, 0, ui::BoxPayload(std::unique_ptr<vlink::LinkPayload>(std::move(list)))});
    SendValue(live, 0x04, Double(27.8));
    SendValue(live, 0x05, Integer(83));
    SendValue(live, 0x06, Double(-1.6, 0.8));
    SendValue(live, 0x0B, Double(33));
    SendValue(live, 0x0C, Integer(1726));
    SendValue(live, 0x0D, Integer(50));
    vlink::OBD_PID_RESULT failed;
    failed.form = vlink::ObdForm::OneInteger;
    failed.status = 2;
    SendValue(live, 0x0F, failed);
    SendValue(live, 0x11, Double(14.5));
    QTest::qWait(300);

    int problems = 0;
    const QTreeWidget& rows = live.List();
    if (rows.topLevelItemCount() != 8)
        std::fprintf(stderr, "petrol: %d live rows, 8 expected\n", rows.topLevelItemCount()), ++problems;
    for (int row = 0; row < rows.topLevelItemCount(); ++row)
        for (int column = 1; column < 4; ++column)
            if (rows.topLevelItem(row)->text(column).isEmpty() || rows.topLevelItem(row)->text(column) == "---")
                std::fprintf(stderr, "petrol: live row %d column %d empty\n", row, column), ++problems;
    if (!screen.contains(live.frameGeometry()) || live.frameGeometry().bottom() >= statusBar.top())
        std::fprintf(stderr, "petrol: the live window is not above the status bar on the screen\n"), ++problems;
    if (page.List().topLevelItemCount() != 3)
        std::fprintf(stderr, "petrol: %d code rows, 3 expected\n", page.List().topLevelItemCount()), ++problems;
    for (int row = 0; row < page.List().topLevelItemCount(); ++row)
        if (page.List().topLevelItem(row)->text(1).isEmpty())
            std::fprintf(stderr, "petrol: code row %d has no text\n", row), ++problems;

    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    if (shot.isNull())
        shot = host.grab();
    const std::string file = folder + "/petrol_windows.png";
    if (!shot.save(QString::fromStdString(file), "PNG")) {
        std::fprintf(stderr, "petrol: cannot write %s\n", file.c_str());
        ++problems;
    }
    live.Close();
    return problems;
}
