// The variable pickers on the real drop-down list and list view, over
// controls the factory builds: from a small variable set (two controls
// sharing a label, a colon inside a label and one at its end) and from the
// synthetic configuration's variables; and the graph test window picking
// its traces with them.

#include "DisplayTestSupport.h"
#include "GraphPickerOwner.h"
#include "PagesFixture.h"
#include "TempDir.h"
#include "TestControls.h"
#include "common/Text.h"
#include "config/ControlCodes.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlList.h"
#include "pages/CUtilityFactory.h"
#include "pages/CUtilityPickers.h"
#include "pages/core/CVEXARPages.h"

#include <QTest>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace displaytest;
using vexar::testing::TempDir;

namespace {

// A live variable of the category with its display parameter.
REC_CONTROLLO Variable(std::int32_t id, std::u16string identifier, std::u16string label, std::int32_t category,
                       std::int32_t access, std::int32_t scale)
{
    REC_CONTROLLO d = vexar::testing::MakeDefinition(id, std::move(identifier), category, u"A comment", std::move(label));
    d.TIPO = DATO_UBYTE;
    d.LSB = id % 16;
    d.MASCHERA = 0xFF;
    d.OPERATORE = access;
    d.MIN = u"0";
    d.MAX = u"255";
    std::visit(
        [scale](auto& block) {
            if constexpr (requires { block.SCALA; })
                block.SCALA = scale;
        },
        d.GRAFICA);
    return d;
}

// A page whose variable controls the factory builds, one a row.
class VariablePage {
public:
    explicit VariablePage(CVEXARPages& app) : m_app(app)
    {
        m_app.m_nOperator = OPR_PRV;
        page.resize(900, 700);
    }
    ~VariablePage() { CUtility::DeleteCtrls(table); }

    void Build(const std::vector<REC_CONTROLLO>& definitions)
    {
        m_definitions = definitions;
        for (std::size_t i = 0; i < m_definitions.size(); ++i) {
            CTRL_CREATE args;
            args.app = &m_app;
            args.parent = &page;
            args.font = page.font();
            args.secondFont = page.font();
            args.grid.area = {0, 0, 880, 2000};
            args.grid.cellHeight = 60;
            args.grid.cellWidth = 220;
            args.grid.pageHeight = 2000;
            args.grid.pageWidth = 880;
            CUtility::CalcRowsCols(args.grid);
            args.definition = &m_definitions[i];
            args.row = static_cast<std::int32_t>(i);
            args.column = 1;
            args.imageFamily = 1;
            args.profile = OPR_PRV;
            args.baseId = 6000;
            ASSERT_TRUE(CUtility::CreateCtrl(args, table)) << i;
        }
    }

