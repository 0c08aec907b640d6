// The map's cells bound to the parameter image: descriptors, cell texts,
// refresh, store and write, the control messages, set default, headers
// from values, and show and hide with the labels.
#include "pages/CCtrlGrid.h"

#include "common/TagLine.h"
#include "config/CUtilityCodec.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlStatic.h"
#include "pages/CCtrlToolTip.h"
#include "pages/CUtilityPages.h"
#include "pages/core/CVEXARPages.h"
#include "pages/widgets/CWValueText.h"
#include "platform/ui/WindowState.h"

#include <algorithm>
#include <optional>
#include <span>

using namespace vexar;

namespace {

QString ToQ(const std::u16string& text) { return QString::fromStdU16String(text); }

// Hexadecimal ("4X"), binary ("8b") and percentage ("%*100") masks read
// back in their own notation; every other mask is read as a decimal.
bool OwnNotation(std::u16string_view mask)
{
    if (mask.empty() || mask.front() == u'.')
        return false;
    return mask.back() == u'x' || mask.back() == u'X' || mask.back() == u'b' || mask.front() == u'%';
}

}  // namespace

CCtrlGrid::CCtrlGrid(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent)
    : CCellGrid(parent),
      CCtrlBase(*this, app, std::move(definition), hidden),
      m_shape(GRID_SHAPE::Of(m_definition)),
      m_values(CUtility::DescribeGridBlock(m_definition, false, &app)),
      m_dlgModGridVal(this)
{
    m_xAxis.conversion = CConversione(&app);
    m_yAxis.conversion = CConversione(&app);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetRowCount(m_shape.Rows());
    SetColumnCount(m_shape.Columns());
    SetFixedRowCount(m_shape.hasHeaderRow ? 1 : 0);
    SetFixedColumnCount(m_shape.hasHeaderColumn ? 1 : 0);

    // The fixed headers' labels, from the second row or column when the
    // other header exists.
    if (const GridBlock* block = std::get_if<GridBlock>(&m_definition.GRAFICA)) {
        if (m_shape.hasHeaderColumn && m_shape.headerColumnFixed)
            for (std::int32_t r = m_shape.FirstValueRow(), i = 0; r < m_shape.Rows(); ++r, ++i)
                if (static_cast<std::size_t>(i) < block->PRIMA_COLONNA.VET_ETICHETTE.size())
                    PutCellText(r, 0, block->PRIMA_COLONNA.VET_ETICHETTE[static_cast<std::size_t>(i)]);
        if (m_shape.hasHeaderRow && m_shape.headerRowFixed)
            for (std::int32_t c = m_shape.FirstValueColumn(), j = 0; c < m_shape.Columns(); ++c, ++j)
                if (static_cast<std::size_t>(j) < block->PRIMA_RIGA.VET_ETICHETTE.size())
                    PutCellText(0, c, block->PRIMA_RIGA.VET_ETICHETTE[static_cast<std::size_t>(j)]);
    }

    // The default values, which are also the first reference texts.
    ResetReferenceTexts();
    for (std::int32_t r = m_shape.FirstValueRow(); r < m_shape.Rows(); ++r) {
        for (std::int32_t c = m_shape.FirstValueColumn(); c < m_shape.Columns(); ++c) {
            const GRID_CELL index = m_shape.BlockIndexes(r, c);
            const auto i = static_cast<std::size_t>(index.row);
            const auto j = static_cast<std::size_t>(index.column);
            if (i >= m_values.values.size() || j >= m_values.values[i].size())
                continue;
            const std::u16string text = CWValueText::Format(m_values.format, m_values.values[i][j]);
            PutCellText(r, c, text);
            m_refTexts.SetCell(r, c, text);
        }
    }
    m_nToolTipKind = 3;
    // Copy and paste are the map's own, and so is its undo, in place of a
    // control's.
    VEXAR_ON_COMMAND(commands(), link::ID_EDIT_COPY, CCtrlGrid::OnCopy);
    VEXAR_ON_COMMAND(commands(), link::ID_EDIT_PASTE, CCtrlGrid::OnPaste);
    commands().Override(link::ID_EDIT_UNDO, [this] { OnUndo(); }, "CCtrlGrid::OnUndo");
}

