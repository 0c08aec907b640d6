#include "platform/ProcessStarter.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using vexar::platform::ProgramRunning;
using vexar::platform::StartProgram;

namespace {

// A program folder of its own with a shell script that records its
// arguments, folder, VEXAR_COM_DIR and open descriptors, then waits for
// "end" beside its record.
class ProcessStarterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vexar-spawn-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_root = pattern;
        fs::create_directories(m_root / "prog folder");
        fs::create_directories(m_root / "COM");
        m_script = m_root / "prog folder" / "recorder";
        std::ofstream(m_script) << "#!/bin/sh\n"
                                   "out=\"" << (m_root / "record").string() << "\"\n"
                                   "{ for a in \"$@\"; do echo \"arg $a\"; done\n"
                                   "  echo \"cwd $(pwd)\"\n"
                                   "  echo \"com $VEXAR_COM_DIR\"\n"
                                   "  ls /proc/$$/fd | sort -n | sed 's/^/fd /'; } > \"$out.part\"\n"
                                   "mv \"$out.part\" \"$out\"\n"
                                   "while [ ! -e \"$out.end\" ]; do sleep 0.01; done\n";
        fs::permissions(m_script, fs::perms::owner_all);
        if (const char* com = std::getenv("VEXAR_COM_DIR"))
            m_savedCom = com, m_hadCom = true;
        setenv("VEXAR_COM_DIR", (m_root / "COM").c_str(), 1);
    }
    void TearDown() override
    {
        if (m_hadCom)
            setenv("VEXAR_COM_DIR", m_savedCom.c_str(), 1);
        else
            unsetenv("VEXAR_COM_DIR");
        fs::remove_all(m_root);
    }

    std::string WaitForRecord()
    {
        for (int i = 0; i < 500 && !fs::exists(m_root / "record"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(m_root / "record");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool WaitUntilEnded(pid_t pid)
    {
        for (int i = 0; i < 500; ++i) {
            if (!ProgramRunning(pid))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    fs::path m_root;
    fs::path m_script;
    std::string m_savedCom;
    bool m_hadCom = false;
};

}  // namespace

// One argument stays one entry, blanks and quotes included; the program
// runs in its folder, sees the COM folder and only descriptors 0 to 2 of
// ours (the shell's own 255 aside), and is reaped once it ends.
TEST_F(ProcessStarterTest, RunsInItsFolderWithExactArgumentsAndOnlyStandardDescriptors)
{
    const int leaked = ::open("/dev/null", O_RDONLY);  // not close-on-exec on purpose
    ASSERT_GE(leaked, 3);
    const pid_t pid = StartProgram(m_script.string(), (m_root / "prog folder").string(),
                                   {"LOGO=1,COM=3,PATH=,FILE=a b.hex", "\"quoted\""});
    ::close(leaked);
    ASSERT_GT(pid, 0);
    const std::string record = WaitForRecord();
    EXPECT_NE(record.find("arg LOGO=1,COM=3,PATH=,FILE=a b.hex\narg \"quoted\"\n"), std::string::npos) << record;
    EXPECT_NE(record.find("cwd " + (m_root / "prog folder").string() + "\n"), std::string::npos) << record;
    EXPECT_NE(record.find("com " + (m_root / "COM").string() + "\n"), std::string::npos) << record;
    std::istringstream lines(record);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("fd ", 0) != 0)
            continue;
        const int fd = std::atoi(line.c_str() + 3);
        EXPECT_TRUE(fd <= 2 || fd >= 10) << "descriptor " << fd << " leaked into the program";
    }
    EXPECT_TRUE(ProgramRunning(pid));
    std::ofstream(m_root / "record.end") << "";
    EXPECT_TRUE(WaitUntilEnded(pid));
    EXPECT_FALSE(ProgramRunning(pid)) << "asked again after the reap";
    EXPECT_FALSE(fs::exists("/proc/" + std::to_string(pid))) << "a zombie was left";
}

// Anything that cannot start gives 0 and leaves no child behind.
TEST_F(ProcessStarterTest, AStartThatFailsGivesNoProcess)
{
    const fs::path notExecutable = m_root / "prog folder" / "plain";
    std::ofstream(notExecutable) << "text\n";
    const struct {
        std::string program;
        std::string folder;
    } cases[] = {
        {(m_root / "prog folder" / "missing").string(), (m_root / "prog folder").string()},
        {notExecutable.string(), (m_root / "prog folder").string()},
        {m_script.string(), (m_root / "no such folder").string()},
        {"vexar-no-such-program-on-path", (m_root / "prog folder").string()},
        {"", (m_root / "prog folder").string()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StartProgram(c.program, c.folder, {"x"}), 0) << c.program << " in " << c.folder;
    }
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "a failed start left a child";
    EXPECT_FALSE(ProgramRunning(0));
}

// A bare name is found through PATH.
TEST_F(ProcessStarterTest, ABareNameIsFoundThroughPath)
{
    const char* saved = std::getenv("PATH");
    const std::string oldPath = saved ? saved : "";
    setenv("PATH", ((m_root / "prog folder").string() + ":" + oldPath).c_str(), 1);
    const pid_t pid = StartProgram("recorder", m_root.string(), {"-jar tarmix.jar"});
    setenv("PATH", oldPath.c_str(), 1);
    ASSERT_GT(pid, 0);
    EXPECT_NE(WaitForRecord().find("arg -jar tarmix.jar\ncwd " + m_root.string() + "\n"), std::string::npos);
    std::ofstream(m_root / "record.end") << "";
    EXPECT_TRUE(WaitUntilEnded(pid));
}
