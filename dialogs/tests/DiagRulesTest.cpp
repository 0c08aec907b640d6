// The diagnosis window's rules without a widget: what each profile sees,
// the rows of a bit list, the code columns, the catalogue, where an action
// report lands and the checklist lines.
#include "dialogs/core/DiagRules.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace DiagRules;

namespace {

DiagControl Diag(std::int32_t key, std::int32_t category, std::int32_t access, std::int32_t actionKey,
                 std::vector<DiagItem> items, std::uint32_t mask = 0xFF, int byteSize = 1)
{
    DiagControl control;
    control.key = key;
    control.category = category;
    control.access = access;
    control.actionKey = actionKey;
    control.mask = mask;
    control.byteSize = byteSize;
    control.label = u"L" + std::u16string(1, static_cast<char16_t>(u'0' + key % 10));
    control.identifier = u"Id" + std::u16string(1, static_cast<char16_t>(u'0' + key % 10));
    control.items = std::move(items);
    return control;
}

DiagControl Actions(std::int32_t key, std::int32_t access, std::vector<DiagItem> items = {{0, u"None"}, {1, u"Petrol"}})
{
    return Diag(key, CTRL_RIPR, access, 0, std::move(items));
}

const std::vector<DiagItem> kSensor{{0, u"No error"}, {1, u"Open"}, {2, u"Short"}};
const std::vector<DiagItem> kBits{{1, u"Inj 1"}, {2, u"Inj 2"}, {4, u"Inj 3"}, {8, u"Inj 4"}};

// Applies the edits to the list as the window does to its list view.
std::vector<RowRef> Apply(std::vector<RowRef> list, int control, const std::vector<BitRowEdit>& edits)
{
    for (const BitRowEdit& edit : edits) {
        if (edit.kind == BitRowEdit::Remove)
            list.erase(list.begin() + edit.at);
        else
            list.insert(list.begin() + edit.at, RowRef{control, CodeText(CTRL_DIAG_BIT, edit.code)});
    }
    return list;
}

std::vector<std::u16string> Codes(const std::vector<RowRef>& list)
{
    std::vector<std::u16string> codes;
    for (const RowRef& row : list)
        codes.push_back(std::u16string(1, static_cast<char16_t>(u'0' + row.control)) + u":" + row.code);
    return codes;
}

}  // namespace

