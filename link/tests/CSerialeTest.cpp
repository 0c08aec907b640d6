// The first ECU protocol against the simulated ECU on a real
// pseudo-terminal: every command, the retry rules with each fault the ECU
// can show, the K-line echo, the relay's raw transaction, the session log
// and the trace lines.
#include "link/CSeriale.h"

#include "EcuTestRig.h"
#include "link/EcuCrc16.h"
#include "link/EcuExchange.h"
#include "link/SerialPort.h"

#include <chrono>
#include <functional>
#include <memory>
#include <gtest/gtest.h>

using namespace vexar::link;
using namespace vexar::linktest;
using vexar::ecusim::Fault;
using vexar::ecusim::FaultKind;
using vexar::ecusim::Image;
using vexar::ecusim::Repeat;
using namespace std::chrono_literals;

namespace {

const std::u16string kTimeoutText = u"Expire Time Out nella comunicazione.";

vexar::ecusim::SimulatorOptions FirstProtocol(bool kLine = false)
{
    vexar::ecusim::SimulatorOptions options;
    options.protocol = vexar::ecusim::Protocol::First;
    options.klineEcho = kLine;
    options.ident = "GASECU-0107";
    return options;
}

// A linked first-protocol object on the simulator, with 256-byte images.
class CSerialeTest : public ::testing::Test {
protected:
    explicit CSerialeTest(bool kLine = false, ProtocolTiming timing = kQuickTiming)
        : rig(FirstProtocol(kLine)), serial(u"InfoSeriale", &host, timing)
    {
        host.kLine = kLine;
        rig.sim().WriteImage(Image::Parameters, 0, Pattern(256, 1));
        rig.sim().WriteImage(Image::Variables, 0, Pattern(256, 2));
        EXPECT_EQ(serial.OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512), 0);
        serial.SetMainImage(main);
        serial.SetAuxImage(aux);
    }
    ~CSerialeTest() override { serial.ClosePort(0); }

    std::vector<std::u16string> Log() const { return LogEntries(rig.LogPath("InfoSeriale")); }

    EcuRig rig;
    TestHost host;
    CSeriale serial;
    Bytes main = Bytes(256);
    Bytes aux = Bytes(256);
};

class CSerialeKLineTest : public CSerialeTest {
protected:
    CSerialeKLineTest() : CSerialeTest(true) {}
};

}  // namespace

