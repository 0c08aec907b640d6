// The adapter's answers to verified requests, request by request.
#include "testing/obdsim/AdapterResponder.h"
#include "testing/obdsim/tests/AdapterClient.h"

#include <gtest/gtest.h>

using namespace vexar::obdsim;
using vexar::obdsim::test::Fields;

namespace {

Scenario TwoEcus(int protocol)
{
    Scenario s;
    std::string error;
    const std::string text = "protocol " + std::to_string(protocol) +
                             "\n"
                             "ident VX|2.1|ADP|0042|2024|OK\n"
                             "ecu 10\n"
                             "pid 0C 1A F8\n"
                             "pid 4F 01 02 03 04\n"
                             "refuse 01 05 22\n"
                             "answer-pid 4F 50\n"
                             "dtc P0133 P0420 C0123 B0123\n"
                             "mil on\n"
                             "ecu 18\n"
                             "pid 0C 0F A0\n"
                             "pid 13 03\n"
                             "readiness 00 00 00\n"
                             "refuse 03 11\n";
    EXPECT_TRUE(ParseScenario(text, s, error)) << error;
    return s;
}

const std::string kNakText(1, static_cast<char>(kNak));

}  // namespace

TEST(AdapterResponder, AnswersEveryRequestOfTheScenario)
{
    struct Case {
        const char* type;
        const char* data;
        std::string replyType;
        std::string replyData;
    };
    const std::vector<Case> cases = {
        {"ID", "", "ID", Fields("VX|2.1|ADP|0042|2024|OK")},
        {"EC", "", "EC", "3"},
        // PID 00: 01 (monitor status), 0C and, at 20, more above; 05 counts
        // as supported because its refusal claims it.
        {"SP", "0100", "SP", Fields("10410088100001|18410080102000")},
        {"SP", "0120", "SP", "10412000000001"},
        {"SP", "0140", "SP", "10414000020000"},
        {"SP", "010C", "SP", Fields("10410C1AF8|18410C0FA0")},
        {"SP", "0105", "SP", "107F0122"},
        {"SP", "014F", "SP", "10415001020304"},  // answered as PID 50
        {"SP", "0101", "SP", Fields("10410184076500|18410100000000")},
        {"SP", "0113", "SP", "18411303"},
        {"SP", "0111", "SP", "-"},
        {"SP", "0201", "SP", "-"},
        {"SP", "03", "SP", Fields("1043013304204123|1043812300000000|187F0311")},
        {"SP", "01", "SP", kNakText},
        {"SP", "0X0C", "SP", kNakText},
        {"SP", "010", "SP", kNakText},
        {"UP", "", "UP", kNakText},
    };
    AdapterResponder responder(TwoEcus(3));
    for (const Case& c : cases) {
        const Reply reply = responder.Answer({"STL", "0", c.type, c.data});
        EXPECT_EQ(reply.type, c.replyType) << c.type << c.data;
        EXPECT_EQ(reply.data, c.replyData) << c.type << c.data;
    }
}

TEST(AdapterResponder, StoredCodesOnIso15765CarryTheirCount)
{
    AdapterResponder responder(TwoEcus(5));
    EXPECT_EQ(responder.Answer({"STL", "0", "SP", "03"}).data,
              Fields("1043040133042041238123|187F0311"));
}

TEST(AdapterResponder, ClearingEndsCodesAndLamp)
{
    AdapterResponder responder(TwoEcus(3));
    EXPECT_EQ(responder.Answer({"STL", "0", "SP", "04"}).data, Fields("1044|1844"));
    EXPECT_EQ(responder.Answer({"STL", "0", "SP", "03"}).data, Fields("1043000000000000|187F0311"));
    EXPECT_EQ(responder.Answer({"STL", "0", "SP", "0101"}).data, Fields("10410100076500|18410100000000"));
    EXPECT_TRUE(responder.GetScenario().ecus[0].dtcs.empty());
}

TEST(AdapterResponder, ConnectAnswerFollowsTheScenario)
{
    Scenario s = TwoEcus(0);
    s.connectType = "RP";
    s.searchDelay = std::chrono::milliseconds(1500);
    AdapterResponder responder(s);
    const Reply reply = responder.Answer({"STL", "0", "EC", ""});
    EXPECT_EQ(reply.type, "RP");
    EXPECT_EQ(reply.data, "0");
    EXPECT_EQ(reply.delay, std::chrono::milliseconds(1500));
}
