// The page hosts on the synthetic configuration, loaded as the view loads
// it, and on layouts written here: the tabs each profile sees and their
// function keys, the fixed pages and when the worker is asked to rebuild
// its polled lists, the tables, a language change, a profile change, the
// petrol window, and the teardown with posts still on their way.
#include "HostTestSupport.h"
#include "PagesFixture.h"
#include "RecordingFixedPage.h"

#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/CCtrlTab.h"
#include "pages/CUtilityFactory.h"
#include "pages/core/CUtilityTables.h"
#include "platform/ui/Messages.h"

#include <QTabBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace vexar::pagestest;
using vexar::link::WM_LINK_REBUILD_POLL_LIST;
using vexar::link::WM_SELECT_PAGE;
using vexar::pagesfixture::PagesFixture;
using vexar::pagesfixture::PagesFixtureOptions;
using vexar::pagesfixture::RecordingFixedPage;

namespace {

std::vector<std::u16string> Titles(const CDlgTabSB& host)
{
    std::vector<std::u16string> titles;
    // The strip keeps its titles in its row of tabs.
    const auto* row = host.Strip().findChild<QTabBar*>();
    for (int i = 0; row && i < row->count(); ++i)
        titles.push_back(row->tabText(i).toStdU16String());
    return titles;
}

std::vector<std::int32_t> Keys(const CTRL_TABLE& table)
{
    std::vector<std::int32_t> keys;
    for (const CTRL_WND& entry : table)
        keys.push_back(entry.key);
    return keys;
}

PagesFixtureOptions Options(std::int32_t profile, int edition = 1)
{
    PagesFixtureOptions options;
    options.profile = profile;
    options.edition = edition;
    return options;
}

class SyntheticHosts : public ::testing::Test {
protected:
    void Load(PagesFixtureOptions options = {})
    {
        fixture = std::make_unique<PagesFixture>(app, std::getenv("VEXAR_HOME"), options);
        std::string error;
        ASSERT_TRUE(fixture->Load(error)) << error;
        app.requests.clear();
    }
    CDlgTabSB& Params() { return fixture->Params(); }
    CDlgTabSB& Vars() { return fixture->Vars(); }

