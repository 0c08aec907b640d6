#include "platform/ProgramNames.h"

#include <gtest/gtest.h>

using vexar::platform::LinuxProgramName;

TEST(ProgramNames, EveryWindowsNameHasItsLinuxName)
{
    const struct {
        const char* windows;
        const char* linux;
    } cases[] = {
        {"VEXAR.exe", "VEXAR"},         {"Update.exe", "Update"},     {"obdvane.dll", "libobdvane.so"},
        {"OBDVANE.DLL", "libobdvane.so"}, {"sigilkit.dll", "libsigilkit.so"}, {"kd02flash.exe", "kd02flash"},
        {"ST7FLASH.EXE", "st7flash"},   {"hc08flash.exe", "hc08flash"}, {"hhwriter.exe", "hhwriter"},
        {"javaw.exe", "java"},          {"Other.EXE", "Other"},       {"notes.txt", "notes.txt"},
        {".exe", ".exe"},               {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LinuxProgramName(c.windows), c.linux) << c.windows;
}
