#include "pages/CDlgTabSB.h"

#include "common/CUtilityLang.h"
#include "common/Text.h"
#include "config/RecInterfaccia.h"
#include "link/LinkMessages.h"
#include "pages/Accelerators.h"
#include "pages/CCtrlTab.h"
#include "pages/CCtrlToolTip.h"
#include "pages/CDlgTabWnd.h"
#include "pages/CUtilityBuilder.h"
#include "pages/CUtilityFactory.h"
#include "pages/CUtilityGrid.h"
#include "pages/PageScroller.h"
#include "pages/core/CUtilityBuild.h"
#include "pages/core/CUtilityTables.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/OwnerDraw.h"
#include "platform/ui/WindowState.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

using namespace vexar;

namespace {

constexpr int kTabStripId = 1023;

// Language texts of the fixed pages' titles.
constexpr std::int32_t kAcqTitle = 3034;
constexpr std::int32_t kGraphTitle = 3041;
constexpr std::int32_t kMaintTitle = 3049;
constexpr std::int32_t kDiagBenzTitle = 3283;
constexpr std::int32_t kAcqBenzTitle = 3284;

QString ToQ(const std::u16string& text) { return QString::fromStdU16String(text); }

bool IsRelayedMouse(QEvent::Type type)
{
    return type == QEvent::MouseMove || type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease;
}

// A window without a status area: its grid absent, every size 1.
PAGE_GRID NoStatusArea()
{
    PAGE_GRID grid;
    grid.present = false;
    grid.cellHeight = grid.pageHeight = grid.cellWidth = grid.pageWidth = 1;
    return grid;
}

// The profiles that see the privileged fixed pages.
bool IsPrivileged(std::int32_t profile) { return profile == OPR_PRV || profile == OPR_REM || profile == OPR_SVIL; }

}  // namespace

CDlgTabSB::CDlgTabSB(CVEXARPages& app)
    : QWidget(nullptr, Qt::Window), WindowBase(this), m_app(app), m_strip(new CCtrlTab(this)),
      m_scroller(new PageScroller(*this))
{
    ui::SetDlgCtrlID(*m_strip, kTabStripId);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ui::SystemColour(ui::SysColour::ButtonFace, colours));
    setPalette(colours);
    connect(m_strip, &CCtrlTab::clicked, this, [this] { ShowPage(m_strip->GetCurSel()); });
    commands().On(link::ID_DESIGN_GRID, [this] {
        m_statusGrid.showDesignGrid = !m_statusGrid.showDesignGrid;
        repaint();
    });
    hide();
}

CDlgTabSB::~CDlgTabSB()
{
    FreePages();
    ForgetAppTables();
}

void CDlgTabSB::SetFixedPages(FIXED_PAGES pages) { m_fixed = std::move(pages); }

bool CDlgTabSB::Create()
{
    if (m_bCreated)
        return true;
    CUtility::CreateFontPt(m_pageFont, m_settings.pageFontFace, m_settings.pageFontSize, m_settings.pageFontBold != 0);
    CUtility::CreateFontPt(m_statusFont, m_settings.barFontFace, m_settings.barFontSize, m_settings.barFontBold != 0);
    CUtility::CreateFontPt(m_gaugeFont, u"MS Sans Serif", 8, true);
    m_strip->setFont(m_pageFont);
    m_strip->m_textColour = m_settings.textColour;
    m_bCreated = true;
    hide();
    return true;
}

// ---- Building ----------------------------------------------------------------------------------

CTRL_CREATE CDlgTabSB::BuildArgs(std::int32_t profile, const QFont& font, std::int32_t baseId,
                                 std::int32_t imageFamily, bool hidden)
{
    CTRL_CREATE args;
    args.app = &m_app;
    args.languageFile = m_strLangFile;
    args.font = font;
    args.secondFont = m_gaugeFont;
    args.parent = this;
    args.grid = m_statusGrid;
    args.development = m_app.m_bOprSvil;
    args.limited = m_app.m_bOprLimit;
    args.settings = m_settings;
    args.baseId = baseId;
    args.imageFamily = imageFamily;
    args.hidden = hidden;
    args.profile = profile;
    return args;
}

