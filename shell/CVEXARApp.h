#pragma once

// The application object: the last of the chain of bases that hold what
// the link worker, the frame, the view, the controls and the dialogs share
// (CVEXARContext, CVEXARLink, CVEXARPages), with the start-up, the exit and
// the members only the shell uses.
//
// Start-up (InitInstance): the single-instance lock, the frame and the
// view, the OBD library, the frame shown, the language applied, the PID
// tables, the last COM port and the remote settings, the link worker, the
// start-up notice to the view. Exit (ExitInstance): the images freed, the
// library released, the lock released, a pending update started.

#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/core/CVEXARPages.h"
#include "platform/SingleInstanceLock.h"
#include "platform/ui/MessageBoxErrorReporter.h"

#include <QSize>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class CMainFrame;

class CVEXARApp : public CVEXARPages {
public:
    // The name of the single-instance lock.
    static constexpr char kMutexName[] = "VEXAR_Mutex_Sem";

    explicit CVEXARApp(vexar::link::LinkTiming timing = {});
    // Ends the worker first, while the frame, the view and the sink it
    // posts to still exist.
    ~CVEXARApp() override;

    // The start-up; false ends the program before the message loop.
    bool InitInstance();
    // The exit: images, library, lock, updater; the exit code.
    int ExitInstance();
    // InitInstance, the message loop, ExitInstance: the program's exit code.
    int Run();

    void ReadLastPort();
    void FreeImageBuffers();
    // Starts the updater with m_strUpdateCmd in the program folder's
    // "prgbay" and does not wait for it. False when it could not start.
    bool LaunchUpdater();
    void OnAppAbout();
    // Ends the message loop of Run, when it runs.
    void EndMessageLoop();

    CMainFrame* MainFrame() const { return m_pMainWnd.get(); }
    vexar::link::LinkUiSinkAdapter& Sink() { return *m_sink; }
    // The screen the pages are laid out for; tests give their own.
    QSize ScreenSize() const;

    vexar::platform::SingleInstanceLock m_hMutex;
    std::u16string m_strVersion;
    int m_nSettingsShift = 0;
    std::u16string m_strUpdateCmd;
    bool m_bOprPblLimit = false;
    // The diagnosis window's first control table (its other two are the
    // bases'); null while none.
    CTRL_TABLE* m_pDiagTable = nullptr;
    // An external program or a long operation (a configuration load) runs.
    std::atomic<bool> m_bBusy{false};

    // The screen size the view lays pages out for, when set.
    std::function<QSize()> m_screenSize;

private:
    void StopWorker();

    std::unique_ptr<vexar::link::LinkUiSinkAdapter> m_sink;
    vexar::ui::MessageBoxErrorReporter m_reporter;
    vexar::ErrorReporter* m_previousReporter = nullptr;
    bool m_bReporterInstalled = false;
    std::unique_ptr<CMainFrame> m_pMainWnd;
    bool m_bInMessageLoop = false;
};
