// The text fields, lists and buttons of the synthetic configuration,
// loaded as the view loads it: each category stands on its page; the fuel
// list's two items share the petrol injection time, which shows while
// either is current; and the diagnosis window's lists, made from the
// diagnosis definitions with an owner that records what they tell it.
#include "HostTestSupport.h"
#include "ListsFixture.h"
#include "PagesFixture.h"
#include "pages/CCtrlButton.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlEdit.h"
#include "pages/CUtilityFactory.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vexar::pagestest;
using namespace vexar::link;
using vexar::pagesfixture::PagesFixture;

namespace {

class SyntheticLists : public ::testing::Test {
protected:
    SyntheticLists()
    {
        app.m_pUiSink = &adapter;
        fixture = std::make_unique<PagesFixture>(app, std::getenv("VEXAR_HOME"));
        std::string error;
        EXPECT_TRUE(fixture->Load(error)) << error;
    }
    ~SyntheticLists() override
    {
        fixture.reset();
        app.m_pUiSink = nullptr;
    }

    template <class Control>
    Control* Find(const CTRL_TABLE& table, std::int32_t key)
    {
        for (const CTRL_WND& entry : table)
            if (entry.key == key)
                return dynamic_cast<Control*>(entry.wnd);
        ADD_FAILURE() << "no control " << key;
        return nullptr;
    }
    static std::int32_t Hidden(const CTRL_TABLE& table, std::int32_t key)
    {
        for (const CTRL_WND& entry : table)
            if (entry.key == key)
                return entry.hidden;
        return -1;
    }

    // Whether the fuel list's condition lets `control` show.
    static bool FuelCondition(const CCtrlCore& control)
    {
        for (const REC_VIS& condition : control.Conditions())
            if (condition.key == 108)
                return condition.visible == 1;
        ADD_FAILURE() << "no condition of the fuel list";
        return false;
    }

    LinkUiSinkAdapter adapter;
    RecordingApp app;
    std::unique_ptr<PagesFixture> fixture;
};

// Every category of the pages' fields, lists and buttons stands placed on
// its page, as its class.
TEST_F(SyntheticLists, EachCategoryStandsOnItsPage)
{
    const CTRL_TABLE& params = fixture->Params().m_placedTable;
    const CTRL_TABLE& vars = fixture->Vars().m_placedTable;
    CCtrlEdit* name = Find<CCtrlEdit>(params, 101);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QString("STANDARD LPG 1.0"));
    EXPECT_EQ(name->MaxLength(), 16);
    EXPECT_NE(Find<CCtrlCombo>(params, 107), nullptr);
    CCtrlCombo* fuel = Find<CCtrlCombo>(params, 108);
    ASSERT_NE(fuel, nullptr);
    EXPECT_EQ(fuel->currentText(), QString("LPG"));
    EXPECT_TRUE(fuel->isEnabled()) << "a privileged profile opens what ABIL_NO closes";
    CCtrlButton* test = Find<CCtrlButton>(params, 109);
    ASSERT_NE(test, nullptr);
    EXPECT_EQ(test->text(), QString("Injector test"));
    EXPECT_NE(Find<CCtrlButton>(params, 110), nullptr);
    EXPECT_TRUE(Find<CCtrlEdit>(vars, 202)->isReadOnly());
    EXPECT_NE(Find<CCtrlEdit>(vars, 208), nullptr);
    EXPECT_FALSE(Find<CCtrlCombo>(vars, 207)->isEnabled());
}

// LPG shows the petrol injection time; CNG shows it and lets the reducer
// pressure show; a value that is neither hides both. The variable
// window's entries follow.
TEST_F(SyntheticLists, TheFuelListsItemsShareThePetrolInjectionTime)
{
    CCtrlCombo* fuel = Find<CCtrlCombo>(fixture->Params().m_placedTable, 108);
    ASSERT_NE(fuel, nullptr);
    const CTRL_TABLE& vars = fixture->Vars().m_placedTable;
    struct Case {
        const char16_t* value;
        std::int32_t pressureHidden;
        std::int32_t petrolHidden;
    };
    for (const Case& c : {Case{u"1", 0, 0}, Case{u"0", 1, 0}, Case{u"5", 1, 1}, Case{u"1", 0, 0}}) {
        ASSERT_TRUE(fuel->LoadParam(u"Tipo_Carburante\t" + std::u16string(c.value) + u"\tc"));
        // The engine-start toggle names the pressure as well: the list's own
        // condition is what it decides.
        EXPECT_EQ(FuelCondition(*Find<CCtrlEdit>(vars, 202)), c.pressureHidden == 0) << vexar::ToUtf8(c.value);
        EXPECT_EQ(Hidden(vars, 208), c.petrolHidden) << vexar::ToUtf8(c.value);
        EXPECT_EQ(Find<CCtrlEdit>(vars, 208)->IsCondHidden(), c.petrolHidden == 1);
    }
}

