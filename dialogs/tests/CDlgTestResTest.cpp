// The test result: the pass and fail texts on their colours (grab()
// pixels), the pulse asked of the worker on a pass, and a passed window
// that cannot be left until the worker reports the pulse's end.
#include "dialogs/CDlgTestRes.h"

#include "DialogTestSupport.h"
#include "link/CVEXARLink.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlStatic.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/Messages.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>

#include <vector>

using namespace vexar;
using dialogtest::CountColour;
using dialogtest::ProgramHome;
using dialogtest::Shot;

namespace {

// Keeps the requests instead of handing them to a worker.
class RecordingApp : public link::CVEXARLink {
public:
    bool PostLinkRequest(unsigned id, std::uintptr_t wParam, std::intptr_t, std::unique_ptr<link::LinkPayload>) override
    {
        requests.push_back({id, wParam});
        return true;
    }
    std::vector<std::pair<unsigned, std::uintptr_t>> requests;
};

class TestResultTest : public ::testing::Test {
protected:
    TestResultTest()
        : home({{3253, u"Esito del test"}, {3254, u"Test superato"}, {3255, u"Test fallito"}, {3020, u"Fatto"}})
    {
    }

    void Open(int passed)
    {
        dialog.m_strLangFile = home.LangFile();
        dialog.m_bPassed = passed;
        dialog.m_nDtrSeconds = 8;
        dialog.m_crText = ui::RGB(0, 0, 96);
        dialog.m_font = QFont(QStringLiteral("DejaVu Sans"), 14, QFont::Bold);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    // Interior pixels of the result label in `colour`.
    int LabelPixels(ui::COLORREF colour)
    {
        const QImage image = Shot(dialog.ResultLabel());
        return CountColour(image, image.rect(), ui::ToQColor(colour).rgb());
    }

    ProgramHome home;
    RecordingApp app;
    CDlgTestRes dialog{&app};
};

TEST_F(TestResultTest, AFailureShowsItsTextOnRedAndClosesAtOnce)
{
    Open(0);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Esito del test"));
    EXPECT_EQ(dialog.ResultLabel().text(), QStringLiteral("Test fallito"));
    const int area = dialog.ResultLabel().width() * dialog.ResultLabel().height();
    EXPECT_GT(LabelPixels(CDlgTestRes::kFailColour), area / 2);
    EXPECT_EQ(LabelPixels(CDlgTestRes::kPassColour), 0);
    EXPECT_TRUE(dialog.OkButton().isEnabled());
    EXPECT_EQ(dialog.OkButton().text(), QStringLiteral("Fatto"));
    EXPECT_EQ(dialog.OkButton().m_textColour, ui::RGB(0, 0, 96));
    EXPECT_TRUE(dialog.OkButton().font().bold());
    EXPECT_TRUE(app.requests.empty()) << "no pulse after a failure";

    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), ui::IDCANCEL);
}

TEST_F(TestResultTest, APassShowsItsTextOnGreenAndAsksForThePulse)
{
    Open(1);
    EXPECT_EQ(dialog.ResultLabel().text(), QStringLiteral("Test superato"));
    const int area = dialog.ResultLabel().width() * dialog.ResultLabel().height();
    EXPECT_GT(LabelPixels(CDlgTestRes::kPassColour), area / 2);
    EXPECT_GT(LabelPixels(ui::RGB(0, 0, 96)), 0) << "the text in the handed colour";
    ASSERT_EQ(app.requests.size(), 1u);
    EXPECT_EQ(app.requests[0].first, link::WM_LINK_DTR_PULSE);
    EXPECT_EQ(app.requests[0].second, 8u);
    EXPECT_FALSE(dialog.OkButton().isEnabled());
}

TEST_F(TestResultTest, APassCannotBeLeftBeforeThePulseHasEnded)
{
    Open(1);
    QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    QTest::mouseClick(&dialog.CancelButton(), Qt::LeftButton);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Return);
    dialog.close();
    ui::PostMessage(&dialog, ui::WindowMessage{ui::WM_CLOSE, 0, 0, nullptr});
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isVisible());

    ui::PostMessage(&dialog, ui::WindowMessage{link::WM_LINK_DTR_PULSE, 0, 0, nullptr});
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.OkButton().isEnabled(); }, 2000));
    QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), ui::IDOK);
}

// A pass with nobody to give the pulse (no application, or no worker to
// queue it) can be left at once: no end of a pulse would ever come.
TEST(CDlgTestRes, WithoutAnApplicationNoPulseIsAskedFor)
{
    ProgramHome home({{3254, u"Test superato"}});
    CDlgTestRes dialog(nullptr);
    dialog.m_strLangFile = home.LangFile();
    dialog.m_bPassed = 1;
    dialog.show();
    EXPECT_TRUE(dialog.OkButton().isEnabled());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());

    link::CVEXARLink app;  // no worker: the request is not queued
    CDlgTestRes withoutWorker(&app);
    withoutWorker.m_strLangFile = home.LangFile();
    withoutWorker.m_bPassed = 1;
    withoutWorker.show();
    EXPECT_TRUE(withoutWorker.OkButton().isEnabled());
}

}  // namespace
