#include "dialogs/CHorzListBox.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

using namespace vexar;

namespace {

// What the list adds to a text's extent: its margins.
constexpr int kItemMargin = 6;
// Where the text starts in its row.
constexpr int kTextLeft = 3;
// The stop a measurement sets when none is set, in dialog units.
constexpr int kDefaultTabStop = 2;

}  // namespace

CHorzListBox::CHorzListBox(QWidget* parent, bool useTabStops) : QAbstractScrollArea(parent), m_useTabStops(useTabStops)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

CHorzListBox::~CHorzListBox() = default;

int CHorzListBox::AddString(const std::u16string& text) { return InsertString(-1, text); }

int CHorzListBox::InsertString(int index, const std::u16string& text)
{
    if (index < -1 || index > GetCount())
        return LB_ERR;
    if (index == -1)
        index = GetCount();
    m_items.insert(m_items.begin() + index, text);
    if (m_curSel >= index)
        ++m_curSel;
    ItemAdded(index);
    return index;
}

void CHorzListBox::ItemAdded(int index)
{
    MeasureItemWidth(index, m_items[static_cast<std::size_t>(index)]);
    SetHorizontalExtent(m_widest);
    UpdateScrollBars();
    viewport()->update();
}

int CHorzListBox::DeleteString(int index)
{
    if (index < 0 || index >= GetCount())
        return LB_ERR;
    m_items.erase(m_items.begin() + index);
    if (m_curSel == index)
        m_curSel = -1;
    else if (m_curSel > index)
        --m_curSel;

    if (index < static_cast<int>(m_widths.size())) {
        const int width = m_widths[static_cast<std::size_t>(index)];
        m_widths.erase(m_widths.begin() + index);
        if (width >= m_widest)
            m_widest = m_widths.empty() ? 0 : *std::max_element(m_widths.begin(), m_widths.end());
    }
    SetHorizontalExtent(m_widest);
    UpdateScrollBars();
    viewport()->update();
    return GetCount();
}

// Every width goes with the items.
void CHorzListBox::ResetContent()
{
    m_items.clear();
    m_widths.clear();
    m_widest = 0;
    m_curSel = -1;
    SetHorizontalExtent(0);
    UpdateScrollBars();
    viewport()->update();
}

bool CHorzListBox::SetTabStops(const std::vector<int>& stops)
{
    if (std::any_of(stops.begin(), stops.end(), [](int stop) { return stop < 0; }))
        return false;
    m_tabStops = stops.empty() ? std::vector<int>{kDefaultTabStop} : stops;
    ConvertTabStops();
    RecalcHorizontalExtent();
    return true;
}

// Dialog units to pixels with the average character width of the list's
// font, as the system converts them.
void CHorzListBox::ConvertTabStops()
{
    const QFontMetrics metrics(font());
    const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int base = (letters / 26 + 1) / 2;
    m_tabPixels.clear();
    for (int stop : m_tabStops)
        m_tabPixels.push_back((stop * base + 2) / 4);
}

std::u16string CHorzListBox::GetText(int index) const
{
    return index >= 0 && index < GetCount() ? m_items[static_cast<std::size_t>(index)] : std::u16string();
}

int CHorzListBox::SetCurSel(int index)
{
    if (index < -1 || index >= GetCount())
        return LB_ERR;
    m_curSel = index;
    if (index >= 0) {
        QScrollBar* bar = verticalScrollBar();
        const int rows = std::max(1, viewport()->height() / RowHeight());
        if (index < bar->value())
            bar->setValue(index);
        else if (index >= bar->value() + rows)
            bar->setValue(index - rows + 1);
    }
    viewport()->update();
    return index;
}

void CHorzListBox::SetHorizontalExtent(int extent)
{
    m_extent = std::max(0, extent);
    UpdateScrollBars();
}

void CHorzListBox::RecalcHorizontalExtent()
{
    m_widths.clear();
    m_widest = 0;
    for (int i = 0; i < GetCount(); ++i)
        MeasureItemWidth(i, m_items[static_cast<std::size_t>(i)]);
    SetHorizontalExtent(m_widest);
    viewport()->update();
}

