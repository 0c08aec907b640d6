#pragma once

// The program on a bench with the simulated ECU (second protocol unless
// the bench asks for the first) on a pseudo-terminal as COM3: the
// synthetic configuration installed as one or more revisions of an ECU
// folder, with the demonstration's settings (every button shown, the list
// upload on), one revision chosen in the selection dialog at start, a DTR
// pulse of one second.

#include "ShellHarness.h"

#include "testing/ecusim/EcuSimulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vexar::shelltest {

// The synthetic configuration's parameter image: its parameters, the
// diagnosis file's restore area inside them, and the maps' points after it.
inline constexpr std::size_t kParameterImage = 66;

struct BENCH {
    std::string ecu = "KD02_ECU";
    // Chosen in the selection dialog at start.
    std::string revision = "VXG4_R01070";
    // Installed beside it in the same ECU folder.
    std::vector<std::string> moreRevisions;
    // What the simulated ECU answers to the identification request.
    std::string ident = "VXG4_R01070";
    // The last port of the session file.
    int sessionPort = 1;
    // The simulated ECU's protocol: 0 the first, 1 the second (the
    // configuration's).
    int protocol = 1;
    // The program's waits for the ECU: short, the bench answers at once.
    link::ProtocolTiming timing{0.3, std::chrono::milliseconds(30)};
};

class EcuShellBase : public ::testing::Test {
protected:
    // Starts the simulator (its parameter image 0x30, 0x31, ...) and the
    // program on the bench.
    void StartBench(const BENCH& bench);
    void TearDown() override;

    void Command(unsigned id);
    // Until the worker, the view and the frame all know the link state.
    bool WaitLinked(bool linked);
    // The program holds what the ECU holds.
    void WorkingImageAsTheEcus();
    // Whether the menu item is checked, after its update handler.
    bool Checked(unsigned id);
    std::vector<std::uint8_t> Master();
    // Until the master image is the ECU's: after a connect the diagnosis
    // window's reset sources go back to idle, a parameter one in both.
    bool MasterAgreesWithEcu();
    std::vector<std::uint8_t> EcuImage() const;

    ShellHarness m_shell;
    std::unique_ptr<ecusim::EcuSimulator> m_sim;
};

}  // namespace vexar::shelltest
