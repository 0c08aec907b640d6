// The link engine against simulated ECUs on pseudo-terminals behind the COM
// folder, in both protocols: the port scan and the protocol fallback, the
// identification with its auto-select toggle, the end of the link, the
// whole-image transfers with their progress, range writes, the memory and
// variable services, and the ranges refused before anything is sent.
#include "EngineFixture.h"

#include "common/Text.h"
#include "link/LinkMessages.h"
#include "link/SerialPort.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <regex>

using namespace std::chrono_literals;

using namespace vexar::link;
using namespace vexar::linktest;
using vexar::ecusim::EcuSimulator;
using vexar::ecusim::Fault;
using vexar::ecusim::FaultKind;
using vexar::ecusim::Image;
using vexar::ecusim::Repeat;

namespace {

std::size_t CountOf(const std::vector<Seen>& seen, unsigned message, UiWindow window)
{
    return static_cast<std::size_t>(std::count_if(seen.begin(), seen.end(), [&](const Seen& s) {
        return s.message == message && s.window == window;
    }));
}

// Whether anything arrived on a silent line since the last look.
bool Heard(PtyPeer& line) { return !line.Read(1, 20).empty(); }

}  // namespace

// ---- Port scan -------------------------------------------------------------------------

struct ScanCase {
    const char* name;
    std::vector<unsigned> ports;
    int lastPort;
    int ecuPort;                 // 0: no ECU
    std::vector<int> silentPorts;
    int result;
    int comPortAfter;
    bool saved;
    std::vector<int> heard;      // silent ports the scan tried
};

class PortScan : public EngineTest, public ::testing::WithParamInterface<int> {};

TEST_P(PortScan, FromTheLastUsedPortOnceRoundTheList)
{
    const int protocol = GetParam();
    const ScanCase cases[] = {
        {"moves on to the ECU", {3, 5, 7}, 5, 7, {3, 5}, LINK_OK, 7, true, {5}},
        {"wraps round the end", {3, 5, 7}, 7, 3, {5, 7}, LINK_OK, 3, true, {7}},
        {"stays where the ECU is", {5, 7}, 5, 5, {7}, LINK_OK, 5, false, {}},
        {"last port not listed", {3, 5}, 9, 0, {3}, LINK_READ_FAILED, 3, true, {3}},
        {"nothing answers", {3, 5}, 3, 0, {3, 5}, LINK_READ_FAILED, 3, false, {3, 5}},
        {"no port opens", {4, 6}, 4, 0, {}, LINK_WRITE_FAILED, 4, false, {}},
        {"empty list", {}, 4, 0, {}, LINK_READ_FAILED, 4, false, {}},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.name);
        ClearLines();
        if (c.ecuPort)
            AddEcu(c.ecuPort, protocol);
        std::map<int, PtyPeer*> silent;
        for (int port : c.silentPorts)
            silent[port] = &AddSilent(port);
        CVEXARLink& app = MakeApp(protocol, 8, 8);
        app.m_comPorts = c.ports;
        app.m_nComPort = c.lastPort;
        const std::size_t savesBefore = Count(WM_SAVE_SESSION);

        const int result = protocol == 0 ? app.ScanPortsOldProtocol() : app.ScanPortsNewProtocol();

        EXPECT_EQ(result, c.result);
        EXPECT_EQ(app.m_bLinked, c.result == LINK_OK ? 1 : 0);
        EXPECT_EQ(app.m_nComPort, c.comPortAfter);
        EXPECT_EQ(Count(WM_SAVE_SESSION) - savesBefore, c.saved ? 1u : 0u);
        for (const auto& [port, line] : silent) {
            const bool tried = std::find(c.heard.begin(), c.heard.end(), port) != c.heard.end();
            EXPECT_EQ(Heard(*line), tried) << "COM" << port;
        }
        if (app.m_bLinked)
            app.Disconnect(LINK_OK);
        m_app.reset();
    }
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, PortScan, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == 0 ? "FirstProtocol" : "SecondProtocol";
                         });

