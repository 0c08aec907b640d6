#include "pages/CCtrlCmdTarget.h"

#include "pages/CCtrlNumEdit.h"
#include "platform/ui/Messages.h"

CCtrlCmdTarget::~CCtrlCmdTarget() { Disconnect(); }

bool CCtrlCmdTarget::Connect(CCtrlNumEdit& control)
{
    Disconnect();
    m_control = &control;
    m_connection = QObject::connect(&control, &CCWNumEdit::valueEdited, &control,
                                    [this](double value) { OnValueChanged(value); });
    return IsConnected();
}

void CCtrlCmdTarget::Disconnect()
{
    if (m_connection)
        QObject::disconnect(m_connection);
    m_connection = {};
    m_control = nullptr;
}

void CCtrlCmdTarget::OnValueChanged(double value)
{
    if (!m_control || !IsConnected())
        return;
    vexar::ui::PostMessage(m_control.data(),
                           {WM_NUMEDIT_VALUE, 0, 0, std::make_unique<NUMEDIT_VALUE>(value)});
}
