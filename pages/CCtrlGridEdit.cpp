// The map's editing: the selection by mouse and arrow keys, the change
// dialog, the clipboard, undo and the tooltip's text by region. Every
// change of many cells is one store pass ending in one write request.
#include "pages/CCtrlGrid.h"

#include "pages/Accelerators.h"
#include "pages/CCtrlToolTip.h"
#include "pages/core/GridClipboard.h"
#include "pages/widgets/CWValueText.h"
#include "platform/ui/DialogRequests.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include <cmath>

using namespace vexar;

namespace {

// The arrow keys as the system numbers them; 0 for any other key.
std::int32_t ArrowKey(int key)
{
    switch (key) {
    case Qt::Key_Left: return CUtility::VK_LEFT;
    case Qt::Key_Up: return CUtility::VK_UP;
    case Qt::Key_Right: return CUtility::VK_RIGHT;
    case Qt::Key_Down: return CUtility::VK_DOWN;
    default: return 0;
    }
}

// A value held within the limits of a limited block; a value that is no
// number takes the lower limit.
double HeldWithin(const GRID_AXIS& descriptor, double value)
{
    if (!descriptor.limited)
        return value;
    if (!(value >= descriptor.lower))
        return descriptor.lower;
    return value > descriptor.upper ? descriptor.upper : value;
}

}  // namespace

// ---- Selection -------------------------------------------------------------------------------

bool CCtrlGrid::IsSelectionValid() const { return m_selection.IsValid(m_shape.Rows(), m_shape.Columns()); }

void CCtrlGrid::ExtendSelection() { CUtility::ExtendSelection(m_shape, m_selection, m_cursor); }

void CCtrlGrid::CollapseSelection() { CUtility::CollapseSelection(m_selection, m_cursor.current); }

void CCtrlGrid::MoveCursor(std::int32_t key, bool shift)
{
    CUtility::MoveCursor(m_shape, key, shift, m_selection, m_cursor);
    Redraw(kRedrawSelection);
}

// ---- Mouse ---------------------------------------------------------------------------------------

void CCtrlGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return CCellGrid::mousePressEvent(event);
    m_bButtonDown = true;
    m_cursor.MoveTo({GetMouseRow(), GetMouseColumn()});
    if (event->modifiers() & Qt::ShiftModifier) {
        ExtendSelection();
    } else {
        // A click on a fixed header or the corner makes it the current
        // cell and changes nothing else.
        if (!IsCellEditable(m_cursor.current.row, m_cursor.current.column))
            return;
        CollapseSelection();
    }
    Redraw(kRedrawSelection);
    setFocus(Qt::MouseFocusReason);
}

void CCtrlGrid::mouseMoveEvent(QMouseEvent* event)
{
    const GRID_CELL mouse{GetMouseRow(), GetMouseColumn()};
    // Beyond the cells a drag keeps the selection it has.
    const bool onCell = mouse.row >= 0 && mouse.column >= 0;
    if (m_bButtonDown && onCell && mouse != m_cursor.current) {
        m_cursor.MoveTo(mouse);
        ExtendSelection();
        Redraw(kRedrawSelection);
    }
    const std::int32_t kind = m_shape.ToolTipKind(mouse.row, mouse.column);
    if (kind != m_nToolTipKind) {
        UpdateToolTip(kind);
        if (m_toolTip)
            m_toolTip->RelayEvent(QEvent::MouseMove, event->globalPosition().toPoint());
    }
    CCellGrid::mouseMoveEvent(event);
}

void CCtrlGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_bButtonDown = false;
    CCellGrid::mouseReleaseEvent(event);
}

// A double click opens the change dialog; it is no press of its own.
void CCtrlGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        EditCells();
}

// ---- Keys --------------------------------------------------------------------------------------

