#pragma once

// The gas ECU's diagnosis window: one list row per diagnosis list of the
// configuration (error code, error text, the recovery action the ECU holds
// for it), a switch that asks the worker to poll the diagnosis variables,
// "Split errori" flipping between the current values and the catalogue of
// every error, up to three reset buttons with their timed pulses, and the
// checklist lines of the diagnosis section.
//
// The view owns the window for a configuration's life: it is created at
// the load, shown by F8 or the menu, and destroyed before the next load;
// OK, Cancel and the close box only hide it. The window never talks to the
// ECU: it posts link requests and hears of values through the drop-down
// lists it hosts, which are hidden children of the list's viewport and are
// moved over a row's state and action cells as its editors.
//
// The rules that need no widget (visibility, bit rows, catalogue, report
// targets, checklist texts) are DiagRules'; the reset pulses are
// CResetSequence's over this window's timer 0.

#include "config/CtrlWnd.h"
#include "config/RecControllo.h"
#include "dialogs/CDialogBase.h"
#include "dialogs/core/CResetSequence.h"
#include "dialogs/core/DiagRules.h"
#include "pages/CtrlCreate.h"
#include "pages/core/LayoutSettings.h"

#include <QFont>
#include <QRect>

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CButtonMfc;
class CCtrlCombo;
class CCtrlLed;
class CCtrlList;
class CCtrlStatic;
class CScrollResizeFunc;
class CStdioFileEx;
class CVEXARPages;
class QTreeWidgetItem;

class CDlgDiag : public CDialogBase, private IResetPort {
public:
    static constexpr int IDD = 237;
    static constexpr int IDC_LIST = 1172;
    static constexpr int IDC_SWITCH = 1177;
    static constexpr int IDC_STATE = 1301;
    static constexpr int IDC_RESET1 = 1302;
    static constexpr int IDC_RESET2 = 1303;
    static constexpr int IDC_RESET3 = 1304;
    static constexpr int IDC_SPLIT = 1305;

    static constexpr int IDS_POLL_OFF = 3044;
    static constexpr int IDS_POLL_ON = 3045;
    static constexpr int IDS_COLUMN0 = 3084;  // to 3087
    static constexpr int IDS_TITLE = 3088;
    static constexpr int IDS_SPLIT_CURRENT = 3291;
    static constexpr int IDS_SPLIT_CATALOGUE = 3292;

    static constexpr unsigned kPulseTimer = 0;
    // The editors stand this much above their cell, as the lists' own
    // border would otherwise hide the cell's text line.
    static constexpr int kEditorRaise = 4;
    // Column widths of the code, error and action columns' neighbours.
    static constexpr int kColumnWidths[3] = {300, 120, 300};

    enum ViewMode : int { kCatalogue = 0, kCurrentValues = 1 };

    explicit CDlgDiag(CVEXARPages& app, QWidget* parent = nullptr);
    ~CDlgDiag() override;

    // ---- Set by the view before Create ----
    LAYOUT_SETTINGS m_layout;
    int m_nDiagBase = 7100;
    int m_nActionBase = 5900;
    int m_nOperator = 0;
    // Seams: the screen size and the display's pixels per inch.
    std::function<QSize()> m_screenSize;
    std::function<QSize()> m_dpi;

    // ---- A configuration's life ----
    // Builds the window's state (fonts, captions, columns, disabled
    // switch and buttons); nothing when it exists already.
    void Create();
    // Scales the children from 96 pixels per inch and from the 1024 x 768
    // design screen (4:3 kept), then places the window on `rect`.
    void FitToDpi();
    void FitToScreen(const QRect& rect);
    // The rows, actions and reset sources of the diagnosis definitions.
    void CreateRows(std::span<const REC_CONTROLLO> definitions);
    void SetLanguageFile(const std::string& path);
    void SetOperatorType(int profile);
    // The checklist line(s) of visible row `index` (of the visible-rows
    // table) into an open file.
    void FormatChecklistLine(CStdioFileEx& file, int index, const REC_CONTROLLO& definition);
    // Destroys the rows' and actions' controls, clears the editing and
    // hides the window; the created flag goes to 0.
    void DestroyRows();
    // Frees the tables and the font.
    void Close();

    // Edits row `row` (-1 only hides the editors); nothing while polling.
    void SelectRow(int row);

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool onCommand(unsigned id) override;

