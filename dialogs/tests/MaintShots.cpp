// maint_shots FOLDER: the variable window of the synthetic configuration
// on a 1024 x 768 display, opened on its memory maintenance page as a
// user opens it (the tab clicked), with the link up, a variable chosen
// and a value read; writes the picture to FOLDER for a person to look at
// and checks that every control of the page stands whole inside it, with
// no scroll bar, and that every caption fits its label.
// The exit status is the number of problems found.
#include "dialogs/CDlgMaint.h"

#include "PagesFixture.h"
#include "TempDir.h"
#include "dialogs/CScrollResizeFunc.h"
#include "link/LinkMessages.h"
#include "link/LinkRequests.h"
#include "pages/CCtrlBox.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlStatic.h"
#include "pages/CCtrlTab.h"
#include "pages/core/CVEXARPages.h"
#include "pages/widgets/CCWNumEdit.h"
#include "platform/ui/Messages.h"
#include "platform/ui/MessagePayload.h"
#include "platform/ui/WindowState.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void Deliver()
{
    for (int i = 0; i < 6; ++i)
        QCoreApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: maint_shots FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    vexar::testing::TempDir home;
    setenv("VEXAR_HOME", home.path().c_str(), 1);
    const QSize screen = application.primaryScreen()->size();

    CVEXARPages app;
    CDlgMaint* page = nullptr;
    vexar::pagesfixture::PagesFixtureOptions options;
    options.window = QRect(0, 0, screen.width(), screen.height() - 30);
    options.maintPage = [&] {
        auto made = std::make_unique<CDlgMaint>(app);
        page = made.get();
        return made;
    };
    vexar::pagesfixture::PagesFixture fixture(app, home.path(), options);
    std::string error;
    if (!fixture.Load(error) || !page) {
        std::fprintf(stderr, "maint: %s\n", error.c_str());
        return 1;
    }
    page->ReloadVariables();

    CDlgTabSB& host = fixture.Vars();
    host.show();
    if (!QTest::qWaitForWindowExposed(&host)) {
        std::fprintf(stderr, "maint: not shown\n");
        return 1;
    }
    // The maintenance tab, clicked.
    CCtrlTab& strip = host.Strip();
    for (int tab = 0; tab < strip.GetItemCount(); ++tab) {
        const std::size_t index = static_cast<std::size_t>(host.m_tabMap[static_cast<std::size_t>(tab)]);
        if (host.m_pages[index].window != page)
            continue;
        const QPoint centre = strip.GetItemRect(tab).center();
        QWidget* bar = strip.childAt(centre);
        QWidget* target = bar ? bar : &strip;
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&strip, centre));
    }
    Deliver();
    int problems = 0;
    if (!page->isVisible()) {
        std::fprintf(stderr, "maint: the tab does not show the page\n");
        return 1;
    }

    // The link up, as the worker tells it; a variable chosen; a word read.
    vexar::ui::PostMessage(page, {vexar::link::WM_LINK_STATE, 1, 0, {}});
    CCtrlCombo& variables = page->List(CDlgMaint::IDC_READ_VAR);
    for (int i = 0; i < variables.count(); ++i)
        if (variables.itemText(i).startsWith(QStringLiteral("Temperatura_Gas"))) {
            variables.setCurrentIndex(i);
            emit variables.activated(i);
        }
    page->Field(CDlgMaint::IDC_READ_ADDRESS).SetValue(0x14);
    page->List(CDlgMaint::IDC_READ_SIZE).setCurrentText(QStringLiteral("WORD"));
    auto answer = std::make_unique<vexar::link::MEMORY_REQUEST>();
    answer->address = 0x14;
    answer->size = 2;
    answer->value = {0x12, 0x34, 0, 0};
    std::unique_ptr<vexar::link::LinkPayload> record = std::move(answer);
    vexar::ui::PostMessage(page, {vexar::link::WM_LINK_READ_MEMORY, 0, 0, vexar::ui::BoxPayload(std::move(record))});
    page->Field(CDlgMaint::IDC_WRITE_VAR_VALUE).SetValue(4660);
    Deliver();

    const QString file = QString::fromStdString(folder + "/maint.png");
    if (!host.grab().save(file)) {
        std::fprintf(stderr, "maint: cannot write %s\n", file.toLocal8Bit().constData());
        ++problems;
    }

    // Whole controls, no scroll bar, captions that fit.
    const QRect inside = page->rect();
    for (QObject* child : page->children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (!control || !control->isVisible())
            continue;
        if (control == page->Scroll().HorizontalBar() || control == page->Scroll().VerticalBar()) {
            std::fprintf(stderr, "maint: a scroll bar shows on a %d x %d screen\n", screen.width(),
                         screen.height());
            ++problems;
            continue;
        }
        if (!inside.contains(control->geometry())) {
            std::fprintf(stderr, "maint: control %d reaches out of the page\n", vexar::ui::GetDlgCtrlID(*control));
            ++problems;
        }
        if (auto* label = dynamic_cast<CCtrlStatic*>(control)) {
            if (QFontMetrics(label->font()).horizontalAdvance(label->text()) > label->contentsRect().width()) {
                std::fprintf(stderr, "maint: the caption of %d is cut\n", vexar::ui::GetDlgCtrlID(*control));
                ++problems;
            }
        }
    }
    if (page->ValueLabel().text() != QStringLiteral("4660")) {
        std::fprintf(stderr, "maint: the value read shows \"%s\"\n", page->ValueLabel().text().toUtf8().constData());
        ++problems;
    }
    std::printf("maint: %s, %d problem(s)\n", file.toLocal8Bit().constData(), problems);
    std::fflush(stdout);
    // A person looking at the display may ask for time to take it in.
    if (const char* hold = std::getenv("MAINT_SHOTS_HOLD_MS"))
        QTest::qWait(std::atoi(hold));
    return problems;
}
