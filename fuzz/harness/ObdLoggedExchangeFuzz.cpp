// obdvane's logged exchanges read again: a sent and a received frame
// classified (LogCommand), the received frame re-parsed into its fields
// (ParsedFrame) and both run through the reply states (FrameParser), then
// handed to the vehicle record as a command hands them.
//
// Input: the length of the sent frame (two bytes), the sent frame, then
// the received frame.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "ObdFrames.h"
#include "obd/FrameParser.h"
#include "obd/LogCommand.h"
#include "obd/ParsedFrame.h"
#include "obd/ScantoolException.h"
#include "obd/Vehicle.h"

using namespace vexar::fuzz;
using namespace obdvane;

VEXAR_FUZZ_TARGET(ObdLoggedExchange)
{
    FuzzInput in(data, size);
    const auto sentBytes = in.Bytes(in.Word());
    const auto receivedBytes = in.Rest();
    const EXCHANGE_FRAME sent = MakeExchangeFrame(sentBytes.data(), sentBytes.size());
    const EXCHANGE_FRAME received = MakeExchangeFrame(receivedBytes.data(), receivedBytes.size());

    LogCommand log;
    if (log.Check(sent, received)) {
        log.GetKind();
        log.GetService();
        log.GetPid();
    } else {
        try {
            log.GetKind();
            FUZZ_CHECK(false);  // a mismatch refuses the queries
        } catch (const LogCommandException&) {
        }
    }

    ParsedFrame frame;
    if (frame.ParseBytes(receivedBytes.data(), receivedBytes.size())) {
        FRAME_ENTRY entry;
        std::size_t position = 0;
        std::size_t entries = 0;
        while (frame.GetNextEntry(position, entry))
            ++entries;
        FUZZ_CHECK(entries == frame.GetEntryCount());
    }

    FrameParser parser;
    parser.Parse(sent);
    parser.Parse(receivedBytes.data(), static_cast<int>(receivedBytes.size()));

    Vehicle vehicle;
    try {
        vehicle.OnExchange(sent, received);
    } catch (const ScantoolException&) {
        // the record refused what the exchange said
    }
    return 0;
}

namespace {

std::string Exchange(const std::string& sent, const std::string& received)
{
    return std::string{static_cast<char>(sent.size() >> 8), static_cast<char>(sent.size() & 0xFF)} + sent + received;
}

}  // namespace

VEXAR_FUZZ_SEEDS(ObdLoggedExchange)
{
    SeedSet seeds;
    seeds.Add("sp-0100",
              Exchange(AdapterFrame("SP", "0100"), AdapterFrame("SP", "104100BE1FA813\x17" "184100BE1FA813")));
    seeds.Add("sp-03", Exchange(AdapterFrame("SP", "03"), AdapterFrame("SP", "1043020133042" "0")));
    seeds.Add("ec", Exchange(AdapterFrame("EC", ""), AdapterFrame("EC", "3")));
    seeds.Add("id", Exchange(AdapterFrame("ID", ""), AdapterFrame("ID", "A\x17" "B\x17" "C\x17" "D\x17" "E\x17" "F")));
    seeds.Add("negative", Exchange(AdapterFrame("SP", "0106"), AdapterFrame("SP", "107F0112")));
    for (const char* word : {"STL", "SP", "ID", "EC", "EZ", "RP", "UP", "\x17", "\x02", "\x03", "7F", "0100", "03"})
        seeds.words.emplace_back(word);
    return seeds;
}
