// The numeric field and the computed value on a shown page, driven by
// QTest: what typing, stepping and undo write and what the program's sets
// do not, a public operator's limits, the calibration line of the shown
// text, the formula and its operands, the two image families, Enter as Tab
// and a teardown with an edit still queued.
#include "pages/CCtrlNumEdit.h"

#include "GaugeFixture.h"
#include "pages/core/CUtilityTables.h"

#include <QLineEdit>

#include <functional>

using namespace vexar::pagestest;
using namespace vexar::link;

namespace {

REC_CONTROLLO FieldDef(std::int32_t id = 1, std::int32_t address = 18, std::int32_t type = DATO_UWORD)
{
    REC_CONTROLLO d = Def(id, u"FIELD", CTRL_NUMEDIT, address, type);
    d.MIN = u"0";
    d.MAX = u"1000";
    d.DEFAULT = u"10";
    d.MASCHERA = 0xFFFF;
    NumEditBlock& block = std::get<NumEditBlock>(d.GRAFICA);
    block.FORMATO = u".#0";
    block.INC_VALORE = 5;
    block.INCDEC_BUTTON = INCDEC_BTN_SI;
    return d;
}

// A computed value: (x1*K1*x2 + x3*K2) / (x4*K3*x5 + x6*K4) + KC.
REC_CONTROLLO CalcDef(std::int32_t id, std::int32_t address, std::array<double, 5> k,
                      std::array<std::int32_t, 6> keys, bool absolute = false)
{
    REC_CONTROLLO d = Def(id, u"CALC", CTRL_NUMCALC, address);
    d.DEFAULT.clear();
    NumCalcBlock& block = std::get<NumCalcBlock>(d.GRAFICA);
    block.K1 = k[0];
    block.K2 = k[1];
    block.K3 = k[2];
    block.K4 = k[3];
    block.KC = k[4];
    block.ID = keys;
    block.ABS = absolute ? ABS_SI : ABS_NO;
    block.FORMATO = u".##";
    return d;
}

class NumEditPage : public GaugePage {
protected:
    NumEditPage()
    {
        next.setParent(&page);
        next.setGeometry(700, 600, 100, 24);
        next.show();
    }
    CCtrlNumEdit* Field(const REC_CONTROLLO& definition, const Place& place = {})
    {
        return Make(&CUtility::CreateCtrlNumEdit, definition, &par, place);
    }
    CCtrlNumEdit* Calc(const REC_CONTROLLO& definition, CTRL_TABLE& table, std::int32_t family,
                       const Place& place = {})
    {
        Place at = place;
        at.family = family;
        return Make(&CUtility::CreateCtrlNumCalc, definition, &table, at);
    }
    // Types `text` into the field and gives it with Enter.
    static void Type(CCtrlNumEdit& field, const char* text)
    {
        field.setFocus();
        QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(&field, text);
        QTest::keyClick(&field, Qt::Key_Return);
    }

    QLineEdit next;  // where Tab goes from the fields
};

// Linked, the program's sets post no write; typing, a step of the buttons
// or of Up, and undo each post one; typing the committed value and a
// second undo post none.
TEST_F(NumEditPage, ProgramSetsWriteNothingAndEachEditWritesOnce)
{
    CCtrlNumEdit* field = Field(FieldDef());
    std::vector<WriteCase> cases = ProgramSets(*field, *field, 19, u"FIELD");
    cases.insert(cases.end(), {
        {"the program's value", [&] { field->SetValue(30, 0, 1); }, 0},
        {"typing", [&] { Type(*field, "250"); }, 1},
        {"typing the same value", [&] { Type(*field, "250"); }, 0},
        {"the step button", [&] { QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(field->width() - 4, 3)); }, 1},
        {"Up", [&] { field->setFocus(); QTest::keyClick(field, Qt::Key_Up); }, 1},
        {"Ctrl+Z", [&] { Undo(*field); }, 1},
        {"a second Ctrl+Z", [&] { Undo(*field); }, 0},
    });
    ExpectWrites(cases);
    EXPECT_EQ(field->GetValue(), 255.0) << "undo took the Up step back";
    EXPECT_EQ(Par(18) * 256 + Par(19), 255);
}

