#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/BootSums.h"
#include "testing/bootsim/Kd02Loader.h"

#include "RawClient.h"

#include <gtest/gtest.h>
#include <memory>
#include <span>
#include <thread>

using namespace vexar::bootsim;
using vexar::bootsim::test::Bytes;
using vexar::bootsim::test::RawClient;

namespace {

Bytes AppFrame(std::uint8_t command, bool withValue)
{
    Bytes frame{0x00, static_cast<std::uint8_t>(withValue ? 6 : 5), command};
    if (withValue)
        frame.push_back(0x01);
    const std::uint16_t crc = ApplicationCrc(frame);
    frame.push_back(static_cast<std::uint8_t>(crc));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

Bytes BootFrame(std::uint8_t command, const Bytes& payload)
{
    const std::size_t length = payload.size() + 7;
    Bytes frame{command, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8), 0x00, 0x01};
    frame.insert(frame.end(), payload.begin(), payload.end());
    const std::uint16_t sum = ByteSum16(frame);
    frame.push_back(static_cast<std::uint8_t>(sum));
    frame.push_back(static_cast<std::uint8_t>(sum >> 8));
    return frame;
}

Bytes Le32(std::uint32_t value)
{
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value >> 16),
            static_cast<std::uint8_t>(value >> 24)};
}

Bytes Kd02LoaderTestAsk(RawClient& client, const Bytes& frame, std::size_t length)
{
    client.Write(frame);
    return client.Read(length, std::chrono::milliseconds(3000));
}

bool SumOk(const Bytes& reply)
{
    if (reply.size() < 3)
        return false;
    const std::uint16_t sum = ByteSum16(std::span(reply).first(reply.size() - 2));
    return reply[reply.size() - 2] == (sum & 0xFF) && reply.back() == (sum >> 8);
}

class Kd02LoaderTest : public ::testing::Test {
protected:
    void Start(Kd02Options options = {})
    {
        auto device = std::make_unique<Kd02Loader>(options);
        m_loader = device.get();
        m_sim = std::make_unique<BootSimulator>(std::move(device), std::chrono::milliseconds(50));
        std::string error;
        ASSERT_TRUE(m_sim->Start(error)) << error;
        m_client = std::make_unique<RawClient>(m_sim->SlavePath(), 9600);
        ASSERT_TRUE(m_client->IsOpen());
    }
    void TearDown() override
    {
        m_client.reset();
        if (m_sim)
            m_sim->Stop();
    }

