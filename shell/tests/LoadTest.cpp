// The load of a configuration: the synthetic configuration's images,
// speed, byte order, protocol and periods; the list-upload speed; the
// language it loads in; the layout scaled to the screen; the parameter
// window's status area high enough for its gauges; a formula operand
// without a control, logged without unlinking the other controls; a load
// that fails leaving nothing behind; and a load asked for while the link
// is up, which waits for the link to go down.
#include "ShellHarness.h"

#include "CryptFixtures.h"
#include "SessionLogText.h"

#include "common/Text.h"
#include "config/CParametriFile.h"
#include "config/CtrlWnd.h"
#include "config/IDataCtrl.h"
#include "dialogs/CDlgDiag.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlTab.h"
#include "pages/CDlgTabSB.h"
#include "pages/CUtilityFactory.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"
#include "shell/core/PageLayout.h"
#include "shell/core/ShellMessages.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;

TEST(Load, TheSyntheticConfigurationSizesTheImagesAndSetsTheLink)
{
    ShellHarness shell;
    shell.StartWithConfiguration();
    CVEXARApp& app = shell.App();
    CVEXARView& view = shell.View();
    EXPECT_EQ(app.m_nParSize, 66);
    EXPECT_EQ(app.m_nVarSize, 22);
    EXPECT_NE(app.m_pParMaster, nullptr);
    EXPECT_NE(app.m_pVarLast, nullptr);
    {
        std::lock_guard lock(app.m_csBaud);
        EXPECT_EQ(app.m_nBaud, 19200);
        EXPECT_EQ(app.m_nBaudCurrent, 19200);
        EXPECT_EQ(app.m_nBaudRequested, 19200);
    }
    EXPECT_EQ(app.m_bLittleEndian, 0);
    EXPECT_EQ(app.m_nProtocol, 1);
    EXPECT_EQ(view.m_layout.pollPeriod, 100);
    EXPECT_EQ(view.m_layout.acqPeriod, 50);
    // The worker took the poll period.
    EXPECT_TRUE(WaitUntil([&] { return app.m_nPollPeriod == 100; }));
    EXPECT_FALSE(view.m_testList.Entries().empty());
    EXPECT_TRUE(app.m_bNotifyLinked);
    EXPECT_EQ(shell.Frame().m_paneEcu->text(), QStringLiteral(" ECU: VXG4"));
    EXPECT_EQ(shell.Frame().m_paneConfig->text(), QStringLiteral(" ConfigPC: VXG4_R0107"));
    // The page windows stand with their tables, published for the worker;
    // the calibration name is the name field's default.
    ASSERT_NE(app.m_pParTable, nullptr);
    EXPECT_FALSE(app.m_pParTable->empty());
    ASSERT_NE(app.m_pVarTable, nullptr);
    EXPECT_FALSE(app.m_pVarTable->empty());
    ASSERT_NE(app.CtrlTables(), nullptr);
    EXPECT_EQ(shell.Frame().m_paneCalib->text().toStdU16String(), u" Calib: " + view.m_strCalibName);
    EXPECT_EQ(view.m_strCalibName, u"STANDARD LPG 1.0");
    EXPECT_NE(view.m_pCalibNameCtrl, nullptr);
    // The name field tells the view when its bytes change.
    {
        std::lock_guard lock(app.m_csParImage);
        std::copy_n("CITY 1.2\0", 9, app.m_pParWork.get());
    }
    ui::SendMessage(&view, ui::WindowMessage{WM_CALIB_NAME_CHANGED, 0, 0, nullptr});
    EXPECT_EQ(shell.Frame().m_paneCalib->text(), QStringLiteral(" Calib: CITY 1.2"));
    // The records stand in address order, flags of one byte by mask.
    for (std::size_t i = 1; i < view.m_parRecords.size(); ++i)
        EXPECT_LE(view.m_parRecords[i - 1].LSB, view.m_parRecords[i].LSB);
    EXPECT_EQ(shell.Exit(), 0);
}

