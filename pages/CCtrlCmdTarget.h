#pragma once

// The event sink of a numeric field: it listens to the user's edits of the
// field only (a typed number, a step of its buttons or keys), never to the
// values the program puts into it, and posts each edit to the control as
// WM_NUMEDIT_VALUE with the value as the message's record. The control so
// reacts (clamp, commit, write, hand on) from the message loop, never
// inside the widget's own notification. An edit still queued when the
// control goes is dropped with it.

#include "link/LinkMessages.h"
#include "platform/ui/MessagePayload.h"

#include <QMetaObject>
#include <QPointer>

class CCtrlNumEdit;

// The field's own message: a value the user entered.
inline constexpr unsigned WM_NUMEDIT_VALUE = vexar::link::WM_APP + 17;

// The record of WM_NUMEDIT_VALUE.
struct NUMEDIT_VALUE : vexar::ui::MessagePayload {
    explicit NUMEDIT_VALUE(double v) : value(v) {}
    double value;
};

class CCtrlCmdTarget {
public:
    CCtrlCmdTarget() = default;
    ~CCtrlCmdTarget();
    CCtrlCmdTarget(const CCtrlCmdTarget&) = delete;
    CCtrlCmdTarget& operator=(const CCtrlCmdTarget&) = delete;

    // Listens to the user's edits of `control`'s field from now on; false
    // when the connection cannot be made.
    bool Connect(CCtrlNumEdit& control);
    // Stops listening; the control is told of no edit after this.
    void Disconnect();
    bool IsConnected() const { return static_cast<bool>(m_connection); }

    // One edit of the user: posted to the control while connected.
    void OnValueChanged(double value);

private:
    QPointer<CCtrlNumEdit> m_control;
    QMetaObject::Connection m_connection;
};
