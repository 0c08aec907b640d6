// "Remote.cfg": the bridge address, port, role and time-out read from the
// enciphered file beside the program, each line's value before its TAB.
#include "link/CRemoteSettings.h"

#include "CryptFixtures.h"
#include "TempDir.h"
#include "RecordingReporter.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using vexar::link::CRemoteSettings;
using vexar::linktest::RecordingReporter;

namespace {

class RemoteSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldHome = std::getenv("VEXAR_HOME");
        setenv("VEXAR_HOME", m_home.path().c_str(), 1);
    }
    void TearDown() override
    {
        if (!m_oldHome.empty())
            setenv("VEXAR_HOME", m_oldHome.c_str(), 1);
    }
    void WriteRemote(const std::u16string& text)
    {
        std::string error;
        ASSERT_TRUE(vexar::crypt::WriteCipherText(m_home.file("Remote.cfg"), text, error)) << error;
    }
    // Settings that differ from every default, to see which are reset.
    static void Scramble(CRemoteSettings& settings)
    {
        settings.m_szBridgeIp = "9.9.9.9";
        settings.m_nBridgePort = 9;
        settings.m_bRemoteMaster = 0;
        settings.m_nSocketTimeout = 9;
    }

    vexar::testing::TempDir m_home;
    std::string m_oldHome;
};

}  // namespace

TEST_F(RemoteSettingsTest, EachLineGivesItsValueBeforeTheTab)
{
    WriteRemote(u"192.168.1.20\t// Indirizzo IP Server Bridge\n"
                u"5001\t// Numero porta Server Bridge\n"
                u"0\t// 1 = Master, 0 = Slave\n"
                u" 4 \t// Timeout in ricezione sul socket espresso in secondi");
    RecordingReporter reporter;
    CRemoteSettings settings;
    settings.ReadRemoteSettings();
    EXPECT_TRUE(reporter.shown.empty());
    EXPECT_EQ(settings.m_szBridgeIp, "192.168.1.20");
    EXPECT_EQ(settings.m_nBridgePort, 5001);
    EXPECT_EQ(settings.m_bRemoteMaster.load(), 0);
    EXPECT_EQ(settings.m_nSocketTimeout, 4);
}

TEST_F(RemoteSettingsTest, EmptyOrMissingLinesKeepTheDefaults)
{
    const struct {
        std::u16string text;
        std::string ip;
        int port;
        int master;
        int timeout;
    } cases[] = {
        {u"10.0.0.1\n2000\n", "10.0.0.1", 2000, 1, 1},
        {u"\t// nothing\n\n7\n", "0.0.0.0", 0, 1, 1},
        {u"host\nport\n", "host", 0, 1, 1},
        {u"", "0.0.0.0", 0, 1, 1},
        {u"a\n1\n2\n", "a", 1, 1, 1},
        {std::u16string(60, u'1') + u"\n", std::string(49, '1'), 0, 1, 1},
    };
    for (const auto& c : cases) {
        WriteRemote(c.text);
        CRemoteSettings settings;
        Scramble(settings);
        settings.ReadRemoteSettings();
        EXPECT_EQ(settings.m_szBridgeIp, c.ip) << vexar::ToUtf8(c.text);
        EXPECT_EQ(settings.m_nBridgePort, c.port) << vexar::ToUtf8(c.text);
        EXPECT_EQ(settings.m_bRemoteMaster.load(), c.master) << vexar::ToUtf8(c.text);
        EXPECT_EQ(settings.m_nSocketTimeout, c.timeout) << vexar::ToUtf8(c.text);
    }
}

TEST_F(RemoteSettingsTest, AMissingOrUnreadableFileIsReportedAndKeepsTheDefaults)
{
    RecordingReporter reporter;
    CRemoteSettings settings;
    Scramble(settings);
    settings.ReadRemoteSettings();
    EXPECT_EQ(settings.m_szBridgeIp, "0.0.0.0");
    EXPECT_EQ(settings.m_bRemoteMaster.load(), 1);
    EXPECT_EQ(settings.m_nSocketTimeout, 1);
    // A folder of that name is there but cannot be read as a file.
    std::filesystem::create_directory(m_home.file("Remote.cfg"));
    settings.ReadRemoteSettings();
    const std::string path = m_home.file("Remote.cfg");
    EXPECT_EQ(reporter.shown, (std::vector<std::string>{"Error to access file " + path + "!",
                                                         "Error to open file " + path + "!"}));
}