int CHorzListBox::MeasureItemWidth(int index, const std::u16string& text)
{
    // The first measurement sets the default stop. It measures no other
    // item anew: every item is measured once, so the widths stay one per
    // item.
    if (m_tabStops.empty()) {
        m_tabStops = {kDefaultTabStop};
        ConvertTabStops();
    }
    const int width = TextExtent(QString::fromStdU16String(text)) + kItemMargin;
    const auto at = static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(m_widths.size())));
    m_widths.insert(m_widths.begin() + static_cast<std::ptrdiff_t>(at), width);
    m_widest = std::max(m_widest, width);
    return width;
}

int CHorzListBox::TextExtent(const QString& text) const
{
    if (!m_useTabStops)
        return QFontMetrics(font()).horizontalAdvance(text);
    return PieceEdges(text).back();
}

// One stop: tabs every that many pixels. Several: the next stop after the
// pen; past the last one a tab is as wide as a blank.
std::vector<int> CHorzListBox::PieceEdges(const QString& text) const
{
    const QFontMetrics metrics(font());
    std::vector<int> edges;
    int x = 0;
    const QStringList pieces = text.split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        edges.push_back(x);
        x += metrics.horizontalAdvance(pieces[i]);
        if (i + 1 == pieces.size())
            break;
        if (m_tabPixels.size() == 1 && m_tabPixels[0] > 0) {
            x = (x / m_tabPixels[0] + 1) * m_tabPixels[0];
            continue;
        }
        const auto next = std::upper_bound(m_tabPixels.begin(), m_tabPixels.end(), x);
        x = next != m_tabPixels.end() ? *next : x + metrics.horizontalAdvance(QLatin1Char(' '));
    }
    edges.push_back(x);
    return edges;
}

int CHorzListBox::RowHeight() const { return std::max(1, QFontMetrics(font()).height()); }

int CHorzListBox::RowAt(int y) const { return verticalScrollBar()->value() + y / RowHeight(); }

// The horizontal bar scrolls over the extent, the vertical one by rows.
void CHorzListBox::UpdateScrollBars()
{
    const int width = viewport()->width();
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setPageStep(std::max(1, width));
    horizontal->setSingleStep(std::max(1, QFontMetrics(font()).averageCharWidth()));
    horizontal->setRange(0, std::max(0, m_extent - width));

    const int rows = std::max(1, viewport()->height() / RowHeight());
    QScrollBar* vertical = verticalScrollBar();
    vertical->setPageStep(rows);
    vertical->setSingleStep(1);
    vertical->setRange(0, std::max(0, GetCount() - rows));
}

void CHorzListBox::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const int height = RowHeight();
    const int left = kTextLeft - horizontalScrollBar()->value();
    const QColor text = ui::ToQColor(m_textColour);
    for (int row = verticalScrollBar()->value(), y = 0; row < GetCount() && y < viewport()->height();
         ++row, y += height) {
        const QRect line(0, y, viewport()->width(), height);
        const bool selected = row == m_curSel;
        if (selected)
            painter.fillRect(line, palette().color(QPalette::Highlight));
        painter.setPen(selected ? palette().color(QPalette::HighlightedText) : text);
        const QString item = QString::fromStdU16String(m_items[static_cast<std::size_t>(row)]);
        if (!m_useTabStops) {
            painter.drawText(QRect(left, y, m_extent + width(), height), Qt::AlignLeft | Qt::AlignVCenter, item);
            continue;
        }
        const std::vector<int> edges = PieceEdges(item);
        const QStringList pieces = item.split(QLatin1Char('\t'));
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            const QRect box(left + edges[static_cast<std::size_t>(i)], y, edges.back() + width(), height);
            painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, pieces[i]);
        }
    }
}

void CHorzListBox::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CHorzListBox::scrollContentsBy(int, int) { viewport()->update(); }

void CHorzListBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int row = RowAt(event->position().toPoint().y());
        if (row < GetCount())
            SetCurSel(row);
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CHorzListBox::keyPressEvent(QKeyEvent* event)
{
    if (GetCount() > 0 && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        const int step = event->key() == Qt::Key_Up ? -1 : 1;
        SetCurSel(std::clamp(m_curSel < 0 ? 0 : m_curSel + step, 0, GetCount() - 1));
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

// Widths and stops are in pixels of the font: a new font measures again.
void CHorzListBox::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange && !m_tabStops.empty()) {
        ConvertTabStops();
        RecalcHorizontalExtent();
    }
}
