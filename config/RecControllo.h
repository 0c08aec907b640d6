#pragma once

// The definition record of one control (REC_CONTROLLO) as the definition
// files give it: the datum in the ECU image, texts in the current language,
// access level, limits, the conversion between raw and physical value and
// the block of the control's category. A value type: every control copies
// its record, arrays included.
//
// Texts are cut to their widths when the file is read (counted in UTF-16
// code units). The conversion block and the category block are variants:
// the alternative in use follows TIPO_CONV and CATEGORIA, and readers check
// it with std::get_if before using a field.

#include "config/ControlCodes.h"

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// Widths of the texts, in UTF-16 code units.
inline constexpr std::size_t kEtichettaWidth = 60;   // ETICHETTA, list texts
inline constexpr std::size_t kUnitaWidth = 10;       // UNITA, VET_UNITA
inline constexpr std::size_t kIdentWidth = 32;       // IDENTIFICATORE, DEFAULT, MIN, MAX, map labels
inline constexpr std::size_t kCommentoWidth = 80;    // COMMENTO
inline constexpr std::size_t kFormatoWidth = 16;     // FORMATO

// Header values of a definition file.
inline constexpr std::int32_t PROT_KD01 = 0;
inline constexpr std::int32_t PROT_NEW = 1;
inline constexpr std::int32_t BIG_END = 0;
inline constexpr std::int32_t LITTLE_END = 1;

// Keyword codes of the record and of the category blocks. Note the
// polarity: the yes-words of ABILITATO and INCDEC_BUTTON are 0, those of
// ABS, VISIB_DIP and PARAM are 1.
inline constexpr std::int32_t FIX_ON = 0;
inline constexpr std::int32_t FIX_OFF = 1;
inline constexpr std::int32_t ABIL_SI = 0;
inline constexpr std::int32_t ABIL_NO = 1;
inline constexpr std::int32_t ALLN_LFT = 0;
inline constexpr std::int32_t ALLN_CNT = 1;
inline constexpr std::int32_t ALLN_RGH = 2;
inline constexpr std::int32_t INCDEC_BTN_SI = 0;
inline constexpr std::int32_t INCDEC_BTN_NO = 1;
inline constexpr std::int32_t VAL_CNT = 0;
inline constexpr std::int32_t VAL_DSCR = 1;
inline constexpr std::int32_t ABS_NO = 0;
inline constexpr std::int32_t ABS_SI = 1;
inline constexpr std::int32_t VIS_NO = 0;
inline constexpr std::int32_t VIS_SI = 1;
inline constexpr std::int32_t PAR_NO = 0;
inline constexpr std::int32_t PAR_SI = 1;
inline constexpr std::int32_t RESET_IN_PAR = 0;   // PAR_VAR "PAR": the datum lies in the parameter image
inline constexpr std::int32_t RESET_IN_VAR = 1;   // PAR_VAR "VAR": the datum lies in the variable image
inline constexpr std::int32_t STL_HORZ = 0;       // slider and bar
inline constexpr std::int32_t STL_VERT = 1;
inline constexpr std::int32_t STL_TONDO = 0;      // LED
inline constexpr std::int32_t STL_QUADR = 1;
inline constexpr std::int32_t PRES_SI = 0;
inline constexpr std::int32_t PRES_NO = 1;
inline constexpr std::int32_t INTST_FISSA = 0;
inline constexpr std::int32_t INTST_CAL = 1;

// The category code an operand control has until the page builder
// resolves it.
inline constexpr std::int32_t kUnresolvedOperand = 13;

// ---- Conversion block (PARAM_CONVERSIONE) --------------------------------

class IDataCtrl;  // a data-bound control; the record only points at it

// The six-operand formula shared by CONV_FORM_EXT and CTRL_NUMCALC:
// (x1*K1*x2 + x3*K2) / (x4*K3*x5 + x6*K4) + KC. ID[k] is the key (ID_GUI)
// of operand k+1 (ID1..ID6), 0 for none. ADDR_ID and TIPO_ID are filled by
// the page builder in a control's own copy: null and kUnresolvedOperand
// after loading. ADDR_ID refers to a control window it does not own.
struct FormulaOperands {
    double KC = 0.0;
    double K1 = 0.0;
    double K2 = 0.0;
    double K3 = 0.0;
    double K4 = 0.0;
    std::array<std::int32_t, 6> ID{};
    std::array<IDataCtrl*, 6> ADDR_ID{};
    std::array<std::int32_t, 6> TIPO_ID{};
};

