#ifndef OBDVANE_H
#define OBDVANE_H

/* obdvane: drives a serial OBD-II scan adapter.
 *
 * Every function runs in its caller's thread and never lets an error out:
 * each outcome is a small integer. OpenCom, CloseCom and Connect answer 1
 * for done and 0 for failed. The requests answer a status:
 *   0  done, the outputs hold the answer
 *   1  the exchange with the adapter failed
 *   2  no answer data (the adapter found none, the first ECU the connect
 *      found did not answer, or no ECU is known)
 *   3  that ECU refused, whatever its code; GetLastNegativeCode tells why
 *   4  an array argument has the wrong size
 * One lock serialises the exchanges of all threads.
 *
 * A program that loads the library at run time takes each function's
 * pointer type from its prototype (decltype(&GetPID0C)) or from the
 * call-form types below. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(OBDVANE_BUILD)
#define OBDVANE_API __attribute__((visibility("default")))
#else
#define OBDVANE_API
#endif

/* Call forms. */
typedef int32_t (*OBDVANE_OPEN_FN)(uint32_t port);
typedef int32_t (*OBDVANE_PLAIN_FN)(void);
typedef int32_t (*OBDVANE_CONNECT_FN)(int32_t* protocol, int32_t reserved);
typedef int32_t (*OBDVANE_FLAGS_FN)(int32_t* flags, uint32_t count);
typedef int32_t (*OBDVANE_MONITOR_FN)(int32_t* mil, int32_t* codeCount, int32_t* available, int32_t availableCount,
                                      int32_t* complete, int32_t completeCount);
typedef int32_t (*OBDVANE_FUEL_FN)(uint8_t* first, uint8_t* second);
typedef int32_t (*OBDVANE_DOUBLE_FN)(double* value);
typedef int32_t (*OBDVANE_INT_FN)(int32_t* value);
typedef int32_t (*OBDVANE_PAIR_FN)(double* first, double* second);
typedef int32_t (*OBDVANE_DTC_FN)(char* buffer, uint32_t length, uint32_t* count);

/* Port and connection. OpenCom opens COM<port> (1 to 255). Connect stores
 * the vehicle's protocol: 1 ISO9141, 2 ISO14230, 3 ISO11519-PWM,
 * 4 ISO11519-VPW, 5 ISO15765-4; 0 when none was found. Its second argument
 * carries nothing. */
OBDVANE_API int32_t OpenCom(uint32_t port);
OBDVANE_API int32_t CloseCom(void);
OBDVANE_API int32_t Connect(int32_t* protocol, int32_t reserved);

/* Supported-PID bitmaps of service 01: flags[k] = 1 when PID base + 1 + k
 * is supported; count must be 32. */
OBDVANE_API int32_t GetPID00(int32_t* flags, uint32_t count);
OBDVANE_API int32_t GetPID20(int32_t* flags, uint32_t count);
OBDVANE_API int32_t GetPID40(int32_t* flags, uint32_t count);

/* Monitor status: lamp, stored trouble-code count and, per readiness test
 * (both counts must be 12), whether it is available and complete. */
OBDVANE_API int32_t GetPID01(int32_t* mil, int32_t* codeCount, int32_t* available, int32_t availableCount,
                             int32_t* complete, int32_t completeCount);

/* Fuel system 1 and 2 status. */
OBDVANE_API int32_t GetPID03(uint8_t* first, uint8_t* second);

/* Oxygen-sensor locations: flags[k] = bit 7 - k of the answer; count 8. */
OBDVANE_API int32_t GetPID13(int32_t* flags, uint32_t count);
OBDVANE_API int32_t GetPID1D(int32_t* flags, uint32_t count);

