#pragma once

// The pre-translation of the system's message loop over Qt: every key and
// mouse event, before it reaches its widget, is shown to the windows
// (WindowBase) from that widget up through its parents: the control, its
// page, the page strip, the host and the frame. The first window whose
// preTranslateMessage returns true consumes the event: no later window and
// not the widget see it. An event no window consumes is delivered as Qt
// would deliver it, and each window sees it once, also when Qt passes it on
// to the parents of a widget that ignored it.
//
// The walk goes from a window to the window that owns it (a page host to
// its frame) but not out of a modal dialog or a popup menu, whose keys are
// theirs alone.

#include <QObject>
#include <QPointer>

#include <vector>

class QWidget;

namespace vexar::ui {

class KeyRouter : public QObject {
public:
    // Installs the router on the application once; the windows call it.
    static void Install();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit KeyRouter(QObject* parent);

    // Shows the event to the windows from `receiver` up; true when one of
    // them consumed it. `hadWindow` tells whether any window saw it.
    static bool PreTranslate(QWidget* receiver, QEvent& event, bool& hadWindow);
    // Delivers a copy of an event that no window consumed, so that the
    // parents Qt passes it on to are not shown it again.
    bool Deliver(QWidget* receiver, QEvent& event);
    bool IsPassingOn(const QWidget* receiver, const QEvent& event) const;

    struct Delivery {
        QPointer<QWidget> receiver;
        const QEvent* copy;
    };
    std::vector<Delivery> m_deliveries;
};

}  // namespace vexar::ui
