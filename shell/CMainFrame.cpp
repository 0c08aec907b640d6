#include "shell/CMainFrame.h"

#include "common/CUtility.h"
#include "common/CUtilityLang.h"
#include "common/ErrorReporter.h"
#include "common/Text.h"
#include "dialogs/CDlgWaitMsg.h"
#include "platform/ui/AcceleratorTable.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/CmdUI.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Messages.h"
#include "platform/ui/OwnerDraw.h"
#include "shell/CVEXARApp.h"
#include "shell/CVEXARView.h"
#include "shell/MainMenu.h"
#include "shell/ShellBitmaps.h"
#include "shell/core/CSessionFile.h"
#include "shell/core/CSettingsFile.h"
#include "shell/core/CommandTable.h"
#include "shell/core/PageLayout.h"
#include "shell/core/ShellMessages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include <sys/stat.h>

using namespace vexar;
using namespace vexar::shell;

namespace {

constexpr int kLogoRightMargin = 8;
constexpr int kPaneGap = 5;
constexpr int kTitleTexts[] = {3216, 3217, 3218, 3219, 3220};

bool Accessible(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// A language text with every '&' taken out.
std::u16string WithoutMnemonics(std::u16string text)
{
    std::erase(text, u'&');
    return text;
}

// The wait cursor for the life of a scope.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

CMainFrame::CMainFrame(CVEXARApp& app)
    : WindowBase(this),
      m_crLinked(ui::FromQColor(ui::SystemColour(ui::SysColour::ButtonFace, palette()))),
      m_bmpLogo(ShellBitmap(IDB_LOGO_UNLINKED)),
      m_app(app)
{
    setWindowTitle(QStringLiteral("VEXAR"));
    VEXAR_ON_COMMAND(commands(), ID_APP_EXIT, CMainFrame::OnClose);
    commands().OnRange(ID_LANGUAGE_FIRST, ID_LANGUAGE_LAST, [this](unsigned id) { OnLanguage(id); },
                       "CMainFrame::OnLanguage");
    commands().On(ID_APP_ABOUT, [this] { m_app.OnAppAbout(); }, "CVEXARApp::OnAppAbout");
    VEXAR_ON_COMMAND(commands(), ID_VIEW_STATUS_BAR, CMainFrame::OnViewStatusBar);
    commands().OnUpdate(ID_VIEW_STATUS_BAR, [this](ui::CmdUI& item) {
        item.Enable(true);
        item.SetCheck(m_wndStatusBar && !m_wndStatusBar->isHidden());
    });
}

CMainFrame::~CMainFrame() = default;

int CMainFrame::OnCreate()
{
    BuildMainMenu(*menuBar());
    MenuBar().SetOwner(*this);
    m_pView = new CVEXARView(m_app, *this);
    setCentralWidget(m_pView);

    m_wndStatusBar = statusBar();
    m_prompt = new QLabel(m_wndStatusBar);
    m_wndStatusBar->addWidget(m_prompt, 1);
    CUtility::CreateFontPt(m_fontPanes, u"Tahoma", 8, false);
    CreatePanes();
    m_wndStatusBar->installEventFilter(this);
    SetRestoredSize();

    CUtility::GetExePath(m_strExeFolder);
    ReadSessionLanguage();
    BuildLanguageMenu();
    ReadEdition();

    const std::int32_t edition = m_app.m_nEdition;
    m_hIcon = ShellBitmap(edition == 1 ? 290 : edition >= 2 && edition <= 4 ? 326 : 297);
    setWindowIcon(QIcon(m_hIcon));
    if (edition == 5) {
        MenuBar().RemovePosition(kMenuTools);
        MenuBar().RemovePosition(kMenuConnection);
    }
    for (QMenu* popup : menuBar()->findChildren<QMenu*>())
        HookPrompts(*popup);
    return 0;
}

ui::Menu CMainFrame::MenuBar() const { return ui::Menu(menuBar()); }

std::u16string CMainFrame::LangText(int id) const { return CUtility::LoadLangString(m_strLangFile, id); }

void CMainFrame::ShowMessage(const std::u16string& text)
{
    ui::MessageBox(this, text, std::u16string(), ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

// ---- Creation ---------------------------------------------------------------------

void CMainFrame::ReadSessionLanguage()
{
    const std::string path = m_strExeFolder + "VEXARDef.cfg";
    std::vector<std::u16string> lines;
    if (!CSessionFile::ReadLines(path, lines))
        return;
    m_strLangFile.clear();
    if (lines.size() < 2 || lines[1].empty())
        return;
    const std::string candidate = m_strExeFolder + "Lang/" + ToUtf8(lines[1]);
    if (!Accessible(candidate)) {
        ReportError(Format(u"Error to access file %s!", candidate));
        return;
    }
    m_strLangFile = candidate;
}

void CMainFrame::BuildLanguageMenu()
{
    auto popup = std::make_unique<QMenu>();
    m_nLangCount = CUtility::FillLangMenu(m_strExeFolder, m_strLangFile, *popup);
    // Only 50 commands are the language menu's: items beyond them would be
    // dead, so they are not offered.
    const int limit = static_cast<int>(ID_LANGUAGE_LAST - ID_LANGUAGE_FIRST + 1);
    ui::Menu items(popup.get());
    while (m_nLangCount > limit)
        items.RemovePosition(--m_nLangCount);
    if (m_nLangCount == 0)
        return;
    MenuBar().SetSubMenu(kMenuLanguage, std::move(popup));
}

void CMainFrame::ReadEdition()
{
    if (const std::optional<std::int32_t> edition = CSettingsFile::ReadEdition(m_strExeFolder + "VEXAR.cfg"))
        m_app.m_nEdition = *edition;
}

// ---- Status bar ------------------------------------------------------------------

CCtrlStatic* CMainFrame::CreatePane(const std::u16string& text, bool centred)
{
    auto* pane = new CCtrlStatic(m_wndStatusBar);
    pane->setFont(m_fontPanes);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setText(QString::fromStdU16String(text));
    if (centred)
        pane->setAlignment(Qt::AlignCenter);
    else
        pane->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    return pane;
}

void CMainFrame::CreatePanes()
{
    m_paneStatus = CreatePane(u"", true);
    m_paneFirmware = CreatePane(std::u16string(kFirmwarePrefix), false);
    m_paneConfig = CreatePane(std::u16string(kConfigPrefix), false);
    m_paneEcu = CreatePane(u" ECU: ", false);
    m_paneLine = CreatePane(u"", false);
    m_paneCalib = CreatePane(u" Calib: ", false);
    m_paneStatus->SetBkColor(m_crUnlinked);
    m_paneFirmware->SetBkColor(m_crUnlinked);
    m_wndLogo = new QLabel(m_wndStatusBar);
}

void CMainFrame::PlaceLogo(QRect& paneArea)
{
    const QSize bar = m_wndStatusBar->size();
    const QSize logo = m_bmpLogo.size();
    const QRect place(bar.width() - kLogoRightMargin - logo.width(), bar.height() - logo.height(), logo.width(),
                      logo.height());
    m_wndLogo->setGeometry(place);
    m_wndLogo->setPixmap(m_bmpLogo);
    m_wndLogo->show();
    paneArea = QRect(QPoint(0, place.top()), QPoint(place.left() - kPaneGap - 1, place.bottom()));
}

// The widths were chosen for a narrow 8-point face; where the panes' font
// sets wider, the two panes that show a ten-character identification after
// their prefix grow so that it stays whole.
int CMainFrame::PaneWidth(const CCtrlStatic& pane) const
{
    int width = 0;
    std::u16string_view prefix;
    if (&pane == m_paneStatus) width = kStatusWidth;
    if (&pane == m_paneFirmware) width = kFirmwareWidth, prefix = kFirmwarePrefix;
    if (&pane == m_paneConfig) width = kConfigWidth, prefix = kConfigPrefix;
    if (&pane == m_paneEcu) width = kEcuWidth;
    if (&pane == m_paneLine) width = kLineWidth;
    if (&pane == m_paneCalib) width = kCalibWidth;
    if (prefix.empty())
        return width;
    const QFontMetrics metrics(pane.font());
    const QString widest = QString::fromStdU16String(std::u16string(prefix)) + QString(kIdentChars, QChar('X'));
    const int frame = pane.width() - pane.contentsRect().width();
    return std::max(width, metrics.horizontalAdvance(widest) + frame + metrics.averageCharWidth());
}

void CMainFrame::PlaceBars()
{
    QRect area;
    PlaceLogo(area);
    int right = area.right() + 1;
    for (CCtrlStatic* pane : {m_paneStatus, m_paneFirmware, m_paneConfig, m_paneEcu, m_paneLine, m_paneCalib}) {
        const int width = PaneWidth(*pane);
        const int left = std::max(0, right - width);
        pane->setGeometry(left, area.top(), right - left, area.height());
        pane->show();
        right = left;
    }
}

void CMainFrame::OnLayoutBars()
{
    PlaceBars();
    m_bBarsLaid = true;
    m_paneLine->setText(QString::fromStdU16String(u" " + WithoutMnemonics(LangText(m_app.m_bKLine ? 3148 : 3150))));
}

// The window manager may maximise the frame only after it was first laid
// out, and the user may restore it or change its size: the logo and the
// panes follow the bar's width every time.
bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_wndStatusBar && event->type() == QEvent::Resize && m_bBarsLaid)
        PlaceBars();
    return QMainWindow::eventFilter(watched, event);
}

// Restored from maximised, the frame takes the design size of the pages,
// within the screen's free area and centred in it.
void CMainFrame::SetRestoredSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    QRect place(QPoint(0, 0), QSize(kDesignWidth, kDesignHeight).boundedTo(free.size()));
    place.moveCenter(free.center());
    setGeometry(place);
}

void CMainFrame::SetPaneText(CCtrlStatic& pane, const std::u16string& text)
{
    pane.setText(QString::fromStdU16String(text));
}

QString CMainFrame::PromptText() const { return m_prompt ? m_prompt->text() : QString(); }

// ---- Language --------------------------------------------------------------------

void CMainFrame::ApplyLanguage()
{
    if (m_strLangFile.empty())
        return;
    WaitCursor wait;
    const std::int32_t edition = m_app.m_nEdition;
    setWindowTitle(QString::fromStdU16String(LangText(edition >= 1 && edition <= 5 ? kTitleTexts[edition - 1] : 3000)));
    ApplyMenuTexts();
    PostToView(WM_LANGUAGE_CHANGED, 0, ui::BoxPayload(std::make_unique<std::string>(m_strLangFile)));
    SetPaneText(*m_paneStatus, LangText(3064));
}

void CMainFrame::ApplyMenuTexts()
{
    ui::Menu bar = MenuBar();
    if (!bar.IsValid())
        return;
    const std::int32_t edition = m_app.m_nEdition;
    const bool fifth = edition == 5;
    // Edition 5 has no Connection or Tools popup, and its Functions items
    // keep their texts.
    for (const COMMAND_ROW& row : kCommandTable) {
        const bool inMissingPopup = row.place == MenuPlace::Connection || row.place == MenuPlace::Tools ||
                                    row.place == MenuPlace::ToolsLine || row.place == MenuPlace::ToolsRemote ||
                                    row.place == MenuPlace::Functions;
        if (row.place == MenuPlace::None || (fifth && inMissingPopup))
            continue;
        if (const std::optional<int> text = MenuItemText(row.id, edition))
            bar.SetCommandString(row.id, LangText(*text));
    }
    bar.SetMenuString(kMenuFile, LangText(3010));
    bar.SetMenuString(fifth ? 1 : kMenuView, LangText(3001));
    // In edition 5 the bar lacks Tools and Connection: the language popup
    // stands fourth, after Functions.
    bar.SetMenuString(fifth ? 3 : kMenuLanguage, LangText(3003));
    if (!fifth) {
        bar.SetMenuString(kMenuConnection, LangText(3096));
        bar.SetMenuString(kMenuTools, LangText(3002));
        bar.SetMenuString(kMenuFunctions, LangText(3290));
        if (ui::Menu tools = bar.GetSubMenu(kMenuTools); tools.IsValid()) {
            for (const auto& [position, text] : {std::pair{kToolsBaud, 3289}, {kToolsLine, 3147}, {kToolsRemote, 3185}})
                if (tools.GetSubMenu(position).IsValid())
                    tools.SetMenuString(position, LangText(text));
        }
    }
    menuBar()->update();
}

bool CMainFrame::ConfirmLanguageChange()
{
    return ui::MessageBox(this, LangText(3094), std::u16string(), ui::MB_YESNO | ui::MB_ICONQUESTION) == ui::IDYES;
}

void CMainFrame::OnViewStatusBar()
{
    if (m_wndStatusBar)
        m_wndStatusBar->setVisible(m_wndStatusBar->isHidden());
}

void CMainFrame::OnLanguage(unsigned id)
{
    if (m_app.m_bRecording || m_app.m_bBusy)
        return;
    if (!ConfirmLanguageChange())
        return;
    const std::string old = m_strLangFile;
    const std::u16string name = MenuBar().GetCommandString(id);
    if (m_nLangCount > 0)
        MenuBar().CheckRadio(ID_LANGUAGE_FIRST, ID_LANGUAGE_FIRST + static_cast<unsigned>(m_nLangCount) - 1, id);
    m_strLangFile = m_strExeFolder + "Lang/" + ToUtf8(name) + ".lng";
    if (m_strLangFile != old)
        ApplyLanguage();
}

// ---- Prompts ---------------------------------------------------------------------

void CMainFrame::HookPrompts(QMenu& menu)
{
    connect(&menu, &QMenu::hovered, this, [this](QAction* item) {
        OnMenuSelect(item->menu() ? 0 : ui::Menu::CommandOf(*item));
    });
    connect(&menu, &QMenu::aboutToHide, this, [this] { OnMenuSelect(0); });
}

std::u16string CMainFrame::FormatMenuPrompt(unsigned id) const
{
    return Format(LangText(3007), MenuBar().GetCommandString(id));
}

void CMainFrame::OnMenuSelect(unsigned id)
{
    std::u16string prompt;
    if (id >= ID_LANGUAGE_FIRST && id <= ID_LANGUAGE_LAST)
        prompt = FormatMenuPrompt(id);
    else if (const std::optional<int> text = MenuPromptText(id, m_app.m_nEdition))
        prompt = LangText(*text);
    m_prompt->setText(QString::fromStdU16String(prompt));
    m_prompt->repaint();
}

// ---- Link ------------------------------------------------------------------------

void CMainFrame::ShowLinkState(bool linked)
{
    std::u16string firmware(kFirmwarePrefix);
    bool identRead = false;
    {
        std::lock_guard lock(m_app.m_csIdent);
        if (linked)
            firmware += m_app.m_strEcuIdent;
        identRead = !m_app.m_strIdentRead.empty();
    }
    const ui::COLORREF colour = linked ? m_crLinked : m_crUnlinked;
    if (!identRead) {
        SetPaneText(*m_paneFirmware, firmware);
        m_paneFirmware->SetBkColor(colour);
    }
    SetPaneText(*m_paneStatus, LangText(linked ? 3065 : 3064));
    m_paneStatus->SetBkColor(colour);
    m_bmpLogo = ShellBitmap(linked ? IDB_LOGO_LINKED : IDB_LOGO_UNLINKED);
    m_wndLogo->setPixmap(m_bmpLogo);
}

void CMainFrame::OnLinkState(std::uintptr_t linked, std::intptr_t result)
{
    ShowLinkState(linked != 0);
    if (result == -1 || result == -2) {
        ShowMessage(LangText(result == -1 ? 3050 : 3202));
        PostToView(WM_CONNECT_ABORTED);
    }
}

void CMainFrame::OnUnknownEcu()
{
    std::u16string message;
    {
        std::lock_guard lock(m_app.m_csIdent);
        message = Format(LangText(3095), m_app.m_strConfigName, m_app.m_strIdentRead);
        SetPaneText(*m_paneFirmware, std::u16string(kFirmwarePrefix) + m_app.m_strIdentRead);
    }
    m_paneFirmware->SetBkColor(m_crAlarm);
    ShowMessage(message);
    PostToView(WM_CONNECT_ABORTED);
}

void CMainFrame::OnBusyWindow(std::uintptr_t show)
{
    if (!m_dlgWait)
        m_dlgWait = std::make_unique<CDlgWaitMsg>();
    if (show && !m_dlgWait->m_bCreated) {
        m_dlgWait->m_strLangFile = m_strLangFile;
        m_dlgWait->Create();
        m_dlgWait->repaint();
    } else if (!show && m_dlgWait->m_bCreated) {
        m_dlgWait->Close();
    }
}

// ---- Exit road -------------------------------------------------------------------

void CMainFrame::OnClose()
{
    if (m_app.m_bRecording || m_app.m_bBusy)
        return;
    PostExitRoad();
}

void CMainFrame::PostExitRoad()
{
    if (m_dlgWait && m_dlgWait->m_bCreated)
        m_dlgWait->Close();
    m_app.SignalQuit();
}

void CMainFrame::OnWorkerEnded() { PostToView(WM_CLOSE_ALL_WINDOWS); }

void CMainFrame::OnCloseFrame()
{
    m_bCloseAllowed = true;
    close();
    m_app.EndMessageLoop();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_bCloseAllowed) {
        event->accept();
        return;
    }
    event->ignore();
    OnClose();
}

