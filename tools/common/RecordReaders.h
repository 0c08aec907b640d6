#pragma once

#include "LoaderTexts.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vexar::tools {

// Results of ParseSRecord besides the record type digit.
inline constexpr int kNotARecord = -1;      // the line does not begin with "S"
inline constexpr int kRecordInvalid = -2;   // no type digit, too short for its count, or not hexadecimal
inline constexpr int kRecordOutside = -3;   // its data would fall outside the image: nothing stored

// Reads one Motorola S-record line into `image` (indexed by address).
// Returns the record type digit, or one of the results above. Data records
// (S1; S2 and S3 with their wider addresses) store their bytes and lower
// `start` to their address; those below `vectorBound` also raise `stop` to
// their last address, while the interrupt-vector records at or above it
// only store. A data record without data bytes stores nothing and moves
// neither. The record checksum is not verified.
int ParseSRecord(std::span<std::uint8_t> image, std::string_view line, std::uint32_t& start,
                 std::uint32_t& stop, std::uint32_t vectorBound);

// The extended address of the Intel HEX file being read; a new one for
// every file load.
struct HexAddressBase {
    std::uint32_t segment = 0;  // type 02 value x 16
    std::uint32_t linear = 0;   // type 04 value x 65536
    bool segmentSeen = false;
    bool linearSeen = false;

    // Linear once a type 04 record was seen, else segment once a type 02
    // was seen, else 0.
    std::uint32_t Current() const;
};

// Reads one Intel HEX line into `image`. Returns 0, or -1 for a line that
// does not begin with ":" (no message) and for a record error (its message
// shown through `reporter`). A data record with a wrong checksum still
// stores its bytes and moves start and stop. `start` is lowered only by
// records at or above `startBound`; `stop` follows the highest address of
// any data record, also one running beyond the image, whose bytes past the
// image's end are then not stored (the caller's range check refuses such an
// image).
int ParseHexRecord(CLoaderReporter& reporter, std::span<std::uint8_t> image, std::string_view line,
                   std::uint32_t& start, std::uint32_t& stop, std::uint32_t startBound, HexAddressBase& base);

// The byte that two hexadecimal digits give; false when either is not one.
bool ParseHexByte(char high, char low, std::uint8_t& value);

// The two's complement of a record sum.
std::uint8_t NegateChecksum(std::uint8_t sum);

// 16-bit sum of the big-endian words of `length` bytes from `offset`. An odd
// length pairs the last byte with the byte after it; past the image that
// byte reads as 0xFF, like erased flash.
std::uint16_t SumImageWords(std::span<const std::uint8_t> image, std::size_t offset, std::size_t length);

}  // namespace vexar::tools
