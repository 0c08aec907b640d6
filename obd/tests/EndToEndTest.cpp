// libobdvane.so as the main program uses it: copied into a program folder,
// loaded from there by path, its functions bound by name, and driven
// against the simulated adapter and car on a pseudo-terminal. Each test
// loads its own copy, so each starts with the library's fresh state.
#include "obdvane/obdvane.h"
#include "obd/tests/PortPeer.h"
#include "obd/tests/SimulatorHelpers.h"
#include "testing/obdsim/ObdSimulator.h"
#include "testing/support/TempDir.h"

#include <array>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

using namespace obdvane::test;
using vexar::obdsim::Fault;
using vexar::obdsim::FaultKind;
using vexar::obdsim::ObdSimulator;
using vexar::obdsim::Repeat;

namespace {

// The names the main program binds, in its order; GetLastNegativeCode is
// the library's one export it leaves alone.
const std::vector<std::string> kBoundNames = {
    "OpenCom",  "CloseCom", "Connect",  "GetPID00", "GetPID01", "GetPID03", "GetPID04", "GetPID05", "GetPID06",
    "GetPID07", "GetPID08", "GetPID09", "GetPID0A", "GetPID0B", "GetPID0C", "GetPID0D", "GetPID0E", "GetPID0F",
    "GetPID10", "GetPID11", "GetPID13", "GetPID14", "GetPID15", "GetPID16", "GetPID17", "GetPID18", "GetPID19",
    "GetPID1A", "GetPID1B", "GetPID1D", "GetPID1F", "GetPID20", "GetPID22", "GetPID23", "GetPID24", "GetPID25",
    "GetPID26", "GetPID27", "GetPID28", "GetPID29", "GetPID2A", "GetPID2B", "GetPID33", "GetPID34", "GetPID35",
    "GetPID36", "GetPID37", "GetPID38", "GetPID39", "GetPID3A", "GetPID3B", "GetPID3C", "GetPID3D", "GetPID3E",
    "GetPID3F", "GetPID40", "GetPID43", "GetPID44", "GetPID45", "GetPID46", "GetPID47", "GetPID48", "GetPID49",
    "GetPID4A", "GetPID4B", "GetPID4C", "Service03", "Service04"};

// The built library copied into a program folder of the test's own and
// loaded from there by its path.
class ProgramFolderLibrary {
public:
    ProgramFolderLibrary()
    {
        const std::string path = m_folder.file("libobdvane.so");
        std::filesystem::copy_file(OBDVANE_FILE, path);
        m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    ~ProgramFolderLibrary()
    {
        if (m_handle)
            ::dlclose(m_handle);
    }
    ProgramFolderLibrary(const ProgramFolderLibrary&) = delete;
    ProgramFolderLibrary& operator=(const ProgramFolderLibrary&) = delete;

    bool IsLoaded() const { return m_handle != nullptr; }
    void* Symbol(const std::string& name) const { return m_handle ? ::dlsym(m_handle, name.c_str()) : nullptr; }
    template <typename F>
    F Bind(const char* name) const
    {
        return reinterpret_cast<F>(Symbol(name));
    }

private:
    vexar::testing::TempDir m_folder;
    void* m_handle = nullptr;
};

// The functions these tests call, bound by name; each has the type of its
// prototype.
#define OBDVANE_BOUND(name) decltype(&::name) name = library.Bind<decltype(&::name)>(#name)
struct Api {
    explicit Api(const ProgramFolderLibrary& lib) : library(lib) {}
    const ProgramFolderLibrary& library;
    OBDVANE_BOUND(OpenCom);
    OBDVANE_BOUND(CloseCom);
    OBDVANE_BOUND(Connect);
    OBDVANE_BOUND(GetPID00);
    OBDVANE_BOUND(GetPID20);
    OBDVANE_BOUND(GetPID40);
    OBDVANE_BOUND(GetPID01);
    OBDVANE_BOUND(GetPID03);
    OBDVANE_BOUND(GetPID04);
    OBDVANE_BOUND(GetPID05);
    OBDVANE_BOUND(GetPID06);
    OBDVANE_BOUND(GetPID07);
    OBDVANE_BOUND(GetPID0B);
    OBDVANE_BOUND(GetPID0C);
    OBDVANE_BOUND(GetPID0D);
    OBDVANE_BOUND(GetPID0E);
    OBDVANE_BOUND(GetPID10);
    OBDVANE_BOUND(GetPID13);
    OBDVANE_BOUND(GetPID14);
    OBDVANE_BOUND(GetPID19);
    OBDVANE_BOUND(GetPID1B);
    OBDVANE_BOUND(GetPID1D);
    OBDVANE_BOUND(GetPID1F);
    OBDVANE_BOUND(GetPID25);
    OBDVANE_BOUND(GetPID3B);
    OBDVANE_BOUND(Service03);
    OBDVANE_BOUND(Service04);
    OBDVANE_BOUND(GetLastNegativeCode);
};
#undef OBDVANE_BOUND

constexpr unsigned kCom = 9;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// One engine ECU with live values, readiness, two stored codes, a sensor
// layout and its maxima for the scaled PIDs.
const char kEngine[] =
    "protocol 3\n"
    "ecu 10\n"
    "pid 03 02 00\n"
    "pid 04 80\n"
    "pid 05 7B\n"
    "pid 06 90 70\n"
    "pid 0B 65\n"
    "pid 0C 1A F8\n"
    "pid 0D 32\n"
    "pid 10 80 00\n"
    "pid 13 33\n"
    "pid 14 A0 80\n"
    "pid 1F 0E 10\n"
    "pid 25 80 00 80 00\n"
    "pid 3B FF FF 40 00\n"
    "pid 4F 04 10 40 FF\n"
    "pid 50 0A 00 00 00\n"
    "mil on\n"
    "dtc P0133 P0420\n"
    "readiness 07 65 04\n";

// Flags of a supported-PID bitmap: 1 for each PID of `pids` in base+1 .. base+32.
std::vector<int32_t> Flags(int base, std::set<int> pids)
{
    std::vector<int32_t> flags(32, 0);
    for (int k = 0; k < 32; ++k)
        flags[static_cast<std::size_t>(k)] = pids.count(base + 1 + k) ? 1 : 0;
    return flags;
}

class ObdvaneEndToEnd : public ::testing::Test {
protected:
    static vexar::obdsim::SimulatorOptions Options()
    {
        vexar::obdsim::SimulatorOptions options;
        options.streamRate = 200000;  // an endless frame reaches the receiver's bound quickly
        return options;
    }