// The configured protocol finds nobody: the other protocol scans the list
// again, links, and becomes the protocol in use. The frame, the view and
// the maintenance page hear of it in this order.
TEST_F(EngineTest, ConnectFallsBackToTheOtherProtocolAndTellsEveryWindow)
{
    for (const int configured : {0, 1}) {
        SCOPED_TRACE(configured);
        ClearLines();
        const int other = 1 - configured;
        EcuSimulator& sim = AddEcu(3, other);
        sim.WriteImage(Image::Parameters, 0, std::vector<std::uint8_t>{0x11, 0x22});
        CVEXARLink& app = MakeApp(configured, 2, 4);
        app.m_comPorts = {3};
        app.m_nComPort = 3;
        const std::size_t before = m_sink.Posts().size();

        app.Connect();

        ASSERT_EQ(app.m_bLinked, 1);
        EXPECT_EQ(app.m_nProtocol, other);
        EXPECT_EQ(ParMaster(), (std::vector<std::uint8_t>{0x11, 0x22}));
        {
            std::lock_guard lock(app.m_csIdent);
            EXPECT_EQ(app.m_strEcuIdent, kSimIdent);
        }
        const std::vector<Seen> seen = SeenPosts(m_sink.Posts());
        const std::vector<Seen> got(seen.begin() + static_cast<std::ptrdiff_t>(before), seen.end());
        // The whole-image read in the protocol's own steps: two bytes, or
        // one block.
        std::vector<Seen> expected{{UiWindow::View, WM_PROGRESS_OPEN, 3074}};
        if (other == 0)
            expected.insert(expected.end(), {{UiWindow::ProgressWindow, WM_PROGRESS_RANGE, 2},
                                             {UiWindow::ProgressWindow, WM_PROGRESS_STEP, 1},
                                             {UiWindow::ProgressWindow, WM_PROGRESS_STEP, 2}});
        else
            expected.insert(expected.end(), {{UiWindow::ProgressWindow, WM_PROGRESS_RANGE, 1},
                                             {UiWindow::ProgressWindow, WM_PROGRESS_STEP, 1}});
        expected.insert(expected.end(), {{UiWindow::ProgressWindow, WM_PROGRESS_CLOSE},
                                         {UiWindow::MainFrame, WM_BUSY_WINDOW, 1},
                                         {UiWindow::View, WM_CTRL_FORCE_REFRESH},
                                         {UiWindow::MainFrame, WM_BUSY_WINDOW, 0},
                                         {UiWindow::DiagWindow, WM_CTRL_ENABLE, 1},
                                         {UiWindow::MainFrame, WM_LINK_STATE, 1, LINK_OK},
                                         {UiWindow::View, WM_LINK_IDLE},
                                         {UiWindow::View, WM_LINK_STATE, 1, LINK_OK},
                                         {UiWindow::MaintPage, WM_LINK_STATE, 1, LINK_OK},
                                         {UiWindow::DiagWindow, WM_DIAG_RESET1_RELOAD},
                                         {UiWindow::DiagWindow, WM_DIAG_RESET2_RELOAD},
                                         {UiWindow::DiagWindow, WM_DIAG_RESET3_RELOAD}});
        EXPECT_EQ(got, expected);

        // The user's disconnect: the session is closed and every window
        // that shows the link hears of it.
        const std::size_t beforeDisconnect = m_sink.Posts().size();
        app.m_bDiagPolling = 1;
        app.Disconnect(LINK_OK);
        EXPECT_EQ(app.m_bLinked, 0);
        // Diagnosis polling ends with the link.
        EXPECT_EQ(app.m_bDiagPolling, 0);
        EXPECT_FALSE(sim.Session());
        {
            std::lock_guard lock(app.m_csIdent);
            EXPECT_TRUE(app.m_strEcuIdent.empty());
        }
        const std::vector<Seen> after = SeenPosts(m_sink.Posts());
        EXPECT_EQ(std::vector<Seen>(after.begin() + static_cast<std::ptrdiff_t>(beforeDisconnect), after.end()),
                  (std::vector<Seen>{{UiWindow::DiagWindow, WM_CTRL_ENABLE, 0},
                                     {UiWindow::MainFrame, WM_LINK_STATE, 0, LINK_OK},
                                     {UiWindow::View, WM_LINK_STATE, 0, LINK_OK},
                                     {UiWindow::AcqPage, WM_ACQ_STOPPED},
                                     {UiWindow::ProgressWindow, WM_PROGRESS_CLOSE},
                                     {UiWindow::MaintPage, WM_LINK_STATE, 0, LINK_OK}}));
        m_app.reset();
    }
}

