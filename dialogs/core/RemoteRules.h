#pragma once

// What the two remote-assistance windows do without a widget: the client id
// typed by the user, and the master's traffic statistics over the last 20
// seconds.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vexar::remote {

// The client id of exactly 8 hexadecimal digits as its 4 bytes, most
// significant first; nothing for any other text.
std::optional<std::array<std::uint8_t, 4>> ClientIdFromText(std::u16string_view text);
// The slave's form of an id: every byte complemented.
std::array<std::uint8_t, 4> ComplementId(std::array<std::uint8_t, 4> id);

// Two rings of 20 one-second samples of the master's bridge traffic, the
// bytes its receives expected and the bytes they got; -1 marks a slot not
// yet written.
class RemoteStatistics {
public:
    static constexpr int kSlots = 20;

    RemoteStatistics() { Clear(); }
    void Clear();
    // Stores one second's counts at the write position and advances it.
    void Add(std::int32_t expected, std::int32_t received);
    // Bytes received per second over the written slots (integer division),
    // 0 when none is written.
    std::int32_t AverageReceived() const;
    // Bytes received as a percentage of those expected (integer division);
    // 100 when slots are written and nothing was expected nor received, 0
    // when nothing is written or bytes came that nobody expected.
    std::int32_t ReceivedRatio() const;

private:
    std::array<std::int32_t, kSlots> m_expected{};
    std::array<std::int32_t, kSlots> m_received{};
    int m_position = 0;
};

}  // namespace vexar::remote
