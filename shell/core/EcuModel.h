#pragma once

// Recognising the ECU model from its identification, without a screen:
// the model key (the ECU folder under "Configuration") that a protocol,
// an edition and an identification point to, and the installed firmware
// folders of that model whose codes match the identification.
//
// Folder names are compared in upper case, as the identification check of
// the link compares them, but a candidate keeps its name as it is spelt
// on disk: on Linux only that spelling names the folder.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CCentralineInstallate;

namespace vexar::shell {

inline constexpr char16_t kModelOsk04[] = u"OSK04_ECU";
inline constexpr char16_t kModelKd01[] = u"KD01_ECU";
inline constexpr char16_t kModelKd02Eight[] = u"KD02_ECU_8";
inline constexpr char16_t kModelZovzenta[] = u"ZOVZENTA_ECU";
inline constexpr char16_t kModelKd02[] = u"KD02_ECU";

// The model key: by the protocol the ECU answered with (0 first, 1
// second), the edition, and for the second protocol the identification's
// 11th character ("0" to "4": the older family; missing or anything else:
// the eight-cylinder family).
std::u16string ChooseEcuModelKey(std::int32_t protocol, std::int32_t edition, std::u16string_view identification);

// Inserts `text` before the first element that compares greater than it
// (code unit by code unit, letter case counting), else at the end: the
// list stays in ascending order, equal texts side by side with the newest
// last.
void AddUniqueString(std::vector<std::u16string>& list, const std::u16string& text);

// The firmware folders of the installed ECU named exactly `key` whose
// upper-cased names match the upper-cased identification
// (CUtility::CompareEcuCodes), in ascending order of their upper-cased
// names, equal ones in catalogue order; each as spelt on disk. The best
// match is the last. Empty when the model is not installed or nothing
// matches. The catalogue's cursors move.
std::vector<std::u16string> CollectEcuCandidates(CCentralineInstallate& catalogue, const std::u16string& key,
                                                 std::u16string_view identification);

}  // namespace vexar::shell
