// The exported functions of obdvane. None lets an exception out: every
// outcome is a small integer result. A null output pointer is not written;
// a null array counts as one of the wrong size.
#include "obdvane/obdvane.h"

#include "obd/Library.h"
#include "obd/Scantool.h"
#include "obd/ScantoolException.h"
#include "obd/SerialPort.h"

#include <limits>
#include <string>

using obdvane::Scantool;
using obdvane::TheScantool;

namespace {

constexpr uint32_t kLastPort = 255;
constexpr int kReadinessTests = 12;

// Runs one request on the scan tool; anything thrown is a failed exchange.
template <typename Request>
int32_t Guarded(Request request) noexcept
{
    try {
        return request(TheScantool());
    } catch (...) {
        return obdvane::kStatusExchangeFailed;
    }
}

template <typename T>
void Store(T* out, T value)
{
    if (out)
        *out = value;
}

int32_t Double(int (Scantool::*getter)(double*), double* value)
{
    double decoded = 0.0;
    const int32_t status = Guarded([&](Scantool& s) { return (s.*getter)(&decoded); });
    Store(value, decoded);
    return status;
}

int32_t Integer(int (Scantool::*getter)(int32_t*), int32_t* value)
{
    int32_t decoded = 0;
    const int32_t status = Guarded([&](Scantool& s) { return (s.*getter)(&decoded); });
    Store(value, decoded);
    return status;
}

// Two values of one PID; NaN for each one not set.
template <typename Request>
int32_t TwoValues(Request request, double* first, double* second)
{
    double a = std::numeric_limits<double>::quiet_NaN();
    double b = a;
    const int32_t status = Guarded([&](Scantool& s) { return request(s, &a, &b); });
    Store(first, a);
    Store(second, b);
    return status;
}

int32_t Pair(int (Scantool::*getter)(double*, double*), double* first, double* second)
{
    return TwoValues([getter](Scantool& s, double* a, double* b) { return (s.*getter)(a, b); }, first, second);
}

int32_t RatioAndVoltage(int pid, double* ratio, double* voltage)
{
    return TwoValues([pid](Scantool& s, double* a, double* b) { return s.GetRatioAndVoltage(1, pid, a, b); }, ratio,
                     voltage);
}

int32_t RatioAndCurrent(int pid, double* ratio, double* current)
{
    return TwoValues([pid](Scantool& s, double* a, double* b) { return s.GetRatioAndCurrent(1, pid, a, b); }, ratio,
                     current);
}

int32_t SupportedPids(int base, int32_t* flags, uint32_t count)
{
    if (!flags)
        return obdvane::kStatusWrongSize;
    return Guarded([&](Scantool& s) { return s.GetSupportedPids(1, base, flags, count); });
}

int32_t SensorsPresent(int pid, int32_t* flags, uint32_t count)
{
    if (!flags)
        return obdvane::kStatusWrongSize;
    return Guarded([&](Scantool& s) { return s.GetO2SensorsPresent(pid, flags, count); });
}

}  // namespace

// ---- port and connection ----

int32_t OpenCom(uint32_t port)
{
    if (port == 0 || port > kLastPort)
        return 0;
    try {
        obdvane::TheSerialPort().Open("COM" + std::to_string(port));
        return 1;
    } catch (const obdvane::SerialException&) {
        return 0;
    } catch (...) {
        return 0;
    }
}

int32_t CloseCom(void)
{
    try {
        obdvane::TheSerialPort().Close();
        return 1;
    } catch (...) {
        return 0;
    }
}

int32_t Connect(int32_t* protocol, int32_t reserved)
{
    try {
        Scantool& scantool = TheScantool();
        const bool connected = scantool.Connect(1, reserved);
        Store(protocol, connected ? static_cast<int32_t>(scantool.GetProtocol()) : 0);
        return connected ? 1 : 0;
    } catch (...) {
        Store(protocol, 0);
        return 0;
    }
}

// ---- supported PIDs, monitor status, fuel system, sensor locations ----