// Nobody on any port with either protocol: the frame and the view learn
// that no ECU answered.
TEST_F(EngineTest, ConnectWithNoEcuReportsReadFailure)
{
    AddSilent(3);
    CVEXARLink& app = MakeApp(0, 4, 4);
    app.m_comPorts = {3};
    app.m_nComPort = 3;
    app.Connect();
    const std::vector<Seen> seen = SeenPosts(m_sink.Posts());
    EXPECT_EQ(seen, (std::vector<Seen>{{UiWindow::MainFrame, WM_LINK_STATE, 0, LINK_READ_FAILED},
                                       {UiWindow::View, WM_LINK_IDLE},
                                       {UiWindow::View, WM_LINK_STATE, 0, LINK_READ_FAILED},
                                       {UiWindow::MaintPage, WM_LINK_STATE, 0, LINK_READ_FAILED}}));
}

// The program closes while the worker holds the link: before its end
// notice the worker closes the ECU's session, gives the port back and
// tells every window that the link is down.
TEST_F(EngineTest, QuitWhileLinkedEndsTheSessionAndFreesThePort)
{
    for (const int protocol : {0, 1}) {
        SCOPED_TRACE(protocol);
        ClearLines();
        EcuSimulator& sim = AddEcu(3, protocol);
        CVEXARLink& app = MakeApp(protocol, 2, 4);
        app.m_comPorts = {3};
        app.m_nComPort = 3;
        // The connect's last post: the diagnosis window's third reload.
        const std::size_t reloads = Count(WM_DIAG_RESET3_RELOAD);
        ASSERT_TRUE(app.StartLinkThread(&m_sink));
        app.PostLinkRequest(WM_LINK_CONNECT);
        ASSERT_TRUE(m_sink.WaitFor(WM_DIAG_RESET3_RELOAD, reloads + 1, 10s));
        ASSERT_EQ(app.m_bLinked, 1);
        ASSERT_TRUE(sim.Session());
        const std::size_t before = m_sink.Posts().size();

        app.SignalQuit();
        app.JoinLinkThread();

        EXPECT_EQ(app.m_bLinked, 0);
        EXPECT_FALSE(sim.Session()) << "the ECU did not hear the end of the session";
        EXPECT_EQ(PortCheck(3), PORT_NOT_OPEN) << "the worker ended with the port still open";
        const std::vector<Seen> seen = SeenPosts(m_sink.Posts());
        EXPECT_EQ(std::vector<Seen>(seen.begin() + static_cast<std::ptrdiff_t>(before), seen.end()),
                  (std::vector<Seen>{{UiWindow::DiagWindow, WM_CTRL_ENABLE, 0},
                                     {UiWindow::MainFrame, WM_LINK_STATE, 0, LINK_OK},
                                     {UiWindow::View, WM_LINK_STATE, 0, LINK_OK},
                                     {UiWindow::AcqPage, WM_ACQ_STOPPED},
                                     {UiWindow::ProgressWindow, WM_PROGRESS_CLOSE},
                                     {UiWindow::MaintPage, WM_LINK_STATE, 0, LINK_OK},
                                     {UiWindow::MainFrame, WM_WORKER_ENDED}}));
        m_app.reset();
    }
}

// ---- Identification ------------------------------------------------------------------------

TEST(EcuIdentity, CodesMatchOnTheirFixedPositions)
{
    struct Case {
        const char16_t* config;
        const char16_t* ident;
        bool match;
    };
    const Case cases[] = {
        {u"ABCDEFG1XY9", u"ABCDEFG1XY9", true},
        {u"ABCDEFG1XY9", u"ABCDEFG2XY0", true},   // positions 7 and 10 are not compared
        {u"ABCDEFG1XY9", u"ABCDEFG1XZ9", false},  // position 9 differs
        {u"ABCDEFG1XY9", u"XBCDEFG1XY9", false},
        {u"abcdefg1xy9", u"ABCDEFG1XY9LONGER", true},  // upper-cased; what follows position 10 is free
        {u"ABCDEFG1XY9", u"ABCDEFG1XY", false},   // ten characters never match
        {u"", u"ABCDEFG1XY9", false},
    };
    for (const Case& c : cases) {
        CVEXARLink app;
        app.m_strConfigName = c.config;
        EXPECT_EQ(app.CheckEcuIdentity(c.ident, 0), c.match) << vexar::ToUtf8(c.config) << " / " << vexar::ToUtf8(c.ident);
    }
}

