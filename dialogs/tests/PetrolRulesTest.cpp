// The petrol windows' rules without widgets: value texts by PID, the
// companion look-up, the rows of a trouble-code reading, and the PID.cfg
// and Benz.cfg files.
#include "dialogs/core/PetrolRules.h"

#include "TempDir.h"
#include "common/CStdioFileEx.h"
#include "link/CObdBinding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

using vexar::link::OBD_DTC_LIST;
using vexar::link::OBD_PID_RESULT;

namespace {

void WriteText(const std::string& path, std::u16string_view text, bool unicode)
{
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::typeText |
                                    (unicode ? CStdioFileEx::modeWriteUnicode : 0u)));
    ASSERT_TRUE(file.WriteString(text));
    ASSERT_TRUE(file.Close());
}

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(PetrolRules, ValueTextsByPid)
{
    // A locale with a decimal comma changes nothing.
    const char* saved = std::setlocale(LC_NUMERIC, nullptr);
    const std::string keep = saved ? saved : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");

    OBD_PID_RESULT status;
    status.status = 0;
    status.mil = 1;
    status.codeCount = 3;
    status.available = {1, 1, 1, 0, 1, 0, 1, 0, 0, 1, 1, 0};
    status.complete = {2, 2, 2, 2, 2, 2, 3, 2, 2, 2, 2, 2};
    EXPECT_EQ(CUtility::FormatPidValue(0x01, status),
              u"Mil: On; Dtc = 3; Supported: 111010100110; Completed: 222222322222");
    status.mil = 0;
    status.codeCount = 0;
    EXPECT_EQ(CUtility::FormatPidValue(0x01, status).substr(0, 19), u"Mil: Off; Dtc = 0; ");

    OBD_PID_RESULT r;
    r.status = 0;
    r.fuel1 = 1;
    r.fuel2 = 7;
    EXPECT_EQ(CUtility::FormatPidValue(0x03, r), u"CL; ---");
    r.value = 101.46;
    r.value2 = -3.1251;
    r.integer = 1726;
    r.locations = {0, 0, 1, 1, 0, 0, 0, 1};
    const struct {
        int pid;
        const char16_t* text;
    } cases[] = {
        {0x04, u"101.5"}, {0x4C, u"101.5"}, {0x05, u"1726"},  {0x06, u"101.5; -3.1"},  {0x0C, u"1726"},
        {0x46, u"1726"},  {0x0B, u"101"},   {0x48, u"101"},   {0x10, u"101.46"},       {0x13, u"00110001"},
        {0x1D, u"00110001"}, {0x14, u"101.460; -3.1"}, {0x1B, u"101.460; -3.1"}, {0x24, u"101.460; -3.125"},
        {0x3B, u"101.460; -3.125"}, {0x44, u"101.460"}, {0x02, u""}, {0x4D, u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CUtility::FormatPidValue(c.pid, r), c.text) << std::hex << c.pid;
    std::array<std::int32_t, 32> flags{};
    flags[0] = 1;
    flags[31] = 1;
    EXPECT_EQ(CUtility::FormatPidBitmap(flags), u"10000000000000000000000000000001");

    for (int code = 0; code <= 5; ++code)
        EXPECT_NE(CUtility::FormatFuelSystemStatus(code), u"") << code;
    EXPECT_EQ(CUtility::FormatFuelSystemStatus(4), u"CL-Fault");
    EXPECT_EQ(CUtility::FormatFuelSystemStatus(5), u"---");

    OBD_PID_RESULT failed;
    failed.status = 2;
    failed.integer = 1726;
    EXPECT_EQ(CUtility::PidResultText(0x0C, failed), (std::pair<int, std::u16string>{2, u"NoResponseFromEcu"}));
    failed.status = 9;
    EXPECT_EQ(CUtility::PidResultText(0x0C, failed).second, u"---");
    EXPECT_EQ(CUtility::PidResultText(0x0C, r), (std::pair<int, std::u16string>{1, u"1726"}));
    EXPECT_TRUE(CUtility::IsShownPid(0x4C));
    EXPECT_FALSE(CUtility::IsShownPid(0x12));
    EXPECT_FALSE(CUtility::IsShownPid(0x20));
    std::setlocale(LC_NUMERIC, keep.c_str());
}

TEST(PetrolRules, CompanionLookUpAndTroubleCodeRows)
{
    vexar::testing::TempDir folder;
    const std::string language = folder.file("Italiano.lng");
    EXPECT_EQ(CUtility::BenzCompanionPath(language), folder.file("Benz_Italiano.lng"));
    EXPECT_EQ(CUtility::BenzCompanionPath("Italiano.lng"), "");
    EXPECT_EQ(CUtility::ReadBenzValue(language, u"PID0CD"), u"") << "no companion file";

    for (bool unicode : {true, false}) {
        WriteText(folder.file("Benz_Italiano.lng"),
                  u"PID0CD   Engine speed  \n"
                  u"PID0CM\trpm\n"
                  u"P0420\tCatalyst below threshold, see P0133\n"
                  u"P0133\tO2 sensor slow\n",
                  unicode);
        EXPECT_EQ(CUtility::ReadBenzValue(language, u"PID0CD"), u"Engine speed") << unicode;
        EXPECT_EQ(CUtility::ReadBenzValue(language, u"0CD"), u"Engine speed") << unicode;
        EXPECT_EQ(CUtility::ReadBenzValue(language, u"PID0CM"), u"rpm") << unicode;
        EXPECT_EQ(CUtility::ReadBenzValue(language, u"P0133"), u"") << "its first appearance is inside a description";
        EXPECT_EQ(CUtility::ReadBenzValue(language, u"PID0DD"), u"");
    }

    OBD_DTC_LIST list;
    list.status = 0;
    const std::string codes = "P0420P0171";
    list.codes.assign(codes.begin(), codes.end());
    list.count = 2;
    const auto rows = CUtility::TroubleCodeRows(list, language);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::pair<std::u16string, std::u16string>{u"P0420", u"Catalyst below threshold, see P0133"}));
    EXPECT_EQ(rows[1], (std::pair<std::u16string, std::u16string>{u"P0171", u""}));

    list.count = 9;
    EXPECT_EQ(CUtility::TroubleCodeRows(list, language).size(), 2u) << "never beyond the buffer";
    list.count = 0;
    EXPECT_TRUE(CUtility::TroubleCodeRows(list, language).empty());
    list.status = 2;
    list.count = 2;
    EXPECT_TRUE(CUtility::TroubleCodeRows(list, language).empty()) << "no data: no codes";
    list.status = 1;
    EXPECT_EQ(CUtility::TroubleCodeRows(list, language),
              (std::vector<std::pair<std::u16string, std::u16string>>{{u"---", u"ComunicationError"}}))
        << "a failed reading is not an empty list";
}

