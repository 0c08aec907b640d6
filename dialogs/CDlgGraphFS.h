#pragma once

// The full-screen twin of the graph page: a top-level window without a
// parent holding a second graph that the page hands every trace, point and
// axis set-up its own graph gets. It has its own toolbar, so its tool mode
// and cursor are its own. The full-screen command and Cancel hide it; OK
// does nothing. It lives as long as the page.

#include "dialogs/CDialogBase.h"

class CCtrlGraph;

class CDlgGraphFS : public CDialogBase {
public:
    static constexpr int IDD = 285;
    static constexpr int IDC_GRAPH = 1214;

    CDlgGraphFS();
    ~CDlgGraphFS() override;

    CCtrlGraph& Graph() const { return *m_graph; }
    // Shows the window maximised, or hides it when it shows.
    void ToggleShown();

    bool preTranslateMessage(QWidget& target, QEvent& event) override;

protected:
    void OnOK() override {}
    void OnCancel() override { hide(); }
    void resizeEvent(QResizeEvent* event) override;

private:
    CCtrlGraph* m_graph;
};
