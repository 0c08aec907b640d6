#include "config/CCommenti.h"
#include "config/CModifica.h"
#include "config/DateTimeFields.h"

#include "CryptFixtures.h"
#include "TempDir.h"
#include "common/CCriptFile.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"

#include "Dates.h"
#include <gtest/gtest.h>

using vexar::testing::TempDir;
using vexar::testing::LocalTime;

namespace {

// 3 November 2008 is winter time, 20 July 2009 summer time in the tests'
// time zone (set by the test main, hence computed at each use).
std::time_t Winter() { return LocalTime(2008, 11, 3, 14, 5, 9); }
std::time_t Summer() { return LocalTime(2009, 7, 20, 8, 30, 0); }

const std::u16string kWinterBlock =
    u"<COMMENTO>\n"
    u"<DATA>\t\tMonday, 03/11/2008\t</DATA>\n"
    u"<ORA>\t\t14:05:09\t</ORA>\n"
    u"<TESTO>\n"
    u"OK\n"
    u"</TESTO>\n"
    u"</COMMENTO>\n";
const std::u16string kSummerBlock =
    u"<COMMENTO>\n"
    u"<DATA>\t\tMonday, 20/07/2009\t</DATA>\n"
    u"<ORA>\t\t08:30:00\t</ORA>\n"
    u"<TESTO>\n"
    u"First line\n"
    u"second: see </TESTO> here\n"
    u"\n"
    u"</TESTO>\n"
    u"</COMMENTO>\n";

COMMENTO Comment(std::u16string text, std::time_t time)
{
    COMMENTO comment;
    comment.text = std::move(text);
    comment.time = time;
    return comment;
}

MODIFICA Change(std::u16string id, std::u16string before, std::u16string now, std::time_t time)
{
    MODIFICA record;
    record.IDENTIFICATORE = std::move(id);
    record.PRECEDENTE = std::move(before);
    record.CORRENTE = std::move(now);
    record.time = time;
    return record;
}

std::u16string CipherContents(const std::string& path)
{
    std::u16string text;
    std::string error;
    EXPECT_TRUE(vexar::crypt::ReadCipherText(path, text, error)) << error;
    return text;
}

// The UTF-16 text of a Unicode text file, after its byte-order mark.
std::u16string UnicodeContents(const std::string& path)
{
    const std::string bytes = vexar::testing::ReadAll(path);
    EXPECT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE"));
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
}

std::u16string WriteEnciphered(CCommenti* comments, CModifica* history, const TempDir& dir)
{
    CCriptFile file;
    EXPECT_EQ(file.Open(dir.file("out.DAT"), 0), 1);
    if (comments) {
        EXPECT_TRUE(comments->WriteToCriptFile(file));
    }
    if (history) {
        EXPECT_TRUE(history->WriteToCriptFile(file));
    }
    EXPECT_TRUE(file.Close());
    return CipherContents(dir.file("out.DAT"));
}

class CipherInput {
public:
    explicit CipherInput(std::u16string_view text)
    {
        std::string error;
        EXPECT_TRUE(vexar::crypt::WriteCipherText(m_dir.file("in.DAT"), text, error)) << error;
        EXPECT_EQ(m_file.Open(m_dir.file("in.DAT"), 1), 1);
    }
    CCriptFile& file() { return m_file; }

private:
    TempDir m_dir;
    CCriptFile m_file;
};

TEST(CommentBlocks, EncipheredFileHoldsTheExactBlocks)
{
    TempDir dir;
    CCommenti comments;
    comments.AddComment(Comment(u"First line\nsecond: see </TESTO> here\n", Summer()));
    comments.AddComment(Comment(u"OK", Winter()));
    EXPECT_EQ(WriteEnciphered(&comments, nullptr, dir), kWinterBlock + kSummerBlock);
}

TEST(CommentBlocks, UnicodeTextFileHoldsTheExactBlocks)
{
    TempDir dir;
    CCommenti comments;
    comments.AddComment(Comment(u"OK", Winter()));
    comments.AddComment(Comment(u"First line\nsecond: see </TESTO> here\n", Summer()));
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(dir.file("c.ACQ"),
                          CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode));
    EXPECT_TRUE(comments.WriteToTextFile(file));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(UnicodeContents(dir.file("c.ACQ")), kWinterBlock + kSummerBlock);

