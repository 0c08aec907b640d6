// The page windows of the loaded configuration and what the view reads of
// their controls: the control tables and the calibration-name field.
#include "shell/CVEXARView.h"

#include "shell/CVEXARApp.h"

using namespace vexar;
using namespace vexar::shell;

void CVEXARView::ClosePageHosts()
{
    m_pCalibNameCtrl = nullptr;
    for (CTRL_TABLE** table : {&m_app.m_pParTable, &m_app.m_pParTable2, &m_app.m_pParTable3, &m_app.m_pVarTable,
                               &m_app.m_pVarTable2, &m_app.m_pAcqVarTable, &m_app.m_pDiagTable,
                               &m_app.m_pDiagTable2, &m_app.m_pDiagTable3})
        *table = nullptr;
}

void CVEXARView::CreatePageHosts() {}

GridMeasure CVEXARView::GridSize() const { return {}; }

void CVEXARView::ReadCalibrationName() {}

void CVEXARView::OnCalibNameChanged() {}