// Another ECU answers: the first mismatch lets the view pick a matching
// configuration, the next one reports an unknown ECU, and so on; the scan
// stops at the mismatching port and the link stays down.
TEST_F(EngineTest, MismatchTogglesBetweenAutoSelectAndUnknownEcu)
{
    AddEcu(3, 1, "OTHERECU-42");
    PtyPeer& after = AddSilent(5);
    CVEXARLink& app = MakeApp(1, 4, 4);
    app.m_comPorts = {3, 5};
    app.m_nComPort = 3;

    struct Step {
        unsigned message;
        UiWindow window;
        std::uint8_t autoSelectAfter;
    };
    const Step steps[] = {{WM_ECU_MISMATCH, UiWindow::View, 0},
                          {WM_UNKNOWN_ECU, UiWindow::MainFrame, 1},
                          {WM_ECU_MISMATCH, UiWindow::View, 0}};
    for (const Step& step : steps) {
        const std::size_t before = m_sink.Posts().size();
        app.Connect();
        const std::vector<Seen> seen = SeenPosts(m_sink.Posts());
        const std::vector<Seen> got(seen.begin() + static_cast<std::ptrdiff_t>(before), seen.end());
        const std::uintptr_t flag = step.message == WM_ECU_MISMATCH ? 1 : 0;
        EXPECT_EQ(got, (std::vector<Seen>{{step.window, step.message, flag}, {UiWindow::View, WM_LINK_IDLE}}));
        EXPECT_EQ(app.m_bLinked, 0);
        std::lock_guard lock(app.m_csAutoSelect);
        EXPECT_EQ(app.m_bAutoSelect, step.autoSelectAfter);
    }
    {
        std::lock_guard lock(app.m_csIdent);
        EXPECT_EQ(app.m_strIdentRead, u"OTHERECU-42");
    }
    EXPECT_FALSE(Heard(after)) << "the scan goes on after a mismatch";
    EXPECT_EQ(Count(WM_LINK_STATE), 0u);
}

// ---- Whole image ----------------------------------------------------------------------------

struct ImageCase {
    int protocol;
    int size;
    std::vector<std::size_t> steps;  // the progress steps of a whole transfer
};

void PrintTo(const ImageCase& c, std::ostream* out) { *out << "protocol " << c.protocol << ", " << c.size << " bytes"; }

class WholeImage : public EngineTest, public ::testing::WithParamInterface<ImageCase> {};

TEST_P(WholeImage, ReadIsByteExactWithItsProgressAndAFailureKeepsTheMaster)
{
    const ImageCase c = GetParam();
    EcuSimulator& sim = AddEcu(3, c.protocol);
    const Bytes first = AwkwardBytes(static_cast<std::size_t>(c.size));
    sim.WriteImage(Image::Parameters, 0, first);
    CVEXARLink& app = Linked(3, c.protocol, c.size, 8);
    EXPECT_EQ(ParMaster(), first);

    // Read again on request: the progress window sees every step.
    const Bytes second = Pattern(static_cast<std::size_t>(c.size), 9);
    sim.WriteImage(Image::Parameters, 0, second);
    m_sink.onPost = nullptr;
    const std::size_t before = m_sink.Posts().size();
    app.ReadWholeImage();
    EXPECT_EQ(ParMaster(), second);
    std::vector<std::size_t> steps;
    std::optional<std::size_t> range;
    const std::vector<RecordedPost> posts = m_sink.Posts();
    for (auto post = posts.begin() + static_cast<std::ptrdiff_t>(before); post != posts.end(); ++post) {
        if (post->message == WM_PROGRESS_STEP)
            steps.push_back(post->wParam);
        if (post->message == WM_PROGRESS_RANGE)
            range = post->wParam;
    }
    EXPECT_EQ(range, c.steps.size());
    EXPECT_EQ(steps, c.steps);

    // The ECU falls silent after the first step: the link drops with a
    // read failure and the master keeps the image read before.
    sim.WriteImage(Image::Parameters, 0, first);
    m_sink.onPost = [&](const RecordedPost& post) {
        if (post.message == WM_PROGRESS_STEP && post.wParam == 1)
            sim.InjectFault(1, Fault{FaultKind::NoReply}, Repeat::Always);
    };
    app.ReadWholeImage();
    m_sink.onPost = nullptr;
    EXPECT_EQ(app.m_bLinked, 0);
    EXPECT_EQ(ParMaster(), second) << "a half-read image reached the master";
    const std::vector<Seen> seen = SeenPosts(m_sink.Posts());
    EXPECT_EQ(std::count(seen.begin(), seen.end(), Seen{UiWindow::MainFrame, WM_LINK_STATE, 0, LINK_READ_FAILED}), 1);
}

