// The reply side of the first ECU protocol: a run of commands whose
// replies (and echoes) come from the input through the protocol's own
// receive path. Every command ends with one of the protocol's results.

#include "EcuReplyFeed.h"
#include "FuzzSeeds.h"
#include "link/CSeriale.h"
#include "link/EcuCrc16.h"

#include <array>

using namespace vexar::fuzz;
using vexar::link::CSeriale;

namespace {

constexpr vexar::link::ProtocolTiming kNoWaits{0.0, std::chrono::milliseconds(0)};

int RunCommand(CSeriale& serial, FuzzInput& in)
{
    switch (in.Choice(8)) {
    case 0: return serial.ReadByte(in.Byte());
    case 1: return serial.WriteByte(in.Byte());
    case 2: {
        const std::uint8_t index = in.Byte();
        return serial.ReadAuxBlock(index, in.Byte());
    }
    case 3: {
        const std::uint8_t index = in.Byte();
        const std::uint8_t keep = in.Byte();
        return serial.MaskedWriteAuxByte(index, keep, in.Byte());
    }
    case 4: {
        std::array<std::uint8_t, CSeriale::kIdentLength> ident{};
        return serial.ReadIdent(ident);
    }
    case 5: return serial.ResetEcu();
    case 6: return serial.Session(in.Byte());
    default: {
        std::array<std::uint8_t, 300> reply{};
        return EcuReplyFeed::RelayFrame(serial, in, reply);
    }
    }
}

}  // namespace

VEXAR_FUZZ_TARGET(EcuFirstProtocol)
{
    FuzzInput in(data, size);
    EcuReplyFeed feed(in, in.Byte());
    CSeriale serial(u"InfoSeriale", &feed, kNoWaits);
    serial.SetLineSource(feed.Port());
    std::array<std::uint8_t, 256> main{};
    std::array<std::uint8_t, 200> aux{};
    serial.SetMainImage(main);
    serial.SetAuxImage(aux);
    for (int command = 0; command < 32 && !in.Empty(); ++command)
        FUZZ_CHECK(EcuReplyFeed::IsResult(RunCommand(serial, in)));
    return 0;
}

namespace {

// A frame of the first protocol with its length and CRC.
std::string Frame(std::initializer_list<std::uint8_t> body)
{
    std::vector<std::uint8_t> frame{static_cast<std::uint8_t>(body.size() + 3)};
    frame.insert(frame.end(), body);
    const std::uint16_t crc = vexar::link::EcuCrc16().Compute(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return std::string(frame.begin(), frame.end());
}

// A read of the whole frame: its count byte, then the frame.
std::string Read(const std::string& frame) { return static_cast<char>(frame.size()) + frame; }

}  // namespace

VEXAR_FUZZ_SEEDS(EcuFirstProtocol)
{
    const std::string readByte = std::string("\x00\x10", 2) + Read(Frame({0x01, 0x10, 0x3C}));
    const std::string ack = Read(Frame({0x02, 0x06}));
    std::string ident = Read(Frame({0x07, 'V', 'X', 'G', '4', '_', 'R', '0', '1', '0', '7', 'A'}));
    SeedSet seeds;
    seeds.Add("read-byte", std::string(1, '\0') + readByte);
    seeds.Add("read-byte-kline", std::string("\x01\x00\x10", 3) + Read(Frame({0x01, 0x10})) +
                                     Read(Frame({0x01, 0x10, 0x3C})));
    seeds.Add("read-byte-bridge-traced", std::string(1, '\x0E') + readByte);
    seeds.Add("write-byte", std::string("\x00\x01\x10", 3) + ack);
    seeds.Add("read-aux", std::string("\x00\x02\x00\x04", 4) + Read(Frame({0x05, 0x00, 1, 2, 3, 4})));
    seeds.Add("ident-reset-session", std::string("\x00\x04", 2) + ident + std::string(1, '\x05') +
                                         Read(Frame({0x08, 0x06})) + std::string("\x06\x01", 2) +
                                         Read(Frame({0x09, 0x06})));
    seeds.Add("relay", std::string("\x00\x07", 2) + Read(Frame({0x01, 0x10})) + Read(Frame({0x01, 0x10, 0x3C})));
    seeds.words = {std::string("\x06\x01", 2), std::string("\x05\x02\x06", 3),
                   std::string("\x52\x57\x2A\xD3\x52\x57\x2A\xD3", 8)};
    return seeds;
}
