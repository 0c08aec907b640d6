// The acquisition page offscreen: variables picked, removed and cleared
// with the list and the selection the worker records kept equal; the
// selection file read at a reload; the recording switch unlinked and
// linked, the header, the requests, the indicator, the end of the
// recording with the comment box and every answer of Save-As; two
// recordings in a row; the function keys. And the sound behaviours: a
// header that cannot be written starts nothing, the period is whole clock
// ticks, Save-As onto the temporary file copies nothing, a failed copy
// leaves both files alone, a second stop ends the recording once.

#include "dialogs/CDlgAcq.h"

#include "DialogTestSupport.h"
#include "ScriptedResponder.h"
#include "TestControls.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "config/ControlCodes.h"
#include "dialogs/CDlgInsComm.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlBox.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlEdit.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlList.h"
#include "pages/CCtrlStatic.h"
#include "pages/core/CVEXARPages.h"
#include "pages/widgets/CCWButton.h"
#include "pages/widgets/CCWNumEdit.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowBase.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItem>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

using namespace vexar;
using dialogtest::ProgramHome;
using uitest::ScriptedResponder;

namespace {

const dialogtest::Texts kTexts = {
    {3042, u"Variabili"},        {3043, u"Acquisizione"},   {3044, u"Ferma"},    {3045, u"Registra"},
    {3047, u"Nome"},             {3048, u"Commento"},        {3078, u"Sovrascrivere %s?"},
    {3080, u"Copia di %s fallita"}, {3079, u"Nuovo commento"}, {3020, u"Fatto"}, {3021, u"Lascia"},
};

// The application object of the page: the link requests it is asked to
// post are noted, not queued.
class NotingApp : public CVEXARPages {
public:
    bool PostLinkRequest(unsigned id, std::uintptr_t wParam, std::intptr_t,
                         std::unique_ptr<link::LinkPayload>) override
    {
        requests.emplace_back(id, wParam);
        return true;
    }
    std::vector<std::pair<unsigned, std::uintptr_t>> requests;
};

// The page's parent: the messages the page posts it.
class Strip : public QWidget, public ui::WindowBase {
public:
    Strip() : WindowBase(this) {}
    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<ui::MessagePayload>& payload) override
    {
        if (id == ui::WM_CLOSE) {
            posted.emplace_back(id, wParam);
            return 0;
        }
        posted.emplace_back(id, wParam);
        return WindowBase::onMessage(id, wParam, lParam, payload);
    }
    std::vector<std::pair<unsigned, std::uintptr_t>> posted;
};

struct Variable {
    const char16_t* identifier;
    const char16_t* label;
    const char16_t* comment;
    std::int32_t access;
};
const Variable kVariables[] = {
    {u"Giri_Motore", u"Giri motore:", u"Giri al minuto", OPR_PBL},
    {u"Pressione_Gas", u"Pressione gas", u"Pressione del riduttore", OPR_PRV},
    {u"Temperatura_Gas", u"Temperatura gas", u"Gradi", OPR_PBL},
    {u"Lambda", u"Sonda lambda", u"Tensione sonda", OPR_PBL},
};

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::u16string> ReadLines(const std::string& path)
{
    std::vector<std::u16string> lines;
    CStdioFileEx file;
    if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText))
        return lines;
    std::u16string line;
    while (file.ReadString(line))
        lines.push_back(line);
    return lines;
}