// With the list upload on, the second protocol asks for 19200 baud
// whatever the definition says; without it, the definition's speed.
TEST(Load, TheListUploadAsksForNineteenThousandTwoHundredBaud)
{
    for (const bool listUpload : {false, true}) {
        ShellHarness shell;
        shell.StartWithConfiguration("VXG4", "VXG4_R0107", [&](const fixtures::SyntheticConfiguration& installed) {
            RewriteCipherFile(installed.par, u"<BAUD_RATE>19200", u"<BAUD_RATE>9600");
            if (listUpload) {
                std::string error;
                ASSERT_TRUE(fixtures::InstallDemoSettings(installed, error)) << error;
            }
        });
        std::lock_guard lock(shell.App().m_csBaud);
        EXPECT_EQ(shell.App().m_nBaud, 9600);
        EXPECT_EQ(shell.App().m_nBaudRequested, listUpload ? 19200 : 9600);
        EXPECT_EQ(shell.App().m_bListUpload, listUpload ? 1 : 0);
    }
}

TEST(Load, TheConfigurationLoadsInTheCurrentLanguage)
{
    ShellHarness shell;
    shell.StartWithConfiguration("VXG4", "VXG4_R0107", [&](const fixtures::SyntheticConfiguration&) {
        shell.Folder().WriteSession(u"Italiano.lng");
    });
    ASSERT_FALSE(shell.View().m_parRecords.empty());
    EXPECT_EQ(shell.View().m_parRecords.front().ETICHETTA, u"Nome calibrazione");
}

// At 1280 x 1024 widths and heights scale by 5/4 (the 4:3 of 1280 x 960).
TEST(Load, TheLayoutIsScaledToTheScreen)
{
    ShellHarness shell;
    shell.MakeApp();
    shell.App().m_screenSize = [] { return QSize(1280, 1024); };
    shell.StartWithConfiguration();
    EXPECT_EQ(shell.View().m_layout.knob.width, 120 * 1280 / 1024);
    EXPECT_EQ(shell.View().m_layout.knob.height, 120 * 960 / 768);
    EXPECT_EQ(shell.View().m_layoutFile.knob.width, 120);
}

// Every load scales the settings as the files gave them, once: at 1280 x
// 1024, with an ECU.cfg that stops after value 10, a language change, a
// new selection and a plain reload leave every size as the first load
// made it.
TEST(Load, EveryReloadScalesTheSettingsAsReadOnce)
{
    ShellHarness shell;
    shell.MakeApp();
    shell.App().m_screenSize = [] { return QSize(1280, 1024); };
    shell.StartWithConfiguration("VXG4", "VXG4_R0107", [](const fixtures::SyntheticConfiguration& installed) {
        std::string error;
        ASSERT_TRUE(crypt::WriteCipherText(installed.folder + "ECU.cfg",
                                           u"\"DejaVu Sans\"\n9\n0\n\"DejaVu Sans\"\n8\n1\n0 0 0\n128 0 0\n", error))
            << error;
    });
    CVEXARView& view = shell.View();
    auto sizes = [&] {
        const LAYOUT_SETTINGS& l = view.m_layout;
        return std::vector<std::int32_t>{l.pageFontSize, l.barFontSize, l.margin, l.barHeight, l.knob.width,
                                         l.knob.height, l.edit.width, l.edit.height, l.gridMax.width,
                                         l.gridColumnWidth, l.vmeter.width, l.vmeter.height};
    };
    const std::vector<std::int32_t> first = sizes();
    EXPECT_EQ(view.m_layout.knob.width, 120 * 1280 / 1024);
    EXPECT_EQ(view.m_layout.knob.height, 120 * 960 / 768);

    shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3094");
    ui::SendMessage(&shell.Frame(), ui::CommandMessage(ID_LANGUAGE_FIRST + 1));
    ASSERT_TRUE(WaitUntil([&] { return view.Label(0).text() == QStringLiteral("I3063") && !shell.App().m_bBusy; }));
    EXPECT_EQ(sizes(), first) << "after a language change";

    shell.Dialogs().ExpectMessageBox(ui::IDYES, u"I3094");
    {
        const auto answer = ShellHarness::AnswerSelection(u"VXG4", u"VXG4_R0107");
        ui::SendMessage(&view, ui::CommandMessage(ID_CENTRALINA));
    }
    EXPECT_EQ(shell.Dialogs().pending(), 0u);
    EXPECT_EQ(sizes(), first) << "after a new selection";

    view.LoadConfiguration();
    EXPECT_EQ(sizes(), first) << "after a reload";
    EXPECT_NE(shell.App().m_pParMaster, nullptr);
    EXPECT_EQ(view.m_layoutFile.knob.width, 120);
    EXPECT_EQ(shell.Exit(), 0);
}

