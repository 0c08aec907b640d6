// The binding of the OBD adapter library: the real library binds all 68
// exports, each to the library's own function; a library that is missing,
// or lacks one export, is refused whole with its one message.
#include "link/CObdBinding.h"

#include "RecordingReporter.h"
#include "common/Text.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using vexar::link::CObdBinding;
using vexar::linktest::RecordingReporter;
using vexar::link::OBD_API;

namespace {

// Every entry null, or every entry set.
int BoundEntries(const OBD_API& api)
{
    int bound = 0;
#define VEXAR_COUNT_BOUND(name) bound += api.name != nullptr;
    VEXAR_OBD_EXPORTS(VEXAR_COUNT_BOUND)
#undef VEXAR_COUNT_BOUND
    return bound;
}

}  // namespace

TEST(ObdBinding, TheRealLibraryBindsEveryExportToItsOwnFunction)
{
    RecordingReporter reporter;
    CObdBinding binding;
    binding.BindObdLibraryFrom(OBDVANE_FILE);
    ASSERT_NE(binding.m_hObdLib, nullptr);
    EXPECT_TRUE(reporter.shown.empty());
    EXPECT_EQ(BoundEntries(binding.m_obdApi), 68);
    // Each entry is the export of its own name, not merely some function.
    EXPECT_EQ(reinterpret_cast<void*>(binding.m_obdApi.GetPID0C), ::dlsym(binding.m_hObdLib, "GetPID0C"));
    EXPECT_EQ(reinterpret_cast<void*>(binding.m_obdApi.Service04), ::dlsym(binding.m_hObdLib, "Service04"));
    // A call through the table reaches the library: closing a port that
    // is not open is done at once.
    EXPECT_EQ(binding.m_obdApi.CloseCom(), 1);

    EXPECT_TRUE(binding.UnbindObdLibrary());
    EXPECT_EQ(binding.m_hObdLib, nullptr);
    EXPECT_EQ(BoundEntries(binding.m_obdApi), 0);
    EXPECT_TRUE(binding.UnbindObdLibrary());
}

TEST(ObdBinding, AMissingOrIncompleteLibraryIsRefusedWhole)
{
    const struct {
        const char* path;
        const char* message;
    } cases[] = {
        {"/nonexistent/libobdvane.so", "obdvane.dll library failed to load!"},
        {OBDVANE_LACKING_FILE, "obdvane.dll function failed to load!"},
    };
    for (const auto& c : cases) {
        RecordingReporter reporter;
        CObdBinding binding;
        binding.BindObdLibraryFrom(c.path);
        EXPECT_EQ(binding.m_hObdLib, nullptr) << c.path;
        EXPECT_EQ(BoundEntries(binding.m_obdApi), 0) << c.path;
        EXPECT_EQ(reporter.shown, std::vector<std::string>{c.message}) << c.path;
        EXPECT_TRUE(binding.UnbindObdLibrary());
    }
}

// The library lacking Service04 is the real one otherwise: every other
// export is there, so the refusal is for the one that is not.
TEST(ObdBinding, TheIncompleteLibraryLacksExactlyOneExport)
{
    void* library = ::dlopen(OBDVANE_LACKING_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(::dlsym(library, "Service04"), nullptr);
    EXPECT_NE(::dlsym(library, "Service03"), nullptr);
    EXPECT_NE(::dlsym(library, "OpenCom"), nullptr);
    ::dlclose(library);
}

TEST(ObdBinding, ThePidTablesStartWithOnlyPidZeroSupported)
{
    CObdBinding binding;
    binding.m_nPidRequested[0x0C] = 1;
    binding.m_nPidActive[0x0D] = 1;
    binding.m_nPidSupported[0x20] = 1;
    binding.ClearPidTables();
    for (int pid = 0; pid < CObdBinding::kPidCount; ++pid) {
        EXPECT_EQ(binding.m_nPidSupported[pid], pid == 0 ? 1 : 0) << pid;
        EXPECT_EQ(binding.m_nPidRequested[pid], 0) << pid;
        EXPECT_EQ(binding.m_nPidActive[pid], 0) << pid;
    }
}
