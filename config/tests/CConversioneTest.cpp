#include "config/CConversione.h"

#include "TempDir.h"
#include "TestControls.h"
#include "config/CVEXARContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

using vexar::testing::MakeDefinition;
using vexar::testing::TempDir;
using vexar::testing::TestValueCtrl;

namespace {

constexpr std::int32_t kAllOnes = static_cast<std::int32_t>(0xFFFFFFFFu);
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

PARAM_CONVERSIONE Form(double a, double b, double c, double d, double e) { return ConvForm{a, b, c, d, e}; }

PARAM_CONVERSIONE Table(std::vector<double> x, std::vector<double> y, std::int32_t count = -1)
{
    ConvIntr t;
    t.N_ELEM = count >= 0 ? count : static_cast<std::int32_t>(x.size());
    t.BREAKPS_X = std::move(x);
    t.BREAKPS_Y = std::move(y);
    return t;
}

const PARAM_CONVERSIONE kRising = Table({0, 10, 20}, {0, 100, 150});
const PARAM_CONVERSIONE kFalling = Table({20, 10, 0}, {150, 100, 0});
const PARAM_CONVERSIONE kWide = Table({0, 3e9, 4e9}, {0, 300, 400});

struct Case {
    const char* what;
    std::int32_t kind;
    PARAM_CONVERSIONE params;
    std::int32_t type;
    std::int32_t raw;
    double physical;
};

CConversione Make(const Case& c)
{
    CConversione conv;
    conv.SetConversion(c.kind, 500, &c.params, c.type);
    return conv;
}

TEST(ConversionToPhysical, EveryKind)
{
    const Case cases[] = {
        {"formula", CONV_FORM, Form(2, 0, 0, 1, 10), DATO_UBYTE, 5, 20.0},
        {"formula, zero denominator", CONV_FORM, Form(2, 0, 1, -5, 10), DATO_UBYTE, 5, 0.0},
        {"formula over an unsigned long", CONV_FORM, Form(1, 0, 0, 1, 0), DATO_ULONG,
         static_cast<std::int32_t>(0xB2D05E00u), 3e9},
        {"rising: inside a segment", CONV_INTR, kRising, DATO_WORD, 15, 125.0},
        {"rising: on a breakpoint, segment ending there", CONV_INTR, kRising, DATO_WORD, 10, 100.0},
        {"rising: before the first breakpoint", CONV_INTR, kRising, DATO_WORD, -5, -50.0},
        {"rising: beyond the last breakpoint", CONV_INTR, kRising, DATO_WORD, 30, 200.0},
        {"falling", CONV_INTR, kFalling, DATO_WORD, 15, 125.0},
        {"falling: beyond the end", CONV_INTR, kFalling, DATO_WORD, -10, -100.0},
        {"unsigned above 2^31 in the search", CONV_INTR, kWide, DATO_ULONG, static_cast<std::int32_t>(0xC0000000u),
         322.1225472},
        {"the same bits signed", CONV_INTR, kWide, DATO_LONG, static_cast<std::int32_t>(0xC0000000u), -107.3741824},
        {"unsigned word bits", CONV_NO, {}, DATO_UWORD, -1, 4294967295.0},
        {"signed byte", CONV_NO, {}, DATO_BYTE, -56, -56.0},
        {"unknown kind counts as none", 7, {}, DATO_WORD, -3, -3.0},
        {"unknown data type", CONV_NO, {}, 7, 5, 0.0},
        {"one breakpoint is a constant", CONV_INTR, Table({4}, {9}), DATO_WORD, 100, 9.0},
        {"no breakpoints convert nothing", CONV_INTR, Table({}, {}), DATO_WORD, 100, 100.0},
        {"equal neighbours make a step", CONV_INTR, Table({0, 10, 10}, {0, 100, 150}), DATO_WORD, 12, 100.0},
        {"a count beyond the arrays uses what is there", CONV_INTR, Table({0, 10}, {0, 50}, 40), DATO_WORD, 20,
         100.0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(Make(c).ToPhysical(c.raw), c.physical, 1e-9) << c.what;
}

TEST(ConversionToRaw, EveryKind)
{
    const Case cases[] = {
        {"formula", CONV_FORM, Form(2, 0, 0, 1, 10), DATO_UBYTE, 5, 20.0},
        {"zero denominator, positive numerator, signed", CONV_FORM, Form(0, 0, 0, 1, 0), DATO_WORD, kIntMax, 5.0},
        {"zero denominator, positive numerator, unsigned", CONV_FORM, Form(0, 0, 0, 1, 0), DATO_UWORD, kAllOnes, 5.0},
        {"zero denominator, zero numerator, signed", CONV_FORM, Form(0, 0, 0, 1, 0), DATO_WORD, kIntMin, 0.0},
        {"zero denominator, zero numerator, unsigned", CONV_FORM, Form(0, 0, 0, 1, 0), DATO_UWORD, 0, 0.0},
        {"rising", CONV_INTR, kRising, DATO_WORD, 15, 125.0},
        {"rising: beyond the last breakpoint", CONV_INTR, kRising, DATO_WORD, 30, 200.0},
        {"falling", CONV_INTR, kFalling, DATO_WORD, 5, 50.0},
        {"unsigned above 2^31", CONV_INTR, kWide, DATO_ULONG, static_cast<std::int32_t>(0xC0000000u),
         322.1225472},
        {"half up", CONV_NO, {}, DATO_WORD, 3, 2.5},
        {"half down", CONV_NO, {}, DATO_WORD, -3, -2.5},
        {"below a half", CONV_NO, {}, DATO_WORD, 2, 2.4999},
        {"unsigned long pattern", CONV_NO, {}, DATO_ULONG, static_cast<std::int32_t>(0xB2D05E00u), 3e9},
        {"unsigned long top", CONV_NO, {}, DATO_ULONG, kAllOnes, 4294967295.0},
        {"unsigned long beyond its range", CONV_NO, {}, DATO_ULONG, kAllOnes, 5e9},
        {"unsigned below zero", CONV_NO, {}, DATO_UBYTE, 0, -7.0},
        {"signed long beyond its range", CONV_NO, {}, DATO_LONG, kIntMax, 3e9},
        {"signed long below its range", CONV_NO, {}, DATO_LONG, kIntMin, -3e9},
        {"not a number", CONV_NO, {}, DATO_LONG, 0, std::nan("")},
        {"unknown data type", CONV_NO, {}, 9, 0, 12.0},
        {"one breakpoint", CONV_INTR, Table({7.9}, {1}), DATO_WORD, 7, 50.0},
        {"equal neighbours", CONV_INTR, Table({0, 10.7, 20}, {0, 100, 100}), DATO_WORD, 10, 150.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Make(c).ToRaw(c.physical), c.raw) << c.what;
}

TEST(ConversionSet, LaterSettingsReplaceEarlierOnes)
{
    CConversione conv;
    EXPECT_EQ(conv.GetKind(), CONV_NO);
    EXPECT_EQ(conv.ToPhysical(42), 42.0);

    conv.SetConversion(CONV_INTR, 1, &kRising, DATO_WORD);
    conv.SetConversion(CONV_INTR, 1, &kFalling, DATO_WORD);
    EXPECT_EQ(conv.ToRaw(50.0), 5);
    conv.SetConversion(CONV_FORM, 1, &kRising, DATO_WORD);  // no formula given: all coefficients 0
    EXPECT_EQ(conv.ToPhysical(15), 0.0);
    const PARAM_CONVERSIONE form = Form(2, 0, 0, 1, 10);
    conv.SetConversion(CONV_FORM, 1, &form, DATO_WORD);
    EXPECT_EQ(conv.ToPhysical(15), 40.0);

    const PARAM_CONVERSIONE* out = &form;
    EXPECT_FALSE(conv.GetExtFormula(out));
    EXPECT_EQ(out, &form);
    EXPECT_TRUE(conv.ResolveOperands(nullptr));
}

// ---- Six-operand formulas over controls -----------------------------------

// (op1*K1*op2 + op3*K2) / (op4*K3*op5 + op6*K4) + KC with the operands
// 3, 2, 4, 1, 2, 0.5 taken from parameter controls 701..706.
class ExtFormulaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("VEXAR_HOME", m_home.path().c_str(), 1);
        const double values[6] = {3, 2, 4, 1, 2, 0.5};
        for (int k = 0; k < 6; ++k) {
            const std::int32_t key = 701 + k;
            auto ctrl = std::make_unique<TestValueCtrl>(
                MakeDefinition(key, u"Operando_" + std::u16string(1, static_cast<char16_t>(u'1' + k)), CTRL_KNOB));
            ctrl->SetNumber(values[k]);
            m_table.push_back(CTRL_WND{.key = key, .category = CTRL_KNOB, .wnd = ctrl.get()});
            m_controls.push_back(std::move(ctrl));
        }
    }
    void TearDown() override { unsetenv("VEXAR_HOME"); }

    static ConvFormExt Formula(std::int32_t idx)
    {
        ConvFormExt f;
        f.KC = 10;
        f.K1 = 2;
        f.K2 = 1.5;
        f.K3 = 0.5;
        f.K4 = 2;
        f.ID = {701, 702, 703, 704, 705, 706};
        f.TIPO_ID.fill(kUnresolvedOperand);
        f.IDX = idx;
        return f;
    }

    CConversione Resolved(const ConvFormExt& f, std::int32_t type = DATO_WORD)
    {
        CConversione conv;
        const PARAM_CONVERSIONE params = f;
        conv.SetConversion(CONV_FORM_EXT, 800, &params, type);
        EXPECT_TRUE(conv.ResolveOperands(&m_table));
        return conv;
    }

    TempDir m_home;
    std::vector<std::unique_ptr<TestValueCtrl>> m_controls;
    CTRL_TABLE m_table;
};

TEST_F(ExtFormulaTest, OwnValueInEachSlotBothWays)
{
    const struct {
        std::int32_t idx;
        std::int32_t raw;
        double physical;
    } cases[] = {
        {0, 99, 19.0},  // the control's own value takes no part
        {1, 6, 25.0}, {2, 5, 28.0}, {3, 8, 22.0}, {4, 3, 14.5}, {5, 4, 16.0}, {6, 2, 13.6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.idx);
        const CConversione conv = Resolved(Formula(c.idx));
        EXPECT_NEAR(conv.ToPhysical(c.raw), c.physical, 1e-12);
        if (c.idx != 0) {
            EXPECT_EQ(conv.ToRaw(c.physical), c.raw);
        }
    }
}

TEST_F(ExtFormulaTest, OperandsAreReadAtEachCall)
{
    const CConversione conv = Resolved(Formula(1));
    m_controls[2]->SetNumber(8);  // op3
    EXPECT_NEAR(conv.ToPhysical(6), 10 + (6 * 2 * 2 + 8 * 1.5) / 2, 1e-12);
    EXPECT_EQ(conv.ToRaw(10 + (6 * 2 * 2 + 8 * 1.5) / 2), 6);
}

TEST_F(ExtFormulaTest, NoOperandKeysMeanOnesAndTheOwnValue)
{
    ConvFormExt f;
    f.K1 = 1;
    f.K3 = 1;
    f.IDX = 1;
    CConversione conv;
    const PARAM_CONVERSIONE params = f;
    conv.SetConversion(CONV_FORM_EXT, 800, &params, DATO_LONG);
    EXPECT_EQ(conv.ToPhysical(-1234), -1234.0);
    EXPECT_EQ(conv.ToRaw(-1234.0), -1234);
    EXPECT_TRUE(conv.ResolveOperands(&m_table));
    EXPECT_EQ(conv.ToRaw(77.0), 77);
}

TEST_F(ExtFormulaTest, MissingOperandLeavesThatSlotAndTheLaterOnesAtOne)
{
    m_table.erase(m_table.begin() + 2);  // no control 703
    CConversione conv;
    const PARAM_CONVERSIONE params = Formula(0);
    conv.SetConversion(CONV_FORM_EXT, 800, &params, DATO_WORD);
    EXPECT_NEAR(conv.ToPhysical(0), 10 + 3.5 / 2.5, 1e-12);  // nothing resolved: every operand 1
    EXPECT_FALSE(conv.ResolveOperands(&m_table));
    EXPECT_NEAR(conv.ToPhysical(0), 10 + (3 * 2 * 2 + 1.5) / 2.5, 1e-12);  // only op1 and op2

    const PARAM_CONVERSIONE* out = nullptr;
    ASSERT_TRUE(conv.GetExtFormula(out));
    const auto& own = std::get<ConvFormExt>(*out);
    EXPECT_EQ(own.ADDR_ID[1], m_controls[1].get());
    EXPECT_EQ(own.TIPO_ID[1], CTRL_KNOB);
    EXPECT_EQ(own.ADDR_ID[2], nullptr);
    EXPECT_EQ(own.TIPO_ID[2], kUnresolvedOperand);
    EXPECT_EQ(own.ID, (std::array<std::int32_t, 6>{701, 702, 703, 704, 705, 706}));
}

TEST_F(ExtFormulaTest, NullTableMeansTheParameterTableOfTheContext)
{
    CVEXARContext context;
    CConversione conv(&context);
    const PARAM_CONVERSIONE params = Formula(2);
    conv.SetConversion(CONV_FORM_EXT, 800, &params, DATO_WORD);
    EXPECT_FALSE(conv.ResolveOperands());  // no parameter table yet
    context.m_pParTable = &m_table;
    EXPECT_TRUE(conv.ResolveOperands());
    EXPECT_NEAR(conv.ToPhysical(5), 28.0, 1e-12);
}

TEST_F(ExtFormulaTest, OperandCategoriesWithoutAValueCountZero)
{
    m_table[4].category = CTRL_GRID;  // op5 counts 0: the denominator is op6*K4 alone
    const CConversione conv = Resolved(Formula(0));
    EXPECT_NEAR(conv.ToPhysical(0), 10 + 18.0 / 1.0, 1e-12);
}

TEST_F(ExtFormulaTest, InverseEdgesAndZeroDenominators)
{
    // y equal to KC: N/q counts 0, so (0 - op6*K4) / (K3*op5) = -1.
    EXPECT_EQ(Resolved(Formula(4)).ToRaw(10.0), -1);
    EXPECT_EQ(Resolved(Formula(6)).ToRaw(10.0), -1);  // (0 - op4*K3*op5) / K4

    ConvFormExt f = Formula(3);
    f.K2 = 0;  // IDX 3 divides by K2
    EXPECT_EQ(Resolved(f, DATO_WORD).ToRaw(30.0), kIntMax);
    EXPECT_EQ(Resolved(f, DATO_UWORD).ToRaw(30.0), kAllOnes);
    EXPECT_EQ(Resolved(f, DATO_WORD).ToRaw(-30.0), kIntMin);
    EXPECT_EQ(Resolved(f, DATO_UWORD).ToRaw(-30.0), 0);

    f = Formula(1);
    f.K3 = 0;
    f.K4 = 0;  // the forward denominator is 0
    EXPECT_EQ(Resolved(f).ToPhysical(6), 0.0);
    EXPECT_EQ(Resolved(Formula(7)).ToRaw(55.0), 1);  // a slot outside 1..6
}

TEST_F(ExtFormulaTest, FindOperandTakesTheFirstEntryOfAKey)
{
    m_table.push_back(CTRL_WND{.key = 702, .category = CTRL_SLIDE, .wnd = m_controls[5].get()});
    IDataCtrl* wnd = m_controls[0].get();
    std::int32_t category = -7;
    EXPECT_TRUE(CConversione::FindOperand(0, wnd, category, &m_table));
    EXPECT_EQ(wnd, nullptr);
    EXPECT_EQ(category, -7);
    EXPECT_TRUE(CConversione::FindOperand(702, wnd, category, &m_table));
    EXPECT_EQ(wnd, m_controls[1].get());
    EXPECT_EQ(category, CTRL_KNOB);
    EXPECT_FALSE(CConversione::FindOperand(999, wnd, category, &m_table));
    EXPECT_FALSE(CConversione::FindOperand(701, wnd, category, nullptr));
    EXPECT_EQ(wnd, m_controls[1].get());
    EXPECT_EQ(category, CTRL_KNOB);
}

}  // namespace
