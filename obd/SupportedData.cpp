#include "obd/SupportedData.h"

#include "obd/ScantoolException.h"

namespace obdvane {

namespace {

constexpr int kPidsPerBitmap = 32;
constexpr int kLastPid = 255;

}  // namespace

SupportedData::SupportedData()
{
    Reset();
}

void SupportedData::Reset()
{
    m_entries.fill(kNotReported);
}

bool SupportedData::SetRange(int base, std::uint32_t bitmap)
{
    if (base < 0 || base + kPidsPerBitmap > kLastPid)
        return false;
    for (int i = 0; i < kPidsPerBitmap; ++i) {
        const std::uint32_t byte = (bitmap >> (8 * (i / 8))) & 0xFF;
        const bool set = (byte >> (7 - i % 8)) & 1;
        m_entries[static_cast<std::size_t>(base + i)] = set ? kSupported : kNotSupported;  // PID base + 1 + i
    }
    return true;
}

int SupportedData::GetEntry(int pid) const
{
    // PID 0 has no entry: no bitmap reports it.
    if (pid < 1 || pid > kLastPid)
        throw SupportedDataException("Index not valid.");
    return m_entries[static_cast<std::size_t>(pid - 1)];
}

bool SupportedData::IsSupported(int pid) const
{
    return GetEntry(pid) == kSupported;
}

}  // namespace obdvane