int32_t GetPID00(int32_t* flags, uint32_t count) { return SupportedPids(0x00, flags, count); }
int32_t GetPID20(int32_t* flags, uint32_t count) { return SupportedPids(0x20, flags, count); }
int32_t GetPID40(int32_t* flags, uint32_t count) { return SupportedPids(0x40, flags, count); }

int32_t GetPID01(int32_t* mil, int32_t* codeCount, int32_t* available, int32_t availableCount, int32_t* complete,
                 int32_t completeCount)
{
    if (!available || !complete)
        return obdvane::kStatusWrongSize;
    int32_t lamp = 0;
    int32_t codes = 0;
    const int32_t status = Guarded([&](Scantool& s) {
        return s.GetMonitorStatus(&lamp, &codes, available, availableCount, complete, completeCount);
    });
    if (availableCount == kReadinessTests && completeCount == kReadinessTests) {
        Store(mil, lamp);
        Store(codeCount, codes);
    }
    return status;
}

int32_t GetPID03(uint8_t* first, uint8_t* second)
{
    uint8_t a = 0;
    uint8_t b = 0;
    const int32_t status = Guarded([&](Scantool& s) { return s.GetPid03(&a, &b); });
    Store(first, a);
    Store(second, b);
    return status;
}

int32_t GetPID13(int32_t* flags, uint32_t count) { return SensorsPresent(0x13, flags, count); }
int32_t GetPID1D(int32_t* flags, uint32_t count) { return SensorsPresent(0x1D, flags, count); }

// ---- one value as a double ----

int32_t GetPID04(double* value) { return Double(&Scantool::GetPid04, value); }
int32_t GetPID0B(double* value) { return Double(&Scantool::GetPid0B, value); }
int32_t GetPID0E(double* value) { return Double(&Scantool::GetPid0E, value); }
int32_t GetPID10(double* value) { return Double(&Scantool::GetPid10, value); }
int32_t GetPID11(double* value) { return Double(&Scantool::GetPid11, value); }
int32_t GetPID22(double* value) { return Double(&Scantool::GetPid22, value); }
int32_t GetPID33(double* value) { return Double(&Scantool::GetPid33, value); }
int32_t GetPID43(double* value) { return Double(&Scantool::GetPid43, value); }
int32_t GetPID44(double* value) { return Double(&Scantool::GetPid44, value); }
int32_t GetPID45(double* value) { return Double(&Scantool::GetPid45, value); }
int32_t GetPID47(double* value) { return Double(&Scantool::GetPid47, value); }
int32_t GetPID48(double* value) { return Double(&Scantool::GetPid48, value); }
int32_t GetPID49(double* value) { return Double(&Scantool::GetPid49, value); }
int32_t GetPID4A(double* value) { return Double(&Scantool::GetPid4A, value); }
int32_t GetPID4B(double* value) { return Double(&Scantool::GetPid4B, value); }
int32_t GetPID4C(double* value) { return Double(&Scantool::GetPid4C, value); }

// ---- one value cut to an integer ----

int32_t GetPID05(int32_t* value) { return Integer(&Scantool::GetPid05, value); }
int32_t GetPID0A(int32_t* value) { return Integer(&Scantool::GetPid0A, value); }
int32_t GetPID0C(int32_t* value) { return Integer(&Scantool::GetPid0C, value); }
int32_t GetPID0D(int32_t* value) { return Integer(&Scantool::GetPid0D, value); }
int32_t GetPID0F(int32_t* value) { return Integer(&Scantool::GetPid0F, value); }
int32_t GetPID1F(int32_t* value) { return Integer(&Scantool::GetPid1F, value); }
int32_t GetPID23(int32_t* value) { return Integer(&Scantool::GetPid23, value); }
int32_t GetPID3C(int32_t* value) { return Integer(&Scantool::GetPid3C, value); }
int32_t GetPID3D(int32_t* value) { return Integer(&Scantool::GetPid3D, value); }
int32_t GetPID3E(int32_t* value) { return Integer(&Scantool::GetPid3E, value); }
int32_t GetPID3F(int32_t* value) { return Integer(&Scantool::GetPid3F, value); }
int32_t GetPID46(int32_t* value) { return Integer(&Scantool::GetPid46, value); }

