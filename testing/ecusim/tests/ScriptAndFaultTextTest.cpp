#include "testing/ecusim/FaultTable.h"
#include "testing/ecusim/VariableScript.h"

#include <gtest/gtest.h>

using namespace vexar::ecusim;
using namespace std::chrono_literals;

TEST(EcuSimVariableScriptText, ParsesStepsInTimeOrder)
{
    VariableScript script;
    std::string error;
    ASSERT_TRUE(ParseVariableScript("# ramp\n"
                                    "at 500 0x0010 00 01   # second\r\n"
                                    "\n"
                                    "at 0 16 ff\n"
                                    "loop 1000\n",
                                    script, error))
        << error;
    ASSERT_EQ(script.steps.size(), 2u);
    EXPECT_EQ(script.steps[0].at, 0ms);
    EXPECT_EQ(script.steps[0].address, 16);
    EXPECT_EQ(script.steps[0].bytes, std::vector<std::uint8_t>{0xFF});
    EXPECT_EQ(script.steps[1].at, 500ms);
    EXPECT_EQ(script.steps[1].bytes, (std::vector<std::uint8_t>{0x00, 0x01}));
    EXPECT_EQ(script.loop, 1000ms);
}

TEST(EcuSimVariableScriptText, RejectsBadLinesWithTheirNumber)
{
    const std::pair<const char*, const char*> cases[] = {
        {"at 0 0x10\n", "line 1: \"at\" needs"},
        {"\nat x 0x10 00\n", "line 2: bad time"},
        {"at 0 0x10000 00\n", "bad address"},
        {"at 0 0x10 1\n", "bad byte \"1\""},
        {"at 0 0x10 0g\n", "bad byte"},
        {"at 0 0xFFFF 00 01\n", "past address 0xFFFF"},
        {"at -1 0 00\n", "bad time"},
        {"loop 0\n", "\"loop\" needs"},
        {"wait 10\n", "unknown statement \"wait\""},
        {"at 100 0 00\nloop 100\n", "loop period must be longer"},
    };
    for (const auto& [text, reason] : cases) {
        VariableScript script;
        script.loop = 5ms;
        std::string error;
        EXPECT_FALSE(ParseVariableScript(text, script, error)) << text;
        EXPECT_NE(error.find(reason), std::string::npos) << text << " gave: " << error;
        EXPECT_EQ(script.loop, 5ms) << "a failed parse leaves the script alone";
    }
}

TEST(EcuSimFaultText, ParsesEveryForm)
{
    struct Case {
        const char* text;
        std::uint8_t command;
        FaultKind kind;
        std::uint8_t code;
        std::chrono::milliseconds delay;
        Repeat repeat;
    };
    const Case cases[] = {
        {"1:no-reply", 1, FaultKind::NoReply, 0, 0ms, Repeat::Once},
        {"2:nak:6:always", 2, FaultKind::Nak, 6, 0ms, Repeat::Always},
        {"0x0B:late:700", 11, FaultKind::LateReply, 0, 700ms, Repeat::Once},
        {"10:wrong-speed:always", 10, FaultKind::WrongSpeed, 0, 0ms, Repeat::Always},
        {"7:corrupt-echo", 7, FaultKind::CorruptEcho, 0, 0ms, Repeat::Once},
        {"1:truncated", 1, FaultKind::TruncatedReply, 0, 0ms, Repeat::Once},
        {"1:bad-crc", 1, FaultKind::BadCrc, 0, 0ms, Repeat::Once},
        {"1:wrong-command", 1, FaultKind::WrongCommand, 0, 0ms, Repeat::Once},
        {"1:wrong-index", 1, FaultKind::WrongIndex, 0, 0ms, Repeat::Once},
        {"5:wrong-block", 5, FaultKind::WrongBlock, 0, 0ms, Repeat::Once},
        {"1:unplug", 1, FaultKind::Unplug, 0, 0ms, Repeat::Once},
    };
    for (const Case& c : cases) {
        std::uint8_t command = 0;
        Fault fault;
        Repeat repeat = Repeat::Once;
        std::string error;
        ASSERT_TRUE(ParseFault(c.text, command, fault, repeat, error)) << c.text << ": " << error;
        EXPECT_EQ(command, c.command) << c.text;
        EXPECT_EQ(fault.kind, c.kind) << c.text;
        EXPECT_EQ(fault.errorCode, c.code) << c.text;
        EXPECT_EQ(fault.delay, c.delay) << c.text;
        EXPECT_EQ(repeat, c.repeat) << c.text;
    }
}

TEST(EcuSimFaultText, RejectsMalformedFaults)
{
    for (const char* text : {"", "1", "256:no-reply", "1:silence", "1:nak", "1:nak:256", "1:late:x",
                             "1:no-reply:5", "x:no-reply", "1:no-reply:sometimes", "-1:no-reply"}) {
        std::uint8_t command = 0;
        Fault fault;
        Repeat repeat = Repeat::Once;
        std::string error;
        EXPECT_FALSE(ParseFault(text, command, fault, repeat, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(EcuSimFaultTable, OnceEntriesQueuePerCommand)
{
    FaultTable table;
    table.Arm(1, {FaultKind::BadCrc}, Repeat::Once);
    table.Arm(1, {FaultKind::LateReply, 0, 10ms}, Repeat::Always);
    table.Arm(1, {FaultKind::NoReply}, Repeat::Once);
    table.Arm(2, {FaultKind::Nak, 7}, Repeat::Once);

    auto kinds = [&](std::uint8_t command) {
        std::vector<FaultKind> result;
        for (const Fault& f : table.Take(command))
            result.push_back(f.kind);
        return result;
    };
    EXPECT_EQ(kinds(1), (std::vector<FaultKind>{FaultKind::BadCrc, FaultKind::LateReply}));
    EXPECT_EQ(kinds(1), (std::vector<FaultKind>{FaultKind::LateReply, FaultKind::NoReply}));
    EXPECT_EQ(kinds(1), (std::vector<FaultKind>{FaultKind::LateReply}));
    EXPECT_EQ(kinds(3), std::vector<FaultKind>{});
    EXPECT_EQ(kinds(2), std::vector<FaultKind>{FaultKind::Nak});
    EXPECT_EQ(kinds(2), std::vector<FaultKind>{});
    table.Clear();
    EXPECT_EQ(kinds(1), std::vector<FaultKind>{});
}
