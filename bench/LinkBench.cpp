// Link benchmark against the simulated ECU with its wire model on: every
// byte takes its ten bit times on the line in both directions. Measures the
// whole-image read and write in both protocols at 9600, 19200 and 57600
// baud (the first protocol with an image of 256 bytes, the most its
// one-byte indexes reach; the second with the synthetic configuration's
// parameter area), and the time from a variable changing in the ECU to the
// refresh of its control.
//
// For each transfer it prints the measured time, the wire minimum (every
// byte of every request and reply as the simulator logged them, ten bits
// each, plus the protocol's fixed pauses, which are none on a clean line:
// the 200 ms pause follows only a failed attempt) and their ratio.

#include "config/CControlliConfigurati.h"
#include "config/IDataCtrl.h"
#include "link/CVEXARLink.h"
#include "link/LinkMessages.h"
#include "testing/ecusim/EcuSimulator.h"
#include "testing/controls/TestControls.h"
#include "testing/fixtures/DefinitionFixtures.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <random>
#include <stdexcept>
#include <sys/prctl.h>
#include <string>
#include <thread>
#include <vector>

using namespace vexar::link;
using vexar::testing::DefinitionOnlyCtrl;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kComPort = 3;
constexpr long kBauds[] = {9600, 19200, 57600};

// A failed step of the benchmark: main reports it and exits non-zero,
// after the scratch folders are gone.
struct BenchFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The program folder and the COM folder of the run, under one scratch
// folder that goes with the object, however the run ends.
class Folders {
public:
    Folders()
    {
        char pattern[] = "/tmp/vexar-link-bench-XXXXXX";
        if (!mkdtemp(pattern))
            throw BenchFailure("cannot make a scratch folder");
        root = pattern;
        home = root + "/home";
        comDir = root + "/COM";
        std::filesystem::create_directories(home + "/Log");
        std::filesystem::create_directories(comDir);
        setenv("VEXAR_HOME", home.c_str(), 1);
        setenv("VEXAR_COM_DIR", comDir.c_str(), 1);
    }
    ~Folders()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    Folders(const Folders&) = delete;
    Folders& operator=(const Folders&) = delete;

    std::string root;
    std::string home;
    std::string comDir;
};

// The bytes of every request and reply the simulator logged.
std::size_t WireBytes(const vexar::ecusim::EcuSimulator& sim)
{
    std::size_t bytes = 0;
    for (const auto& record : sim.FrameLog())
        if (record.kind == vexar::ecusim::FrameRecord::Kind::Request ||
            record.kind == vexar::ecusim::FrameRecord::Kind::Reply)
            bytes += record.bytes.size();
    return bytes;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Notes when each refresh of a control arrives.
class RefreshSink : public ILinkUiSink {
public:
    void Post(UiWindow, const IDataCtrl*, LinkMessage message) override
    {
        if (message.id != WM_CTRL_REFRESH && message.id != WM_LINK_IDLE)
            return;
        std::lock_guard lock(m_lock);
        (message.id == WM_LINK_IDLE ? m_idle : m_refreshes).push_back(Clock::now());
        m_changed.notify_all();
    }
    void ShowError(std::u16string) override {}

    bool WaitRefreshes(std::size_t count, Clock::duration limit)
    {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, limit, [&] { return m_refreshes.size() >= count; });
    }
    bool WaitIdle(Clock::duration limit)
    {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, limit, [&] { return !m_idle.empty(); });
    }
    Clock::time_point Refresh(std::size_t i)
    {
        std::lock_guard lock(m_lock);
        return m_refreshes.at(i);
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Clock::time_point> m_refreshes;
    std::vector<Clock::time_point> m_idle;
};

std::unique_ptr<vexar::ecusim::EcuSimulator> StartSimulator(const Folders& folders, int protocol, long baud)
{
    vexar::ecusim::SimulatorOptions options;
    options.protocol = protocol == 0 ? vexar::ecusim::Protocol::First : vexar::ecusim::Protocol::Second;
    options.baud = baud;
    options.wireTiming = true;
    options.ident = "VXG4_R0107A";
    auto sim = std::make_unique<vexar::ecusim::EcuSimulator>(options);
    std::string error;
    if (!sim->Start(error) || !sim->PublishCom(folders.comDir, kComPort, error))
        throw BenchFailure("simulator: " + error);
    return sim;
}

void Configure(CVEXARLink& app, int protocol, long baud, int parSize, int varSize)
{
    app.m_nProtocol = protocol;
    app.m_nBaud = static_cast<int>(baud);
    app.m_nBaudRequested = static_cast<int>(baud);
    app.m_strConfigName = u"VXG4_R0107A";
    app.m_comPorts = {kComPort};
    app.m_nComPort = kComPort;
    app.ResizeImages(parSize, varSize);
}

void PrintRow(const char* what, int protocol, long baud, int bytes, double measured, double minimum)
{
    std::printf("%-6s  protocol %d  %6ld baud  %5d-byte image  measured %9.1f ms  wire minimum %9.1f ms  ratio %.3f\n",
                what, protocol + 1, baud, bytes, measured * 1000.0, minimum * 1000.0, measured / minimum);
}