// The calibration file is written under the name given, which becomes the
// calibration name; the name then goes into the calibration-name field,
// which takes it into the working image.
TEST(Load, ACalibrationIsSavedUnderItsNameAndANameGoesIntoItsField)
{
    ShellHarness shell;
    shell.StartWithConfiguration();
    CVEXARView& view = shell.View();
    std::filesystem::create_directories(shell.Folder().File("Parameter"));
    const std::string path = shell.Folder().File("Parameter/City.DAT");
    ASSERT_TRUE(view.SaveParameterFile(path));
    EXPECT_EQ(view.m_strCalibName, u"City.DAT");
    EXPECT_EQ(shell.Frame().m_paneCalib->text(), QStringLiteral(" Calib: City.DAT"));
    std::u16string text;
    std::string error;
    ASSERT_TRUE(crypt::ReadCipherText(path, text, error)) << error;
    EXPECT_EQ(text.substr(0, text.find(u'\n')).find(u"VXG4") != std::u16string::npos, true) << ToUtf8(text);
    CParametriFile file("", u"InfoFileParametri");
    std::u16string firmware;
    EXPECT_EQ(file.ReadHeader(path, firmware), 0);
    EXPECT_EQ(firmware, u"VXG4_R0107");

    view.m_strCalibName = u"CITY 1.2";
    view.SetCalibrationNameField();
    auto* field = dynamic_cast<QLineEdit*>(view.m_pCalibNameCtrl.data());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), QStringLiteral("CITY 1.2"));
    ASSERT_TRUE(view.m_calibNameDefinition.has_value());
    CVEXARApp& app = shell.App();
    std::lock_guard lock(app.m_csParImage);
    const char* bytes = reinterpret_cast<const char*>(app.m_pParWork.get()) + view.m_calibNameDefinition->LSB;
    EXPECT_EQ(std::string(bytes, 8), "CITY 1.2");
}

// The page windows close and take the profile now set: a control of the
// privileged profile shows for it and hides again for the public one.
TEST(Load, TheProfileWindowsCloseAndTakeTheProfile)
{
    ShellHarness shell;
    shell.StartWithConfiguration();
    CVEXARView& view = shell.View();
    CVEXARApp& app = shell.App();
    ASSERT_NE(app.m_pParTable, nullptr);
    QWidget* privileged = nullptr;
    for (const CTRL_WND& entry : *app.m_pParTable)
        if (entry.access == OPR_PRV && entry.wnd && !privileged)
            privileged = dynamic_cast<QWidget*>(entry.wnd);
    ASSERT_NE(privileged, nullptr);
    EXPECT_TRUE(privileged->isHidden());

    // The diagnosis window: the public injector actions only, yet every
    // action list for the calibration file.
    ASSERT_NE(view.m_dlgDiag, nullptr);
    CDlgDiag& diag = *view.m_dlgDiag;
    const auto keys = [](const CTRL_TABLE& table) {
        std::vector<std::int32_t> found;
        for (const CTRL_WND& entry : table)
            found.push_back(entry.key);
        return found;
    };
    EXPECT_EQ(keys(diag.m_visibleActions), std::vector<std::int32_t>{307});
    EXPECT_EQ(app.m_pDiagTable3, &diag.m_allActions);
    EXPECT_EQ(keys(diag.m_allActions), (std::vector<std::int32_t>{303, 307}));
    diag.show();

    view.m_wndParams->show();
    app.m_nOperator = OPR_PRV;
    view.CloseProfileWindows();
    EXPECT_TRUE(WaitUntil([&] { return view.m_wndParams->isHidden(); }));
    EXPECT_FALSE(privileged->isHidden());
    EXPECT_TRUE(diag.isHidden());
    EXPECT_EQ(keys(diag.m_visibleActions), (std::vector<std::int32_t>{303, 307}));
    EXPECT_EQ(app.m_pDiagTable2, &diag.m_visibleRows);

    app.m_nOperator = OPR_PBL;
    view.CloseProfileWindows();
    EXPECT_TRUE(privileged->isHidden());
    EXPECT_EQ(keys(diag.m_visibleActions), std::vector<std::int32_t>{307});
    EXPECT_EQ(shell.Exit(), 0);
}

