#pragma once

// The commands of the main program in one table: every item of the menu
// bar with its place and resource text, the language texts of the item and
// of its prompt in the status bar by edition, its command button (control
// ids, label, button state, when it may be enabled), its key and the
// handler that serves it. The menu bar, the command bar's list, the hidden
// keys' accelerators, the baud items and the disabled commands are all
// read from it; nothing else lists commands.

#include "link/LinkMessages.h"

#include <array>
#include <cstddef>
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

// Where the menu resource holds a command: a popup of the bar or of Tools,
// the language item of the bar, or no menu at all (a key alone).
enum class MenuPlace { None, File, Connection, View, Tools, ToolsBaud, ToolsLine, ToolsRemote, Functions, Language, Help };

// A language text that another one replaces in some editions: `editionId`
// in the editions of the mask (bit n: edition n), plus the edition number
// when `plusEdition`; `id` elsewhere. 0: no text.
struct LANG_TEXT {
    int id = 0;
    int editionId = 0;
    std::uint8_t editions = 0;
    bool plusEdition = false;

    constexpr int At(std::int32_t edition) const
    {
        if (edition >= 0 && edition < 8 && (editions >> edition & 1) != 0)
            return plusEdition ? editionId + edition : editionId;
        return id;
    }
};
inline constexpr std::uint8_t kEdition3 = 1 << 3;
inline constexpr std::uint8_t kEditions2To4 = 0b0001'1100;
inline constexpr std::uint8_t kEditions1To5 = 0b0011'1110;

// When a shown command button may be enabled.
enum class EnableRule { Always, NotLinked, ObdLinked, Linked, RemoteMaster };

// A command's button in the command bar.
struct ROW_BUTTON {
    int action = -1;                     // slot order, 0 to 18; -1: no button
    int button = 0;                      // control id
    int label = 0;                       // control id of its caption label
    const char16_t* caption = nullptr;   // the label's resource text
    LANG_TEXT captionText{};             // the label's language text
    int stateIndex = -1;                 // index into the 19 button states (settings value 50 + index)
    EnableRule rule = EnableRule::Always;
    // The menu item moves with the button (shown: into File; in the menu
    // only: into Functions; hidden: out of the bar); the connect and the
    // exit keep theirs where they are.
    bool itemFollows = true;
    const char* handler = nullptr;       // what the button and its function key reach
};

// A command's key: a function key (1 to 12, 13 to 24 with Shift), a
// hidden key (Ctrl+Alt+Shift with a letter) or Ctrl with a letter.
enum class KeyKind { None, Function, CtrlAltShift, Ctrl };
struct COMMAND_KEY {
    KeyKind kind = KeyKind::None;
    int code = 0;  // function-key number, or the letter
};
constexpr COMMAND_KEY FunctionKey(int number) { return {KeyKind::Function, number}; }
constexpr COMMAND_KEY ShiftFunctionKey(int number) { return {KeyKind::Function, 12 + number}; }
constexpr COMMAND_KEY HiddenKey(char letter) { return {KeyKind::CtrlAltShift, letter}; }
constexpr COMMAND_KEY CtrlKey(char letter) { return {KeyKind::Ctrl, letter}; }

struct COMMAND_ROW {
    unsigned id;
    unsigned lastId = 0;                // the last id of a range (the languages); 0: `id` alone
    MenuPlace place = MenuPlace::None;
    const char16_t* menuText = nullptr; // the resource's text
    bool separatorBefore = false;
    LANG_TEXT text{};                   // the item's language text
    LANG_TEXT prompt{};                 // its prompt in the status bar
    ROW_BUTTON button{};
    // The default key: a button's function key is the one it carries when
    // all 19 buttons are shown, the buttons taking the keys in slot order.
    COMMAND_KEY key{};
    const char* handler = nullptr;      // what the menu item or the key reaches, "Class::Member"
    // Its work is not in the program yet: the item and the button keep
    // their places, disabled. A command is built by clearing this mark and
    // naming its handlers.
    bool pending = false;
};

