#pragma once

// The demonstration's KD02 firmware: a small image made at build time and
// installed beside the programming tools, so that the demonstration's
// configuration has a firmware to program. Its bytes follow a fixed rule,
// so that a test can compare a programmed flash with them.

#include <cstdint>
#include <string>
#include <vector>

namespace vexar::bootsim {

inline constexpr std::uint32_t kDemoFirmwareAddress = 0x18000;
inline constexpr char kDemoFirmwareName[] = "KD02_DEMO.hex";

std::vector<std::uint8_t> DemoFirmwareImage();

// `bytes` placed at `address` as Intel HEX: an extended linear address
// record for each 64 KiB page, data records of 16 bytes, the end record;
// CR LF after each.
std::string IntelHex(std::uint32_t address, const std::vector<std::uint8_t>& bytes);

}  // namespace vexar::bootsim