TEST(EcuCrc16Test, KnownAnswers)
{
    struct Case {
        Bytes bytes;
        std::uint16_t crc;
    };
    const Case cases[] = {
        {{}, 0x0000},
        {{0x05, 0x01, 0x10}, 0x5D10},        // read byte 0x10: stored as 10 5D
        {{0x06, 0x01, 0x10, 0x3C}, 0x995C},  // its reply: stored as 5C 99
        {{'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0xBB3D},  // the check value of this CRC
        {{0xFF, 0x00, 0x7F, 0x80}, 0x8411},
    };
    const EcuCrc16 crc;
    for (const Case& c : cases)
        EXPECT_EQ(crc.Compute(c.bytes), c.crc) << ::testing::PrintToString(c.bytes);
}

TEST_F(CSerialeTest, Crc16ExchangesItsBytesAndCountsModulo256)
{
    Bytes frame(300, 0);
    frame[0] = 0x05;
    frame[1] = 0x01;
    frame[2] = 0x10;
    EXPECT_EQ(serial.Crc16(frame.data(), 3), 0x105D);
    EXPECT_EQ(serial.Crc16(frame.data(), 259), 0x105D);
}

TEST_F(CSerialeTest, EveryCommandReachesTheEcu)
{
    vexar::ecusim::EcuSimulator& sim = rig.sim();
    EXPECT_EQ(serial.Session(1), RES_OK);
    EXPECT_TRUE(sim.Session());

    std::array<std::uint8_t, 11> ident{};
    EXPECT_EQ(serial.ReadIdent(ident), RES_OK);
    EXPECT_EQ(std::string(ident.begin(), ident.end()), "GASECU-0107");

    sim.WriteImage(Image::Parameters, 0x10, Bytes{0x3C});
    EXPECT_EQ(serial.ReadByte(0x10), RES_OK);
    EXPECT_EQ(main[0x10], 0x3C);

    main[0x20] = 0xA5;
    EXPECT_EQ(serial.WriteByte(0x20), RES_OK);
    EXPECT_EQ(sim.ReadImage(Image::Parameters, 0x20, 1), Bytes{0xA5});

    EXPECT_EQ(serial.ReadAuxBlock(0x30, 11), RES_OK);
    EXPECT_EQ(Bytes(aux.begin() + 0x30, aux.begin() + 0x3B), sim.ReadImage(Image::Variables, 0x30, 11));
    EXPECT_EQ(aux[0x2F], 0);
    EXPECT_EQ(aux[0x3B], 0);

    // Keep the high half of the ECU's byte, take the low half from the value.
    sim.WriteImage(Image::Variables, 0x40, Bytes{0x5A});
    EXPECT_EQ(serial.MaskedWriteAuxByte(0x40, 0xF0, 0xC3), RES_OK);
    EXPECT_EQ(sim.ReadImage(Image::Variables, 0x40, 1), Bytes{0x53});

    EXPECT_EQ(serial.ResetEcu(), RES_OK);
    EXPECT_FALSE(sim.Session());
    EXPECT_EQ(serial.Session(1), RES_OK);
    EXPECT_EQ(serial.Session(0), RES_OK);
    EXPECT_FALSE(sim.Session());

    // The frames on the wire, byte for byte.
    const std::vector<Bytes> sent = rig.Requests();
    ASSERT_EQ(sent.size(), 9u);
    EXPECT_EQ(sent[0], (Bytes{0x05, 0x09, 0x01, sent[0][3], sent[0][4]}));
    EXPECT_EQ(sent[1].size(), 4u);
    EXPECT_EQ(sent[2], (Bytes{0x05, 0x01, 0x10, 0x10, 0x5D}));
    EXPECT_EQ(Bytes(sent[3].begin(), sent[3].end() - 2), (Bytes{0x07, 0x02, 0x20, 0x00, 0xA5}));
    EXPECT_EQ(Bytes(sent[4].begin(), sent[4].end() - 2), (Bytes{0x06, 0x05, 0x30, 0x0B}));
    EXPECT_EQ(Bytes(sent[5].begin(), sent[5].end() - 2), (Bytes{0x07, 0x06, 0x40, 0xF0, 0xC3}));
    EXPECT_EQ(Bytes(sent[6].begin(), sent[6].end() - 2), (Bytes{0x04, 0x08}));
    EXPECT_EQ(rig.Replies()[2], (Bytes{0x06, 0x01, 0x10, 0x3C, 0x5C, 0x99}));
    EXPECT_TRUE(Log().empty());
}

// Each fault the ECU can show, with the result, the number of requests it
// costs and the log entries it leaves.
TEST(CSerialeFaults, GiveTheirResultsAfterTheirAttempts)
{
    struct Case {
        const char* what;
        std::uint8_t command;
        std::vector<std::pair<Fault, Repeat>> faults;
        std::function<int(CSeriale&)> call;
        int result;
        std::size_t requests;
        std::vector<std::u16string> log;
    };
    auto readByte = [](CSeriale& s) { return s.ReadByte(0x10); };
    const Fault noReply{FaultKind::NoReply};
    const std::vector<Case> cases = {
        {"one lost reply is retried", 1, {{noReply, Repeat::Once}}, readByte, RES_OK, 2, {}},
        {"a silent ECU", 1, {{noReply, Repeat::Always}}, readByte, RES_TIMEOUT, 5, {kTimeoutText}},
        {"one truncated reply is retried", 1, {{{FaultKind::TruncatedReply}, Repeat::Once}}, readByte, RES_OK, 2, {}},
        {"replies always truncated", 1, {{{FaultKind::TruncatedReply}, Repeat::Always}}, readByte, RES_TIMEOUT, 5,
         {kTimeoutText}},
        {"a bad CRC ends at once", 1, {{{FaultKind::BadCrc}, Repeat::Once}}, readByte, RES_BAD_CRC, 1,
         {u"Errore nel calcolo del CRC ricevuto."}},
        {"one wrong command code is retried", 1, {{{FaultKind::WrongCommand}, Repeat::Once}}, readByte, RES_OK, 2, {}},
        {"command codes always wrong", 1, {{{FaultKind::WrongCommand}, Repeat::Always}}, readByte, RES_TIMEOUT, 5,
         {kTimeoutText}},
        {"a wrong index ends at once", 1, {{{FaultKind::WrongIndex}, Repeat::Once}}, readByte, RES_NO_ECHO_INDEX, 1,
         {u"Errore nella ricezione dell'ECO Index."}},
        {"a wrong index of a variable block", 5, {{{FaultKind::WrongIndex}, Repeat::Once}},
         [](CSeriale& s) { return s.ReadAuxBlock(0x20, 4); }, RES_NO_ECHO_INDEX, 1,
         {u"Errore nella ricezione dell'ECO Index."}},
        {"a refused byte write", 2, {{{FaultKind::Nak}, Repeat::Once}}, [](CSeriale& s) { return s.WriteByte(3); },
         RES_NO_ACK, 1, {u"Errore nella ricezione dell'ACK."}},
        {"a refused masked write", 6, {{{FaultKind::Nak}, Repeat::Once}},
         [](CSeriale& s) { return s.MaskedWriteAuxByte(3, 0, 1); }, RES_NO_ACK, 1,
         {u"Errore nella ricezione dell'ACK."}},
        {"a refused session", 9, {{{FaultKind::Nak}, Repeat::Once}}, [](CSeriale& s) { return s.Session(1); },
         RES_NO_ACK, 1, {u"Errore nella ricezione dell'ACK."}},
        {"a refused reset", 8, {{{FaultKind::Nak}, Repeat::Once}}, [](CSeriale& s) { return s.ResetEcu(); },
         RES_NO_ACK, 1, {u"Errore nella ricezione dell'ACK."}},
        {"a late reply within the wait", 1, {{{FaultKind::LateReply, 0, 60ms}, Repeat::Once}}, readByte, RES_OK, 1, {}},
        {"a reply later than the wait is retried", 1, {{{FaultKind::LateReply, 0, 350ms}, Repeat::Once}}, readByte,
         RES_OK, 2, {}},
        {"the ECU is unplugged", 7, {{{FaultKind::Unplug}, Repeat::Once}},
         [](CSeriale& s) {
             std::array<std::uint8_t, 11> ident{};
             return s.ReadIdent(ident);
         },
         RES_TIMEOUT, 1, {kTimeoutText}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EcuRig rigOfCase(FirstProtocol());
        rigOfCase.sim().WriteImage(Image::Parameters, 0, Pattern(256, 1));
        CSeriale s(u"InfoSerialeCase", nullptr, kQuickTiming);
        Bytes par(256), var(256);
        s.SetMainImage(par);
        s.SetAuxImage(var);
        ASSERT_EQ(s.OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512), 0);
        for (const auto& [fault, repeat] : c.faults)
            rigOfCase.sim().InjectFault(c.command, fault, repeat);

        EXPECT_EQ(c.call(s), c.result);
        EXPECT_EQ(rigOfCase.sim().CountRequests(c.command), c.requests);
        EXPECT_EQ(LogEntries(rigOfCase.LogPath("InfoSerialeCase")), c.log);
        if (c.command == 1) {  // the byte is stored only from a good reply
            EXPECT_EQ(par[0x10], c.result == RES_OK ? Pattern(256, 1)[0x10] : 0);
        }
        s.ClosePort(0);
    }
}

// The one test that waits the whole give-up time of the system's timing.
TEST(CSerialeSilentEcu, GivesUpAfterFiveAttemptsOfTheSystemsTiming)
{
    EcuRig rig(FirstProtocol());
    CSeriale serial(u"InfoSeriale");
    ASSERT_EQ(serial.OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512), 0);
    rig.sim().InjectFault(9, {FaultKind::NoReply}, Repeat::Always);

    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(serial.Session(1), RES_TIMEOUT);
    const auto elapsed = std::chrono::steady_clock::now() - begin;

    // Five reads of 0.5 s (and the frames' few milliseconds on the line),
    // each followed by a pause of 200 ms.
    EXPECT_GE(elapsed, 3500ms);
    EXPECT_LT(elapsed, 4500ms);
    EXPECT_EQ(rig.sim().CountRequests(9), 5u);
    EXPECT_EQ(LogEntries(rig.LogPath("InfoSeriale")), std::vector<std::u16string>{kTimeoutText});
    serial.ClosePort(0);
}

TEST_F(CSerialeKLineTest, ReadsItsOwnEchoBeforeEveryReply)
{
    EXPECT_EQ(serial.Session(1), RES_OK);
    EXPECT_EQ(serial.ReadByte(0x44), RES_OK);
    EXPECT_EQ(main[0x44], Pattern(256, 1)[0x44]);
    EXPECT_EQ(serial.ReadAuxBlock(0, 11), RES_OK);
    const Bytes variables = Pattern(256, 2);
    EXPECT_EQ(Bytes(aux.begin(), aux.begin() + 11), Bytes(variables.begin(), variables.begin() + 11));
    EXPECT_EQ(rig.Requests().size(), 3u);
}

TEST_F(CSerialeKLineTest, OneGarbledEchoCostsOneAttemptOnly)
{
    rig.sim().InjectFault(1, {FaultKind::CorruptEcho}, Repeat::Once);
    EXPECT_EQ(serial.ReadByte(0x44), RES_OK);
    EXPECT_EQ(main[0x44], Pattern(256, 1)[0x44]);
    EXPECT_EQ(rig.sim().CountRequests(1), 2u);
    EXPECT_TRUE(Log().empty());

    rig.sim().InjectFault(1, {FaultKind::CorruptEcho}, Repeat::Always);
    EXPECT_EQ(serial.ReadByte(0x45), RES_TIMEOUT);
    EXPECT_EQ(rig.sim().CountRequests(1), 7u);
    EXPECT_EQ(main[0x45], 0);
}

TEST_F(CSerialeKLineTest, RawTransactionReadsTheEchoThenTheReply)
{
    rig.sim().WriteImage(Image::Parameters, 0x10, Bytes{0x3C});
    const Bytes frame{0x05, 0x01, 0x10, 0x10, 0x5D};
    Bytes reply(512);
    int expected = -1;
    EXPECT_EQ(serial.TransactRaw(frame, reply, expected), RES_OK);
    EXPECT_EQ(expected, 6);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 6), (Bytes{0x06, 0x01, 0x10, 0x3C, 0x5C, 0x99}));
    // The relayed frame is sent as it is, and only once.
    EXPECT_EQ(rig.Requests(), std::vector<Bytes>{frame});
}