bool HasLine(const std::vector<std::u16string>& lines, const std::u16string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Runs `act` on each modal comment box that shows while the handle lives.
[[nodiscard]] std::unique_ptr<QTimer> OnCommentBox(std::function<void(CDlgInsComm&)> act)
{
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(5);
    QObject::connect(timer.get(), &QTimer::timeout, [act = std::move(act)] {
        if (auto* box = dynamic_cast<CDlgInsComm*>(QApplication::activeModalWidget()))
            if (box->isVisible())
                act(*box);
    });
    timer->start();
    return timer;
}

class AcqPage : public ::testing::Test {
protected:
    AcqPage() : home(kTexts), page(app)
    {
        for (std::size_t i = 0; i < std::size(kVariables); ++i) {
            const Variable& v = kVariables[i];
            REC_CONTROLLO definition = vexar::testing::MakeDefinition(static_cast<std::int32_t>(i + 1), v.identifier,
                                                               CTRL_TERM, v.comment, v.label);
            definition.OPERATORE = v.access;
            controls.push_back(std::make_unique<vexar::testing::DefinitionOnlyCtrl>(definition));
            CTRL_WND entry;
            entry.key = definition.ID_GUI;
            entry.category = CTRL_TERM;
            entry.access = v.access;
            entry.wnd = controls.back().get();
            table.push_back(entry);
        }
        app.m_pVarTable = &table;
        app.m_nOperator = OPR_PRV;
        app.m_clock = [] { return std::time_t{1765440000}; };
        app.m_acqFile.SetClock([] { return std::time_t{1765440000}; });

        strip.resize(1100, 720);
        page.m_strEcuFamily = u"VXG4";
        page.m_strConfigName = u"VXG4_R0107";
        page.m_strSelectionPath = home.path() + "/Acq.cfg";
        page.SetLanguageFile(home.LangFile());
        page.SetPageFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        page.SetColours(ui::RGB(0, 0, 128), ui::RGB(128, 0, 0));
        LAYOUT_SETTINGS settings;
        settings.acqPeriod = 100;
        page.SetSettings(settings);
        EXPECT_TRUE(page.Create(strip));
        page.setGeometry(0, 0, 1100, 720);
        page.ReloadVariables();
        strip.show();
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&strip));
    }

    // A recording left running would end with a comment box that nobody
    // answers: it is a failure, and the box is cancelled.
    ~AcqPage() override
    {
        if (app.m_bRecording) {
            ADD_FAILURE() << "a recording still runs at the end of the test";
            auto cancel = OnCommentBox([](CDlgInsComm& box) { QTest::mouseClick(&box.CancelButton(), Qt::LeftButton); });
            ScriptedResponder unexpected;
            page.Close();
        }
        page.Close();
    }

    void Settle()
    {
        for (int i = 0; i < 4; ++i)
            QCoreApplication::processEvents();
    }

    // The user opens the picker and takes `name` with the keyboard.
    void Pick(const char16_t* name)
    {
        CCtrlCombo& picker = page.Picker();
        const int at = picker.findText(QString::fromStdU16String(name), Qt::MatchExactly);
        ASSERT_GE(at, 0) << QString::fromStdU16String(name).toStdString();
        picker.showPopup();
        picker.view()->setCurrentIndex(picker.model()->index(at, 0));
        QTest::keyClick(picker.view(), Qt::Key_Return);
        Settle();
    }

    void DoubleClick(int row)
    {
        CCtrlList& list = page.List();
        QTreeWidgetItem* item = list.topLevelItem(row);
        ASSERT_NE(item, nullptr);
        const QPoint at = list.visualItemRect(item).center();
        // As the system sends it: press, release, the second press as a
        // double-click, release.
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, at);
        Settle();
    }

    void ClickSwitch()
    {
        QTest::mouseClick(&page.Switch(), Qt::LeftButton);
        Settle();
    }

    std::vector<std::u16string> Rows(int column = 0) const
    {
        std::vector<std::u16string> rows;
        for (int i = 0; i < page.List().topLevelItemCount(); ++i)
            rows.push_back(page.List().topLevelItem(i)->text(column).toStdU16String());
        return rows;
    }

    std::vector<std::u16string> Chosen() const
    {
        std::vector<std::u16string> identifiers;
        for (const CTRL_WND& entry : page.Selection())
            identifiers.push_back(entry.wnd->GetDefinition().IDENTIFICATORE);
        return identifiers;
    }

    bool ChoosingEnabled() const
    {
        return page.PeriodField().isEnabled() && page.Picker().isEnabled() && page.ClearButton().isEnabled();
    }

    std::u16string State() const { return page.StateLabel().text().toStdU16String(); }

    // The worker's end of the recording, with the comment box answered:
    // OK with `comment`, or Cancel when none.
    void StopAndComment(std::optional<std::u16string> comment)
    {
        int boxes = 0;
        auto answer = OnCommentBox([&](CDlgInsComm& box) {
            ++boxes;
            if (comment) {
                auto* editor = box.CommentField().findChild<QPlainTextEdit*>();
                ASSERT_NE(editor, nullptr);
                editor->setPlainText(QString::fromStdU16String(*comment));
                QTest::mouseClick(&box.OkButton(), Qt::LeftButton);
            } else {
                QTest::mouseClick(&box.CancelButton(), Qt::LeftButton);
            }
        });
        ui::SendMessage(&page, {link::WM_ACQ_STOPPED, 0, 0, {}});
        EXPECT_EQ(boxes, 1);
    }

    std::string Temporary() const { return home.path() + "/Acquisition/VXG4/Acquisizione.acq"; }

    ProgramHome home;
    NotingApp app;
    std::vector<std::unique_ptr<vexar::testing::DefinitionOnlyCtrl>> controls;
    CTRL_TABLE table;
    Strip strip;
    CDlgAcq page;
};

