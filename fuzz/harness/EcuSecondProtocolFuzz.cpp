// The reply side of the second ECU protocol: a run of commands whose
// replies (and echoes) come from the input through the protocol's own
// receive path. Every command ends with one of the protocol's results, and
// a block read that fails leaves its image as it was.

#include "EcuReplyFeed.h"
#include "FuzzSeeds.h"
#include "link/CSerialeNew.h"
#include "link/EcuCrc16.h"

#include <array>
#include <vector>

using namespace vexar::fuzz;
using vexar::link::CSerialeNew;

namespace {

constexpr vexar::link::ProtocolTiming kNoWaits{0.0, std::chrono::milliseconds(0)};

struct Images {
    std::vector<std::uint8_t> main = std::vector<std::uint8_t>(2048, 0x11);
    std::vector<std::uint8_t> aux = std::vector<std::uint8_t>(4096, 0x22);
};

int ReadBlocks(CSerialeNew& serial, Images& images, bool main, FuzzInput& in)
{
    const std::uint16_t address = in.Word();
    const std::uint16_t length = in.Word();
    const std::vector<std::uint8_t> before = main ? images.main : images.aux;
    const int result = main ? serial.ReadMain(address, length, nullptr) : serial.ReadAux(address, length, nullptr);
    if (result != vexar::link::RES_OK)
        FUZZ_CHECK(before == (main ? images.main : images.aux));
    return result;
}

int UploadList(CSerialeNew& serial, FuzzInput& in)
{
    const std::uint16_t value = in.Word();
    std::vector<REC_UPLD_SV> blocks(in.Choice(8));
    for (REC_UPLD_SV& block : blocks) {
        block.address = in.Word() % 5000;
        block.length = in.Word() % 600;
    }
    return serial.UploadList(value, blocks, nullptr);
}

int RunCommand(CSerialeNew& serial, Images& images, FuzzInput& in)
{
    std::array<std::uint8_t, 300> bytes{};
    switch (in.Choice(12)) {
    case 0: return ReadBlocks(serial, images, true, in);
    case 1: {
        const std::uint16_t address = in.Word();
        return serial.WriteMain(address, in.Word(), nullptr);
    }
    case 2: return ReadBlocks(serial, images, false, in);
    case 3: {
        const std::uint16_t address = in.Word();
        return serial.ReadMem(address, in.Word(), bytes);
    }
    case 4: {
        const std::uint16_t address = in.Word();
        return serial.WriteMem(address, in.Word(), bytes);
    }
    case 5: {
        const std::uint16_t address = in.Word();
        const std::uint32_t keep = static_cast<std::uint32_t>(in.Word()) << 16 | in.Word();
        return serial.MaskedWrite(address, keep, static_cast<std::uint32_t>(in.Word()) << 16 | in.Word());
    }
    case 6: {
        std::array<std::uint8_t, CSerialeNew::kIdentLength> ident{};
        return serial.ReadIdent(ident);
    }
    case 7: return serial.ResetEcu();
    case 8: return serial.Session(in.Byte());
    case 9: return serial.SetBaud(in.Byte());
    case 10: return UploadList(serial, in);
    default: return EcuReplyFeed::RelayFrame(serial, in, bytes);
    }
}

}  // namespace

VEXAR_FUZZ_TARGET(EcuSecondProtocol)
{
    FuzzInput in(data, size);
    EcuReplyFeed feed(in, in.Byte());
    CSerialeNew serial(u"InfoSerialeNew", &feed, kNoWaits);
    serial.SetLineSource(feed.Port());
    Images images;
    serial.SetMainImage(images.main);
    serial.SetAuxImage(images.aux);
    for (int command = 0; command < 32 && !in.Empty(); ++command)
        FUZZ_CHECK(EcuReplyFeed::IsResult(RunCommand(serial, images, in)));
    return 0;
}

namespace {

// A frame of the second protocol with its two-byte length and CRC.
std::string Frame(std::vector<std::uint8_t> body)
{
    const std::size_t length = body.size() + 4;
    std::vector<std::uint8_t> frame{static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
    frame.insert(frame.end(), body.begin(), body.end());
    const std::uint16_t crc = vexar::link::EcuCrc16().Compute(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return std::string(frame.begin(), frame.end());
}

std::string Read(const std::string& frame) { return static_cast<char>(frame.size()) + frame; }

std::string Bytes(std::initializer_list<std::uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

VEXAR_FUZZ_SEEDS(EcuSecondProtocol)
{
    std::vector<std::uint8_t> block{0x01, 0x00, 0x01, 0x00};  // read main, block 0 at 0x0100
    block.resize(block.size() + 16, 0x5A);
    std::vector<std::uint8_t> mem{0x03, 0x01, 0x00};
    mem.resize(mem.size() + 8, 0xA5);
    std::vector<std::uint8_t> upload{0x0B, 0x00, 0x00, 0x00, 0x00, 0x00};
    upload.resize(upload.size() + 4, 0x33);

    SeedSet seeds;
    seeds.Add("read-main", Bytes({0, 0, 0x01, 0x00, 0x00, 0x10}) + Read(Frame(block)));
    seeds.Add("read-mem", Bytes({0, 3, 0x01, 0x00, 0x00, 0x08}) + Read(Frame(mem)));
    seeds.Add("write-mem-kline", Bytes({1, 4, 0x01, 0x00, 0x00, 0x01, 9}) + std::string(9, '\0') +
                                     Read(Frame({0x04, 0x01, 0x00, 0x06, 0x00})));
    seeds.Add("masked-write", Bytes({0, 5, 0x02, 0x00, 0, 0, 0, 0xFF, 0, 0, 0, 1}) +
                                  Read(Frame({0x06, 0x02, 0x00, 0x06, 0x00})));
    seeds.Add("ident", Bytes({0, 6}) + Read(Frame({0x07, 'V', 'X', 'G', '4', '_', 'R', '0', '1', '0', '7', 'A'})));
    seeds.Add("reset-session-baud", Bytes({0, 7}) + Read(Frame({0x08, 0x06})) + Bytes({8, 1}) +
                                        Read(Frame({0x09, 0x06})) + Bytes({9, 5}) + Read(Frame({0x0A, 0x05, 0x06})));
    seeds.Add("upload-bridge", Bytes({2, 10, 0x00, 0x00, 1, 0x00, 0x10, 0x00, 0x04}) + Read(Frame(upload)));
    seeds.Add("write-main-traced", Bytes({0x0C, 1, 0x00, 0x00, 0x00, 0x04}) +
                                       Read(Frame({0x02, 0x00, 0x00, 0x00, 0x06, 0x00})));
    seeds.words = {Bytes({0x52, 0x57, 0x2A, 0xD3, 0x52, 0x57, 0x2A, 0xD3}), Bytes({0x00, 0x06}), Bytes({0x06, 0x00})};
    return seeds;
}
