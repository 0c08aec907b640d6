// The main of every test executable.
//
// It runs every test under a comma-decimal locale and a time zone with
// daylight saving (unless the environment already names others), so that
// code which formats or parses numbers under the user's locale, or gets
// local time wrong, fails here. It gives the tests a program folder of
// their own (VEXAR_HOME, removed at the end), so that nothing a test does
// writes logs or files beside the test program. And it fails the run when the
// tests changed the process's working directory, which no code of ours may
// do. ctest runs each test in its own process, so the check is per test.
#include "TempDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

std::string CurrentDirectory()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("LC_ALL", "de_DE.UTF-8", 0);
    setenv("TZ", "Europe/Rome", 0);
    tzset();
    if (!std::setlocale(LC_ALL, "")) {
        std::fprintf(stderr, "FAILED: the test locale %s is not installed\n", std::getenv("LC_ALL"));
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    // A folder of its own as the program folder, unless the caller named one.
    std::optional<vexar::testing::TempDir> home;
    if (!std::getenv("VEXAR_HOME")) {
        home.emplace();
        setenv("VEXAR_HOME", home->path().c_str(), 1);
    }
    const std::string before = CurrentDirectory();
    int result = RUN_ALL_TESTS();
    const std::string after = CurrentDirectory();
    if (after != before) {
        std::fprintf(stderr, "FAILED: the working directory changed from %s to %s\n", before.c_str(),
                     after.c_str());
        result = 1;
    }
    return result;
}
