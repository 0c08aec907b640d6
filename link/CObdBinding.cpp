#include "link/CObdBinding.h"

#include "common/ErrorReporter.h"
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

}  // namespace vexar::link
