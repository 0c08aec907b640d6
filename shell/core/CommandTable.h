#pragma once

// The commands of the main program's menu bar and command bar: the 19
// command buttons in slot order with their labels, button states, menu
// items and when they may be enabled; the language texts of the menu items
// and of their prompts in the status bar, by edition.

#include <array>
#include <cstdint>
#include <optional>

namespace vexar::shell {

// Menu commands.
inline constexpr unsigned ID_CONFIG_VETTURA = 32773;
inline constexpr unsigned ID_CENTRALINA = 32775;
inline constexpr unsigned ID_ACQUISIZIONE = 32785;
inline constexpr unsigned ID_SALVA_CNF = 32812;
inline constexpr unsigned ID_CARICA_CNF = 32813;
inline constexpr unsigned ID_RESET_MEM = 32814;
inline constexpr unsigned ID_OPERATORE = 32816;
inline constexpr unsigned ID_DIAGNOSI = 32823;
inline constexpr unsigned ID_PRG_ECU = 32825;
inline constexpr unsigned ID_CONNETTI = 32829;
inline constexpr unsigned ID_DISCONNETTI = 32830;
inline constexpr unsigned ID_VERSION_CODE = 32832;
inline constexpr unsigned ID_COMMENTI = 32837;
inline constexpr unsigned ID_PRG_PALM = 32842;
inline constexpr unsigned ID_AGG_AUTO = 32843;
inline constexpr unsigned ID_LIMIT_SWITCH = 32848;
inline constexpr unsigned ID_LINEA_K = 32855;
inline constexpr unsigned ID_SERIALE = 32856;
inline constexpr unsigned ID_REMOTE_MASTER = 32859;
inline constexpr unsigned ID_REMOTE_SLAVE = 32860;
inline constexpr unsigned ID_ASS_REM = 32861;
inline constexpr unsigned ID_TARMIX = 32863;
inline constexpr unsigned ID_TRACE = 32864;
inline constexpr unsigned ID_IDENT_CENTR = 32865;
inline constexpr unsigned ID_CANC_ERR = 32866;
inline constexpr unsigned ID_TEST = 32867;
inline constexpr unsigned ID_CREA_CHK = 32868;
inline constexpr unsigned ID_DIAG_BENZ = 32869;
inline constexpr unsigned ID_CONNETTI_BENZ = 32871;
inline constexpr unsigned ID_DISCONNETTI_BENZ = 32872;
inline constexpr unsigned ID_BAUD_19200 = 32874;
inline constexpr unsigned ID_BAUD_9600 = 32875;
inline constexpr unsigned ID_BAUD_38400 = 32877;
inline constexpr unsigned ID_BAUD_57600 = 32879;
inline constexpr unsigned ID_BAUD_115200 = 32880;
inline constexpr unsigned ID_ESPORTA = 32883;
inline constexpr unsigned ID_COMPARA = 32884;
inline constexpr unsigned ID_APP_ABOUT = 57664;
inline constexpr unsigned ID_APP_EXIT = 57665;
inline constexpr unsigned ID_VIEW_STATUS_BAR = 59393;
inline constexpr unsigned ID_LANGUAGE_FIRST = 2000;
inline constexpr unsigned ID_LANGUAGE_LAST = 2049;
inline constexpr unsigned ID_LINGUA_PLACEHOLDER = 65535;

// The baud items with their rates, in menu order.
struct BAUD_ITEM {
    unsigned command;
    std::int32_t rate;
};
inline constexpr std::array<BAUD_ITEM, 5> kBaudItems{{
    {ID_BAUD_9600, 9600},
    {ID_BAUD_19200, 19200},
    {ID_BAUD_38400, 38400},
    {ID_BAUD_57600, 57600},
    {ID_BAUD_115200, 115200},
}};

// When a shown command button may be enabled.
enum class EnableRule { Always, NotLinked, ObdLinked, Linked, RemoteMaster };

struct COMMAND_BUTTON {
    int button;                 // control id
    int label;                  // control id of its caption label
    const char16_t* labelResource;
    int stateIndex;             // index into the 19 button states (settings value 50 + index)
    unsigned menuCommand;       // 0: none
    EnableRule rule;
};

// The 19 actions in slot order.
inline constexpr int kActionCount = 19;
extern const std::array<COMMAND_BUTTON, kActionCount> kCommandButtons;

inline constexpr int kActionSelectEcu = 0;
inline constexpr int kActionPrgEcu = 1;
inline constexpr int kActionConnect = 2;
inline constexpr int kActionResetMemory = 3;
inline constexpr int kActionLoadCalib = 4;
inline constexpr int kActionTarmix = 5;
inline constexpr int kActionVehicleConfig = 6;
inline constexpr int kActionDiagGas = 7;
inline constexpr int kActionDiagPetrol = 8;
inline constexpr int kActionAcquisition = 9;
inline constexpr int kActionSaveCalib = 10;
inline constexpr int kActionAutoUpdate = 11;
inline constexpr int kActionExit = 12;
inline constexpr int kActionPrgPalm = 13;
inline constexpr int kActionChecklist = 14;
inline constexpr int kActionRemote = 15;
inline constexpr int kActionClearErrors = 16;
inline constexpr int kActionIdentification = 17;
inline constexpr int kActionTest = 18;

// The hidden keys of the main program: Ctrl+Alt+Shift with a letter.
struct HIDDEN_KEY {
    unsigned command;
    char letter;
};
inline constexpr unsigned ID_DESIGN_GRID = 32779;
inline constexpr std::array<HIDDEN_KEY, 5> kHiddenKeys{{
    {ID_OPERATORE, 'O'},
    {ID_VERSION_CODE, 'I'},
    {ID_LIMIT_SWITCH, 'D'},
    {ID_TRACE, 'Z'},
    {ID_DESIGN_GRID, 'E'},
}};

// The commands of the menu bar whose work is not in the program yet: they
// keep their places, disabled, and so do their command buttons.
inline constexpr std::array<unsigned, 0> kPendingCommands{};
// Whether an action's command is built: the ECU selection, the connect, the
// exit, the test, the identification, the parameter and variable windows,
// the gas diagnosis, the error clearing, the calibration's save, load,
// reset and checklist, the four external programs (ECU and handheld
// programming, automatic calibration, self-update), the petrol diagnosis
// and remote assistance.
bool IsActionBuilt(int action);

// The language texts of an action's label and of its menu item.
int ActionLabelText(int action, std::int32_t edition);
int ActionMenuText(int action, std::int32_t edition);

// The language text that replaces a menu item's text, by command (ids of
// 5.102's table), in `edition`; nothing for an item without one.
std::optional<int> MenuItemText(unsigned command, std::int32_t edition);
// The prompt text of a command in the status bar; nothing for an empty
// prompt.
std::optional<int> MenuPromptText(unsigned command, std::int32_t edition);

}  // namespace vexar::shell
