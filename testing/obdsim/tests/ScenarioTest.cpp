#include "testing/obdsim/Scenario.h"

#include <gtest/gtest.h>

using namespace vexar::obdsim;

TEST(ObdScenario, ReadsTheAdapterAndEveryEcu)
{
    const char* text =
        "# two ECUs on ISO 15765-4\n"
        "protocol 5\n"
        "connect-type EZ\n"
        "ident A|B|C D|E||F\n"
        "search-delay 250   # the adapter takes its time\n"
        "ecu 10\n"
        "pid 0C 1A F8\n"
        "pid 0d 32\n"
        "refuse 01 05 22\n"
        "refuse 03 11\n"
        "refuse 01 0E 31\n"
        "answer-pid 0D 0C\n"
        "dtc P0133 u0100\n"
        "mil on\n"
        "readiness 00 FF 0F\n"
        "\n"
        "ecu 18\n"
        "pid 0C 0F A0\n";
    Scenario s;
    std::string error;
    ASSERT_TRUE(ParseScenario(text, s, error)) << error;
    EXPECT_EQ(s.protocol, 5);
    EXPECT_EQ(s.connectType, "EZ");
    EXPECT_EQ(s.ident, (std::vector<std::string>{"A", "B", "C D", "E", "", "F"}));
    EXPECT_EQ(s.searchDelay, std::chrono::milliseconds(250));
    ASSERT_EQ(s.ecus.size(), 2u);
    const EcuScenario& engine = s.ecus[0];
    EXPECT_EQ(engine.address, 0x10);
    EXPECT_EQ(engine.pids.at(0x0C), (Bytes{0x1A, 0xF8}));
    EXPECT_EQ(engine.pids.at(0x0D), (Bytes{0x32}));
    EXPECT_EQ(engine.refusals.at({1, 0x05}), 0x22);
    EXPECT_EQ(engine.refusals.at({3, kAnyPid}), 0x11);
    EXPECT_EQ(engine.refusals.at({1, 0x0E}), 0x31);
    EXPECT_EQ(engine.answerPids, (std::map<std::uint8_t, std::uint8_t>{{0x0D, 0x0C}}));
    EXPECT_EQ(engine.dtcs, (std::vector<std::uint16_t>{0x0133, 0xC100}));
    EXPECT_TRUE(engine.mil);
    EXPECT_EQ(engine.readiness, (std::array<std::uint8_t, 3>{0x00, 0xFF, 0x0F}));
    EXPECT_EQ(s.ecus[1].address, 0x18);
    EXPECT_FALSE(s.ecus[1].mil);
}

TEST(ObdScenario, RefusesMistakesWithTheirLine)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"pid 0C 1A", "line 1: \"pid\" before any \"ecu\""},
        {"protocol x", "line 1: protocol takes one number"},
        {"\nconnect-type XX", "line 2: connect-type is EC, EZ or RP"},
        {"ecu 1G", "line 1: ecu takes one hexadecimal address"},
        {"ecu 10\npid 0C 1AF", "line 2: pid takes a PID and its data bytes in hexadecimal"},
        {"ecu 10\nrefuse 01 12", "line 2: refuse: this service needs PID"},
        {"ecu 10\nrefuse 03 00 12", "line 2: refuse: this service takes no PID"},
        {"ecu 10\ndtc P4133", "line 2: not a trouble code: P4133"},
        {"ecu 10\nmil maybe", "line 2: mil is on or off"},
        {"ecu 10\nreadiness 00 00", "line 2: readiness takes three hexadecimal bytes"},
        {"ecu 10\nanswer-pid 0C", "line 2: answer-pid takes the PID requested and the PID answered"},
        {"answer-pid 0C 0D", "line 1: \"answer-pid\" before any \"ecu\""},
        {"speed 9600", "line 1: unknown statement \"speed\""},
    };
    for (const auto& [text, expected] : cases) {
        Scenario s = DefaultScenario();
        std::string error;
        EXPECT_FALSE(ParseScenario(text, s, error)) << text;
        EXPECT_EQ(error, expected);
        EXPECT_EQ(s.ecus.size(), 1u) << "a failed read changes nothing";
    }
}

TEST(ObdScenario, TroubleCodeNames)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {"P0133", 0x0133}, {"C0123", 0x4123}, {"B0123", 0x8123}, {"U0100", 0xC100}, {"p3fff", 0x3FFF},
        {"P0420", 0x0420}, {"X0100", -1},     {"P4000", -1},     {"P013", -1},      {"P01G3", -1}};
    for (const auto& [text, expected] : cases) {
        std::uint16_t code = 0;
        EXPECT_EQ(ParseDtc(text, code), expected >= 0) << text;
        if (expected >= 0) {
            EXPECT_EQ(code, expected) << text;
        }
    }
}