struct ConvForm {
    double A = 0.0;
    double B = 0.0;
    double C = 0.0;
    double D = 0.0;
    double E = 0.0;
};

struct ConvFormExt : FormulaOperands {
    std::int32_t IDX = 0;  // operand slot 1..6 taking the control's own value; 0 when not given
};

struct ConvIntr {
    std::int32_t N_ELEM = 0;
    std::vector<double> BREAKPS_X;
    std::vector<double> BREAKPS_Y;
};

// Index of the alternative equals TIPO_CONV (CONV_NO .. CONV_INTR).
using PARAM_CONVERSIONE = std::variant<std::monostate, ConvForm, ConvFormExt, ConvIntr>;

// ---- Category blocks ------------------------------------------------------

// Visibility list of one state: keys of parameter and variable controls.
struct LISTA_VISIBILI {
    std::int32_t N_ID_PAR = 0;
    std::vector<std::int32_t> ID_PAR;
    std::int32_t N_ID_VAR = 0;
    std::vector<std::int32_t> ID_VAR;
};

struct Colour {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;
    std::uint32_t Value() const { return R + 256u * G + 65536u * B; }
};

// One header of a map (the X axis above the columns, the Y axis left of
// the rows): fixed labels, or the key of a one-row/one-column map whose
// cells are the breakpoints.
struct INTESTAZIONE_GRIGLIA {
    std::int32_t PRESENTE = PRES_SI;
    std::int32_t TIPO_INT = INTST_FISSA;
    std::u16string VET_UNITA;                  // fixed header only
    std::vector<std::u16string> VET_ETICHETTE; // fixed header only: one label per cell of the axis
    std::int32_t ID_VET_BREAKPS = 0;           // calibrable header only
    std::int32_t ID_VAR = 0;                   // calibrable header only
};

struct ResetBlock {          // CTRL_RESET
    std::int32_t PAR_VAR = RESET_IN_PAR;
    std::int32_t RESET = 0;
    std::int32_t NORMAL = 0;
    std::int32_t DELAY = 0;
};

struct EditBlock {           // CTRL_EDIT
    std::int32_t ALLINEAMENTO = 0;
    std::int32_t ABILITATO = 0;
    std::int32_t NUM_BYTES = 0;
};

struct NumEditBlock {        // CTRL_NUMEDIT
    std::int32_t ALLINEAMENTO = 0;
    std::int32_t ABILITATO = 0;
    std::int32_t INCDEC_BUTTON = 0;
    double INC_VALORE = 0.0;
    std::int32_t VALORI = 0;
    std::u16string FORMATO;
};

struct NumCalcBlock : FormulaOperands {   // CTRL_NUMCALC
    std::int32_t ALLINEAMENTO = 0;
    std::u16string FORMATO;
    std::int32_t ABS = ABS_NO;
};

struct NumericBlock {        // CTRL_NUMERIC
    std::int32_t SCALA = 0;
    std::int32_t ALLINEAMENTO = 0;
    std::u16string FORMATO;
};

struct CheckBlock {          // CTRL_CHECK
    std::int32_t ABILITATO = 0;
    std::int32_t VISIB_DIP = VIS_NO;
    LISTA_VISIBILI CHECKED;
    LISTA_VISIBILI UNCHECKED;
    std::int32_t PARAM = PAR_SI;
};

struct ButtonBlock {         // CTRL_BUTTON
    std::int32_t ABILITATO = 0;
    std::int32_t VISIB_DIP = VIS_NO;
    LISTA_VISIBILI ON;
    LISTA_VISIBILI OFF;
    std::u16string ETICHETTA_ON;
    std::u16string ETICHETTA_OFF;
    std::int32_t PARAM = PAR_SI;
};

struct ButtonCmdBlock {      // CTRL_BUTTON_CMD
    std::int32_t ABILITATO = 0;
};

struct ComboBlock {          // CTRL_COMBO
    std::int32_t ABILITATO = 0;
    std::int32_t NUM_ITEMS = 0;
    std::vector<std::u16string> ETICHETTE_ITEMS;
    std::vector<std::int32_t> VALORE_ITEMS;
    std::int32_t VISIB_DIP = VIS_NO;
    std::vector<LISTA_VISIBILI> VISIBILI_ITEMS;  // empty unless VISIB_DIP is VIS_SI
    std::int32_t PARAM = PAR_SI;
};

