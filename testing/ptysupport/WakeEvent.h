#pragma once

namespace vexar::ptysupport {

// The wake-up of a simulator's thread: an event descriptor it polls beside
// its terminal, which the other threads signal when they leave it
// something to look at (the quit flag, a job, a new script).
class WakeEvent {
public:
    WakeEvent() = default;
    ~WakeEvent();
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    // Makes the descriptor, non-blocking and close-on-exec. False, with
    // errno telling why, when it cannot.
    bool Open();
    void Close();

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }

    // Makes the thread's poll return; callable from any thread while open.
    void Signal();
    // Takes the signals in, once the poll has seen the descriptor readable.
    void Drain();

private:
    int m_fd = -1;
};

}  // namespace vexar::ptysupport
