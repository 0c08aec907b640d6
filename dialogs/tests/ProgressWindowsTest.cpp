// The progress and wait windows driven by posted messages as the link's
// sink delivers them: range, steps, closing, messages to a closed window,
// a second opening, and the keys that must not close them.
#include "dialogs/CDlgECUProg.h"
#include "dialogs/CDlgWaitMsg.h"

#include "DialogTestSupport.h"
#include "link/LinkMessages.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/widgets/CCWSlide.h"
#include "platform/ui/Messages.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QTest>

#include <thread>

using namespace vexar;
using dialogtest::ProgramHome;
using link::WM_PROGRESS_CLOSE;
using link::WM_PROGRESS_RANGE;
using link::WM_PROGRESS_STEP;

namespace {

void Post(QObject& target, unsigned id, std::uintptr_t wParam = 0)
{
    ui::PostMessage(&target, ui::WindowMessage{id, wParam, 0, nullptr});
    QCoreApplication::processEvents();
}

class ProgressTest : public ::testing::Test {
protected:
    void Open(const std::u16string& caption)
    {
        progress.m_strCaption = caption;
        progress.Create();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&progress));
    }

    CDlgECUProg progress;
};

TEST_F(ProgressTest, TheRangeEmptiesTheBarAndStepsFillIt)
{
    EXPECT_EQ(progress.m_bCreated, 0);
    Open(u"Lettura centralina");
    EXPECT_EQ(progress.m_bCreated, 1);
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Lettura centralina"));
    EXPECT_EQ(progress.ProgressBar().GetLook(), CCWSlide::Look::Progress);

    Post(progress, WM_PROGRESS_RANGE, 120);
    EXPECT_EQ(progress.ProgressBar().GetMinimum(), 0.0);
    EXPECT_EQ(progress.ProgressBar().GetMaximum(), 120.0);
    EXPECT_EQ(progress.ProgressBar().GetValue(), 0.0);
    Post(progress, WM_PROGRESS_STEP, 60);
    EXPECT_EQ(progress.ProgressBar().GetValue(), 60.0);
    Post(progress, WM_PROGRESS_STEP, 120);
    EXPECT_EQ(progress.ProgressBar().GetValue(), 120.0);

    // A second transfer in the same window starts from an empty bar.
    Post(progress, WM_PROGRESS_RANGE, 30);
    EXPECT_EQ(progress.ProgressBar().GetMaximum(), 30.0);
    EXPECT_EQ(progress.ProgressBar().GetValue(), 0.0);
    // A step beyond the range goes to the bar, which keeps to its limits.
    Post(progress, WM_PROGRESS_STEP, 45);
    EXPECT_EQ(progress.ProgressBar().GetValue(), 30.0);

    Post(progress, WM_PROGRESS_CLOSE);
    EXPECT_EQ(progress.m_bCreated, 0);
    EXPECT_FALSE(progress.isVisible());
}

TEST_F(ProgressTest, MessagesToTheClosedWindowAreLostAndANewWindowStartsEmpty)
{
    Open(u"Scrittura centralina");
    Post(progress, WM_PROGRESS_RANGE, 10);
    Post(progress, WM_PROGRESS_STEP, 7);
    Post(progress, WM_PROGRESS_CLOSE);

    Post(progress, WM_PROGRESS_RANGE, 50);
    Post(progress, WM_PROGRESS_STEP, 25);
    Post(progress, WM_PROGRESS_CLOSE);
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(progress.ProgressBar().GetValue(), 7.0);

    Open(u"Scrittura centralina");
    EXPECT_EQ(progress.ProgressBar().GetValue(), 0.0);
    EXPECT_NE(progress.ProgressBar().GetMaximum(), 50.0);
}

TEST_F(ProgressTest, ASecondOpeningWhileOpenChangesNothing)
{
    Open(u"Prima");
    Post(progress, WM_PROGRESS_RANGE, 10);
    Post(progress, WM_PROGRESS_STEP, 4);
    CCWSlide* bar = &progress.ProgressBar();
    progress.m_strCaption = u"Seconda";
    progress.Create();
    EXPECT_EQ(&progress.ProgressBar(), bar);
    EXPECT_EQ(progress.ProgressBar().GetValue(), 4.0);
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Prima"));
}

TEST_F(ProgressTest, NeitherKeysNorTheCloseRequestOfTheWindowEndIt)
{
    Open(u"Attendere");
    QTest::keyClick(&progress, Qt::Key_Escape);
    QTest::keyClick(&progress, Qt::Key_Return);
    Post(progress, ui::WM_CLOSE);
    progress.close();
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.m_bCreated, 1);
    progress.Close();
    EXPECT_FALSE(progress.isVisible());
}

// The worker's posts, from its own thread, through the sink that carries
// them to the progress window.
TEST_F(ProgressTest, FollowsTheWorkersPostsThroughTheSink)
{
    link::LinkUiSinkAdapter sink;
    sink.RegisterWindow(link::UiWindow::ProgressWindow, &progress);
    Open(u"Lettura centralina");
    std::thread worker([&] {
        sink.Post(link::UiWindow::ProgressWindow, nullptr, link::LinkMessage{WM_PROGRESS_RANGE, 40, 0, nullptr});
        for (std::uintptr_t done = 1; done <= 40; ++done)
            sink.Post(link::UiWindow::ProgressWindow, nullptr, link::LinkMessage{WM_PROGRESS_STEP, done, 0, nullptr});
    });
    worker.join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress.ProgressBar().GetValue() == 40.0; }, 5000));
    EXPECT_EQ(progress.ProgressBar().GetMaximum(), 40.0);
    sink.Post(link::UiWindow::ProgressWindow, nullptr, link::LinkMessage{WM_PROGRESS_CLOSE, 0, 0, nullptr});
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress.m_bCreated == 0; }, 5000));
    EXPECT_FALSE(progress.isVisible());
    sink.UnregisterWindow(link::UiWindow::ProgressWindow, &progress);
}

TEST(CDlgWaitMsg, ShowsText3101CentredUntilClosed)
{
    ProgramHome home({{3101, u"Lettura della centralina in corso..."}});
    CDlgWaitMsg wait;
    wait.m_strLangFile = home.LangFile();
    QWidget owner;
    owner.setGeometry(100, 100, 800, 600);
    owner.show();
    wait.Create(&owner);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wait));
    EXPECT_EQ(wait.m_bCreated, 1);
    EXPECT_EQ(wait.m_strMessage, u"Lettura della centralina in corso...");
    EXPECT_EQ(wait.MessageLabel().text(), QStringLiteral("Lettura della centralina in corso..."));
    EXPECT_TRUE(wait.MessageLabel().alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(wait.windowFlags() & Qt::FramelessWindowHint) << "no caption bar";
    EXPECT_LE((wait.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 4)
        << "centred over its owner";

    QTest::keyClick(&wait, Qt::Key_Escape);
    QTest::keyClick(&wait, Qt::Key_Enter);
    EXPECT_TRUE(wait.isVisible());
    wait.Close();
    EXPECT_EQ(wait.m_bCreated, 0);
    EXPECT_FALSE(wait.isVisible());
}

}  // namespace
