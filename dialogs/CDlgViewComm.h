#pragma once

// The comments of a file, shown read-only in a field of several lines
// with both scroll bars. Only OK is shown; Esc ends the dialog as the
// hidden Cancel does.

#include "dialogs/CDialogBase.h"
#include "platform/ui/ColorRef.h"

#include <QFont>

#include <string>

class CButtonMfc;
class CCtrlEdit;
class CVEXARPages;
class QPushButton;

class CDlgViewComm : public CDialogBase {
public:
    static constexpr int IDD = 296;
    static constexpr int IDC_COMMENTS = 1223;

    static constexpr int IDS_TITLE = 3115;
    static constexpr int IDS_OK = 3020;

    // `app`: the application object the field belongs to (a plain field:
    // it touches no datum).
    explicit CDlgViewComm(CVEXARPages& app, QWidget* parent = nullptr);
    ~CDlgViewComm() override;

    // Inputs.
    QFont m_font;
    vexar::ui::COLORREF m_crButtonText = vexar::ui::RGB(0, 0, 0);
    std::u16string m_strComment;

    CCtrlEdit& CommentField() const { return *m_edit; }
    CButtonMfc& OkButton() const { return *m_ok; }

protected:
    void OnInitDialog() override;

private:
    CCtrlEdit* m_edit;
    CButtonMfc* m_ok;
    QPushButton* m_cancel;
};