    void SetUp() override { ASSERT_TRUE(m_library.IsLoaded()) << ::dlerror(); }

    void StartAdapter(const std::string& scenario)
    {
        m_sim.SetScenario(ParseScenarioText(scenario));
        std::string error;
        ASSERT_TRUE(m_sim.Start(error)) << error;
        ASSERT_TRUE(m_sim.PublishCom(m_comDir.Path(), kCom, error)) << error;
    }

    // Opens the port and connects; the protocol the library reported.
    int OpenAndConnect(const std::string& scenario)
    {
        StartAdapter(scenario);
        EXPECT_EQ(api.OpenCom(kCom), 1);
        int32_t protocol = -1;
        EXPECT_EQ(api.Connect(&protocol, 0), 1);
        return protocol;
    }

    ProgramFolderLibrary m_library;
    Api api{m_library};
    ComFolder m_comDir;
    ObdSimulator m_sim{Options()};
};

}  // namespace

TEST_F(ObdvaneEndToEnd, EveryNameTheMainProgramBindsResolves)
{
    ASSERT_EQ(kBoundNames.size(), 68u);
    ASSERT_EQ(std::set<std::string>(kBoundNames.begin(), kBoundNames.end()).size(), 68u);
    for (const std::string& name : kBoundNames)
        EXPECT_NE(m_library.Symbol(name), nullptr) << name;
    EXPECT_NE(m_library.Symbol("GetLastNegativeCode"), nullptr);
    EXPECT_EQ(m_library.Symbol("TheScantool"), nullptr) << "nothing but the C functions";
}

TEST_F(ObdvaneEndToEnd, ConnectsAndReadsBitmapsLiveValuesReadinessAndSensors)
{
    EXPECT_EQ(OpenAndConnect(kEngine), 3);

    std::vector<int32_t> flags(32, 7);
    EXPECT_EQ(api.GetPID00(flags.data(), 32), 0);
    EXPECT_EQ(flags, Flags(0x00, {0x01, 0x03, 0x04, 0x05, 0x06, 0x0B, 0x0C, 0x0D, 0x10, 0x13, 0x14, 0x1F, 0x20}));
    EXPECT_EQ(api.GetPID20(flags.data(), 32), 0);
    EXPECT_EQ(flags, Flags(0x20, {0x25, 0x3B, 0x40}));
    EXPECT_EQ(api.GetPID40(flags.data(), 32), 0);
    EXPECT_EQ(flags, Flags(0x40, {0x4F, 0x50}));

    int32_t mil = -1, codes = -1;
    std::array<int32_t, 12> available{}, complete{};
    EXPECT_EQ(api.GetPID01(&mil, &codes, available.data(), 12, complete.data(), 12), 0);
    EXPECT_EQ(mil, 1);
    EXPECT_EQ(codes, 2);
    EXPECT_EQ(available, (std::array<int32_t, 12>{1, 1, 1, 0, 1, 0, 1, 0, 0, 1, 1, 0}));
    EXPECT_EQ(complete, (std::array<int32_t, 12>{1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1}));

    uint8_t fuel1 = 9, fuel2 = 9;
    EXPECT_EQ(api.GetPID03(&fuel1, &fuel2), 0);
    EXPECT_EQ(fuel1, 2);
    EXPECT_EQ(fuel2, 0);
    double load = 0;
    EXPECT_EQ(api.GetPID04(&load), 0);
    EXPECT_DOUBLE_EQ(load, 128 * 100 / 255.0);
    int32_t value = 0;
    EXPECT_EQ(api.GetPID05(&value), 0);
    EXPECT_EQ(value, 83);
    EXPECT_EQ(api.GetPID0C(&value), 0);
    EXPECT_EQ(value, 1726);
    EXPECT_EQ(api.GetPID0D(&value), 0);
    EXPECT_EQ(value, 50);
    EXPECT_EQ(api.GetPID1F(&value), 0);
    EXPECT_EQ(value, 3600);
    double first = 0, second = 0;
    EXPECT_EQ(api.GetPID06(&first, &second), 0);
    EXPECT_EQ(first, 12.5);
    EXPECT_EQ(second, -12.5);
    EXPECT_EQ(api.GetPID14(&first, &second), 0);
    EXPECT_DOUBLE_EQ(first, 0.8);
    EXPECT_DOUBLE_EQ(second, 0.0);

    std::vector<int32_t> sensors(8, 7);
    EXPECT_EQ(api.GetPID13(sensors.data(), 8), 0);
    EXPECT_EQ(sensors, (std::vector<int32_t>{0, 0, 1, 1, 0, 0, 1, 1}));
    EXPECT_EQ(api.GetPID1D(sensors.data(), 8), 2) << "no ECU has the four-bank layout";
    EXPECT_EQ(sensors, std::vector<int32_t>(8, 0));
}

TEST_F(ObdvaneEndToEnd, ScaledPidsFollowTheMaximaOfTheLastConnect)
{
    EXPECT_EQ(OpenAndConnect(kEngine), 3);
    double pressure = 0, flow = 0, ratio = 0, second = 0;
    EXPECT_EQ(api.GetPID0B(&pressure), 0);
    EXPECT_DOUBLE_EQ(pressure, 1010.0) << "101 counts of 2550 / 255 kPa";
    EXPECT_EQ(api.GetPID10(&flow), 0);
    EXPECT_DOUBLE_EQ(flow, 0x8000 * 100 / 65535.0);
    m_sim.ClearFrameLog();
    EXPECT_EQ(api.GetPID25(&ratio, &second), 0);
    EXPECT_DOUBLE_EQ(ratio, 0x8000 * 4 / 65535.0);
    EXPECT_DOUBLE_EQ(second, 0x8000 * 16 / 65535.0);
    EXPECT_EQ(api.GetPID3B(&ratio, &second), 0);
    EXPECT_DOUBLE_EQ(ratio, 4.0);
    EXPECT_DOUBLE_EQ(second, -96.0);
    EXPECT_EQ(HeardRequests(m_sim), (std::vector<std::string>{"SP0125", "SP013B"}));

    // The car no longer declares PID 20: the next connect reads no maxima.
    m_sim.SetScenario(ParseScenarioText("ecu 10\npid 0B 65\n"));
    int32_t protocol = 0;
    ASSERT_EQ(api.Connect(&protocol, 1), 1);
    EXPECT_EQ(api.GetPID0B(&pressure), 0);
    EXPECT_DOUBLE_EQ(pressure, 101.0);
}

TEST_F(ObdvaneEndToEnd, StoredCodesOnEveryProtocolAndClearing)
{
    EXPECT_EQ(OpenAndConnect("protocol 2\necu 10\ndtc P0133 C0123 B0123 U0100\necu 18\ndtc P0300\n"), 2);
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    uint32_t count = 99;
    EXPECT_EQ(api.Service03(buffer, 30, &count), 0);
    EXPECT_EQ(count, 4u) << "two answers of three codes from the first ECU, none from the second";
    EXPECT_EQ(std::string(buffer, 32), std::string("P0133C0123B0123U0100") + std::string(10, '\0') + "##");

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(api.Service03(buffer, 10, &count), 0);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(std::string(buffer, 12), "P0133C0123##") << "never past the length given";

    EXPECT_EQ(api.Service03(buffer, 12, &count), 4);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(std::string(buffer, 12), "P0133C0123##") << "a wrong length leaves the buffer alone";

    EXPECT_EQ(api.Service04(), 0);
    EXPECT_EQ(api.Service03(buffer, 10, &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(std::string(buffer, 10), std::string(10, '\0'));

    m_sim.SetScenario(ParseScenarioText("protocol 5\necu 10\ndtc P0133 P0420 P0171\nmil on\n"));
    int32_t protocol = 0;
    ASSERT_EQ(api.Connect(&protocol, 1), 1);
    EXPECT_EQ(protocol, 5);
    EXPECT_EQ(api.Service03(buffer, 15, &count), 0);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(std::string(buffer, 15), "P0133P0420P0171");
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(api.Service03(buffer, 10, &count), 0);
    EXPECT_EQ(count, 2u) << "three codes stored, room for two";
    EXPECT_EQ(std::string(buffer, 11), "P0133P0420#");
    int32_t mil = 0, codes = 0;
    std::array<int32_t, 12> available{}, complete{};
    ASSERT_EQ(api.GetPID01(&mil, &codes, available.data(), 12, complete.data(), 12), 0);
    EXPECT_EQ(mil, 1);
    EXPECT_EQ(codes, 3);
    EXPECT_EQ(api.Service04(), 0);
    ASSERT_EQ(api.GetPID01(&mil, &codes, available.data(), 12, complete.data(), 12), 0);
    EXPECT_EQ(mil, 0);
    EXPECT_EQ(codes, 0);
}

TEST_F(ObdvaneEndToEnd, RequestsBeforeAConnectAndArraysOfTheWrongSize)
{
    StartAdapter(kEngine);
    EXPECT_EQ(api.OpenCom(0), 0);
    EXPECT_EQ(api.OpenCom(256), 0);
    EXPECT_TRUE(HeardRequests(m_sim).empty());
    EXPECT_EQ(m_sim.CountRecords(vexar::obdsim::FrameRecord::Kind::WakeUp), 0u) << "no port was touched";
    EXPECT_EQ(api.OpenCom(255), 0) << "tried: there is no COM255";

    int32_t value = 7;
    double pair[2] = {1, 1};
    EXPECT_EQ(api.GetPID0C(&value), 1) << "the port is closed";
    EXPECT_EQ(value, 0);
    EXPECT_EQ(api.GetPID06(&pair[0], &pair[1]), 1);
    EXPECT_TRUE(std::isnan(pair[0]) && std::isnan(pair[1]));

    ASSERT_EQ(api.OpenCom(kCom), 1);
    EXPECT_EQ(api.GetPID0C(&value), 2) << "the adapter answers, but no ECU is known";
    EXPECT_EQ(api.Service03(nullptr, 0, nullptr), 2);
    EXPECT_EQ(api.Service04(), 0) << "clearing does not look at the ECUs";

    std::vector<int32_t> flags(32, 7);
    EXPECT_EQ(api.GetPID00(flags.data(), 16), 4);
    EXPECT_EQ(std::vector<int32_t>(flags.begin(), flags.begin() + 16), std::vector<int32_t>(16, 0));
    EXPECT_EQ(std::vector<int32_t>(flags.begin() + 16, flags.end()), std::vector<int32_t>(16, 7));
    EXPECT_EQ(api.GetPID13(flags.data(), 32), 4);
    int32_t mil = 7, codes = 7;
    std::array<int32_t, 12> available, complete;
    available.fill(7);
    complete.fill(7);
    EXPECT_EQ(api.GetPID01(&mil, &codes, available.data(), 11, complete.data(), 12), 4);
    EXPECT_EQ(mil + codes + available[0] + complete[11], 28) << "nothing touched";
    char buffer[12];
    std::memset(buffer, '#', sizeof buffer);
    uint32_t count = 9;
    EXPECT_EQ(api.Service03(buffer, 12, &count), 4);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(std::string(buffer, 12), std::string(12, '#'));
    EXPECT_EQ(api.GetPID00(nullptr, 32), 4);
    EXPECT_EQ(api.Service03(nullptr, 5, &count), 4);
    EXPECT_EQ(HeardRequests(m_sim), (std::vector<std::string>{"SP010C", "SP03", "SP04"}))
        << "wrong sizes are refused before anything is sent";
}

TEST_F(ObdvaneEndToEnd, NoDataRefusalsAndAnswersThatBreakOff)
{
    EXPECT_EQ(OpenAndConnect("ecu 10\n"
                             "pid 06 90\n"
                             "pid 0D 32\n"
                             "refuse 01 0C 22\n"
                             "refuse 01 07 12\n"
                             "refuse 01 0E 31\n"),
              3);
    int32_t value = 7;
    EXPECT_EQ(api.GetPID0C(&value), 3);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(api.GetLastNegativeCode(), 5) << "0x22: conditions not correct";
    EXPECT_EQ(api.GetPID0D(&value), 0);
    EXPECT_EQ(value, 50);
    EXPECT_EQ(api.GetLastNegativeCode(), 0) << "the next request clears it";

    double first = 0, second = 0;
    EXPECT_EQ(api.GetPID07(&first, &second), 3);
    EXPECT_EQ(first, -100.0) << "the definition's minimum";
    EXPECT_EQ(second, -100.0);
    EXPECT_EQ(api.GetLastNegativeCode(), 3);

    EXPECT_EQ(api.GetPID06(&first, &second), 0);
    EXPECT_EQ(first, 12.5);
    EXPECT_TRUE(std::isnan(second)) << "the second bank was not sent";
    m_sim.SetScenario(ParseScenarioText("ecu 10\nrefuse 01 06 11\npid 0D 32\nrefuse 01 0E 31\n"));
    EXPECT_EQ(api.GetPID06(&first, &second), 3);
    EXPECT_EQ(first, -100.0);
    EXPECT_EQ(second, -100.0);
    EXPECT_EQ(api.GetLastNegativeCode(), 2) << "0x11: service not supported";

    double load = 7;
    EXPECT_EQ(api.GetPID04(&load), 2) << "no ECU has PID 04: the adapter answers \"-\"";
    EXPECT_EQ(load, 0.0);
    EXPECT_EQ(api.GetPID05(&value), 2);
    EXPECT_EQ(value, 0);
    first = second = 1;
    EXPECT_EQ(api.GetPID14(&first, &second), 2);
    EXPECT_TRUE(std::isnan(first) && std::isnan(second));

    EXPECT_EQ(api.GetPID06(&first, &second), 3);
    ASSERT_EQ(api.GetLastNegativeCode(), 2);
    double timing = 7;
    EXPECT_EQ(api.GetPID0E(&timing), 3) << "0x31, request out of range: a refusal like any other";
    EXPECT_EQ(timing, 0.0);
    EXPECT_EQ(api.GetLastNegativeCode(), 0) << "a code outside the six the caller is told";
}

TEST_F(ObdvaneEndToEnd, EveryRefusalCodeIsARefusal)
{
    EXPECT_EQ(OpenAndConnect(kEngine), 3);
    const std::vector<std::pair<const char*, int32_t>> cases = {
        {"10", 1}, {"11", 2}, {"12", 3}, {"21", 4}, {"22", 5}, {"78", 6}, {"31", 0}, {"00", 0}, {"7F", 0}, {"FF", 0},
    };
    for (const auto& [code, meaning] : cases) {
        m_sim.SetScenario(ParseScenarioText(std::string("ecu 10\nrefuse 01 0C ") + code + "\npid 0D 32\n"));
        int32_t rpm = 7;
        EXPECT_EQ(api.GetPID0C(&rpm), 3) << code;
        EXPECT_EQ(rpm, 0) << code;
        EXPECT_EQ(api.GetLastNegativeCode(), meaning) << code;
        int32_t speed = 0;
        EXPECT_EQ(api.GetPID0D(&speed), 0) << code;
        EXPECT_EQ(speed, 50);
    }
}

TEST_F(ObdvaneEndToEnd, AConnectMeetingOutOfRangeRefusalsFindsTheEcusAndSetsUpTheirPids)
{
    // ECU 18 refuses the bitmap at 20 and ECU 28 its monitor status, both
    // with 31 and both after answering PID 00.
    EXPECT_EQ(OpenAndConnect(std::string(kEngine) +
                             "ecu 18\n"
                             "pid 0D 40\n"
                             "refuse 01 20 31\n"
                             "ecu 28\n"
                             "refuse 01 01 31\n"),
              3);
    EXPECT_EQ(HeardRequests(m_sim), (std::vector<std::string>{"EC", "ID", "SP0100", "SP0101", "SP0100", "SP0120",
                                                              "SP0140", "SP014F", "SP0150"}));
    int32_t rpm = 0;
    EXPECT_EQ(api.GetPID0C(&rpm), 0) << "the first ECU is listed";
    EXPECT_EQ(rpm, 1726);
    double pressure = 0, flow = 0;
    EXPECT_EQ(api.GetPID0B(&pressure), 0);
    EXPECT_DOUBLE_EQ(pressure, 1010.0) << "scaled by the maximum the set-up read";
    EXPECT_EQ(api.GetPID10(&flow), 0);
    EXPECT_DOUBLE_EQ(flow, 0x8000 * 100 / 65535.0);
    std::vector<int32_t> flags(32, 7);
    EXPECT_EQ(api.GetPID20(flags.data(), 32), 0) << "ECU 18's refusal is not the first ECU's";
    EXPECT_EQ(flags, Flags(0x20, {0x25, 0x3B, 0x40}));
}

TEST_F(ObdvaneEndToEnd, TwoEcusAnswerForTheFirstListed)
{
    EXPECT_EQ(OpenAndConnect("protocol 5\n"
                             "ecu 10\n"
                             "pid 0C 1A F8\n"
                             "dtc P0133\n"
                             "mil on\n"
                             "ecu 18\n"
                             "pid 0C 0B B8\n"
                             "pid 0D 40\n"
                             "dtc P0420 P0300\n"
                             "readiness 01 00 00\n"),
              5);
    int32_t rpm = 0;
    EXPECT_EQ(api.GetPID0C(&rpm), 0);
    EXPECT_EQ(rpm, 1726);
    m_sim.InjectFault("SP010C", Fault{FaultKind::Reversed});
    EXPECT_EQ(api.GetPID0C(&rpm), 0);
    EXPECT_EQ(rpm, 1726) << "whatever the order of the answers";

    int32_t mil = 0, codes = 0;
    std::array<int32_t, 12> available{}, complete{};
    m_sim.InjectFault("SP0101", Fault{FaultKind::Reversed});
    EXPECT_EQ(api.GetPID01(&mil, &codes, available.data(), 12, complete.data(), 12), 0);
    EXPECT_EQ(mil, 1);
    EXPECT_EQ(codes, 1);
    char buffer[15];
    uint32_t count = 0;
    m_sim.InjectFault("SP03", Fault{FaultKind::Reversed});
    EXPECT_EQ(api.Service03(buffer, 15, &count), 0);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(std::string(buffer, 5), "P0133");

    int32_t speed = 7;
    EXPECT_EQ(api.GetPID0D(&speed), 2) << "only the second ECU answers: its speed is not the first ECU's";
    EXPECT_EQ(speed, 0);

    // The first ECU falls silent: nothing of the second one under its name.
    m_sim.SetScenario(ParseScenarioText("protocol 5\n"
                                        "ecu 18\n"
                                        "pid 06 90 70\n"
                                        "pid 0C 0B B8\n"
                                        "pid 13 33\n"
                                        "dtc P0420 P0300\n"
                                        "mil on\n"
                                        "readiness 01 00 00\n"));
    rpm = 7;
    EXPECT_EQ(api.GetPID0C(&rpm), 2);
    EXPECT_EQ(rpm, 0);
    double first = 7, second = 7;
    EXPECT_EQ(api.GetPID06(&first, &second), 2);
    EXPECT_TRUE(std::isnan(first) && std::isnan(second)) << "untouched, as for no data";
    std::vector<int32_t> flags(32, 7);
    EXPECT_EQ(api.GetPID00(flags.data(), 32), 2);
    EXPECT_EQ(flags, std::vector<int32_t>(32, 0));
    EXPECT_EQ(api.GetPID13(flags.data(), 8), 2);
    EXPECT_EQ(std::vector<int32_t>(flags.begin(), flags.begin() + 8), std::vector<int32_t>(8, 0));
    mil = codes = 7;
    EXPECT_EQ(api.GetPID01(&mil, &codes, available.data(), 12, complete.data(), 12), 2);
    EXPECT_EQ(mil + codes, 0);
    std::memset(buffer, '#', sizeof buffer);
    count = 9;
    EXPECT_EQ(api.Service03(buffer, 15, &count), 2);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(std::string(buffer, 15), std::string(15, '\0'));
    EXPECT_EQ(api.GetLastNegativeCode(), 0);
}

TEST_F(ObdvaneEndToEnd, BothSensorLayoutPidsEachLocateTheirOwnSensors)
{
    // Bank 1 sensor 1 in PID 13's layout; banks 1, 3 and 4 in PID 1D's,
    // whose bank 4 sensor 2 is PID 1B.
    EXPECT_EQ(OpenAndConnect("ecu 10\n"
                             "pid 13 01\n"
                             "pid 1D A1\n"
                             "pid 14 A0 80\n"
                             "pid 19 50 80\n"
                             "pid 1B 64 FF\n"),
              3);
    std::vector<int32_t> flags(8, 7);
    EXPECT_EQ(api.GetPID13(flags.data(), 8), 0);
    EXPECT_EQ(flags, (std::vector<int32_t>{0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(api.GetPID1D(flags.data(), 8), 0);
    EXPECT_EQ(flags, (std::vector<int32_t>{1, 0, 1, 0, 0, 0, 0, 1}));
    double voltage = 0, trim = 0;
    EXPECT_EQ(api.GetPID1B(&voltage, &trim), 0);
    EXPECT_DOUBLE_EQ(voltage, 0.5);
    EXPECT_EQ(api.GetPID19(&voltage, &trim), 0);
    EXPECT_DOUBLE_EQ(voltage, 0.4);
    EXPECT_EQ(api.GetPID13(flags.data(), 8), 0) << "and PID 13's own layout again";
    EXPECT_EQ(api.GetPID14(&voltage, &trim), 0);
    EXPECT_DOUBLE_EQ(voltage, 0.8);
}

TEST_F(ObdvaneEndToEnd, AnAnswerForAnotherPidIsNoValue)
{
    EXPECT_EQ(OpenAndConnect("ecu 10\n"
                             "pid 05 7B\n"
                             "pid 0C 1A F8\n"
                             "pid 0D 32\n"
                             "answer-pid 0C 0D\n"
                             "ecu 18\n"
                             "pid 05 70\n"
                             "pid 0D 40\n"
                             "answer-pid 0D 0C\n"),
              3);
    int32_t value = 7;
    EXPECT_EQ(api.GetPID0C(&value), 1) << "the rpm bytes under PID 0D";
    EXPECT_EQ(value, 0);
    EXPECT_EQ(api.GetPID0D(&value), 1) << "the second ECU answers for PID 0C: the reply answers another request";
    EXPECT_EQ(value, 0);
    EXPECT_EQ(api.GetPID05(&value), 0);
    EXPECT_EQ(value, 83);
}

TEST_F(ObdvaneEndToEnd, AMonitorStatusForAnotherPidIsNoStatus)
{
    EXPECT_EQ(OpenAndConnect("ecu 10\ndtc P0133\n"), 3);
    int32_t mil = 7, codes = 7;
    std::vector<int32_t> available(12, 7), complete(12, 7);
    EXPECT_EQ(api.GetPID01(&mil, &codes, available.data(), 12, complete.data(), 12), 0);
    EXPECT_EQ(codes, 1);
    m_sim.SetScenario(ParseScenarioText("ecu 10\ndtc P0133 P0420\nanswer-pid 01 0C\n"));
    EXPECT_EQ(api.GetPID01(&mil, &codes, available.data(), 12, complete.data(), 12), 1)
        << "an answer under PID 0C is no monitor status";
}

TEST_F(ObdvaneEndToEnd, TheAdapterFallingSilentMidConnect)
{
    StartAdapter(kEngine);
    ASSERT_EQ(api.OpenCom(kCom), 1);
    int32_t protocol = -1;
    m_sim.InjectFault("ID", Fault{FaultKind::NoReply});
    EXPECT_EQ(api.Connect(&protocol, 0), 0);
    EXPECT_EQ(protocol, 0);

    ASSERT_EQ(api.Connect(&protocol, 0), 1);
    EXPECT_EQ(protocol, 3);
    m_sim.InjectFault("SP0101", Fault{FaultKind::NoReply});
    protocol = -1;
    EXPECT_EQ(api.Connect(&protocol, 1), 0) << "silent during the ECU discovery";
    EXPECT_EQ(protocol, 0);

    m_sim.InjectFault("SP014F", Fault{FaultKind::NoReply});
    EXPECT_EQ(api.Connect(&protocol, 1), 1) << "silent at a maximum: connected, unscaled";
    double pressure = 0;
    EXPECT_EQ(api.GetPID0B(&pressure), 0);
    EXPECT_DOUBLE_EQ(pressure, 101.0);

    m_sim.InjectFault("*", Fault{FaultKind::NoReply}, Repeat::Always);
    int32_t rpm = 7;
    EXPECT_EQ(api.GetPID0C(&rpm), 1);
    EXPECT_EQ(rpm, 0);
    m_sim.ClearFaults();
    EXPECT_EQ(api.GetPID0C(&rpm), 0) << "the next request is served";
    EXPECT_EQ(rpm, 1726);
}

TEST_F(ObdvaneEndToEnd, WhateverTheAdapterSendsARequestEndsWithAStatus)
{
    EXPECT_EQ(OpenAndConnect(kEngine), 3);
    struct Case {
        FaultKind kind;
        int32_t status;
    };
    const std::vector<Case> cases = {
        {FaultKind::BadChecksum, 1}, {FaultKind::Nak, 1}, {FaultKind::WrongType, 1},
        {FaultKind::Truncated, 1},   {FaultKind::Junk, 0},
    };
    for (const Case& c : cases) {
        m_sim.InjectFault("SP010C", Fault{c.kind});
        int32_t rpm = 7;
        EXPECT_EQ(api.GetPID0C(&rpm), c.status) << static_cast<int>(c.kind);
        EXPECT_EQ(rpm, c.status == 0 ? 1726 : 0);
    }
    // The car's answer without its data bytes decodes to nothing.
    m_sim.SetScenario(ParseScenarioText("protocol 3\necu 10\npid 0C\npid 06\n"));
    int32_t rpm = 7;
    EXPECT_EQ(api.GetPID0C(&rpm), 2) << "no value of the first ECU: no answer data, not a refusal";
    EXPECT_EQ(rpm, 0);
    EXPECT_EQ(api.GetLastNegativeCode(), 0);
    double first = 7, second = 7;
    EXPECT_EQ(api.GetPID06(&first, &second), 2) << "too short even for the first bank";
    EXPECT_TRUE(std::isnan(first) && std::isnan(second));

    // Last, as what an endless frame leaves in the line's buffers is only
    // purged at the next open: it ends as a time-out all the same.
    m_sim.InjectFault("SP010C", Fault{FaultKind::Endless});
    rpm = 7;
    EXPECT_EQ(api.GetPID0C(&rpm), 1);
    EXPECT_EQ(rpm, 0);
}
