#pragma once

#include "obd/Command.h"
#include "obd/DtcReply.h"
#include "obd/MonitorStatusReply.h"
#include "obd/ObdReply.h"
#include "obd/ValueReply.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace obdvane {

class AbstractPort;
class AbstractVehicle;

// Request statuses.
enum ObdStatus : int {
    kStatusDone = 0,
    kStatusExchangeFailed = 1,  // anything thrown while the command ran
    kStatusNoData = 2,          // the adapter found no data, or no ECU is known
    kStatusNegative = 3,        // the first ECU refused; see GetLastNegativeCode
    kStatusWrongSize = 4,       // an array argument has the wrong size
};

// The ECU's own maxima from PIDs 4F and 50, which scale some PIDs; 0 when
// not read.
struct PidScalings {
    int ratioMaximum = 0;     // equivalence ratio (4F A)
    int voltageMaximum = 0;   // oxygen-sensor voltage, V (4F B)
    int currentMaximum = 0;   // oxygen-sensor current, mA (4F C)
    int pressureMaximum = 0;  // intake manifold absolute pressure, kPa (4F D)
    int airFlowMaximum = 0;   // air-flow rate, g/s (50 A)
};

// The scan tool: joins the adapter's port and the vehicle record, executes
// one adapter command per request and keeps what the connect found out
// (the protocol, the ECUs that answer, the scalings). The services always
// answer for the first ECU the connect found.
//
// Each command execution takes the command lock, which is never held
// between the commands of one request or connect. The fields are therefore
// atomic, and the ECU list is copied under a lock of its own, so that a
// request from another thread sees either the old or the new values.
class Scantool {
public:
    Scantool(AbstractPort* port, AbstractVehicle* vehicle, CommandTimeouts timeouts = {});

    // ---- connect ----
    // True when the adapter reported a nonzero protocol.
    bool Connect(int mode, int flag);
    int GetProtocol() const { return m_protocol; }
    // "EC" with the handshake, "ID", the ECU discovery and the PID set-up;
    // false when it stopped early. Port, communication and firmware errors
    // end it with the protocol 0.
    bool ConnectEcu(int mode, int flag);
    bool IsScantoolModeActive();
    // The ECUs that declare PID 01 and support a readiness test.
    bool DiscoverEcus();
    std::vector<std::uint8_t> GetEcuAddresses() const;

    // ---- PID set-up ----
    bool ReadPidSetup();
    PidScalings GetScalings() const;
    int ReadPid4F(int* ratio, int* voltage, int* current, int* pressure);
    int ReadPid50(int* airFlow);

    // ---- service 01 ----
    int GetSupportedPids(int service, int base, std::int32_t* flags, unsigned count);
    int GetMonitorStatus(std::int32_t* mil, std::int32_t* codeCount, std::int32_t* available, int availableCount,
                         std::int32_t* complete, int completeCount);
    int GetO2SensorsPresent(int pid, std::int32_t* flags, unsigned count);
    int GetPid03(std::uint8_t* first, std::uint8_t* second);

    int GetPid04(double* value) { return GetDouble(0x04, value); }
    int GetPid0B(double* value) { return GetDouble(0x0B, value, m_pressureMaximum); }
    int GetPid0E(double* value) { return GetDouble(0x0E, value); }
    int GetPid10(double* value) { return GetDouble(0x10, value, m_airFlowMaximum); }
    int GetPid11(double* value) { return GetDouble(0x11, value); }
    int GetPid22(double* value) { return GetDouble(0x22, value); }
    int GetPid33(double* value) { return GetDouble(0x33, value); }
    int GetPid43(double* value) { return GetDouble(0x43, value); }
    int GetPid44(double* value) { return GetDouble(0x44, value); }
    int GetPid45(double* value) { return GetDouble(0x45, value); }
    int GetPid47(double* value) { return GetDouble(0x47, value); }
    int GetPid48(double* value) { return GetDouble(0x48, value); }
    int GetPid49(double* value) { return GetDouble(0x49, value); }
    int GetPid4A(double* value) { return GetDouble(0x4A, value); }
    int GetPid4B(double* value) { return GetDouble(0x4B, value); }
    int GetPid4C(double* value) { return GetDouble(0x4C, value); }

