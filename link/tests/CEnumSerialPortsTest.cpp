#include "link/CEnumSerialPorts.h"

#include "PtyPeer.h"
#include "TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using vexar::link::CEnumSerialPorts;
using vexar::linktest::PtyPeer;
using vexar::testing::TempDir;

namespace {

std::u16string Widen(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// Sets the variables that choose the port source for one test.
class PortSourceEnvironment : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            m_saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
        setenv("VEXAR_HOME", m_home.path().c_str(), 1);
    }
    void TearDown() override
    {
        for (std::size_t i = 0; i < std::size(kVariables); ++i) {
            if (m_saved[i])
                setenv(kVariables[i], m_saved[i]->c_str(), 1);
            else
                unsetenv(kVariables[i]);
        }
    }
    static void Link(const std::string& target, const std::string& path)
    {
        ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0) << path;
    }

    static constexpr const char* kVariables[] = {"VEXAR_HOME", "VEXAR_COM_DIR", "VEXAR_SYSFS_ROOT"};
    std::vector<std::optional<std::string>> m_saved;
    TempDir m_home;
};

}  // namespace

TEST_F(PortSourceEnvironment, ListsTheComLinksOfTheNamedFolder)
{
    TempDir com;
    PtyPeer three, five, other;
    Link(five.slavePath(), com.file("com5"));
    Link(three.slavePath(), com.file("COM3"));
    Link(other.slavePath(), com.file("COM7x"));
    Link(other.slavePath(), com.file("LPT1"));
    setenv("VEXAR_COM_DIR", com.path().c_str(), 1);

    std::vector<unsigned> numbers{42};
    std::vector<std::u16string> names{u"stale"};
    EXPECT_TRUE(CEnumSerialPorts().EnumPorts(numbers, names));
    EXPECT_EQ(numbers, (std::vector<unsigned>{3, 5}));
    EXPECT_EQ(names, (std::vector<std::u16string>{Widen(three.slavePath()), Widen(five.slavePath())}));
}

TEST_F(PortSourceEnvironment, ANamedFolderThatDoesNotExistListsNothing)
{
    TempDir com;
    setenv("VEXAR_COM_DIR", com.file("absent").c_str(), 1);
    std::vector<unsigned> numbers{42};
    std::vector<std::u16string> names{u"stale"};
    EXPECT_FALSE(CEnumSerialPorts().EnumPorts(numbers, names));
    EXPECT_TRUE(numbers.empty());
    EXPECT_TRUE(names.empty());
}

TEST_F(PortSourceEnvironment, WithoutAComFolderTheKernelsSerialDevicesAreNumbered)
{
    TempDir sysfs;
    const std::string tty = sysfs.path() + "/class/tty";
    ASSERT_EQ(::mkdir((sysfs.path() + "/class").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(tty.c_str(), 0755), 0);
    for (const char* name : {"ttyUSB0", "ttyS0", "tty1"}) {
        ASSERT_EQ(::mkdir((tty + "/" + name).c_str(), 0755), 0);
        if (std::string(name) != "tty1") {  // a virtual terminal has no device
            ASSERT_EQ(::mkdir((tty + "/" + name + "/device").c_str(), 0755), 0);
        }
    }
    setenv("VEXAR_SYSFS_ROOT", sysfs.path().c_str(), 1);

    std::vector<unsigned> numbers;
    std::vector<std::u16string> names;
    EXPECT_TRUE(CEnumSerialPorts().EnumPorts(numbers, names));
    EXPECT_EQ(numbers, (std::vector<unsigned>{1, 2}));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"/dev/ttyS0", u"/dev/ttyUSB0"}));
}

TEST(CEnumSerialPortsTest, IsNumericAcceptsDigitsAndTheColonWhenAllowed)
{
    struct Case {
        std::u16string text;
        bool allowColon;
        bool expected;
    };
    const Case cases[] = {
        {u"", false, false},     {u"", true, false},     {u"0123", false, true}, {u"12:", false, false},
        {u"12:", true, true},    {u":", true, true},     {u"1a", true, false},   {u" 1", false, false},
        {u"\u0661", false, false},  // an Arabic-Indic digit is not a decimal digit here
    };
    for (const Case& c : cases)
        EXPECT_EQ(CEnumSerialPorts::IsNumeric(c.text, c.allowColon), c.expected);
}
