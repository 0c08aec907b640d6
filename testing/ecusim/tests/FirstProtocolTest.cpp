// The first protocol, byte for byte: hand-built requests from the command
// table go over a real pseudo-terminal and must get exactly these replies.
#include "testing/ecusim/tests/SimFixture.h"

using namespace vexar::ecusim;
using namespace vexar::ecusim::test;

namespace {

struct Exchange {
    const char* what;
    Bytes request;
    Bytes reply;  // empty: the ECU must stay silent
};

void Expect(Rig& rig, const std::vector<Exchange>& table)
{
    // A reply too long would show in the next exchange or in the final
    // silence, so each exchange reads only what it expects.
    for (const Exchange& e : table) {
        SCOPED_TRACE(e.what);
        EXPECT_EQ(rig.client.Exchange(e.request, std::max<std::size_t>(e.reply.size(), 1), 200ms), e.reply);
    }
    EXPECT_TRUE(rig.client.Silent(50ms));
}

class EcuSimFirstProtocol : public ::testing::Test {
protected:
    Rig rig{Options(Protocol::First)};
    void SetUp() override
    {
        const Bytes parameters{0x3C};
        rig.sim->WriteImage(Image::Parameters, 0x10, parameters);
        const Bytes variables{0x11, 0x22, 0x33, 0xC3};
        rig.sim->WriteImage(Image::Variables, 0x20, variables);
    }
};

}  // namespace

TEST_F(EcuSimFirstProtocol, EveryCommandGetsItsReply)
{
    Expect(rig, {
        {"read byte 0x10", {0x05, 0x01, 0x10, 0x10, 0x5D}, {0x06, 0x01, 0x10, 0x3C, 0x5C, 0x99}},
        {"write byte 0x10 keeping the high half", First({0x02, 0x10, 0xF0, 0x05}), First({0x02, 0x06})},
        {"read back", First({0x01, 0x10}), First({0x01, 0x10, 0x35})},
        {"read three variables", First({0x05, 0x20, 0x03}), First({0x05, 0x20, 0x11, 0x22, 0x33})},
        {"masked variable write", First({0x06, 0x23, 0x0F, 0xA5}), First({0x06, 0x06})},
        {"read the written variable", First({0x05, 0x23, 0x01}), First({0x05, 0x23, 0xA3})},
        {"identification", First({0x07}),
         First({0x07, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K'})},
        {"open session", First({0x09, 0x01}), First({0x09, 0x06})},
    });
    EXPECT_TRUE(rig.sim->Session());
    Expect(rig, {
        {"close session", First({0x09, 0x00}), First({0x09, 0x06})},
    });
    EXPECT_FALSE(rig.sim->Session());
    Expect(rig, {
        {"open session again", First({0x09, 0x01}), First({0x09, 0x06})},
        {"reset", First({0x08}), First({0x08, 0x06})},
    });
    EXPECT_FALSE(rig.sim->Session()) << "a reset leaves the session";
    EXPECT_EQ(rig.sim->ReadImage(Image::Parameters, 0x10, 1), Bytes{0x35});
    EXPECT_EQ(rig.sim->ReadImage(Image::Variables, 0x23, 1), Bytes{0xA3});
}

TEST_F(EcuSimFirstProtocol, RequestsItCannotServeGetNoReply)
{
    Bytes badCrc = First({0x01, 0x10});
    badCrc.back() ^= 0x01;
    Expect(rig, {
        {"bad CRC", badCrc, {}},
        {"unknown command", First({0x0C}), {}},
        {"command 0", First({0x00}), {}},
        {"read byte with a stray payload byte", First({0x01, 0x10, 0x00}), {}},
        {"write byte without its value", First({0x02, 0x10, 0x00}), {}},
        {"variable run too long for one reply", First({0x05, 0x00, 251}), {}},
        {"after all that, still answering", First({0x01, 0x10}), First({0x01, 0x10, 0x3C})},
    });
    const std::vector<FrameRecord> log = rig.sim->FrameLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().kind, FrameRecord::Kind::Request);
    EXPECT_FALSE(log.front().crcOk);
    EXPECT_EQ(rig.sim->CountRequests(0x01), 2u) << "the frame with the bad CRC is not counted";
}

TEST(EcuSimFirstProtocolSmallImages, OutsideTheImagesReadsStaySilentAndWritesAreRefused)
{
    Rig rig{Options(Protocol::First, 16)};
    Expect(rig, {
        {"read byte past the end", First({0x01, 0x10}), {}},
        {"read last byte", First({0x01, 0x0F}), First({0x01, 0x0F, 0x00})},
        {"write past the end", First({0x02, 0x10, 0x00, 0x55}), First({0x02, 0x15})},
        {"variable run past the end", First({0x05, 0x0E, 0x03}), {}},
        {"masked write past the end", First({0x06, 0x10, 0x00, 0x55}), First({0x06, 0x15})},
    });
}
