// The link worker's OBD side through the real adapter library against the
// simulated adapter on pseudo-terminals behind COM<n>: the connect over
// the port list, the poll rotation one PID a tick, the all-PIDs poll, the
// code read and clear, the link check, and the PID selection file.
#include "link/CVEXARLink.h"

#include "RecordingUiSink.h"
#include "TempDir.h"
#include "common/CStdioFileEx.h"
#include "testing/obdsim/ObdSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using vexar::link::CVEXARLink;
using vexar::link::OBD_DTC_LIST;
using vexar::link::OBD_PID_RESULT;
using vexar::link::ObdForm;
using vexar::link::UiWindow;
using vexar::obdsim::ObdSimulator;

namespace {

// Keeps copies of the OBD records as they arrive.
class ObdSink : public vexar::linktest::RecordingUiSink {
public:
    struct Value {
        UiWindow window;
        int pid;
        OBD_PID_RESULT result;
    };
    void Post(UiWindow window, const IDataCtrl* control, vexar::link::LinkMessage message) override
    {
        {
            std::lock_guard lock(m_recordsLock);
            if (const auto* value = dynamic_cast<const OBD_PID_RESULT*>(message.payload.get()))
                m_values.push_back({window, static_cast<int>(message.wParam), *value});
            if (const auto* list = dynamic_cast<const OBD_DTC_LIST*>(message.payload.get()))
                m_lists.push_back(*list);
        }
        RecordingUiSink::Post(window, control, std::move(message));
    }
    std::vector<Value> Values() const
    {
        std::lock_guard lock(m_recordsLock);
        return m_values;
    }
    std::vector<OBD_DTC_LIST> Lists() const
    {
        std::lock_guard lock(m_recordsLock);
        return m_lists;
    }

private:
    mutable std::mutex m_recordsLock;
    std::vector<Value> m_values;
    std::vector<OBD_DTC_LIST> m_lists;
};

// The service 01 PIDs and other requests the simulator heard, in order.
std::vector<std::string> Heard(const ObdSimulator& sim)
{
    using vexar::obdsim::FrameRecord;
    std::vector<std::string> requests;
    for (const FrameRecord& record : sim.FrameLog()) {
        vexar::obdsim::Frame frame;
        if (record.kind == FrameRecord::Kind::Request && record.bytes.size() >= 2 &&
            vexar::obdsim::DecodeFrame(std::string(record.bytes.begin() + 1, record.bytes.end() - 1), frame) ==
                vexar::obdsim::Decoded::Ok)
            requests.push_back(frame.type + frame.data);
    }
    return requests;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

const char kCar[] =
    "protocol 3\n"
    "ecu 10\n"
    "pid 03 02 00\n"
    "pid 05 7B\n"
    "pid 0C 1A F8\n"
    "pid 0D 32\n"
    "dtc P0133 P0420\n";

class LinkObd : public ::testing::Test {
protected:
    LinkObd()
    {
        const char* saved = std::getenv("VEXAR_COM_DIR");
        if (saved)
            m_savedCom = saved;
        ::setenv("VEXAR_COM_DIR", m_comDir.path().c_str(), 1);
    }
    ~LinkObd() override
    {
        if (m_app) {
            m_app->SignalQuit();
            m_app->JoinLinkThread();
        }
        if (m_savedCom.empty())
            ::unsetenv("VEXAR_COM_DIR");
        else
            ::setenv("VEXAR_COM_DIR", m_savedCom.c_str(), 1);
    }

    ObdSimulator& AddAdapter(int com, const std::string& scenario, bool answers = true)
    {
        auto sim = std::make_unique<ObdSimulator>();
        vexar::obdsim::Scenario parsed;
        std::string error;
        EXPECT_TRUE(vexar::obdsim::ParseScenario(scenario, parsed, error)) << error;
        sim->SetScenario(parsed);
        if (!answers)
            sim->SetWakeAnswer({});
        EXPECT_TRUE(sim->Start(error)) << error;
        EXPECT_TRUE(sim->PublishCom(m_comDir.path(), com, error)) << error;
        m_sims.push_back(std::move(sim));
        return *m_sims.back();
    }

    // The application with the library bound and its worker running, the
    // view and the live-values window there; requests `pids`.
    CVEXARLink& MakeApp(std::vector<unsigned> ports, std::vector<int> pids, unsigned checkTicks = 20)
    {
        vexar::link::LinkTiming timing;
        timing.obdCheckTicks = checkTicks;
        m_app = std::make_unique<CVEXARLink>(timing);
        m_app->BindObdLibraryFrom(OBDVANE_FILE);
        EXPECT_NE(m_app->m_hObdLib, nullptr);
        m_app->ClearPidTables();
        for (int pid : pids)
            m_app->m_nPidRequested[pid] = 1;
        m_app->m_comPorts = std::move(ports);
        m_app->m_bObdViewExists = true;
        m_app->m_bPetrolWindowCreated = true;
        EXPECT_TRUE(m_app->StartLinkThread(&m_sink));
        m_app->PostLinkRequest(vexar::link::WM_LINK_OBD_SET_PERIOD, 10);
        return *m_app;
    }

    // Connects and waits for the link state; its (wParam, lParam).
    std::pair<std::uintptr_t, std::intptr_t> Connect()
    {
        m_app->PostLinkRequest(vexar::link::WM_LINK_OBD_CONNECT);
        EXPECT_TRUE(m_sink.WaitFor(vexar::link::WM_OBD_LINK_STATE, 1, 20s));
        for (const auto& post : m_sink.Posts())
            if (post.message == vexar::link::WM_OBD_LINK_STATE)
                return {post.wParam, post.lParam};
        return {99, 99};
    }

    // The service 01 PIDs asked for, in order.
    static std::vector<int> PolledPids(const ObdSimulator& sim)
    {
        std::vector<int> pids;
        for (const std::string& request : Heard(sim))
            if (request.size() == 6 && request.rfind("SP01", 0) == 0)
                pids.push_back(std::stoi(request.substr(4), nullptr, 16));
        return pids;
    }

    vexar::testing::TempDir m_comDir;
    std::string m_savedCom;
    std::vector<std::unique_ptr<ObdSimulator>> m_sims;
    ObdSink m_sink;
    std::unique_ptr<CVEXARLink> m_app;
};

TEST_F(LinkObd, TheScanPassesASilentPortAndPollsTheRequestedPidsInTurn)
{
    ObdSimulator& silent = AddAdapter(3, kCar, false);
    ObdSimulator& adapter = AddAdapter(5, kCar);
    MakeApp({3, 5}, {0x0C, 0x0D});
    const auto state = Connect();
    EXPECT_EQ(state.first, 1u);
    EXPECT_EQ(state.second, -2) << "the code of the port that did not answer stands";
    EXPECT_GT(silent.CountRecords(vexar::obdsim::FrameRecord::Kind::WakeUp), 0u) << "port 3 was opened";
    const auto posts = m_sink.Posts();
    ASSERT_GE(posts.size(), 2u);
    EXPECT_EQ(posts[posts.size() - 2].message, vexar::link::WM_LINK_IDLE);

    adapter.ClearFrameLog();
    ASSERT_TRUE(WaitUntil([&] { return m_sink.Values().size() >= 4; }));
    const std::vector<int> polled = PolledPids(adapter);
    ASSERT_GE(polled.size(), 4u);
    EXPECT_EQ(std::vector<int>(polled.begin(), polled.begin() + 4), (std::vector<int>{0x0C, 0x0D, 0x0C, 0x0D}));
    const auto values = m_sink.Values();
    EXPECT_EQ(values[0].window, UiWindow::PetrolWindow);
    const auto rpm = std::find_if(values.begin(), values.end(), [](const auto& v) { return v.pid == 0x0C; });
    ASSERT_NE(rpm, values.end());
    EXPECT_EQ(rpm->result.status, 0);
    EXPECT_EQ(rpm->result.form, ObdForm::OneInteger);
    EXPECT_EQ(rpm->result.integer, 1726);
    EXPECT_EQ(silent.CountRequests("SP"), 0u);

    // The quit closes the adapter and tells the view.
    m_app->SignalQuit();
    m_app->JoinLinkThread();
    const auto last = m_sink.Posts();
    const auto closed = std::count_if(last.begin(), last.end(), [](const auto& p) {
        return p.message == vexar::link::WM_OBD_LINK_STATE && p.wParam == 0 && p.lParam == 0;
    });
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(m_app->m_bObdLinked, 0);
}

TEST_F(LinkObd, NoPortOrNoAdapterReportsMinusTwo)
{
    MakeApp({}, {0x0C});
    EXPECT_EQ(Connect(), (std::pair<std::uintptr_t, std::intptr_t>{0, -2}));
    EXPECT_EQ(m_sink.Count(vexar::link::WM_LINK_IDLE), 1u);
}

TEST_F(LinkObd, EverySupportedPidButTheNeverPolledOnesWhileAllPidsIsOn)
{
    ObdSimulator& adapter = AddAdapter(5, std::string(kCar) + "pid 00 FF FF FF FF\npid 20 FF FF FF FF\n"
                                                              "pid 40 FF FF FF FF\n");
    CVEXARLink& app = MakeApp({5}, {0x0C}, 60000);
    ASSERT_EQ(Connect().first, 1u);
    app.m_bPetrolWindowCreated = false;
    app.m_bPetrolAcqShown = true;
    adapter.ClearFrameLog();
    app.PostLinkRequest(vexar::link::WM_LINK_OBD_ALL_PIDS_ON);
    // Two rounds of the whole rotation.
    ASSERT_TRUE(WaitUntil([&] {
        const auto pids = PolledPids(adapter);
        return std::count(pids.begin(), pids.end(), 0x4C) >= 2;
    }, 60s));
    const std::vector<int> polled = PolledPids(adapter);
    const std::set<int> heard(polled.begin(), polled.end());
    for (int never : {0x00, 0x02, 0x12, 0x1C, 0x1E, 0x20, 0x21, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x40, 0x41,
                      0x42, 0x4D, 0x4F, 0x50})
        EXPECT_EQ(heard.count(never), 0u) << std::hex << never;
    for (int pid : {0x01, 0x03, 0x13, 0x1D, 0x1F, 0x22, 0x3F, 0x43, 0x4C})
        EXPECT_EQ(heard.count(pid), 1u) << std::hex << pid;
    const auto values = m_sink.Values();
    EXPECT_TRUE(std::all_of(values.begin(), values.end(), [](const auto& v) { return v.window == UiWindow::PetrolAcqPage; }))
        << "the live-values window is not there";

    // All-PIDs off: only the requested PID again, to the live window.
    app.m_bPetrolWindowCreated = true;
    app.PostLinkRequest(vexar::link::WM_LINK_OBD_ALL_PIDS_OFF);
    ASSERT_TRUE(WaitUntil([&] { return !PolledPids(adapter).empty(); }));
    std::this_thread::sleep_for(100ms);
    adapter.ClearFrameLog();
    std::this_thread::sleep_for(200ms);
    const std::vector<int> after = PolledPids(adapter);
    ASSERT_FALSE(after.empty());
    EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](int pid) { return pid == 0x0C; }));
}

