// libobdvane.so from the outside: its header, what it exports, and the
// port functions through dlopen as the main program binds them.
#include "obdvane/obdvane.h"
#include "obd/tests/PortPeer.h"
#include "testing/obdsim/ObdSimulator.h"

#include <cstdio>
#include <dlfcn.h>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <type_traits>

using namespace obdvane::test;

namespace {

// Every prototype has the type of its call form.
template <typename Form, typename... Functions>
constexpr bool AllOfForm(Functions... functions)
{
    return (std::is_same_v<Form, decltype(functions)> && ...);
}

static_assert(AllOfForm<OBDVANE_OPEN_FN>(&OpenCom));
static_assert(AllOfForm<OBDVANE_PLAIN_FN>(&CloseCom, &Service04, &GetLastNegativeCode));
static_assert(AllOfForm<OBDVANE_CONNECT_FN>(&Connect));
static_assert(AllOfForm<OBDVANE_FLAGS_FN>(&GetPID00, &GetPID20, &GetPID40, &GetPID13, &GetPID1D));
static_assert(AllOfForm<OBDVANE_MONITOR_FN>(&GetPID01));
static_assert(AllOfForm<OBDVANE_FUEL_FN>(&GetPID03));
static_assert(AllOfForm<OBDVANE_DOUBLE_FN>(&GetPID04, &GetPID0B, &GetPID0E, &GetPID10, &GetPID11, &GetPID22, &GetPID33,
                                           &GetPID43, &GetPID44, &GetPID45, &GetPID47, &GetPID48, &GetPID49, &GetPID4A,
                                           &GetPID4B, &GetPID4C));
static_assert(AllOfForm<OBDVANE_INT_FN>(&GetPID05, &GetPID0A, &GetPID0C, &GetPID0D, &GetPID0F, &GetPID1F, &GetPID23,
                                        &GetPID3C, &GetPID3D, &GetPID3E, &GetPID3F, &GetPID46));
static_assert(AllOfForm<OBDVANE_PAIR_FN>(&GetPID06, &GetPID07, &GetPID08, &GetPID09, &GetPID14, &GetPID15, &GetPID16,
                                         &GetPID17, &GetPID18, &GetPID19, &GetPID1A, &GetPID1B, &GetPID24, &GetPID25,
                                         &GetPID26, &GetPID27, &GetPID28, &GetPID29, &GetPID2A, &GetPID2B, &GetPID34,
                                         &GetPID35, &GetPID36, &GetPID37, &GetPID38, &GetPID39, &GetPID3A, &GetPID3B));
static_assert(AllOfForm<OBDVANE_DTC_FN>(&Service03));

// The function names the public header declares.
std::set<std::string> HeaderNames()
{
    std::ifstream header(OBDVANE_HEADER);
    std::stringstream text;
    text << header.rdbuf();
    const std::string all = text.str();
    const std::string prefix = "OBDVANE_API int32_t ";
    std::set<std::string> names;
    for (std::size_t at = all.find(prefix); at != std::string::npos; at = all.find(prefix, at + 1)) {
        const std::size_t from = at + prefix.size();
        names.insert(all.substr(from, all.find('(', from) - from));
    }
    return names;
}

// The names the built library defines in its dynamic symbol table.
std::set<std::string> ExportedNames()
{
    std::set<std::string> names;
    FILE* pipe = ::popen("nm -D --defined-only " OBDVANE_FILE, "r");
    if (!pipe)
        return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::string address, kind, name;
        if (fields >> address >> kind >> name)
            names.insert(name);
    }
    ::pclose(pipe);
    return names;
}

// The loaded library, released at the end.
struct Library {
    Library() : handle(::dlopen(OBDVANE_FILE, RTLD_NOW | RTLD_LOCAL)) {}
    ~Library()
    {
        if (handle)
            ::dlclose(handle);
    }
    template <typename T>
    T Bind(const char* name) const
    {
        return reinterpret_cast<T>(::dlsym(handle, name));
    }
    void* handle;
};

}  // namespace

TEST(ObdvaneLibrary, TheHeaderDeclaresEveryExportOnce)
{
    EXPECT_EQ(HeaderNames().size(), 69u);
}

TEST(ObdvaneLibrary, ExportsExactlyTheFunctionsOfItsHeader)
{
    const std::set<std::string> exported = ExportedNames();
    ASSERT_FALSE(exported.empty()) << "nm gave nothing for " OBDVANE_FILE;
    EXPECT_EQ(exported, HeaderNames());
    EXPECT_EQ(exported.size(), 69u);
}

TEST(ObdvaneLibrary, OpensAndClosesTheAdaptersPortByNumber)
{
    ComFolder comDir;
    vexar::obdsim::ObdSimulator sim;
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    ASSERT_TRUE(sim.PublishCom(comDir.Path(), 7, error)) << error;

    Library library;
    ASSERT_NE(library.handle, nullptr) << ::dlerror();
    const auto openCom = library.Bind<OBDVANE_OPEN_FN>("OpenCom");
    const auto closeCom = library.Bind<OBDVANE_PLAIN_FN>("CloseCom");
    ASSERT_TRUE(openCom && closeCom);

    EXPECT_EQ(openCom(0), 0);
    EXPECT_EQ(openCom(256), 0);
    EXPECT_EQ(openCom(255), 0) << "tried, and there is no COM255";
    EXPECT_EQ(sim.CountRecords(vexar::obdsim::FrameRecord::Kind::WakeUp), 0u);

    const Clock::time_point start = Clock::now();
    EXPECT_EQ(openCom(7), 1);
    EXPECT_GE(ElapsedMs(start), 1490) << "the line settles after every open";
    EXPECT_TRUE(sim.WaitForRecords(vexar::obdsim::FrameRecord::Kind::WakeUp, 1, 1000ms)) << "the open purged the line";
    EXPECT_EQ(openCom(7), 0) << "the port is open already";
    EXPECT_EQ(closeCom(), 1);
    EXPECT_EQ(closeCom(), 1) << "closing a closed port";
}
