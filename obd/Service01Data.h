#pragma once

#include "obd/MonitorStatus.h"
#include "obd/PidServiceData.h"

namespace obdvane {

// Service 01 (current data) adds the monitor status of PID 01.
class Service01Data : public PidServiceData {
public:
    MonitorStatus monitorStatus;
};

}  // namespace obdvane
