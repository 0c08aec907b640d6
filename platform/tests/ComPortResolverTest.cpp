#include "platform/ComPortResolver.h"

#include "TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using vexar::platform::ComPort;
using vexar::platform::ComPortResolver;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace {

void Link(const std::string& target, const std::string& path)
{
    ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0) << path;
}

void MakeDir(const std::string& path)
{
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0) << path;
}

std::vector<ComPort> ListOf(const ComPortResolver& resolver, bool expectReadable = true)
{
    std::vector<ComPort> ports{{99, "stale", "stale"}};
    EXPECT_EQ(resolver.List(ports), expectReadable);
    return ports;
}

std::vector<unsigned> NumbersOf(const std::vector<ComPort>& ports)
{
    std::vector<unsigned> numbers;
    for (const ComPort& port : ports)
        numbers.push_back(port.number);
    return numbers;
}

// A fake sysfs: the kernel's tty class with virtual terminals, on-board
// ports (one of them an unprobed placeholder) and two USB adapters.
class FakeSysfs {
public:
    FakeSysfs()
    {
        const std::string tty = root() + "/class/tty";
        MakeDir(root() + "/class");
        MakeDir(tty);
        MakeDir(root() + "/drivers");
        MakeDir(root() + "/drivers/ftdi_sio");
        AddTty("tty0", std::nullopt, false);
        AddTty("console", std::nullopt, false);
        AddTty("ttyS0", "4", true);
        AddTty("ttyS1", "0", true);  // placeholder of an absent UART
        AddTty("ttyS10", "4", true);
        AddTty("ttyS2", "4", true);
        AddTty("ttyUSB0", std::nullopt, true);
        AddTty("ttyACM0", std::nullopt, true);
        Link(root() + "/drivers/ftdi_sio", tty + "/ttyUSB0/device/driver");
    }
    const std::string& root() const { return m_dir.path(); }

private:
    void AddTty(const std::string& name, std::optional<std::string> type, bool withDevice)
    {
        const std::string entry = root() + "/class/tty/" + name;
        MakeDir(entry);
        if (withDevice)
            MakeDir(entry + "/device");
        if (type)
            WriteAll(entry + "/type", *type + "\n");
    }
    TempDir m_dir;
};

}  // namespace

TEST(ComPortResolverTest, ParsesComNamesInAnyCaseWithDigitsOnly)
{
    struct Case {
        const char* name;
        bool ok;
        unsigned number;
    };
    const Case cases[] = {
        {"COM1", true, 1},     {"com5", true, 5},      {"Com256", true, 256},  {"COM03", true, 3},
        {"COM", false, 0},     {"COM7x", false, 0},    {"LPT1", false, 0},     {"COM0", false, 0},
        {"COM 1", false, 0},   {"XCOM1", false, 0},    {"COM-1", false, 0},    {"COM99999999999", false, 0},
    };
    for (const Case& c : cases) {
        unsigned number = 0;
        EXPECT_EQ(ComPortResolver::ParseComName(c.name, number), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(number, c.number) << c.name;
        }
    }
}

TEST(ComPortResolverTest, FolderListsPresentComEntriesByNumber)
{
    TempDir dir;
    Link("/dev/zero", dir.file("com5"));
    Link("/dev/null", dir.file("COM3"));
    Link("/dev/null", dir.file("COM7x"));
    Link("/dev/null", dir.file("LPT1"));
    Link(dir.file("gone"), dir.file("COM9"));  // adapter unplugged
    WriteAll(dir.file("COM4"), "not a device");

    const ComPortResolver resolver = ComPortResolver::InFolder(dir.path());
    const std::vector<ComPort> ports = ListOf(resolver);
    ASSERT_EQ(NumbersOf(ports), (std::vector<unsigned>{3, 5}));
    EXPECT_EQ(ports[0].device, dir.file("COM3"));
    EXPECT_EQ(ports[0].description, "/dev/null");
    EXPECT_EQ(ports[1].device, dir.file("com5"));
    EXPECT_EQ(ports[1].description, "/dev/zero");

    EXPECT_EQ(resolver.DevicePath(3), dir.file("COM3"));
    EXPECT_EQ(resolver.DevicePath(5), dir.file("com5"));
    EXPECT_EQ(resolver.DevicePath(4), "");
    EXPECT_EQ(resolver.DevicePath(7), "");
    EXPECT_EQ(resolver.DevicePath(9), "");
}

