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

void ReceivedData::SetStatus(int pid, int status)
{
    const std::size_t i = Index(pid);
    if (status != kNoData && status != kReceived)
        throw ReceivedDataException("Status not valid.");
    m_status[i] = status;
    m_code[i] = 0;
}

// Whatever code an ECU refuses with is kept: the refusal is an answer like
// any other, and only its meaning for the caller depends on the code.
void ReceivedData::SetNegativeCode(int pid, int code)
{
    const std::size_t i = Index(pid);
    if (code < 0 || code > kMaxNegativeCode)
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