// The reply length the relay waits for follows from the frame's command.
TEST_F(CSerialeTest, RawTransactionWaitsForTheReplyItsCommandCallsFor)
{
    struct Case {
        const char* what;
        Bytes frame;
        int expected;
        int result;
    };
    const std::vector<Case> cases = {
        {"read byte", FirstFrame(1, {0x22}), 6, RES_OK},
        {"read variable block", FirstFrame(5, {0x10, 0x07}), 12, RES_OK},
        {"identification", FirstFrame(7, {}), 15, RES_OK},
        {"write byte", FirstFrame(2, {0x05, 0x00, 0x99}), 5, RES_OK},
        {"masked variable write", FirstFrame(6, {0x05, 0x0F, 0x99}), 5, RES_OK},
        {"session", FirstFrame(9, {0x01}), 5, RES_OK},
        {"an unknown command 13 has no reply", FirstFrame(13, {}), 0, RES_TIMEOUT},
        {"a command byte 0x80 has no reply", FirstFrame(0x80, {}), 0, RES_TIMEOUT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rig.sim().ClearFrameLog();
        Bytes reply(512);
        int expected = -1;
        EXPECT_EQ(serial.TransactRaw(c.frame, reply, expected), c.result);
        EXPECT_EQ(expected, c.expected);
        const std::vector<Bytes> replies = rig.Replies();
        if (c.result == RES_OK) {
            ASSERT_EQ(replies.size(), 1u);
            EXPECT_EQ(Bytes(reply.begin(), reply.begin() + c.expected), replies[0]);
        }
    }
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 5, 1), Bytes{0x99});
    EXPECT_TRUE(Log().empty()) << "the relay reports to the master, not to the log";
}

