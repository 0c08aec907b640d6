#include "link/CObdBinding.h"

#include "common/CStdioFileEx.h"
#include "common/CUtilityToolbox.h"
#include "common/ErrorReporter.h"
#include "common/Text.h"
#include "platform/ProgramFolder.h"
#include "platform/ProgramNames.h"

#include <dlfcn.h>

namespace vexar::link {

namespace {

// The messages keep the system's library name.
constexpr char16_t kLibraryFailed[] = u"obdvane.dll library failed to load!";
constexpr char16_t kFunctionFailed[] = u"obdvane.dll function failed to load!";

// Looks every export up; false at the first one missing.
bool BindExports(void* library, OBD_API& api)
{
    OBD_API bound{};
#define VEXAR_OBD_BIND(name)                                                   \
    bound.name = reinterpret_cast<decltype(bound.name)>(::dlsym(library, #name)); \
    if (!bound.name)                                                           \
        return false;
    VEXAR_OBD_EXPORTS(VEXAR_OBD_BIND)
#undef VEXAR_OBD_BIND
    api = bound;
    return true;
}

}  // namespace

CObdBinding::~CObdBinding() { UnbindObdLibrary(); }

void CObdBinding::BindObdLibrary()
{
    BindObdLibraryFrom(platform::ProgramFolder() + platform::kObdLibraryFile);
}

void CObdBinding::BindObdLibraryFrom(const std::string& path)
{
    if (m_hObdLib)
        return;
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        ReportError(kLibraryFailed);
        return;
    }
    if (!BindExports(library, m_obdApi)) {
        ::dlclose(library);
        m_obdApi = OBD_API{};
        ReportError(kFunctionFailed);
        return;
    }
    m_hObdLib = library;
}

bool CObdBinding::UnbindObdLibrary()
{
    if (!m_hObdLib)
        return true;
    if (::dlclose(m_hObdLib) != 0)
        return false;
    m_hObdLib = nullptr;
    m_obdApi = OBD_API{};
    return true;
}

void CObdBinding::ClearPidTables()
{
    m_nPidSupported.fill(0);
    m_nPidSupported[0] = 1;
    m_nPidRequested.fill(0);
    m_nPidActive.fill(0);
}

CObdBinding::PidTable CObdBinding::DefaultPidRequest()
{
    PidTable requested{};
    for (int pid : {0x03, 0x06, 0x07, 0x08, 0x09, 0x0B})
        requested[pid] = 1;
    for (int base : {0x14, 0x24, 0x34})
        for (int pid = base; pid <= base + 7; ++pid)
            requested[pid] = 1;
    return requested;
}

std::optional<CObdBinding::PidTable> CObdBinding::ReadPidFile(const std::string& path)
{
    CStdioFileEx file;
    if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText | CStdioFileEx::shareDenyNone))
        return std::nullopt;
    PidTable requested{};
    std::u16string line;
    while (file.ReadString(line)) {
        const std::size_t at = line.find(u"PID");
        if (at == std::u16string::npos)
            continue;
        // The two characters after "PID"; a comment may follow them.
        std::uint32_t pid = 0;
        if (CUtility::ParseHex(TrimView(std::u16string_view(line).substr(at + 3, 2)), pid) && pid < kPidCount)
            requested[pid] = 1;
    }
    return requested;
}

void CObdBinding::ReadPidList(const std::string& path)
{
    m_nPidSupported.fill(0);
    m_nPidSupported[0] = 1;
    m_nPidActive.fill(0);
    const PidTable requested = ReadPidFile(path).value_or(DefaultPidRequest());
    std::lock_guard lock(m_csPid);
    m_nPidRequested = requested;
}

}  // namespace vexar::link
