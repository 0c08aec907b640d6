#include "shell/core/PageLayout.h"

#include "common/CUtilityToolbox.h"
#include "config/ControlCodes.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace vexar::shell {

namespace {

void ScaleWidth(std::int32_t& value, std::int32_t width) { CUtility::ScaleValue(width, kDesignWidth, value); }
void ScaleHeight(std::int32_t& value, std::int32_t height) { CUtility::ScaleValue(height, kDesignHeight, value); }

void ScaleCells(REC_PAGINA& page, std::int32_t width, std::int32_t height)
{
    ScaleWidth(page.COLONNE, width);
    ScaleHeight(page.RIGHE, height);
}

void ScaleCells(REC_INTERFACCIA& layout, std::int32_t width, std::int32_t height)
{
    ScaleCells(layout.BARRA_STATO, width, height);
    for (REC_CARTELLA& tab : layout.CARTELLE)
        ScaleCells(tab.PAGINA, width, height);
}

void ScaleSizes(LAYOUT_SETTINGS& s, std::int32_t width, std::int32_t height)
{
    for (std::int32_t* value : {&s.pageFontSize, &s.barFontSize, &s.barVertical.width, &s.barHorizontal.width,
                                &s.button.width, &s.buttonCmd.width, &s.edit.width, &s.gridMax.width,
                                &s.knob.width, &s.led.width, &s.numCalc.width, &s.numEdit.width,
                                &s.numeric.width, &s.rpm.width, &s.slideVertical.width,
                                &s.slideHorizontal.width, &s.term.width, &s.vmeter.width, &s.gridColumnWidth})
        ScaleWidth(*value, width);
    for (std::int32_t* value :
         {&s.barHeight, &s.barVertical.height, &s.barHorizontal.height, &s.button.height, &s.buttonCmd.height,
          &s.checkHeight, &s.comboHeight, &s.diagHeight, &s.edit.height, &s.gridMax.height, &s.knob.height,
          &s.led.height, &s.numCalc.height, &s.numEdit.height, &s.numeric.height, &s.rpm.height,
          &s.slideVertical.height, &s.slideHorizontal.height, &s.statoHeight, &s.term.height, &s.vmeter.height})
        ScaleHeight(*value, height);
    std::int32_t byWidth = s.margin;
    std::int32_t byHeight = s.margin;
    ScaleWidth(byWidth, width);
    ScaleHeight(byHeight, height);
    s.margin = std::max(byWidth, byHeight);
}

PIXEL_SIZE Size(const CONTROL_SIZE& size) { return {size.width, size.height}; }

// The widest of a list's first `count` item texts + 30, and that text's
// height.
PIXEL_SIZE ListSize(const std::vector<std::u16string>& items, std::int32_t count, const TextMeasure& measure)
{
    PIXEL_SIZE widest;
    const std::size_t n = std::min<std::size_t>(items.size(), static_cast<std::size_t>(std::max(count, 0)));
    for (std::size_t i = 0; i < n; ++i) {
        PIXEL_SIZE text = measure(items[i]);
        text.cx += 5;
        if (text.cx > widest.cx)
            widest = text;
    }
    return {widest.cx + 30, widest.cy};
}

template <class Block>
const Block* BlockOf(const REC_CONTROLLO& record)
{
    return std::get_if<Block>(&record.GRAFICA);
}

PIXEL_SIZE ControlSize(const REC_CONTROLLO& r, const LAYOUT_SETTINGS& s, const TextMeasure& measure,
                       const GridMeasure& gridSize)
{
    switch (r.CATEGORIA) {
    case CTRL_BAR: {
        const BarBlock* bar = BlockOf<BarBlock>(r);
        return bar && bar->STILE != 0 ? Size(s.barVertical) : Size(s.barHorizontal);
    }
    case CTRL_CHECK: return {measure(r.ETICHETTA).cx + 5 + 20, s.checkHeight};
    case CTRL_BUTTON: return Size(s.button);
    case CTRL_BUTTON_CMD:
    case CTRL_RESET: return Size(s.buttonCmd);
    case CTRL_COMBO:
        if (const ComboBlock* combo = BlockOf<ComboBlock>(r))
            return ListSize(combo->ETICHETTE_ITEMS, combo->NUM_ITEMS, measure);
        return {30, 0};
    case CTRL_STATO:
        if (const StatoBlock* stato = BlockOf<StatoBlock>(r))
            return ListSize(stato->ETICHETTE_ITEMS, stato->NUM_ITEMS, measure);
        return {30, 0};
    case CTRL_EDIT: return Size(s.edit);
    case CTRL_GRID: return gridSize ? gridSize(r, s) : PIXEL_SIZE{};
    case CTRL_KNOB: return Size(s.knob);
    case CTRL_LED: return Size(s.led);
    case CTRL_NUMCALC: return Size(s.numCalc);
    case CTRL_NUMEDIT: return Size(s.numEdit);
    case CTRL_NUMERIC: return Size(s.numeric);
    case CTRL_RPM: return Size(s.rpm);
    case CTRL_SLIDE: {
        const SlideBlock* slide = BlockOf<SlideBlock>(r);
        return slide && slide->STILE != 0 ? Size(s.slideVertical) : Size(s.slideHorizontal);
    }
    case CTRL_TERM: return Size(s.term);
    case CTRL_VMETER: return Size(s.vmeter);
    default: return {};
    }
}

}  // namespace