    RecordingApp app;
    std::unique_ptr<PagesFixture> fixture;
};

// A public operator sees the public tab alone; a privileged one both. The
// variable window adds acquisition and graph for everyone, the petrol-side
// acquisition and the memory maintenance for privileged profiles.
TEST_F(SyntheticHosts, EachProfileSeesItsTabs)
{
    Load(Options(OPR_PBL));
    EXPECT_EQ(Titles(Params()), std::vector<std::u16string>{u"F1 - Change-over"});
    EXPECT_EQ(Titles(Vars()), (std::vector<std::u16string>{u"F1 - Engine", u"F2 - Injection", u"F3 - Acquisition",
                                                           u"F4 - Graph"}));
    EXPECT_EQ(Params().Kind(), CDlgTabSB::kWithoutFixedPages);
    EXPECT_EQ(Vars().Kind(), CDlgTabSB::kWithFixedPages);
    EXPECT_FALSE(fixture->maint->IsCreated());
    EXPECT_EQ(fixture->acq->languageFile, fixture->LangFile(u"English"));
    EXPECT_EQ(fixture->acq->textColour, Vars().m_settings.textColour);
    EXPECT_EQ(fixture->acq->valueColour, Vars().m_settings.valueColour);
    EXPECT_EQ(fixture->acq->pageFont, Vars().m_pageFont);

    fixture.reset();
    Load(Options(OPR_PRV));
    EXPECT_EQ(Titles(Params()), (std::vector<std::u16string>{u"F1 - Change-over", u"F2 - Maps and injectors"}));
    EXPECT_EQ(Titles(Vars()), (std::vector<std::u16string>{u"F1 - Engine", u"F2 - Injection", u"F3 - Acquisition",
                                                           u"F4 - Graph", u"F5 - Petrol acquisition",
                                                           u"F6 - ECU memory"}));
    EXPECT_EQ(fixture->maint->reloads, 0);
    EXPECT_EQ(Params().windowTitle(), "VXG4 calibration parameters");
}

// The parameter window's tables: every control of a built class in
// identifier order (without regard to case), the two numeric fields no
// page places among them, hidden; the placed table without those two; the
// status area's gauges. The worker got them.
TEST_F(SyntheticHosts, TheTablesHoldTheBuiltControlsInIdentifierOrder)
{
    Load();
    EXPECT_EQ(Keys(Params().m_allTable),
              (std::vector<std::int32_t>{102, 114, 103, 117, 121, 116, 112, 118, 101, 107, 110, 106, 104, 115, 105, 111,
                                         109, 108}));
    EXPECT_EQ(Keys(Params().m_unplacedTable), (std::vector<std::int32_t>{116, 115}));
    EXPECT_EQ(Keys(Params().m_placedTable),
              (std::vector<std::int32_t>{102, 114, 103, 117, 121, 112, 118, 101, 107, 110, 106, 104, 105, 111, 109, 108}));
    for (const CTRL_WND& entry : Params().m_unplacedTable) {
        EXPECT_EQ(entry.hidden, 1);
        EXPECT_TRUE(CUtility::CtrlWidget(entry)->isHidden());
    }
    EXPECT_EQ(Keys(Params().m_statusCtrlsTable), (std::vector<std::int32_t>{201, 203}));
    EXPECT_EQ(app.m_pParTable, &Params().m_allTable);
    EXPECT_EQ(app.m_pParTable3, &Params().m_statusCtrlsTable);
    EXPECT_EQ(app.m_pVarTable2, &Vars().m_placedTable);
    EXPECT_EQ(app.CtrlTables()->parTable.size(), 18u);
    EXPECT_EQ(app.CtrlTables()->parTable3.size(), 2u);
    ASSERT_EQ(Params().m_statusLabels.size(), 1u);
    EXPECT_EQ(Params().m_statusLabels[0].label->text(), "Live values");
}

// Reselecting the tab shown brings its page forward; only the window with
// fixed pages asks the worker to rebuild its polled lists for it.
TEST_F(SyntheticHosts, ReselectingATabRaisesItsPageAndOnlyTheFixedPageWindowAsksForARebuild)
{
    Load();
    for (CDlgTabSB* host : {&Params(), &Vars()}) {
        ShowAndWait(*host);
        QWidget* other = new QWidget(&host->Strip());
        other->setGeometry(0, 0, 500, 500);
        other->show();
        app.requests.clear();
        host->ShowPage(host->CurrentTab());
        QWidget* page = host->ConfiguredPages().at(0);
        EXPECT_TRUE(page->isVisible());
        EXPECT_EQ(host->Strip().children().last(), page) << "on top";
        EXPECT_EQ(app.Count(WM_LINK_REBUILD_POLL_LIST), host == &Vars() ? 1u : 0u);
        delete other;
    }
}

// Editions 2 and 4 have no acquisition or graph page in the variable
// window, and its pages never ask for a rebuild.
TEST_F(SyntheticHosts, EditionsTwoAndFourHaveNoFixedPagesAndNoRebuilds)
{
    for (int edition : {2, 4}) {
        fixture.reset();
        Load(Options(OPR_PRV, edition));
        EXPECT_EQ(Titles(Vars()), (std::vector<std::u16string>{u"F1 - Engine", u"F2 - Injection"})) << edition;
        EXPECT_EQ(Vars().Kind(), CDlgTabSB::kWithoutFixedPages);
        EXPECT_FALSE(fixture->acq->IsCreated());
        Vars().ShowPage(1);
        Vars().ShowPage(1);
        EXPECT_EQ(app.Count(WM_LINK_REBUILD_POLL_LIST), 0u) << edition;
    }
}

// WM_SELECT_PAGE with 0 leaves the strip without a selection and the page
// shown as it was.
TEST_F(SyntheticHosts, SelectPageZeroSelectsNothing)
{
    Load();
    ShowAndWait(Vars());
    Vars().ShowPage(1);
    vexar::ui::SendMessage(&Vars(), {WM_SELECT_PAGE, 0, 0, {}});
    EXPECT_EQ(Vars().Strip().GetCurSel(), -1);
    EXPECT_EQ(Vars().CurrentTab(), 1);
    EXPECT_TRUE(Vars().ConfiguredPages().at(1)->isVisible());
    vexar::ui::SendMessage(&Vars(), {WM_SELECT_PAGE, 9, 0, {}});
    EXPECT_EQ(Vars().CurrentTab(), 1) << "past the last tab";
}

// After a language change the acquisition, graph and maintenance tabs
// carry their bare titles in the new language; the configured pages and
// the petrol-side acquisition keep theirs, and the pages take the file.
TEST_F(SyntheticHosts, ALanguageChangeGivesTheFixedPagesTheirBareTitles)
{
    Load();
    const std::string italian = fixture->LangFile(u"Italiano");
    Vars().UpdateTabTitles(italian);
    EXPECT_EQ(Titles(Vars()), (std::vector<std::u16string>{u"F1 - Engine", u"F2 - Injection", u"Acquisizione",
                                                           u"Grafico", u"F5 - Petrol acquisition",
                                                           u"Memoria centralina"}));
    EXPECT_EQ(fixture->acq->appliedLanguage, italian);
    EXPECT_EQ(fixture->maint->appliedLanguage, italian);
    EXPECT_EQ(fixture->acqBenz->appliedLanguage, "");
}

// The fixed pages are known by themselves, not by titles of the language
// they were made in: after a change to Italian the graph tab still
// reloads its variables and the acquisition tab is still no configured
// page; the petrol-side acquisition counts as one.
TEST_F(SyntheticHosts, FixedPagesAreKnownWhateverTheLanguage)
{
    Load();
    ShowAndWait(Vars());
    Vars().UpdateTabTitles(fixture->LangFile(u"Italiano"));
    const int reloads = fixture->graph->reloads;
    Vars().ShowPage(3);
    EXPECT_EQ(fixture->graph->reloads, reloads + 1);
    EXPECT_FALSE(Vars().ShowsConfiguredPage());
    Vars().ShowPage(2);
    EXPECT_FALSE(Vars().ShowsConfiguredPage());
    EXPECT_FALSE(app.m_bVarPageShown);
    Vars().ShowPage(4);
    EXPECT_TRUE(Vars().ShowsConfiguredPage());
    Vars().ShowPage(0);
    EXPECT_TRUE(app.m_bVarPageShown);
}

// A profile change shows and hides the controls and free texts by their
// access, takes the privileged fixed pages away or adds them again, and
// has the remaining fixed pages reload their variables.
TEST_F(SyntheticHosts, AProfileChangeAppliesToControlsTextsAndFixedPages)
{
    Load();
    ShowAndWait(Params());
    QWidget* start = nullptr;  // the engine start toggle, for privileged profiles
    for (const CTRL_WND& entry : Params().m_allTable)
        if (entry.key == 103)
            start = CUtility::CtrlWidget(entry);
    ASSERT_NE(start, nullptr);
    EXPECT_FALSE(start->isHidden());
    CDlgTabWnd* maps = Params().ConfiguredPages().at(1);
    ASSERT_EQ(maps->m_labels.size(), 2u);

    app.m_nOperator = OPR_PBL;
    Params().ApplyProfile(OPR_PBL);
    EXPECT_TRUE(start->isHidden());
    EXPECT_TRUE(maps->m_labels[0].label->isHidden());
    EXPECT_EQ(Titles(Params()), std::vector<std::u16string>{u"F1 - Change-over"});
    EXPECT_FALSE(Params().m_statusLabels[0].label->isHidden());

    const int acqReloads = fixture->acq->reloads;
    Vars().ApplyProfile(OPR_PBL);
    EXPECT_EQ(Titles(Vars()), (std::vector<std::u16string>{u"F1 - Engine", u"F2 - Injection", u"F3 - Acquisition",
                                                           u"F4 - Graph"}));
    EXPECT_FALSE(fixture->maint->IsCreated());
    EXPECT_EQ(fixture->acqBenz->closes, 1);
    EXPECT_EQ(fixture->acq->reloads, acqReloads + 1);

    app.m_nOperator = OPR_REM;
    Params().ApplyProfile(OPR_REM);
    Vars().ApplyProfile(OPR_REM);
    EXPECT_FALSE(start->isHidden());
    EXPECT_FALSE(maps->m_labels[1].label->isHidden());
    EXPECT_EQ(Titles(Vars()).size(), 6u);
    EXPECT_TRUE(fixture->maint->IsCreated());
    EXPECT_EQ(fixture->maint->reloads, 1) << "made again, it reloads";
}

// The teardown with posts on their way to the controls, the pages and the
// strip: nothing is delivered to what is gone, the worker's tables are
// empty first, and the host can be built again.
TEST_F(SyntheticHosts, ClosingAndFreeingIsCleanWithPostsInFlight)
{
    vexar::link::LinkUiSinkAdapter adapter;
    app.m_pUiSink = &adapter;
    Load();
    ShowAndWait(Params());
    for (const CTRL_TABLE* table : {&Params().m_allTable, &Vars().m_allTable})
        for (const CTRL_WND& entry : *table)
            adapter.Post(vexar::link::UiWindow::Control, entry.wnd, {vexar::link::WM_CTRL_REFRESH, 0, 0, {}});
    for (CDlgTabWnd* page : Params().ConfiguredPages())
        vexar::ui::PostMessage(page, {vexar::ui::WM_COMMAND, vexar::link::ID_DESIGN_GRID, 0, {}});
    vexar::ui::PostMessage(&Params().Strip(), {WM_SELECT_PAGE, 2, 0, {}});

    Params().ClosePages();
    EXPECT_TRUE(app.CtrlTables()->parTable.empty());
    EXPECT_FALSE(Params().isVisible());
    EXPECT_FALSE(app.m_bParWindowShown);
    Params().FreePages();
    Vars().ClosePages();
    Vars().FreePages();
    QTest::qWait(50);
    EXPECT_TRUE(Params().ConfiguredPages().empty());
    EXPECT_TRUE(Params().m_allTable.empty());

    Params().Create();
    Params().CreatePages(0, OPR_PRV, fixture->parLayout, fixture->parDefs, fixture->varDefs);
    EXPECT_EQ(Titles(Params()).size(), 2u);
    app.m_pUiSink = nullptr;
}

// ---- Hosts on layouts written here ----------------------------------------------------------

class WrittenHost : public ::testing::Test {
protected:
    WrittenHost() { app.ResizeImages(64, 64); }
    ~WrittenHost() override
    {
        host.ClosePages();
        host.FreePages();
    }

