#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/BootSums.h"
#include "testing/bootsim/HandheldTerminal.h"

#include "RawClient.h"

#include <gtest/gtest.h>
#include <memory>
#include <span>

using namespace vexar::bootsim;
using vexar::bootsim::test::Bytes;
using vexar::bootsim::test::RawClient;

namespace {

void PutCrc(Bytes& frame)
{
    const std::uint16_t crc = ApplicationCrc(frame);
    frame.push_back(static_cast<std::uint8_t>(crc));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool CrcOk(const Bytes& reply)
{
    if (reply.size() < 3)
        return false;
    const std::uint16_t crc = ApplicationCrc(std::span(reply).first(reply.size() - 2));
    return reply[reply.size() - 2] == (crc & 0xFF) && reply.back() == (crc >> 8);
}

// A boot-loader request: length (2 bytes), command, sequence unless PING or
// INFO, payload, CRC.
Bytes Request(std::uint8_t command, int sequence, const Bytes& payload = {})
{
    const std::size_t length = 2 + 1 + (sequence >= 0 ? 1 : 0) + payload.size() + 2;
    Bytes frame{static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length), command};
    if (sequence >= 0)
        frame.push_back(static_cast<std::uint8_t>(sequence));
    frame.insert(frame.end(), payload.begin(), payload.end());
    PutCrc(frame);
    return frame;
}

Bytes Erase(int sequence, std::uint16_t start, std::uint16_t stop, std::uint16_t reset)
{
    // 14:25:30 on 3 March 2008.
    return Request(0x40, sequence,
                   {14, 25, 30, 3, 3, 0x07, 0xD8, static_cast<std::uint8_t>(start >> 8), static_cast<std::uint8_t>(start),
                    static_cast<std::uint8_t>(stop >> 8), static_cast<std::uint8_t>(stop),
                    static_cast<std::uint8_t>(reset >> 8), static_cast<std::uint8_t>(reset)});
}

Bytes Write(int sequence, std::uint16_t address, const Bytes& data)
{
    Bytes payload{static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address),
                  static_cast<std::uint8_t>(data.size())};
    payload.insert(payload.end(), data.begin(), data.end());
    return Request(0x41, sequence, payload);
}

Bytes AppFrame(std::uint8_t command, const Bytes& body)
{
    Bytes frame{static_cast<std::uint8_t>(body.size() + 4), command};
    frame.insert(frame.end(), body.begin(), body.end());
    PutCrc(frame);
    return frame;
}

Bytes BlockWrite(std::uint8_t bank, std::uint16_t address, const Bytes& data)
{
    Bytes body{bank, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address),
               static_cast<std::uint8_t>(data.size())};
    body.insert(body.end(), data.begin(), data.end());
    return AppFrame(0x4C, body);
}

std::string Text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

class HandheldTerminalTest : public ::testing::Test {
protected:
    void Start(HandheldOptions options = {})
    {
        auto device = std::make_unique<HandheldTerminal>(std::move(options));
        m_device = device.get();
        m_sim = std::make_unique<BootSimulator>(std::move(device), std::chrono::milliseconds(50));
        std::string error;
        ASSERT_TRUE(m_sim->Start(error)) << error;
        m_client = std::make_unique<RawClient>(m_sim->SlavePath(), 19200);
    }
    void TearDown() override
    {
        m_client.reset();
        if (m_sim)
            m_sim->Stop();
    }
    Bytes Ask(const Bytes& frame, std::size_t length = 7)
    {
        m_client->Write(frame);
        return m_client->Read(length);
    }
    void WithTerminal(const std::function<void(HandheldTerminal&)>& job)
    {
        m_sim->WithDevice([&](BootDevice&) { job(*m_device); });
    }

    HandheldTerminal* m_device = nullptr;
    std::unique_ptr<BootSimulator> m_sim;
    std::unique_ptr<RawClient> m_client;
};