void CDlgTabSB::CreatePages(std::int32_t imageFamily, std::int32_t profile, const REC_INTERFACCIA& layout,
                            std::span<const REC_CONTROLLO> first, std::span<const REC_CONTROLLO> second)
{
    m_nImageFamily = imageFamily;
    BuildStatusGrid(layout);
    setWindowTitle(ToQ(layout.TITOLO));
    BuildConfiguredPages(BuildArgs(profile, m_pageFont, m_nBaseIds[0], imageFamily, false), layout, first);

    if (m_statusGrid.present && !second.empty()) {
        CUtility::BuildPage(layout.BARRA_STATO, m_statusTable, second,
                            BuildArgs(profile, m_statusFont, m_nBaseIds[1], 1, false), &m_statusLabels);
        CUtility::SortByIdentifier(m_statusTable);
        m_statusCtrlsTable = CUtility::WithoutKeys(m_statusTable, m_unplacedTable);
    }
    // The definitions no page places: built hidden, without a tab, so that
    // every definition has its control.
    const REC_PAGINA& unplaced = layout.CARTELLA_NASCOSTA.PAGINA;
    if (!unplaced.CONTROLLI.empty())
        CUtility::BuildPage(unplaced, m_unplacedTable, first,
                            BuildArgs(profile, m_pageFont, m_nBaseIds[2], imageFamily, true), nullptr);
    BuildAllControls(first);
    AddFixedPages(profile);
    RebuildTabs(profile);
}

void CDlgTabSB::BuildStatusGrid(const REC_INTERFACCIA& layout)
{
    m_statusGrid = PAGE_GRID{};
    if (layout.PRESENTE == PRES_SI) {
        const REC_PAGINA& bar = layout.BARRA_STATO;
        m_statusGrid.cellHeight = bar.RIGHE;
        m_statusGrid.pageHeight = bar.ALTEZZA_PAGINA;
        m_statusGrid.cellWidth = bar.COLONNE;
        m_statusGrid.pageWidth = bar.LARGHEZZA_PAGINA;
    } else {
        m_statusGrid = NoStatusArea();
    }
    CalcLayout();
    CUtility::CalcRowsCols(m_statusGrid);
}

void CDlgTabSB::BuildConfiguredPages(const CTRL_CREATE& build, const REC_INTERFACCIA& layout,
                                     std::span<const REC_CONTROLLO> first)
{
    for (const REC_CARTELLA& tab : layout.CARTELLE) {
        CDlgTabWnd* page = nullptr;
        if (CUtility::CreateTabPage(build, *m_strip, tab, first, page))
            m_pages.emplace_back(1, tab.OPERATORE, tab.ETICHETTA, page);
    }
}

void CDlgTabSB::BuildAllControls(std::span<const REC_CONTROLLO> first)
{
    if (first.empty())
        return;
    m_allTable.clear();
    m_allTable.reserve(first.size());
    for (const CDlgTabWnd* page : ConfiguredPages())
        m_allTable.insert(m_allTable.end(), page->m_table.begin(), page->m_table.end());
    m_allTable.insert(m_allTable.end(), m_unplacedTable.begin(), m_unplacedTable.end());
    CUtility::SortByIdentifier(m_allTable);
    m_placedTable = CUtility::WithoutKeys(m_allTable, m_unplacedTable);
}

std::vector<CDlgTabWnd*> CDlgTabSB::ConfiguredPages() const
{
    std::vector<CDlgTabWnd*> pages;
    for (const CWndInfo& info : m_pages)
        if (info.flag == 1)
            if (auto* page = dynamic_cast<CDlgTabWnd*>(info.window))
                pages.push_back(page);
    return pages;
}

// The petrol window: no status area, its one fixed page, tabs as the
// public operator sees them.
bool CDlgTabSB::CreatePetrolPage()
{
    m_nKind = kPetrol;
    m_statusGrid = NoStatusArea();
    CalcLayout();
    const bool made = AddFixedPage(m_fixed.diagBenz.get(), kDiagBenzTitle, 0);
    RebuildTabs(OPR_PBL);
    return made;
}

// ---- Fixed pages -------------------------------------------------------------------------------

void CDlgTabSB::AddFixedPages(std::int32_t profile)
{
    if (!m_bFixedPages) {
        m_nKind = kWithoutFixedPages;
        return;
    }
    m_nKind = kWithFixedPages;
    AddFixedPage(m_fixed.acq.get(), kAcqTitle, 0);
    AddFixedPage(m_fixed.graph.get(), kGraphTitle, 0);
    AddPrivilegedPages(profile);
}

bool CDlgTabSB::AddPrivilegedPages(std::int32_t profile)
{
    if (!IsPrivileged(profile))
        return false;
    AddFixedPage(m_fixed.acqBenz.get(), kAcqBenzTitle, 0);
    return AddFixedPage(m_fixed.maint.get(), kMaintTitle, profile);
}

