#pragma once

// Both page windows of the synthetic configuration, loaded as the view
// loads them, with the real link worker and the simulated ECU of the
// configuration's protocol (the second, unless the options' tags name
// another) on a pseudo-terminal behind COM3; a view stand-in that
// serves the engine's control check and counts the idle notices and the
// closes of the progress window.

#include "EcuTestRig.h"
#include "HostTestSupport.h"
#include "PagesFixture.h"
#include "ViewStandIn.h"
#include "link/ui/LinkUiSinkAdapter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

namespace vexar::pagestest {

class PagesOnLine : public ::testing::Test {
protected:
    explicit PagesOnLine(pagesfixture::PagesFixtureOptions options = {},
                         ecusim::Protocol protocol = ecusim::Protocol::Second)
        : m_protocol(protocol), rig(Simulator(protocol))
    {
        app.m_pUiSink = &adapter;
        fixture = std::make_unique<pagesfixture::PagesFixture>(app, std::getenv("VEXAR_HOME"), std::move(options));
        std::string error;
        EXPECT_TRUE(fixture->Load(error)) << error;
        view = std::make_unique<ViewStandIn>(app, fixture->Params().m_allTable);
        adapter.RegisterWindow(link::UiWindow::View, view.get());
        adapter.RegisterWindow(link::UiWindow::ProgressWindow, view.get());
        app.m_strConfigName = u"VXSIM-00001";
        app.m_comPorts = {linktest::EcuRig::kPort};
        app.m_nComPort = linktest::EcuRig::kPort;
    }
    ~PagesOnLine() override
    {
        adapter.BeginShutdown();
        app.SignalQuit();
        app.JoinLinkThread();
        fixture.reset();
        view.reset();
        app.m_pUiSink = nullptr;
    }

    static ecusim::SimulatorOptions Simulator(ecusim::Protocol protocol)
    {
        ecusim::SimulatorOptions options;
        options.protocol = protocol;
        options.baud = 19200;  // the synthetic configuration's speed
        return options;
    }
    static ecusim::SimulatorOptions SecondProtocol() { return Simulator(ecusim::Protocol::Second); }

    // Starts the worker, polling every 50 ms, and connects.
    void Connect()
    {
        const int configured = m_protocol == ecusim::Protocol::First ? 0 : 1;
        ASSERT_EQ(app.m_nProtocol, configured) << "the configuration speaks the simulated ECU's protocol";
        ASSERT_TRUE(app.StartLinkThread(&adapter));
        app.PostLinkRequest(link::WM_LINK_SET_POLL_PERIOD, 50);
        app.PostLinkRequest(link::WM_LINK_CONNECT);
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->idle > 0; }, 20000));
        ASSERT_EQ(app.m_bLinked, 1);
    }

    // Every request posted so far has been served: the worker takes them
    // in order, and a whole-image read ends by closing its progress window.
    void Served()
    {
        const int reads = view->progressClosed;
        app.PostLinkRequest(link::WM_LINK_READ_ALL);
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->progressClosed > reads; }, 20000));
    }

    ecusim::Protocol m_protocol = ecusim::Protocol::Second;
    linktest::EcuRig rig;
    link::LinkUiSinkAdapter adapter;
    CVEXARPages app{link::LinkTiming{.tickMs = 10, .protocol = {0.2, std::chrono::milliseconds(30)}}};
    std::unique_ptr<pagesfixture::PagesFixture> fixture;
    std::unique_ptr<ViewStandIn> view;
};

}  // namespace vexar::pagestest