// The parameter window's status area, below its tab strip, holds its
// gauges whole on the design screen and on a larger one, whatever height
// the settings give it.
TEST(Load, TheParameterWindowsStatusAreaHoldsItsControlsWhole)
{
    for (const QSize screen : {QSize(1024, 768), QSize(1280, 1024)}) {
        ShellHarness shell;
        shell.MakeApp();
        shell.App().m_screenSize = [screen] { return screen; };
        shell.StartWithConfiguration();
        const CDlgTabSB& host = *shell.View().m_wndParams;
        ASSERT_EQ(host.m_statusTable.size(), 2u);
        const int statusTop = host.Strip().geometry().bottom() + 1;
        for (const CTRL_WND& entry : host.m_statusTable) {
            const QRect place = CUtility::CtrlWidget(entry)->geometry();
            EXPECT_GE(place.top(), statusTop) << entry.key << " on " << screen.height();
            EXPECT_LE(place.bottom(), host.height() - 1) << entry.key << " on " << screen.height();
            EXPECT_GE(place.left(), 0) << entry.key;
        }
    }
}

// A map on a page measures as its own rules size it: its rows in the page
// font (3 rows: the engine speeds and two rows of values), its 4 columns
// (the pressures and three columns of values) of the settings' width.
TEST(Load, AMapIsMeasuredByItsOwnRules)
{
    ShellHarness shell;
    shell.StartWithConfiguration();
    const CVEXARView& view = shell.View();
    QFont font;
    CUtility::CreateFontPt(font, view.m_layout.pageFontFace, view.m_layout.pageFontSize,
                           view.m_layout.pageFontBold != 0);
    const std::int32_t rowTwips = CUtility::GetFontSizeTwips(view, font) + 100;
    std::int32_t width = 0;
    std::int32_t height = 0;
    ASSERT_TRUE(CalcControlLayout(112, view.m_parRecords, view.m_layout, {}, view.GridSize(), width, height));
    EXPECT_EQ(width, std::min(4 * view.m_layout.gridColumnWidth, view.m_layout.gridMax.width));
    EXPECT_EQ(height, std::min(CUtility::TwipsToPixels(view, 3 * rowTwips, false), view.m_layout.gridMax.height));
    EXPECT_GT(height, 0);
}

