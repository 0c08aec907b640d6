#pragma once

// The Qt side that every data-bound control adds to the contract: the
// window hooks over its widget, the contract's messages as they arrive
// through the windowing layer, undo on Ctrl+Z through accelerator table
// 128, the tooltip, the colours, and the control's registration with the
// link's sink while it exists, so that posts naming it reach it and posts
// naming it after it is gone are dropped.
//
//   class CCtrlCheck : public QCheckBox, public CCtrlBase { ... };

#include "pages/CCtrlToolTip.h"
#include "pages/core/CCtrlCore.h"
#include "platform/ui/ColorRef.h"
#include "platform/ui/WindowBase.h"

#include <memory>

class QWidget;

class CCtrlBase : public CCtrlCore, public vexar::ui::WindowBase {
public:
    CCtrlBase(QWidget& self, CVEXARPages& app, REC_CONTROLLO definition, bool hidden);
    ~CCtrlBase() override;

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    // Table 128 first; the key goes on as usual whatever it gave.
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

    // The tooltip with the definition's COMMENTO.
    bool AttachToolTip();
    CCtrlToolTip* ToolTip() const { return m_toolTip.get(); }

    // The control's own text and background colours.
    vexar::ui::COLORREF m_textColour = 0x000000;
    vexar::ui::COLORREF m_bkColour = 0;

protected:
    void ShowWindow(bool show) override;
    bool IsWindowShown() const override;
    void EnableWindow(bool enable) override;

private:
    std::unique_ptr<CCtrlToolTip> m_toolTip;
    bool m_bToolTip = false;
};
