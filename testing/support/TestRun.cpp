// The test run shared by the plain and the Qt test mains.
//
// Every test runs under a comma-decimal locale and a time zone with
// daylight saving (unless the environment already names others), so that
// code which formats or parses numbers under the user's locale, or gets
// local time wrong, fails here. The tests get a program folder of their
// own (VEXAR_HOME, removed at the end), so that nothing a test does writes
// logs or files beside the test program. And the run fails when the tests
// changed the process's working directory, which no code of ours may do.
// ctest runs each test in its own process, so the check is per test.
#include "TestRun.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <unistd.h>

namespace vexar::testing {

namespace {

std::string CurrentDirectory()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

// The program folder made for this run, removed when the process ends.
std::unique_ptr<TempDir>& OwnHome()
{
    static std::unique_ptr<TempDir> home;
    return home;
}

}  // namespace

bool PrepareTestProcess()
{
    setenv("LC_ALL", "de_DE.UTF-8", 0);
    setenv("TZ", "Europe/Rome", 0);
    tzset();
    if (!std::setlocale(LC_ALL, "")) {
        std::fprintf(stderr, "FAILED: the test locale %s is not installed\n", std::getenv("LC_ALL"));
        return false;
    }
    // A folder of its own as the program folder, unless the caller named one.
    if (!std::getenv("VEXAR_HOME")) {
        OwnHome() = std::make_unique<TempDir>();
        setenv("VEXAR_HOME", OwnHome()->path().c_str(), 1);
    }
    return true;
}

int RunTestProgram(int& argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const std::string before = CurrentDirectory();
    int result = RUN_ALL_TESTS();
    const std::string after = CurrentDirectory();
    if (after != before) {
        std::fprintf(stderr, "FAILED: the working directory changed from %s to %s\n", before.c_str(),
                     after.c_str());
        result = 1;
    }
    OwnHome().reset();
    return result;
}

}  // namespace vexar::testing
