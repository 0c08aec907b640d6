#pragma once

// The graph page of the variable window: up to ten traces against time,
// live (the values the running recording samples) or replayed (the columns
// of an acquisition file loaded with "Carica"), on the page's graph and on
// its full-screen twin, which receive the same traces and points. The page
// decides which traces exist, which points reach them and when the axes
// start anew; each graph keeps its own tool mode and cursor.
//
// A trace takes the first free colour slot searched from the slot after
// the last one added; every clearing starts the search at slot 0 again.
// Live points are plotted only while the run switch is on, and never kept
// for later. In replay mode the run switch plays the file: its points
// come synchronously, in file order, through IGraphPointSink.

#include "config/CtrlWnd.h"
#include "config/GraphPoint.h"
#include "pages/IFixedPage.h"
#include "pages/core/LayoutSettings.h"
#include "platform/ui/ColorRef.h"
#include "platform/ui/WindowBase.h"

#include <QFont>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CButtonMfc;
class CCtrlCombo;
class CCtrlEdit;
class CCtrlGraph;
class CCtrlLed;
class CCtrlList;
class CCtrlStatic;
class CDlgGraphFS;
class CScrollResizeFunc;
class CVEXARPages;
class QPushButton;

class CDlgGraph : public QWidget, public vexar::ui::WindowBase, public IFixedPage, public IGraphPointSink {
public:
    static constexpr int IDD = 201;
    static constexpr int IDC_GRAPH = 1099;
    static constexpr int IDC_PICKER = 1182;
    static constexpr int IDC_LIST = 1181;
    static constexpr int IDC_LOAD = 1102;
    static constexpr int IDC_LIVE = 1184;
    static constexpr int IDC_CLEAR = 1183;
    static constexpr int IDC_PATH = 1154;
    static constexpr int IDC_COMMENT = 1191;
    static constexpr int IDC_RUN = 1212;
    static constexpr int IDC_STATE = 1300;
    static constexpr int IDS_OFF = 3044;
    static constexpr int IDS_ON = 3045;
    static constexpr int IDS_NAME = 3047;
    static constexpr int IDS_LOAD = 3077;
    static constexpr int IDS_LOAD_ERROR = 3111;
    static constexpr int IDS_OTHER_FIRMWARE = 3125;
    static constexpr int kSlots = 10;
    static constexpr int kDesignWidth = 1000;
    static constexpr int kDesignHeight = 640;

    enum Mode { kLive = 0, kReplay = 1 };

    explicit CDlgGraph(CVEXARPages& app);
    ~CDlgGraph() override;

    // ---- Handed by the view after a configuration load ----
    std::u16string m_strEcuFamily;
    std::u16string m_strConfigName;

    // ---- IFixedPage ----
    // Also gives the twin's graph the X-axis caption of the language.
    void SetLanguageFile(const std::string& path) override;
    void SetPageFont(const QFont& font) override { m_font = font; }
    void SetColours(vexar::ui::COLORREF text, vexar::ui::COLORREF value) override;
    void SetSettings(const LAYOUT_SETTINGS& settings) override { m_settings = settings; }
    bool Create(QWidget& strip) override;
    bool IsCreated() const override { return m_bCreated; }
    QWidget* Window() override { return m_bCreated ? this : nullptr; }
    void Close() override;
    void ReloadVariables() override;
    void ApplyLanguage(const std::string& path) override { SetLanguageFile(path); }

    // A live point (the view's WM_LIVE_SAMPLE): plotted on both graphs in
    // live mode while the run switch is on, else dropped.
    void AddSample(const GRAPH_POINT& point);
    // Every trace removed, then the picker's first ten variables added.
    void AddFirstTraces();
    void LoadCaptions();

    // ---- The replay's points ----
    void OnGraphPoint(const GRAPH_POINT& point) override;
    void OnGraphPointsEnd() override;

    // ---- What the tests read ----
    Mode GetMode() const { return m_nMode; }
    int FreeSlotStart() const { return m_nFreeStart; }
    CCtrlGraph& Graph() const { return *m_graph; }
    // The twin; null when it could not be made.
    CDlgGraphFS* Twin() const { return m_twin.get(); }
    CCtrlCombo& Picker() const { return *m_picker; }
    CCtrlList& List() const { return *m_list; }
    CButtonMfc& LoadButton() const { return *m_load; }
    QPushButton& LiveButton() const { return *m_live; }
    QPushButton& ClearButton() const { return *m_clear; }
    CCtrlStatic& PathLabel() const { return *m_path; }
    CCtrlEdit& CommentField() const { return *m_comment; }
    CCtrlLed& RunSwitch() const { return *m_run; }
    CCtrlStatic& StateLabel() const { return *m_state; }

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void CreateTwin();
    void RouteCommands();
    // Runs `act` on the page's graph and on the twin's, when it exists.
    void ForEachGraph(const std::function<void(CCtrlGraph&)>& act);
    void FillLivePicker();
    void OnAddTrace();
    void OnRemoveTrace(int row);
    void RemoveAllTraces();
    void OnLoad();
    void OnBackToLive();
    void OnRunClick();
    void ShowState(bool on);
    const CTRL_TABLE& ModeTable() const;
    int FindFreeSlot() const;
    QString Text(int id) const;

    CVEXARPages& m_app;
    std::string m_strLangFile;
    QFont m_font;
    vexar::ui::COLORREF m_crText = vexar::ui::RGB(0, 0, 0);
    vexar::ui::COLORREF m_crValue = vexar::ui::RGB(0, 0, 0);
    LAYOUT_SETTINGS m_settings;

    CTRL_TABLE m_varTable;
    Mode m_nMode = kLive;
    int m_nFreeStart = 0;
    // The file replayed: its path and comment as shown, the identifiers of
    // its matched columns in column order, its unmatched columns and its
    // header's line count.
    std::vector<std::u16string> m_matchedIds;
    std::vector<std::int32_t> m_unmatched;
    std::int32_t m_nHeaderLines = 0;
    std::string m_strReplayPath;
    bool m_bCreated = false;

    std::unique_ptr<CDlgGraphFS> m_twin;
    std::unique_ptr<CScrollResizeFunc> m_scroll;
    CCtrlGraph* m_graph = nullptr;
    CCtrlCombo* m_picker = nullptr;
    CCtrlList* m_list = nullptr;
    CButtonMfc* m_load = nullptr;
    QPushButton* m_live = nullptr;
    QPushButton* m_clear = nullptr;
    CCtrlStatic* m_path = nullptr;
    CCtrlEdit* m_comment = nullptr;
    CCtrlLed* m_run = nullptr;
    CCtrlStatic* m_state = nullptr;
};
