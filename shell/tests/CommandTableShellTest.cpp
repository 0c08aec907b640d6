// The command table on the screen, with every command button shown: each
// row's menu item, key and button reach the handler the table names (the
// command maps' dispatch record), and one real effect of each kind of
// command shows; the rows disabled by their work not being here yet, or by
// the limited profile, stay disabled by every road.
#include "ShellHarness.h"

#include "link/ui/CDlgDebug.h"
#include "pages/CCtrlGrid.h"
#include "pages/CDlgTabSB.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/CommandMap.h"
#include "platform/ui/DialogRequests.h"
#include "platform/ui/Menu.h"
#include "dialogs/CDlgViewComm.h"
#include "shell/CAboutDlg.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"
#include "shell/core/OperatorProfile.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <typeinfo>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;
namespace fs = std::filesystem;

namespace vexar::ui {

void PrintTo(const DispatchRecord::Entry& entry, std::ostream* out) { *out << entry.id << " " << entry.handler; }

}  // namespace vexar::ui

namespace {

using Reached = std::vector<ui::DispatchRecord::Entry>;

// The program started with the demonstration's settings (every button
// shown) in a privileged profile, so that every menu item stands, with the
// recording program as the configuration's boot loader.
class CommandTableOnScreen : public ::testing::Test {
protected:
    void SetUp() override { Start(u"OPR_PRV"); }
    void TearDown() override
    {
        if (m_shell.View().m_hProgram != 0) {
            std::ofstream(m_recordFile + ".end") << "";
            WaitUntil([&] { return m_shell.View().m_hProgram == 0; });
        }
        unsetenv("VEXAR_TEST_RECORD_FILE");
        EXPECT_EQ(m_shell.Exit(), 0);
    }

    void Start(const std::u16string& profile)
    {
        m_recordFile = m_shell.Folder().File("record");
        setenv("VEXAR_TEST_RECORD_FILE", m_recordFile.c_str(), 1);
        m_shell.StartWithConfiguration("VXG4", "VXG4_R0107", [&](const fixtures::SyntheticConfiguration& installed) {
            std::string error;
            ASSERT_TRUE(fixtures::InstallDemoSettings(installed, error)) << error;
            m_shell.Folder().WriteSession(u"English.lng", {}, profile);
            // The synthetic configuration names "st7flash.exe" as its loader.
            const std::string loader = m_shell.Folder().File("prgbay/st7flash");
            fs::create_directories(fs::path(loader).parent_path());
            fs::copy_file(RECORD_PROGRAM_EXE, loader);
        });
        ASSERT_EQ(m_shell.View().m_nKeyAction[18], kActionTest) << "not every button is shown";
        m_record.Clear();
    }

    // What the dispatch record holds since the last call.
    Reached Take()
    {
        Reached entries = m_record.Entries();
        m_record.Clear();
        return entries;
    }

