// The simulated adapter on its terminal: exchanges, the wake-up handshake,
// every fault on the wire, the frame log and the COM link.
#include "testing/obdsim/ObdSimulator.h"
#include "testing/obdsim/tests/AdapterClient.h"
#include "testing/support/TempDir.h"

#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

using namespace vexar::obdsim;
using namespace vexar::obdsim::test;
using Kind = FrameRecord::Kind;

namespace {

// A running simulator with a client on its line.
struct Rig {
    std::unique_ptr<ObdSimulator> sim;
    AdapterClient client;

    explicit Rig(SimulatorOptions options = {})
        : sim(std::make_unique<ObdSimulator>(std::move(options)))
    {
        std::string error;
        EXPECT_TRUE(sim->Start(error)) << error;
        EXPECT_TRUE(client.Open(sim->SlavePath()));
    }
};

std::vector<Kind> Kinds(const ObdSimulator& sim)
{
    std::vector<Kind> kinds;
    for (const FrameRecord& r : sim.FrameLog())
        kinds.push_back(r.kind);
    return kinds;
}

}  // namespace

TEST(ObdSimulator, AnswersRequestsAndLogsBothFrames)
{
    Rig rig;
    EXPECT_EQ(rig.client.Exchange({"STL", "0", "SP", "010C"}), ReplyFrame("SP", "10410C1AF8"));
    EXPECT_EQ(rig.client.Exchange({"STL", "0", "EC", ""}), ReplyFrame("EC", "3"));
    const std::vector<FrameRecord> log = rig.sim->FrameLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].kind, Kind::Request);
    EXPECT_EQ(log[0].bytes, Request("SP", "010C"));
    EXPECT_EQ(log[1].kind, Kind::Reply);
    EXPECT_EQ(log[1].bytes, ReplyFrame("SP", "10410C1AF8"));
    EXPECT_EQ(rig.sim->CountRequests("EC"), 1u);
    EXPECT_EQ(rig.sim->CountRequests("SP"), 1u);
}

TEST(ObdSimulator, RequestsInPiecesAndAmongNoiseAreHeard)
{
    Rig rig;
    const Bytes request = Request("ID");
    ASSERT_TRUE(rig.client.Send({0x55, 0x03}));
    ASSERT_TRUE(rig.client.Send(Bytes(request.begin(), request.begin() + 5)));
    ASSERT_TRUE(rig.sim->WaitForRecords(Kind::Noise, 1, 1000ms));
    ASSERT_TRUE(rig.client.Send(Bytes(request.begin() + 5, request.end())));
    EXPECT_EQ(rig.client.ReceiveFrame(), ReplyFrame("ID", Fields("OBDSIM|1.0|VIRTUAL|0001|PTY|SIM")));
    EXPECT_EQ(rig.sim->FrameLog()[0].bytes, (Bytes{0x55, 0x03}));

    // A frame broken off by a new STX is noise; the new one is answered.
    Bytes broken(request.begin(), request.begin() + 6);
    broken.insert(broken.end(), request.begin(), request.end());
    ASSERT_TRUE(rig.client.Send(broken));
    EXPECT_EQ(rig.client.ReceiveFrame(), ReplyFrame("ID", Fields("OBDSIM|1.0|VIRTUAL|0001|PTY|SIM")));
    EXPECT_EQ(rig.sim->CountRecords(Kind::Noise), 2u);
}

TEST(ObdSimulator, RequestsThatDoNotVerifyAreNotAnswered)
{
    Rig rig;
    Bytes request = Request("ID");
    request[request.size() - 2] ^= 0x01;
    ASSERT_TRUE(rig.client.Send(request));
    EXPECT_TRUE(rig.client.Silent());
    const std::vector<FrameRecord> log = rig.sim->FrameLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_FALSE(log[0].checksumOk);
    EXPECT_EQ(rig.sim->CountRequests("ID"), 0u);

    // Half a request followed by silence is given up.
    ASSERT_TRUE(rig.client.Send(Bytes(request.begin(), request.begin() + 4)));
    ASSERT_TRUE(rig.sim->WaitForRecords(Kind::Noise, 1, 1000ms));
}

