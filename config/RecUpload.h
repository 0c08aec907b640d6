#pragma once

#include <cstdint>

// One block of ECU memory read in one transaction: a byte offset into an
// image and a byte count. The same record carries the unjoined
// (address, byte count) pairs from which the blocks are built.
struct REC_UPLD_SV {
    std::int32_t address = 0;
    std::int32_t length = 0;

    friend bool operator==(const REC_UPLD_SV&, const REC_UPLD_SV&) = default;
};
