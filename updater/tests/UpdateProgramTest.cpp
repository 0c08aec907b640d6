// Update as a program: started the way the main program starts it, with a
// test program standing in for the main program.
#include "ChildProcess.h"
#include "TempDir.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <thread>

using namespace vexar::testing;

namespace {

const std::string kCopyError = "Error: Error to copy file.\n";

std::set<std::string> NamesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Waits for the started program to record its arguments.
std::string RecordedArguments(const std::string& file, std::chrono::milliseconds patience)
{
    const auto until = std::chrono::steady_clock::now() + patience;
    while (!Exists(file) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return Exists(file) ? ReadAll(file) : std::string();
}

// A program folder with blanks in its path, holding the old main program
// (the test program with bytes appended, so old and new differ), and an
// update folder holding the new one.
class UpdateProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_dir.file("prog files"));
        std::filesystem::create_directories(m_dir.file("update stick"));
        m_fresh = ReadAll(TEST_PROGRAM_EXE);
        m_old = m_fresh + std::string("\n-- the program before the update --\n");
        WriteAll(m_source, m_fresh);
        WriteAll(m_destination, m_old);
        ASSERT_EQ(::chmod(m_source.c_str(), 0755), 0);
        ASSERT_EQ(::chmod(m_destination.c_str(), 0755), 0);
    }

    int RunUpdate(const std::vector<std::string>& arguments, std::vector<std::string> environment = {})
    {
        environment.push_back("VEXAR_TEST_UPDATE_WAIT_MS=0");
        environment.push_back("VEXAR_TEST_ARGV_FILE=" + m_argvFile);
        ChildProcess update(UPDATE_EXE, arguments, environment);
        const int exitCode = update.Wait();
        m_errorOutput = update.errorOutput();
        return exitCode;
    }

    void ExpectNothingChanged()
    {
        EXPECT_EQ(m_errorOutput, kCopyError);
        EXPECT_EQ(ReadAll(m_destination), m_old);
        EXPECT_EQ(NamesIn(m_dir.file("prog files")), std::set<std::string>{"VEXAR"});
        EXPECT_EQ(RecordedArguments(m_argvFile, std::chrono::milliseconds(300)), "");
    }

    TempDir m_dir;
    std::string m_source = m_dir.file("update stick/VEXAR");
    std::string m_destination = m_dir.file("prog files/VEXAR");
    std::string m_argvFile = m_dir.file("argv.txt");
    std::string m_fresh, m_old, m_errorOutput;
};

TEST_F(UpdateProgram, ReplacesTheProgramAndStartsTheNewOne)
{
    EXPECT_EQ(RunUpdate({m_source + ", " + m_destination}), 0);
    EXPECT_EQ(m_errorOutput, "");
    EXPECT_EQ(ReadAll(m_destination), m_fresh);
    EXPECT_EQ(RecordedArguments(m_argvFile, std::chrono::seconds(10)), m_destination + "\n");
}

TEST_F(UpdateProgram, AProgramRunningFromTheDestinationIsReplacedAndKeepsRunning)
{
    ChildProcess running(m_destination, {}, {"VEXAR_TEST_HOLD=1"});
    ASSERT_EQ(running.ReadLine(), "ready");

    EXPECT_EQ(RunUpdate({m_source + ", " + m_destination}), 0);
    EXPECT_EQ(m_errorOutput, "");
    EXPECT_EQ(ReadAll(m_destination), m_fresh);
    EXPECT_EQ(RecordedArguments(m_argvFile, std::chrono::seconds(10)), m_destination + "\n");

    // The old process still runs from its own, now unnamed, file.
    running.WriteLine("go");
    EXPECT_EQ(running.ReadLine(), std::to_string(m_old.size()));
    EXPECT_EQ(running.Wait(), 0);
}

TEST_F(UpdateProgram, UnusableArgumentsAreRefusedWithTheErrorBox)
{
    const std::vector<std::vector<std::string>> refused = {
        {},
        {""},
        {m_source + " " + m_destination},
        {m_source + "," + m_destination},
        {m_source + ",", m_destination},
    };
    for (const auto& arguments : refused) {
        SCOPED_TRACE(arguments.empty() ? std::string("(none)") : arguments[0]);
        EXPECT_EQ(RunUpdate(arguments), 0);
        ExpectNothingChanged();
    }
}

TEST_F(UpdateProgram, AFailedCopyShowsTheErrorAndStartsNothing)
{
    EXPECT_EQ(RunUpdate({m_dir.file("update stick/missing") + ", " + m_destination}), 0);
    ExpectNothingChanged();
    for (const char* step : {"write", "flush", "rename"}) {
        SCOPED_TRACE(step);
        EXPECT_EQ(RunUpdate({m_source + ", " + m_destination}, {std::string("VEXAR_FAULT_ATOMIC_WRITE=") + step}),
                  0);
        ExpectNothingChanged();
    }
}

}  // namespace
