// The maps of the synthetic configuration's pages with the real link
// worker and the simulated ECU on a pseudo-terminal: a whole-image read
// shows the ECU's bytes in the cells and the axes; a change dialog's edit
// and a paste each reach the ECU as the frames of one range holding
// exactly the new bytes; with the link down only the master image
// changes; the engine speed the ECU reports moves the dot after a poll;
// undo after a refresh writes only the cells it changes.
#include "pages/CCtrlGrid.h"

#include "ControlSet.h"
#include "CryptFixtures.h"
#include "DefinitionFixtures.h"
#include "PagesOnLine.h"
#include "TempDir.h"
#include "common/Text.h"
#include "config/CParametriFile.h"
#include "pages/CUtilityGrid.h"
#include "pages/core/CUtilityTables.h"
#include "pages/widgets/CCWNumEdit.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

using namespace vexar::pagestest;
using namespace vexar::link;
using vexar::ecusim::Image;

namespace {

// The second protocol's command that writes a block of the parameters.
constexpr std::uint8_t kWriteParameters = 2;

// A block of parameter bytes as the ECU heard it written.
struct BlockWrite {
    std::size_t address = 0;
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const BlockWrite&, const BlockWrite&) = default;
};

void PrintTo(const BlockWrite& write, std::ostream* out)
{
    *out << "{" << write.address << ":";
    for (const std::uint8_t byte : write.bytes)
        *out << " " << int{byte};
    *out << "}";
}

class MapsOnLine : public PagesOnLine {
protected:
    MapsOnLine()
    {
        // The ECU's map: raw 130 to 135 (1 to 3.5 per cent), engine speeds
        // 1000, 2000, 4000, pressures 0.5 and 2 bar; the temperature
        // correction and its falling temperatures.
        Ecu(26, {0x03, 0xE8, 0x07, 0xD0, 0x0F, 0xA0});
        Ecu(32, {130, 131, 132, 133, 134, 135});
        Ecu(58, {50, 200});
        Ecu(60, {130, 100, 50, 4, 6, 8});
    }

    void Ecu(std::size_t address, std::vector<std::uint8_t> bytes)
    {
        rig.sim().WriteImage(Image::Parameters, address, bytes);
    }
    std::vector<std::uint8_t> EcuBytes(std::size_t address, std::size_t count)
    {
        return rig.sim().ReadImage(Image::Parameters, address, count);
    }
    std::vector<std::uint8_t> Master(std::size_t address, std::size_t count) const
    {
        return {app.m_pParMaster.get() + address, app.m_pParMaster.get() + address + count};
    }

