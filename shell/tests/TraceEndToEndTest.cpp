// The trace window in the program on the ECU bench, opened by its hidden
// key in the real view: the connect's frames line by line as the simulated
// ECU logged them, with both protocols; the K-line echo; a silenced command's
// time-out text; closing with the view's windows.
#include "EcuShell.h"

#include "link/LinkMessages.h"
#include "link/ui/CDlgDebug.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/Messages.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;
using namespace std::chrono_literals;
using FrameKind = ecusim::FrameRecord::Kind;

namespace {

class TraceOnTheBench : public EcuShellBase, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        BENCH bench;
        bench.protocol = GetParam();
        StartBench(bench);
    }

    link::CDlgDebug* Trace() { return m_shell.View().m_dlgTrace.get(); }
    // Opens the trace window with Ctrl+Alt+Shift+Z pressed in the frame.
    void OpenByKey()
    {
        QTest::keyClick(&m_shell.View().Button(0), Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    }
    std::vector<std::string> Lines()
    {
        std::vector<std::string> lines;
        for (int row = 0; row < Trace()->List().count(); ++row)
            lines.push_back(Trace()->List().item(row)->text().toStdString());
        return lines;
    }
};

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    char hex[4];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(hex, sizeof hex, "%02X ", byte);
        text += hex;
    }
    return text;
}

std::string Body(const std::string& line) { return line.substr(line.find(' ') + 1); }

std::string ExpectedBody(const char* tag, const std::vector<std::uint8_t>& bytes)
{
    return std::string(tag) + "(" + std::to_string(bytes.size()) + "B): " + Hex(bytes);
}

}  // namespace

TEST_P(TraceOnTheBench, TheConnectLineByLineAsTheEcuSawIt)
{
    OpenByKey();
    ASSERT_NE(Trace(), nullptr);
    ASSERT_TRUE(Trace()->m_bCreated);
    EXPECT_TRUE(Trace()->isVisible());
    EXPECT_EQ(m_shell.App().m_pTraceWnd.load(), Trace());

    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    // The frames the ECU heard in its own protocol and its replies; what
    // the configured protocol sent first to an ECU of the other one is
    // traced as well, but the ECU does not take it for frames.
    std::vector<std::string> expected;
    for (const ecusim::FrameRecord& frame : m_sim->FrameLog()) {
        if (frame.kind == FrameKind::Request && frame.crcOk)
            expected.push_back(ExpectedBody("TX-SL", frame.bytes));
        else if (frame.kind == FrameKind::Reply)
            expected.push_back(ExpectedBody("RX-SL", frame.bytes));
    }
    ASSERT_FALSE(expected.empty());
    // The link goes on after the connect: the window may hold more lines
    // than the log had frames when it was read. Before them, with the
    // first protocol, stand the configured protocol's unanswered scan.
    std::vector<std::string> bodies;
    std::ptrdiff_t start = 0;
    ASSERT_TRUE(WaitUntil([&] {
        bodies.clear();
        for (const std::string& line : Lines())
            if (line.find("X-SL(") != std::string::npos)
                bodies.push_back(Body(line));
        start = std::find(bodies.begin(), bodies.end(), expected.front()) - bodies.begin();
        return bodies.size() >= static_cast<std::size_t>(start) + expected.size();
    }));
    if (GetParam() == 1)
        EXPECT_EQ(start, 0);
    else
        EXPECT_GT(start, 0) << "the second protocol's scan was not traced";
    EXPECT_EQ(std::vector<std::string>(bodies.begin() + start,
                                       bodies.begin() + start + static_cast<std::ptrdiff_t>(expected.size())),
              expected);
    static const std::regex time(R"(^(0|[1-9]\d?):(0|[1-9]\d?):(0|[1-9]\d?):(0|[1-9]\d{0,2}) )");
    for (const std::string& line : Lines())
        if (line.find("X-SL(") != std::string::npos)
            EXPECT_TRUE(std::regex_search(line, time)) << line;

    // A second press restores and focuses the one window.
    link::CDlgDebug* first = Trace();
    OpenByKey();
    EXPECT_EQ(Trace(), first);

    // The view's windows close with it: no more lines.
    m_shell.View().CloseAllWindows();
    EXPECT_FALSE(Trace()->m_bCreated);
    EXPECT_EQ(m_shell.App().m_pTraceWnd.load(), nullptr);
    const std::size_t logged = m_sim->FrameLog().size();
    Command(ID_DISCONNETTI);
    ASSERT_TRUE(WaitLinked(false));
    EXPECT_GT(m_sim->FrameLog().size(), logged);
    QTest::qWait(50);
    EXPECT_EQ(Trace()->List().count(), 0);
}

