#include "obd/ObdReply.h"

#include "obd/ObdText.h"

#include <string_view>
#include <utility>

namespace obdvane {

namespace {

constexpr std::uint32_t kNegativeResponse = 0x7F;

std::string Between(std::string_view text, std::size_t from, std::size_t end)
{
    return end > from ? std::string(Slice(text, from, end - from)) : std::string();
}

}  // namespace

ObdReply::ObdReply(int service, int pid)
{
    SetRequest(service, pid);
}

bool ObdReply::SetRequest(int service, int pid)
{
    m_service = service;
    m_pid = pid;
    return true;
}

OBD_RECORD ObdReply::GetRecord(std::size_t index) const
{
    return index < m_records.size() ? m_records[index] : OBD_RECORD{};
}

void ObdReply::Parse(std::string text)
{
    m_text = text;
    m_noData = false;
    m_records.clear();
    if (UpperCase(text) == "-") {
        m_noData = true;
        return;
    }
    std::string_view work = m_text;
    while (!work.empty()) {
        const std::size_t etb = work.find(static_cast<char>(kEtb));
        const bool last = etb == std::string_view::npos;
        if (work.size() < 4)
            return;  // no room for the address and the response service
        OBD_RECORD record;
        record.address = static_cast<int>(HexToInt(work.substr(0, 2)));
        const std::size_t end = last ? work.size() : etb;  // the end of this ECU's answer
        if (HexToInt(work.substr(2, 2)) == kNegativeResponse) {
            if (work.size() < 6)
                return;
            record.negative = true;
            record.serviceText = std::string(work.substr(4, 2));
            record.dataText = Between(work, 6, end);
            record.negativeCode = static_cast<int>(HexToInt(record.dataText));
        } else {
            record.negative = false;
            record.serviceText = std::string(work.substr(2, 2));
            record.dataText = Between(work, 4, end);
        }
        m_records.push_back(std::move(record));
        if (last)
            return;
        work.remove_prefix(end + 1);
    }
}

}  // namespace obdvane