    Bytes Ask(const Bytes& frame, std::size_t replyLength)
    {
        m_client->Write(frame);
        return m_client->Read(replyLength);
    }
    // For requests that must stay unanswered: a short wait is enough.
    bool Unanswered(const Bytes& frame)
    {
        m_client->Write(frame);
        return m_client->Read(1, std::chrono::milliseconds(120)).empty();
    }
    // Waits until the simulator has taken in `count` requests of `command`.
    void WaitForRequests(std::uint8_t command, std::size_t count)
    {
        for (int i = 0; i < 200 && m_sim->CountRequests(command) < count; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_GE(m_sim->CountRequests(command), count);
    }
    void EnterBootLoader()
    {
        ASSERT_EQ(Ask(AppFrame(Kd02Loader::kAppReset, false), 6).size(), 6u);
        m_client->SetSpeed(19200);
        ASSERT_EQ(Ask(BootFrame(Kd02Loader::kConnect, {0xAA, 0x55, 0xAA, 0x55}), 11).size(), 11u);
    }

    Kd02Loader* m_loader = nullptr;
    std::unique_ptr<BootSimulator> m_sim;
    std::unique_ptr<RawClient> m_client;
};

// A whole download: the application hears only 9600 and resets into the
// boot loader; erase, blocks stored one after the other from 0x18000,
// verify by word sum, disconnect back to the application.
TEST_F(Kd02LoaderTest, WholeDownload)
{
    Start();
    m_client->SetSpeed(19200);
    EXPECT_TRUE(Unanswered(AppFrame(Kd02Loader::kAppQuery, true))) << "the application hears only 9600";
    m_client->SetSpeed(9600);
    const Bytes query = Ask(AppFrame(Kd02Loader::kAppQuery, true), 6);
    ASSERT_EQ(query.size(), 6u);
    EXPECT_EQ(query[2], 0x09);
    EXPECT_EQ(query[3], 0x06);
    const std::uint16_t crc = ApplicationCrc(std::span(query).first(4));
    EXPECT_EQ(query[4], crc & 0xFF);
    EXPECT_EQ(query[5], crc >> 8);
    const Bytes reset = Ask(AppFrame(Kd02Loader::kAppReset, false), 6);
    ASSERT_EQ(reset.size(), 6u);
    EXPECT_EQ(reset[2], 0x08);
    EXPECT_TRUE(Unanswered(BootFrame(Kd02Loader::kConnect, {0xAA, 0x55, 0xAA, 0x55})))
        << "the boot loader listens at 19200";
    m_client->SetSpeed(19200);
    const Bytes connect = Ask(BootFrame(Kd02Loader::kConnect, {0xAA, 0x55, 0xAA, 0x55}), 11);
    ASSERT_EQ(connect.size(), 11u);
    EXPECT_EQ(connect[0], 0x01);
    EXPECT_EQ(connect[3], 0x01);
    EXPECT_TRUE(SumOk(connect));

    Bytes image(2500);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    std::fill(image.begin() + 1024, image.begin() + 2048, 0xFF);  // an all-0xFF block, sent all the same
    const Bytes erase = Ask(BootFrame(Kd02Loader::kErase, Le32(static_cast<std::uint32_t>(image.size()))), 7);
    ASSERT_EQ(erase.size(), 7u);
    EXPECT_EQ(erase[3], 0x01);
    EXPECT_TRUE(SumOk(erase));
    const Bytes erased = Ask(BootFrame(Kd02Loader::kEraseResult, {}), 8);
    ASSERT_EQ(erased.size(), 8u);
    EXPECT_EQ(erased[5], 0x01);
    for (std::size_t at = 0; at < image.size(); at += 1024)
        m_client->Write(BootFrame(Kd02Loader::kWrite,
                                  Bytes(image.begin() + long(at), image.begin() + long(std::min(at + 1024, image.size())))));
    const std::uint16_t sum = WordSum16(image, 0xFF);
    m_client->Write(BootFrame(Kd02Loader::kStopDownload, {static_cast<std::uint8_t>(sum), static_cast<std::uint8_t>(sum >> 8)}));
    const Bytes verify = Ask(BootFrame(Kd02Loader::kWriteVerify, {}), 8);
    ASSERT_EQ(verify.size(), 8u);
    EXPECT_EQ(verify[5], 0x01);
    m_client->Write(BootFrame(Kd02Loader::kDisconnect, {}));
    WaitForRequests(Kd02Loader::kDisconnect, 1);
    m_sim->WithDevice([&](BootDevice&) {
        EXPECT_EQ(m_loader->Flash(0x18000, image.size()), image);
        EXPECT_EQ(m_loader->Flash(0x18000 + image.size(), 4), Bytes(4, 0x00)) << "beyond the erase: old contents";
        EXPECT_FALSE(m_loader->InBootLoader());
    });
}

// A block left out shifts every later byte: the word sum then no longer
// matches, whatever the tool computed over its own image.
TEST_F(Kd02LoaderTest, VerifyFailsWhenTheFlashDiffers)
{
    Start({.startInBootLoader = true});
    m_client->SetSpeed(19200);
    ASSERT_EQ(Ask(BootFrame(Kd02Loader::kConnect, {0xAA, 0x55, 0xAA, 0x55}), 11).size(), 11u);
    ASSERT_EQ(Ask(BootFrame(Kd02Loader::kErase, Le32(4)), 7).size(), 7u);
    m_client->Write(BootFrame(Kd02Loader::kWrite, {0x00, 0x11}));
    const std::uint16_t sum = WordSum16(Bytes{0x11, 0x22, 0x33, 0x44}, 0xFF);
    m_client->Write(BootFrame(Kd02Loader::kStopDownload, {static_cast<std::uint8_t>(sum), static_cast<std::uint8_t>(sum >> 8)}));
    const Bytes verify = Ask(BootFrame(Kd02Loader::kWriteVerify, {}), 8);
    ASSERT_EQ(verify.size(), 8u);
    EXPECT_EQ(verify[5], 0x00);
    // Writing past the erased range is refused and fails the verify too.
    ASSERT_EQ(Ask(BootFrame(Kd02Loader::kErase, Le32(2)), 7).size(), 7u);
    m_client->Write(BootFrame(Kd02Loader::kWrite, {1, 2, 3}));
    const std::uint16_t sum2 = WordSum16(Bytes{1, 2}, 0xFF);
    m_client->Write(BootFrame(Kd02Loader::kStopDownload, {static_cast<std::uint8_t>(sum2), static_cast<std::uint8_t>(sum2 >> 8)}));
    EXPECT_EQ(Ask(BootFrame(Kd02Loader::kWriteVerify, {}), 8).at(5), 0x00);
}

TEST_F(Kd02LoaderTest, RequestsAreChecked)
{
    Start({.startInBootLoader = true});
    m_client->SetSpeed(19200);
    Bytes bad = BootFrame(Kd02Loader::kConnect, {0xAA, 0x55, 0xAA, 0x55});
    bad.back() ^= 1;
    EXPECT_TRUE(Unanswered(bad)) << "a wrong sum is not answered";
    Bytes shortErase = BootFrame(Kd02Loader::kErase, {1, 2});
    EXPECT_TRUE(Unanswered(shortErase)) << "an ERASE of the wrong length is not answered";
    EXPECT_EQ(Ask(BootFrame(Kd02Loader::kErase, Le32(4)), 7).at(3), 0x00) << "erase before connect is refused";
    EXPECT_EQ(Ask(BootFrame(Kd02Loader::kConnect, {0xAA, 0x55, 0xAA, 0x55}), 11).size(), 11u);
    EXPECT_EQ(Ask(BootFrame(Kd02Loader::kErase, Le32(0x38001)), 7).at(3), 0x00) << "longer than the flash";
    EXPECT_EQ(Ask(BootFrame(Kd02Loader::kErase, Le32(0x38000)), 7).at(3), 0x01);
    const auto log = m_sim->FrameLog();
    ASSERT_FALSE(log.empty());
    EXPECT_FALSE(log.front().valid);
}

// Each fault, once, on the command it is armed for.
TEST_F(Kd02LoaderTest, FaultTable)
{
    Start({.startInBootLoader = true});
    m_client->SetSpeed(19200);
    const Bytes connect = BootFrame(Kd02Loader::kConnect, {0xAA, 0x55, 0xAA, 0x55});
    m_loader->Faults().Arm(Kd02Loader::kConnect, {FaultKind::Silence, {}});
    EXPECT_TRUE(Unanswered(connect));
    m_loader->Faults().Arm(Kd02Loader::kConnect, {FaultKind::BadSum, {}});
    EXPECT_FALSE(SumOk(Ask(connect, 11)));
    m_loader->Faults().Arm(Kd02Loader::kConnect, {FaultKind::WrongEcho, {}});
    EXPECT_NE(Ask(connect, 11).at(0), 0x01);
    m_loader->Faults().Arm(Kd02Loader::kConnect, {FaultKind::Negative, {}});
    EXPECT_EQ(Ask(connect, 11).at(3), 0x00);
    m_loader->Faults().Arm(Kd02Loader::kConnect, {FaultKind::Late, std::chrono::milliseconds(300)});
    m_client->Write(connect);
    EXPECT_TRUE(m_client->Read(11, std::chrono::milliseconds(150)).empty());
    EXPECT_EQ(m_client->Read(11, std::chrono::milliseconds(1000)).size(), 11u);
    EXPECT_EQ(Ask(connect, 11).at(3), 0x01) << "faults armed once are used up";

    m_loader->Faults().Arm(Kd02Loader::kConnect, {FaultKind::StopReading, {}});
    EXPECT_EQ(Ask(connect, 11).size(), 11u);
    EXPECT_FALSE(m_sim->IsReading());
    EXPECT_TRUE(Unanswered(connect));
    m_sim->ResumeReading();

    m_loader->Faults().Arm(Kd02Loader::kConnect, {FaultKind::Unplug, {}});
    m_client->Write(connect);
    for (int i = 0; i < 200 && m_sim->IsPlugged(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(m_sim->IsPlugged());
    std::string error;
    ASSERT_TRUE(m_sim->Replug(error)) << error;
    m_client = std::make_unique<RawClient>(m_sim->SlavePath(), 19200);
    EXPECT_EQ(Ask(connect, 11).at(3), 0x01) << "the device keeps its state across a replug";
}

}  // namespace

namespace {

// With the line's speed modelled, the device takes bytes no faster than the
// line carries them and answers after its reply's time on the line.
TEST(Kd02WireTest, RepliesComeAfterTheLineTime)
{
    Kd02Options options;
    options.startInBootLoader = true;
    options.bootBaud = 9600;
    auto device = std::make_unique<Kd02Loader>(options);
    BootSimulator sim(std::move(device));
    sim.SetWireTiming(true);
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    RawClient client(sim.SlavePath(), 9600);
    const auto begin = std::chrono::steady_clock::now();
    client.Write(BootFrame(Kd02Loader::kConnect, {0xAA, 0x55, 0xAA, 0x55}));
    ASSERT_EQ(client.Read(11, std::chrono::milliseconds(2000)).size(), 11u);
    ASSERT_EQ(client.Read(0).size(), 0u);
    const auto connectTime = std::chrono::steady_clock::now() - begin;
    EXPECT_GE(connectTime, std::chrono::microseconds(22 * 10 * 1000000 / 9600)) << "22 bytes at 9600 baud";

    ASSERT_EQ(Kd02LoaderTestAsk(client, BootFrame(Kd02Loader::kErase, Le32(2048)), 7).size(), 7u);
    const auto writeBegin = std::chrono::steady_clock::now();
    client.Write(BootFrame(Kd02Loader::kWrite, Bytes(1024, 0x11)));
    ASSERT_EQ(Kd02LoaderTestAsk(client, BootFrame(Kd02Loader::kEraseResult, {}), 8).size(), 8u);
    EXPECT_GE(std::chrono::steady_clock::now() - writeBegin, std::chrono::milliseconds((1031 + 7 + 8) * 10 * 1000 / 9600 - 5));
    sim.Stop();
}

}  // namespace
