#include "testing/obdsim/FaultTable.h"

#include <gtest/gtest.h>

using namespace vexar::obdsim;

namespace {

std::vector<FaultKind> Kinds(const std::vector<Fault>& faults)
{
    std::vector<FaultKind> kinds;
    for (const Fault& f : faults)
        kinds.push_back(f.kind);
    return kinds;
}

}  // namespace

TEST(ObdFaultTable, OnceFaultsAreMetInArmingOrderAlwaysFaultsStay)
{
    FaultTable table;
    table.Arm("SP010C", {FaultKind::Nak}, Repeat::Once);
    table.Arm("SP", {FaultKind::Junk}, Repeat::Always);
    table.Arm("SP01", {FaultKind::NoReply}, Repeat::Once);
    table.Arm("*", {FaultKind::LateReply, std::chrono::milliseconds(5)}, Repeat::Once);

    EXPECT_EQ(Kinds(table.Take("ID", "")), (std::vector<FaultKind>{FaultKind::LateReply}));
    EXPECT_EQ(Kinds(table.Take("SP", "010D")), (std::vector<FaultKind>{FaultKind::Junk, FaultKind::NoReply}));
    EXPECT_EQ(Kinds(table.Take("SP", "010C")), (std::vector<FaultKind>{FaultKind::Nak, FaultKind::Junk}));
    EXPECT_EQ(Kinds(table.Take("SP", "010C")), (std::vector<FaultKind>{FaultKind::Junk}));
    EXPECT_TRUE(table.Take("EC", "").empty());
    table.Clear();
    EXPECT_TRUE(table.Take("SP", "0100").empty());
}

TEST(ObdFaultTable, CommandLineForms)
{
    std::string selector;
    Fault fault;
    Repeat repeat = Repeat::Once;
    std::string error;
    ASSERT_TRUE(ParseFault("EC:late:700:always", selector, fault, repeat, error)) << error;
    EXPECT_EQ(selector, "EC");
    EXPECT_EQ(fault.kind, FaultKind::LateReply);
    EXPECT_EQ(fault.delay, std::chrono::milliseconds(700));
    EXPECT_EQ(repeat, Repeat::Always);
    ASSERT_TRUE(ParseFault("SP010C:endless", selector, fault, repeat, error)) << error;
    EXPECT_EQ(fault.kind, FaultKind::Endless);
    EXPECT_EQ(repeat, Repeat::Once);
    ASSERT_TRUE(ParseFault("SP0100:reversed:always", selector, fault, repeat, error)) << error;
    EXPECT_EQ(fault.kind, FaultKind::Reversed);

    for (const char* bad : {"ID", ":nak", "ID:bogus", "ID:late", "ID:late:x", "ID:nak:5", "ID:late:1234567"}) {
        EXPECT_FALSE(ParseFault(bad, selector, fault, repeat, error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos) << error;
    }
}
