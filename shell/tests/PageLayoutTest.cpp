// Page arithmetic: the screen reduced to 4:3, the settings and cells
// scaled to it, the cells a size spans, each category's control size and a
// page's extent, and the order the records are sorted in.
#include "shell/core/PageLayout.h"

#include "config/ControlCodes.h"

#include <gtest/gtest.h>

using namespace vexar::shell;

namespace {

// 7 pixels a character, 13 high.
const TextMeasure kMeasure = [](std::u16string_view text) {
    return PIXEL_SIZE{static_cast<std::int32_t>(text.size()) * 7, 13};
};
const GridMeasure kGrid = [](const REC_CONTROLLO&, const LAYOUT_SETTINGS&) { return PIXEL_SIZE{333, 222}; };

REC_CONTROLLO Record(std::int32_t key, std::int32_t category, CategoryBlock block = {})
{
    REC_CONTROLLO r;
    r.ID_GUI = key;
    r.CATEGORIA = category;
    r.GRAFICA = std::move(block);
    return r;
}

}  // namespace

TEST(PageLayout, TheScreenIsReducedToFourThirdsOnTheSideNearerItsDesignWithinTheScreen)
{
    const struct {
        int w, h, rw, rh;
    } cases[] = {
        {1280, 1024, 1280, 960},   // the height would be the base, but 1365 is wider than the screen
        {1024, 1280, 1024, 768},
        {800, 600, 800, 600},
        {1920, 1080, 1440, 1080},
        {1100, 1000, 1100, 825},
    };
    for (const auto& c : cases) {
        const PIXEL_SIZE r = ReduceToDesignRatio(c.w, c.h);
        EXPECT_EQ(r.cx, c.rw) << c.w << "x" << c.h;
        EXPECT_EQ(r.cy, c.rh) << c.w << "x" << c.h;
    }
}

TEST(PageLayout, SettingsAndCellsScaleWidthsAndHeightsApart)
{
    LAYOUT_SETTINGS settings;
    settings.pageFontSize = 9;
    settings.knob = {120, 120};
    settings.margin = 10;
    settings.gridColumnWidth = 65;
    settings.checkHeight = 1;
    REC_INTERFACCIA params;
    params.BARRA_STATO.COLONNE = 40;
    params.BARRA_STATO.RIGHE = 30;
    params.CARTELLE.resize(1);
    params.CARTELLE[0].PAGINA.COLONNE = 100;
    params.CARTELLE[0].PAGINA.RIGHE = 60;
    REC_INTERFACCIA vars = params;

    LAYOUT_SETTINGS same = settings;
    REC_INTERFACCIA untouched = params;
    ScaleLayoutToScreen(untouched, vars, same, 1024, 768);
    EXPECT_EQ(same.knob.width, 120);
    EXPECT_EQ(untouched.CARTELLE[0].PAGINA.COLONNE, 100);

    // 1280 x 1024: the design's 4:3 within the screen, 1280 x 960, so
    // widths and heights both by 5/4.
    ScaleLayoutToScreen(params, vars, settings, 1280, 1024);
    EXPECT_EQ(settings.pageFontSize, 9 * 1280 / 1024);
    EXPECT_EQ(settings.knob.width, 120 * 1280 / 1024);
    EXPECT_EQ(settings.knob.height, 120 * 960 / 768);
    EXPECT_EQ(settings.gridColumnWidth, 65 * 1280 / 1024);
    EXPECT_EQ(settings.margin, 12);  // 10 * 1280 / 1024
    EXPECT_EQ(params.CARTELLE[0].PAGINA.COLONNE, 125);
    EXPECT_EQ(params.CARTELLE[0].PAGINA.RIGHE, 75);
    EXPECT_EQ(params.BARRA_STATO.COLONNE, 50);
    EXPECT_EQ(vars.BARRA_STATO.RIGHE, 37);

    // 1920 x 1080: widths and heights apart, 1440 / 1024 and 1080 / 768.
    LAYOUT_SETTINGS wide;
    wide.knob = {120, 120};
    REC_INTERFACCIA wideParams, wideVars;
    ScaleLayoutToScreen(wideParams, wideVars, wide, 1920, 1080);
    EXPECT_EQ(wide.knob.width, 120 * 1440 / 1024);
    EXPECT_EQ(wide.knob.height, 120 * 1080 / 768);

    // A smaller screen: a value that would scale to 0 keeps its own.
    ScaleLayoutToScreen(params, vars, settings, 640, 480);
    EXPECT_EQ(settings.checkHeight, 1);
    EXPECT_EQ(settings.knob.height, 150 * 480 / 768);
}