TEST_P(WholeImage, WriteSendsTheMasterAndOpensANewSession)
{
    const ImageCase c = GetParam();
    EcuSimulator& sim = AddEcu(3, c.protocol);
    CVEXARLink& app = Linked(3, c.protocol, c.size, 8);
    const Bytes image = Pattern(static_cast<std::size_t>(c.size), 3);
    {
        std::lock_guard lock(app.m_csParImage);
        std::copy(image.begin(), image.end(), app.m_pParMaster.get());
    }
    const std::size_t sessions = sim.CountRequests(9);
    const std::size_t before = m_sink.Posts().size();
    app.WriteWholeImage();
    EXPECT_EQ(sim.ReadImage(Image::Parameters, 0, image.size()), image);
    EXPECT_EQ(sim.CountRequests(9), sessions + 1);
    EXPECT_EQ(app.m_bLinked, 1);
    const std::vector<Seen> seen = SeenPosts(m_sink.Posts());
    const std::vector<Seen> got(seen.begin() + static_cast<std::ptrdiff_t>(before), seen.end());
    EXPECT_EQ(got.front(), (Seen{UiWindow::View, WM_PROGRESS_OPEN, 3102}));
    EXPECT_EQ(CountOf(got, WM_PROGRESS_STEP, UiWindow::ProgressWindow), c.steps.size());
    EXPECT_EQ(std::vector<Seen>(got.end() - 5, got.end()),
              (std::vector<Seen>{{UiWindow::ProgressWindow, WM_PROGRESS_CLOSE},
                                 {UiWindow::DiagWindow, WM_DIAG_RESET1_RELOAD},
                                 {UiWindow::DiagWindow, WM_DIAG_RESET2_RELOAD},
                                 {UiWindow::DiagWindow, WM_DIAG_RESET3_RELOAD},
                                 {UiWindow::DiagWindow, WM_DIAG_START_RESET}}));
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, WholeImage,
                         ::testing::Values(ImageCase{0, 5, {1, 2, 3, 4, 5}}, ImageCase{1, 600, {1, 2, 3}}),
                         [](const ::testing::TestParamInfo<ImageCase>& info) {
                             return info.param.protocol == 0 ? "FirstProtocol" : "SecondProtocol";
                         });

// ---- Range writes ------------------------------------------------------------------------------