struct DiagBlock {           // CTRL_DIAG and CTRL_DIAG_BIT
    std::int32_t SCALA = 0;
    std::int32_t NUM_ERRORI = 0;
    std::vector<std::u16string> ETICHETTE_ERRORI;
    std::vector<std::int32_t> COD_ERRORI;
    std::int32_t ID_AZIONE = 0;
};

struct RiprBlock {           // CTRL_RIPR
    std::int32_t NUM_AZIONI = 0;
    std::int32_t NUM_ERRORI = 0;  // elements of the datum, not a list length
    std::vector<std::u16string> ETICHETTE_AZIONI;
    std::vector<std::int32_t> COD_AZIONI;
};

struct StatoBlock {          // CTRL_STATO
    std::int32_t SCALA = 0;
    std::int32_t NUM_ITEMS = 0;
    std::vector<std::u16string> ETICHETTE_ITEMS;
    std::vector<std::int32_t> VALORE_ITEMS;
};

struct SlideBlock {          // CTRL_SLIDE
    std::int32_t STILE = STL_HORZ;
    std::int32_t ABILITATO = 0;
    std::int32_t VALORI = 0;
    std::int32_t NUM_TICK = 0;
    std::u16string FORMATO;
};

struct KnobBlock {           // CTRL_KNOB
    std::int32_t ABILITATO = 0;
    std::int32_t VALORI = 0;
    std::int32_t NUM_TICK = 0;
    std::u16string FORMATO;
};

struct LedBlock {            // CTRL_LED
    std::int32_t SCALA = 0;
    std::int32_t STILE = STL_TONDO;
    Colour ON_COLOR;
    Colour OFF_COLOR;
};

struct BarBlock {            // CTRL_BAR
    std::int32_t SCALA = 0;
    std::int32_t STILE = STL_HORZ;
    std::int32_t NUM_TICK = 0;
    std::u16string FORMATO;
    Colour COLORE;
};

struct VmeterBlock {         // CTRL_VMETER
    std::int32_t SCALA = 0;
    std::int32_t NUM_TICK = 0;
    std::u16string FORMATO;
    Colour COLORE;
};

struct TermBlock {           // CTRL_TERM and CTRL_RPM
    std::int32_t SCALA = 0;
    std::int32_t NUM_TICK = 0;
    std::u16string FORMATO;
};

struct GridBlock {           // CTRL_GRID
    std::int32_t NUM_RIGHE = 0;
    std::int32_t NUM_COLONNE = 0;  // cell (r, c) is element r * NUM_COLONNE + c of the datum
    double INC_VALORE = 0.0;
    std::int32_t VALORI = 0;
    std::u16string FORMATO;
    std::int32_t ID_VAR_FUNECU = 0;
    std::vector<std::vector<double>> DEF_VAL;  // NUM_RIGHE rows of NUM_COLONNE defaults
    INTESTAZIONE_GRIGLIA PRIMA_RIGA;
    INTESTAZIONE_GRIGLIA PRIMA_COLONNA;
};

// std::monostate until the category's lines have been read.
using CategoryBlock =
    std::variant<std::monostate, BarBlock, CheckBlock, ButtonBlock, ButtonCmdBlock, ComboBlock, DiagBlock,
                 EditBlock, GridBlock, KnobBlock, LedBlock, NumCalcBlock, NumEditBlock, NumericBlock, RiprBlock,
                 SlideBlock, StatoBlock, TermBlock, VmeterBlock, ResetBlock>;

struct REC_CONTROLLO {
    std::int32_t ID_GUI = 0;
    std::u16string ETICHETTA;
    std::u16string UNITA;
    std::u16string IDENTIFICATORE;
    std::u16string COMMENTO;
    std::int32_t TIPO = DATO_FLAG;
    std::int32_t LSB = 0;
    std::uint32_t MASCHERA = 0;
    std::int32_t OPERATORE = OPR_PBL;
    std::u16string DEFAULT;
    std::int32_t FIXDEF = FIX_ON;
    std::u16string MIN;
    std::u16string MAX;
    std::int32_t TIPO_CONV = CONV_NO;
    PARAM_CONVERSIONE CONVERSIONE;
    std::int32_t CATEGORIA = CTRL_BAR;
    CategoryBlock GRAFICA;
};
