#include "pages/CDlgTabWnd.h"

#include "common/NoCase.h"
#include "link/LinkMessages.h"
#include "pages/Accelerators.h"
#include "pages/CCtrlTab.h"
#include "pages/CCtrlToolTip.h"
#include "pages/CUtilityBuilder.h"
#include "pages/CUtilityFactory.h"
#include "pages/CUtilityPages.h"
#include "pages/PageScroller.h"
#include "pages/core/CUtilityTables.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

using namespace vexar;

namespace {

bool IsRelayedMouse(QEvent::Type type)
{
    return type == QEvent::MouseMove || type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease;
}

// Keys typed into these go to the control: a text, a number, an item of
// a drop-down list. A letter picking a list item must not also press a
// button, which would write to the ECU.
bool TakesLetters(std::int32_t category)
{
    return category == CTRL_EDIT || category == CTRL_NUMEDIT || category == CTRL_COMBO || category == CTRL_RIPR;
}

bool IsPressable(std::int32_t category) { return category == CTRL_BUTTON_CMD || category == CTRL_RESET; }

}  // namespace

CDlgTabWnd::CDlgTabWnd(CVEXARPages& app) : WindowBase(this), m_app(app), m_scroller(new PageScroller(*this))
{
    setFocusPolicy(Qt::ClickFocus);
    VEXAR_ON_COMMAND(commands(), link::ID_DESIGN_GRID, CDlgTabWnd::ToggleDesignGrid);
}

CDlgTabWnd::~CDlgTabWnd()
{
    CUtility::DeleteCtrls(m_table);
    CUtility::DeleteWindows(m_labels);
}

bool CDlgTabWnd::Create(CCtrlTab& strip)
{
    setParent(&strip);
    hide();
    resize(std::max(1, m_grid.pageWidth), std::max(1, m_grid.pageHeight));
    m_bCreated = true;
    m_scroller->SetContent(m_grid.pageWidth, m_grid.pageHeight);
    PlaceInStrip();
    return true;
}

QRect CDlgTabWnd::DisplayArea(const CCtrlTab& strip)
{
    const QRect tab = strip.GetItemRect(0);
    const int left = tab.x() + 1;
    const int top = tab.y() + tab.height() + 3;
    return QRect(left, top, std::max(1, strip.width() - 2 - left), std::max(1, strip.height() - 2 - top));
}

void CDlgTabWnd::PlaceInStrip()
{
    auto* strip = qobject_cast<CCtrlTab*>(parentWidget());
    if (!strip)
        return;
    setGeometry(DisplayArea(*strip));
    m_scroller->FitClient(size());
    // The grid covers the visible part, inside the margin; controls further
    // right or down are reached by scrolling.
    const QSize view = m_scroller->Viewport();
    const std::int32_t margin = m_settings.margin;
    m_grid.area = {margin, margin, view.width() - margin, view.height() - margin};
}

void CDlgTabWnd::ClosePage()
{
    CUtility::DestroyCtrls(m_table);
    CUtility::DestroyWindows(m_labels);
    m_bCreated = false;
    hide();
}

bool CDlgTabWnd::preTranslateMessage(QWidget& target, QEvent& event)
{
    switch (event.type()) {
    case QEvent::KeyPress:
        if (CUtility::PostPageSelectKey(*this, event))
            return true;
        return PagesAccelerators().Translate(*this, event);
    case QEvent::KeyRelease: {
        const auto& key = static_cast<const QKeyEvent&>(event);
        if (key.isAutoRepeat())
            return false;
        if (key.key() == Qt::Key_Control)
            m_bCtrlReleased = true;
        else if (m_bCtrlReleased)
            m_bCtrlReleased = false;
        else
            PressByLetter(target, key);
        return false;
    }
    default:
        if (IsRelayedMouse(event.type()))
            for (const CTRL_WND& entry : m_table)
                if (CUtility::RelayToolTipEvent(entry, event))
                    break;
        return false;
    }
}

void CDlgTabWnd::PressByLetter(QWidget& target, const QKeyEvent& key)
{
    if (key.key() < Qt::Key_A || key.key() > Qt::Key_Z)
        return;
    if (key.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))
        return;
    if (const CTRL_WND* addressed = EntryOf(&target); addressed && TakesLetters(addressed->category))
        return;
    const char16_t letter = static_cast<char16_t>(u'A' + (key.key() - Qt::Key_A));
    for (const CTRL_WND& entry : m_table) {
        QWidget* button = CUtility::CtrlWidget(entry);
        if (!IsPressable(entry.category) || !button || !button->isVisible())
            continue;
        std::u16string name;
        CUtility::GetCtrlName(entry, name);
        if (name.empty() || vexar::ToUpperChar(name.front()) != letter)
            continue;
        button->setFocus(Qt::ShortcutFocusReason);
        ui::PostMessage(button, {link::WM_CTRL_PRESS, 0, 0, {}});
        return;
    }
}

const CTRL_WND* CDlgTabWnd::EntryOf(const QWidget* widget) const
{
    for (; widget && widget != this; widget = widget->parentWidget())
        for (const CTRL_WND& entry : m_table)
            if (CUtility::CtrlWidget(entry) == widget)
                return &entry;
    return nullptr;
}

bool CDlgTabWnd::IsShownUsable() const
{
    return m_bCreated && isVisible() && !window()->isMinimized();
}

void CDlgTabWnd::ToggleDesignGrid()
{
    m_grid.showDesignGrid = !m_grid.showDesignGrid;
    repaint();
}

void CDlgTabWnd::paintEvent(QPaintEvent*)
{
    if (!m_bCreated || !isVisible() || !m_grid.showDesignGrid || m_grid.rows < 0 || m_grid.cols < 0)
        return;
    QPainter painter(this);
    CUtility::PaintPageGrid(painter, m_grid, m_scroller->Offset());
}

void CDlgTabWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_scroller->PlaceBars();
    if (IsShownUsable())
        m_scroller->FitClient(size());
}

void CDlgTabWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        CUtility::ShowAndFocus(*this, ui::SW_SHOW);
    QWidget::mousePressEvent(event);
}

// What no control took: Escape closes (the host hides), Enter does
// nothing, so it never closes a page.
void CDlgTabWnd::keyPressEvent(QKeyEvent* event)
{
    if (!CUtility::TakePageKey(*this, *event))
        QWidget::keyPressEvent(event);
}
