#pragma once

// The acquisition page's rules that need no window: which variables of the
// selection file "Acq.cfg" an operator profile gets, and which sample
// periods the recording accepts.
//
// The selection file names one variable per line by its IDENTIFICATORE,
// matched exactly and case-sensitively: only the line end is taken off, so
// a line with a trailing blank names nothing. The file is UTF-16 with a
// byte-order mark or ANSI text.
//
// The sampling clock counts whole ticks of 10 ms, at most 65535 of them,
// so a period is a whole number of ticks from the configuration's
// acquisition period (rounded up to a tick) to 655 350 ms; the recording's
// header states the very period that is sampled.

#include "config/CtrlWnd.h"

#include <cstdint>
#include <string>
#include <vector>

namespace CUtility {

// Whether the selection file may give `entry` to `profile`: the
// privileged, remote and development profiles every variable, the public
// profile the public ones, the limited profiles none.
bool AcqSelectionOffers(std::int32_t profile, const CTRL_WND& entry);

// The table indices the selection `lines` give `profile`, in order of
// first appearance: each line's match is the first entry whose definition
// has that IDENTIFICATORE; a line without a match, a variable the profile
// may not see and one taken already are passed over.
std::vector<std::int32_t> MatchAcqSelection(const std::vector<std::u16string>& lines, const CTRL_TABLE& table,
                                            std::int32_t profile);

// The lines of the selection file without their line ends; none when the
// file is missing or cannot be read.
std::vector<std::u16string> ReadAcqSelectionLines(const std::string& path);

inline constexpr std::int32_t kAcqTickMs = 10;
inline constexpr std::int32_t kAcqMaxTicks = 65535;
inline constexpr std::int32_t kAcqMaxPeriodMs = kAcqTickMs * kAcqMaxTicks;

// The shortest period: the configuration's acquisition period rounded up
// to a whole tick, at least one tick, at most the longest period.
std::int32_t AcqMinPeriod(std::int32_t configuredMs);

// The period sampled for a field value: rounded to the nearest whole tick
// and kept between AcqMinPeriod and kAcqMaxPeriodMs.
std::int32_t AcqPeriod(double fieldMs, std::int32_t configuredMs);

}  // namespace CUtility
