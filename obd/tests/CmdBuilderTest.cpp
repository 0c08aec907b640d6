#include "obd/CmdBuilder.h"
#include "obd/ScantoolException.h"
#include "obd/tests/Frames.h"

#include <gtest/gtest.h>

using namespace obdvane;
using namespace obdvane::test;

namespace {

Bytes Built(const CmdBuilder& frame)
{
    return Bytes(frame.GetBuffer(), frame.GetBuffer() + frame.GetLength());
}

}  // namespace

TEST(CmdBuilder, WritesTheRequestsByteForByte)
{
    struct Case {
        const char* mnemonic;
        const char* data;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        // Empty data: no ETB between mnemonic and checksum.
        {"ID", "", Hex({0x02, 0x53, 0x54, 0x4C, 0x17, 0x30, 0x17, 0x49, 0x44, 0x44, 0x45, 0x03})},
        {"SP", "0100", Hex({0x02, 0x53, 0x54, 0x4C, 0x17, 0x30, 0x17, 0x53, 0x50, 0x17, 0x30, 0x31, 0x30, 0x30, 0x43, 0x43, 0x03})},
        // A checksum below 0x10 keeps its leading zero; letters are upper case.
        {"SP", "0CFF", Hex({0x02, 0x53, 0x54, 0x4C, 0x17, 0x30, 0x17, 0x53, 0x50, 0x17, 0x30, 0x43, 0x46, 0x46, 0x30, 0x41, 0x03})},
        {"EC", "", Hex({0x02, 0x53, 0x54, 0x4C, 0x17, 0x30, 0x17, 0x45, 0x43, 0x44, 0x39, 0x03})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Built(CmdBuilder(c.mnemonic, c.data)), c.expected) << c.mnemonic << c.data;
}

TEST(CmdBuilder, AnotherHeaderOfThreeCharactersIsTaken)
{
    CmdBuilder frame("ID", "");
    frame.Build("ID", "", "RPM");
    EXPECT_EQ(Built(frame), WholeFrame("ID", "", "RPM"));
}

TEST(CmdBuilder, RefusesWhatCannotBeAFrame)
{
    CmdBuilder frame("ID", "");
    for (const char* header : {"ST", "STLX", ""}) {
        try {
            frame.Build("ID", "", header);
            FAIL() << header;
        } catch (const CmdBuilderException& e) {
            EXPECT_EQ(e.GetMessage(), "Header length not valid.");
        }
    }
    EXPECT_EQ(Built(frame), WholeFrame("ID", "")) << "a refused build keeps the frame";

    const std::string fits(CmdBuilder::kCapacity - 7 - 3 - 2 - 1, '0');
    EXPECT_NO_THROW(frame.Build("SP", fits, "STL"));
    EXPECT_EQ(frame.GetLength(), CmdBuilder::kCapacity);
    EXPECT_THROW(frame.Build("SP", fits + "0", "STL"), CmdBuilderException);
}
