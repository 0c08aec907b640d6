#pragma once

// What a thread that sends a message to another thread waits on: the
// message is handled (with a result), dropped (its target went away), or
// the wait is cancelled (the receiving side is shutting down). Shared by
// the waiting sender and the event that carries the message, so either may
// outlive the other.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

namespace vexar::ui {

class SendCompletion {
public:
    void Finish(std::intptr_t result);
    void Drop();
    void Cancel();
    // Waits until one of the three above; the result when handled.
    std::optional<std::intptr_t> Wait();
    bool IsEnded();

private:
    void End(std::optional<std::intptr_t> result);

    std::mutex m_lock;
    std::condition_variable m_ended;
    bool m_done = false;
    std::optional<std::intptr_t> m_result;
};

}  // namespace vexar::ui
