// The second protocol, byte for byte: hand-built requests from the command
// table go over a real pseudo-terminal and must get exactly these replies
// and effects.
#include "testing/ecusim/tests/SimFixture.h"

using namespace vexar::ecusim;
using namespace vexar::ecusim::test;

namespace {

constexpr std::uint8_t kParSeed = 1;
constexpr std::uint8_t kVarSeed = 3;

struct Exchange {
    const char* what;
    Bytes request;
    Bytes reply;  // empty: the ECU must stay silent
};

void Expect(Rig& rig, const std::vector<Exchange>& table)
{
    for (const Exchange& e : table) {
        SCOPED_TRACE(e.what);
        EXPECT_EQ(rig.client.Exchange(e.request, std::max<std::size_t>(e.reply.size(), 1), 300ms), e.reply);
    }
    EXPECT_TRUE(rig.client.Silent(50ms));
}

Bytes ParRange(std::size_t from, std::size_t count)
{
    Bytes bytes;
    for (std::size_t i = from; i < from + count; ++i)
        bytes.push_back(PatternByte(i, kParSeed));
    return bytes;
}

Bytes VarRange(std::size_t from, std::size_t count)
{
    Bytes bytes;
    for (std::size_t i = from; i < from + count; ++i)
        bytes.push_back(PatternByte(i, kVarSeed));
    return bytes;
}

class EcuSimSecondProtocol : public ::testing::Test {
protected:
    static constexpr std::size_t kImage = 0x2000;
    Rig rig{Options(Protocol::Second, kImage)};
    void SetUp() override
    {
        Pattern(*rig.sim, Image::Parameters, kImage, kParSeed);
        Pattern(*rig.sim, Image::Variables, kImage, kVarSeed);
    }
};

}  // namespace

TEST_F(EcuSimSecondProtocol, BlockReadsFollowTheBlockNumber)
{
    // 600 bytes from 0x0100 in blocks of 256, 256 and 88; the size 256 is
    // sent as 0 and block i starts 256 × i bytes after the address.
    Expect(rig, {
        {"block 0", Second({0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x58}),
         Second(Concat({0x01, 0x00, 0x01, 0x00}, ParRange(0x100, 256)))},
        {"block 1", Second({0x01, 0x01, 0x01, 0x00, 0x00, 0x02, 0x58}),
         Second(Concat({0x01, 0x01, 0x01, 0x00}, ParRange(0x200, 256)))},
        {"block 2", Second({0x01, 0x02, 0x01, 0x00, 88, 0x02, 0x58}),
         Second(Concat({0x01, 0x02, 0x01, 0x00}, ParRange(0x300, 88)))},
        {"auxiliary block 1 carries its own address", Second({0x05, 0x01, 0x13, 0x34, 44, 0x01, 0x2C}),
         Second(Concat({0x05, 0x01, 0x13, 0x34}, VarRange(0x1334, 44)))},
        {"memory read", Second({0x03, 0x12, 0x34, 0x03}), Second(Concat({0x03, 0x12, 0x34}, ParRange(0x1234, 3)))},
        {"memory read of 256", Second({0x03, 0x00, 0x10, 0x00}), Second(Concat({0x03, 0x00, 0x10}, ParRange(0x10, 256)))},
        {"block past the image", Second({0x01, 0x00, 0x1F, 0x80, 0x00, 0x01, 0x00}), {}},
        {"block number carries past the image", Second({0x01, 0x20, 0x00, 0x00, 0x01, 0x00, 0x01}), {}},
        {"memory read past the image", Second({0x03, 0x1F, 0xFF, 0x02}), {}},
    });
    EXPECT_EQ(Second({0x01, 0x02, 0x01, 0x00, 88, 0x02, 0x58}).size(), 11u);
}

TEST_F(EcuSimSecondProtocol, WritesAcknowledgeAndLand)
{
    const Bytes data{0x00, 0x0A, 0x0D, 0x11};
    Expect(rig, {
        {"block 1 of a write at 0x0200", Second(Concat({0x02, 0x01, 0x02, 0x00, 0x04, 0x01, 0x04}, data)),
         Second({0x02, 0x01, 0x02, 0x00, 0x06, 0x00})},
        {"memory write", Second({0x04, 0x00, 0x40, 0x02, 0x13, 0x7F}), Second({0x04, 0x00, 0x40, 0x06, 0x00})},
        {"8-bit masked write", Second({0x06, 0x00, 0x50, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xAB}),
         Second({0x06, 0x00, 0x50, 0x06, 0x00})},
        {"16-bit masked write", Second({0x06, 0x00, 0x60, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x34, 0x12}),
         Second({0x06, 0x00, 0x60, 0x06, 0x00})},
        {"flag bit 3", Second({0x06, 0x00, 0x70, 0xFF, 0xFF, 0xFF, 0xF7, 0x00, 0x00, 0x00, 0x08}),
         Second({0x06, 0x00, 0x70, 0x06, 0x00})},
        {"32-bit masked write", Second({0x06, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x44, 0x33, 0x22, 0x11}),
         Second({0x06, 0x00, 0x80, 0x06, 0x00})},
    });
    EXPECT_EQ(rig.sim->ReadImage(Image::Parameters, 0x300, 4), data);
    EXPECT_EQ(rig.sim->ReadImage(Image::Parameters, 0x2FF, 1), ParRange(0x2FF, 1));
    EXPECT_EQ(rig.sim->ReadImage(Image::Parameters, 0x304, 1), ParRange(0x304, 1));
    EXPECT_EQ(rig.sim->ReadImage(Image::Parameters, 0x40, 2), (Bytes{0x13, 0x7F}));
    EXPECT_EQ(rig.sim->ReadImage(Image::Variables, 0x50, 2), (Bytes{0xAB, PatternByte(0x51, kVarSeed)}));
    EXPECT_EQ(rig.sim->ReadImage(Image::Variables, 0x60, 3), (Bytes{0x12, 0x34, PatternByte(0x62, kVarSeed)}));
    const std::uint8_t flags = PatternByte(0x70, kVarSeed);
    EXPECT_EQ(rig.sim->ReadImage(Image::Variables, 0x70, 1), Bytes{static_cast<std::uint8_t>(flags | 0x08)});
    EXPECT_EQ(rig.sim->ReadImage(Image::Variables, 0x80, 4), (Bytes{0x11, 0x22, 0x33, 0x44}));
}

