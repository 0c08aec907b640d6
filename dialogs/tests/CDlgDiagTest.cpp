// The diagnosis window on the off-screen platform with a test-built set of
// definitions: the tables of every profile, rows that follow the values and
// the ECU's actions, the catalogue, the editors over their cells, the
// polling switch and the link state, the checklist lines and the reset
// buttons.
#include "dialogs/CDlgDiag.h"

#include "DialogTestSupport.h"
#include "common/CStdioFileEx.h"
#include "dialogs/CScrollResizeFunc.h"
#include "link/LinkMessages.h"
#include "link/LinkRequests.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlList.h"
#include "pages/CCtrlStatic.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/WindowMessage.h"
#include "platform/ui/WindowState.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QHeaderView>
#include <QStyle>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include <fstream>
#include <optional>
#include <stdexcept>
#include <vector>

using namespace vexar;
using namespace vexar::link;

namespace {

// Keeps the requests instead of handing them to a worker.
class DiagApp : public CVEXARPages {
public:
    struct Request {
        unsigned id;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        std::optional<VARIABLE_WRITE> variable;
    };
    bool PostLinkRequest(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                         std::unique_ptr<LinkPayload> payload) override
    {
        Request request{id, wParam, lParam, std::nullopt};
        if (const auto* write = dynamic_cast<const VARIABLE_WRITE*>(payload.get()))
            request.variable = *write;
        requests.push_back(request);
        return true;
    }
    std::size_t Count(unsigned id) const
    {
        return static_cast<std::size_t>(
            std::count_if(requests.begin(), requests.end(), [id](const Request& r) { return r.id == id; }));
    }
    // The last masked write queued.
    const VARIABLE_WRITE& LastVariable() const
    {
        for (auto it = requests.rbegin(); it != requests.rend(); ++it)
            if (it->variable)
                return *it->variable;
        throw std::runtime_error("no variable write");
    }
    std::vector<Request> requests;
};

REC_CONTROLLO Base(std::int32_t key, std::int32_t category, std::int32_t type, std::int32_t address,
                   std::uint32_t mask, std::int32_t access, std::u16string label)
{
    REC_CONTROLLO d;
    d.ID_GUI = key;
    d.CATEGORIA = category;
    d.TIPO = type;
    d.LSB = address;
    d.MASCHERA = mask;
    d.OPERATORE = access;
    d.ETICHETTA = std::move(label);
    d.IDENTIFICATORE = u"ID" + std::u16string(1, static_cast<char16_t>(u'0' + key % 10));
    return d;
}

REC_CONTROLLO Diag(std::int32_t key, std::int32_t category, std::int32_t type, std::int32_t address, std::uint32_t mask,
                   std::int32_t access, std::int32_t action, std::vector<std::pair<std::u16string, std::int32_t>> items)
{
    REC_CONTROLLO d = Base(key, category, type, address, mask, access, u"Diag " + std::u16string(1, u'0' + key % 10));
    DiagBlock block;
    block.SCALA = 1;
    block.NUM_ERRORI = static_cast<std::int32_t>(items.size());
    for (auto& [text, code] : items) {
        block.ETICHETTE_ERRORI.push_back(text);
        block.COD_ERRORI.push_back(code);
    }
    block.ID_AZIONE = action;
    d.GRAFICA = block;
    return d;
}

REC_CONTROLLO Actions(std::int32_t key, std::int32_t address, std::int32_t access, std::int32_t elements,
                      std::vector<std::pair<std::u16string, std::int32_t>> items)
{
    REC_CONTROLLO d = Base(key, CTRL_RIPR, DATO_UBYTE, address, 0xFF, access, u"Actions");
    RiprBlock block;
    block.NUM_ERRORI = elements;
    block.NUM_AZIONI = static_cast<std::int32_t>(items.size());
    for (auto& [text, code] : items) {
        block.ETICHETTE_AZIONI.push_back(text);
        block.COD_AZIONI.push_back(code);
    }
    d.GRAFICA = block;
    return d;
}

REC_CONTROLLO Reset(std::int32_t key, std::int32_t route, std::int32_t type, std::int32_t address, std::uint32_t mask,
                    std::u16string label)
{
    REC_CONTROLLO d = Base(key, CTRL_RESET, type, address, mask, OPR_PBL, std::move(label));
    d.GRAFICA = ResetBlock{route, 1, 0, 200};
    return d;
}

// The test-built set: a public sensor list (actions 303, privileged), a
// public injector bit list (its own public actions 307), a privileged list
// whose actions are empty, a public list naming 303 again, two resets.
std::vector<REC_CONTROLLO> Definitions()
{
    const std::vector<std::pair<std::u16string, std::int32_t>> actions{{u"None", 0}, {u"Petrol", 1}, {u"Locked", 2}};
    return {Diag(301, CTRL_DIAG, DATO_UBYTE, 16, 0xFF, OPR_PBL, 303, {{u"No error", 0}, {u"Open", 1}, {u"Short", 2}}),
            Diag(302, CTRL_DIAG_BIT, DATO_UWORD, 18, 0xF, OPR_PBL, 307,
                 {{u"Inj 1", 1}, {u"Inj 2", 2}, {u"Inj 3", 4}, {u"Inj 4", 8}}),
            Actions(303, 50, OPR_PRV, 3, actions),
            Reset(304, RESET_IN_VAR, DATO_UBYTE, 20, 0xFF, u"Clear permanent"),
            Actions(307, 53, OPR_PBL, 4, actions),
            Diag(308, CTRL_DIAG, DATO_UBYTE, 22, 0xFF, OPR_PRV, 309, {{u"Off", 0}, {u"On", 1}}),
            Actions(309, 57, OPR_PRV, 2, {}),
            Diag(310, CTRL_DIAG, DATO_UBYTE, 23, 0xFF, OPR_PBL, 303, {{u"Fine", 0}, {u"Bad", 1}}),
            Reset(305, RESET_IN_VAR, DATO_UBYTE, 21, 0xFF, u"Clear occasional")};
}

void Deliver()
{
    for (int i = 0; i < 6; ++i)
        QCoreApplication::processEvents();
}

void Send(ui::WindowBase& window, unsigned id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0)
{
    ui::WindowMessage message{id, wParam, lParam, nullptr};
    window.Dispatch(message);
}

// A user's choice in an open list.
void Choose(QComboBox& list, int position)
{
    list.showPopup();
    QAbstractItemView* items = list.view();
    items->setCurrentIndex(list.model()->index(position, 0));
    QTest::keyClick(items, Qt::Key_Return);
    Deliver();
}

class DiagWindow : public ::testing::Test {
protected:
    DiagWindow()
        : home({{3044, u"Polling off"},
                {3045, u"Polling on"},
                {3084, u"Control"},
                {3085, u"Code"},
                {3086, u"State"},
                {3087, u"Action"},
                {3088, u"Gas diagnosis"},
                {3291, u"Split errors"},
                {3292, u"Current errors"}}),
          definitions(Definitions())
    {
        app.m_pUiSink = &adapter;
        app.ResizeImages(64, 32);
        // Actions held by the ECU: sensors 0, 1, 2 -> None, Petrol, Locked;
        // injectors 1..4 -> Locked, None, Petrol, None.
        for (const auto& [address, value] : std::vector<std::pair<int, int>>{
                 {50, 0}, {51, 1}, {52, 2}, {53, 2}, {54, 0}, {55, 1}, {56, 0}})
            app.m_pParMaster[static_cast<std::size_t>(address)] = static_cast<std::uint8_t>(value);
        Open(OPR_PRV);
    }