/* One value as a double. */
OBDVANE_API int32_t GetPID04(double* value);
OBDVANE_API int32_t GetPID0B(double* value);
OBDVANE_API int32_t GetPID0E(double* value);
OBDVANE_API int32_t GetPID10(double* value);
OBDVANE_API int32_t GetPID11(double* value);
OBDVANE_API int32_t GetPID22(double* value);
OBDVANE_API int32_t GetPID33(double* value);
OBDVANE_API int32_t GetPID43(double* value);
OBDVANE_API int32_t GetPID44(double* value);
OBDVANE_API int32_t GetPID45(double* value);
OBDVANE_API int32_t GetPID47(double* value);
OBDVANE_API int32_t GetPID48(double* value);
OBDVANE_API int32_t GetPID49(double* value);
OBDVANE_API int32_t GetPID4A(double* value);
OBDVANE_API int32_t GetPID4B(double* value);
OBDVANE_API int32_t GetPID4C(double* value);

/* One value cut to an integer. */
OBDVANE_API int32_t GetPID05(int32_t* value);
OBDVANE_API int32_t GetPID0A(int32_t* value);
OBDVANE_API int32_t GetPID0C(int32_t* value);
OBDVANE_API int32_t GetPID0D(int32_t* value);
OBDVANE_API int32_t GetPID0F(int32_t* value);
OBDVANE_API int32_t GetPID1F(int32_t* value);
OBDVANE_API int32_t GetPID23(int32_t* value);
OBDVANE_API int32_t GetPID3C(int32_t* value);
OBDVANE_API int32_t GetPID3D(int32_t* value);
OBDVANE_API int32_t GetPID3E(int32_t* value);
OBDVANE_API int32_t GetPID3F(int32_t* value);
OBDVANE_API int32_t GetPID46(int32_t* value);

/* Two values; a value the ECU did not send is NaN. */
OBDVANE_API int32_t GetPID06(double* first, double* second);
OBDVANE_API int32_t GetPID07(double* first, double* second);
OBDVANE_API int32_t GetPID08(double* first, double* second);
OBDVANE_API int32_t GetPID09(double* first, double* second);
OBDVANE_API int32_t GetPID14(double* first, double* second);
OBDVANE_API int32_t GetPID15(double* first, double* second);
OBDVANE_API int32_t GetPID16(double* first, double* second);
OBDVANE_API int32_t GetPID17(double* first, double* second);
OBDVANE_API int32_t GetPID18(double* first, double* second);
OBDVANE_API int32_t GetPID19(double* first, double* second);
OBDVANE_API int32_t GetPID1A(double* first, double* second);
OBDVANE_API int32_t GetPID1B(double* first, double* second);
OBDVANE_API int32_t GetPID24(double* first, double* second);
OBDVANE_API int32_t GetPID25(double* first, double* second);
OBDVANE_API int32_t GetPID26(double* first, double* second);
OBDVANE_API int32_t GetPID27(double* first, double* second);
OBDVANE_API int32_t GetPID28(double* first, double* second);
OBDVANE_API int32_t GetPID29(double* first, double* second);
OBDVANE_API int32_t GetPID2A(double* first, double* second);
OBDVANE_API int32_t GetPID2B(double* first, double* second);
OBDVANE_API int32_t GetPID34(double* first, double* second);
OBDVANE_API int32_t GetPID35(double* first, double* second);
OBDVANE_API int32_t GetPID36(double* first, double* second);
OBDVANE_API int32_t GetPID37(double* first, double* second);
OBDVANE_API int32_t GetPID38(double* first, double* second);
OBDVANE_API int32_t GetPID39(double* first, double* second);
OBDVANE_API int32_t GetPID3A(double* first, double* second);
OBDVANE_API int32_t GetPID3B(double* first, double* second);

/* Stored trouble codes of the first ECU, 5 characters each, without
 * separators or terminator; length must be a multiple of 5. */
OBDVANE_API int32_t Service03(char* buffer, uint32_t length, uint32_t* count);
/* Clears the stored trouble codes. */
OBDVANE_API int32_t Service04(void);
/* Why the last request was refused: 1 general reject, 2 service not
 * supported, 3 sub-function not supported or invalid format, 4 busy,
 * 5 conditions not correct, 6 response pending; 0 none of these. */
OBDVANE_API int32_t GetLastNegativeCode(void);

#ifdef __cplusplus
}
#endif

#endif
