// The memory maintenance page in the variable window of the synthetic
// configuration, with the real link worker and the simulated ECU of each
// protocol: the buttons follow the link; reads and writes by address and
// by variable give the ECU's bytes and the exact frames; the lists, the
// ranges, the whole image, the reset and the keys.
#include "PagesOnLine.h"
#include "TestPageCtrl.h"

#include "dialogs/CDlgMaint.h"
#include "dialogs/CScrollResizeFunc.h"
#include "link/EcuTypes.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlBox.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlTab.h"
#include "pages/CCtrlStatic.h"
#include "pages/widgets/CCWNumEdit.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <mutex>
#include <set>

using namespace vexar;
using namespace vexar::pagestest;
using vexar::ecusim::Image;
using vexar::ecusim::Protocol;
using vexar::linktest::Bytes;
using vexar::linktest::FirstFrame;
using vexar::linktest::SecondFrame;

namespace {

constexpr int kButtonIds[] = {CDlgMaint::IDC_READ,        CDlgMaint::IDC_WRITE,      CDlgMaint::IDC_READ_VAR_BUTTON,
                              CDlgMaint::IDC_WRITE_VAR_BUTTON, CDlgMaint::IDC_READ_IMAGE, CDlgMaint::IDC_WRITE_IMAGE,
                              CDlgMaint::IDC_RESET_ECU};

std::string Name(const ::testing::TestParamInfo<Protocol>& info)
{
    return info.param == Protocol::First ? "FirstProtocol" : "SecondProtocol";
}

// Where the page made in the host's build is kept: a base made before the
// pages fixture builds the host.
struct MaintPageHolder {
    CDlgMaint* m_page = nullptr;
};

class MaintOnLine : protected MaintPageHolder,
                    public PagesOnLine,
                    public ::testing::WithParamInterface<Protocol> {
protected:
    MaintOnLine() : PagesOnLine(Options(GetParam(), this), GetParam()) {}

    // The real page on a 1024 x 768 screen at 96 pixels per inch, in the
    // configuration of the simulated ECU's protocol.
    static pagesfixture::PagesFixtureOptions Options(Protocol protocol, MaintOnLine* self)
    {
        pagesfixture::PagesFixtureOptions options;
        if (protocol == Protocol::First)
            options.tags = {{"PROTO", "PROT_KD01"}};
        options.maintPage = [self] {
            auto made = std::make_unique<CDlgMaint>(self->app);
            made->m_screenSize = [] { return QSize(1024, 768); };
            made->m_dpi = [] { return QSize(96, 96); };
            static_cast<MaintPageHolder*>(self)->m_page = made.get();
            return made;
        };
        return options;
    }

    void SetUp() override
    {
        ASSERT_NE(m_page, nullptr);
        ASSERT_TRUE(m_page->IsCreated());
        adapter.RegisterWindow(link::UiWindow::MaintPage, m_page);
        m_page->ReloadVariables();
    }

    bool First() const { return GetParam() == Protocol::First; }
    CDlgMaint& Page() { return *m_page; }

    // Shows the maintenance tab of the variable window.
    void ShowPage()
    {
        CDlgTabSB& host = fixture->Vars();
        ShowAndWait(host);
        for (int tab = 0; tab < static_cast<int>(host.m_tabMap.size()); ++tab)
            if (host.m_pages[static_cast<std::size_t>(host.m_tabMap[static_cast<std::size_t>(tab)])].window == m_page) {
                host.Strip().SetCurSel(tab);
                host.ShowPage(tab);
            }
        ASSERT_TRUE(Page().isVisible());
    }

    void Click(int id)
    {
        QPushButton& button = Page().Button(id);
        ASSERT_TRUE(button.isEnabled());
        button.click();
    }
    // Chooses `identifier`'s item in a variable list as the user does.
    void Choose(int listId, const std::u16string& identifier)
    {
        CCtrlCombo& list = Page().List(listId);
        for (int i = 0; i < list.count(); ++i) {
            if (list.itemText(i).toStdU16String().rfind(identifier + u" [", 0) == 0) {
                list.setCurrentIndex(i);
                emit list.activated(i);
                QCoreApplication::processEvents();
                return;
            }
        }
        ADD_FAILURE() << "no item for the variable";
    }
    std::vector<Bytes> RequestsWith(std::uint8_t command)
    {
        std::vector<Bytes> found;
        const std::size_t at = First() ? 1 : 2;
        for (const Bytes& frame : rig.Requests())
            if (frame.size() > at && frame[at] == command)
                found.push_back(frame);
        return found;
    }
    Bytes Frame(std::uint8_t command, const Bytes& payload) const
    {
        return First() ? FirstFrame(command, payload) : SecondFrame(command, payload);
    }

};

INSTANTIATE_TEST_SUITE_P(BothProtocols, MaintOnLine, ::testing::Values(Protocol::First, Protocol::Second), Name);

TEST_P(MaintOnLine, TheButtonsFollowTheLink)
{
    for (int id : kButtonIds)
        EXPECT_FALSE(Page().Button(id).isEnabled()) << id << " before the link";
    Connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Page().Button(CDlgMaint::IDC_RESET_ECU).isEnabled(); }, 5000));
    for (int id : kButtonIds)
        EXPECT_TRUE(Page().Button(id).isEnabled()) << id << " linked";
    app.PostLinkRequest(link::WM_LINK_DISCONNECT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Page().Button(CDlgMaint::IDC_RESET_ECU).isEnabled(); }, 5000));
    for (int id : kButtonIds)
        EXPECT_FALSE(Page().Button(id).isEnabled()) << id << " after the disconnect";
}