// In the order of the menu resource within each popup. A row names only
// what it has; the rest keeps its default.
inline constexpr std::array kCommandTable{
    COMMAND_ROW{.id = ID_IDENT_CENTR, .place = MenuPlace::File, .menuText = u"&Identificazione centralina",
                .text = {3234}, .prompt = {3235},
                .button = {17, 1040, 1041, u"IDENT CENTR", {3231}, 1, EnableRule::Always, true,
                           "CVEXARView::OnBtnEcuIdentification"},
                .key = ShiftFunctionKey(6), .handler = "CVEXARView::OnEcuIdentification"},
    COMMAND_ROW{.id = ID_CONFIG_VETTURA, .place = MenuPlace::File, .menuText = u"&Configurazione vettura",
                .text = {3011, 3263, kEdition3}, .prompt = {3012, 3264, kEdition3},
                .button = {6, 1008, 1013, u"CNF VETT", {3022, 3262, kEdition3}, 2, EnableRule::Always, true,
                           "CVEXARView::OnBtnVehicleConfiguration"},
                .key = FunctionKey(7), .handler = "CVEXARView::OnVehicleConfiguration"},
    COMMAND_ROW{.id = ID_ACQUISIZIONE, .place = MenuPlace::File, .menuText = u"&Acquisizione dati",
                .text = {3033, 3261, kEditions2To4}, .prompt = {3032, 3260, kEditions2To4},
                .button = {9, 1011, 1016, u"ACQ DATI", {3031, 3259, kEditions2To4}, 3, EnableRule::Always, true,
                           "CVEXARView::OnBtnDataAcquisition"},
                .key = FunctionKey(10), .handler = "CVEXARView::OnDataAcquisition"},
    COMMAND_ROW{.id = ID_DIAGNOSI, .place = MenuPlace::File, .menuText = u"&Diagnosi",
                .text = {3082, 3257, kEditions2To4}, .prompt = {3083, 3258, kEditions2To4},
                .button = {7, 1020, 1021, u"DIAG GAS", {3081, 3256, kEditions2To4}, 4, EnableRule::Always, true,
                           "CVEXARView::OnBtnDiagnosis"},
                .key = FunctionKey(8), .handler = "CVEXARView::OnDiagnosis"},
    COMMAND_ROW{.id = ID_CANC_ERR, .place = MenuPlace::File, .menuText = u"Cancella&zione errori", .text = {3236},
                .prompt = {3237},
                .button = {16, 1038, 1039, u"CANC ERR", {3232}, 5, EnableRule::Always, true,
                           "CVEXARView::OnBtnClearErrors"},
                .key = ShiftFunctionKey(5), .handler = "CVEXARView::OnClearErrors"},
    COMMAND_ROW{.id = ID_RESET_MEM, .place = MenuPlace::File, .menuText = u"&Reset memoria", .text = {3057},
                .prompt = {3054},
                .button = {3, 1018, 1019, u"RESET MEM", {3051}, 6, EnableRule::Always, true,
                           "CVEXARView::OnBtnResetMemory"},
                .key = FunctionKey(4), .handler = "CVEXARView::OnResetMemory"},
    COMMAND_ROW{.id = ID_SALVA_CNF, .place = MenuPlace::File, .menuText = u"&Salva configurazione attuale",
                .text = {3055}, .prompt = {3052},
                .button = {10, 1009, 1014, u"SALVA CNF", {3029}, 7, EnableRule::Always, true,
                           "CVEXARView::OnBtnSaveCurrentConfiguration"},
                .key = FunctionKey(11), .handler = "CVEXARView::OnSaveCurrentConfiguration"},
    COMMAND_ROW{.id = ID_CARICA_CNF, .place = MenuPlace::File, .menuText = u"Carica &nuova configurazione",
                .text = {3056}, .prompt = {3053},
                .button = {4, 1010, 1015, u"CARICA CNF", {3030}, 8, EnableRule::Always, true,
                           "CVEXARView::OnBtnLoadNewConfiguration"},
                .key = FunctionKey(5), .handler = "CVEXARView::OnLoadNewConfiguration"},
    COMMAND_ROW{.id = ID_PRG_ECU, .place = MenuPlace::File, .menuText = u"&Programmazione centralina",
                .text = {3091}, .prompt = {3090},
                .button = {1, 1022, 1023, u"PRG ECU", {3089}, 9, EnableRule::Always, true,
                           "CVEXARView::OnBtnProgramEcu"},
                .key = FunctionKey(2), .handler = "CVEXARView::OnProgramEcu"},
    COMMAND_ROW{.id = ID_TARMIX, .place = MenuPlace::File, .menuText = u"Ca&librazione automatica", .text = {3210},
                .prompt = {3211},
                .button = {5, 1033, 1035, u"TARMIX", {3208}, 11, EnableRule::Always, true,
                           "CVEXARView::OnBtnRunTarmix"},
                .key = FunctionKey(6), .handler = "CVEXARView::OnRunTarmix"},
    COMMAND_ROW{.id = ID_ASS_REM, .place = MenuPlace::File, .menuText = u"Assistenza r&emota", .text = {3160},
                .prompt = {3161},
                .button = {15, 1030, 1031, u"ASS REM", {3159}, 12, EnableRule::RemoteMaster, true,
                           "CVEXARView::OnBtnRemoteAssistance"},
                .key = ShiftFunctionKey(4), .handler = "CVEXARView::OnRemoteAssistance"},
    COMMAND_ROW{.id = ID_TEST, .place = MenuPlace::File, .menuText = u"&Test", .text = {3238}, .prompt = {3239},
                .button = {18, 1036, 1037, u"TEST", {3233}, 13, EnableRule::Always, true, "CVEXARView::OnBtnTest"},
                .key = ShiftFunctionKey(7), .handler = "CVEXARView::OnTest"},
    COMMAND_ROW{.id = ID_PRG_PALM, .place = MenuPlace::File, .menuText = u"Programmazione pal&mare", .text = {3120},
                .prompt = {3121},
                .button = {13, 1026, 1028, u"PRG PALM", {3118}, 15, EnableRule::Always, true,
                           "CVEXARView::OnBtnProgramHandheld"},
                .key = ShiftFunctionKey(2), .handler = "CVEXARView::OnProgramHandheld"},
    COMMAND_ROW{.id = ID_AGG_AUTO, .place = MenuPlace::File, .menuText = u"A&ggiornamenti automatici",
                .text = {3122}, .prompt = {3123},
                .button = {11, 1027, 1029, u"AGG AUTO", {3119}, 16, EnableRule::Always, true,
                           "CVEXARView::OnBtnAutoUpdate"},
                .key = FunctionKey(12), .handler = "CVEXARView::OnAutoUpdate"},
    COMMAND_ROW{.id = ID_CREA_CHK, .place = MenuPlace::File, .menuText = u"Crea chec&klist", .text = {3267},
                .prompt = {3268},
                .button = {14, 1042, 1043, u"CREA CHK", {3266}, 17, EnableRule::Linked, true,
                           "CVEXARView::OnBtnCreateChecklist"},
                .key = ShiftFunctionKey(3), .handler = "CVEXARView::OnCreateChecklist"},
    COMMAND_ROW{.id = ID_DIAG_BENZ, .place = MenuPlace::File, .menuText = u"Diagnosi ben&zina", .text = {3275},
                .prompt = {3276},
                .button = {8, 1044, 1045, u"DIAG BENZ", {3277}, 18, EnableRule::ObdLinked, true,
                           "CVEXARView::OnBtnPetrolDiagnosis"},
                .key = FunctionKey(9), .handler = "CVEXARView::OnPetrolDiagnosis"},
    COMMAND_ROW{.id = ID_APP_EXIT, .place = MenuPlace::File, .menuText = u"&Uscita", .separatorBefore = true,
                .text = {3036}, .prompt = {3037},
                .button = {12, 1012, 1017, u"USCITA", {3035}, 14, EnableRule::Always, false, "CVEXARView::OnBtnExit"},
                .key = ShiftFunctionKey(1), .handler = "CMainFrame::OnClose"},
    COMMAND_ROW{.id = ID_CONNETTI, .place = MenuPlace::Connection, .menuText = u"&Connetti", .text = {3097},
                .prompt = {3099},
                .button = {2, 1032, 1034, u"CONN", {3209}, 0, EnableRule::NotLinked, false,
                           "CVEXARView::OnBtnConnect"},
                .key = FunctionKey(3), .handler = "CVEXARView::OnConnect"},
    COMMAND_ROW{.id = ID_DISCONNETTI, .place = MenuPlace::Connection, .menuText = u"&Disconnetti", .text = {3098},
                .prompt = {3100}, .handler = "CVEXARView::OnDisconnect"},
    COMMAND_ROW{.id = ID_CONNETTI_BENZ, .place = MenuPlace::Connection, .menuText = u"Co&nnetti benzina",
                .text = {3278}, .prompt = {3280}, .handler = "CVEXARView::OnConnectPetrol"},
    COMMAND_ROW{.id = ID_DISCONNETTI_BENZ, .place = MenuPlace::Connection, .menuText = u"Di&sconnetti benzina",
                .text = {3279}, .prompt = {3281}, .handler = "CVEXARView::OnDisconnectPetrol"},
    COMMAND_ROW{.id = ID_VIEW_STATUS_BAR, .place = MenuPlace::View, .menuText = u"Barra di st&ato", .text = {3006},
                .prompt = {3008}, .handler = "CMainFrame::OnViewStatusBar"},
    COMMAND_ROW{.id = ID_BAUD_9600, .place = MenuPlace::ToolsBaud, .menuText = u"9600", .handler = "CVEXARView::OnBaud"},
    COMMAND_ROW{.id = ID_BAUD_19200, .place = MenuPlace::ToolsBaud, .menuText = u"19200",
                .handler = "CVEXARView::OnBaud"},
    COMMAND_ROW{.id = ID_BAUD_38400, .place = MenuPlace::ToolsBaud, .menuText = u"38400",
                .handler = "CVEXARView::OnBaud"},
    COMMAND_ROW{.id = ID_BAUD_57600, .place = MenuPlace::ToolsBaud, .menuText = u"57600",
                .handler = "CVEXARView::OnBaud"},
    COMMAND_ROW{.id = ID_BAUD_115200, .place = MenuPlace::ToolsBaud, .menuText = u"115200",
                .handler = "CVEXARView::OnBaud"},
    COMMAND_ROW{.id = ID_COMMENTI, .place = MenuPlace::Tools, .menuText = u"Co&mmenti", .text = {3113},
                .prompt = {3114}, .handler = "CVEXARView::OnComments"},
    COMMAND_ROW{.id = ID_LINEA_K, .place = MenuPlace::ToolsLine, .menuText = u"&Linea K", .text = {3148},
                .prompt = {3149}, .handler = "CVEXARView::OnKLine"},
    COMMAND_ROW{.id = ID_SERIALE, .place = MenuPlace::ToolsLine, .menuText = u"&Seriale", .text = {3150},
                .prompt = {3151}, .handler = "CVEXARView::OnSerialLine"},
    COMMAND_ROW{.id = ID_CENTRALINA, .place = MenuPlace::Tools, .menuText = u"&Centralina", .text = {3023},
                .prompt = {3024},
                .button = {0, 1024, 1025, u"ECU SEL", {3063}, 10, EnableRule::Always, true,
                           "CVEXARView::OnBtnSelectEcu"},
                .key = FunctionKey(1), .handler = "CVEXARView::OnSelectEcu"},
    COMMAND_ROW{.id = ID_REMOTE_MASTER, .place = MenuPlace::ToolsRemote, .menuText = u"&Master", .text = {3186},
                .prompt = {3187}, .handler = "CVEXARView::OnMaster"},
    COMMAND_ROW{.id = ID_REMOTE_SLAVE, .place = MenuPlace::ToolsRemote, .menuText = u"&Slave", .text = {3188},
                .prompt = {3189}, .handler = "CVEXARView::OnSlave"},
    COMMAND_ROW{.id = ID_ESPORTA, .place = MenuPlace::Functions, .menuText = u"Esporta in &binario...",
                .text = {3116}, .prompt = {3117}, .handler = "CVEXARView::OnExportBinary"},
    COMMAND_ROW{.id = ID_COMPARA, .place = MenuPlace::Functions, .menuText = u"Comparazione &file parametri",
                .text = {3190}, .prompt = {3191}, .handler = "CVEXARView::OnCompareParameterFiles"},
    // One item per language file, made by the frame in place of the
    // resource's placeholder item.
    COMMAND_ROW{.id = ID_LANGUAGE_FIRST, .lastId = ID_LANGUAGE_LAST, .place = MenuPlace::Language,
                .menuText = u"&Lingua", .handler = "CMainFrame::OnLanguage"},
    COMMAND_ROW{.id = ID_APP_ABOUT, .place = MenuPlace::Help, .menuText = u"Infor&mazioni su VEXAR...",
                .text = {3004, 3220, kEditions1To5, true}, .handler = "CVEXARApp::OnAppAbout"},
    COMMAND_ROW{.id = ID_OPERATORE, .key = HiddenKey('O'), .handler = "CVEXARView::OnOperatorProfile"},
    COMMAND_ROW{.id = ID_VERSION_CODE, .key = HiddenKey('I'), .handler = "CVEXARView::OnShowVersionCode"},
    COMMAND_ROW{.id = ID_LIMIT_SWITCH, .key = HiddenKey('D'), .handler = "CVEXARView::OnToggleLimitProfile"},
    COMMAND_ROW{.id = ID_TRACE, .key = HiddenKey('Z'), .handler = "CVEXARView::OnShowTraceWindow"},
    // The page windows' and the controls' own keys.
    COMMAND_ROW{.id = link::ID_DESIGN_GRID, .key = HiddenKey('E'), .handler = "CDlgTabWnd::ToggleDesignGrid"},
    COMMAND_ROW{.id = link::ID_EDIT_UNDO, .key = CtrlKey('Z'), .handler = "CCtrlGrid::OnUndo"},
    COMMAND_ROW{.id = link::ID_EDIT_COPY, .key = CtrlKey('C'), .handler = "CCtrlGrid::OnCopy"},
    COMMAND_ROW{.id = link::ID_EDIT_PASTE, .key = CtrlKey('V'), .handler = "CCtrlGrid::OnPaste"},
};

