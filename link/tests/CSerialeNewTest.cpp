// The second ECU protocol against the simulated ECU on a real
// pseudo-terminal: every command with its block and piece splits, each
// fault with its result and log text, ranges refused before they reach
// outside an image, the change of line speed, the K-line echo, the relay's
// raw transaction, the bridge seam and the trace lines.
#include "link/CSerialeNew.h"

#include "EcuTestRig.h"
#include "link/SerialPort.h"

#include <chrono>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

using namespace vexar::link;
using namespace vexar::linktest;
using vexar::ecusim::Fault;
using vexar::ecusim::FaultKind;
using vexar::ecusim::FrameRecord;
using vexar::ecusim::Image;
using vexar::ecusim::Repeat;
using namespace std::chrono_literals;

namespace {

const std::u16string kTimeoutText = u"Expire Time Out nella comunicazione.";
const std::u16string kCrcText = u"Errore nel calcolo del CRC ricevuto.";
const std::u16string kRangeText = u"Intervallo di indirizzi fuori dall'area di memoria.";

vexar::ecusim::SimulatorOptions SecondProtocol(bool kLine = false)
{
    vexar::ecusim::SimulatorOptions options;
    options.protocol = vexar::ecusim::Protocol::Second;
    options.klineEcho = kLine;
    options.ident = "NEWECU-2204";
    return options;
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t count)
{
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

// The payload of a second-protocol frame (between the command and the CRC).
Bytes Payload(const Bytes& frame) { return Slice(frame, 3, frame.size() - 5); }

// A second-protocol object linked to the simulator, with images of
// `imageSize` bytes; the simulator's images hold patterns.
class CSerialeNewTest : public ::testing::Test {
protected:
    explicit CSerialeNewTest(std::size_t imageSize = 0x1000, bool kLine = false)
        : rig(SecondProtocol(kLine)), serial(u"InfoSerialeNew", &host, kQuickTiming), main(imageSize), aux(imageSize)
    {
        host.kLine = kLine;
        rig.sim().WriteImage(Image::Parameters, 0, parameters);
        rig.sim().WriteImage(Image::Variables, 0, variables);
        EXPECT_EQ(serial.OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512), 0);
        serial.SetMainImage(main);
        serial.SetAuxImage(aux);
    }
    ~CSerialeNewTest() override { serial.ClosePort(0); }

    std::vector<std::u16string> Log() const { return LogEntries(rig.LogPath("InfoSerialeNew")); }

    const Bytes parameters = Pattern(65536, 1);
    const Bytes variables = Pattern(65536, 2);
    EcuRig rig;
    TestHost host;
    CSerialeNew serial;
    Bytes main;
    Bytes aux;
};

class CSerialeNewKLineTest : public CSerialeNewTest {
protected:
    CSerialeNewKLineTest() : CSerialeNewTest(0x1000, true) {}
};

class CSerialeNewWholeSpaceTest : public CSerialeNewTest {
protected:
    CSerialeNewWholeSpaceTest() : CSerialeNewTest(65536) {}
};

}  // namespace