// Values by address are most significant byte first in the ECU.
struct READ_CASE {
    const char* size;
    Bytes memory;
    const char* shown;
};

TEST_P(MaintOnLine, ReadsByAddressShowTheEcusBytesMostSignificantFirst)
{
    const READ_CASE cases[] = {{"WORD", {0x12, 0x34}, "4660"},
                               {"LONG", {0x12, 0x34, 0x56, 0x78}, "305419896"},
                               {"BYTE", {0xFF}, "255"}};
    constexpr int kAddress = 20;
    Connect();
    for (const READ_CASE& read : cases) {
        SCOPED_TRACE(read.size);
        rig.sim().WriteImage(Image::Parameters, kAddress, read.memory);
        Page().Field(CDlgMaint::IDC_READ_ADDRESS).SetValue(kAddress);
        Page().List(CDlgMaint::IDC_READ_SIZE).setCurrentText(QString::fromLatin1(read.size));
        Page().ValueLabel().clear();
        Click(CDlgMaint::IDC_READ);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Page().ValueLabel().text() == QLatin1String(read.shown); }, 10000))
            << Page().ValueLabel().text().toStdString();
    }

    // A read the link refuses (past the memory it reaches) comes back with
    // its result and leaves the value shown.
    const int beyond = First() ? app.m_nParSize - 1 : 0xFFFE;
    Page().Field(CDlgMaint::IDC_READ_ADDRESS).SetValue(beyond);
    Page().List(CDlgMaint::IDC_READ_SIZE).setCurrentText(QStringLiteral("LONG"));
    Click(CDlgMaint::IDC_READ);
    Served();
    QCoreApplication::processEvents();
    EXPECT_EQ(Page().ValueLabel().text(), QStringLiteral("255"));
}

TEST_P(MaintOnLine, AWordWriteByAddressSendsItsBytesMostSignificantFirst)
{
    constexpr std::uint8_t kAddress = 20;
    Connect();
    rig.sim().ClearFrameLog();
    Page().Field(CDlgMaint::IDC_WRITE_ADDRESS).SetValue(kAddress);
    Page().List(CDlgMaint::IDC_WRITE_SIZE).setCurrentText(QStringLiteral("WORD"));
    Page().Field(CDlgMaint::IDC_WRITE_VALUE).SetValue(4660);
    Click(CDlgMaint::IDC_WRITE);
    Served();
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, kAddress, 2), (Bytes{0x12, 0x34}));
    if (First())
        EXPECT_EQ(RequestsWith(2), (std::vector<Bytes>{FirstFrame(2, {kAddress, 0x00, 0x12}),
                                                        FirstFrame(2, {kAddress + 1, 0x00, 0x34})}));
    else
        EXPECT_EQ(RequestsWith(4), (std::vector<Bytes>{SecondFrame(4, {0x00, kAddress, 0x02, 0x12, 0x34})}));
}

