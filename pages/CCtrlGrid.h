#pragma once

// The calibration map of a configured page (CTRL_GRID): a table or a
// two-dimensional map of the ECU's parameters laid out as a grid of cells,
// with an optional header row of column breakpoints (the X axis) and an
// optional header column of row breakpoints (the Y axis). A header shows
// fixed texts of the definition, or the points of a calibrable breakpoint
// vector, which are stored and written like the values.
//
// Every cell is a datum of its own in the parameter image; a change of
// many cells (the change dialog, a paste, an undo) is one store pass that
// ends in one write request for the whole changed byte range. The cell
// store below holds the texts and the geometry; the map paints every pixel
// itself from cached layers (the cells, the selection, and the
// operating-point marker drawn last) and handles the mouse and the keys.
//
// Cell texts, breakpoints and file values are read in their block's
// notation (the inverse of its display mask), so a hexadecimal map reads
// back "00FF" as 255; a decimal text takes ',' as '.'.

#include "common/CStringMatrix.h"
#include "pages/CCtrlBase.h"
#include "pages/CDlgModGridVal.h"
#include "pages/core/GridAxis.h"
#include "pages/core/GridMarker.h"
#include "pages/core/GridSelection.h"
#include "pages/core/GridShape.h"
#include "pages/widgets/CCellGrid.h"

#include <QFont>
#include <QImage>
#include <QPointer>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CCtrlStatic;
class CCtrlToolTip;

class CCtrlGrid : public CCellGrid, public CCtrlBase {
public:
    // Repaint modes: the marker only, everything, the selection.
    static constexpr int kRedrawMarker = 0;
    static constexpr int kRedrawAll = 1;
    static constexpr int kRedrawSelection = 2;

    static constexpr vexar::ui::COLORREF kHeaderFill = 0xC6BDAA;
    static constexpr vexar::ui::COLORREF kValueFill = 0xFFFFFF;
    static constexpr vexar::ui::COLORREF kHeaderBorder = 0x000000;
    static constexpr vexar::ui::COLORREF kValueBorder = 0xC0C0C0;
    static constexpr vexar::ui::COLORREF kSelectedFill = 0x840000;
    static constexpr vexar::ui::COLORREF kSelectedText = 0xFFFFFF;

    CCtrlGrid(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent);
    ~CCtrlGrid() override;

    // ---- The contract ----
    double GetValue() const override { return 0.0; }
    void WriteValue(bool post, bool force) override;
    std::vector<CConversione*> Conversions() override;
    bool SaveParam(CCriptFile& file, CModifica& history) override;
    // A map reads its lines as a group only.
    bool LoadParam(std::u16string line) override;
    bool LoadParam(CCriptFile& file, std::u16string line, CalibGroupRead& read) override;
    void ExportText(CStdioFileEx& file) const override;
    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

    // ---- Shape and descriptors ----
    const GRID_SHAPE& Shape() const { return m_shape; }
    const GRID_AXIS& Descriptor(GridBlockKind block) const;
    const GRID_AXIS& DescriptorOf(std::int32_t row, std::int32_t column) const;
    // The builder's set-up of a calibrable header from its breakpoint
    // vector (GridHeader::Rows: the Y axis beside the rows).
    void SetAxis(GridHeader header, GRID_AXIS axis);

    // ---- Cells ----
    bool IsCellEditable(std::int32_t row, std::int32_t column) const;
    // Formats the value with the cell's display mask and shows it; false,
    // nothing changed, for a cell that is not editable.
    bool SetCellValue(double value, std::int32_t row, std::int32_t column);
    // The cell's text read in its block's notation; false for a cell that
    // is not editable or a text that is no number.
    bool GetCellValue(double& value, std::int32_t row, std::int32_t column) const;
    std::u16string CellText(std::int32_t row, std::int32_t column) const;
    void PutCellText(std::int32_t row, std::int32_t column, const std::u16string& text);
    void RefreshCell(std::int32_t row, std::int32_t column);
    void StoreCell(std::int32_t row, std::int32_t column);
    void StoreCellIfEnabled(std::int32_t row, std::int32_t column);
    void BeginStorePass();
    void PostWriteRange();
    void CopyBlock(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                   CStringMatrix& matrix, GRID_SELECTION& block) const;
    // The undo copy of the whole map (page build, set default, a
    // calibration file), which undo restores without selecting it.
    void SnapshotCells();
    void SetXBreakpoints(const std::vector<double>& values, const std::u16string& caption);
    void SetYBreakpoints(const std::vector<std::vector<double>>& rows, const std::u16string& caption);
    const CStringMatrix& ReferenceTexts() const { return m_refTexts; }
    const CStringMatrix& UndoMatrix() const { return m_undoMatrix; }
    const GRID_SELECTION& UndoBlock() const { return m_undoBlock; }

    // ---- Messages ----
    void OnRefreshValue();
    void OnWriteRequest(std::uintptr_t wParam, std::intptr_t lParam);
    void OnEnableCtrl(bool enable);
    void OnSetDefault();
    // A pointer event the page relays to the map's tooltip.
    void OnRelayToolTip(const TOOLTIP_MSG* relayed);
    void OnUpdateOperatingPoint(std::uintptr_t kind);
    void OnForceRefresh();
    void OnStoreValue();
    void OnCopy();
    void OnPaste();
    void OnUndo();

