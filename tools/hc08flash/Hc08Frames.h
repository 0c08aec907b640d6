#pragma once

#include "tools/common/LoaderImage.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace vexar::tools::hc08 {

// The handheld terminal's application request to enter its boot loader:
// 0x04 0x4E and the CRC of those two bytes.
inline constexpr std::uint8_t APP_BOOT_REQUEST = 0x4E;
std::vector<std::uint8_t> ApplicationRequest();
// Four bytes with the request's command at byte 1.
bool ApplicationAnswerAccepted(const std::uint8_t* reply, int count);

// The boot loader's commands.
inline constexpr std::uint8_t CMD_ERASE = 0x40;
inline constexpr std::uint8_t CMD_WRITE = 0x41;
inline constexpr std::uint8_t CMD_VECTORS = 0x42;
inline constexpr std::uint8_t CMD_CHECK = 0x43;
inline constexpr std::uint8_t CMD_PING = 0x44;
inline constexpr std::uint8_t CMD_INFO = 0x45;
inline constexpr int kReplyLength = 7;
inline constexpr int kInfoReplyLength = 27;
// WRITE and VECTORS carry at most this many image bytes.
inline constexpr std::size_t kMaxDataBytes = 200;

// A request: length (2 bytes, high first), command, the sequence number
// unless PING or INFO, the payload, the CRC (low byte first).
std::vector<std::uint8_t> BootRequest(std::uint8_t command, std::optional<std::uint8_t> sequence,
                                      const std::vector<std::uint8_t>& payload);
// A reply is accepted when its command and byte 3 repeat the request's
// (PING and INFO: the request's CRC low byte), byte 4 is 0x06 and its CRC
// checks.
bool ReplyAccepted(const std::vector<std::uint8_t>& request, const std::uint8_t* reply, int count, int expected);

// ERASE's payload after the sequence number: local time and date, start,
// stop, reset vector.
std::vector<std::uint8_t> ErasePayload(const std::tm& now, const LOADER_IMAGE& image);
// VECTORS' payload: the 52 bytes of 0xFFCC-0xFFFF as 26 triples 0xCC, first, second.
std::vector<std::uint8_t> VectorPayload(const LOADER_IMAGE& image);
inline constexpr std::uint32_t kVectorFirst = 0xFFCC;

// HC08_TARGET_INFO: the boot loader's record of the previous download.
struct HC08_TARGET_INFO {
    std::uint8_t unnamed = 0;
    std::uint8_t cpu = 0;
    std::uint8_t hour = 0, minute = 0, second = 0, day = 0, month = 0;
    std::uint16_t year = 0;
    std::uint16_t start = 0, stop = 0, reset = 0, checksum = 0;
    std::uint16_t kept1 = 0;
    std::uint8_t kept2 = 0;
};
HC08_TARGET_INFO ReadTargetInfo(const std::uint8_t* reply);
// The three status lines INFO gives.
std::vector<std::u16string> TargetInfoLines(const HC08_TARGET_INFO& info);

// printf into a UTF-16 text (integers only, so no locale is involved).
std::u16string Sprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vexar::tools::hc08