TEST_F(CSerialeNewTest, SessionIdentificationResetAndMemoryAccess)
{
    vexar::ecusim::EcuSimulator& sim = rig.sim();
    EXPECT_EQ(serial.Session(1), RES_OK);
    EXPECT_TRUE(sim.Session());
    std::array<std::uint8_t, 11> ident{};
    EXPECT_EQ(serial.ReadIdent(ident), RES_OK);
    EXPECT_EQ(std::string(ident.begin(), ident.end()), "NEWECU-2204");
    EXPECT_EQ(serial.ResetEcu(), RES_OK);
    EXPECT_FALSE(sim.Session());

    // A memory read longer than 256 bytes reads 256.
    Bytes memory(300, 0xEE);
    EXPECT_EQ(serial.ReadMem(0x0010, 300, memory), RES_OK);
    EXPECT_EQ(Slice(memory, 0, 256), Slice(parameters, 0x10, 256));
    EXPECT_EQ(memory[256], 0xEE);

    EXPECT_EQ(serial.WriteMem(0x0200, 3, Bytes{0xAA, 0xBB, 0xCC}), RES_OK);
    EXPECT_EQ(sim.ReadImage(Image::Parameters, 0x1FF, 5), (Bytes{parameters[0x1FF], 0xAA, 0xBB, 0xCC, parameters[0x203]}));

    // An 8-bit variable: keep the three upper bytes of the 32-bit word.
    sim.WriteImage(Image::Variables, 0x0400, Bytes{0x11, 0x22});
    EXPECT_EQ(serial.MaskedWrite(0x0400, 0xFFFFFF00, 0x000000AB), RES_OK);
    // A flag: only bit 2 of the byte changes.
    EXPECT_EQ(serial.MaskedWrite(0x0401, 0xFFFFFFFB, 0x00000004), RES_OK);
    EXPECT_EQ(sim.ReadImage(Image::Variables, 0x0400, 2), (Bytes{0xAB, 0x26}));
    EXPECT_EQ(serial.Session(0), RES_OK);

    const std::vector<Bytes> sent = rig.Requests();
    ASSERT_EQ(sent.size(), 8u);
    EXPECT_EQ(Slice(sent[0], 0, 4), (Bytes{0x00, 0x06, 0x09, 0x01}));
    EXPECT_EQ(Slice(sent[1], 0, 3), (Bytes{0x00, 0x05, 0x07}));
    EXPECT_EQ(Slice(sent[2], 0, 3), (Bytes{0x00, 0x05, 0x08}));
    EXPECT_EQ(sent[3], SecondFrame(3, {0x00, 0x10, 0x00}));
    EXPECT_EQ(rig.Replies()[3].size(), 263u);
    EXPECT_EQ(sent[4], SecondFrame(4, {0x02, 0x00, 0x03, 0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(sent[5], SecondFrame(6, {0x04, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xAB}));
    EXPECT_EQ(sent[6], SecondFrame(6, {0x04, 0x01, 0xFF, 0xFF, 0xFF, 0xFB, 0x00, 0x00, 0x00, 0x04}));
    EXPECT_TRUE(Log().empty());
}

TEST_F(CSerialeNewTest, BlockReadsAndWritesSplitIntoBlocksOf256)
{
    TestProgress progress;
    EXPECT_EQ(serial.ReadMain(0x0100, 600, &progress), RES_OK);
    EXPECT_EQ(Slice(main, 0x0100, 600), Slice(parameters, 0x0100, 600));
    EXPECT_EQ(main[0x00FF], 0);
    EXPECT_EQ(main[0x0358], 0);
    EXPECT_EQ(progress.range, 3u);
    EXPECT_EQ(progress.steps, (std::vector<std::size_t>{1, 2, 3}));
    std::vector<Bytes> sent = rig.Requests();
    std::vector<Bytes> replies = rig.Replies();
    ASSERT_EQ(sent.size(), 3u);
    // Block number, the same start address, block size (256 as 0), total.
    EXPECT_EQ(Payload(sent[0]), (Bytes{0x00, 0x01, 0x00, 0x00, 0x02, 0x58}));
    EXPECT_EQ(Payload(sent[1]), (Bytes{0x01, 0x01, 0x00, 0x00, 0x02, 0x58}));
    EXPECT_EQ(Payload(sent[2]), (Bytes{0x02, 0x01, 0x00, 88, 0x02, 0x58}));
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[0].size(), 264u);
    EXPECT_EQ(replies[1].size(), 264u);
    EXPECT_EQ(replies[2].size(), 96u);

    rig.sim().ClearFrameLog();
    EXPECT_EQ(serial.ReadMain(0x0800, 256, nullptr), RES_OK);
    sent = rig.Requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Payload(sent[0]), (Bytes{0x00, 0x08, 0x00, 0x00, 0x01, 0x00}));

    // Auxiliary blocks carry their own addresses.
    rig.sim().ClearFrameLog();
    EXPECT_EQ(serial.ReadAux(0x0234, 300, nullptr), RES_OK);
    EXPECT_EQ(Slice(aux, 0x0234, 300), Slice(variables, 0x0234, 300));
    EXPECT_EQ(aux[0x0233], 0);
    EXPECT_EQ(aux[0x0234 + 300], 0);
    sent = rig.Requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(Payload(sent[0]), (Bytes{0x00, 0x02, 0x34, 0x00, 0x01, 0x2C}));
    EXPECT_EQ(Payload(sent[1]), (Bytes{0x01, 0x03, 0x34, 44, 0x01, 0x2C}));

    rig.sim().ClearFrameLog();
    const Bytes written = AwkwardBytes(600);
    std::copy(written.begin(), written.end(), main.begin() + 0x0300);
    TestProgress writeProgress;
    EXPECT_EQ(serial.WriteMain(0x0300, 600, &writeProgress), RES_OK);
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 0x0300, 600), written);
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 0x0300 + 600, 1), Slice(parameters, 0x0300 + 600, 1));
    EXPECT_EQ(writeProgress.range, 3u);
    EXPECT_EQ(writeProgress.steps, (std::vector<std::size_t>{1, 2, 3}));
    sent = rig.Requests();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].size(), 267u);
    EXPECT_EQ(Slice(Payload(sent[1]), 0, 6), (Bytes{0x01, 0x03, 0x00, 0x00, 0x02, 0x58}));
    EXPECT_EQ(Slice(Payload(sent[2]), 0, 6), (Bytes{0x02, 0x03, 0x00, 88, 0x02, 0x58}));
    EXPECT_EQ(sent[2].size(), 88u + 11u);
    EXPECT_TRUE(Log().empty());
}

