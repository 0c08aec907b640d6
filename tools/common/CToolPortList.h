#pragma once

#include "tools/common/CToolLine.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace vexar::tools {

// What the port scan asks and tells the user; the dialog shows it.
class IPortScanPrompts {
public:
    virtual ~IPortScanPrompts() = default;
    // Two devices claim one COM number: true (Yes) to go on all the same.
    virtual bool AskContinueDespiteConflict() = 0;
    // No port at all.
    virtual void ShowNoPortFound() = 0;
};

// What the port advance reports while it tries the next ports.
class IPortAdvanceReport {
public:
    virtual ~IPortAdvanceReport() = default;
    // The port about to be opened has become the configured one.
    virtual void PortChosen(int port) = 0;
    // It could not be opened: the system's error number.
    virtual void OpenFailed(int port, int systemError) = 0;
};

// The ports one run may try, the current one, and how many were tried: a
// run visits each listed port at most once.
class CToolPortList {
public:
    // Fills the port numbers; false when the ports cannot be listed.
    using Enumerate = std::function<bool(std::vector<unsigned>&)>;

    // The ports the serial layer's COM-port list gives.
    CToolPortList();
    explicit CToolPortList(Enumerate enumerate) : m_enumerate(std::move(enumerate)) {}

    // Builds the list for a new run (1 to 256 when the ports cannot be
    // listed), asking first about a number listed twice. Puts the index on
    // the configured port; a port not listed is replaced by the first
    // listed one. False when no run may start (conflict declined, or no
    // port).
    bool CheckPortList(CToolLine& line, IPortScanPrompts& prompts);

    // Moves to the next listed port that opens (read time-out 0.2 s, queue
    // purged); false once every port was tried or when the tool must keep
    // its port (`lockCom`). The port that was open is closed first.
    bool SwitchToNextPort(CToolLine& line, bool lockCom, IPortAdvanceReport& report);

    // One more port attempted in this run.
    void CountTry() { ++m_tries; }

    const std::vector<unsigned>& Ports() const { return m_ports; }
    std::size_t Index() const { return m_index; }
    std::size_t Tries() const { return m_tries; }

private:
    void Fill();     // enumerates; 1 to 256 when that fails
    void FillAll();  // 1 to 256

    Enumerate m_enumerate;
    std::vector<unsigned> m_ports;
    std::size_t m_index = 0;
    std::size_t m_tries = 0;
};

}  // namespace vexar::tools