    void Open(std::int32_t profile)
    {
        app.m_nOperator = profile;
        app.m_bOprSvil = profile == OPR_SVIL;
        window = std::make_unique<CDlgDiag>(app);
        window->m_strLangFile = home.LangFile();
        window->m_nOperator = profile;
        window->Create();
        window->CreateRows(definitions);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        Deliver();
        app.requests.clear();
    }

    CCtrlCombo& Row(int key) const
    {
        for (const CTRL_WND& entry : window->m_allRows)
            if (entry.key == key)
                return *dynamic_cast<CCtrlCombo*>(entry.wnd);
        throw std::runtime_error("no row");
    }

    // Sets a variable byte and refreshes the list that reads it.
    void Value(int key, int address, std::vector<std::uint8_t> bytes, bool deliver = true)
    {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            app.m_pVarMaster[static_cast<std::size_t>(address) + i] = bytes[i];
        Send(Row(key), WM_CTRL_REFRESH, 0);
        if (deliver)
            Deliver();
    }

    std::vector<std::vector<QString>> Rows() const
    {
        std::vector<std::vector<QString>> rows;
        QTreeWidget& list = window->List();
        for (int i = 0; i < list.topLevelItemCount(); ++i) {
            std::vector<QString> row;
            for (int c = 0; c < 4; ++c)
                row.push_back(list.topLevelItem(i)->text(c));
            rows.push_back(row);
        }
        return rows;
    }