TEST_F(AcqPage, PicksRemovalAndClearKeepTheListAndTheRecordedSelectionEqual)
{
    EXPECT_EQ(app.m_pAcqVarTable, &page.Selection());
    EXPECT_EQ(page.Picker().count(), 4);
    EXPECT_EQ(Rows(), std::vector<std::u16string>{});

    Pick(u"Giri motore");
    Pick(u"Temperatura gas");
    Pick(u"Giri motore");  // once only
    Pick(u"Sonda lambda");
    EXPECT_EQ(Rows(), (std::vector<std::u16string>{u"Giri motore", u"Temperatura gas", u"Sonda lambda"}));
    EXPECT_EQ(Rows(1), (std::vector<std::u16string>{u"Giri al minuto", u"Gradi", u"Tensione sonda"}));
    EXPECT_EQ(Chosen(), (std::vector<std::u16string>{u"Giri_Motore", u"Temperatura_Gas", u"Lambda"}));

    DoubleClick(1);
    EXPECT_EQ(Rows(), (std::vector<std::u16string>{u"Giri motore", u"Sonda lambda"}));
    EXPECT_EQ(Chosen(), (std::vector<std::u16string>{u"Giri_Motore", u"Lambda"}));

    QTest::mouseClick(&page.ClearButton(), Qt::LeftButton);
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(page.Selection().empty());
    EXPECT_EQ(app.m_pAcqVarTable, &page.Selection());
}

TEST_F(AcqPage, AReloadReadsTheSelectionFileForTheProfile)
{
    {
        std::ofstream file(home.path() + "/Acq.cfg", std::ios::binary);
        file << "Lambda\r\nPressione_Gas\r\nGiri_Motore\r\nLambda\r\n";
    }
    page.ReloadVariables();
    EXPECT_EQ(Chosen(), (std::vector<std::u16string>{u"Lambda", u"Pressione_Gas", u"Giri_Motore"}));
    EXPECT_EQ(Rows(), (std::vector<std::u16string>{u"Sonda lambda", u"Pressione gas", u"Giri motore"}));

    app.m_nOperator = OPR_PBL;
    page.ReloadVariables();
    EXPECT_EQ(Chosen(), (std::vector<std::u16string>{u"Lambda", u"Giri_Motore"}));
    EXPECT_EQ(page.Picker().count(), 3);

    app.m_nOperator = OPR_SVIL;
    page.ReloadVariables();
    EXPECT_EQ(Chosen(), (std::vector<std::u16string>{u"Lambda", u"Pressione_Gas", u"Giri_Motore"}));
    EXPECT_EQ(page.Picker().count(), 0);

    app.m_nOperator = OPR_LIMIT;
    page.ReloadVariables();
    EXPECT_TRUE(Chosen().empty());
    EXPECT_TRUE(Rows().empty());
}

