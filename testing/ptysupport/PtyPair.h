#pragma once

#include <string>

namespace vexar::ptysupport {

// One pseudo-terminal: the master end a simulated device talks through, and a
// slave descriptor the simulator keeps open itself. Holding the slave keeps
// the master usable while the program closes and reopens its port (without
// it the master reports a hang-up) and keeps the line settings between opens.
// Closing both ends is the "unplugged" device: the program's descriptor then
// sees a hang-up.
class PtyPair {
public:
    PtyPair() = default;
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // Opens a new pair, non-blocking and close-on-exec, with the slave in raw
    // mode at the given speed. On failure returns false and says why.
    bool Open(long baud, std::string& error);
    void Close();

    bool IsOpen() const { return m_master >= 0; }
    int Master() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

}  // namespace vexar::ptysupport
