#pragma once

// What the text field and the drop-down list share beside the contract:
// the labels made for them (a caption, and for the field a unit), which
// show, hide and are enabled with the control and go with it; the text and
// background colours of the field, applied at every painting so that an
// owner may set them after creation; and, for the live categories, the
// operating-point links of the maps whose marker follows the value, told
// after every refresh.

#include "pages/CCtrlBase.h"
#include "pages/CtrlCreate.h"
#include "pages/core/GridCursors.h"

#include <QPointer>

#include <vector>

class CCtrlStatic;

class CCtrlLabelled : public CCtrlBase {
public:
    CCtrlLabelled(QWidget& self, CVEXARPages& app, REC_CONTROLLO definition, bool hidden);
    ~CCtrlLabelled() override;

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    std::vector<REC_PALLINO>* GridCursors() override;

    // Takes a label of the control (null is ignored).
    void AddLabel(CCtrlStatic* label);
    // The creator's labels: the caption in the cell before the control
    // (IDENTIFICATORE in the development profile, else ETICHETTA) and, when
    // asked, the unit after it; greyed when `disabled`.
    void MakeLabels(const CTRL_CREATE& args, bool withUnit, bool disabled);
    const std::vector<QPointer<CCtrlStatic>>& Labels() const { return m_labels; }

    // The window's enabled state as its creator leaves it: the link's say
    // starts closed, so that only WM_CTRL_ENABLE opens it (the read-only
    // displays made disabled).
    void StartDisabled() { EnableForLink(false); }

protected:
    void ShowWindow(bool show) override;
    void ShowEnabled(bool profileEnabled, bool linkEnabled) override;

private:
    std::vector<QPointer<CCtrlStatic>> m_labels;
    std::vector<REC_PALLINO> m_gridCursors;
};