// ---- Messages --------------------------------------------------------------------

void CMainFrame::PostToView(unsigned id, std::uintptr_t wParam, std::unique_ptr<ui::MessagePayload> payload)
{
    if (m_pView)
        ui::PostMessage(m_pView, ui::WindowMessage{id, wParam, 0, std::move(payload)});
}

std::vector<const ui::CommandMap*> CMainFrame::commandRoute() const
{
    if (m_pView)
        return {&m_pView->commands(), &commands()};
    return {&commands()};
}

bool CMainFrame::preTranslateMessage(QWidget& target, QEvent& event)
{
    // The frame's hidden key, the trace window's, wherever the focus is in
    // the frame.
    static const ui::AcceleratorTable kAccelerators =
        HiddenKeys([](unsigned command) { return command == ID_TRACE; });
    if (kAccelerators.Translate(*this, event))
        return true;
    // The function keys are the view's wherever the focus is in the frame.
    if (m_pView && &target != m_pView && !m_pView->isAncestorOf(&target))
        return m_pView->preTranslateMessage(target, event);
    return false;
}

std::intptr_t CMainFrame::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                    std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case WM_LAYOUT_BARS: OnLayoutBars(); return 0;
    case link::WM_LINK_STATE: OnLinkState(wParam, lParam); return 0;
    case link::WM_WORKER_ENDED: OnWorkerEnded(); return 0;
    case WM_CLOSE_FRAME: OnCloseFrame(); return 0;
    case link::WM_UNKNOWN_ECU: OnUnknownEcu(); return 0;
    case link::WM_BUSY_WINDOW: OnBusyWindow(wParam); return 0;
    case ui::WM_CLOSE: OnClose(); return 0;
    default: return WindowBase::onMessage(id, wParam, lParam, payload);
    }
}
