// The arithmetic of the page builder and hosts without a screen: who sees
// what, the split of a host, the creation order of an area, the grid, the
// design grid under scrolled controls, the identifier order of the tables,
// the scroll state, and the axis a map takes from the synthetic
// calibration's breakpoint vector.
#include "pages/core/CUtilityBuild.h"
#include "pages/core/GridAxis.h"

#include "DefinitionFixtures.h"
#include "TestControls.h"
#include "config/CControlliConfigurati.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

using vexar::testing::DefinitionOnlyCtrl;
using vexar::testing::MakeDefinition;

namespace {

TEST(BuilderRules, ProfilesSeeWhatTheirAccessAdmits)
{
    struct Case {
        std::int32_t profile;
        std::int32_t access;
        bool shows;
    };
    const Case cases[] = {
        {OPR_PBL, OPR_PBL, true},  {OPR_PBL, OPR_PRV, false}, {OPR_PBL, OPR_REM, false},
        {OPR_PRV, OPR_PBL, true},  {OPR_PRV, OPR_REM, true},  {OPR_REM, OPR_PRV, true},
        {OPR_SVIL, OPR_PBL, false}, {OPR_LIMIT, OPR_PBL, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CUtility::ProfileShows(c.profile, c.access), c.shows) << c.profile << " " << c.access;
}

TEST(BuilderRules, SplitsAClientAreaAboveAndBelowTheStatusHeight)
{
    PAGE_RECT top, bottom;
    CUtility::SplitClientRect(100, {0, 0, 400, 300}, {4, 0, 390, 0}, top, bottom);
    EXPECT_EQ(top, (PAGE_RECT{4, 0, 390, 200}));
    EXPECT_EQ(bottom, (PAGE_RECT{4, 201, 390, 300}));
}

// Rows and columns from the page and cell sizes: 20-pixel rows on a page
// 100 pixels high are rows 0 to 4; a cell size of 0 gives one.
TEST(BuilderRules, RowsAndColumnsFollowFromPageAndCellSizes)
{
    struct Case {
        std::int32_t cellHeight, pageHeight, cellWidth, pageWidth, rows, cols;
    };
    const Case cases[] = {
        {20, 100, 50, 260, 5, 5},
        {0, 100, 50, 100, 1, 2},
        {20, 100, 0, 100, 5, 1},
        {-5, 100, -1, 100, 1, 1},
        {30, 20, 30, 29, 0, 0},
    };
    for (const Case& c : cases) {
        PAGE_GRID grid;
        grid.cellHeight = c.cellHeight;
        grid.pageHeight = c.pageHeight;
        grid.cellWidth = c.cellWidth;
        grid.pageWidth = c.pageWidth;
        CUtility::CalcRowsCols(grid);
        EXPECT_EQ(grid.rows, c.rows) << c.cellHeight << "/" << c.pageHeight;
        EXPECT_EQ(grid.cols, c.cols) << c.cellWidth << "/" << c.pageWidth;
        EXPECT_EQ(CUtility::OnGrid(grid, c.rows - 1, 0), c.rows > 0 && c.cols > 0);
        EXPECT_FALSE(CUtility::OnGrid(grid, c.rows, 0));
    }
}

TEST(BuilderRules, PlacesAreCreatedInTabIndexOrder)
{
    auto order = [](std::vector<std::int32_t> indexes) {
        std::vector<REC_POS_CONTROLLO> places;
        for (std::int32_t index : indexes)
            places.push_back({.ID_GUI = 100 + index, .TAB_INDEX = index});
        CUtility::SortByTabIndex(places);
        std::vector<std::int32_t> keys;
        for (const REC_POS_CONTROLLO& place : places)
            keys.push_back(place.ID_GUI);
        return keys;
    };
    EXPECT_EQ(order({3, 1}), (std::vector<std::int32_t>{101, 103}));
    EXPECT_EQ(order({4, 2, 9, 1, 2}), (std::vector<std::int32_t>{101, 102, 102, 104, 109}));
    EXPECT_EQ(order({}), std::vector<std::int32_t>{});
}

TEST(BuilderRules, FindsTheFirstDefinitionOfAKeyAndCountsCategories)
{
    const std::vector<REC_CONTROLLO> definitions = {MakeDefinition(7, u"A", CTRL_CHECK), MakeDefinition(8, u"B", CTRL_DIAG),
                                                    MakeDefinition(7, u"C", CTRL_DIAG)};
    REC_CONTROLLO found;
    ASSERT_TRUE(CUtility::FindCtrlDefinition(7, definitions, found));
    EXPECT_EQ(found.IDENTIFICATORE, u"A");
    EXPECT_FALSE(CUtility::FindCtrlDefinition(9, definitions, found));
    EXPECT_EQ(found.IDENTIFICATORE, u"A") << "left as it was";
    EXPECT_EQ(CUtility::CountCategory(definitions, CTRL_DIAG), 2);
    EXPECT_EQ(CUtility::CountCategory(definitions, CTRL_GRID), 0);
}

// Scrolled by (37, 25) pixels, the grid lies where the controls went: the
// column lines and the row lines moved by exactly the scroll, whatever the
// size of the content.
TEST(BuilderRules, TheDesignGridMovesWithTheScrolledControls)
{
    PAGE_GRID grid;
    grid.area = {10, 10, 290, 190};
    grid.cellHeight = 40;
    grid.cellWidth = 100;
    grid.pageHeight = 1000;
    grid.pageWidth = 3000;
    grid.rows = 2;
    grid.cols = 3;
    const CUtility::DESIGN_GRID still = CUtility::DesignGrid(grid, 0, 0);
    const CUtility::DESIGN_GRID moved = CUtility::DesignGrid(grid, 37, 25);
    ASSERT_EQ(still.lines.size(), 3u + 4u);
    ASSERT_EQ(moved.lines.size(), still.lines.size());
    EXPECT_EQ(still.lines[1], (CUtility::GRID_LINE{10, 50, 290, 50}));
    EXPECT_EQ(still.lines[3 + 2], (CUtility::GRID_LINE{210, 10, 210, 190}));
    for (std::size_t i = 0; i < still.lines.size(); ++i) {
        EXPECT_EQ(moved.lines[i].x1, still.lines[i].x1 - 37);
        EXPECT_EQ(moved.lines[i].y2, still.lines[i].y2 - 25);
    }
    ASSERT_EQ(moved.cells.size(), 6u);
    EXPECT_EQ(moved.cells[5].column, 2);
    EXPECT_EQ(moved.cells[5].row, 1);
    EXPECT_EQ(moved.cells[5].centreX, 10 + 200 + 50 - 37);
    EXPECT_EQ(moved.cells[5].centreY, 10 + 40 + 20 - 25);
}

// A control that counts how often its definition is read.
class CountingCtrl : public DefinitionOnlyCtrl {
public:
    explicit CountingCtrl(REC_CONTROLLO definition) : DefinitionOnlyCtrl(std::move(definition)) {}
    const REC_CONTROLLO& GetDefinition() const override
    {
        ++reads;
        return DefinitionOnlyCtrl::GetDefinition();
    }
    mutable int reads = 0;
};

// Whole entries ordered by their controls' identifiers without regard to
// case; an entry without a control first; each control asked once.
TEST(BuilderRules, TablesAreOrderedByIdentifierIgnoringCaseReadingEachDefinitionOnce)
{
    std::vector<std::unique_ptr<CountingCtrl>> controls;
    CTRL_TABLE table;
    for (const char16_t* identifier : {u"gamma", u"Alpha_2", u"beta", u"ALPHA_1", u"Beta_0"}) {
        controls.push_back(std::make_unique<CountingCtrl>(MakeDefinition(0, identifier, CTRL_CHECK)));
        table.push_back({.key = static_cast<std::int32_t>(controls.size()), .category = CTRL_CHECK,
                         .address = 40 + static_cast<std::int32_t>(controls.size()), .wnd = controls.back().get()});
    }
    table.push_back({.key = 99, .category = 11});
    CUtility::SortByIdentifier(table);
    std::vector<std::int32_t> keys;
    for (const CTRL_WND& entry : table)
        keys.push_back(entry.key);
    EXPECT_EQ(keys, (std::vector<std::int32_t>{99, 4, 2, 3, 5, 1}));
    EXPECT_EQ(table[1].address, 44) << "whole entries move";
    for (const auto& control : controls)
        EXPECT_EQ(control->reads, 1);
}

TEST(BuilderRules, PlacedEntriesAreThoseWhoseKeyIsNotUnplaced)
{
    const CTRL_TABLE all = {{.key = 1}, {.key = 2}, {.key = 3}, {.key = 4}};
    const CTRL_TABLE unplaced = {{.key = 3}, {.key = 1}};
    const CTRL_TABLE placed = CUtility::WithoutKeys(all, unplaced);
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[0].key, 2);
    EXPECT_EQ(placed[1].key, 4);
    EXPECT_TRUE(CUtility::HasKey(unplaced, 1));
    EXPECT_FALSE(CUtility::HasKey(unplaced, 2));
}

// A bar shows only while the content exceeds the client; its position
// stays within the content's end, and it scrolls back to 0 when hidden.
TEST(BuilderRules, ScrollBarsFollowTheClientSize)
{
    CUtility::SCROLL_AXIS axis{.content = 500};
    EXPECT_EQ(CUtility::FitScrollAxis(axis, 600), 0);
    EXPECT_FALSE(axis.shown);
    EXPECT_EQ(CUtility::FitScrollAxis(axis, 200), 0);
    EXPECT_TRUE(axis.shown);
    EXPECT_EQ(axis.page, 200);
    EXPECT_EQ(axis.Limit(), 300);
    EXPECT_EQ(CUtility::ScrollAxisTo(axis, axis.pos + CUtility::kScrollLine), 10);
    EXPECT_EQ(CUtility::ScrollAxisTo(axis, 1000), 290);
    EXPECT_EQ(axis.pos, 300);
    EXPECT_EQ(CUtility::ScrollAxisTo(axis, -5), -300);
    CUtility::ScrollAxisTo(axis, 250);
    EXPECT_EQ(CUtility::FitScrollAxis(axis, 400), -150) << "the new limit is 100";
    EXPECT_EQ(axis.pos, 100);
    EXPECT_EQ(CUtility::FitScrollAxis(axis, 500), -100);
    EXPECT_FALSE(axis.shown);
    EXPECT_EQ(axis.pos, 0);
}

class SyntheticMap : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string home = std::getenv("VEXAR_HOME");
        std::filesystem::create_directories(home + "/Log");
        vexar::fixtures::SyntheticConfiguration config;
        std::string error;
        ASSERT_TRUE(vexar::fixtures::InstallSyntheticConfiguration(home, config, error)) << error;
        CControlliConfigurati par(config.par, u"InfoControlliPC");
        std::u16string language = u"English";
        ASSERT_EQ(par.Load(language, config.languages), 0);
        definitions = par.Controls();
        for (const REC_CONTROLLO& definition : definitions) {
            if (definition.IDENTIFICATORE == u"Mappa_Correzione")
                map = definition;
            if (definition.IDENTIFICATORE == u"Anticipo_Gas")
                fixedMap = definition;
        }
        ASSERT_EQ(map.ID_GUI, 112);
        ASSERT_EQ(fixedMap.ID_GUI, 114);
    }

    std::vector<REC_CONTROLLO> definitions;
    REC_CONTROLLO map;
    REC_CONTROLLO fixedMap;
};

