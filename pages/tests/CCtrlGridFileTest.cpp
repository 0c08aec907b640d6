// A map's lines of enciphered calibration files, byte for byte through the
// calibration reader and writer: names, padding, comments on each block's
// first line, the change history with a pinned clock, blocks that end at a
// foreign or out-of-turn line, a failed line, undo after a load, and the
// checklist's export lines.
#include "pages/CCtrlGrid.h"

#include "CryptFixtures.h"
#include "MapFixture.h"
#include "TempDir.h"
#include "common/CCriptFile.h"
#include "common/CStdioFileEx.h"
#include "config/CParametriFile.h"

#include <filesystem>

using namespace vexar;
using namespace vexar::gridtest;

namespace {

const std::u16string kHeader =
    u"<CODICE_ECU>\t\tVXG4\t\t</CODICE_ECU>\n<ID_FIRMWARE>\t\tVXG4_R0107\t\t</ID_FIRMWARE>\n";

// The header and the parameter lines of a saved text, without its
// history.
std::u16string Lines(const std::u16string& saved) { return saved.substr(0, saved.find(u"<INIZIO_MODIFICHE>")); }

// One line padded by hand: name to 33, value to 20.
std::u16string L(std::u16string_view name, std::u16string_view value, std::u16string_view comment = u"")
{
    std::u16string line(name);
    line.resize(std::max<std::size_t>(line.size(), 33), u' ');
    std::u16string field(value);
    field.resize(std::max<std::size_t>(field.size(), 20), u' ');
    return line + u"\t" + field + u"\t" + std::u16string(comment) + u"\n";
}

// MAP1: 2 x 3 values with a calibrable X vector AXX of 3 points.
REC_CONTROLLO Map1()
{
    REC_CONTROLLO d = MapDef(110, u"MAP1", 2, 3, 0x100);
    d.COMMENTO = u"Correction map";
    Calibrable(GridOf(d).PRIMA_RIGA, 111);
    return d;
}

REC_CONTROLLO Axx() { return VectorDef(111, u"AXX", {1000, 2000, 3000}, 0x40, true); }
REC_CONTROLLO Axy() { return VectorDef(112, u"AXY", {20, 80}, 0x80, false); }

class MapFileTest : public MapPage {
protected:
    MapFileTest() : file("", u"InfoFileParametri")
    {
        setenv("VEXAR_HOME", home.path().c_str(), 1);
        std::filesystem::create_directories(home.file("Log"));
    }
    ~MapFileTest() override { unsetenv("VEXAR_HOME"); }

    void Attach(const std::vector<CCtrlGrid*>& controls)
    {
        table.clear();
        for (CCtrlGrid* control : controls)
            table.push_back(control->Entry());
        file.SetControls(static_cast<std::int32_t>(table.size()), table.data(), 0, nullptr);
    }
    std::u16string Save()
    {
        EXPECT_EQ(file.Write(u"VXG4", u"VXG4_R0107", home.file("Saved.DAT")), 0);
        std::u16string text;
        std::string error;
        EXPECT_TRUE(crypt::ReadCipherText(home.file("Saved.DAT"), text, error)) << error;
        return text;
    }
    std::int32_t Load(const std::u16string& lines)
    {
        std::string error;
        EXPECT_TRUE(crypt::WriteCipherText(home.file("In.DAT"), kHeader + lines, error)) << error;
        std::u16string firmware;
        bool nameFound = false;
        return file.Read(u"VXG4", u"VXG4_R0107", firmware, home.file("In.DAT"), nameFound);
    }

