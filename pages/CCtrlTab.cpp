#include "pages/CCtrlTab.h"

#include "link/LinkMessages.h"
#include "platform/ui/Messages.h"
#include "platform/ui/OwnerDraw.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTabBar>

#include <algorithm>
#include <utility>

using namespace vexar;

namespace {

constexpr int kFrame = 2;    // the edge around a tab
constexpr int kPadding = 6;  // either side of the widest text
constexpr int kRaise = 2;    // how much higher the selected tab stands
constexpr int kBarLeft = 2;  // the first tab's distance from the strip's edge

QString ShownText(const QString& text) { return text.left(CCtrlTab::kMaxTextLength); }

// A tab's edge: lit on the left and top, shaded on the right; its foot
// opens onto the page area.
void DrawTabFrame(QPainter& painter, const QRect& r, const QPalette& palette)
{
    painter.save();
    painter.setPen(ui::SystemColour(ui::SysColour::ButtonHighlight, palette));
    painter.drawLine(r.left(), r.bottom(), r.left(), r.top() + 1);
    painter.drawLine(r.left() + 1, r.top(), r.right() - 1, r.top());
    painter.setPen(ui::SystemColour(ui::SysColour::ButtonShadow, palette));
    painter.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom());
    painter.setPen(ui::SystemColour(ui::SysColour::DarkShadow, palette));
    painter.drawLine(r.right(), r.top() + 1, r.right(), r.bottom());
    painter.restore();
}

}  // namespace

// The row of tabs: Qt lays them out and scrolls them when they do not fit;
// the strip paints them, keeps the selection and says when one is clicked.
// The wheel and the keys do not change tabs: the host shows a page only
// for a click or a function key.
class CCtrlTab::Bar : public QTabBar {
public:
    explicit Bar(CCtrlTab& strip) : QTabBar(&strip), m_strip(strip)
    {
        setDrawBase(false);
        setExpanding(false);
        setElideMode(Qt::ElideNone);
        setUsesScrollButtons(true);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    // Each tab as wide as the text it shows, all of one height.
    QSize tabSizeHint(int index) const override
    {
        const QFontMetrics metrics(font());
        const int width = metrics.size(Qt::TextShowMnemonic, ShownText(tabText(index))).width();
        return {width + 2 * (kFrame + kPadding), metrics.height() + 2 * kFrame + 4 + kRaise};
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        for (int i = 0; i < count(); ++i) {
            QRect frame = tabRect(i);
            if (i != m_strip.m_curSel)
                frame.setTop(frame.top() + kRaise);
            DrawTabFrame(painter, frame, palette());
            m_strip.DrawItem(painter, i, frame.adjusted(kFrame, kFrame, -kFrame, 0));
        }
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        m_pressed = event->button() == Qt::LeftButton ? tabAt(event->position().toPoint()) : -1;
        QTabBar::mousePressEvent(event);
        if (m_pressed >= 0)
            m_strip.Select(m_pressed);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QTabBar::mouseReleaseEvent(event);
        const int pressed = std::exchange(m_pressed, -1);
        if (event->button() == Qt::LeftButton && pressed >= 0 && tabAt(event->position().toPoint()) == pressed)
            emit m_strip.clicked();
    }

    void wheelEvent(QWheelEvent* event) override { event->ignore(); }

private:
    CCtrlTab& m_strip;
    int m_pressed = -1;
};

CCtrlTab::CCtrlTab(QWidget* parent)
    : QWidget(parent), WindowBase(this), m_bar(new Bar(*this)),
      m_bkColour(ui::FromQColor(ui::SystemColour(ui::SysColour::ButtonFace, palette())))
{
    LayoutBar();
}

CCtrlTab::~CCtrlTab() = default;

// What a page posts to the strip is the host's.
std::intptr_t CCtrlTab::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                  std::unique_ptr<ui::MessagePayload>& payload)
{
    if (id == link::WM_SELECT_PAGE) {
        ui::PostMessage(parentWidget(), {id, wParam, 0, {}});
        return 0;
    }
    if (id == ui::WM_CLOSE) {
        ui::PostMessage(parentWidget(), {id, 0, 0, {}});
        return 0;
    }
    return WindowBase::onMessage(id, wParam, lParam, payload);
}

int CCtrlTab::InsertItem(int index, const std::u16string& text)
{
    const bool first = m_bar->count() == 0;
    const int at = m_bar->insertTab(index, QString::fromStdU16String(text));
    if (first)
        m_curSel = at;
    else if (m_curSel >= at)
        ++m_curSel;
    LayoutBar();
    return at;
}

bool CCtrlTab::SetItemText(int index, const std::u16string& text)
{
    if (index < 0 || index >= m_bar->count())
        return false;
    m_bar->setTabText(index, QString::fromStdU16String(text));
    LayoutBar();
    return true;
}

void CCtrlTab::DeleteAllItems()
{
    while (m_bar->count() > 0)
        m_bar->removeTab(m_bar->count() - 1);
    m_curSel = -1;
    LayoutBar();
}

int CCtrlTab::GetItemCount() const { return m_bar->count(); }

int CCtrlTab::SetCurSel(int index)
{
    if (index >= m_bar->count())
        return -1;
    const int before = m_curSel;
    Select(index < 0 ? -1 : index);
    return before;
}

QRect CCtrlTab::GetItemRect(int index) const
{
    if (index < 0 || index >= m_bar->count())
        return {};
    return m_bar->tabRect(index).translated(m_bar->pos());
}

// The text as far as 62 characters, on one line, centred both ways, over
// the background colour; the same for the selected tab and the others.
void CCtrlTab::DrawItem(QPainter& painter, int item, const QRect& rect) const
{
    if (item < 0 || item >= m_bar->count())
        return;
    painter.fillRect(rect, ui::ToQColor(m_bkColour));
    ui::DrawCentredText(painter, rect, ShownText(m_bar->tabText(item)), ui::ToQColor(m_textColour));
}

// The strip's face and the raised edge of the page area under the tabs.
void CCtrlTab::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ui::SystemColour(ui::SysColour::ButtonFace, palette()));
    const int top = m_bar->geometry().bottom() + 1;
    const QRect pane(0, top, width(), height() - top);
    if (pane.isEmpty())
        return;
    ui::DrawEdge(painter, pane, ui::Edge::Raised, palette());
    // The selected tab opens onto its page: no edge under it.
    const QRect selected = GetItemRect(m_curSel);
    if (!selected.isEmpty())
        painter.fillRect(selected.left() + 1, top, selected.width() - 3, 2,
                         ui::SystemColour(ui::SysColour::ButtonFace, palette()));
}

void CCtrlTab::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutBar();
}

void CCtrlTab::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        LayoutBar();
}

void CCtrlTab::LayoutBar()
{
    const int height = m_bar->count() > 0 ? m_bar->sizeHint().height() : 0;
    m_bar->setGeometry(kBarLeft, 0, std::max(0, width() - 2 * kBarLeft), height);
    update();
}

// The selected tab, also kept by the row so that it scrolls into view.
void CCtrlTab::Select(int index)
{
    m_curSel = index;
    if (index >= 0)
        m_bar->setCurrentIndex(index);
    m_bar->update();
    update();
}
