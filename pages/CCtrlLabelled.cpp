#include "pages/CCtrlLabelled.h"

#include "config/CUtilityCtrl.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlStatic.h"
#include "pages/CUtilityLabels.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/WindowState.h"

#include <QWidget>

using namespace vexar;

CCtrlLabelled::CCtrlLabelled(QWidget& self, CVEXARPages& app, REC_CONTROLLO definition, bool hidden)
    : CCtrlBase(self, app, std::move(definition), hidden)
{
}

CCtrlLabelled::~CCtrlLabelled()
{
    // The labels are children of the page: those the page has not taken
    // with it yet go with the control.
    for (const QPointer<CCtrlStatic>& label : m_labels)
        delete label.data();
}

void CCtrlLabelled::AddLabel(CCtrlStatic* label)
{
    if (label)
        m_labels.emplace_back(label);
}

void CCtrlLabelled::MakeLabels(const CTRL_CREATE& args, bool withUnit, bool disabled)
{
    LabelSlot caption;
    LabelSlot unit;
    CUtility::CreateCtrlLabels(args, widget()->geometry(),
                               args.development ? m_definition.IDENTIFICATORE : m_definition.ETICHETTA,
                               m_definition.UNITA, disabled, &caption, withUnit ? &unit : nullptr);
    AddLabel(caption.release());
    AddLabel(unit.release());
}

std::vector<REC_PALLINO>* CCtrlLabelled::GridCursors()
{
    return CUtility::IsLiveCategory(m_definition.CATEGORIA) ? &m_gridCursors : nullptr;
}

std::intptr_t CCtrlLabelled::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                       std::unique_ptr<ui::MessagePayload>& payload)
{
    const std::intptr_t result = CCtrlBase::onMessage(id, wParam, lParam, payload);
    // The maps this value drives move their markers after every refresh.
    if (id == link::WM_CTRL_REFRESH && UsesVariableImages() && m_app.m_pVarMaster && m_app.m_pVarWork)
        CUtility::NotifyGridCursors(m_app, m_gridCursors);
    return result;
}

void CCtrlLabelled::ShowWindow(bool show)
{
    CCtrlBase::ShowWindow(show);
    for (const QPointer<CCtrlStatic>& label : m_labels)
        if (label)
            ui::ShowWindow(*label, show ? ui::SW_SHOW : ui::SW_HIDE);
}

void CCtrlLabelled::ShowEnabled(bool profileEnabled, bool linkEnabled)
{
    const bool enable = profileEnabled && linkEnabled;
    CCtrlBase::ShowEnabled(profileEnabled, linkEnabled);
    for (const QPointer<CCtrlStatic>& label : m_labels)
        if (label)
            ui::EnableWindow(*label, enable);
}
