#pragma once

// The petrol trouble-code page of the petrol window: a read switch has the
// worker read the stored codes at every OBD poll while the page is shown;
// each reading replaces the rows (code, companion text); "Reset" asks the
// worker to clear the codes.

#include "pages/IFixedPage.h"
#include "pages/core/LayoutSettings.h"
#include "platform/ui/ColorRef.h"
#include "platform/ui/WindowBase.h"

#include <QFont>
#include <QWidget>

#include <memory>
#include <string>

class CButtonMfc;
class CCtrlLed;
class CCtrlList;
class CCtrlStatic;
class CScrollResizeFunc;
class CVEXARPages;

class CDlgDiagBenz : public QWidget, public vexar::ui::WindowBase, public IFixedPage {
public:
    static constexpr int IDD = 345;
    static constexpr int IDC_LIST = 1314;
    static constexpr int IDC_SWITCH = 1317;
    static constexpr int IDC_LABEL = 1318;
    static constexpr int IDC_RESET = 1319;
    static constexpr int IDS_COL_CODE = 3085;
    static constexpr int IDS_COL_DESC = 3086;
    static constexpr int IDS_OFF = 3044;
    static constexpr int IDS_ON = 3045;
    static constexpr int IDS_RESET = 3105;
    static constexpr int kDesignWidth = 1000;
    static constexpr int kDesignHeight = 640;

    explicit CDlgDiagBenz(CVEXARPages& app);
    ~CDlgDiagBenz() override;

    // ---- IFixedPage ----
    void SetLanguageFile(const std::string& path) override;
    void SetPageFont(const QFont& font) override { m_font = font; }
    void SetColours(vexar::ui::COLORREF text, vexar::ui::COLORREF value) override;
    void SetSettings(const LAYOUT_SETTINGS& settings) override { m_settings = settings; }
    bool Create(QWidget& strip) override;
    bool IsCreated() const override { return m_bCreated; }
    QWidget* Window() override { return m_bCreated ? this : nullptr; }
    void Close() override;
    void ReloadVariables() override {}
    void ApplyLanguage(const std::string& path) override { SetLanguageFile(path); }

    CCtrlList& List() const { return *m_list; }
    CCtrlLed& Switch() const { return *m_switch; }
    CCtrlStatic& Label() const { return *m_label; }
    CButtonMfc& ResetButton() const { return *m_reset; }

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void LoadCaptions();
    void OnReadSwitchChanged(bool on);
    void OnClearCodes();
    void Post(unsigned id);

    CVEXARPages& m_app;
    std::string m_strLangFile;
    QFont m_font;
    vexar::ui::COLORREF m_crText = vexar::ui::RGB(0, 0, 0);
    LAYOUT_SETTINGS m_settings;
    bool m_bCreated = false;
    std::unique_ptr<CScrollResizeFunc> m_scroll;
    CCtrlList* m_list = nullptr;
    CCtrlLed* m_switch = nullptr;
    CCtrlStatic* m_label = nullptr;
    CButtonMfc* m_reset = nullptr;
};