    static std::vector<std::int32_t> Keys(const CTRL_TABLE& table)
    {
        std::vector<std::int32_t> keys;
        for (const CTRL_WND& entry : table)
            keys.push_back(entry.key);
        return keys;
    }

    void Click(int row)
    {
        QTreeWidget& list = window->List();
        const QRect line = list.visualItemRect(list.topLevelItem(row));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(line.x() + 10, line.center().y()));
        Deliver();
    }

    // The editor stands on its cell, raised by 4 pixels.
    void ExpectOver(const CCtrlCombo* editor, int row, int column)
    {
        ASSERT_NE(editor, nullptr);
        const QRect cell = window->CellRect(row, column);
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(editor->x(), cell.x()) << "row " << row << " column " << column;
        EXPECT_EQ(editor->width(), cell.width()) << "row " << row << " column " << column;
        EXPECT_EQ(editor->y(), cell.y() - CDlgDiag::kEditorRaise) << "row " << row << " column " << column;
        EXPECT_EQ(editor->parentWidget(), window->List().viewport());
    }

    void Link(bool up)
    {
        app.m_bLinked = up ? 1 : 0;
        Send(*window, WM_CTRL_ENABLE, up ? 1 : 0);
    }

    dialogtest::ProgramHome home;
    LinkUiSinkAdapter adapter;
    DiagApp app;
    std::vector<REC_CONTROLLO> definitions;
    std::unique_ptr<CDlgDiag> window;
};

}  // namespace

TEST_F(DiagWindow, EachProfileGetsItsTablesAndRows)
{
    struct Case {
        std::int32_t profile;
        std::vector<std::int32_t> rows;
        std::vector<std::int32_t> actions;
        int listed;
    };
    const Case cases[] = {
        {OPR_PBL, {301, 302, 310}, {307}, 2},
        {OPR_PRV, {301, 302, 308, 310}, {303, 307, 309}, 2},
        {OPR_REM, {301, 302, 308, 310}, {303, 307, 309}, 2},
        {OPR_SVIL, {301, 302, 308, 310}, {303, 307, 309}, 2},
        {OPR_LIMIT, {}, {}, 0},
        {OPR_PBL_LIMIT, {}, {}, 0},
    };
    EXPECT_EQ(Keys(window->m_allRows), (std::vector<std::int32_t>{301, 302, 308, 310}));
    // One control per action definition, for the first list naming it.
    EXPECT_EQ(Keys(window->m_allActions), (std::vector<std::int32_t>{303, 307, 309}));
    for (const Case& c : cases) {
        window->SetOperatorType(c.profile);
        EXPECT_EQ(Keys(window->m_visibleRows), c.rows) << "profile " << c.profile;
        EXPECT_EQ(Keys(window->m_visibleActions), c.actions) << "profile " << c.profile;
        // Value 0 of the bit list shows no row; 308's actions are empty.
        EXPECT_EQ(window->List().topLevelItemCount(), c.listed) << "profile " << c.profile;
        for (const CTRL_WND& entry : window->m_visibleRows) {
            EXPECT_EQ(entry.access, entry.key == 308 ? OPR_PRV : OPR_PBL);
            EXPECT_EQ(entry.hidden, 0);
        }
    }
    EXPECT_EQ(window->windowTitle(), QString("Gas diagnosis"));
    EXPECT_EQ(window->List().headerItem()->text(3), QString("Action"));
}

TEST_F(DiagWindow, RowsFollowTheValuesWithTheEcusActions)
{
    Value(301, 16, {2});
    Value(302, 18, {0, 5});
    const std::vector<std::vector<QString>> expected{{"Diag 1", "2", "Short", "Locked"},
                                                     {"Diag 0", "", "", ""},
                                                     {"Diag 2", "0x00000001", "Inj 1", "Locked"},
                                                     {"Diag 2", "0x00000004", "Inj 3", "Petrol"}};
    EXPECT_EQ(Rows(), expected);

    // 5 -> 4 -> 6: the bit rows go and come in place.
    Value(302, 18, {0, 4});
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(Rows()[2][1], QString("0x00000004"));
    Value(302, 18, {0, 6});
    ASSERT_EQ(Rows().size(), 4u);
    EXPECT_EQ(Rows()[2], (std::vector<QString>{"Diag 2", "0x00000002", "Inj 2", "None"}));
    EXPECT_EQ(Rows()[3][1], QString("0x00000004"));
    // A value without an item empties the sensor row and its action.
    Value(301, 16, {9});
    EXPECT_EQ(Rows()[0], (std::vector<QString>{"Diag 1", "", "", ""}));
}

