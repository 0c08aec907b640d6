// Variable polling, acquisition sampling and the checklist read against a
// simulated ECU, with control tables built from the synthetic
// configuration's definitions: which controls are polled for the windows
// shown, refreshes only on change (once per change, all at the first poll
// after a connect), diagnosis polling, samples on the worker's timer and
// the list read with its progress.
#include "EngineFixture.h"

#include "config/CControlliConfigurati.h"
#include "config/ControlCodes.h"
#include "config/CUtilityCodec.h"
#include "link/LinkMessages.h"
#include "testing/fixtures/DefinitionFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace vexar::link;
using namespace vexar::linktest;
using namespace std::chrono_literals;
using vexar::ecusim::EcuSimulator;
using vexar::ecusim::Fault;
using vexar::ecusim::FaultKind;
using vexar::ecusim::Image;
using vexar::ecusim::Repeat;

namespace {

constexpr int kParSize = 50;
constexpr int kVarSize = 64;

class PollingTest : public EngineTest {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_home.file("Log"));
        vexar::fixtures::SyntheticConfiguration config;
        std::string error;
        ASSERT_TRUE(vexar::fixtures::InstallSyntheticConfiguration(m_home.path(), config, error)) << error;
        for (const auto& [path, log] : {std::pair{config.par, u"InfoControlliPC"}, std::pair{config.var, u"InfoControlliVS"},
                                        std::pair{config.gdg, u"InfoControlliGDG"}}) {
            CControlliConfigurati set(path, log);
            std::u16string language = u"English";
            ASSERT_EQ(set.Load(language, {u"English", u"Italiano"}), 0) << path;
            for (const REC_CONTROLLO& definition : set.Controls())
                m_definitions[definition.ID_GUI] = definition;
        }

        // The variable window places five variables, one of them hidden,
        // and the last on the engine speed's bytes; the parameter window's
        // status area shows variable 210 with a control of its own;
        // variable 208 drives a map's cursor.
        for (int id : {201, 202, 203, 204})
            m_varTable2.push_back(Entry(id));
        REC_CONTROLLO sharing = m_definitions.at(209);
        sharing.LSB = 0;
        m_varTable2.push_back(Entry(sharing));
        m_varTable2[3].hidden = 1;
        for (int id = 201; id <= 210; ++id)
            m_varTable.push_back(Entry(id));
        m_varTable[7].cursorLinked = true;
        m_parTable3.push_back(Entry(210));
        m_diagTable2 = {Entry(301), Entry(302)};
        m_acqVarTable = {Entry(201), Entry(203), Entry(206)};
        for (const auto& [id, definition] : m_definitions)
            if (id < 200)
                m_parTable.push_back(Entry(id));
        REC_CONTROLLO actions = m_definitions.at(303);
        actions.FIXDEF = FIX_OFF;  // a list refreshed directly after a whole read
        m_diagTable3 = {Entry(actions), Entry(304)};
    }

    // An entry of a new control with the definition of `id`.
    CTRL_WND Entry(int id) { return Entry(m_definitions.at(id)); }
    CTRL_WND Entry(const REC_CONTROLLO& definition)
    {
        m_controls.push_back(std::make_unique<DefinitionOnlyCtrl>(definition));
        CTRL_WND entry;
        entry.key = definition.ID_GUI;
        entry.category = definition.CATEGORIA;
        entry.access = definition.OPERATORE;
        entry.address = definition.LSB;
        entry.size = CUtility::GetDatoSize(definition.TIPO);
        entry.wnd = m_controls.back().get();
        return entry;
    }

    // The application with the tables published, not yet linked.
    CVEXARLink& App(int protocol)
    {
        CVEXARLink& app = MakeApp(protocol, kParSize, kVarSize);
        app.m_pParTable = &m_parTable;
        app.m_pParTable3 = &m_parTable3;
        app.m_pVarTable = &m_varTable;
        app.m_pVarTable2 = &m_varTable2;
        app.m_pAcqVarTable = &m_acqVarTable;
        app.m_pDiagTable2 = &m_diagTable2;
        app.m_pDiagTable3 = &m_diagTable3;
        app.PublishCtrlTables();
        app.m_comPorts = {3};
        app.m_nComPort = 3;
        return app;
    }

    // The controls that were told to refresh since `from`, in order.
    std::vector<const IDataCtrl*> Refreshed(std::size_t from) const
    {
        std::vector<const IDataCtrl*> controls;
        const std::vector<RecordedPost> posts = m_sink.Posts();
        for (std::size_t i = from; i < posts.size(); ++i)
            if (posts[i].message == WM_CTRL_REFRESH)
                controls.push_back(posts[i].control);
        return controls;
    }
    static std::vector<const IDataCtrl*> Controls(const CTRL_TABLE& table, std::initializer_list<std::size_t> at)
    {
        std::vector<const IDataCtrl*> controls;
        for (std::size_t i : at)
            controls.push_back(table[i].wnd);
        return controls;
    }

    std::map<int, REC_CONTROLLO> m_definitions;
    std::vector<std::unique_ptr<DefinitionOnlyCtrl>> m_controls;
    CTRL_TABLE m_parTable, m_parTable3, m_varTable, m_varTable2, m_acqVarTable, m_diagTable2, m_diagTable3;
};

}  // namespace