CCtrlGrid::~CCtrlGrid()
{
    // The labels are children of the page: those the page has not taken
    // with it yet go with the map.
    for (const QPointer<CCtrlStatic>& label : m_labels)
        delete label.data();
}

// ---- Descriptors ---------------------------------------------------------------------

const GRID_AXIS& CCtrlGrid::Descriptor(GridBlockKind block) const
{
    switch (block) {
    case GridBlockKind::XAxis: return m_xAxis;
    case GridBlockKind::YAxis: return m_yAxis;
    case GridBlockKind::Values: break;
    }
    return m_values;
}

const GRID_AXIS& CCtrlGrid::DescriptorOf(std::int32_t row, std::int32_t column) const
{
    return Descriptor(m_shape.BlockOf(row, column));
}

void CCtrlGrid::SetAxis(GridHeader header, GRID_AXIS axis)
{
    // The axis reads its operands where the map does.
    axis.conversion = CConversione(&m_app);
    axis.conversion.SetConversion(axis.definition.TIPO_CONV, axis.definition.ID_GUI, &axis.definition.CONVERSIONE,
                                  axis.definition.TIPO);
    (header == GridHeader::Rows ? m_yAxis : m_xAxis) = std::move(axis);
}

std::vector<CConversione*> CCtrlGrid::Conversions()
{
    return {&m_values.conversion, &m_xAxis.conversion, &m_yAxis.conversion};
}

// ---- Cells -------------------------------------------------------------------------------

bool CCtrlGrid::IsCellEditable(std::int32_t row, std::int32_t column) const
{
    return m_shape.IsCellEditable(row, column);
}

std::u16string CCtrlGrid::CellText(std::int32_t row, std::int32_t column) const
{
    return GetCellText(row, column).toStdU16String();
}

// The base picture no longer shows the cells: the next painting draws
// them again, whoever changed them.
void CCtrlGrid::PutCellText(std::int32_t row, std::int32_t column, const std::u16string& text)
{
    if (SetCellText(row, column, ToQ(text)))
        m_bCellsChanged = true;
}

void CCtrlGrid::ReadNumber(const GRID_AXIS& descriptor, std::u16string text, double& value, bool& ok) const
{
    if (OwnNotation(descriptor.format)) {
        const std::optional<double> read = CWValueText::Parse(descriptor.format, text);
        ok = read.has_value();
        value = read.value_or(0.0);
        return;
    }
    std::replace(text.begin(), text.end(), u',', u'.');
    ok = StrToDouble(text, value);
}

bool CCtrlGrid::SetCellValue(double value, std::int32_t row, std::int32_t column)
{
    if (!IsCellEditable(row, column))
        return false;
    PutCellText(row, column, CWValueText::Format(DescriptorOf(row, column).format, value));
    return true;
}

bool CCtrlGrid::GetCellValue(double& value, std::int32_t row, std::int32_t column) const
{
    if (!IsCellEditable(row, column))
        return false;
    bool ok = false;
    ReadNumber(DescriptorOf(row, column), CellText(row, column), value, ok);
    return ok;
}

bool CCtrlGrid::ImagesExist() const { return m_app.m_pParMaster && m_app.m_pParWork; }

bool CCtrlGrid::HiddenFixed() const { return m_definition.FIXDEF == FIX_ON && IsCondHidden(); }

void CCtrlGrid::RefreshCell(std::int32_t row, std::int32_t column)
{
    const GRID_AXIS& descriptor = DescriptorOf(row, column);
    const std::int32_t size = descriptor.dataSize;
    const std::int32_t address = m_shape.CellAddress(row, column, descriptor.definition.LSB, size);
    if (!ImagesExist() || address < 0 || size <= 0 || std::int64_t{address} + size > m_app.m_nParSize)
        return;
    {
        std::lock_guard lock(m_app.m_csParImage);
        std::copy_n(m_app.m_pParMaster.get() + address, size, m_app.m_pParWork.get() + address);
    }
    std::int32_t raw = 0;
    int bytes = 0;
    const std::span<const std::uint8_t> work(m_app.m_pParWork.get(), static_cast<std::size_t>(m_app.m_nParSize));
    if (!CUtility::ReadDatoValue(work, address, raw, bytes, descriptor.definition.TIPO, descriptor.definition.MASCHERA,
                                 m_app.m_bLittleEndian != 0))
        return;
    SetCellValue(descriptor.conversion.ToPhysical(raw), row, column);
}

