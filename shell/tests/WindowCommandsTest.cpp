// The window and information commands: when each is refused without a
// word; the vehicle configuration before any load; the variable window
// brought forward while linked, its variables then read from the ECU; the
// identification dialog linked and not; the ECU selection cancelled while
// linked; and the commands whose windows are not here, disabled.
#include "EcuShell.h"

#include "common/Text.h"
#include "dialogs/CDlgDiag.h"
#include "dialogs/CDlgIdentCentr.h"
#include "dialogs/CDlgSelCentr.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlEditInfo.h"
#include "pages/CDlgTabSB.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/CmdUI.h"
#include "platform/ui/DialogRequests.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"

#include <QTest>

#include <gtest/gtest.h>

#include <set>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;

namespace {

constexpr std::uint8_t kReadVariables = 5;
constexpr std::uint8_t kUploadList = 11;

// Closes every modal dialog that shows while it lives, noting its title.
class ModalCatcher {
public:
    ModalCatcher()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                m_shown.push_back(dialog->windowTitle().toStdString());
                dialog->reject();
            }
        });
        m_timer.start();
    }
    const std::vector<std::string>& Shown() const { return m_shown; }
    void Clear() { m_shown.clear(); }

private:
    QTimer m_timer;
    std::vector<std::string> m_shown;
};

// The ECU reads of variables in the frame log: every byte address a valid
// block read or list upload asked for.
std::set<std::int32_t> VariableAddressesRead(const std::vector<ecusim::FrameRecord>& log)
{
    std::set<std::int32_t> addresses;
    const auto word = [](const std::vector<std::uint8_t>& bytes, std::size_t at) {
        return static_cast<std::int32_t>(bytes[at] << 8 | bytes[at + 1]);
    };
    for (const ecusim::FrameRecord& record : log) {
        if (record.kind != ecusim::FrameRecord::Kind::Request || !record.crcOk || record.bytes.size() < 10)
            continue;
        const std::vector<std::uint8_t>& bytes = record.bytes;
        if (bytes[2] == kReadVariables) {
            const std::int32_t size = bytes[6] == 0 ? 256 : bytes[6];
            for (std::int32_t i = 0; i < size; ++i)
                addresses.insert(word(bytes, 4) + i);
        } else if (bytes[2] == kUploadList) {
            const std::size_t pieces = static_cast<std::size_t>(word(bytes, 4));
            for (std::size_t piece = 0; piece < pieces && 12 + piece * 4 <= bytes.size(); ++piece)
                for (std::int32_t i = 0; i < word(bytes, 10 + piece * 4); ++i)
                    addresses.insert(word(bytes, 8 + piece * 4) + i);
        }
    }
    return addresses;
}

class WindowCommands : public EcuShellBase {
protected:
    void SetUp() override { StartBench({}); }

    // What the identification dialog shows in its three fields.
    std::array<QString, 3> IdentificationShown()
    {
        std::array<QString, 3> fields;
        const auto read = WhenModal<CDlgIdentCentr>([&](CDlgIdentCentr& dialog) {
            fields = {dialog.FirmwareField().text(), dialog.ConfigField().text(), dialog.LinkField().text()};
            QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
        });
        Command(ID_IDENT_CENTR);
        return fields;
    }
};

}  // namespace

// Each command, by its menu item and by its button, under each condition
// that refuses some of them: an external program, a recording, a long
// operation. A refused command shows nothing and posts nothing.
TEST_F(WindowCommands, RefusedCommandsShowNothingAndPostNothing)
{
    enum class Effect { None, Dialog, Post };
    struct Condition {
        const char* name;
        std::function<void(bool)> set;
    };
    CVEXARView& view = m_shell.View();
    TestApp& app = m_shell.App();
    const Condition conditions[] = {
        {"program", [&](bool on) { view.m_hProgram = on ? 1 : 0; }},
        {"recording", [&](bool on) { app.m_bRecording = on; }},
        {"busy", [&](bool on) { app.m_bBusy = on; }},
    };
    const struct {
        std::vector<unsigned> ids;  // menu item, button
        std::array<Effect, 3> effects;
    } cases[] = {
        {{ID_CENTRALINA, 1024}, {Effect::None, Effect::None, Effect::None}},
        {{ID_IDENT_CENTR, 1040}, {Effect::None, Effect::Dialog, Effect::Dialog}},
        {{ID_CONFIG_VETTURA, 1008}, {Effect::None, Effect::Post, Effect::None}},
        {{ID_ACQUISIZIONE, 1011}, {Effect::None, Effect::Post, Effect::None}},
    };
    ModalCatcher dialogs;
    for (const auto& c : cases) {
        for (unsigned id : c.ids) {
            for (std::size_t i = 0; i < std::size(conditions); ++i) {
                const std::string what = std::to_string(id) + " " + conditions[i].name;
                conditions[i].set(true);
                app.ClearPosted();
                dialogs.Clear();
                Command(id);
                QTest::qWait(20);
                conditions[i].set(false);
                const Effect effect = c.effects[i];
                EXPECT_EQ(dialogs.Shown().size(), effect == Effect::Dialog ? 1u : 0u) << what;
                if (effect == Effect::Dialog && !dialogs.Shown().empty()) {
                    EXPECT_EQ(dialogs.Shown()[0], "E3240") << what;
                }
                EXPECT_EQ(app.Posted(), effect == Effect::Post
                                            ? std::vector<unsigned>{link::WM_LINK_REBUILD_POLL_LIST}
                                            : std::vector<unsigned>{})
                    << what;
            }
        }
    }
    EXPECT_TRUE(m_shell.Dialogs().shown().empty());
}