bool CDlgTabSB::AddFixedPage(IFixedPage* page, std::int32_t textId, std::int32_t type)
{
    if (!page)
        return false;
    page->SetLanguageFile(m_strLangFile);
    page->SetPageFont(m_pageFont);
    page->SetColours(m_settings.textColour, m_settings.valueColour);
    page->SetSettings(m_settings);
    if (!page->Create(*m_strip) || !page->Window())
        return false;
    m_pages.emplace_back(0, type, CUtility::LoadLangString(m_strLangFile, textId), page->Window());
    return true;
}

void CDlgTabSB::RemoveFixedPage(IFixedPage* page)
{
    if (!page || !page->IsCreated())
        return;
    const QWidget* window = page->Window();
    std::erase_if(m_pages, [window](const CWndInfo& info) { return info.flag == 0 && info.window == window; });
    page->Close();
}

bool CDlgTabSB::IsNamedFixedPage(const QWidget* window)
{
    for (IFixedPage* page : {m_fixed.acq.get(), m_fixed.graph.get(), m_fixed.maint.get()})
        if (page && page->IsCreated() && page->Window() == window)
            return true;
    return false;
}

// ---- Tabs and pages ----------------------------------------------------------------------------

void CDlgTabSB::RebuildTabs(std::int32_t profile)
{
    m_tabMap.clear();
    m_strip->DeleteAllItems();
    int number = 1;
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (!CUtility::ProfileShows(profile, m_pages[i].type))
            continue;
        m_tabMap.push_back(static_cast<int>(i));
        m_strip->InsertItem(m_strip->GetItemCount(), vexar::Format(u"F%d - %s", number++, m_pages[i].name));
    }
    PlacePages();
    for (const CWndInfo& info : m_pages)
        if (info.window)
            info.window->hide();
    m_nCurTab = -1;
    ShowPage(0);
}

// The pages lie under the tabs, which exist only now.
void CDlgTabSB::PlacePages()
{
    const QRect area = CDlgTabWnd::DisplayArea(*m_strip);
    for (const CWndInfo& info : m_pages) {
        if (auto* page = dynamic_cast<CDlgTabWnd*>(info.window))
            page->PlaceInStrip();
        else if (info.window)
            info.window->setGeometry(area);
    }
}

QWidget* CDlgTabSB::WindowOfTab(int tab) const
{
    if (tab < 0 || tab >= static_cast<int>(m_tabMap.size()))
        return nullptr;
    const int index = m_tabMap[static_cast<std::size_t>(tab)];
    if (index < 0 || index >= static_cast<int>(m_pages.size()))
        return nullptr;
    return m_pages[static_cast<std::size_t>(index)].window;
}

int CDlgTabSB::TabOf(const QWidget* window) const
{
    for (int tab = 0; tab < static_cast<int>(m_tabMap.size()); ++tab)
        if (WindowOfTab(tab) == window)
            return tab;
    return -1;
}

void CDlgTabSB::ShowPage(int tab)
{
    if (tab < 0)
        return;
    if (tab == m_nCurTab) {
        if (QWidget* window = WindowOfTab(tab))
            CUtility::ShowAndFocus(*window, ui::SW_SHOW);
    } else {
        if (QWidget* shown = WindowOfTab(m_nCurTab))
            shown->hide();
        m_nCurTab = -1;
        QWidget* window = WindowOfTab(tab);
        if (!window)
            return;
        m_bConfiguredPage = !IsNamedFixedPage(window);
        if (m_fixed.graph && m_fixed.graph->IsCreated() && m_fixed.graph->Window() == window)
            m_fixed.graph->ReloadVariables();
        CUtility::ShowAndFocus(*window, ui::SW_SHOW);
        m_nCurTab = tab;
    }
    UpdateLinkFlags();
    if (m_bFixedPages)
        RequestPollRebuild();
}

void CDlgTabSB::SelectTab(int tab)
{
    m_strip->SetCurSel(tab);
    ShowPage(tab);
}

void CDlgTabSB::HideHost()
{
    if (m_bFixedPages && m_fixed.acq && m_fixed.acq->IsCreated() && m_app.m_bRecording)
        return;
    hide();
    UpdateLinkFlags();
    if (m_nKind == kWithoutFixedPages || m_nKind == kWithFixedPages)
        RequestPollRebuild();
}

