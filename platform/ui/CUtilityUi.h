#pragma once

// The toolbox members that need a widget: fonts and screen units at a
// window's resolution, showing and focusing, proportional placement of
// dialog children, function keys from key events, and the language menu as
// a Qt menu. The arithmetic lives in common/CUtilityToolbox.h.

#include "common/CUtilityLang.h"

#include <cstdint>
#include <string>
#include <string_view>

class QEvent;
class QFont;
class QMenu;
class QWidget;

namespace CUtility {

// A font of `points` at the fixed 96 pixels per inch (12 points: 16
// pixels), whatever the screen: face, that pixel height (0 points: the
// default size), bold or normal weight. False, with the font untouched, for
// a rotated font (orientation or escapement in tenths of a degree not 0),
// which Qt fonts do not carry.
bool CreateFontPt(QFont& font, std::u16string_view face, std::int32_t points, bool bold,
                  std::int32_t orientation = 0, std::int32_t escapement = 0);

// A font's size measured at the window's vertical resolution: points x
// 10000 (the size unit of the instrument widgets' fonts), points, twips.
std::int32_t GetFontSizeCy(const QWidget& window, const QFont& font);
std::int32_t GetFontSizePt(const QWidget& window, const QFont& font);
std::int32_t GetFontSizeTwips(const QWidget& window, const QFont& font);
// The font's logical height at the window's resolution, negative as a
// character height is: a pixel-sized font gives minus its pixels.
std::int32_t LogicalFontHeight(const QWidget& window, const QFont& font);

// Twips and pixels at the window's horizontal or vertical resolution.
std::int32_t TwipsToPixels(const QWidget& window, std::int32_t twips, bool horizontal);
std::int32_t PixelsToTwips(const QWidget& window, std::int32_t pixels, bool horizontal);

// Shows the window by the show command (vexar::ui::SW_...), brings it to
// the top, activates it and gives it the keyboard focus.
void ShowAndFocus(QWidget& window, int showCommand);

// Shows the wait cursor over the whole application (`on`) or ends it;
// `shown` is the caller's own state, so that each caller ends only the
// cursor it set, once.
void SetWaitCursor(bool& shown, bool on);

// Moves and sizes a child in proportion: left and width by newWidth over
// designWidth, top and height by newHeight over designHeight, each value
// kept where it would scale to 0 or below. A drop-down list keeps its own
// height, which Qt gives its closed box (its list sizes itself).
void RescaleChild(std::int32_t newWidth, std::int32_t newHeight, std::int32_t designWidth,
                  std::int32_t designHeight, QWidget& child, bool dropDown = false);

// The function key that `event` presses: 1 to 12 for F1 to F12, 13 to 24
// with Shift, 0 with Ctrl, for an auto-repeat, and for every other event.
int GetFunctionKey(const QEvent& event);

// Empties `menu` and fills it with the language items of
// "<programFolder>Lang/GestLang.cfg" (ids from 2000, the current language
// radio-checked); returns the number of items. Files that cannot be read
// are reported through the error reporter.
int FillLangMenu(const std::string& programFolder, const std::string& currentLangFile, QMenu& menu);
// The Qt side alone: `menu` emptied and filled from the model.
void BuildLangMenu(const LangMenu& model, QMenu& menu);

}  // namespace CUtility
