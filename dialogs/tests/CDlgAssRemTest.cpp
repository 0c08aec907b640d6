// The two remote-assistance windows on the offscreen platform: their
// captions, lamps and modes through every status the worker posts, the
// exact texts of their failure boxes, the client ids they post, the
// master's statistics, and that they stay open while the bridge
// connection exists.
#include "dialogs/CDlgAssRemMaster.h"
#include "dialogs/CDlgAssRemSlave.h"

#include "DialogTestSupport.h"
#include "ScriptedResponder.h"
#include "link/CVEXARLink.h"
#include "link/LinkMessages.h"
#include "link/LinkRequests.h"
#include "pages/CCtrlEditInfo.h"
#include "pages/widgets/CCWButton.h"
#include "pages/widgets/CCWSlide.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/DialogRequests.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowMessage.h"
#include "platform/ui/WindowState.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <optional>
#include <vector>

using namespace vexar;

namespace {

using Id = std::array<std::uint8_t, 4>;

class RecordingApp : public link::CVEXARLink {
public:
    ~RecordingApp() override { m_hSocket = -1; }
    bool PostLinkRequest(unsigned id, std::uintptr_t, std::intptr_t,
                         std::unique_ptr<link::LinkPayload> payload) override
    {
        const auto* record = dynamic_cast<const link::REMOTE_ID*>(payload.get());
        requests.push_back({id, record ? std::optional<Id>(record->id) : std::nullopt});
        return true;
    }
    struct Request {
        unsigned id;
        std::optional<Id> record;
        bool operator==(const Request&) const = default;
    };
    std::vector<Request> requests;
};

const dialogtest::Texts kTexts = {
    {3162, u"Assistance (master)"}, {3163, u"Bridge connected"}, {3164, u"Greeted"},
    {3165, u"Bridge server"},       {3166, u"Connect"},          {3167, u"Slave started"},
    {3168, u"Id acknowledged"},     {3169, u"Bytes per second"}, {3170, u"Received / expected"},
    {3171, u"Send id"},             {3172, u"No socket"},        {3173, u"No non-blocking"},
    {3174, u"No connect"},          {3175, u"Greeting unsent"},  {3176, u"No id answer"},
    {3177, u"Bridge silent"},       {3178, u"Id unsent"},        {3179, u"Assistance (slave)"},
    {3180, u"Client id"},           {3181, u"Connection"},       {3182, u"Relay running"},
    {3183, u"Assisted while lit"},  {3184, u"Connect slave"},    {3203, u"Close"},
    {3204, u"Close slave"},         {3205, u"Slave greeting unsent"},
    {3206, u"Marker receive error"}, {3212, u"No marker"},       {3213, u"Echo unsent"},
    {3214, u"Client id"},           {3215, u"Traffic"},
};

constexpr QRgb kLampOn = qRgb(0, 230, 0);

bool Lit(CCWButton& lamp) { return dialogtest::CountColour(dialogtest::Shot(lamp), lamp.rect(), kLampOn) > 0; }

class RemoteWindows : public ::testing::Test {
protected:
    RemoteWindows() : home(kTexts), master(app), slave(app)
    {
        app.m_szBridgeIp = "127.0.0.1";
        app.m_nBridgePort = 4455;
        for (CDlgAssRem* window : {static_cast<CDlgAssRem*>(&master), static_cast<CDlgAssRem*>(&slave)}) {
            window->m_strLangFile = home.LangFile();
            window->m_crText = ui::RGB(0, 0, 160);
            window->m_crValue = ui::RGB(128, 0, 0);
            window->m_layout.pageFontFace = u"DejaVu Serif";
            window->m_layout.pageFontSize = 11;
            window->m_layout.pageFontBold = 1;
        }
    }

