#include "obd/MonitorStatusReply.h"

#include "obd/ObdText.h"

#include <utility>

namespace obdvane {

namespace {

constexpr int kMonitorStatusPid = 0x01;

}  // namespace

MonitorStatusReply::MonitorStatusReply()
    : ObdReply(1, kMonitorStatusPid)
{
}

STATUS_RECORD MonitorStatusReply::GetRecordAt(std::size_t index) const
{
    return index < m_statuses.size() ? m_statuses[index] : STATUS_RECORD{};
}

void MonitorStatusReply::Parse(std::string text)
{
    ObdReply::Parse(std::move(text));
    DecodeStatus();
}

// Bytes A, B, C, D after the PID: A holds the lamp (bit 7) and the code
// count; the low nibble of B and all of C say which tests the ECU has, the
// high nibble of B and all of D which of them are not complete yet.
void MonitorStatusReply::DecodeStatus()
{
    m_statuses.clear();
    m_otherPid = false;
    for (const OBD_RECORD& record : m_records) {
        STATUS_RECORD status = RecordOf<STATUS_RECORD>(record);
        if (!record.negative) {
            if (record.dataText.size() < 2)
                return;
            // Another PID's bytes read as a status would give a wrong lamp
            // and code count.
            if (static_cast<int>(HexToInt(std::string_view(record.dataText).substr(0, 2))) != kMonitorStatusPid) {
                m_otherPid = true;
                continue;
            }
            const std::string_view data = std::string_view(record.dataText).substr(2, 8);
            if (data.size() < 8)
                return;  // the answer breaks off inside its four bytes
            const auto byte = [&](std::size_t i) { return HexToInt(data.substr(2 * i, 2)); };
            const std::uint32_t a = byte(0), b = byte(1), c = byte(2), d = byte(3);
            status.troubleCodeCount = static_cast<int>(a & 0x7F);
            status.lamp = (a >> 7) & 1;
            for (int i = 0; i < 4; ++i) {
                status.available[i] = static_cast<int>((b >> i) & 1);
                status.complete[i] = STATUS_RECORD::kComplete + static_cast<int>((b >> (i + 4)) & 1);
            }
            for (int k = 0; k < 8; ++k) {
                status.available[4 + k] = static_cast<int>((c >> k) & 1);
                status.complete[4 + k] = STATUS_RECORD::kComplete + static_cast<int>((d >> k) & 1);
            }
        }
        m_statuses.push_back(std::move(status));
    }
}

}  // namespace obdvane
