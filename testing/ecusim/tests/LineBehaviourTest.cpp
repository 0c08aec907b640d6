// What happens on the line around the frames: speeds, the K-line echo,
// injected faults, wire timing, unplugging, the COM link and scripts.
#include "testing/ecusim/EcuFrame.h"
#include "testing/ecusim/tests/SimFixture.h"
#include "testing/support/TempDir.h"

#include <thread>
#include <unistd.h>

using namespace vexar::ecusim;
using namespace vexar::ecusim::test;
using Kind = FrameRecord::Kind;

namespace {

std::size_t CountKind(const EcuSimulator& sim, Kind kind)
{
    const std::vector<FrameRecord> log = sim.FrameLog();
    return static_cast<std::size_t>(
        std::count_if(log.begin(), log.end(), [kind](const FrameRecord& r) { return r.kind == kind; }));
}

std::string LinkTarget(const std::string& link)
{
    char target[4096];
    const ssize_t length = readlink(link.c_str(), target, sizeof target);
    return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace

TEST(EcuSimLineSpeed, BytesAtAnotherSpeedAreIgnored)
{
    Rig rig{Options(Protocol::First)};
    const Bytes read = First({0x01, 0x10});
    ASSERT_TRUE(rig.client.SetSpeed(19200));
    EXPECT_TRUE(rig.client.Exchange(read, 1, 300ms).empty());
    ASSERT_TRUE(rig.client.SetSpeed(9600));
    EXPECT_EQ(rig.client.Exchange(read, 6), First({0x01, 0x10, 0x00}));

    const std::vector<FrameRecord> log = rig.sim->FrameLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].kind, Kind::Ignored);
    EXPECT_EQ(log[0].baud, 19200);
    EXPECT_EQ(log[0].bytes, read);
    EXPECT_EQ(log[1].kind, Kind::Request);
    EXPECT_EQ(log[2].kind, Kind::Reply);
    EXPECT_EQ(rig.sim->CountRequests(0x01), 1u);
}

