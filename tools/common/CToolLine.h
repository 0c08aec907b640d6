#pragma once

#include <atomic>

namespace vexar::tools {

// The serial line a tool drives: the configured port and baud, and the
// port it holds open. The dialog and the worker both read and change it
// (the worker only during a run, the dialog only while none is active), so
// every field is atomic; a purge may come from any thread to end a read or
// write in progress.
class CToolLine {
public:
    // `queueSize`: the receive and send queue sizes of every open (kd02flash
    // and hc08flash 2048, st7flash 512).
    explicit CToolLine(int queueSize) : m_queueSize(queueSize) {}
    ~CToolLine() { Close(); }
    CToolLine(const CToolLine&) = delete;
    CToolLine& operator=(const CToolLine&) = delete;

    int Port() const { return m_port; }
    void SetPort(int port) { m_port = port; }
    long Baud() const { return m_baud; }
    void SetBaud(long baud) { m_baud = baud; }

    // Opens the configured port at the configured baud, 8 data bits, no
    // parity, one stop bit. The serial layer's result; on a failure
    // `systemError` gets the system's error number.
    int Open(int& systemError);
    // Closes the open port, if any, and clears the open flag.
    void Close();
    bool IsOpen() const { return m_openPort != 0; }
    // The number of the open port, 0 when none is open.
    int OpenPort() const { return m_openPort; }
    // Ends a read or write in progress on the open port.
    void Purge() const;

private:
    int m_queueSize;
    std::atomic<int> m_port{1};
    std::atomic<long> m_baud{19200};
    std::atomic<int> m_openPort{0};
};

}  // namespace vexar::tools