// The row of a command (the languages' row for any language command);
// null for an id the table does not hold.
constexpr const COMMAND_ROW* FindCommandRow(unsigned id)
{
    for (const COMMAND_ROW& row : kCommandTable)
        if (id == row.id || (row.lastId != 0 && id >= row.id && id <= row.lastId))
            return &row;
    return nullptr;
}

// ---- Views of the table --------------------------------------------------------------

// The 19 actions in slot order.
inline constexpr int kActionCount = 19;

struct COMMAND_BUTTON {
    int button;                 // control id
    int label;                  // control id of its caption label
    const char16_t* labelResource;
    int stateIndex;             // index into the 19 button states (settings value 50 + index)
    unsigned menuCommand;       // the menu item that follows the button; 0: none
    EnableRule rule;
};

// The row of an action's button.
constexpr const COMMAND_ROW& ActionRow(int action)
{
    for (const COMMAND_ROW& row : kCommandTable)
        if (row.button.action == action)
            return row;
    return kCommandTable[0];  // never reached for an action in range
}

inline constexpr std::array<COMMAND_BUTTON, kActionCount> kCommandButtons = [] {
    std::array<COMMAND_BUTTON, kActionCount> buttons{};
    for (int action = 0; action < kActionCount; ++action) {
        const COMMAND_ROW& row = ActionRow(action);
        buttons[static_cast<std::size_t>(action)] = {row.button.button, row.button.label, row.button.caption,
                                                     row.button.stateIndex, row.button.itemFollows ? row.id : 0,
                                                     row.button.rule};
    }
    return buttons;
}();

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

