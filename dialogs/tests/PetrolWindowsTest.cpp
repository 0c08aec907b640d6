// The petrol live-values window offscreen: rows in PID order from the
// requested and supported tables, values and failures on their rows,
// records for rows not shown, PID.cfg by profile, and Benz.cfg.
#include "dialogs/CDlgDinamSVBenz.h"
#include "dialogs/CDlgDiagBenz.h"
#include "dialogs/CDlgAcqBenz.h"
#include "link/ILinkUiSink.h"
#include "pages/widgets/CCWNumEdit.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlStatic.h"
#include "platform/ui/CButtonMfc.h"

#include "DialogTestSupport.h"
#include "common/CStdioFileEx.h"
#include "dialogs/core/PetrolRules.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlList.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/MessagePayload.h"
#include "platform/ui/Messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTreeWidgetItem>

#include <filesystem>

using namespace vexar;
using dialogtest::ProgramHome;
using vexar::link::OBD_PID_RESULT;

namespace {

// The width a column's header and rows need, the column left as it was.
int NeededWidth(QTreeWidget& list, int column)
{
    const int width = list.columnWidth(column);
    list.resizeColumnToContents(column);
    const int needed = list.columnWidth(column);
    list.setColumnWidth(column, width);
    return needed;
}

// Pixels of the list's text colour (dark) in row `row`'s description and
// value cells.
int DarkPixels(QTreeWidget& list, int row)
{
    const QImage shot = list.viewport()->grab().toImage();
    const QRect cells = list.visualItemRect(list.topLevelItem(row))
                            .adjusted(list.columnWidth(0), 0, -list.columnWidth(3), 0);
    int dark = 0;
    for (int y = cells.top(); y <= cells.bottom(); ++y)
        for (int x = cells.left(); x <= cells.right() && x < shot.width(); ++x)
            dark += shot.pixelColor(x, y).lightness() < 90 ? 1 : 0;
    return dark;
}

const dialogtest::Texts kTexts = {{3285, u"PID"}, {3286, u"Descrizione"}, {3287, u"Valore"}, {3288, u"Unità"}};

class PetrolWindow : public ::testing::Test {
protected:
    PetrolWindow()
    {
        std::filesystem::create_directories(home.path() + "/Lang");
        CStdioFileEx file;
        file.Open(home.path() + "/Lang/Benz_Test.lng",
                  CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode);
        file.WriteString(u"PID03D Fuel system status\nPID0CD  Engine speed\nPID0CM rpm\nPID0DD Vehicle speed\n"
                         u"PID0DM km/h\n");
        file.Close();
        for (int pid : {0x03, 0x0C, 0x0D, 0x05})
            app.m_nPidSupported[pid] = 1;
        for (int pid : {0x0D, 0x03, 0x0C, 0x11})
            app.m_nPidRequested[pid] = 1;
        app.m_nOperator = 1;
        window.m_strLangFile = home.LangFile();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        window.m_statusBarRect = QRect(0, screen.bottom() - 20, screen.width(), 20);
    }
    ~PetrolWindow() override { window.Close(); }

    std::vector<std::pair<QString, QString>> Rows() const
    {
        std::vector<std::pair<QString, QString>> rows;
        for (int row = 0; row < window.List().topLevelItemCount(); ++row)
            rows.emplace_back(window.List().topLevelItem(row)->text(0), window.List().topLevelItem(row)->text(2));
        return rows;
    }

    void Send(int pid, const OBD_PID_RESULT& result)
    {
        ui::SendMessage(&window, {link::WM_OBD_PID_VALUE, static_cast<std::uintptr_t>(pid), 0,
                                  ui::BoxPayload(std::unique_ptr<link::LinkPayload>(new OBD_PID_RESULT(result)))});
    }

