// Page builder benchmark: a generated window of 2,000 controls on 20
// pages (check boxes, toggles, knobs, slides, bars and numeric fields, as
// a large calibration has them) built by a page host as a configuration
// load builds it, then torn down as the next load tears it down. Off
// screen. Prints the median and the worst time of each; the aim is a build
// well under a second.

#include "pages/CDlgTabSB.h"
#include "pages/core/CVEXARPages.h"
#include "TestControls.h"
#include "common/Text.h"
#include "config/RecInterfaccia.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPages = 20;
constexpr int kPerPage = 100;
constexpr int kColumns = 10;
constexpr int kRuns = 7;

// Every sixth control of another kind, the rest check boxes.
std::int32_t CategoryOf(int index)
{
    constexpr std::int32_t kinds[] = {CTRL_CHECK, CTRL_CHECK, CTRL_BUTTON, CTRL_KNOB, CTRL_SLIDE, CTRL_NUMEDIT};
    return kinds[index % 6];
}

std::vector<REC_CONTROLLO> Definitions()
{
    std::vector<REC_CONTROLLO> definitions;
    for (int i = 0; i < kPages * kPerPage; ++i) {
        const std::int32_t category = CategoryOf(i);
        REC_CONTROLLO definition = vexar::testing::MakeDefinition(
            1000 + i, vexar::Format(u"Parametro_%04d", (i * 7919) % 10000), category,
            vexar::Format(u"Comment of parameter %d", i), vexar::Format(u"Parameter %d", i));
        definition.LSB = i % 200;
        definition.TIPO = category == CTRL_CHECK || category == CTRL_BUTTON ? DATO_FLAG : DATO_UBYTE;
        definition.MASCHERA = definition.TIPO == DATO_FLAG ? 1u << (i % 8) : 0xFF;
        definition.MAX = u"255";
        definition.DEFAULT = u"0";
        definitions.push_back(std::move(definition));
    }
    return definitions;
}

REC_INTERFACCIA Layout()
{
    REC_INTERFACCIA layout;
    layout.TITOLO = u"Generated window";
    layout.PRESENTE = PRES_NO;
    for (int page = 0; page < kPages; ++page) {
        REC_CARTELLA tab;
        tab.ETICHETTA = vexar::Format(u"Page %d", page + 1);
        tab.PAGINA.RIGHE = 40;
        tab.PAGINA.COLONNE = 180;
        tab.PAGINA.ALTEZZA_PAGINA = 40 * (kPerPage / kColumns + 1);
        tab.PAGINA.LARGHEZZA_PAGINA = 180 * (kColumns + 1);
        for (int i = 0; i < kPerPage; ++i)
            tab.PAGINA.CONTROLLI.push_back({.ID_GUI = 1000 + page * kPerPage + i, .POS_X = i % kColumns,
                                            .POS_Y = i / kColumns, .TAB_INDEX = kPerPage - i, .POSIZIONATO = 1});
        tab.PAGINA.NUM_CONTROL = kPerPage;
        layout.CARTELLE.push_back(std::move(tab));
    }
    layout.NUMERO_TAB = kPages;
    return layout;
}

void Report(const char* what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-10s median %7.1f ms   worst %7.1f ms\n", what, times[times.size() / 2], times.back());
}

double Ms(Clock::duration elapsed) { return std::chrono::duration<double, std::milli>(elapsed).count(); }

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const std::vector<REC_CONTROLLO> definitions = Definitions();
    const REC_INTERFACCIA layout = Layout();
    CVEXARPages app;
    app.ResizeImages(256, 256);
    app.m_nOperator = OPR_PRV;
    CDlgTabSB host(app);
    host.m_rcWindow = QRect(0, 0, 1000, 700);

    std::vector<double> builds, teardowns;
    std::size_t controls = 0;
    for (int run = 0; run < kRuns; ++run) {
        host.Create();
        const Clock::time_point start = Clock::now();
        host.CreatePages(0, OPR_PRV, layout, definitions, {});
        const Clock::time_point built = Clock::now();
        controls = host.m_allTable.size();
        host.ClosePages();
        host.FreePages();
        const Clock::time_point gone = Clock::now();
        builds.push_back(Ms(built - start));
        teardowns.push_back(Ms(gone - built));
    }
    std::printf("pages_bench: %zu controls on %d pages, %d runs\n", controls, kPages, kRuns);
    Report("build", builds);
    Report("teardown", teardowns);
    return controls == static_cast<std::size_t>(kPages * kPerPage) ? 0 : 1;
}
