#pragma once

// Entry of a free comment (at the end of a recording, when a calibration
// is saved): a field of several lines with both scroll bars, in which
// Enter starts a new line. Neither Enter nor Esc ends the dialog; only its
// OK and Cancel buttons do. After OK the comment is the field's whole
// text, its lines joined by line feeds as typed.

#include "dialogs/CDialogBase.h"
#include "platform/ui/ColorRef.h"

#include <QFont>

#include <string>

class CButtonMfc;
class CCtrlEdit;
class CVEXARPages;

class CDlgInsComm : public CDialogBase {
public:
    static constexpr int IDD = 228;
    static constexpr int IDC_COMMENT = 1161;

    static constexpr int IDS_TITLE = 3079;
    static constexpr int IDS_OK = 3020;
    static constexpr int IDS_CANCEL = 3021;

    // `app`: the application object the field belongs to (a plain field:
    // it touches no datum).
    explicit CDlgInsComm(CVEXARPages& app, QWidget* parent = nullptr);
    ~CDlgInsComm() override;

    // Inputs.
    QFont m_font;
    vexar::ui::COLORREF m_crButtonText = vexar::ui::RGB(0, 0, 0);
    vexar::ui::COLORREF m_crEditText = vexar::ui::RGB(0, 0, 0);

    // After OK: the text typed.
    std::u16string m_strComment;

    CCtrlEdit& CommentField() const { return *m_edit; }
    CButtonMfc& OkButton() const { return *m_ok; }
    CButtonMfc& CancelButton() const { return *m_cancel; }

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CCtrlEdit* m_edit;
    CButtonMfc* m_ok;
    CButtonMfc* m_cancel;
};
