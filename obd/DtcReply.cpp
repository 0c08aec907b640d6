#include "obd/DtcReply.h"

#include "obd/ObdText.h"

#include <utility>

namespace obdvane {

namespace {

constexpr int kStoredCodesService = 3;
constexpr std::size_t kCodeChars = 4;

}  // namespace

std::string DtcText(std::uint16_t code)
{
    static constexpr char kLetters[] = "PCBU";
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (code == 0)
        return {};
    return {kLetters[code >> 14], kDigits[(code >> 12) & 0x3], kDigits[(code >> 8) & 0xF], kDigits[(code >> 4) & 0xF],
            kDigits[code & 0xF]};
}

DtcReply::DtcReply(int protocol)
    : ObdReply(kStoredCodesService, kNoPid), m_protocol(protocol)
{
}

DTC_RECORD DtcReply::GetRecordAt(std::size_t index) const
{
    return index < m_dtcs.size() ? m_dtcs[index] : DTC_RECORD{};
}

void DtcReply::Parse(std::string text)
{
    ObdReply::Parse(std::move(text));
    DecodeDtcs();
}

// Codes of two bytes each; 0000 fills an answer that has fewer codes than
// room and stands for none.
void DtcReply::DecodeDtcs()
{
    m_dtcs.clear();
    for (const OBD_RECORD& record : m_records) {
        DTC_RECORD dtcs = RecordOf<DTC_RECORD>(record);
        if (!record.negative) {
            std::string_view data = record.dataText;
            if (m_protocol == kCanProtocol) {
                if (data.size() < 2)
                    return;
                data.remove_prefix(2);  // the number of codes, which the codes themselves tell
            }
            for (; !data.empty(); data.remove_prefix(kCodeChars)) {
                if (data.size() < kCodeChars)
                    return;  // a code breaks off
                const std::string text = DtcText(static_cast<std::uint16_t>(HexToInt(data.substr(0, kCodeChars))));
                if (!text.empty())
                    dtcs.codes.push_back(text);
            }
        }
        m_dtcs.push_back(std::move(dtcs));
    }
}

}  // namespace obdvane
