// Real check boxes with the synthetic configuration's calibration file and
// with the link worker talking to the simulated ECU on a pseudo-terminal:
// the calibration saves back unchanged, a click is one change record and
// one write of its byte, a whole-image read reaches the box through the
// view's control check, and a stored value reaches the ECU with the
// whole-image write.
#include "pages/CCtrlCheck.h"

#include "ControlSet.h"
#include "ControlsOnLine.h"
#include "SyntheticCalibration.h"
#include "config/CParametriFile.h"
#include "link/LinkMessages.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace vexar::link;
using vexar::ecusim::Image;
using vexar::pagestest::ControlsOnLine;
using vexar::pagestest::SyntheticCalibration;

namespace {

// The synthetic calibration loads into a configuration whose check boxes
// are real; saved again it is the same text; after one click the save has
// exactly one more change record, for that box.
TEST(CheckWithFiles, TheSyntheticCalibrationResavesUnchangedAndAClickIsOneRecord)
{
    SyntheticCalibration files;
    ASSERT_NO_FATAL_FAILURE(files.Install());

    CVEXARPages& app = *files.app;
    QWidget page;
    std::vector<CCtrlCheck*> boxes;
    vexar::testing::ControlSet controls(
        files.par->Controls(), files.gdg->Controls(), app.m_clock,
        [&](const REC_CONTROLLO& record) -> std::unique_ptr<IDataCtrl> {
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
    bool nameFound = false;
    ASSERT_EQ(files.Read(file, nameFound), 0);
    CCtrlCheck& changeover = controls.Get<CCtrlCheck>(u"Abil_Cambio_Temp");
    EXPECT_TRUE(changeover.IsChecked());

    EXPECT_EQ(files.Saved(file), files.text);

    const int before = file.GetModifiche().GetCount();
    changeover.show();
    QTest::mouseClick(&changeover, Qt::LeftButton);
    EXPECT_FALSE(changeover.IsChecked());
    ASSERT_EQ(file.Write(u"VXG4", u"VXG4_R0107", files.home.file("Saved.DAT")), 0);
    ASSERT_EQ(file.GetModifiche().GetCount(), before + 1);
    const MODIFICA& record = file.GetModifiche().GetList().back();
    EXPECT_EQ(record.IDENTIFICATORE, u"Abil_Cambio_Temp");
    EXPECT_EQ(record.PRECEDENTE, u"1");
    EXPECT_EQ(record.CORRENTE, u"0");
}

class CheckOnLine : public ControlsOnLine {
protected:
    CheckOnLine() : ControlsOnLine(300, 100, 40)
    {
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
        const std::uint8_t ecuByte[] = {0xF1};
        rig.sim().WriteImage(Image::Parameters, 16, ecuByte);
        StartLink();
    }

    std::uint8_t EcuByte16() { return rig.sim().ReadImage(Image::Parameters, 16, 1)[0]; }

    CCtrlCheck* box = nullptr;
};

// Linked, a click is one write of byte 16 with the ECU's other bits kept.
TEST_F(CheckOnLine, AClickIsOneWriteOfItsByteWithTheOtherBitsKept)
{
    Connect();
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
