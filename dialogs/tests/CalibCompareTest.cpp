// Two calibration files read as the comparison reads them, and their
// differences.

#include "common/CCriptFile.h"
#include "dialogs/core/CalibCompare.h"
#include "testing/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vexar::calib;
using vexar::testing::TempDir;

namespace {

// An enciphered calibration file: two header lines, the parameter lines
// and a comment block.
void WriteCalib(const std::string& path, const std::u16string& parameters)
{
    CCriptFile file;
    ASSERT_EQ(file.Open(path, 0), 1);
    file.Write(u"<ID_CENTRALINA>\t\tECU1\t</ID_CENTRALINA>\n<ID_FIRMWARE>\t\tVXG4R0107AB\t</ID_FIRMWARE>\n");
    file.Write(parameters);
    file.Write(u"<COMMENTO>\n<DATA>\t\tMonday, 03/11/2008\t</DATA>\n<ORA>\t\t14:05:09\t</ORA>\n<TESTO>\nA\t1\n"
               u"</TESTO>\n</COMMENTO>\n");
    ASSERT_TRUE(file.Close());
}

std::vector<std::u16string> Row(const CALIB_DIFF_ROW& row) { return {row.name, row.value1, row.value2}; }

}  // namespace

TEST(CalibCompare, ReadsParametersUpToTheComments)
{
    TempDir dir;
    // A lower-case path: it is opened as chosen, not upper-cased.
    const std::string path = dir.file("sedan_12.dat");
    WriteCalib(path, u"A\t1\n B \t 2 \textra\tmore\nLONELY\n");
    CALIB_LISTING listing;
    ASSERT_TRUE(ReadCalibListing(path, listing));
    EXPECT_EQ(listing.names, (std::vector<std::u16string>{u"A", u"B", u"LONELY"}));
    EXPECT_EQ(listing.values, (std::vector<std::u16string>{u"1", u"2", u""}));
    ASSERT_EQ(listing.lines.size(), 12u);  // every line is listed
    EXPECT_EQ(listing.lines[0], u"<ID_CENTRALINA>\t\tECU1\t</ID_CENTRALINA>");
    EXPECT_EQ(listing.lines[11], u"</COMMENTO>");
}

TEST(CalibCompare, ListsChangedThenOnlyInOneThenOnlyInTwo)
{
    TempDir dir;
    // A name or value holding the word COMMENTO is a parameter like any
    // other: later differences still show.
    WriteCalib(dir.file("1.dat"), u"A\t1\nB\t2\nC\t3\nNOTE_COMMENTO\tx\nD\t4\nF\t7\tleft\nG\tINIZIO_MODIFICHE\n"
                                  u"H\t8\n");
    WriteCalib(dir.file("2.dat"), u"E\t9\nA\t1\nB\t5\nD\t4\nNOTE_COMMENTO\ty\nF\t7\tright\nZ\t0\nH\t80\nB\t2\n");
    CALIB_LISTING one;
    CALIB_LISTING two;
    ASSERT_TRUE(ReadCalibListing(dir.file("1.dat"), one));
    ASSERT_TRUE(ReadCalibListing(dir.file("2.dat"), two));
    const std::vector<CALIB_DIFF_ROW> rows = CompareCalibListings(one, two);
    std::vector<std::vector<std::u16string>> got;
    for (const CALIB_DIFF_ROW& row : rows)
        got.push_back(Row(row));
    EXPECT_EQ(got, (std::vector<std::vector<std::u16string>>{
                       {u"B", u"2", u"5"},  // the first B of file 2 counts
                       {u"C", u"3", u"-"},
                       {u"NOTE_COMMENTO", u"x", u"y"},
                       {u"G", u"INIZIO_MODIFICHE", u"-"},
                       {u"H", u"8", u"80"},
                       {u"E", u"-", u"9"},
                       {u"Z", u"-", u"0"},
                   }));
}

TEST(CalibCompare, IdenticalFilesGiveNoRowsAndCaseCounts)
{
    TempDir dir;
    WriteCalib(dir.file("1.dat"), u"A\t1\nB\tx\n");
    WriteCalib(dir.file("2.dat"), u"A\t1\nB\tx\n");
    CALIB_LISTING one;
    CALIB_LISTING two;
    ASSERT_TRUE(ReadCalibListing(dir.file("1.dat"), one));
    ASSERT_TRUE(ReadCalibListing(dir.file("2.dat"), two));
    EXPECT_TRUE(CompareCalibListings(one, two).empty());
    two.values[1] = u"X";
    two.names[0] = u"a";
    EXPECT_EQ(CompareCalibListings(one, two).size(), 3u);
}

TEST(CalibCompare, UnreadableFileGivesAnEmptyListing)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder.dat"));
    CALIB_LISTING listing;
    listing.names.push_back(u"stale");
    EXPECT_FALSE(ReadCalibListing(dir.file("folder.dat"), listing));
    EXPECT_TRUE(listing.names.empty() && listing.lines.empty() && listing.values.empty());
    EXPECT_FALSE(ReadCalibListing(dir.file("missing.dat"), listing));

    // Compared, an unreadable file is a file without parameters.
    WriteCalib(dir.file("1.dat"), u"A\t1\n");
    CALIB_LISTING one;
    ASSERT_TRUE(ReadCalibListing(dir.file("1.dat"), one));
    ASSERT_EQ(CompareCalibListings(one, listing).size(), 1u);
    EXPECT_EQ(Row(CompareCalibListings(listing, one)[0]), (std::vector<std::u16string>{u"A", u"-", u"1"}));
}

TEST(CalibCompare, DisplayNameIsUpperCasedBelowTheRoot)
{
    EXPECT_EQ(ComparisonDisplayName(u"/tmp/p/Parameter/ecu1/lpg/a.dat", u"/tmp/p/Parameter/"), u"ECU1/LPG/A.DAT");
    EXPECT_EQ(ComparisonDisplayName(u"/tmp/P/PARAMETER/ecu1/a.dat", u"/tmp/p/Parameter/"), u"ECU1/A.DAT");
    EXPECT_EQ(ComparisonDisplayName(u"/else/where/a.dat", u"/tmp/p/Parameter/"), u"/ELSE/WHERE/A.DAT");
}