// One control of the synthetic configuration copied with an operand key
// that names no control of the pages (the breakpoints of a map's header,
// which have no control of their own): the load logs it in the
// parameters' log, naming the control and the key, and every other
// control still follows its operands: the computed Fahrenheit value
// follows the temperature, the injection time its injector factor.
TEST(Load, AnOperandWithoutAControlLeavesTheOtherControlsLinked)
{
    const std::u16string source = fixtures::FixtureText("config/VXG4/VXG4_R0107/VXG4_R0107.PAR");
    // The definition block of control `key`, with its key, identifier and
    // address changed and `from` replaced by `to`.
    auto copyOf = [&source](int key, const std::u16string& identifier, const std::u16string& address,
                            const std::u16string& from, const std::u16string& to) {
        const std::size_t begin = source.rfind(u"<CONTROLLO>", source.find(Format(u"<ID_GUI>%d</ID_GUI>", key)));
        const std::u16string end = u"</CONTROLLO>";
        std::u16string block = source.substr(begin, source.find(end, begin) + end.size() - begin);
        for (const auto& [old, now] :
             {std::pair{Format(u"<ID_GUI>%d<", key), std::u16string(u"<ID_GUI>130<")},
              std::pair{std::u16string(u"<IDENTIFICATORE>"), u"<IDENTIFICATORE>" + identifier},
              std::pair{address, std::u16string(u"<LSB>66</LSB>")}, std::pair{from, to}}) {
            const std::size_t at = block.find(old);
            EXPECT_NE(at, std::u16string::npos) << ToUtf8(old);
            if (at != std::u16string::npos)
                block.replace(at, old.size(), now);
        }
        return block;
    };
    const struct {
        const char* name;
        std::u16string block;
        std::u16string logged;
    } cases[] = {
        {"a computed value's third operand",
         copyOf(111, u"Orfano_", u"<LSB>17</LSB>", u"<ID3></ID3>", u"<ID3>113</ID3>"),
         u"Identificatore controllo ID3 = \"113\" nella formula del controllo ID = \"130\" (Orfano_Temp_Cambio_F) "
         u"senza controllo nelle pagine: l'operando e i successivi valgono 1\n"},
        {"a six-operand conversion's second operand",
         copyOf(115, u"Orfano_", u"<LSB>48</LSB>", u"<ID2>116</ID2>", u"<ID2>113</ID2>"),
         u"Identificatore controllo ID2 = \"113\" nella formula del controllo ID = \"130\" (Orfano_Tempo_Inj_Minimo) "
         u"senza controllo nelle pagine: l'operando e i successivi valgono 1\n"},
    };
    for (const auto& c : cases) {
        ShellHarness shell;
        shell.StartWithConfiguration("VXG4", "VXG4_R0107", [&](const fixtures::SyntheticConfiguration& installed) {
            const std::u16string header = u"<FREQ_SYS_ACQ_MSEC>50</FREQ_SYS_ACQ_MSEC>";
            RewriteCipherFile(installed.par, header, header + u"\n" + c.block);
        });
        CVEXARApp& app = shell.App();
        ASSERT_NE(app.m_pParTable, nullptr) << c.name;
        EXPECT_TRUE(shell.Dialogs().shown().empty()) << c.name;
        const std::vector<std::u16string> logged = SessionLogEntries(shell.Folder().File("Log/InfoControlliPC.log"));
        // The line, then the log's closing banner.
        EXPECT_EQ(logged.size(), 2u) << c.name;
        EXPECT_EQ(logged.empty() ? std::u16string() : logged.front(), c.logged) << c.name;

        auto control = [&app](std::int32_t key) -> QWidget* {
            for (const CTRL_WND& entry : *app.m_pParTable)
                if (entry.key == key)
                    return CUtility::CtrlWidget(entry);
            return nullptr;
        };
        auto par = [&app](std::size_t at) {
            std::lock_guard lock(app.m_csParImage);
            return app.m_pParMaster[at];
        };
        auto setPar = [&app](std::size_t at, std::uint8_t value) {
            std::lock_guard lock(app.m_csParImage);
            app.m_pParMaster[at] = value;
        };
        ASSERT_NE(control(105), nullptr) << c.name;
        ASSERT_NE(control(116), nullptr) << c.name;
        // From the load on: the default 35 degrees are 95 degrees Fahrenheit.
        EXPECT_EQ(par(17), 95) << c.name;
        // The temperature reads 60 - 40 = 20 degrees: 68 degrees Fahrenheit.
        setPar(20, 60);
        ui::SendMessage(control(105), ui::WindowMessage{link::WM_CTRL_REFRESH, 0, 0, nullptr});
        EXPECT_TRUE(WaitUntil([&] { return par(17) == 68; })) << c.name << ": " << int(par(17));
        // The minimum injection time, 2.5 ms, was 625 steps of 4 us at the
        // factor 1.00; at 1.50 it is 2.5 / 0.006 steps.
        EXPECT_EQ(par(48) << 8 | par(49), 625) << c.name;
        setPar(46, 150);
        ui::SendMessage(control(116), ui::WindowMessage{link::WM_CTRL_REFRESH, 0, 0, nullptr});
        EXPECT_TRUE(WaitUntil([&] { return (par(48) << 8 | par(49)) == 417; }))
            << c.name << ": " << (par(48) << 8 | par(49));
        EXPECT_EQ(shell.Exit(), 0);
    }
}

