#pragma once

// The arithmetic of laying configured pages out: the display settings and
// the layouts scaled from the 1024 x 768 design screen to the real one,
// each control's pixel size by its category, and each page's extent from
// its placed controls and labels. Texts are measured by the caller, in the
// font it lays the page out with.

#include "config/RecControllo.h"
#include "config/RecInterfaccia.h"
#include "pages/core/DesignScreen.h"
#include "pages/core/LayoutSettings.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace vexar::shell {

inline constexpr int kDesignWidth = kDesignScreenWidth;
inline constexpr int kDesignHeight = kDesignScreenHeight;
using ::PIXEL_SIZE;
using ::ReduceToDesignRatio;

// Measures one line of text in a font: its extent in pixels.
using TextMeasure = std::function<PIXEL_SIZE(std::u16string_view text)>;
// The size of a map control (CTRL_GRID), which its own rules give.
using GridMeasure = std::function<PIXEL_SIZE(const REC_CONTROLLO& record, const LAYOUT_SETTINGS& settings)>;

// Scales the size values of the settings and the cell sizes of both
// layouts (their status bars and their tabs' pages) to the screen; nothing
// at exactly 1024 x 768.
void ScaleLayoutToScreen(REC_INTERFACCIA& params, REC_INTERFACCIA& vars, LAYOUT_SETTINGS& settings,
                         std::int32_t screenWidth, std::int32_t screenHeight);

// b / a increased by one half, rounded half away from zero: the number of
// cells of size a that something of size b spans; 0 for cells of size 0.
std::int32_t RoundedRatio(std::int32_t a, std::int32_t b);

// The width and height of the control with key `key` among `records`, in
// pixels, by its category; false when no record has the key. `measure`
// gives text extents, which get 5 pixels of width added.
bool CalcControlLayout(std::int32_t key, std::span<const REC_CONTROLLO> records, const LAYOUT_SETTINGS& settings,
                       const TextMeasure& measure, const GridMeasure& gridSize, std::int32_t& width,
                       std::int32_t& height);

// The scroll bars a page reserves beside its content.
struct SCROLL_BARS {
    std::int32_t verticalWidth = 0;
    std::int32_t horizontalHeight = 0;
};

// Sets the page's total width and height: the farthest right and bottom
// edge of its placed controls (sized from `records`) and of its labels,
// in whole cells, plus the scroll bars.
void MeasurePage(REC_PAGINA& page, std::span<const REC_CONTROLLO> records, const LAYOUT_SETTINGS& settings,
                 const TextMeasure& measure, const GridMeasure& gridSize, const SCROLL_BARS& bars);

// Every tab page of the layout with `windowRecords` in the window font,
// and the status bar, when the layout has one, with `barRecords` in the
// bar font.
void MeasureLayout(REC_INTERFACCIA& layout, std::span<const REC_CONTROLLO> windowRecords,
                   std::span<const REC_CONTROLLO> barRecords, const LAYOUT_SETTINGS& settings,
                   const TextMeasure& windowFont, const TextMeasure& barFont, const GridMeasure& gridSize,
                   const SCROLL_BARS& bars);

// The records in ascending byte address; then the flags of one byte in
// ascending mask order.
void SortControlsByPosition(std::span<REC_CONTROLLO> records);
void SortControlsInRow(std::span<REC_CONTROLLO> records);

}  // namespace vexar::shell