// Which controls the poll refreshes for the windows shown, and which
// variables it reads for them.
TEST_F(PollingTest, PolledControlsFollowTheWindowsShown)
{
    struct Case {
        const char* name;
        bool varPage;
        bool parWindow;
        std::vector<const IDataCtrl*> polled;
        std::vector<REC_UPLD_SV> pairs;  // the first protocol's blocks of at most 11 bytes
    };
    CVEXARLink& app = App(0);
    const Case cases[] = {
        {"nothing shown", false, false, {}, {}},
        // The hidden variable 204 is left out; 201 and 209 share their
        // pair, which is read once.
        {"variable page", true, false, Controls(m_varTable2, {0, 1, 2, 4}), {{0, 4}}},
        // The map cursor's variable, and the status-area control, which
        // brings in the variable window's own control of 210.
        {"parameter window", false, true,
         {m_varTable[7].wnd, m_varTable[9].wnd, m_parTable3[0].wnd}, {{10, 4}}},
        {"both", true, true,
         {m_varTable2[0].wnd, m_varTable2[1].wnd, m_varTable2[2].wnd, m_varTable2[4].wnd, m_varTable[7].wnd,
          m_varTable[9].wnd, m_parTable3[0].wnd},
         {{0, 4}, {10, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.m_bVarPageShown = c.varPage;
        app.m_bParWindowShown = c.parWindow;
        app.CollectPolledVariables();
        std::vector<const IDataCtrl*> polled;
        for (const CTRL_WND& entry : app.m_pollVarCtrls)
            polled.push_back(entry.wnd);
        EXPECT_EQ(polled, c.polled);
        EXPECT_EQ(app.m_pollBlocks, c.pairs);
        EXPECT_TRUE(app.m_pollDiagCtrls.empty());
    }

    // Nothing is collected before a configuration is loaded.
    app.m_pVarTable2 = nullptr;
    app.PublishCtrlTables();
    app.CollectPolledVariables();
    EXPECT_EQ(app.m_pollBlocks, (std::vector<REC_UPLD_SV>{{0, 4}, {10, 4}})) << "the lists of before stay";
}

// Every read mode: the first poll after the connect refreshes every polled
// control; later polls only those whose bytes changed, once per change;
// with nothing shown nothing is read.
TEST_F(PollingTest, OnlyChangedControlsAreRefreshedOncePerChange)
{
    struct Mode {
        const char* name;
        int protocol;
        bool listUpload;
        unsigned readCommand;
    };
    for (const Mode mode : {Mode{"first protocol", 0, false, 5}, Mode{"covering range", 1, false, 5},
                            Mode{"address list", 1, true, 11}}) {
        SCOPED_TRACE(mode.name);
        ClearLines();
        EcuSimulator& sim = AddEcu(3, mode.protocol);
        sim.WriteImage(Image::Variables, 0, Pattern(kVarSize, 5));
        CVEXARLink& app = App(mode.protocol);
        app.m_bListUpload = mode.listUpload ? 1 : 0;
        app.m_bVarPageShown = true;
        app.Connect();
        ASSERT_EQ(app.m_bLinked, 1);

        std::size_t from = m_sink.Posts().size();
        app.PollVariables();
        EXPECT_EQ(Refreshed(from), Controls(m_varTable2, {0, 1, 2, 4})) << "the forced first poll";
        EXPECT_EQ(VarMaster()[3], sim.ReadImage(Image::Variables, 3, 1)[0]);

        from = m_sink.Posts().size();
        app.PollVariables();
        EXPECT_TRUE(Refreshed(from).empty()) << "nothing changed";

        sim.WriteImage(Image::Variables, 3, std::vector<std::uint8_t>{0xA7});
        from = m_sink.Posts().size();
        app.PollVariables();
        app.PollVariables();
        EXPECT_EQ(Refreshed(from), Controls(m_varTable2, {2})) << "one change, one refresh";
        EXPECT_EQ(VarMaster()[3], 0xA7);

        sim.WriteImage(Image::Variables, 1, std::vector<std::uint8_t>{0x99});
        from = m_sink.Posts().size();
        app.PollVariables();
        EXPECT_EQ(Refreshed(from), Controls(m_varTable2, {0, 4})) << "both controls of the shared pair";

        // The variable window is hidden: no frame at all.
        app.m_bVarPageShown = false;
        app.CollectPolledVariables();
        sim.ClearFrameLog();
        from = m_sink.Posts().size();
        app.PollVariables();
        EXPECT_EQ(sim.CountRequests(mode.readCommand), 0u);
        EXPECT_EQ(m_sink.Posts().size(), from);
        app.Disconnect(LINK_OK);
        m_app.reset();
    }
}

// Diagnosis polling switched on refreshes every diagnosis control at the
// next poll, then only on change; switched off, their bytes are not read.
TEST_F(PollingTest, DiagnosisPolling)
{
    EcuSimulator& sim = AddEcu(3, 1);
    CVEXARLink& app = App(1);
    app.m_bDiagWindowShown = true;
    app.Connect();
    ASSERT_EQ(app.m_bLinked, 1);
    EXPECT_TRUE(app.m_pollBlocks.empty()) << "diagnosis polling is off";

    LinkMessage on{WM_LINK_DIAG_POLL_ON, 0, 0, nullptr};
    app.DispatchLinkRequest(on);
    std::size_t from = m_sink.Posts().size();
    app.PollVariables();
    EXPECT_EQ(Refreshed(from), Controls(m_diagTable2, {0, 1}));
    from = m_sink.Posts().size();
    app.PollVariables();
    EXPECT_TRUE(Refreshed(from).empty());
    sim.WriteImage(Image::Variables, 18, std::vector<std::uint8_t>{0x00, 0x0F});
    from = m_sink.Posts().size();
    app.PollVariables();
    EXPECT_EQ(Refreshed(from), Controls(m_diagTable2, {1}));

    LinkMessage off{WM_LINK_DIAG_POLL_OFF, 0, 0, nullptr};
    app.DispatchLinkRequest(off);
    EXPECT_TRUE(app.m_pollBlocks.empty());
    EXPECT_TRUE(app.m_pollDiagCtrls.empty());
}

// After a whole-image read the controls that decode whatever their
// visibility (FIX_OFF) are refreshed at once, the rest through the view.
TEST_F(PollingTest, WholeReadRefreshesTheControlsThatAlwaysDecode)
{
    AddEcu(3, 1);
    CVEXARLink& app = App(1);
    app.Connect();
    ASSERT_EQ(app.m_bLinked, 1);
    std::vector<const IDataCtrl*> expected;
    for (const CTRL_WND& entry : m_parTable)
        if (static_cast<const DefinitionOnlyCtrl*>(entry.wnd)->GetDefinition().FIXDEF == FIX_OFF)
            expected.push_back(entry.wnd);
    ASSERT_EQ(expected.size(), 12u);

    std::vector<const IDataCtrl*> refreshed, lists;
    for (const RecordedPost& post : m_sink.Posts()) {
        if (post.message == WM_CTRL_REFRESH) {
            EXPECT_EQ(post.wParam, 1u);
            refreshed.push_back(post.control);
        }
        if (post.message == WM_COMBO_REFRESH_ARRAY)
            lists.push_back(post.control);
    }
    EXPECT_EQ(refreshed, expected);
    EXPECT_EQ(lists, Controls(m_diagTable3, {0}));
}

// The checklist's blocks are read once with progress; its controls are
// refreshed and the view told that the checklist can be written. Without
// blocks nothing happens; a failed read writes no checklist.
TEST_F(PollingTest, ListReadPostsItsProgressAndTheChecklist)
{
    for (const int protocol : {0, 1}) {
        SCOPED_TRACE(protocol);
        ClearLines();
        EcuSimulator& sim = AddEcu(3, protocol);
        sim.WriteImage(Image::Variables, 0, Pattern(kVarSize, 2));
        CVEXARLink& app = App(protocol);
        app.Connect();
        ASSERT_EQ(app.m_bLinked, 1);

        // No blocks: nothing.
        std::size_t from = m_sink.Posts().size();
        app.ReadListBlocks();
        EXPECT_EQ(m_sink.Posts().size(), from);

        {
            std::lock_guard lock(app.m_csLists);
            app.m_listBlocks = {{2, 2}, {8, 1}};
            app.m_listCtrls = {m_varTable[1], CTRL_WND{}, m_varTable[6]};
        }
        from = m_sink.Posts().size();
        app.ReadListBlocks();
        const std::vector<Seen> seen = SeenPosts(m_sink.Posts());
        std::vector<Seen> expected{{UiWindow::View, WM_PROGRESS_OPEN, 3269}};
        if (protocol == 0)
            expected.insert(expected.end(), {{UiWindow::ProgressWindow, WM_PROGRESS_RANGE, 2},
                                             {UiWindow::ProgressWindow, WM_PROGRESS_STEP, 1},
                                             {UiWindow::ProgressWindow, WM_PROGRESS_STEP, 2}});
        else  // one covering range of one block
            expected.insert(expected.end(), {{UiWindow::ProgressWindow, WM_PROGRESS_RANGE, 1},
                                             {UiWindow::ProgressWindow, WM_PROGRESS_STEP, 1}});
        expected.insert(expected.end(), {{UiWindow::ProgressWindow, WM_PROGRESS_CLOSE},
                                         {UiWindow::Control, WM_CTRL_REFRESH},
                                         {UiWindow::Control, WM_CTRL_REFRESH},
                                         {UiWindow::View, WM_CHECKLIST_READY}});
        EXPECT_EQ(std::vector<Seen>(seen.begin() + static_cast<std::ptrdiff_t>(from), seen.end()), expected);
        EXPECT_EQ(Refreshed(from), (std::vector<const IDataCtrl*>{m_varTable[1].wnd, m_varTable[6].wnd}));
        const std::vector<std::uint8_t> master = VarMaster();
        EXPECT_EQ(Bytes(master.begin() + 2, master.begin() + 4), sim.ReadImage(Image::Variables, 2, 2));
        EXPECT_EQ(master[8], sim.ReadImage(Image::Variables, 8, 1)[0]);

        // The ECU falls silent: the link drops and no checklist is written.
        sim.InjectFault(5, Fault{FaultKind::NoReply}, Repeat::Always);
        const std::size_t ready = Count(WM_CHECKLIST_READY);
        app.ReadListBlocks();
        EXPECT_EQ(app.m_bLinked, 0);
        EXPECT_EQ(Count(WM_CHECKLIST_READY), ready);
        m_app.reset();
    }
}

// Through the worker and its timer: after the connect the first poll
// refreshes every polled control; an acquisition at 200 ms delivers its
// samples at 0.2, 0.4 and 0.6 s with the last recorded control of each
// tick marked, each carrying its control's raw value.
TEST_F(PollingTest, WorkerPollsAfterConnectAndSamplesAnAcquisition)
{
    EcuSimulator& sim = AddEcu(3, 1);
    sim.WriteImage(Image::Variables, 0, std::vector<std::uint8_t>{0x12, 0x34, 0, 0xC8, 0, 0, 0, 0x03});
    CVEXARLink& app = App(1);
    app.m_bVarPageShown = true;
    ASSERT_TRUE(app.StartLinkThread(&m_sink));
    app.PostLinkRequest(WM_LINK_SET_POLL_PERIOD, 100);
    app.PostLinkRequest(WM_LINK_CONNECT);
    ASSERT_TRUE(m_sink.WaitFor(WM_LINK_IDLE, 1, 10s));
    ASSERT_TRUE(m_sink.WaitFor(WM_CTRL_REFRESH, 4, 5s)) << "the forced first poll";

    app.PostLinkRequest(WM_LINK_ACQ_START, 200);
    ASSERT_TRUE(m_sink.WaitFor(WM_ACQ_TICK, 3, 5s));
    app.PostLinkRequest(WM_LINK_ACQ_STOP);
    app.PostLinkRequest(WM_LINK_DISCONNECT);
    ASSERT_TRUE(m_sink.WaitFor(WM_LINK_STATE, 6, 10s));  // frame, view, maintenance, at connect and at disconnect
    app.SignalQuit();
    app.JoinLinkThread();

    const std::vector<PayloadSink::Sample> samples = m_sink.Samples();
    ASSERT_GE(samples.size(), 9u);
    const std::int32_t raw[] = {0x1234, 0xC8, 1};
    for (std::size_t i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(samples[i].control, m_acqVarTable[i % 3].wnd);
        EXPECT_DOUBLE_EQ(samples[i].sample.time, 0.2 * static_cast<double>(i / 3 + 1));
        EXPECT_EQ(samples[i].sample.marker, i % 3 == 2 ? 4 : 3);
        EXPECT_EQ(samples[i].sample.raw, raw[i % 3]);
    }
    // Four refreshes at the first poll, none after: the ECU did not change.
    std::size_t refreshes = 0;
    for (const RecordedPost& post : m_sink.Posts())
        refreshes += post.message == WM_CTRL_REFRESH && post.wParam == 0 ? 1 : 0;
    EXPECT_EQ(refreshes, 4u);
}
