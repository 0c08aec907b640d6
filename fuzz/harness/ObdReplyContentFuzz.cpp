// obdvane's reply contents from any data text: the ECU answers of an "SP"
// reply, the values of every service 01 PID the table decodes, the monitor
// status, the trouble codes on both protocol kinds, the identification and
// the connect reply's number. Parsing never throws and keeps what it
// decoded before an answer broke off.
//
// Input: the PID, the two scalings, then the data text.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "obd/DtcReply.h"
#include "obd/IdentificationReply.h"
#include "obd/MonitorStatusReply.h"
#include "obd/NumericReply.h"
#include "obd/ValueReply.h"

using namespace vexar::fuzz;
using namespace obdvane;

VEXAR_FUZZ_TARGET(ObdReplyContent)
{
    FuzzInput in(data, size);
    const int pid = in.Byte();
    const unsigned scaling1 = in.Byte();
    const unsigned scaling2 = in.Byte();
    const std::string text = Chars(in.Rest());

    ObdReply answers(1, pid);
    answers.Parse(text);
    FUZZ_CHECK(answers.GetRecordCount() <= text.size());

    ValueReply values(1, pid, scaling1, scaling2);
    values.Parse(text);
    for (std::size_t i = 0; i < values.GetResultCount(); ++i)
        FUZZ_CHECK(values.GetResult(i).values.size() <= values.GetRecordCount());

    MonitorStatusReply status;
    status.Parse(text);
    FUZZ_CHECK(status.GetStatusCount() <= status.GetRecordCount());
    for (std::size_t i = 0; i < status.GetStatusCount(); ++i) {
        const STATUS_RECORD record = status.GetRecordAt(i);
        FUZZ_CHECK(record.troubleCodeCount >= 0 && record.troubleCodeCount <= 127);
    }

    for (const int protocol : {0, DtcReply::kCanProtocol}) {
        DtcReply codes(protocol);
        codes.Parse(text);
        for (std::size_t i = 0; i < codes.GetDtcCount(); ++i)
            for (const std::string& code : codes.GetRecordAt(i).codes)
                FUZZ_CHECK(code.size() == 5);
    }

    IdentificationReply identification;
    identification.Parse(text);
    std::size_t fields = 0;
    for (int number = 1; number <= IdentificationReply::kFieldCount; ++number)
        fields += identification.GetField(number).size();
    FUZZ_CHECK(fields <= text.size());

    NumericReply number;
    number.Parse(text);
    return 0;
}

VEXAR_FUZZ_SEEDS(ObdReplyContent)
{
    SeedSet seeds;
    seeds.Add("rpm", std::string("\x0C\x00\x00", 3) + "10410C1AF8\x17" "18410C0FA0");
    seeds.Add("status", std::string("\x01\x00\x00", 3) + "1041018107650" "4");
    seeds.Add("negative", std::string("\x06\x00\x00", 3) + "107F0112");
    seeds.Add("o2-scaled", std::string("\x24\x10\x20", 3) + "1041248000800" "0");
    seeds.Add("dtc-can", std::string("\x00\x00\x00", 3) + "1043020133042" "0");
    seeds.Add("ident", std::string("\x00\x00\x00", 3) + "A\x17" "B\x17" "C\x17" "D\x17" "E\x17" "F\x17" "G");
    seeds.Add("nodata", std::string("\x00\x00\x00", 3) + "-");
    for (const char* word : {"\x17", "7F", "41", "43", "-", "10", "18"})
        seeds.words.emplace_back(word);
    return seeds;
}
