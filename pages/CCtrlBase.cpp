#include "pages/CCtrlBase.h"

#include "link/LinkMessages.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/Accelerators.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/WindowState.h"

#include <QWidget>

using namespace vexar;

namespace {

link::LinkUiSinkAdapter* Adapter(CVEXARPages& app)
{
    return dynamic_cast<link::LinkUiSinkAdapter*>(app.m_pUiSink);
}

}  // namespace

CCtrlBase::CCtrlBase(QWidget& self, CVEXARPages& app, REC_CONTROLLO definition, bool hidden)
    : CCtrlCore(app, std::move(definition), hidden), WindowBase(&self)
{
    m_bkColour = ui::FromQColor(self.palette().color(QPalette::Button));
    commands().On(link::ID_EDIT_UNDO, [this] { Undo(); });
    if (link::LinkUiSinkAdapter* adapter = Adapter(app))
        adapter->RegisterControl(this, &self);
}

CCtrlBase::~CCtrlBase()
{
    if (link::LinkUiSinkAdapter* adapter = Adapter(m_app))
        adapter->UnregisterControl(this);
}

std::intptr_t CCtrlBase::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                   std::unique_ptr<ui::MessagePayload>& payload)
{
    if (id == link::WM_CTRL_TOOLTIP) {
        // The record is the window's: it goes with the message whether or
        // not a tooltip takes it.
        if (const auto* relayed = ui::PayloadAs<TOOLTIP_MSG>(payload); relayed && m_toolTip)
            m_toolTip->RelayEvent(relayed->type, relayed->globalPos);
        return 0;
    }
    if (HandleMessage(id, wParam, lParam, ui::PayloadAs<link::LinkPayload>(payload)))
        return 0;
    return WindowBase::onMessage(id, wParam, lParam, payload);
}

bool CCtrlBase::preTranslateMessage(QWidget&, QEvent& event)
{
    PagesAccelerators().Translate(*this, event);
    return false;
}

bool CCtrlBase::AttachToolTip()
{
    return CUtility::AttachToolTip(*widget(), m_toolTip, m_bToolTip, m_definition.COMMENTO);
}

void CCtrlBase::ShowWindow(bool show)
{
    ui::ShowWindow(*widget(), show ? ui::SW_SHOW : ui::SW_HIDE);
}

bool CCtrlBase::IsWindowShown() const
{
    return !widget()->isHidden();
}

void CCtrlBase::EnableWindow(bool enable)
{
    ui::EnableWindow(*widget(), enable);
}