    vexar::testing::TempDir home;
    CParametriFile file;
    CTRL_TABLE table;
};

// MAP1[0,0] to MAP1[1,2], then AXX[0,0] to AXX[0,2]; each block's comment
// on its first line only; decimal commas written as points; long names
// and values followed at once by their TAB.
TEST_F(MapFileTest, SavedLinesInTheirOrderByteForByte)
{
    CCtrlGrid* map = Make(Map1(), {Axx()});
    map->PutCellText(1, 2, u"1,5");
    Attach({map});
    EXPECT_EQ(Lines(Save()), kHeader + L(u"MAP1[0,0]", u"1", u"Correction map") + L(u"MAP1[0,1]", u"2") +
                                 L(u"MAP1[0,2]", u"1.5") + L(u"MAP1[1,0]", u"4") + L(u"MAP1[1,1]", u"5") +
                                 L(u"MAP1[1,2]", u"6") + L(u"AXX[0,0]", u"1000", u"Comment of AXX") +
                                 L(u"AXX[0,1]", u"2000") + L(u"AXX[0,2]", u"3000"));
    // The defaults are the first reference texts: the changed cell is in
    // the history.
    ASSERT_EQ(file.GetModifiche().GetCount(), 1);
    EXPECT_EQ(file.GetModifiche().GetList()[0].IDENTIFICATORE, u"MAP1[0,2]");
    EXPECT_EQ(file.GetModifiche().GetList()[0].PRECEDENTE, u"3");
    EXPECT_EQ(file.GetModifiche().GetList()[0].CORRENTE, u"1.5");

    const std::u16string longName(35, u'N');
    REC_CONTROLLO wide = MapDef(120, longName, 1, 1, 0x20);
    MapPlace place;
    place.row = 6;
    CCtrlGrid* other = Make(wide, {}, place);
    other->PutCellText(0, 0, u"1234567890123456789012345");
    Attach({other});
    EXPECT_EQ(Lines(Save()), kHeader + longName + u"[0,0]\t1234567890123456789012345\tThe map's comment\n");
}

// Both axes, fixed headers writing nothing, and the export lines with
// identifier and label names.
TEST_F(MapFileTest, YPointsFollowAndFixedHeadersWriteNothing)
{
    REC_CONTROLLO d = Map1();
    Calibrable(GridOf(d).PRIMA_COLONNA, 112);
    CCtrlGrid* map = Make(d, {Axx(), Axy()});
    REC_CONTROLLO fixed = MapDef(130, u"FIX", 1, 2, 0x20);
    Fixed(GridOf(fixed).PRIMA_RIGA, {u"Lo", u"Hi"}, u"rpm");
    MapPlace place;
    place.row = 8;
    CCtrlGrid* labelled = Make(fixed, {}, place);
    Attach({map, labelled});
    EXPECT_EQ(Save(), kHeader + L(u"MAP1[0,0]", u"1", u"Correction map") + L(u"MAP1[0,1]", u"2") +
                          L(u"MAP1[0,2]", u"3") + L(u"MAP1[1,0]", u"4") + L(u"MAP1[1,1]", u"5") + L(u"MAP1[1,2]", u"6") +
                          L(u"AXX[0,0]", u"1000", u"Comment of AXX") + L(u"AXX[0,1]", u"2000") + L(u"AXX[0,2]", u"3000") +
                          L(u"AXY[0,0]", u"20", u"Comment of AXY") + L(u"AXY[1,0]", u"80") +
                          L(u"FIX[0,0]", u"1", u"The map's comment") + L(u"FIX[0,1]", u"2"));

    vexar::testing::TempDir dir;
    CStdioFileEx list;
    ASSERT_TRUE(list.Open(dir.file("list.txt"), CStdioFileEx::modeCreate | CStdioFileEx::modeWrite));
    labelled->ExportText(list);
    map->PutCellText(2, 3, u"6,5");
    map->ExportText(list);
    ASSERT_TRUE(list.Close());
    const std::string exported = vexar::testing::ReadAll(dir.file("list.txt"));
    EXPECT_NE(exported.find("FIX[0,0]\tMap[0,0]\t1\nFIX[0,1]\tMap[0,1]\t2\nMAP1[0,0]\tMap[0,0]\t1\n"), std::string::npos)
        << exported;
    EXPECT_NE(exported.find("MAP1[1,2]\tMap[1,2]\t6.5\nAXX[0,0]\tAxis AXX[0,0]\t1000\n"), std::string::npos);
    EXPECT_NE(exported.find("AXY[1,0]\tAxis AXY[1,0]\t80\n"), std::string::npos);
}

// A second save without a change records nothing; 10 to 12 records one
// change under the element's name with the pinned time; a later change of
// the same cell adds a record after it; 1.50 against 1.5 is no change.
TEST_F(MapFileTest, TheHistoryRecordsEachChangedCell)
{
    CCtrlGrid* map = Make(Map1(), {Axx()});
    Attach({map});
    ASSERT_EQ(Load(L(u"MAP1[0,0]", u"10") + L(u"MAP1[0,1]", u"1.5") + L(u"AXX[0,0]", u"900")), 0);
    Save();
    Save();
    EXPECT_EQ(file.GetModifiche().GetCount(), 0);
    // No header column: value (i, j) is cell (i + 1, j), X point j cell (0, j).
    map->PutCellText(1, 0, u"12");
    map->PutCellText(1, 1, u"1.50");
    map->PutCellText(0, 0, u"950");
    Save();
    ASSERT_EQ(file.GetModifiche().GetCount(), 2);
    const MODIFICA& cell = file.GetModifiche().GetList()[0];
    EXPECT_EQ(cell.IDENTIFICATORE, u"MAP1[0,0]");
    EXPECT_EQ(cell.PRECEDENTE, u"10");
    EXPECT_EQ(cell.CORRENTE, u"12");
    EXPECT_EQ(cell.time, std::time_t{1276588800});
    EXPECT_EQ(file.GetModifiche().GetList()[1].IDENTIFICATORE, u"AXX[0,0]");
    app.m_clock = [] { return std::time_t{1276588900}; };
    map->PutCellText(1, 0, u"14");
    Save();
    ASSERT_EQ(file.GetModifiche().GetCount(), 3);
    EXPECT_EQ(file.GetModifiche().GetList()[2].PRECEDENTE, u"12");
    EXPECT_EQ(file.GetModifiche().GetList()[2].CORRENTE, u"14");
    // Cells not in the loaded file keep empty references: nothing recorded.
    map->PutCellText(2, 2, u"99");
    Save();
    EXPECT_EQ(file.GetModifiche().GetCount(), 3);
}

// Loading MAP1[0,0] into a map with both headers fills cell (1, 1); the
// X and Y blocks follow; undo brings back the cells shown before the
// load; a block missing from the file leaves its cells and their
// references empty.
TEST_F(MapFileTest, ALoadFillsItsCellsAndUndoTakesItBack)
{
    REC_CONTROLLO d = Map1();
    Calibrable(GridOf(d).PRIMA_COLONNA, 112);
    CCtrlGrid* map = Make(d, {Axx(), Axy()});
    map->PutCellText(2, 2, u"77");
    Attach({map});
    ASSERT_EQ(Load(L(u"MAP1[0,0]", u"11") + L(u"MAP1[0,2]", u"13") + L(u"MAP1[1,1]", u"15") + L(u"AXY[1,0]", u"85")),
              0);
    EXPECT_EQ(Texts(*map, 1, 1, 2, 3), (std::vector<std::u16string>{u"11", u"2", u"13", u"4", u"15", u"6"}));
    EXPECT_EQ(Texts(*map, 0, 1, 0, 3), (std::vector<std::u16string>{u"1000", u"2000", u"3000"}));
    EXPECT_EQ(Texts(*map, 1, 0, 2, 0), (std::vector<std::u16string>{u"20", u"85"}));
    EXPECT_EQ(map->ReferenceTexts().GetCell(1, 1), u"11");
    EXPECT_EQ(map->ReferenceTexts().GetCell(1, 2), u"");
    EXPECT_EQ(map->ReferenceTexts().GetCell(0, 1), u"");
    EXPECT_EQ(map->ReferenceTexts().GetCell(2, 0), u"85");

    HoldQueue(false);
    QTest::keyClick(map, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Texts(*map, 1, 1, 2, 3), (std::vector<std::u16string>{u"1", u"2", u"3", u"4", u"77", u"6"}));
    EXPECT_EQ(Text(*map, 2, 0), u"80");
}

// A block ends at a line of another name, at a line out of turn and at a
// line beyond the map; that line goes back to the reader, asked to be
// treated again when it starts one of the map's blocks anew.
TEST_F(MapFileTest, ABlockHandsBackTheLineItEndsAt)
{
    REC_CONTROLLO d = Map1();
    Calibrable(GridOf(d).PRIMA_COLONNA, 112);
    CCtrlGrid* map = Make(d, {Axx(), Axy()});
    const struct {
        const char* name;
        std::u16string lines;
        std::int32_t taken;
        std::u16string next;
        bool again;
    } cases[] = {
        {"back to [0,0]", L(u"MAP1[0,1]", u"12") + L(u"MAP1[0,0]", u"11"), 1, L(u"MAP1[0,0]", u"11"), true},
        {"a row beyond the map", L(u"MAP1[0,0]", u"11") + L(u"MAP1[5,0]", u"9"), 1, L(u"MAP1[5,0]", u"9"), false},
        {"a foreign line", L(u"MAP1[1,2]", u"16") + L(u"OTHER", u"1"), 1, L(u"OTHER", u"1"), false},
        {"all three blocks", L(u"MAP1[0,0]", u"1") + L(u"AXX[0,0]", u"2") + L(u"AXY[0,0]", u"3") + L(u"AXX[0,0]", u"4"),
         3, L(u"AXX[0,0]", u"4"), true},
        {"to the end", L(u"MAP1[0,0]", u"1") + L(u"MAP1[0,1]", u"2"), 2, u"", false},
    };
    for (const auto& c : cases) {
        std::string error;
        ASSERT_TRUE(crypt::WriteCipherText(home.file("Block.DAT"), c.lines, error)) << error;
        CCriptFile reader;
        ASSERT_EQ(reader.Open(home.file("Block.DAT"), 1), 1);
        std::u16string first;
        ASSERT_NE(reader.ReadLine(first), 0);
        CalibGroupRead read;
        EXPECT_TRUE(map->LoadParam(reader, first, read)) << c.name;
        EXPECT_EQ(read.taken, c.taken) << c.name;
        // The reader hands lines out without their line feed.
        std::u16string next = c.next;
        if (!next.empty())
            next.pop_back();
        EXPECT_EQ(read.next, next) << c.name;
        EXPECT_EQ(read.again, c.again) << c.name;
    }
    EXPECT_EQ(Text(*map, 2, 3), u"16");
}

// A line of the map without a value, or with one that is no number, stops
// the reader; the cells read before it keep their new texts.
TEST_F(MapFileTest, ALineThatDoesNotParseStopsTheReader)
{
    CCtrlGrid* map = Make(Map1(), {Axx()});
    Attach({map});
    EXPECT_EQ(Load(L(u"MAP1[0,0]", u"5") + L(u"MAP1[0,1]", u"x") + L(u"MAP1[0,2]", u"7")), 2);
    EXPECT_EQ(Texts(*map, 1, 0, 1, 2), (std::vector<std::u16string>{u"5", u"2", u"3"}));
    EXPECT_EQ(Load(L(u"MAP1[0,0]", u"6") + u"MAP1[0,1]\n"), 2);
    EXPECT_EQ(Text(*map, 1, 0), u"6");
}

// A hexadecimal map writes its cells as it shows them and reads them back
// in the same notation.
TEST_F(MapFileTest, AHexadecimalMapReadsBackWhatItWrites)
{
    REC_CONTROLLO d = MapDef(140, u"HEX", 1, 2, 0x30, DATO_UWORD, u"4X");
    CCtrlGrid* map = Make(d);
    map->SetCellValue(255, 0, 0);
    map->SetCellValue(4660, 0, 1);
    Attach({map});
    const std::u16string saved = Lines(Save());
    EXPECT_EQ(saved, kHeader + L(u"HEX[0,0]", u"00FF", u"The map's comment") + L(u"HEX[0,1]", u"1234"));
    // The history compares the numbers the cells show: 0001 to 00FF.
    ASSERT_EQ(file.GetModifiche().GetCount(), 2);
    EXPECT_EQ(file.GetModifiche().GetList()[0].PRECEDENTE, u"0001");
    map->PutCellText(0, 0, u"0000");
    map->PutCellText(0, 1, u"0000");
    ASSERT_EQ(Load(saved.substr(kHeader.size())), 0);
    EXPECT_EQ(Texts(*map, 0, 0, 0, 1), (std::vector<std::u16string>{u"00FF", u"1234"}));
    Send(*map, link::WM_CTRL_STORE);
    EXPECT_EQ(ParBytes(0x30, 4), (std::vector<std::uint8_t>{0x00, 0xFF, 0x12, 0x34}));
}

}  // namespace