void CDlgTabSB::UpdateTabTitles(const std::string& languageFile)
{
    m_strLangFile = languageFile;
    // The maps' change dialogs take their texts from the new file.
    CUtility::SetGridLanguageFile(m_allTable, languageFile);
    CUtility::SetGridLanguageFile(m_statusTable, languageFile);
    const std::pair<IFixedPage*, std::int32_t> titled[] = {
        {m_fixed.acq.get(), kAcqTitle}, {m_fixed.graph.get(), kGraphTitle}, {m_fixed.maint.get(), kMaintTitle}};
    for (const auto& [page, textId] : titled) {
        if (!page || !page->IsCreated())
            continue;
        const int tab = TabOf(page->Window());
        if (tab < 0)
            continue;
        m_strip->SetItemText(tab, CUtility::LoadLangString(languageFile, textId));
        page->ApplyLanguage(languageFile);
    }
}

void CDlgTabSB::ApplyProfile(std::int32_t profile)
{
    for (CDlgTabWnd* page : ConfiguredPages()) {
        for (const CTRL_WND& entry : page->m_table)
            CUtility::ShowCtrlByCategory(profile, entry);
        CUtility::ShowWindowsByMode(profile, page->m_labels);
    }
    for (const CTRL_WND& entry : m_statusTable)
        CUtility::ShowCtrlByCategory(profile, entry);
    if (m_bFixedPages) {
        RemoveFixedPage(m_fixed.acqBenz.get());
        RemoveFixedPage(m_fixed.maint.get());
        if (AddPrivilegedPages(profile))
            m_fixed.maint->ReloadVariables();
        for (IFixedPage* page : {m_fixed.acq.get(), m_fixed.graph.get()})
            if (page && page->IsCreated())
                page->ReloadVariables();
    }
    RebuildTabs(m_app.m_nOperator);
    CUtility::ShowWindowsByMode(profile, m_statusLabels);
}

// ---- Teardown ----------------------------------------------------------------------------------

void CDlgTabSB::Unpublish()
{
    const bool published = !m_allTable.empty() || !m_placedTable.empty() || !m_statusCtrlsTable.empty();
    m_allTable.clear();
    m_placedTable.clear();
    m_statusCtrlsTable.clear();
    if (published)
        m_app.PublishCtrlTables();
}

void CDlgTabSB::ClosePages()
{
    Unpublish();
    for (CDlgTabWnd* page : ConfiguredPages())
        page->ClosePage();
    for (IFixedPage* page : {m_fixed.acq.get(), m_fixed.graph.get()})
        if (page && page->IsCreated())
            page->Close();
    RemoveFixedPage(m_fixed.acqBenz.get());
    RemoveFixedPage(m_fixed.maint.get());
    if (m_fixed.diagBenz && m_fixed.diagBenz->IsCreated())
        m_fixed.diagBenz->Close();
    CUtility::DestroyCtrls(m_statusTable);
    CUtility::DestroyCtrls(m_unplacedTable);
    CUtility::DestroyWindows(m_statusLabels);
    m_bCreated = false;
    hide();
    UpdateLinkFlags();
}

void CDlgTabSB::FreePages()
{
    Unpublish();
    m_nCurTab = -1;
    m_tabMap.clear();
    m_strip->DeleteAllItems();
    for (const CWndInfo& info : m_pages)
        if (info.flag == 1)
            delete info.window;
    m_pages.clear();
    CUtility::DeleteCtrls(m_statusTable);
    CUtility::DeleteCtrls(m_unplacedTable);
    CUtility::DeleteWindows(m_statusLabels);
    m_pageFont = m_statusFont = m_gaugeFont = QFont();
}

void CDlgTabSB::ForgetAppTables()
{
    const CTRL_TABLE* own[] = {&m_allTable, &m_placedTable, &m_statusCtrlsTable, &m_statusTable, &m_unplacedTable};
    bool forgot = false;
    for (CTRL_TABLE** pointer : {&m_app.m_pParTable, &m_app.m_pParTable2, &m_app.m_pParTable3, &m_app.m_pVarTable,
                                 &m_app.m_pVarTable2}) {
        if (std::find(std::begin(own), std::end(own), *pointer) != std::end(own)) {
            *pointer = nullptr;
            forgot = true;
        }
    }
    if (forgot)
        m_app.PublishCtrlTables();
}

// ---- The link's view ---------------------------------------------------------------------------

void CDlgTabSB::UpdateLinkFlags()
{
    if (m_nKind == kPetrol)
        return;
    const bool shown = m_bCreated && isVisible();
    if (m_nImageFamily == 1)
        m_app.m_bVarPageShown = shown && m_bConfiguredPage;
    else if (m_nImageFamily == 0)
        m_app.m_bParWindowShown = shown;
}

