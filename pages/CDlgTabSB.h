#pragma once

// A page host: the top-level window of one of the three working windows
// (parameters, variables, petrol). Its tab strip holds the configured
// pages of a window layout, titled "F%d - name" over the tabs the operator
// profile may see, and the fixed pages of the feature dialogs; the
// parameter window adds a status area at its bottom with live values and
// their free texts. Controls that no page places are built too, hidden,
// so that every definition has its control. The host keeps the control
// tables the rest of the program reaches the window's controls through,
// and tells the link worker which of its controls are on show.
//
// Closing the window hides it; its controls live on, refreshed and saved,
// until ClosePages and FreePages tear everything down before the next
// configuration load. The object may then be created and filled again.

#include "config/CtrlWnd.h"
#include "config/RecControllo.h"
#include "pages/CUtilityPages.h"
#include "pages/CWndInfo.h"
#include "pages/CtrlCreate.h"
#include "pages/IFixedPage.h"
#include "pages/core/LayoutSettings.h"
#include "pages/core/PageGrid.h"
#include "platform/ui/WindowBase.h"

#include <QFont>
#include <QRect>
#include <QWidget>

#include <array>
#include <span>
#include <string>
#include <vector>

class CCtrlTab;
class CDlgTabWnd;
class CVEXARPages;
class PageScroller;
struct REC_INTERFACCIA;

class CDlgTabSB : public QWidget, public vexar::ui::WindowBase {
public:
    // Host kinds.
    static constexpr int kWithoutFixedPages = 0;
    static constexpr int kWithFixedPages = 1;
    static constexpr int kPetrol = 2;

    explicit CDlgTabSB(CVEXARPages& app);
    // Frees everything, and takes the host's tables out of the application
    // object's table pointers.
    ~CDlgTabSB() override;

    // ---- Set by the view before Create ----
    std::string m_strLangFile;
    LAYOUT_SETTINGS m_settings;
    // Base window ids of the configured pages, the status area and the
    // unplaced area.
    std::array<std::int32_t, 3> m_nBaseIds{5000, 5300, 5600};
    QRect m_rcWindow;
    // The variable window has the fixed pages (not in editions 2 and 4).
    bool m_bFixedPages = false;
    // The fixed pages the host may show; it owns them from here on.
    void SetFixedPages(FIXED_PAGES pages);

    // Makes the window, hidden: its fonts from the settings and the gauge
    // font, the strip's font and text colour. Nothing when it is made.
    bool Create();
    bool IsCreated() const { return m_bCreated; }

    // Builds the window from its layout: the configured pages from `first`,
    // the status area from `second` (the parameter window's variables;
    // empty for none), the unplaced controls, the tables, the fixed pages,
    // and the tabs for `profile`.
    void CreatePages(std::int32_t imageFamily, std::int32_t profile, const REC_INTERFACCIA& layout,
                     std::span<const REC_CONTROLLO> first, std::span<const REC_CONTROLLO> second);
    // The petrol window: the petrol-side trouble-code page alone, without
    // a status area. False when the page cannot be made.
    bool CreatePetrolPage();

    // The tabs for `profile`: one per page it may see, "F1 - ", "F2 - " ...
    // in page order; then the first tab shown.
    void RebuildTabs(std::int32_t profile);
    // Shows tab `tab`'s page. The tab already shown is brought forward.
    void ShowPage(int tab);
    // Hides the window, unless its acquisition page is recording.
    void HideHost();
    // After a language change: the fixed pages' tabs carry their bare
    // titles in the new language, and the pages take the new file.
    void UpdateTabTitles(const std::string& languageFile);
    // After a profile change: every control and free text shown and
    // enabled for `profile`, the privileged fixed pages made or removed,
    // the tabs rebuilt for the application's profile.
    void ApplyProfile(std::int32_t profile);
    // Destroys every window of the host (its tables emptied and published
    // first), and hides the host.
    void ClosePages();
    // Deletes the pages and controls and empties every table.
    void FreePages();
    void CalcLayout();
    void LayoutClient();

    CCtrlTab& Strip() const { return *m_strip; }
    PageScroller& Scroller() const { return *m_scroller; }
    int CurrentTab() const { return m_nCurTab; }
    int Kind() const { return m_nKind; }
    // Set while the page shown last is a configured page (none of the
    // acquisition, graph and maintenance pages).
    bool ShowsConfiguredPage() const { return m_bConfiguredPage; }
    // The configured pages, in page-list order.
    std::vector<CDlgTabWnd*> ConfiguredPages() const;
    const FIXED_PAGES& FixedPages() const { return m_fixed; }

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

    // ---- Tables ----
    CTRL_TABLE m_allTable;          // every control of the configured pages and the unplaced area
    CTRL_TABLE m_placedTable;       // the same without the unplaced area
    CTRL_TABLE m_statusCtrlsTable;  // the status area's controls
    CTRL_TABLE m_statusTable;       // the status area's table as built
    CTRL_TABLE m_unplacedTable;     // the unplaced area's table
    LABEL_TABLE m_statusLabels;
    PAGE_GRID m_statusGrid;

    std::vector<CWndInfo> m_pages;
    std::vector<int> m_tabMap;  // the page-list index of every tab

    QFont m_pageFont;
    QFont m_statusFont;
    QFont m_gaugeFont;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CTRL_CREATE BuildArgs(std::int32_t profile, const QFont& font, std::int32_t baseId, std::int32_t imageFamily,
                          bool hidden);
    void BuildStatusGrid(const REC_INTERFACCIA& layout);
    void BuildConfiguredPages(const CTRL_CREATE& build, const REC_INTERFACCIA& layout,
                              std::span<const REC_CONTROLLO> first);
    void BuildAllControls(std::span<const REC_CONTROLLO> first);
    void AddFixedPages(std::int32_t profile);
    // True when the maintenance page was made.
    bool AddPrivilegedPages(std::int32_t profile);
    bool AddFixedPage(IFixedPage* page, std::int32_t textId, std::int32_t type);
    void RemoveFixedPage(IFixedPage* page);
    // The acquisition, graph and maintenance pages: the host knows them by
    // identity, whatever their titles say.
    bool IsNamedFixedPage(const QWidget* window);
    int TabOf(const QWidget* window) const;
    QWidget* WindowOfTab(int tab) const;
    void SelectTab(int tab);
    void PlacePages();
    void RelayToStatusControls(const QEvent& event);
    // The worker's view of the host: which window shows, on which page.
    void UpdateLinkFlags();
    void RequestPollRebuild();
    // Empties the tables the application reaches and publishes them, so
    // that the worker names none of the host's controls.
    void Unpublish();
    void ForgetAppTables();
    bool IsShownUsable() const;

    CVEXARPages& m_app;
    CCtrlTab* m_strip;
    PageScroller* m_scroller;
    FIXED_PAGES m_fixed;
    int m_nCurTab = -1;
    bool m_bConfiguredPage = false;
    int m_nKind = kWithoutFixedPages;
    std::int32_t m_nImageFamily = -1;
    bool m_bCreated = false;
    QRect m_rcContent;
};
