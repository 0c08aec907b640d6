#pragma once

#include "testing/bootsim/BootDevice.h"
#include "testing/bootsim/BootFaults.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vexar::bootsim {

struct HandheldOptions {
    long baud = 19200;               // the application and the boot loader listen on it
    bool poweredOn = true;
    bool startInBootLoader = false;  // else the application runs
    std::chrono::milliseconds greetingDelay{50};  // from the boot request (or power-on, or PING) to the greeting
    std::vector<std::string> noiseLines;          // sent before the greeting, each with its CR LF
    std::uint8_t cpuCode = 0x3C;                  // the information reply's CPU byte
};

// What the boot loader's information request reports: the values the
// previous ERASE delivered and the checksum of the previous CHECK.
struct HandheldDownloadRecord {
    std::uint8_t hour = 0, minute = 0, second = 0, day = 0, month = 0;
    std::uint16_t year = 0;
    std::uint16_t start = 0, stop = 0, reset = 0, checksum = 0;
};

// The workshop's handheld terminal. Its application takes frames of
// {length, command, ..., CRC-16 low, high}: the boot request 04 4E
// (answered with 4 bytes, byte 1 0x4E, then the boot loader starts and
// greets), block writes {n+8, "L", bank, address, n, data} into 64 KB banks
// 0, 1, 2 and 5 and byte writes {7, "A", address, value} into its own byte
// area; each answered with 4 bytes echoing the command at byte 1.
//
// Its microcontroller's boot loader takes {length (2 bytes), command,
// sequence (not PING and INFO), payload, CRC-16 low, high} and answers 7
// bytes (INFO 27): length, command, the request's byte 3, 0x06, CRC. ERASE
// records time, date, range and reset vector (kept across runs) and erases
// 0x0E00-0xEFFF and 0xFFCC-0xFFFF; WRITE stores addressed blocks whose
// sequence numbers count the 64-byte blocks from the first one at the
// start rounded down to 64 (so a gap in the numbers must be a gap of
// skipped blocks); VECTORS stores 0xCC triples from 0xFFCC on; CHECK
// compares the byte sum of start-stop and the vector area.
// Switched off, it hears nothing until switched on.
class HandheldTerminal : public BootDevice {
public:
    // Boot-loader commands.
    static constexpr std::uint8_t kErase = 0x40;
    static constexpr std::uint8_t kWrite = 0x41;
    static constexpr std::uint8_t kVectors = 0x42;
    static constexpr std::uint8_t kCheck = 0x43;
    static constexpr std::uint8_t kPing = 0x44;
    static constexpr std::uint8_t kInfo = 0x45;
    // Application commands.
    static constexpr std::uint8_t kBootRequest = 0x4E;
    static constexpr std::uint8_t kBlockWrite = 0x4C;
    static constexpr std::uint8_t kByteWrite = 0x41;

    static constexpr std::uint32_t kProgramFirst = 0x0E00;
    static constexpr std::uint32_t kProgramLast = 0xEFFF;
    static constexpr std::uint32_t kVectorFirst = 0xFFCC;
    static constexpr char kGreeting[] = " Waiting for code download\r\n";

    explicit HandheldTerminal(HandheldOptions options = {});

    long ListeningBaud() const override;
    std::optional<FrameOutcome> Heard(std::uint8_t byte) override;
    std::vector<std::uint8_t> DropPartial() override;
    std::vector<TimedBytes> TakeUnsolicited() override;

    // Faults of the application's frames (keyed by 0x4E, 0x4C, 0x41) and of
    // the boot loader's (keyed by its command codes).
    BootFaults& ApplicationFaults() { return m_appFaults; }
    BootFaults& LoaderFaults() { return m_bootFaults; }

    void PowerOn();
    void PowerOff();
    bool IsOn() const { return m_on; }
    bool InBootLoader() const { return m_boot; }
    void SetInBootLoader(bool boot) { m_boot = boot; }
    void SetCpuCode(std::uint8_t code) { m_options.cpuCode = code; }
    void SetGreetingDelay(std::chrono::milliseconds delay) { m_options.greetingDelay = delay; }

    // The microcontroller's flash.
    std::vector<std::uint8_t> Flash(std::uint32_t address, std::size_t count) const;
    void FillFlash(std::uint8_t value);
    const HandheldDownloadRecord& LastDownload() const { return m_record; }

    // The application's memory: a bank of block writes (0xFF for banks it
    // does not have) and the byte area.
    std::vector<std::uint8_t> Bank(int bank, std::uint32_t address, std::size_t count) const;
    std::vector<std::uint8_t> ByteArea(std::uint32_t address, std::size_t count) const;
    void FillBanks(std::uint8_t value);

private:
    std::optional<FrameOutcome> HeardApplication(std::uint8_t byte);
    std::optional<FrameOutcome> HeardBootLoader(std::uint8_t byte);
    FrameOutcome Application(std::vector<std::uint8_t> frame);
    FrameOutcome BootLoader(std::vector<std::uint8_t> frame);
    bool ActApplication(const std::vector<std::uint8_t>& frame, std::string& note);
    bool ActBootLoader(std::uint8_t command, const std::vector<std::uint8_t>& frame, std::string& note);
    std::vector<std::uint8_t> InfoPayload() const;
    std::vector<TimedBytes> GreetingBytes(std::chrono::milliseconds after) const;
    // Where bank 0, 1, 2 or 5 lies in m_banks; -1 for another.
    static int BankIndex(int bank);

    HandheldOptions m_options;
    BootFaults m_appFaults;
    BootFaults m_bootFaults;
    bool m_on;
    bool m_boot;
    std::vector<std::uint8_t> m_buffer;
    std::vector<std::uint8_t> m_flash;
    std::vector<std::uint8_t> m_banks[4];  // banks 0, 1, 2 and 5
    std::vector<std::uint8_t> m_byteArea;
    std::vector<TimedBytes> m_unsolicited;
    HandheldDownloadRecord m_record;
    bool m_erased = false;
    std::uint8_t m_firstSequence = 0;  // the sequence number of the block at m_blockBase
    std::uint32_t m_blockBase = 0;
    std::uint32_t m_lastWrite = 0;     // the address of the last accepted WRITE
    bool m_vectorsDone = false;
};

}  // namespace vexar::bootsim
