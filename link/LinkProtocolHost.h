#pragma once

// The application's host of the two ECU protocols: it tells them whether a
// K-line interface is fitted, read at every transaction from the
// application's flag (which the user-interface thread changes while the
// worker runs). No trace window and no bridge are offered here.

#include "link/ProtocolHost.h"

#include <atomic>
#include <cstdint>

namespace vexar::link {

class LinkProtocolHost : public ProtocolHost {
public:
    explicit LinkProtocolHost(const std::atomic<std::uint8_t>& kLine) : m_kLine(kLine) {}

    bool KLine() const override { return m_kLine.load() != 0; }
    bool Tracing() const override { return false; }
    void PostTraceLine(std::u16string) override {}
    RemoteLine* Remote() override { return nullptr; }

private:
    const std::atomic<std::uint8_t>& m_kLine;
};

}  // namespace vexar::link