    // ---- Editing ----
    const GRID_SELECTION& Selection() const { return m_selection; }
    void SetSelection(const GRID_SELECTION& selection) { m_selection = selection; }
    const GRID_CURSOR& Cursor() const { return m_cursor; }
    void SetCurrentCell(GRID_CELL cell) { m_cursor.current = cell; }
    bool IsSelectionValid() const;
    void ExtendSelection();
    void CollapseSelection();
    // An arrow key (0x25 to 0x28), with or without Shift.
    void MoveCursor(std::int32_t key, bool shift);
    void EditCells();
    bool CopyToClipboard();
    bool PasteFromClipboard();
    // Pastes a text as the clipboard would hand it.
    bool PasteText(const std::u16string& text);
    std::int32_t ToolTipKind() const { return m_nToolTipKind; }
    CCtrlToolTip* GridToolTip() const { return m_toolTip.get(); }
    bool AttachGridToolTip();
    CDlgModGridVal& ChangeDialog() { return m_dlgModGridVal; }

    // ---- Operating point ----
    GRID_MARKER& Marker() { return m_marker; }
    const GRID_MARKER& Marker() const { return m_marker; }
    // The operating cell's text and rectangle; the marker point is set.
    bool LocateOperatingPoint(std::u16string& text, QRect& cell);

    // ---- Drawing ----
    void Redraw(int mode);
    void SetPageFont(const QFont& font);
    void SetRowHeightPixels(std::int32_t pixels) { m_nRowHeightPx = pixels; }
    std::int32_t RowHeightPixels() const { return m_nRowHeightPx; }
    void SetColumnWidthPixels(std::int32_t pixels) { m_nColWidthPx = pixels; }
    vexar::ui::COLORREF m_headerFill = kHeaderFill;
    vexar::ui::COLORREF m_valueFill = kValueFill;
    vexar::ui::COLORREF m_headerText = 0x000000;
    vexar::ui::COLORREF m_valueText = 0x000000;

    // ---- Labels ----
    enum Label { kTitle, kRightText, kUpperLeftText };
    void SetLabel(Label which, CCtrlStatic* label);
    CCtrlStatic* GetLabel(Label which) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // The contract's per-datum hooks, which a map does not use: its cells
    // go their own way above.
    void ShowRaw(std::int32_t) override {}
    std::int32_t RawFromShown() const override { return 0; }
    ShownValue Shown() const override { return {}; }
    void PutShown(const ShownValue&) override {}
    std::u16string ValueText() const override { return {}; }
    bool LoadValueText(std::u16string&) override { return false; }
    void ShowDefault() override {}
    bool KeepsHistory() const override { return true; }
    bool TakesProfileEnable() const override { return false; }
    // The map shows and hides with its labels; the page takes the focus.
    void ShowWindow(bool show) override;

private:
    struct Block {
        GridBlockKind kind;
        std::int32_t rowOffset;
        std::int32_t rowLimit;
        std::int32_t columnOffset;
        std::int32_t columnLimit;
    };
    bool ImagesExist() const;
    bool HiddenFixed() const;
    // The undo copy of `block`; `selects`: the block is one the user chose
    // (the change dialog's selection, a pasted block), which undo selects
    // again.
    void KeepForUndo(const GRID_SELECTION& block, bool selects);
    void DropUndoCopy();
    void ReadNumber(const GRID_AXIS& descriptor, std::u16string text, double& value, bool& ok) const;
    void RefreshAllCells();
    void StoreEditableCells();
    void Edit(const GRID_AXIS& descriptor, double entered, std::int32_t mode);
    void SaveBlock(CCriptFile& file, CModifica& history, const Block& block);
    bool LoadBlockLines(CCriptFile& file, const Block& block, const std::u16string& first, CalibGroupRead& read);
    void ExportBlock(CStdioFileEx& file, const Block& block) const;
    std::vector<Block> FileBlocks() const;
    std::u16string ElementName(const Block& block, std::int32_t row, std::int32_t column, bool label) const;
    void ResetReferenceTexts();
    void ShowAxisCaption(Label which, const std::u16string& caption);
    void UpdateToolTip(std::int32_t kind);
    std::int32_t RowHeight() const;
    void RebuildLayers(int mode);
    void DrawCells(QPainter& painter);
    void DrawSelection(QPainter& painter);
    void DrawMarker(QPainter& painter);
    void DrawCellText(QPainter& painter, const QRect& box, const QString& text);

    GRID_SHAPE m_shape;
    GRID_AXIS m_values;
    GRID_AXIS m_xAxis;
    GRID_AXIS m_yAxis;
    CStringMatrix m_refTexts;
    CStringMatrix m_undoMatrix;
    GRID_SELECTION m_undoBlock;
    bool m_bUndoSelects = false;
    GRID_SELECTION m_selection;
    GRID_CURSOR m_cursor;
    bool m_bButtonDown = false;
    GRID_WRITE_RANGE m_pending;
    GRID_MARKER m_marker;

    QFont m_font;
    std::int32_t m_nRowHeightPx = 0;
    std::int32_t m_nColWidthPx = 0;
    QImage m_base;      // the cells
    QImage m_composed;  // the cells with the selection
    bool m_bFirstPaint = true;
    bool m_bCellsChanged = false;  // since the base picture was drawn

    std::unique_ptr<CCtrlToolTip> m_toolTip;
    bool m_bToolTip = false;
    std::int32_t m_nToolTipKind = 0;
    std::array<QPointer<CCtrlStatic>, 3> m_labels;
    CDlgModGridVal m_dlgModGridVal;
};