// Every variable and diagnosis row with a definition, each text once, in
// order; a row without a control is not listed.
TEST_P(MaintOnLine, TheListsHoldEveryVariableAndDiagnosisRowOnceInOrder)
{
    QWidget rows;
    auto* row = new TestLive(app, PageDef(901, CTRL_NUMERIC, u"Row", 40), &rows);
    REC_CONTROLLO twinDefinition = PageDef(902, CTRL_NUMERIC, u"Twin", 3);
    twinDefinition.IDENTIFICATORE = u"Temperatura_Gas";  // the same text as the variable's
    auto* twin = new TestLive(app, twinDefinition, &rows);
    const CTRL_TABLE diagnosis = {row->Entry(), twin->Entry(), CTRL_WND{.key = 903}};
    Page().m_diagTable = [&diagnosis] { return &diagnosis; };
    Page().ReloadVariables();

    std::set<std::u16string> expected;
    for (const REC_CONTROLLO& definition : fixture->varDefs)
        expected.insert(vexar::Format(u"%s [0x%08x]", definition.IDENTIFICATORE, definition.LSB));
    expected.insert(u"ID_901 [0x00000028]");
    for (int listId : {CDlgMaint::IDC_READ_VAR, CDlgMaint::IDC_WRITE_VAR}) {
        CCtrlCombo& list = Page().List(listId);
        std::vector<std::u16string> shown;
        for (int i = 0; i < list.count(); ++i)
            shown.push_back(list.itemText(i).toStdU16String());
        EXPECT_EQ(std::set<std::u16string>(shown.begin(), shown.end()), expected);
        EXPECT_EQ(shown.size(), expected.size()) << "a text listed twice";
        for (std::size_t i = 1; i < shown.size(); ++i)
            EXPECT_LE(QString::fromStdU16String(shown[i - 1]).compare(QString::fromStdU16String(shown[i]),
                                                                      Qt::CaseInsensitive),
                      0)
                << "not sorted at " << i;
        EXPECT_EQ(list.currentIndex(), -1);
    }
}

TEST_P(MaintOnLine, AChosenVariableGivesItsFieldTheRawRangeAndAReadItsRawValue)
{
    // Temperatura_Gas: -40 to 120 degrees, raw = degrees + 40.
    Choose(CDlgMaint::IDC_READ_VAR, u"Temperatura_Gas");
    Choose(CDlgMaint::IDC_WRITE_VAR, u"Temperatura_Gas");
    for (int id : {CDlgMaint::IDC_READ_VAR_VALUE, CDlgMaint::IDC_WRITE_VAR_VALUE}) {
        const CCWNumEdit& field = Page().Field(id);
        EXPECT_EQ(field.GetMinimum(), 0) << id;
        EXPECT_EQ(field.GetMaximum(), 160) << id;
        EXPECT_EQ(field.GetValue(), 0) << id;
    }

    Connect();
    const std::uint8_t raw[] = {0x9B};
    rig.sim().WriteImage(Image::Variables, 3, raw);
    Click(CDlgMaint::IDC_READ_VAR_BUTTON);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Page().Field(CDlgMaint::IDC_READ_VAR_VALUE).GetValue() == 0x9B; }, 10000))
        << Page().Field(CDlgMaint::IDC_READ_VAR_VALUE).GetValue();
}

// A variable write changes only the variable's own bits: its type and
// mask make the pair, whatever its category (Rapporto_Tempi is computed).
struct VARIABLE_WRITE_CASE {
    const char16_t* identifier;
    std::uint8_t address;
    double value;
    Bytes before;
    Bytes after;
    std::vector<Bytes> firstFrames;  // command 6, one per byte
    Bytes secondPayload;             // command 6: address, keep-mask, value
};