// Four rows over three action lists: a public row with public actions, a
// privileged row, a public bit row whose actions are privileged and a
// public row naming the first row's actions again.
TEST(DiagVisibility, EachProfileSeesItsRowsAndActions)
{
    const std::vector<DiagControl> rows{Diag(1, CTRL_DIAG, OPR_PBL, 10, kSensor),
                                        Diag(2, CTRL_DIAG, OPR_PRV, 11, kSensor),
                                        Diag(3, CTRL_DIAG_BIT, OPR_PBL, 12, kBits),
                                        Diag(4, CTRL_DIAG, OPR_PBL, 10, kSensor)};
    const std::vector<DiagControl> actions{Actions(10, OPR_PBL), Actions(11, OPR_PBL), Actions(12, OPR_PRV)};
    const std::vector<int> assigned = AssignActions(rows, actions);
    // The shared list belongs to its first row only.
    EXPECT_EQ(assigned, (std::vector<int>{0, 1, 2, -1}));

    struct Case {
        std::int32_t profile;
        std::vector<int> rows;
        std::vector<int> actions;
        std::vector<int> rowAction;
    };
    const Case cases[] = {
        {OPR_PBL, {0, 2, 3}, {0}, {0, -1, -1, -1}},
        {OPR_PRV, {0, 1, 2, 3}, {0, 1, 2}, {0, 1, 2, -1}},
        {OPR_REM, {0, 1, 2, 3}, {0, 1, 2}, {0, 1, 2, -1}},
        {OPR_SVIL, {0, 1, 2, 3}, {0, 1, 2}, {0, 1, 2, -1}},
        {OPR_LIMIT, {}, {}, {-1, -1, -1, -1}},
        {OPR_PBL_LIMIT, {}, {}, {-1, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        const Visibility visible = BuildVisibility(rows, actions, assigned, c.profile);
        EXPECT_EQ(visible.rows, c.rows) << "profile " << c.profile;
        EXPECT_EQ(visible.actions, c.actions) << "profile " << c.profile;
        EXPECT_EQ(visible.rowAction, c.rowAction) << "profile " << c.profile;
    }

    // Who edits an action: never the developer, the public profile only a
    // public one.
    EXPECT_TRUE(EditsAction(OPR_PRV, OPR_PRV));
    EXPECT_TRUE(EditsAction(OPR_REM, OPR_PRV));
    EXPECT_TRUE(EditsAction(OPR_PBL, OPR_PBL));
    EXPECT_FALSE(EditsAction(OPR_PBL, OPR_PRV));
    EXPECT_FALSE(EditsAction(OPR_SVIL, OPR_PBL));
    EXPECT_FALSE(EditsAction(OPR_LIMIT, OPR_PBL));
}

TEST(DiagVisibility, ActionsGoToListsWithItemsAndAnEmptyActionListHidesItsRow)
{
    // A row without errors gets no actions; the first definition of a key
    // is the one taken, also when a second carries the same key; a key no
    // definition has gives none.
    const std::vector<DiagControl> rows{Diag(1, CTRL_DIAG, OPR_PBL, 10, {}), Diag(2, CTRL_DIAG, OPR_PBL, 10, kSensor),
                                        Diag(3, CTRL_DIAG, OPR_PBL, 99, kSensor),
                                        Diag(4, CTRL_DIAG, OPR_PBL, 20, kSensor),
                                        Diag(5, CTRL_DIAG, OPR_PBL, 0, kSensor)};
    const std::vector<DiagControl> actions{Actions(10, OPR_PBL), Actions(10, OPR_PBL), Actions(20, OPR_PBL, {})};
    const std::vector<int> assigned = AssignActions(rows, actions);
    EXPECT_EQ(assigned, (std::vector<int>{-1, 0, -1, 2, -1}));
    EXPECT_TRUE(IsListed(1, actions, assigned));
    EXPECT_TRUE(IsListed(2, actions, assigned));
    EXPECT_FALSE(IsListed(3, actions, assigned));  // its actions are empty
    EXPECT_TRUE(IsListed(4, actions, assigned));
}

TEST(DiagCodes, CodeColumnsAreUnsignedAndParsedByTheirOwnForm)
{
    EXPECT_EQ(CodeText(CTRL_DIAG, 7), u"7");
    EXPECT_EQ(CodeText(CTRL_DIAG, 0x80000000u), u"2147483648");
    EXPECT_EQ(CodeText(CTRL_DIAG_BIT, 4), u"0x00000004");
    EXPECT_EQ(CodeText(CTRL_DIAG_BIT, 0x80000000u), u"0x80000000");

    struct Case {
        std::int32_t category;
        std::u16string text;
        std::optional<std::uint32_t> code;
    };
    const Case cases[] = {
        {CTRL_DIAG, u"4294967295", 0xFFFFFFFFu}, {CTRL_DIAG, u"4294967296", std::nullopt},
        {CTRL_DIAG, u"-1", std::nullopt},         {CTRL_DIAG, u"", std::nullopt},
        {CTRL_DIAG, u"12a", std::nullopt},        {CTRL_DIAG_BIT, u"0x00000010", 16u},
        {CTRL_DIAG_BIT, u"16", std::nullopt},     {CTRL_DIAG_BIT, u"0x0000010", std::nullopt},
        {CTRL_DIAG_BIT, u"0xFFFFFFFF", 0xFFFFFFFFu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseCode(c.category, c.text), c.code) << std::string(c.text.begin(), c.text.end());
}

TEST(DiagBitRows, TheCodesOfAValue)
{
    struct Case {
        std::uint32_t value;
        std::uint32_t mask;
        int byteSize;
        std::vector<DiagItem> items;
        std::vector<std::uint32_t> codes;
    };
    const Case cases[] = {
        {5, 4, 1, kBits, {4}},                     // only the bits inside the mask
        {5, 0xF, 1, kBits, {1, 4}},                 // lowest first
        {0x30, 0xFF, 1, kBits, {}},                 // set bits without an item
        {0, 0xFF, 1, kBits, {}},                    // 0 without a code-0 item
        {0, 0xFF, 1, {{0, u"None"}, {1, u"A"}}, {0}},  // 0 with one
        {0x101, 0xFFFF, 1, {{1, u"A"}, {0x100, u"B"}}, {1}},  // bits past the datum's size
        {0x80000001u, 0xFFFFFFFFu, 4, {{0x80000000u, u"Top"}, {1, u"A"}}, {1, 0x80000000u}},
    };
    for (const Case& c : cases) {
        DiagControl control = Diag(2, CTRL_DIAG_BIT, OPR_PBL, 0, c.items, c.mask, c.byteSize);
        EXPECT_EQ(BitCodes(control, c.value), c.codes) << "value " << c.value;
    }
}

// Values 6 -> 5 -> 4 -> 0 of the bit list (control 1) between two other
// lists' rows: its rows go and come in place, in code order.
TEST(DiagBitRows, RowsAreRemovedAndInsertedInPlace)
{
    DiagControl bits = Diag(2, CTRL_DIAG_BIT, OPR_PBL, 0, kBits, 0xF, 2);
    std::vector<RowRef> list{{0, u"1"}, {1, u"0x00000002"}, {2, u"3"}};

    std::vector<BitRowEdit> edits = PlanBitRows(list, 1, bits, 6);
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].kind, BitRowEdit::Insert);
    EXPECT_EQ(edits[0].at, 2);
    EXPECT_EQ(edits[0].item, 2);
    list = Apply(list, 1, edits);
    EXPECT_EQ(Codes(list), (std::vector<std::u16string>{u"0:1", u"1:0x00000002", u"1:0x00000004", u"2:3"}));

    edits = PlanBitRows(list, 1, bits, 5);
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(edits[0].kind, BitRowEdit::Remove);
    EXPECT_EQ(edits[0].at, 1);
    EXPECT_EQ(edits[1].kind, BitRowEdit::Insert);
    EXPECT_EQ(edits[1].at, 1);  // before code 4
    EXPECT_EQ(edits[1].item, 0);
    list = Apply(list, 1, edits);
    EXPECT_EQ(Codes(list), (std::vector<std::u16string>{u"0:1", u"1:0x00000001", u"1:0x00000004", u"2:3"}));

    list = Apply(list, 1, PlanBitRows(list, 1, bits, 4));
    EXPECT_EQ(Codes(list), (std::vector<std::u16string>{u"0:1", u"1:0x00000004", u"2:3"}));
    // The same value again changes nothing.
    EXPECT_TRUE(PlanBitRows(list, 1, bits, 4).empty());

    // 0 without a code-0 item leaves the list without the control's rows;
    // a first bit then goes to the end of the list.
    list = Apply(list, 1, PlanBitRows(list, 1, bits, 0));
    EXPECT_EQ(Codes(list), (std::vector<std::u16string>{u"0:1", u"2:3"}));
    list = Apply(list, 1, PlanBitRows(list, 1, bits, 8));
    EXPECT_EQ(Codes(list), (std::vector<std::u16string>{u"0:1", u"2:3", u"1:0x00000008"}));

    // With a code-0 item, 0 appends its row at the end of the list.
    DiagControl withZero = bits;
    withZero.items.insert(withZero.items.begin(), DiagItem{0, u"None"});
    list = Apply(list, 1, PlanBitRows(list, 1, withZero, 0));
    EXPECT_EQ(Codes(list), (std::vector<std::u16string>{u"0:1", u"2:3", u"1:0x00000000"}));
}

TEST(DiagBitRows, CodesAreOrderedAsUnsignedNumbers)
{
    DiagControl bits = Diag(2, CTRL_DIAG_BIT, OPR_PBL, 0, {{1, u"A"}, {0x80000000u, u"Top"}}, 0xFFFFFFFFu, 4);
    std::vector<RowRef> list{{0, u"0x80000000"}};
    list = Apply(list, 0, PlanBitRows(list, 0, bits, 0x80000001u));
    EXPECT_EQ(Codes(list), (std::vector<std::u16string>{u"0:0x00000001", u"0:0x80000000"}));
}

TEST(DiagCatalogue, RowsPerItemWithTheirActionsAndTheCurrentValueRow)
{
    const DiagControl sensor = Diag(1, CTRL_DIAG, OPR_PBL, 10, kSensor);
    const DiagControl bits = Diag(2, CTRL_DIAG_BIT, OPR_PBL, 11, kBits);
    const DiagControl actions = Actions(10, OPR_PBL, {{0, u"None"}, {1, u"Petrol"}, {2, u"Locked"}});
    // Element e holds action item (e + 1) % 3; element 2 names no action.
    const ActionItemAt actionAt = [](int element) { return element == 2 ? -1 : (element + 1) % 3; };

    const std::vector<ListRow> rows = CatalogueRows(4, sensor, &actions, actionAt);
    ASSERT_EQ(rows.size(), 3u);
    const std::u16string expected[3][4] = {{u"L1", u"0", u"No error", u"Petrol"},
                                           {u"L1", u"1", u"Open", u"Locked"},
                                           {u"L1", u"2", u"Short", u""}};
    for (std::size_t r = 0; r < rows.size(); ++r) {
        EXPECT_EQ(rows[r].control, 4);
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(rows[r].columns[c], expected[r][c]) << r << "," << c;
    }
    const std::vector<ListRow> bitRows = CatalogueRows(5, bits, nullptr, actionAt);
    ASSERT_EQ(bitRows.size(), 4u);
    EXPECT_EQ(bitRows[3].columns[1], u"0x00000008");
    EXPECT_EQ(bitRows[3].columns[3], u"");  // no visible actions

    const auto current = CurrentValueRow(4, sensor, 1, &actions, actionAt);
    ASSERT_TRUE(current);
    EXPECT_EQ(current->columns[1], u"1");
    EXPECT_EQ(current->columns[2], u"Open");
    EXPECT_EQ(current->columns[3], u"Locked");
    EXPECT_FALSE(CurrentValueRow(4, sensor, 9, &actions, actionAt));
}

// The list: a sensor row (control 0, actions 0), two bit rows (control 1,
// actions 1) and a row of a list whose actions it does not own (control 2
// names actions 0 too).
class ActionReports : public ::testing::Test {
protected:
    ActionReports()
        : rows{Diag(1, CTRL_DIAG, OPR_PBL, 10, kSensor), Diag(2, CTRL_DIAG_BIT, OPR_PBL, 11, kBits),
               Diag(3, CTRL_DIAG, OPR_PBL, 10, kSensor)},
          actions{Actions(10, OPR_PBL), Actions(11, OPR_PBL)},
          visible(BuildVisibility(rows, actions, AssignActions(rows, actions), OPR_PRV)),
          list{{0, u"1"}, {1, u"0x00000001"}, {1, u"0x00000004"}, {2, u"2"}}
    {
    }

    ReportTarget Resolve(std::int32_t key, std::int32_t value, std::int32_t index, std::uint8_t origin,
                         Editing editing = {})
    {
        return ResolveActionReport({key, value, index, origin}, list, rows, actions, visible, editing);
    }

    std::vector<DiagControl> rows;
    std::vector<DiagControl> actions;
    Visibility visible;
    std::vector<RowRef> list;
};

TEST_F(ActionReports, EachReportFindsItsRow)
{
    // A request's answer by its error code, decimal or hexadecimal.
    ReportTarget target = Resolve(11, 4, 1, 0);
    EXPECT_EQ(target.kind, ReportTarget::Show);
    EXPECT_EQ(target.row, 2);
    EXPECT_EQ(target.action, 1);
    target = Resolve(10, 1, 0, 0);
    EXPECT_EQ(target.kind, ReportTarget::Show);
    EXPECT_EQ(target.row, 0);

    // The user's pick lands on the edited row, whatever its code.
    target = Resolve(11, -1, 1, 1, {2, 1});
    EXPECT_EQ(target.kind, ReportTarget::Show);
    EXPECT_EQ(target.row, 2);
    // Without an edited row a pick looks for a row by code: none has -1.
    target = Resolve(11, -1, 1, 1);
    EXPECT_EQ(target.kind, ReportTarget::Ask);
    EXPECT_EQ(target.control, 1);

    // Index -1 clears the row's action.
    target = Resolve(11, 1, -1, 0);
    EXPECT_EQ(target.kind, ReportTarget::Clear);
    EXPECT_EQ(target.row, 1);

    // Code 2 is shown only by control 2, which does not own the actions:
    // the answer finds no row and asks control 0 again.
    target = Resolve(10, 2, 1, 0);
    EXPECT_EQ(target.kind, ReportTarget::Ask);
    EXPECT_EQ(target.control, 0);

    // A key no visible list has is dropped.
    EXPECT_EQ(Resolve(77, 1, 1, 0).kind, ReportTarget::Drop);
    visible = BuildVisibility(rows, actions, AssignActions(rows, actions), OPR_LIMIT);
    EXPECT_EQ(Resolve(10, 1, 1, 0).kind, ReportTarget::Drop);
}

TEST(DiagAskOnce, AnUnmatchedAnswerAsksAgainOnlyOnce)
{
    AskOnce asks;
    EXPECT_TRUE(asks.Ask(3));
    EXPECT_FALSE(asks.Ask(3));  // the answer to the second request
    EXPECT_TRUE(asks.Ask(3));   // a later value asks again
    asks.Matched(3);
    EXPECT_TRUE(asks.Ask(3));
    EXPECT_TRUE(asks.Ask(4));
}

TEST(DiagChecklist, LinesOfEveryRowKind)
{
    const DiagControl sensor = Diag(1, CTRL_DIAG, OPR_PBL, 10, kSensor);
    DiagControl bits = Diag(2, CTRL_DIAG_BIT, OPR_PBL, 11, kBits, 0x7, 2);
    const DiagControl actions = Actions(10, OPR_PBL, {{0, u"None"}, {1, u"Petrol"}, {2, u"Locked"}});
    // Element e names action item e; element 3 none.
    const ActionItemAt actionAt = [](int element) { return element == 3 ? -1 : element; };
    using Lines = std::vector<std::u16string>;

    EXPECT_EQ(ChecklistLines(sensor, 2, 0, &actions, actionAt), Lines{u"Id1\tL1\t2\tShort\t2\tLocked\n"});
    EXPECT_EQ(ChecklistLines(sensor, 1, 0, nullptr, actionAt), Lines{u"Id1\tL1\t1\tOpen\t\n"});
    EXPECT_EQ(ChecklistLines(sensor, -1, 0, &actions, actionAt), Lines{u"Id1\tL1\t\t\n"});

    // Bits 0, 2 and 3 set; bit 3 lies outside the mask, bit 2's element
    // names no action.
    bits.items = {{1, u"Inj 1"}, {2, u"Inj 2"}, {4, u"Inj 3"}, {8, u"Inj 4"}};
    const ActionItemAt bitActions = [](int element) { return element == 2 ? -1 : 1; };
    EXPECT_EQ(ChecklistLines(bits, -1, 0xD, &actions, bitActions),
              (Lines{u"Id2\tL2\t0x00000001\tInj 1\t1\tPetrol\n", u"Id2\tL2\t0x00000004\tInj 3\t\n"}));
    // Value 0: one line, with an empty third field without a code-0 item.
    EXPECT_EQ(ChecklistLines(bits, -1, 0, &actions, bitActions), Lines{u"Id2\tL2\t\n"});
    bits.items.insert(bits.items.begin(), DiagItem{0, u"None"});
    EXPECT_EQ(ChecklistLines(bits, -1, 0, &actions, bitActions), Lines{u"Id2\tL2\t0x00000000\tNone\t1\tPetrol\n"});
}

// A diagnosis list's line takes the action of the element of its error,
// not whatever the action list shows at the moment.
TEST(DiagChecklist, TheActionIsTheElementOfTheErrorWritten)
{
    const DiagControl sensor = Diag(1, CTRL_DIAG, OPR_PBL, 10, kSensor);
    const DiagControl actions = Actions(10, OPR_PBL, {{0, u"None"}, {1, u"Petrol"}, {2, u"Locked"}});
    std::vector<int> asked;
    const ActionItemAt actionAt = [&](int element) {
        asked.push_back(element);
        return 2 - element;
    };
    EXPECT_EQ(ChecklistLines(sensor, 0, 0, &actions, actionAt),
              std::vector<std::u16string>{u"Id1\tL1\t0\tNo error\t2\tLocked\n"});
    EXPECT_EQ(asked, std::vector<int>{0});
}

TEST(DiagControls, ADefinitionGivesItsItems)
{
    REC_CONTROLLO definition;
    definition.ID_GUI = 302;
    definition.CATEGORIA = CTRL_DIAG_BIT;
    definition.TIPO = DATO_UWORD;
    definition.MASCHERA = 0xF;
    definition.OPERATORE = OPR_PBL;
    DiagBlock block;
    block.NUM_ERRORI = 2;
    block.ETICHETTE_ERRORI = {u"A", u"B", u"C"};
    block.COD_ERRORI = {1, -2147483647 - 1, 4};
    block.ID_AZIONE = 307;
    definition.GRAFICA = block;
    const DiagControl control = ControlOf(definition);
    EXPECT_EQ(control.byteSize, 2);
    EXPECT_EQ(control.actionKey, 307);
    ASSERT_EQ(control.items.size(), 2u);
    EXPECT_EQ(control.items[1].code, 0x80000000u);
    EXPECT_EQ(control.FindCode(0x80000000u), 1);
}
