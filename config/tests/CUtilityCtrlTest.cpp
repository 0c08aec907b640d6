#include "config/CUtilityCtrl.h"

#include "TestControls.h"

#include <gtest/gtest.h>

using vexar::testing::MakeDefinition;
using vexar::testing::TestValueCtrl;

namespace {

TEST(GetCtrlNumber, ReadsTheValueByCategory)
{
    TestValueCtrl control(MakeDefinition(7, u"P", CTRL_KNOB));
    control.SetNumber(42.5);
    // Every category with a value getter reads the control's value.
    for (std::int32_t category : {CTRL_BAR, CTRL_CHECK, CTRL_BUTTON, CTRL_BUTTON_CMD, CTRL_COMBO, CTRL_DIAG,
                                  CTRL_DIAG_BIT, CTRL_EDIT, CTRL_KNOB, CTRL_LED, CTRL_NUMCALC, CTRL_NUMEDIT,
                                  CTRL_NUMERIC, CTRL_RIPR, CTRL_RPM, CTRL_SLIDE, CTRL_STATO, CTRL_TERM, CTRL_VMETER,
                                  CTRL_RESET})
        EXPECT_EQ(CUtility::GetCtrlNumber(&control, category), 42.5) << category;
    // The map, the unassigned code and codes outside the table have none.
    for (std::int32_t category : {CTRL_GRID, 11, 22, 100, -1})
        EXPECT_EQ(CUtility::GetCtrlNumber(&control, category), 0.0) << category;
    // No control: the operand counts 1.
    EXPECT_EQ(CUtility::GetCtrlNumber(nullptr, CTRL_KNOB), 1.0);
    EXPECT_EQ(CUtility::GetCtrlNumber(nullptr, CTRL_GRID), 1.0);
}

TEST(GetCtrlDefinition, CopiesTheControlsDefinitionOrEmptiesTheRecord)
{
    TestValueCtrl control(MakeDefinition(7, u"Temp_Cambio", CTRL_KNOB, u"comment"));
    struct Case {
        std::int32_t category;
        bool withControl;
        bool expected;
    };
    const Case cases[] = {
        {CTRL_KNOB, true, true}, {CTRL_BAR, true, true},   {CTRL_RESET, true, true}, {11, true, false},
        {22, true, false},       {-1, true, false},        {CTRL_KNOB, false, false},
    };
    for (const Case& c : cases) {
        REC_CONTROLLO record = MakeDefinition(99, u"stale", CTRL_EDIT, u"stale");
        CTRL_WND entry;
        entry.key = 7;
        entry.category = c.category;
        entry.wnd = c.withControl ? &control : nullptr;
        EXPECT_EQ(CUtility::GetCtrlDefinition(entry, record), c.expected) << c.category;
        EXPECT_EQ(record.IDENTIFICATORE, c.expected ? u"Temp_Cambio" : u"") << c.category;
        EXPECT_EQ(record.ID_GUI, c.expected ? 7 : 0) << c.category;
        EXPECT_EQ(record.COMMENTO, c.expected ? u"comment" : u"") << c.category;
    }
}

TEST(GetDisplayParam, ScaleOfGaugeBlocksOneForOthers)
{
    struct Case {
        std::int32_t category;
        std::int32_t expected;
    };
    const Case cases[] = {
        {CTRL_BAR, 3},     {CTRL_DIAG, 3},  {CTRL_DIAG_BIT, 3}, {CTRL_LED, 3},   {CTRL_NUMERIC, 3},
        {CTRL_RPM, 3},     {CTRL_STATO, 3}, {CTRL_TERM, 3},     {CTRL_VMETER, 3}, {CTRL_NUMCALC, 1},
        {CTRL_KNOB, 1},    {CTRL_CHECK, 1}, {CTRL_GRID, 1},     {11, 1},
    };
    for (const Case& c : cases) {
        REC_CONTROLLO record = MakeDefinition(1, u"V", c.category);
        std::visit(
            [](auto& block) {
                if constexpr (requires { block.SCALA; })
                    block.SCALA = 3;
            },
            record.GRAFICA);
        EXPECT_EQ(CUtility::GetDisplayParam(record), c.expected) << c.category;
    }
    // A gauge whose block was never read counts as zero-filled.
    REC_CONTROLLO unread = MakeDefinition(1, u"V", CTRL_LED);
    unread.GRAFICA = std::monostate{};
    EXPECT_EQ(CUtility::GetDisplayParam(unread), 0);
}

}  // namespace