bool CCtrlGrid::preTranslateMessage(QWidget&, QEvent& event)
{
    // Copy, paste and undo; the key goes on whatever they did.
    PagesAccelerators().Translate(*this, event);
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease)
        return false;
    const auto& key = static_cast<const QKeyEvent&>(event);
    if (event.type() == QEvent::KeyPress && key.key() == Qt::Key_Escape) {
        // Escape takes the selection away and goes no further: the host
        // stays open.
        m_selection.Clear();
        Redraw(kRedrawSelection);
        return true;
    }
    if (const std::int32_t arrow = ArrowKey(key.key())) {
        // An arrow acts once, when it is let go; a held key's repeats do
        // nothing.
        if (event.type() == QEvent::KeyRelease && !key.isAutoRepeat())
            MoveCursor(arrow, (key.modifiers() & Qt::ShiftModifier) != 0);
        return event.type() == QEvent::KeyRelease;
    }
    if (event.type() == QEvent::KeyPress && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)) {
        EditCells();
        return true;
    }
    return false;
}

// The arrows are the map's alone: their presses go no further than it.
void CCtrlGrid::keyPressEvent(QKeyEvent* event)
{
    if (ArrowKey(event->key()) != 0) {
        event->accept();
        return;
    }
    CCellGrid::keyPressEvent(event);
}

// ---- The change dialog --------------------------------------------------------------------------

void CCtrlGrid::EditCells()
{
    const GRID_CELL current = m_cursor.current;
    if (!IsCellEditable(current.row, current.column))
        return;
    const GRID_AXIS& descriptor = DescriptorOf(current.row, current.column);
    m_dlgModGridVal.m_dIncrement = descriptor.increment;
    m_dlgModGridVal.m_bDescriptive = descriptor.descriptive;
    m_dlgModGridVal.m_strFormat = descriptor.format;
    m_dlgModGridVal.m_nDataType = descriptor.type;
    m_dlgModGridVal.m_nInitialMode = m_shape.InitialMode();
    double shown = 0.0;
    if (!GetCellValue(shown, current.row, current.column))
        shown = 0.0;
    m_dlgModGridVal.m_dInitialValue = shown;
    if (m_dlgModGridVal.DoModal() != ui::IDOK)
        return;
    if (!IsSelectionValid())
        return;
    Edit(descriptor, m_dlgModGridVal.m_dValue, m_dlgModGridVal.m_nMode);
}

// The current cell's descriptor, mask and limits apply to every selected
// cell; each cell is stored at its own address with its own data type and
// conversion.
void CCtrlGrid::Edit(const GRID_AXIS& descriptor, double entered, std::int32_t mode)
{
    KeepForUndo(m_selection, true);
    BeginStorePass();
    for (std::int32_t r = m_selection.top; r <= m_selection.bottom; ++r) {
        for (std::int32_t c = m_selection.left; c <= m_selection.right; ++c) {
            if (!IsCellEditable(r, c))
                continue;
            double v = 0.0;
            if (!GetCellValue(v, r, c))
                v = 0.0;
            switch (mode) {
            case CDlgModGridVal::kAbsolute: v = entered; break;
            case CDlgModGridVal::kLinear: v = v + entered; break;
            case CDlgModGridVal::kPercent: v = v + v * entered / 100; break;
            default: break;
            }
            PutCellText(r, c, CWValueText::Format(descriptor.format, HeldWithin(descriptor, v)));
            StoreCellIfEnabled(r, c);
        }
    }
    PostWriteRange();
    Redraw(kRedrawAll);
}

// ---- Clipboard ----------------------------------------------------------------------------------

bool CCtrlGrid::CopyToClipboard()
{
    if (!IsSelectionValid())
        return false;
    std::vector<std::vector<std::u16string>> rows;
    for (std::int32_t r = m_selection.top; r <= m_selection.bottom; ++r) {
        rows.emplace_back();
        for (std::int32_t c = m_selection.left; c <= m_selection.right; ++c)
            rows.back().push_back(CellText(r, c));
    }
    QGuiApplication::clipboard()->setText(QString::fromStdU16String(CUtility::GridCopyText(rows)));
    return true;
}

