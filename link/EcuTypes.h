#pragma once

// What the two ECU protocols (CSeriale, CSerialeNew) share with their
// callers: the result codes of a transaction, the record of one read block
// (REC_UPLD_SV, defined with the upload-block builder in config), and the
// time-outs and pauses of the transaction.

#include "config/RecUpload.h"

#include <chrono>
#include <cstdint>

namespace vexar::link {

// Results of a transaction and of every protocol command.
constexpr int RES_OK = 0;
constexpr int RES_BAD_CRC = -1;         // a reply of the right length, wrong CRC
constexpr int RES_NO_ECHO = -2;         // the command code was not repeated
constexpr int RES_NO_ECHO_INDEX = -3;   // the index (address) was not repeated
constexpr int RES_TIMEOUT = -4;         // no valid reply within the attempts
constexpr int RES_NO_ACK = -5;          // the acknowledge byte was not 6
constexpr int RES_NO_ECHO_BLOCK = -6;   // the block or frame number was not repeated
constexpr int RES_NO_ECHO_OFFSET = -7;  // the address was not repeated
constexpr int RES_NO_ECHO_BAUD = -8;    // the speed code was not repeated
constexpr int RES_BAD_RANGE = -9;       // refused before sending: the range lies outside the image
constexpr int RES_REMOTE_GONE = -10;    // the bridge delivered the close notice
constexpr int RES_SERVICE_FAILED = -11; // the service broke off inside the program (memory exhausted)

// Link states, the lParam of WM_LINK_STATE.
constexpr int LINK_OK = 0;              // linked; or ended by the user
constexpr int LINK_WRITE_FAILED = -1;   // no port opened at connect; a write failed while linked
constexpr int LINK_READ_FAILED = -2;    // no ECU answered; a read (or the whole-image write) failed
constexpr int LINK_IDENT_MISMATCH = -3; // the ECU is not the selected configuration's

// How long a transaction waits. The defaults are the ECU's; tests shorten
// them. Every transaction makes up to kAttempts attempts.
struct ProtocolTiming {
    // Waiting for the echo or the reply of one attempt. The time the
    // frame's bytes need on the line at the current speed is added, so that
    // long frames at low speeds can arrive at all.
    double readTimeoutSeconds = 0.5;
    // Pause after a failed attempt.
    std::chrono::milliseconds retryPause{200};
};

constexpr int kAttempts = 5;

}  // namespace vexar::link