// The diagnosis definitions make the diagnosis window's lists and reset
// buttons through the factory; with their owner set, a list of errors
// tells it of every refresh and the recovery actions show the element it
// selects; an index beyond the array writes nothing, not even into the
// word before it.
TEST_F(SyntheticLists, TheDiagnosisListsTellTheirOwner)
{
    QWidget window;
    window.resize(700, 300);
    window.show();
    CTRL_TABLE table;
    PAGE_GRID grid;
    grid.area = {10, 10, 690, 290};
    grid.cellHeight = 40;
    grid.cellWidth = 220;
    grid.pageHeight = 280;
    grid.pageWidth = 680;
    std::int32_t row = 0;
    for (const REC_CONTROLLO& definition : fixture->gdgDefs) {
        CTRL_CREATE args = CreateArgs(app, window, grid, definition, {.row = row++, .column = 1});
        args.hidden = false;
        EXPECT_TRUE(CUtility::CreateCtrl(args, table)) << definition.ID_GUI;
    }
    ASSERT_EQ(table.size(), fixture->gdgDefs.size());
    RecordingOwner owner;
    auto* sensors = dynamic_cast<CCtrlCombo*>(table[0].wnd);
    auto* injectors = dynamic_cast<CCtrlCombo*>(table[1].wnd);
    auto* actions = dynamic_cast<CCtrlCombo*>(table[2].wnd);
    ASSERT_TRUE(sensors && injectors && actions);
    for (CCtrlCombo* list : {sensors, injectors}) {
        list->SetRole(CCtrlCombo::kRoleDiagnosis);
        list->SetOwner(&owner);
    }
    actions->SetOwner(&owner);

    app.m_pVarMaster[16] = 2;
    app.m_pVarMaster[18] = 0;
    app.m_pVarMaster[19] = 0x05;
    vexar::ui::WindowMessage refresh{WM_CTRL_REFRESH, 0, 0, nullptr};
    sensors->Dispatch(refresh);
    injectors->Dispatch(refresh);
    // The sensors' three actions, then the injectors' four.
    const std::uint8_t elements[] = {0, 1, 2, 2, 0, 0, 2};
    std::copy(std::begin(elements), std::end(elements), app.m_pParMaster.get() + 50);
    vexar::ui::WindowMessage select{WM_COMBO_SELECT_ELEMENT, 2, 2, nullptr};
    actions->Dispatch(select);
    QCoreApplication::processEvents();
    EXPECT_EQ(sensors->currentText(), QString("Gas pressure sensor shorted"));
    EXPECT_EQ(injectors->currentIndex(), -1) << "two bits: no one error";
    EXPECT_EQ(actions->currentText(), QString("Gas locked until key off"));
    ASSERT_EQ(owner.posts.size(), 3u);
    EXPECT_EQ(owner.posts[0].id, WM_DIAG_VALUE_CHANGED);
    EXPECT_EQ(owner.posts[0].wParam, 301u);
    EXPECT_EQ(owner.posts[1].id, WM_DIAG_BIT_CHANGED);
    EXPECT_EQ(owner.posts[1].wParam, 302u);
    EXPECT_EQ(owner.posts[2].id, WM_DIAG_ACTION);
    EXPECT_EQ(owner.posts[2].value, 2);
    EXPECT_EQ(owner.posts[2].index, 2);

    const std::vector<std::uint8_t> before(app.m_pParMaster.get(), app.m_pParMaster.get() + app.m_nParSize);
    for (const std::uintptr_t invalid : {static_cast<std::uintptr_t>(-1), std::uintptr_t{3}}) {
        vexar::ui::WindowMessage outside{WM_COMBO_SELECT_ELEMENT, invalid, 0, nullptr};
        actions->Dispatch(outside);
        Choose(*actions, 1);
        EXPECT_EQ(actions->currentIndex(), -1);
    }
    EXPECT_EQ(std::vector<std::uint8_t>(app.m_pParMaster.get(), app.m_pParMaster.get() + app.m_nParSize), before);
    EXPECT_EQ(app.Count(WM_LINK_WRITE_RANGE), 0u);

    CUtility::DestroyCtrls(table);
    CUtility::DeleteCtrls(table);
}

}  // namespace