    // Connects, and waits for the connect's whole-image read.
    void ConnectAndRead()
    {
        Connect();
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->progressClosed > 0; }, 20000));
    }

    // A map of the parameter window, its page shown.
    CCtrlGrid& Map(std::int32_t key)
    {
        CDlgTabSB& params = fixture->Params();
        ShowAndWait(params);
        const std::vector<CDlgTabWnd*> pages = params.ConfiguredPages();
        for (std::size_t p = 0; p < pages.size(); ++p)
            for (const CTRL_WND& entry : pages[p]->m_table)
                if (entry.key == key) {
                    params.ShowPage(static_cast<int>(p));
                    auto* map = dynamic_cast<CCtrlGrid*>(entry.wnd);
                    EXPECT_TRUE(QTest::qWaitFor([&] { return map->isVisible(); }, 5000));
                    return *map;
                }
        throw std::runtime_error("no such map");
    }

    // Runs `drive` on the map's change dialog once it shows and takes
    // the keys.
    static void WhileShown(CDlgModGridVal& dialog, std::function<void()> drive)
    {
        QTimer::singleShot(0, &dialog, [&dialog, drive] {
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
            EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.ValueField().hasFocus(); }, 5000));
            drive();
        });
    }
    static void Select(CCtrlGrid& map, GRID_CELL from, GRID_CELL to)
    {
        QTest::mouseClick(&map, Qt::LeftButton, Qt::NoModifier, map.GetCellRect(from.row, from.column).center());
        QTest::mouseClick(&map, Qt::LeftButton, Qt::ShiftModifier, map.GetCellRect(to.row, to.column).center());
    }
    // Enter on the map, and in its change dialog `value` typed as an
    // absolute value.
    static void EnterAbsolute(CCtrlGrid& map, const QString& value)
    {
        CDlgModGridVal& dialog = map.ChangeDialog();
        WhileShown(dialog, [&dialog, value] {
            QTest::keyClick(&dialog.ValueField(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(&dialog.ValueField(), value);
            QTest::keyClick(&dialog, Qt::Key_A, Qt::AltModifier);
            QTest::keyClick(&dialog.ValueField(), Qt::Key_Return);
        });
        QTest::keyClick(&map, Qt::Key_Return);
    }

    // The parameter blocks the ECU was asked to write, in order: block
    // number, address word, size byte, then the bytes from the tenth on.
    std::vector<BlockWrite> BlockWrites()
    {
        std::vector<BlockWrite> writes;
        for (const vexar::ecusim::FrameRecord& record : rig.sim().FrameLog()) {
            const std::vector<std::uint8_t>& rq = record.bytes;
            if (record.kind != vexar::ecusim::FrameRecord::Kind::Request || !record.crcOk || rq.size() < 11 ||
                rq[2] != kWriteParameters)
                continue;
            const std::size_t size = rq[6] == 0 ? 256 : rq[6];
            if (rq.size() < 9 + size)
                continue;
            writes.push_back({std::size_t{rq[3]} * 256 + (std::size_t{rq[4]} << 8) + rq[5],
                              {rq.begin() + 9, rq.begin() + 9 + static_cast<std::ptrdiff_t>(size)}});
        }
        return writes;
    }
};

// A map of a page in a set of controls that owns what it holds: the map
// stays its page's.
class BuiltMap : public IDataCtrl {
public:
    explicit BuiltMap(CCtrlGrid& map) : m_map(map) {}
    const REC_CONTROLLO& GetDefinition() const override { return m_map.GetDefinition(); }
    double GetValue() const override { return m_map.GetValue(); }
    bool SaveParam(CCriptFile& file, CModifica& history) override { return m_map.SaveParam(file, history); }
    bool LoadParam(std::u16string line) override { return m_map.LoadParam(std::move(line)); }
    bool LoadParam(CCriptFile& file, std::u16string line, CalibGroupRead& read) override
    {
        return m_map.LoadParam(file, std::move(line), read);
    }

private:
    CCtrlGrid& m_map;
};

std::vector<std::u16string> Texts(const CCtrlGrid& map, int top, int left, int bottom, int right)
{
    std::vector<std::u16string> texts;
    for (int r = top; r <= bottom; ++r)
        for (int c = left; c <= right; ++c)
            texts.push_back(map.CellText(r, c));
    return texts;
}

// The synthetic calibration loads into the maps the page builder made,
// each with its axes, and saves back unchanged.
TEST_F(MapsOnLine, TheSyntheticCalibrationLoadsIntoBuiltMapsAndSavesBackUnchanged)
{
    const std::string home = std::getenv("VEXAR_HOME");
    const std::u16string text = vexar::fixtures::FixtureText("calibration/VXG4_R0107_City.DAT.txt");
    std::string error;
    ASSERT_TRUE(vexar::crypt::WriteCipherText(home + "/City.DAT", text, error)) << error;
    app.m_clock = [] { return std::time_t{1294650000}; };
    vexar::testing::ControlSet controls(
        fixture->parDefs, fixture->gdgDefs, app.m_clock, [&](const REC_CONTROLLO& record) -> std::unique_ptr<IDataCtrl> {
            if (record.CATEGORIA != CTRL_GRID)
                return nullptr;
            for (const CTRL_WND& entry : fixture->Params().m_allTable)
                if (entry.key == record.ID_GUI)
                    return std::make_unique<BuiltMap>(dynamic_cast<CCtrlGrid&>(*entry.wnd));
            ADD_FAILURE() << "no map " << record.ID_GUI;
            return nullptr;
        });
    CParametriFile file("", u"InfoFileParametri");
    controls.Attach(file);
    std::u16string fileFirmware;
    bool nameFound = false;
    ASSERT_EQ(file.Read(u"VXG4", u"VXG4_R0107", fileFirmware, home + "/City.DAT", nameFound), 0);

    CCtrlGrid& map = Map(112);
    EXPECT_EQ(Texts(map, 0, 0, 2, 3), (std::vector<std::u16string>{u"", u"1500", u"3000", u"4500", u"0.9", u"0",
                                                                     u"1.5", u"3", u"1.7", u"-2", u"0", u"2.5"}));
    CCtrlGrid& table = Map(121);
    EXPECT_EQ(Texts(table, 0, 0, 1, 2), (std::vector<std::u16string>{u"85", u"55", u"25", u"0.5", u"2", u"4.5"}));
    const int before = file.GetModifiche().GetCount();
    ASSERT_EQ(file.Write(u"VXG4", u"VXG4_R0107", home + "/Saved.DAT"), 0);
    std::u16string saved;
    ASSERT_TRUE(vexar::crypt::ReadCipherText(home + "/Saved.DAT", saved, error)) << error;
    EXPECT_EQ(saved, text);

    // One pressure changed: one more record, under the axis point's name.
    map.PutCellText(2, 0, u"1.8");
    ASSERT_EQ(file.Write(u"VXG4", u"VXG4_R0107", home + "/Saved.DAT"), 0);
    ASSERT_EQ(file.GetModifiche().GetCount(), before + 1);
    EXPECT_EQ(file.GetModifiche().GetList().back().IDENTIFICATORE, u"Breakpoint_Pressione[1,0]");
    EXPECT_EQ(file.GetModifiche().GetList().back().PRECEDENTE, u"1.7");
    EXPECT_EQ(file.GetModifiche().GetList().back().CORRENTE, u"1.8");
}

// The connect's whole-image read reaches the maps: each block decoded by
// its own type and conversion.
TEST_F(MapsOnLine, AWholeImageReadShowsTheEcusBytes)
{
    CCtrlGrid& map = Map(112);
    EXPECT_EQ(Texts(map, 0, 0, 2, 3), (std::vector<std::u16string>{u"", u"1500", u"3000", u"4500", u"0.8", u"0",
                                                                     u"1.5", u"3", u"1.6", u"-2", u"0", u"2.5"}));
    ConnectAndRead();
    EXPECT_TRUE(QTest::qWaitFor([&] { return map.CellText(1, 1) == u"1"; }, 10000));
    EXPECT_EQ(Texts(map, 0, 0, 2, 3), (std::vector<std::u16string>{u"", u"1000", u"2000", u"4000", u"0.5", u"1",
                                                                     u"1.5", u"2", u"2", u"2.5", u"3", u"3.5"}));
    CCtrlGrid& table = Map(121);
    EXPECT_EQ(Texts(table, 0, 0, 1, 2), (std::vector<std::u16string>{u"90", u"60", u"10", u"2", u"3", u"4"}));
}

// Two cells set to 2 per cent through the dialog: one block write of
// bytes 32 and 33, both 132; then a pasted pair in the second row: one
// block write of bytes 36 and 37. Nothing else of the ECU changes.
TEST_F(MapsOnLine, ADialogEditAndAPasteAreOneRangeEach)
{
    ConnectAndRead();
    CCtrlGrid& map = Map(112);
    ASSERT_TRUE(QTest::qWaitFor([&] { return map.CellText(1, 1) == u"1"; }, 10000));
    rig.sim().ClearFrameLog();
    const std::vector<std::uint8_t> before = EcuBytes(0, 66);

    Select(map, {1, 1}, {1, 2});
    EnterAbsolute(map, QStringLiteral("2"));
    EXPECT_EQ(Texts(map, 1, 1, 1, 2), (std::vector<std::u16string>{u"2", u"2"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return EcuBytes(32, 2) == std::vector<std::uint8_t>{132, 132}; }, 10000));
    Served();
    EXPECT_EQ(rig.sim().CountRequests(kWriteParameters), 1u);

    rig.sim().ClearFrameLog();
    Select(map, {2, 2}, {2, 2});
    ASSERT_TRUE(map.PasteText(u"-1.5\t4\r\n"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return EcuBytes(36, 2) == std::vector<std::uint8_t>{125, 136}; }, 10000));
    Served();
    EXPECT_EQ(rig.sim().CountRequests(kWriteParameters), 1u);

    std::vector<std::uint8_t> expected = before;
    expected[32] = expected[33] = 132;
    expected[36] = 125;
    expected[37] = 136;
    EXPECT_EQ(EcuBytes(0, 66), expected);
}

