#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/BootSums.h"
#include "testing/bootsim/Kd01Loader.h"

#include "RawClient.h"

#include <gtest/gtest.h>
#include <memory>
#include <span>
#include <thread>

using namespace vexar::bootsim;
using vexar::bootsim::test::Bytes;
using vexar::bootsim::test::RawClient;

namespace {

Bytes Frame(std::uint8_t command, std::uint8_t sequence, const Bytes& payload)
{
    Bytes frame{static_cast<std::uint8_t>(payload.size() + 4), command, sequence};
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(ByteSum8(frame));
    return frame;
}

std::string Text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

class Kd01LoaderTest : public ::testing::Test {
protected:
    void Start(Kd01Options options = {})
    {
        auto device = std::make_unique<Kd01Loader>(std::move(options));
        m_loader = device.get();
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
    Bytes Ask(const Bytes& frame, std::size_t length = 5)
    {
        m_client->Write(frame);
        return m_client->Read(length);
    }

    Kd01Loader* m_loader = nullptr;
    std::unique_ptr<BootSimulator> m_sim;
    std::unique_ptr<RawClient> m_client;
};

TEST_F(Kd01LoaderTest, ResetGreetingAndDownload)
{
    Kd01Options options;
    options.noiseLines = {"debug 1"};
    Start(options);
    const Bytes reset = Ask({0x04, 0x08, 0x03, 0x06});
    ASSERT_EQ(reset.size(), 5u);
    EXPECT_EQ(reset[1], 0x08);
    EXPECT_EQ(reset[2], 0x06);
    const std::uint16_t crc = ApplicationCrc(std::span(reset).first(3));
    EXPECT_EQ(reset[3], crc & 0xFF);
    EXPECT_EQ(reset[4], crc >> 8);
    EXPECT_EQ(Text(m_client->Read(9)), "debug 1\r\n");
    EXPECT_EQ(Text(m_client->Read(28)), " Waiting for code download\r\n");

    // ERASE 3 March 2008 14:25:30, start 0x8010, stop 0x807F, vector 0x8010.
    const Bytes erase = Ask(Frame(0x40, 0, {0x73, 0x2F, 0x10, 0x63, 0x80, 0x10, 0x80, 0x7F, 0x80, 0x10}));
    ASSERT_EQ(erase.size(), 5u);
    EXPECT_EQ(erase[1], 0x40);
    EXPECT_EQ(erase[2], 0);
    EXPECT_EQ(erase[3], 0x06);
    EXPECT_EQ(erase[4], ByteSum8(std::span(erase).first(4)));
    m_sim->WithDevice([&](BootDevice&) {
        EXPECT_EQ(m_loader->EraseTime(), 0x732F);
        EXPECT_EQ(m_loader->EraseDate(), 0x1063);
    });
    Bytes block(64);
    for (std::size_t i = 0; i < 64; ++i)
        block[i] = static_cast<std::uint8_t>(i + 1);
    Bytes write{0x80, 0x40, 64};
    write.insert(write.end(), block.begin(), block.end());
    EXPECT_EQ(Ask(Frame(0x41, 1, write)).at(3), 0x06);
    EXPECT_EQ(Ask(Frame(0x41, 1, write)).at(3), 0x06) << "a repeated write is answered again";
    EXPECT_EQ(Ask(Frame(0x41, 5, write)).at(3), 0x15) << "a sequence out of order is refused";
    Bytes loaderArea{0xEF, 0xC0, 1, 0x00};
    EXPECT_EQ(Ask(Frame(0x41, 2, loaderArea)).at(3), 0x15) << "the loader's own area is refused";
    Bytes vectors;
    for (int i = 0; i < 16; ++i)
        vectors.insert(vectors.end(), {0xCC, 0x80, static_cast<std::uint8_t>(0x10 + i)});
    const Bytes vectorFrame = Frame(0x42, 2, vectors);
    EXPECT_EQ(vectorFrame.size(), 52u);
    EXPECT_EQ(Ask(vectorFrame).at(3), 0x06);
    unsigned sum = 0;
    for (std::size_t a = 0x8010; a <= 0x807F; ++a)
        sum += (a >= 0x8040 && a < 0x8080) ? block[a - 0x8040] : 0xFF;
    for (int i = 0; i < 16; ++i)
        sum += 0x80 + 0x10 + i;
    EXPECT_EQ(Ask(Frame(0x43, 2, {static_cast<std::uint8_t>(sum >> 8), static_cast<std::uint8_t>(sum)})).at(3), 0x06);
    EXPECT_EQ(Ask(Frame(0x43, 2, {0, 0})).at(3), 0x15);
    m_sim->WithDevice([&](BootDevice&) {
        EXPECT_EQ(m_loader->Memory(0x8040, 64), block);
        EXPECT_EQ(m_loader->Memory(0xFFE0, 2), (Bytes{0x80, 0x10}));
    });
}

TEST_F(Kd01LoaderTest, PoweredOffUntilSwitchedOn)
{
    Kd01Options options;
    options.poweredOn = false;
    Start(options);
    m_client->Write({0x04, 0x08, 0x03, 0x06});
    EXPECT_TRUE(m_client->Read(1, std::chrono::milliseconds(100)).empty());
    m_sim->WithDevice([](BootDevice& device) { static_cast<Kd01Loader&>(device).PowerOn(); });
    EXPECT_EQ(Text(m_client->Read(28)), " Waiting for code download\r\n");
    EXPECT_EQ(Ask(Frame(0x40, 0, {0, 0, 0, 0, 0x80, 0, 0x80, 0x3F, 0x80, 0})).at(3), 0x06);
}

TEST_F(Kd01LoaderTest, FaultsOnTheBootLoader)
{
    Kd01Options options;
    options.startInBootLoader = true;
    Start(options);
    const Bytes erase = Frame(0x40, 0, {0, 0, 0, 0, 0x80, 0, 0x80, 0x3F, 0x80, 0});
    m_loader->Faults().Arm(0x40, {FaultKind::Silence, {}});
    m_client->Write(erase);
    EXPECT_TRUE(m_client->Read(1, std::chrono::milliseconds(100)).empty());
    m_loader->Faults().Arm(0x40, {FaultKind::BadSum, {}});
    const Bytes bad = Ask(erase);
    ASSERT_EQ(bad.size(), 5u);
    EXPECT_NE(bad[4], ByteSum8(std::span(bad).first(4)));
    m_loader->Faults().Arm(0x40, {FaultKind::WrongEcho, {}});
    EXPECT_NE(Ask(erase).at(1), 0x40);
    m_loader->Faults().Arm(0x40, {FaultKind::Negative, {}});
    EXPECT_EQ(Ask(erase).at(3), 0x15);
    Bytes badSum = erase;
    badSum.back() ^= 1;
    m_client->Write(badSum);
    EXPECT_TRUE(m_client->Read(1, std::chrono::milliseconds(100)).empty()) << "a wrong sum is not answered";
}

}  // namespace
