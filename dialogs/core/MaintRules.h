#pragma once

// The rules of the ECU memory maintenance page that need no widget: the
// size lists' texts, addresses and values by address (always most
// significant byte first in the ECU's memory), the variable lists' texts,
// a chosen variable's raw range, and the masked write of a variable. The
// page feeds them its fields' and lists' contents and shows their answers.

#include "config/RecControllo.h"
#include "link/LinkRequests.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace MaintRules {

// "BYTE" 1, "WORD" 2, "LONG" 4; anything else (no selection) 0.
int SizeOfText(std::u16string_view text);

// A numeric field's value as an ECU address: cut toward zero to an
// integer, kept to its low 16 bits.
std::uint16_t AddressOf(double fieldValue);

// The value of a memory read: the record's first `size` bytes, most
// significant first; 0 for a size outside 1 to 4.
std::uint32_t ValueOf(const vexar::link::MEMORY_REQUEST& request);
// Puts the low `size` bytes of `value` into the record, most significant
// first (size 1 to 4; the rest of the record is zero).
void PutValue(vexar::link::MEMORY_REQUEST& request, std::int64_t value);

// The text of a variable in the lists: "IDENT [0x000000LSB]".
std::u16string ListText(const REC_CONTROLLO& definition);

struct ListItem {
    std::u16string text;
    std::size_t entry = 0;  // the entry's index in the page's variable list
};
// The items of both variable lists from the page's entries in order (each
// entry's definition, or none): entries without a definition are left
// out, and each text is listed once, for its first entry.
std::vector<ListItem> VariableItems(const std::vector<std::optional<REC_CONTROLLO>>& definitions);

// A value field's range for a chosen variable from the raw values of its
// MIN and MAX. A falling conversion gives the raw MIN above the raw MAX:
// the field still needs its smaller limit as minimum.
struct RawRange {
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::int32_t value = 0;  // the raw MIN
};
RawRange RangeOf(std::int32_t rawMin, std::int32_t rawMax);

// The masked write of a variable with the raw value `raw`, from its
// definition's TIPO and MASCHERA and the configuration's byte order:
// only the variable's own bits change. Nothing for a type the codec does
// not know (nothing is then sent).
std::optional<vexar::link::VARIABLE_WRITE> VariableWrite(const REC_CONTROLLO& definition, std::int32_t raw,
                                                         bool littleEndian);

}  // namespace MaintRules