TEST_F(EcuSimSecondProtocol, BadWritesAreRefusedWithTheirErrorCodeAndChangeNothing)
{
    Expect(rig, {
        {"block declares 8, carries 4", Second({0x02, 0x00, 0x01, 0x00, 0x08, 0x00, 0x08, 1, 2, 3, 4}),
         Second({0x02, 0x00, 0x01, 0x00, 0x15, 0x06})},
        {"block declares 2, carries 4", Second({0x02, 0x00, 0x01, 0x00, 0x02, 0x00, 0x02, 1, 2, 3, 4}),
         Second({0x02, 0x00, 0x01, 0x00, 0x15, 0x07})},
        {"block past the image", Second({0x02, 0x00, 0x1F, 0xFE, 0x04, 0x00, 0x04, 1, 2, 3, 4}),
         Second({0x02, 0x00, 0x1F, 0xFE, 0x15, 0x07})},
        {"memory write past the image", Second({0x04, 0x1F, 0xFF, 0x02, 1, 2}),
         Second({0x04, 0x1F, 0xFF, 0x15, 0x07})},
        {"16-bit masked write on the last byte", Second({0x06, 0x1F, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 1, 2}),
         Second({0x06, 0x1F, 0xFF, 0x15, 0x07})},
    });
    EXPECT_EQ(rig.sim->ReadImage(Image::Parameters, 0x100, 8), ParRange(0x100, 8));
    EXPECT_EQ(rig.sim->ReadImage(Image::Parameters, 0x1FFE, 2), ParRange(0x1FFE, 2));
    EXPECT_EQ(rig.sim->ReadImage(Image::Variables, 0x1FFF, 1), VarRange(0x1FFF, 1));
}

TEST_F(EcuSimSecondProtocol, IdentResetSessionAndUploadList)
{
    Expect(rig, {
        {"identification", Second({0x07}), Second({0x07, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K'})},
        {"session 1", Second({0x09, 0x01}), Second({0x09, 0x06})},
    });
    EXPECT_TRUE(rig.sim->Session());
    Expect(rig, {
        {"reset", Second({0x08}), Second({0x08, 0x06})},
        // frame 0, two pieces, value 100 ms: (0x0010, 2) and (0x0100, 3); the
        // reply repeats frame number, count and value before the data.
        {"upload list", Second({0x0B, 0x00, 0x00, 0x02, 0x00, 0x64, 0x00, 0x10, 0x00, 0x02, 0x01, 0x00, 0x00, 0x03}),
         Second(Concat(Concat({0x0B, 0x00, 0x00, 0x02, 0x00, 0x64}, VarRange(0x10, 2)), VarRange(0x100, 3)))},
        {"upload list whose count does not match", Second({0x0B, 0x01, 0x00, 0x02, 0x00, 0x64, 0x00, 0x10, 0x00, 0x02}),
         {}},
        {"upload piece past the image", Second({0x0B, 0x00, 0x00, 0x01, 0x00, 0x64, 0x1F, 0xFF, 0x00, 0x02}), {}},
    });
    EXPECT_FALSE(rig.sim->Session());
}

TEST_F(EcuSimSecondProtocol, BaudChangeAnswersAtTheOldSpeedThenListensAtTheNew)
{
    Expect(rig, {{"to 57600", Second({0x0A, 0x04}), Second({0x0A, 0x04, 0x06})}});
    EXPECT_EQ(rig.sim->ListeningBaud(), 57600);
    Expect(rig, {{"still at 9600", Second({0x07}), {}}});
    ASSERT_TRUE(rig.client.SetSpeed(57600));
    Expect(rig, {
        {"at 57600", Second({0x09, 0x01}), Second({0x09, 0x06})},
        {"back with code 1", Second({0x0A, 0x01}), Second({0x0A, 0x01, 0x06})},
    });
    EXPECT_EQ(rig.sim->ListeningBaud(), 9600);
    ASSERT_TRUE(rig.client.SetSpeed(9600));
    Expect(rig, {{"code 9 also means 9600", Second({0x0A, 0x09}), Second({0x0A, 0x09, 0x06})}});
    EXPECT_EQ(rig.sim->ListeningBaud(), 9600);
}

TEST_F(EcuSimSecondProtocol, AwkwardBytesCrossTheLineUnchanged)
{
    // Bytes a terminal might map, swallow or treat as flow control.
    const Bytes awkward{0x00, 0x0A, 0x0D, 0x11, 0x13, 0x7F, 0xFF, 0x0D, 0x0A, 0x03, 0x04, 0x1A};
    Bytes write = Concat({0x04, 0x01, 0x00, static_cast<std::uint8_t>(awkward.size())}, awkward);
    Expect(rig, {
        {"write them", Second(write), Second({0x04, 0x01, 0x00, 0x06, 0x00})},
        {"read them back", Second({0x03, 0x01, 0x00, static_cast<std::uint8_t>(awkward.size())}),
         Second(Concat({0x03, 0x01, 0x00}, awkward))},
    });
    EXPECT_EQ(rig.sim->ReadImage(Image::Parameters, 0x100, awkward.size()), awkward);
}
