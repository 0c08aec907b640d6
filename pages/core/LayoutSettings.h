#pragma once

// The display settings of the main program ("VEXAR.cfg", overridden by a
// configuration's "ECU.cfg"): periods, the two fonts, the two colours,
// margins and the pixel sizes of every control kind, and the states of
// the command buttons. The shell reads and writes the files; every window
// that builds controls gets a copy.

#include <array>
#include <cstdint>
#include <string>

// One control kind's size in pixels.
struct CONTROL_SIZE {
    std::int32_t height = 0;
    std::int32_t width = 0;
};

struct LAYOUT_SETTINGS {
    // Of the loaded configuration (from its parameter definition).
    std::int32_t pollPeriod = 500;
    std::int32_t acqPeriod = 500;
    // Values 3 to 5: the font of the dynamic windows (the pages).
    std::u16string pageFontFace = u"DejaVu Sans";
    std::int32_t pageFontSize = 9;
    std::int32_t pageFontBold = 0;
    // Values 6 to 8: the font of the control bars.
    std::u16string barFontFace = u"DejaVu Sans";
    std::int32_t barFontSize = 9;
    std::int32_t barFontBold = 0;
    // Values 9 and 10: text colour of windows and controls, colour of the
    // controls' values (COLORREF).
    std::uint32_t textColour = 0x000000;
    std::uint32_t valueColour = 0x800000;
    // Values 11 and 12.
    std::int32_t margin = 10;
    std::int32_t barHeight = 120;
    // Values 13 to 48 (and 49), by control kind.
    CONTROL_SIZE barVertical{120, 40};
    CONTROL_SIZE barHorizontal{40, 150};
    CONTROL_SIZE button{40, 80};
    CONTROL_SIZE buttonCmd{30, 240};
    std::int32_t checkHeight = 20;
    std::int32_t comboHeight = 200;
    std::int32_t diagHeight = 200;
    CONTROL_SIZE edit{22, 160};
    CONTROL_SIZE gridMax{300, 600};
    std::int32_t gridColumnWidth = 65;
    CONTROL_SIZE knob{120, 120};
    CONTROL_SIZE led{30, 30};
    CONTROL_SIZE numCalc{22, 100};
    CONTROL_SIZE numEdit{22, 100};
    CONTROL_SIZE numeric{22, 100};
    CONTROL_SIZE rpm{140, 140};
    CONTROL_SIZE slideVertical{150, 50};
    CONTROL_SIZE slideHorizontal{50, 180};
    std::int32_t statoHeight = 200;
    CONTROL_SIZE term{150, 50};
    CONTROL_SIZE vmeter{120, 120};
    // Values 50 to 68: the states of the 19 command buttons (0, 1 or 2).
    std::array<std::int32_t, 19> buttonStates{};
};
