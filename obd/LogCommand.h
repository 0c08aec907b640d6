#pragma once

#include "obd/ExchangeFrame.h"

#include <cstdint>
#include <string>

namespace obdvane {

// Classifies one logged exchange: which request it was, which OBD service
// and PID an "SP" request asked for, and whether the reply answers it. Both
// frames are read with the reply states.
class LogCommand {
public:
    // Request kinds.
    static constexpr int kNone = 0;
    static constexpr int kId = 1;
    static constexpr int kEc = 2;
    static constexpr int kSp = 3;
    static constexpr int kUp = 4;
    static constexpr int kEz = 5;
    static constexpr int kRp = 6;

    virtual ~LogCommand() = default;

    // Kind, service and PID back to 0.
    void Reset();
    // True when the request is a classifiable one (not "UP"; an "SP" with
    // a service, and a PID where the service has one), the reply is a
    // verified frame and its type is the request's.
    bool Check(const EXCHANGE_FRAME& sent, const EXCHANGE_FRAME& received);

    bool ClassifySent(const EXCHANGE_FRAME& sent);
    bool ParseReceived(const EXCHANGE_FRAME& received);
    bool Matches() const;

    // Each throws LogCommandException "Response not valid." unless the
    // stored frames match.
    int GetKind() const;
    std::uint8_t GetService() const;
    std::uint8_t GetPid() const;

private:
    bool ReadServiceAndPid(const std::string& data);
    void RequireMatch() const;

    EXCHANGE_FRAME m_sent;
    EXCHANGE_FRAME m_received;
    int m_kind = kNone;
    std::uint8_t m_service = 0;
    std::uint8_t m_pid = 0;
};

}  // namespace obdvane