TEST_F(DiagWindow, TheCatalogueListsEveryErrorWithItsActionAndGoesBack)
{
    Value(301, 16, {1});
    window->SplitButton().click();
    Deliver();
    EXPECT_EQ(window->m_nViewMode, CDlgDiag::kCatalogue);
    EXPECT_EQ(window->SplitButton().text(), QString("Current errors"));
    const std::vector<std::vector<QString>> rows = Rows();
    // 308 is never listed: its actions are empty.
    ASSERT_EQ(rows.size(), 3u + 4u + 2u);
    EXPECT_EQ(rows[0], (std::vector<QString>{"Diag 1", "0", "No error", "None"}));
    EXPECT_EQ(rows[2], (std::vector<QString>{"Diag 1", "2", "Short", "Locked"}));
    EXPECT_EQ(rows[6], (std::vector<QString>{"Diag 2", "0x00000008", "Inj 4", "None"}));
    EXPECT_EQ(rows[8], (std::vector<QString>{"Diag 0", "1", "Bad", ""}));  // 303 is not its own

    // A value read meanwhile (a checklist's read) changes no row.
    Value(301, 16, {2});
    Value(302, 18, {0, 1});
    EXPECT_EQ(Rows(), rows);

    // Back: the current values from the image.
    Send(*window, WM_DIAG_REFRESH_SPLIT);
    Deliver();
    EXPECT_EQ(window->m_nViewMode, CDlgDiag::kCurrentValues);
    EXPECT_EQ(Rows(), (std::vector<std::vector<QString>>{{"Diag 1", "2", "Short", "Locked"},
                                                         {"Diag 2", "0x00000001", "Inj 1", "Locked"},
                                                         {"Diag 0", "0", "Fine", ""}}));
    Send(*window, WM_DIAG_REFRESH_SPLIT);  // nothing in the current values
    EXPECT_EQ(window->m_nViewMode, CDlgDiag::kCurrentValues);
}

// In the catalogue the action editor writes the element of its row's
// error, whatever the list's current value is.
TEST_F(DiagWindow, ACatalogueChoiceWritesItsRowsError)
{
    Value(301, 16, {2});
    app.m_bLinked = 1;
    window->SplitButton().click();
    Deliver();
    Click(1);  // sensor error 1
    CCtrlCombo* editor = window->ActionEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(window->DiagEditor(), nullptr);
    EXPECT_EQ(editor->currentText(), QString("Petrol"));
    app.requests.clear();
    Choose(*editor, 2);
    EXPECT_EQ(app.m_pParMaster[51], 2);
    EXPECT_EQ(app.m_pParMaster[52], 2);
    EXPECT_EQ(app.m_pParMaster[50], 0);
    ASSERT_EQ(app.Count(WM_LINK_WRITE_RANGE), 1u);
    EXPECT_EQ(app.requests.back().wParam, 51u);
    EXPECT_EQ(Rows()[1][3], QString("Locked"));
}

