#pragma once

#include "testing/bootsim/BootDevice.h"
#include "testing/bootsim/BootFaults.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vexar::bootsim {

struct Kd01Options {
    long baud = 19200;               // the application and the boot loader listen on it
    bool poweredOn = true;
    bool startInBootLoader = false;  // else the application runs
    std::chrono::milliseconds greetingDelay{30};  // from the reset (or power-on) to the greeting
    std::vector<std::string> noiseLines;          // sent before the greeting, each with its CR LF
    std::chrono::milliseconds eraseTime{0};
};

// A KD01 gas ECU: its application answers the reset frame (CRC-16) within
// 20 ms and starts the boot loader, which greets with " Waiting for code
// download" after a delay. The boot loader (8-bit-sum frames with a
// sequence number) erases the program area, stores addressed writes,
// takes the interrupt vectors from 0xCC triples, refuses its own area
// 0xEFC0-0xFFDF and checks the byte sum of the program and the vectors.
// Powered off it hears nothing until switched on.
class Kd01Loader : public BootDevice {
public:
    static constexpr std::uint8_t kErase = 0x40;
    static constexpr std::uint8_t kWrite = 0x41;
    static constexpr std::uint8_t kVectors = 0x42;
    static constexpr std::uint8_t kCheck = 0x43;
    static constexpr std::uint8_t kAppReset = 0x08;
    static constexpr std::uint32_t kProgramFirst = 0x8000;
    static constexpr std::uint32_t kLoaderFirst = 0xEFC0;
    static constexpr std::uint32_t kVectorFirst = 0xFFE0;
    static constexpr char kGreeting[] = " Waiting for code download\r\n";

    explicit Kd01Loader(Kd01Options options = {});

    long ListeningBaud() const override;
    std::optional<FrameOutcome> Heard(std::uint8_t byte) override;
    std::vector<std::uint8_t> DropPartial() override;
    std::vector<TimedBytes> TakeUnsolicited() override;

    BootFaults& Faults() { return m_faults; }
    // Switches the board on: the boot loader starts and greets.
    void PowerOn();
    void PowerOff();
    bool IsOn() const { return m_on; }
    bool InBootLoader() const { return m_boot; }
    void SetInBootLoader(bool boot) { m_boot = boot; }
    std::vector<std::uint8_t> Memory(std::uint32_t address, std::size_t count) const;
    void FillMemory(std::uint8_t value);
    // The time and date words of the last ERASE.
    std::uint16_t EraseTime() const { return m_eraseTime; }
    std::uint16_t EraseDate() const { return m_eraseDate; }
    // Bytes sent by the application or the boot loader besides replies
    // queued so far (the greeting, noise).
    std::vector<TimedBytes> GreetingBytes() const;

private:
    std::optional<FrameOutcome> HeardApplication(std::uint8_t byte);
    std::optional<FrameOutcome> HeardBootLoader(std::uint8_t byte);
    FrameOutcome BootLoader(std::vector<std::uint8_t> frame);
    // Acts on a checked request; false to refuse it.
    bool Act(std::uint8_t command, const std::vector<std::uint8_t>& frame, std::string& note);

    Kd01Options m_options;
    BootFaults m_faults;
    bool m_on;
    bool m_boot;
    std::vector<std::uint8_t> m_buffer;
    std::vector<std::uint8_t> m_memory;
    std::vector<TimedBytes> m_unsolicited;
    bool m_erased = false;
    int m_expected = -1;  // the sequence number the next WRITE must carry; -1 before ERASE
    int m_lastAccepted = -1;
    std::uint16_t m_start = 0;
    std::uint16_t m_stop = 0;
    std::uint16_t m_eraseTime = 0;
    std::uint16_t m_eraseDate = 0;
};

}  // namespace vexar::bootsim
