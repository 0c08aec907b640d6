// The recovery-action list on a shown page: one element of its array at a
// time as its owner selects it, the user's choice written into that
// element, the whole array stored, written and refreshed, the group of
// element lines read and written, and the refusal of an index outside the
// array.
#include "pages/CCtrlCombo.h"

#include "ListsFixture.h"

using namespace vexar::pagestest;
using namespace vexar::link;

namespace {

const std::vector<Item> kActions = {{u"None", 0}, {u"Petrol", 1}, {u"Locked", 2}};
constexpr int kArray = 10;  // three elements of one byte at 10, 11, 12

class RiprPage : public ListsPage {
protected:
    CCtrlCombo* ActionList(std::u16string defaultText = u"0")
    {
        CCtrlCombo* list = Make(&CUtility::CreateCtrlRipr, RiprDef(303, kArray, 3, kActions, std::move(defaultText)));
        list->SetOwner(&owner);
        return list;
    }
    // The elements as both images hold them.
    void SetElements(std::vector<std::uint8_t> values)
    {
        std::copy(values.begin(), values.end(), app.m_pParMaster.get() + kArray);
        std::copy(values.begin(), values.end(), app.m_pParWork.get() + kArray);
    }
    std::vector<std::uint8_t> Elements() const
    {
        return {app.m_pParMaster.get() + kArray, app.m_pParMaster.get() + kArray + 3};
    }
    // Reads the element lines of `text` from a calibration file.
    CalibGroupRead ReadGroup(CCtrlCombo& list, const std::u16string& text)
    {
        vexar::testing::TempDir dir;
        std::string error;
        EXPECT_TRUE(vexar::crypt::WriteCipherText(dir.file("g.DAT"), text, error)) << error;
        CCriptFile file;
        EXPECT_NE(file.Open(dir.file("g.DAT"), 1), 0);
        std::u16string first;
        EXPECT_NE(file.ReadLine(first), 0);
        CalibGroupRead read;
        EXPECT_TRUE(list.LoadParam(file, first, read));
        file.Close();
        return read;
    }
    static std::u16string Line(const std::u16string& name, const std::u16string& value)
    {
        return name + std::u16string(33 - name.size(), u' ') + u"\t" + value + std::u16string(20 - value.size(), u' ') +
               u"\tA comment\n";
    }
    // The DIAG_ACTION records the owner received.
    std::vector<OwnerPost> Actions(std::size_t from = 0) const
    {
        std::vector<OwnerPost> actions;
        for (std::size_t i = from; i < owner.posts.size(); ++i)
            if (owner.posts[i].id == WM_DIAG_ACTION && owner.posts[i].hasAction)
                actions.push_back(owner.posts[i]);
        return actions;
    }