void BenchWholeImage(const Folders& folders, int protocol, long baud, int parSize)
{
    auto sim = StartSimulator(folders, protocol, baud);
    std::vector<std::uint8_t> image(static_cast<std::size_t>(parSize));
    std::mt19937 random(7);
    for (auto& byte : image)
        byte = static_cast<std::uint8_t>(random());
    sim->WriteImage(vexar::ecusim::Image::Parameters, 0, image);

    CVEXARLink app(LinkTiming{});
    Configure(app, protocol, baud, parSize, 16);
    app.Connect();  // reads the image once
    if (!app.m_bLinked)
        throw BenchFailure("protocol " + std::to_string(protocol + 1) + " at " + std::to_string(baud) + " baud: no link");

    sim->ClearFrameLog();
    auto start = Clock::now();
    app.ReadWholeImage();
    double measured = Seconds(Clock::now() - start);
    double minimum = static_cast<double>(WireBytes(*sim)) * 10.0 / static_cast<double>(baud);
    PrintRow("read", protocol, baud, parSize, measured, minimum);
    {
        std::lock_guard lock(app.m_csParImage);
        if (!std::equal(image.begin(), image.end(), app.m_pParMaster.get()))
            throw BenchFailure("protocol " + std::to_string(protocol + 1) + " at " + std::to_string(baud) +
                               " baud: the image read differs from the ECU's");
    }

    sim->ClearFrameLog();
    start = Clock::now();
    app.WriteWholeImage();
    measured = Seconds(Clock::now() - start);
    minimum = static_cast<double>(WireBytes(*sim)) * 10.0 / static_cast<double>(baud);
    PrintRow("write", protocol, baud, parSize, measured, minimum);

    app.Disconnect(LINK_OK);
    sim->Stop();
}

// The second protocol at 19200 baud with the poll every 100 ms: the ECU
// changes one word at a random moment; how long until its control hears?
void BenchPollLatency(const Folders& folders)
{
    constexpr long kBaud = 19200;
    constexpr int kPeriodMs = 100;
    constexpr int kChanges = 30;
    auto sim = StartSimulator(folders, 1, kBaud);

    REC_CONTROLLO definition;
    definition.ID_GUI = 201;
    definition.CATEGORIA = 16;  // CTRL_RPM
    definition.TIPO = 3;        // DATO_UWORD
    definition.MASCHERA = 0xFFFF;
    definition.LSB = 0;
    DefinitionOnlyCtrl control(definition);
    CTRL_TABLE placed{CTRL_WND{201, 16, 0, 0, 2, 0, false, &control}};

    RefreshSink sink;
    CVEXARLink app(LinkTiming{});
    Configure(app, 1, kBaud, 50, 64);
    app.m_pVarTable = &placed;
    app.m_pVarTable2 = &placed;
    app.PublishCtrlTables();
    app.m_bVarPageShown = true;
    app.StartLinkThread(&sink);
    app.PostLinkRequest(WM_LINK_SET_POLL_PERIOD, kPeriodMs);
    app.PostLinkRequest(WM_LINK_CONNECT);
    if (!sink.WaitIdle(std::chrono::seconds(20)) || !sink.WaitRefreshes(1, std::chrono::seconds(5)))
        throw BenchFailure("poll latency: no link");
    // One poll: the covering read of the word, request and reply.
    sim->ClearFrameLog();
    std::this_thread::sleep_for(std::chrono::milliseconds(kPeriodMs * 3 + 50));
    std::size_t pollBytes = 0, polls = 0;
    for (const auto& record : sim->FrameLog()) {
        pollBytes += record.bytes.size();
        polls += record.kind == vexar::ecusim::FrameRecord::Kind::Request ? 1 : 0;
    }
    const double frameTime = polls ? static_cast<double>(pollBytes) / static_cast<double>(polls) * 10.0 / kBaud : 0.0;

    std::mt19937 random(11);
    std::uniform_int_distribution<int> offset(0, kPeriodMs);
    double total = 0.0, worst = 0.0;
    for (int i = 0; i < kChanges; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(offset(random)));
        const std::uint8_t value[2] = {static_cast<std::uint8_t>(i + 1), static_cast<std::uint8_t>(i * 3)};
        const auto changed = Clock::now();
        sim->WriteImage(vexar::ecusim::Image::Variables, 0, value);
        if (!sink.WaitRefreshes(static_cast<std::size_t>(i) + 2, std::chrono::seconds(2)))
            throw BenchFailure("poll latency: change " + std::to_string(i) + " never shown");
        const double latency = Seconds(sink.Refresh(static_cast<std::size_t>(i) + 1) - changed);
        total += latency;
        worst = std::max(worst, latency);
    }
    const double bound = kPeriodMs / 1000.0 + frameTime;
    std::printf("poll    protocol 2   %5ld baud  period %d ms, frame %.1f ms: changed variable shown after "
                "%.1f ms on average, %.1f ms at worst; bound (period + frame) %.1f ms, worst/bound %.3f\n",
                kBaud, kPeriodMs, frameTime * 1000.0, total / kChanges * 1000.0, worst * 1000.0, bound * 1000.0,
                worst / bound);
    app.SignalQuit();
    app.JoinLinkThread();
    sim->Stop();
}

void Run()
{
    const Folders folders;
    vexar::fixtures::SyntheticConfiguration config;
    std::string error;
    if (!vexar::fixtures::InstallSyntheticConfiguration(folders.home, config, error))
        throw BenchFailure("synthetic configuration: " + error);
    CControlliConfigurati parameters(config.par, u"InfoControlliPC");
    std::u16string language = u"English";
    if (parameters.Load(language, {u"English", u"Italiano"}) != 0)
        throw BenchFailure("synthetic configuration: the parameter definitions do not load");
    const int syntheticSize = parameters.GetParamAreaSize();

    for (long baud : kBauds)
        BenchWholeImage(folders, 0, baud, 256);
    for (long baud : kBauds)
        BenchWholeImage(folders, 1, baud, syntheticSize);
    BenchPollLatency(folders);
}

}  // namespace

int main()
{
    // The simulator paces each byte with a timed wait; the kernel's default
    // timer slack (50 us) would add to every byte a delay no serial line
    // has. Threads started from here on inherit the tight slack.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    try {
        Run();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "link_bench: %s\n", failure.what());
        return 1;
    }
    return 0;
}
