#pragma once

// What the tests of the link engine and the polling share: simulated ECUs
// and silent lines behind COM<n> links of a temporary COM folder, a
// temporary program folder for the session logs, a recording sink that
// also keeps the records posted with memory answers and acquisition
// samples, and an application object whose engine the test drives
// directly on its own thread (or through the worker where the timer
// matters).

#include "link/CVEXARLink.h"

#include "EcuTestRig.h"
#include "PtyPeer.h"
#include "RecordingUiSink.h"
#include "TempDir.h"
#include "config/IDataCtrl.h"
#include "testing/controls/TestControls.h"
#include "testing/ecusim/EcuSimulator.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vexar::linktest {

using ::vexar::testing::DefinitionOnlyCtrl;

// Short waits: a silent port costs five attempts of 0.1 s.
inline constexpr link::ProtocolTiming kEngineTiming{0.1, std::chrono::milliseconds(5)};
inline constexpr const char16_t* kSimIdent = u"VXSIM-00001";

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_saved;
};

// Keeps a copy of the records that travel with memory answers and samples.
class PayloadSink : public RecordingUiSink {
public:
    struct Sample {
        const IDataCtrl* control;
        ACQ_SAMPLE sample;
    };
    void Post(link::UiWindow window, const IDataCtrl* control, link::LinkMessage message) override;
    std::vector<link::MEMORY_REQUEST> MemoryAnswers() const;
    std::vector<Sample> Samples() const;
    // The texts of the trace lines posted to the trace window.
    std::vector<std::u16string> TraceLines() const;

private:
    mutable std::mutex m_recordsLock;
    std::vector<std::u16string> m_trace;
    std::vector<link::MEMORY_REQUEST> m_memory;
    std::vector<Sample> m_samples;
};

// One post as the tests compare it.
struct Seen {
    link::UiWindow window;
    unsigned message;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    friend bool operator==(const Seen&, const Seen&) = default;
};
std::ostream& operator<<(std::ostream& out, const Seen& seen);
std::vector<Seen> SeenPosts(const std::vector<RecordedPost>& posts);

ecusim::Protocol SimProtocol(int protocol);

class EngineTest : public ::testing::Test {
protected:
    EngineTest();
    ~EngineTest() override;

    // Removes every simulated ECU and silent line and empties the COM
    // folder, for the next case of a table.
    void ClearLines();
    // A simulated ECU of `protocol` (0 first, 1 second) behind COM<com>.
    ecusim::EcuSimulator& AddEcu(int com, int protocol, const std::string& ident = "VXSIM-00001");
    // A line behind COM<com> that never answers.
    PtyPeer& AddSilent(int com);
    // The application with its images sized and the simulator's name as
    // the selected configuration; the engine is driven on the test's thread.
    link::CVEXARLink& MakeApp(int protocol, int parSize, int varSize);
    // The same, linked to the ECU on `com` (asserting that it linked).
    link::CVEXARLink& Linked(int com, int protocol, int parSize, int varSize);

    std::vector<std::uint8_t> ParMaster();
    std::vector<std::uint8_t> VarMaster();
    std::vector<std::u16string> Log(const std::string& name) const;
    std::size_t Count(unsigned message) const { return m_sink.Count(message); }

    testing::TempDir m_home;
    testing::TempDir m_comDir;
    ScopedEnv m_homeEnv{"VEXAR_HOME", m_home.path()};
    ScopedEnv m_comEnv{"VEXAR_COM_DIR", m_comDir.path()};
    std::vector<std::unique_ptr<ecusim::EcuSimulator>> m_sims;
    std::vector<std::unique_ptr<PtyPeer>> m_silent;
    PayloadSink m_sink;
    std::unique_ptr<link::CVEXARLink> m_app;
};

}  // namespace vexar::linktest
