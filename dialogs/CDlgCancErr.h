#pragma once

// The error clearing: one timed reset pulse on the first (permanent
// errors) or the second (occasional errors) reset source of the diagnosis
// window, written on the same two routes as the window's reset buttons,
// never chained. A button stays disabled when its source does not exist;
// offline a click does nothing. Closing the window while a pulse runs writes
// the pulse's idle value first, so the ECU is never left clearing.

#include "dialogs/CDialogBase.h"
#include "dialogs/core/CResetSequence.h"
#include "platform/ui/ColorRef.h"

#include <QFont>

#include <array>

class CButtonMfc;
class QPushButton;

namespace vexar::link {
class CVEXARLink;
}

class CDlgCancErr : public CDialogBase, private IResetPort {
public:
    static constexpr int IDD = 318;
    static constexpr int IDC_CLEAR_PERMANENT = 1246;
    static constexpr int IDC_CLEAR_OCCASIONAL = 1247;

    static constexpr int IDS_TITLE = 3250;
    static constexpr int IDS_PERMANENT = 3251;
    static constexpr int IDS_OCCASIONAL = 3252;
    static constexpr int IDS_OK = 3020;

    static constexpr unsigned kPulseTimer = 0;

    explicit CDlgCancErr(vexar::link::CVEXARLink& app, QWidget* parent = nullptr);
    ~CDlgCancErr() override;

    // Inputs: the font and text colour of the three buttons, and copies of
    // the diagnosis window's reset sources (zero-filled, none present, when
    // it does not exist).
    QFont m_font;
    vexar::ui::COLORREF m_crText = vexar::ui::RGB(0, 0, 0);
    std::array<REC_CONTROLLO, CResetSequence::kSources> m_sources{};
    std::array<bool, CResetSequence::kSources> m_present{};

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool onCommand(unsigned id) override;
    void done(int result) override;

    CButtonMfc& PermanentButton() const { return *m_permanent; }
    CButtonMfc& OccasionalButton() const { return *m_occasional; }
    CButtonMfc& OkButton() const { return *m_ok; }
    const CResetSequence& Resets() const { return m_resets; }

protected:
    void OnInitDialog() override;

private:
    bool IsLinked() const override;
    void WriteResetValue(const REC_CONTROLLO& source, bool active) override;
    void StartPulseTimer(std::int32_t milliseconds) override;
    void StopPulseTimer() override;

    vexar::link::CVEXARLink& m_app;
    CButtonMfc* m_permanent;
    CButtonMfc* m_occasional;
    CButtonMfc* m_ok;
    QPushButton* m_cancel;
    CResetSequence m_resets{*this};
};
