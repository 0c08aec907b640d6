#pragma once

// Codes of the control definitions: data types (TIPO), categories
// (CATEGORIA), access levels (OPERATORE) and conversions (TIPO_CONV), with
// the values the definition files and the rest of the program use.

#include <cstdint>

// Data type of a datum in an ECU image.
inline constexpr std::int32_t DATO_FLAG = 0;
inline constexpr std::int32_t DATO_UBYTE = 1;
inline constexpr std::int32_t DATO_BYTE = 2;
inline constexpr std::int32_t DATO_UWORD = 3;
inline constexpr std::int32_t DATO_WORD = 4;
inline constexpr std::int32_t DATO_LONG = 5;
inline constexpr std::int32_t DATO_ULONG = 6;

// Category of a control. No keyword gives 11.
inline constexpr std::int32_t CTRL_BAR = 0;
inline constexpr std::int32_t CTRL_CHECK = 1;
inline constexpr std::int32_t CTRL_BUTTON = 2;
inline constexpr std::int32_t CTRL_BUTTON_CMD = 3;
inline constexpr std::int32_t CTRL_COMBO = 4;
inline constexpr std::int32_t CTRL_DIAG = 5;
inline constexpr std::int32_t CTRL_DIAG_BIT = 6;
inline constexpr std::int32_t CTRL_EDIT = 7;
inline constexpr std::int32_t CTRL_GRID = 8;
inline constexpr std::int32_t CTRL_KNOB = 9;
inline constexpr std::int32_t CTRL_LED = 10;
inline constexpr std::int32_t CTRL_NUMCALC = 12;
inline constexpr std::int32_t CTRL_NUMEDIT = 13;
inline constexpr std::int32_t CTRL_NUMERIC = 14;
inline constexpr std::int32_t CTRL_RIPR = 15;
inline constexpr std::int32_t CTRL_RPM = 16;
inline constexpr std::int32_t CTRL_SLIDE = 17;
inline constexpr std::int32_t CTRL_STATO = 18;
inline constexpr std::int32_t CTRL_TERM = 19;
inline constexpr std::int32_t CTRL_VMETER = 20;
inline constexpr std::int32_t CTRL_RESET = 21;

// Access level a control needs (0..2), and the operator profiles (0..5):
// profiles 1 to 3 are privileged.
inline constexpr std::int32_t OPR_PBL = 0;
inline constexpr std::int32_t OPR_PRV = 1;
inline constexpr std::int32_t OPR_REM = 2;
inline constexpr std::int32_t OPR_SVIL = 3;
inline constexpr std::int32_t OPR_LIMIT = 4;
inline constexpr std::int32_t OPR_PBL_LIMIT = 5;

// Conversion between raw and physical value.
inline constexpr std::int32_t CONV_NO = 0;
inline constexpr std::int32_t CONV_FORM = 1;
inline constexpr std::int32_t CONV_FORM_EXT = 2;
inline constexpr std::int32_t CONV_INTR = 3;
