// Map benchmark: a calibration map of 32 x 32 words with both axes
// calibrable, on a shown page off screen. Times its creation (creator and
// axis set-up), its first paint, a full repaint, a selection change, a
// marker move, a change of every cell (the store pass and its one write
// request), the paste of a 32 x 32 block of tab-separated text, an undo,
// and the save and load of its calibration lines. Prints the median and
// the worst of each; the aims are a marker move under 2 ms, a first paint
// and a full repaint within 16 ms and a change of the whole map under
// 50 ms.

#include "common/CCriptFile.h"
#include "config/CModifica.h"
#include "pages/CCtrlGrid.h"
#include "pages/CUtilityGrid.h"
#include "pages/core/CVEXARPages.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

namespace {

constexpr int kSide = 32;
constexpr int kRepeats = 50;

REC_CONTROLLO Block(std::int32_t id, std::u16string identifier, std::int32_t rows, std::int32_t columns,
                    std::int32_t lsb, double first, double step)
{
    REC_CONTROLLO d;
    d.ID_GUI = id;
    d.IDENTIFICATORE = identifier;
    d.ETICHETTA = identifier;
    d.COMMENTO = u"Comment of " + identifier;
    d.CATEGORIA = CTRL_GRID;
    d.TIPO = DATO_UWORD;
    d.LSB = lsb;
    d.MASCHERA = 0xFFFF;
    d.FIXDEF = FIX_OFF;
    d.MIN = u"0";
    d.MAX = u"60000";
    GridBlock block;
    block.NUM_RIGHE = rows;
    block.NUM_COLONNE = columns;
    block.INC_VALORE = 1;
    block.FORMATO = u".#";
    for (std::int32_t r = 0; r < rows; ++r) {
        block.DEF_VAL.emplace_back();
        for (std::int32_t c = 0; c < columns; ++c)
            block.DEF_VAL.back().push_back(first + step * (r * columns + c));
    }
    block.PRIMA_RIGA.PRESENTE = PRES_NO;
    block.PRIMA_COLONNA.PRESENTE = PRES_NO;
    d.GRAFICA = block;
    return d;
}

struct Figures {
    double median;
    double worst;
};

Figures Repeat(const std::function<void(int)>& step, int repeats = kRepeats)
{
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        step(i);
        times.push_back(Millis(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

void Print(const char* what, const Figures& f, double aim = 0.0)
{
    if (aim > 0.0)
        std::printf("%-34s median %8.3f ms  worst %8.3f ms  (aim < %g ms)\n", what, f.median, f.worst, aim);
    else
        std::printf("%-34s median %8.3f ms  worst %8.3f ms\n", what, f.median, f.worst);
}

// A block of tab-separated numbers, as a spreadsheet copies it.
std::u16string Sheet(int offset)
{
    std::u16string text;
    for (int r = 0; r < kSide; ++r) {
        for (int c = 0; c < kSide; ++c) {
            const std::string number = std::to_string(100 + offset + r * kSide + c);
            text += std::u16string(number.begin(), number.end());
            text += c + 1 < kSide ? u'\t' : u'\n';
        }
    }
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    QWidget page;
    page.resize(1600, 1000);
    page.show();
    // Exposed, so that a repaint paints at once.
    QCoreApplication::processEvents();

    CVEXARPages app;
    app.ResizeImages(0x1000, 64);
    // A worker that never runs holds the requests; they are counted and
    // dropped between the runs.
    app.m_pLinkThread = std::make_unique<std::thread>();
    app.m_bLinked = 1;

    REC_CONTROLLO map = Block(1, u"MAP", kSide, kSide, 0x100, 100, 1);
    GridBlock& block = std::get<GridBlock>(map.GRAFICA);
    block.PRIMA_RIGA = {PRES_SI, INTST_CAL, {}, {}, 2, 0};
    block.PRIMA_COLONNA = {PRES_SI, INTST_CAL, {}, {}, 3, 0};
    const std::vector<REC_CONTROLLO> definitions{map, Block(2, u"AXX", 1, kSide, 0x40, 500, 200),
                                                 Block(3, u"AXY", kSide, 1, 0x900, 10, 5)};
    CTRL_CREATE args;
    args.app = &app;
    args.parent = &page;
    args.font = page.font();
    args.grid.area = {0, 0, 1600, 1000};
    args.grid.cellHeight = 40;
    args.grid.cellWidth = 100;
    args.grid.pageHeight = 1000;
    args.grid.pageWidth = 1600;
    CUtility::CalcRowsCols(args.grid);
    args.definition = &definitions[0];
    args.settings.gridColumnWidth = 45;
    args.settings.gridMax = {2000, 2000};

    // The maps made here wait on their page unseen, as on a page not
    // shown yet; each is then shown and painted for the first time.
    CTRL_CREATE unseen = args;
    unseen.visible = false;
    std::vector<CCtrlGrid*> made;
    Print("creation with both axes", Repeat(
                                         [&](int) {
                                             CCtrlGrid* another = nullptr;
                                             CUtility::CreateCtrlGrid(unseen, another);
                                             CUtility::SetupGridAxes(*another, definitions, false);
                                             made.push_back(another);
                                         },
                                         10));
    Print("first paint of a new map", Repeat(
                                          [&](int i) {
                                              CCtrlGrid& shown = *made[static_cast<std::size_t>(i)];
                                              shown.show();
                                              shown.repaint();
                                          },
                                          10),
          16);
    for (CCtrlGrid* extra : made)
        delete extra;
    CCtrlGrid* grid = nullptr;
    CUtility::CreateCtrlGrid(args, grid);
    CUtility::SetupGridAxes(*grid, definitions, false);
    grid->show();
    QCoreApplication::processEvents();
    std::printf("map of %d x %d cells, %d x %d pixels\n", grid->GetRowCount(), grid->GetColumnCount(), grid->width(),
                grid->height());

    Print("full repaint", Repeat([&](int) {
              grid->Redraw(CCtrlGrid::kRedrawAll);
              grid->repaint();
          }),
          16);
    Print("selection change", Repeat([&](int i) {
              grid->SetSelection({1 + i % 8, 1 + i % 5, 10 + i % 8, 12 + i % 5});
              grid->Redraw(CCtrlGrid::kRedrawSelection);
              grid->repaint();
          }));
    GRID_MARKER& marker = grid->Marker();
    marker.xLinked = true;
    marker.yLinked = true;
    Print("marker move", Repeat([&](int i) {
              marker.xValue = 500 + 97.0 * i;
              marker.yValue = 10 + 3.0 * i;
              grid->Redraw(CCtrlGrid::kRedrawMarker);
              grid->repaint();
          }),
          2);

    const auto drop = [&] {
        std::size_t requests = 0;
        while (app.m_linkQueue.Pending() > 0) {
            vexar::link::LinkMessage request;
            app.m_linkQueue.Wait(request);
            ++requests;
        }
        return requests;
    };
    std::size_t requests = 0;
    Print("change of every cell", Repeat([&](int i) {
              for (int r = 1; r <= kSide; ++r)
                  for (int c = 1; c <= kSide; ++c)
                      grid->SetCellValue(1000 + i + r + c, r, c);
              vexar::ui::WindowMessage message{vexar::link::WM_CTRL_STORE_WRITE, 1, 0, nullptr};
              grid->Dispatch(message);
              requests += drop();
          }),
          50);
    std::printf("%-34s %zu write requests for %d changes\n", "", requests, kRepeats);

    requests = 0;
    Print("paste of a 32 x 32 block", Repeat([&](int i) {
              grid->SetSelection({1, 1, 1, 1});
              grid->PasteText(Sheet(i));
              requests += drop();
          }),
          50);
    std::printf("%-34s %zu write requests for %d pastes\n", "", requests, kRepeats);
    Print("undo", Repeat([&](int) {
              grid->OnUndo();
              drop();
          }));

    const std::string file = (std::filesystem::temp_directory_path() / "map_bench.DAT").string();
    CModifica history;
    Print("save of its lines", Repeat([&](int i) {
              grid->SetCellValue(2000 + i, 1, 1);
              CCriptFile out;
              out.Open(file, 0);
              grid->SaveParam(out, history);
              out.Close();
          }));
    Print("load of its lines", Repeat([&](int) {
              CCriptFile in;
              in.Open(file, 1);
              std::u16string first;
              in.ReadLine(first);
              CalibGroupRead read;
              grid->LoadParam(in, first, read);
          }));
    std::filesystem::remove(file);
    delete grid;
    return 0;
}