TEST(EcuSimLineSpeed, HalfAFrameAtAnotherSpeedBreaksTheFrame)
{
    Rig rig{Options(Protocol::First)};
    const Bytes read = First({0x01, 0x10});
    ASSERT_TRUE(rig.client.Send(Bytes(read.begin(), read.begin() + 2)));
    // The speed changes only once the simulator has taken in the half.
    const auto limit = std::chrono::steady_clock::now() + 5s;
    while (rig.sim->BytesHeard() < 2 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(rig.sim->BytesHeard(), 2u);
    ASSERT_TRUE(rig.client.SetSpeed(19200));
    ASSERT_TRUE(rig.client.Send(Bytes(read.begin() + 2, read.end())));
    EXPECT_TRUE(rig.client.Silent(200ms));
    EXPECT_EQ(rig.sim->CountRequests(0x01), 0u);
    EXPECT_EQ(CountKind(*rig.sim, Kind::Noise), 1u);
}

TEST(EcuSimLineSpeed, NonStandardRatesAreHeard)
{
    SimulatorOptions options = Options(Protocol::First);
    options.baud = 12345;
    EcuSimulator sim(options);
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    PtyClient client;
    ASSERT_TRUE(client.Open(sim.SlavePath(), 9600));
    ASSERT_TRUE(client.SetOddSpeed(12345));
    EXPECT_EQ(client.Exchange(First({0x01, 0x00}), 6), First({0x01, 0x00, 0x00}));
    ASSERT_TRUE(client.SetOddSpeed(12346));
    EXPECT_TRUE(client.Exchange(First({0x01, 0x00}), 1, 200ms).empty());
}

TEST(EcuSimFraming, NoiseAndStaleHalfFramesAreSkipped)
{
    SimulatorOptions options = Options(Protocol::First);
    options.frameGap = 40ms;
    Rig rig{options};
    const Bytes read = First({0x01, 0x10});
    // A byte that cannot start a frame, straight before a good frame.
    EXPECT_EQ(rig.client.Exchange(Concat({0x02}, read), 6), First({0x01, 0x10, 0x00}));
    // Half a frame, then silence longer than the gap: the half is dropped.
    ASSERT_TRUE(rig.client.Send(Bytes(read.begin(), read.begin() + 3)));
    std::this_thread::sleep_for(120ms);
    EXPECT_EQ(rig.client.Exchange(read, 6), First({0x01, 0x10, 0x00}));
    EXPECT_EQ(CountKind(*rig.sim, Kind::Noise), 2u);
    EXPECT_EQ(rig.sim->CountRequests(0x01), 2u);
}

TEST(EcuSimKLine, EchoPrecedesTheReply)
{
    SimulatorOptions options = Options(Protocol::First);
    options.klineEcho = true;
    Rig rig{options};
    const Bytes read = {0x05, 0x01, 0x10, 0x10, 0x5D};
    EXPECT_EQ(rig.client.Exchange(read, 11), Concat(read, First({0x01, 0x10, 0x00})));

    rig.sim->InjectFault(0x01, {FaultKind::CorruptEcho});
    const Bytes got = rig.client.Exchange(read, 11);
    ASSERT_EQ(got.size(), 11u);
    int differences = 0;
    for (std::size_t i = 0; i < read.size(); ++i)
        differences += got[i] != read[i];
    EXPECT_EQ(differences, 1);
    EXPECT_EQ(Bytes(got.begin() + 5, got.end()), First({0x01, 0x10, 0x00})) << "the ECU still answers";

    // At the wrong speed the interface still echoes, but the ECU is silent.
    ASSERT_TRUE(rig.client.SetSpeed(19200));
    EXPECT_EQ(rig.client.Exchange(read, 6, 300ms), read);
}

TEST(EcuSimFaults, EachKindFalsifiesItsPartOfTheReply)
{
    struct Case {
        const char* what;
        Protocol protocol;
        Fault fault;
        Bytes request;
        Bytes reply;  // what must arrive instead of the good reply
        long baudAfter = 9600;
    };
    const Bytes readMain = Second({0x01, 0x00, 0x00, 0x10, 0x02, 0x00, 0x02});
    const Bytes writeMem = Second({0x04, 0x00, 0x10, 0x01, 0x77});
    const Bytes setBaud = Second({0x0A, 0x03});
    Bytes badCrc = First({0x01, 0x10, 0x00});
    badCrc[4] ^= 0xFF;
    Bytes truncated = Second({0x01, 0x00, 0x00, 0x10, 0x00, 0x00});
    truncated.pop_back();
    const Case cases[] = {
        {"no reply", Protocol::First, {FaultKind::NoReply}, First({0x01, 0x10}), {}},
        {"bad CRC", Protocol::First, {FaultKind::BadCrc}, First({0x01, 0x10}), badCrc},
        {"wrong command", Protocol::First, {FaultKind::WrongCommand}, First({0x01, 0x10}), First({0x00, 0x10, 0x00})},
        {"wrong index", Protocol::First, {FaultKind::WrongIndex}, First({0x01, 0x10}), First({0x01, 0x11, 0x00})},
        {"nak, first protocol", Protocol::First, {FaultKind::Nak, 5}, First({0x02, 0x10, 0x00, 0x77}), First({0x02, 0x15})},
        {"truncated", Protocol::Second, {FaultKind::TruncatedReply}, readMain, truncated},
        {"wrong block", Protocol::Second, {FaultKind::WrongBlock}, readMain, Second({0x01, 0x01, 0x00, 0x10, 0x00, 0x00})},
        {"wrong address", Protocol::Second, {FaultKind::WrongIndex}, readMain, Second({0x01, 0x00, 0x00, 0x11, 0x00, 0x00})},
        // The ECU took the change; only its echo is wrong.
        {"wrong speed code", Protocol::Second, {FaultKind::WrongSpeed}, setBaud, Second({0x0A, 0x02, 0x06}), 38400},
        {"nak ERR_CRC", Protocol::Second, {FaultKind::Nak, 5}, writeMem, Second({0x04, 0x00, 0x10, 0x15, 0x05})},
        {"nak ERR_LOST_DATA", Protocol::Second, {FaultKind::Nak, 6}, writeMem, Second({0x04, 0x00, 0x10, 0x15, 0x06})},
        {"nak ERR_TOO_MUCH_DATA", Protocol::Second, {FaultKind::Nak, 7}, writeMem, Second({0x04, 0x00, 0x10, 0x15, 0x07})},
        {"nak with code 0", Protocol::Second, {FaultKind::Nak, 0}, writeMem, Second({0x04, 0x00, 0x10, 0x15, 0x00})},
        {"nak of a baud change", Protocol::Second, {FaultKind::Nak, 0}, setBaud, Second({0x0A, 0x03, 0x15})},
        {"nak of a session", Protocol::Second, {FaultKind::Nak, 0}, Second({0x09, 0x01}), Second({0x09, 0x15})},
        {"no reply to a write", Protocol::Second, {FaultKind::NoReply}, writeMem, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig{Options(c.protocol, 0x100)};
        rig.sim->InjectFault(c.request[CommandOffset(c.protocol)], c.fault);
        EXPECT_EQ(rig.client.Exchange(c.request, std::max<std::size_t>(c.reply.size(), 1), 250ms), c.reply);
        EXPECT_TRUE(rig.client.Silent(30ms));
        // Refused or unheard requests change nothing.
        EXPECT_EQ(rig.sim->ReadImage(Image::Parameters, 0x10, 1), Bytes{0x00});
        EXPECT_FALSE(rig.sim->Session());
        EXPECT_EQ(rig.sim->ListeningBaud(), c.baudAfter);
    }
}

TEST(EcuSimFaults, OnceFaultsAreUsedUpInOrderAndAlwaysFaultsStay)
{
    Rig rig{Options(Protocol::First)};
    const Bytes read = First({0x01, 0x10});
    const Bytes good = First({0x01, 0x10, 0x00});
    rig.sim->InjectFault(0x01, {FaultKind::WrongIndex});
    rig.sim->InjectFault(0x01, {FaultKind::NoReply});
    rig.sim->InjectFault(0x07, {FaultKind::NoReply}, Repeat::Always);
    EXPECT_EQ(rig.client.Exchange(read, 6), First({0x01, 0x11, 0x00}));
    EXPECT_TRUE(rig.client.Exchange(read, 1, 200ms).empty());
    EXPECT_EQ(rig.client.Exchange(read, 6), good);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(rig.client.Exchange(First({0x07}), 1, 150ms).empty());
    EXPECT_EQ(rig.sim->CountRequests(0x07), 3u);
    EXPECT_EQ(rig.sim->CountRequests(0x01), 3u);

    rig.sim->ClearFaults();
    EXPECT_EQ(rig.client.Exchange(First({0x07}), 15).size(), 15u);

    // Requests are logged in order with rising times.
    const std::vector<FrameRecord> log = rig.sim->FrameLog();
    for (std::size_t i = 1; i < log.size(); ++i)
        EXPECT_LE(log[i - 1].first, log[i].first);
}

TEST(EcuSimFaults, LateReplyWaitsItsDelay)
{
    Rig rig{Options(Protocol::First)};
    rig.sim->InjectFault(0x07, {FaultKind::LateReply, 0, 250ms});
    const auto sent = SimClock::now();
    EXPECT_EQ(rig.client.Exchange(First({0x07}), 15, 1000ms).size(), 15u);
    EXPECT_GE(SimClock::now() - sent, 250ms);
}

TEST(EcuSimFaults, UnplugHangsUpAndReplugComesBackWithTheSameState)
{
    vexar::testing::TempDir folder;
    Rig rig{Options(Protocol::First)};
    std::string error;
    ASSERT_TRUE(rig.sim->PublishCom(folder.path(), 3, error)) << error;
    const std::string link = folder.file("COM3");
    EXPECT_EQ(LinkTarget(link), rig.sim->SlavePath());
    rig.sim->WriteImage(Image::Parameters, 0x10, Bytes{0x42});

    rig.sim->InjectFault(0x01, {FaultKind::Unplug});
    ASSERT_TRUE(rig.client.Send(First({0x01, 0x10})));
    EXPECT_TRUE(rig.client.HungUp());
    EXPECT_FALSE(rig.sim->IsPlugged());
    EXPECT_FALSE(vexar::testing::Exists(link));
    EXPECT_TRUE(rig.sim->SlavePath().empty());

    ASSERT_TRUE(rig.sim->Replug(error)) << error;
    EXPECT_EQ(LinkTarget(link), rig.sim->SlavePath());
    PtyClient again;
    ASSERT_TRUE(again.Open(link));
    EXPECT_EQ(again.Exchange(First({0x01, 0x10}), 6), First({0x01, 0x10, 0x42}));

    rig.sim->Stop();
    EXPECT_FALSE(vexar::testing::Exists(link)) << "Stop removes the COM link";
}

TEST(EcuSimComLink, ReplacesAStaleLinkAndRefusesAMissingFolder)
{
    vexar::testing::TempDir folder;
    ASSERT_EQ(symlink("/dev/null", folder.file("COM4").c_str()), 0);
    Rig rig{Options(Protocol::Second)};
    std::string error;
    ASSERT_TRUE(rig.sim->PublishCom(folder.path(), 4, error)) << error;
    EXPECT_EQ(LinkTarget(folder.file("COM4")), rig.sim->SlavePath());
    EXPECT_FALSE(rig.sim->PublishCom(folder.file("missing"), 5, error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    EXPECT_FALSE(rig.sim->PublishCom(folder.path(), 0, error));
    EXPECT_FALSE(rig.sim->PublishCom(folder.path(), 257, error));
}

TEST(EcuSimWireTiming, RepliesAreNotFasterThanTheLine)
{
    // 600 bytes' last block: an 11-byte request and a 264-byte reply at
    // 9600 baud take (11 + 264) × 10 / 9600 s, about 286 ms.
    SimulatorOptions options = Options(Protocol::Second);
    options.wireTiming = true;
    Rig rig{options};
    const Bytes request = Second({0x01, 0x00, 0x00, 0x00, 0x00, 0x02, 0x58});
    const auto sent = SimClock::now();
    const Bytes reply = rig.client.Exchange(request, 264, 2000ms);
    const auto done = SimClock::now();
    ASSERT_EQ(reply.size(), 264u);
    const auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / 9600);
    EXPECT_GE(done - sent, 275 * byteTime);

    const std::vector<FrameRecord> log = rig.sim->FrameLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_GE(log[1].first - log[0].first, 12 * byteTime) << "acts after the whole request, sends its first byte";
    EXPECT_GE(log[1].last - log[1].first, 263 * byteTime - std::chrono::microseconds(1));
}

TEST(EcuSimWireTiming, EchoIsPacedFromTheFirstByte)
{
    SimulatorOptions options = Options(Protocol::First);
    options.wireTiming = true;
    options.klineEcho = true;
    options.baud = 4800;
    Rig rig{options};
    const auto sent = SimClock::now();
    const Bytes got = rig.client.Exchange(First({0x07}), 4 + 15, 1000ms);
    ASSERT_EQ(got.size(), 19u);
    const auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / 4800);
    EXPECT_GE(SimClock::now() - sent, 19 * byteTime);
    const std::vector<FrameRecord> log = rig.sim->FrameLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1].kind, Kind::Echo);
    EXPECT_GE(log[1].first - log[0].first, byteTime);
    EXPECT_GE(log[2].first - log[1].last, byteTime);
}