TEST_F(AcqPage, SwitchingOnUnlinkedSnapsBackWithNothingWrittenOrPosted)
{
    Pick(u"Giri motore");
    ClickSwitch();
    EXPECT_EQ(page.Switch().GetState(), 0);
    EXPECT_EQ(State(), u"Ferma");
    EXPECT_TRUE(ChoosingEnabled());
    EXPECT_FALSE(app.m_bRecording);
    EXPECT_TRUE(app.requests.empty());
    EXPECT_FALSE(std::filesystem::exists(Temporary()));
}

TEST_F(AcqPage, ALinkedRecordingWritesItsHeaderPostsThePeriodAndBlinksPerSample)
{
    app.m_bLinked = 1;
    Pick(u"Giri motore");
    Pick(u"Temperatura gas");
    page.PeriodField().SetValue(200);
    ClickSwitch();

    EXPECT_EQ(page.Switch().GetState(), 1);
    EXPECT_EQ(State(), u"Registra");
    EXPECT_FALSE(page.PeriodField().isEnabled());
    EXPECT_FALSE(page.Picker().isEnabled());
    EXPECT_FALSE(page.ClearButton().isEnabled());
    EXPECT_TRUE(app.m_bRecording);
    ASSERT_EQ(app.requests.size(), 1u);
    EXPECT_EQ(app.requests[0], std::make_pair(link::WM_LINK_ACQ_START, std::uintptr_t{200}));
    // The worker sees the selection as published before the start.
    EXPECT_EQ(app.CtrlTables()->acqVarTable.size(), 2u);

    const std::vector<std::u16string> header = ReadLines(Temporary());
    ASSERT_GE(header.size(), 6u);
    EXPECT_EQ(header[0], u"<CODICE_ECU>\t\tVXG4\t\t</CODICE_ECU>");
    EXPECT_EQ(header[1], u"<ID_FIRMWARE>\t\tVXG4_R0107\t\t</ID_FIRMWARE>");
    EXPECT_TRUE(HasLine(header, u"<IDENTIFICATORE>\tGiri_Motore\t</IDENTIFICATORE>"));
    EXPECT_TRUE(HasLine(header, u"<IDENTIFICATORE>\tTemperatura_Gas\t</IDENTIFICATORE>"));
    EXPECT_TRUE(HasLine(header, u"<ACQ_FREQ>\t\t200\t\t</ACQ_FREQ>"));

    // Picks, double-clicks and the clear button change nothing now.
    ui::SendMessage(&page, {link::WM_PICKER_SELCHANGE, 0, 0, {}});
    DoubleClick(0);
    EXPECT_EQ(Chosen(), (std::vector<std::u16string>{u"Giri_Motore", u"Temperatura_Gas"}));

    for (bool expected : {true, false, true}) {
        ui::SendMessage(&page, {link::WM_ACQ_TICK, 0, 0, {}});
        EXPECT_EQ(page.Indicator().GetValue(), expected);
    }

    // Off: the worker is asked to stop; the recording lasts until it has.
    ClickSwitch();
    EXPECT_EQ(app.requests.back(), std::make_pair(link::WM_LINK_ACQ_STOP, std::uintptr_t{0}));
    EXPECT_TRUE(app.m_bRecording);
    EXPECT_EQ(State(), u"Ferma");
    EXPECT_TRUE(ChoosingEnabled());

    ScriptedResponder dialogs;
    const std::string saved = home.path() + "/Salvata.acq";
    dialogs.ExpectFileDialog(true, saved);
    StopAndComment(u"Prova su strada");
    EXPECT_FALSE(app.m_bRecording);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].folder, home.path() + "/Acquisition/VXG4/");
    EXPECT_EQ(dialogs.shown()[0].filter, u"Acq Files (*.acq)|*.acq|");
    const std::vector<std::u16string> lines = ReadLines(saved);
    EXPECT_TRUE(HasLine(lines, u"<COMMENTO>"));
    EXPECT_TRUE(HasLine(lines, u"Prova su strada"));
    EXPECT_EQ(ReadBytes(saved), ReadBytes(Temporary()));
}

