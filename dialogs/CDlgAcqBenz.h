#pragma once

// The petrol acquisition page of the variable window: every PID the
// vehicle supports with its description, last value and unit. The
// privileged profiles (1 to 3) tick which PIDs are requested; a read
// switch has the worker poll every supported PID for this page; a field
// sets the OBD poll period.

#include "pages/IFixedPage.h"
#include "pages/core/LayoutSettings.h"
#include "platform/ui/ColorRef.h"
#include "platform/ui/WindowBase.h"

#include <QFont>
#include <QWidget>

#include <memory>
#include <string>

class CCtrlLed;
class CCtrlList;
class CCtrlStatic;
class CCWNumEdit;
class CScrollResizeFunc;
class CVEXARPages;
class QTreeWidgetItem;

class CDlgAcqBenz : public QWidget, public vexar::ui::WindowBase, public IFixedPage {
public:
    static constexpr int IDD = 347;
    static constexpr int IDC_PERIOD = 1321;
    static constexpr int IDC_LABEL = 1322;
    static constexpr int IDC_SWITCH = 1323;
    static constexpr int IDC_LIST = 1320;
    static constexpr int IDS_OFF = 3044;
    static constexpr int IDS_ON = 3045;
    static constexpr int kDesignWidth = 1000;
    static constexpr int kDesignHeight = 640;

    explicit CDlgAcqBenz(CVEXARPages& app);
    ~CDlgAcqBenz() override;

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

    // Link up: rows of the supported PIDs (ticked when requested), the
    // bitmap results, the switch enabled; down: no rows, switch off.
    void SetConnected(bool linked);
    void BuildRows();
    // After a profile change: check boxes for profiles 1 to 3 only, ticked
    // from the requested table.
    void RefreshChecks();

    CCtrlList& List() const { return *m_list; }
    CCtrlLed& Switch() const { return *m_switch; }
    CCWNumEdit& PeriodField() const { return *m_period; }
    CCtrlStatic& Label() const { return *m_label; }
    bool HasCheckBoxes() const;

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool Privileged() const;
    void OnReadSwitchChanged(bool on);
    void OnPeriodChanged(double value);
    void OnPidCheckChanged(QTreeWidgetItem* item, int column);
    void SetCheckBoxes(bool shown, const std::array<std::int32_t, 97>* requested);

    CVEXARPages& m_app;
    std::string m_strLangFile;
    QFont m_font;
    vexar::ui::COLORREF m_crText = vexar::ui::RGB(0, 0, 0);
    vexar::ui::COLORREF m_crValue = vexar::ui::RGB(0, 0, 0);
    LAYOUT_SETTINGS m_settings;
    bool m_bCreated = false;
    bool m_bChecksArmed = false;
    std::unique_ptr<CScrollResizeFunc> m_scroll;
    CCtrlList* m_list = nullptr;
    CCtrlLed* m_switch = nullptr;
    CCtrlStatic* m_label = nullptr;
    CCWNumEdit* m_period = nullptr;
};
