#include "pages/CUtilityGrid.h"

#include "pages/CCtrlGrid.h"
#include "pages/CCtrlLed.h"
#include "pages/CUtilityLabels.h"
#include "pages/core/CUtilityBuild.h"
#include "pages/core/CUtilityTables.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/WindowState.h"

#include <QWidget>

#include <new>

using namespace vexar;

namespace CUtility {

namespace {

std::int32_t FontTwips(const QWidget& window, const QFont& font) { return GetFontSizeTwips(window, font); }

// Every row the page font's height + 100 twips, every column the
// settings' width; the map then takes the size of its cells, 5 pixels
// over on each side.
void SizeCells(CCtrlGrid& grid, const QFont& font, std::int32_t columnWidth)
{
    const std::int32_t rowTwips = FontTwips(grid, font) + 100;
    grid.SetRowHeightPixels(TwipsToPixels(grid, rowTwips, false));
    grid.SetColumnWidthPixels(columnWidth);
    const std::int32_t columnTwips = PixelsToTwips(grid, columnWidth, true);
    for (std::int32_t r = 0; r < grid.GetRowCount(); ++r)
        grid.SetRowHeight(r, rowTwips);
    for (std::int32_t c = 0; c < grid.GetColumnCount(); ++c)
        grid.SetColumnWidth(c, columnTwips);
    const std::int32_t rows = grid.GetRowCount();
    const std::int32_t columns = grid.GetColumnCount();
    if (rows > 0 && columns > 0)
        grid.resize(TwipsToPixels(grid, grid.GetColumnWidth(0), true) * columns + 5,
                    TwipsToPixels(grid, grid.GetRowHeight(0), false) * rows + 5);
}

void MakeLabels(const CTRL_CREATE& args, CCtrlGrid& grid)
{
    const REC_CONTROLLO& definition = *args.definition;
    const GridBlock* block = std::get_if<GridBlock>(&definition.GRAFICA);
    LabelSlot title;
    LabelSlot right;
    LabelSlot upperLeft;
    CreateGridCaption(args, grid.geometry(), args.development ? definition.IDENTIFICATORE : definition.ETICHETTA,
                      definition.UNITA, block ? block->PRIMA_RIGA.VET_UNITA : std::u16string(),
                      block ? block->PRIMA_COLONNA.VET_UNITA : std::u16string(), &title, &right, &upperLeft);
    grid.SetLabel(CCtrlGrid::kTitle, title.release());
    grid.SetLabel(CCtrlGrid::kRightText, right.release());
    grid.SetLabel(CCtrlGrid::kUpperLeftText, upperLeft.release());
}

}  // namespace

bool CreateCtrlGrid(const CTRL_CREATE& args, CCtrlGrid*& control)
{
    control = nullptr;
    if (!args.app || !args.definition || !args.parent)
        return false;
    const REC_CONTROLLO& definition = *args.definition;
    auto* grid = new (std::nothrow) CCtrlGrid(*args.app, definition, args.hidden, args.parent);
    if (!grid)
        return false;

    const GRID_PIXELS size = CalcGridSize(args.font, *grid, args.settings, definition);
    const PAGE_RECT origin = CellOrigin(args.grid, args.row, args.column);
    grid->setGeometry(origin.left, origin.top, size.width, size.height);
    ui::SetDlgCtrlID(*grid, args.baseId + definition.ID_GUI);
    grid->SetPageFont(args.font);
    SizeCells(*grid, args.font, args.settings.gridColumnWidth);
    MakeLabels(args, *grid);

    // The limited profile gets the map without input until the link
    // enables it.
    ui::EnableWindow(*grid, !args.limited);
    grid->m_headerFill = CCtrlGrid::kHeaderFill;
    CDlgModGridVal& dialog = grid->ChangeDialog();
    dialog.m_font = args.font;
    dialog.m_strLangFile = args.languageFile;
    dialog.m_captionColour = args.settings.textColour;
    dialog.m_valueColour = args.settings.valueColour;
    grid->m_headerText = args.settings.textColour;
    grid->m_valueText = args.settings.valueColour;
    grid->AttachGridToolTip();
    // The layers take their memory now, at their final size, and not in
    // the first painting.
    grid->Redraw(CCtrlGrid::kRedrawAll);
    grid->setVisible(args.visible && !args.hidden);
    control = grid;
    return true;
}

void SetupGridAxes(CCtrlGrid& map, std::span<const REC_CONTROLLO> definitions, bool development)
{
    const REC_CONTROLLO& definition = map.GetDefinition();
    GRID_AXIS axis;
    if (SetupGridAxis(definition, GridHeader::Rows, definitions, development, &map.App(), axis)) {
        const std::vector<std::vector<double>> points = axis.values;
        const std::u16string caption = axis.caption;
        map.SetAxis(GridHeader::Rows, std::move(axis));
        map.SetYBreakpoints(points, caption);
    }
    if (SetupGridAxis(definition, GridHeader::Columns, definitions, development, &map.App(), axis)) {
        const std::vector<double> points = axis.values.empty() ? std::vector<double>() : axis.values.front();
        const std::u16string caption = axis.caption;
        map.SetAxis(GridHeader::Columns, std::move(axis));
        map.SetXBreakpoints(points, caption);
    }
    map.SnapshotCells();
    // The layers drawn with the axes in place: the first painting only
    // copies them.
    map.Redraw(CCtrlGrid::kRedrawAll);
}

void SetupGridAxes(IDataCtrl* control, std::span<const REC_CONTROLLO> definitions, bool development)
{
    if (auto* map = dynamic_cast<CCtrlGrid*>(control))
        SetupGridAxes(*map, definitions, development);
}

void SetGridLanguageFile(const CTRL_TABLE& table, const std::string& languageFile)
{
    for (const CTRL_WND& entry : table)
        if (entry.category == CTRL_GRID)
            if (auto* map = dynamic_cast<CCtrlGrid*>(entry.wnd))
                map->ChangeDialog().m_strLangFile = languageFile;
}

GRID_PIXELS CalcGridSize(const QFont& font, const QWidget& window, const LAYOUT_SETTINGS& settings,
                         const REC_CONTROLLO& definition)
{
    return GridPixelSize(GRID_SHAPE::Of(definition), FontTwips(window, font), window.logicalDpiY(),
                         settings.gridColumnWidth, settings.gridMax.width, settings.gridMax.height);
}

void LinkGridCursors(CTRL_TABLE* parameters, std::span<const REC_CONTROLLO> definitions, CTRL_TABLE* variables)
{
    if (!parameters || !variables)
        return;
    for (const CTRL_WND& entry : *parameters) {
        if (entry.category != CTRL_GRID)
            continue;
        auto* map = dynamic_cast<CCtrlGrid*>(entry.wnd);
        const REC_CONTROLLO* definition = FindDefinition(entry.key, definitions);
        const GridBlock* block = definition ? std::get_if<GridBlock>(&definition->GRAFICA) : nullptr;
        // The variables that the variable pages place, without the
        // unplaced area's.
        const CTRL_TABLE* placed = map ? map->App().m_pVarTable2 : nullptr;
        if (map && block && placed)
            LinkGridAxes(entry.wnd, map->Marker(), *block, *variables, *placed);
    }
}

bool GetCtrlDisplayValue(const CTRL_WND& entry, double& value)
{
    value = 0.0;
    switch (entry.category) {
    case CTRL_LED:
        if (auto* lamp = dynamic_cast<CCtrlLed*>(entry.wnd)) {
            value = lamp->ReadImageValue();
            return true;
        }
        return false;
    case CTRL_BAR:
    case CTRL_TERM:
    case CTRL_NUMERIC:
    case CTRL_RPM:
    case CTRL_VMETER:
    case CTRL_STATO:
        if (CCtrlCore* control = CtrlOf(entry)) {
            value = control->ReadImageValue();
            return true;
        }
        return false;
    default:
        return false;
    }
}

}  // namespace CUtility
