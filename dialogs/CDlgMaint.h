#pragma once

// The ECU memory maintenance page of the variable window: with the link up
// the user reads and writes a byte, word or long word at any address of
// the ECU's memory, reads and writes one configured variable chosen by
// name (its raw value), reads the whole parameter image into the
// workstation, writes it back, and resets the ECU. Every action is a link
// request; a memory read comes back with its record, a variable read with
// a notice, both to this page.
//
// The controls stand where the page's template puts them, in dialog units
// of the page font; the page grows with the resolution above 96 pixels per
// inch and with the screen from 1024 x 768, and scrolls while its window
// is smaller than its controls reach.

#include "config/CtrlWnd.h"
#include "pages/IFixedPage.h"
#include "pages/core/LayoutSettings.h"
#include "platform/ui/ColorRef.h"
#include "platform/ui/WindowBase.h"

#include <QFont>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class CCtrlBox;
class CCtrlCombo;
class CCtrlStatic;
class CCWNumEdit;
class CScrollResizeFunc;
class CVEXARPages;
class QPushButton;

class CDlgMaint : public QWidget, public vexar::ui::WindowBase, public IFixedPage {
public:
    static constexpr int IDD = 202;
    // Read by address.
    static constexpr int IDC_READ_BOX = 1150;
    static constexpr int IDC_READ_ADDRESS_LABEL = 1126;
    static constexpr int IDC_READ_ADDRESS = 1125;
    static constexpr int IDC_READ_SIZE_LABEL = 1129;
    static constexpr int IDC_READ_SIZE = 1130;
    static constexpr int IDC_READ_VALUE_LABEL = 1133;
    static constexpr int IDC_READ_VALUE = 1136;
    static constexpr int IDC_READ = 1137;
    // Write by address.
    static constexpr int IDC_WRITE_BOX = 1151;
    static constexpr int IDC_WRITE_ADDRESS_LABEL = 1127;
    static constexpr int IDC_WRITE_ADDRESS = 1128;
    static constexpr int IDC_WRITE_SIZE_LABEL = 1131;
    static constexpr int IDC_WRITE_SIZE = 1132;
    static constexpr int IDC_WRITE_VALUE_LABEL = 1135;
    static constexpr int IDC_WRITE_VALUE = 1134;
    static constexpr int IDC_WRITE = 1138;
    // Read a variable.
    static constexpr int IDC_READ_VAR_BOX = 1152;
    static constexpr int IDC_READ_VAR_LABEL = 1139;
    static constexpr int IDC_READ_VAR = 1140;
    static constexpr int IDC_READ_VAR_VALUE_LABEL = 1141;
    static constexpr int IDC_READ_VAR_VALUE = 1149;
    static constexpr int IDC_READ_VAR_BUTTON = 1143;
    // Write a variable.
    static constexpr int IDC_WRITE_VAR_BOX = 1153;
    static constexpr int IDC_WRITE_VAR_LABEL = 1144;
    static constexpr int IDC_WRITE_VAR = 1145;
    static constexpr int IDC_WRITE_VAR_VALUE_LABEL = 1146;
    static constexpr int IDC_WRITE_VAR_VALUE = 1147;
    static constexpr int IDC_WRITE_VAR_BUTTON = 1148;
    // The whole image and the reset.
    static constexpr int IDC_READ_IMAGE = 1154;
    static constexpr int IDC_WRITE_IMAGE = 1155;
    static constexpr int IDC_RESET_ECU = 1156;

    // Captions.
    static constexpr int IDS_READ_BOX = 3066;
    static constexpr int IDS_WRITE_BOX = 3067;
    static constexpr int IDS_READ_VAR_BOX = 3068;
    static constexpr int IDS_WRITE_VAR_BOX = 3069;
    static constexpr int IDS_ADDRESS = 3070;
    static constexpr int IDS_SIZE = 3071;
    static constexpr int IDS_VARIABLE = 3072;
    static constexpr int IDS_VALUE = 3073;

