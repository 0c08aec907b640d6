#pragma once

// The arithmetic of building the pages, without a screen: who sees an item
// of a page, the split of a host's client area into tab strip and status
// area, the order in which an area's controls are created, the look-ups
// over a definition set, the lines and cell names of the design grid, the
// order of a window's control tables by identifier, and the scroll state
// of one axis of a scrolling window.

#include "config/CtrlWnd.h"
#include "config/RecControllo.h"
#include "config/RecInterfaccia.h"
#include "pages/core/PageGrid.h"

#include <cstdint>
#include <span>
#include <vector>

namespace CUtility {

// Whether an item of access level `access` (a control's, a tab's or a
// text's OPERATORE) shows to operator profile `profile`: always to the
// profiles 1 and 2, to profile 0 only when it is public (0).
bool ProfileShows(std::int32_t profile, std::int32_t access);

// Splits `client` into a top area and a bottom area `bottomHeight` pixels
// high, the bottom one starting one pixel under the top one; both take
// their left and right edges from `bounds`.
void SplitClientRect(std::int32_t bottomHeight, const PAGE_RECT& client, const PAGE_RECT& bounds, PAGE_RECT& top,
                     PAGE_RECT& bottom);

// Orders an area's places by TAB_INDEX with an exchange sort: for each
// place in turn, every later place with a smaller index changes places
// with it. Controls are created in this order, which is also their
// keyboard order on the page.
void SortByTabIndex(std::vector<REC_POS_CONTROLLO>& places);

// The first definition whose ID_GUI is `key`, or null.
const REC_CONTROLLO* FindDefinition(std::int32_t key, std::span<const REC_CONTROLLO> definitions);
// Copies the first definition of `key` to `out`; false when there is none.
bool FindCtrlDefinition(std::int32_t key, std::span<const REC_CONTROLLO> definitions, REC_CONTROLLO& out);
// How many definitions have CATEGORIA `category`.
std::int32_t CountCategory(std::span<const REC_CONTROLLO> definitions, std::int32_t category);

// The design grid of an area as it lies under its controls when the
// window is scrolled by `scrollX`, `scrollY` pixels: one line above each
// row and one under the last, one line left of each column and one right
// of the last, and in every cell its name "(column, row)" centred on the
// cell. The grid moves with the controls, pixel for pixel.
struct GRID_LINE {
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
    friend bool operator==(const GRID_LINE&, const GRID_LINE&) = default;
};
struct GRID_CELL_NAME {
    std::int32_t column = 0;
    std::int32_t row = 0;
    std::int32_t centreX = 0;
    std::int32_t centreY = 0;
};
struct DESIGN_GRID {
    std::vector<GRID_LINE> lines;
    std::vector<GRID_CELL_NAME> cells;
};
DESIGN_GRID DesignGrid(const PAGE_GRID& grid, std::int32_t scrollX, std::int32_t scrollY);

// Orders whole entries by the IDENTIFICATORE of each entry's own control,
// compared without regard to case, with the exchange sort of the page
// hosts. Each entry's key is taken once; an entry without a control sorts
// as an empty name.
void SortByIdentifier(CTRL_TABLE& table);
// The entries of `table` whose key no entry of `without` has, in order.
CTRL_TABLE WithoutKeys(const CTRL_TABLE& table, const CTRL_TABLE& without);
bool HasKey(const CTRL_TABLE& table, std::int32_t key);

// One scroll bar of a window whose content may be larger than its client
// area: the content's extent, the visible part (the bar's page), the
// scroll position in pixels and whether the bar shows.
struct SCROLL_AXIS {
    std::int32_t content = 0;
    std::int32_t page = 0;
    std::int32_t pos = 0;
    bool shown = false;
    // The largest position: the content's end at the client's end.
    std::int32_t Limit() const { return content > page ? content - page : 0; }
};
// Pixels one line of scrolling moves.
inline constexpr std::int32_t kScrollLine = 10;

// The bar for a client extent: shown while the client is smaller than the
// content, with the client as its page and the position held within the
// new limit; hidden, and scrolled back to 0, otherwise. Returns how far
// the position moved (new minus old).
std::int32_t FitScrollAxis(SCROLL_AXIS& axis, std::int32_t client);
// Moves to `wanted` held within 0 and the limit; returns new minus old.
std::int32_t ScrollAxisTo(SCROLL_AXIS& axis, std::int32_t wanted);

}  // namespace CUtility
