// Real check boxes with the synthetic configuration's calibration file and
// with the link worker talking to the simulated ECU on a pseudo-terminal:
// the calibration saves back unchanged, a click is one change record and
// one write of its byte, a whole-image read reaches the box through the
// view's control check, and a stored value reaches the ECU with the
// whole-image write.
#include "pages/CCtrlCheck.h"

#include "ControlSet.h"
#include "CryptFixtures.h"
#include "DefinitionFixtures.h"
#include "EcuTestRig.h"
#include "TempDir.h"
#include "CoreFixture.h"
#include "ViewStandIn.h"
#include "common/Text.h"
#include "config/CControlliConfigurati.h"
#include "config/CParametriFile.h"
#include "link/LinkMessages.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/core/CUtilityTables.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/WindowBase.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

using namespace vexar::link;
using namespace std::chrono_literals;
using vexar::ecusim::Image;
using vexar::linktest::EcuRig;
using vexar::pagestest::ViewStandIn;

namespace {

const std::vector<std::u16string> kLanguages = {u"English", u"Italiano"};

REC_CONTROLLO Definition(const std::vector<REC_CONTROLLO>& records, std::u16string_view identifier)
{
    for (const REC_CONTROLLO& record : records)
        if (record.IDENTIFICATORE == identifier)
            return record;
    ADD_FAILURE() << "no definition " << vexar::ToUtf8(identifier);
    return {};
}

// The synthetic calibration loads into a configuration whose check boxes
// are real; saved again it is the same text; after one click the save has
// exactly one more change record, for that box.
TEST(CheckWithFiles, TheSyntheticCalibrationResavesUnchangedAndAClickIsOneRecord)
{
    vexar::testing::TempDir home;
    setenv("VEXAR_HOME", home.path().c_str(), 1);
    std::filesystem::create_directories(home.file("Log"));
    vexar::fixtures::SyntheticConfiguration config;
    std::string error;
    ASSERT_TRUE(vexar::fixtures::InstallSyntheticConfiguration(home.path(), config, error)) << error;
    std::u16string language = u"English";
    CControlliConfigurati par(config.par, u"InfoControlliPC");
    ASSERT_EQ(par.Load(language, kLanguages), 0);
    language = u"English";
    CControlliConfigurati gdg(config.gdg, u"InfoControlliGDG");
    ASSERT_EQ(gdg.Load(language, kLanguages), 0);

    const std::u16string text = vexar::ToUtf16(
        vexar::testing::ReadAll(vexar::fixtures::DataFolder() + "/calibration/VXG4_R0107_City.DAT.txt"));
    ASSERT_TRUE(vexar::crypt::WriteCipherText(home.file("City.DAT"), text, error)) << error;

    CVEXARPages app;
    app.ResizeImages(64, 32);
    app.m_clock = [] { return std::time_t{1294646400}; };
    QWidget page;
    std::vector<CCtrlCheck*> boxes;
    vexar::testing::ControlSet controls(
        par.Controls(), gdg.Controls(), app.m_clock, [&](const REC_CONTROLLO& record) -> std::unique_ptr<IDataCtrl> {
            if (record.CATEGORIA != CTRL_CHECK)
                return nullptr;
            auto box = std::make_unique<CCtrlCheck>(app, record, false, &page);
            boxes.push_back(box.get());
            box->setParent(nullptr);  // the set owns it
            return box;
        });
    ASSERT_EQ(boxes.size(), 3u);
    CParametriFile file("", u"InfoFileParametri");
    controls.Attach(file);
    std::u16string fileFirmware;
    bool nameFound = false;
    ASSERT_EQ(file.Read(u"VXG4", u"VXG4_R0107", fileFirmware, home.file("City.DAT"), nameFound), 0);
    CCtrlCheck& changeover = controls.Get<CCtrlCheck>(u"Abil_Cambio_Temp");
    EXPECT_TRUE(changeover.IsChecked());

    ASSERT_EQ(file.Write(u"VXG4", u"VXG4_R0107", home.file("Saved.DAT")), 0);
    std::u16string saved;
    ASSERT_TRUE(vexar::crypt::ReadCipherText(home.file("Saved.DAT"), saved, error)) << error;
    EXPECT_EQ(saved, text);

    const int before = file.GetModifiche().GetCount();
    changeover.show();
    QTest::mouseClick(&changeover, Qt::LeftButton);
    EXPECT_FALSE(changeover.IsChecked());
    ASSERT_EQ(file.Write(u"VXG4", u"VXG4_R0107", home.file("Saved.DAT")), 0);
    ASSERT_EQ(file.GetModifiche().GetCount(), before + 1);
    const MODIFICA& record = file.GetModifiche().GetList().back();
    EXPECT_EQ(record.IDENTIFICATORE, u"Abil_Cambio_Temp");
    EXPECT_EQ(record.PRECEDENTE, u"1");
    EXPECT_EQ(record.CORRENTE, u"0");
    unsetenv("VEXAR_HOME");
}

class CheckOnLine : public ::testing::Test {
protected:
    CheckOnLine() : rig(Options()), view(app, par)
    {
        vexar::pagestest::PrepareForSimulator(app, adapter, EcuRig::kPort, par, par3, var);
        adapter.RegisterWindow(UiWindow::View, &view);
        adapter.RegisterWindow(UiWindow::ProgressWindow, &view);
        page.resize(300, 100);
        page.show();

        REC_CONTROLLO definition;
        definition.ID_GUI = 117;
        definition.IDENTIFICATORE = u"Cambio_Rapido";
        definition.CATEGORIA = CTRL_CHECK;
        definition.TIPO = DATO_FLAG;
        definition.LSB = 16;
        definition.MASCHERA = 0x04;
        definition.DEFAULT = u"0";
        definition.GRAFICA = CheckBlock{};
        box = new CCtrlCheck(app, definition, false, &page);
        box->show();
        par = {box->Entry()};
        app.PublishCtrlTables();
        const std::uint8_t ecuByte[] = {0xF1};
        rig.sim().WriteImage(Image::Parameters, 16, ecuByte);
        EXPECT_TRUE(app.StartLinkThread(&adapter));
    }
    ~CheckOnLine() override
    {
        adapter.BeginShutdown();
        app.SignalQuit();
        app.JoinLinkThread();
        delete box;
        app.m_pUiSink = nullptr;
    }