// A cell whose text does not read as a number is not encoded: its bytes
// stay as the image holds them.
void CCtrlGrid::StoreCell(std::int32_t row, std::int32_t column)
{
    const GRID_AXIS& descriptor = DescriptorOf(row, column);
    const std::int32_t size = descriptor.dataSize;
    const std::int32_t address = m_shape.CellAddress(row, column, descriptor.definition.LSB, size);
    double value = 0.0;
    if (!ImagesExist() || address < 0 || size <= 0 || std::int64_t{address} + size > m_app.m_nParSize ||
        !GetCellValue(value, row, column))
        return;
    const std::int32_t raw = descriptor.conversion.ToRaw(value);
    std::uint8_t* master = m_app.m_pParMaster.get();
    std::uint8_t* work = m_app.m_pParWork.get();
    // The bytes come from the master image first, so the bits of a flag
    // that others changed since the last refresh are written as they are.
    {
        std::lock_guard lock(m_app.m_csParImage);
        std::copy_n(master + address, size, work + address);
    }
    int bytes = 0;
    if (!CUtility::WriteDatoValue(std::span<std::uint8_t>(work, static_cast<std::size_t>(m_app.m_nParSize)), address,
                                  raw, bytes, descriptor.definition.TIPO, descriptor.definition.MASCHERA,
                                  m_app.m_bLittleEndian != 0))
        return;
    m_pending.Widen(address, size);
    std::lock_guard lock(m_app.m_csParImage);
    std::copy_n(work + address, size, master + address);
}

void CCtrlGrid::StoreCellIfEnabled(std::int32_t row, std::int32_t column)
{
    if (m_definition.CATEGORIA != CTRL_GRID || !ImagesExist() || HiddenFixed() || !IsCellEditable(row, column))
        return;
    StoreCell(row, column);
}

void CCtrlGrid::BeginStorePass() { m_pending.Begin(m_app.m_nParSize); }

void CCtrlGrid::PostWriteRange()
{
    if (!m_app.m_bLinked)
        return;
    // Without a worker the request is refused and the master image keeps
    // the cells for the next whole-image write.
    m_app.PostLinkRequest(link::WM_LINK_WRITE_RANGE, static_cast<std::uintptr_t>(m_pending.Offset(m_app.m_nParSize)),
                          m_pending.Length(m_app.m_nParSize));
}

// A refresh shows what the image holds: it is no change of the user's,
// and takes no undo copy. When it changes a cell of the undo copy's block,
// the copy no longer stands for the cells shown and is dropped, so that
// undo cannot write texts of before the refresh over the ECU's values.
void CCtrlGrid::RefreshAllCells()
{
    bool undoBlockChanged = false;
    for (std::int32_t r = 0; r < m_shape.Rows(); ++r) {
        for (std::int32_t c = 0; c < m_shape.Columns(); ++c) {
            if (!IsCellEditable(r, c))
                continue;
            const bool inUndoBlock = m_undoBlock.Contains(r, c);
            const std::u16string before = inUndoBlock ? CellText(r, c) : std::u16string();
            RefreshCell(r, c);
            undoBlockChanged = undoBlockChanged || (inUndoBlock && CellText(r, c) != before);
        }
    }
    if (undoBlockChanged)
        DropUndoCopy();
}

void CCtrlGrid::StoreEditableCells()
{
    for (std::int32_t r = 0; r < m_shape.Rows(); ++r)
        for (std::int32_t c = 0; c < m_shape.Columns(); ++c)
            if (IsCellEditable(r, c))
                StoreCell(r, c);
}

