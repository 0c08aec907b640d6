// Logged exchanges: what was asked, and whether the reply answers it.
#include "obd/LogCommand.h"
#include "obd/ScantoolException.h"
#include "obd/tests/Frames.h"

#include <gtest/gtest.h>

using namespace obdvane;
using namespace obdvane::test;

TEST(LogCommand, ClassifiesRequestsAndTheirServiceAndPid)
{
    struct Case {
        const char* type;
        const char* data;
        bool checked;
        int kind;
        int service;
        int pid;
    };
    const std::vector<Case> cases = {
        {"SP", "0100", true, LogCommand::kSp, 1, 0x00},
        {"SP", "010c", true, LogCommand::kSp, 1, 0x0C},
        {"SP", "0902", true, LogCommand::kSp, 9, 0x02},
        {"SP", "03", true, LogCommand::kSp, 3, 0},
        {"SP", "04", true, LogCommand::kSp, 4, 0},
        {"SP", "01", false, 0, 0, 0},  // service 01 needs its PID
        {"SP", "0", false, 0, 0, 0},
        {"SP", "", false, 0, 0, 0},
        {"ID", "", true, LogCommand::kId, 0, 0},
        {"EC", "", true, LogCommand::kEc, 0, 0},
        {"EZ", "", true, LogCommand::kEz, 0, 0},
        {"RP", "", true, LogCommand::kRp, 0, 0},
        {"UP", "", false, 0, 0, 0},
        {"ZZ", "", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + c.data);
        LogCommand log;
        log.Reset();
        // Each request is answered by a reply of its own type.
        EXPECT_EQ(log.Check(Exchange(WholeFrame(c.type, c.data)), Exchange(WholeFrame(c.type, "-"))), c.checked);
        if (!c.checked)
            continue;
        EXPECT_EQ(log.GetKind(), c.kind);
        EXPECT_EQ(log.GetService(), c.service);
        EXPECT_EQ(log.GetPid(), c.pid);
    }
}

TEST(LogCommand, TheReplyMustBeAVerifiedFrameOfTheRequestsType)
{
    const EXCHANGE_FRAME id = Exchange(WholeFrame("ID", ""));
    LogCommand log;
    EXPECT_TRUE(log.Check(id, Exchange(WholeFrame("ID", Etb("A|B|C|D|E|F")))));
    EXPECT_FALSE(log.Check(id, Exchange(WholeFrame("SP", "-"))));
    try {
        log.GetKind();
        FAIL() << "a mismatch has no kind";
    } catch (const LogCommandException& e) {
        EXPECT_EQ(e.GetMessage(), "Response not valid.");
    }
    EXPECT_THROW(log.GetService(), LogCommandException);
    EXPECT_THROW(log.GetPid(), LogCommandException);

    // The command accepts "EZ" for "EC"; the log does not.
    EXPECT_FALSE(LogCommand().Check(Exchange(WholeFrame("EC", "")), Exchange(WholeFrame("EZ", "3"))));

    Bytes broken = WholeFrame("ID", "X");
    broken[broken.size() - 2] ^= 0x01;
    EXPECT_FALSE(LogCommand().Check(id, Exchange(broken)));
    EXPECT_FALSE(LogCommand().Check(Exchange(broken), id));
    EXPECT_FALSE(LogCommand().Check(id, EXCHANGE_FRAME{}));
    EXPECT_THROW(LogCommand().GetKind(), LogCommandException) << "nothing stored, nothing matches";
}