// The vehicle configuration window comes forward restored and focused,
// and the worker is asked to rebuild its lists after the window's flag is
// set.
TEST_F(WindowCommands, TheVehicleConfigurationComesForwardRestored)
{
    CDlgTabSB& params = *m_shell.View().m_wndParams;
    ASSERT_TRUE(params.IsCreated());
    EXPECT_FALSE(params.isVisible());
    EXPECT_FALSE(m_shell.App().m_bParWindowShown);
    m_shell.App().ClearPosted();
    Command(ID_CONFIG_VETTURA);
    EXPECT_TRUE(params.isVisible());
    EXPECT_TRUE(m_shell.App().m_bParWindowShown);
    EXPECT_EQ(m_shell.App().Posted(), std::vector<unsigned>{link::WM_LINK_REBUILD_POLL_LIST});

    params.showMinimized();
    ASSERT_TRUE(WaitUntil([&] { return params.isMinimized(); }));
    QTest::mouseClick(&m_shell.View().Button(kActionVehicleConfig), Qt::LeftButton);
    EXPECT_FALSE(params.isMinimized());
    EXPECT_TRUE(params.isVisible());
}

// Linked: the variable window brought forward has the worker read its
// polled variables from the ECU, which it did not before.
TEST_F(WindowCommands, TheDataAcquisitionWindowHasItsVariablesRead)
{
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    // The bytes of the controls the window's pages show, as the
    // visibility rules have them after the whole-image read.
    const auto shown = [&] {
        std::set<std::int32_t> bytes;
        for (const CTRL_WND& entry : *m_shell.App().m_pVarTable2)
            if (!entry.hidden)
                for (std::int32_t i = 0; i < entry.size; ++i)
                    bytes.insert(entry.address + i);
        return bytes;
    };
    ASSERT_FALSE(shown().empty());

    QTest::qWait(300);  // three poll periods
    EXPECT_TRUE(VariableAddressesRead(m_sim->FrameLog()).empty());

    m_sim->ClearFrameLog();
    QTest::keyClick(&m_shell.View().Button(0), Qt::Key_F10);  // ACQ DATI, the tenth shown button
    EXPECT_TRUE(m_shell.View().m_wndVars->isVisible());
    EXPECT_TRUE(WaitUntil([&] {
        const std::set<std::int32_t> read = VariableAddressesRead(m_sim->FrameLog());
        const std::set<std::int32_t> wanted = shown();
        return std::includes(read.begin(), read.end(), wanted.begin(), wanted.end());
    }));
}

TEST_F(WindowCommands, TheIdentificationShowsTheEcuWhileLinked)
{
    EXPECT_EQ(IdentificationShown(), (std::array<QString, 3>{"E3247", "E3247", "E3248"}));

    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    EXPECT_EQ(IdentificationShown(), (std::array<QString, 3>{"VXG4_R01070", "STANDARD LPG 1.0", "E3249"}));

    Command(ID_DISCONNETTI);
    ASSERT_TRUE(WaitLinked(false));
    EXPECT_EQ(IdentificationShown(), (std::array<QString, 3>{"E3247", "E3247", "E3248"}));
}

// "&Centralina" while linked: asked first, the link closed before the
// dialog; its Cancel leaves the link down and the configuration loaded.
TEST_F(WindowCommands, ASelectionCancelledWhileLinkedLeavesTheLinkDownAndTheConfiguration)
{
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    CVEXARView& view = m_shell.View();
    const std::array<std::string, 5> paths = view.m_strConfigPaths;
    const CTRL_TABLE* parTable = m_shell.App().m_pParTable;
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3094");
    const auto cancel = ShellHarness::CancelSelection();
    Command(ID_CENTRALINA);
    ASSERT_TRUE(WaitLinked(false));
    EXPECT_EQ(view.m_strConfigPaths, paths);
    EXPECT_EQ(m_shell.App().m_pParTable, parTable);
    EXPECT_NE(m_shell.App().m_pParMaster, nullptr);
    EXPECT_EQ(m_shell.Frame().m_paneConfig->text(), QStringLiteral(" ConfigPC: VXG4_R01070"));
    EXPECT_TRUE(m_shell.Frame().isVisible());
}

