// The map's lines of a calibration file and of the checklist export: one
// line per value cell, then per point of a calibrable X axis, then per
// point of a calibrable Y axis, each named by its block's identifier and
// its indexes inside the block. The change history compares every cell
// with the text it had when last loaded or saved.
#include "pages/CCtrlGrid.h"

#include "common/CCriptFile.h"
#include "common/CStdioFileEx.h"
#include "config/CModifica.h"
#include "config/CalibLine.h"
#include "pages/core/CVEXARPages.h"
#include "pages/widgets/CWValueText.h"

#include <algorithm>

namespace {

std::u16string PointsForCommas(std::u16string text)
{
    std::replace(text.begin(), text.end(), u',', u'.');
    return text;
}

// Whether `line` is the first line of the block `name`: its cell (0, 0).
bool StartsBlock(const std::u16string& line, std::u16string_view name)
{
    const CalibLine::Fields fields = CalibLine::Split(line);
    if (fields.name != name)
        return false;
    std::int32_t row = 0;
    std::int32_t column = 0;
    CalibLine::ParseIndexes(fields.element, row, column);
    return row == 0 && column == 0;
}

}  // namespace

std::vector<CCtrlGrid::Block> CCtrlGrid::FileBlocks() const
{
    const std::int32_t rows = m_shape.Rows();
    const std::int32_t columns = m_shape.Columns();
    const std::int32_t firstRow = m_shape.FirstValueRow();
    const std::int32_t firstColumn = m_shape.FirstValueColumn();
    std::vector<Block> blocks{{GridBlockKind::Values, firstRow, rows, firstColumn, columns}};
    if (m_shape.RowCalibrable())
        blocks.push_back({GridBlockKind::XAxis, 0, 1, firstColumn, columns});
    if (m_shape.ColumnCalibrable())
        blocks.push_back({GridBlockKind::YAxis, firstRow, rows, 0, 1});
    return blocks;
}

std::u16string CCtrlGrid::ElementName(const Block& block, std::int32_t row, std::int32_t column, bool label) const
{
    const REC_CONTROLLO& definition = Descriptor(block.kind).definition;
    return CalibLine::CellName(label ? definition.ETICHETTA : definition.IDENTIFICATORE, row - block.rowOffset,
                               column - block.columnOffset);
}

// ---- Saving ----------------------------------------------------------------------------------

void CCtrlGrid::SaveBlock(CCriptFile& file, CModifica& history, const Block& block)
{
    const GRID_AXIS& descriptor = Descriptor(block.kind);
    // The block's comment goes on its first line only.
    std::u16string comment = descriptor.definition.COMMENTO;
    for (std::int32_t r = block.rowOffset; r < block.rowLimit; ++r) {
        for (std::int32_t c = block.columnOffset; c < block.columnLimit; ++c) {
            const std::u16string name = ElementName(block, r, c, false);
            const std::u16string value = PointsForCommas(CellText(r, c));
            file.Write(CalibLine::Format(name, value, comment));
            comment.clear();

            // Compared as numbers: 1.50 and 1.5 are one value. A cell not
            // loaded or saved since the references were reset records
            // nothing.
            const std::u16string reference = m_refTexts.GetCell(r, c);
            if (reference.empty())
                continue;
            double before = 0.0;
            double now = 0.0;
            bool ok = false;
            ReadNumber(descriptor, reference, before, ok);
            ReadNumber(descriptor, value, now, ok);
            if (before == now)
                continue;
            MODIFICA change;
            change.IDENTIFICATORE = name;
            change.PRECEDENTE = reference;
            change.CORRENTE = value;
            change.time = m_app.m_clock();
            history.AddModification(change);
            m_refTexts.SetCell(r, c, value);
        }
    }
}

bool CCtrlGrid::SaveParam(CCriptFile& file, CModifica& history)
{
    for (const Block& block : FileBlocks())
        SaveBlock(file, history, block);
    return true;
}

// ---- Loading ---------------------------------------------------------------------------------

bool CCtrlGrid::LoadParam(std::u16string line)
{
    (void)line;
    return false;
}

bool CCtrlGrid::LoadBlockLines(CCriptFile& file, const Block& block, const std::u16string& first,
                               CalibGroupRead& read)
{
    const GRID_AXIS& descriptor = Descriptor(block.kind);
    const auto parse = [this, &descriptor](std::u16string& text, double& value) {
        bool ok = false;
        ReadNumber(descriptor, text, value, ok);
        return ok;
    };
    const auto cell = [this, &descriptor](std::int32_t row, std::int32_t column, const std::u16string&, double value) {
        const std::u16string text = CWValueText::Format(descriptor.format, value);
        PutCellText(row, column, text);
        m_refTexts.SetCell(row, column, text);
    };
    return CalibLine::ReadCellBlock(file, descriptor.definition.IDENTIFICATORE, first, block.rowOffset, block.rowLimit,
                                    block.columnOffset, block.columnLimit, parse, cell, read);
}

// Loading changes the cells and the reference texts only: the reader has
// every control store afterwards, and nothing is written here. Ctrl+Z
// then restores the cells as they were before the file.
bool CCtrlGrid::LoadParam(CCriptFile& file, std::u16string line, CalibGroupRead& read)
{
    read = CalibGroupRead{};
    SnapshotCells();
    ResetReferenceTexts();
    std::u16string current = std::move(line);
    std::int32_t taken = 0;
    for (const Block& block : FileBlocks()) {
        CalibGroupRead part;
        if (!LoadBlockLines(file, block, current, part))
            return false;
        taken += part.taken;
        current = part.next;
    }
    read.next = current;
    read.taken = taken;
    // A line that starts one of the map's blocks anew (its cell (0, 0)) is
    // treated again, even when it equals the line handed in.
    for (const Block& block : FileBlocks())
        read.again = read.again || StartsBlock(read.next, Descriptor(block.kind).definition.IDENTIFICATORE);
    Redraw(kRedrawAll);
    return true;
}

// ---- Export ------------------------------------------------------------------------------------

void CCtrlGrid::ExportBlock(CStdioFileEx& file, const Block& block) const
{
    for (std::int32_t r = block.rowOffset; r < block.rowLimit; ++r)
        for (std::int32_t c = block.columnOffset; c < block.columnLimit; ++c)
            file.WriteString(ElementName(block, r, c, false) + u"\t" + ElementName(block, r, c, true) + u"\t" +
                             PointsForCommas(CellText(r, c)) + u"\n");
}

void CCtrlGrid::ExportText(CStdioFileEx& file) const
{
    for (const Block& block : FileBlocks())
        ExportBlock(file, block);
}