void CCtrlGrid::WriteValue(bool post, bool force)
{
    if (m_definition.CATEGORIA != CTRL_GRID || !ImagesExist())
        return;
    if (!HiddenFixed() || force) {
        BeginStorePass();
        StoreEditableCells();
        if (post)
            PostWriteRange();
    }
    Redraw(kRedrawAll);
}

void CCtrlGrid::CopyBlock(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                          CStringMatrix& matrix, GRID_SELECTION& block) const
{
    matrix.RemoveAll();
    matrix.SetColumns(std::max(right - left + 1, 0));
    for (std::int32_t r = top; r <= bottom; ++r) {
        matrix.AddRow(u"");
        for (std::int32_t c = left; c <= right; ++c)
            matrix.SetCell(r - top, c - left, CellText(r, c));
    }
    block = {left, top, right, bottom};
}

void CCtrlGrid::KeepForUndo(const GRID_SELECTION& block, bool selects)
{
    CopyBlock(block.left, block.top, block.right, block.bottom, m_undoMatrix, m_undoBlock);
    m_bUndoSelects = selects;
}

void CCtrlGrid::DropUndoCopy()
{
    m_undoMatrix.RemoveAll();
    m_undoBlock.Clear();
    m_bUndoSelects = false;
}

void CCtrlGrid::SnapshotCells() { KeepForUndo({0, 0, m_shape.Columns() - 1, m_shape.Rows() - 1}, false); }

void CCtrlGrid::ResetReferenceTexts()
{
    m_refTexts.RemoveAll();
    m_refTexts.SetColumns(m_shape.Columns());
    for (std::int32_t r = 0; r < m_shape.Rows(); ++r)
        m_refTexts.AddRow(u"");
}

// An axis caption, when given, goes into its label, fitted to it. The
// caption of the rows stands at the map's top left, on the line of the
// title centred above the map: when the two would overlap, the title moves
// up a line, above the caption, if the parent has room for it there.
void CCtrlGrid::ShowAxisCaption(Label which, const std::u16string& caption)
{
    CCtrlStatic* label = GetLabel(which);
    if (caption.empty() || !label || !parentWidget())
        return;
    const QPoint origin = parentWidget()->mapToGlobal(QPoint(0, 0));
    CUtility::FitWindowToText(*label, origin.x(), origin.y(), caption);
    CCtrlStatic* title = GetLabel(kTitle);
    if (which != kUpperLeftText || !title || !title->geometry().intersects(label->geometry()))
        return;
    const int top = label->y() - title->height() - 5;
    if (top >= 0)
        title->move(title->x(), top);
}

void CCtrlGrid::SetXBreakpoints(const std::vector<double>& values, const std::u16string& caption)
{
    ShowAxisCaption(kRightText, caption);
    if (!m_shape.hasHeaderRow)
        return;
    for (std::int32_t c = m_shape.FirstValueColumn(), j = 0; c < m_shape.Columns(); ++c, ++j) {
        if (static_cast<std::size_t>(j) >= values.size())
            break;
        const std::u16string text = CWValueText::Format(m_xAxis.format, values[static_cast<std::size_t>(j)]);
        PutCellText(0, c, text);
        if (!caption.empty())
            m_refTexts.SetCell(0, c, text);
    }
}

void CCtrlGrid::SetYBreakpoints(const std::vector<std::vector<double>>& rows, const std::u16string& caption)
{
    ShowAxisCaption(kUpperLeftText, caption);
    if (!m_shape.hasHeaderColumn)
        return;
    for (std::int32_t r = m_shape.FirstValueRow(), i = 0; r < m_shape.Rows(); ++r, ++i) {
        if (static_cast<std::size_t>(i) >= rows.size() || rows[static_cast<std::size_t>(i)].empty())
            break;
        const std::u16string text = CWValueText::Format(m_yAxis.format, rows[static_cast<std::size_t>(i)].front());
        PutCellText(r, 0, text);
        if (!caption.empty())
            m_refTexts.SetCell(r, 0, text);
    }
}