    void Open(CDlgAssRem& window)
    {
        window.Create();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    static void Post(QWidget& window, unsigned id, std::uintptr_t wParam, std::intptr_t lParam = 0)
    {
        ui::SendMessage(&window, ui::WindowMessage{id, wParam, lParam, nullptr});
    }

    struct Failure {
        std::uintptr_t status;
        std::intptr_t number;
        std::u16string text;
    };
    // Posts a failure status and checks its box: the exact text, no title,
    // the exclamation icon.
    void ExpectFailureBox(QWidget& window, const Failure& failure)
    {
        dialogs.ExpectMessageBox(ui::IDOK);
        const std::size_t before = dialogs.shown().size();
        Post(window, link::WM_REMOTE_STATUS, failure.status, failure.number);
        ASSERT_EQ(dialogs.shown().size(), before + 1) << failure.status;
        const uitest::ShownDialog& box = dialogs.shown().back();
        EXPECT_EQ(box.text, failure.text) << failure.status;
        EXPECT_EQ(box.caption, u"") << failure.status;
        EXPECT_EQ(box.style & ui::MB_ICONMASK, ui::MB_ICONEXCLAMATION) << failure.status;
    }

    dialogtest::ProgramHome home;
    RecordingApp app;
    uitest::ScriptedResponder dialogs;
    CDlgAssRemMaster master;
    CDlgAssRemSlave slave;
};

}  // namespace

TEST_F(RemoteWindows, TheMasterShowsEachStepOfTheHandshakeAndItsClose)
{
    Open(master);
    EXPECT_EQ(master.windowTitle(), QString("Assistance (master)"));
    EXPECT_EQ(master.Caption(1248).text(), QString("Bridge connected"));
    EXPECT_EQ(master.Caption(1249).text(), QString("Greeted"));
    EXPECT_EQ(master.Caption(1255).text(), QString("Id acknowledged"));
    EXPECT_EQ(master.Caption(1253).text(), QString("Slave started"));
    EXPECT_EQ(master.Caption(1251).text(), QString("Bridge server"));
    EXPECT_EQ(master.Caption(1261).text(), QString("Client id"));
    EXPECT_EQ(master.Caption(1257).text(), QString("Bytes per second"));
    EXPECT_EQ(master.Caption(1258).text(), QString("Received / expected"));
    EXPECT_EQ(master.Caption(1263).text(), QString("Traffic"));
    EXPECT_EQ(master.SendButton().text(), QString("Send id"));
    EXPECT_EQ(master.ConnectButton().text(), QString("Connect"));
    EXPECT_TRUE(master.m_bConnectMode);
    EXPECT_FALSE(ui::IsWindowEnabled(master.SendButton()));

    struct Step {
        std::uintptr_t status;
        std::array<bool, 4> lamps;  // 1247, 1250, 1256, 1254
        bool sendEnabled;
        const char* connectCaption;
        bool timer;
    };
    const Step steps[] = {
        {0, {true, false, false, false}, false, "Close", false},
        {1, {true, true, false, false}, true, "Close", false},
        {2, {true, true, true, false}, false, "Close", false},
        {14, {true, true, true, true}, false, "Close", true},
        {3, {false, false, false, false}, false, "Connect", false},
    };
    const int lampIds[] = {CDlgAssRemMaster::IDC_LED_CONNECTED, CDlgAssRemMaster::IDC_LED_GREETED,
                           CDlgAssRemMaster::IDC_LED_ID_ACK, CDlgAssRemMaster::IDC_LED_STARTED};
    for (const Step& step : steps) {
        Post(master, link::WM_REMOTE_STATUS, step.status);
        for (std::size_t lamp = 0; lamp < 4; ++lamp)
            EXPECT_EQ(Lit(master.Lamp(lampIds[lamp])), step.lamps[lamp]) << "status " << step.status << " lamp " << lamp;
        EXPECT_EQ(ui::IsWindowEnabled(master.SendButton()), step.sendEnabled) << step.status;
        EXPECT_EQ(master.ConnectButton().text(), QString(step.connectCaption)) << step.status;
        EXPECT_EQ(master.m_bConnectMode, step.status == 3) << step.status;
        EXPECT_EQ(master.TimerRunning(), step.timer) << step.status;
    }
    EXPECT_TRUE(master.AverageLabel().text().isEmpty());
    EXPECT_TRUE(master.RatioLabel().text().isEmpty());
    EXPECT_TRUE(dialogs.shown().empty());
}

// The connect button connects in connect mode and closes otherwise.
TEST_F(RemoteWindows, TheMasterConnectButtonConnectsOrCloses)
{
    Open(master);
    QTest::mouseClick(&master.ConnectButton(), Qt::LeftButton);
    Post(master, link::WM_REMOTE_STATUS, 0);
    QTest::mouseClick(&master.ConnectButton(), Qt::LeftButton);
    Post(master, link::WM_REMOTE_STATUS, 3);
    EXPECT_EQ(app.requests, (std::vector<RecordingApp::Request>{{link::WM_LINK_REMOTE_CONNECT, std::nullopt},
                                                                 {link::WM_LINK_REMOTE_CLOSE, std::nullopt}}));
}

// A slave gone: the bridge stays, and a new id may be sent.
TEST_F(RemoteWindows, ASlaveLostLeavesTheBridgeLampsAndEnablesTheSendButton)
{
    Open(master);
    for (std::uintptr_t status : {0u, 1u, 2u, 14u})
        Post(master, link::WM_REMOTE_STATUS, status);
    Post(master, link::WM_REMOTE_TIMEOUT, 0);
    EXPECT_TRUE(Lit(master.Lamp(CDlgAssRemMaster::IDC_LED_CONNECTED)));
    EXPECT_TRUE(Lit(master.Lamp(CDlgAssRemMaster::IDC_LED_GREETED)));
    EXPECT_FALSE(Lit(master.Lamp(CDlgAssRemMaster::IDC_LED_ID_ACK)));
    EXPECT_FALSE(Lit(master.Lamp(CDlgAssRemMaster::IDC_LED_STARTED)));
    EXPECT_TRUE(ui::IsWindowEnabled(master.SendButton()));
    EXPECT_FALSE(master.TimerRunning());
    EXPECT_FALSE(master.m_bConnectMode);
}

TEST_F(RemoteWindows, EveryMasterFailureIsToldExactlyAndResetsTheWindow)
{
    const Failure cases[] = {
        {4, 24, u"No socket (24)"},
        {5, 22, u"No non-blocking (22)"},
        {6, 111, u"No connect (111 - 127.0.0.1 - 4455)"},
        {7, 0, u"Greeting unsent"},
        {8, 0, u"No id answer"},
        {9, 0, u"Bridge silent"},
        {10, 0, u""},
        {99, 5, u""},
    };
    Open(master);
    for (const Failure& c : cases) {
        for (std::uintptr_t status : {0u, 1u, 2u, 14u})
            Post(master, link::WM_REMOTE_STATUS, status);
        ExpectFailureBox(master, c);
        EXPECT_TRUE(master.m_bConnectMode) << c.status;
        EXPECT_EQ(master.ConnectButton().text(), QString("Connect")) << c.status;
        EXPECT_FALSE(master.TimerRunning()) << c.status;
        EXPECT_FALSE(ui::IsWindowEnabled(master.SendButton())) << c.status;
        for (int lamp : {1247, 1250, 1256, 1254})
            EXPECT_FALSE(Lit(master.Lamp(lamp))) << c.status;
    }
    EXPECT_EQ(dialogs.shown().size(), std::size(cases));
}

TEST_F(RemoteWindows, AnIdFrameThatCouldNotBeSentIsToldAndItsLampGoesOff)
{
    Open(master);
    for (std::uintptr_t status : {0u, 1u, 2u})
        Post(master, link::WM_REMOTE_STATUS, status);
    dialogs.ExpectMessageBox(ui::IDOK, u"Id unsent");
    Post(master, link::WM_REMOTE_ID_SENT, 1);
    EXPECT_FALSE(Lit(master.Lamp(CDlgAssRemMaster::IDC_LED_ID_ACK)));
    EXPECT_EQ(dialogs.shown().back().caption, u"");
    Post(master, link::WM_REMOTE_ID_SENT, 0);
    EXPECT_TRUE(Lit(master.Lamp(CDlgAssRemMaster::IDC_LED_ID_ACK)));
}

// The id as typed goes with the master's request, complemented with the
// slave's; anything but 8 hexadecimal digits posts nothing.
TEST_F(RemoteWindows, ClientIdsAsTypedAndComplementedOnTheSlave)
{
    Open(master);
    Open(slave);
    Post(master, link::WM_REMOTE_STATUS, 0);
    Post(master, link::WM_REMOTE_STATUS, 1);
    for (const char* typed : {"1234ABC", "1234ABCDE", "1234ABCX", "1234ABCD"}) {
        for (CCtrlEditInfo* field : {&master.ClientIdField(), &slave.ClientIdField()}) {
            field->clear();
            QTest::keyClicks(field, typed);
        }
        QTest::mouseClick(&master.SendButton(), Qt::LeftButton);
        QTest::mouseClick(&slave.ConnectButton(), Qt::LeftButton);
    }
    EXPECT_EQ(app.requests, (std::vector<RecordingApp::Request>{
                                {link::WM_LINK_REMOTE_SEND_ID, Id{0x12, 0x34, 0xAB, 0xCD}},
                                {link::WM_LINK_REMOTE_CONNECT, Id{0xED, 0xCB, 0x54, 0x32}},
                            }));
}

TEST_F(RemoteWindows, StatisticsEverySecondFromTheWorkersCounters)
{
    Open(master);
    for (std::uintptr_t status : {0u, 1u, 2u, 14u})
        Post(master, link::WM_REMOTE_STATUS, status);
    const auto second = [this](int expected, int received) {
        {
            std::lock_guard lock(app.m_csRemoteCounters);
            app.m_nRemoteBytesTx = expected;
            app.m_nRemoteBytesRx = received;
        }
        Post(master, ui::WM_TIMER, CDlgAssRemMaster::kStatisticsTimer);
    };
    // An idle first second: nothing lost.
    second(0, 0);
    EXPECT_EQ(master.AverageLabel().text(), QString("0"));
    EXPECT_EQ(master.RatioLabel().text(), QString("100%"));
    EXPECT_EQ(master.RatioBar().GetValue(), 100);
    {
        std::lock_guard lock(app.m_csRemoteCounters);
        EXPECT_EQ(app.m_nRemoteBytesTx, 0);
        EXPECT_EQ(app.m_nRemoteBytesRx, 0);
    }
    // 301 received of 600 expected over two seconds: 150 a second, 50%.
    second(600, 301);
    EXPECT_EQ(master.AverageLabel().text(), QString("150"));
    EXPECT_EQ(master.RatioLabel().text(), QString("50%"));
    EXPECT_EQ(master.AverageBar().GetValue(), 150);
    EXPECT_EQ(master.RatioBar().GetValue(), 50);
    // Twenty more seconds push both out of the rings.
    for (int i = 0; i < 20; ++i)
        second(100, 99);
    EXPECT_EQ(master.AverageLabel().text(), QString("99"));
    EXPECT_EQ(master.RatioLabel().text(), QString("99%"));
    // A new start empties the rings.
    Post(master, link::WM_REMOTE_STATUS, 14);
    second(10, 0);
    EXPECT_EQ(master.AverageLabel().text(), QString("0"));
    EXPECT_EQ(master.RatioLabel().text(), QString("0%"));
}

TEST_F(RemoteWindows, TheSlaveShowsItsStatusesAndFailures)
{
    Open(slave);
    EXPECT_EQ(slave.windowTitle(), QString("Assistance (slave)"));
    EXPECT_EQ(slave.Caption(1260).text(), QString("Client id"));
    EXPECT_EQ(slave.Caption(1262).text(), QString("Connection"));
    EXPECT_EQ(slave.Caption(1264).text(), QString("Relay running"));
    EXPECT_EQ(slave.Caption(1265).text(), QString("Assisted while lit"));
    EXPECT_TRUE(slave.Caption(CDlgAssRemSlave::IDC_RULE).text().startsWith("____"));
    EXPECT_EQ(slave.ConnectButton().text(), QString("Connect slave"));

    Post(slave, link::WM_REMOTE_STATUS, 0);
    EXPECT_EQ(slave.ConnectButton().text(), QString("Close slave"));
    EXPECT_FALSE(slave.m_bConnectMode);
    EXPECT_FALSE(Lit(slave.Lamp()));
    Post(slave, link::WM_REMOTE_STATUS, 2);
    EXPECT_TRUE(Lit(slave.Lamp()));
    QTest::mouseClick(&slave.ConnectButton(), Qt::LeftButton);
    EXPECT_EQ(app.requests, (std::vector<RecordingApp::Request>{{link::WM_LINK_REMOTE_CLOSE, std::nullopt}}));
    Post(slave, link::WM_REMOTE_STATUS, 3);
    EXPECT_FALSE(Lit(slave.Lamp()));
    EXPECT_EQ(slave.ConnectButton().text(), QString("Connect slave"));
    EXPECT_TRUE(slave.m_bConnectMode);

    const Failure cases[] = {
        {4, 24, u"No socket (24)"},
        {5, 9, u"No non-blocking (9)"},
        {6, 110, u"No connect (110 - 127.0.0.1 - 4455)"},
        {10, 0, u"Slave greeting unsent"},
        {11, 0, u"Marker receive error"},
        {12, 0, u"No marker"},
        {13, 0, u"Echo unsent"},
        {7, 0, u""},
        {14, 0, u""},
    };
    for (const Failure& c : cases) {
        Post(slave, link::WM_REMOTE_STATUS, 0);
        Post(slave, link::WM_REMOTE_STATUS, 2);
        ExpectFailureBox(slave, c);
        EXPECT_FALSE(Lit(slave.Lamp())) << c.status;
        EXPECT_TRUE(slave.m_bConnectMode) << c.status;
        EXPECT_EQ(slave.ConnectButton().text(), QString("Connect slave")) << c.status;
    }
}

// OK (Enter), Cancel (Esc) and the close box keep a window whose bridge
// connection exists; without one they close it.
TEST_F(RemoteWindows, WhileConnectedTheWindowsStayOpen)
{
    for (CDlgAssRem* window : {static_cast<CDlgAssRem*>(&master), static_cast<CDlgAssRem*>(&slave)}) {
        Open(*window);
        app.m_hSocket = 7;
        Post(*window, link::WM_REMOTE_STATUS, 0);
        QTest::keyClick(window, Qt::Key_Escape);
        ui::SendMessage(window, ui::CommandMessage(ui::IDOK));
        window->close();
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->m_bCreated, 1);
        EXPECT_FALSE(window->CloseIfDisconnected());

        app.m_hSocket = -1;
        Post(*window, link::WM_REMOTE_STATUS, 3);
        QTest::keyClick(window, Qt::Key_Escape);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->m_bCreated, 0);
        // Opened again it shows its idle look.
        Open(*window);
        EXPECT_EQ(window->m_bCreated, 1);
        EXPECT_TRUE(window->m_bConnectMode);
        window->close();
        EXPECT_FALSE(window->isVisible());
    }
}