    int GetPid05(std::int32_t* value) { return GetInt(0x05, value); }
    int GetPid0A(std::int32_t* value) { return GetInt(0x0A, value); }
    int GetPid0C(std::int32_t* value) { return GetInt(0x0C, value); }
    int GetPid0D(std::int32_t* value) { return GetInt(0x0D, value); }
    int GetPid0F(std::int32_t* value) { return GetInt(0x0F, value); }
    int GetPid1F(std::int32_t* value) { return GetInt(0x1F, value); }
    int GetPid23(std::int32_t* value) { return GetInt(0x23, value); }
    int GetPid3C(std::int32_t* value) { return GetInt(0x3C, value); }
    int GetPid3D(std::int32_t* value) { return GetInt(0x3D, value); }
    int GetPid3E(std::int32_t* value) { return GetInt(0x3E, value); }
    int GetPid3F(std::int32_t* value) { return GetInt(0x3F, value); }
    int GetPid46(std::int32_t* value) { return GetInt(0x46, value); }

    int GetPid06(double* first, double* second) { return GetPair(1, 0x06, first, second); }
    int GetPid07(double* first, double* second) { return GetPair(1, 0x07, first, second); }
    int GetPid08(double* first, double* second) { return GetPair(1, 0x08, first, second); }
    int GetPid09(double* first, double* second) { return GetPair(1, 0x09, first, second); }
    int GetPid14(double* first, double* second) { return GetPair(1, 0x14, first, second); }
    int GetPid15(double* first, double* second) { return GetPair(1, 0x15, first, second); }
    int GetPid16(double* first, double* second) { return GetPair(1, 0x16, first, second); }
    int GetPid17(double* first, double* second) { return GetPair(1, 0x17, first, second); }
    int GetPid18(double* first, double* second) { return GetPair(1, 0x18, first, second); }
    int GetPid19(double* first, double* second) { return GetPair(1, 0x19, first, second); }
    int GetPid1A(double* first, double* second) { return GetPair(1, 0x1A, first, second); }
    int GetPid1B(double* first, double* second) { return GetPair(1, 0x1B, first, second); }

    // PIDs 24 to 2B and 34 to 3B, scaled by the ECU's maxima.
    int GetRatioAndVoltage(int service, int pid, double* ratio, double* voltage);
    int GetRatioAndCurrent(int service, int pid, double* ratio, double* current);

    // The first value of a PID from the first ECU; `value` is written only
    // with status 0.
    int GetValue(int service, int pid, double* value, unsigned scaling);
    // Every value of a PID from the first ECU, at most out.size() of them:
    // a refused one is its definition's minimum (the value of raw 0), one
    // the first ECU did not answer keeps what `out` held.
    int GetValues(int service, int pid, std::span<double> out, unsigned scalingA, unsigned scalingB);
    int RequestValue(int service, int pid, ValueReply& reply, unsigned scalingA, unsigned scalingB);

    // ---- services 03 and 04 ----
    int ReadMonitorStatus(STATUS_RECORD& status);
    // The first ECU's codes, 5 characters each, never more than `length`
    // bytes; `length` must be a multiple of 5.
    int ReadDtcs(char* buffer, unsigned length, unsigned* count);
    // The status of the exchange only: the answers are not examined.
    int ClearDtcs();

    // ---- one command each, its reply copied out ----
    int ExecuteValueCommand(int service, int pid, const std::string& extra, unsigned scalingA, unsigned scalingB,
                            ValueReply& reply);
    int ExecuteDtcCommand(DtcReply& reply);
    int ExecuteStatusCommand(MonitorStatusReply& reply);
    int ExecuteClearCommand(ObdReply& reply);

    // Why the first ECU refused the last value, status or trouble-code
    // request: 1 to 6 for the OBD codes 10, 11, 12, 21, 22, 78; else 0.
    int GetLastNegativeCode() const;

private:
    template <typename C>
    C& Ready(C& command);
    bool FirstEcu(std::uint8_t& address) const;
    void SetEcuAddresses(std::vector<std::uint8_t> addresses);

    int GetDouble(int pid, double* value, unsigned scaling = 0);
    int GetInt(int pid, std::int32_t* value);
    int GetPair(int service, int pid, double* first, double* second, unsigned scalingA = 0, unsigned scalingB = 0);

    AbstractPort* m_port;
    AbstractVehicle* m_vehicle;
    CommandTimeouts m_timeouts;
    std::atomic<int> m_protocol{0};
    mutable std::mutex m_ecusLock;  // guards m_ecuAddresses only; never held across an exchange
    std::vector<std::uint8_t> m_ecuAddresses;

    std::atomic<int> m_ratioMaximum{0};
    std::atomic<int> m_voltageMaximum{0};
    std::atomic<int> m_currentMaximum{0};
    std::atomic<int> m_pressureMaximum{0};
    std::atomic<int> m_airFlowMaximum{0};
    std::atomic<int> m_lastNegativeCode{0};
};

template <typename C>
C& Scantool::Ready(C& command)
{
    command.SetPort(m_port);
    command.SetVehicle(m_vehicle);
    return command;
}

}  // namespace obdvane