    RecordingOwner owner;
};

// The edge cases of the recovery actions, each on a list of its own.
TEST_F(RiprPage, EdgeCases)
{
    struct Case {
        const char* name;
        std::function<void(CCtrlCombo&)> run;
    };
    const std::vector<Case> cases = {
        {"saving writes the elements 0, 1 and 2 in order",
         [&](CCtrlCombo& list) {
             SetElements({0, 1, 2});
             CModifica history;
             EXPECT_EQ(SavedLines(list, history),
                       Line(u"ACTIONS[0]", u"0") + Line(u"ACTIONS[1]", u"1") + Line(u"ACTIONS[2]", u"2"));
         }},
        {"lines 0 and 2: element 0 taken, the line of 2 handed back",
         [&](CCtrlCombo& list) {
             const CalibGroupRead read = ReadGroup(list, Line(u"ACTIONS[0]", u"1") + Line(u"ACTIONS[2]", u"2"));
             EXPECT_EQ(read.taken, 1);
             EXPECT_FALSE(read.again);
             EXPECT_EQ(read.next.substr(0, 10), u"ACTIONS[2]");
             EXPECT_EQ(Elements(), (std::vector<std::uint8_t>{1, 0, 0}));
         }},
        {"lines 0, 1 and 0: a restart at the second 0",
         [&](CCtrlCombo& list) {
             const CalibGroupRead read =
                 ReadGroup(list, Line(u"ACTIONS[0]", u"1") + Line(u"ACTIONS[1]", u"2") + Line(u"ACTIONS[0]", u"0"));
             EXPECT_EQ(read.taken, 2);
             EXPECT_TRUE(read.again);
             EXPECT_EQ(Elements(), (std::vector<std::uint8_t>{1, 2, 0}));
         }},
        {"the plain identifier is element 0",
         [&](CCtrlCombo& list) {
             EXPECT_EQ(ReadGroup(list, Line(u"ACTIONS", u"2")).taken, 1);
             EXPECT_EQ(Elements(), (std::vector<std::uint8_t>{2, 0, 0}));
         }},
        {"a store and the default give every element one code",
         [&](CCtrlCombo& list) {
             list.SelectFromText(u"2", 0, 0);
             Send(list, WM_CTRL_STORE);
             EXPECT_EQ(Elements(), (std::vector<std::uint8_t>{2, 2, 2}));
             SetElements({1, 2, 1});
             Send(list, WM_CTRL_SET_DEFAULT);
             EXPECT_EQ(Elements(), (std::vector<std::uint8_t>{0, 0, 0}));
             Deliver();
             ASSERT_FALSE(Actions().empty());
             EXPECT_EQ(Actions().back().value, -1);
             EXPECT_EQ(Actions().back().index, 0);
             EXPECT_EQ(Actions().back().origin, 0);
         }},
        {"an element set and a choice write that element, told as the user's; the same choice writes again",
         [&](CCtrlCombo& list) {
             app.m_bLinked = 1;
             Send(list, WM_COMBO_SET_ELEMENT, 2);
             Deliver();
             const std::size_t seen = owner.posts.size();
             Choose(list, 1);
             Choose(list, 1);
             EXPECT_EQ(app.requests, (std::vector<RecordingPages::Request>{{WM_LINK_WRITE_RANGE, 12, 1},
                                                                           {WM_LINK_WRITE_RANGE, 12, 1}}));
             EXPECT_EQ(Elements(), (std::vector<std::uint8_t>{0, 0, 1}));
             const std::vector<OwnerPost> actions = Actions(seen);
             ASSERT_EQ(actions.size(), 2u);
             EXPECT_EQ(actions[0].key, 303);
             EXPECT_EQ(actions[0].value, -1);
             EXPECT_EQ(actions[0].index, 1);
             EXPECT_EQ(actions[0].origin, 1);
             app.m_bLinked = 0;
         }},
        {"element -1 clears the list without reading and reports index -1",
         [&](CCtrlCombo& list) {
             SetElements({2, 0, 0});
             Send(list, WM_COMBO_SELECT_ELEMENT, 0, 7);
             EXPECT_EQ(list.currentText(), QString("Locked"));
             app.m_pParMaster[kArray - 1] = 0x55;
             Send(list, WM_COMBO_SELECT_ELEMENT, static_cast<std::uintptr_t>(-1), 0);
             EXPECT_EQ(list.currentIndex(), -1);
             EXPECT_EQ(app.m_pParWork[kArray - 1], 0) << "nothing was read";
             Deliver();
             const std::vector<OwnerPost> actions = Actions();
             ASSERT_EQ(actions.size(), 2u);
             EXPECT_EQ(actions[0].value, 7);
             EXPECT_EQ(actions[0].index, 2);
             EXPECT_EQ(actions[1].value, 0);
             EXPECT_EQ(actions[1].index, -1);
             EXPECT_EQ(actions[1].origin, 0);
         }},
        {"a forced refresh shows the last element while the element shown stays",
         [&](CCtrlCombo& list) {
             SetElements({0, 1, 2});
             Send(list, WM_COMBO_SELECT_ELEMENT, 0, 0);
             EXPECT_EQ(list.currentText(), QString("None"));
             Send(list, WM_CTRL_FORCE_REFRESH);
             EXPECT_EQ(list.currentText(), QString("Locked"));
             EXPECT_EQ(list.Element(), 0);
             Choose(list, 1);
             EXPECT_EQ(Elements(), (std::vector<std::uint8_t>{1, 1, 2}));
         }},
        {"without a file a save records the elements that moved from their start",
         [&](CCtrlCombo& list) {
             SetElements({1, 0, 2});
             CModifica history;
             SavedLines(list, history);
             ASSERT_EQ(history.GetCount(), 2);
             EXPECT_EQ(history.GetList()[0].IDENTIFICATORE, u"ACTIONS[0]");
             EXPECT_EQ(history.GetList()[0].PRECEDENTE, u"0");
             EXPECT_EQ(history.GetList()[0].CORRENTE, u"1");
             EXPECT_EQ(history.GetList()[1].IDENTIFICATORE, u"ACTIONS[2]");
             EXPECT_EQ(history.GetList()[1].CORRENTE, u"2");
             SavedLines(list, history);
             EXPECT_EQ(history.GetCount(), 2) << "saved once, the same values are no change";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::fill_n(app.m_pParMaster.get(), app.m_nParSize, 0);
        std::fill_n(app.m_pParWork.get(), app.m_nParSize, 0);
        app.requests.clear();
        owner.posts.clear();
        CCtrlCombo* list = ActionList();
        c.run(*list);
        delete list;
    }
}

// An index at or beyond the array's end, or below it, names no element:
// the list is cleared and a choice writes nothing anywhere until a valid
// index comes.
TEST_F(RiprPage, AnIndexOutsideTheArrayIsRefused)
{
    CCtrlCombo* list = ActionList();
    app.m_bLinked = 1;
    for (const std::intptr_t index : {std::intptr_t{3}, std::intptr_t{-1}, std::intptr_t{40}}) {
        for (const unsigned id : {WM_COMBO_SELECT_ELEMENT, WM_COMBO_SET_ELEMENT}) {
            app.requests.clear();
            const std::vector<std::uint8_t> before = ParImage();
            Send(*list, id, static_cast<std::uintptr_t>(index), 1);
            EXPECT_EQ(list->currentIndex(), -1) << index;
            Choose(*list, 2);
            Send(*list, WM_CTRL_STORE_WRITE, 1, 1);
            EXPECT_EQ(list->currentIndex(), -1) << index;
            EXPECT_EQ(ParImage(), before) << index;
            EXPECT_TRUE(app.requests.empty()) << index;
            for (const OwnerPost& post : owner.posts)
                EXPECT_NE(post.origin, 1) << "no choice is reported";
        }
    }
    Send(*list, WM_COMBO_SELECT_ELEMENT, 1, 1);
    Choose(*list, 2);
    EXPECT_EQ(Elements(), (std::vector<std::uint8_t>{0, 2, 0}));
    EXPECT_EQ(app.requests, (std::vector<RecordingPages::Request>{{WM_LINK_WRITE_RANGE, 11, 1}}));
    app.m_bLinked = 0;
}

// A wheel turn over the closed list of an element chooses no action:
// nothing is stored, written or reported to the window.
TEST_F(RiprPage, AWheelTurnChoosesNoAction)
{
    CCtrlCombo* list = ActionList();
    SetElements({0, 1, 2});
    Send(*list, WM_COMBO_SELECT_ELEMENT, 1, 1);
    Deliver();
    ASSERT_EQ(list->currentIndex(), 1);
    app.m_bLinked = 1;
    app.requests.clear();
    const std::size_t posts = owner.posts.size();
    for (const int notches : {1, -1, -1}) {
        ASSERT_TRUE(instruments::TurnWheel(*list, notches));
        Deliver();
    }
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_EQ(Elements(), (std::vector<std::uint8_t>{0, 1, 2}));
    EXPECT_TRUE(app.requests.empty());
    EXPECT_TRUE(Actions(posts).empty());
    app.m_bLinked = 0;
}

// The whole array: one write request per element; a refresh of the array
// after a whole-image read; element values and positions for the window.
TEST_F(RiprPage, TheWholeArray)
{
    CCtrlCombo* list = ActionList();
    app.m_bLinked = 1;
    list->SelectFromText(u"1", 0, 0);
    list->WriteArray();
    EXPECT_EQ(app.requests, (std::vector<RecordingPages::Request>{
                                {WM_LINK_WRITE_RANGE, 10, 1}, {WM_LINK_WRITE_RANGE, 11, 1}, {WM_LINK_WRITE_RANGE, 12, 1}}));
    EXPECT_EQ(Elements(), (std::vector<std::uint8_t>{1, 1, 1}));
    app.m_bLinked = 0;

    Par(10) = 2;
    Par(11) = 0;
    Par(12) = 9;
    Send(*list, WM_COMBO_SET_ELEMENT, 1);
    Send(*list, WM_COMBO_REFRESH_ARRAY);
    EXPECT_EQ(list->currentText(), QString("None"));
    EXPECT_EQ(app.m_pParWork[12], 9) << "every element was copied";
    EXPECT_EQ(list->GetElementValue(0), 2.0);
    int position = -1;
    EXPECT_TRUE(list->GetElementIndex(0, position));
    EXPECT_EQ(position, 2);
    EXPECT_FALSE(list->GetElementIndex(2, position)) << "9 is no action";
    EXPECT_FALSE(list->GetElementIndex(3, position));
    EXPECT_EQ(list->GetElementValue(-1), 0.0);
    EXPECT_EQ(ExportedLines(*list), "") << "no export line";
}

}  // namespace