void ScaleLayoutToScreen(REC_INTERFACCIA& params, REC_INTERFACCIA& vars, LAYOUT_SETTINGS& settings,
                         std::int32_t screenWidth, std::int32_t screenHeight)
{
    if (screenWidth == kDesignWidth && screenHeight == kDesignHeight)
        return;
    const PIXEL_SIZE screen = ReduceToDesignRatio(screenWidth, screenHeight);
    ScaleSizes(settings, screen.cx, screen.cy);
    ScaleCells(params, screen.cx, screen.cy);
    ScaleCells(vars, screen.cx, screen.cy);
}

std::int32_t RoundedRatio(std::int32_t a, std::int32_t b)
{
    if (a == 0)
        return 0;
    return static_cast<std::int32_t>(CUtility::RoundDecimals(static_cast<double>(b) / a + 0.5, 0));
}

bool CalcControlLayout(std::int32_t key, std::span<const REC_CONTROLLO> records, const LAYOUT_SETTINGS& settings,
                       const TextMeasure& measure, const GridMeasure& gridSize, std::int32_t& width,
                       std::int32_t& height)
{
    width = 0;
    height = 0;
    const auto record = std::find_if(records.begin(), records.end(),
                                     [key](const REC_CONTROLLO& r) { return r.ID_GUI == key; });
    if (record == records.end())
        return false;
    const PIXEL_SIZE size = ControlSize(*record, settings, measure, gridSize);
    width = size.cx;
    height = size.cy;
    return true;
}

void MeasurePage(REC_PAGINA& page, std::span<const REC_CONTROLLO> records, const LAYOUT_SETTINGS& settings,
                 const TextMeasure& measure, const GridMeasure& gridSize, const SCROLL_BARS& bars)
{
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    auto extend = [&](std::int32_t column, std::int32_t row, std::int32_t width, std::int32_t height) {
        right = std::max(right, (column + RoundedRatio(page.COLONNE, width)) * page.COLONNE);
        bottom = std::max(bottom, (row + RoundedRatio(page.RIGHE, height)) * page.RIGHE);
    };
    for (const REC_POS_CONTROLLO& placed : page.CONTROLLI) {
        std::int32_t width = 0;
        std::int32_t height = 0;
        if (CalcControlLayout(placed.ID_GUI, records, settings, measure, gridSize, width, height))
            extend(placed.POS_X, placed.POS_Y, width, height);
    }
    for (const REC_TESTO& label : page.TESTI) {
        PIXEL_SIZE text = measure(label.STRINGA);
        extend(label.POS_X, label.POS_Y, text.cx + 5, text.cy);
    }
    page.LARGHEZZA_PAGINA = right + bars.verticalWidth;
    page.ALTEZZA_PAGINA = bottom + bars.horizontalHeight;
}

void MeasureLayout(REC_INTERFACCIA& layout, std::span<const REC_CONTROLLO> windowRecords,
                   std::span<const REC_CONTROLLO> barRecords, const LAYOUT_SETTINGS& settings,
                   const TextMeasure& windowFont, const TextMeasure& barFont, const GridMeasure& gridSize,
                   const SCROLL_BARS& bars)
{
    for (REC_CARTELLA& tab : layout.CARTELLE)
        MeasurePage(tab.PAGINA, windowRecords, settings, windowFont, gridSize, bars);
    if (layout.PRESENTE == PRES_SI)
        MeasurePage(layout.BARRA_STATO, barRecords, settings, barFont, gridSize, bars);
}

void SortControlsByPosition(std::span<REC_CONTROLLO> records)
{
    for (std::size_t i = 0; i < records.size(); ++i)
        for (std::size_t j = i + 1; j < records.size(); ++j)
            if (records[j].LSB < records[i].LSB)
                std::swap(records[i], records[j]);
}

void SortControlsInRow(std::span<REC_CONTROLLO> records)
{
    for (std::size_t i = 0; i < records.size(); ++i)
        for (std::size_t j = i + 1; j < records.size(); ++j)
            if (records[i].LSB == records[j].LSB && records[i].TIPO == DATO_FLAG && records[j].TIPO == DATO_FLAG &&
                records[j].MASCHERA < records[i].MASCHERA)
                std::swap(records[i], records[j]);
}

}  // namespace vexar::shell
