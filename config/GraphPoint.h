#pragma once

// One value for a graph, and the receiver of the points of a replay or of
// a live recording.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct GRAPH_POINT {
    static constexpr std::size_t kIdentifierUnits = 35;

    double time = 0.0;                                      // seconds from the start of the recording
    std::array<char16_t, kIdentifierUnits + 1> identifier{};  // IDENTIFICATORE, zero-terminated
    double value = 0.0;
    std::int32_t display = 0;                               // CUtility::GetDisplayParam of the definition

    // Stores at most 35 units of `text`.
    void SetIdentifier(std::u16string_view text);
    std::u16string_view Identifier() const;
};

// Receives the points of one replay synchronously, in file order, then the
// end of the replay.
class IGraphPointSink {
public:
    virtual ~IGraphPointSink() = default;
    virtual void OnGraphPoint(const GRAPH_POINT& point) = 0;
    virtual void OnGraphPointsEnd() = 0;
};
