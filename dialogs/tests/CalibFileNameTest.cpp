// Calibration file names and folders, the checks of the naming dialogs'
// fields, the export name and the vehicle list, without widgets.

#include "dialogs/core/CVehicleList.h"
#include "dialogs/core/CalibFileName.h"
#include "testing/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace vexar::calib;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace {

std::string Utf16Le(std::u16string_view text)
{
    std::string bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

}  // namespace

TEST(CalibFileName, BuildsTheNameAndFolderFromVehicleData)
{
    VEHICLE_FILE_NAME fields;
    fields.model = u"SEDAN";
    fields.displacement = 12;
    fields.year = 5;
    fields.engine = u"E16X1";
    fields.injector = 1;
    fields.firmware = u"FW12Q345";
    fields.index = 3;
    CALIB_TARGET target = BuildVehicleFileName(u"/p/Parameter/", u"ECU1", fields);
    EXPECT_EQ(target.name, u"SEDAN_12_05_E16X1_Lm_FW12Q345_03.dat");
    EXPECT_EQ(target.folder, u"/p/Parameter/ECU1/LPG/");

    fields.gas = kGasCng;
    fields.vehicle = u"PANDA";
    EXPECT_EQ(BuildVehicleFileName(u"/p/Parameter/", u"ECU1", fields).folder, u"/p/Parameter/ECU1/CNG/PANDA/");

    // "_" would split a field when the name is read back.
    fields.model = u"P_1";
    fields.engine = u"E_2";
    fields.injector = -1;
    target = BuildVehicleFileName(u"/p/Parameter/", u"ECU1", fields);
    EXPECT_EQ(target.name, u"P-1_12_05_E-2__FW12Q345_03.dat");
    EXPECT_EQ(ParseVehicleFileName(target.folder, target.name, u"", {}).model, u"P-1");
}

// Names typed, listed or read from the ECU never make a path of their own.
TEST(CalibFileName, NamesBecomeOnePathElement)
{
    struct Case {
        std::u16string vehicle;
        std::u16string model;
        std::u16string firmware;
        std::u16string folder;
        std::u16string name;
    } cases[] = {
        {u"A/B", u"M", u"FW", u"/r/E/LPG/A-B/", u"M_00_00___FW_00.dat"},
        {u"..", u"M", u"FW", u"/r/E/LPG/", u"M_00_00___FW_00.dat"},
        {u".", u"M", u"FW", u"/r/E/LPG/", u"M_00_00___FW_00.dat"},
        {u"C\\D", u"../x", u"F\x01/W", u"/r/E/LPG/C-D/", u"..-x_00_00___F--W_00.dat"},
        {u"TAB\tCAR", u"M", u"FW", u"/r/E/LPG/TAB-CAR/", u"M_00_00___FW_00.dat"},
    };
    for (const Case& c : cases) {
        VEHICLE_FILE_NAME fields;
        fields.vehicle = c.vehicle;
        fields.model = c.model;
        fields.firmware = c.firmware;
        fields.injector = -1;
        const CALIB_TARGET target = BuildVehicleFileName(u"/r/", u"E", fields);
        EXPECT_EQ(target.folder, c.folder) << std::string(c.vehicle.begin(), c.vehicle.end());
        EXPECT_EQ(target.name, c.name) << std::string(c.model.begin(), c.model.end());
    }
    SHORT_FILE_NAME shortName{u"A/", u"12\\45", u"0\n"};
    EXPECT_EQ(BuildShortFileName(u"/r/", u"E", shortName).name, u"A-12-450-.dat");
}