TEST_F(LinkObd, CodesAreReadWithNothingActiveAndCleared)
{
    ObdSimulator& adapter = AddAdapter(5, kCar);
    CVEXARLink& app = MakeApp({5}, {});
    ASSERT_EQ(Connect().first, 1u);
    adapter.ClearFrameLog();
    app.m_bPetrolDtcShown = true;
    app.PostLinkRequest(vexar::link::WM_LINK_OBD_DTC_ON);
    ASSERT_TRUE(WaitUntil([&] { return !m_sink.Lists().empty(); }));
    const OBD_DTC_LIST list = m_sink.Lists().front();
    EXPECT_EQ(list.status, 0);
    ASSERT_EQ(list.count, 2) << "read without any PID 01 before it";
    EXPECT_EQ(list.codes.size(), 127u * 5u);
    EXPECT_EQ(std::string(list.codes.data(), 10), "P0133P0420");
    EXPECT_TRUE(PolledPids(adapter).empty()) << "no PID is active";

    app.PostLinkRequest(vexar::link::WM_LINK_OBD_CLEAR_DTC);
    ASSERT_TRUE(WaitUntil([&] { return adapter.GetScenario().ecus.at(0).dtcs.empty(); }));
    const std::size_t seen = m_sink.Lists().size();
    ASSERT_TRUE(WaitUntil([&] { return m_sink.Lists().size() > seen + 1; }));
    EXPECT_EQ(m_sink.Lists().back().count, 0);

    // Neither window: a tick does nothing at all.
    app.m_bPetrolWindowCreated = false;
    std::this_thread::sleep_for(100ms);
    adapter.ClearFrameLog();
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(Heard(adapter).empty());
}

