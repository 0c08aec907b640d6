// The program as a process: a second start while one runs ends at once
// with exit code 0 and shows nothing; at the exit a pending update starts
// prgbay/Update in its folder with the one argument, after the
// single-instance lock is released, and nothing starts without one.
#include "ShellHarness.h"

#include "common/Text.h"
#include "dialogs/CDlgSelCentr.h"
#include "platform/SingleInstanceLock.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"

#include <QTest>

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

extern char** environ;

using namespace vexar;
using namespace vexar::shelltest;
using namespace std::chrono_literals;

namespace {

// Runs the program; its exit code, or -1 when it had not ended within
// the time given (it is then killed).
int RunProgram(std::chrono::milliseconds limit)
{
    char program[] = VEXAR_EXE;
    char* argv[] = {program, nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0)
        return -2;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(10ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
}

// A recording updater: its argument, its folder and whether the lock was
// free when it ran, one line each.
void InstallRecordingUpdater(const ProgramFolder& folder)
{
    std::filesystem::create_directories(folder.File("prgbay"));
    const std::string script = folder.File("prgbay/Update");
    vexar::testing::WriteAll(script, "#!/bin/sh\n"
                                     "{ printf '%s\\n' \"$#\" \"$1\"; pwd;\n"
                                     "  if flock -n '" + folder.File("VEXAR_Mutex_Sem.lock") +
                                     "' true; then echo free; else echo held; fi; } > '" +
                                     folder.File("update.log") + ".tmp'\n"
                                     "mv '" + folder.File("update.log") + ".tmp' '" + folder.File("update.log") + "'\n");
    ::chmod(script.c_str(), 0755);
}

}  // namespace

TEST(Process, ASecondStartEndsAtOnceAndShowsNothing)
{
    ProgramFolder folder;  // empty: a start that went on would stop at a message box
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    platform::SingleInstanceLock first;
    ASSERT_EQ(first.Acquire(CVEXARApp::kMutexName), platform::SingleInstanceLock::Result::Acquired);
    EXPECT_EQ(RunProgram(5s), 0);
    // Without the other instance the same start goes on (and waits at its
    // first message box until it is ended).
    first.Release();
    EXPECT_EQ(RunProgram(1500ms), -1);
}

TEST(Process, APendingUpdateStartsTheUpdaterAfterTheLockIsReleased)
{
    for (const bool pending : {true, false}) {
        ShellHarness shell;
        shell.Folder().MakeFresh();
        InstallRecordingUpdater(shell.Folder());
        shell.MakeApp();
        const std::string program = shell.Folder().Path() + "/VEXAR";
        const auto answer = WhenModal<CDlgSelCentr>([&](CDlgSelCentr& dialog) {
            if (pending)
                shell.App().m_strUpdateCmd = u"/tmp/new/VEXAR, " + ToUtf16(shell.Folder().Path()) + u"/VEXAR";
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        EXPECT_EQ(shell.App().Run(), 0);
        const std::string log = shell.Folder().File("update.log");
        if (!pending) {
            QTest::qWait(300);
            EXPECT_FALSE(vexar::testing::Exists(log));
            continue;
        }
        ASSERT_TRUE(WaitUntil([&] { return vexar::testing::Exists(log); }, 5s));
        EXPECT_EQ(vexar::testing::ReadAll(log), "1\n/tmp/new/VEXAR, " + program + "\n" +
                                                    std::filesystem::canonical(shell.Folder().File("prgbay")).string() +
                                                    "\nfree\n");
    }
}