void CDlgTabSB::RequestPollRebuild() { m_app.PostLinkRequest(link::WM_LINK_REBUILD_POLL_LIST); }

// ---- Layout and scrolling ----------------------------------------------------------------------

void CDlgTabSB::CalcLayout()
{
    // The rectangle is the window's outer one: on a desktop the title bar
    // lies inside it, not above the screen's top.
    if (m_rcWindow.isValid())
        ui::SetWindowRect(*this, m_rcWindow);
    LayoutClient();
}

// The tab strip and the status area over the client area as it is now.
void CDlgTabSB::LayoutClient()
{
    const PAGE_RECT client{0, 0, width(), height()};
    m_rcContent = QRect(0, 0, std::max(width(), m_statusGrid.pageWidth), std::max(height(), m_statusGrid.pageHeight));
    // The status area is as high as the settings make it, and at least as
    // high as its page with the margins around it, so that no control of
    // it is cut at the bottom.
    const std::int32_t margin = m_settings.margin;
    const std::int32_t statusHeight = m_statusGrid.present
                                          ? std::max(m_settings.barHeight, m_statusGrid.pageHeight + 2 * margin)
                                          : m_settings.barHeight;
    PAGE_RECT top;
    PAGE_RECT bottom;
    CUtility::SplitClientRect(statusHeight, client, client, top, bottom);
    m_statusGrid.area = {bottom.left + margin, bottom.top + margin, bottom.right - margin, bottom.bottom - margin};
    const PAGE_RECT strip = m_statusGrid.present ? top : client;
    m_strip->setGeometry(strip.left, strip.top, strip.Width(), strip.Height());
    m_scroller->SetContent(m_rcContent.width(), m_rcContent.height());
    m_scroller->FitClient(size());
}

bool CDlgTabSB::IsShownUsable() const { return m_bCreated && isVisible() && !isMinimized(); }

void CDlgTabSB::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // A window manager framing the window, or the user, may change its size
    // after the layout: the strip follows.
    if (m_bCreated && !isMinimized())
        LayoutClient();
    m_scroller->PlaceBars();
    if (IsShownUsable())
        m_scroller->FitClient(size());
}

void CDlgTabSB::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    const PAGE_GRID& grid = m_statusGrid;
    if (!m_bCreated || !isVisible() || !grid.present || !grid.showDesignGrid || grid.rows < 0 || grid.cols < 0)
        return;
    QPainter painter(this);
    CUtility::PaintPageGrid(painter, grid, m_scroller->Offset());
}

// ---- Messages and keys -------------------------------------------------------------------------

std::intptr_t CDlgTabSB::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                   std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case link::WM_SELECT_PAGE: {
        const int tab = static_cast<int>(wParam) - 1;
        if (tab < m_strip->GetItemCount())
            SelectTab(tab);
        return 0;
    }
    case ui::WM_CLOSE:
        HideHost();
        return 0;
    default:
        return WindowBase::onMessage(id, wParam, lParam, payload);
    }
}

bool CDlgTabSB::preTranslateMessage(QWidget&, QEvent& event)
{
    if (event.type() == QEvent::KeyPress) {
        const int key = CUtility::GetFunctionKey(event);
        if (key != 0 && key - 1 < m_strip->GetItemCount()) {
            SelectTab(key - 1);
            return true;
        }
        return PagesAccelerators().Translate(*this, event);
    }
    if (IsRelayedMouse(event.type()))
        RelayToStatusControls(event);
    return false;
}

// Every status control under the pointer gets its own copy of the event
// for its tooltip, enabled or not.
void CDlgTabSB::RelayToStatusControls(const QEvent& event)
{
    for (const CTRL_WND& entry : m_statusCtrlsTable)
        CUtility::RelayToolTipEvent(entry, event);
}

void CDlgTabSB::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    UpdateLinkFlags();
}

void CDlgTabSB::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    UpdateLinkFlags();
}

// Closing the window hides it.
void CDlgTabSB::closeEvent(QCloseEvent* event)
{
    event->ignore();
    HideHost();
}

void CDlgTabSB::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        CUtility::ShowAndFocus(*this, ui::SW_SHOW);
    QWidget::mousePressEvent(event);
}

// The keys no page and no control took: Escape (Cancel) and Enter (OK)
// hide the window.
void CDlgTabSB::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        HideHost();
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
