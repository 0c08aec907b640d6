// The page builder and the control factory on a real parent window: which
// places become controls and entries (the grid, the creation order,
// categories without a creator, the profile), where free texts and the
// labels of the controls go in the page font, and the teardown of the
// tables.
#include "pages/CUtilityBuilder.h"
#include "pages/CUtilityFactory.h"
#include "pages/CUtilityLabels.h"

#include "TestPageCtrl.h"
#include "config/RecInterfaccia.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/CCtrlCheck.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/WindowState.h"

#include <QFontMetrics>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>


using vexar::testing::MakeDefinition;

namespace {

REC_CONTROLLO Box(std::int32_t id, std::int32_t access = OPR_PBL, std::int32_t category = CTRL_CHECK)
{
    REC_CONTROLLO definition = MakeDefinition(id, vexar::Format(u"Box_%d", id), category, u"A box",
                                              vexar::Format(u"Box %d", id));
    definition.TIPO = DATO_FLAG;
    definition.LSB = 16;
    definition.MASCHERA = 0x01;
    definition.OPERATORE = access;
    return definition;
}

REC_POS_CONTROLLO Place(std::int32_t id, std::int32_t column, std::int32_t row, std::int32_t tabIndex)
{
    return {.ID_GUI = id, .POS_X = column, .POS_Y = row, .TAB_INDEX = tabIndex, .POSIZIONATO = 1};
}

class Builder : public ::testing::Test {
protected:
    Builder()
    {
        CUtility::CreateFontPt(font, u"DejaVu Sans", 9, false);
        parent.resize(700, 400);
        app.ResizeImages(64, 64);
        // 20-pixel rows on a page 100 pixels high, 100-pixel columns on 300.
        area.RIGHE = 20;
        area.ALTEZZA_PAGINA = 100;
        area.COLONNE = 100;
        area.LARGHEZZA_PAGINA = 300;
        grid.area = {10, 10, 690, 390};
        grid.cellHeight = 20;
        grid.pageHeight = 100;
        grid.cellWidth = 100;
        grid.pageWidth = 300;
        CUtility::CalcRowsCols(grid);
    }
    ~Builder() override
    {
        CUtility::DestroyCtrls(table);
        CUtility::DeleteCtrls(table);
        CUtility::DestroyWindows(labels);
        CUtility::DeleteWindows(labels);
    }

    CTRL_CREATE Args(std::int32_t profile = OPR_PRV)
    {
        CTRL_CREATE args;
        args.app = &app;
        args.font = font;
        args.parent = &parent;
        args.grid = grid;
        args.settings.textColour = vexar::ui::RGB(0, 0, 160);
        args.baseId = 5000;
        args.profile = profile;
        return args;
    }

    void Build(std::int32_t profile = OPR_PRV) { CUtility::BuildPage(area, table, definitions, Args(profile), &labels); }

    std::vector<std::int32_t> Keys() const
    {
        std::vector<std::int32_t> keys;
        for (const CTRL_WND& entry : table)
            keys.push_back(entry.key);
        return keys;
    }

    int ChildWidgets() const { return static_cast<int>(parent.findChildren<QWidget*>().size()); }

    CVEXARPages app;
    QWidget parent;
    QFont font;
    PAGE_GRID grid;
    REC_PAGINA area;
    std::vector<REC_CONTROLLO> definitions;
    CTRL_TABLE table;
    LABEL_TABLE labels;
};

// Rows 0 to 4 exist on the page; a box on row 5 (or off the columns)
// leaves no control and no entry. The box on row 4 stands at its cell.
TEST_F(Builder, APlaceOffTheGridLeavesNoEntry)
{
    definitions = {Box(1), Box(2), Box(3)};
    area.CONTROLLI = {Place(1, 2, 4, 1), Place(2, 0, 5, 2), Place(3, 3, 0, 3)};
    Build();
    EXPECT_EQ(Keys(), std::vector<std::int32_t>{1});
    QWidget* box = CUtility::CtrlWidget(table.at(0));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->pos(), QPoint(10 + 2 * 100, 10 + 4 * 20));
    EXPECT_EQ(vexar::ui::GetDlgCtrlID(*box), 5001);
    EXPECT_EQ(ChildWidgets(), 1);
}

TEST_F(Builder, PlacesAreBuiltInTabIndexOrder)
{
    definitions = {Box(1), Box(3)};
    area.CONTROLLI = {Place(3, 0, 0, 3), Place(1, 0, 1, 1)};
    Build();
    EXPECT_EQ(Keys(), (std::vector<std::int32_t>{1, 3}));
}

