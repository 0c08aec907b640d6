#pragma once

// The control tables as the link worker sees them: an immutable snapshot
// that the user-interface thread publishes whenever a table changes (a
// configuration load, a control shown or hidden, a map cursor bound). Each
// control's facts that the worker needs (its datum's type, mask and address,
// its FIXDEF) are copied out of its definition when the snapshot is taken,
// so the worker never calls into a control: it only names the control as
// the target of a post, which the user-interface side drops when the
// control no longer exists.

#include "config/CtrlWnd.h"

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>

class IDataCtrl;

namespace vexar::link {

// What the worker decodes of a control's definition.
struct CtrlDatum {
    std::int32_t category = 0;  // CATEGORIA
    std::int32_t type = 0;      // TIPO
    std::uint32_t mask = 0;     // MASCHERA
    std::int32_t address = 0;   // LSB
    std::int32_t fixdef = 0;    // FIXDEF
};

struct LinkCtrlTables {
    // The tables of the page windows; an absent table is empty.
    CTRL_TABLE parTable;    // parameter window, all controls
    CTRL_TABLE parTable3;   // parameter window, status area
    CTRL_TABLE varTable;    // variable window, all controls
    CTRL_TABLE varTable2;   // variable window, placed controls
    CTRL_TABLE acqVarTable; // the acquirable variables
    CTRL_TABLE diagTable2;  // diagnosis window
    CTRL_TABLE diagTable3;  // diagnosis window, recovery-action lists

    // A configuration is loaded: the variable window's placed table was
    // given. Nothing is polled without it.
    bool varTable2Set = false;

    // The definition facts of every control named by an entry above.
    std::unordered_map<const IDataCtrl*, CtrlDatum> data;

    // The facts of an entry's control; null for an entry without one.
    const CtrlDatum* Find(const CTRL_WND& entry) const;

    // Takes the snapshot: copies the tables that are given (null: absent)
    // and the definitions of their controls. User-interface thread only.
    static std::shared_ptr<const LinkCtrlTables> Take(const CTRL_TABLE* parTable, const CTRL_TABLE* parTable3,
                                                      const CTRL_TABLE* varTable, const CTRL_TABLE* varTable2,
                                                      const CTRL_TABLE* acqVarTable, const CTRL_TABLE* diagTable2,
                                                      const CTRL_TABLE* diagTable3);
};

}  // namespace vexar::link

namespace CUtility {

// True when the control's FIXDEF is FIX_ON; false for category 11, codes
// above 21 and an entry whose control is not known.
bool IsCtrlEnabled(const vexar::link::CtrlDatum* datum);

// The raw value of a live control's datum decoded from `image` (a copy of
// the variable bytes that holds the datum at its own address) for the
// categories that record live values (CTRL_BAR, CTRL_TERM, CTRL_DIAG,
// CTRL_DIAG_BIT, CTRL_STATO, CTRL_LED, CTRL_NUMCALC, CTRL_NUMERIC, CTRL_RPM,
// CTRL_VMETER); 0 for every other category, an unknown control, or a datum
// that does not lie inside the image.
std::int32_t GetCtrlRawValue(const vexar::link::CtrlDatum* datum, std::span<const std::uint8_t> image,
                             bool littleEndian);

}  // namespace CUtility