TEST_F(AcqPage, TheLinkDroppingEndsTheRecordingWithTheSwitchStillOn)
{
    app.m_bLinked = 1;
    Pick(u"Sonda lambda");
    ClickSwitch();
    ASSERT_TRUE(app.m_bRecording);
    app.m_bLinked = 0;

    ScriptedResponder dialogs;
    dialogs.ExpectFileDialog(true, std::nullopt);  // Cancel: the recording stays in the temporary file
    StopAndComment(std::nullopt);
    EXPECT_FALSE(app.m_bRecording);
    EXPECT_EQ(page.Switch().GetState(), 0);
    EXPECT_EQ(State(), u"Ferma");
    EXPECT_TRUE(ChoosingEnabled());
    // Comments written without a comment: the file is closed, no block.
    const std::vector<std::u16string> lines = ReadLines(Temporary());
    EXPECT_FALSE(lines.empty());
    EXPECT_FALSE(HasLine(lines, u"<COMMENTO>"));
    EXPECT_EQ(app.requests.size(), 1u);  // no stop for a link that is gone
}

// Save-As: a new file is written, an existing one only on Yes, the
// temporary file itself counts as saved, a failed copy leaves both alone.
TEST_F(AcqPage, SaveAsAnswers)
{
    app.m_bLinked = 1;
    Pick(u"Giri motore");
    const std::string existing = home.path() + "/Esistente.acq";
    const auto writeExisting = [&] { std::ofstream(existing, std::ios::binary) << "old recording"; };

    struct Case {
        const char* what;
        std::function<void(ScriptedResponder&)> script;
        std::function<void()> before;
        std::function<void()> check;
    };
    std::string temporaryBefore;
    const Case cases[] = {
        {"an existing file, No",
         [&](ScriptedResponder& d) {
             d.ExpectFileDialog(true, existing);
             d.ExpectMessageBox(ui::IDNO, u"Sovrascrivere " + ToUtf16(existing) + u"?");
         },
         writeExisting, [&] { EXPECT_EQ(ReadBytes(existing), "old recording"); }},
        {"an existing file, Yes",
         [&](ScriptedResponder& d) {
             d.ExpectFileDialog(true, existing);
             d.ExpectMessageBox(ui::IDYES, u"Sovrascrivere");
         },
         writeExisting, [&] { EXPECT_EQ(ReadBytes(existing), ReadBytes(Temporary())); }},
        {"the temporary file itself",
         [&](ScriptedResponder& d) { d.ExpectFileDialog(true, Temporary()); }, [] {},
         [&] { EXPECT_EQ(ReadBytes(Temporary()), temporaryBefore); }},
        {"a copy that fails at the rename",
         [&](ScriptedResponder& d) {
             d.ExpectFileDialog(true, existing);
             d.ExpectMessageBox(ui::IDYES, u"Sovrascrivere");
             d.ExpectMessageBox(ui::IDOK, u"Copia di " + ToUtf16(existing) + u" fallita");
         },
         [&] {
             writeExisting();
             setenv("VEXAR_FAULT_ATOMIC_WRITE", "rename", 1);
         },
         [&] {
             unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
             EXPECT_EQ(ReadBytes(existing), "old recording");
             EXPECT_EQ(ReadBytes(Temporary()), temporaryBefore);
             // Nothing left beside the target.
             int files = 0;
             for (const auto& entry : std::filesystem::directory_iterator(home.path()))
                 files += entry.is_regular_file() ? 1 : 0;
             EXPECT_EQ(files, 1);  // Esistente.acq; Acq.cfg was never written here
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClickSwitch();
        ASSERT_TRUE(app.m_bRecording);
        ui::SendMessage(&page, {link::WM_ACQ_TICK, 0, 0, {}});
        ClickSwitch();
        c.before();
        ScriptedResponder dialogs;
        c.script(dialogs);
        // The temporary file as the comments leave it, before the copy.
        StopAndComment(u"Nota");
        temporaryBefore = ReadBytes(Temporary());
        c.check();
        EXPECT_EQ(dialogs.pending(), 0u);
        std::filesystem::remove(existing);
    }
}

TEST_F(AcqPage, TwoRecordingsInARowOverwriteTheTemporaryFile)
{
    app.m_bLinked = 1;
    Pick(u"Giri motore");
    Pick(u"Pressione gas");
    for (int round = 0; round < 2; ++round) {
        ClickSwitch();
        ClickSwitch();
        ScriptedResponder dialogs;
        dialogs.ExpectFileDialog(true, std::nullopt);
        StopAndComment(round == 0 ? std::optional<std::u16string>(u"Primo giro") : std::nullopt);
        if (round == 0) {
            QTest::mouseClick(&page.ClearButton(), Qt::LeftButton);
            Pick(u"Sonda lambda");
        }
    }
    const std::vector<std::u16string> lines = ReadLines(Temporary());
    EXPECT_TRUE(HasLine(lines, u"<IDENTIFICATORE>\tLambda\t</IDENTIFICATORE>"));
    EXPECT_FALSE(HasLine(lines, u"<IDENTIFICATORE>\tGiri_Motore\t</IDENTIFICATORE>"));
    EXPECT_FALSE(HasLine(lines, u"Primo giro"));
}

// A header that cannot be written starts nothing: the user is told, the
// switch goes back off, the worker is not asked to sample.
TEST_F(AcqPage, AHeaderThatCannotBeWrittenStartsNothing)
{
    app.m_bLinked = 1;
    Pick(u"Giri motore");
    std::filesystem::create_directories(Temporary());  // a folder where the file should go
    ScriptedResponder dialogs;
    dialogs.ExpectMessageBox(ui::IDOK, u"Error to open file " + ToUtf16(Temporary()) + u"!");
    ClickSwitch();
    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_FALSE(app.m_bRecording);
    EXPECT_TRUE(app.requests.empty());
    EXPECT_EQ(page.Switch().GetState(), 0);
    EXPECT_EQ(State(), u"Ferma");
    EXPECT_TRUE(ChoosingEnabled());
}

// The period is whole ticks of the sampling clock, from the configured
// period to 655 350 ms; the header and the request carry the same number.
TEST_F(AcqPage, ThePeriodIsWholeClockTicks)
{
    app.m_bLinked = 1;
    Pick(u"Giri motore");
    struct Case {
        const char* typed;   // by the user, or
        double set;          // by the program when nothing is typed
        std::uintptr_t period;
    };
    const Case cases[] = {
        {"1000000", 0, 655350}, {"2147483647", 0, 655350}, {"40", 0, 100}, {"137", 0, 140}, {nullptr, 105, 110},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed ? c.typed : "set");
        if (c.typed) {
            QTest::mouseDClick(&page.PeriodField(), Qt::LeftButton);
            QTest::keyClick(&page.PeriodField(), Qt::Key_A, Qt::ControlModifier);
            for (int i = 0; i < 12; ++i)
                QTest::keyClick(&page.PeriodField(), Qt::Key_Backspace);
            QTest::keyClicks(&page.PeriodField(), c.typed);
            QTest::keyClick(&page.PeriodField(), Qt::Key_Return);
        } else {
            page.PeriodField().SetValue(c.set);
        }
        app.requests.clear();
        ClickSwitch();
        ASSERT_FALSE(app.requests.empty());
        EXPECT_EQ(app.requests[0], std::make_pair(link::WM_LINK_ACQ_START, c.period));
        EXPECT_TRUE(HasLine(ReadLines(Temporary()),
                            u"<ACQ_FREQ>\t\t" + ToUtf16(std::to_string(c.period)) + u"\t\t</ACQ_FREQ>"));
        ClickSwitch();
        ScriptedResponder dialogs;
        dialogs.ExpectFileDialog(true, std::nullopt);
        StopAndComment(std::nullopt);
    }
}

// The link drops while the comment box is open: the second stop finds the
// end under way; one comment box, one Save-As, the comments written once.
TEST_F(AcqPage, ASecondStopWhileTheCommentBoxIsOpenEndsTheRecordingOnce)
{
    app.m_bLinked = 1;
    Pick(u"Giri motore");
    ClickSwitch();
    ScriptedResponder dialogs;
    dialogs.ExpectFileDialog(true, std::nullopt);
    std::vector<CDlgInsComm*> boxes;
    auto answer = OnCommentBox([&](CDlgInsComm& box) {
        if (std::find(boxes.begin(), boxes.end(), &box) != boxes.end())
            return;
        boxes.push_back(&box);
        if (boxes.size() > 1) {
            QTest::mouseClick(&box.OkButton(), Qt::LeftButton);
            return;
        }
        // The worker's second stop arrives while the box is up.
        ui::PostMessage(&page, {link::WM_ACQ_STOPPED, 0, 0, {}});
        box.findChild<QPlainTextEdit*>()->setPlainText(QStringLiteral("Una volta"));
        QTimer::singleShot(30, &box, [&box] { QTest::mouseClick(&box.OkButton(), Qt::LeftButton); });
    });
    ui::SendMessage(&page, {link::WM_ACQ_STOPPED, 0, 0, {}});
    Settle();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_EQ(dialogs.shown().size(), 1u);
    const std::vector<std::u16string> lines = ReadLines(Temporary());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), u"<COMMENTO>"), 1);
    EXPECT_FALSE(app.m_bRecording);
}