TEST_F(DiagWindow, EditorsStandOverTheirCellsAfterClicksKeysScrollsAndResizes)
{
    Value(302, 18, {0, 0xF});
    Value(301, 16, {1});
    window->List().resize(window->List().width(), 90);
    Deliver();
    Click(0);
    ExpectOver(window->DiagEditor(), 0, 2);
    ExpectOver(window->ActionEditor(), 0, 3);
    EXPECT_EQ(window->DiagEditor()->currentText(), QString("Open"));
    EXPECT_EQ(window->ActionEditor()->currentText(), QString("Petrol"));

    // Down to the first bit row: its own list and actions.
    QTest::keyClick(&window->List(), Qt::Key_Down);
    QTest::keyClick(&window->List(), Qt::Key_Down);
    Deliver();
    const int row = window->EditedRow();
    ASSERT_EQ(row, 2);
    EXPECT_EQ(window->DiagEditor(), &Row(302));
    ExpectOver(window->DiagEditor(), row, 2);
    ExpectOver(window->ActionEditor(), row, 3);

    // Scrolled to the end: the editors follow their row.
    QScrollBar* bar = window->List().verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the list must scroll for this test";
    bar->setValue(bar->maximum());
    Send(*window, WM_LIST_SCROLL_END);
    ExpectOver(window->DiagEditor(), row, 2);
    ExpectOver(window->ActionEditor(), row, 3);

    // A wider code column moves both.
    window->List().header()->resizeSection(1, 200);
    Deliver();
    ExpectOver(window->DiagEditor(), row, 2);
    ExpectOver(window->ActionEditor(), row, 3);

    // A negative row only hides them.
    window->SelectRow(-1);
    EXPECT_EQ(window->EditedRow(), -1);
    EXPECT_FALSE(Row(302).isVisible());
}

TEST_F(DiagWindow, WhoEditsActions)
{
    Value(302, 18, {0, 1});
    Value(301, 16, {1});
    struct Case {
        std::int32_t profile;
        bool sensorAction;
        bool injectorAction;
    };
    for (const Case c : {Case{OPR_PRV, true, true}, Case{OPR_REM, true, true}, Case{OPR_SVIL, false, false},
                         Case{OPR_PBL, false, true}}) {
        window->SetOperatorType(c.profile);
        for (int row = 0; row < window->List().topLevelItemCount(); ++row) {
            Click(row);
            const bool injector = window->DiagEditor() == &Row(302);
            const bool sensor = window->DiagEditor() == &Row(301);
            if (sensor)
                EXPECT_EQ(window->ActionEditor() != nullptr, c.sensorAction) << "profile " << c.profile;
            if (injector)
                EXPECT_EQ(window->ActionEditor() != nullptr, c.injectorAction) << "profile " << c.profile;
            if (!sensor && !injector)
                EXPECT_EQ(window->ActionEditor(), nullptr) << "a row without its own actions";
        }
    }
}

TEST_F(DiagWindow, TheSwitchPollsOnlyWhileLinkedAndTheLinkLossTurnsItOff)
{
    // Offline the switch is closed; forced on it only changes its label.
    EXPECT_FALSE(ui::IsWindowEnabled(window->Switch()));
    EXPECT_FALSE(ui::IsWindowEnabled(window->ResetButton(1)));
    ui::EnableWindow(window->Switch(), true);
    QTest::mouseClick(&window->Switch(), Qt::LeftButton);
    Deliver();
    EXPECT_EQ(window->Switch().GetState(), 1);
    EXPECT_EQ(window->StateLabel().text(), QString("Polling on"));
    EXPECT_TRUE(app.requests.empty());
    QTest::mouseClick(&window->Switch(), Qt::LeftButton);
    Deliver();

    Link(true);
    EXPECT_TRUE(ui::IsWindowEnabled(window->ResetButton(1)));
    window->SplitButton().click();
    Deliver();
    ASSERT_EQ(window->m_nViewMode, CDlgDiag::kCatalogue);
    QTest::mouseClick(&window->Switch(), Qt::LeftButton);
    Deliver();
    EXPECT_EQ(window->m_nViewMode, CDlgDiag::kCurrentValues);
    EXPECT_FALSE(ui::IsWindowEnabled(window->SplitButton()));
    ASSERT_EQ(app.requests.size(), 1u);
    EXPECT_EQ(app.requests[0].id, WM_LINK_DIAG_POLL_ON);
    EXPECT_EQ(window->StateLabel().text(), QString("Polling on"));

    // No editing while polling.
    Click(0);
    EXPECT_EQ(window->EditedRow(), -1);
    EXPECT_EQ(window->DiagEditor(), nullptr);

    QTest::mouseClick(&window->Switch(), Qt::LeftButton);
    Deliver();
    EXPECT_TRUE(ui::IsWindowEnabled(window->SplitButton()));
    EXPECT_EQ(app.requests.back().id, WM_LINK_DIAG_POLL_OFF);

    // The link lost while polling: off with 3044, nothing posted, the
    // catalogue free again.
    QTest::mouseClick(&window->Switch(), Qt::LeftButton);
    Deliver();
    app.requests.clear();
    Link(false);
    EXPECT_EQ(window->Switch().GetState(), 0);
    EXPECT_EQ(window->StateLabel().text(), QString("Polling off"));
    EXPECT_FALSE(ui::IsWindowEnabled(window->Switch()));
    EXPECT_FALSE(ui::IsWindowEnabled(window->ResetButton(2)));
    EXPECT_TRUE(ui::IsWindowEnabled(window->SplitButton()));
    EXPECT_TRUE(app.requests.empty());
}

