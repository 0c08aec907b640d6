#include "pages/CUtilityBuilder.h"

#include "common/Text.h"
#include "config/RecInterfaccia.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlToolTip.h"
#include "pages/CDlgTabWnd.h"
#include "pages/CUtilityFactory.h"
#include "pages/CUtilityGrid.h"
#include "pages/CUtilityLabels.h"
#include "pages/core/CUtilityBuild.h"
#include "platform/ui/Messages.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <new>

namespace CUtility {

void BuildPage(const REC_PAGINA& area, CTRL_TABLE& table, std::span<const REC_CONTROLLO> definitions,
               const CTRL_CREATE& page, LABEL_TABLE* labels)
{
    std::vector<REC_POS_CONTROLLO> places = area.CONTROLLI;
    SortByTabIndex(places);
    // An area without places keeps its table as it was; its free texts
    // are made all the same, so that a page of texts alone shows them.
    if (!places.empty()) {
        table.clear();
        table.reserve(places.size());
        for (const REC_POS_CONTROLLO& place : places) {
            const REC_CONTROLLO* definition = FindDefinition(place.ID_GUI, definitions);
            if (!definition)
                continue;
            CTRL_CREATE args = page;
            args.definition = definition;
            args.row = place.POS_Y;
            args.column = place.POS_X;
            args.visible = ProfileShows(page.profile, definition->OPERATORE);
            // A map made here takes its calibrable axes and its first undo copy.
            if (CreateCtrl(args, table) && definition->CATEGORIA == CTRL_GRID)
                SetupGridAxes(table.back().wnd, definitions, page.development);
        }
    }

    if (area.TESTI.empty() || !labels)
        return;
    labels->clear();
    labels->reserve(area.TESTI.size());
    for (const REC_TESTO& text : area.TESTI)
        CreatePageLabel(page, text, *labels);
}

bool CreateTabPage(const CTRL_CREATE& build, CCtrlTab& strip, const REC_CARTELLA& tab,
                   std::span<const REC_CONTROLLO> definitions, CDlgTabWnd*& page)
{
    page = nullptr;
    if (!build.app)
        return false;
    auto* made = new (std::nothrow) CDlgTabWnd(*build.app);
    if (!made)
        return false;
    made->m_settings = build.settings;
    made->m_grid.cellHeight = tab.PAGINA.RIGHE;
    made->m_grid.cellWidth = tab.PAGINA.COLONNE;
    made->m_grid.pageHeight = tab.PAGINA.ALTEZZA_PAGINA;
    made->m_grid.pageWidth = tab.PAGINA.LARGHEZZA_PAGINA;
    CalcRowsCols(made->m_grid);
    if (!made->Create(strip)) {
        delete made;
        return false;
    }

    CTRL_CREATE args = build;
    args.parent = made;
    args.grid = made->m_grid;
    args.hidden = false;
    BuildPage(tab.PAGINA, made->m_table, definitions, args, &made->m_labels);
    page = made;
    return true;
}

bool RelayToolTipEvent(const CTRL_WND& entry, const QEvent& mouse)
{
    QWidget* control = CtrlWidget(entry);
    const QPoint global = static_cast<const QMouseEvent&>(mouse).globalPosition().toPoint();
    if (!control || !control->isVisible() || !control->rect().contains(control->mapFromGlobal(global)))
        return false;
    auto relayed = std::make_unique<TOOLTIP_MSG>();
    relayed->type = mouse.type();
    relayed->globalPos = global;
    vexar::ui::PostMessage(control, {vexar::link::WM_CTRL_TOOLTIP, 0, 0, std::move(relayed)});
    return true;
}

void PaintPageGrid(QPainter& painter, const PAGE_GRID& grid, QPoint scroll)
{
    const DESIGN_GRID design = DesignGrid(grid, scroll.x(), scroll.y());
    painter.save();
    painter.setPen(Qt::black);
    for (const GRID_LINE& line : design.lines)
        painter.drawLine(line.x1, line.y1, line.x2, line.y2);
    const QFontMetrics metrics(painter.font());
    for (const GRID_CELL_NAME& cell : design.cells) {
        const QString name = QString::fromStdU16String(vexar::Format(u"(%d, %d)", cell.column, cell.row));
        const int width = metrics.horizontalAdvance(name);
        // The text's top-left corner, as text is placed: half its extent
        // left and up of the centre.
        painter.drawText(QPoint(cell.centreX - width / 2, cell.centreY - metrics.height() / 2 + metrics.ascent()), name);
    }
    painter.restore();
}

}  // namespace CUtility
