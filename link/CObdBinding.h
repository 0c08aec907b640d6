#pragma once

// The OBD side of the application object that stands before the adapter
// work: the adapter library loaded from the program folder with its 68
// exports bound all or nothing, and the tables of supported, polled and
// requested PIDs. Binding and unbinding run on the user-interface thread
// while the link worker does not use the library (start-up, exit).

#include "link/ObdApi.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace vexar::link {

class CObdBinding {
public:
    // Index = PID 0x00 to 0x60.
    static constexpr int kPidCount = 97;
    using PidTable = std::array<std::int32_t, kPidCount>;

    CObdBinding() = default;
    // Releases a library still bound.
    virtual ~CObdBinding();
    CObdBinding(const CObdBinding&) = delete;
    CObdBinding& operator=(const CObdBinding&) = delete;

    // Loads the library of the program folder and binds its exports. A
    // library that does not load, or lacks one export, is reported in a
    // message box ("obdvane.dll library failed to load!" / "obdvane.dll
    // function failed to load!"), released, and leaves m_hObdLib null; the
    // caller goes on without the petrol side.
    void BindObdLibrary();
    // The same from a given file.
    void BindObdLibraryFrom(const std::string& path);
    // Releases the library: true when none was bound or it was released (the
    // handle and every entry then null); false, with everything kept, when
    // the release failed.
    bool UnbindObdLibrary();

    // Supported: only PID 0; requested and active: none. Without m_csPid:
    // only while the worker does not run.
    void ClearPidTables();
    // The PID selection before a connect: supported only PID 0, none
    // active; the requested table (under m_csPid) from the selection file
    // at `path`, one "PIDxx" a line, or the default set when the file is
    // missing or does not open.
    void ReadPidList(const std::string& path);
    // The requested table of a selection file; nullopt when it does not
    // open.
    static std::optional<PidTable> ReadPidFile(const std::string& path);
    // The 30 PIDs requested without a selection file.
    static PidTable DefaultPidRequest();

    void* m_hObdLib = nullptr;
    OBD_API m_obdApi{};

    // Guards m_nPidRequested and the copies the petrol windows take.
    std::mutex m_csPid;
    PidTable m_nPidSupported{};
    PidTable m_nPidActive{};
    PidTable m_nPidRequested{};
    std::int32_t m_nPidIndex = 0;
    std::int32_t m_nStoredDtc = 0;
};

}  // namespace vexar::link
