#pragma once

// The table of the OBD adapter library's exports that the program binds at
// run time, in binding order. Each entry's type is taken from the
// library's own prototype, so the table and the library cannot drift
// apart. GetLastNegativeCode is not bound.

#include "obdvane/obdvane.h"

// X(name) for each of the 68 bound exports, in binding order.
#define VEXAR_OBD_EXPORTS(X)                                                                                    \
    X(OpenCom) X(CloseCom) X(Connect) X(GetPID00) X(GetPID01) X(GetPID03) X(GetPID04) X(GetPID05) X(GetPID06)  \
    X(GetPID07) X(GetPID08) X(GetPID09) X(GetPID0A) X(GetPID0B) X(GetPID0C) X(GetPID0D) X(GetPID0E)            \
    X(GetPID0F) X(GetPID10) X(GetPID11) X(GetPID13) X(GetPID14) X(GetPID15) X(GetPID16) X(GetPID17)            \
    X(GetPID18) X(GetPID19) X(GetPID1A) X(GetPID1B) X(GetPID1D) X(GetPID1F) X(GetPID20) X(GetPID22)            \
    X(GetPID23) X(GetPID24) X(GetPID25) X(GetPID26) X(GetPID27) X(GetPID28) X(GetPID29) X(GetPID2A)            \
    X(GetPID2B) X(GetPID33) X(GetPID34) X(GetPID35) X(GetPID36) X(GetPID37) X(GetPID38) X(GetPID39)            \
    X(GetPID3A) X(GetPID3B) X(GetPID3C) X(GetPID3D) X(GetPID3E) X(GetPID3F) X(GetPID40) X(GetPID43)            \
    X(GetPID44) X(GetPID45) X(GetPID46) X(GetPID47) X(GetPID48) X(GetPID49) X(GetPID4A) X(GetPID4B)            \
    X(GetPID4C) X(Service03) X(Service04)

namespace vexar::link {

// Every pointer null while the library is not bound. Only the link worker
// calls through it.
struct OBD_API {
#define VEXAR_OBD_FIELD(name) decltype(&::name) name = nullptr;
    VEXAR_OBD_EXPORTS(VEXAR_OBD_FIELD)
#undef VEXAR_OBD_FIELD
};

// The number of bound exports.
inline constexpr int kObdExportCount = 0
#define VEXAR_OBD_COUNT(name) +1
    VEXAR_OBD_EXPORTS(VEXAR_OBD_COUNT)
#undef VEXAR_OBD_COUNT
    ;
static_assert(kObdExportCount == 68);

}  // namespace vexar::link
