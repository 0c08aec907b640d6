#include "pages/core/GraphTraces.h"

#include <algorithm>

TRACE_INFO& GraphTraces::Add(const TRACE_INFO& trace)
{
    m_traces.push_back(TRACE_INFO{trace.name, trace.slot, {}});
    return m_traces.back();
}

bool GraphTraces::Remove(std::size_t index)
{
    if (index >= m_traces.size())
        return false;
    m_traces.erase(m_traces.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

void GraphTraces::ClearPoints()
{
    for (TRACE_INFO& trace : m_traces)
        trace.points.clear();
}

bool GraphTraces::IsSlotUsed(std::int32_t slot) const
{
    return std::any_of(m_traces.begin(), m_traces.end(), [&](const TRACE_INFO& t) { return t.slot == slot; });
}

TRACE_INFO* GraphTraces::Find(std::u16string_view name)
{
    auto it = std::find_if(m_traces.begin(), m_traces.end(), [&](const TRACE_INFO& t) { return t.name == name; });
    return it == m_traces.end() ? nullptr : &*it;
}

std::optional<REC_PUNTO> GraphTraces::Step(double x, bool toTheLeft) const
{
    std::optional<REC_PUNTO> best;
    for (const TRACE_INFO& trace : m_traces) {
        for (const REC_PUNTO& p : trace.points) {
            const bool onTheSide = toTheLeft ? p.x < x : p.x > x;
            const bool nearer = !best || (toTheLeft ? p.x > best->x : p.x < best->x);
            if (onTheSide && nearer)
                best = p;
        }
    }
    return best;
}