// A change of three bytes goes out as three byte writes (first protocol) or
// one block (second). The ECU failing in the middle drops the link with a
// write failure and sends nothing more.
TEST_F(EngineTest, RangeWriteInTheProtocolsOwnFramesAndAFailureInTheMiddle)
{
    for (const int protocol : {0, 1}) {
        SCOPED_TRACE(protocol);
        ClearLines();
        EcuSimulator& sim = AddEcu(3, protocol);
        CVEXARLink& app = Linked(3, protocol, 32, 8);
        {
            std::lock_guard lock(app.m_csParImage);
            app.m_pParMaster[10] = 0xA1;
            app.m_pParMaster[11] = 0xB2;
            app.m_pParMaster[12] = 0xC3;
            app.m_pParMaster[13] = 0xD4;  // not in the range
        }
        sim.ClearFrameLog();
        app.WriteRange(10, 3);
        EXPECT_EQ(sim.ReadImage(Image::Parameters, 10, 4), (std::vector<std::uint8_t>{0xA1, 0xB2, 0xC3, 0}));
        std::vector<Bytes> frames;
        for (const auto& record : sim.FrameLog())
            if (record.kind == vexar::ecusim::FrameRecord::Kind::Request)
                frames.push_back(record.bytes);
        if (protocol == 0)
            EXPECT_EQ(frames, (std::vector<Bytes>{FirstFrame(2, {10, 0, 0xA1}), FirstFrame(2, {11, 0, 0xB2}),
                                                  FirstFrame(2, {12, 0, 0xC3})}));
        else
            EXPECT_EQ(frames, (std::vector<Bytes>{SecondFrame(2, {0, 0, 10, 3, 0, 3, 0xA1, 0xB2, 0xC3})}));

        // The failure: after the first frame of the next change the ECU
        // refuses everything.
        TestHost host;
        host.tracing = true;
        host.onLine = [&](const std::u16string& line) {
            if (line.find(u"RX-SL") != std::u16string::npos)
                sim.InjectFault(2, Fault{FaultKind::Nak, 6}, Repeat::Always);
        };
        app.m_serial.SetHost(&host);
        app.m_serialNew.SetHost(&host);
        if (protocol == 1)
            sim.InjectFault(2, Fault{FaultKind::Nak, 6}, Repeat::Always);
        sim.ClearFrameLog();
        const std::size_t before = m_sink.Posts().size();
        app.WriteRange(10, 3);
        app.m_serial.SetHost(nullptr);
        app.m_serialNew.SetHost(nullptr);
        EXPECT_EQ(app.m_bLinked, 0);
        EXPECT_EQ(sim.CountRequests(2), protocol == 0 ? 2u : 1u) << "a frame after the failure";
        const std::vector<Seen> seen = SeenPosts(m_sink.Posts());
        const std::vector<Seen> got(seen.begin() + static_cast<std::ptrdiff_t>(before), seen.end());
        EXPECT_EQ(CountOf(got, WM_LINK_STATE, UiWindow::MainFrame), 1u);
        EXPECT_NE(std::find(got.begin(), got.end(), Seen{UiWindow::MainFrame, WM_LINK_STATE, 0, LINK_WRITE_FAILED}),
                  got.end());
        m_app.reset();
    }
}

// ---- Memory and variable services --------------------------------------------------------------------

TEST_F(EngineTest, MemoryAndVariableServicesInBothProtocols)
{
    for (const int protocol : {0, 1}) {
        SCOPED_TRACE(protocol);
        ClearLines();
        EcuSimulator& sim = AddEcu(3, protocol);
        sim.WriteImage(Image::Parameters, 20, std::vector<std::uint8_t>{0x5A, 0xA5});
        sim.WriteImage(Image::Variables, 0, Pattern(16, 1));
        sim.WriteImage(Image::Variables, 7, std::vector<std::uint8_t>{0xF0});
        CVEXARLink& app = Linked(3, protocol, 32, 16);
        m_sink.onPost = nullptr;

        // Write two bytes at 4; the first protocol also puts them in the
        // master image.
        MEMORY_REQUEST write;
        write.address = 4;
        write.size = 2;
        write.value = {0x12, 0x34, 0x56, 0x78};
        app.ServeWriteMemory(write);
        EXPECT_EQ(sim.ReadImage(Image::Parameters, 4, 3), (std::vector<std::uint8_t>{0x12, 0x34, 0}));
        if (protocol == 0) {
            EXPECT_EQ(ParMaster()[4], 0x12);
        }

        // Read two bytes at 20: the answer carries them to the maintenance page.
        auto read = std::make_unique<MEMORY_REQUEST>();
        read->address = 20;
        read->size = 2;
        const std::size_t answered = m_sink.MemoryAnswers().size();
        app.ServeReadMemory(std::move(read));
        const std::vector<MEMORY_REQUEST> answers = m_sink.MemoryAnswers();
        ASSERT_EQ(answers.size(), answered + 1);
        EXPECT_EQ(answers.back().value, (std::array<std::uint8_t, 4>{0x5A, 0xA5, 0, 0}));
        EXPECT_EQ(m_sink.Posts().back().window, UiWindow::MaintPage);

        // A masked write of one byte: keep the high nibble, set the low one.
        // Byte k of both words in memory order applies to address + k; the
        // second protocol sends the words whole, the first byte by byte.
        VARIABLE_WRITE masked;
        masked.address = 7;
        masked.size = 1;
        masked.mask = 0xFFFFFFF0;
        masked.value = 0x05;
        app.ServeMaskedWrite(masked);
        EXPECT_EQ(sim.ReadImage(Image::Variables, 7, 1), (std::vector<std::uint8_t>{0xF5}));

        // A variable read lands in the master image and tells the page.
        VARIABLE_READ variable;
        variable.address = 2;
        variable.length = 6;
        app.ServeReadVariable(variable);
        const Bytes expected = sim.ReadImage(Image::Variables, 2, 6);
        const std::vector<std::uint8_t> master = VarMaster();
        EXPECT_EQ(Bytes(master.begin() + 2, master.begin() + 8), expected);
        EXPECT_EQ(m_sink.Posts().back().message, WM_LINK_READ_VARIABLE);
        EXPECT_EQ(app.m_bLinked, 1);
        app.Disconnect(LINK_OK);
        m_app.reset();
    }
}