// A refresh is no change of the user's. Clicked on one cell, a read that
// shows a new ECU value there, then Ctrl+Z: nothing is written and the
// one cell stays selected, so Enter with a value writes that cell alone.
// After the user's own change of two cells and a read that changes a
// third, Ctrl+Z writes back exactly the two cells it restores, selected
// again; the ECU's new value and the axes are never rewritten.
TEST_F(MapsOnLine, UndoAfterARefreshWritesOnlyTheCellsItChanges)
{
    ConnectAndRead();
    CCtrlGrid& map = Map(112);
    ASSERT_TRUE(QTest::qWaitFor([&] { return map.CellText(1, 1) == u"1"; }, 10000));
    QTest::mouseClick(&map, Qt::LeftButton, Qt::NoModifier, map.GetCellRect(2, 3).center());
    Ecu(37, {140});
    Served();
    ASSERT_TRUE(QTest::qWaitFor([&] { return map.CellText(2, 3) == u"6"; }, 10000));
    rig.sim().ClearFrameLog();
    const std::vector<std::uint8_t> before = EcuBytes(0, 66);

    QTest::keyClick(&map, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(map.CellText(2, 3), u"6");
    EXPECT_EQ(map.Selection(), (GRID_SELECTION{3, 2, 3, 2}));
    Served();
    EXPECT_EQ(BlockWrites(), std::vector<BlockWrite>{});
    EnterAbsolute(map, QStringLiteral("2"));
    EXPECT_EQ(Texts(map, 0, 0, 2, 3), (std::vector<std::u16string>{u"", u"1000", u"2000", u"4000", u"0.5", u"1",
                                                                     u"1.5", u"2", u"2", u"2.5", u"3", u"2"}));
    Served();
    EXPECT_EQ(BlockWrites(), (std::vector<BlockWrite>{{37, {132}}}));
    std::vector<std::uint8_t> expected = before;
    expected[37] = 132;
    EXPECT_EQ(EcuBytes(0, 66), expected);

    Select(map, {1, 1}, {1, 2});
    EnterAbsolute(map, QStringLiteral("3"));
    Served();
    Ecu(34, {120});
    Served();
    ASSERT_TRUE(QTest::qWaitFor([&] { return map.CellText(1, 3) == u"-4"; }, 10000));
    Select(map, {2, 1}, {2, 1});
    rig.sim().ClearFrameLog();
    QTest::keyClick(&map, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Texts(map, 1, 1, 1, 3), (std::vector<std::u16string>{u"1", u"1.5", u"-4"}));
    EXPECT_EQ(map.Selection(), (GRID_SELECTION{1, 1, 2, 1}));
    Served();
    EXPECT_EQ(BlockWrites(), (std::vector<BlockWrite>{{32, {130, 131}}}));
    expected[34] = 120;
    EXPECT_EQ(EcuBytes(0, 66), expected);
}

// With the link down an edit reaches the master image only and asks
// nothing of the worker; the connect then reads the ECU's image over it.
TEST_F(MapsOnLine, WithTheLinkDownOnlyTheMasterImageChanges)
{
    CCtrlGrid& map = Map(121);
    Select(map, {1, 0}, {1, 0});
    ASSERT_TRUE(map.PasteText(u"5"));
    EXPECT_EQ(Master(63, 1), std::vector<std::uint8_t>{10});
    EXPECT_EQ(app.m_linkQueue.Pending(), 0u);
    ConnectAndRead();
    EXPECT_EQ(rig.sim().CountRequests(kWriteParameters), 0u);
    EXPECT_EQ(EcuBytes(63, 1), std::vector<std::uint8_t>{4});
    EXPECT_TRUE(QTest::qWaitFor([&] { return map.CellText(1, 0) == u"2"; }, 10000));
}

// The poll of the engine speed moves the dot: between 1000 and 2000 rpm
// it lies in the first value column, at 4000 in the last; the ECU's state
// 7 turns it blue.
TEST_F(MapsOnLine, TheEngineSpeedMovesTheDotAfterAPoll)
{
    ConnectAndRead();
    CCtrlGrid& map = Map(112);
    ASSERT_TRUE(map.Marker().xLinked);
    ASSERT_TRUE(map.Marker().yLinked);
    CDlgTabSB& vars = fixture->Vars();
    ShowAndWait(vars);
    vars.ShowPage(0);
    app.PostLinkRequest(WM_LINK_REBUILD_POLL_LIST);
    ASSERT_TRUE(QTest::qWaitFor([&] { return map.CellText(0, 1) == u"1000"; }, 10000));

    const std::uint8_t speed[] = {0x05, 0xDC};  // 1500 rpm
    rig.sim().WriteImage(Image::Variables, 0, speed);
    EXPECT_TRUE(QTest::qWaitFor([&] { return map.Marker().xValue == 1500.0; }, 10000));
    QImage shot = map.grab().toImage();
    const int first = map.Marker().x;
    EXPECT_GT(first, map.GetColumnWidthPixels(0));
    EXPECT_LT(first, map.GetColumnWidthPixels(0) * 2 + 1);
    EXPECT_EQ(shot.pixelColor(map.Marker().x, map.Marker().y), QColor(255, 0, 0));

    const std::uint8_t faster[] = {0x0F, 0xA0};  // 4000 rpm
    rig.sim().WriteImage(Image::Variables, 0, faster);
    EXPECT_TRUE(QTest::qWaitFor([&] { return map.Marker().xValue == 4000.0; }, 10000));
    shot = map.grab().toImage();
    EXPECT_EQ(map.Marker().x, map.GetColumnWidthPixels(0) * 3 + map.GetColumnWidthPixels(3) / 2);
    EXPECT_EQ(shot.pixelColor(map.Marker().x, map.Marker().y), QColor(255, 0, 0));

    // The ECU's state is shown on the second variable page.
    vars.ShowPage(1);
    app.PostLinkRequest(WM_LINK_REBUILD_POLL_LIST);
    const std::uint8_t state[] = {7};
    rig.sim().WriteImage(Image::Variables, 8, state);
    EXPECT_TRUE(QTest::qWaitFor([&] { return map.Marker().colour == 0xFF0000u; }, 10000));
    shot = map.grab().toImage();
    EXPECT_EQ(shot.pixelColor(map.Marker().x, map.Marker().y), QColor(0, 0, 255));
}

// An axis whose variable no variable page places (the unplaced area's
// numeric field 210) stays unlinked, with the view's own variable table:
// its control gets no link and is not marked for the poll. The other axis,
// on a page, is linked.
TEST_F(MapsOnLine, AnAxisOfAVariableNoPageShowsStaysUnlinked)
{
    CTRL_TABLE& variables = *app.m_pVarTable;
    const auto entryOf = [&](std::int32_t key) {
        return std::find_if(variables.begin(), variables.end(), [key](const CTRL_WND& e) { return e.key == key; });
    };
    ASSERT_NE(entryOf(210), variables.end());
    ASSERT_EQ(entryOf(210)->hidden, 1) << "the unplaced area's controls are hidden";
    ASSERT_TRUE(std::none_of(app.m_pVarTable2->begin(), app.m_pVarTable2->end(),
                             [](const CTRL_WND& e) { return e.key == 210; }));

    // The advance map, its X axis on the unplaced variable, its Y axis on
    // the gas temperature of the first page.
    const auto found = std::find_if(fixture->parDefs.begin(), fixture->parDefs.end(),
                                    [](const REC_CONTROLLO& d) { return d.ID_GUI == 114; });
    ASSERT_NE(found, fixture->parDefs.end());
    REC_CONTROLLO advance = *found;
    std::get<GridBlock>(advance.GRAFICA).PRIMA_RIGA.ID_VAR = 210;
    std::get<GridBlock>(advance.GRAFICA).PRIMA_COLONNA.ID_VAR = 203;
    CUtility::LinkGridCursors(app.m_pParTable2, std::vector<REC_CONTROLLO>{advance}, app.m_pVarTable);

    CCtrlGrid& map = Map(114);
    EXPECT_FALSE(map.Marker().xLinked);
    EXPECT_TRUE(map.Marker().yLinked);
    EXPECT_FALSE(entryOf(210)->cursorLinked);
    ASSERT_NE(CUtility::CtrlOf(*entryOf(210)), nullptr);
    EXPECT_TRUE(CUtility::CtrlOf(*entryOf(210))->GridCursors()->empty());
    EXPECT_TRUE(entryOf(203)->cursorLinked);
}

}  // namespace
