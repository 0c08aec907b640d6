#pragma once

#include "obd/ExchangeFrame.h"

namespace obdvane {

// What the commands tell the vehicle record: every exchange, the frame sent
// and the bytes received, whether or not the reply was valid.
class AbstractVehicle {
public:
    virtual ~AbstractVehicle() = default;
    // Learns from one exchange; may throw a refusal of the record, which
    // then ends the command's execution.
    virtual bool OnExchange(EXCHANGE_FRAME sent, EXCHANGE_FRAME received) = 0;
};

}  // namespace obdvane
