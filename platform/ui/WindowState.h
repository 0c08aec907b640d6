#pragma once

// The system's window ids and its show and enable operations on any
// widget.
//
// The system keeps two notions of "enabled" apart. A window that is not
// enabled takes no input at all and shows itself disabled (the link being
// down disables the bound controls this way). A control whose input is off
// (the outside controls' own Enabled property, which the operator profile
// sets) refuses mouse and keys but its window stays enabled: enabling the
// window when the link comes up does not give it input back. A painted
// widget asks IsInputEnabled to draw itself accordingly.

class QRect;
class QWidget;

namespace vexar::ui {

// ShowWindow commands, with the system's numbers.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;

// The numeric id of a window or control (0 when it has none); child
// controls are found by it among the direct children of their parent.
void SetDlgCtrlID(QWidget& widget, int id);
int GetDlgCtrlID(const QWidget& widget);
QWidget* GetDlgItem(const QWidget& parent, int id);

// Shows or hides by command; a top-level window is also minimised,
// maximised or restored by it. True when the widget was shown before.
bool ShowWindow(QWidget& widget, int command);

// The window's own enabled state, whatever its parents'.
void EnableWindow(QWidget& widget, bool enable);
bool IsWindowEnabled(const QWidget& widget);

// The control's input, independent of the window's enabled state.
void SetInputEnabled(QWidget& widget, bool enable);
bool IsInputEnabled(const QWidget& widget);

// Places a top-level window by its outer rectangle, title bar and borders
// included, as the system's window rectangle is meant: the client area
// gets what the frame leaves. The frame is the window's own once a window
// manager has framed it, else that of another framed top-level window of
// the program; when the window manager frames it later, it is placed once
// more. Without a window manager the client takes the whole rectangle.
void SetWindowRect(QWidget& window, const QRect& outer);

}  // namespace vexar::ui
