#pragma once

// What every control creator is given: the page it builds on (parent,
// grid, fonts, settings, base window id, image family), the definition and
// its place, whether it shows, and what decides whether it takes input
// (profile, development and limited flags). The factory fills one record
// per control and hands it to the category's creator.

#include "pages/core/LayoutSettings.h"
#include "pages/core/PageGrid.h"

#include <QFont>

#include <string>

class CVEXARPages;
class QWidget;
struct REC_CONTROLLO;

struct CTRL_CREATE {
    CVEXARPages* app = nullptr;
    std::string languageFile;     // path of the current language file
    QFont font;                   // the page font
    QFont secondFont;             // the gauge font of the knob-type creators
    QWidget* parent = nullptr;
    PAGE_GRID grid;
    const REC_CONTROLLO* definition = nullptr;
    std::int32_t row = 0;
    std::int32_t column = 0;
    bool visible = true;
    bool development = false;     // identifiers in place of labels
    bool limited = false;         // the limited profile
    LAYOUT_SETTINGS settings;
    std::int32_t baseId = 0;      // added to ID_GUI to form the window id
    std::int32_t imageFamily = 0; // 0 parameters, 1 variables
    bool hidden = false;          // hidden by its conditions from the start
    std::int32_t profile = 0;     // the operator profile value
};
