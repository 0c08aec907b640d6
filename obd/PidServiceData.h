#pragma once

#include "obd/ReceivedData.h"
#include "obd/ServiceData.h"
#include "obd/SupportedData.h"

namespace obdvane {

// The data of a service whose requests name a PID: which PIDs the ECU
// declares and what became of each one asked for.
class PidServiceData : public ServiceData {
public:
    SupportedData supported;
    ReceivedData received;
};

}  // namespace obdvane