// A public operator who types above MAX sees MAX, written once; the
// privileged profiles keep what they typed; a MAX of "-" is no limit.
TEST_F(NumEditPage, APublicOperatorIsKeptWithinTheLimits)
{
    struct Case {
        const char* name;
        std::int32_t profile;
        std::u16string max;
        double shown;
    };
    const Case cases[] = {
        {"public, above MAX", OPR_PBL, u"1000", 1000},
        {"public limited, above MAX", OPR_PBL_LIMIT, u"1000", 1000},
        {"privileged", OPR_PRV, u"1000", 1500},
        {"development", OPR_SVIL, u"1000", 1500},
        {"public, MAX a lone sign", OPR_PBL, u"-", 1500},
    };
    int row = 0;
    for (const Case& c : cases) {
        REC_CONTROLLO definition = FieldDef(1 + row, 2 * row);
        definition.MAX = c.max;
        CCtrlNumEdit* field = Field(definition, {.row = row++});
        app.m_nOperator = c.profile;
        app.m_bLinked = 1;
        app.requests.clear();
        Type(*field, "1500");
        Deliver();
        EXPECT_EQ(field->GetValue(), c.shown) << c.name;
        EXPECT_EQ(field->CCWNumEdit::GetValue(), c.shown) << c.name;
        EXPECT_EQ(app.requests, (std::vector<RecordingPages::Request>{{WM_LINK_WRITE_RANGE, 2u * (row - 1), 2}}))
            << c.name;
        EXPECT_EQ(Par(2 * (row - 1)) * 256 + Par(2 * (row - 1) + 1), c.shown) << c.name;
        app.m_bLinked = 0;
    }
}

// A change the user makes right after the program put a different value
// into the field is taken and written.
TEST_F(NumEditPage, AUserChangeRightAfterAProgramSetIsTaken)
{
    CCtrlNumEdit* field = Field(FieldDef());
    app.m_bLinked = 1;
    const std::function<void()> programSets[] = {
        [&] { Par(19) = 20; Send(*field, WM_CTRL_REFRESH, 1); },
        [&] { field->LoadParam(u"FIELD\t25\tc"); },
        [&] { Send(*field, WM_CTRL_SET_DEFAULT); },
    };
    int typed = 100;
    for (const auto& set : programSets) {
        set();
        Deliver();
        app.requests.clear();
        Type(*field, std::to_string(++typed).c_str());
        Deliver();
        EXPECT_EQ(Writes(), 1u) << typed;
        EXPECT_EQ(Par(18) * 256 + Par(19), typed);
    }
    app.m_bLinked = 0;
}

// A line of 12.5 in a field showing two decimals saves "12.50" without a
// change; typed to 13, the next save records 12.5 -> 13.00, the one after
// nothing.
TEST_F(NumEditPage, TheCalibrationLineIsTheTextShown)
{
    CCtrlNumEdit* field = Field(FieldDef());
    ASSERT_TRUE(field->LoadParam(u"FIELD\t12.5\tA comment"));
    CModifica history;
    EXPECT_EQ(SavedLines(*field, history),
              u"FIELD" + std::u16string(28, u' ') + u"\t12.50" + std::u16string(15, u' ') + u"\tA comment\n");
    EXPECT_EQ(history.GetCount(), 0);
    Type(*field, "13");
    Deliver();
    SavedLines(*field, history);
    ASSERT_EQ(history.GetCount(), 1);
    EXPECT_EQ(history.GetList()[0].PRECEDENTE, u"12.5");
    EXPECT_EQ(history.GetList()[0].CORRENTE, u"13.00");
    SavedLines(*field, history);
    EXPECT_EQ(history.GetCount(), 1);
    EXPECT_EQ(ExportedLines(*field), "FIELD\tA label\t13.00\n");
}

// The formula over a field of value 3 on a variable page (no rounding to
// the datum): absent operands count 1.0; a zero denominator gives 0; ABS
// makes the quotient positive; a key that names no control of the table
// counts 1.0 from there on, and the table's resolution fails.
TEST_F(NumEditPage, TheFormula)
{
    REC_CONTROLLO operandDef = FieldDef(10, 30);
    operandDef.DEFAULT = u"3";
    CCtrlNumEdit* operand = Make(&CUtility::CreateCtrlNumEdit, operandDef, &var);
    ASSERT_EQ(operand->GetValue(), 3.0);
    struct Case {
        const char* name;
        std::array<double, 5> k;  // K1 K2 K3 K4 KC
        std::array<std::int32_t, 6> keys;
        bool absolute;
        double value;
        bool resolved;
    };
    const Case cases[] = {
        {"x1 * 2 / 1 + 0.5", {2, 0, 0, 1, 0.5}, {10, 0, 0, 0, 0, 0}, false, 6.5, true},
        {"a zero denominator", {2, 0, 0, 0, 0.5}, {10, 0, 0, 0, 0, 0}, false, 0.0, true},
        {"ABS", {-2, 0, 0, 1, 0.5}, {10, 0, 0, 0, 0, 0}, true, 5.5, true},
        {"no ABS", {-2, 0, 0, 1, 0.5}, {10, 0, 0, 0, 0, 0}, false, -5.5, true},
        {"x4 after an unknown x3", {2, 0, 1, 0, 0.5}, {10, 0, 99, 10, 0, 0}, false, 6.5, false},
        {"x4 known", {2, 0, 1, 0, 0.5}, {10, 0, 0, 10, 0, 0}, false, 2.5, true},
    };
    int row = 1;
    for (const Case& c : cases) {
        CTRL_TABLE table = var;
        CCtrlNumEdit* calc = Calc(CalcDef(20 + row, 40 + 2 * row, c.k, c.keys, c.absolute), table, 1, {.row = row});
        ++row;
        EXPECT_EQ(CUtility::RecalcNumCalcCtrls(table), c.resolved) << c.name;
        calc->Recalculate(0);
        EXPECT_DOUBLE_EQ(calc->GetValue(), c.value) << c.name;
    }
}