TEST(PetrolRules, PidAndLayoutFiles)
{
    vexar::testing::TempDir folder;
    const std::string pidFile = folder.file("PID.cfg");
    ASSERT_TRUE(CUtility::WritePidFile(pidFile, {{0x03, u"Fuel system"}, {0x0C, u"Engine speed"}}));
    const std::string expected = std::string("\xFF\xFE", 2) + [] {
        std::string bytes;
        for (char c : std::string("PID03\t// Fuel system\nPID0C\t// Engine speed\n")) {
            bytes += c;
            bytes += '\0';
        }
        return bytes;
    }();
    EXPECT_EQ(Bytes(pidFile), expected);
    const auto requested = vexar::link::CObdBinding::ReadPidFile(pidFile);
    ASSERT_TRUE(requested.has_value());
    EXPECT_EQ(std::count(requested->begin(), requested->end(), 1), 2);
    EXPECT_EQ((*requested)[0x03] + (*requested)[0x0C], 2);

    // A file that cannot be replaced keeps the old one.
    const std::string blocked = folder.file("blocked");
    ASSERT_TRUE(CUtility::WritePidFile(blocked + "/PID.cfg", {}) == false);

    const std::string benz = folder.file("Benz.cfg");
    EXPECT_FALSE(CUtility::ReadBenzLayout(benz).place.has_value());
    ASSERT_TRUE(CUtility::WriteBenzLayout(benz, {10, 20, 310, 200}, {40, 100, 80, 60}));
    auto layout = CUtility::ReadBenzLayout(benz);
    EXPECT_EQ(layout.place, (std::array<long, 4>{10, 20, 310, 200}));
    EXPECT_EQ(layout.widths, (std::array<long, 4>{40, 100, 80, 60}));

    WriteText(benz, u"10\t20\t310\t// three\n41\t101\t81\t61\t// widths\n", true);
    layout = CUtility::ReadBenzLayout(benz);
    EXPECT_FALSE(layout.place.has_value());
    EXPECT_EQ(layout.widths, (std::array<long, 4>{41, 101, 81, 61})) << "line 2 counts without line 1";

    for (double bad : {-100.0, 0.0, 9.0, 12.5, 655360.0, std::nan("")})
        EXPECT_FALSE(CUtility::ObdPeriodOf(bad).has_value()) << bad;
    EXPECT_EQ(CUtility::ObdPeriodOf(10), 10);
    EXPECT_EQ(CUtility::ObdPeriodOf(655350), 655350);
}