TEST(PageLayout, ARatioIsTheCellsASizeSpans)
{
    const struct {
        int a, b, ratio;
    } cases[] = {{20, 30, 2}, {20, 25, 2}, {20, 10, 1}, {20, 0, 1}, {20, 40, 3}, {0, 5, 0}, {100, 49, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundedRatio(c.a, c.b), c.ratio) << c.a << " " << c.b;
}

TEST(PageLayout, EachCategoryHasItsSizeFromTheSettingsOrItsText)
{
    LAYOUT_SETTINGS s;
    s.barVertical = {101, 11};
    s.barHorizontal = {102, 12};
    s.button = {103, 13};
    s.buttonCmd = {104, 14};
    s.checkHeight = 105;
    s.edit = {106, 16};
    s.knob = {107, 17};
    s.led = {108, 18};
    s.numCalc = {109, 19};
    s.numEdit = {110, 20};
    s.numeric = {111, 21};
    s.rpm = {112, 22};
    s.slideVertical = {113, 23};
    s.slideHorizontal = {114, 24};
    s.term = {115, 25};
    s.vmeter = {116, 26};
    BarBlock vertical;
    vertical.STILE = STL_VERT;
    SlideBlock slideVertical;
    slideVertical.STILE = STL_VERT;
    ComboBlock combo;
    combo.NUM_ITEMS = 2;
    combo.ETICHETTE_ITEMS = {u"ab", u"abcdef", u"abcdefghijkl"};  // the third is not counted
    StatoBlock stato;
    stato.NUM_ITEMS = 1;
    stato.ETICHETTE_ITEMS = {u"abc"};
    REC_CONTROLLO check = Record(2, CTRL_CHECK, CheckBlock{});
    check.ETICHETTA = u"Label";
    const struct {
        REC_CONTROLLO record;
        std::int32_t width, height;
    } cases[] = {
        {Record(1, CTRL_BAR, vertical), 11, 101},
        {Record(1, CTRL_BAR, BarBlock{}), 12, 102},
        {check, 35 + 5 + 20, 105},
        {Record(1, CTRL_BUTTON, ButtonBlock{}), 13, 103},
        {Record(1, CTRL_BUTTON_CMD), 14, 104},
        {Record(1, CTRL_RESET), 14, 104},
        {Record(1, CTRL_COMBO, combo), 42 + 5 + 30, 13},
        {Record(1, CTRL_STATO, stato), 21 + 5 + 30, 13},
        {Record(1, CTRL_EDIT), 16, 106},
        {Record(1, CTRL_GRID), 333, 222},
        {Record(1, CTRL_KNOB), 17, 107},
        {Record(1, CTRL_LED), 18, 108},
        {Record(1, CTRL_NUMCALC), 19, 109},
        {Record(1, CTRL_NUMEDIT), 20, 110},
        {Record(1, CTRL_NUMERIC), 21, 111},
        {Record(1, CTRL_RPM), 22, 112},
        {Record(1, CTRL_SLIDE, slideVertical), 23, 113},
        {Record(1, CTRL_SLIDE, SlideBlock{}), 24, 114},
        {Record(1, CTRL_TERM), 25, 115},
        {Record(1, CTRL_VMETER), 26, 116},
        {Record(1, CTRL_DIAG), 0, 0},
        {Record(1, CTRL_RIPR), 0, 0},
    };
    for (const auto& c : cases) {
        const std::vector<REC_CONTROLLO> records{c.record};
        std::int32_t width = -1;
        std::int32_t height = -1;
        EXPECT_TRUE(CalcControlLayout(c.record.ID_GUI, records, s, kMeasure, kGrid, width, height));
        EXPECT_EQ(width, c.width) << c.record.CATEGORIA;
        EXPECT_EQ(height, c.height) << c.record.CATEGORIA;
    }
    std::int32_t width = -1;
    std::int32_t height = -1;
    const std::vector<REC_CONTROLLO> none{Record(1, CTRL_KNOB)};
    EXPECT_FALSE(CalcControlLayout(9, none, s, kMeasure, kGrid, width, height));
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}

// The farthest control or label, in whole cells, plus the scroll bars.
TEST(PageLayout, APageExtendsToItsFarthestControlOrLabel)
{
    LAYOUT_SETTINGS s;
    s.knob = {90, 50};   // 2 rows of 50 (90 / 50 + 0.5 = 2.3 -> 2), 2 columns of 40 (1.75 -> 2)
    s.led = {10, 10};
    const std::vector<REC_CONTROLLO> records{Record(1, CTRL_KNOB), Record(2, CTRL_LED)};
    REC_PAGINA page;
    page.COLONNE = 40;
    page.RIGHE = 50;
    page.CONTROLLI = {{1, 3, 1, 0, 1}, {2, 0, 4, 0, 1}, {99, 20, 20, 0, 1}};  // 99 has no record
    page.TESTI = {{u"abcdefghij", 0, 0, 0}};  // 75 px wide: 2 columns
    MeasurePage(page, records, s, kMeasure, kGrid, {17, 15});
    EXPECT_EQ(page.LARGHEZZA_PAGINA, (3 + 2) * 40 + 17);
    EXPECT_EQ(page.ALTEZZA_PAGINA, (4 + 1) * 50 + 15);
}

TEST(PageLayout, RecordsSortByAddressThenFlagsByMask)
{
    auto record = [](std::int32_t key, std::int32_t lsb, std::int32_t type, std::uint32_t mask) {
        REC_CONTROLLO r;
        r.ID_GUI = key;
        r.LSB = lsb;
        r.TIPO = type;
        r.MASCHERA = mask;
        return r;
    };
    std::vector<REC_CONTROLLO> records{record(1, 9, DATO_UBYTE, 0xFF), record(2, 4, DATO_FLAG, 0x80),
                                       record(3, 4, DATO_FLAG, 0x01), record(4, 2, DATO_UWORD, 0xFFFF),
                                       record(5, 4, DATO_FLAG, 0x10)};
    SortControlsByPosition(records);
    SortControlsInRow(records);
    std::vector<std::int32_t> keys;
    for (const REC_CONTROLLO& r : records)
        keys.push_back(r.ID_GUI);
    EXPECT_EQ(keys, (std::vector<std::int32_t>{4, 3, 5, 2, 1}));
}
