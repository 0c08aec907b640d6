#pragma once

// What every data-bound control offers to the data files and to the
// conversions: its definition, its current value, and its lines of a
// calibration file. The control classes of the pages implement it; the
// files reach a control only through a control-table entry (CTRL_WND).

#include "config/RecControllo.h"

#include <string>

class CCriptFile;
class CModifica;

// How a control that reads a group of calibration lines (a map, a
// recovery-action list) hands the reading back to the calibration reader.
struct CalibGroupRead {
    // The first line that is not the control's own; empty at the end of
    // the text.
    std::u16string next;
    // Set when `next` is a line of the control's own name whose first index
    // is 0: the group starts again there, and the reader treats that line
    // again even when it equals the line it handed in.
    bool again = false;
    // Lines the control took, the one handed in included. A control that
    // took none leaves the line to the reader, which passes it over.
    std::int32_t taken = 0;
};

class IDataCtrl {
public:
    virtual ~IDataCtrl() = default;

    // The control's own copy of the definition it was created from.
    virtual const REC_CONTROLLO& GetDefinition() const = 0;

    // The value the control shows, physical where the control converts.
    // Conversions over other controls take their operands from here.
    virtual double GetValue() const = 0;

    // Appends the control's calibration line (or group of lines) to `file`
    // and, when the control keeps a history and its value differs from the
    // value last loaded or saved, adds one change per changed value to
    // `history`. Always true.
    virtual bool SaveParam(CCriptFile& file, CModifica& history) = 0;

    // Applies the value field of one calibration line; false, the control
    // unchanged, when the value does not parse.
    virtual bool LoadParam(std::u16string line) = 0;

    // The group form, for controls with many lines (maps and
    // recovery-action lists): starting with `line`, takes the control's own
    // lines from `file` and fills `read`. False when a line of its own does
    // not parse. A control without a group of lines takes nothing and
    // returns false.
    virtual bool LoadParam(CCriptFile& file, std::u16string line, CalibGroupRead& read)
    {
        (void)file;
        (void)line;
        read = CalibGroupRead{};
        return false;
    }
};
