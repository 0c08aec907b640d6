#include "obd/ReceivedData.h"

#include "obd/ScantoolException.h"

namespace obdvane {

ReceivedData::ReceivedData()
{
    Reset();
}

void ReceivedData::Reset()
{
    m_status.fill(kNeverAsked);
    m_code.fill(0);
}

std::size_t ReceivedData::Index(int pid)
{
    if (pid < 0 || pid >= kPidCount)
        throw ReceivedDataException("Index not valid.");
    return static_cast<std::size_t>(pid);
}

bool ReceivedData::IsKnownNegativeCode(int code)
{
    switch (code) {
    case 0x10: case 0x11: case 0x12: case 0x21: case 0x22: case 0x78: return true;
    default: return false;
    }
}

void ReceivedData::SetStatus(int pid, int status)
{
    const std::size_t i = Index(pid);
    if (status != kNoData && status != kReceived)
        throw ReceivedDataException("Status not valid.");
    m_status[i] = status;
    m_code[i] = 0;
}

void ReceivedData::SetNegativeCode(int pid, int code)
{
    const std::size_t i = Index(pid);
    if (!IsKnownNegativeCode(code))
        throw ReceivedDataException("Negative code not valid.");
    m_status[i] = kNegative;
    m_code[i] = code;
}

int ReceivedData::GetStatus(int pid) const
{
    return m_status[Index(pid)];
}

int ReceivedData::GetNegativeCode(int pid) const
{
    return m_code[Index(pid)];
}

bool ReceivedData::IsReceived(int pid) const
{
    return GetStatus(pid) == kReceived;
}

}  // namespace obdvane