    ProgramHome home{kTexts};
    CVEXARPages app;
    CDlgDinamSVBenz window{app};
};

TEST_F(PetrolWindow, RowsValuesAndFailures)
{
    ASSERT_TRUE(window.Create(nullptr));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    using Table = std::vector<std::pair<QString, QString>>;
    EXPECT_EQ(Rows(), (Table{{"03", "---"}, {"0C", "---"}, {"0D", "---"}})) << "requested and supported, in PID order";
    EXPECT_EQ(window.List().topLevelItem(1)->text(1), "Engine speed");
    EXPECT_EQ(window.List().topLevelItem(1)->text(3), "rpm");
    EXPECT_EQ(CUtility::PidRowImage(window.List(), 1), 3);
    // The default columns: the PID column shows the image and the digits
    // in this font, and the unit column fills the list inside its frame
    // and scroll bar, measured before the window was ever shown.
    QTreeWidget& list = window.List();
    EXPECT_GE(list.columnWidth(0), NeededWidth(list, 0));
    EXPECT_GE(list.columnWidth(0), 40);
    EXPECT_EQ(list.columnWidth(1), 100);
    EXPECT_EQ(list.columnWidth(2), 80);
    const int bar = list.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_GT(list.columnWidth(3), 0);
    EXPECT_EQ(list.columnWidth(0) + 180 + list.columnWidth(3), list.width() - 2 * list.frameWidth() - bar);

    OBD_PID_RESULT rpm;
    rpm.status = 0;
    rpm.form = link::ObdForm::OneInteger;
    rpm.integer = 1726;
    Send(0x0C, rpm);
    OBD_PID_RESULT fuel;
    fuel.status = 0;
    fuel.fuel1 = 1;
    fuel.fuel2 = 7;
    Send(0x03, fuel);
    EXPECT_EQ(Rows(), (Table{{"03", "CL; ---"}, {"0C", "1726"}, {"0D", "---"}}));
    EXPECT_EQ(CUtility::PidRowImage(window.List(), 1), 1);
    rpm.status = 2;
    Send(0x0C, rpm);
    EXPECT_EQ(window.List().topLevelItem(1)->text(2), "NoResponseFromEcu");
    EXPECT_EQ(CUtility::PidRowImage(window.List(), 1), 2);
    // A value for a row not shown changes nothing (its record goes with it).
    rpm.status = 0;
    Send(0x05, rpm);
    EXPECT_EQ(Rows().size(), 3u);

    // Rows come and go by the selection, in order.
    {
        std::lock_guard lock(app.m_csPid);
        app.m_nPidRequested[0x05] = 1;
    }
    window.ShowPid(0x05, true);
    window.ShowPid(0x05, true);
    // The row added is selected, and its texts show on the selection.
    ASSERT_EQ(window.List().currentItem(), window.List().topLevelItem(1));
    EXPECT_GT(DarkPixels(window.List(), 1), 3) << "the selected row's \"---\" does not show";
    window.ShowPid(0x0C, false);
    EXPECT_EQ(Rows(), (Table{{"03", "CL; ---"}, {"05", "---"}, {"0D", "---"}}));
    window.ShowPid(0x11, true);
    EXPECT_EQ(Rows().size(), 3u) << "not supported: no row";

    // Only the owner closes it.
    window.close();
    EXPECT_TRUE(window.isVisible());
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(PetrolWindow, PidFileByProfile)
{
    const std::string pidFile = home.path() + "/PID.cfg";
    for (int profile : {0, 4, 5}) {
        app.m_nOperator = profile;
        ASSERT_TRUE(window.Create(nullptr));
        window.Close();
        EXPECT_FALSE(std::filesystem::exists(pidFile)) << "profile " << profile;
        ASSERT_TRUE(window.Create(nullptr));
        window.SavePidList();
        EXPECT_TRUE(std::filesystem::exists(pidFile)) << "a change to profile " << profile;
        std::filesystem::remove(pidFile);
        app.m_nOperator = 1;
        window.SavePidList();
        EXPECT_FALSE(std::filesystem::exists(pidFile));
        window.Close();
        ASSERT_TRUE(std::filesystem::exists(pidFile)) << "a privileged close writes it";
        const auto requested = link::CObdBinding::ReadPidFile(pidFile);
        ASSERT_TRUE(requested.has_value());
        EXPECT_EQ((*requested)[0x03] + (*requested)[0x0C] + (*requested)[0x0D], 3);
        EXPECT_EQ(std::count(requested->begin(), requested->end(), 1), 3);
        std::filesystem::remove(pidFile);
    }
}

TEST_F(PetrolWindow, LayoutIsKeptInBenzCfg)
{
    const std::string benz = home.path() + "/Benz.cfg";
    ASSERT_TRUE(window.Create(nullptr));
    const QRect first = window.geometry();
    window.Close();
    EXPECT_FALSE(std::filesystem::exists(benz)) << "closing unmoved writes nothing";

    ASSERT_TRUE(window.Create(nullptr));
    window.setGeometry(100, 120, 330, 180);
    window.List().setColumnWidth(1, 150);
    window.Close();
    ASSERT_TRUE(std::filesystem::exists(benz));
    ASSERT_TRUE(window.Create(nullptr));
    EXPECT_EQ(window.geometry(), QRect(100, 120, 330, 180));
    EXPECT_EQ(window.List().columnWidth(1), 150);
    window.Close();

    // A place on no screen takes the default place.
    ASSERT_TRUE(CUtility::WriteBenzLayout(benz, {-50000, -50000, 300, 200}, {40, 100, 80, 60}));
    ASSERT_TRUE(window.Create(nullptr));
    EXPECT_EQ(window.geometry().topLeft(), first.topLeft());
    EXPECT_EQ(window.List().columnWidth(3), 60);
    window.Close();
}

// The requests the page posts, noted.
class NotingApp : public CVEXARPages {
public:
    bool PostLinkRequest(unsigned id, std::uintptr_t, std::intptr_t, std::unique_ptr<link::LinkPayload>) override
    {
        requests.push_back(id);
        return true;
    }
    std::vector<unsigned> requests;
};

TEST(PetrolDtcPage, ReadingsReplaceTheRows)
{
    ProgramHome home({{3085, u"Codice"}, {3086, u"Descrizione"}, {3044, u"Spento"}, {3045, u"Acceso"},
                      {3105, u"Reset"}});
    std::filesystem::create_directories(home.path() + "/Lang");
    {
        CStdioFileEx file;
        file.Open(home.path() + "/Lang/Benz_Test.lng",
                  CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode);
        file.WriteString(u"P0133 O2 sensor slow response\nP0420 Catalyst efficiency low\n");
        file.Close();
    }
    NotingApp app;
    QWidget strip;
    CDlgDiagBenz page(app);
    page.SetLanguageFile(home.LangFile());
    ASSERT_TRUE(page.Create(strip));
    EXPECT_EQ(page.ResetButton().text(), "Reset");
    EXPECT_EQ(page.Label().text(), "Spento");
    EXPECT_EQ(page.List().headerItem()->text(0), "Codice");
    // The description column reaches the list's right edge before the page
    // was ever shown.
    const int bar = page.List().style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_EQ(page.List().columnWidth(0), 150);
    EXPECT_EQ(page.List().columnWidth(1), page.List().width() - 2 * page.List().frameWidth() - bar - 150);
    EXPECT_GT(page.List().columnWidth(1), 300);

    auto send = [&](int status, const std::string& codes, int count) {
        auto list = std::make_unique<link::OBD_DTC_LIST>();
        list->status = status;
        list->codes.assign(codes.begin(), codes.end());
        list->count = count;
        ui::SendMessage(&page, {link::WM_OBD_DTC_LIST, 0, 0,
                                ui::BoxPayload(std::unique_ptr<link::LinkPayload>(std::move(list)))});
    };
    auto rows = [&] {
        std::vector<std::pair<QString, QString>> shown;
        for (int row = 0; row < page.List().topLevelItemCount(); ++row)
            shown.emplace_back(page.List().topLevelItem(row)->text(0), page.List().topLevelItem(row)->text(1));
        return shown;
    };
    using Table = std::vector<std::pair<QString, QString>>;
    const std::string two = "P0133P0420" + std::string(5 * 125, '\0');
    send(0, two, 2);
    send(0, two, 2);
    EXPECT_EQ(rows(), (Table{{"P0133", "O2 sensor slow response"}, {"P0420", "Catalyst efficiency low"}}))
        << "two equal readings: one row per code";
    send(0, two, 0);
    EXPECT_TRUE(rows().empty());
    send(0, "P0133", 40);
    EXPECT_EQ(rows().size(), 1u) << "never beyond the buffer";
    send(1, two, 2);
    EXPECT_EQ(rows(), (Table{{"---", "ComunicationError"}})) << "a failed reading is no empty list";
    send(2, two, 2);
    EXPECT_TRUE(rows().empty()) << "no data: no codes";

    // The switch and the button ask the worker (only while it runs).
    page.Switch().SetValue(true);
    EXPECT_TRUE(app.requests.empty()) << "no worker";
    page.Close();
}

// Notes the posts to the windows.
class NotingSink : public link::ILinkUiSink {
public:
    void Post(link::UiWindow window, const IDataCtrl*, link::LinkMessage message) override
    {
        posts.push_back({window, message.id, message.wParam, message.lParam});
    }
    void ShowError(std::u16string) override {}
    struct Seen {
        link::UiWindow window;
        unsigned id;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    std::vector<Seen> posts;
};

class PetrolAcqPage : public ::testing::Test {
protected:
    PetrolAcqPage()
    {
        for (int pid : {0x00, 0x0D, 0x03, 0x0C, 0x20})
            app.m_nPidSupported[pid] = 1;
        app.m_nPidRequested[0x0C] = 1;
        app.m_obdData.status = {0, 2, 0};
        app.m_obdData.flags[0][0] = 1;
        app.m_bObdLinked = 1;
        app.m_pUiSink = &sink;
        page.SetLanguageFile(home.LangFile());
    }
    ~PetrolAcqPage() override
    {
        page.Close();
        app.m_pUiSink = nullptr;
    }
    std::vector<QString> Codes() const
    {
        std::vector<QString> codes;
        for (int row = 0; row < page.List().topLevelItemCount(); ++row)
            codes.push_back(page.List().topLevelItem(row)->text(0));
        return codes;
    }

    ProgramHome home{{{3044, u"Spento"}, {3045, u"Tutti"}}};
    NotingApp app;
    NotingSink sink;
    QWidget strip;
    CDlgAcqBenz page{app};
};

TEST_F(PetrolAcqPage, PrivilegedProfilesTickThePids)
{
    app.m_nOperator = 1;
    ASSERT_TRUE(page.Create(strip));
    EXPECT_EQ(Codes(), (std::vector<QString>{"00", "03", "0C", "0D", "20"}));
    EXPECT_EQ(page.List().topLevelItem(0)->text(2), "10000000000000000000000000000000") << "the bitmap of PID 00";
    EXPECT_EQ(page.List().topLevelItem(4)->text(2), "NoResponseFromEcu") << "the bitmap read of PID 20 failed";
    ASSERT_TRUE(page.HasCheckBoxes());
    EXPECT_EQ(page.List().topLevelItem(2)->checkState(0), Qt::Checked);
    // The PID column holds the check box, the row image and the digits.
    EXPECT_GE(page.List().columnWidth(0), NeededWidth(page.List(), 0));
    EXPECT_GE(page.List().columnWidth(0), 60);
    EXPECT_EQ(page.List().topLevelItem(3)->checkState(0), Qt::Unchecked);
    EXPECT_TRUE(sink.posts.empty()) << "building the rows asks for nothing";

    page.List().topLevelItem(3)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(app.m_nPidRequested[0x0D], 1);
    page.List().topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(app.m_nPidRequested[0x0C], 0);
    ASSERT_EQ(sink.posts.size(), 2u);
    EXPECT_EQ(sink.posts[0].window, link::UiWindow::View);
    EXPECT_EQ(sink.posts[0].id, link::WM_OBD_PID_SELECTION);
    EXPECT_EQ(sink.posts[0].wParam, 0x0Du);
    EXPECT_EQ(sink.posts[0].lParam, 1);
    EXPECT_EQ(sink.posts[1].wParam, 0x0Cu);
    EXPECT_EQ(sink.posts[1].lParam, 0);

    // A value reaches its row; one for a PID the page does not list is dropped.
    OBD_PID_RESULT speed;
    speed.status = 0;
    speed.integer = 50;
    ui::SendMessage(&page, {link::WM_OBD_PID_VALUE, 0x0D, 0,
                            ui::BoxPayload(std::unique_ptr<link::LinkPayload>(new OBD_PID_RESULT(speed)))});
    ui::SendMessage(&page, {link::WM_OBD_PID_VALUE, 0x05, 0,
                            ui::BoxPayload(std::unique_ptr<link::LinkPayload>(new OBD_PID_RESULT(speed)))});
    EXPECT_EQ(page.List().topLevelItem(3)->text(2), "50");

    // A profile without the choice loses the boxes; back again, they follow the table.
    app.m_nOperator = 4;
    page.RefreshChecks();
    EXPECT_FALSE(page.HasCheckBoxes());
    app.m_nOperator = 2;
    page.RefreshChecks();
    ASSERT_TRUE(page.HasCheckBoxes());
    EXPECT_EQ(page.List().topLevelItem(3)->checkState(0), Qt::Checked);
    EXPECT_EQ(sink.posts.size(), 2u) << "a refresh posts nothing";

    // The link goes down: no rows, the switch off.
    page.SetConnected(false);
    EXPECT_EQ(page.List().topLevelItemCount(), 0);
    EXPECT_FALSE(page.Switch().isEnabled());
}

TEST_F(PetrolAcqPage, OtherProfilesHaveNoBoxesAndThePeriodIsBounded)
{
    for (int profile : {0, 4, 5}) {
        app.m_nOperator = profile;
        ASSERT_TRUE(page.Create(strip));
        EXPECT_EQ(Codes().size(), 5u);
        EXPECT_FALSE(page.HasCheckBoxes()) << profile;
        page.Close();
    }
    ASSERT_TRUE(page.Create(strip));
    app.requests.clear();
    for (double bad : {-100.0, 5.0, 700000.0, 12.5})
        emit page.PeriodField().valueChanged(bad);
    EXPECT_TRUE(app.requests.empty()) << "no period outside 10 ms to 655,350 ms";
    emit page.PeriodField().valueChanged(250);
    EXPECT_EQ(app.requests, std::vector<unsigned>{link::WM_LINK_OBD_SET_PERIOD});
}

}  // namespace