// Images seeded with bytes a tty could eat or change cross the line as
// they are, both ways.
TEST_F(CSerialeTest, AwkwardBytesCrossTheLineUnchanged)
{
    const Bytes awkward = AwkwardBytes(256);
    rig.sim().WriteImage(Image::Parameters, 0, awkward);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(serial.ReadByte(static_cast<std::uint8_t>(i)), RES_OK) << i;
    EXPECT_EQ(main, awkward);

    rig.sim().FillImage(Image::Parameters, 0x55);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(serial.WriteByte(static_cast<std::uint8_t>(i)), RES_OK) << i;
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 0, 256), awkward);

    rig.sim().WriteImage(Image::Variables, 0, awkward);
    EXPECT_EQ(serial.ReadAuxBlock(7, 200), RES_OK);
    EXPECT_EQ(Bytes(aux.begin() + 7, aux.begin() + 207), Bytes(awkward.begin() + 7, awkward.begin() + 207));
}

// A range that would reach outside the images is refused before anything
// is sent.
TEST_F(CSerialeTest, RangesOutsideTheImagesAreRefused)
{
    const std::u16string text = u"Intervallo di indirizzi fuori dall'area di memoria.";
    Bytes smallMain(16), smallAux(16);
    serial.SetMainImage(smallMain);
    serial.SetAuxImage(smallAux);
    EXPECT_EQ(serial.ReadByte(16), RES_BAD_RANGE);
    EXPECT_EQ(serial.WriteByte(200), RES_BAD_RANGE);
    EXPECT_EQ(serial.ReadAuxBlock(10, 7), RES_BAD_RANGE);
    serial.SetAuxImage(aux);
    EXPECT_EQ(serial.ReadAuxBlock(250, 10), RES_BAD_RANGE);
    EXPECT_EQ(serial.ReadAuxBlock(0, 251), RES_BAD_RANGE) << "the reply would not fit a one-byte length";
    serial.SetMainImage({});
    EXPECT_EQ(serial.ReadByte(0), RES_BAD_RANGE) << "no image set";

    EXPECT_TRUE(rig.Requests().empty());
    EXPECT_EQ(Log(), std::vector<std::u16string>(6, text));

    // The largest block that fits.
    serial.SetAuxImage(aux);
    EXPECT_EQ(serial.ReadAuxBlock(6, 250), RES_OK);
    const Bytes variables = Pattern(256, 2);
    EXPECT_EQ(Bytes(aux.begin() + 6, aux.end()), Bytes(variables.begin() + 6, variables.end()));
}