    static vexar::ecusim::SimulatorOptions Options()
    {
        vexar::ecusim::SimulatorOptions options;
        options.protocol = vexar::ecusim::Protocol::Second;
        return options;
    }
    void Connect()
    {
        app.PostLinkRequest(WM_LINK_CONNECT);
        EXPECT_TRUE(QTest::qWaitFor([&] { return view.idle > 0; }, 20000));
            ASSERT_EQ(app.m_bLinked, 1);
    }
    std::uint8_t EcuByte16() { return rig.sim().ReadImage(Image::Parameters, 16, 1)[0]; }

    EcuRig rig;
    LinkUiSinkAdapter adapter;
    CVEXARPages app{LinkTiming{.tickMs = 10, .protocol = {0.2, 30ms}}};
    CTRL_TABLE par, par3, var;
    ViewStandIn view;
    QWidget page;
    CCtrlCheck* box = nullptr;
};

// Linked, a click is one write of byte 16 with the ECU's other bits kept.
TEST_F(CheckOnLine, AClickIsOneWriteOfItsByteWithTheOtherBitsKept)
{
    Connect();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.progressClosed > 0; }, 10000));  // the read of the connect
    rig.sim().ClearFrameLog();
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return EcuByte16() == std::uint8_t{0xF5}; }, 10000)) << int(EcuByte16());
    EXPECT_EQ(rig.sim().CountRequests(2), 1u);
}

// A byte changed in the ECU, then a whole-image read: the engine asks the
// view for its control check, which refreshes the FIX_ON box by force.
TEST_F(CheckOnLine, AWholeImageReadReachesTheBoxThroughTheControlCheck)
{
    Connect();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.progressClosed > 0; }, 10000));
    EXPECT_FALSE(box->IsChecked());
    const std::uint8_t changed[] = {0x04};
    rig.sim().WriteImage(Image::Parameters, 16, changed);
    const int closed = view.progressClosed;
    app.PostLinkRequest(WM_LINK_READ_ALL);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.progressClosed > closed; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return box->IsChecked(); }, 10000));
}

// A click while the link is down stores into the master image and asks
// nothing of the worker. A connect reads the ECU's image over the master;
// a value stored without a write (as a calibration load stores its values)
// then reaches the ECU with the whole-image write.
TEST_F(CheckOnLine, AStoredValueReachesTheEcuWithTheWholeImageWrite)
{
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(app.m_pParMaster[16], 0x04);
    EXPECT_EQ(EcuByte16(), 0xF1);
    EXPECT_EQ(app.m_linkQueue.Pending(), 0u);
    Connect();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.progressClosed > 0; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !box->IsChecked(); }, 10000));  // the ECU's bit, through the control check

    rig.sim().ClearFrameLog();
    box->SetCheckState(1);
    box->HandleMessage(WM_CTRL_STORE, 0, 0, nullptr);
    EXPECT_EQ(app.m_pParMaster[16], 0xF5);
    QTest::qWait(100);
    EXPECT_EQ(rig.sim().CountRequests(2), 0u) << "a store writes nothing";
    app.PostLinkRequest(WM_LINK_WRITE_ALL);
    EXPECT_TRUE(QTest::qWaitFor([&] { return EcuByte16() == std::uint8_t{0xF5}; }, 10000)) << int(EcuByte16());
}

}  // namespace
