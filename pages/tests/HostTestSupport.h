#pragma once

// What the page and host tests share: an application object that keeps
// the link requests it is asked to post, window layouts written in the
// test, and a host prepared as the view prepares it.

#include "TestPageCtrl.h"
#include "config/RecInterfaccia.h"
#include "link/LinkMessages.h"
#include "pages/CDlgTabSB.h"
#include "pages/CDlgTabWnd.h"
#include "pages/core/CVEXARPages.h"

#include <QTest>

#include <algorithm>
#include <vector>

namespace vexar::pagestest {

class RecordingApp : public CVEXARPages {
public:
    bool PostLinkRequest(unsigned id, std::uintptr_t, std::intptr_t,
                         std::unique_ptr<vexar::link::LinkPayload>) override
    {
        requests.push_back(id);
        return true;
    }
    std::size_t Count(unsigned id) const
    {
        return static_cast<std::size_t>(std::count(requests.begin(), requests.end(), id));
    }
    std::vector<unsigned> requests;
};

inline REC_CONTROLLO CheckBoxDef(std::int32_t id, std::u16string label, std::int32_t access = OPR_PBL)
{
    REC_CONTROLLO definition = PageDef(id, CTRL_CHECK, std::move(label), 16, access);
    definition.TIPO = DATO_FLAG;
    definition.MASCHERA = 0x01;
    return definition;
}

// A tab of 40 x 100 pixel cells over `height` x `width` pixels, placing
// `keys` down the first column.
inline REC_CARTELLA Tab(std::u16string label, std::vector<std::int32_t> keys, std::int32_t access = OPR_PBL,
                        std::int32_t height = 200, std::int32_t width = 400)
{
    REC_CARTELLA tab;
    tab.OPERATORE = access;
    tab.ETICHETTA = std::move(label);
    tab.PAGINA.RIGHE = 40;
    tab.PAGINA.COLONNE = 100;
    tab.PAGINA.ALTEZZA_PAGINA = height;
    tab.PAGINA.LARGHEZZA_PAGINA = width;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const auto row = static_cast<std::int32_t>(i);
        tab.PAGINA.CONTROLLI.push_back({.ID_GUI = keys[i], .POS_X = 0, .POS_Y = row, .TAB_INDEX = row + 1, .POSIZIONATO = 1});
    }
    tab.PAGINA.NUM_CONTROL = static_cast<std::int32_t>(tab.PAGINA.CONTROLLI.size());
    return tab;
}

inline REC_INTERFACCIA Layout(std::vector<REC_CARTELLA> tabs)
{
    REC_INTERFACCIA layout;
    layout.TITOLO = u"Test window";
    layout.PRESENTE = PRES_NO;
    layout.CARTELLE = std::move(tabs);
    layout.NUMERO_TAB = static_cast<std::int32_t>(layout.CARTELLE.size());
    return layout;
}

// A host as the view prepares and creates it.
inline void Prepare(CDlgTabSB& host, bool fixedPages = false)
{
    host.m_bFixedPages = fixedPages;
    host.m_rcWindow = QRect(40, 40, 640, 420);
    host.Create();
}

inline void ShowAndWait(QWidget& window)
{
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
}

}  // namespace vexar::pagestest
