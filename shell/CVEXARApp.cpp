#include "shell/CVEXARApp.h"

#include "common/CUtilityLang.h"
#include "common/LeadingNumber.h"
#include "common/Text.h"
#include "platform/ProcessStarter.h"
#include "platform/ProgramNames.h"
#include "platform/ui/KeyRouter.h"
#include "platform/ui/Messages.h"
#include "shell/CAboutDlg.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CSessionFile.h"
#include "shell/core/ShellMessages.h"

#include <QApplication>
#include <QScreen>

#include <csignal>

using namespace vexar;
using namespace vexar::shell;

namespace {

constexpr std::size_t kComPathLength = 49;

}  // namespace

CVEXARApp::CVEXARApp(link::LinkTiming timing) : CVEXARPages(timing)
{
    m_nEdition = 0;
    std::lock_guard lock(m_csRemoteCounters);
    m_nRemoteBytesTx = 0;
    m_nRemoteBytesRx = 0;
}

CVEXARApp::~CVEXARApp()
{
    StopWorker();
    m_pMainWnd.reset();
    m_pUiSink = nullptr;
    m_sink.reset();
    if (m_bReporterInstalled)
        SetErrorReporter(m_previousReporter);
}

void CVEXARApp::StopWorker()
{
    if (m_sink)
        m_sink->BeginShutdown();
    SignalQuit();
    JoinLinkThread();
}

QSize CVEXARApp::ScreenSize() const
{
    if (m_screenSize)
        return m_screenSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

bool CVEXARApp::InitInstance()
{
    ui::KeyRouter::Install();
    m_sink = std::make_unique<link::LinkUiSinkAdapter>();
    m_pUiSink = m_sink.get();
    m_previousReporter = SetErrorReporter(&m_reporter);
    m_bReporterInstalled = true;

    // Sockets: a peer that goes away must not end the program.
    std::signal(SIGPIPE, SIG_IGN);

    if (m_hMutex.Acquire(kMutexName) == platform::SingleInstanceLock::Result::HeldElsewhere)
        return false;

    m_pMainWnd = std::make_unique<CMainFrame>(*this);
    if (m_pMainWnd->OnCreate() != 0)
        return false;
    m_reporter.SetOwner(m_pMainWnd.get());
    m_sink->RegisterWindow(link::UiWindow::MainFrame, m_pMainWnd.get());
    CVEXARView* view = m_pMainWnd->GetActiveView();
    m_sink->RegisterWindow(link::UiWindow::View, view);
    view->OnInitialUpdate();

    BindObdLibrary();
    m_pMainWnd->showMaximized();
    ui::SendMessage(m_pMainWnd.get(), ui::WindowMessage{WM_LAYOUT_BARS, 0, 0, nullptr});
    m_pMainWnd->ApplyLanguage();
    ClearPidTables();
    ReadLastPort();
    ReadRemoteSettings();
    StartLinkThread(m_sink.get());
    ui::PostMessage(view, ui::WindowMessage{WM_STARTUP_DONE, 0, 0, nullptr});
    return true;
}

int CVEXARApp::Run()
{
    int code = 0;
    if (InitInstance()) {
        m_bInMessageLoop = true;
        code = QApplication::exec();
        m_bInMessageLoop = false;
    }
    StopWorker();
    const int exitCode = ExitInstance();
    return exitCode != 0 ? exitCode : code;
}

int CVEXARApp::ExitInstance()
{
    FreeImageBuffers();
    UnbindObdLibrary();
    m_hMutex.Release();
    if (!m_strUpdateCmd.empty())
        LaunchUpdater();
    return 0;
}

void CVEXARApp::ReadLastPort()
{
    std::string folder;
    CUtility::GetExePath(folder);
    std::vector<std::u16string> lines;
    if (!CSessionFile::ReadLines(folder + "VEXARDef.cfg", lines))
        return;
    if (lines.size() > 2 && !lines[2].empty())
        m_nComPort = ReadLeadingLong(lines[2]);
    if (lines.size() > 3 && !lines[3].empty())
        m_szComPath = lines[3].substr(0, kComPathLength);
}

void CVEXARApp::FreeImageBuffers()
{
    {
        std::lock_guard lock(m_csParImage);
        m_pParMaster.reset();
        m_nParSize = 0;
    }
    m_pParWork.reset();
    m_pParLink.reset();
    {
        std::lock_guard lock(m_csVarImage);
        m_pVarMaster.reset();
        m_nVarSize = 0;
    }
    m_pVarWork.reset();
    m_pVarLink.reset();
    m_pVarLast.reset();
}

bool CVEXARApp::LaunchUpdater()
{
    std::string folder;
    CUtility::GetExePath(folder);
    const std::string bay = folder + platform::kProgramBayFolder;
    return platform::StartProgram(bay + "/" + platform::kUpdaterFile, bay, {ToUtf8(m_strUpdateCmd)}) != 0;
}

void CVEXARApp::EndMessageLoop()
{
    // An exit asked for outside the loop would make every later modal loop
    // of the thread return at once.
    if (m_bInMessageLoop)
        QCoreApplication::exit(0);
}

void CVEXARApp::OnAppAbout()
{
    CAboutDlg about(*this, m_pMainWnd.get());
    about.m_strLangFile = m_pMainWnd ? m_pMainWnd->m_strLangFile : std::string();
    about.DoModal();
}
