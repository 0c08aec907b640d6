#include "tools/hhwriter/CHandheldSender.h"

#include "HhwriterTestFiles.h"
#include "TempDir.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/BootSums.h"
#include "testing/bootsim/HandheldTerminal.h"
#include "tools/common/ImageLoaders.h"

#include <gtest/gtest.h>
#include <optional>

using namespace vexar::tools;
using namespace vexar::bootsim;
using vexar::testing::TempDir;
using hhtest::Bytes;

namespace {

class RecordingView : public IHandheldSendView {
public:
    std::size_t stopAfter = 0;  // 0: never
    void ItemBegins(long barMaximum) override
    {
        ranges.push_back(barMaximum);
        blocks = 0;
    }
    bool BlockSent(long lastByte, const std::u16string& text) override
    {
        positions.push_back(lastByte);
        texts.push_back(text);
        return stopAfter == 0 || ++blocks < stopAfter;
    }
    void StatusLine(const std::u16string& line) override { lines.push_back(line); }
    void ErrorBox(const std::u16string& text) override { boxes.push_back(text); }

    std::vector<long> ranges;
    std::vector<long> positions;
    std::vector<std::u16string> texts;
    std::vector<std::u16string> lines;
    std::vector<std::u16string> boxes;
    std::size_t blocks = 0;
};

class Silent : public CLoaderReporter {
public:
    void ShowMessage(const std::u16string& text) override { messages.push_back(text); }
    std::vector<std::u16string> messages;
};

// A clock that moves 1.5 s at every reading.
struct SteppingClock {
    std::chrono::steady_clock::time_point now{};
    std::chrono::steady_clock::time_point operator()()
    {
        now += std::chrono::milliseconds(1500);
        return now;
    }
};

class HandheldSenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("VEXAR_COM_DIR"))
            m_savedComDir = old;
        setenv("VEXAR_COM_DIR", m_com.path().c_str(), 1);
        // The items are whole memory areas (up to 128 KB) that take minutes
        // at the handheld's 19200 baud: the tests run the line faster.
        HandheldOptions options;
        options.baud = 256000;
        auto device = std::make_unique<HandheldTerminal>(std::move(options));
        m_handheld = device.get();
        m_handheld->FillBanks(0x00);
        m_sim = std::make_unique<BootSimulator>(std::move(device));
        std::string error;
        ASSERT_TRUE(m_sim->Start(error)) << error;
        ASSERT_TRUE(m_sim->PublishCom(m_com.path(), 2, error)) << error;
        m_link.SetPort(2);
        m_link.SetBaud(256000);
    }
    void TearDown() override
    {
        m_sim->Stop();
        if (m_savedComDir)
            setenv("VEXAR_COM_DIR", m_savedComDir->c_str(), 1);
        else
            unsetenv("VEXAR_COM_DIR");
    }
    Bytes Bank(int bank, std::uint32_t address, std::size_t count)
    {
        Bytes bytes;
        m_sim->WithDevice([&](BootDevice&) { bytes = m_handheld->Bank(bank, address, count); });
        return bytes;
    }
    Bytes ByteArea(std::uint32_t address, std::size_t count)
    {
        Bytes bytes;
        m_sim->WithDevice([&](BootDevice&) { bytes = m_handheld->ByteArea(address, count); });
        return bytes;
    }
    std::vector<BootRecord> Requests(std::uint8_t command)
    {
        std::vector<BootRecord> found;
        for (const BootRecord& r : m_sim->FrameLog())
            if (r.kind == BootRecord::Kind::Request && r.valid && r.command == command)
                found.push_back(r);
        return found;
    }
    LOADER_IMAGE LoadKd02(const std::string& name)
    {
        LOADER_IMAGE image;
        Silent reporter;
        const bool bin = name.size() > 3 && name.substr(name.size() - 3) == "bin";
        EXPECT_TRUE(bin ? LoadHhwriterKd02BinImage(m_files.file(name), image, reporter)
                        : LoadHhwriterKd02HexImage(m_files.file(name), image, reporter));
        return image;
    }

    TempDir m_com;
    TempDir m_files;
    std::optional<std::string> m_savedComDir;
    std::unique_ptr<BootSimulator> m_sim;
    HandheldTerminal* m_handheld = nullptr;
    CHandheldLink m_link{0.3};
    RecordingView m_view;
};