TEST_P(MaintOnLine, AVariableWriteSendsTheExactMaskedFrame)
{
    const VARIABLE_WRITE_CASE cases[] = {
        {u"Tempo_Inj_Gas", 4, 4660, {0xAA, 0xBB, 0xCC}, {0x12, 0x34, 0xCC},
         {{4, 0x00, 0x12}, {5, 0x00, 0x34}}, {0x00, 4, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x34, 0x12}},
        {u"Rapporto_Tempi", 14, 4660, {0xAA, 0xBB, 0xCC}, {0x12, 0x34, 0xCC},
         {{14, 0x00, 0x12}, {15, 0x00, 0x34}}, {0x00, 14, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x34, 0x12}},
        {u"Elettrovalvole_Gas", 7, 1, {0xF0, 0x55, 0x66}, {0xF1, 0x55, 0x66},
         {{7, 0xFE, 0x01}}, {0x00, 7, 0xFF, 0xFF, 0xFF, 0xFE, 0x00, 0x00, 0x00, 0x01}},
    };
    Connect();
    for (const VARIABLE_WRITE_CASE& write : cases) {
        SCOPED_TRACE(QString::fromStdU16String(write.identifier).toStdString());
        rig.sim().WriteImage(Image::Variables, write.address, write.before);
        rig.sim().ClearFrameLog();
        Choose(CDlgMaint::IDC_WRITE_VAR, write.identifier);
        Page().Field(CDlgMaint::IDC_WRITE_VAR_VALUE).SetValue(write.value);
        Click(CDlgMaint::IDC_WRITE_VAR_BUTTON);
        Served();
        std::vector<Bytes> expected;
        if (First())
            for (const Bytes& payload : write.firstFrames)
                expected.push_back(FirstFrame(6, payload));
        else
            expected.push_back(SecondFrame(6, write.secondPayload));
        EXPECT_EQ(RequestsWith(6), expected);
        EXPECT_EQ(rig.sim().ReadImage(Image::Variables, write.address, 3), write.after);
    }
}

// A falling conversion gives the raw MIN above the raw MAX: the field
// still takes the smaller as its minimum, and the raw MIN as its value.
TEST_P(MaintOnLine, AFallingConversionGivesTheFieldItsSmallerLimitAsMinimum)
{
    QWidget rows;
    REC_CONTROLLO definition = PageDef(911, CTRL_NUMERIC, u"Falling", 41);
    definition.MIN = u"0";
    definition.MAX = u"100";
    definition.TIPO_CONV = CONV_FORM;
    definition.CONVERSIONE = ConvForm{.A = -1, .B = 0, .C = 0, .D = 1, .E = 200};  // physical = 200 - raw
    auto* falling = new TestLive(app, definition, &rows);
    const CTRL_TABLE diagnosis = {falling->Entry()};
    Page().m_diagTable = [&diagnosis] { return &diagnosis; };
    Page().ReloadVariables();
    Choose(CDlgMaint::IDC_WRITE_VAR, u"ID_911");
    const CCWNumEdit& field = Page().Field(CDlgMaint::IDC_WRITE_VAR_VALUE);
    EXPECT_EQ(field.GetMinimum(), 100);
    EXPECT_EQ(field.GetMaximum(), 200);
    EXPECT_EQ(field.GetValue(), 200);
}

// The diagnosis rows going empties both lists: no choice names one of
// their controls, and a read or write of the old choice sends nothing.
TEST_P(MaintOnLine, TheRowsGoingEmptyBothLists)
{
    Connect();
    auto rows = std::make_unique<QWidget>();
    auto* row = new TestLive(app, PageDef(921, CTRL_NUMERIC, u"Row", 42), rows.get());
    CTRL_TABLE diagnosis = {row->Entry()};
    Page().m_diagTable = [&diagnosis] { return &diagnosis; };
    Page().ReloadVariables();
    Choose(CDlgMaint::IDC_READ_VAR, u"ID_921");
    Choose(CDlgMaint::IDC_WRITE_VAR, u"ID_921");

    // What the view does before the diagnosis window destroys its rows.
    Page().ForgetVariables();
    diagnosis.clear();
    rows.reset();
    for (int listId : {CDlgMaint::IDC_READ_VAR, CDlgMaint::IDC_WRITE_VAR}) {
        EXPECT_EQ(Page().List(listId).count(), 0);
        EXPECT_EQ(Page().List(listId).currentIndex(), -1);
    }
    rig.sim().ClearFrameLog();
    Click(CDlgMaint::IDC_READ_VAR_BUTTON);
    Click(CDlgMaint::IDC_WRITE_VAR_BUTTON);
    Page().OnRefreshReadVariables();
    ui::SendMessage(&Page(), {link::WM_LINK_READ_VARIABLE, 0, link::RES_OK, {}});
    Served();
    EXPECT_TRUE(RequestsWith(6).empty());
    EXPECT_TRUE(RequestsWith(5).empty());

    // The next load's reload lists what is there now.
    Page().ReloadVariables();
    EXPECT_EQ(Page().List(CDlgMaint::IDC_READ_VAR).count(), Page().List(CDlgMaint::IDC_WRITE_VAR).count());
    EXPECT_GT(Page().List(CDlgMaint::IDC_READ_VAR).count(), 0);
}