    // ---- State ----
    unsigned char m_bCreated = 0;
    CTRL_TABLE m_allRows;
    CTRL_TABLE m_visibleRows;
    CTRL_TABLE m_allActions;
    CTRL_TABLE m_visibleActions;
    int m_nViewMode = kCurrentValues;

    // ---- What the view and the tests see ----
    CCtrlList& List() const { return *m_list; }
    CCtrlLed& Switch() const { return *m_switch; }
    CCtrlStatic& StateLabel() const { return *m_state; }
    CButtonMfc& ResetButton(int n) const { return *m_reset[static_cast<std::size_t>(n - 1)]; }
    CButtonMfc& SplitButton() const { return *m_split; }
    int EditedRow() const { return m_nSelRow; }
    CCtrlCombo* DiagEditor() const { return m_pSelDiag; }
    CCtrlCombo* ActionEditor() const { return m_pSelAction; }
    CResetSequence& Resets() { return m_resets; }
    CScrollResizeFunc& Scroller() const { return *m_scroll; }
    // The cell rectangle of `row`, `column` in viewport coordinates.
    QRect CellRect(int row, int column) const;

protected:
    void OnOK() override { hide(); }
    void OnCancel() override { hide(); }
    void closeEvent(QCloseEvent* event) override;
    // The worker polls the rows only while the window shows: both ways it
    // rebuilds its polled lists.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // IResetPort over timer 0 and the reset-value writer.
    bool IsLinked() const override;
    void WriteResetValue(const REC_CONTROLLO& source, bool active) override;
    void StartPulseTimer(std::int32_t milliseconds) override;
    void StopPulseTimer() override;

    void LoadCaptions();
    void SetColumnWidths();
    void ApplyFont();
    void AddRecoveryActions(const REC_CONTROLLO& definition, std::span<const REC_CONTROLLO> definitions,
                            std::vector<const REC_CONTROLLO*>& made);
    CTRL_CREATE CreateArgs(const REC_CONTROLLO& definition, int baseId) const;
    static CTRL_WND EntryOf(const REC_CONTROLLO& definition, CCtrlCombo* control);
    void FillList();
    void RebuildVisibleTables();
    void AddRow(int control);
    void ShowCurrentValues();
    void ShowCatalogue();
    void ToggleSplit();
    void OnSwitch();
    void OnLinkState(bool linked);
    void OnDiagValue(std::int32_t key);
    void OnSelectControl(std::int32_t key);
    void UpdateControlRows(int control);
    void OnRecoveryAction(const DiagRules::ActionReport& report);
    void OnReleaseReset(int source);
    void OnResetAll();
    void ClearSelection();
    void HideEditors();
    void PlaceEditors();
    void PostLink(unsigned id);

    int VisibleRowOf(std::int32_t key) const;
    int ControlOfKey(std::int32_t key) const;
    CCtrlCombo* RowControl(int control) const;
    CCtrlCombo* ActionControl(int action) const;
    // The visible action list of all-rows entry `control`, -1 for none.
    int RowAction(int control) const;
    DiagRules::ActionItemAt ActionLookup(int action) const;
    std::vector<DiagRules::RowRef> ListRefs() const;
    QTreeWidgetItem* InsertRow(int at, int control, const std::u16string (&columns)[4]);
    void PostToCombo(CCtrlCombo* combo, unsigned id, std::uintptr_t wParam, std::intptr_t lParam);

    CVEXARPages& m_app;
    CCtrlList* m_list;
    CCtrlLed* m_switch;
    CCtrlStatic* m_state;
    std::array<CButtonMfc*, 3> m_reset{};
    CButtonMfc* m_split;

    // Scrolls the content while the window is smaller than it.
    std::unique_ptr<CScrollResizeFunc> m_scroll;
    QFont m_font;
    QRect m_clientRect;
    std::vector<DiagRules::DiagControl> m_rowDefs;
    std::vector<DiagRules::DiagControl> m_actionDefs;
    std::vector<int> m_assigned;
    DiagRules::Visibility m_visible;
    DiagRules::AskOnce m_asks;

    int m_nSelRow = -1;
    CCtrlCombo* m_pSelDiag = nullptr;
    CCtrlCombo* m_pSelAction = nullptr;

    CResetSequence m_resets{*this};
};