TEST(CalibFileName, ParsesTheFieldsOfTheCurrentName)
{
    struct Case {
        std::u16string name;
        std::u16string identification;
        std::u16string model;
        std::int32_t displacement;
        std::int32_t year;
        std::u16string engine;
        int injector;
        std::u16string firmware;
        std::int32_t index;
    } cases[] = {
        {u"SEDAN_12_05_E16X1_Lm_FW12Q345_03.dat", u"VXG4R0107ABC", u"SEDAN", 12, 5, u"E16X1", 1, u"R0107ABC", 3},
        {u"SEDAN_12_05_E16X1_Lm_FW12Q345_03.dat", u"FW12Q345", u"SEDAN", 12, 5, u"E16X1", 1, u"FW12Q345", 3},
        // No "_": every field at its default, the index before the '.'.
        {u"PLAIN42.dat", u"", u"", 0, 0, u"", 5, u"", 42},
        {u"PLAIN.dat", u"", u"", 0, 0, u"", 5, u"", 0},
        {u"NODOT", u"", u"", 0, 0, u"", 5, u"", 0},
        {u"7.dat", u"", u"", 0, 0, u"", 5, u"", 7},
        {u"", u"", u"", 0, 0, u"", 5, u"", 0},
        // Numbers clamped to 0..99; a code not listed is entry 5.
        {u"X_150_-3_ENG_Q_FW_07.dat", u"", u"X", 99, 0, u"ENG", 5, u"", 7},
        {u"A_1_2_B_X_F_08.dat", u"", u"A", 1, 2, u"B", 5, u"", 8},
        {u"A_1_2_B_K_F_08.dat", u"", u"A", 1, 2, u"B", 4, u"", 8},
        {u"A_1_2_B_Ls_F_08.dat", u"", u"A", 1, 2, u"B", 0, u"", 8},
        // Fields stop at the first missing "_"; the index comes from what
        // is left.
        {u"M_1_2.dat", u"", u"M", 1, 0, u"", 5, u"", 2},
        {u"M_1_2_E_K_FW_5.dat", u"", u"M", 1, 2, u"E", 4, u"", 0},
        {u"M_ab_2x_E_M_F_1x.dat", u"", u"M", 0, 2, u"E", 3, u"", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        const VEHICLE_FILE_NAME fields = ParseVehicleFileName(u"", c.name, c.identification, {});
        EXPECT_EQ(fields.model, c.model);
        EXPECT_EQ(fields.displacement, c.displacement);
        EXPECT_EQ(fields.year, c.year);
        EXPECT_EQ(fields.engine, c.engine);
        EXPECT_EQ(fields.injector, c.injector);
        EXPECT_EQ(fields.firmware, c.firmware);
        EXPECT_EQ(fields.index, c.index);
        EXPECT_EQ(fields.gas, kGasLpg);
        EXPECT_EQ(fields.vehicle, u"");
    }
}

TEST(CalibFileName, GasAndVehicleComeFromTheFolder)
{
    const std::vector<std::u16string> vehicles{u"PANDA", u"A/B"};
    struct Case {
        std::u16string folder;
        std::u16string vehicle;
        int gas;
    } cases[] = {
        {u"/p/Parameter/E/CNG/", u"", kGasCng},
        {u"/p/Parameter/E/CNG", u"", kGasCng},
        {u"/p/Parameter/E/LPG/", u"", kGasLpg},
        {u"/p/Parameter/E/LPG/PANDA/", u"PANDA", kGasLpg},
        {u"/p/Parameter/E/CNG/PANDA/", u"PANDA", kGasCng},
        {u"/p/Parameter/E/CNG/A-B/", u"A/B", kGasCng},
        // Not a listed vehicle: the gas is that of the last folder only.
        {u"/p/Parameter/E/CNG/UNO/", u"", kGasLpg},
        {u"/p/Parameter/E/panda/", u"", kGasLpg},
        {u"/p/Parameter/E/", u"", kGasLpg},
        {u"", u"", kGasLpg},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder.begin(), c.folder.end()));
        const VEHICLE_FILE_NAME fields = ParseVehicleFileName(c.folder, u"", u"", vehicles);
        EXPECT_EQ(fields.vehicle, c.vehicle);
        EXPECT_EQ(fields.gas, c.gas);
    }
}

