#pragma once

#include "testing/ecusim/EcuSimulator.h"
#include "testing/ecusim/tests/PtyClient.h"

#include <gtest/gtest.h>
#include <memory>

namespace vexar::ecusim::test {

// A running simulator with a client on its line at the simulator's speed.
struct Rig {
    std::unique_ptr<EcuSimulator> sim;
    PtyClient client;

    explicit Rig(SimulatorOptions options)
        : sim(std::make_unique<EcuSimulator>(options))
    {
        std::string error;
        EXPECT_TRUE(sim->Start(error)) << error;
        EXPECT_TRUE(client.Open(sim->SlavePath(), options.baud));
    }
};

inline SimulatorOptions Options(Protocol protocol, std::size_t imageSize = 65536)
{
    SimulatorOptions options;
    options.protocol = protocol;
    options.parameterSize = imageSize;
    options.variableSize = imageSize;
    options.ident = "ABCDEFGHIJK";
    return options;
}

// Fills an image with a pattern in which neighbouring bytes differ.
inline void Pattern(EcuSimulator& sim, Image image, std::size_t size, std::uint8_t seed)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + seed);
    sim.WriteImage(image, 0, bytes);
}

inline std::uint8_t PatternByte(std::size_t i, std::uint8_t seed)
{
    return static_cast<std::uint8_t>(i * 7 + seed);
}

}  // namespace vexar::ecusim::test