    CCommenti back;
    ASSERT_TRUE(file.Open(dir.file("c.ACQ"), CStdioFileEx::modeRead));
    EXPECT_TRUE(back.ReadFromTextFile(file, true));
    file.Close();
    ASSERT_EQ(back.GetCount(), 2);
    EXPECT_EQ(back.GetList()[0].time, Winter());
    EXPECT_EQ(back.GetList()[0].text, u"OK");
    EXPECT_EQ(back.GetList()[1].time, Summer());
    EXPECT_EQ(back.GetList()[1].text, u"First line\nsecond: see </TESTO> here\n");
}

TEST(CommentBlocks, TextsSurviveRepeatedReadAndWriteUnchanged)
{
    TempDir dir;
    CCommenti comments;
    comments.AddComment(Comment(u"OK", Winter()));
    comments.AddComment(Comment(u"", Summer()));
    comments.AddComment(Comment(u"two\nlines", Summer()));
    const std::u16string first = WriteEnciphered(&comments, nullptr, dir);
    std::u16string text = first;
    for (int cycle = 0; cycle < 3; ++cycle) {
        CipherInput input(text);
        CCommenti back;
        ASSERT_TRUE(back.ReadFromCriptFile(input.file(), true));
        text = WriteEnciphered(&back, nullptr, dir);
        EXPECT_EQ(text, first) << "cycle " << cycle;
    }
}

TEST(CommentBlocks, OrderedByTimeEqualTimesInOrderAdded)
{
    CCommenti comments;
    comments.AddComment(Comment(u"a", Summer()));
    comments.AddComment(Comment(u"b", Summer()));
    comments.AddComment(Comment(u"early", Winter()));
    comments.AddComment(Comment(u"c", Summer()));
    std::vector<std::u16string> texts;
    for (const COMMENTO& c : comments.GetList())
        texts.push_back(c.text);
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"early", u"a", u"b", u"c"}));
    comments.RemoveAll();
    EXPECT_EQ(comments.GetCount(), 0);
}

TEST(CommentBlocks, ReadingStopsWhereTheBlocksEnd)
{
    struct Case {
        const char* what;
        std::u16string text;
        bool openingToRead;
        bool result;
        int count;
    };
    const std::u16string truncated =
        u"<COMMENTO>\n<DATA>\t\tMonday, 03/11/2008\t</DATA>\n<ORA>\t\t14:05:09\t</ORA>\n<TESTO>\nOK\n";
    const Case cases[] = {
        {"empty text", u"", true, true, 0},
        {"history follows", u"<INIZIO_MODIFICHE>\n<MODIFICA>\n", true, true, 0},
        {"blocks then history", kWinterBlock + kSummerBlock + u"<INIZIO_MODIFICHE>\n", true, true, 2},
        {"blank line between blocks", kWinterBlock + u"\n" + kSummerBlock, true, false, 1},
        {"other line", u"Pressione\t1\t\n", true, false, 0},
        {"ends inside the text", truncated, true, false, 0},
        {"no closing COMMENTO", kWinterBlock.substr(0, kWinterBlock.size() - 12), true, false, 0},
        {"opening line already read", kWinterBlock.substr(11) + kSummerBlock, false, true, 2},
        {"opening line already read, then the end", u"", false, true, 0},
        {"ORA missing", u"<COMMENTO>\n<DATA>\t\tMonday, 03/11/2008\t</DATA>\n<TESTO>\nOK\n</TESTO>\n</COMMENTO>\n",
         true, false, 0},
    };
    for (const Case& c : cases) {
        CipherInput input(c.text);
        CCommenti comments;
        comments.AddComment(Comment(u"stale", Winter()));
        EXPECT_EQ(comments.ReadFromCriptFile(input.file(), c.openingToRead), c.result) << c.what;
        EXPECT_EQ(comments.GetCount(), c.count) << c.what;
    }
}

