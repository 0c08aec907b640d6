#include "config/CalibLine.h"

#include "CryptFixtures.h"
#include "TempDir.h"
#include "common/CCriptFile.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

using vexar::testing::TempDir;

namespace {

std::u16string Blanks(std::size_t n) { return std::u16string(n, u' '); }

// An enciphered file holding `text`, opened for reading.
class CipherText {
public:
    explicit CipherText(std::u16string_view text)
    {
        std::string error;
        EXPECT_TRUE(vexar::crypt::WriteCipherText(m_dir.file("lines.DAT"), text, error)) << error;
        EXPECT_EQ(m_file.Open(m_dir.file("lines.DAT"), 1), 1);
    }
    CCriptFile& file() { return m_file; }

private:
    TempDir m_dir;
    CCriptFile m_file;
};

TEST(CalibLineFormat, PadsNameTo33AndValueTo20)
{
    struct Case {
        std::u16string name, value, comment, expected;
    };
    const std::u16string name33(33, u'N');
    const std::u16string name40(40, u'L');
    const std::u16string value25(25, u'7');
    const Case cases[] = {
        {u"FLAG_A", u"1", u"Enable", u"FLAG_A" + Blanks(27) + u"\t1" + Blanks(19) + u"\tEnable\n"},
        {u"Nome_Calibrazione", u"\"TEST\"", u"Name",
         u"Nome_Calibrazione" + Blanks(16) + u"\t\"TEST\"" + Blanks(14) + u"\tName\n"},
        {name33, u"5", u"", name33 + u"\t5" + Blanks(19) + u"\t\n"},
        {name40, value25, u"c", name40 + u"\t" + value25 + u"\tc\n"},
        {u"MAP1[1,2]", u"-3.5", u"", u"MAP1[1,2]" + Blanks(24) + u"\t-3.5" + Blanks(16) + u"\t\n"},
        // Widths count UTF-16 units: "Ä°" is two of them.
        {u"Ä°", u"", u"x", u"Ä°" + Blanks(31) + u"\t" + Blanks(20) + u"\tx\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CalibLine::Format(c.name, c.value, c.comment), c.expected) << vexar::ToUtf8(c.name);
}

TEST(CalibLineFormat, ElementAndCellNames)
{
    EXPECT_EQ(CalibLine::ElementName(u"AZ", 0), u"AZ[0]");
    EXPECT_EQ(CalibLine::ElementName(u"AZ", 12), u"AZ[12]");
    EXPECT_EQ(CalibLine::CellName(u"MAP1", 1, 2), u"MAP1[1,2]");
    EXPECT_EQ(CalibLine::CellName(u"AXX", 0, 10), u"AXX[0,10]");
}

TEST(CalibLineSplit, NameElementAndValueFields)
{
    struct Case {
        std::u16string line, name, element, value;
        bool hasValue;
    };
    const Case cases[] = {
        {u"FLAG_A                 \t1     \tEnable", u"FLAG_A", u"", u"1     ", true},
        {u"  MAP1[1,2] \t 3.5 \t", u"MAP1", u"[1,2]", u" 3.5 ", true},
        {u"AZ[3]\t7", u"AZ", u"[3]", u"7", true},
        {u"NoTab at all", u"NoTab at all", u"", u"", false},
        {u"", u"", u"", u"", false},
        {u"\t\t", u"", u"", u"", true},
        {u"E\t\"a\tb\"\tc", u"E", u"", u"\"a", true},
    };
    for (const Case& c : cases) {
        const CalibLine::Fields f = CalibLine::Split(c.line);
        EXPECT_EQ(f.name, c.name) << vexar::ToUtf8(c.line);
        EXPECT_EQ(f.element, c.element) << vexar::ToUtf8(c.line);
        EXPECT_EQ(f.value, c.value) << vexar::ToUtf8(c.line);
        EXPECT_EQ(f.hasValue, c.hasValue) << vexar::ToUtf8(c.line);
    }
}

TEST(CalibLineSplit, IndexesReadLikeAtol)
{
    struct Case {
        std::u16string element;
        std::int32_t first, second;
    };
    const Case cases[] = {
        {u"[1,2]", 1, 2}, {u"[12,0]", 12, 0}, {u"[0,34]", 0, 34}, {u"[5]", 5, 0},   {u"", 0, 0},
        {u"[x,2]", 0, 2}, {u"[-1,3]", -1, 3}, {u"[", 0, 0},       {u"[7,]", 7, 0},
    };
    for (const Case& c : cases) {
        std::int32_t first = 99;
        std::int32_t second = 99;
        CalibLine::ParseIndexes(c.element, first, second);
        EXPECT_EQ(first, c.first) << vexar::ToUtf8(c.element);
        EXPECT_EQ(second, c.second) << vexar::ToUtf8(c.element);
    }
}

// ---- Map blocks --------------------------------------------------------------

struct CellBlockResult {
    bool ok = false;
    std::map<std::pair<int, int>, double> cells;
    CalibGroupRead read;
};

CellBlockResult ReadCells(std::u16string_view text, std::int32_t rowOffset = 0, std::int32_t rowLimit = 2,
                          std::int32_t columnOffset = 0, std::int32_t columnLimit = 3)
{
    CipherText cipher(text);
    CellBlockResult result;
    std::u16string first;
    cipher.file().ReadLine(first);
    result.ok = CalibLine::ReadCellBlock(
        cipher.file(), u"MAP1", first, rowOffset, rowLimit, columnOffset, columnLimit,
        [&result](std::int32_t r, std::int32_t c, const std::u16string&, double v) { result.cells[{r, c}] = v; },
        result.read);
    return result;
}

TEST(CalibLineCellBlock, TakesCellsInOrderUpToAForeignLine)
{
    const CellBlockResult r = ReadCells(
        u"MAP1[0,0]\t1.5\t\nMAP1[0,1]\t2\t\nMAP1[1,2]\t-3\t\nOTHER\t4\t\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.cells, (std::map<std::pair<int, int>, double>{{{0, 0}, 1.5}, {{0, 1}, 2.0}, {{1, 2}, -3.0}}));
    EXPECT_EQ(r.read.next, u"OTHER\t4\t");
    EXPECT_EQ(r.read.taken, 3);
}

TEST(CalibLineCellBlock, EndsWhereIndexesGoBackOrLeaveTheMap)
{
    struct Case {
        const char16_t* text;
        int taken;
        const char16_t* next;
    };
    const Case cases[] = {
        // [0,1] then [0,0] goes back: the block ends there.
        {u"MAP1[0,1]\t1\t\nMAP1[0,0]\t2\t\n", 1, u"MAP1[0,0]\t2\t"},
        // A row beyond the map's rows.
        {u"MAP1[0,0]\t1\t\nMAP1[5,0]\t2\t\n", 1, u"MAP1[5,0]\t2\t"},
        // A column beyond its columns.
        {u"MAP1[0,3]\t1\t\n", 0, u"MAP1[0,3]\t1\t"},
        // Negative indexes address no cell.
        {u"MAP1[0,0]\t1\t\nMAP1[1,-1]\t2\t\n", 1, u"MAP1[1,-1]\t2\t"},
        // An equal pair is taken again, the later value winning.
        {u"MAP1[0,1]\t1\t\nMAP1[0,1]\t9\t\n", 2, u""},
        // The end of the text ends the block normally.
        {u"MAP1[0,0]\t1\t\n", 1, u""},
    };
    for (const Case& c : cases) {
        const CellBlockResult r = ReadCells(c.text);
        EXPECT_TRUE(r.ok) << vexar::ToUtf8(c.text);
        EXPECT_EQ(r.read.taken, c.taken) << vexar::ToUtf8(c.text);
        EXPECT_EQ(r.read.next, c.next) << vexar::ToUtf8(c.text);
    }
    EXPECT_EQ(ReadCells(u"MAP1[0,1]\t1\t\nMAP1[0,1]\t9\t\n").cells.at({0, 1}), 9.0);
}

TEST(CalibLineCellBlock, OffsetsMoveIntoTheGrid)
{
    // A map with a header row and a header column: [0,0] is grid cell (1, 1).
    const CellBlockResult r = ReadCells(u"MAP1[0,0]\t4\t\nMAP1[1,2]\t5\t\n", 1, 3, 1, 4);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.cells, (std::map<std::pair<int, int>, double>{{{1, 1}, 4.0}, {{2, 3}, 5.0}}));
}

TEST(CalibLineCellBlock, RefusesALineOfTheBlockWithoutANumber)
{
    EXPECT_FALSE(ReadCells(u"MAP1[0,0]\t1\t\nMAP1[0,1]\tabc\t\n").ok);
    EXPECT_FALSE(ReadCells(u"MAP1[0,0]\t1\t\nMAP1[0,1]\n").ok);
    // The cells before the refused line were taken.
    EXPECT_EQ(ReadCells(u"MAP1[0,0]\t1\t\nMAP1[0,1]\tabc\t\n").cells.size(), 1u);
}

// ---- Array elements ----------------------------------------------------------

struct ElementResult {
    std::vector<std::pair<int, std::u16string>> elements;
    CalibGroupRead read;
};

ElementResult ReadElements(std::u16string_view text, std::int32_t count = 3)
{
    CipherText cipher(text);
    ElementResult result;
    std::u16string first;
    cipher.file().ReadLine(first);
    CalibLine::ReadElementLines(
        cipher.file(), u"AZ", count, first,
        [&result](std::int32_t i, const std::u16string& v) { result.elements.emplace_back(i, v); }, result.read);
    return result;
}

TEST(CalibLineElements, TakesElementsInTurn)
{
    struct Case {
        const char16_t* text;
        std::int32_t count;
        int taken;
        const char16_t* next;
        bool again;
    };
    const Case cases[] = {
        {u"AZ[0]\t4\t\nAZ[1]\t8\t\nAZ[2]\t0\t\nNEXT\t1\t\n", 3, 3, u"NEXT\t1\t", false},
        // Index 2 after 0 is out of turn: the reading stops there.
        {u"AZ[0]\t4\t\nAZ[2]\t8\t\n", 3, 1, u"AZ[2]\t8\t", false},
        // A second index 0 starts the list again.
        {u"AZ[0]\t4\t\nAZ[1]\t8\t\nAZ[0]\t0\t\n", 3, 2, u"AZ[0]\t0\t", true},
        // The plain identifier is element 0.
        {u"AZ\t4\t\n", 3, 1, u"", false},
        // An index at the element count stops.
        {u"AZ[0]\t4\t\nAZ[1]\t8\t\n", 1, 1, u"AZ[1]\t8\t", false},
        // A list of no elements takes nothing, not even element 0.
        {u"AZ[0]\t4\t\n", 0, 0, u"AZ[0]\t4\t", true},
    };
    for (const Case& c : cases) {
        const ElementResult r = ReadElements(c.text, c.count);
        EXPECT_EQ(r.read.taken, c.taken) << vexar::ToUtf8(c.text);
        EXPECT_EQ(r.read.next, c.next) << vexar::ToUtf8(c.text);
        EXPECT_EQ(r.read.again, c.again) << vexar::ToUtf8(c.text);
    }
    const ElementResult r = ReadElements(u"AZ[0]\t 4 \t\nAZ[1]\t8\t\n");
    EXPECT_EQ(r.elements, (std::vector<std::pair<int, std::u16string>>{{0, u" 4 "}, {1, u"8"}}));
}

TEST(CalibLineElements, AnElementLineWithoutValueFieldHandsOnAnEmptyValue)
{
    const ElementResult r = ReadElements(u"AZ[0]\t4\t\nAZ[1]\nAZ[2]\t8\t\n");
    EXPECT_EQ(r.elements, (std::vector<std::pair<int, std::u16string>>{{0, u"4"}, {1, u""}, {2, u"8"}}));
    EXPECT_EQ(r.read.taken, 3);
}

TEST(CalibLineElements, StartsGroupOnlyAtFirstIndexZeroOfItsName)
{
    EXPECT_TRUE(CalibLine::StartsGroup(u"AZ[0]\t1\t", u"AZ"));
    EXPECT_TRUE(CalibLine::StartsGroup(u"AZ\t1\t", u"AZ"));
    EXPECT_TRUE(CalibLine::StartsGroup(u"MAP1[0,2]\t1\t", u"MAP1"));
    EXPECT_FALSE(CalibLine::StartsGroup(u"AZ[1]\t1\t", u"AZ"));
    EXPECT_FALSE(CalibLine::StartsGroup(u"AZB[0]\t1\t", u"AZ"));
    EXPECT_FALSE(CalibLine::StartsGroup(u"", u"AZ"));
}

}  // namespace