// The font of the dynamic windows and the window's colours on every
// control; a window smaller than its content scrolls by 10 pixels a line.
TEST_F(RemoteWindows, FontColoursAndScrolling)
{
    Open(master);
    const QFont& font = master.Font();
    EXPECT_EQ(font.family(), QString("DejaVu Serif"));
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(master.Caption(1248).font(), font);
    EXPECT_EQ(master.ConnectButton().font(), font);
    EXPECT_EQ(master.ClientIdField().font(), font);
    EXPECT_EQ(master.AverageBar().font(), font);
    EXPECT_EQ(master.Caption(1248).palette().color(QPalette::WindowText), ui::ToQColor(ui::RGB(0, 0, 160)));
    EXPECT_EQ(master.ConnectButton().m_textColour, ui::RGB(0, 0, 160));
    EXPECT_EQ(master.ClientIdField().m_textColour, ui::RGB(128, 0, 0));

    const QSize full = master.size();
    master.resize(full.width() / 2, full.height() / 2);
    QTest::qWait(20);
    QScrollBar* vertical = master.ScrollArea().verticalScrollBar();
    EXPECT_TRUE(vertical->isVisible());
    EXPECT_EQ(vertical->singleStep(), CDlgAssRem::kScrollLine);
    EXPECT_GT(vertical->maximum(), 0);
    master.resize(full);
    QTest::qWait(20);
    EXPECT_FALSE(vertical->isVisible()) << full.width() << "x" << full.height() << " content "
                                        << master.ScrollArea().widget()->minimumSizeHint().width() << "x"
                                        << master.ScrollArea().widget()->minimumSizeHint().height() << " viewport "
                                        << master.ScrollArea().viewport()->height();
}