TEST(ComPortResolverTest, TwoSpellingsOfOneNumberAreBothListedAndUpperCaseOpens)
{
    TempDir dir;
    Link("/dev/null", dir.file("com3"));
    Link("/dev/zero", dir.file("COM3"));
    const ComPortResolver resolver = ComPortResolver::InFolder(dir.path());
    EXPECT_EQ(NumbersOf(ListOf(resolver)), (std::vector<unsigned>{3, 3}));
    EXPECT_EQ(resolver.DevicePath(3), dir.file("COM3"));
}

TEST(ComPortResolverTest, MissingFolderHasNoPorts)
{
    TempDir dir;
    const ComPortResolver resolver = ComPortResolver::InFolder(dir.file("absent"));
    EXPECT_TRUE(ListOf(resolver, false).empty());
    EXPECT_EQ(resolver.DevicePath(1), "");
}

TEST(ComPortResolverTest, SysfsNumbersPresentSerialDevicesInStableOrder)
{
    FakeSysfs sysfs;
    const ComPortResolver resolver = ComPortResolver::InSysfs(sysfs.root());
    const std::vector<ComPort> ports = ListOf(resolver);
    const std::vector<std::string> expected = {"/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyACM0",
                                               "/dev/ttyUSB0"};
    ASSERT_EQ(ports.size(), expected.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
        EXPECT_EQ(ports[i].number, i + 1);
        EXPECT_EQ(ports[i].device, expected[i]);
        EXPECT_EQ(resolver.DevicePath(static_cast<unsigned>(i + 1)), expected[i]);
    }
    EXPECT_EQ(ports[4].description, "/dev/ttyUSB0 (ftdi_sio)");
    EXPECT_EQ(resolver.DevicePath(6), "");

    EXPECT_TRUE(ListOf(ComPortResolver::InSysfs(sysfs.root() + "/nothing"), false).empty());
}

// Which source the environment selects.
class ComPortSourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            m_saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        }
        setenv("VEXAR_HOME", m_home.path().c_str(), 1);
        setenv("VEXAR_SYSFS_ROOT", m_sysfs.root().c_str(), 1);
        unsetenv("VEXAR_COM_DIR");
        Link("/dev/null", m_named.file("COM8"));
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
    void MakeProgramComFolder()
    {
        MakeDir(m_home.file("COM"));
        Link("/dev/null", m_home.file("COM/COM2"));
    }
    std::vector<unsigned> Listed(bool expectReadable = true)
    {
        return NumbersOf(ListOf(ComPortResolver::FromEnvironment(), expectReadable));
    }

    static constexpr const char* kVariables[] = {"VEXAR_HOME", "VEXAR_COM_DIR", "VEXAR_SYSFS_ROOT"};
    std::vector<std::optional<std::string>> m_saved;
    TempDir m_home;
    TempDir m_named;
    FakeSysfs m_sysfs;
};

TEST_F(ComPortSourceTest, NamedFolderWinsOverProgramFolder)
{
    MakeProgramComFolder();
    setenv("VEXAR_COM_DIR", m_named.path().c_str(), 1);
    EXPECT_EQ(Listed(), (std::vector<unsigned>{8}));
}

TEST_F(ComPortSourceTest, NamedFolderThatIsMissingGivesNoPortsAndNoFallback)
{
    MakeProgramComFolder();
    setenv("VEXAR_COM_DIR", m_named.file("absent").c_str(), 1);
    EXPECT_TRUE(Listed(false).empty());
}

TEST_F(ComPortSourceTest, ProgramComFolderWhenNoneIsNamed)
{
    MakeProgramComFolder();
    EXPECT_EQ(Listed(), (std::vector<unsigned>{2}));
    setenv("VEXAR_COM_DIR", "", 1);
    EXPECT_EQ(Listed(), (std::vector<unsigned>{2}));
}

TEST_F(ComPortSourceTest, SysfsWhenThereIsNoComFolder)
{
    EXPECT_EQ(Listed(), (std::vector<unsigned>{1, 2, 3, 4, 5}));
    EXPECT_EQ(ComPortResolver::FromEnvironment().DevicePath(4), "/dev/ttyACM0");
}
