#pragma once

#include <array>

namespace obdvane {

// What became of every PID of one service that was asked for: answered,
// answered without data, or refused with a negative response code.
class ReceivedData {
public:
    static constexpr int kNoData = 0;
    static constexpr int kReceived = 1;
    static constexpr int kNegative = 2;
    static constexpr int kNeverAsked = 3;

    ReceivedData();
    virtual ~ReceivedData() = default;

    void Reset();
    // kNoData or kReceived; the PID's negative code goes back to 0.
    void SetStatus(int pid, int status);
    // A negative response with its code, one byte of any value.
    void SetNegativeCode(int pid, int code);
    int GetStatus(int pid) const;
    int GetNegativeCode(int pid) const;
    bool IsReceived(int pid) const;

private:
    static constexpr int kPidCount = 256;
    static constexpr int kMaxNegativeCode = 0xFF;
    static std::size_t Index(int pid);

    std::array<int, kPidCount> m_status;
    std::array<int, kPidCount> m_code;
};

}  // namespace obdvane
