#include "platform/SingleInstanceLock.h"

#include "TempDir.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>

using vexar::platform::SingleInstanceLock;

namespace {

// Points XDG_RUNTIME_DIR and VEXAR_HOME where a test wants them and puts
// them back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

}  // namespace

TEST(SingleInstanceLock, ASecondHolderIsRefusedUntilTheFirstReleases)
{
    vexar::testing::TempDir runtime;
    ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.path().c_str());
    SingleInstanceLock first;
    SingleInstanceLock second;
    ASSERT_EQ(first.Acquire("VEXAR_Mutex_Sem"), SingleInstanceLock::Result::Acquired);
    EXPECT_TRUE(first.IsHeld());
    EXPECT_TRUE(vexar::testing::Exists(runtime.file("VEXAR_Mutex_Sem.lock")));
    EXPECT_EQ(second.Acquire("VEXAR_Mutex_Sem"), SingleInstanceLock::Result::HeldElsewhere);
    EXPECT_FALSE(second.IsHeld());
    EXPECT_EQ(second.Acquire("Another_Name"), SingleInstanceLock::Result::Acquired);
    first.Release();
    EXPECT_FALSE(first.IsHeld());
    SingleInstanceLock third;
    EXPECT_EQ(third.Acquire("VEXAR_Mutex_Sem"), SingleInstanceLock::Result::Acquired);
}

TEST(SingleInstanceLock, WithoutARuntimeFolderTheLockLiesInTheProgramFolder)
{
    vexar::testing::TempDir home;
    ScopedEnv xdg("XDG_RUNTIME_DIR", nullptr);
    ScopedEnv vexarHome("VEXAR_HOME", home.path().c_str());
    EXPECT_EQ(SingleInstanceLock::LockPath("VEXAR_Mutex_Sem"), home.file("VEXAR_Mutex_Sem.lock"));
    SingleInstanceLock lock;
    EXPECT_EQ(lock.Acquire("VEXAR_Mutex_Sem"), SingleInstanceLock::Result::Acquired);
    EXPECT_TRUE(vexar::testing::Exists(home.file("VEXAR_Mutex_Sem.lock")));
}

TEST(SingleInstanceLock, AFolderThatCannotHoldTheFileFailsWithoutAHolder)
{
    ScopedEnv xdg("XDG_RUNTIME_DIR", "/nonexistent-vexar-runtime");
    SingleInstanceLock lock;
    EXPECT_EQ(lock.Acquire("VEXAR_Mutex_Sem"), SingleInstanceLock::Result::Failed);
    EXPECT_FALSE(lock.IsHeld());
}

// A program started while the lock is held (the updater, a tool) must not
// inherit its descriptor, or the lock would outlive this process.
TEST(SingleInstanceLock, NoDescriptorOfTheLockSurvivesAnExec)
{
    vexar::testing::TempDir runtime;
    ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.path().c_str());
    SingleInstanceLock lock;
    ASSERT_EQ(lock.Acquire("VEXAR_Mutex_Sem"), SingleInstanceLock::Result::Acquired);
    const std::string command = "ls -l /proc/self/fd | grep -c VEXAR_Mutex_Sem.lock";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[32] = {};
    ASSERT_NE(fgets(buffer, sizeof buffer, pipe), nullptr);
    pclose(pipe);
    EXPECT_EQ(std::string(buffer), "0\n");
}
