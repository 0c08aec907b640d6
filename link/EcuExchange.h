#pragma once

// The transaction both ECU protocols run, and the lines they write to the
// trace window and their logs. Internal to the protocol classes.

#include "link/EcuCrc16.h"
#include "link/EcuTypes.h"
#include "link/LineSource.h"
#include "link/ProtocolHost.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vexar::link::detail {

// The line of one transaction and how its frames look.
struct Exchange {
    ProtocolHost* host = nullptr;  // null: no K-line, no trace, no bridge
    const EcuCrc16* crc = nullptr;
    ProtocolTiming timing;
    int port = 0;
    long baud = 9600;
    std::size_t commandAt = 1;  // offset of the command code in a frame
    LineSource* source = nullptr;  // in place of the port when set
};

// Stores the CRC of all bytes but the last two in the last two, low byte
// first.
void SealFrame(const EcuCrc16& crc, std::span<std::uint8_t> frame);
bool CrcMatches(const EcuCrc16& crc, std::span<const std::uint8_t> frame);

// Runs up to kAttempts attempts of sending the sealed `request` and reading
// a reply of exactly reply.size() bytes into `reply`, on the bridge when
// `remote` is given, else on the local port. With `checkCommand` a reply
// that carries another command code is retried; an empty `reply` never
// counts as a reply. Returns RES_OK, RES_BAD_CRC, RES_TIMEOUT or
// RES_REMOTE_GONE.
int RunTransaction(const Exchange& x, std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                   bool checkCommand, RemoteLine* remote);

// One trace line: "h:m:s:ms TX-SL(nB): 05 01 10 10 5D " (TX or RX, SL for
// the serial line or ET for the bridge), at most 999 characters.
std::u16string FormatTraceLine(std::chrono::system_clock::time_point when, bool received, bool overBridge,
                               std::span<const std::uint8_t> bytes);
// Posts the trace line of `bytes` when there are any and a trace window is
// open.
void TraceFrame(ProtocolHost* host, bool received, bool overBridge, std::span<const std::uint8_t> bytes);

// The log text of a result code shared by both protocols, or an empty view
// for a code that has none.
std::u16string_view ResultText(int result);

}  // namespace vexar::link::detail
