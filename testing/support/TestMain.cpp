// The main of every test executable.
//
// It takes the locale from the environment (the test registration sets a
// comma-decimal locale), so that code which formats or parses numbers under
// the user's locale by mistake fails here, and it fails the run when the
// tests changed the process's working directory, which no code of ours may
// do. ctest runs each test in its own process, so the check is per test.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
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
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
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