// An operand's commit reaches both computed values: the one of the
// parameters recomputes, is held to what its byte can hold and is written
// once; the one of the variables recomputes and never writes.
TEST_F(NumEditPage, AnOperandCommitRecomputesAndOnlyTheParameterFamilyWrites)
{
    REC_CONTROLLO operandDef = FieldDef(105, 20, DATO_UBYTE);
    operandDef.MASCHERA = 0xFF;
    CCtrlNumEdit* operand = Field(operandDef);
    CCtrlNumEdit* fahrenheit = Calc(CalcDef(111, 24, {1.8, 0, 1, 0, 32}, {105, 0, 0, 0, 0, 0}), par, 0, {.row = 1});
    CTRL_TABLE variables = {operand->Entry()};
    app.m_pVarTable = &variables;
    CCtrlNumEdit* ratio = Calc(CalcDef(209, 14, {1.8, 0, 1, 0, 32}, {105, 0, 0, 0, 0, 0}), variables, 1, {.row = 2});
    ASSERT_TRUE(CUtility::RecalcNumCalcCtrls(par));
    ASSERT_TRUE(CUtility::RecalcNumCalcCtrls(variables));
    CUtility::LinkDependentCtrls(par);
    CUtility::LinkDependentCtrls(variables);
    CUtility::RefreshAllCtrls(par);
    EXPECT_EQ(fahrenheit->GetValue(), 50.0);
    EXPECT_EQ(Par(24), 50) << "stored at load";
    const std::vector<std::uint8_t> variablesBefore = VarImage();

    app.m_bLinked = 1;
    Type(*operand, "21");
    Deliver();
    Deliver();
    EXPECT_EQ(operand->GetValue(), 21.0);
    EXPECT_EQ(fahrenheit->GetValue(), 70.0) << "69.8 held to what the byte holds";
    EXPECT_DOUBLE_EQ(ratio->GetValue(), 69.8);
    EXPECT_EQ(Par(24), 70);
    EXPECT_EQ(app.requests, (std::vector<RecordingPages::Request>{{WM_LINK_WRITE_RANGE, 20, 1},
                                                                 {WM_LINK_WRITE_RANGE, 24, 1}}));
    EXPECT_EQ(VarImage(), variablesBefore);
    app.m_bLinked = 0;
}

// Enter in a field moves on as Tab does, and the typed number is taken.
TEST_F(NumEditPage, EnterMovesOnAsTabDoes)
{
    CCtrlNumEdit* first = Field(FieldDef(1, 18));
    CCtrlNumEdit* second = Field(FieldDef(2, 20), {.row = 1});
    QWidget::setTabOrder(first, second);
    first->setFocus();
    QTest::keyClick(first, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(first, "77");
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_TRUE(second->hasFocus());
    Deliver();
    EXPECT_EQ(first->GetValue(), 77.0);
    EXPECT_EQ(Par(19), 77);
}

// A field torn down with an edit still queued: the edit reaches nobody; a
// field whose sink was disconnected posts no edit at all.
TEST_F(NumEditPage, TeardownWithAnEditQueuedReachesNoDeletedControl)
{
    CCtrlNumEdit* doomed = Field(FieldDef(1, 18));
    app.m_bLinked = 1;
    Type(*doomed, "123");  // the edit is posted, not yet delivered
    doomed->DisconnectSink();
    delete doomed;
    par.clear();
    Deliver();
    EXPECT_EQ(Writes(), 0u);

    CCtrlNumEdit* field = Field(FieldDef(2, 20), {.row = 1});
    field->DisconnectSink();
    Type(*field, "124");
    Deliver();
    EXPECT_EQ(field->CCWNumEdit::GetValue(), 124.0);
    EXPECT_EQ(field->GetValue(), 10.0) << "not committed";
    EXPECT_EQ(Writes(), 0u);
    app.m_bLinked = 0;
}

}  // namespace