// The commands whose windows are not in the program stay disabled, menu
// item, button and label, linked or not; so does the petrol diagnosis while
// the adapter is not linked, whatever the ECU's link.
TEST_F(WindowCommands, TheCommandsOfWindowsNotHereStayDisabled)
{
    const std::pair<unsigned, int> commands[] = {{ID_DIAG_BENZ, kActionDiagPetrol}};
    for (const bool linked : {false, true}) {
        if (linked) {
            Command(ID_CONNETTI);
            ASSERT_TRUE(WaitLinked(true));
        }
        for (const auto& [id, action] : commands) {
            EXPECT_FALSE(ItemEnabled(m_shell.Frame(), id)) << id << " " << linked;
            EXPECT_FALSE(ui::IsWindowEnabled(m_shell.View().Button(action))) << id << " " << linked;
            EXPECT_FALSE(ui::IsWindowEnabled(m_shell.View().Label(action))) << id << " " << linked;
        }
        for (unsigned id : {ID_IDENT_CENTR, ID_CONFIG_VETTURA, ID_ACQUISIZIONE, ID_DIAGNOSI, ID_CANC_ERR})
            EXPECT_TRUE(ItemEnabled(m_shell.Frame(), id)) << id << " " << linked;
        for (int action : {kActionDiagGas, kActionClearErrors})
            EXPECT_TRUE(ui::IsWindowEnabled(m_shell.View().Button(action))) << action << " " << linked;
    }
}

// The gas diagnosis is refused while an external program runs or during a
// long operation, the error clearing only while a program runs; otherwise
// the diagnosis window comes forward and the worker rebuilds its polled
// lists, and the error clearing opens.
TEST_F(WindowCommands, TheDiagnosisAndTheErrorClearingFollowTheirRefusals)
{
    CVEXARView& view = m_shell.View();
    TestApp& app = m_shell.App();
    ASSERT_NE(view.m_dlgDiag, nullptr);
    CDlgDiag& window = *view.m_dlgDiag;
    ASSERT_EQ(window.m_bCreated, 1);
    // The tables the worker and the calibration file take: every action.
    EXPECT_EQ(app.m_pDiagTable, &window.m_allRows);
    EXPECT_EQ(app.m_pDiagTable2, &window.m_visibleRows);
    EXPECT_EQ(app.m_pDiagTable3, &window.m_allActions);
    ModalCatcher dialogs;
    for (const bool program : {true, false}) {
        view.m_hProgram = program ? 1 : 0;
        app.m_bBusy = !program;
        app.ClearPosted();
        dialogs.Clear();
        for (unsigned id : {ID_DIAGNOSI, 1020u})
            Command(id);
        Command(ID_CANC_ERR);
        QTest::qWait(20);
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(app.Posted().empty());
        EXPECT_EQ(dialogs.Shown(), program ? std::vector<std::string>{} : std::vector<std::string>{"E3250"});
    }
    view.m_hProgram = 0;
    app.m_bBusy = false;
    app.ClearPosted();
    Command(1020);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(app.m_bDiagWindowShown);
    const std::vector<unsigned> posted = app.Posted();
    EXPECT_FALSE(posted.empty());
    for (unsigned id : posted)
        EXPECT_EQ(id, link::WM_LINK_REBUILD_POLL_LIST);
}

// Before any configuration is loaded (no language, so no selection), the
// vehicle configuration only asks the worker to rebuild its lists.
TEST(WindowCommandsBeforeALoad, TheVehicleConfigurationOnlyAsksForARebuild)
{
    ShellHarness shell;
    shell.Folder().MakeFresh();
    shell.Folder().WriteSession(u"");
    shell.Dialogs().ExpectMessageBox(1, u"Error to access file !");
    ASSERT_TRUE(shell.Start());
    ASSERT_TRUE(WaitUntil([&] { return !shell.View().m_bSlotsUnset; }));
    ModalCatcher dialogs;
    shell.App().ClearPosted();
    ui::SendMessage(&shell.View(), ui::CommandMessage(ID_CONFIG_VETTURA));
    EXPECT_EQ(shell.App().Posted(), std::vector<unsigned>{link::WM_LINK_REBUILD_POLL_LIST});
    EXPECT_FALSE(shell.View().m_wndParams && shell.View().m_wndParams->isVisible());
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(shell.Exit(), 0);
}
