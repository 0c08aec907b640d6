#pragma once

// The progress of a whole-image read or write and of a list read, driven
// by the link worker: WM_PROGRESS_RANGE sets the number of steps and
// empties the bar, WM_PROGRESS_STEP shows the steps done (painted at once),
// WM_PROGRESS_CLOSE takes the window away. Messages that come while the
// window is closed are lost, as they would reach no window. The view opens
// it on WM_PROGRESS_OPEN with the caption text and registers it with the
// link's sink as the progress window.

#include "dialogs/CModelessDialog.h"

#include <string>

class CCWSlide;
class QVBoxLayout;

class CDlgECUProg : public CModelessDialog {
public:
    static constexpr int IDD = 209;
    static constexpr int IDC_PROGRESS = 1119;

    explicit CDlgECUProg(QWidget* parent = nullptr);
    ~CDlgECUProg() override;

    // The caption, filled by the opener before Create.
    std::u16string m_strCaption;

    void OnProgressRange(std::uintptr_t steps);
    void OnProgressPos(std::uintptr_t done);
    void OnCloseRequest();

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;

    CCWSlide& ProgressBar() const { return *m_slide; }

protected:
    void OnInitDialog() override;

private:
    QVBoxLayout* m_layout;
    CCWSlide* m_slide = nullptr;
};