TEST_P(MaintOnLine, TheWholeImageGoesBothWaysAndTheResetIsSent)
{
    Connect();
    // Upload PC: the workstation's image becomes the ECU's, with progress.
    const Bytes ecu = linktest::Pattern(static_cast<std::size_t>(app.m_nParSize), 0x21);
    rig.sim().WriteImage(Image::Parameters, 0, ecu);
    const int steps = view->progressSteps;
    const int closed = view->progressClosed;
    Click(CDlgMaint::IDC_READ_IMAGE);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->progressClosed > closed; }, 20000));
    EXPECT_GT(view->progressSteps, steps);
    {
        std::lock_guard lock(app.m_csParImage);
        EXPECT_EQ(Bytes(app.m_pParMaster.get(), app.m_pParMaster.get() + app.m_nParSize), ecu);
    }

    // Download PC: a byte changed in the workstation lands in the ECU.
    constexpr int kChanged = 30;
    const std::uint8_t changed = static_cast<std::uint8_t>(ecu[kChanged] ^ 0x5A);
    {
        std::lock_guard lock(app.m_csParImage);
        app.m_pParMaster[kChanged] = changed;
    }
    const int written = view->progressClosed;
    Click(CDlgMaint::IDC_WRITE_IMAGE);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->progressClosed > written; }, 20000));
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, kChanged, 1), (Bytes{changed}));

    // Reset ECU: command 8.
    const std::size_t resets = rig.sim().CountRequests(8);
    Click(CDlgMaint::IDC_RESET_ECU);
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.sim().CountRequests(8) > resets; }, 10000));
}

TEST_P(MaintOnLine, FunctionKeysSelectTheHostsPagesAndEscapeHidesTheHost)
{
    ShowPage();
    CDlgTabSB& host = fixture->Vars();
    QTest::keyClick(&Page().Field(CDlgMaint::IDC_READ_ADDRESS), Qt::Key_F2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return host.CurrentTab() == 1; }, 2000));
    EXPECT_FALSE(Page().isVisible());

    ShowPage();
    QTest::keyClick(&Page().Button(CDlgMaint::IDC_READ), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(host.isVisible()) << "Enter is swallowed";
    QTest::keyClick(&Page().Button(CDlgMaint::IDC_READ), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !host.isVisible(); }, 2000));
}

// At opening: the captions from the language file (and from the new one
// after a language change), BYTE chosen, the address fields in their
// hexadecimal format up to the memory the protocol reaches by address.
TEST_P(MaintOnLine, OpeningCaptionsSizesAndLimits)
{
    const double top = First() ? app.m_nParSize : 65535;
    for (int id : {CDlgMaint::IDC_READ_ADDRESS, CDlgMaint::IDC_WRITE_ADDRESS})
        EXPECT_EQ(Page().Field(id).GetMaximum(), top) << id;
    for (int id : {CDlgMaint::IDC_WRITE_VALUE, CDlgMaint::IDC_READ_VAR_VALUE, CDlgMaint::IDC_WRITE_VAR_VALUE})
        EXPECT_EQ(Page().Field(id).GetMaximum(), 5000) << id;

    auto caption = [&](int id) { return dynamic_cast<CCtrlBox&>(*ui::GetDlgItem(Page(), id)).GetWindowText(); };
    auto label = [&](int id) { return dynamic_cast<CCtrlStatic&>(*ui::GetDlgItem(Page(), id)).text(); };
    EXPECT_EQ(caption(CDlgMaint::IDC_READ_BOX), u"Read by address");
    EXPECT_EQ(caption(CDlgMaint::IDC_WRITE_VAR_BOX), u"Write a variable");
    EXPECT_EQ(label(CDlgMaint::IDC_READ_ADDRESS_LABEL), QStringLiteral("Address:"));
    EXPECT_EQ(label(CDlgMaint::IDC_WRITE_VAR_LABEL), QStringLiteral("Variable:"));
    EXPECT_EQ(Page().List(CDlgMaint::IDC_READ_SIZE).currentText(), QStringLiteral("BYTE"));
    EXPECT_EQ(Page().List(CDlgMaint::IDC_WRITE_SIZE).currentText(), QStringLiteral("BYTE"));
    Page().Field(CDlgMaint::IDC_READ_ADDRESS).SetValue(0x2A);
    EXPECT_EQ(Page().Field(CDlgMaint::IDC_READ_ADDRESS).GetText(), u"0x0000002A");

    fixture->Vars().UpdateTabTitles(fixture->LangFile(u"Italiano"));
    EXPECT_EQ(caption(CDlgMaint::IDC_READ_BOX), u"Lettura da indirizzo");
    EXPECT_EQ(label(CDlgMaint::IDC_READ_VALUE_LABEL), QStringLiteral("Valore:"));
}