// ---- Messages ------------------------------------------------------------------------------

void CCtrlGrid::OnRefreshValue()
{
    if (!ImagesExist())
        return;
    // A map of a shared datum hidden by its conditions keeps its cells.
    if (!HiddenFixed())
        RefreshAllCells();
    Redraw(kRedrawAll);
}

void CCtrlGrid::OnForceRefresh()
{
    if (!ImagesExist())
        return;
    RefreshAllCells();
    Redraw(kRedrawAll);
}

void CCtrlGrid::OnStoreValue()
{
    if (!ImagesExist())
        return;
    BeginStorePass();
    StoreEditableCells();
}

void CCtrlGrid::OnWriteRequest(std::uintptr_t wParam, std::intptr_t lParam) { WriteValue(wParam != 0, lParam != 0); }

void CCtrlGrid::OnEnableCtrl(bool enable)
{
    ui::EnableWindow(*this, enable);
    for (const QPointer<CCtrlStatic>& label : m_labels)
        if (label)
            ui::EnableWindow(*label, enable);
}

// The reference texts stay: the next save records every cell whose
// default differs from the value last loaded or saved. No request is
// posted; the caller writes the whole image afterwards.
void CCtrlGrid::OnSetDefault()
{
    SnapshotCells();
    for (std::int32_t r = m_shape.FirstValueRow(); r < m_shape.Rows(); ++r) {
        for (std::int32_t c = m_shape.FirstValueColumn(); c < m_shape.Columns(); ++c) {
            const GRID_CELL index = m_shape.BlockIndexes(r, c);
            const auto i = static_cast<std::size_t>(index.row);
            const auto j = static_cast<std::size_t>(index.column);
            if (i < m_values.values.size() && j < m_values.values[i].size())
                PutCellText(r, c, CWValueText::Format(m_values.format, m_values.values[i][j]));
        }
    }
    if (m_shape.ColumnCalibrable())
        SetYBreakpoints(m_yAxis.values, u"");
    if (m_shape.RowCalibrable() && !m_xAxis.values.empty())
        SetXBreakpoints(m_xAxis.values.front(), u"");
    WriteValue(false, false);
}

std::intptr_t CCtrlGrid::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                   std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case link::WM_CTRL_REFRESH: OnRefreshValue(); return 0;
    case link::WM_CTRL_STORE_WRITE: OnWriteRequest(wParam, lParam); return 0;
    case link::WM_CTRL_ENABLE: OnEnableCtrl(wParam != 0); return 0;
    case link::WM_CTRL_SET_DEFAULT: OnSetDefault(); return 0;
    case WM_GRID_MARKER: OnUpdateOperatingPoint(wParam); return 0;
    case link::WM_CTRL_FORCE_REFRESH: OnForceRefresh(); return 0;
    case link::WM_CTRL_STORE: OnStoreValue(); return 0;
    case link::WM_CTRL_TOOLTIP: OnRelayToolTip(ui::PayloadAs<TOOLTIP_MSG>(payload)); return 0;
    default: break;
    }
    return CCtrlBase::onMessage(id, wParam, lParam, payload);
}

// The record is the window's: it goes with the message whether or not a
// tooltip takes it.
void CCtrlGrid::OnRelayToolTip(const TOOLTIP_MSG* relayed)
{
    if (relayed && m_toolTip)
        m_toolTip->RelayEvent(relayed->type, relayed->globalPos);
}

// ---- Labels, show and hide ------------------------------------------------------------------

void CCtrlGrid::SetLabel(Label which, CCtrlStatic* label) { m_labels[which] = label; }

CCtrlStatic* CCtrlGrid::GetLabel(Label which) const { return m_labels[which].data(); }

void CCtrlGrid::ShowWindow(bool show)
{
    if (QWidget* parent = parentWidget())
        parent->setFocus();
    CCtrlBase::ShowWindow(show);
    for (const QPointer<CCtrlStatic>& label : m_labels)
        if (label)
            ui::ShowWindow(*label, show ? ui::SW_SHOW : ui::SW_HIDE);
}
