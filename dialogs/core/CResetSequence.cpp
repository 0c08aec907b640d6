#include "dialogs/core/CResetSequence.h"

namespace {

const REC_CONTROLLO kNoSource{};

std::int32_t DelayOf(const REC_CONTROLLO& source)
{
    const auto* block = std::get_if<ResetBlock>(&source.GRAFICA);
    return block ? block->DELAY : 0;
}

}  // namespace

void CResetSequence::SetSources(const std::array<REC_CONTROLLO, kSources>& sources, int definitions)
{
    std::array<bool, kSources> present{};
    for (int i = 0; i < kSources; ++i)
        present[static_cast<std::size_t>(i)] = definitions >= 1 && definitions <= kSources && i < definitions;
    SetSources(sources, present);
}

void CResetSequence::SetSources(const std::array<REC_CONTROLLO, kSources>& sources,
                                const std::array<bool, kSources>& present)
{
    Finish();
    m_sources = sources;
    m_present = present;
}

void CResetSequence::Clear()
{
    Finish();
    m_sources = {};
    m_present = {};
    m_current = {};
}

bool CResetSequence::IsPresent(int source) const
{
    return source >= 1 && source <= kSources && m_present[static_cast<std::size_t>(source - 1)];
}

const REC_CONTROLLO& CResetSequence::Source(int source) const
{
    return source >= 1 && source <= kSources ? m_sources[static_cast<std::size_t>(source - 1)] : kNoSource;
}

bool CResetSequence::Pulse(int source)
{
    if (!m_port.IsLinked() || !IsPresent(source))
        return false;
    // The running pulse goes back to idle before another datum goes active.
    EndPulse();
    m_current = Source(source);
    m_port.WriteResetValue(m_current, true);
    m_bPulsing = true;
    m_port.StartPulseTimer(DelayOf(m_current));
    return true;
}

void CResetSequence::StartChain()
{
    if (!IsPresent(1)) {
        m_nChainStep = 0;
        return;
    }
    m_nChainStep = 1;
    Pulse(1);
}

void CResetSequence::Reload(int source)
{
    if (!IsPresent(source))
        return;
    if (!m_bPulsing)
        m_current = Source(source);
    m_port.WriteResetValue(Source(source), false);
}

void CResetSequence::OnTimer()
{
    m_port.StopPulseTimer();
    if (!m_bPulsing)
        return;
    m_bPulsing = false;
    m_port.WriteResetValue(m_current, false);
    // The step is set before the next pulse is tried: a chain that finds the
    // link down keeps its place.
    switch (m_nChainStep) {
    case 1:
    case 2: {
        const int next = m_nChainStep + 1;
        if (IsPresent(next)) {
            m_nChainStep = next;
            Pulse(next);
        } else {
            m_nChainStep = 0;
        }
        break;
    }
    case 3:
        m_nChainStep = 0;
        break;
    default:
        break;
    }
}

void CResetSequence::Finish()
{
    EndPulse();
    m_nChainStep = 0;
}

void CResetSequence::EndPulse()
{
    if (!m_bPulsing)
        return;
    m_port.StopPulseTimer();
    m_bPulsing = false;
    m_port.WriteResetValue(m_current, false);
}