// A failed block read changes nothing; a failed block write leaves the
// blocks before it written.
TEST_F(CSerialeNewTest, ABlockTransferStopsAtItsFirstFailedBlock)
{
    // The first request meets a harmless fault, the second the real one.
    const Fault harmless{FaultKind::LateReply, 0, 0ms};
    rig.sim().InjectFault(1, harmless, Repeat::Once);
    rig.sim().InjectFault(1, {FaultKind::WrongBlock}, Repeat::Once);
    TestProgress progress;
    EXPECT_EQ(serial.ReadMain(0, 600, &progress), RES_NO_ECHO_BLOCK);
    EXPECT_EQ(main, Bytes(main.size(), 0));
    EXPECT_EQ(progress.steps, std::vector<std::size_t>{1});
    EXPECT_EQ(rig.sim().CountRequests(1), 2u);

    std::fill(main.begin(), main.end(), 0x5A);
    rig.sim().InjectFault(2, harmless, Repeat::Once);
    rig.sim().InjectFault(2, {FaultKind::Nak, 6}, Repeat::Once);
    EXPECT_EQ(serial.WriteMain(0, 600, nullptr), RES_NO_ACK);
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 0, 256), Bytes(256, 0x5A));
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 256, 344), Slice(parameters, 256, 344));
    EXPECT_EQ(rig.sim().CountRequests(2), 2u);
    EXPECT_EQ(Log(), (std::vector<std::u16string>{u"Errore nella ricezione dell'ECO Block.",
                                                  u"Errore nella ricezione dell'ACK (ERR_LOST_DATA)"}));
}

