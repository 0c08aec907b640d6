#pragma once

// The main frame: the menu bar of resource 128, a status bar with the menu
// prompt, six coloured text panes and the link-state logo, the language
// menu, the wait window of whole-image reads and the last steps of the
// exit road. It owns the current language file and hands every change of
// it to the view. The link worker reaches it only by posted messages.
//
// Exit road: the close (the close box or "&Uscita") sets the worker's quit;
// the worker's last notice (WM_WORKER_ENDED) has the view close its
// windows; the view's WM_CLOSE_FRAME closes the frame and ends the
// message loop.

#include "pages/CCtrlStatic.h"
#include "platform/ui/ColorRef.h"
#include "platform/ui/WindowBase.h"

#include <QFont>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>

#include <array>
#include <memory>
#include <string>
#include <string_view>

class CDlgWaitMsg;
class CVEXARApp;
class CVEXARView;
class QLabel;
class QStatusBar;

namespace vexar::ui {
class Menu;
}

class CMainFrame : public QMainWindow, public vexar::ui::WindowBase {
public:
    // Pane widths, right to left from the logo.
    static constexpr int kStatusWidth = 130;
    static constexpr int kFirmwareWidth = 140;
    static constexpr int kConfigWidth = 130;
    static constexpr int kEcuWidth = 130;
    static constexpr int kLineWidth = 50;
    static constexpr int kCalibWidth = 400;
    // Characters of an ECU or configuration identification.
    static constexpr int kIdentChars = 10;
    static constexpr std::u16string_view kFirmwarePrefix = u" Frmw ECU: ";
    static constexpr std::u16string_view kConfigPrefix = u" ConfigPC: ";

    explicit CMainFrame(CVEXARApp& app);
    // A pane's width: its design width, or more where its font needs it.
    int PaneWidth(const CCtrlStatic& pane) const;
    ~CMainFrame() override;

    // The creation steps: menu bar and status bar, the view, the language
    // of the last session, the language menu, the edition, the icon.
    int OnCreate();

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    std::vector<const vexar::ui::CommandMap*> commandRoute() const override;
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

    void ReadSessionLanguage();
    void BuildLanguageMenu();
    void ReadEdition();
    // The logo and the panes on the bar's width, and the line-mode text;
    // from then on the logo and the panes follow every resize of the bar.
    void OnLayoutBars();
    // Title, menu texts, status text, and WM_LANGUAGE_CHANGED to the view;
    // nothing without a language file.
    void ApplyLanguage();
    void ApplyMenuTexts();
    void OnLanguage(unsigned id);
    // Shows the status bar when hidden, hides it when shown.
    void OnViewStatusBar();
    bool ConfirmLanguageChange();
    // The prompt of a menu item in status pane 0.
    void OnMenuSelect(unsigned id);
    std::u16string FormatMenuPrompt(unsigned id) const;
    // The status-bar prompts of a popup's items, for a popup put in the
    // menu bar after the frame was made too.
    void HookPrompts(QMenu& menu);
    void OnLinkState(std::uintptr_t linked, std::intptr_t result);
    void OnUnknownEcu();
    void OnBusyWindow(std::uintptr_t show);
    // The first step of the exit road; refused while a recording or a long
    // operation runs.
    void OnClose();
    void OnWorkerEnded();
    void OnCloseFrame();
    // Starts the exit road whatever runs (the first-start selection's
    // Cancel, when no configuration was chosen).
    void PostExitRoad();

    // The text of language text `id` of the current file.
    std::u16string LangText(int id) const;
    // Writes a pane: the panes the view refreshes.
    void SetPaneText(CCtrlStatic& pane, const std::u16string& text);
    // The prompt pane's text.
    QString PromptText() const;

    CVEXARView* GetActiveView() const { return m_pView.data(); }
    vexar::ui::Menu MenuBar() const;
    void PostToView(unsigned id, std::uintptr_t wParam = 0, std::unique_ptr<vexar::ui::MessagePayload> payload = nullptr);

    std::string m_strLangFile;
    std::string m_strExeFolder;
    int m_nLangCount = 0;
    QStatusBar* m_wndStatusBar = nullptr;
    QLabel* m_prompt = nullptr;
    QFont m_fontPanes;
    CCtrlStatic* m_paneCalib = nullptr;
    CCtrlStatic* m_paneLine = nullptr;
    CCtrlStatic* m_paneEcu = nullptr;
    CCtrlStatic* m_paneConfig = nullptr;
    CCtrlStatic* m_paneFirmware = nullptr;
    CCtrlStatic* m_paneStatus = nullptr;
    vexar::ui::COLORREF m_crUnlinked = vexar::ui::RGB(255, 255, 0);
    vexar::ui::COLORREF m_crAlarm = vexar::ui::RGB(255, 0, 0);
    vexar::ui::COLORREF m_crLinked;
    QPixmap m_bmpLogo;
    QLabel* m_wndLogo = nullptr;
    std::unique_ptr<CDlgWaitMsg> m_dlgWait;
    QPixmap m_hIcon;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreatePanes();
    void PlaceLogo(QRect& paneArea);
    // The logo at the bar's right end, the panes right to left from it.
    void PlaceBars();
    // The size the frame has when it is not maximised.
    void SetRestoredSize();
    CCtrlStatic* CreatePane(const std::u16string& text, bool centred);
    void ShowMessage(const std::u16string& text);
    // The firmware and status panes and the logo for a link state.
    void ShowLinkState(bool linked);

    CVEXARApp& m_app;
    QPointer<CVEXARView> m_pView;
    bool m_bCloseAllowed = false;
    bool m_bBarsLaid = false;
};
