#pragma once

// Colours as the system stores them: a COLORREF, 0x00BBGGRR, so that
// 0x0000FF is red. The definition and settings files and the controls'
// colour members hold this form; Qt paints with QColor.

#include <QColor>

#include <cstdint>

namespace vexar::ui {

using COLORREF = std::uint32_t;

constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b)
{
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}
constexpr unsigned GetRValue(COLORREF c) { return c & 0xFFu; }
constexpr unsigned GetGValue(COLORREF c) { return (c >> 8) & 0xFFu; }
constexpr unsigned GetBValue(COLORREF c) { return (c >> 16) & 0xFFu; }

// The high byte of a COLORREF is not a colour and is ignored.
QColor ToQColor(COLORREF colour);
COLORREF FromQColor(const QColor& colour);

}  // namespace vexar::ui