    // The template's page in dialog units.
    static constexpr int kTemplateWidth = 554;
    static constexpr int kTemplateHeight = 351;

    explicit CDlgMaint(CVEXARPages& app);
    ~CDlgMaint() override;

    // ---- IFixedPage ----
    void SetLanguageFile(const std::string& path) override;
    void SetPageFont(const QFont& font) override { m_font = font; }
    void SetColours(vexar::ui::COLORREF text, vexar::ui::COLORREF value) override;
    void SetSettings(const LAYOUT_SETTINGS&) override {}
    bool Create(QWidget& strip) override;
    bool IsCreated() const override { return m_bCreated; }
    QWidget* Window() override { return m_bCreated ? this : nullptr; }
    void Close() override;
    void ReloadVariables() override;
    void ApplyLanguage(const std::string& path) override { SetLanguageFile(path); }

    // The diagnosis window's rows are going: both lists are emptied, so
    // that no choice names one of their controls until the next reload.
    void ForgetVariables();

    // The diagnosis window's first table, listed after the variables; set
    // by the view (none without a diagnosis window).
    std::function<const CTRL_TABLE*()> m_diagTable;
    // The screen the page is fitted to; the page's own screen when unset.
    std::function<QSize()> m_screenSize;
    // The resolution in pixels per inch (x, y); the page's own when unset.
    std::function<QSize()> m_dpi;

    // ---- Handlers ----
    void OnReadAddress();
    void OnWriteAddress();
    void OnReadVariable();
    void OnWriteVariable();
    void OnReadImage();
    void OnWriteImage();
    void OnResetEcu();
    void OnRefreshReadVariables();
    void OnRefreshWriteVariables();
    void OnLinkState(bool linked);

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

    // What the tests see.
    CCWNumEdit& Field(int id) const;
    CCtrlCombo& List(int id) const;
    QPushButton& Button(int id) const;
    CCtrlStatic& ValueLabel() const { return *m_readValue; }
    CScrollResizeFunc& Scroll() const { return *m_scroll; }
    const CTRL_TABLE& Variables() const { return m_vars; }
    // The template rectangle `dialogUnits` in pixels of the page font.
    QRect DialogUnitsToPixels(const QRect& dialogUnits) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void FitControls();
    void LoadCaptions();
    void EnableButtons(bool enabled);
    // The entry chosen in a variable list; null when none is.
    const CTRL_WND* ChosenEntry(const CCtrlCombo& list) const;
    void RefreshRange(const CCtrlCombo& list, CCWNumEdit& field);
    void OnMemoryValue(std::intptr_t result, const std::unique_ptr<vexar::ui::MessagePayload>& payload);
    void OnVariableValue(std::intptr_t result);
    // Requests go only while the link is up and its worker runs.
    bool CanRequest() const;
    void EmptyLists();

    CVEXARPages& m_app;
    std::string m_strLangFile;
    QFont m_font;
    vexar::ui::COLORREF m_crText = vexar::ui::RGB(0, 0, 0);
    vexar::ui::COLORREF m_crValue = vexar::ui::RGB(0, 0, 0);
    bool m_bCreated = false;
    // Copies of the listed tables' entries; the lists' item data index it.
    CTRL_TABLE m_vars;
    std::unique_ptr<CScrollResizeFunc> m_scroll;
    QRect m_rcContent;

    CCtrlBox* m_boxes[4] = {};
    CCtrlStatic* m_labels[10] = {};
    CCWNumEdit* m_readAddress = nullptr;
    CCWNumEdit* m_writeAddress = nullptr;
    CCWNumEdit* m_writeValue = nullptr;
    CCWNumEdit* m_readVarValue = nullptr;
    CCWNumEdit* m_writeVarValue = nullptr;
    CCtrlCombo* m_readSize = nullptr;
    CCtrlCombo* m_writeSize = nullptr;
    CCtrlCombo* m_readVar = nullptr;
    CCtrlCombo* m_writeVar = nullptr;
    CCtrlStatic* m_readValue = nullptr;
    QPushButton* m_buttons[7] = {};
};