// A command the ECU does not answer: the protocol's time-out text follows
// its attempts; the link stays up (a failed reset leaves it).
TEST_P(TraceOnTheBench, ASilencedCommandEndsInTheTimeOutText)
{
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    OpenByKey();
    constexpr std::uint8_t kReset = 8;
    m_sim->InjectFault(kReset, ecusim::Fault{ecusim::FaultKind::NoReply}, ecusim::Repeat::Always);
    m_shell.App().PostLinkRequest(link::WM_LINK_RESET_ECU);
    const std::string timeOut = "Expire Time Out nella comunicazione.";
    if (GetParam() == 1) {
        ASSERT_TRUE(WaitUntil([&] {
            const std::vector<std::string> lines = Lines();
            return std::find(lines.begin(), lines.end(), timeOut) != lines.end();
        }));
        const std::vector<std::string> lines = Lines();
        const auto at = std::find(lines.begin(), lines.end(), timeOut);
        ASSERT_NE(at, lines.begin());
        EXPECT_NE(std::prev(at)->find(" TX-SL("), std::string::npos) << *std::prev(at);
    } else {
        // The first protocol has no text for it: its unanswered reset
        // requests stand in the trace as sent.
        std::vector<std::string> unanswered;
        ASSERT_TRUE(WaitUntil([&] {
            unanswered.clear();
            for (const ecusim::FrameRecord& frame : m_sim->FrameLog())
                if (frame.kind == FrameKind::Request && frame.crcOk && frame.bytes.size() > 1 &&
                    std::find(frame.bytes.begin(), frame.bytes.end(), kReset) != frame.bytes.end())
                    unanswered.push_back(ExpectedBody("TX-SL", frame.bytes));
            return unanswered.size() >= 2;
        }));
        ASSERT_TRUE(WaitUntil([&] {
            std::vector<std::string> bodies;
            for (const std::string& line : Lines())
                bodies.push_back(Body(line));
            return std::find(bodies.begin(), bodies.end(), unanswered.back()) != bodies.end();
        }));
    }
    EXPECT_TRUE(WaitUntil([&] { return m_shell.App().m_bLinked != 0; }));
}

// With a K-line interface every frame comes back as its echo, which is
// traced as received before the reply.
TEST_P(TraceOnTheBench, KLineEchoesAreTracedAsReceived)
{
    Command(ID_LINEA_K);
    m_sim->SetKLineEcho(true);
    OpenByKey();
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    std::size_t echoes = 0;
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<std::string> lines = Lines();
        echoes = 0;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const std::string sent = Body(lines[i - 1]);
            const std::string heard = Body(lines[i]);
            if (sent.rfind("TX-SL(", 0) == 0 && heard.rfind("RX-SL(", 0) == 0 && sent.substr(2) == heard.substr(2))
                ++echoes;
        }
        return echoes > 0;
    }));
    Command(ID_DISCONNETTI);
    ASSERT_TRUE(WaitLinked(false));
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, TraceOnTheBench, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == 0 ? "FirstProtocol" : "SecondProtocol";
                         });
