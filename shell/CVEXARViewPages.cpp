// The page windows of the loaded configuration and what the view reads of
// their controls: the control tables and the calibration-name field.
#include "shell/CVEXARView.h"

#include "common/Text.h"
#include "config/CControlliConfigurati.h"
#include "config/IDataCtrl.h"
#include "pages/CDlgTabSB.h"
#include "pages/CUtilityGrid.h"
#include "pages/core/CUtilityTables.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/WindowBase.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARApp.h"

#include <QStatusBar>

using namespace vexar;
using namespace vexar::shell;

namespace {

constexpr std::array<std::int32_t, 3> kParameterIds{5000, 5300, 5600};
constexpr std::array<std::int32_t, 3> kVariableIds{6200, 6500, 6800};
constexpr char16_t kCalibNameIdentifier[] = u"Nome_Calibrazione";

// Validates, recalculates and links a table's controls. An operand that
// names no control leaves its own formula short, never the links of the
// others; it is written to the log of the definitions the control comes
// from.
void PrepareTable(CTRL_TABLE& table, CControlliConfigurati& definitions)
{
    for (const CUtility::OPERAND_FAULT& fault : CUtility::ResolveAndLinkCtrls(table))
        definitions.LogUnresolvedOperand(fault.key, fault.identifier, fault.slot, fault.operandKey);
}

}  // namespace

void CVEXARView::ClosePageHosts()
{
    m_pCalibNameCtrl = nullptr;
    m_calibNameDefinition.reset();
    for (CTRL_TABLE** table : {&m_app.m_pParTable, &m_app.m_pParTable2, &m_app.m_pParTable3, &m_app.m_pVarTable,
                               &m_app.m_pVarTable2, &m_app.m_pAcqVarTable, &m_app.m_pDiagTable,
                               &m_app.m_pDiagTable2, &m_app.m_pDiagTable3})
        *table = nullptr;
    for (CDlgTabSB* host : {m_wndParams.get(), m_wndVars.get()}) {
        if (host && host->IsCreated()) {
            host->ClosePages();
            host->FreePages();
        }
    }
}

// The host gets its settings and the area from the screen's top-left
// corner to the status bar's right edge and top; made, it builds its pages.
void CVEXARView::CreateAcquisitionWindow(int kind, CDlgTabSB& host, bool fixedPages,
                                         const std::array<std::int32_t, 3>& ids, const REC_INTERFACCIA& layout,
                                         std::span<const REC_CONTROLLO> first,
                                         std::span<const REC_CONTROLLO> second)
{
    if (host.IsCreated())
        return;
    const std::int32_t edition = m_app.m_nEdition;
    host.m_bFixedPages = fixedPages && edition != 2 && edition != 4;
    host.m_strLangFile = m_strLangFile;
    host.m_settings = m_layout;
    host.m_nBaseIds = ids;
    const QStatusBar& bar = *m_frame.m_wndStatusBar;
    const QPoint corner = bar.mapToGlobal(QPoint(bar.width(), 0));
    host.m_rcWindow = QRect(QPoint(0, 0), QPoint(corner.x() - 1, corner.y() - 1));
    if (host.Create())
        host.CreatePages(kind, m_app.m_nOperator, layout, first, second);
}

void CVEXARView::CreatePageHosts(CControlliConfigurati& par, CControlliConfigurati& var)
{
    if (!m_wndParams)
        m_wndParams = std::make_unique<CDlgTabSB>(m_app);
    if (!m_wndVars) {
        m_wndVars = std::make_unique<CDlgTabSB>(m_app);
        GiveVariablePages(*m_wndVars);
    }

    CreateAcquisitionWindow(0, *m_wndParams, false, kParameterIds, m_parLayout, m_parRecords, m_varRecords);
    if (m_wndParams->IsCreated()) {
        m_app.m_pParTable = &m_wndParams->m_allTable;
        m_app.m_pParTable2 = &m_wndParams->m_placedTable;
        m_app.m_pParTable3 = &m_wndParams->m_statusCtrlsTable;
        PrepareTable(*m_app.m_pParTable, par);
        // The status area shows variables.
        PrepareTable(*m_app.m_pParTable3, var);
        CUtility::RefreshAllCtrls(*m_app.m_pParTable);
    }
    CreateAcquisitionWindow(1, *m_wndVars, true, kVariableIds, m_varLayout, m_varRecords, {});
    if (m_wndVars->IsCreated()) {
        m_app.m_pVarTable = &m_wndVars->m_allTable;
        m_app.m_pVarTable2 = &m_wndVars->m_placedTable;
        PrepareTable(*m_app.m_pVarTable, var);
        ConfigureAcquisitionPages();
    }
    if (m_app.m_pParTable)
        CUtility::UpdateSwitchCtrls(*m_app.m_pParTable);
    CreateDiagnosisWindow(m_diagRecords);
    ReloadMaintenanceVariables();
    // The maps of the parameter pages follow the live controls that show
    // their axis and output values; the worker sees the linked entries.
    if (m_app.m_pParTable2 && m_app.m_pVarTable) {
        CUtility::LinkGridCursors(m_app.m_pParTable2, m_parRecords, m_app.m_pVarTable);
        m_app.PublishCtrlTables();
    }
}

// A map takes the size of its rows in the page font and of its columns of
// the settings' width, each cut to the settings' maximum.
GridMeasure CVEXARView::GridSize() const
{
    QFont font;
    CUtility::CreateFontPt(font, m_layout.pageFontFace, m_layout.pageFontSize, m_layout.pageFontBold != 0);
    return [this, font](const REC_CONTROLLO& record, const LAYOUT_SETTINGS& settings) {
        const GRID_PIXELS size = CUtility::CalcGridSize(font, *this, settings, record);
        return PIXEL_SIZE{size.width, size.height};
    };
}

void CVEXARView::ReadCalibrationName()
{
    if (!m_wndParams || !m_wndParams->IsCreated() || !m_app.m_pParTable)
        return;
    m_strCalibName.clear();
    m_pCalibNameCtrl = nullptr;
    m_calibNameDefinition.reset();
    for (const CTRL_WND& entry : *m_app.m_pParTable) {
        if (entry.category != CTRL_EDIT || !entry.wnd)
            continue;
        const REC_CONTROLLO& definition = entry.wnd->GetDefinition();
        if (definition.IDENTIFICATORE != kCalibNameIdentifier)
            continue;
        if (auto* window = dynamic_cast<ui::WindowBase*>(entry.wnd))
            m_pCalibNameCtrl = window->widget();
        m_calibNameDefinition = definition;
        m_strCalibName = definition.DEFAULT;
        break;
    }
    UpdateTitle();
}

// The name is the text the field's bytes hold in the working image, up to
// its first zero byte.
void CVEXARView::OnCalibNameChanged()
{
    if (!m_pCalibNameCtrl || !m_calibNameDefinition)
        return;
    const EditBlock* edit = std::get_if<EditBlock>(&m_calibNameDefinition->GRAFICA);
    const std::int32_t first = m_calibNameDefinition->LSB;
    const std::int32_t count = edit ? edit->NUM_BYTES : 0;
    std::string bytes;
    for (std::int32_t i = 0; i < count && first + i < m_app.m_nParSize && m_app.m_pParWork; ++i) {
        const char byte = static_cast<char>(m_app.m_pParWork[static_cast<std::size_t>(first + i)]);
        if (byte == 0)
            break;
        bytes += byte;
    }
    m_strCalibName = FromCp1252(bytes);
    UpdateTitle();
}
