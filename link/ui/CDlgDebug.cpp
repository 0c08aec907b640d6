#include "link/ui/CDlgDebug.h"

#include "link/ILinkUiSink.h"
#include "link/LinkMessages.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "platform/ui/DialogRequests.h"
#include "platform/ui/WindowState.h"

#include <QScrollBar>

namespace vexar::link {

CDlgDebug::CDlgDebug(std::atomic<const void*>& traceTarget, LinkUiSinkAdapter* sink, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowStaysOnTopHint), WindowBase(this), m_traceTarget(traceTarget),
      m_sink(sink), m_list(this), m_freeze(QStringLiteral("Blocca aggiornamento"), this),
      m_clear(QStringLiteral("Azzera Lista"), this), m_ok(QStringLiteral("OK"), this),
      m_cancel(QStringLiteral("Cancel"), this)
{
    setModal(false);
    setWindowTitle(QStringLiteral("Debug"));
    setSizeGripEnabled(true);
    resize(560, 420);

    ui::SetDlgCtrlID(m_list, IDC_LIST);
    ui::SetDlgCtrlID(m_freeze, IDC_FREEZE);
    ui::SetDlgCtrlID(m_clear, IDC_CLEAR);
    ui::SetDlgCtrlID(m_ok, ui::IDOK);
    ui::SetDlgCtrlID(m_cancel, ui::IDCANCEL);
    // One line per step, so the scroll position is the first line shown.
    m_list.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_list.setUniformItemSizes(true);
    m_list.setSelectionMode(QAbstractItemView::SingleSelection);

    commands().On(IDC_CLEAR, [this] { OnClearList(); });
    commands().On(ui::IDOK, [this] { Close(); });
    commands().On(ui::IDCANCEL, [this] { Close(); });
    connect(&m_clear, &QPushButton::clicked, this, [this] { onCommand(IDC_CLEAR); });
    connect(&m_ok, &QPushButton::clicked, this, [this] { onCommand(ui::IDOK); });
    connect(&m_cancel, &QPushButton::clicked, this, [this] { onCommand(ui::IDCANCEL); });
    Layout();
}

CDlgDebug::~CDlgDebug()
{
    if (m_bCreated)
        Close();
}

void CDlgDebug::Create()
{
    if (m_bCreated) {
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
        return;
    }
    if (m_sink)
        m_sink->RegisterWindow(UiWindow::TraceWindow, this);
    show();
    m_bCreated = 1;
    Layout();
    m_traceTarget.store(this);
}

void CDlgDebug::Close()
{
    if (!m_bCreated)
        return;
    m_bCreated = 0;
    // The producers stop before the window goes.
    m_traceTarget.store(nullptr);
    if (m_sink)
        m_sink->UnregisterWindow(UiWindow::TraceWindow, this);
    hide();
    m_list.clear();
    m_freeze.setChecked(false);
}

void CDlgDebug::reject() { onCommand(ui::IDCANCEL); }

std::intptr_t CDlgDebug::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                   std::unique_ptr<ui::MessagePayload>& payload)
{
    if (id != WM_TRACE_LINE)
        return WindowBase::onMessage(id, wParam, lParam, payload);
    // The record is freed with the message whatever becomes of the line.
    if (const TRACE_LINE* line = LinkRecord<TRACE_LINE>(payload); line && m_bCreated)
        OnTraceLine(line->text);
    return 0;
}

void CDlgDebug::OnTraceLine(std::u16string line)
{
    if (m_freeze.isChecked())
        return;
    if (m_list.count() >= kMaxLines)
        delete m_list.takeItem(0);
    m_list.addItem(QString::fromStdU16String(line));
    const int added = m_list.count() - 1;
    QScrollBar* bar = m_list.verticalScrollBar();
    if (added >= FirstVisible() + kVisibleLines) {
        // The list lays out its rows lazily; the scroll range must count
        // the new line now.
        m_list.doItemsLayout();
        bar->setValue(added - (kVisibleLines - 1));
    }
    ShowAtOnce();
}

// Each line shows at once: the list is painted now, not when the event loop
// is next idle (which a flood of posted lines would put off). Paints come at
// most one a frame; a line within the same frame is painted by the paint
// scheduled for it, or by the next line's.
void CDlgDebug::ShowAtOnce()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastPaint >= kPaintInterval) {
        m_list.viewport()->repaint();
        m_lastPaint = now;
    } else {
        m_list.viewport()->update();
    }
}

void CDlgDebug::OnClearList() { m_list.clear(); }

int CDlgDebug::FirstVisible() const { return m_list.verticalScrollBar()->value(); }

void CDlgDebug::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Layout();
}

void CDlgDebug::Layout()
{
    const QRect client = rect();
    const int buttonHeight = m_clear.sizeHint().height();
    const int top = (kBandHeight - buttonHeight) / 2;
    m_clear.setGeometry(8, top, m_clear.sizeHint().width() + 8, buttonHeight);
    m_freeze.setGeometry(m_clear.geometry().right() + 16, top, m_freeze.sizeHint().width(), buttonHeight);
    const int okWidth = std::max(m_ok.sizeHint().width(), m_cancel.sizeHint().width());
    m_cancel.setGeometry(client.right() - 8 - okWidth, top, okWidth, buttonHeight);
    m_ok.setGeometry(m_cancel.geometry().left() - 8 - okWidth, top, okWidth, buttonHeight);
    m_list.setGeometry(client.left(), client.top() + kBandHeight, client.width(),
                       std::max(0, client.height() - kBandHeight));
}

}  // namespace vexar::link