TEST(ObdSimulator, TheFlushAtTheEndOfTheWakeUpPulseIsAnswered)
{
    Rig rig;
    ASSERT_TRUE(rig.client.Flush());
    EXPECT_EQ(rig.client.Receive(1), (Bytes{kAnnounce}));
    ASSERT_TRUE(rig.client.Send({kAcknowledge}));
    ASSERT_TRUE(rig.sim->WaitForRecords(Kind::Acknowledge, 1, 1000ms));
    EXPECT_EQ(Kinds(*rig.sim), (std::vector<Kind>{Kind::WakeUp, Kind::Announce, Kind::Acknowledge}));
}

TEST(ObdSimulator, WakeUpAnswersOfOtherAdapters)
{
    const std::vector<Bytes> answers = {{kAnnounceOldFirmware}, {0x55, kAnnounce}, {0x11, 0x22, 0x33}};
    for (const Bytes& answer : answers) {
        Rig rig;
        rig.sim->SetWakeAnswer(answer);
        ASSERT_TRUE(rig.client.Flush());
        EXPECT_EQ(rig.client.Receive(answer.size()), answer);
    }
    Rig silent;
    silent.sim->SetWakeAnswer({});
    ASSERT_TRUE(silent.client.Flush());
    EXPECT_TRUE(silent.client.Silent());
    EXPECT_EQ(Kinds(*silent.sim), (std::vector<Kind>{Kind::WakeUp}));
}

TEST(ObdSimulator, FaultsChangeTheReplyOnTheWire)
{
    const Bytes good = ReplyFrame("ID", Fields("OBDSIM|1.0|VIRTUAL|0001|PTY|SIM"));
    Bytes badChecksum = good;
    badChecksum[badChecksum.size() - 2] = badChecksum[badChecksum.size() - 2] == '0' ? '1' : '0';
    Bytes junk = {0x55, 0xAA, 0x3F, 0x00, 0x7E};
    junk.insert(junk.end(), good.begin(), good.end());
    const Bytes truncated(good.begin(), good.end() - 3);
    const std::string nak(1, static_cast<char>(kNak));
    std::string error;

    Rig rig;
    rig.sim->InjectFault("ID", {FaultKind::BadChecksum});
    rig.sim->InjectFault("ID", {FaultKind::Junk});
    rig.sim->InjectFault("ID", {FaultKind::Nak});
    rig.sim->InjectFault("ID", {FaultKind::WrongType});
    EXPECT_EQ(rig.client.Exchange({"STL", "0", "ID", ""}), badChecksum);
    EXPECT_EQ(rig.client.Exchange({"STL", "0", "ID", ""}), junk);
    EXPECT_EQ(rig.client.Exchange({"STL", "0", "ID", ""}), ReplyFrame("ID", nak));
    EXPECT_EQ(rig.client.Exchange({"STL", "0", "ID", ""}), ReplyFrame("XX", Fields("OBDSIM|1.0|VIRTUAL|0001|PTY|SIM")));
    EXPECT_EQ(rig.client.Exchange({"STL", "0", "ID", ""}), good) << "faults armed once are used up";

    SimulatorOptions twoEcus;
    ASSERT_TRUE(ParseScenario("ecu 10\npid 0C 1A F8\necu 18\npid 0C 0B B8\n", twoEcus.scenario, error)) << error;
    Rig pair(twoEcus);
    pair.sim->InjectFault("SP010C", {FaultKind::Reversed});
    EXPECT_EQ(pair.client.Exchange({"STL", "0", "SP", "010C"}), ReplyFrame("SP", Fields("18410C0BB8|10410C1AF8")));
    EXPECT_EQ(pair.client.Exchange({"STL", "0", "SP", "010C"}), ReplyFrame("SP", Fields("10410C1AF8|18410C0BB8")));

    rig.sim->InjectFault("ID", {FaultKind::Truncated});
    ASSERT_TRUE(rig.client.Send(Request("ID")));
    EXPECT_EQ(rig.client.Receive(truncated.size() + 1, 300ms), truncated);

    rig.sim->InjectFault("*", {FaultKind::NoReply}, Repeat::Always);
    ASSERT_TRUE(rig.client.Send(Request("SP", "010C")));
    EXPECT_TRUE(rig.client.Silent(300ms));
    rig.sim->ClearFaults();
    EXPECT_EQ(rig.client.Exchange({"STL", "0", "SP", "010C"}), ReplyFrame("SP", "10410C1AF8"));
}

