#include "platform/ProgramFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

using vexar::platform::ProgramFolder;

class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* home = std::getenv("VEXAR_HOME"))
            m_saved = home, m_hadHome = true;
    }
    void TearDown() override
    {
        if (m_hadHome)
            setenv("VEXAR_HOME", m_saved.c_str(), 1);
        else
            unsetenv("VEXAR_HOME");
    }

private:
    std::string m_saved;
    bool m_hadHome = false;
};

TEST_F(ProgramFolderTest, HomeVariableWinsAndGetsATrailingSlash)
{
    setenv("VEXAR_HOME", "/tmp/vexar-home", 1);
    EXPECT_EQ(ProgramFolder(), "/tmp/vexar-home/");
    setenv("VEXAR_HOME", "/tmp/vexar-home/", 1);
    EXPECT_EQ(ProgramFolder(), "/tmp/vexar-home/");
}

TEST_F(ProgramFolderTest, WithoutHomeItIsTheExecutablesFolder)
{
    unsetenv("VEXAR_HOME");
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    std::string path(exe, static_cast<std::size_t>(n));
    EXPECT_EQ(ProgramFolder(), path.substr(0, path.find_last_of('/') + 1));
    setenv("VEXAR_HOME", "", 1);
    EXPECT_EQ(ProgramFolder(), path.substr(0, path.find_last_of('/') + 1));
}
