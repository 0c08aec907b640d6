// The drop-down list on a shown page, driven by QTest: which item a value
// selects, what a choice writes, the switch of dependent controls, the
// state list that only follows its variable, the diagnosis lists and the
// roles that tell an owner, samples, and calibration and export lines.
#include "pages/CCtrlCombo.h"

#include "ListsFixture.h"
#include "config/AcqSample.h"
#include "pages/CCtrlEdit.h"
#include "pages/core/CUtilityTables.h"

#include <QAbstractItemView>

using namespace vexar::pagestest;
using namespace vexar::link;

namespace {

const std::vector<Item> kThree = {{u"Three", 3}, {u"Four", 4}, {u"Six", 6}};

class ComboPage : public ListsPage {
protected:
    CCtrlCombo* List(const REC_CONTROLLO& definition, CTRL_TABLE* table = nullptr, const Place& place = {})
    {
        return Make(&CUtility::CreateCtrlCombo, definition, table ? table : &par, place);
    }
    std::size_t Requests(unsigned id) const
    {
        return static_cast<std::size_t>(std::count_if(app.requests.begin(), app.requests.end(),
                                                      [id](const RecordingPages::Request& r) { return r.id == id; }));
    }
};

// A refresh selects the first item of the value, after the conversion,
// and no item for a value none has; a negative item writes back its own
// bytes.
TEST_F(ComboPage, ARefreshSelectsTheFirstItemOfTheConvertedValue)
{
    CCtrlCombo* twins = List(ComboDef(1, 4, {{u"A", 1}, {u"B", 2}, {u"C", 1}}, u"2"));
    Par(4) = 1;
    Send(*twins, WM_CTRL_REFRESH, 1);
    EXPECT_EQ(twins->currentIndex(), 0);
    ASSERT_TRUE(twins->LoadParam(u"LIST1\t1\tc"));
    EXPECT_EQ(twins->currentIndex(), 0) << "a calibration value as well";

    REC_CONTROLLO tenths = ComboDef(2, 5, {{u"One", 1}, {u"Two", 2}, {u"Twenty", 20}}, u"1");
    tenths.TIPO_CONV = CONV_FORM;
    tenths.CONVERSIONE = ConvForm{1.0, 0.0, 0.0, 10.0, 0.0};
    CCtrlCombo* scaled = List(tenths);
    Par(5) = 20;
    Send(*scaled, WM_CTRL_REFRESH, 1);
    EXPECT_EQ(scaled->currentIndex(), 1);
    EXPECT_EQ(scaled->GetValue(), 2.0);
    Par(5) = 25;
    Send(*scaled, WM_CTRL_REFRESH, 1);
    EXPECT_EQ(scaled->currentIndex(), -1) << "2.5 is no item";
    EXPECT_EQ(scaled->GetValue(), -1.0);

    CCtrlCombo* signedList = List(ComboDef(3, 6, {{u"Minus", -5}, {u"Zero", 0}, {u"Plus", 5}}, u"0", DATO_BYTE));
    Par(6) = 0xFB;
    Send(*signedList, WM_CTRL_REFRESH, 1);
    EXPECT_EQ(signedList->currentIndex(), 0);
    Par(6) = 0;
    Send(*signedList, WM_CTRL_STORE);
    EXPECT_EQ(Par(6), 0xFB);
    EXPECT_EQ(ExportedLines(*signedList), "LIST3\tA label\t-5\n");
}

// What the program sets writes nothing, nor does a wheel turn over the
// closed list; the user's choice of another item writes once, of the
// current item not at all.
TEST_F(ComboPage, OnlyTheUsersChoiceOfAnotherItemWrites)
{
    CCtrlCombo* list = List(ComboDef(1, 4, kThree, u"4"));
    std::vector<WriteCase> cases = ProgramSets(*list, *list, 4, u"LIST1");
    cases.push_back({"a wheel turn either way", [&] {
                         ASSERT_TRUE(instruments::TurnWheel(*list, 1));
                         ASSERT_TRUE(instruments::TurnWheel(*list, -1));
                     },
                     0});
    cases.push_back({"choosing the current item", [&] { Choose(*list, list->currentIndex()); }, 0});
    cases.push_back({"choosing another item", [&] { Choose(*list, 2); }, 1});
    cases.push_back({"the keyboard's next item", [&] {
                         list->setFocus();
                         QTest::keyClick(list, Qt::Key_Up);
                     },
                     1});
    ExpectWrites(cases);
    EXPECT_EQ(Par(4), 4);
    EXPECT_EQ(list->currentIndex(), 1);
}

// Ctrl+Z chooses the item before the last choice and writes it; a second
// Ctrl+Z chooses the same item, which is current, and writes nothing.
TEST_F(ComboPage, UndoChoosesThePreviousItemOnce)
{
    CCtrlCombo* list = List(ComboDef(1, 4, kThree, u"3"));
    Choose(*list, 2);
    ASSERT_EQ(Par(4), 6);
    app.m_bLinked = 1;
    app.requests.clear();
    list->setFocus();
    Undo(*list);
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_EQ(Par(4), 3);
    Undo(*list);
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_EQ(Writes(), 1u);
    app.m_bLinked = 0;
}

// A list without a current item encodes nothing: a forced store, the
// load's first store and a "-1" line leave the bytes no item names, and
// its line still reads -1 with an empty export value.
TEST_F(ComboPage, AListWithoutACurrentItemKeepsTheImagesBytes)
{
    REC_CONTROLLO definition = ComboDef(1, 4, kThree, u"4");
    definition.FIXDEF = FIX_OFF;
    CCtrlCombo* list = List(definition);
    Par(4) = 9;
    Send(*list, WM_CTRL_REFRESH, 1);
    ASSERT_EQ(list->currentIndex(), -1);
    Send(*list, WM_CTRL_STORE);
    CUtility::RefreshAllCtrls(par);
    ASSERT_TRUE(list->LoadParam(u"LIST1\t-1\tc"));
    Send(*list, WM_CTRL_STORE_WRITE, 1, 1);
    EXPECT_EQ(Par(4), 9);
    EXPECT_EQ(Writes(), 0u);
    CModifica history;
    EXPECT_EQ(SavedLines(*list, history), u"LIST1" + std::u16string(28, u' ') + u"\t-1" + std::u16string(18, u' ') +
                                              u"\tA comment\n");
    EXPECT_EQ(ExportedLines(*list), "LIST1\tA label\t\n");
}

// Hidden by its conditions, a FIX_ON list keeps its item on a refresh and
// stores nothing unless forced; FIX_OFF refreshes and stores while hidden.
TEST_F(ComboPage, AHiddenFixOnListKeepsItsItemAndFixOffDoesNot)
{
    for (const std::int32_t fixdef : {FIX_ON, FIX_OFF}) {
        REC_CONTROLLO definition = ComboDef(1, 4, kThree, u"4");
        definition.FIXDEF = fixdef;
        CCtrlCombo* list = Make(&CUtility::CreateCtrlCombo, definition, nullptr, {.hidden = true});
        Par(4) = 6;
        Send(*list, WM_CTRL_REFRESH, 1);
        EXPECT_EQ(list->currentIndex(), fixdef == FIX_ON ? 1 : 2) << fixdef;
        list->SelectFromText(u"3", 0, 0);
        Send(*list, WM_CTRL_STORE_WRITE, 0, 0);
        EXPECT_EQ(Par(4), fixdef == FIX_ON ? 6 : 3) << fixdef;
        delete list;
    }
}

// Items A (keys 5 and 6) and B (key 6): A shows both, B hides 5 and shows
// 6, a third item naming none hides both. The table entries' hidden bytes
// follow, and each change asks the worker to rebuild its polled lists.
TEST_F(ComboPage, ItemsSharingAKeyShowItWhileEitherIsCurrent)
{
    REC_CONTROLLO five = EditDef(5, u"FIVE", 20, 2);
    REC_CONTROLLO six = EditDef(6, u"SIX", 22, 2);
    five.FIXDEF = six.FIXDEF = FIX_OFF;
    CCtrlEdit* fieldFive = Make(&CUtility::CreateCtrlEdit, five, &par, {.row = 1});
    CCtrlEdit* fieldSix = Make(&CUtility::CreateCtrlEdit, six, &par, {.row = 2});
    REC_CONTROLLO switchDef = ComboDef(1, 4, {{u"A", 1}, {u"B", 2}, {u"None", 3}}, u"1");
    ComboBlock& block = std::get<ComboBlock>(switchDef.GRAFICA);
    block.VISIB_DIP = VIS_SI;
    block.VISIBILI_ITEMS = {{2, {5, 6}, 0, {}}, {1, {6}, 0, {}}, {}};
    CCtrlCombo* list = List(switchDef);
    CUtility::UpdateSwitchCtrls(par);
    const auto hidden = [&](int key) {
        for (const CTRL_WND& entry : par)
            if (entry.key == key)
                return entry.hidden;
        return -1;
    };
    struct Case {
        int position;
        bool fiveShown;
        bool sixShown;
    };
    for (const Case& c : {Case{1, false, true}, Case{2, false, false}, Case{0, true, true}, Case{1, false, true}}) {
        app.requests.clear();
        Choose(*list, c.position);
        EXPECT_EQ(fieldFive->isVisible(), c.fiveShown) << c.position;
        EXPECT_EQ(fieldSix->isVisible(), c.sixShown) << c.position;
        EXPECT_EQ(hidden(5), c.fiveShown ? 0 : 1) << c.position;
        EXPECT_EQ(hidden(6), c.sixShown ? 0 : 1) << c.position;
        EXPECT_EQ(Requests(WM_LINK_REBUILD_POLL_LIST), 1u) << c.position;
    }
}

// A switch without a datum (PAR_NO) shows and hides its dependents but
// never touches the images or asks for a write; its line is written, with
// no change record and no export line.
TEST_F(ComboPage, ASwitchWithoutADatumNeverTouchesTheImages)
{
    REC_CONTROLLO five = EditDef(5, u"FIVE", 20, 2);
    five.FIXDEF = FIX_OFF;
    CCtrlEdit* fieldFive = Make(&CUtility::CreateCtrlEdit, five, &par, {.row = 1});
    REC_CONTROLLO switchDef = ComboDef(1, 4, {{u"Off", 0}, {u"On", 1}}, u"0");
    ComboBlock& block = std::get<ComboBlock>(switchDef.GRAFICA);
    block.VISIB_DIP = VIS_SI;
    block.PARAM = PAR_NO;
    block.VISIBILI_ITEMS = {{}, {1, {5}, 0, {}}};
    CCtrlCombo* list = List(switchDef);
    CUtility::UpdateSwitchCtrls(par);
    EXPECT_FALSE(fieldFive->isVisible());
    const std::vector<std::uint8_t> before = ParImage();
    app.m_bLinked = 1;
    Par(4) = 1;
    Send(*list, WM_CTRL_REFRESH, 1);
    Par(4) = 0;
    Choose(*list, 1);
    EXPECT_TRUE(fieldFive->isVisible());
    Send(*list, WM_CTRL_STORE);
    Send(*list, WM_CTRL_SET_DEFAULT);
    EXPECT_FALSE(fieldFive->isVisible());
    EXPECT_EQ(ParImage(), before);
    EXPECT_EQ(Writes(), 0u);
    app.m_bLinked = 0;
    Choose(*list, 1);
    CModifica history;
    EXPECT_EQ(SavedLines(*list, history).substr(0, 36), u"LIST1" + std::u16string(28, u' ') + u"\t1 ");
    EXPECT_EQ(history.GetCount(), 0);
    EXPECT_EQ(ExportedLines(*list), "");
}

// The state list is disabled until the link opens it; a pick of the user
// returns to the state the variable holds and writes nothing anywhere.
TEST_F(ComboPage, TheStateListFollowsOnlyItsVariable)
{
    CCtrlCombo* state = Make(&CUtility::CreateCtrlStato, StatoDef(7, 8, {{u"Off", 0}, {u"Petrol", 1}, {u"Gas", 2}}), &var);
    EXPECT_FALSE(state->isEnabled());
    Var(8) = 2;
    Send(*state, WM_CTRL_REFRESH, 0);
    EXPECT_EQ(state->currentText(), QString("Gas"));
    Send(*state, WM_CTRL_ENABLE, 1);
    ASSERT_TRUE(state->isEnabled());
    const std::vector<std::uint8_t> vars = VarImage();
    const std::vector<std::uint8_t> pars = ParImage();
    app.m_bLinked = 1;
    Choose(*state, 0);
    EXPECT_EQ(state->currentText(), QString("Gas"));
    for (const unsigned id : {WM_CTRL_STORE, WM_CTRL_SET_DEFAULT, WM_CTRL_FORCE_REFRESH})
        Send(*state, id);
    Send(*state, WM_CTRL_STORE_WRITE, 1, 1);
    EXPECT_EQ(state->currentText(), QString("Gas"));
    EXPECT_EQ(VarImage(), vars);
    EXPECT_EQ(ParImage(), pars);
    EXPECT_TRUE(app.requests.empty());
    app.m_bLinked = 0;
    EXPECT_EQ(ExportedLines(*state), "STATE\tA label\t2\n");
}

// A bit diagnosis with two bits set shows no item, yet its owner learns of
// the refresh and reads the bits itself; without an owner nothing is told.
TEST_F(ComboPage, TwoErrorBitsShowNoItemButTellTheOwner)
{
    const std::vector<Item> bits = {{u"One", 1}, {u"Two", 2}, {u"Four", 4}, {u"Eight", 8}};
    CCtrlCombo* errors = Make(&CUtility::CreateCtrlDiagBit, DiagDef(302, CTRL_DIAG_BIT, 18, bits), &var);
    Send(*errors, WM_CTRL_REFRESH, 0);
    RecordingOwner owner;
    errors->SetOwner(&owner);
    errors->SetRole(CCtrlCombo::kRoleDiagnosis);
    Var(18) = 3;
    Send(*errors, WM_CTRL_REFRESH, 0);
    Deliver();
    EXPECT_EQ(errors->currentIndex(), -1);
    ASSERT_EQ(owner.posts.size(), 1u);
    EXPECT_EQ(owner.posts[0].id, WM_DIAG_BIT_CHANGED);
    EXPECT_EQ(owner.posts[0].wParam, 302u);
    Var(18) = 4;
    Send(*errors, WM_CTRL_REFRESH, 0);
    EXPECT_EQ(errors->currentText(), QString("Four"));
    EXPECT_EQ(ExportedLines(*errors), "") << "a diagnosis list has no export line";
}

// A role tells the owner of a user's pick, and only with an owner; the
// creators' role does by category, which for a diagnosis list is nothing.
TEST_F(ComboPage, RolesTellTheirOwnerOfAPick)
{
    struct Case {
        int role;
        bool owned;
        unsigned message;  // 0: nothing
    };
    const Case cases[] = {
        {CCtrlCombo::kRolePlain, true, 0},
        {CCtrlCombo::kRoleCategory, true, 0},
        {CCtrlCombo::kRolePicker, true, WM_PICKER_SELCHANGE},
        {CCtrlCombo::kRoleMaintRead, true, WM_MAINT_READ_SELCHANGE},
        {CCtrlCombo::kRoleMaintWrite, true, WM_MAINT_WRITE_SELCHANGE},
        {CCtrlCombo::kRoleDiagnosis, true, WM_DIAG_VALUE_CHANGED},
        {CCtrlCombo::kRolePicker, false, 0},
        {CCtrlCombo::kRoleDiagnosis, false, 0},
    };
    CCtrlCombo* list =
        Make(&CUtility::CreateCtrlDiag, DiagDef(301, CTRL_DIAG, 16, {{u"None", 0}, {u"Open", 1}, {u"Short", 2}}), &var);
    int position = 0;
    for (const Case& c : cases) {
        RecordingOwner owner;
        list->SetRole(c.role);
        list->SetOwner(c.owned ? &owner : nullptr);
        position = (position + 1) % 3;
        Choose(*list, position);
        if (c.message == 0) {
            EXPECT_TRUE(owner.posts.empty()) << c.role << " " << c.owned;
            continue;
        }
        ASSERT_EQ(owner.posts.size(), 1u) << c.role;
        EXPECT_EQ(owner.posts[0].id, c.message) << c.role;
        EXPECT_EQ(owner.posts[0].wParam, c.role == CCtrlCombo::kRoleDiagnosis ? 301u : 0u) << c.role;
    }
    EXPECT_EQ(VarImage(), std::vector<std::uint8_t>(64, 0)) << "a diagnosis pick writes nothing";

    // A plain list of a dialog is filled by its owner and posts by role.
    CCtrlCombo plain(app, &page);
    plain.addItem("First");
    plain.addItem("Second");
    plain.show();
    RecordingOwner owner;
    plain.SetOwner(&owner);
    Choose(plain, 1);
    EXPECT_TRUE(owner.posts.empty());
    plain.SetRole(CCtrlCombo::kRolePicker);
    Choose(plain, 0);
    ASSERT_EQ(owner.posts.size(), 1u);
    EXPECT_EQ(owner.posts[0].id, WM_PICKER_SELCHANGE);
}

// Marker 4 on a state list whose conversion gives 1.5: the column
// "1.500000" padded to 33 units, a TAB and the line end, and a live point
// of 1.5 with the list's SCALA.
TEST_F(ComboPage, AStateSampleWritesItsColumnAndALivePoint)
{
    vexar::testing::TempDir dir;
    app.m_bLiveSampleTarget = true;
    REC_CONTROLLO definition = StatoDef(7, 8, {{u"Off", 0}, {u"On", 1}});
    definition.TIPO_CONV = CONV_FORM;
    definition.CONVERSIONE = ConvForm{1.0, 0.0, 0.0, 2.0, 0.0};
    std::get<StatoBlock>(definition.GRAFICA).SCALA = 7;
    CCtrlCombo* state = Make(&CUtility::CreateCtrlStato, definition, &var);
    ASSERT_EQ(app.m_acqFile.WriteHeader(u"VXG4", u"VXG4_R0107", u"500", dir.file("a.acq")), 0);
    const std::u16string header = Utf16File(dir.file("a.acq"));
    auto sample = std::make_unique<ACQ_SAMPLE_MESSAGE>();
    sample->sample = {2.25, 3, 4};
    app.PostToControl(state, WM_ACQ_SAMPLE, 0, 0, std::move(sample));
    auto silent = std::make_unique<ACQ_SAMPLE_MESSAGE>();
    silent->sample = {2.5, 3, 0};
    app.PostToControl(state, WM_ACQ_SAMPLE, 0, 0, std::move(silent));
    Deliver();
    EXPECT_EQ(Utf16File(dir.file("a.acq")), header + u"1.500000" + std::u16string(25, u' ') + u"\t\n");
    ASSERT_EQ(view.points.size(), 1u);
    EXPECT_EQ(view.points[0].value, 1.5);
    EXPECT_EQ(view.points[0].display, 7);
    EXPECT_EQ(view.points[0].time, 2.25);
}

// The creators: the list as wide as its widest item and 30 more, its
// opened list as wide; the list takes its value colour; the profile and
// the limited flag decide a value list's input.
TEST_F(ComboPage, TheCreatorSizesAndEnablesTheList)
{
    CCtrlCombo* list = List(ComboDef(1, 4, {{u"Short", 0}, {u"A much longer item", 1}}, u"0"));
    const int widest = QFontMetrics(page.font()).horizontalAdvance("A much longer item") + 5;
    EXPECT_EQ(list->width(), widest + 30);
    EXPECT_GE(list->view()->minimumWidth(), widest + 30);
    EXPECT_EQ(list->geometry().topLeft(), QPoint(10, 10));
    EXPECT_EQ(list->m_textColour, LAYOUT_SETTINGS{}.valueColour);

    struct Case {
        std::int32_t profile;
        bool limited;
        std::int32_t abilitato;
        bool enabled;
    };
    int row = 1;
    for (const Case& c : {Case{OPR_PBL, true, ABIL_SI, false}, Case{OPR_PBL, false, ABIL_NO, false},
                          Case{OPR_PBL, false, ABIL_SI, true}, Case{OPR_REM, true, ABIL_NO, true}}) {
        REC_CONTROLLO definition = ComboDef(10 + row, 4, kThree, u"3");
        std::get<ComboBlock>(definition.GRAFICA).ABILITATO = c.abilitato;
        CCtrlCombo* made = List(definition, nullptr, {.row = row++, .profile = c.profile, .limited = c.limited});
        EXPECT_EQ(made->isEnabled(), c.enabled) << c.profile << c.limited << c.abilitato;
    }
}

}  // namespace
