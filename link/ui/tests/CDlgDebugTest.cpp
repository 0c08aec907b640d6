// The trace window: the lines it keeps, freezing, clearing, its scroll
// rule, its layout, and that the producers stop when it closes.
#include "link/EcuExchange.h"
#include "link/LinkMessages.h"
#include "link/LinkProtocolHost.h"
#include "link/ui/CDlgDebug.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "platform/ui/DialogRequests.h"
#include "platform/ui/WindowState.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include <atomic>
#include <cstdint>
#include <future>
#include <vector>

namespace vexar::link {
namespace {

// A trace line that counts how many of its kind are alive.
struct CountedLine : TRACE_LINE {
    explicit CountedLine(std::u16string line)
    {
        text = std::move(line);
        ++live;
    }
    ~CountedLine() override { --live; }
    static inline std::atomic<int> live{0};
};

// The sink the producers see: counts what they post and hands it on.
class CountingSink : public ILinkUiSink {
public:
    explicit CountingSink(ILinkUiSink& next) : m_next(next) {}
    void Post(UiWindow window, const IDataCtrl* control, LinkMessage message) override
    {
        ++posts;
        m_next.Post(window, control, std::move(message));
    }
    void ShowError(std::u16string text) override { m_next.ShowError(std::move(text)); }
    std::atomic<int> posts{0};

private:
    ILinkUiSink& m_next;
};

std::u16string LineText(int n) { return (QStringLiteral("line ") + QString::number(n)).toStdU16String(); }

class CDlgDebugTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        dialog.Close();
        QCoreApplication::processEvents();
        EXPECT_EQ(CountedLine::live, 0) << "a trace line was not freed";
    }

    // Posts `count` counted lines from another thread, as the worker does.
    void PostLines(int first, int count)
    {
        std::async(std::launch::async, [&] {
            for (int n = first; n < first + count; ++n)
                sink.Post(UiWindow::TraceWindow, nullptr,
                          LinkMessage{WM_TRACE_LINE, 0, 0, std::make_unique<CountedLine>(LineText(n))});
        }).get();
    }
    QString Line(int row) { return dialog.List().item(row)->text(); }

    std::atomic<const void*> target{nullptr};
    LinkUiSinkAdapter sink;
    CDlgDebug dialog{target, &sink};
};

TEST_F(CDlgDebugTest, OpensTopMostAndStartsAndStopsTheProducers)
{
    std::atomic<std::uint8_t> kLine{0};
    CountingSink counting(sink);
    ILinkUiSink* producerSink = &counting;
    LinkProtocolHost host(kLine, target, producerSink);
    const std::vector<std::uint8_t> frame{0x05, 0x01, 0xAB};

    detail::TraceFrame(&host, false, false, frame);
    EXPECT_EQ(counting.posts, 0) << "traced with no window";

    dialog.Create();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Debug"));
    EXPECT_EQ(dialog.m_bCreated, 1);
    EXPECT_EQ(target.load(), &dialog);

    std::async(std::launch::async, [&] { detail::TraceFrame(&host, true, false, frame); }).get();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.List().count() == 1; }));
    EXPECT_TRUE(Line(0).endsWith(QStringLiteral(" RX-SL(3B): 05 01 AB "))) << Line(0).toStdString();

    // A second opening only brings the window forward.
    dialog.Create();
    EXPECT_EQ(dialog.List().count(), 1);

    // A line on its way when the window closes is dropped and freed; once
    // closed, the producers format and post nothing.
    PostLines(0, 3);
    dialog.onCommand(ui::IDCANCEL);
    EXPECT_EQ(dialog.m_bCreated, 0);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(target.load(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(CountedLine::live, 0);
    const int postsAtClose = counting.posts;
    detail::TraceFrame(&host, false, false, frame);
    EXPECT_EQ(counting.posts, postsAtClose);

    // Opened again, it starts empty; OK closes it as well.
    dialog.Create();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.List().count(), 0);
    dialog.onCommand(ui::IDOK);
    EXPECT_EQ(target.load(), nullptr);
    dialog.Create();
    dialog.close();  // the close box
    EXPECT_EQ(dialog.m_bCreated, 0);
}