TEST(CommentBlocks, WeekdayBeforeTheCommaIsIgnored)
{
    CipherInput input(
        u"<COMMENTO>\n<DATA>\t\tLunedì, 20/07/2009\t</DATA>\n<ORA>\t\t08:30:00\t</ORA>\n<TESTO>\nx\n</TESTO>\n"
        u"</COMMENTO>\n");
    CCommenti comments;
    ASSERT_TRUE(comments.ReadFromCriptFile(input.file(), true));
    ASSERT_EQ(comments.GetCount(), 1);
    EXPECT_EQ(comments.GetList()[0].time, Summer());
}

// Damaged date and time fields read as their leading digits, saturated at
// the 32-bit ends; a month or year at the lower end must not overflow when
// moved to the calendar's origin, and beyond the end reads as the end.
TEST(CommentBlocks, DateFieldsAtTheIntegerEndsReadAsTheEnds)
{
    struct Case {
        const char16_t* date;
        const char16_t* time;
        const char16_t* sameAsDate;
        const char16_t* sameAsTime;
    };
    const Case cases[] = {
        {u"Monday, 03/11/-2147483648", u"14:05:09", u"Monday, 03/11/-2147483649", u"14:05:09"},
        {u"Monday, 03/-2147483648/2008", u"14:05:09", u"Monday, 03/-99999999999/2008", u"14:05:09"},
        {u"Monday, -2147483648/-2147483648/-2147483648", u"-2147483648:-2147483648:-2147483648",
         u"Monday, -3000000000/-3000000000/-3000000000", u"-3000000000:-3000000000:-3000000000"},
        {u"Monday, 03/2147483647/2147483647", u"14:05:09", u"Monday, 03/2147483648/2147483648", u"14:05:09"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vexar::LocalTimeFromTags(c.date, c.time), vexar::LocalTimeFromTags(c.sameAsDate, c.sameAsTime))
            << vexar::ToUtf8(c.date);
    // An ordinary date is untouched by the saturation.
    EXPECT_EQ(vexar::LocalTimeFromTags(u"Monday, 03/11/2008", u"14:05:09"), Winter());
}

TEST(CommentBlocks, TextFileNotOpen)
{
    CStdioFileEx file;
    CCommenti comments;
    comments.AddComment(Comment(u"OK", Winter()));
    EXPECT_FALSE(comments.WriteToTextFile(file));
    EXPECT_FALSE(comments.ReadFromTextFile(file, true));
}

TEST(ChangeHistory, WrittenAsOneHistoryOfExactBlocks)
{
    TempDir dir;
    CModifica history;
    history.AddModification(Change(u"MAP1[1,2]", u"1.5", u"2", Summer()));
    history.AddModification(Change(u"P1", u"10", u"12", Winter()));
    const std::u16string expected =
        u"<INIZIO_MODIFICHE>\n"
        u"<MODIFICA>\n"
        u"\t<DATA>\tMonday, 03/11/2008\t</DATA>\n"
        u"\t<ORA>\t14:05:09\t</ORA>\n"
        u"\t<IDENTIFICATORE>\tP1\t</IDENTIFICATORE>\n"
        u"\t\t<PRECEDENTE>\t10\t</PRECEDENTE>\n"
        u"\t\t<CORRENTE>\t12\t</CORRENTE>\n"
        u"</MODIFICA>\n"
        u"<MODIFICA>\n"
        u"\t<DATA>\tMonday, 20/07/2009\t</DATA>\n"
        u"\t<ORA>\t08:30:00\t</ORA>\n"
        u"\t<IDENTIFICATORE>\tMAP1[1,2]\t</IDENTIFICATORE>\n"
        u"\t\t<PRECEDENTE>\t1.5\t</PRECEDENTE>\n"
        u"\t\t<CORRENTE>\t2\t</CORRENTE>\n"
        u"</MODIFICA>\n";
    const std::u16string written = WriteEnciphered(nullptr, &history, dir);
    EXPECT_EQ(written, expected);

    // Read back after the opening line, as the calibration reader does.
    CipherInput input(written.substr(std::u16string(u"<INIZIO_MODIFICHE>\n").size()));
    CModifica back;
    ASSERT_TRUE(back.ReadFromCriptFile(input.file()));
    ASSERT_EQ(back.GetCount(), 2);
    EXPECT_EQ(back.GetList()[0].IDENTIFICATORE, u"P1");
    EXPECT_EQ(back.GetList()[0].PRECEDENTE, u"10");
    EXPECT_EQ(back.GetList()[0].CORRENTE, u"12");
    EXPECT_EQ(back.GetList()[0].time, Winter());
    EXPECT_EQ(back.GetList()[1].IDENTIFICATORE, u"MAP1[1,2]");
    EXPECT_EQ(back.GetList()[1].time, Summer());
}

TEST(ChangeHistory, EmptyListsWriteNothing)
{
    TempDir dir;
    CCommenti comments;
    CModifica history;
    EXPECT_EQ(WriteEnciphered(&comments, &history, dir), u"");
}

TEST(ChangeHistory, InsertsInTimeOrderAndNeverReplaces)
{
    CModifica history;
    history.AddModification(Change(u"P1", u"1", u"2", Summer()));
    history.AddModification(Change(u"P1", u"2", u"3", Summer()));
    history.AddModification(Change(u"P1", u"0", u"1", Winter()));
    ASSERT_EQ(history.GetCount(), 3);
    EXPECT_EQ(history.GetList()[0].CORRENTE, u"1");
    EXPECT_EQ(history.GetList()[1].CORRENTE, u"2");
    EXPECT_EQ(history.GetList()[2].CORRENTE, u"3");
}

TEST(ChangeHistory, ReadingRefusesAMisplacedLineAndKeepsWhatCameBefore)
{
    const std::u16string block =
        u"<MODIFICA>\n\t<DATA>\tMonday, 03/11/2008\t</DATA>\n\t<ORA>\t14:05:09\t</ORA>\n"
        u"\t<IDENTIFICATORE>\tP1\t</IDENTIFICATORE>\n\t\t<PRECEDENTE>\t10\t</PRECEDENTE>\n"
        u"\t\t<CORRENTE>\t12\t</CORRENTE>\n</MODIFICA>\n";
    struct Case {
        const char* what;
        std::u16string text;
        bool result;
        int count;
    };
    const Case cases[] = {
        {"two blocks", block + block, true, 2},
        {"PRECEDENTE and CORRENTE swapped",
         block + u"<MODIFICA>\n\t<DATA>\tMonday, 03/11/2008\t</DATA>\n\t<ORA>\t14:05:09\t</ORA>\n"
                 u"\t<IDENTIFICATORE>\tP1\t</IDENTIFICATORE>\n\t\t<CORRENTE>\t12\t</CORRENTE>\n"
                 u"\t\t<PRECEDENTE>\t10\t</PRECEDENTE>\n</MODIFICA>\n",
         false, 1},
        {"ends inside a block", block + u"<MODIFICA>\n\t<DATA>\tMonday, 03/11/2008\t</DATA>\n", false, 1},
        {"a foreign line", u"P1\t10\t\n", false, 0},
    };
    for (const Case& c : cases) {
        CipherInput input(c.text);
        CModifica history;
        EXPECT_EQ(history.ReadFromCriptFile(input.file()), c.result) << c.what;
        EXPECT_EQ(history.GetCount(), c.count) << c.what;
    }
}

}  // namespace
