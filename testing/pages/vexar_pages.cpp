// The parameter and variable windows of the synthetic configuration
// against the simulated ECU, for a developer to look at and click:
//
//   vexar-pages                      shows both windows until both are closed
//   vexar-pages --screenshot FILE    shows them, connects, reads the ECU's
//                                    image, writes a picture of both, a row
//                                    for each configured tab, into FILE
//                                    (PNG) and ends
//
// The simulator runs in this process on a pseudo-terminal behind COM3 of a
// COM folder of its own; the program folder is a temporary one. Every
// place whose control class is not built yet carries a note naming the
// category and the key. Ends with 1 when something cannot be set up or the
// picture cannot be written.

#include "PagesFixture.h"

#include "common/Text.h"
#include "link/LinkMessages.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/CCtrlTab.h"
#include "pages/CDlgTabWnd.h"
#include "pages/CUtilityFactory.h"
#include "pages/core/CUtilityBuild.h"
#include "pages/core/CUtilityTables.h"
#include "pages/core/CVEXARPages.h"
#include "config/CUtilityCtrl.h"
#include "platform/ui/WindowBase.h"
#include "testing/ecusim/EcuSimulator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <array>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

using namespace vexar;
using namespace std::chrono_literals;

namespace {

constexpr int kComPort = 3;
constexpr long kBaud = 19200;     // the synthetic configuration's speed
constexpr const char* kIdent = "VXSIM-00001";
constexpr int kGap = 16;          // between the two windows in the picture
constexpr int kLinkTimeoutMs = 30000;
constexpr int kSettleMs = 500;    // the last paints after the image was read

// A folder under the temporary folder, removed with its contents.
class TempFolder {
public:
    explicit TempFolder(const char* name)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// The view's part in the link: the idle notices, and on the control check
// after a whole-image read one control per datum takes the new value.
class View : public QWidget, public ui::WindowBase {
public:
    explicit View(CVEXARPages& app) : WindowBase(this), m_app(app) {}
    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<ui::MessagePayload>& payload) override
    {
        if (id == link::WM_CTRL_FORCE_REFRESH && m_app.m_pParTable) {
            CUtility::ShowOneCtrlPerGroup(m_app, *m_app.m_pParTable, true);
            if (onImageRead)
                onImageRead();
        }
        if (id == link::WM_LINK_IDLE && onIdle)
            onIdle();
        return WindowBase::onMessage(id, wParam, lParam, payload);
    }
    std::function<void()> onIdle;
    std::function<void()> onImageRead;

private:
    CVEXARPages& m_app;
};

// A note where a control of a class not built yet will stand.
void Note(QWidget& parent, const PAGE_GRID& grid, const REC_CONTROLLO& definition, const REC_POS_CONTROLLO& place)
{
    if (!CUtility::OnGrid(grid, place.POS_Y, place.POS_X))
        return;
    const PAGE_RECT cell = CUtility::CellOrigin(grid, place.POS_Y, place.POS_X);
    auto* note = new QLabel(&parent);
    note->setText(QString::fromStdU16String(
        Format(u"%s %d", CUtility::CategoryName(definition.CATEGORIA), definition.ID_GUI)));
    note->setToolTip(QString::fromStdU16String(definition.IDENTIFICATORE));
    note->setStyleSheet(QStringLiteral("QLabel { background: #fff6c8; color: #5a4a00; border: 1px dashed #b39b2d;"
                                       " padding: 1px 4px; }"));
    note->adjustSize();
    note->move(cell.left, cell.top);
    note->show();
}

void NoteUnbuilt(QWidget& parent, const PAGE_GRID& grid, const REC_PAGINA& area,
                 const std::vector<REC_CONTROLLO>& definitions)
{
    for (const REC_POS_CONTROLLO& place : area.CONTROLLI)
        if (const REC_CONTROLLO* definition = CUtility::FindDefinition(place.ID_GUI, definitions);
            definition && !CUtility::HasCreator(definition->CATEGORIA))
            Note(parent, grid, *definition, place);
}

// The configured pages of a host were made one per tab, in tab order.
void NoteUnbuilt(CDlgTabSB& host, const REC_INTERFACCIA& layout, const std::vector<REC_CONTROLLO>& first,
                 const std::vector<REC_CONTROLLO>& second)
{
    const std::vector<CDlgTabWnd*> pages = host.ConfiguredPages();
    for (std::size_t i = 0; i < pages.size() && i < layout.CARTELLE.size(); ++i)
        NoteUnbuilt(*pages[i], pages[i]->m_grid, layout.CARTELLE[i].PAGINA, first);
    if (host.m_statusGrid.present)
        NoteUnbuilt(host, host.m_statusGrid, layout.BARRA_STATO, second);
}

// Ticks the unticked check box of `identifier` in `table`, as the user
// would: a switch that shows the controls it names.
void Tick(const CTRL_TABLE& table, std::u16string_view identifier)
{
    for (const CTRL_WND& entry : table) {
        REC_CONTROLLO definition;
        if (entry.category != CTRL_CHECK || !CUtility::GetCtrlDefinition(entry, definition) ||
            definition.IDENTIFICATORE != identifier)
            continue;
        if (auto* box = qobject_cast<QAbstractButton*>(CUtility::CtrlWidget(entry)); box && !box->isChecked())
            box->click();
    }
}

// A host showing its configured tab `tab`, as it is painted then.
QPixmap GrabTab(CDlgTabSB& host, int tab)
{
    host.Strip().SetCurSel(tab);
    host.ShowPage(tab);
    QApplication::processEvents();
    return host.grab();
}

// Both windows side by side, each under its title, one row for each of
// their configured tabs (a window with fewer tabs leaves its place empty),
// the tabs shown before selected again at the end.
int WritePicture(CDlgTabSB& params, CDlgTabSB& vars, const QString& file)
{
    CDlgTabSB* hosts[] = {&params, &vars};
    const int shown[] = {params.CurrentTab(), vars.CurrentTab()};
    const int rows = static_cast<int>(std::max(params.ConfiguredPages().size(), vars.ConfiguredPages().size()));
    std::vector<std::array<QPixmap, 2>> grabs;
    for (int tab = 0; tab < std::max(rows, 1); ++tab) {
        std::array<QPixmap, 2> row;
        for (int side = 0; side < 2; ++side)
            if (tab == 0 || tab < static_cast<int>(hosts[side]->ConfiguredPages().size()))
                row[static_cast<std::size_t>(side)] = GrabTab(*hosts[side], tab);
        grabs.push_back(row);
    }
    for (int side = 0; side < 2; ++side) {
        hosts[side]->Strip().SetCurSel(shown[side]);
        hosts[side]->ShowPage(shown[side]);
    }

    const int leftWidth = params.width();
    const int rightWidth = vars.width();
    const int rowHeight = std::max(params.height(), vars.height());
    const QFontMetrics metrics(QApplication::font());
    const int title = metrics.height() + 8;
    const int height = title + static_cast<int>(grabs.size()) * (rowHeight + kGap) - kGap;
    QImage picture(leftWidth + kGap + rightWidth, height, QImage::Format_RGB32);
    picture.fill(QColor(0x50, 0x50, 0x50));
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, leftWidth, title), Qt::AlignCenter, params.windowTitle());
    painter.drawText(QRect(leftWidth + kGap, 0, rightWidth, title), Qt::AlignCenter, vars.windowTitle());
    for (std::size_t r = 0; r < grabs.size(); ++r) {
        const int top = title + static_cast<int>(r) * (rowHeight + kGap);
        painter.drawPixmap(0, top, grabs[r][0]);
        painter.drawPixmap(leftWidth + kGap, top, grabs[r][1]);
    }
    painter.end();
    if (!picture.save(file, "PNG")) {
        std::fprintf(stderr, "vexar-pages: cannot write %s\n", qPrintable(file));
        return 1;
    }
    std::printf("vexar-pages: %s, %d x %d\n", qPrintable(file), picture.width(), picture.height());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QString screenshot;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = QString::fromLocal8Bit(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: vexar-pages [--screenshot FILE]\n");
            return 64;
        }
    }

    TempFolder home("vexar-pages");
    TempFolder comFolder("vexar-pages-com");
    if (home.path().empty() || comFolder.path().empty()) {
        std::fprintf(stderr, "vexar-pages: cannot make a temporary folder\n");
        return 1;
    }
    setenv("VEXAR_HOME", home.path().c_str(), 1);
    setenv("VEXAR_COM_DIR", comFolder.path().c_str(), 1);

    ecusim::SimulatorOptions options;
    options.protocol = ecusim::Protocol::Second;
    options.ident = kIdent;
    options.baud = kBaud;
    ecusim::EcuSimulator simulator(options);
    std::string error;
    if (!simulator.Start(error) || !simulator.PublishCom(comFolder.path(), kComPort, error)) {
        std::fprintf(stderr, "vexar-pages: the ECU simulator does not start: %s\n", error.c_str());
        return 1;
    }
    // The changeover on reducer temperature, the start on gas and the fast
    // changeover on, at 1500 rpm and 40 degrees; an engine running on gas.
    const std::uint8_t calibration[] = {
        0x07,        // the switches
        0x68,        // the changeover temperature in Fahrenheit, 104
        0x05, 0xDC,  // changeover at 1500 rpm
        0x50,        // and at 40 degrees (the byte holds 40 more)
        0x0C,        // after 1.2 s
    };
    simulator.WriteImage(ecusim::Image::Parameters, 16, calibration);
    const std::uint8_t running[] = {
        0x0B, 0xB8,  // engine speed 3000 rpm
        0x64,        // reducer pressure
        0x2D,        // gas temperature 45
        0x01, 0x2C,  // gas injection time
        0x87,        // battery 13.5 V
        0x03,        // valves open, tank on its reserve
        0x02,        // ECU state
        0xF8,        // lambda correction -8 %
        0x00, 0xFA,  // petrol injection time
    };
    simulator.WriteImage(ecusim::Image::Variables, 0, running);

    link::LinkUiSinkAdapter adapter;
    CVEXARPages app;
    app.m_pUiSink = &adapter;
    View view(app);
    adapter.RegisterWindow(link::UiWindow::View, &view);
    int status = 1;
    {
        pagesfixture::PagesFixture pages(app, home.path());
        if (!pages.Load(error)) {
            std::fprintf(stderr, "vexar-pages: %s\n", error.c_str());
            return 1;
        }
        CDlgTabSB& params = pages.Params();
        CDlgTabSB& vars = pages.Vars();
        NoteUnbuilt(params, pages.parLayout, pages.parDefs, pages.varDefs);
        NoteUnbuilt(vars, pages.varLayout, pages.varDefs, {});
        vars.move(params.x() + params.width() + kGap, params.y());
        params.show();
        vars.show();

        app.m_strConfigName = ToUtf16(kIdent);
        app.m_comPorts = {kComPort};
        app.m_nComPort = kComPort;
        app.StartLinkThread(&adapter);
        app.PostLinkRequest(link::WM_LINK_REBUILD_POLL_LIST);
        app.PostLinkRequest(link::WM_LINK_CONNECT);
        // Connected (or not): read the whole image; once read, the picture.
        bool connected = false;
        bool imageRead = false;
        bool written = false;
        auto finish = [&] {
            if (!screenshot.isEmpty() && !std::exchange(written, true)) {
                // The advanced settings shown: every control in the picture.
                Tick(params.m_allTable, u"Mostra_Avanzate");
                QApplication::processEvents();
                status = WritePicture(params, vars, screenshot);
                // Not quit(): that asks the windows to close, and a host
                // only hides.
                QApplication::exit(status);
            }
        };
        view.onIdle = [&] {
            if (std::exchange(connected, true))
                return;
            std::printf("vexar-pages: %s\n", app.m_bLinked ? "the ECU answered on COM3" : "no ECU answered");
            if (app.m_bLinked && !imageRead)
                app.PostLinkRequest(link::WM_LINK_READ_ALL);
            else
                QTimer::singleShot(kSettleMs, &view, finish);
        };
        // The connect reads the image too; a read before the link is up
        // waits for it.
        view.onImageRead = [&] {
            imageRead = true;
            std::printf("vexar-pages: the ECU's image read\n");
            if (connected)
                QTimer::singleShot(kSettleMs, &view, finish);
        };
        if (!screenshot.isEmpty())
            QTimer::singleShot(kLinkTimeoutMs, &view, finish);
        if (screenshot.isEmpty()) {
            application.setQuitOnLastWindowClosed(false);
            QTimer watch;
            QObject::connect(&watch, &QTimer::timeout, [&] {
                if (!params.isVisible() && !vars.isVisible())
                    QApplication::exit(0);
            });
            watch.start(250);
            status = application.exec();
        } else {
            application.exec();
        }
        adapter.BeginShutdown();
        app.SignalQuit();
        app.JoinLinkThread();
    }
    app.m_pUiSink = nullptr;
    simulator.Stop();
    return status;
}