TEST_F(LinkObd, FailedReadsArmTheCheckOnceASuccessCancelsIt)
{
    ObdSimulator& adapter = AddAdapter(5, kCar);
    CVEXARLink& app = MakeApp({5}, {0x0C, 0x0D}, 30);
    ASSERT_EQ(Connect().first, 1u);

    // 0C fails at every read, 0D answers: the check never comes.
    adapter.InjectFault("SP010C", vexar::obdsim::Fault{vexar::obdsim::FaultKind::Nak}, vexar::obdsim::Repeat::Always);
    adapter.ClearFrameLog();
    std::this_thread::sleep_for(800ms);
    EXPECT_EQ(adapter.CountRequests("EC"), 0u) << "no reconnect";
    const auto values = m_sink.Values();
    EXPECT_TRUE(std::any_of(values.begin(), values.end(), [](const auto& v) { return v.pid == 0x0C && v.result.status != 0; }))
        << "a failed read is still posted";

    // Only failures: the check reconnects and polling goes on.
    {
        std::lock_guard lock(app.m_csPid);
        app.m_nPidRequested[0x0D] = 0;
    }
    app.PostLinkRequest(vexar::link::WM_LINK_OBD_ROUND_ROBIN);
    ASSERT_TRUE(WaitUntil([&] { return adapter.CountRequests("EC") >= 1; }));
    adapter.ClearFaults();
    adapter.ClearFrameLog();
    ASSERT_TRUE(WaitUntil([&] { return PolledPids(adapter).size() >= 3; })) << "polling resumed";
    EXPECT_EQ(app.m_bObdLinked, 1);

    // The adapter falls silent: the check fails, the link closes (0, -2).
    adapter.SetWakeAnswer({});
    adapter.InjectFault("SP", vexar::obdsim::Fault{vexar::obdsim::FaultKind::NoReply}, vexar::obdsim::Repeat::Always);
    ASSERT_TRUE(m_sink.WaitFor(vexar::link::WM_OBD_LINK_STATE, 2, 30s));
    const auto posts = m_sink.Posts();
    const auto last = std::find_if(posts.rbegin(), posts.rend(),
                                   [](const auto& p) { return p.message == vexar::link::WM_OBD_LINK_STATE; });
    EXPECT_EQ(last->wParam, 0u);
    EXPECT_EQ(last->lParam, -2);
    EXPECT_EQ(app.m_bObdLinked, 0);
    EXPECT_EQ(app.m_bObdReadDtc, 0);
}