TEST(CalibFileName, ShortNameBothWays)
{
    struct Case {
        std::u16string identification;
        std::u16string name;
        SHORT_FILE_NAME fields;
    } cases[] = {
        {u"AB-12345XYZ", u"ABCDEFG09.dat", {u"AB", u"12345", u"09"}},
        {u"AB-12345", u"short", {u"AB", u"12345", u""}},
        {u"", u"CD98765QR.dat", {u"CD", u"98765", u"QR"}},
        {u"SEVEN77", u"CD98765QR", {u"CD", u"98765", u"QR"}},
        {u"SEVEN77", u"CD98765Q", {}},
        {u"", u"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        const SHORT_FILE_NAME fields = ParseShortFileName(c.identification, c.name);
        EXPECT_EQ(fields.configuration, c.fields.configuration);
        EXPECT_EQ(fields.firmware, c.fields.firmware);
        EXPECT_EQ(fields.index, c.fields.index);
    }
    const CALIB_TARGET target = BuildShortFileName(u"/p/Parameter/", u"KD01", {u"AB", u"12345", u"03"});
    EXPECT_EQ(target.folder, u"/p/Parameter/KD01/");
    EXPECT_EQ(target.name, u"AB1234503.dat");
    // What is built reads back the same.
    const SHORT_FILE_NAME back = ParseShortFileName(u"", target.name);
    EXPECT_EQ(back.configuration, u"AB");
    EXPECT_EQ(back.firmware, u"12345");
    EXPECT_EQ(back.index, u"03");
}

TEST(CalibFileName, FieldChecksGiveTheDialogTexts)
{
    EXPECT_FALSE(CheckTextLength(u"1234567890123456", kModelMaxLength));
    EXPECT_EQ(CheckTextLength(u"12345678901234567", kModelMaxLength), u"Non digitare pi\u00f9 di 16 caratteri.");
    struct Case {
        std::u16string text;
        std::optional<std::u16string> message;
        std::int32_t value;
    } cases[] = {
        {u"0", std::nullopt, 0},
        {u" 12 ", std::nullopt, 12},
        {u"+99", std::nullopt, 99},
        {u"120", u"Digitare un numero intero compreso tra 0 e 99.", -7},
        {u"-1", u"Digitare un numero intero compreso tra 0 e 99.", -7},
        {u"99999999999", u"Digitare un numero intero compreso tra 0 e 99.", -7},
        {u"", u"Digitare un numero intero.", -7},
        {u"12a", u"Digitare un numero intero.", -7},
        {u"1 2", u"Digitare un numero intero.", -7},
        {u"-", u"Digitare un numero intero.", -7},
    };
    for (const Case& c : cases) {
        std::int32_t value = -7;
        EXPECT_EQ(CheckInteger(c.text, 0, 99, value), c.message) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(value, c.value);
    }
}

TEST(CalibFileName, ExportNameReplacesTheLastFourCharacters)
{
    EXPECT_EQ(ExportFileName(u"SEDAN_12_05_E16X1_Lm_FW12Q345_03.dat"), u"SEDAN_12_05_E16X1_Lm_FW12Q345_03.bin");
    EXPECT_EQ(ExportFileName(u"abcde"), u"a.bin");
    EXPECT_EQ(ExportFileName(u"abcd"), u".bin");
    EXPECT_EQ(ExportFileName(u"ab"), u".bin");
    EXPECT_EQ(ExportFileName(u""), u".bin");
    EXPECT_EQ(ExportFileName(u"../x.dat"), u"..-x.bin");
}

TEST(VehicleList, SortsWithoutCaseAndFindsWithoutCase)
{
    CVehicleList list;
    for (const char16_t* name : {u"panda", u"Alfa", u"zeta", u"Bravo", u"alfa romeo"})
        list.Add(name);
    EXPECT_EQ(list.Names(), (std::vector<std::u16string>{u"Alfa", u"alfa romeo", u"Bravo", u"panda", u"zeta"}));
    EXPECT_EQ(list.Find(u"PANDA"), 3);
    EXPECT_EQ(list.Find(u"pand"), -1);
    EXPECT_EQ(list.Add(u"BRAVO"), 3);  // after the equal one
    list.RemoveAt(3);
    list.RemoveAt(17);
    EXPECT_EQ(list.Names().size(), 5u);
}

TEST(VehicleList, FileIsUtf16WithByteOrderMarkAndReadsBack)
{
    TempDir dir;
    CVehicleList list;
    list.Add(u"PANDA");
    list.Add(u"");
    list.Add(u"ALF\u00c0");
    ASSERT_TRUE(list.Save(dir.file("Vehicle.cfg")));
    EXPECT_EQ(ReadAll(dir.file("Vehicle.cfg")), std::string("\xFF\xFE", 2) + Utf16Le(u"ALF\u00c0\nPANDA\n"));

    CVehicleList read;
    ASSERT_TRUE(read.Load(dir.file("Vehicle.cfg")));
    EXPECT_EQ(read.Names(), (std::vector<std::u16string>{u"ALF\u00c0", u"PANDA"}));

    // ANSI text, unsorted, with CR LF.
    WriteAll(dir.file("ansi.cfg"), "Uno\r\nDue\r\n\xC0NCORA\r\n");
    ASSERT_TRUE(read.Load(dir.file("ansi.cfg")));
    EXPECT_EQ(read.Names(), (std::vector<std::u16string>{u"Due", u"Uno", u"\u00c0NCORA"}));

    EXPECT_FALSE(read.Load(dir.file("missing.cfg")));
    EXPECT_TRUE(read.Names().empty());
}

TEST(VehicleList, FailedSaveKeepsThePreviousFile)
{
    TempDir dir;
    CVehicleList list;
    list.Add(u"PANDA");
    ASSERT_TRUE(list.Save(dir.file("Vehicle.cfg")));
    const std::string before = ReadAll(dir.file("Vehicle.cfg"));
    list.Add(u"UNO");
    for (const char* step : {"create", "write", "flush", "rename"}) {
        setenv("VEXAR_FAULT_ATOMIC_WRITE", step, 1);
        EXPECT_FALSE(list.Save(dir.file("Vehicle.cfg"))) << step;
        unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
        EXPECT_EQ(ReadAll(dir.file("Vehicle.cfg")), before) << step;
    }
}
