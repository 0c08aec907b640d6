// The map's painting and its operating point. The picture is composed of
// cached layers: the base picture (the cells), the composed picture (the
// cells with the selection) and the marker, which is drawn last over the
// composed picture at every painting. A marker move therefore costs one
// copy of the composed picture and the dot; a selection change starts
// from the base picture; only a change of the cells draws them again.
#include "pages/CCtrlGrid.h"

#include "pages/CUtilityGrid.h"
#include "pages/core/GridLocate.h"
#include "platform/ui/OwnerDraw.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

using namespace vexar;

namespace {

QColor Qc(ui::COLORREF colour) { return ui::ToQColor(colour); }

}  // namespace

// ---- Layers ----------------------------------------------------------------------------------

void CCtrlGrid::SetPageFont(const QFont& font)
{
    m_font = font;
    setFont(font);
    m_bFirstPaint = true;
}

void CCtrlGrid::Redraw(int mode)
{
    // A hidden map keeps its pictures until a change of its cells, which
    // rebuilds them so that it is current once shown.
    if (!isVisible() && mode != kRedrawAll)
        return;
    RebuildLayers(mode);
    update();
}

// The two pictures keep their memory while the map keeps its size: memory
// touched for the first time costs more than drawing every cell, so it is
// taken once (the creator draws the layers before the first painting) and
// drawn over from then on.
void CCtrlGrid::RebuildLayers(int mode)
{
    if (m_bFirstPaint || m_bCellsChanged || m_base.size() != size()) {
        m_bFirstPaint = false;
        mode = kRedrawAll;
    }
    if (size().isEmpty()) {
        m_base = m_composed = QImage();
        return;
    }
    if (m_base.size() != size() || m_composed.size() != size()) {
        m_base = QImage(size(), QImage::Format_RGB32);
        m_composed = QImage(size(), QImage::Format_RGB32);
    }
    if (mode == kRedrawAll) {
        m_bCellsChanged = false;
        QPainter painter(&m_base);
        DrawCells(painter);
    }
    if (mode == kRedrawAll || mode == kRedrawSelection) {
        QPainter painter(&m_composed);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, m_base);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        DrawSelection(painter);
    }
}

// The composed picture and the marker over it, in one copy to the window.
void CCtrlGrid::paintEvent(QPaintEvent*)
{
    RebuildLayers(kRedrawMarker);
    QPainter painter(this);
    painter.drawImage(0, 0, m_composed);
    DrawMarker(painter);
}

// ---- Cells -------------------------------------------------------------------------------------

std::int32_t CCtrlGrid::RowHeight() const
{
    return m_nRowHeightPx > 0 ? m_nRowHeightPx : GetRowHeightPixels(0);
}

void CCtrlGrid::DrawCellText(QPainter& painter, const QRect& box, const QString& text)
{
    const QFontMetrics metrics(m_font);
    const int left = box.left() + box.width() / 2 - metrics.horizontalAdvance(text) / 2;
    const int top = box.top() + box.height() / 2 - metrics.height() / 2;
    painter.drawText(QPoint(left, top + metrics.ascent()), text);
}

// From the bottom right to the top left: each rectangle reaches one pixel
// further left and up than its cell, so neighbours share their border
// lines and the cell drawn later leaves its pen on them; the headers'
// black borders lie over the grey ones of the first value row and column.
void CCtrlGrid::DrawCells(QPainter& painter)
{
    const std::int32_t rows = m_shape.Rows();
    const std::int32_t columns = m_shape.Columns();
    const std::int32_t h = RowHeight();
    std::int32_t total = 0;
    for (std::int32_t c = 0; c < columns; ++c)
        total += GetColumnWidthPixels(c);
    painter.setFont(m_font);
    for (std::int32_t r = rows - 1; r >= 0; --r) {
        std::int32_t x = total;
        for (std::int32_t c = columns - 1; c >= 0; --c) {
            const bool header = m_shape.IsHeaderCell(r, c);
            const std::int32_t w = GetColumnWidthPixels(c);
            const std::int32_t cellHeight = GetRowHeightPixels(r);
            const std::int32_t right = x;
            const std::int32_t left = std::max(x - w - 1, 0);
            const std::int32_t bottom = (r + 1) * h;
            const std::int32_t top = std::max(bottom - cellHeight - 1, 0);
            const QRect box(left, top, right - left, bottom - top);
            painter.fillRect(box, Qc(header ? m_headerFill : m_valueFill));
            painter.setPen(Qc(header ? kHeaderBorder : kValueBorder));
            painter.drawRect(box.adjusted(0, 0, -1, -1));
            painter.setPen(Qc(header ? m_headerText : m_valueText));
            DrawCellText(painter, box, GetCellText(r, c));
            x -= w;
        }
    }
    const QColor face = ui::SystemColour(ui::SysColour::ButtonFace, palette());
    const std::int32_t cellsHeight = rows * h;
    if (total < width())
        painter.fillRect(QRect(total, 0, width() - total, cellsHeight), face);
    if (cellsHeight < height())
        painter.fillRect(QRect(0, cellsHeight, width(), height() - cellsHeight), face);
}