// Category 11, a code above 21 and places without a definition leave no
// entry and no window: the next control takes the slot.
TEST_F(Builder, PlacesWithoutACreatorLeaveNoEntryAndNoWindow)
{
    definitions = {Box(1), Box(2, OPR_PBL, 11), Box(4), Box(5, OPR_PBL, 22)};
    area.CONTROLLI = {Place(1, 0, 0, 1), Place(2, 0, 1, 2), Place(3, 0, 2, 3), Place(9, 1, 0, 4), Place(4, 0, 3, 5),
                      Place(5, 1, 1, 6)};
    Build();
    EXPECT_EQ(Keys(), (std::vector<std::int32_t>{1, 4}));
    EXPECT_EQ(ChildWidgets(), 2);
    // Every class has its creator: codes 0 to 21 but 11.
    for (std::int32_t code = -1; code <= 23; ++code)
        EXPECT_EQ(CUtility::HasCreator(code), code >= 0 && code <= 21 && code != 11) << code;
    EXPECT_EQ(std::u16string(CUtility::CategoryName(CTRL_RESET)), u"CTRL_RESET");
    EXPECT_EQ(std::u16string(CUtility::CategoryName(11)), u"?");
}

// A public operator's page: the privileged box is made and keeps its
// entry, hidden from view but not by any condition; the public one shows.
TEST_F(Builder, APublicProfileBuildsPrivilegedControlsInvisible)
{
    definitions = {Box(1, OPR_PBL), Box(2, OPR_PRV)};
    area.CONTROLLI = {Place(1, 0, 0, 1), Place(2, 0, 1, 2)};
    Build(OPR_PBL);
    parent.show();
    ASSERT_EQ(Keys(), (std::vector<std::int32_t>{1, 2}));
    EXPECT_TRUE(CUtility::CtrlWidget(table[0])->isVisible());
    EXPECT_FALSE(CUtility::CtrlWidget(table[1])->isVisible());
    EXPECT_EQ(table[1].hidden, 0);
    EXPECT_EQ(table[1].access, OPR_PRV);
    EXPECT_EQ(table[1].size, 1);
}

// Free texts: at their cells, as large as their text in the page font,
// shown by their access; one on a row beyond the grid is not made. An
// area with texts but no controls shows its texts and leaves its control
// table as it was.
TEST_F(Builder, FreeTextsStandAtTheirCellsAndOnlyOnTheGrid)
{
    definitions = {Box(1)};
    area.CONTROLLI = {Place(1, 0, 0, 1)};
    area.TESTI = {{u"Public", OPR_PBL, 1, 2}, {u"Workshop", OPR_PRV, 2, 3}, {u"Below", OPR_PBL, 0, 5}};
    Build(OPR_PBL);
    parent.show();
    ASSERT_EQ(labels.size(), 2u);
    const QFontMetrics metrics(font);
    EXPECT_EQ(labels[0].access, OPR_PBL);
    EXPECT_EQ(labels[0].label->geometry(), QRect(110, 50, metrics.horizontalAdvance("Public") + 5, metrics.height()));
    EXPECT_EQ(labels[0].label->text(), "Public");
    EXPECT_EQ(labels[0].label->m_textColour, vexar::ui::RGB(0, 0, 160));
    EXPECT_EQ(vexar::ui::GetDlgCtrlID(*labels[0].label), CUtility::kLabelId);
    EXPECT_TRUE(labels[0].label->isVisible());
    EXPECT_EQ(labels[1].access, OPR_PRV);
    EXPECT_FALSE(labels[1].label->isVisible());

    CTRL_TABLE emptyTable = {{.key = 77}};
    LABEL_TABLE emptyLabels;
    REC_PAGINA textsOnly = area;
    textsOnly.CONTROLLI.clear();
    CUtility::BuildPage(textsOnly, emptyTable, definitions, Args(OPR_PBL), &emptyLabels);
    ASSERT_EQ(emptyTable.size(), 1u) << "left as it was";
    EXPECT_EQ(emptyTable[0].key, 77);
    ASSERT_EQ(emptyLabels.size(), 2u);
    EXPECT_EQ(emptyLabels[0].label->text(), "Public");
    EXPECT_EQ(emptyLabels[0].label->pos(), QPoint(110, 50));
    EXPECT_TRUE(emptyLabels[0].label->isVisible());
    EXPECT_EQ(emptyLabels[1].label->text(), "Workshop");
    EXPECT_FALSE(emptyLabels[1].label->isVisible());
    CUtility::DestroyWindows(emptyLabels);
    CUtility::DeleteWindows(emptyLabels);
}