TEST_F(DiagWindow, ChecklistLinesOfEveryRowKind)
{
    vexar::testing::TempDir folder;
    const std::string path = folder.file("check.txt");
    const auto lines = [&](const std::function<void(CStdioFileEx&)>& write) {
        {
            CStdioFileEx file;
            EXPECT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode));
            write(file);
        }
        CStdioFileEx file;
        EXPECT_TRUE(file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText));
        std::u16string text, line;
        while (file.ReadString(line))
            text += line + u"|";
        return text;
    };
    const REC_CONTROLLO& sensor = definitions[0];
    const REC_CONTROLLO& bits = definitions[1];
    // A sensor value just read: its action is the element of its error even
    // before the action list has heard of it.
    Value(301, 16, {2}, false);
    EXPECT_EQ(lines([&](CStdioFileEx& file) { window->FormatChecklistLine(file, 0, sensor); }),
              u"ID1\tDiag 1\t2\tShort\t2\tLocked|");
    Value(302, 18, {0, 0xD});
    EXPECT_EQ(lines([&](CStdioFileEx& file) { window->FormatChecklistLine(file, 1, bits); }),
              u"ID2\tDiag 2\t0x00000001\tInj 1\t2\tLocked|ID2\tDiag 2\t0x00000004\tInj 3\t1\tPetrol|"
              u"ID2\tDiag 2\t0x00000008\tInj 4\t0\tNone|");
    Value(302, 18, {0, 0});
    EXPECT_EQ(lines([&](CStdioFileEx& file) { window->FormatChecklistLine(file, 1, bits); }), u"ID2\tDiag 2\t|");
    Value(310, 23, {0});
    EXPECT_EQ(lines([&](CStdioFileEx& file) { window->FormatChecklistLine(file, 3, definitions[7]); }),
              u"ID0\tDiag 0\t0\tFine\t|");
}

TEST_F(DiagWindow, ResetButtonsFollowTheDefinitionsAndPulseOnTheirTimer)
{
    EXPECT_EQ(window->ResetButton(1).text(), QString("Clear permanent"));
    EXPECT_EQ(window->ResetButton(2).text(), QString("Clear occasional"));
    EXPECT_FALSE(window->ResetButton(1).isHidden());
    EXPECT_FALSE(window->ResetButton(2).isHidden());
    EXPECT_TRUE(window->ResetButton(3).isHidden());
    Link(true);
    window->ResetButton(2).click();
    Deliver();
    ASSERT_EQ(app.Count(WM_LINK_WRITE_VARIABLE), 1u);
    EXPECT_EQ(app.LastVariable().address, 21);
    Send(*window, ui::WM_TIMER, CDlgDiag::kPulseTimer);
    ASSERT_EQ(app.Count(WM_LINK_WRITE_VARIABLE), 2u);
    EXPECT_EQ(app.LastVariable().engValue, 0);
    EXPECT_EQ(window->Resets().ChainStep(), 0);

    // The chain after a whole-image write, also where the buttons are
    // hidden (editions 2 to 4).
    app.requests.clear();
    app.m_nEdition = 3;
    Open(OPR_PRV);
    Link(true);
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(window->ResetButton(n).isHidden());
    Send(*window, WM_DIAG_START_RESET);
    Send(*window, ui::WM_TIMER, CDlgDiag::kPulseTimer);
    Send(*window, ui::WM_TIMER, CDlgDiag::kPulseTimer);
    ASSERT_EQ(app.requests.size(), 4u);
    ASSERT_EQ(app.Count(WM_LINK_WRITE_VARIABLE), 4u);
    const std::int32_t addresses[] = {20, 20, 21, 21};
    const std::int32_t values[] = {1, 0, 1, 0};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(app.requests[i].variable->address, addresses[i]);
        EXPECT_EQ(app.requests[i].variable->engValue, values[i]);
    }
}

