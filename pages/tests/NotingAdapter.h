#pragma once

// The link's sink of the pages' tests against the simulated ECU, noting
// for every refresh the worker posts to a control the ECU's frame log at
// that moment, so a test can tell which poll brought a value; and what a
// reply of that log carried.

#include "link/LinkMessages.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "testing/ecusim/EcuSimulator.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace vexar::pagestest {

using ecusim::FrameRecord;

// The link's sink, noting for every refresh the worker posts to a control
// the ECU's frame log at that moment.
class NotingAdapter : public link::LinkUiSinkAdapter {
public:
    struct Refresh {
        const IDataCtrl* control;
        std::vector<FrameRecord> log;
    };
    void Post(link::UiWindow window, const IDataCtrl* control, link::LinkMessage message) override
    {
        if (message.id == link::WM_CTRL_REFRESH && control && sim) {
            std::lock_guard lock(m_lock);
            m_refreshes.push_back({control, sim->FrameLog()});
        }
        LinkUiSinkAdapter::Post(window, control, std::move(message));
    }
    std::vector<Refresh> Of(const IDataCtrl* control)
    {
        std::lock_guard lock(m_lock);
        std::vector<Refresh> found;
        for (const Refresh& refresh : m_refreshes)
            if (refresh.control == control)
                found.push_back(refresh);
        return found;
    }
    void Forget()
    {
        std::lock_guard lock(m_lock);
        m_refreshes.clear();
    }
    ecusim::EcuSimulator* sim = nullptr;

private:
    std::mutex m_lock;
    std::vector<Refresh> m_refreshes;
};

// The variable bytes a reply to a variable-block read (command 5 of the
// second protocol) carried: its address, then the data before the CRC.
inline bool ReplyHolds(const FrameRecord& record, std::size_t address, std::uint8_t value)
{
    const std::vector<std::uint8_t>& bytes = record.bytes;
    if (record.kind != FrameRecord::Kind::Reply || bytes.size() < 9 || bytes[2] != 5)
        return false;
    const std::size_t start = bytes[4] * 256u + bytes[5];
    const std::size_t count = bytes.size() - 8;
    return address >= start && address < start + count && bytes[6 + address - start] == value;
}

inline std::size_t RepliesHolding(const std::vector<FrameRecord>& log, std::size_t address, std::uint8_t value)
{
    return static_cast<std::size_t>(std::count_if(
        log.begin(), log.end(), [&](const FrameRecord& record) { return ReplyHolds(record, address, value); }));
}

}  // namespace vexar::pagestest
