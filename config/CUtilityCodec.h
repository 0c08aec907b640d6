#pragma once

// The ECU value codec: the one place that turns the bytes of a datum in an
// ECU image into a raw integer and back, by data type (TIPO), bit mask
// (MASCHERA) and the configuration's byte order; with the value range of
// each type, the range limits of a definition, the keep-mask and positioned
// value of a masked write, and the joining of small reads into the blocks
// the link reads in one transaction.
//
// Stateless; runs on the caller's thread and touches only what it is given.
// Every image access is checked against the image: a datum that does not
// lie wholly inside it is refused and nothing is read or written.

#include "config/CtrlWnd.h"
#include "config/RecUpload.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace CUtility {

// Byte size of a data type: 1 for DATO_FLAG, DATO_UBYTE, DATO_BYTE; 2 for
// DATO_UWORD, DATO_WORD; 4 for DATO_LONG, DATO_ULONG; 0 for any other code.
int GetDatoSize(std::int32_t type);

// Encodes `value` into the image at `offset` and sets `byteCount` to the
// bytes the datum occupies. Words and longs keep their low 16 (32) bits,
// stored most significant byte first unless `littleEndian`. A DATO_FLAG
// changes only the bits of its byte under the low 8 bits of `mask`, taking
// the value's low bits shifted up to the mask's lowest set bit.
// False, with nothing written and `byteCount` untouched, for an unknown
// type or a datum outside the image.
bool WriteDatoValue(std::span<std::uint8_t> image, std::int32_t offset, std::int32_t value, int& byteCount,
                    std::int32_t type, std::uint32_t mask, bool littleEndian);

// Decodes the datum at `offset` into `value` and sets `byteCount`. Bytes
// and words are zero- or sign-extended by type; longs keep their 32 bits,
// so a DATO_ULONG above 2147483647 reads negative. A DATO_FLAG yields its
// bits under the mask shifted down to bit 0. False, with both outputs
// untouched, for an unknown type or a datum outside the image.
bool ReadDatoValue(std::span<const std::uint8_t> image, std::int32_t offset, std::int32_t& value, int& byteCount,
                   std::int32_t type, std::uint32_t mask, bool littleEndian);

// The pair of a masked write of `value`: both 32-bit words hold, in memory
// order on this machine, the bytes to apply from the datum's address on.
// A set bit of `keepMask` keeps the ECU's bit; `positioned` holds the new
// bits in place. False, outputs untouched, for an unknown type.
bool GetDatoMask(std::int32_t type, std::uint32_t mask, std::int32_t value, bool littleEndian,
                 std::uint32_t& keepMask, std::uint32_t& positioned);

// The same pair for the datum of a control-table entry: keep-mask 0 and
// positioned value 0xFFFFFFFF, replaced by GetDatoMask over the control's
// TIPO and MASCHERA for the live-value categories (CTRL_BAR, CTRL_DIAG,
// CTRL_DIAG_BIT, CTRL_LED, CTRL_NUMERIC, CTRL_RPM, CTRL_STATO, CTRL_TERM,
// CTRL_VMETER) when the entry has a control.
void GetCtrlWriteMask(const CTRL_WND& entry, std::int32_t value, bool littleEndian, std::uint32_t& keepMask,
                      std::uint32_t& positioned);

// The byte address (LSB) and byte size (of TIPO) of a control's datum; both
// -1 when the entry has no control with a definition.
void GetCtrlAddress(const CTRL_WND& entry, std::int32_t& address, std::int32_t& size);

// The value range of a data type (DATO_FLAG 0..1 whatever its mask); both
// 0 for an unknown type.
void GetDatoRange(std::int32_t type, double& minimum, double& maximum);

// One range limit of a definition. A non-empty text must be one decimal
// number from end to end, of "+-.0123456789" with a sign only in front
// (else false, value 0: also "-", "1.2.3" and a number beyond a double's
// range). An empty text gives, by `which`, 0 (0), the type's minimum (1)
// or maximum (2), or 0 for any other selector.
bool GetLimitValue(std::u16string_view text, double& value, int which, std::int32_t type);

// True when no pair of the list has both this address and this length.
bool IsPairMissing(std::int32_t address, std::int32_t length, const std::vector<REC_UPLD_SV>& pairs);

// Sorts `pairs` by address and appends to `blocks` the runs of adjacent
// pairs joined while a block stays within the protocol's bound: 11 bytes
// for the first protocol (selector 0), 256 for the second. A pair longer
// than the bound stays whole in a block of its own.
void BuildUploadBlocks(int protocol, std::vector<REC_UPLD_SV>& pairs, std::vector<REC_UPLD_SV>& blocks);

}  // namespace CUtility
