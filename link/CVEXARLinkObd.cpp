// The OBD adapter on the link worker: connect over the COM ports with the
// discovery of the supported PIDs, the poll that reads one PID a tick for
// the petrol windows, the stored-code read, the link check after a run of
// failed reads, and the disconnect.
#include "link/CVEXARLink.h"

#include <new>

namespace vexar::link {

namespace {

constexpr int kNoCallStatus = 5;

bool InRange(int pid, int first, int last) { return pid >= first && pid <= last; }

// PIDs a supported bitmap may claim but the poll never reads.
bool NeverPolled(int pid)
{
    return pid == 0x02 || pid == 0x12 || pid == 0x1C || pid == 0x1E || pid == 0x21 || InRange(pid, 0x2C, 0x32) ||
           pid == 0x41 || pid == 0x42 || pid >= 0x4D;
}

// The library call of one PID into the outputs of its form.
int CallPid(const OBD_API& api, int pid, OBD_PID_RESULT& r)
{
    switch (pid) {
    case 0x01:
        return api.GetPID01(&r.mil, &r.codeCount, r.available.data(), 12, r.complete.data(), 12);
    case 0x03:
        return api.GetPID03(&r.fuel1, &r.fuel2);
    case 0x13:
        return api.GetPID13(r.locations.data(), 8);
    case 0x1D:
        return api.GetPID1D(r.locations.data(), 8);
#define VEXAR_OBD_ONE(hex) \
    case 0x##hex:          \
        return api.GetPID##hex(&r.value);
        VEXAR_OBD_ONE(04) VEXAR_OBD_ONE(0B) VEXAR_OBD_ONE(0E) VEXAR_OBD_ONE(10) VEXAR_OBD_ONE(11)
        VEXAR_OBD_ONE(22) VEXAR_OBD_ONE(33) VEXAR_OBD_ONE(43) VEXAR_OBD_ONE(44) VEXAR_OBD_ONE(45)
        VEXAR_OBD_ONE(47) VEXAR_OBD_ONE(48) VEXAR_OBD_ONE(49) VEXAR_OBD_ONE(4A) VEXAR_OBD_ONE(4B)
        VEXAR_OBD_ONE(4C)
#undef VEXAR_OBD_ONE
#define VEXAR_OBD_INT(hex) \
    case 0x##hex:          \
        return api.GetPID##hex(&r.integer);
        VEXAR_OBD_INT(05) VEXAR_OBD_INT(0A) VEXAR_OBD_INT(0C) VEXAR_OBD_INT(0D) VEXAR_OBD_INT(0F)
        VEXAR_OBD_INT(1F) VEXAR_OBD_INT(23) VEXAR_OBD_INT(3C) VEXAR_OBD_INT(3D) VEXAR_OBD_INT(3E)
        VEXAR_OBD_INT(3F) VEXAR_OBD_INT(46)
#undef VEXAR_OBD_INT
#define VEXAR_OBD_TWO(hex) \
    case 0x##hex:          \
        return api.GetPID##hex(&r.value, &r.value2);
        VEXAR_OBD_TWO(06) VEXAR_OBD_TWO(07) VEXAR_OBD_TWO(08) VEXAR_OBD_TWO(09)
        VEXAR_OBD_TWO(14) VEXAR_OBD_TWO(15) VEXAR_OBD_TWO(16) VEXAR_OBD_TWO(17)
        VEXAR_OBD_TWO(18) VEXAR_OBD_TWO(19) VEXAR_OBD_TWO(1A) VEXAR_OBD_TWO(1B)
        VEXAR_OBD_TWO(24) VEXAR_OBD_TWO(25) VEXAR_OBD_TWO(26) VEXAR_OBD_TWO(27)
        VEXAR_OBD_TWO(28) VEXAR_OBD_TWO(29) VEXAR_OBD_TWO(2A) VEXAR_OBD_TWO(2B)
        VEXAR_OBD_TWO(34) VEXAR_OBD_TWO(35) VEXAR_OBD_TWO(36) VEXAR_OBD_TWO(37)
        VEXAR_OBD_TWO(38) VEXAR_OBD_TWO(39) VEXAR_OBD_TWO(3A) VEXAR_OBD_TWO(3B)
#undef VEXAR_OBD_TWO
    default:
        return kNoCallStatus;
    }
}

}  // namespace

ObdForm ObdFormOf(int pid)
{
    if (pid == 0x01)
        return ObdForm::MonitorStatus;
    if (pid == 0x03)
        return ObdForm::FuelSystem;
    if (pid == 0x13 || pid == 0x1D)
        return ObdForm::SensorLocations;
    if (pid == 0x04 || pid == 0x0B || pid == 0x0E || pid == 0x10 || pid == 0x11 || pid == 0x22 || pid == 0x33 ||
        InRange(pid, 0x43, 0x45) || InRange(pid, 0x47, 0x4C))
        return ObdForm::OneDouble;
    if (pid == 0x05 || pid == 0x0A || pid == 0x0C || pid == 0x0D || pid == 0x0F || pid == 0x1F || pid == 0x23 ||
        InRange(pid, 0x3C, 0x3F) || pid == 0x46)
        return ObdForm::OneInteger;
    if (InRange(pid, 0x06, 0x09) || InRange(pid, 0x14, 0x1B) || InRange(pid, 0x24, 0x2B) || InRange(pid, 0x34, 0x3B))
        return ObdForm::TwoValues;
    return ObdForm::None;
}

int ObdFormSize(ObdForm form)
{
    switch (form) {
    case ObdForm::MonitorStatus: return 4 + 4 + 4 + 12 * 4 + 12 * 4;
    case ObdForm::FuelSystem: return 4 + 2;
    case ObdForm::OneDouble: return 4 + 8;
    case ObdForm::OneInteger: return 4 + 4;
    case ObdForm::TwoValues: return 4 + 8 + 8;
    case ObdForm::SensorLocations: return 4 + 8 * 4;
    case ObdForm::None: break;
    }
    return 0;
}

bool CVEXARLink::ObdReplySize(int pid, std::unique_ptr<OBD_PID_RESULT>& record, int& size)
{
    record.reset();
    size = 0;
    const ObdForm form = ObdFormOf(pid);
    if (form == ObdForm::None)
        return false;
    record.reset(new (std::nothrow) OBD_PID_RESULT);
    if (!record)
        return false;
    record->form = form;
    size = ObdFormSize(form);
    return true;
}

int CVEXARLink::ObdCallChannel(int pid, bool toLive, bool toAll, std::unique_ptr<OBD_PID_RESULT>& live,
                               std::unique_ptr<OBD_PID_RESULT>& all)
{
    live.reset();
    all.reset();
    OBD_PID_RESULT result;
    result.form = ObdFormOf(pid);
    if (result.form == ObdForm::None || !m_hObdLib)
        return kNoCallStatus;
    result.status = CallPid(m_obdApi, pid, result);
    if (pid == 0x01 && result.status == 0)
        m_nStoredDtc = result.codeCount;
    int size = 0;
    if (toLive && ObdReplySize(pid, live, size))
        *live = result;
    if (toAll && ObdReplySize(pid, all, size))
        *all = result;
    return result.status;
}

void CVEXARLink::ObdSelectPids()
{
    PidTable requested;
    {
        std::lock_guard lock(m_csPid);
        requested = m_nPidRequested;
    }
    const bool all = m_bObdAllPids != 0;
    for (int i = 0; i < kPidCount; ++i)
        m_nPidActive[i] = all ? m_nPidSupported[i] : (m_nPidSupported[i] ? requested[i] : 0);
    m_nPidIndex = 0;
    for (int i = 0; i < kPidCount; ++i) {
        if (m_nPidActive[i]) {
            m_nPidIndex = i;
            break;
        }
    }
}

void CVEXARLink::ObdPollStep()
{
    if (!m_bObdViewExists || !m_hObdLib)
        return;
    const bool liveWindow = m_bPetrolWindowCreated;
    const bool toAll = m_bObdAllPids && m_bPetrolAcqShown;
    if (!toAll && !liveWindow)
        return;
    PidTable requested;
    {
        std::lock_guard lock(m_csPid);
        requested = m_nPidRequested;
    }
    const int start = m_nPidIndex;
    int polled = 0;
    bool armCheck = false;
    do {
        const int idx = m_nPidIndex;
        if (m_nPidActive[idx] && idx != 0x00 && idx != 0x20 && idx != 0x40) {
            const bool toLive = requested[idx] && liveWindow;
            if (toLive || toAll) {
                std::unique_ptr<OBD_PID_RESULT> live;
                std::unique_ptr<OBD_PID_RESULT> second;
                const int status = ObdCallChannel(idx, toLive, toAll, live, second);
                if (status == 0) {
                    if (!m_timer.IsStopped(kChannelObdCheck))
                        m_timer.DisableTimer(kChannelObdCheck);
                } else if (m_timer.IsStopped(kChannelObdCheck)) {
                    armCheck = true;
                }
                if (toLive && live && m_pUiSink)
                    m_pUiSink->Post(UiWindow::PetrolWindow, nullptr,
                                    LinkMessage{WM_OBD_PID_VALUE, static_cast<std::uintptr_t>(idx), 0, std::move(live)});
                if (toAll && second && m_pUiSink)
                    m_pUiSink->Post(UiWindow::PetrolAcqPage, nullptr,
                                    LinkMessage{WM_OBD_PID_VALUE, static_cast<std::uintptr_t>(idx), 0, std::move(second)});
                ++polled;
            }
        }
        do
            m_nPidIndex = (m_nPidIndex + 1) % kPidCount;
        while (m_nPidIndex != start && !m_nPidActive[m_nPidIndex]);
    } while (m_nPidIndex != start && polled == 0 && !armCheck);

    if (armCheck) {
        m_timer.EnableTimer(kChannelObdCheck);
        return;
    }
    if (m_bObdReadDtc && m_bPetrolDtcShown) {
        // Room for every code a monitor status can count, whatever the
        // last one said: the count may be stale or never read.
        auto list = std::unique_ptr<OBD_DTC_LIST>(new (std::nothrow) OBD_DTC_LIST);
        if (!list)
            return;
        try {
            list->codes.assign(static_cast<std::size_t>(kObdMaxStoredCodes) * kObdCodeChars, '\0');
        } catch (const std::bad_alloc&) {
            return;
        }
        std::uint32_t count = 0;
        list->status = m_obdApi.Service03(list->codes.data(), static_cast<std::uint32_t>(list->codes.size()), &count);
        list->count = static_cast<std::int32_t>(count);
        if (m_pUiSink)
            m_pUiSink->Post(UiWindow::PetrolDtcPage, nullptr, LinkMessage{WM_OBD_DTC_LIST, 0, 0, std::move(list)});
    }
}

void CVEXARLink::ObdLinkCheck()
{
    m_timer.DisableTimer(kChannelObdPoll);
    m_timer.DisableTimer(kChannelObdCheck);
    std::int32_t protocol = 0;
    if (m_hObdLib && m_obdApi.Connect(&protocol, 1) != 0) {
        m_timer.EnableTimer(kChannelObdPoll);
        return;
    }
    m_bObdReadDtc = 0;
    m_bObdAllPids = 0;
    if (m_hObdLib)
        m_obdApi.CloseCom();
    m_bObdLinked = 0;
    Post(UiWindow::View, WM_LINK_IDLE);
    Post(UiWindow::View, WM_OBD_LINK_STATE, 0, -2);
}

void CVEXARLink::ObdConnect()
{
    int code = 0;
    if (!m_hObdLib || m_comPorts.empty())
        code = -2;
    else {
        for (unsigned port : m_comPorts) {
            if (m_obdApi.OpenCom(port) == 0) {
                code = -1;
                continue;
            }
            std::int32_t protocol = 0;
            if (m_obdApi.Connect(&protocol, 0) == 0) {
                code = -2;
                m_obdApi.CloseCom();
                continue;
            }
            // The adapter answers here: learn what the vehicle supports.
            using BitmapCall = decltype(m_obdApi.GetPID00);
            const BitmapCall calls[3] = {m_obdApi.GetPID00, m_obdApi.GetPID20, m_obdApi.GetPID40};
            for (int block = 0; block < 3; ++block) {
                auto& flags = m_obdData.flags[block];
                m_obdData.status[block] = calls[block](flags.data(), 32);
                if (m_obdData.status[block] != 0) {
                    flags.fill(0);
                    continue;
                }
                for (int i = 0; i < 32; ++i) {
                    const int pid = block * 0x20 + i + 1;
                    m_nPidSupported[pid] = NeverPolled(pid) ? 0 : flags[i];
                }
            }
            m_bObdLinked = 1;
            ObdSelectPids();
            break;
        }
    }
    Post(UiWindow::View, WM_LINK_IDLE);
    Post(UiWindow::View, WM_OBD_LINK_STATE, m_bObdLinked ? 1u : 0u, code);
    if (m_bObdLinked)
        m_timer.EnableTimer(kChannelObdPoll);
}

void CVEXARLink::ObdDisconnect()
{
    m_bObdReadDtc = 0;
    m_bObdAllPids = 0;
    m_timer.DisableTimer(kChannelObdPoll);
    m_timer.DisableTimer(kChannelObdCheck);
    const int closed = m_hObdLib ? m_obdApi.CloseCom() : 1;
    Post(UiWindow::View, WM_LINK_IDLE);
    if (closed != 0) {
        m_bObdLinked = 0;
        Post(UiWindow::View, WM_OBD_LINK_STATE, 0, 0);
    }
}

}  // namespace vexar::link
