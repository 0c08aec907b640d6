#pragma once

// The traces of a graph with their stored points, and what the stepping
// cursor reads of them. Points are kept as received: the cursor steps over
// them and labels them whatever the view shows.

#include "pages/core/TraceInfo.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

class GraphTraces {
public:
    const std::vector<TRACE_INFO>& Traces() const { return m_traces; }
    std::size_t Count() const { return m_traces.size(); }

    // Appends a copy of `trace` without its points.
    TRACE_INFO& Add(const TRACE_INFO& trace);
    // False, nothing changed, for an index outside the traces.
    bool Remove(std::size_t index);
    void Clear() { m_traces.clear(); }
    // Every trace stays, with its name and slot, and loses its points.
    void ClearPoints();

    bool IsSlotUsed(std::int32_t slot) const;
    // The first trace of that name, compared exactly; null when none.
    TRACE_INFO* Find(std::u16string_view name);

    // The next point to the left of `x` (the greatest x below it) or to
    // its right (the least x above it) over every point of every trace; on
    // a tie the first found, in trace order then point order. None when
    // there is no point on that side.
    std::optional<REC_PUNTO> Step(double x, bool toTheLeft) const;

private:
    std::vector<TRACE_INFO> m_traces;
};