TEST(CSerialeOpen, AFailedOpenIsLoggedAndLeavesNoPort)
{
    EcuRig rig(FirstProtocol());
    CSeriale serial(u"InfoSeriale", nullptr, kQuickTiming);
    EXPECT_EQ(serial.OpenPort(9, u"\\\\.\\COM9", 9600, 0, 8, 1, 512, 512), PORT_NOT_FOUND);
    EXPECT_EQ(serial.GetPort(), 0);
    EXPECT_EQ(LogEntries(rig.LogPath("InfoSeriale")),
              std::vector<std::u16string>{u"Impossibile aprire la porta seriale \\\\.\\COM9\nCodice errore : -6"});

    // Commands on no port fail after their attempts, without a crash.
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(serial.Session(1), RES_TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 1s);
    EXPECT_EQ(serial.ClosePort(9), PORT_BAD_NUMBER);
}

// A protocol object holds one port: opening again closes the one it holds,
// and the port goes with the object, so the process can open it again. A
// port the object has closed is not closed a second time at its end, when
// another owner may hold that number by then.
TEST(CSerialeOpen, APortGoesWithItsObjectAndIsClosedOnlyOnce)
{
    EcuRig rig(FirstProtocol());
    {
        CSeriale serial(u"InfoSeriale", nullptr, kQuickTiming);
        ASSERT_EQ(serial.OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512), PORT_OK);
        EXPECT_EQ(serial.OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512), PORT_OK);
        EXPECT_EQ(serial.Session(1), RES_OK);
    }
    EXPECT_EQ(PortCheck(EcuRig::kPort), PORT_NOT_OPEN) << "the port outlived its object";

    auto first = std::make_unique<CSeriale>(u"InfoSeriale", nullptr, kQuickTiming);
    ASSERT_EQ(first->OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512), PORT_OK);
    EXPECT_EQ(first->ClosePort(0), PORT_OK);
    CSeriale second(u"InfoSeriale", nullptr, kQuickTiming);
    ASSERT_EQ(second.OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512), PORT_OK);
    first.reset();
    EXPECT_EQ(PortCheck(EcuRig::kPort), PORT_OK) << "an object closed the port of another";
    EXPECT_EQ(second.Session(1), RES_OK);
    EXPECT_EQ(second.ClosePort(0), PORT_OK);
}

