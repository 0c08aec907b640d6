// The text field, the lists and the buttons with the synthetic
// calibration file and with the real link worker talking to the simulated
// ECU on a pseudo-terminal: the calibration's name, lists, buttons and
// recovery actions save back byte for byte; a typed name reaches the ECU
// in one block write; a reset pulse's two writes stand at least its delay
// apart in the ECU's frame log; and a change of the ECU's variables
// reaches the live number and the state list with the poll that first read
// it, while unchanged bytes refresh nothing.
#include "pages/CCtrlButton.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlEdit.h"

#include "ControlSet.h"
#include "ControlsOnLine.h"
#include "SyntheticCalibration.h"
#include "config/CParametriFile.h"

#include <chrono>

using namespace vexar::pagestest;
using namespace vexar::link;
using namespace std::chrono_literals;
using vexar::ecusim::FrameRecord;
using vexar::ecusim::Image;

namespace {

// The synthetic calibration loads into real text fields, lists, buttons
// and recovery actions, and saves back as the same text.
TEST(ListsWithFiles, TheSyntheticCalibrationSavesBackByteForByte)
{
    SyntheticCalibration files;
    ASSERT_NO_FATAL_FAILURE(files.Install());

    CVEXARPages& app = *files.app;
    QWidget page;
    int made = 0;
    vexar::testing::ControlSet controls(
        files.par->Controls(), files.gdg->Controls(), app.m_clock,
        [&](const REC_CONTROLLO& record) -> std::unique_ptr<IDataCtrl> {
            std::unique_ptr<IDataCtrl> control;
            QWidget* widget = nullptr;
            switch (record.CATEGORIA) {
            case CTRL_EDIT: {
                auto* field = new CCtrlEdit(app, record, false, &page);
                field->SetMaxLength(std::get<EditBlock>(record.GRAFICA).NUM_BYTES);
                widget = field;
                control.reset(field);
                break;
            }
            case CTRL_COMBO:
            case CTRL_RIPR:
                widget = new CCtrlCombo(app, record, false, &page);
                control.reset(dynamic_cast<IDataCtrl*>(widget));
                break;
            case CTRL_BUTTON_CMD:
            case CTRL_RESET:
                widget = new CCtrlButton(app, record, false, &page);
                control.reset(dynamic_cast<IDataCtrl*>(widget));
                break;
            default:
                return nullptr;
            }
            widget->setParent(nullptr);  // the set owns it
            ++made;
            return control;
        });
    ASSERT_EQ(made, 7);
    CParametriFile file("", u"InfoFileParametri");
    controls.Attach(file);
    bool nameFound = false;
    ASSERT_EQ(files.Read(file, nameFound), 0);
    EXPECT_TRUE(nameFound);
    EXPECT_EQ(controls.Get<CCtrlEdit>(u"Nome_Calibrazione").text(), QString("CITY 1.2 GPL"));
    EXPECT_EQ(controls.Get<CCtrlCombo>(u"Numero_Cilindri").currentText(), QString("4 cylinders"));
    // The sensor errors' three actions, then the injectors' four.
    EXPECT_EQ(std::vector<std::uint8_t>(app.m_pParMaster.get() + 50, app.m_pParMaster.get() + 57),
              (std::vector<std::uint8_t>{0, 1, 1, 2, 0, 0, 2}));

    EXPECT_EQ(files.Saved(file), files.text);
}

class ListsOnLine : public ControlsOnLine {
protected:
    ListsOnLine() : ControlsOnLine(900, 400, 40)
    {
        BuildControls();
        StartLink(50);
    }

    // The synthetic configuration's name field and reset button on the
    // parameters, its pressure and ECU state on the variables.
    void BuildControls()
    {
        REC_CONTROLLO name = Def(101, u"Nome_Calibrazione", CTRL_EDIT, 0);
        std::get<EditBlock>(name.GRAFICA).NUM_BYTES = 16;
        name.DEFAULT = u"STANDARD";
        name.FIXDEF = FIX_OFF;
        nameField = Place(&CUtility::CreateCtrlEdit, name, par, 0, 1);
        REC_CONTROLLO reset = Def(110, u"Reset_Adattativi", CTRL_RESET, 25);
        std::get<ResetBlock>(reset.GRAFICA) = ResetBlock{RESET_IN_PAR, 1, 0, kDelayMs};
        resetButton = Place(&CUtility::CreateCtrlReset, reset, par, 1, 1);

        REC_CONTROLLO pressure = Def(202, u"Pressione_Riduttore", CTRL_NUMERIC, 2);
        Scale(pressure, 0.5);
        std::get<NumericBlock>(pressure.GRAFICA).FORMATO = u".#";
        numeric = Place(&CUtility::CreateCtrlNumeric, pressure, var, 0, 3);
        REC_CONTROLLO state = Def(207, u"Stato_Centralina", CTRL_STATO, 8);
        StatoBlock& items = std::get<StatoBlock>(state.GRAFICA);
        items.ETICHETTE_ITEMS = {u"Off", u"Petrol", u"Gas"};
        items.VALORE_ITEMS = {0, 1, 2};
        items.NUM_ITEMS = 3;
        stateList = Place(&CUtility::CreateCtrlStato, state, var, 1, 3);
    }

    // The parameter-block writes the ECU heard, in order.
    std::vector<FrameRecord> BlockWrites()
    {
        std::vector<FrameRecord> writes;
        for (const FrameRecord& record : rig.sim().FrameLog())
            if (record.kind == FrameRecord::Kind::Request && record.crcOk && record.bytes.size() > 9 &&
                record.bytes[2] == 2)
                writes.push_back(record);
        return writes;
    }

    static constexpr std::int32_t kDelayMs = 300;

