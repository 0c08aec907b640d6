#pragma once

// The result of the ECU test: the pass text on green or the fail text on
// red. On a pass it asks the link worker for the DTR pulse on the
// auxiliary port and can be left only once the worker reports the pulse's
// end (WM_LINK_DTR_PULSE back): until then OK is disabled and OK, Cancel,
// Esc and the close box do nothing. The view registers the open window
// with the link's sink as the test-result window.

#include "dialogs/CDialogBase.h"
#include "platform/ui/ColorRef.h"

#include <QFont>

class CButtonMfc;
class CCtrlStatic;
class QPushButton;

namespace vexar::link {
class CVEXARLink;
}

class CDlgTestRes : public CDialogBase {
public:
    static constexpr int IDD = 326;
    static constexpr int IDC_RESULT = 1239;

    static constexpr int IDS_TITLE = 3253;
    static constexpr int IDS_PASSED = 3254;
    static constexpr int IDS_FAILED = 3255;
    static constexpr int IDS_OK = 3020;

    static constexpr vexar::ui::COLORREF kPassColour = vexar::ui::RGB(0, 255, 0);
    static constexpr vexar::ui::COLORREF kFailColour = vexar::ui::RGB(255, 0, 0);

    // `app`: whose worker gives the pulse; none, or no worker running, and
    // no pulse is asked for.
    explicit CDlgTestRes(vexar::link::CVEXARLink* app, QWidget* parent = nullptr);
    ~CDlgTestRes() override;

    // Inputs.
    QFont m_font;                                          // of OK
    vexar::ui::COLORREF m_crText = vexar::ui::RGB(0, 0, 0);  // of OK and the result text
    int m_bPassed = 0;                                     // 1 pass, 0 fail
    int m_nDtrSeconds = 0;                                 // pulse length

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;

    CCtrlStatic& ResultLabel() const { return *m_result; }
    CButtonMfc& OkButton() const { return *m_ok; }
    QPushButton& CancelButton() const { return *m_cancel; }

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    bool Closable() const;

    vexar::link::CVEXARLink* m_app;
    CCtrlStatic* m_result;
    CButtonMfc* m_ok;
    QPushButton* m_cancel;
};
