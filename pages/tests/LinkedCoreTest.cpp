// The contract against the real link worker and the simulated ECU on a
// pseudo-terminal, without a screen: a variable changed in the ECU reaches
// its live control; parameter edits reach the ECU; and the controls' stores
// and refreshes run beside the worker's polls and samples on the same
// images (the ThreadSanitizer build runs this too).
#include "CoreFixture.h"

#include "EcuTestRig.h"
#include "link/LinkMessages.h"

#include <chrono>
#include <thread>

using namespace vexar::pagestest;
using namespace std::chrono_literals;
using namespace vexar::link;
using vexar::ecusim::Image;
using vexar::linktest::EcuRig;

namespace {

constexpr const char* kIdent = "VXSIM-00001";

vexar::ecusim::SimulatorOptions SecondProtocol()
{
    vexar::ecusim::SimulatorOptions options;
    options.protocol = vexar::ecusim::Protocol::Second;
    options.ident = kIdent;
    return options;
}

class LinkedCore : public ::testing::Test {
protected:
    LinkedCore() : rig(SecondProtocol())
    {
        PrepareForSimulator(app, sink, EcuRig::kPort, par, par3, var);
    }
    ~LinkedCore() override
    {
        app.SignalQuit();
        app.JoinLinkThread();
        for (CoreTestCtrl* control : {&live, &value})
            sink.Unregister(control);
        app.m_pUiSink = nullptr;
    }

    void Connect()
    {
        sink.Register(&live);
        sink.Register(&value);
        par = {value.Entry()};
        var = {live.Entry()};
        app.PublishCtrlTables();
        app.PostLinkRequest(WM_LINK_SET_POLL_PERIOD, 50);
        ASSERT_TRUE(app.StartLinkThread(&sink));
        app.PostLinkRequest(WM_LINK_CONNECT);
        ASSERT_TRUE(sink.WaitFor(nullptr, WM_LINK_IDLE, 20s));
        ASSERT_EQ(app.m_bLinked, 1);
    }

    EcuRig rig;
    vexar::testing::QueuedUiSink sink;
    CVEXARPages app{LinkTiming{.tickMs = 10, .protocol = {0.2, 30ms}}};
    CTRL_TABLE par, par3, var;
    CoreTestCtrl live{app, LiveDef(203, 6)};
    CoreTestCtrl value{app, ValueDef(105, 20)};
};

// Once the worker has read the new bytes of the variable, the refresh it
// posts brings the new value into the live control. Nothing is asserted
// about how long that takes; the limit only guards against a hang.
TEST_F(LinkedCore, AVariableChangedInTheEcuReachesItsLiveControl)
{
    Connect();
    const std::uint8_t changed[] = {77};
    rig.sim().WriteImage(Image::Variables, 6, changed);
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (live.GetValue() != 77.0 && std::chrono::steady_clock::now() < limit) {
        sink.WaitFor(&live, WM_CTRL_REFRESH, 100ms);
        sink.ClearSeen();
        sink.Pump();
    }
    EXPECT_EQ(live.GetValue(), 77.0);
}

// A user edit while linked is written to the ECU's parameter image.
TEST_F(LinkedCore, AnEditWhileLinkedReachesTheEcu)
{
    Connect();
    value.UserSets(123);
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (rig.sim().ReadImage(Image::Parameters, 20, 1)[0] != 123 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(5ms);
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 20, 1)[0], 123);
}

// The controls store, write and refresh on this thread while the worker
// polls every 50 ms and samples every 20 ms on its own; the images are
// shared only through their locks.
TEST_F(LinkedCore, StoresAndRefreshesRunBesideThePollAndTheSampler)
{
    Connect();
    app.PostLinkRequest(WM_LINK_ACQ_START, 20);
    const auto end = std::chrono::steady_clock::now() + 1500ms;
    for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
        value.UserSets(i % 200);
        const std::uint8_t variable[] = {static_cast<std::uint8_t>(i)};
        rig.sim().WriteImage(Image::Variables, 6, variable);
        live.ReadRawValue();
        sink.Pump();
        std::this_thread::sleep_for(2ms);
    }
    app.PostLinkRequest(WM_LINK_ACQ_STOP);
    // The stop comes after every queued edit, each written at the line's pace.
    EXPECT_TRUE(sink.WaitFor(nullptr, WM_ACQ_STOPPED, 30s));
    EXPECT_EQ(app.m_bLinked, 1);
}

}  // namespace