// The page scrolls only while its window is smaller than its controls
// reach, and goes back to the origin when the bars go.
TEST_P(MaintOnLine, ScrollBarsOnlyWhileThePageIsSmallerThanItsContent)
{
    ShowPage();
    CScrollResizeFunc& scroll = Page().Scroll();
    const QRect content = scroll.ContentRect();
    const QRect box = Page().DialogUnitsToPixels(QRect(0, 0, CDlgMaint::kTemplateWidth, CDlgMaint::kTemplateHeight));
    EXPECT_EQ(content.size(), box.size());

    Page().resize(content.width() / 2, content.height() / 2);
    QCoreApplication::processEvents();
    ASSERT_TRUE(scroll.VerticalBar()->isVisible());
    ASSERT_TRUE(scroll.HorizontalBar()->isVisible());
    QWidget& reset = Page().Button(CDlgMaint::IDC_RESET_ECU);
    const QPoint start = reset.pos();
    scroll.OnVScroll(CScrollResizeFunc::SB_LINEDOWN, 0);
    EXPECT_EQ(reset.pos(), start - QPoint(0, 10));
    scroll.OnHScroll(CScrollResizeFunc::SB_PAGERIGHT, 0);
    EXPECT_LT(reset.pos().x(), start.x());

    Page().resize(content.width() + 10, content.height() + 10);
    QCoreApplication::processEvents();
    EXPECT_FALSE(scroll.VerticalBar()->isVisible());
    EXPECT_FALSE(scroll.HorizontalBar()->isVisible());
    EXPECT_EQ(reset.pos(), start);
}

// The controls grow with the resolution above 96 pixels per inch and with
// the screen from 1024 x 768, and both together; the content with them.
struct FIT_CASE {
    const char* name;
    QSize dpi;
    QSize screen;
    double x;  // the scale of places and sizes across
    double y;  // and down
};

TEST(MaintPage, TheControlsGrowWithTheResolutionAndTheScreen)
{
    const FIT_CASE cases[] = {{"96 dpi, 1024 x 768", {96, 96}, {1024, 768}, 1.0, 1.0},
                              {"144 x 120 dpi", {144, 120}, {1024, 768}, 1.5, 1.25},
                              {"1280 x 1024", {96, 96}, {1280, 1024}, 1.25, 1.25},
                              {"120 dpi on 1600 x 1200", {120, 120}, {1600, 1200}, 1.25 * 1.5625, 1.25 * 1.5625}};
    for (const FIT_CASE& fit : cases) {
        SCOPED_TRACE(fit.name);
        CVEXARPages app;
        QWidget strip;
        strip.resize(1000, 700);
        CDlgMaint page(app);
        page.m_dpi = [&] { return fit.dpi; };
        page.m_screenSize = [&] { return fit.screen; };
        page.SetPageFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        ASSERT_TRUE(page.Create(strip));
        const QRect design = page.DialogUnitsToPixels(QRect(493, 304, 54, 30));
        const QRect placed = page.Button(CDlgMaint::IDC_RESET_ECU).geometry();
        // Each step cuts to whole pixels: a pixel either way for each.
        EXPECT_NEAR(placed.left(), design.left() * fit.x, 2);
        EXPECT_NEAR(placed.top(), design.top() * fit.y, 2);
        EXPECT_NEAR(placed.width(), design.width() * fit.x, 2);
        EXPECT_NEAR(placed.height(), design.height() * fit.y, 2);
        const QRect content = page.Scroll().ContentRect();
        const QSize template_ = page.DialogUnitsToPixels(QRect(0, 0, CDlgMaint::kTemplateWidth,
                                                                CDlgMaint::kTemplateHeight)).size();
        EXPECT_NEAR(content.width(), template_.width() * fit.x, 2);
        EXPECT_NEAR(content.height(), template_.height() * fit.y, 2);
        page.Close();
        EXPECT_FALSE(page.IsCreated());
        EXPECT_EQ(page.Window(), nullptr);
    }
}

}  // namespace