// Ranges outside the image, or beyond the first protocol's one-byte
// indexes, are refused before anything is sent: the link stays up and the
// protocol's log says why.
TEST_F(EngineTest, RangesOutsideTheImageAreRefusedAndLogged)
{
    struct Case {
        const char* name;
        int protocol;
        std::function<void(CVEXARLink&)> request;
        bool answered = false;  // a memory read is answered with its failure
    };
    const auto memory = [](int address, int size) {
        MEMORY_REQUEST request;
        request.address = static_cast<std::uint16_t>(address);
        request.size = size;
        return request;
    };
    const Case cases[] = {
        {"range past the image", 0, [](CVEXARLink& app) { app.WriteRange(30, 3); }},
        {"negative range", 1, [](CVEXARLink& app) { app.WriteRange(-1, 2); }},
        {"range past the image", 1, [](CVEXARLink& app) { app.WriteRange(31, 2); }},
        {"memory write past the image", 0, [&](CVEXARLink& app) { app.ServeWriteMemory(memory(31, 2)); }},
        {"memory write of five bytes", 1, [&](CVEXARLink& app) { app.ServeWriteMemory(memory(0, 5)); }},
        {"memory write past the address space", 1, [&](CVEXARLink& app) { app.ServeWriteMemory(memory(0xFFFF, 2)); }},
        {"memory read past the image", 0,
         [&](CVEXARLink& app) { app.ServeReadMemory(std::make_unique<MEMORY_REQUEST>(memory(32, 1))); }, true},
        {"memory read of no bytes", 1,
         [&](CVEXARLink& app) { app.ServeReadMemory(std::make_unique<MEMORY_REQUEST>(memory(0, 0))); }, true},
        {"memory read past the address space", 1,
         [&](CVEXARLink& app) { app.ServeReadMemory(std::make_unique<MEMORY_REQUEST>(memory(0xFFFF, 2))); }, true},
        {"variable read past the image", 1, [](CVEXARLink& app) { app.ReadVariableRange(10, 7, nullptr); }},
        {"masked write past one byte of address", 0,
         [](CVEXARLink& app) {
             VARIABLE_WRITE write;
             write.address = 255;
             write.size = 2;
             app.ServeMaskedWrite(write);
         }},
    };
    for (const int protocol : {0, 1}) {
        ClearLines();
        EcuSimulator& sim = AddEcu(3, protocol);
        CVEXARLink& app = Linked(3, protocol, 32, 16);
        const std::string log = protocol == 0 ? "InfoSeriale" : "InfoSerialeNew";
        for (const Case& c : cases) {
            if (c.protocol != protocol)
                continue;
            SCOPED_TRACE(c.name);
            sim.ClearFrameLog();
            const std::size_t entries = Log(log).size();
            const std::size_t posts = m_sink.Posts().size();
            c.request(app);
            EXPECT_TRUE(sim.FrameLog().empty()) << "something was sent";
            EXPECT_EQ(app.m_bLinked, 1);
            const std::vector<RecordedPost> after = m_sink.Posts();
            if (c.answered) {
                // The maintenance page hears of the refusal, value zero.
                ASSERT_EQ(after.size(), posts + 1);
                EXPECT_EQ(after.back().window, UiWindow::MaintPage);
                EXPECT_EQ(after.back().message, WM_LINK_READ_MEMORY);
                EXPECT_EQ(after.back().lParam, RES_BAD_RANGE);
                ASSERT_FALSE(m_sink.MemoryAnswers().empty());
                EXPECT_EQ(m_sink.MemoryAnswers().back().value, (std::array<std::uint8_t, 4>{}));
            } else {
                EXPECT_EQ(after.size(), posts) << "a refused request was answered";
            }
            const std::vector<std::u16string> logged = Log(log);
            ASSERT_EQ(logged.size(), entries + 1);
            EXPECT_NE(logged.back().find(u"rifiutata"), std::u16string::npos) << vexar::ToUtf8(logged.back());
        }
        app.Disconnect(LINK_OK);
        m_app.reset();
    }
}

