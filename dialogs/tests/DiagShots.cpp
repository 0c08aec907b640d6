// diag_shots FOLDER: shows the gas diagnosis window on the display with
// the shipped Italian texts, a sensor error and two injector errors with
// the ECU's recovery actions, and a row being edited, so that both of its
// editors stand over their cells; writes the picture to FOLDER for a
// person to look at and checks that the editors cover their cells.
// The exit status is the number of problems found.
#include "dialogs/CDlgDiag.h"

#include "TempDir.h"
#include "dialogs/tests/ShotLanguage.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlList.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/WindowMessage.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Items = std::vector<std::pair<std::u16string, std::int32_t>>;

REC_CONTROLLO Definition(std::int32_t key, std::int32_t category, std::int32_t type, std::int32_t address,
                         std::uint32_t mask, std::int32_t access, std::u16string label)
{
    REC_CONTROLLO d;
    d.ID_GUI = key;
    d.CATEGORIA = category;
    d.TIPO = type;
    d.LSB = address;
    d.MASCHERA = mask;
    d.OPERATORE = access;
    d.ETICHETTA = std::move(label);
    return d;
}

REC_CONTROLLO Errors(std::int32_t key, std::int32_t category, std::int32_t type, std::int32_t address,
                     std::uint32_t mask, std::u16string label, std::int32_t actions, const Items& items)
{
    REC_CONTROLLO d = Definition(key, category, type, address, mask, OPR_PBL, std::move(label));
    DiagBlock block;
    block.NUM_ERRORI = static_cast<std::int32_t>(items.size());
    for (const auto& [text, code] : items) {
        block.ETICHETTE_ERRORI.push_back(text);
        block.COD_ERRORI.push_back(code);
    }
    block.ID_AZIONE = actions;
    d.GRAFICA = block;
    return d;
}

REC_CONTROLLO Actions(std::int32_t key, std::int32_t address, std::int32_t elements, const Items& items)
{
    REC_CONTROLLO d = Definition(key, CTRL_RIPR, DATO_UBYTE, address, 0xFF, OPR_PBL, u"Azione");
    RiprBlock block;
    block.NUM_ERRORI = elements;
    block.NUM_AZIONI = static_cast<std::int32_t>(items.size());
    for (const auto& [text, code] : items) {
        block.ETICHETTE_AZIONI.push_back(text);
        block.COD_AZIONI.push_back(code);
    }
    d.GRAFICA = block;
    return d;
}

REC_CONTROLLO Reset(std::int32_t key, std::int32_t address, std::u16string label)
{
    REC_CONTROLLO d = Definition(key, CTRL_RESET, DATO_UBYTE, address, 0xFF, OPR_PBL, std::move(label));
    d.GRAFICA = ResetBlock{RESET_IN_VAR, 1, 0, 500};
    return d;
}

void Deliver()
{
    for (int i = 0; i < 6; ++i)
        QCoreApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: diag_shots FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    vexar::testing::TempDir home;
    setenv("VEXAR_HOME", home.path().c_str(), 1);
    const std::string language = home.file("Italiano.lng");
    if (!WriteLanguage(VEXAR_LANG_SOURCE, language)) {
        std::fprintf(stderr, "cannot write the language file\n");
        return 1;
    }

    const Items actions{{u"Nessuna", 0}, {u"Ritorno a benzina", 1}, {u"Iniettore escluso", 2}};
    const std::vector<REC_CONTROLLO> definitions{
        Errors(301, CTRL_DIAG, DATO_UBYTE, 16, 0xFF, u"Errori sensori", 303,
               {{u"Nessun errore", 0}, {u"Sensore temperatura riduttore interrotto", 1},
                {u"Sensore pressione gas in corto circuito", 2}}),
        Errors(302, CTRL_DIAG_BIT, DATO_UWORD, 18, 0xF, u"Errori iniettori", 307,
               {{u"Iniettore gas 1 interrotto", 1}, {u"Iniettore gas 2 interrotto", 2},
                {u"Iniettore gas 3 interrotto", 4}, {u"Iniettore gas 4 interrotto", 8}}),
        Actions(303, 50, 3, actions),
        Actions(307, 53, 4, actions),
        Reset(304, 20, u"Cancella errori permanenti"),
        Reset(305, 21, u"Cancella errori occasionali")};

    CVEXARPages app;
    app.ResizeImages(64, 32);
    const std::uint8_t held[] = {0, 1, 1, 2, 0, 1, 0};
    std::copy(std::begin(held), std::end(held), app.m_pParMaster.get() + 50);
    app.m_nOperator = OPR_PRV;

    CDlgDiag window(app);
    window.m_strLangFile = language;
    window.m_nOperator = OPR_PRV;
    window.Create();
    window.CreateRows(definitions);
    window.SetLanguageFile(language);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "diag: not shown\n");
        return 1;
    }
    // A sensor error and injectors 1 and 3, as the worker would refresh them.
    app.m_pVarMaster[16] = 2;
    app.m_pVarMaster[19] = 5;
    for (const CTRL_WND& entry : window.m_allRows) {
        vexar::ui::WindowMessage refresh{vexar::link::WM_CTRL_REFRESH, 0, 0, nullptr};
        dynamic_cast<CCtrlCombo*>(entry.wnd)->Dispatch(refresh);
    }
    Deliver();
    window.SelectRow(1);
    Deliver();
    QTest::qWait(150);

    int problems = 0;
    const auto covers = [&](const CCtrlCombo* editor, int column) {
        if (!editor || !editor->isVisible()) {
            std::fprintf(stderr, "diag: no editor over column %d\n", column);
            ++problems;
            return;
        }
        const QRect cell = window.CellRect(1, column);
        if (editor->x() != cell.x() || editor->width() != cell.width())
            std::fprintf(stderr, "diag: the editor of column %d is not over its cell\n", column), ++problems;
    };
    covers(window.DiagEditor(), 2);
    covers(window.ActionEditor(), 3);
    if (window.List().topLevelItemCount() != 3)
        std::fprintf(stderr, "diag: %d rows, 3 expected\n", window.List().topLevelItemCount()), ++problems;

    QPixmap shot = window.screen() ? window.screen()->grabWindow(window.winId()) : QPixmap();
    if (shot.isNull())
        shot = window.grab();
    const std::string file = folder + "/diag_rows_editors.png";
    if (!shot.save(QString::fromStdString(file), "PNG")) {
        std::fprintf(stderr, "diag: cannot write %s\n", file.c_str());
        ++problems;
    }
    return problems;
}