// Closing the window mid-pulse (a reload of the configuration) writes the
// pulse's idle value at once.
TEST_F(DiagWindow, DestroyingTheRowsEndsARunningPulse)
{
    Link(true);
    window->ResetButton(1).click();
    Deliver();
    window->DestroyRows();
    window->Close();
    ASSERT_EQ(app.Count(WM_LINK_WRITE_VARIABLE), 2u);
    EXPECT_EQ(app.LastVariable().engValue, 0);
    EXPECT_EQ(window->m_bCreated, 0);
    EXPECT_TRUE(window->m_allRows.empty());
}

// Shown or hidden, the window tells the worker to rebuild its polled lists,
// and the flag the worker reads follows; OK and the close box only hide.
TEST_F(DiagWindow, ShowAndHideRebuildThePoll)
{
    EXPECT_TRUE(app.m_bDiagWindowShown);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(app.m_bDiagWindowShown);
    window->show();
    EXPECT_TRUE(app.m_bDiagWindowShown);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->m_bCreated, 1);
    EXPECT_EQ(app.Count(WM_LINK_REBUILD_POLL_LIST), 3u);
    EXPECT_EQ(app.requests.size(), 3u);
}

// Fitted to a 1280 x 1024 screen the children scale by 1280/1024 and
// 960/768 (4:3 kept within the screen, so nothing lies beyond its right
// edge); on the design screen nothing moves; the window takes the
// rectangle it is given.
TEST_F(DiagWindow, FittingScalesTheChildrenFromTheDesignScreen)
{
    const QRect list = window->List().geometry();
    window->m_screenSize = [] { return QSize(1024, 768); };
    window->FitToScreen(QRect(0, 0, 1100, 700));
    EXPECT_EQ(window->List().geometry(), list);
    EXPECT_EQ(window->geometry().size(), QSize(1100, 700));

    window->m_screenSize = [] { return QSize(1280, 1024); };
    window->hide();  // as the load fits it, before it first shows
    window->FitToScreen(QRect(0, 0, 1280, 980));
    EXPECT_EQ(window->List().geometry(),
              QRect(list.x() * 1280 / 1024, list.y() * 960 / 768, list.width() * 1280 / 1024,
                    list.height() * 960 / 768));
    EXPECT_LE(window->SplitButton().geometry().right(), 1280 - 1);
    EXPECT_LE(window->List().geometry().right(), 1280 - 1);
    // The action column takes what the other three leave.
    const QHeaderView& header = *window->List().header();
    EXPECT_EQ(header.sectionSize(0), 300);
    EXPECT_EQ(header.sectionSize(2), 300);
    EXPECT_GT(header.sectionSize(3), 500);
    // Fitted before it shows, the action column still reaches the list's
    // right edge, less room for a vertical scroll bar.
    const int scrollBar = window->List().style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_EQ(header.sectionSize(0) + header.sectionSize(1) + header.sectionSize(2) + header.sectionSize(3),
              window->List().width() - 2 * window->List().frameWidth() - scrollBar);

    // 120 pixels per inch: everything shrinks by 96/120.
    const QRect split = window->SplitButton().geometry();
    window->m_dpi = [] { return QSize(120, 120); };
    window->FitToDpi();
    EXPECT_EQ(window->SplitButton().geometry(),
              QRect(split.x() * 96 / 120, split.y() * 96 / 120, split.width() * 96 / 120, split.height() * 96 / 120));
}

// A window smaller than its content scrolls it, ten pixels a line.
TEST_F(DiagWindow, ASmallWindowScrollsItsContent)
{
    window->m_screenSize = [] { return QSize(1024, 768); };
    window->FitToScreen(QRect(0, 0, 1100, 300));
    CScrollResizeFunc& scroller = window->Scroller();
    ASSERT_NE(scroller.VerticalBar(), nullptr);
    EXPECT_TRUE(scroller.VerticalBar()->isVisible());
    EXPECT_FALSE(scroller.HorizontalBar()->isVisible());
    const int top = window->List().y();
    scroller.OnVScroll(CScrollResizeFunc::SB_LINEDOWN, 0);
    EXPECT_EQ(window->List().y(), top - CScrollResizeFunc::kLineStep);
    // Large enough again: back at the start, no bar.
    window->resize(1100, 700);
    EXPECT_EQ(window->List().y(), top);
    EXPECT_FALSE(scroller.VerticalBar()->isVisible());
}
