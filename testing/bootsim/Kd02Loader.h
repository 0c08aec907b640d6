#pragma once

#include "testing/bootsim/BootDevice.h"
#include "testing/bootsim/BootFaults.h"

#include <cstdint>
#include <vector>

namespace vexar::bootsim {

struct Kd02Options {
    long bootBaud = 19200;           // the speed the boot loader listens on
    bool startInBootLoader = false;  // else the application runs (at 9600)
    std::uint8_t oldFlash = 0x00;    // what the flash holds before an erase
    std::chrono::milliseconds eraseTime{0};  // before ERASE is answered
};

// A KD02 gas ECU: its application, which answers only the query and the
// reset frames (CRC-16 frames at 9600 baud) and enters the boot loader on
// reset, and its boot loader (16-bit-sum frames at the boot speed) with the
// flash 0x18000-0x4FFFF. ERASE erases from 0x18000 as many bytes as it
// says; WRITE frames carry no address, so their data is stored one after
// the other from 0x18000; WRITE_VERIFY compares the word sum of the erased
// range (an odd one padded with 0xFF) with the one STOPDOWNLOAD gave. DISCONNECT starts the application.
class Kd02Loader : public BootDevice {
public:
    static constexpr std::uint32_t kFlashFirst = 0x18000;
    static constexpr std::uint32_t kFlashLast = 0x4FFFF;

    // Command codes (the application's are its frames' third byte).
    static constexpr std::uint8_t kConnect = 0x01;
    static constexpr std::uint8_t kErase = 0x03;
    static constexpr std::uint8_t kEraseResult = 0x04;
    static constexpr std::uint8_t kWrite = 0x05;
    static constexpr std::uint8_t kStopDownload = 0x06;
    static constexpr std::uint8_t kWriteVerify = 0x07;
    static constexpr std::uint8_t kDisconnect = 0x0A;
    static constexpr std::uint8_t kAppReset = 0x08;
    static constexpr std::uint8_t kAppQuery = 0x09;

    explicit Kd02Loader(Kd02Options options = {});

    long ListeningBaud() const override;
    std::optional<FrameOutcome> Heard(std::uint8_t byte) override;
    std::vector<std::uint8_t> DropPartial() override;

    BootFaults& Faults() { return m_faults; }
    bool InBootLoader() const { return m_boot; }
    void SetInBootLoader(bool boot) { m_boot = boot; }
    // `count` bytes of flash from `address` (0xFF outside the flash).
    std::vector<std::uint8_t> Flash(std::uint32_t address, std::size_t count) const;
    void FillFlash(std::uint8_t value);
    // Bytes stored by WRITE since the last ERASE.
    std::size_t BytesWritten() const { return m_writeAddress - kFlashFirst; }
    std::uint32_t ErasedLength() const { return m_eraseLength; }

private:
    std::optional<FrameOutcome> HeardApplication(std::uint8_t byte);
    std::optional<FrameOutcome> HeardBootLoader(std::uint8_t byte);
    FrameOutcome Application(std::vector<std::uint8_t> frame);
    FrameOutcome BootLoader(std::vector<std::uint8_t> frame);
    // Acts on a checked request; false when it refuses it.
    bool Act(std::uint8_t command, const std::vector<std::uint8_t>& frame, std::uint8_t& status, std::string& note);

    Kd02Options m_options;
    BootFaults m_faults;
    bool m_boot;
    std::vector<std::uint8_t> m_buffer;
    std::vector<std::uint8_t> m_flash;
    bool m_connected = false;
    bool m_erased = false;
    bool m_writeFault = false;
    bool m_stopSeen = false;
    std::uint32_t m_eraseLength = 0;
    std::uint32_t m_writeAddress = kFlashFirst;
    std::uint16_t m_stopSum = 0;
};

}  // namespace vexar::bootsim