// The requested PIDs of a selection file.
TEST(LinkObdPidList, TheSelectionFile)
{
    vexar::testing::TempDir folder;
    using Table = CVEXARLink::PidTable;
    auto only = [](std::vector<int> pids) {
        Table table{};
        for (int pid : pids)
            table[pid] = 1;
        return table;
    };
    const Table defaults = CVEXARLink::DefaultPidRequest();
    EXPECT_EQ(std::count(defaults.begin(), defaults.end(), 1), 30);
    EXPECT_EQ(defaults[0x03] + defaults[0x06] + defaults[0x09] + defaults[0x0B] + defaults[0x14] + defaults[0x3B], 6);
    EXPECT_EQ(defaults[0x0C] + defaults[0x1C], 0);

    const struct {
        const char* name;
        std::u16string text;
        bool unicode;
        Table expected;
    } cases[] = {
        {"empty", u"", false, Table{}},
        {"comment", u"PID0C\t// Engine speed\r\n", false, only({0x0C})},
        {"above 60 or unreadable", u"PIDFF\nPIDzz\nPID61\nnothing\nxxPID 5\n", false, only({0x05})},
        {"unicode", u"PID0D\t// Speed\r\nPID01\t// Status\r\n", true, only({0x01, 0x0D})},
        {"lower case and prefix", u"PID0a\nPID60\n", false, only({0x0A, 0x60})},
    };
    for (const auto& c : cases) {
        const std::string path = folder.file(std::string(c.name) + ".cfg");
        CStdioFileEx file;
        ASSERT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::typeText |
                                        (c.unicode ? CStdioFileEx::modeWriteUnicode : 0u)));
        ASSERT_TRUE(file.WriteString(c.text));
        ASSERT_TRUE(file.Close());
        const auto read = CVEXARLink::ReadPidFile(path);
        ASSERT_TRUE(read.has_value()) << c.name;
        EXPECT_EQ(*read, c.expected) << c.name;
    }

    // No file: the defaults; the tables are reset for the connect.
    CVEXARLink app;
    app.m_nPidSupported.fill(1);
    app.m_nPidActive.fill(1);
    app.ReadPidList(folder.file("PID.cfg"));
    EXPECT_EQ(app.m_nPidRequested, defaults);
    EXPECT_EQ(std::count(app.m_nPidSupported.begin(), app.m_nPidSupported.end(), 1), 1);
    EXPECT_EQ(app.m_nPidSupported[0], 1);
    EXPECT_EQ(std::count(app.m_nPidActive.begin(), app.m_nPidActive.end(), 1), 0);
    app.ReadPidList(folder.file("empty.cfg"));
    EXPECT_EQ(app.m_nPidRequested, Table{}) << "a file with no PID requests nothing";
}

TEST(LinkObdRecords, EachFormHasItsSize)
{
    const struct {
        int pid;
        int size;
    } cases[] = {{0x01, 108}, {0x03, 6}, {0x0B, 12}, {0x4C, 12}, {0x0C, 8}, {0x46, 8}, {0x06, 20}, {0x3B, 20},
                 {0x13, 36}, {0x1D, 36}, {0x00, 0}, {0x02, 0}, {0x12, 0}, {0x20, 0}, {0x2C, 0}, {0x42, 0}, {0x4D, 0}};
    for (const auto& c : cases) {
        std::unique_ptr<OBD_PID_RESULT> record;
        int size = -1;
        EXPECT_EQ(CVEXARLink::ObdReplySize(c.pid, record, size), c.size != 0) << std::hex << c.pid;
        EXPECT_EQ(size, c.size) << std::hex << c.pid;
        EXPECT_EQ(record != nullptr, c.size != 0) << std::hex << c.pid;
    }
}

}  // namespace
