#pragma once

namespace obdvane {

// The data one ECU gave for one OBD service.
class ServiceData {
public:
    virtual ~ServiceData() = default;
};

}  // namespace obdvane
