#pragma once

// The lock that keeps the main program to one running instance: an
// exclusive flock on "<name>.lock" in $XDG_RUNTIME_DIR, or in the program
// folder when that variable is not set. The kernel drops the lock with the
// last descriptor, so a program that dies leaves no stale lock behind, and
// the descriptor is close-on-exec, so no program started from here holds
// it.

#include <string>

namespace vexar::platform {

class SingleInstanceLock {
public:
    enum class Result {
        Acquired,      // this process holds the lock now
        HeldElsewhere, // another process holds it
        Failed,        // the lock file cannot be made or locked: run without one
    };

    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    Result Acquire(const std::string& name);
    // Gives the lock up; nothing when none is held.
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

    // Where the lock file of `name` lies.
    static std::string LockPath(const std::string& name);

private:
    int m_fd = -1;
};

}  // namespace vexar::platform
