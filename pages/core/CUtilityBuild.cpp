#include "pages/core/CUtilityBuild.h"

#include "common/NoCase.h"
#include "config/ControlCodes.h"
#include "config/CUtilityCtrl.h"
#include "config/IDataCtrl.h"

#include <algorithm>
#include <string>
#include <utility>

namespace CUtility {

bool ProfileShows(std::int32_t profile, std::int32_t access)
{
    return profile == OPR_PRV || profile == OPR_REM || (profile == OPR_PBL && access == OPR_PBL);
}

void SplitClientRect(std::int32_t bottomHeight, const PAGE_RECT& client, const PAGE_RECT& bounds, PAGE_RECT& top,
                     PAGE_RECT& bottom)
{
    top = {bounds.left, client.top, bounds.right, client.bottom - bottomHeight};
    bottom = {bounds.left, top.bottom + 1, bounds.right, client.bottom};
}

void SortByTabIndex(std::vector<REC_POS_CONTROLLO>& places)
{
    for (std::size_t i = 0; i + 1 < places.size(); ++i)
        for (std::size_t j = i + 1; j < places.size(); ++j)
            if (places[i].TAB_INDEX > places[j].TAB_INDEX)
                std::swap(places[i], places[j]);
}

const REC_CONTROLLO* FindDefinition(std::int32_t key, std::span<const REC_CONTROLLO> definitions)
{
    const auto found = std::find_if(definitions.begin(), definitions.end(),
                                    [key](const REC_CONTROLLO& definition) { return definition.ID_GUI == key; });
    return found == definitions.end() ? nullptr : &*found;
}

bool FindCtrlDefinition(std::int32_t key, std::span<const REC_CONTROLLO> definitions, REC_CONTROLLO& out)
{
    const REC_CONTROLLO* found = FindDefinition(key, definitions);
    if (!found)
        return false;
    out = *found;
    return true;
}

std::int32_t CountCategory(std::span<const REC_CONTROLLO> definitions, std::int32_t category)
{
    return static_cast<std::int32_t>(std::count_if(definitions.begin(), definitions.end(),
        [category](const REC_CONTROLLO& definition) { return definition.CATEGORIA == category; }));
}

DESIGN_GRID DesignGrid(const PAGE_GRID& grid, std::int32_t scrollX, std::int32_t scrollY)
{
    DESIGN_GRID design;
    if (grid.rows < 0 || grid.cols < 0)
        return design;
    const PAGE_RECT& area = grid.area;
    for (std::int32_t i = 0; i <= grid.rows; ++i) {
        const std::int32_t y = area.top + i * grid.cellHeight - scrollY;
        design.lines.push_back({area.left - scrollX, y, area.right - scrollX, y});
    }
    for (std::int32_t j = 0; j <= grid.cols; ++j) {
        const std::int32_t x = area.left + j * grid.cellWidth - scrollX;
        design.lines.push_back({x, area.top - scrollY, x, area.bottom - scrollY});
    }
    for (std::int32_t i = 0; i < grid.rows; ++i)
        for (std::int32_t j = 0; j < grid.cols; ++j)
            design.cells.push_back({j, i, area.left + j * grid.cellWidth + grid.cellWidth / 2 - scrollX,
                                    area.top + i * grid.cellHeight + grid.cellHeight / 2 - scrollY});
    return design;
}

namespace {

std::u16string IdentifierKey(const CTRL_WND& entry)
{
    if (!entry.wnd || !IsControlCategory(entry.category))
        return {};
    return vexar::ToUpper(entry.wnd->GetDefinition().IDENTIFICATORE);
}

}  // namespace

void SortByIdentifier(CTRL_TABLE& table)
{
    std::vector<std::u16string> keys;
    keys.reserve(table.size());
    for (const CTRL_WND& entry : table)
        keys.push_back(IdentifierKey(entry));
    for (std::size_t i = 0; i + 1 < table.size(); ++i)
        for (std::size_t j = i + 1; j < table.size(); ++j)
            if (keys[i] > keys[j]) {
                std::swap(table[i], table[j]);
                std::swap(keys[i], keys[j]);
            }
}

bool HasKey(const CTRL_TABLE& table, std::int32_t key)
{
    return std::any_of(table.begin(), table.end(), [key](const CTRL_WND& entry) { return entry.key == key; });
}

CTRL_TABLE WithoutKeys(const CTRL_TABLE& table, const CTRL_TABLE& without)
{
    CTRL_TABLE kept;
    kept.reserve(table.size());
    for (const CTRL_WND& entry : table)
        if (!HasKey(without, entry.key))
            kept.push_back(entry);
    return kept;
}

std::int32_t FitScrollAxis(SCROLL_AXIS& axis, std::int32_t client)
{
    const std::int32_t before = axis.pos;
    axis.shown = client < axis.content;
    if (!axis.shown) {
        axis.page = client;
        axis.pos = 0;
        return axis.pos - before;
    }
    axis.page = client;
    axis.pos = std::min(axis.pos, axis.Limit());
    return axis.pos - before;
}

std::int32_t ScrollAxisTo(SCROLL_AXIS& axis, std::int32_t wanted)
{
    const std::int32_t before = axis.pos;
    axis.pos = std::clamp(wanted, 0, axis.Limit());
    return axis.pos - before;
}

}  // namespace CUtility