TEST_F(CSerialeTest, TraceLinesOnlyWhileATraceWindowIsOpen)
{
    EXPECT_EQ(serial.Session(1), RES_OK);
    EXPECT_TRUE(host.lines.empty());

    host.tracing = true;
    EXPECT_EQ(serial.Session(1), RES_OK);
    ASSERT_EQ(host.lines.size(), 2u);
    EXPECT_EQ(WithoutTime(host.lines[0]), HexLine(u"TX-SL(5B): ", FirstFrame(9, {0x01})));
    EXPECT_EQ(WithoutTime(host.lines[1]), HexLine(u"RX-SL(5B): ", FirstFrame(9, {0x06})));
}

TEST(EcuTraceLine, FormFromTheLocalTime)
{
    // 08:05:09.045 UTC on a summer day is 10:05:09 in Rome.
    const std::chrono::system_clock::time_point when =
        std::chrono::system_clock::from_time_t(1719821109) + 45ms;
    EXPECT_EQ(detail::FormatTraceLine(when, true, true, Bytes{0x0A, 0xff, 0x00}), u"10:5:9:45 RX-ET(3B): 0A FF 00 ");
    EXPECT_EQ(detail::FormatTraceLine(when, false, false, Bytes{0xab}), u"10:5:9:45 TX-SL(1B): AB ");

    // A 255-byte frame stays under 800 characters; longer frames are cut at
    // 999 characters, the room of the trace window's line buffer.
    const std::u16string frame = detail::FormatTraceLine(when, false, true, Bytes(255, 0x5A));
    EXPECT_LT(frame.size(), 800u);
    EXPECT_EQ(frame.substr(frame.size() - 6), u"5A 5A ");
    const std::u16string relayed = detail::FormatTraceLine(when, true, false, Bytes(500, 0x5A));
    EXPECT_EQ(relayed.size(), 999u);
    EXPECT_EQ(relayed.substr(0, 21), u"10:5:9:45 RX-SL(500B)");
}