bool CCtrlGrid::PasteFromClipboard()
{
    if (!IsSelectionValid())
        return false;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return false;
    return PasteText(data->text().toStdU16String());
}

// A pasted number is held within its cell's limits and shown through its
// mask before it is stored; a pasted text that is no number is neither
// put in nor stored.
bool CCtrlGrid::PasteText(const std::u16string& text)
{
    if (!IsSelectionValid())
        return false;
    const CUtility::PASTE_LINES lines = CUtility::SplitPasteText(text);
    const GRID_SELECTION block = CUtility::FitSelectionToText(lines, m_selection, m_shape.Rows(), m_shape.Columns());
    if (!block.IsValid(m_shape.Rows(), m_shape.Columns()))
        return false;
    m_selection = block;
    KeepForUndo(block, true);
    BeginStorePass();
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::int32_t r = block.top + static_cast<std::int32_t>(k);
        for (std::size_t m = 0; m < lines[k].size(); ++m) {
            const std::int32_t c = block.left + static_cast<std::int32_t>(m);
            if (!IsCellEditable(r, c))
                continue;
            const GRID_AXIS& descriptor = DescriptorOf(r, c);
            double value = 0.0;
            bool ok = false;
            ReadNumber(descriptor, lines[k][m], value, ok);
            if (!ok)
                continue;
            PutCellText(r, c, CWValueText::Format(descriptor.format, HeldWithin(descriptor, value)));
            StoreCellIfEnabled(r, c);
        }
    }
    PostWriteRange();
    Redraw(kRedrawAll);
    return true;
}

void CCtrlGrid::OnCopy() { CopyToClipboard(); }

void CCtrlGrid::OnPaste() { PasteFromClipboard(); }

// ---- Undo ----------------------------------------------------------------------------------------

// Undo puts the texts of the undo copy back. Only the cells whose text
// it changes are stored, and written in one request, so that it never
// rewrites a value it does not change. A block the user chose becomes the
// selection again, drawn before anything can act on it; the copy of the
// whole map leaves the selection as shown, so that no later change reaches
// cells, or breakpoints, the user did not select. The copy stays: a second
// undo finds nothing to change and writes nothing.
void CCtrlGrid::OnUndo()
{
    BeginStorePass();
    for (std::int32_t r = m_undoBlock.top; r <= m_undoBlock.bottom; ++r) {
        for (std::int32_t c = m_undoBlock.left; c <= m_undoBlock.right; ++c) {
            const std::u16string saved = m_undoMatrix.GetCell(r - m_undoBlock.top, c - m_undoBlock.left);
            if (!IsCellEditable(r, c) || saved == CellText(r, c))
                continue;
            PutCellText(r, c, saved);
            StoreCellIfEnabled(r, c);
        }
    }
    if (!m_pending.IsEmpty())
        PostWriteRange();
    if (m_bUndoSelects)
        m_selection = m_undoBlock;
    Redraw(kRedrawAll);
}

// ---- Tooltip -------------------------------------------------------------------------------------

bool CCtrlGrid::AttachGridToolTip()
{
    m_nToolTipKind = 3;
    return CUtility::AttachToolTip(*this, m_toolTip, m_bToolTip, m_definition.COMMENTO);
}

// Over the corner the map has no tip; over a calibrable header the tip is
// its vector's comment, elsewhere (fixed headers too) the map's.
void CCtrlGrid::UpdateToolTip(std::int32_t kind)
{
    m_nToolTipKind = kind;
    const std::u16string* text = nullptr;
    switch (kind) {
    case 1: text = &m_xAxis.definition.COMMENTO; break;
    case 2: text = &m_yAxis.definition.COMMENTO; break;
    case 3: text = &m_definition.COMMENTO; break;
    default: break;
    }
    m_toolTip.reset();
    m_bToolTip = false;
    if (text && !text->empty())
        CUtility::AttachToolTip(*this, m_toolTip, m_bToolTip, *text);
}