// The application's boot request, the greeting, then a whole download with
// a skipped block; a second INFO reports the first download.
TEST_F(HandheldTerminalTest, BootRequestAndWholeDownload)
{
    Start();
    const Bytes request{0x04, 0x4E, 0x82, 0xF4};
    EXPECT_EQ(AppFrame(0x4E, {}), request) << "the request's CRC as the handheld expects it";
    const Bytes answer = Ask(request, 4);
    ASSERT_EQ(answer.size(), 4u);
    EXPECT_EQ(answer[1], 0x4E);
    EXPECT_EQ(Text(m_client->Read(28)), " Waiting for code download\r\n");

    const Bytes ping = Request(0x44, -1);
    const Bytes pong = Ask(ping);
    ASSERT_EQ(pong.size(), 7u);
    EXPECT_EQ(pong[2], 0x44);
    EXPECT_EQ(pong[3], ping[3]) << "PING's reply repeats the request's CRC low byte";
    EXPECT_EQ(pong[4], 0x06);
    EXPECT_TRUE(CrcOk(pong));
    EXPECT_EQ(Text(m_client->Read(28)), " Waiting for code download\r\n") << "greets again after a PING";

    WithTerminal([](HandheldTerminal& t) { t.SetCpuCode(0x29); });
    const Bytes info = Ask(Request(0x45, -1), 27);
    ASSERT_EQ(info.size(), 27u);
    EXPECT_EQ(info[6], 0x29);
    EXPECT_TRUE(CrcOk(info));

    // Image 0x1010-0x10BF: blocks at 0x1000 (seq 1), 0x1040 skipped (seq 2),
    // 0x1080 (seq 3); vectors and check carry 4.
    ASSERT_EQ(Ask(Erase(0, 0x1010, 0x10BF, 0x1010)).at(4), 0x06);
    Bytes first(64, 0xFF), last(64, 0xFF);
    for (std::size_t i = 0x10; i < 64; ++i)
        first[i] = static_cast<std::uint8_t>(i);
    for (std::size_t i = 0; i < 64; ++i)
        last[i] = static_cast<std::uint8_t>(0x80 + i);
    EXPECT_EQ(Ask(Write(1, 0x1000, first)).at(4), 0x06);
    EXPECT_EQ(Ask(Write(2, 0x1080, last)).at(4), 0x15) << "a gap in the numbers must be a skipped block";
    const Bytes stored = Ask(Write(3, 0x1080, last));
    EXPECT_EQ(stored.at(4), 0x06);
    EXPECT_EQ(stored.at(3), 3);
    Bytes vectors;
    for (int i = 0; i < 26; ++i)
        vectors.insert(vectors.end(), {0xCC, 0x10, static_cast<std::uint8_t>(i)});
    EXPECT_EQ(Ask(Request(0x42, 3, vectors)).at(4), 0x15) << "vectors must follow the last block";
    const Bytes vectorFrame = Request(0x42, 4, vectors);
    EXPECT_EQ(vectorFrame.size(), 84u) << "26 triples";
    EXPECT_EQ(Ask(vectorFrame).at(4), 0x06);
    unsigned sum = 0;
    for (std::size_t a = 0x1010; a <= 0x10BF; ++a)
        sum += a < 0x1040 ? first[a - 0x1000] : a < 0x1080 ? 0xFF : last[a - 0x1080];
    for (int i = 0; i < 26; ++i)
        sum += 0x10 + i;
    EXPECT_EQ(Ask(Request(0x43, 4, {0, 0})).at(4), 0x15);
    EXPECT_EQ(Ask(Request(0x43, 4, {static_cast<std::uint8_t>(sum >> 8), static_cast<std::uint8_t>(sum)})).at(4), 0x06);
    WithTerminal([&](HandheldTerminal& t) {
        EXPECT_EQ(t.Flash(0x1000, 64), first);
        EXPECT_EQ(t.Flash(0x1040, 64), Bytes(64, 0xFF));
        EXPECT_EQ(t.Flash(0x1080, 64), last);
        EXPECT_EQ(t.Flash(0xFFCC, 2), (Bytes{0x10, 0x00}));
        EXPECT_EQ(t.Flash(0xF000, 1), Bytes{0x00}) << "outside the program area nothing is erased";
    });

    const Bytes again = Ask(Request(0x45, -1), 27);
    ASSERT_EQ(again.size(), 27u);
    EXPECT_EQ(Bytes(again.begin() + 7, again.begin() + 22),
              (Bytes{14, 25, 30, 3, 3, 0x07, 0xD8, 0x10, 0x10, 0x10, 0xBF, 0x10, 0x10, static_cast<std::uint8_t>(sum >> 8),
                     static_cast<std::uint8_t>(sum)}));
}

TEST_F(HandheldTerminalTest, SwitchedOffUntilSwitchedOn)
{
    HandheldOptions options;
    options.poweredOn = false;
    Start(options);
    m_client->Write({0x04, 0x4E, 0x82, 0xF4});
    m_client->Write(Request(0x44, -1));
    EXPECT_TRUE(m_client->Read(1, std::chrono::milliseconds(100)).empty());
    WithTerminal([](HandheldTerminal& t) { t.PowerOn(); });
    EXPECT_EQ(Text(m_client->Read(28)), " Waiting for code download\r\n");
    EXPECT_EQ(Ask(Request(0x44, -1)).at(4), 0x06);
}