// The first protocol cannot address an image beyond 256 bytes: the whole
// transfers are refused instead of wrapping round to index 0.
TEST_F(EngineTest, FirstProtocolRefusesWholeImagesBeyondItsIndexes)
{
    EcuSimulator& sim = AddEcu(3, 0);
    CVEXARLink& app = Linked(3, 0, 300, 8);
    const std::vector<std::uint8_t> before = ParMaster();
    sim.ClearFrameLog();
    app.ReadWholeImage();
    app.WriteWholeImage();
    EXPECT_EQ(sim.CountRequests(1) + sim.CountRequests(2), 0u);
    EXPECT_EQ(ParMaster(), before);
    EXPECT_EQ(app.m_bLinked, 1);
    const std::vector<std::u16string> logged = Log("InfoSeriale");
    ASSERT_GE(logged.size(), 2u);
    EXPECT_EQ(logged[logged.size() - 2],
              u"Lettura dell'immagine rifiutata: 300 byte dall'indirizzo 0 escono dall'area di 256 byte.");
}

namespace {

// The text after the time of a trace line: "TX-SL(3B): 01 02 03 ".
std::u16string TraceBody(const std::u16string& line)
{
    const std::size_t space = line.find(u' ');
    return space == std::u16string::npos ? line : line.substr(space + 1);
}

std::u16string ExpectedTraceBody(const vexar::ecusim::FrameRecord& frame)
{
    using Kind = vexar::ecusim::FrameRecord::Kind;
    std::string text = frame.kind == Kind::Request ? "TX-SL(" : "RX-SL(";
    text += std::to_string(frame.bytes.size()) + "B): ";
    char hex[4];
    for (const std::uint8_t byte : frame.bytes) {
        std::snprintf(hex, sizeof hex, "%02X ", byte);
        text += hex;
    }
    return std::u16string(text.begin(), text.end());
}

bool TimeWithoutLeadingZeros(const std::u16string& line)
{
    const std::string ascii(line.begin(), line.end());
    static const std::regex time(R"(^(0|[1-9]\d?):(0|[1-9]\d?):(0|[1-9]\d?):(0|[1-9]\d{0,2}) )");
    return std::regex_search(ascii, time);
}

}  // namespace

// While a trace window is set, every frame of the connect reaches it as one
// line, in the order the ECU saw and answered them, with the exact bytes;
// once the window is gone nothing more is formatted or posted.
class TraceLines : public EngineTest, public ::testing::WithParamInterface<int> {};

TEST_P(TraceLines, FollowTheFrameLogWhileATraceWindowIsSet)
{
    const int protocol = GetParam();
    EcuSimulator& sim = AddEcu(3, protocol);
    CVEXARLink& app = MakeApp(protocol, 4, 4);
    app.m_comPorts = {3};
    app.m_nComPort = 3;
    const int traceWindow = 0;
    app.m_pTraceWnd = &traceWindow;

    app.Connect();
    ASSERT_EQ(app.m_bLinked, 1);

    std::vector<std::u16string> expected;
    for (const auto& frame : sim.FrameLog())
        if (frame.kind == vexar::ecusim::FrameRecord::Kind::Request ||
            frame.kind == vexar::ecusim::FrameRecord::Kind::Reply)
            expected.push_back(ExpectedTraceBody(frame));
    const std::vector<std::u16string> lines = m_sink.TraceLines();
    std::vector<std::u16string> bodies;
    for (const std::u16string& line : lines) {
        EXPECT_TRUE(TimeWithoutLeadingZeros(line)) << vexar::ToUtf8(line);
        bodies.push_back(TraceBody(line));
    }
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(bodies, expected);
    EXPECT_EQ(Count(WM_TRACE_LINE), lines.size());

    app.m_pTraceWnd = nullptr;
    app.Disconnect(LINK_OK);
    EXPECT_EQ(Count(WM_TRACE_LINE), lines.size());
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, TraceLines, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == 0 ? "FirstProtocol" : "SecondProtocol";
                         });