TEST(ObdSimulator, LateRepliesAndTheProtocolSearchTakeTheirTime)
{
    SimulatorOptions options;
    options.scenario.searchDelay = 300ms;
    Rig rig(options);
    rig.sim->InjectFault("ID", {FaultKind::LateReply, 200ms});
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(rig.client.Send(Request("ID")));
    EXPECT_TRUE(rig.client.Silent(150ms));
    EXPECT_FALSE(rig.client.ReceiveFrame().empty());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
    ASSERT_TRUE(rig.client.Send(Request("EC")));
    EXPECT_TRUE(rig.client.Silent(250ms));
    EXPECT_EQ(rig.client.ReceiveFrame(), ReplyFrame("EC", "3"));
}

TEST(ObdSimulator, AnEndlessFrameStreamsUntilTheNextRequest)
{
    SimulatorOptions options;
    options.streamRate = 50000;
    Rig rig(options);
    rig.sim->InjectFault("SP", {FaultKind::Endless});
    ASSERT_TRUE(rig.client.Send(Request("SP", "010C")));
    const Bytes stream = rig.client.Receive(3000, 2000ms);
    ASSERT_EQ(stream.size(), 3000u);
    const Bytes head = {0x02, 'S', 'T', 'L', 0x17, '0', 0x17, 'S', 'P', 0x17, '0', '1', '2'};
    EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 13), head);
    EXPECT_EQ(std::count(stream.begin(), stream.end(), kEtx), 0);
    EXPECT_EQ(std::count(stream.begin(), stream.end(), kStx), 1);

    ASSERT_TRUE(rig.client.Send(Request("SP", "010D")));
    // What was already under way drains; then the reply comes and no more.
    Bytes after = rig.client.ReceiveFrame(2000ms);
    const Bytes reply = ReplyFrame("SP", "10410D32");
    ASSERT_GE(after.size(), reply.size());
    EXPECT_EQ(Bytes(after.end() - static_cast<std::ptrdiff_t>(reply.size()), after.end()), reply);
    EXPECT_TRUE(rig.client.Silent());
}

TEST(ObdSimulator, PublishesItsComLinkUntilStopped)
{
    vexar::testing::TempDir folder;
    ObdSimulator sim;
    std::string error;
    EXPECT_FALSE(sim.PublishCom(folder.path(), 4, error)) << "not running yet";
    ASSERT_TRUE(sim.Start(error)) << error;
    EXPECT_FALSE(sim.PublishCom(folder.path(), 0, error));
    ASSERT_TRUE(sim.PublishCom(folder.path(), 4, error)) << error;
    char target[256] = {};
    ASSERT_GT(readlink(folder.file("COM4").c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), sim.SlavePath());
    AdapterClient client;
    ASSERT_TRUE(client.Open(folder.file("COM4")));
    EXPECT_EQ(client.Exchange({"STL", "0", "SP", "010D"}), ReplyFrame("SP", "10410D32"));
    sim.Stop();
    EXPECT_FALSE(vexar::testing::Exists(folder.file("COM4")));
}