    // Chooses the command's menu item as a user does: its popup is about
    // to show (the update handlers run), then the item, when enabled, is
    // triggered. False when the item is missing or disabled.
    bool ChooseItem(unsigned id)
    {
        const std::optional<ui::MenuItem> item = m_shell.Frame().MenuBar().FindCommand(id);
        if (!item)
            return false;
        if (QMenu* popup = item->menu.popup())
            emit popup->aboutToShow();
        if (!item->item->isEnabled())
            return false;
        item->item->trigger();
        return true;
    }
    // The key into the widget that has the focus (the command bar's first
    // button when nothing has).
    void Press(COMMAND_KEY key, QWidget* into = nullptr)
    {
        QWidget* target = into ? into : &m_shell.View().Button(0);
        switch (key.kind) {
        case KeyKind::Function: {
            const bool shift = key.code > 12;
            QTest::keyClick(target, static_cast<Qt::Key>(Qt::Key_F1 + (shift ? key.code - 13 : key.code - 1)),
                            shift ? Qt::ShiftModifier : Qt::NoModifier);
            break;
        }
        case KeyKind::CtrlAltShift:
            QTest::keyClick(target, static_cast<Qt::Key>(Qt::Key_A + (key.code - 'A')),
                            Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
            break;
        case KeyKind::Ctrl:
            QTest::keyClick(target, static_cast<Qt::Key>(Qt::Key_A + (key.code - 'A')), Qt::ControlModifier);
            break;
        case KeyKind::None: break;
        }
    }
    void Click(int action) { QTest::mouseClick(&m_shell.View().Button(action), Qt::LeftButton); }

    // The first map of the parameter window, on its page, shown and
    // focused.
    CCtrlGrid* ShownMap()
    {
        CDlgTabSB* params = m_shell.View().m_wndParams.get();
        if (!params)
            return nullptr;
        // The maps are no Qt classes of their own: found by their C++ type.
        CCtrlGrid* map = nullptr;
        for (QWidget* child : params->findChildren<QWidget*>())
            if (!map)
                map = dynamic_cast<CCtrlGrid*>(child);
        if (!map)
            return nullptr;
        for (int page = 0; page < 16 && !map->isVisible(); ++page)
            params->ShowPage(page);
        map->setFocus();
        return map;
    }

    ShellHarness m_shell;
    ui::DispatchRecord m_record;
    std::string m_recordFile;
};

std::string Name(const COMMAND_ROW& row) { return std::to_string(row.id); }

}  // namespace

// While the boot loader runs (PRG ECU's button started it), every built
// row's menu item, function key, button and hidden key reaches the handler
// its row names, which refuses: nothing else starts, nothing is posted to
// the link, no box shows. The rows whose work is a switch show it at once.
TEST_F(CommandTableOnScreen, EveryBuiltRowReachesItsHandlerByItemKeyAndButton)
{
    CVEXARView& view = m_shell.View();
    Click(kActionPrgEcu);
    EXPECT_EQ(Take(), (Reached{{static_cast<unsigned>(kCommandButtons[kActionPrgEcu].button),
                                 "CVEXARView::OnBtnProgramEcu"}}));
    const pid_t program = view.m_hProgram;
    ASSERT_NE(program, 0) << "the loader did not start";
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(m_recordFile); }));
    m_shell.App().ClearPosted();

    // The switches and windows that act while a program runs, each with
    // what it shows; the dialogs that still show (read only), closed at
    // once; the disconnect, whose item waits for a link.
    const std::map<unsigned, std::function<bool()>> effects{
        {ID_VIEW_STATUS_BAR, [&] { return m_shell.Frame().statusBar()->isHidden(); }},
        {ID_LINEA_K, [&] { return m_shell.App().m_bKLine == 1; }},
        {ID_SERIALE, [&] { return m_shell.App().m_bKLine == 0; }},
        {ID_TRACE, [&] { return view.m_dlgTrace && view.m_dlgTrace->isVisible(); }},
    };
    const std::map<unsigned, std::string> dialogs{{ID_APP_ABOUT, typeid(CAboutDlg).name()},
                                                  {ID_COMMENTI, typeid(CDlgViewComm).name()}};
    std::vector<std::string> shown;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            shown.push_back(typeid(*dialog).name());
            dialog->done(QDialog::Rejected);
        }
    });
    closer.start();
    for (const COMMAND_ROW& row : kCommandTable) {
        if (row.pending)
            continue;
        SCOPED_TRACE(Name(row));
        // Items that wait for a link the bench has not brought up: the ECU's
        // disconnect, the adapter's disconnect and the petrol diagnosis.
        if (row.id == ID_DISCONNETTI || row.id == ID_DISCONNETTI_BENZ || row.id == ID_DIAG_BENZ) {
            EXPECT_FALSE(ChooseItem(row.id)) << "enabled without its link";
            EXPECT_EQ(Take(), Reached{});
        } else if (row.place != MenuPlace::None) {
            // The languages' first item stands for the range.
            shown.clear();
            EXPECT_TRUE(ChooseItem(row.id)) << "no enabled menu item";
            EXPECT_EQ(Take(), (Reached{{row.id, row.handler}}));
            if (effects.contains(row.id)) {
                EXPECT_TRUE(effects.at(row.id)()) << "the item showed nothing";
            }
            EXPECT_EQ(shown, dialogs.contains(row.id) ? std::vector<std::string>{dialogs.at(row.id)}
                                                      : std::vector<std::string>{});
        }
        if (row.button.action >= 0 &&
            (row.button.rule == EnableRule::Linked || row.button.rule == EnableRule::ObdLinked)) {
            // A button of a link waits for it, and so does its key.
            Click(row.button.action);
            EXPECT_EQ(Take(), Reached{}) << "its button without its link";
            Press(row.key);
            EXPECT_EQ(Take(), Reached{}) << "its function key without its link";
        } else if (row.button.action >= 0) {
            const auto button = static_cast<unsigned>(row.button.button);
            Click(row.button.action);
            EXPECT_EQ(Take(), (Reached{{button, row.button.handler}})) << "its button";
            Press(row.key);
            EXPECT_EQ(Take(), (Reached{{button, row.button.handler}})) << "its function key";
        } else if (row.key.kind == KeyKind::CtrlAltShift && row.id != link::ID_DESIGN_GRID) {
            Press(row.key);
            EXPECT_EQ(Take(), (Reached{{row.id, row.handler}})) << "its hidden key";
            if (effects.contains(row.id)) {
                EXPECT_TRUE(effects.at(row.id)()) << "the key showed nothing";
            }
        }
    }
    EXPECT_EQ(view.m_hProgram, program) << "a second program, or the first one lost";
    EXPECT_EQ(m_shell.App().Posted(), std::vector<unsigned>{});
    EXPECT_TRUE(m_shell.Dialogs().shown().empty());
    EXPECT_TRUE(m_shell.Frame().isVisible());
}