    RecordingApp app;
    CDlgTabSB host{app};
};

// With a privileged tab among public ones, a public operator's F3 shows
// the third tab shown, which is the fourth page.
TEST_F(WrittenHost, F3ShowsTheThirdShownTab)
{
    const std::vector<REC_CONTROLLO> definitions = {CheckBoxDef(1, u"One"), CheckBoxDef(2, u"Two"),
                                                    CheckBoxDef(3, u"Three"), CheckBoxDef(4, u"Four")};
    Prepare(host);
    host.CreatePages(0, OPR_PBL,
                     Layout({Tab(u"A", {1}), Tab(u"B", {2}, OPR_PRV), Tab(u"C", {3}), Tab(u"D", {4})}), definitions, {});
    ShowAndWait(host);
    EXPECT_EQ(Titles(host), (std::vector<std::u16string>{u"F1 - A", u"F2 - C", u"F3 - D"}));
    QTest::keyClick(&host, Qt::Key_F3);
    EXPECT_EQ(host.CurrentTab(), 2);
    EXPECT_TRUE(host.ConfiguredPages().at(3)->isVisible());
    QTest::keyClick(&host, Qt::Key_F4);
    EXPECT_EQ(host.CurrentTab(), 2) << "no fourth tab";
}

// Shift+F2 is function key 14: it reaches the fourteenth tab when there is
// one, and does nothing with thirteen.
TEST_F(WrittenHost, ShiftF2ReachesTheFourteenthTabOnlyWhenThereIsOne)
{
    for (int tabs : {13, 14}) {
        std::vector<REC_CONTROLLO> definitions;
        std::vector<REC_CARTELLA> layout;
        for (int i = 1; i <= tabs; ++i) {
            definitions.push_back(CheckBoxDef(i, vexar::Format(u"Box %d", i)));
            layout.push_back(Tab(vexar::Format(u"T%d", i), {i}));
        }
        host.ClosePages();
        host.FreePages();
        Prepare(host);
        host.CreatePages(0, OPR_PRV, Layout(layout), definitions, {});
        ShowAndWait(host);
        QWidget* box = CUtility::CtrlWidget(host.ConfiguredPages().at(0)->m_table.at(0));
        box->setFocus();
        QTest::keyClick(box, Qt::Key_F2, Qt::ShiftModifier);
        if (tabs == 14)
            EXPECT_TRUE(QTest::qWaitFor([&] { return host.CurrentTab() == 13; }, 2000));
        else {
            QTest::qWait(50);
            EXPECT_EQ(host.CurrentTab(), 0);
        }
    }
}

// The status area: its controls in identifier order; one whose key is
// also among the unplaced definitions stays among the status controls.
// The unplaced controls are built hidden and marked so; the placed table
// is every control without them, the all-controls table in identifier
// order ignoring case.
TEST_F(WrittenHost, TheTablesOfStatusPlacedAndUnplacedControls)
{
    auto named = [](std::int32_t key, std::u16string identifier) {
        REC_CONTROLLO definition = CheckBoxDef(key, identifier);
        definition.IDENTIFICATORE = std::move(identifier);
        return definition;
    };
    const std::vector<REC_CONTROLLO> first = {named(1, u"beta"), named(2, u"Alpha"), named(3, u"gamma"),
                                              named(4, u"ALPHA_0"), named(50, u"Shared key")};
    const std::vector<REC_CONTROLLO> second = {named(50, u"Zeta"), named(51, u"eta")};
    REC_INTERFACCIA layout = Layout({Tab(u"Page", {1, 3})});
    layout.PRESENTE = PRES_SI;
    layout.BARRA_STATO = Tab(u"", {50, 51}, OPR_PBL, 100, 400).PAGINA;
    layout.BARRA_STATO.RIGHE = 25;
    layout.BARRA_STATO.CONTROLLI[1].POS_X = 2;
    layout.BARRA_STATO.CONTROLLI[1].POS_Y = 0;
    layout.CARTELLA_NASCOSTA.PAGINA.RIGHE = 5;
    layout.CARTELLA_NASCOSTA.PAGINA.COLONNE = 5;
    for (std::int32_t key : {2, 4, 50})
        layout.CARTELLA_NASCOSTA.PAGINA.CONTROLLI.push_back({.ID_GUI = key, .TAB_INDEX = key});
    Prepare(host);
    host.m_settings.barHeight = 80;
    host.CreatePages(0, OPR_PRV, layout, first, second);
    ShowAndWait(host);

    EXPECT_EQ(Keys(host.m_statusTable), (std::vector<std::int32_t>{51, 50}));
    EXPECT_EQ(Keys(host.m_statusCtrlsTable), (std::vector<std::int32_t>{51, 50}));
    EXPECT_EQ(Keys(host.m_unplacedTable), (std::vector<std::int32_t>{2, 4, 50}));
    EXPECT_EQ(Keys(host.m_allTable), (std::vector<std::int32_t>{2, 4, 1, 3, 50}));
    EXPECT_EQ(Keys(host.m_placedTable), (std::vector<std::int32_t>{1, 3}));
    for (const CTRL_WND& entry : host.m_unplacedTable) {
        EXPECT_EQ(entry.hidden, 1);
        EXPECT_FALSE(CUtility::CtrlWidget(entry)->isVisible());
    }
    for (const CTRL_WND& entry : host.m_statusTable) {
        EXPECT_TRUE(CUtility::CtrlWidget(entry)->isVisible());
        EXPECT_GT(CUtility::CtrlWidget(entry)->y(), host.Strip().geometry().bottom()) << "in the status area";
    }
}

// The petrol window: its trouble-code page alone, titled with text 3283,
// no status area; hiding it asks nothing of the worker and leaves the
// gas windows' flags alone.
TEST_F(WrittenHost, ThePetrolWindowHoldsTheTroubleCodePage)
{
    const std::string language = std::string(std::getenv("VEXAR_HOME")) + "/Petrol.lng";
    std::ofstream(language) << "3283\tPetrol trouble codes\n";
    FIXED_PAGES pages;
    auto codes = std::make_unique<RecordingFixedPage>(u"Petrol trouble codes");
    RecordingFixedPage* page = codes.get();
    pages.diagBenz = std::move(codes);
    CDlgTabSB petrol(app);
    petrol.SetFixedPages(std::move(pages));
    petrol.m_strLangFile = language;
    Prepare(petrol);
    ASSERT_TRUE(petrol.CreatePetrolPage());
    ShowAndWait(petrol);
    EXPECT_EQ(petrol.Kind(), CDlgTabSB::kPetrol);
    EXPECT_EQ(Titles(petrol), std::vector<std::u16string>{u"F1 - Petrol trouble codes"});
    EXPECT_FALSE(petrol.m_statusGrid.present);
    EXPECT_TRUE(page->isVisible());
    EXPECT_EQ(page->parentWidget(), &petrol.Strip());

    app.requests.clear();
    app.m_bVarPageShown = true;
    petrol.HideHost();
    EXPECT_FALSE(petrol.isVisible());
    EXPECT_TRUE(app.requests.empty());
    EXPECT_TRUE(app.m_bVarPageShown);
    petrol.ClosePages();
    EXPECT_EQ(page->closes, 1);
    petrol.FreePages();
}

}  // namespace
