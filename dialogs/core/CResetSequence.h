#pragma once

// The reset pulses of the diagnosis window and of the error clearing: up to
// three reset sources (CTRL_RESET definitions), each pulsed by writing its
// active value (RESET), waiting DELAY milliseconds on one timer and writing
// its idle value (NORMAL); the diagnosis window can chain them 1 -> 2 -> 3
// after a whole-image write.
//
// A pulse never leaves its datum active: a new pulse, the end of the
// window or a link loss between the writes cannot skip the idle write of
// the pulse that runs. A reload (the worker's idle writes after a connect or
// a whole-image write) writes its own source's idle value and lets a
// running pulse finish.

#include "config/RecControllo.h"

#include <array>
#include <cstdint>

// What the sequence drives: the link state, the two writes and the one
// timer. The window implements it over its timer and the reset-value
// writer; tests over a stepped clock.
class IResetPort {
public:
    virtual ~IResetPort() = default;
    virtual bool IsLinked() const = 0;
    // `active`: RESET, else NORMAL of `source`.
    virtual void WriteResetValue(const REC_CONTROLLO& source, bool active) = 0;
    virtual void StartPulseTimer(std::int32_t milliseconds) = 0;
    virtual void StopPulseTimer() = 0;
};

class CResetSequence {
public:
    static constexpr int kSources = 3;

    explicit CResetSequence(IResetPort& port) : m_port(port) {}

    // The sources of a configuration's diagnosis definitions: the first
    // three CTRL_RESET definitions fill the slots; they are present only
    // when there are one to three of them (more would leave the buttons
    // ambiguous: then none acts).
    void SetSources(const std::array<REC_CONTROLLO, kSources>& sources, int definitions);
    // Sources handed over by another owner (the error clearing gets the
    // diagnosis window's copies).
    void SetSources(const std::array<REC_CONTROLLO, kSources>& sources, const std::array<bool, kSources>& present);
    void Clear();

    bool IsPresent(int source) const;  // 1-based
    const REC_CONTROLLO& Source(int source) const;
    const std::array<REC_CONTROLLO, kSources>& Sources() const { return m_sources; }
    const std::array<bool, kSources>& Presence() const { return m_present; }
    int ChainStep() const { return m_nChainStep; }
    bool IsPulsing() const { return m_bPulsing; }
    const REC_CONTROLLO& Current() const { return m_current; }

    // Reset N (a button): one pulse of source N when linked and present;
    // the chain step stays. False when nothing was started.
    bool Pulse(int source);
    // The worker's chained reset after a whole-image write: source 1 and
    // then the next present ones, each after the previous one's idle write.
    void StartChain();
    // The worker's reload of source N's idle value.
    void Reload(int source);
    // Timer 0: the pulse's idle value, then the next source of a chain.
    void OnTimer();
    // The owner ends (or loses its rows): the running pulse writes its idle
    // value now, and the chain stops.
    void Finish();

private:
    void EndPulse();

    IResetPort& m_port;
    std::array<REC_CONTROLLO, kSources> m_sources{};
    std::array<bool, kSources> m_present{};
    REC_CONTROLLO m_current;
    int m_nChainStep = 0;
    bool m_bPulsing = false;
};
