// The variable window's acquisition, graph and maintenance pages: made
// with the window, told about each loaded configuration, and fed the live
// points and the link's answers.
#include "shell/CVEXARView.h"

#include "dialogs/CDlgAcq.h"
#include "dialogs/CDlgAcqBenz.h"
#include "dialogs/CDlgGraph.h"
#include "dialogs/CDlgMaint.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/CDlgTabSB.h"
#include "shell/CVEXARApp.h"

#include <mutex>

using namespace vexar;

void CVEXARView::GiveVariablePages(CDlgTabSB& host)
{
    FIXED_PAGES pages;
    auto acq = std::make_unique<CDlgAcq>(m_app);
    auto graph = std::make_unique<CDlgGraph>(m_app);
    m_pDlgAcq = acq.get();
    m_pDlgGraph = graph.get();
    m_app.Sink().RegisterWindow(link::UiWindow::AcqPage, m_pDlgAcq);
    m_app.Sink().RegisterWindow(link::UiWindow::GraphPage, m_pDlgGraph);
    // The petrol acquisition page, shown to the privileged profiles.
    auto acqBenz = std::make_unique<CDlgAcqBenz>(m_app);
    m_pDlgAcqBenz = acqBenz.get();
    m_app.Sink().RegisterWindow(link::UiWindow::PetrolAcqPage, m_pDlgAcqBenz);
    WatchPetrolWindow(&host);
    WatchPetrolWindow(m_pDlgAcqBenz);
    pages.acq = std::move(acq);
    pages.graph = std::move(graph);
    pages.acqBenz = std::move(acqBenz);
    auto maint = std::make_unique<CDlgMaint>(m_app);
    m_pDlgMaint = maint.get();
    m_pDlgMaint->m_diagTable = [this] { return static_cast<const CTRL_TABLE*>(m_app.m_pDiagTable); };
    m_pDlgMaint->m_screenSize = [this] { return m_app.ScreenSize(); };
    m_app.Sink().RegisterWindow(link::UiWindow::MaintPage, m_pDlgMaint);
    pages.maint = std::move(maint);
    host.SetFixedPages(std::move(pages));
}

void CVEXARView::ConfigureAcquisitionPages()
{
    std::u16string configName;
    {
        std::lock_guard lock(m_app.m_csIdent);
        configName = m_app.m_strConfigName;
    }
    if (m_pDlgAcq && m_pDlgAcq->IsCreated()) {
        m_pDlgAcq->m_strEcuFamily = m_strEcuFamily;
        m_pDlgAcq->m_strConfigName = configName;
        const std::string& par = m_strConfigPaths[0];
        m_pDlgAcq->m_strSelectionPath = par.substr(0, par.find_last_of('/') + 1) + "Acq.cfg";
        m_pDlgAcq->AttachSelection();
        m_pDlgAcq->ReloadVariables();
    }
    if (m_pDlgGraph && m_pDlgGraph->IsCreated()) {
        m_pDlgGraph->m_strEcuFamily = m_strEcuFamily;
        m_pDlgGraph->m_strConfigName = configName;
        m_pDlgGraph->ReloadVariables();
    }
    m_app.m_bLiveSampleTarget = m_pDlgGraph && m_pDlgGraph->IsCreated();
    m_app.PublishCtrlTables();
}

void CVEXARView::OnLiveSample(const std::unique_ptr<ui::MessagePayload>& payload)
{
    const auto* point = link::LinkRecord<link::GRAPH_POINT_MESSAGE>(payload);
    if (point && m_pDlgGraph && m_pDlgGraph->IsCreated())
        m_pDlgGraph->AddSample(point->point);
}

// After a load, once the diagnosis window holds its rows: the
// maintenance page lists the variables and the rows.
void CVEXARView::ReloadMaintenanceVariables()
{
    if (m_pDlgMaint && m_pDlgMaint->IsCreated())
        m_pDlgMaint->ReloadVariables();
}

// The diagnosis rows are about to go: no choice of the maintenance page
// may name one of them.
void CVEXARView::ForgetMaintenanceVariables()
{
    if (m_pDlgMaint)
        m_pDlgMaint->ForgetVariables();
}
