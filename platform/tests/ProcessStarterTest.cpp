#include "platform/ProcessStarter.h"

#include <algorithm>
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
#include <vector>

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
                                   "  ls -l /proc/$$/fd | sed 's/^/fd /'; } > \"$out.part\"\n"
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

    // Generous limits: on a loaded machine a shell can take seconds to
    // start and to notice the end file.
    static constexpr auto kPatience = std::chrono::seconds(30);

    std::string WaitForRecord()
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (!fs::exists(m_root / "record") && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(m_root / "record");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool WaitUntilEnded(pid_t pid)
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < deadline) {
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
// runs in its folder, sees the COM folder and none of our descriptors
// beyond 0 to 2 (the shell may hold its own, such as its script), and is
// reaped once it ends.
TEST_F(ProcessStarterTest, RunsInItsFolderWithExactArgumentsAndOnlyStandardDescriptors)
{
    // Descriptors on a file of their own without close-on-exec, on
    // purpose, low and high: the program's descriptor list must not name it.
    const fs::path marker = m_root / "held-by-vexar";
    std::ofstream(marker) << "";
    std::vector<int> ours;
    for (int i = 0; i < 3; ++i) {
        ours.push_back(::open(marker.c_str(), O_RDONLY));
        ASSERT_GE(ours.back(), 3);
    }
    ours.push_back(::fcntl(ours.front(), F_DUPFD, 200));
    ASSERT_GE(ours.back(), 200);
    const pid_t pid = StartProgram(m_script.string(), (m_root / "prog folder").string(),
                                   {"LOGO=1,COM=3,PATH=,FILE=a b.hex", "\"quoted\""});
    for (const int fd : ours)
        ::close(fd);
    ASSERT_GT(pid, 0);
    const std::string record = WaitForRecord();
    EXPECT_NE(record.find("arg LOGO=1,COM=3,PATH=,FILE=a b.hex\narg \"quoted\"\n"), std::string::npos) << record;
    EXPECT_NE(record.find("cwd " + (m_root / "prog folder").string() + "\n"), std::string::npos) << record;
    EXPECT_NE(record.find("com " + (m_root / "COM").string() + "\n"), std::string::npos) << record;
    EXPECT_NE(record.find("fd "), std::string::npos) << record;
    EXPECT_EQ(record.find(marker.string()), std::string::npos) << "one of our descriptors reached the program\n"
                                                               << record;
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
