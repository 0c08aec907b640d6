#pragma once

// The identification of the connected ECU: three framed groups, each a
// caption and a read-only centred field: the firmware the ECU reported,
// the name of the loaded calibration (both fields of several lines, which
// wrap and scroll), and the state of the connection (one line).
// Without a link the first two say that nothing is known. Only OK is
// shown; Esc ends the dialog as the hidden Cancel does.

#include "dialogs/CDialogBase.h"
#include "platform/ui/ColorRef.h"

#include <QFont>

#include <array>
#include <string>

class CButtonMfc;
class CCtrlBox;
class CCtrlEditInfo;
class CCtrlStatic;
class QPushButton;

namespace vexar::link {
class CVEXARLink;
}

class CDlgIdentCentr : public CDialogBase {
public:
    static constexpr int IDD = 325;
    static constexpr int IDC_FIRMWARE_BOX = 1239;
    static constexpr int IDC_CONFIG_BOX = 1240;
    static constexpr int IDC_LINK_BOX = 1241;
    static constexpr int IDC_FIRMWARE_LABEL = 1242;
    static constexpr int IDC_CONFIG_LABEL = 1243;
    static constexpr int IDC_LINK_LABEL = 1244;
    static constexpr int IDC_CONFIG = 1245;
    static constexpr int IDC_FIRMWARE = 1246;
    static constexpr int IDC_LINK = 1247;

    static constexpr int IDS_TITLE = 3240;
    static constexpr int IDS_FIRMWARE_BOX = 3241;
    static constexpr int IDS_CONFIG_BOX = 3242;
    static constexpr int IDS_LINK_BOX = 3243;
    static constexpr int IDS_FIRMWARE_LABEL = 3244;
    static constexpr int IDS_CONFIG_LABEL = 3245;
    static constexpr int IDS_LINK_LABEL = 3246;
    static constexpr int IDS_UNKNOWN = 3247;
    static constexpr int IDS_NOT_LINKED = 3248;
    static constexpr int IDS_LINKED = 3249;
    static constexpr int IDS_OK = 3020;

    // `app`: whose link state the dialog shows.
    explicit CDlgIdentCentr(const vexar::link::CVEXARLink& app, QWidget* parent = nullptr);
    ~CDlgIdentCentr() override;

    // Inputs.
    QFont m_font;
    vexar::ui::COLORREF m_crText = vexar::ui::RGB(0, 0, 0);
    std::u16string m_strEcuIdent;
    std::u16string m_strCalibName;

    // Captions, then the three fields by the link state; OK last.
    void FillFields();

    CCtrlBox& Box(int index) const { return *m_boxes[static_cast<std::size_t>(index)]; }
    CCtrlStatic& Label(int index) const { return *m_labels[static_cast<std::size_t>(index)]; }
    CCtrlEditInfo& FirmwareField() const { return *m_firmware; }
    CCtrlEditInfo& ConfigField() const { return *m_config; }
    CCtrlEditInfo& LinkField() const { return *m_link; }
    CButtonMfc& OkButton() const { return *m_ok; }

protected:
    void OnInitDialog() override;

private:
    const vexar::link::CVEXARLink& m_app;
    std::array<CCtrlBox*, 3> m_boxes;
    std::array<CCtrlStatic*, 3> m_labels;
    CCtrlEditInfo* m_firmware;
    CCtrlEditInfo* m_config;
    CCtrlEditInfo* m_link;
    CButtonMfc* m_ok;
    QPushButton* m_cancel;
};
