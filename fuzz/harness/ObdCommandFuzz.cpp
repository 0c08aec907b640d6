// obdvane's reply side end to end: commands executed against a port whose
// bytes come from the input, through the reply-frame receiver, the reply
// contents and their decoding, and the vehicle record that learns from
// every exchange. A command either takes its reply or ends with one of
// the library's own exceptions; nothing else leaves it.
//
// Input: the number of commands (1 to 4), three bytes per command (which
// command, and its service, PID or protocol), then the port's bytes.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "ObdFrames.h"
#include "obd/AbstractPort.h"
#include "obd/DtcCommand.h"
#include "obd/EcCommand.h"
#include "obd/Ecu.h"
#include "obd/GetIdCommand.h"
#include "obd/O2SensorLocation.h"
#include "obd/ObdText.h"
#include "obd/RtCommand.h"
#include "obd/ScantoolException.h"
#include "obd/ValueCommand.h"
#include "obd/Vehicle.h"

#include <cstring>
#include <memory>

using namespace vexar::fuzz;
using namespace obdvane;

namespace {

class FeedPort final : public AbstractPort {
public:
    explicit FeedPort(FuzzInput& in) : m_in(in) {}
    void Write(const std::uint8_t*, std::uint32_t length, std::uint32_t& written) override { written = length; }
    // All the bytes asked for, or none: a read that timed out.
    void Read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& read) override
    {
        read = 0;
        if (m_in.Left() < length)
            return;
        std::memcpy(buffer, m_in.Bytes(length).data(), length);
        read = length;
    }
    void SetTimeouts(std::uint32_t) override {}
    void SetLines() override {}

private:
    FuzzInput& m_in;
};

struct CommandSpec {
    std::uint8_t kind;
    std::uint8_t first;
    std::uint8_t second;
};

std::unique_ptr<Command> MakeCommand(const CommandSpec& spec, const Vehicle& vehicle)
{
    constexpr CommandTimeouts kTimeouts{1, 1};
    switch (spec.kind % 6) {
    case 0: return std::make_unique<GetIdCommand>(kTimeouts);
    case 1: return std::make_unique<EcCommand>(kTimeouts);
    case 2: return std::make_unique<SpCommand>(spec.first % 10, spec.second, "", kTimeouts);
    case 3: return std::make_unique<ValueCommand>(1, spec.first, "", spec.second, spec.second ^ 0x5A, kTimeouts);
    case 4: return std::make_unique<DtcCommand>(spec.first % 2 ? DtcReply::kCanProtocol : vehicle.GetProtocol(),
                                                kTimeouts);
    default: return std::make_unique<RtCommand>(kTimeouts);
    }
}

// What the library's services read of the record after the exchanges.
void ReadVehicle(const Vehicle& vehicle)
{
    VEHICLE_INFO info;
    vehicle.GetInfo(info);
    std::vector<std::uint8_t> addresses;
    vehicle.GetEcuAddresses(addresses);
    vehicle.GetEcusWithMonitorStatus(addresses);
    for (const std::uint8_t address : addresses) {
        try {
            Ecu ecu;
            vehicle.GetEcu(address, ecu);
            vehicle.HasMonitorStatus(address, ecu);
            std::vector<O2SensorLocation> locations;
            vehicle.GetO2Locations(address, locations);
            O2SensorLocation location;
            vehicle.GetO2Location(address, 1, 1, location);
            for (int pid = 1; pid < 256; pid += 17)
                ecu.IsReceivedOrSupported(1, pid);
        } catch (const ScantoolException&) {
            // a query the record refuses, as the services' own catch does
        }
    }
}

}  // namespace

VEXAR_FUZZ_TARGET(ObdCommand)
{
    FuzzInput in(data, size);
    std::vector<CommandSpec> specs(1 + in.Choice(4));
    for (CommandSpec& spec : specs)
        spec = {in.Byte(), in.Byte(), in.Byte()};
    FeedPort port(in);
    Vehicle vehicle;
    for (const CommandSpec& spec : specs) {
        std::unique_ptr<Command> command = MakeCommand(spec, vehicle);
        command->SetPort(&port);
        command->SetVehicle(&vehicle);
        try {
            command->Execute();
            FUZZ_CHECK(command->IsReplyValid());
        } catch (const ScantoolException&) {
            // the library's refusal of an exchange
        }
    }
    try {
        ReadVehicle(vehicle);
    } catch (const ScantoolException&) {
        // a query the record refuses, as the services' own catch does
    }
    return 0;
}

namespace {

std::string Spec(std::initializer_list<std::uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

VEXAR_FUZZ_SEEDS(ObdCommand)
{
    SeedSet seeds;
    seeds.Add("connect-id", Spec({1, 1, 0, 0, 0, 0, 0}) + "\xBD" + AdapterFrame("EC", "3") +
                                AdapterFrame("ID", "A\x17" "B\x17" "C\x17" "D\x17" "E\x17" "F\x17" "G"));
    seeds.Add("supported-rpm", Spec({1, 2, 1, 0, 3, 0x0C, 0}) +
                                   AdapterFrame("SP", "104100BE1FA813\x17" "184100BE1FA813") +
                                   AdapterFrame("SP", "10410C1AF8"));
    seeds.Add("status-dtc", Spec({1, 5, 0, 0, 4, 1, 0}) + AdapterFrame("SP", "1041018107650" "4") +
                                AdapterFrame("SP", "1043020133042" "0"));
    seeds.Add("negative-nodata",
              Spec({1, 3, 0x06, 0, 2, 9, 2}) + AdapterFrame("SP", "107F0112") + AdapterFrame("SP", "-"));
    for (const char* word : {"STL", "SP", "ID", "EC", "EZ", "RP", "\x17", "\x02", "\x03", "\x15", "7F", "41", "43",
                             "\xBD", "\xBC"})
        seeds.words.emplace_back(word);
    return seeds;
}