// The correction map's column headers are the calibrable RPM breakpoints:
// the axis record holds that definition's points, size, step, format,
// limits and caption; its row headers are the pressure breakpoints; the
// advance map's headers are fixed, so they give no axis.
TEST_F(SyntheticMap, TheAxisRecordComesFromTheBreakpointVector)
{
    GRID_AXIS axis;
    ASSERT_TRUE(CUtility::SetupGridAxis(map, GridHeader::Columns, definitions, false, nullptr, axis));
    EXPECT_EQ(axis.definition.ID_GUI, 113);
    EXPECT_EQ(axis.values, (std::vector<std::vector<double>>{{1500, 3000, 4500}}));
    EXPECT_EQ(axis.dataSize, 2);
    EXPECT_EQ(axis.type, DATO_UWORD);
    EXPECT_DOUBLE_EQ(axis.increment, 100.0);
    EXPECT_FALSE(axis.descriptive);
    EXPECT_EQ(axis.format, u".");
    EXPECT_TRUE(axis.limited);
    EXPECT_DOUBLE_EQ(axis.lower, 500.0);
    EXPECT_DOUBLE_EQ(axis.upper, 7000.0);
    EXPECT_EQ(axis.caption, u"RPM breakpoints(rpm)");
    EXPECT_DOUBLE_EQ(axis.conversion.ToPhysical(3000), 3000.0);

    GRID_AXIS development;
    ASSERT_TRUE(CUtility::SetupGridAxis(map, GridHeader::Columns, definitions, true, nullptr, development));
    EXPECT_EQ(development.caption, u"Breakpoint_Rpm(rpm)");

    // Its rows have a calibrable axis too: one column of pressures.
    GRID_AXIS rows;
    ASSERT_TRUE(CUtility::SetupGridAxis(map, GridHeader::Rows, definitions, false, nullptr, rows));
    EXPECT_EQ(rows.caption, u"Pressure breakpoints(bar)");
    EXPECT_EQ(rows.values, (std::vector<std::vector<double>>{{0.8}, {1.6}}));

    GRID_AXIS untouched;
    untouched.caption = u"kept";
    EXPECT_FALSE(CUtility::SetupGridAxis(fixedMap, GridHeader::Rows, definitions, false, nullptr, untouched));
    EXPECT_FALSE(CUtility::SetupGridAxis(fixedMap, GridHeader::Columns, definitions, false, nullptr, untouched));
    EXPECT_EQ(untouched.caption, u"kept");
}

// A vector whose limit does not read leaves the axis unlimited; one that
// is not among the definitions gives no axis.
TEST_F(SyntheticMap, AnAxisWithoutReadableLimitsIsUnlimited)
{
    for (REC_CONTROLLO& definition : definitions)
        if (definition.ID_GUI == 113)
            definition.MAX = u"7 000";
    GRID_AXIS axis;
    ASSERT_TRUE(CUtility::SetupGridAxis(map, GridHeader::Columns, definitions, false, nullptr, axis));
    EXPECT_FALSE(axis.limited);
    EXPECT_DOUBLE_EQ(axis.upper, 0.0);

    std::erase_if(definitions, [](const REC_CONTROLLO& definition) { return definition.ID_GUI == 113; });
    EXPECT_FALSE(CUtility::SetupGridAxis(map, GridHeader::Columns, definitions, false, nullptr, axis));
}

}  // namespace