    QWidget page;
    CTRL_TABLE table;

private:
    CVEXARPages& m_app;
    std::vector<REC_CONTROLLO> m_definitions;
};

std::vector<std::pair<std::u16string, int>> Items(const CCtrlCombo& picker)
{
    std::vector<std::pair<std::u16string, int>> items;
    for (int i = 0; i < picker.count(); ++i)
        items.emplace_back(picker.itemText(i).toStdU16String(), picker.itemData(i).toInt());
    return items;
}

std::vector<std::u16string> Lines(const CCtrlList& list)
{
    std::vector<std::u16string> lines;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        lines.push_back(list.topLevelItem(i)->text(0).toStdU16String());
    return lines;
}

int IndexOf(const CCtrlCombo& picker, const char16_t* name)
{
    return picker.findText(QString::fromStdU16String(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

using Names = std::vector<std::pair<std::u16string, int>>;
using LineTexts = std::vector<std::u16string>;

class Pickers : public ::testing::Test {
protected:
    Pickers() : variables(app), picker(app, &variables.page), list(&variables.page)
    {
        variables.Build({
            Variable(1, u"Giri_Motore", u"Engine speed", CTRL_BAR, OPR_PBL, 100),
            Variable(2, u"Giri_Filtrati", u"Engine speed", CTRL_TERM, OPR_PRV, 10),  // the same label
            Variable(3, u"Temperatura_Gas", u"Gas:temperature", CTRL_TERM, OPR_PBL, 1),
            Variable(4, u"Tensione_Batteria", u"Battery voltage:", CTRL_LED, OPR_PRV, 0),
            Variable(5, u"Lambda", u" : ", CTRL_BAR, OPR_REM, 1),  // no name left
            Variable(6, u"Sonda", u"Lambda probe", CTRL_BAR, OPR_REM, 4),
        });
        picker.SetRole(CCtrlCombo::kRolePicker);
        list.setHeaderLabels({"Nome"});
        variables.page.show();
        (void)QTest::qWaitForWindowExposed(&variables.page);
    }

    void Pick(const char16_t* name)
    {
        const int at = IndexOf(picker, name);
        ASSERT_GE(at, 0);
        picker.SetSelection(at);
    }

    CVEXARPages app;
    VariablePage variables;
    CCtrlCombo picker;
    CCtrlList list;
};

TEST_F(Pickers, ThePickerOffersEachNameOnceInTableOrderForTheProfile)
{
    CUtility::FillVarCombo(OPR_PBL, variables.table, picker);
    EXPECT_EQ(Items(picker), (Names{{u"Engine speed", 0}, {u"Gas temperature", 2}}));

    const Names all{{u"Engine speed", 0}, {u"Gas temperature", 2}, {u"Battery voltage", 3}, {u"Lambda probe", 5}};
    for (std::int32_t mode : {OPR_PRV, OPR_REM}) {
        CUtility::FillVarCombo(mode, variables.table, picker);
        EXPECT_EQ(Items(picker), all) << "mode " << mode << ": filled anew, not added to";
    }
    for (std::int32_t mode : {OPR_SVIL, OPR_LIMIT, OPR_PBL_LIMIT}) {
        CUtility::FillVarCombo(mode, variables.table, picker);
        EXPECT_EQ(picker.count(), 0) << "mode " << mode;
    }
}

TEST_F(Pickers, TheChosenVariableIsListedOnceWithItsImage)
{
    CUtility::SetListImages(list, {QIcon(), QIcon(), QIcon(), QIcon(QPixmap(16, 16))});
    CUtility::FillVarCombo(OPR_PRV, variables.table, picker);
    picker.SetSelection(-1);
    EXPECT_EQ(CUtility::AddVarToList(variables.table, picker, list, true, 3, nullptr, nullptr), -1)
        << "nothing selected";

    Pick(u"Engine speed");
    REC_CONTROLLO definition;
    std::int32_t index = -1;
    EXPECT_EQ(CUtility::AddVarToList(variables.table, picker, list, true, 3, &definition, &index), 0);
    EXPECT_EQ(definition.IDENTIFICATORE, u"Giri_Motore") << "the first of the two with that label";
    EXPECT_EQ(index, 0);
    EXPECT_EQ(CUtility::GetListImage(list, 0), 3);
    EXPECT_FALSE(list.topLevelItem(0)->icon(0).isNull());

    Pick(u"Battery voltage");
    EXPECT_EQ(CUtility::AddVarToList(variables.table, picker, list, true, -1, nullptr, &index), 1);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(CUtility::GetListImage(list, 1), -1);
    EXPECT_TRUE(list.topLevelItem(1)->icon(0).isNull());
    Pick(u"Gas temperature");
    EXPECT_EQ(CUtility::AddVarToList(variables.table, picker, list, false, 0, nullptr, nullptr), 2);
    EXPECT_EQ(Lines(list), (LineTexts{u"(100)Engine speed", u"(0)Battery voltage", u"Gas temperature"}));

    // Chosen again, in either form: the line is shown, not added.
    for (const char16_t* again : {u"Engine speed", u"Gas temperature"}) {
        list.clearSelection();
        list.setCurrentItem(list.topLevelItem(1));
        picker.setFocus();
        Pick(again);
        EXPECT_EQ(CUtility::AddVarToList(variables.table, picker, list, true, 5, nullptr, nullptr), -1);
        EXPECT_EQ(list.topLevelItemCount(), 3);
        const int line = again == std::u16string(u"Engine speed") ? 0 : 2;
        EXPECT_EQ(list.currentItem(), list.topLevelItem(line));
        EXPECT_TRUE(list.topLevelItem(line)->isSelected());
        EXPECT_TRUE(QTest::qWaitFor([&] { return list.hasFocus(); }, 1000));
    }
}

TEST_F(Pickers, AnItemOutsideTheTableAddsNothing)
{
    CUtility::FillVarCombo(OPR_PRV, variables.table, picker);
    picker.addItem("Ghost", QVariant(99));
    picker.addItem("Unnumbered", QVariant(QString("x")));
    for (const char16_t* name : {u"Ghost", u"Unnumbered"}) {
        Pick(name);
        std::int32_t index = 42;
        EXPECT_EQ(CUtility::AddVarToList(variables.table, picker, list, true, 0, nullptr, &index), -1);
        EXPECT_EQ(index, 42);
    }
    EXPECT_EQ(list.topLevelItemCount(), 0);
}

TEST_F(Pickers, RemovingALineClearsThePickerOnlyForItsOwnVariable)
{
    CUtility::FillVarCombo(OPR_PRV, variables.table, picker);
    EXPECT_FALSE(CUtility::RemoveVarFromList(0, picker, list)) << "an empty list";
    for (const char16_t* name : {u"Engine speed", u"Gas temperature", u"Lambda probe"}) {
        Pick(name);
        ASSERT_GE(CUtility::AddVarToList(variables.table, picker, list, true, 1, nullptr, nullptr), 0);
    }
    EXPECT_FALSE(CUtility::RemoveVarFromList(3, picker, list));
    EXPECT_FALSE(CUtility::RemoveVarFromList(-1, picker, list));
    EXPECT_EQ(list.topLevelItemCount(), 3);

    // The picker shows "Lambda probe"; another line goes, the selection stays.
    EXPECT_TRUE(CUtility::RemoveVarFromList(0, picker, list));
    EXPECT_EQ(Lines(list), (LineTexts{u"(1)Gas temperature", u"(4)Lambda probe"}));
    EXPECT_EQ(picker.currentText(), "Lambda probe");
    // Its own line, in the "(%ld)%s" form, clears it.
    EXPECT_TRUE(CUtility::RemoveVarFromList(1, picker, list));
    EXPECT_EQ(picker.currentIndex(), -1);
    EXPECT_EQ(Lines(list), (LineTexts{u"(1)Gas temperature"}));

    Pick(u"Gas temperature");
    EXPECT_TRUE(CUtility::ClearVarList(picker, list));
    EXPECT_EQ(list.topLevelItemCount(), 0);
    EXPECT_EQ(picker.currentIndex(), -1);
    EXPECT_EQ(picker.count(), 4) << "the picker keeps its items";
}

// The synthetic configuration's variables as the variable window builds
// them: each line with its display parameter.
TEST(PickersOnTheSyntheticConfiguration, EveryVariableIsListedWithItsDisplayParameter)
{
    TempDir home;
    setenv("VEXAR_HOME", home.path().c_str(), 1);
    CVEXARPages app;
    vexar::pagesfixture::PagesFixture pages(app, home.path());
    std::string error;
    ASSERT_TRUE(pages.Load(error)) << error;
    ASSERT_NE(app.m_pVarTable, nullptr);

    QWidget window;
    CCtrlCombo picker(app, &window);
    CCtrlList list(&window);
    CUtility::FillVarCombo(OPR_PRV, *app.m_pVarTable, picker);
    ASSERT_GT(picker.count(), 0);
    for (int i = 0; i < picker.count(); ++i) {
        picker.SetSelection(i);
        REC_CONTROLLO definition;
        ASSERT_EQ(CUtility::AddVarToList(*app.m_pVarTable, picker, list, true, -1, &definition, nullptr), i);
        const std::u16string expected = vexar::Format(u"(%ld)%s", CUtility::GetDisplayParam(definition),
                                                      CUtility::CleanCtrlName(definition.ETICHETTA));
        EXPECT_EQ(list.topLevelItem(i)->text(0).toStdU16String(), expected);
    }
    const int at = picker.findText("Engine speed");
    ASSERT_GE(at, 0);
    EXPECT_EQ(list.topLevelItem(at)->text(0), "(100)Engine speed");
    picker.SetSelection(at);
    EXPECT_EQ(CUtility::AddVarToList(*app.m_pVarTable, picker, list, true, -1, nullptr, nullptr), -1);
    EXPECT_EQ(list.topLevelItemCount(), picker.count());

    // The public profile is offered the public variables, each name once.
    const int all = picker.count();
    CUtility::FillVarCombo(OPR_PBL, *app.m_pVarTable, picker);
    EXPECT_GT(picker.count(), 0);
    EXPECT_LE(picker.count(), all);
    for (int i = 0; i < picker.count(); ++i)
        EXPECT_EQ((*app.m_pVarTable)[static_cast<std::size_t>(picker.itemData(i).toInt())].access, OPR_PBL);
    for (const CTRL_WND& entry : *app.m_pVarTable) {
        REC_CONTROLLO definition;
        if (entry.access == OPR_PBL && CUtility::GetCtrlDefinition(entry, definition)) {
            EXPECT_GE(picker.findText(QString::fromStdU16String(CUtility::CleanCtrlName(definition.ETICHETTA))), 0);
        }
    }
}

// ---- the graph test window picking its traces ---------------------------------

class GraphPicking : public ::testing::Test {
protected:
    GraphPicking() : variables(app), lang(InstallLanguage())
    {
        std::vector<REC_CONTROLLO> definitions;
        for (int i = 0; i < 12; ++i)
            definitions.push_back(Variable(10 + i, u"VAR_" + vexar::Format(u"%02d", i),
                                           u"Variable " + vexar::Format(u"%02d", i), CTRL_BAR, OPR_PBL, i + 1));
        variables.Build(definitions);
        owner = std::make_unique<GraphPickerOwner>(app, lang, variables.table);
        owner->show();
        (void)QTest::qWaitForWindowExposed(owner.get());
    }

    std::string InstallLanguage()
    {
        std::filesystem::create_directories(home.file("Lang"));
        vexar::testing::WriteAll(home.file("Lang/English.lng"), "3093\tTime [s]\n");
        return home.file("Lang/English.lng");
    }

    // The user picks the item with the keys, as with the mouse: one
    // notice to the window, which acts when it arrives.
    void UserPicks(int item)
    {
        const int lines = owner->list.topLevelItemCount();
        owner->picker.setFocus();
        owner->picker.SetSelection(item - 1);
        QTest::keyClick(&owner->picker, Qt::Key_Down);
        ASSERT_EQ(owner->picker.currentIndex(), item);
        QTest::qWait(0);
        (void)QTest::qWaitFor([&] { return owner->list.topLevelItemCount() != lines; }, 200);
    }

    void DoubleClickLine(int line)
    {
        QTreeWidgetItem* item = owner->list.topLevelItem(line);
        ASSERT_NE(item, nullptr);
        DoubleClick(*owner->list.viewport(), Qt::LeftButton, owner->list.visualItemRect(item).center());
    }

    std::vector<std::int32_t> TraceSlots() const
    {
        std::vector<std::int32_t> slotsUsed;
        for (const TRACE_INFO& trace : owner->graph.Traces().Traces())
            slotsUsed.push_back(trace.slot);
        return slotsUsed;
    }

    TempDir home;
    CVEXARPages app;
    VariablePage variables;
    std::string lang;
    std::unique_ptr<GraphPickerOwner> owner;
};

TEST_F(GraphPicking, APickAddsALineAndATraceInTheFirstFreeSlot)
{
    UserPicks(3);
    ASSERT_EQ(Lines(owner->list), (LineTexts{u"(4)Variable 03"}));
    ASSERT_EQ(owner->graph.Traces().Count(), 1u);
    EXPECT_EQ(owner->graph.Traces().Traces()[0].name, u"VAR_03");
    EXPECT_EQ(TraceSlots(), (std::vector<std::int32_t>{0}));
    EXPECT_EQ(CUtility::GetListImage(owner->list, 0), 0);
    EXPECT_EQ(owner->graph.GetPlotColor("VAR_03"), CCtrlGraph::SlotColour(0));

    UserPicks(3);  // listed already: shown, not added
    EXPECT_EQ(owner->list.topLevelItemCount(), 1);
    EXPECT_EQ(owner->graph.Traces().Count(), 1u);
    EXPECT_EQ(owner->list.currentItem(), owner->list.topLevelItem(0));

    GRAPH_POINT point;
    point.SetIdentifier(u"VAR_03");
    point.time = 2.0;
    point.value = 12.0;
    point.display = 4;
    owner->graph.PlotPoints(point);
    EXPECT_EQ(owner->graph.Traces().Traces()[0].points, (std::vector<REC_PUNTO>{{2.0, 3.0}}))
        << "the one trace of the variable receives its points";
}

TEST_F(GraphPicking, TenTracesAtMostInRotatingSlotsAndADoubleClickRemovesOne)
{
    for (int item = 0; item < 10; ++item)
        UserPicks(item);
    EXPECT_EQ(owner->list.topLevelItemCount(), 10);
    EXPECT_EQ(TraceSlots(), (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    UserPicks(10);
    EXPECT_EQ(owner->list.topLevelItemCount(), 10) << "an eleventh is refused";
    EXPECT_EQ(owner->picker.currentIndex(), -1);

    DoubleClickLine(2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return owner->list.topLevelItemCount() == 9; }, 1000));
    EXPECT_EQ(owner->graph.Traces().Count(), 9u);
    EXPECT_EQ(owner->graph.GetPlotCount(), 9);
    EXPECT_FALSE(owner->graph.IsSlotUsed(2));
    EXPECT_EQ(owner->graph.Traces().Traces()[2].name, u"VAR_03") << "the traces follow the lines";
    EXPECT_TRUE(owner->list.selectedItems().isEmpty()) << "no line takes the removed one's selection";

    // The search starts after the last slot taken (9): back to 0..., the
    // first free one is 2.
    UserPicks(11);
    EXPECT_EQ(owner->graph.Traces().Traces().back().slot, 2);
    EXPECT_EQ(CUtility::GetListImage(owner->list, 9), 2);

    const QImage shot = Shot(owner->list);
    const QRect icon = owner->list.visualItemRect(owner->list.topLevelItem(9));
    EXPECT_GT(CountNear(shot.copy(owner->list.viewport()->geometry()), icon, GraphPickerOwner::SlotColour(2), 8), 20)
        << "the line shows its slot's image";

    if (const char* folder = std::getenv("VEXAR_SCREENSHOTS")) {
        for (const TRACE_INFO& trace : owner->graph.Traces().Traces()) {
            for (int t = 0; t <= 100; t += 5) {
                GRAPH_POINT p;
                p.SetIdentifier(trace.name);
                p.time = t;
                p.value = (trace.slot + 1) * (1.0 + 0.2 * std::sin(t / 10.0 + trace.slot)) * 10;
                p.display = 10;
                owner->graph.PlotPoints(p);
            }
        }
        owner->grab().save(QString::fromUtf8(folder) + "/graph-page.png");
    }
}

}  // namespace
