#pragma once

// What the view does for the pages' tests that run the real link worker:
// on the engine's control check after a whole-image read it serves one
// control per datum by force, and it counts the link's idle notices and
// the closes and steps of the progress window.

#include "link/LinkMessages.h"
#include "pages/core/CUtilityTables.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/WindowBase.h"

#include <QWidget>

namespace vexar::pagestest {

class ViewStandIn : public QWidget, public ui::WindowBase {
public:
    ViewStandIn(CVEXARPages& app, CTRL_TABLE& table) : WindowBase(this), m_app(app), m_table(table) {}
    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<ui::MessagePayload>& payload) override
    {
        if (id == link::WM_CTRL_FORCE_REFRESH)
            CUtility::ShowOneCtrlPerGroup(m_app, m_table, true);
        if (id == link::WM_LINK_IDLE)
            ++idle;
        if (id == link::WM_PROGRESS_CLOSE)
            ++progressClosed;
        if (id == link::WM_PROGRESS_STEP)
            ++progressSteps;
        return WindowBase::onMessage(id, wParam, lParam, payload);
    }
    int idle = 0;
    int progressClosed = 0;
    int progressSteps = 0;

private:
    CVEXARPages& m_app;
    CTRL_TABLE& m_table;
};

}  // namespace vexar::pagestest
