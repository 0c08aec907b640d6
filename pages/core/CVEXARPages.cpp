#include "pages/core/CVEXARPages.h"

using vexar::link::LinkMessage;
using vexar::link::LinkPayload;
using vexar::link::UiWindow;

CVEXARPages::CVEXARPages(vexar::link::LinkTiming timing) : CVEXARLink(timing) {}

CVEXARPages::~CVEXARPages() = default;

void CVEXARPages::PostToControl(IDataCtrl* control, unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                std::unique_ptr<LinkPayload> payload) const
{
    if (m_pUiSink && control)
        m_pUiSink->Post(UiWindow::Control, control, LinkMessage{id, wParam, lParam, std::move(payload)});
}

void CVEXARPages::PostToWindow(UiWindow window, unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                               std::unique_ptr<LinkPayload> payload) const
{
    if (m_pUiSink)
        m_pUiSink->Post(window, nullptr, LinkMessage{id, wParam, lParam, std::move(payload)});
}

void CVEXARPages::RequestPollRebuild(bool hiddenChanged)
{
    if (hiddenChanged)
        PublishCtrlTables();
    PostLinkRequest(vexar::link::WM_LINK_REBUILD_POLL_LIST);
}
