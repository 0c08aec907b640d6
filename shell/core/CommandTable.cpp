#include "shell/core/CommandTable.h"

namespace vexar::shell {

const std::array<COMMAND_BUTTON, kActionCount> kCommandButtons{{
    {1024, 1025, u"ECU SEL", 10, ID_CENTRALINA, EnableRule::Always},
    {1022, 1023, u"PRG ECU", 9, ID_PRG_ECU, EnableRule::Always},
    {1032, 1034, u"CONN", 0, 0, EnableRule::NotLinked},
    {1018, 1019, u"RESET MEM", 6, ID_RESET_MEM, EnableRule::Always},
    {1010, 1015, u"CARICA CNF", 8, ID_CARICA_CNF, EnableRule::Always},
    {1033, 1035, u"TARMIX", 11, ID_TARMIX, EnableRule::Always},
    {1008, 1013, u"CNF VETT", 2, ID_CONFIG_VETTURA, EnableRule::Always},
    {1020, 1021, u"DIAG GAS", 4, ID_DIAGNOSI, EnableRule::Always},
    {1044, 1045, u"DIAG BENZ", 18, ID_DIAG_BENZ, EnableRule::ObdLinked},
    {1011, 1016, u"ACQ DATI", 3, ID_ACQUISIZIONE, EnableRule::Always},
    {1009, 1014, u"SALVA CNF", 7, ID_SALVA_CNF, EnableRule::Always},
    {1027, 1029, u"AGG AUTO", 16, ID_AGG_AUTO, EnableRule::Always},
    {1012, 1017, u"USCITA", 14, 0, EnableRule::Always},
    {1026, 1028, u"PRG PALM", 15, ID_PRG_PALM, EnableRule::Always},
    {1042, 1043, u"CREA CHK", 17, ID_CREA_CHK, EnableRule::Linked},
    {1030, 1031, u"ASS REM", 12, ID_ASS_REM, EnableRule::RemoteMaster},
    {1038, 1039, u"CANC ERR", 5, ID_CANC_ERR, EnableRule::Always},
    {1040, 1041, u"IDENT CENTR", 1, ID_IDENT_CENTR, EnableRule::Always},
    {1036, 1037, u"TEST", 13, ID_TEST, EnableRule::Always},
}};

namespace {

constexpr int kLabelTexts[kActionCount] = {3063, 3089, 3209, 3051, 3030, 3208, 3022, 3081, 3277, 3031,
                                           3029, 3119, 3035, 3118, 3266, 3159, 3232, 3231, 3233};
constexpr int kMenuTexts[kActionCount] = {3023, 3091, 0,    3057, 3056, 3210, 3011, 3082, 3275, 3033,
                                          3055, 3122, 0,    3120, 3267, 3160, 3236, 3234, 3238};

bool Edition2To4(std::int32_t edition) { return edition >= 2 && edition <= 4; }

}  // namespace

bool IsActionBuilt(int action)
{
    switch (action) {
    case kActionSelectEcu:
    case kActionConnect:
    case kActionExit:
    case kActionTest:
    case kActionIdentification:
    case kActionVehicleConfig:
    case kActionAcquisition:
    case kActionDiagGas:
    case kActionClearErrors:
    case kActionSaveCalib:
    case kActionLoadCalib:
    case kActionResetMemory:
    case kActionChecklist:
    case kActionPrgEcu:
    case kActionTarmix:
    case kActionPrgPalm:
    case kActionAutoUpdate:
    case kActionDiagPetrol:
    case kActionRemote: return true;
    default: return false;
    }
}

int ActionLabelText(int action, std::int32_t edition)
{
    if (action == kActionVehicleConfig && edition == 3)
        return 3262;
    if (action == kActionDiagGas && Edition2To4(edition))
        return 3256;
    if (action == kActionAcquisition && Edition2To4(edition))
        return 3259;
    return kLabelTexts[action];
}

int ActionMenuText(int action, std::int32_t edition)
{
    if (action == kActionVehicleConfig && edition == 3)
        return 3263;
    if (action == kActionDiagGas && Edition2To4(edition))
        return 3257;
    if (action == kActionAcquisition && Edition2To4(edition))
        return 3261;
    return kMenuTexts[action];
}

std::optional<int> MenuItemText(unsigned command, std::int32_t edition)
{
    switch (command) {
    case ID_IDENT_CENTR: return 3234;
    case ID_CONFIG_VETTURA: return edition == 3 ? 3263 : 3011;
    case ID_ACQUISIZIONE: return Edition2To4(edition) ? 3261 : 3033;
    case ID_DIAGNOSI: return Edition2To4(edition) ? 3257 : 3082;
    case ID_CANC_ERR: return 3236;
    case ID_RESET_MEM: return 3057;
    case ID_SALVA_CNF: return 3055;
    case ID_CARICA_CNF: return 3056;
    case ID_PRG_ECU: return 3091;
    case ID_TARMIX: return 3210;
    case ID_ASS_REM: return 3160;
    case ID_TEST: return 3238;
    case ID_PRG_PALM: return 3120;
    case ID_AGG_AUTO: return 3122;
    case ID_CREA_CHK: return 3267;
    case ID_DIAG_BENZ: return 3275;
    case ID_APP_EXIT: return 3036;
    case ID_CONNETTI: return 3097;
    case ID_DISCONNETTI: return 3098;
    case ID_CONNETTI_BENZ: return 3278;
    case ID_DISCONNETTI_BENZ: return 3279;
    case ID_VIEW_STATUS_BAR: return 3006;
    case ID_CENTRALINA: return 3023;
    case ID_COMMENTI: return 3113;
    case ID_LINEA_K: return 3148;
    case ID_SERIALE: return 3150;
    case ID_REMOTE_MASTER: return 3186;
    case ID_REMOTE_SLAVE: return 3188;
    case ID_ESPORTA: return 3116;
    case ID_COMPARA: return 3190;
    case ID_APP_ABOUT: return edition >= 1 && edition <= 5 ? 3220 + edition : 3004;
    default: return std::nullopt;
    }
}

std::optional<int> MenuPromptText(unsigned command, std::int32_t edition)
{
    switch (command) {
    case ID_CONFIG_VETTURA: return edition == 3 ? 3264 : 3012;
    case ID_CENTRALINA: return 3024;
    case ID_ACQUISIZIONE: return Edition2To4(edition) ? 3260 : 3032;
    case ID_SALVA_CNF: return 3052;
    case ID_CARICA_CNF: return 3053;
    case ID_RESET_MEM: return 3054;
    case ID_DIAGNOSI: return Edition2To4(edition) ? 3258 : 3083;
    case ID_PRG_ECU: return 3090;
    case ID_CONNETTI: return 3099;
    case ID_DISCONNETTI: return 3100;
    case ID_COMMENTI: return 3114;
    case ID_PRG_PALM: return 3121;
    case ID_AGG_AUTO: return 3123;
    case ID_ESPORTA: return 3117;
    case ID_LINEA_K: return 3149;
    case ID_SERIALE: return 3151;
    case ID_REMOTE_MASTER: return 3187;
    case ID_REMOTE_SLAVE: return 3189;
    case ID_ASS_REM: return 3161;
    case ID_TARMIX: return 3211;
    case ID_IDENT_CENTR: return 3235;
    case ID_CANC_ERR: return 3237;
    case ID_TEST: return 3239;
    case ID_CREA_CHK: return 3268;
    case ID_DIAG_BENZ: return 3276;
    case ID_CONNETTI_BENZ: return 3280;
    case ID_DISCONNETTI_BENZ: return 3281;
    case ID_COMPARA: return 3191;
    case ID_APP_EXIT: return 3037;
    case ID_VIEW_STATUS_BAR: return 3008;
    default: return std::nullopt;
    }
}

}  // namespace vexar::shell