TEST(EcuSimWireTiming, WithoutItTheWholeReplyIsDueAtOnce)
{
    Rig rig{Options(Protocol::Second)};
    EXPECT_EQ(rig.client.Exchange(Second({0x03, 0x00, 0x00, 0x00}), 263).size(), 263u);
    const std::vector<FrameRecord> log = rig.sim->FrameLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].first, log[1].last);
}

TEST(EcuSimVariableScript, StepsChangeTheVariablesOverTime)
{
    Rig rig{Options(Protocol::First)};
    VariableScript script;
    script.steps = {{0ms, 0x20, {0xAA, 0xAB}}, {40ms, 0x20, {0xBB}}};
    script.loop = 80ms;
    rig.sim->RunVariableScript(script);
    // The script runs on its own: the variable must be seen taking both
    // values again and again.
    std::vector<std::uint8_t> seen;
    const auto until = SimClock::now() + 2s;
    while (SimClock::now() < until && seen.size() < 4) {
        const Bytes value = rig.client.Exchange(First({0x05, 0x20, 0x01}), 6);
        ASSERT_EQ(value.size(), 6u);
        if (seen.empty() || seen.back() != value[3])
            seen.push_back(value[3]);
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(seen.size(), 4u);
    for (std::uint8_t value : seen)
        EXPECT_TRUE(value == 0xAA || value == 0xBB) << int(value);
    EXPECT_EQ(rig.sim->ReadImage(Image::Variables, 0x21, 1), Bytes{0xAB});
}

TEST(EcuSimImages, LoadFillAndBounds)
{
    vexar::testing::TempDir folder;
    SimulatorOptions options = Options(Protocol::First, 8);
    EcuSimulator sim(options);
    std::string error;

    sim.FillImage(Image::Parameters, 0x5A);
    vexar::testing::WriteAll(folder.file("short.bin"), std::string("\x01\x02\x03", 3));
    ASSERT_TRUE(sim.LoadImage(Image::Parameters, folder.file("short.bin"), error)) << error;
    EXPECT_EQ(sim.ReadImage(Image::Parameters, 0, 8), (Bytes{1, 2, 3, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A}));

    vexar::testing::WriteAll(folder.file("long.bin"), std::string(9, '\x07'));
    EXPECT_FALSE(sim.LoadImage(Image::Parameters, folder.file("long.bin"), error));
    EXPECT_FALSE(sim.LoadImage(Image::Variables, folder.file("none.bin"), error));
    EXPECT_EQ(sim.ReadImage(Image::Parameters, 0, 3), (Bytes{1, 2, 3})) << "a refused load changes nothing";

    EXPECT_FALSE(sim.WriteImage(Image::Variables, 7, Bytes{1, 2}));
    EXPECT_TRUE(sim.WriteImage(Image::Variables, 7, Bytes{9}));
    EXPECT_TRUE(sim.ReadImage(Image::Variables, 7, 2).empty());
    EXPECT_EQ(sim.ReadImage(Image::Variables, 7, 1), Bytes{9});
}
