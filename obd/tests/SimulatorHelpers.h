#pragma once

// Scenario texts and the frame log of the simulated adapter, for the
// library's tests.

#include "testing/obdsim/ObdSimulator.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace obdvane::test {

inline vexar::obdsim::Scenario ParseScenarioText(const std::string& text)
{
    vexar::obdsim::Scenario scenario;
    std::string error;
    EXPECT_TRUE(vexar::obdsim::ParseScenario(text, scenario, error)) << error;
    return scenario;
}

// The verified requests the adapter heard, each its mnemonic and data
// ("EC", "SP010C").
inline std::vector<std::string> HeardRequests(const vexar::obdsim::ObdSimulator& sim)
{
    using vexar::obdsim::FrameRecord;
    std::vector<std::string> requests;
    for (const FrameRecord& record : sim.FrameLog()) {
        vexar::obdsim::Frame frame;
        if (record.kind == FrameRecord::Kind::Request && record.bytes.size() >= 2 &&
            vexar::obdsim::DecodeFrame(std::string(record.bytes.begin() + 1, record.bytes.end() - 1), frame) ==
                vexar::obdsim::Decoded::Ok)
            requests.push_back(frame.type + frame.data);
    }
    return requests;
}

}  // namespace obdvane::test
