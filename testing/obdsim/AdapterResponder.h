#pragma once

#include "testing/obdsim/ObdFrame.h"
#include "testing/obdsim/Scenario.h"

#include <chrono>
#include <string>

namespace vexar::obdsim {

// The adapter's answer to one request: the reply frame's type and data,
// and how long the adapter takes before it sends it.
struct Reply {
    std::string type;
    std::string data;
    std::chrono::milliseconds delay{0};
};

// Answers verified requests from a scenario:
//   "ID"  the identification fields, separated by ETB;
//   "EC"  the protocol number, after the protocol search;
//   "SP"  OBD service data "SS[PP]": one answer per ECU, separated by ETB,
//         each "AA" (ECU address), the response service and the data in
//         hexadecimal, or "AA7FSSCC" for a refusal; "-" when no ECU answers;
//   anything else, and "SP" data that is no OBD request: NAK.
// Service 04 clears the ECUs' stored codes and lamps.
class AdapterResponder {
public:
    explicit AdapterResponder(Scenario scenario);

    Reply Answer(const Frame& request);

    const Scenario& GetScenario() const { return m_scenario; }
    void SetScenario(Scenario scenario) { m_scenario = std::move(scenario); }

private:
    Reply AnswerObd(const std::string& data);
    std::string Service01(const EcuScenario& ecu, int pid) const;
    std::string Service03(const EcuScenario& ecu) const;

    Scenario m_scenario;
};

}  // namespace vexar::obdsim
