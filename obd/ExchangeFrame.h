#pragma once

#include <cstddef>
#include <cstdint>

namespace obdvane {

// A whole frame by value, as the command layer hands sent and received
// frames to the vehicle and as logged exchanges are read again.
struct EXCHANGE_FRAME {
    static constexpr int kCapacity = 512;
    std::uint8_t buffer[kCapacity] = {};
    int length = 0;
};

// A record of the bytes; a frame longer than the record is cut at its
// capacity (it then no longer parses).
EXCHANGE_FRAME MakeExchangeFrame(const std::uint8_t* bytes, std::size_t count);

}  // namespace obdvane