// One real effect of each kind once nothing runs: a window (the vehicle
// configuration by F7), a file command (the reset to the defaults asks
// first, by F4), the version box and the trace window (opened, then
// restored and focused by a second press), and a focused map's copy,
// paste and undo by Ctrl+C, Ctrl+V and Ctrl+Z, and its page's design grid.
TEST_F(CommandTableOnScreen, EachKindOfCommandDoesItsWork)
{
    CVEXARView& view = m_shell.View();
    Press(ActionRow(kActionVehicleConfig).key);
    EXPECT_EQ(Take(), (Reached{{static_cast<unsigned>(kCommandButtons[kActionVehicleConfig].button),
                                 "CVEXARView::OnBtnVehicleConfiguration"}}));
    ASSERT_TRUE(view.m_wndParams && view.m_wndParams->isVisible()) << "F7 showed no parameter window";

    m_shell.Dialogs().ExpectMessageBox(ui::IDNO, TestText(3104));
    Press(ActionRow(kActionResetMemory).key);
    EXPECT_EQ(m_shell.Dialogs().pending(), 0u) << "F4 asked nothing";

    const COMMAND_ROW& version = *FindCommandRow(ID_VERSION_CODE);
    m_shell.Dialogs().ExpectMessageBox(ui::IDOK);
    Press(version.key);
    ASSERT_EQ(m_shell.Dialogs().shown().size(), 2u);
    EXPECT_EQ(m_shell.Dialogs().shown()[1].style & ui::MB_ICONMASK, ui::MB_ICONINFORMATION);
    EXPECT_FALSE(m_shell.Dialogs().shown()[1].text.empty());

    const COMMAND_ROW& trace = *FindCommandRow(ID_TRACE);
    Press(trace.key);
    ASSERT_TRUE(view.m_dlgTrace && view.m_dlgTrace->isVisible());
    link::CDlgDebug* window = view.m_dlgTrace.get();
    window->showMinimized();
    m_shell.Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_shell.Frame()));
    Press(trace.key);
    EXPECT_EQ(view.m_dlgTrace.get(), window) << "a second trace window";
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(QTest::qWaitForWindowActive(window)) << "the trace window did not take the focus";
    Take();

    CCtrlGrid* map = ShownMap();
    ASSERT_NE(map, nullptr) << "no map on the parameter pages";
    GRID_CELL cell;
    for (std::int32_t row = 0; row < 8 && cell.row < 0; ++row)
        for (std::int32_t column = 0; column < 8 && cell.row < 0; ++column)
            if (map->IsCellEditable(row, column))
                cell = {row, column};
    ASSERT_GE(cell.row, 0) << "no editable cell";
    map->SetCurrentCell(cell);
    map->SetSelection({cell.column, cell.row, cell.column, cell.row});
    const std::u16string before = map->CellText(cell.row, cell.column);
    Press(FindCommandRow(link::ID_EDIT_COPY)->key, map);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdU16String(), before);
    QGuiApplication::clipboard()->setText(before == u"1" ? QStringLiteral("2") : QStringLiteral("1"));
    Press(FindCommandRow(link::ID_EDIT_PASTE)->key, map);
    EXPECT_NE(map->CellText(cell.row, cell.column), before);
    Press(FindCommandRow(link::ID_EDIT_UNDO)->key, map);
    EXPECT_EQ(map->CellText(cell.row, cell.column), before);
    Press(FindCommandRow(link::ID_DESIGN_GRID)->key, map);
    Reached expected;
    for (unsigned id : {link::ID_EDIT_COPY, link::ID_EDIT_PASTE, link::ID_EDIT_UNDO, link::ID_DESIGN_GRID})
        expected.push_back({id, FindCommandRow(id)->handler});
    EXPECT_EQ(Take(), expected);
}

