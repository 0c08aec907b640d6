#pragma once

// The frames kd02flash exchanges: the ECU application's query and reset
// (CRC-16, sent at 9600 baud) and the boot loader's commands (16-bit sum).

#include <cstdint>
#include <span>
#include <vector>

namespace vexar::tools::kd02 {

inline constexpr std::uint8_t CMD_CONNECT = 0x01;
inline constexpr std::uint8_t CMD_ERASE = 0x03;
inline constexpr std::uint8_t CMD_ERASE_RESULT = 0x04;
inline constexpr std::uint8_t CMD_WRITE = 0x05;
inline constexpr std::uint8_t CMD_STOPDOWNLOAD = 0x06;
inline constexpr std::uint8_t CMD_WRITE_VERIFY = 0x07;
inline constexpr std::uint8_t CMD_DISCONNECT = 0x0A;
inline constexpr std::size_t kMostWriteBytes = 1024;

// 00 06 09 01 CRC (opens a diagnostic session) and 00 05 08 CRC.
std::vector<std::uint8_t> ApplicationQueryFrame();
std::vector<std::uint8_t> ApplicationResetFrame();
// A 6-byte reply with `command` at byte 2, 0x06 at byte 3 and the CRC of
// bytes 0-3 in bytes 4 (low) and 5.
bool ApplicationReplyAccepted(std::span<const std::uint8_t> reply, std::uint8_t command);

// Command, length (low first), 0x00, 0x01, payload, 16-bit sum (low first).
std::vector<std::uint8_t> BootFrame(std::uint8_t command, std::span<const std::uint8_t> payload);
// Byte 0 the command, byte 3 0x01 and the last two bytes the sum of the
// bytes before them.
bool BootReplyAccepted(std::span<const std::uint8_t> reply, std::uint8_t command);
// CONNECT's reply: as above, except that when bytes 5-8 are not AA 55 AA 55
// the sum is not looked at.
bool ConnectReplyAccepted(std::span<const std::uint8_t> reply);

}  // namespace vexar::tools::kd02