// The labels of the control classes, measured in the page font: the
// caption in the cell left of the control, none in the first column; the
// unit right of it; the side texts of a toggle; the caption above a gauge;
// the captions of a map.
TEST_F(Builder, LabelsArePlacedFromTheControlAndMeasuredInThePageFont)
{
    const QFontMetrics metrics(font);
    const int height = metrics.height();
    auto width = [&](const char* text) { return metrics.horizontalAdvance(QString::fromUtf8(text)) + 5; };
    const QRect firstColumn(10, 30, 80, 22);
    const QRect thirdColumn(210, 30, 80, 22);

    LabelSlot caption, unit;
    CUtility::CreateCtrlLabels(Args(), firstColumn, u"Speed", u"rpm", false, &caption, &unit);
    EXPECT_EQ(caption, nullptr) << "no room left of the first column";
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->geometry(), QRect(95, 30, width("rpm"), 22));
    CUtility::CreateCtrlLabels(Args(), thirdColumn, u"Speed", u"", true, &caption, &unit);
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->geometry(), QRect(110, 30, 99, 20));
    EXPECT_EQ(caption->text(), "Speed");
    EXPECT_FALSE(caption->isEnabled());
    EXPECT_EQ(unit->geometry().width(), 0);
    CUtility::CreateCtrlLabels(Args(), thirdColumn, u"", u"", false, &caption, nullptr);
    EXPECT_EQ(caption->geometry(), QRect(208, 30, 1, 20)) << "an empty caption takes two pixels";

    LabelSlot right, left;
    CUtility::CreateLedLabels(Args(), thirdColumn, u"Gas", u"Petrol", &right, &left);
    const int top = 30 + (22 - height) / 2;
    EXPECT_EQ(right->geometry(), QRect(290, top, width("Gas"), height));
    EXPECT_EQ(left->geometry(), QRect(210 - width("Petrol"), top, width("Petrol"), height));
    EXPECT_EQ(right->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    CUtility::CreateLedLabels(Args(), firstColumn, u"", u"Petrol", nullptr, &left);
    EXPECT_EQ(left->geometry().x(), 210 - width("Petrol")) << "too far left: the earlier label stays";

    LabelSlot above;
    const QRect gauge(300, 100, 40, 40);
    CUtility::CreateCaptionAbove(Args(), gauge, u"Temperature", u"°C", &above);
    ASSERT_NE(above, nullptr);
    const int wide = width("Temperature (°C)");
    EXPECT_EQ(above->geometry(), QRect(300 - (wide - 40) / 2, 100 - height - 5, wide, height));
    EXPECT_EQ(above->text(), QString::fromUtf8("Temperature (°C)"));
    LabelSlot none;
    CUtility::CreateCaptionAbove(Args(), QRect(300, 12, 40, 40), u"Temperature", u"", &none);
    EXPECT_EQ(none, nullptr) << "above the area's top";

    LabelSlot title, side, corner;
    const QRect map(200, 150, 260, 100);
    CUtility::CreateGridCaption(Args(), map, u"Correction", u"%", u"rpm", u"", &title, &side, &corner);
    EXPECT_EQ(title->geometry(), QRect(200 + (260 - width("Correction (%)")) / 2, 150 - height - 5,
                                       width("Correction (%)"), height));
    EXPECT_EQ(side->geometry(), QRect(462, 150, width("rpm"), height));
    EXPECT_EQ(corner->geometry(), QRect(200, 150 - height - 5, 0, height));
    for (const LabelSlot* label : {&unit, &caption, &right, &above, &title})
        EXPECT_EQ(vexar::ui::GetDlgCtrlID(**label), CUtility::kLabelId);
}

// The first pass of the teardown destroys each control and takes it off
// the link's sink, so a post still naming it is dropped; the second pass
// frees the rest and empties the table. Label tables likewise.
TEST_F(Builder, TeardownTakesControlsOffTheSinkBeforeDestroyingThem)
{
    vexar::link::LinkUiSinkAdapter adapter;
    app.m_pUiSink = &adapter;
    definitions = {Box(1), Box(2)};
    area.CONTROLLI = {Place(1, 0, 0, 1), Place(2, 0, 1, 2)};
    area.TESTI = {{u"Note", OPR_PBL, 1, 1}};
    Build();
    QPointer<QWidget> first = CUtility::CtrlWidget(table[0]);
    auto* box = dynamic_cast<CCtrlCheck*>(table[0].wnd);
    ASSERT_NE(box, nullptr);
    adapter.Post(vexar::link::UiWindow::Control, box, {vexar::link::WM_CTRL_SET_DEFAULT, 0, 0, {}});

    CUtility::DestroyCtrls(table);
    EXPECT_TRUE(first.isNull());
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].wnd, nullptr);
    adapter.Post(vexar::link::UiWindow::Control, box, {vexar::link::WM_CTRL_SET_DEFAULT, 0, 0, {}});
    QTest::qWait(20);
    CUtility::DeleteCtrls(table);
    EXPECT_TRUE(table.empty());

    QPointer<QWidget> note = labels.at(0).label;
    CUtility::DestroyWindows(labels);
    EXPECT_TRUE(note.isNull());
    EXPECT_EQ(labels.at(0).label, nullptr);
    CUtility::DeleteWindows(labels);
    EXPECT_TRUE(labels.empty());
    EXPECT_EQ(ChildWidgets(), 0);
    app.m_pUiSink = nullptr;
}

}  // namespace
