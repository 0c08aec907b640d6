#pragma once

// The menu bar of resource 128 with its Italian resource texts, made from
// the command table: File, Connection, View, Tools (baud rates, comments,
// line, ECU, remote assistance), Functions, the language placeholder and
// "?".

class QMenuBar;

namespace vexar::shell {

// Top-level positions of the bar as built.
inline constexpr int kMenuFile = 0;
inline constexpr int kMenuConnection = 1;
inline constexpr int kMenuView = 2;
inline constexpr int kMenuTools = 3;
inline constexpr int kMenuFunctions = 4;
inline constexpr int kMenuLanguage = 5;
inline constexpr int kMenuHelp = 6;
// Positions in the Tools popup.
inline constexpr int kToolsBaud = 0;
inline constexpr int kToolsLine = 2;
inline constexpr int kToolsRemote = 4;

// Fills an empty bar.
void BuildMainMenu(QMenuBar& bar);

}  // namespace vexar::shell