TEST_F(HandheldTerminalTest, ApplicationWritesBanksAndBytes)
{
    Start();
    Bytes data(64);
    for (std::size_t i = 0; i < 64; ++i)
        data[i] = static_cast<std::uint8_t>(0xA0 + i);
    for (const std::uint8_t bank : {0, 1, 2, 5}) {
        const Bytes frame = BlockWrite(bank, 0x7FC0, data);
        EXPECT_EQ(frame.size(), 72u);
        const Bytes reply = Ask(frame, 4);
        ASSERT_EQ(reply.size(), 4u);
        EXPECT_EQ(reply[1], 0x4C);
    }
    EXPECT_EQ(Ask(BlockWrite(3, 0, data), 4).at(2), 0x15) << "no bank 3";
    EXPECT_EQ(Ask(BlockWrite(1, 0xFFE0, Bytes(32, 0x11)), 4).at(1), 0x4C) << "a short last block";
    const Bytes byteWrite{0x07, 0x41, 0x08, 0xE1, 0x5A};
    Bytes frame = byteWrite;
    PutCrc(frame);
    EXPECT_EQ(Ask(frame, 4).at(1), 0x41);
    Bytes bad = frame;
    bad.back() ^= 1;
    m_client->Write(bad);
    EXPECT_TRUE(m_client->Read(1, std::chrono::milliseconds(100)).empty()) << "a wrong CRC is not answered";
    WithTerminal([&](HandheldTerminal& t) {
        for (const int bank : {0, 1, 2, 5})
            EXPECT_EQ(t.Bank(bank, 0x7FC0, 64), data) << bank;
        EXPECT_EQ(t.Bank(1, 0xFFE0, 32), Bytes(32, 0x11));
        EXPECT_EQ(t.ByteArea(0x08E1, 1), Bytes{0x5A});
        EXPECT_EQ(t.Bank(2, 0x08E1, 1), Bytes{0x00}) << "byte writes go to their own area";
    });
}

// Every fault kind on a boot-loader and an application frame.
TEST_F(HandheldTerminalTest, FaultTable)
{
    HandheldOptions options;
    options.startInBootLoader = true;
    options.greetingDelay = std::chrono::milliseconds(5000);  // keeps greetings out of the replies read here
    Start(options);
    const Bytes ping = Request(0x44, -1);
    struct Case {
        FaultKind kind;
        std::function<void(const Bytes&)> check;
    };
    const std::vector<Case> cases{
        {FaultKind::Silence, [](const Bytes& r) { EXPECT_TRUE(r.empty()); }},
        {FaultKind::BadSum, [](const Bytes& r) { EXPECT_FALSE(CrcOk(r)); }},
        {FaultKind::Negative, [](const Bytes& r) { EXPECT_EQ(r.at(4), 0x15); }},
        {FaultKind::WrongEcho, [](const Bytes& r) { EXPECT_NE(r.at(2), 0x44); }},
        {FaultKind::WrongTag, [&](const Bytes& r) { EXPECT_NE(r.at(3), ping[3]); }},
        {FaultKind::Short, [](const Bytes& r) { EXPECT_EQ(r.size(), 6u); }},
    };
    for (const Case& c : cases) {
        m_device->LoaderFaults().Arm(0x44, {c.kind, {}});
        m_client->Write(ping);
        c.check(m_client->Read(7, std::chrono::milliseconds(150)));
        EXPECT_EQ(Ask(ping).size(), 7u) << "a fault armed once strikes once";
    }

    m_device->LoaderFaults().Arm(0x44, {FaultKind::StopReading, {}});
    EXPECT_EQ(Ask(ping).size(), 7u);
    m_client->Write(ping);
    EXPECT_TRUE(m_client->Read(1, std::chrono::milliseconds(100)).empty());
    EXPECT_FALSE(m_sim->IsReading());
    m_sim->ResumeReading();
    m_client->Read(7, std::chrono::milliseconds(100));

    WithTerminal([](HandheldTerminal& t) { t.SetInBootLoader(false); });
    Bytes byteWrite{0x07, 0x41, 0x08, 0xE1, 0x5A};
    PutCrc(byteWrite);
    m_device->ApplicationFaults().Arm(0x41, {FaultKind::WrongEcho, {}}, false, 2);
    EXPECT_EQ(Ask(byteWrite, 4).at(1), 0x41);
    EXPECT_NE(Ask(byteWrite, 4).at(1), 0x41) << "the second byte write's reply lacks its A";
    m_device->ApplicationFaults().Arm(0x4C, {FaultKind::Short, {}});
    EXPECT_EQ(Ask(BlockWrite(2, 0, Bytes(64, 1)), 4).size(), 3u);
    m_device->ApplicationFaults().Arm(0x4C, {FaultKind::Unplug, {}});
    Ask(BlockWrite(2, 0, Bytes(64, 1)), 4);
    EXPECT_FALSE(m_sim->IsPlugged());
}

}  // namespace