// Whatever fails, one message and nothing of the load stands: no images,
// no control tables, the commands that need a configuration disabled.
TEST(Load, AFailedLoadLeavesNoImagesAndOneMessage)
{
    const struct {
        const char* name;
        std::function<void(const fixtures::SyntheticConfiguration&)> spoil;
    } cases[] = {
        {"a definition that does not parse",
         [](const fixtures::SyntheticConfiguration& c) { RewriteCipherFile(c.var, u"</ID_GUI>", u""); }},
        {"a layout missing",
         [](const fixtures::SyntheticConfiguration& c) {
             std::filesystem::remove(c.folder + c.revision + ".GPC");
         }},
        {"a layout placing an unknown control",
         [](const fixtures::SyntheticConfiguration& c) {
             RewriteCipherFile(c.folder + c.revision + ".GPC", u"<ID_GUI>101</ID_GUI>", u"<ID_GUI>999</ID_GUI>");
         }},
    };
    for (const auto& c : cases) {
        ShellHarness shell;
        shell.Folder().MakeFresh();
        const fixtures::SyntheticConfiguration installed = shell.Folder().InstallConfiguration();
        const auto answer = ShellHarness::AnswerSelection(u"VXG4", u"VXG4_R0107");
        // The catalogue lists the revision when the program starts; the
        // files are spoiled before the selection loads them.
        ASSERT_TRUE(shell.Start());
        c.spoil(installed);
        shell.Dialogs().ExpectMessageBox(1, u"E3092");
        ASSERT_TRUE(WaitUntil([&] { return !shell.View().m_bFirstStart && !shell.App().m_bBusy; })) << c.name;
        EXPECT_EQ(shell.App().m_pParMaster, nullptr) << c.name;
        EXPECT_EQ(shell.App().m_pVarMaster, nullptr) << c.name;
        EXPECT_EQ(shell.App().m_nParSize, 0) << c.name;
        EXPECT_EQ(shell.App().m_nVarSize, 0) << c.name;
        EXPECT_EQ(shell.App().m_pParTable, nullptr) << c.name;
        EXPECT_FALSE(shell.App().m_bNotifyLinked) << c.name;
        EXPECT_FALSE(ui::IsWindowEnabled(shell.View().Button(kActionSaveCalib))) << c.name;
        EXPECT_EQ(shell.Dialogs().shown().size(), 1u) << c.name;
        EXPECT_EQ(shell.Exit(), 0);
    }
}

// The images change only while the worker cannot use them: a load asked
// for while the link is up runs when the link-state message says it is
// down.
TEST(Load, ALoadAskedForWhileLinkedWaitsForTheLinkToGoDown)
{
    ShellHarness shell;
    shell.StartWithConfiguration();
    CVEXARApp& app = shell.App();
    const std::uint8_t* before = app.m_pParMaster.get();
    app.m_bLinked = 1;  // as the worker sets it
    shell.View().LoadConfiguration();
    EXPECT_EQ(app.m_pParMaster.get(), before);
    EXPECT_TRUE(shell.View().m_bLoadPending);
    app.m_bLinked = 0;
    ui::SendMessage(&shell.View(), ui::WindowMessage{link::WM_LINK_STATE, 0, 0, nullptr});
    EXPECT_FALSE(shell.View().m_bLoadPending);
    EXPECT_NE(app.m_pParMaster.get(), nullptr);
    EXPECT_EQ(app.m_nParSize, 66);
}