// ---- two values ----

int32_t GetPID06(double* first, double* second) { return Pair(&Scantool::GetPid06, first, second); }
int32_t GetPID07(double* first, double* second) { return Pair(&Scantool::GetPid07, first, second); }
int32_t GetPID08(double* first, double* second) { return Pair(&Scantool::GetPid08, first, second); }
int32_t GetPID09(double* first, double* second) { return Pair(&Scantool::GetPid09, first, second); }
int32_t GetPID14(double* first, double* second) { return Pair(&Scantool::GetPid14, first, second); }
int32_t GetPID15(double* first, double* second) { return Pair(&Scantool::GetPid15, first, second); }
int32_t GetPID16(double* first, double* second) { return Pair(&Scantool::GetPid16, first, second); }
int32_t GetPID17(double* first, double* second) { return Pair(&Scantool::GetPid17, first, second); }
int32_t GetPID18(double* first, double* second) { return Pair(&Scantool::GetPid18, first, second); }
int32_t GetPID19(double* first, double* second) { return Pair(&Scantool::GetPid19, first, second); }
int32_t GetPID1A(double* first, double* second) { return Pair(&Scantool::GetPid1A, first, second); }
int32_t GetPID1B(double* first, double* second) { return Pair(&Scantool::GetPid1B, first, second); }

int32_t GetPID24(double* ratio, double* voltage) { return RatioAndVoltage(0x24, ratio, voltage); }
int32_t GetPID25(double* ratio, double* voltage) { return RatioAndVoltage(0x25, ratio, voltage); }
int32_t GetPID26(double* ratio, double* voltage) { return RatioAndVoltage(0x26, ratio, voltage); }
int32_t GetPID27(double* ratio, double* voltage) { return RatioAndVoltage(0x27, ratio, voltage); }
int32_t GetPID28(double* ratio, double* voltage) { return RatioAndVoltage(0x28, ratio, voltage); }
int32_t GetPID29(double* ratio, double* voltage) { return RatioAndVoltage(0x29, ratio, voltage); }
int32_t GetPID2A(double* ratio, double* voltage) { return RatioAndVoltage(0x2A, ratio, voltage); }
int32_t GetPID2B(double* ratio, double* voltage) { return RatioAndVoltage(0x2B, ratio, voltage); }

int32_t GetPID34(double* ratio, double* current) { return RatioAndCurrent(0x34, ratio, current); }
int32_t GetPID35(double* ratio, double* current) { return RatioAndCurrent(0x35, ratio, current); }
int32_t GetPID36(double* ratio, double* current) { return RatioAndCurrent(0x36, ratio, current); }
int32_t GetPID37(double* ratio, double* current) { return RatioAndCurrent(0x37, ratio, current); }
int32_t GetPID38(double* ratio, double* current) { return RatioAndCurrent(0x38, ratio, current); }
int32_t GetPID39(double* ratio, double* current) { return RatioAndCurrent(0x39, ratio, current); }
int32_t GetPID3A(double* ratio, double* current) { return RatioAndCurrent(0x3A, ratio, current); }
int32_t GetPID3B(double* ratio, double* current) { return RatioAndCurrent(0x3B, ratio, current); }

// ---- trouble codes ----

int32_t Service03(char* buffer, uint32_t length, uint32_t* count)
{
    uint32_t codes = 0;
    int32_t status = obdvane::kStatusWrongSize;
    if (buffer || length == 0)
        status = Guarded([&](Scantool& s) { return s.ReadDtcs(buffer, length, &codes); });
    Store(count, codes);
    return status;
}

int32_t Service04(void)
{
    return Guarded([](Scantool& s) { return s.ClearDtcs(); });
}

int32_t GetLastNegativeCode(void)
{
    try {
        return TheScantool().GetLastNegativeCode();
    } catch (...) {
        return 0;
    }
}