TEST_F(CDlgDebugTest, KeepsTheLastThousandLinesAndDropsWhatArrivesWhileFrozen)
{
    dialog.Create();
    PostLines(0, CDlgDebug::kMaxLines + 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return CountedLine::live == 0; }));
    ASSERT_EQ(dialog.List().count(), CDlgDebug::kMaxLines);
    EXPECT_EQ(Line(0), QString::fromStdU16String(LineText(1)));
    EXPECT_EQ(Line(CDlgDebug::kMaxLines - 1), QString::fromStdU16String(LineText(CDlgDebug::kMaxLines)));

    auto* freeze = qobject_cast<QCheckBox*>(ui::GetDlgItem(dialog, CDlgDebug::IDC_FREEZE));
    ASSERT_NE(freeze, nullptr);
    EXPECT_EQ(freeze->text(), QStringLiteral("Blocca aggiornamento"));
    QTest::mouseClick(freeze, Qt::LeftButton, {}, QPoint(4, freeze->height() / 2));
    ASSERT_TRUE(freeze->isChecked());
    PostLines(5000, 50);
    EXPECT_EQ(CountedLine::live, 50);
    QCoreApplication::processEvents();
    EXPECT_EQ(CountedLine::live, 0) << "a frozen line was kept";
    EXPECT_EQ(dialog.List().count(), CDlgDebug::kMaxLines);
    EXPECT_EQ(Line(CDlgDebug::kMaxLines - 1), QString::fromStdU16String(LineText(CDlgDebug::kMaxLines)));

    auto* clear = qobject_cast<QPushButton*>(ui::GetDlgItem(dialog, CDlgDebug::IDC_CLEAR));
    ASSERT_NE(clear, nullptr);
    EXPECT_EQ(clear->text(), QStringLiteral("Azzera Lista"));
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(dialog.List().count(), 0);
}

// The newest line is kept in view as the last of 16 lines from the first
// shown; a line that still falls within those 16 leaves the view alone.
TEST_F(CDlgDebugTest, ScrollsSoThatTheNewLineIsTheLastOfSixteen)
{
    dialog.Create();
    dialog.resize(500, CDlgDebug::kBandHeight + 120);  // fewer than 16 rows show
    QCoreApplication::processEvents();
    struct Step {
        int add;           // lines added one by one
        int firstBefore;   // -1: as the previous step left it
        int firstAfter;
    };
    const Step steps[] = {
        {16, -1, 0},   // indices 0..15 fit below line 0
        {1, -1, 1},    // index 16: first := 16 - 15
        {23, -1, 24},  // each line moves the view by one
        {1, 0, 25},    // the user looked at the top: index 40 brings the view back
        {1, 30, 30},   // index 41 lies within 30..45: the view stays
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(dialog.List().count());
        if (step.firstBefore >= 0)
            dialog.List().verticalScrollBar()->setValue(step.firstBefore);
        for (int i = 0; i < step.add; ++i)
            dialog.OnTraceLine(LineText(dialog.List().count()));
        EXPECT_EQ(dialog.FirstVisible(), step.firstAfter);
    }
}

TEST_F(CDlgDebugTest, TheListFillsTheClientBelowTheBand)
{
    dialog.Create();
    for (const QSize size : {QSize(560, 420), QSize(800, 300)}) {
        dialog.resize(size);
        QCoreApplication::processEvents();
        const QRect client = dialog.rect();
        EXPECT_EQ(dialog.List().geometry(),
                  QRect(0, CDlgDebug::kBandHeight, client.width(), client.height() - CDlgDebug::kBandHeight));

        // On screen: the list's base shows right below the band, across the
        // whole width, and not above it.
        const QImage shot = dialog.grab().toImage();
        const QRgb base = dialog.List().palette().color(QPalette::Base).rgb();
        const QRgb face = dialog.palette().color(QPalette::Window).rgb();
        ASSERT_NE(base, face);
        const int below = CDlgDebug::kBandHeight + 4;
        EXPECT_EQ(shot.pixel(4, below), base);
        EXPECT_EQ(shot.pixel(client.width() - 5, below), base);
        EXPECT_EQ(shot.pixel(client.width() / 2, CDlgDebug::kBandHeight - 2), face);
    }
}

}  // namespace
}  // namespace vexar::link
