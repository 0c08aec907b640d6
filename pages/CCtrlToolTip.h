#pragma once

// The tooltip every data-bound control gets, with its definition's
// COMMENTO: it shows 100 ms after the pointer comes to rest over the
// control, stays up to 32767 ms, never wraps its text, and shows over a
// disabled control too. A disabled widget receives no pointer events, so
// the page relays what the pointer does over its controls
// (WM_CTRL_TOOLTIP with a TOOLTIP_MSG), and the control hands the relayed
// event to its tooltip.

#include "platform/ui/MessagePayload.h"

#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <memory>
#include <string>

class QLabel;
class QTimer;
class QWidget;

// A pointer event relayed by a page to a control's tooltip.
struct TOOLTIP_MSG : vexar::ui::MessagePayload {
    QEvent::Type type = QEvent::MouseMove;  // move, press, release, leave
    QPoint globalPos;
};

class CCtrlToolTip : public QObject {
public:
    CCtrlToolTip(QWidget& control, std::u16string text);
    ~CCtrlToolTip() override;

    // A pointer event seen over the control, whether the control's own or
    // relayed by its page.
    void RelayEvent(QEvent::Type type, const QPoint& globalPos);
    bool IsShown() const;
    const QString& Text() const { return m_text; }

    static constexpr int kInitialMs = 100;
    static constexpr int kAutoPopMs = 32767;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool IsOverControl(const QPoint& globalPos) const;
    void Rest(const QPoint& globalPos);
    void Show();
    void Hide();
    void Pop();
    void Leave();

    QPointer<QWidget> m_control;
    QString m_text;
    QPoint m_lastPos;
    QTimer* m_showTimer = nullptr;
    QTimer* m_popTimer = nullptr;
    std::unique_ptr<QLabel> m_tip;  // the tip window, made at its first showing
    bool m_shown = false;
    bool m_popped = false;  // taken down by a click or its time: back once the pointer leaves
};

namespace CUtility {

// Gives `control` its tooltip with `text`; sets `attached` and returns
// true, or false when the tooltip cannot be made.
bool AttachToolTip(QWidget& control, std::unique_ptr<CCtrlToolTip>& toolTip, bool& attached, const std::u16string& text);

}  // namespace CUtility