TEST_F(CSerialeNewTest, ListUploadSplitsAt254DataBytesAnd64Pieces)
{
    struct Case {
        const char* what;
        std::vector<REC_UPLD_SV> blocks;
        std::vector<std::vector<std::pair<std::uint16_t, std::uint16_t>>> frames;  // pieces per frame
    };
    std::vector<REC_UPLD_SV> small;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> first64, last6;
    for (int i = 0; i < 70; ++i) {
        small.push_back({0x0800 + i * 16, 2});
        (i < 64 ? first64 : last6).emplace_back(static_cast<std::uint16_t>(0x0800 + i * 16), 2);
    }
    const std::vector<Case> cases = {
        {"a block longer than a frame", {{0x0100, 300}}, {{{0x0100, 254}}, {{0x01FE, 46}}}},
        {"70 blocks of 2 bytes", small, {first64, last6}},
        {"empty blocks are not sent; a full frame is not followed by an empty one",
         {{0x0200, 0}, {0x0300, 200}, {0x0400, 54}, {0x0500, 0}},
         {{{0x0300, 200}, {0x0400, 54}}}},
        {"a block that does not fit closes the frame with its first part",
         {{0x0300, 250}, {0x0400, 10}, {0x0500, 3}},
         {{{0x0300, 250}, {0x0400, 4}}, {{0x0404, 6}, {0x0500, 3}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rig.sim().ClearFrameLog();
        std::fill(aux.begin(), aux.end(), 0);
        TestProgress progress;
        ASSERT_EQ(serial.UploadList(500, c.blocks, &progress), RES_OK);

        const std::vector<Bytes> sent = rig.Requests();
        ASSERT_EQ(sent.size(), c.frames.size());
        for (std::size_t k = 0; k < sent.size(); ++k) {
            const auto& pieces = c.frames[k];
            Bytes expected{static_cast<std::uint8_t>(k), 0x00, static_cast<std::uint8_t>(pieces.size()), 0x01, 0xF4};
            for (const auto& [address, length] : pieces)
                expected.insert(expected.end(), {static_cast<std::uint8_t>(address >> 8),
                                                 static_cast<std::uint8_t>(address), 0x00,
                                                 static_cast<std::uint8_t>(length)});
            EXPECT_EQ(Payload(sent[k]), expected) << "frame " << k;
        }
        Bytes expectedAux(aux.size(), 0);
        for (const REC_UPLD_SV& block : c.blocks)
            std::copy_n(variables.begin() + block.address, block.length, expectedAux.begin() + block.address);
        EXPECT_EQ(aux, expectedAux);
        const std::size_t spread = static_cast<std::size_t>(c.blocks.back().address - c.blocks.front().address);
        EXPECT_EQ(progress.range, spread / 254);
        EXPECT_EQ(progress.steps.size(), c.frames.size() - 1);
    }
    EXPECT_TRUE(Log().empty());
}

// Each fault the ECU can show, with the result, the number of requests it
// costs and the log entry it leaves. The second protocol retries only what
// the transaction itself sees: silence, short replies.
TEST(CSerialeNewFaults, GiveTheirResultsAndLogTexts)
{
    struct Case {
        const char* what;
        std::uint8_t command;
        std::vector<std::pair<Fault, Repeat>> faults;
        std::function<int(CSerialeNew&)> call;
        int result;
        std::size_t requests;
        std::vector<std::u16string> log;
    };
    auto readMain = [](CSerialeNew& s) { return s.ReadMain(0x0100, 16, nullptr); };
    auto readAux = [](CSerialeNew& s) { return s.ReadAux(0x0100, 16, nullptr); };
    auto writeMain = [](CSerialeNew& s) { return s.WriteMain(0x0100, 16, nullptr); };
    auto readMem = [](CSerialeNew& s) {
        Bytes bytes(4);
        return s.ReadMem(0x0100, 4, bytes);
    };
    auto writeMem = [](CSerialeNew& s) { return s.WriteMem(0x0100, 4, Bytes{1, 2, 3, 4}); };
    auto masked = [](CSerialeNew& s) { return s.MaskedWrite(0x0100, 0xFFFFFF00, 0x12); };
    auto ident = [](CSerialeNew& s) {
        std::array<std::uint8_t, 11> bytes{};
        return s.ReadIdent(bytes);
    };
    auto reset = [](CSerialeNew& s) { return s.ResetEcu(); };
    auto session = [](CSerialeNew& s) { return s.Session(1); };
    auto sameSpeed = [](CSerialeNew& s) { return s.SetBaud(1); };
    auto upload = [](CSerialeNew& s) { return s.UploadList(500, std::vector<REC_UPLD_SV>{{0x0100, 8}}, nullptr); };

    const Fault noReply{FaultKind::NoReply};
    const Fault wrongCommand{FaultKind::WrongCommand};
    const Fault nak{FaultKind::Nak, 9};
    const std::u16string echoCommand = u"Errore nella ricezione dell'ECO al comando inviato.";
    const std::u16string echoIndex = u"Errore nella ricezione dell'ECO Index.";
    const std::u16string echoBlock = u"Errore nella ricezione dell'ECO Block.";
    const std::u16string echoOffset = u"Errore nella ricezione dell'ECO Offset.";
    const std::u16string ack = u"Errore nella ricezione dell'ACK.";
    const std::vector<Case> cases = {
        {"one lost reply is retried", 9, {{noReply, Repeat::Once}}, session, RES_OK, 2, {}},
        {"a silent ECU", 9, {{noReply, Repeat::Always}}, session, RES_TIMEOUT, 5, {kTimeoutText}},
        {"replies always truncated", 1, {{{FaultKind::TruncatedReply}, Repeat::Always}}, readMain, RES_TIMEOUT, 5,
         {kTimeoutText}},
        {"a reply later than the wait is retried", 1, {{{FaultKind::LateReply, 0, 350ms}, Repeat::Once}}, readMain,
         RES_OK, 2, {}},
        {"a bad CRC", 1, {{{FaultKind::BadCrc}, Repeat::Once}}, readMain, RES_BAD_CRC, 1, {kCrcText}},
        {"block read: wrong command", 1, {{wrongCommand, Repeat::Once}}, readMain, RES_NO_ECHO, 1, {echoCommand}},
        {"block read: wrong block", 1, {{{FaultKind::WrongBlock}, Repeat::Once}}, readMain, RES_NO_ECHO_BLOCK, 1,
         {echoBlock}},
        {"block read: wrong address", 1, {{{FaultKind::WrongIndex}, Repeat::Once}}, readMain, RES_NO_ECHO_OFFSET, 1,
         {echoOffset}},
        {"variable block: wrong address", 5, {{{FaultKind::WrongIndex}, Repeat::Once}}, readAux, RES_NO_ECHO_OFFSET, 1,
         {echoOffset}},
        {"memory read: wrong command", 3, {{wrongCommand, Repeat::Once}}, readMem, RES_NO_ECHO, 1, {echoCommand}},
        {"memory read: wrong address", 3, {{{FaultKind::WrongIndex}, Repeat::Once}}, readMem, RES_NO_ECHO_INDEX, 1,
         {echoIndex}},
        {"block write: wrong block", 2, {{{FaultKind::WrongBlock}, Repeat::Once}}, writeMain, RES_NO_ECHO_BLOCK, 1,
         {echoBlock}},
        {"block write: wrong address", 2, {{{FaultKind::WrongIndex}, Repeat::Once}}, writeMain, RES_NO_ECHO_OFFSET, 1,
         {echoOffset}},
        {"block write refused: ERR_CRC", 2, {{{FaultKind::Nak, 5}, Repeat::Once}}, writeMain, RES_NO_ACK, 1,
         {u"Errore nella ricezione dell'ACK (ERR_CRC)"}},
        {"block write refused: ERR_LOST_DATA", 2, {{{FaultKind::Nak, 6}, Repeat::Once}}, writeMain, RES_NO_ACK, 1,
         {u"Errore nella ricezione dell'ACK (ERR_LOST_DATA)"}},
        {"block write refused: ERR_TOO_MUCH_DATA", 2, {{{FaultKind::Nak, 7}, Repeat::Once}}, writeMain, RES_NO_ACK, 1,
         {u"Errore nella ricezione dell'ACK (ERR_TOO_MUCH_DATA)"}},
        {"block write refused with another code", 2, {{nak, Repeat::Once}}, writeMain, RES_NO_ACK, 1, {ack}},
        {"memory write refused", 4, {{{FaultKind::Nak, 6}, Repeat::Once}}, writeMem, RES_NO_ACK, 1,
         {u"Errore nella ricezione dell'ACK (ERR_LOST_DATA)"}},
        {"memory write: wrong address", 4, {{{FaultKind::WrongIndex}, Repeat::Once}}, writeMem, RES_NO_ECHO_OFFSET, 1,
         {echoOffset}},
        {"masked write refused", 6, {{{FaultKind::Nak, 7}, Repeat::Once}}, masked, RES_NO_ACK, 1,
         {u"Errore nella ricezione dell'ACK (ERR_TOO_MUCH_DATA)"}},
        {"masked write: wrong address", 6, {{{FaultKind::WrongIndex}, Repeat::Once}}, masked, RES_NO_ECHO_OFFSET, 1,
         {echoOffset}},
        {"identification: wrong command", 7, {{wrongCommand, Repeat::Once}}, ident, RES_NO_ECHO, 1, {echoCommand}},
        {"reset refused", 8, {{nak, Repeat::Once}}, reset, RES_NO_ACK, 1, {ack}},
        {"reset: wrong command", 8, {{wrongCommand, Repeat::Once}}, reset, RES_NO_ECHO, 1, {echoCommand}},
        {"reset: the acknowledge is checked first", 8, {{wrongCommand, Repeat::Always}, {nak, Repeat::Once}}, reset,
         RES_NO_ACK, 1, {ack}},
        {"session refused", 9, {{nak, Repeat::Once}}, session, RES_NO_ACK, 1, {ack}},
        {"speed change: wrong speed code", 10, {{{FaultKind::WrongSpeed}, Repeat::Once}}, sameSpeed, RES_NO_ECHO_BAUD,
         1, {u""}},
        {"speed change: wrong command", 10, {{wrongCommand, Repeat::Once}}, sameSpeed, RES_NO_ECHO, 1, {echoCommand}},
        {"speed change refused", 10, {{nak, Repeat::Once}}, sameSpeed, RES_NO_ACK, 1, {ack}},
        {"speed change: the speed code wins over the command", 10,
         {{wrongCommand, Repeat::Always}, {{FaultKind::WrongSpeed}, Repeat::Once}}, sameSpeed, RES_NO_ECHO_BAUD, 1,
         {u""}},
        {"speed change: the acknowledge wins over the command", 10, {{wrongCommand, Repeat::Always}, {nak, Repeat::Once}},
         sameSpeed, RES_NO_ACK, 1, {ack}},
        {"upload: wrong frame number", 11, {{{FaultKind::WrongBlock}, Repeat::Once}}, upload, RES_NO_ECHO_BLOCK, 1,
         {echoBlock}},
        {"upload: wrong command", 11, {{wrongCommand, Repeat::Once}}, upload, RES_NO_ECHO, 1, {echoCommand}},
        {"the ECU is unplugged", 9, {{{FaultKind::Unplug}, Repeat::Once}}, session, RES_TIMEOUT, 1, {kTimeoutText}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EcuRig rig(SecondProtocol());
        rig.sim().WriteImage(Image::Variables, 0, Pattern(0x1000, 2));
        rig.sim().WriteImage(Image::Parameters, 0, Pattern(0x1000, 1));
        CSerialeNew s(u"InfoSerialeNewCase", nullptr, kQuickTiming);
        Bytes par(0x1000), var(0x1000);
        s.SetMainImage(par);
        s.SetAuxImage(var);
        ASSERT_EQ(s.OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512), 0);
        for (const auto& [fault, repeat] : c.faults)
            rig.sim().InjectFault(c.command, fault, repeat);

        EXPECT_EQ(c.call(s), c.result);
        EXPECT_EQ(rig.sim().CountRequests(c.command), c.requests);
        EXPECT_EQ(LogEntries(rig.LogPath("InfoSerialeNewCase")), c.log);
        if (c.result != RES_OK) {  // a failed read stores nothing
            EXPECT_EQ(par, Bytes(par.size(), 0));
            EXPECT_EQ(var, Bytes(var.size(), 0));
        }
        s.ClosePort(0);
    }
}

// A range that would reach outside the address space or the image is
// refused before anything is sent.
TEST_F(CSerialeNewTest, RangesOutsideTheImagesAreRefused)
{
    struct Case {
        const char* what;
        std::function<int(CSerialeNew&)> call;
    };
    Bytes four(4), hundred(100);
    const std::vector<Case> cases = {
        {"block read past 65536", [](CSerialeNew& s) { return s.ReadMain(0xFF00, 0x200, nullptr); }},
        {"block read past the image", [](CSerialeNew& s) { return s.ReadMain(0x0F00, 0x101, nullptr); }},
        {"block read from beyond the address space", [](CSerialeNew& s) { return s.ReadMain(0x10000, 0, nullptr); }},
        {"block write past the image", [](CSerialeNew& s) { return s.WriteMain(0x0FFF, 2, nullptr); }},
        {"variable blocks past 65536", [](CSerialeNew& s) { return s.ReadAux(0xFFFF, 2, nullptr); }},
        {"variable blocks past the image", [](CSerialeNew& s) { return s.ReadAux(0, 0x1001, nullptr); }},
        {"upload past the image",
         [](CSerialeNew& s) { return s.UploadList(1, std::vector<REC_UPLD_SV>{{0, 2}, {0x0FFF, 2}}, nullptr); }},
        {"upload of a negative address",
         [](CSerialeNew& s) { return s.UploadList(1, std::vector<REC_UPLD_SV>{{-1, 2}}, nullptr); }},
        {"memory read into a short buffer", [&](CSerialeNew& s) { return s.ReadMem(0, 8, four); }},
        {"memory write from a short buffer", [&](CSerialeNew& s) { return s.WriteMem(0, 300, hundred); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(serial), RES_BAD_RANGE);
    }
    EXPECT_TRUE(rig.Requests().empty());
    EXPECT_EQ(main, Bytes(main.size(), 0));
    EXPECT_EQ(aux, Bytes(aux.size(), 0));
    EXPECT_EQ(four, Bytes(4, 0));
    EXPECT_EQ(Log(), std::vector<std::u16string>(cases.size(), kRangeText));

    // The last bytes of the image can be read.
    EXPECT_EQ(serial.ReadMain(0x0F00, 0x100, nullptr), RES_OK);
    EXPECT_EQ(Slice(main, 0x0F00, 0x100), Slice(parameters, 0x0F00, 0x100));
}

// Longer lengths are cut to the 65536 bytes of the address space.
TEST_F(CSerialeNewWholeSpaceTest, LengthsAreCutToTheAddressSpace)
{
    EXPECT_EQ(serial.ReadMain(0, 70000, nullptr), RES_OK);
    EXPECT_EQ(main, parameters);
    const std::vector<Bytes> sent = rig.Requests();
    ASSERT_EQ(sent.size(), 256u);
    EXPECT_EQ(Payload(sent[0]), (Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Payload(sent[255]), (Bytes{0xFF, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

// Images seeded with bytes a tty could eat or change cross the line as
// they are, both ways.
TEST_F(CSerialeNewTest, AwkwardBytesCrossTheLineUnchanged)
{
    const Bytes awkward = AwkwardBytes(0x1000);
    rig.sim().WriteImage(Image::Parameters, 0, awkward);
    rig.sim().WriteImage(Image::Variables, 0, awkward);
    EXPECT_EQ(serial.ReadMain(0, 0x1000, nullptr), RES_OK);
    EXPECT_EQ(main, awkward);
    EXPECT_EQ(serial.ReadAux(0, 0x1000, nullptr), RES_OK);
    EXPECT_EQ(aux, awkward);

    rig.sim().FillImage(Image::Parameters, 0x55);
    EXPECT_EQ(serial.WriteMain(0, 0x1000, nullptr), RES_OK);
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 0, 0x1000), awkward);

    std::fill(aux.begin(), aux.end(), 0x55);
    EXPECT_EQ(serial.UploadList(0x0D0A, std::vector<REC_UPLD_SV>{{0x0011, 0x0300}}, nullptr), RES_OK);
    EXPECT_EQ(Slice(aux, 0x0011, 0x0300), Slice(awkward, 0x0011, 0x0300));
}

TEST_F(CSerialeNewTest, SpeedChangeTo57600AndBack)
{
    EXPECT_EQ(serial.SetBaud(4), RES_OK);
    EXPECT_EQ(rig.sim().ListeningBaud(), 57600);
    rig.sim().ClearFrameLog();
    EXPECT_EQ(serial.ReadMain(0, 600, nullptr), RES_OK);
    EXPECT_EQ(Slice(main, 0, 600), Slice(parameters, 0, 600));
    const std::vector<FrameRecord> heard = rig.sim().FrameLog();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.front().kind, FrameRecord::Kind::Request);
    EXPECT_EQ(heard.front().baud, 57600);

    // Codes other than 0 and 2 to 5 mean 9600.
    EXPECT_EQ(serial.SetBaud(9), RES_OK);
    EXPECT_EQ(rig.sim().ListeningBaud(), 9600);
    EXPECT_EQ(serial.Session(1), RES_OK);
    EXPECT_TRUE(Log().empty());
}

// The ECU switches once it has answered; when the local port then cannot
// follow, the speed change reports a time-out, so that the caller keeps the
// speed it really uses, and the next request finds the link gone.
TEST_F(CSerialeNewTest, ASpeedChangeTheLocalPortCannotFollowFails)
{
    // The line hangs up between the ECU's answer and the local switch.
    host.tracing = true;
    host.onLine = [this](const std::u16string& line) {
        if (line.find(u"RX-SL(7B)") != std::u16string::npos)
            rig.sim().Unplug();
    };
    EXPECT_EQ(serial.SetBaud(4), RES_TIMEOUT);
    host.onLine = nullptr;
    EXPECT_EQ(rig.sim().ListeningBaud(), 57600);
    EXPECT_EQ(Log(), std::vector<std::u16string>{u"Impossibile modificare il baud rate della linea seriale!"});

    std::string error;
    ASSERT_TRUE(rig.sim().Replug(error)) << error;
    ASSERT_EQ(serial.OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512), 0);
    rig.sim().ClearFrameLog();
    EXPECT_EQ(serial.Session(1), RES_TIMEOUT);
    EXPECT_EQ(rig.sim().CountRequests(9), 0u);
    bool ignored = false;
    for (const FrameRecord& record : rig.sim().FrameLog())
        ignored = ignored || (record.kind == FrameRecord::Kind::Ignored && record.baud == 9600);
    EXPECT_TRUE(ignored) << "the ECU heard our bytes at the old speed and ignored them";
}

TEST_F(CSerialeNewKLineTest, ReadsItsOwnEchoAndRetriesAGarbledOne)
{
    EXPECT_EQ(serial.Session(1), RES_OK);
    EXPECT_EQ(serial.ReadMain(0, 600, nullptr), RES_OK);
    EXPECT_EQ(Slice(main, 0, 600), Slice(parameters, 0, 600));
    EXPECT_EQ(rig.sim().CountRequests(1), 3u);

    rig.sim().InjectFault(2, {FaultKind::CorruptEcho}, Repeat::Once);
    EXPECT_EQ(serial.WriteMain(0x0100, 300, nullptr), RES_OK);
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 0x0100, 300), Slice(main, 0x0100, 300));
    EXPECT_EQ(rig.sim().CountRequests(2), 3u);
    EXPECT_TRUE(Log().empty());
}

// The reply length the relay waits for follows from the frame's command.
TEST_F(CSerialeNewTest, RawTransactionWaitsForTheReplyItsCommandCallsFor)
{
    struct Case {
        const char* what;
        Bytes frame;
        int expected;
        int result;
    };
    const std::vector<Case> cases = {
        {"block read of 256", SecondFrame(1, {0x00, 0x01, 0x00, 0x00, 0x01, 0x00}), 264, RES_OK},
        {"variable block of 44", SecondFrame(5, {0x01, 0x03, 0x34, 44, 0x01, 0x2C}), 52, RES_OK},
        {"block write", SecondFrame(2, {0x00, 0x02, 0x00, 0x02, 0x00, 0x02, 0x0D, 0x0A}), 10, RES_OK},
        {"memory read of 256", SecondFrame(3, {0x00, 0x10, 0x00}), 263, RES_OK},
        {"memory read of 3", SecondFrame(3, {0x00, 0x10, 0x03}), 10, RES_OK},
        {"memory write", SecondFrame(4, {0x00, 0x10, 0x01, 0x11}), 9, RES_OK},
        {"masked write", SecondFrame(6, {0x00, 0x20, 0xFF, 0xFF, 0xFF, 0x00, 0, 0, 0, 0x13}), 9, RES_OK},
        {"identification", SecondFrame(7, {}), 16, RES_OK},
        {"reset", SecondFrame(8, {}), 6, RES_OK},
        {"session", SecondFrame(9, {0x01}), 6, RES_OK},
        {"speed change to the same speed", SecondFrame(10, {0x01}), 7, RES_OK},
        {"a list upload of one 4-byte piece", SecondFrame(11, {0x00, 0x00, 0x01, 0x01, 0xF4, 0x01, 0x00, 0x00, 0x04}),
         14, RES_OK},
        {"a command byte 0x80 has no reply", SecondFrame(0x80, {}), 0, RES_TIMEOUT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rig.sim().ClearFrameLog();
        Bytes reply(512);
        int expected = -1;
        EXPECT_EQ(serial.TransactRaw(c.frame, reply, expected), c.result);
        EXPECT_EQ(expected, c.expected);
        if (c.result == RES_OK) {
            const std::vector<Bytes> replies = rig.Replies();
            ASSERT_EQ(replies.size(), 1u);
            EXPECT_EQ(Slice(reply, 0, static_cast<std::size_t>(c.expected)), replies[0]);
        }
    }
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 0x0200, 2), (Bytes{0x0D, 0x0A}));
    EXPECT_TRUE(Log().empty());
}

TEST_F(CSerialeNewTest, TraceLinesIncludeTheTextOfAFailedTransaction)
{
    struct Case {
        const char* what;
        Fault fault;
        int result;
        std::u16string lastLine;  // without its time text when it traces bytes
    };
    const std::vector<Case> cases = {
        {"silence", {FaultKind::NoReply}, RES_TIMEOUT, kTimeoutText},
        {"a bad CRC", {FaultKind::BadCrc}, RES_BAD_CRC, kCrcText},
        {"a command failure is not the transaction's",
         {FaultKind::WrongCommand},
         RES_NO_ECHO,
         HexLine(u"RX-SL(6B): ", SecondFrame(9 ^ 1, {0x06}))},
    };
    host.tracing = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.lines.clear();
        rig.sim().InjectFault(9, c.fault, Repeat::Always);
        EXPECT_EQ(serial.Session(1), c.result);
        rig.sim().ClearFaults();
        ASSERT_FALSE(host.lines.empty());
        const std::u16string last = host.lines.back();
        EXPECT_EQ(last.find(u"X-SL") == std::u16string::npos ? last : WithoutTime(last), c.lastLine);
        EXPECT_EQ(WithoutTime(host.lines.front()), HexLine(u"TX-SL(6B): ", SecondFrame(9, {0x01})));
    }
}

namespace {

// The bridge seam as the remote-assistance link will fill it, here joined
// straight to a slave's protocol object on the simulator: each relayed
// frame runs through the slave's raw transaction.
class RelayToSlave : public RemoteLine {
public:
    explicit RelayToSlave(CSerialeNew& slave) : m_slave(slave) {}

    bool slaveGone = false;
    std::vector<Bytes> sent;
    std::size_t bytesExpected = 0;

    void DropPending() override { m_pending.clear(); }
    int Send(std::span<const std::uint8_t> bytes) override
    {
        sent.emplace_back(bytes.begin(), bytes.end());
        if (bytes.size() <= kRelayPrefix.size() || !std::equal(kRelayPrefix.begin(), kRelayPrefix.end(), bytes.begin()))
            return -1;
        Bytes reply(512);
        int expected = 0;
        if (m_slave.TransactRaw(bytes.subspan(kRelayPrefix.size()), reply, expected) == RES_OK && expected > 0)
            m_pending.emplace_back(reply.begin(), reply.begin() + expected);
        return static_cast<int>(bytes.size());
    }
    int Receive(std::span<std::uint8_t> buffer, std::size_t expected) override
    {
        bytesExpected += expected;
        if (slaveGone) {
            std::copy(kCloseNotice.begin(), kCloseNotice.end(), buffer.begin());
            return static_cast<int>(kCloseNotice.size());
        }
        if (m_pending.empty())
            return -1;
        const Bytes reply = m_pending.front();
        m_pending.pop_front();
        std::copy(reply.begin(), reply.end(), buffer.begin());
        return static_cast<int>(reply.size());
    }

private:
    CSerialeNew& m_slave;
    std::deque<Bytes> m_pending;
};

}  // namespace

// While the bridge is open the frames go through it with the relay prefix,
// whatever the local K-line setting, and the slave's close notice ends a
// transaction at once.
TEST_F(CSerialeNewTest, FramesGoThroughTheBridgeWhileItIsOpen)
{
    TestHost masterHost;
    masterHost.kLine = true;  // the master's own interface does not matter
    masterHost.tracing = true;
    RelayToSlave bridge(serial);
    masterHost.remote = &bridge;
    CSerialeNew master(u"InfoSerialeMaster", &masterHost, kQuickTiming);
    Bytes masterImage(0x1000);
    master.SetMainImage(masterImage);

    EXPECT_EQ(master.Session(1), RES_OK);
    EXPECT_TRUE(rig.sim().Session());
    EXPECT_EQ(master.ReadMain(0x0100, 600, nullptr), RES_OK);
    EXPECT_EQ(Slice(masterImage, 0x0100, 600), Slice(parameters, 0x0100, 600));
    ASSERT_EQ(bridge.sent.size(), 4u);
    Bytes relayed(kRelayPrefix.begin(), kRelayPrefix.end());
    const Bytes sessionFrame = SecondFrame(9, {0x01});
    relayed.insert(relayed.end(), sessionFrame.begin(), sessionFrame.end());
    EXPECT_EQ(bridge.sent[0], relayed);
    EXPECT_EQ(bridge.bytesExpected, 6u + 264u + 264u + 96u);
    ASSERT_GE(masterHost.lines.size(), 2u);
    EXPECT_EQ(WithoutTime(masterHost.lines[0]), HexLine(u"TX-ET(10B): ", relayed));
    EXPECT_EQ(WithoutTime(masterHost.lines[1]), HexLine(u"RX-ET(6B): ", SecondFrame(9, {0x06})));

    bridge.slaveGone = true;
    bridge.sent.clear();
    EXPECT_EQ(master.Session(0), RES_REMOTE_GONE);
    EXPECT_EQ(bridge.sent.size(), 1u);
    EXPECT_EQ(LogEntries(rig.LogPath("InfoSerialeMaster")), std::vector<std::u16string>{u"Slave remoto disconnesso."});
    EXPECT_EQ(masterHost.lines.back(), u"Slave remoto disconnesso.");
}

// A 264-byte reply needs 550 ms on a 4800 baud line: the wait for it grows
// with the bytes it waits for, so that it can arrive at all.
TEST(CSerialeNewSlowLine, LongRepliesAt4800ArriveWithinTheWait)
{
    vexar::ecusim::SimulatorOptions options = SecondProtocol();
    options.baud = 4800;
    options.wireTiming = true;
    EcuRig rig(options);
    const Bytes parameters = Pattern(0x1000, 1);
    rig.sim().WriteImage(Image::Parameters, 0, parameters);
    CSerialeNew serial(u"InfoSerialeNew");  // the system's timing
    Bytes main(0x1000);
    serial.SetMainImage(main);
    ASSERT_EQ(serial.OpenPort(EcuRig::kPort, EcuRig::kPath, 4800, 0, 8, 1, 512, 512), 0);

    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(serial.ReadMain(0, 256, nullptr), RES_OK);
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_EQ(Slice(main, 0, 256), Slice(parameters, 0, 256));
    EXPECT_EQ(rig.sim().CountRequests(1), 1u);
    EXPECT_GE(elapsed, 570ms) << "the line was not paced";
    serial.ClosePort(0);
}
