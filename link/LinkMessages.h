#pragma once

// Message numbers of the ECU link: the requests posted to the link worker
// and the window messages the link side posts back. The numbers are the
// system's (WM_APP plus an offset); the user-interface side keeps them.

namespace vexar::link {

inline constexpr unsigned WM_APP = 0x8000;

// ---- Link requests, served by the worker one at a time in posting order ----
inline constexpr unsigned WM_LINK_WRITE_RANGE = WM_APP + 160;        // byte offset / byte count
inline constexpr unsigned WM_LINK_CONNECT = WM_APP + 161;
inline constexpr unsigned WM_LINK_DISCONNECT = WM_APP + 162;
inline constexpr unsigned WM_LINK_READ_ALL = WM_APP + 163;
inline constexpr unsigned WM_LINK_WRITE_ALL = WM_APP + 164;
inline constexpr unsigned WM_LINK_ACQ_START = WM_APP + 165;          // sample period in ms
inline constexpr unsigned WM_LINK_ACQ_STOP = WM_APP + 166;
inline constexpr unsigned WM_LINK_WRITE_MEMORY = WM_APP + 167;       // MEMORY_REQUEST
inline constexpr unsigned WM_LINK_READ_MEMORY = WM_APP + 168;        // MEMORY_REQUEST, returned in the reply
inline constexpr unsigned WM_LINK_WRITE_VARIABLE = WM_APP + 169;     // VARIABLE_WRITE
inline constexpr unsigned WM_LINK_READ_VARIABLE = WM_APP + 170;      // VARIABLE_READ
inline constexpr unsigned WM_LINK_RESET_ECU = WM_APP + 171;
inline constexpr unsigned WM_LINK_DIAG_POLL_ON = WM_APP + 172;
inline constexpr unsigned WM_LINK_DIAG_POLL_OFF = WM_APP + 173;
inline constexpr unsigned WM_LINK_RUN_ECU_LOADER = WM_APP + 174;
inline constexpr unsigned WM_LINK_RELOAD = WM_APP + 175;
inline constexpr unsigned WM_LINK_SET_POLL_PERIOD = WM_APP + 176;    // period in ms
inline constexpr unsigned WM_LINK_RUN_HC08_LOADER = WM_APP + 177;
inline constexpr unsigned WM_LINK_RUN_HANDHELD_WRITER = WM_APP + 178;
inline constexpr unsigned WM_LINK_REBUILD_POLL_LIST = WM_APP + 179;
inline constexpr unsigned WM_LINK_REMOTE_CONNECT = WM_APP + 180;     // none or REMOTE_ID
inline constexpr unsigned WM_LINK_REMOTE_SEND_ID = WM_APP + 181;     // REMOTE_ID
inline constexpr unsigned WM_LINK_REMOTE_CLOSE = WM_APP + 182;
inline constexpr unsigned WM_LINK_DTR_PULSE = WM_APP + 183;          // pulse length in seconds
inline constexpr unsigned WM_LINK_READ_LIST = WM_APP + 184;
inline constexpr unsigned WM_LINK_OBD_CONNECT = WM_APP + 185;
inline constexpr unsigned WM_LINK_OBD_DISCONNECT = WM_APP + 186;
inline constexpr unsigned WM_LINK_OBD_DTC_ON = WM_APP + 187;
inline constexpr unsigned WM_LINK_OBD_DTC_OFF = WM_APP + 188;
inline constexpr unsigned WM_LINK_OBD_CLEAR_DTC = WM_APP + 189;
inline constexpr unsigned WM_LINK_OBD_ALL_PIDS_ON = WM_APP + 190;
inline constexpr unsigned WM_LINK_OBD_ALL_PIDS_OFF = WM_APP + 191;
inline constexpr unsigned WM_LINK_SET_BAUD = WM_APP + 192;
inline constexpr unsigned WM_LINK_OBD_ROUND_ROBIN = WM_APP + 193;
inline constexpr unsigned WM_LINK_OBD_SET_PERIOD = WM_APP + 194;     // period in ms

inline constexpr unsigned kFirstLinkRequest = WM_LINK_WRITE_RANGE;
inline constexpr unsigned kLastLinkRequest = WM_LINK_OBD_SET_PERIOD;

// ---- Window messages the link side posts ----
// A reply that bears a request's name reuses the request's number.
inline constexpr unsigned WM_LINK_STATE = WM_APP + 5;            // link flag / link state code
inline constexpr unsigned WM_PROGRESS_RANGE = WM_APP + 6;
inline constexpr unsigned WM_PROGRESS_STEP = WM_APP + 7;
inline constexpr unsigned WM_CTRL_REFRESH = WM_APP + 8;
inline constexpr unsigned WM_WORKER_ENDED = WM_APP + 9;          // the worker's last post
inline constexpr unsigned WM_ACQ_SAMPLE = WM_APP + 11;
inline constexpr unsigned WM_ACQ_TICK = WM_APP + 15;
inline constexpr unsigned WM_ACQ_STOPPED = WM_APP + 16;
inline constexpr unsigned WM_CTRL_ENABLE = WM_APP + 19;          // 1 link up, 0 link down
inline constexpr unsigned WM_LIVE_SAMPLE = WM_APP + 23;
inline constexpr unsigned WM_UNKNOWN_ECU = WM_APP + 26;
inline constexpr unsigned WM_BUSY_WINDOW = WM_APP + 27;
inline constexpr unsigned WM_PROGRESS_CLOSE = WM_APP + 28;
inline constexpr unsigned WM_PROGRESS_OPEN = WM_APP + 29;          // sent: caption text id
inline constexpr unsigned WM_DIAG_RESET1_RELOAD = WM_APP + 31;
inline constexpr unsigned WM_LINK_IDLE = WM_APP + 34;
inline constexpr unsigned WM_SAVE_SESSION = WM_APP + 35;
inline constexpr unsigned WM_ECU_MISMATCH = WM_APP + 38;
inline constexpr unsigned WM_COMBO_REFRESH_ARRAY = WM_APP + 41;
inline constexpr unsigned WM_CTRL_FORCE_REFRESH = WM_APP + 42;
inline constexpr unsigned WM_ACQ_STARTED = WM_APP + 45;
inline constexpr unsigned WM_DIAG_RESET2_RELOAD = WM_APP + 46;
inline constexpr unsigned WM_DIAG_RESET3_RELOAD = WM_APP + 47;
inline constexpr unsigned WM_REMOTE_STATUS = WM_APP + 50;
inline constexpr unsigned WM_REMOTE_ID_SENT = WM_APP + 51;
inline constexpr unsigned WM_REMOTE_STATE = WM_APP + 52;
inline constexpr unsigned WM_TRACE_LINE = WM_APP + 53;
inline constexpr unsigned WM_REMOTE_TIMEOUT = WM_APP + 54;
inline constexpr unsigned WM_CHECKLIST_READY = WM_APP + 57;
inline constexpr unsigned WM_OBD_LINK_STATE = WM_APP + 58;
inline constexpr unsigned WM_OBD_PID_VALUE = WM_APP + 59;
inline constexpr unsigned WM_OBD_DTC_LIST = WM_APP + 60;
// The petrol acquisition page to the view: wParam PID, lParam 1 requested / 0 not.
inline constexpr unsigned WM_OBD_PID_SELECTION = WM_APP + 61;
inline constexpr unsigned WM_DIAG_START_RESET = WM_APP + 62;
// The view to the diagnosis window after a load or a memory reset: a shown
// catalogue goes back to the current values.
inline constexpr unsigned WM_DIAG_REFRESH_SPLIT = WM_APP + 63;

// ---- Messages between the windows and the data-bound controls ----
inline constexpr unsigned WM_CTRL_STORE_WRITE = WM_APP + 14;   // write to the ECU / force while hidden
inline constexpr unsigned WM_LIST_SCROLL_END = WM_APP + 18;    // a list view's scrolling ended
inline constexpr unsigned WM_CTRL_SET_DEFAULT = WM_APP + 30;
inline constexpr unsigned WM_CTRL_TOOLTIP = WM_APP + 33;       // a mouse event to relay to the tooltip
inline constexpr unsigned WM_CTRL_PRESS = WM_APP + 40;         // a command button pressed by its letter
inline constexpr unsigned WM_CTRL_STORE = WM_APP + 43;         // store the shown value, forced, no write
inline constexpr unsigned WM_SELECT_PAGE = WM_APP + 44;        // function-key number
inline constexpr unsigned WM_EDIT_COMMIT = WM_APP + 32;        // a text field takes its typed text
inline constexpr unsigned WM_CALIB_NAME_CHANGED = WM_APP + 48; // to the view: the calibration name changed
// A drop-down list's change of selection, posted to its owner by role.
inline constexpr unsigned WM_PICKER_SELCHANGE = WM_APP + 3;        // a variable picker
inline constexpr unsigned WM_MAINT_READ_SELCHANGE = WM_APP + 12;   // the maintenance read list
inline constexpr unsigned WM_MAINT_WRITE_SELCHANGE = WM_APP + 13;  // the maintenance write list
inline constexpr unsigned WM_DIAG_VALUE_CHANGED = WM_APP + 20;     // a diagnosis list: its ID_GUI
inline constexpr unsigned WM_DIAG_BIT_CHANGED = WM_APP + 37;       // a bit diagnosis list: its ID_GUI
inline constexpr unsigned WM_DIAG_ACTION = WM_APP + 21;            // a recovery-action list: DIAG_ACTION
// To a recovery-action list: show an element (element index, error code),
// or set it without showing it (element index).
inline constexpr unsigned WM_COMBO_SELECT_ELEMENT = WM_APP + 22;
inline constexpr unsigned WM_COMBO_SET_ELEMENT = WM_APP + 56;

// Commands of accelerator table 128, the one table of the pages.
inline constexpr unsigned ID_EDIT_COPY = 32844;      // Ctrl+C
inline constexpr unsigned ID_EDIT_PASTE = 32845;     // Ctrl+V
inline constexpr unsigned ID_EDIT_UNDO = 32846;      // Ctrl+Z
inline constexpr unsigned ID_DESIGN_GRID = 32779;    // Ctrl+Alt+Shift+E

}  // namespace vexar::link
