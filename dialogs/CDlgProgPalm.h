#pragma once

// The choice, before the handheld programming tools start, between
// loading the handheld terminal and loading firmware. Only the two choice
// buttons end the dialog with OK; Enter and Esc both end it with Cancel.

#include "dialogs/CDialogBase.h"
#include "platform/ui/ColorRef.h"

#include <QFont>

class CButtonMfc;

class CDlgProgPalm : public CDialogBase {
public:
    static constexpr int IDD = 313;
    static constexpr int IDC_FIRMWARE_LOAD = 1231;
    static constexpr int IDC_HANDHELD_LOAD = 1232;

    static constexpr int IDS_TITLE = 3118;
    static constexpr int IDS_HANDHELD_LOAD = 3126;
    static constexpr int IDS_FIRMWARE_LOAD = 3127;
    static constexpr int IDS_CANCEL = 3021;

    // Choices.
    static constexpr int kNone = 0;
    static constexpr int kHandheldLoad = 1;
    static constexpr int kFirmwareLoad = 2;

    explicit CDlgProgPalm(QWidget* parent = nullptr);
    ~CDlgProgPalm() override;

    // Input: the font of the three buttons; their text colour goes on the
    // buttons themselves (SetButtonTextColour).
    QFont m_font;
    void SetButtonTextColour(vexar::ui::COLORREF colour);

    // After OK: kHandheldLoad or kFirmwareLoad; kNone otherwise.
    int m_nChoice = kNone;

    void OnHandheldLoad();
    void OnFirmwareLoad();

    CButtonMfc& HandheldButton() const { return *m_handheld; }
    CButtonMfc& FirmwareButton() const { return *m_firmware; }
    CButtonMfc& CancelButton() const { return *m_cancel; }

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CButtonMfc* m_handheld;
    CButtonMfc* m_firmware;
    CButtonMfc* m_cancel;
};
