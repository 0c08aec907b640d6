#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexar::tools {

// A firmware image as the programming tools hold it: bytes indexed by
// absolute target address, the loaded range, and the values the boot
// loaders and the handheld verify.
struct LOADER_IMAGE {
    std::vector<std::uint8_t> buffer;
    std::uint32_t start = 0;  // lowest loaded address
    std::uint32_t stop = 0;   // highest loaded address
    std::uint16_t resetVector = 0;  // bytes 0xFFFE (high) and 0xFFFF of the 64 KB images
    std::uint16_t checksum = 0;
    std::uint32_t size = 0;  // KD02 images: bytes from start to stop
    bool loaded = false;     // set only when the whole load and its checks succeeded

    // Prepares a new load: every byte 0xFF (addresses no record writes stay
    // so), start at its initial value, stop 0, nothing loaded.
    void Reset(std::size_t bufferSize, std::uint32_t startInitial);
};

// Where each tool's image lives and which range its target accepts.
struct ImageLayout {
    std::size_t bufferSize;
    std::uint32_t startInitial;
    std::uint32_t startMinimum;  // the lowest accepted start
    std::uint32_t stopMaximum;   // the highest accepted stop (also bounded by the buffer)
    std::uint32_t boundary;      // S-records: vector bound; Intel HEX: start bound
};

// st7flash and hhwriter: the KD01 ECU's firmware.
inline constexpr ImageLayout kKd01Layout{0x10000, 0xFFFF, 0x8000, 0xEFBF, 0xFFE0};
// hc08flash: the handheld terminal's microcontroller.
inline constexpr ImageLayout kHandheldMcuLayout{0x10000, 0xFFFF, 0x0E00, 0xEFFF, 0xFFCC};
// kd02flash: the KD02 ECU's firmware from ".hex" files (".bin" starts at 0x18000).
inline constexpr ImageLayout kKd02FlashLayout{0x3FFFC, 0xFFFFFF, 0x18000, 0x4FFFF, 0x18000};
// hhwriter: the KD02 firmware it carries to the handheld.
inline constexpr ImageLayout kHhwriterKd02Layout{0x40000, 0xFFFFFF, 0x18000, 0x4FFFF, 0x8000};

// The KD02 firmware's first address, where raw binary images are placed.
inline constexpr std::uint32_t kKd02BinaryBase = 0x18000;

// What a KD02 download programs: the boot loader stores the data of its
// address-less WRITE frames one after the other from 0x18000, so every
// byte from there to the image's stop is sent, 0xFF blocks included, and
// the erase length and the verify's word sum cover the same bytes. For an
// image that starts at 0x18000 (every ".bin", the usual ".hex") that is
// the image's own range and checksum.
struct Kd02ProgramRange {
    std::uint32_t first = kKd02BinaryBase;
    std::uint32_t last = kKd02BinaryBase;  // the image's stop
    std::uint32_t Length() const { return last - first + 1; }
};
Kd02ProgramRange Kd02ProgrammedRange(const LOADER_IMAGE& image);
// The word sum of the programmed range (SumImageWords).
std::uint16_t Kd02ProgramChecksum(const LOADER_IMAGE& image);
// hhwriter sends raw KD02 images of at most this many bytes.
inline constexpr std::uint32_t kHhwriterKd02BinaryMaximum = 0x20000;
// The handheld's language area.
inline constexpr std::size_t kHandheldLanguageSize = 32768;

}  // namespace vexar::tools
