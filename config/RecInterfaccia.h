#pragma once

// The layout of one window of controls (REC_INTERFACCIA) as a layout file
// (*.GPC, *.GVS) gives it: the title, a status bar and a row of tabs, each
// a page with a grid, placed controls (matched to their definitions by
// ID_GUI) and fixed texts. Value types: the record owns its vectors, and
// every count equals the size of its vector once a layout has been read.

#include "config/ControlCodes.h"
#include "config/RecControllo.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::size_t kTitoloWidth = 64;        // TITOLO
inline constexpr std::size_t kLayoutTextWidth = 48;    // tab labels and fixed texts

struct REC_POS_CONTROLLO {
    std::int32_t ID_GUI = 0;
    std::int32_t POS_X = 0;  // column of the top-left cell
    std::int32_t POS_Y = 0;  // row of the top-left cell
    std::int32_t TAB_INDEX = 0;
    std::uint8_t POSIZIONATO = 0;  // 1 read from the file, 0 on the hidden-controls tab
};

struct REC_TESTO {
    std::u16string STRINGA;  // in the current language
    std::int32_t OPERATORE = OPR_PBL;
    std::int32_t POS_X = 0;
    std::int32_t POS_Y = 0;
};

struct REC_PAGINA {
    std::int32_t RIGHE = 0;             // row height, pixels on a 1024 x 768 screen
    std::int32_t ALTEZZA_PAGINA = 0;    // set by the view
    std::int32_t COLONNE = 0;           // column width, pixels on a 1024 x 768 screen
    std::int32_t LARGHEZZA_PAGINA = 0;  // set by the view
    std::int32_t NUM_CONTROL = 0;
    std::vector<REC_POS_CONTROLLO> CONTROLLI;
    std::int32_t NUM_TESTI = 0;
    std::vector<REC_TESTO> TESTI;
};

struct REC_CARTELLA {
    std::int32_t ID_TAB = 0;
    std::int32_t OPERATORE = OPR_PBL;
    std::u16string ETICHETTA;  // in the current language
    REC_PAGINA PAGINA;
};

struct REC_INTERFACCIA {
    std::u16string TITOLO;  // in the current language
    std::int32_t PRESENTE = PRES_SI;  // PRES_SI: the window has a status bar
    REC_PAGINA BARRA_STATO;
    std::int32_t NUMERO_TAB = 0;
    std::vector<REC_CARTELLA> CARTELLE;
    REC_CARTELLA CARTELLA_NASCOSTA;  // "Controlli Non Visibili", filled by AddHiddenParams/AddHiddenVars
};