// The selected cells lose no border: the fill stops one pixel short of
// their right and bottom lines.
void CCtrlGrid::DrawSelection(QPainter& painter)
{
    if (!IsSelectionValid())
        return;
    const std::int32_t h = RowHeight();
    std::int32_t x0 = 0;
    for (std::int32_t c = 0; c < m_selection.left; ++c)
        x0 += GetColumnWidthPixels(c);
    painter.setFont(m_font);
    painter.setPen(Qc(kSelectedText));
    for (std::int32_t r = m_selection.top; r <= m_selection.bottom; ++r) {
        std::int32_t x = x0;
        for (std::int32_t c = m_selection.left; c <= m_selection.right; ++c) {
            const std::int32_t w = GetColumnWidthPixels(c);
            const QRect box(x, r * h, w - 1, GetRowHeightPixels(r) - 1);
            painter.fillRect(box, Qc(kSelectedFill));
            DrawCellText(painter, box, GetCellText(r, c));
            x += w;
        }
    }
}

// ---- Operating point -----------------------------------------------------------------------------

void CCtrlGrid::OnUpdateOperatingPoint(std::uintptr_t kind)
{
    switch (kind) {
    case 1: CUtility::GetCtrlDisplayValue(m_marker.xSource, m_marker.xValue); break;
    case 2: CUtility::GetCtrlDisplayValue(m_marker.ySource, m_marker.yValue); break;
    case 3: {
        double output = 0.0;
        CUtility::GetCtrlDisplayValue(m_marker.outSource, output);
        m_marker.colour = CUtility::MarkerColour(output);
        break;
    }
    default: break;
    }
    Redraw(kRedrawMarker);
}

bool CCtrlGrid::LocateOperatingPoint(std::u16string& text, QRect& cell)
{
    const std::int32_t rows = m_shape.Rows();
    const std::int32_t columns = m_shape.Columns();
    const std::int32_t h = RowHeight();
    const std::int32_t firstRow = m_shape.FirstValueRow();
    const std::int32_t firstColumn = m_shape.FirstValueColumn();
    // A breakpoint that is no number counts 0.
    const auto breakpoint = [this](std::int32_t row, std::int32_t column) {
        double value = 0.0;
        bool ok = false;
        ReadNumber(DescriptorOf(row, column), CellText(row, column), value, ok);
        return ok ? value : 0.0;
    };

    LOCATED_POINT y{h, firstRow, 0, 0};
    if (m_marker.yLinked) {
        std::vector<double> points(static_cast<std::size_t>(std::max(rows, 0)));
        for (std::int32_t r = firstRow; r < rows; ++r)
            points[static_cast<std::size_t>(r)] = breakpoint(r, 0);
        const bool ascending = rows > firstRow && points.back() > points[static_cast<std::size_t>(firstRow)];
        y = ascending ? CUtility::LocateRowAscending(points, firstRow, rows, h, m_marker.yValue)
                      : CUtility::LocateRowDescending(points, firstRow, rows, h, m_marker.yValue);
    }

    std::vector<std::int32_t> widths(static_cast<std::size_t>(std::max(columns, 0)));
    for (std::int32_t c = 0; c < columns; ++c)
        widths[static_cast<std::size_t>(c)] = GetColumnWidthPixels(c);
    const std::int32_t start = m_shape.hasHeaderColumn ? GetColumnWidthPixels(0) : 0;
    LOCATED_POINT x{m_nColWidthPx, firstColumn, start, GetColumnWidthPixels(firstColumn)};
    if (m_marker.xLinked) {
        std::vector<double> points(static_cast<std::size_t>(std::max(columns, 0)));
        for (std::int32_t c = firstColumn; c < columns; ++c)
            points[static_cast<std::size_t>(c)] = breakpoint(0, c);
        const bool ascending = columns > firstColumn && points.back() > points[static_cast<std::size_t>(firstColumn)];
        x = ascending ? CUtility::LocateColumnAscending(points, widths, firstColumn, columns, start, m_marker.xValue)
                      : CUtility::LocateColumnDescending(points, widths, firstColumn, columns, start, m_marker.xValue);
    }

    text = CellText(y.index, x.index);
    cell = QRect(QPoint(x.edge, y.index * h), QPoint(x.edge + x.size - 1, y.index * h + h - 1));
    m_marker.x = x.position;
    m_marker.y = y.position;
    return true;
}

// The last layer of every painting. A table of one value row or column
// fills its operating cell; a map shows a dot that stays put while the
// point moves less than 3 pixels.
void CCtrlGrid::DrawMarker(QPainter& painter)
{
    if (!m_marker.xLinked && !m_marker.yLinked)
        return;
    std::u16string text;
    QRect cell;
    LocateOperatingPoint(text, cell);
    const QColor colour = Qc(m_marker.colour);
    if (m_shape.valueRows < 2 || m_shape.valueColumns < 2) {
        // The cell shrunk by a pixel at its right and bottom.
        const QRect box(cell.left(), cell.top(), cell.width() - 1, cell.height() - 1);
        painter.fillRect(box, colour);
        painter.setFont(m_font);
        painter.setPen(Qc(0xFFFFFF));
        DrawCellText(painter, box, QString::fromStdU16String(text));
        return;
    }
    if (m_marker.x == 0 && m_marker.y == 0)
        return;
    m_marker.x = CUtility::MarkerDeadBand(m_marker.x, m_marker.previousX);
    m_marker.y = CUtility::MarkerDeadBand(m_marker.y, m_marker.previousY);
    painter.setPen(Qt::black);
    painter.setBrush(colour);
    painter.drawEllipse(QRect(m_marker.x - 9, m_marker.y - 9, 17, 17));
    m_marker.previousX = m_marker.x;
    m_marker.previousY = m_marker.y;
}