TEST_F(AcqPage, FunctionKeysSelectPagesEscClosesEnterIsSwallowed)
{
    page.List().setFocus();
    QTest::keyClick(&page.List(), Qt::Key_F5);
    QTest::keyClick(&page.List(), Qt::Key_F5, Qt::ShiftModifier);
    page.setFocus();
    QTest::keyClick(&page, Qt::Key_Return);
    QTest::keyClick(&page, Qt::Key_Escape);
    Settle();
    EXPECT_EQ(strip.posted, (std::vector<std::pair<unsigned, std::uintptr_t>>{
                                {link::WM_SELECT_PAGE, 5}, {link::WM_SELECT_PAGE, 17}, {ui::WM_CLOSE, 0}}));
}

TEST_F(AcqPage, CaptionsComeFromTheLanguageFile)
{
    EXPECT_EQ(page.VariablesBox().GetWindowText(), u"Variabili");
    EXPECT_EQ(page.RecordingBox().GetWindowText(), u"Acquisizione");
    EXPECT_EQ(State(), u"Ferma");
    EXPECT_EQ(page.List().headerItem()->text(0), QStringLiteral("Nome"));
    EXPECT_EQ(page.List().headerItem()->text(1), QStringLiteral("Commento"));
    const std::string english = home.path() + "/Lang/English.lng";
    dialogtest::WriteLangFile(english, {{3042, u"Variables"}, {3044, u"Stopped"}, {3047, u"Name"}, {3048, u"Comment"}});
    page.ApplyLanguage(english);
    EXPECT_EQ(page.VariablesBox().GetWindowText(), u"Variables");
    EXPECT_EQ(State(), u"Stopped");
    EXPECT_EQ(page.List().headerItem()->text(0), QStringLiteral("Name"));
    // The list's columns: a third and two thirds.
    EXPECT_NEAR(page.List().columnWidth(1), 2 * page.List().columnWidth(0), 2);
}

}  // namespace