// The rows whose work is not here yet keep their items and buttons
// disabled, and neither the item, the button nor the key reaches anything.
TEST_F(CommandTableOnScreen, PendingRowsStayDisabledByEveryRoad)
{
    CVEXARView& view = m_shell.View();
    for (const COMMAND_ROW& row : kCommandTable) {
        if (!row.pending)
            continue;
        SCOPED_TRACE(Name(row));
        if (m_shell.Frame().MenuBar().FindCommand(row.id)) {
            EXPECT_FALSE(ChooseItem(row.id)) << "the item is enabled";
        }
        if (row.button.action >= 0) {
            EXPECT_FALSE(view.Button(row.button.action).isEnabled());
            EXPECT_FALSE(view.Label(row.button.action).isEnabled());
            Click(row.button.action);
            Press(row.key);
        }
        EXPECT_EQ(Take(), Reached{});
    }
}

// In the limited profile the calibration load and the ECU programming
// stay disabled whichever road is taken: button, function key or menu
// item.
TEST_F(CommandTableOnScreen, TheLimitedProfileKeepsLoadAndProgrammingShut)
{
    CVEXARView& view = m_shell.View();
    view.SetProfile(ProfileOfCombined(4));
    view.UpdateMenusForProfile();
    view.EnableLimitedActions();
    for (int action : {kActionLoadCalib, kActionPrgEcu}) {
        const COMMAND_ROW& row = ActionRow(action);
        SCOPED_TRACE(Name(row));
        EXPECT_FALSE(view.Button(action).isEnabled());
        EXPECT_FALSE(view.Label(action).isEnabled());
        Click(action);
        Press(row.key);
        EXPECT_FALSE(ChooseItem(row.id)) << "the item is enabled";
        EXPECT_EQ(Take(), Reached{});
    }
    EXPECT_EQ(view.m_hProgram, 0);
    EXPECT_TRUE(m_shell.Dialogs().shown().empty());
    // Back in the public profile both work again.
    view.SetProfile(ProfileOfCombined(0));
    view.EnableLimitedActions();
    m_shell.Dialogs().ExpectFileDialog(false, std::nullopt);
    Press(ActionRow(kActionLoadCalib).key);
    EXPECT_EQ(Take(), (Reached{{static_cast<unsigned>(kCommandButtons[kActionLoadCalib].button),
                                 "CVEXARView::OnBtnLoadNewConfiguration"}}));
}
