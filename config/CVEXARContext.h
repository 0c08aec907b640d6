#pragma once

// The first base of the application object: the state that the data files
// and the conversions share with the pages, the link and the shell. The
// link-side base derives from it, and the application object from that.
// Nothing here is a single global: a process may hold several contexts.

#include "config/CVariabiliAcq.h"
#include "config/CtrlWnd.h"

class CVEXARContext {
public:
    CVEXARContext();
    virtual ~CVEXARContext();
    CVEXARContext(const CVEXARContext&) = delete;
    CVEXARContext& operator=(const CVEXARContext&) = delete;

    // The parameter window's first control table, set by the view when a
    // configuration has been loaded; the operands of the conversions over
    // other controls are looked up here. Not owned; null while none.
    CTRL_TABLE* m_pParTable = nullptr;
    // The diagnosis window's third control table (its recovery-action
    // lists are saved with a calibration). Not owned; null while none.
    CTRL_TABLE* m_pDiagTable3 = nullptr;
    // The program's one acquisition recorder, for the whole run.
    CVariabiliAcq m_acqFile;
};
