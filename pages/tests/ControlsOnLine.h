#pragma once

// Controls made by hand on one shown page, with the real link worker and
// the simulated ECU of the second protocol on a pseudo-terminal behind
// COM3: the pages side prepared for the simulator, a sink that notes the
// refreshes it posts, a view stand-in that serves the engine's control
// check and counts the idle notices and the closes of the progress window,
// and a line edit below right that takes the focus from a field.

#include "CoreFixture.h"
#include "EcuTestRig.h"
#include "GaugeFixture.h"
#include "NotingAdapter.h"
#include "ViewStandIn.h"
#include "link/LinkMessages.h"
#include "pages/core/CVEXARPages.h"

#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

namespace vexar::pagestest {

class ControlsOnLine : public ::testing::Test {
protected:
    // A page of `width` x `height` pixels whose controls stand in cells of
    // 200 x `cellHeight`.
    ControlsOnLine(std::int32_t width, std::int32_t height, std::int32_t cellHeight)
        : rig(SecondProtocol()), view(app, par), m_grid(PageGrid(width, height, 200, cellHeight))
    {
        adapter.sim = &rig.sim();
        PrepareForSimulator(app, adapter, linktest::EcuRig::kPort, par, par3, var);
        adapter.RegisterWindow(link::UiWindow::View, &view);
        adapter.RegisterWindow(link::UiWindow::ProgressWindow, &view);
        page.resize(width, height);
        page.show();
        next.setParent(&page);
        next.setGeometry(width - 100, height - 40, 80, 24);
        next.show();
    }
    ~ControlsOnLine() override
    {
        adapter.BeginShutdown();
        app.SignalQuit();
        app.JoinLinkThread();
        for (CTRL_TABLE* table : {&par, &var})
            for (CTRL_WND& entry : *table)
                delete dynamic_cast<QWidget*>(entry.wnd);
        app.m_pUiSink = nullptr;
    }

    static ecusim::SimulatorOptions SecondProtocol()
    {
        ecusim::SimulatorOptions options;
        options.protocol = ecusim::Protocol::Second;
        return options;
    }

    // A control made by `creator` at `row` and `column` of the page, listed
    // in `table`.
    template <class Control>
    Control* Place(bool (*creator)(const CTRL_CREATE&, Control*&), const REC_CONTROLLO& definition,
                   CTRL_TABLE& table, std::int32_t row, std::int32_t column, std::int32_t family = 0)
    {
        const CTRL_CREATE args =
            CreateArgs(app, page, m_grid, definition, {.row = row, .column = column, .family = family});
        Control* control = nullptr;
        EXPECT_TRUE(creator(args, control));
        table.push_back(control->Entry());
        return control;
    }

    // Publishes the control tables and starts the worker; with `pollMs`
    // it polls that often, else at the link's own period.
    void StartLink(std::uintptr_t pollMs = 0)
    {
        app.PublishCtrlTables();
        if (pollMs != 0)
            app.PostLinkRequest(link::WM_LINK_SET_POLL_PERIOD, pollMs);
        EXPECT_TRUE(app.StartLinkThread(&adapter));
    }

    // Connects and waits for the whole-image read of the connect.
    void Connect()
    {
        app.PostLinkRequest(link::WM_LINK_CONNECT);
        ASSERT_TRUE(QTest::qWaitFor([&] { return view.idle > 0; }, 20000));
        ASSERT_EQ(app.m_bLinked, 1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return view.progressClosed > 0; }, 10000));
    }
    // Waits while the worker polls `polls` more times.
    void AwaitPolls(std::size_t polls)
    {
        const std::size_t seen = rig.sim().CountRequests(5);
        EXPECT_TRUE(QTest::qWaitFor([&] { return rig.sim().CountRequests(5) >= seen + polls; }, 10000));
    }

    linktest::EcuRig rig;
    NotingAdapter adapter;
    CVEXARPages app{link::LinkTiming{.tickMs = 10, .protocol = {0.2, std::chrono::milliseconds(30)}}};
    CTRL_TABLE par, par3, var;
    ViewStandIn view;
    QWidget page;
    QLineEdit next;

private:
    PAGE_GRID m_grid;
};

}  // namespace vexar::pagestest
