#include "dialogs/core/RemoteRules.h"

#include "common/TagLine.h"

#include <string>

namespace vexar::remote {

std::optional<std::array<std::uint8_t, 4>> ClientIdFromText(std::u16string_view text)
{
    if (text.size() != 8)
        return std::nullopt;
    std::uint32_t value = 0;
    if (!HexStrToDword(u"0x" + std::u16string(text), value))
        return std::nullopt;
    return std::array<std::uint8_t, 4>{static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                                       static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

std::array<std::uint8_t, 4> ComplementId(std::array<std::uint8_t, 4> id)
{
    for (std::uint8_t& byte : id)
        byte = static_cast<std::uint8_t>(~byte);
    return id;
}

void RemoteStatistics::Clear()
{
    m_expected.fill(-1);
    m_received.fill(-1);
    m_position = 0;
}

void RemoteStatistics::Add(std::int32_t expected, std::int32_t received)
{
    m_expected[static_cast<std::size_t>(m_position)] = expected;
    m_received[static_cast<std::size_t>(m_position)] = received;
    m_position = (m_position + 1) % kSlots;
}

std::int32_t RemoteStatistics::AverageReceived() const
{
    std::int64_t sum = 0;
    std::int32_t slots = 0;
    for (std::int32_t sample : m_received)
        if (sample != -1) {
            sum += sample;
            ++slots;
        }
    return slots > 0 ? static_cast<std::int32_t>(sum / slots) : 0;
}

std::int32_t RemoteStatistics::ReceivedRatio() const
{
    std::int64_t expected = 0;
    std::int64_t received = 0;
    bool written = false;
    for (std::size_t slot = 0; slot < m_expected.size(); ++slot) {
        if (m_expected[slot] != -1) {
            expected += m_expected[slot];
            written = true;
        }
        if (m_received[slot] != -1)
            received += m_received[slot];
    }
    if (expected > 0)
        return static_cast<std::int32_t>(received * 100 / expected);
    return written && received == 0 ? 100 : 0;
}

}  // namespace vexar::remote