// The number of rows `wanted` accepts.
template <class Wanted>
constexpr std::size_t CountRows(Wanted wanted)
{
    std::size_t count = 0;
    for (const COMMAND_ROW& row : kCommandTable)
        count += wanted(row) ? 1 : 0;
    return count;
}

// The baud items with their rates (their menu texts), in menu order.
struct BAUD_ITEM {
    unsigned command;
    std::int32_t rate;
};
constexpr bool IsBaudRow(const COMMAND_ROW& row) { return row.place == MenuPlace::ToolsBaud; }
inline constexpr auto kBaudItems = [] {
    std::array<BAUD_ITEM, CountRows(IsBaudRow)> items{};
    std::size_t next = 0;
    for (const COMMAND_ROW& row : kCommandTable) {
        if (!IsBaudRow(row))
            continue;
        std::int32_t rate = 0;
        for (const char16_t* digit = row.menuText; *digit != 0; ++digit)
            rate = rate * 10 + (*digit - u'0');
        items[next++] = {row.id, rate};
    }
    return items;
}();

// The hidden keys of the main program: Ctrl+Alt+Shift with a letter.
struct HIDDEN_KEY {
    unsigned command;
    char letter;
};
constexpr bool IsHiddenKeyRow(const COMMAND_ROW& row) { return row.key.kind == KeyKind::CtrlAltShift; }
inline constexpr auto kHiddenKeys = [] {
    std::array<HIDDEN_KEY, CountRows(IsHiddenKeyRow)> keys{};
    std::size_t next = 0;
    for (const COMMAND_ROW& row : kCommandTable)
        if (IsHiddenKeyRow(row))
            keys[next++] = {row.id, static_cast<char>(row.key.code)};
    return keys;
}();

// The commands whose work is not in the program yet: they keep their
// places, disabled, and so do their command buttons.
constexpr bool IsPendingRow(const COMMAND_ROW& row) { return row.pending; }
inline constexpr auto kPendingCommands = [] {
    std::array<unsigned, CountRows(IsPendingRow)> ids{};
    std::size_t next = 0;
    for (const COMMAND_ROW& row : kCommandTable)
        if (IsPendingRow(row))
            ids[next++] = row.id;
    return ids;
}();
// Whether an action's command is built (its row is not pending).
constexpr bool IsActionBuilt(int action)
{
    return action >= 0 && action < kActionCount && !ActionRow(action).pending;
}

// The language texts of an action's label and of the menu item that
// follows its button (0: none).
int ActionLabelText(int action, std::int32_t edition);
int ActionMenuText(int action, std::int32_t edition);

// The language text that replaces a menu item's text, by command, in
// `edition`; nothing for an item without one.
std::optional<int> MenuItemText(unsigned command, std::int32_t edition);
// The prompt text of a command in the status bar; nothing for an empty
// prompt.
std::optional<int> MenuPromptText(unsigned command, std::int32_t edition);

}  // namespace vexar::shell