    CCtrlEdit* nameField = nullptr;
    CCtrlButton* resetButton = nullptr;
    CCtrlEdit* numeric = nullptr;
    CCtrlCombo* stateList = nullptr;
};

// A typed calibration name reaches ECU bytes 0 to 15, zero-padded, in one
// block write.
TEST_F(ListsOnLine, ATypedNameReachesTheEcuInOneBlockWrite)
{
    Connect();
    rig.sim().ClearFrameLog();
    nameField->setFocus();
    nameField->selectAll();
    QTest::keyClicks(nameField, "CITY 1.4");
    QTest::keyClick(nameField, Qt::Key_Return);
    std::vector<std::uint8_t> expected = {'C', 'I', 'T', 'Y', ' ', '1', '.', '4'};
    expected.resize(16, 0);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return rig.sim().ReadImage(Image::Parameters, 0, 16) == expected; }, 10000));
    QTest::qWait(100);
    EXPECT_EQ(rig.sim().CountRequests(2), 1u);
    EXPECT_EQ(BlockWrites().size(), 1u);
}

// A name the ECU holds with a TAB and a line feed: saved to a calibration
// file and loaded back after the user renamed it, the ECU gets back the
// bytes it held, not a text split at the TAB or the line end.
TEST_F(ListsOnLine, ANameHoldingATabAndALineFeedSavesAndLoadsBackAsTheEcuHoldsIt)
{
    std::vector<std::uint8_t> held = {'C', 'I', 'T', 'Y', '\t', '1', '.', '2', '\n', 'G', 'P', 'L'};
    held.resize(16, 0);
    rig.sim().WriteImage(Image::Parameters, 0, held);
    Connect();
    const std::u16string text(held.begin(), held.end());
    ASSERT_TRUE(QTest::qWaitFor([&] { return nameField->StoredText() == text; }, 10000));

    vexar::testing::TempDir dir;
    CParametriFile file("", u"InfoFileParametri");
    file.SetControls(static_cast<std::int32_t>(par.size()), par.data(), 0, nullptr);
    ASSERT_EQ(file.Write(u"VXSIM", u"VXSIM-00001", dir.file("Name.DAT")), 0);

    nameField->setFocus();
    nameField->selectAll();
    QTest::keyClicks(nameField, "OTHER");
    QTest::keyClick(nameField, Qt::Key_Return);
    std::vector<std::uint8_t> other = {'O', 'T', 'H', 'E', 'R'};
    other.resize(16, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.sim().ReadImage(Image::Parameters, 0, 16) == other; }, 10000));

    std::u16string fileFirmware;
    bool nameFound = false;
    ASSERT_EQ(file.Read(u"VXSIM", u"VXSIM-00001", fileFirmware, dir.file("Name.DAT"), nameFound), 0);
    EXPECT_TRUE(nameFound);
    EXPECT_EQ(nameField->StoredText(), text);
    // The view stores what a load read and writes the whole image.
    vexar::ui::WindowMessage store{WM_CTRL_STORE, 0, 0, nullptr};
    nameField->Dispatch(store);
    app.PostLinkRequest(WM_LINK_WRITE_ALL);
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.sim().ReadImage(Image::Parameters, 0, 16) == held; }, 10000))
        << "the ECU holds what it held when the file was saved";
}

// A reset pulse: RESET and then NORMAL written to the ECU, the two frames
// the delay apart. The button posts NORMAL no sooner than the delay after
// RESET (its own tests time that); each write then waits for the worker
// and the ECU's reader, so the gap the ECU sees may lose that latency.
TEST_F(ListsOnLine, AResetPulsesTwoWritesAtLeastItsDelayApart)
{
    Connect();
    rig.sim().ClearFrameLog();
    QTest::mouseClick(resetButton, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return BlockWrites().size() == 2; }, 10000));
    const std::vector<FrameRecord> writes = BlockWrites();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].bytes[9], 1);
    EXPECT_EQ(writes[1].bytes[9], 0);
    constexpr auto kLatency = std::chrono::milliseconds(40);
    EXPECT_GE(writes[1].first - writes[0].first, std::chrono::milliseconds(kDelayMs) - kLatency);
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 25, 1)[0], 0);
}

// Unchanged bytes refresh nothing, however often they are polled; a
// scripted change reaches the live number and the state list with the poll
// whose reply first carried it, each with one refresh.
TEST_F(ListsOnLine, AVariableChangeReachesTheLiveListsWithThePollThatReadIt)
{
    Connect();
    AwaitPolls(3);
    adapter.Forget();
    AwaitPolls(4);
    EXPECT_TRUE(adapter.Of(numeric).empty());
    EXPECT_TRUE(adapter.Of(stateList).empty());

    rig.sim().ClearFrameLog();
    vexar::ecusim::VariableScript script;
    script.steps = {{20ms, 2, {25}}, {20ms, 8, {2}}};
    rig.sim().RunVariableScript(script);
    EXPECT_TRUE(QTest::qWaitFor([&] { return numeric->text() == "12.5"; }, 10000)) << numeric->text().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return stateList->currentText() == "Gas"; }, 10000));
    AwaitPolls(4);
    const std::vector<NotingAdapter::Refresh> numbers = adapter.Of(numeric);
    const std::vector<NotingAdapter::Refresh> states = adapter.Of(stateList);
    ASSERT_EQ(numbers.size(), 1u) << "unchanged bytes refresh nothing";
    ASSERT_EQ(states.size(), 1u);
    EXPECT_EQ(RepliesHolding(numbers[0].log, 2, 25), 1u) << "the refresh came with the first reply carrying it";
    EXPECT_EQ(RepliesHolding(states[0].log, 8, 2), 1u);
    EXPECT_EQ(rig.sim().CountRequests(2), 0u) << "nothing was written";
}

}  // namespace