TEST(HandheldTextsTest, ProgressAndNames)
{
    EXPECT_EQ(handheld::ProgressText(0.1953125, 0), u" 0.2% Elap.00:00");
    EXPECT_EQ(handheld::ProgressText(100.0, 75), u"100.0% Elap.01:15");
    EXPECT_EQ(handheld::OverallText(100.0 / 3), u" 33 %");
    EXPECT_EQ(handheld::OverallText(100.0), u"100 %");
    EXPECT_EQ(handheld::NameBytes("/x/ABCDEFGHIJKLMNOPQRST.run"), Bytes({'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J',
                                                                         'K', 'L', 'M', 'N', 'O'}));
    EXPECT_EQ(handheld::NameBytes("fw.run"), Bytes({'f', 'w', '.', 'r', 'u', 'n', 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    const std::uint8_t data[2] = {0x11, 0x22};
    const Bytes block = CHandheldLink::BlockFrame(5, 0x1234, data, 2);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 8), Bytes({10, 0x4C, 5, 0x12, 0x34, 2, 0x11, 0x22}));
    const std::uint16_t crc = ApplicationCrc(std::span(block).first(8));
    EXPECT_EQ(block[8], crc & 0xFF);
    EXPECT_EQ(block[9], crc >> 8);
}

// A short language file: 512 frames of 72 bytes to bank 2, which then
// holds the file padded with 0xFF; the progress with a clock.
TEST_F(HandheldSenderTest, LanguageFile)
{
    const Bytes file = hhtest::Pattern(20000, 5);
    hhtest::WriteBytes(m_files.file("lang.bin"), file);
    std::vector<std::uint8_t> language;
    Silent reporter;
    ASSERT_TRUE(LoadHandheldLanguageFile(m_files.file("lang.bin"), language, reporter));
    CHandheldSender sender(m_link, m_view, SteppingClock{});
    ASSERT_TRUE(sender.SendLanguage(language));
    const std::vector<BootRecord> frames = Requests(HandheldTerminal::kBlockWrite);
    ASSERT_EQ(frames.size(), 512u);
    for (const BootRecord& frame : frames) {
        EXPECT_EQ(frame.bytes.size(), 72u);
        EXPECT_EQ(frame.bytes[2], 2);
    }
    Bytes expected = file;
    expected.resize(0x8000, 0xFF);
    EXPECT_EQ(Bank(2, 0, 0x8000), expected);
    EXPECT_EQ(m_view.ranges, std::vector<long>{0x7FFF});
    EXPECT_EQ(m_view.positions.back(), 0x7FFF);
    EXPECT_EQ(m_view.texts.front(), u" 0.2% Elap.00:01");
    EXPECT_EQ(m_view.texts.back(), u"100.0% Elap.12:48");
    EXPECT_FALSE(m_link.IsOpen()) << "closed after the item";
}

// KD01: 512 blocks, 0xFF ones too, then a 20-character name as its first
// 15 bytes and the 9 descriptor bytes.
TEST_F(HandheldSenderTest, Kd01FirmwareNameAndDescriptor)
{
    const std::string name = "ABCDEFGHIJKLMNOPQRST.s19";
    const Bytes memory = hhtest::WriteKd01S19(m_files.file(name));
    LOADER_IMAGE image;
    Silent reporter;
    ASSERT_TRUE(LoadHhwriterKd01Image(m_files.file(name), image, reporter));
    CHandheldSender sender(m_link, m_view);
    ASSERT_TRUE(sender.SendKd01(image, name));
    EXPECT_EQ(Requests(HandheldTerminal::kBlockWrite).size(), 512u);
    EXPECT_EQ(Bank(0, 0, 0x8000), Bytes(memory.begin() + 0x8000, memory.end()));
    EXPECT_EQ(Requests(HandheldTerminal::kByteWrite).size(), 15u + 9u);
    EXPECT_EQ(ByteArea(0x08E1, 15), Bytes(name.begin(), name.begin() + 15));
    EXPECT_EQ(ByteArea(0x08D8, 9), Bytes({0x80, 0x00, 0x83, 0xFF, 0x80, 0x00, static_cast<std::uint8_t>(image.checksum >> 8),
                                          static_cast<std::uint8_t>(image.checksum), 0x01}));
}

// KD02 images 64 and 32 bytes longer than one bank: the last block goes to
// bank 5 at 0, whole or short; the descriptor carries size and word sum.
TEST_F(HandheldSenderTest, Kd02IntoTwoBanks)
{
    for (const std::uint32_t size : {0x10040u, 0x10020u}) {
        SCOPED_TRACE(size);
        m_sim->ClearFrameLog();
        const Bytes file = hhtest::Pattern(size, size);
        hhtest::WriteBytes(m_files.file("kd02.bin"), file);
        const LOADER_IMAGE image = LoadKd02("kd02.bin");
        CHandheldSender sender(m_link, m_view);
        ASSERT_TRUE(sender.SendKd02(image, "kd02.bin"));
        const std::vector<BootRecord> frames = Requests(HandheldTerminal::kBlockWrite);
        ASSERT_EQ(frames.size(), 0x401u);
        const Bytes& last = frames.back().bytes;
        EXPECT_EQ(last[2], 5);
        EXPECT_EQ(last[3], 0);
        EXPECT_EQ(last[4], 0);
        EXPECT_EQ(last[5], size - 0x10000);
        EXPECT_EQ(Bank(1, 0, 0x10000), Bytes(file.begin(), file.begin() + 0x10000));
        EXPECT_EQ(Bank(5, 0, size - 0x10000), Bytes(file.begin() + 0x10000, file.end()));
        const std::uint16_t sum = WordSum16(file, 0xFF);
        EXPECT_EQ(ByteArea(0x0940, 7), Bytes({0x00, 0x01, 0x00, static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(sum >> 8),
                                              static_cast<std::uint8_t>(sum), 0x01}));
        EXPECT_EQ(ByteArea(0x0947, 8), Bytes({'k', 'd', '0', '2', '.', 'b', 'i', 'n'}));
        EXPECT_EQ(m_view.positions.back(), long(size) - 1);
    }
}

// A ".hex" that starts above 0x18000: the handheld gets 0x18000 up to the
// stop (its tail included), and the descriptor describes that range.
TEST_F(HandheldSenderTest, Kd02HexStartingAboveTheBaseIsSentWhole)
{
    const Bytes data = hhtest::Pattern(0x200, 9);
    hhtest::WriteHex(m_files.file("kd02.hex"), 0x18100, data);
    const LOADER_IMAGE image = LoadKd02("kd02.hex");
    ASSERT_EQ(image.start, 0x18100u);
    CHandheldSender sender(m_link, m_view);
    ASSERT_TRUE(sender.SendKd02(image, "kd02.hex"));
    Bytes expected(0x100, 0xFF);
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(Bank(1, 0, 0x300), expected) << "the tail arrives";
    const std::uint16_t sum = WordSum16(expected, 0xFF);
    EXPECT_EQ(ByteArea(0x0940, 7), Bytes({0, 0, 0x03, 0x00, static_cast<std::uint8_t>(sum >> 8),
                                          static_cast<std::uint8_t>(sum), 0x01}));
}

// More than the handheld keeps is refused from ".hex" as from ".bin".
TEST_F(HandheldSenderTest, Kd02TooBigIsRefused)
{
    hhtest::WriteHex(m_files.file("big.hex"), 0x18000, hhtest::Pattern(0x20010, 1));
    hhtest::WriteBytes(m_files.file("big.bin"), hhtest::Pattern(0x20001, 1));
    for (const char* name : {"big.hex", "big.bin"}) {
        LOADER_IMAGE image;
        Silent reporter;
        const bool bin = std::string(name) == "big.bin";
        EXPECT_FALSE(bin ? LoadHhwriterKd02BinImage(m_files.file(name), image, reporter)
                         : LoadHhwriterKd02HexImage(m_files.file(name), image, reporter));
        EXPECT_EQ(reporter.messages, std::vector<std::u16string>{u"ERROR: KD02 file too big!"}) << name;
        EXPECT_FALSE(image.loaded);
    }
    hhtest::WriteHex(m_files.file("full.hex"), 0x18000, hhtest::Pattern(0x20000, 1));
    EXPECT_TRUE(LoadKd02("full.hex").loaded) << "exactly 0x20000 bytes fit";
}

// Faults: a block without its reply, a short reply, a device that stops
// reading or is unplugged; a byte write answered without "A" in the name
// or the descriptor; Stop after a block. Each fails the item.
TEST_F(HandheldSenderTest, FaultsFailTheItem)
{
    const Bytes memory = hhtest::WriteKd01S19(m_files.file("fw.s19"));
    LOADER_IMAGE image;
    Silent reporter;
    ASSERT_TRUE(LoadHhwriterKd01Image(m_files.file("fw.s19"), image, reporter));
    struct Case {
        const char* name;
        std::uint8_t command;
        Fault fault;
        std::size_t nth;
        std::vector<std::u16string> boxes;
    };
    const std::vector<Case> cases{
        {"silent block", 0x4C, {FaultKind::Silence, {}}, 3, {}},
        {"short block reply", 0x4C, {FaultKind::Short, {}}, 1, {}},
        {"stop reading", 0x4C, {FaultKind::StopReading, {}}, 10, {}},
        {"unplug", 0x4C, {FaultKind::Unplug, {}}, 100, {}},
        {"name without A", 0x41, {FaultKind::WrongEcho, {}}, 4, {u"ERROR: writing FW KD01 file name"}},
        {"name short", 0x41, {FaultKind::Short, {}}, 1, {u"ERROR: writing FW KD01 file name"}},
        {"descriptor without A", 0x41, {FaultKind::WrongEcho, {}}, 16, {u"ERROR: writing FW data"}},
        {"descriptor silent", 0x41, {FaultKind::Silence, {}}, 24, {u"ERROR: writing FW data"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        ASSERT_TRUE(m_sim->Replug(error)) << error;
        m_sim->ResumeReading();
        m_sim->WithDevice([&](BootDevice&) {
            m_handheld->ApplicationFaults().Clear();
            m_handheld->ApplicationFaults().Arm(c.command, c.fault, false, c.nth);
        });
        m_view = RecordingView{};
        CHandheldSender sender(m_link, m_view);
        EXPECT_FALSE(sender.SendKd01(image, "fw.s19"));
        EXPECT_EQ(m_view.boxes, c.boxes);
        EXPECT_FALSE(m_link.IsOpen());
    }
    std::string error;
    ASSERT_TRUE(m_sim->Replug(error)) << error;
    m_sim->ResumeReading();
    m_sim->WithDevice([&](BootDevice&) { m_handheld->ApplicationFaults().Clear(); });
    m_view = RecordingView{};
    m_view.stopAfter = 5;
    CHandheldSender sender(m_link, m_view);
    m_sim->ClearFrameLog();
    EXPECT_FALSE(sender.SendKd01(image, "fw.s19")) << "Stop ends the item after its block";
    EXPECT_EQ(Requests(HandheldTerminal::kBlockWrite).size(), 5u);

    m_link.SetPort(9);
    m_view = RecordingView{};
    EXPECT_FALSE(sender.SendKd01(image, "fw.s19"));
    EXPECT_EQ(m_view.lines, std::vector<std::u16string>{u"Error open serial port!"});
}

}  // namespace
