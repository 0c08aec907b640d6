#pragma once

// One entry of a page's control table, and the table itself. The tables
// belong to the page hosts and page windows that build the controls; the
// link worker, the calibration and acquisition files and the conversions
// read them. An entry refers to its control without owning it.

#include <cstdint>
#include <vector>

class IDataCtrl;

struct CTRL_WND {
    std::int32_t key = 0;           // ID_GUI of the control's definition
    std::int32_t category = 0;      // CATEGORIA
    std::int32_t access = 0;        // OPERATORE
    std::int32_t address = 0;       // LSB: byte address of the datum, also the key of a visibility group
    std::int32_t size = 0;          // byte size of the datum
    std::int32_t hidden = 0;        // 1 while the control is hidden; hidden entries are not polled
    bool cursorLinked = false;      // the control drives the operating-point marker of a map
    IDataCtrl* wnd = nullptr;       // the control; none for an entry without one
};

// A control table: the count is size().
using CTRL_TABLE = std::vector<CTRL_WND>;
