// Both hosts of the synthetic configuration with the real link worker and
// the simulated ECU on a pseudo-terminal: a click on a page's check box
// writes its byte, a whole-image read shows the ECU's bit in it; the
// worker polls what the hosts show, by the flags they keep and the
// rebuilds they ask for; and the hosts are torn down while the worker's
// posts are on their way.
#include "PagesOnLine.h"

#include "pages/CCtrlCheck.h"
#include "pages/CCtrlLed.h"
#include "pages/CUtilityFactory.h"
#include "pages/core/CUtilityTables.h"

#include <gtest/gtest.h>


using namespace vexar::pagestest;
using namespace vexar::link;
using vexar::ecusim::Image;

namespace {

class HostsOnLine : public PagesOnLine {
protected:
    template <class Control>
    Control& Find(std::int32_t key)
    {
        for (const CTRL_WND& entry : fixture->Params().m_allTable)
            if (entry.key == key)
                return dynamic_cast<Control&>(*entry.wnd);
        throw std::runtime_error("no such control");
    }
    CCtrlCheck& Changeover() { return Find<CCtrlCheck>(102); }

    // A live value on a page or in the status area, where the classes of
    // the synthetic variables will stand, listed as the host lists it.
    TestLive& AddLive(QWidget& parent, std::int32_t key, std::int32_t address, std::vector<CTRL_TABLE*> tables)
    {
        auto* live = new TestLive(app, PageDef(key, CTRL_NUMERIC, u"Live", address), &parent);
        live->setGeometry(300, 10, 80, 20);
        live->show();
        for (CTRL_TABLE* table : tables)
            table->push_back(live->Entry());
        app.PublishCtrlTables();
        return *live;
    }

    void SetVariable(int address, std::uint8_t value)
    {
        const std::uint8_t bytes[] = {value};
        rig.sim().WriteImage(Image::Variables, static_cast<std::size_t>(address), bytes);
    }
};

// The changeover box is bit 0 of byte 16: a click writes the byte to the
// ECU; after the ECU's byte changed, a whole-image read shows its bit.
TEST_F(HostsOnLine, ACheckBoxClickWritesItsByteAndAReadShowsTheEcusBit)
{
    const std::uint8_t ecuByte[] = {0xF0};
    rig.sim().WriteImage(Image::Parameters, 16, ecuByte);
    Connect();
    ShowAndWait(fixture->Params());
    CCtrlCheck& box = Changeover();
    ASSERT_TRUE(box.isVisible());
    const bool before = box.IsChecked();
    QTest::mouseClick(&box, Qt::LeftButton);
    ASSERT_NE(box.IsChecked(), before);
    const std::uint8_t bit = box.IsChecked() ? 1 : 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return (rig.sim().ReadImage(Image::Parameters, 16, 1)[0] & 0x01) == bit; }, 10000));

    const std::uint8_t flipped[] = {static_cast<std::uint8_t>(bit ? 0xF0 : 0xF1)};
    rig.sim().WriteImage(Image::Parameters, 16, flipped);
    app.PostLinkRequest(WM_LINK_READ_ALL);
    EXPECT_TRUE(QTest::qWaitFor([&] { return box.IsChecked() == !bit; }, 20000));
}

// The engine-start toggle is bit 1 of byte 16. While the link is down its
// window is closed: a click flips nothing and stores nothing. The link's
// coming up opens it, and a click then writes the bit to the ECU; the
// link's going down closes it again.
TEST_F(HostsOnLine, TheToggleTakesAFlipOnlyWhileTheLinkIsUp)
{
    const std::uint8_t ecuByte[] = {0x00};
    rig.sim().WriteImage(Image::Parameters, 16, ecuByte);
    ShowAndWait(fixture->Params());
    CCtrlLed& toggle = Find<CCtrlLed>(103);
    ASSERT_TRUE(toggle.isVisible());
    ASSERT_EQ(toggle.GetState(), 0);
    const std::uint8_t stored = app.m_pParMaster[16];
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_EQ(toggle.GetState(), 0) << "not flipped offline";
    EXPECT_EQ(app.m_pParMaster[16], stored);

    Connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return toggle.isEnabled(); }, 10000));
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_EQ(toggle.GetState(), 1);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return (rig.sim().ReadImage(Image::Parameters, 16, 1)[0] & 0x02) != 0; }, 10000));

    app.PostLinkRequest(WM_LINK_DISCONNECT);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !toggle.isEnabled(); }, 10000));
}

// The worker polls the variable window's controls while the window shows
// a configured page, and the status area while the parameter window
// shows: each host's flag and rebuild request tell it. Switching to the
// acquisition page or hiding the window stops the polling. Then both
// hosts go while the worker still posts to their controls.
TEST_F(HostsOnLine, TheWorkerPollsWhatTheHostsShow)
{
    CDlgTabSB& vars = fixture->Vars();
    CDlgTabSB& params = fixture->Params();
    CDlgTabWnd* engine = vars.ConfiguredPages().at(0);
    TestLive& onPage = AddLive(*engine, 905, 6, {&engine->m_table, &vars.m_allTable, &vars.m_placedTable});
    TestLive& inStatus = AddLive(params, 903, 3, {&params.m_statusTable, &params.m_statusCtrlsTable});
    Connect();

    ShowAndWait(vars);
    EXPECT_TRUE(app.m_bVarPageShown);
    vars.ShowPage(0);  // the tab shown again: a rebuild
    SetVariable(6, 42);
    EXPECT_TRUE(QTest::qWaitFor([&] { return onPage.m_raw == 42; }, 10000));

    vars.ShowPage(2);  // acquisition
    EXPECT_FALSE(app.m_bVarPageShown);
    Served();
    SetVariable(6, 43);
    QTest::qWait(500);  // ten polls
    EXPECT_EQ(onPage.m_raw, 42) << "no longer polled";

    ShowAndWait(params);
    EXPECT_TRUE(app.m_bParWindowShown);
    app.PostLinkRequest(WM_LINK_REBUILD_POLL_LIST);  // the view's, when it shows the window
    SetVariable(3, 17);
    EXPECT_TRUE(QTest::qWaitFor([&] { return inStatus.m_raw == 17; }, 10000));
    params.HideHost();
    EXPECT_FALSE(app.m_bParWindowShown);
    Served();
    SetVariable(3, 18);
    QTest::qWait(500);
    EXPECT_EQ(inStatus.m_raw, 17);

    // Polled again, then torn down under the worker's posts.
    vars.ShowPage(0);
    ShowAndWait(params);
    app.PostLinkRequest(WM_LINK_REBUILD_POLL_LIST);
    for (std::uint8_t value = 50; value < 60; ++value) {
        SetVariable(6, value);
        SetVariable(3, value);
        QTest::qWait(20);
    }
    for (CDlgTabSB* host : {&params, &vars}) {
        host->ClosePages();
        host->FreePages();
    }
    for (std::uint8_t value = 60; value < 70; ++value) {
        SetVariable(6, value);
        QTest::qWait(20);
    }
    EXPECT_TRUE(app.CtrlTables()->varTable2.empty());
}

}  // namespace
