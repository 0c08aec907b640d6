// ECU model recognition end to end, against the simulated ECU: another
// revision of the model on the bench is loaded, kept in the session and
// linked with, its folder spelt in either letter case; an ECU that no
// installed revision fits is told of twice and the connect ends, ready for
// the next; and every connect first moves to the newest installed revision
// of the selected one's family.
#include "EcuShell.h"

#include "CryptFixtures.h"
#include "common/Text.h"
#include "pages/CCtrlStatic.h"
#include "link/LinkMessages.h"
#include "platform/ui/DialogRequests.h"
#include "platform/ui/Messages.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"

#include <QTest>

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <map>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;

namespace {

// The files renamed into watched folders, by name: every whole-file write
// of the program (the session file, the parser's dump of each load) ends
// so.
class FileWrites {
public:
    FileWrites() : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) { EXPECT_GE(m_fd, 0); }
    ~FileWrites() { ::close(m_fd); }
    FileWrites(const FileWrites&) = delete;
    FileWrites& operator=(const FileWrites&) = delete;

    void Watch(const std::string& folder) { EXPECT_GE(inotify_add_watch(m_fd, folder.c_str(), IN_MOVED_TO), 0); }
    int Count(const std::string& name)
    {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0)
                    ++m_counts[event->name];
                at += sizeof(inotify_event) + event->len;
            }
        }
        return m_counts[name];
    }

private:
    int m_fd;
    std::map<std::string, int> m_counts;
};

// The lines of an enciphered file.
std::vector<std::u16string> CipherLines(const std::string& path)
{
    std::u16string text;
    std::string error;
    EXPECT_TRUE(crypt::ReadCipherText(path, text, error)) << error;
    std::vector<std::u16string> lines;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = std::min(text.find(u'\n', from), text.size());
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

// The second protocol's identification request.
constexpr std::uint8_t kIdentification = 7;

QColor Face(QWidget& pane)
{
    const QImage image = pane.grab().toImage();
    return image.pixelColor(image.width() - 4, 3);
}

class EcuModelShell : public EcuShellBase {
protected:
    // Watches the session file and every revision of the bench's ECU.
    void WatchWrites(const BENCH& bench)
    {
        m_writes.Watch(m_shell.Folder().Path());
        m_writes.Watch(RevisionFolder(bench.ecu, bench.revision));
        for (const std::string& revision : bench.moreRevisions)
            m_writes.Watch(RevisionFolder(bench.ecu, revision));
    }
    std::string RevisionFolder(const std::string& ecu, const std::string& revision)
    {
        return m_shell.Folder().File("Configuration/" + ecu + "/" + revision);
    }
    std::u16string ConfigName()
    {
        std::lock_guard lock(m_shell.App().m_csIdent);
        return m_shell.App().m_strConfigName;
    }
    // The configuration is `revision` of `ecu` everywhere the program
    // keeps it: the panes, the names, the paths and the session file.
    void ExpectConfiguration(const std::string& ecu, const std::string& revision)
    {
        CVEXARView& view = m_shell.View();
        EXPECT_EQ(m_shell.Frame().m_paneEcu->text().toStdString(), " ECU: " + ecu);
        EXPECT_EQ(m_shell.Frame().m_paneConfig->text().toStdString(), " ConfigPC: " + revision);
        EXPECT_EQ(ToUtf8(ConfigName()), revision);
        EXPECT_EQ(ToUtf8(view.m_strEcuFamily), ecu);
        const std::string base = RevisionFolder(ecu, revision) + "/" + revision;
        const std::array<std::string, 5> paths = {base + ".PAR", base + ".GPC", base + ".VAR", base + ".GVS",
                                                  base + ".GDG"};
        EXPECT_EQ(view.m_strConfigPaths, paths);
        const std::vector<std::u16string> session = CipherLines(m_shell.Folder().File("VEXARDef.cfg"));
        ASSERT_GE(session.size(), 9u);
        for (std::size_t i = 0; i < paths.size(); ++i)
            EXPECT_EQ(ToUtf8(session[4 + i]), paths[i]) << i;
    }

    FileWrites m_writes;
};

// The ECU answers as VXG4_R01170: two installed revisions fit it, which
// differ only in their last character; the greater is loaded, the session
// names it and the link comes up with it, after one load and one session
// write. The spelling of its folder on disk is the one kept.
class AnotherRevision : public EcuModelShell, public ::testing::WithParamInterface<const char*> {};

TEST_P(AnotherRevision, IsLoadedKeptAndLinkedWith)
{
    const std::string newest = GetParam();
    const BENCH bench{.moreRevisions = {"VXG4_R01170", newest}, .ident = "VXG4_R01170", .sessionPort = 3};
    StartBench(bench);
    WatchWrites(bench);
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    ExpectConfiguration("KD02_ECU", newest);
    EXPECT_EQ(m_shell.Frame().m_paneFirmware->text(), QStringLiteral(" Frmw ECU: VXG4_R01170"));
    EXPECT_TRUE(MasterAgreesWithEcu());
    EXPECT_EQ(m_shell.App().m_nParSize, static_cast<std::int32_t>(kParameterImage));
    EXPECT_EQ(m_writes.Count("ParserOut.txt"), 1);
    EXPECT_EQ(m_writes.Count("VEXARDef.cfg"), 1);
    EXPECT_EQ(m_shell.Dialogs().shown().size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Spellings, AnotherRevision, ::testing::Values("VXG4_R01171", "vxg4_r01171"),
                         [](const auto& info) { return std::string(info.param[0] == 'V' ? "Upper" : "Lower"); });

// The mismatch reaches the view while the worker is still ending its
// attempt: the configuration is chosen at once, but loaded, written to the
// session and connected with only when the worker reports the attempt
// ended.
TEST_F(EcuModelShell, TheChoiceWaitsForTheWorkerToEndItsAttempt)
{
    const BENCH bench{.moreRevisions = {"VXG4_R01170", "VXG4_R01171"}, .ident = "VXG4_R01170", .sessionPort = 3};
    StartBench(bench);
    WatchWrites(bench);
    TestApp& app = m_shell.App();
    CVEXARView& view = m_shell.View();
    const std::uint8_t* images = app.m_pParMaster.get();
    {
        std::lock_guard lock(app.m_csIdent);
        app.m_strIdentRead = u"VXG4_R01170";
    }
    // As the view stands between the worker's mismatch and its idle notice.
    view.m_bConnecting = true;
    view.m_nConnectsPosted = 1;
    app.ClearPosted();
    ui::SendMessage(&view, ui::WindowMessage{link::WM_ECU_MISMATCH, 1, 0, nullptr});
    EXPECT_EQ(ToUtf8(ConfigName()), "VXG4_R01171");
    EXPECT_EQ(app.m_pParMaster.get(), images);
    EXPECT_EQ(m_writes.Count("ParserOut.txt"), 0);
    EXPECT_EQ(m_writes.Count("VEXARDef.cfg"), 0);
    EXPECT_TRUE(app.Posted().empty());

    ui::SendMessage(&view, ui::WindowMessage{link::WM_LINK_IDLE, 0, 0, nullptr});
    EXPECT_EQ(m_writes.Count("ParserOut.txt"), 1);
    EXPECT_EQ(m_writes.Count("VEXARDef.cfg"), 1);
    // The load's own requests, then the connect once.
    const std::vector<unsigned> posted = app.Posted();
    EXPECT_EQ(std::count(posted.begin(), posted.end(), link::WM_LINK_CONNECT), 1);
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back(), link::WM_LINK_CONNECT);
    ASSERT_TRUE(WaitLinked(true));
    ExpectConfiguration("KD02_ECU", "VXG4_R01171");
    EXPECT_TRUE(MasterAgreesWithEcu());
}

// While a connect is with the worker, the ECU selection is refused, and a
// language change has the worker close the link it brings up before the
// reload: the pages are always those of the configuration named in the
// panes and the session, and no load is left waiting on the link.
TEST_F(EcuModelShell, NoLoadWaitsOnALinkThatAConnectBringsUp)
{
    const BENCH bench{.revision = "VXG4_R01071", .moreRevisions = {"VXG4_R01070"}, .ident = "VXG4_R01071",
                      .sessionPort = 3};
    StartBench(bench);
    CVEXARView& view = m_shell.View();
    const auto answer = ShellHarness::AnswerSelection(u"KD02_ECU", u"VXG4_R01070");
    // The first identification request goes unanswered: the connect stays
    // with the worker for one reply time-out, then links.
    m_sim->InjectFault(kIdentification, ecusim::Fault{ecusim::FaultKind::NoReply, 0, std::chrono::milliseconds(0)},
                       ecusim::Repeat::Once);
    Command(ID_CONNETTI);
    ASSERT_GT(view.m_nConnectsPosted, 0);
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3094");
    ui::SendMessage(&m_shell.Frame(), ui::CommandMessage(ID_LANGUAGE_FIRST + 1));
    Command(ID_CENTRALINA);
    EXPECT_EQ(m_shell.Dialogs().shown().size(), 1u) << "the selection asked";
    TestApp& app = m_shell.App();
    ASSERT_TRUE(WaitUntil([&] {
        return view.m_nConnectsPosted == 0 && !app.m_bBusy && !app.m_bLinked && !view.m_parRecords.empty() &&
               view.m_parRecords.front().ETICHETTA == u"Nome calibrazione";
    }));
    EXPECT_FALSE(view.m_bLoadPending);
    ExpectConfiguration("KD02_ECU", "VXG4_R01071");
    EXPECT_EQ(view.m_strParserFile, RevisionFolder("KD02_ECU", "VXG4_R01071") + "/Parser.txt");

    // Once the link is up a selection closes it, and the chosen
    // configuration is loaded.
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitUntil([&] { return app.m_bLinked && view.m_nConnectsPosted == 0 && !view.m_bConnecting; }));
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"I3094");
    Command(ID_CENTRALINA);
    ASSERT_TRUE(WaitUntil([&] { return !app.m_bLinked && !view.m_bLoadPending && !app.m_bBusy; }));
    ExpectConfiguration("KD02_ECU", "VXG4_R01070");
    EXPECT_EQ(view.m_strParserFile, RevisionFolder("KD02_ECU", "VXG4_R01070") + "/Parser.txt");
}

// Nothing installed fits VXG4_R01570: the model and the identification
// looked for, then the frame's unknown ECU on the red firmware pane; the
// configuration stays, the automatic choice is armed again and the next
// connect is taken.
TEST_F(EcuModelShell, AnEcuThatNothingFitsIsToldOfAndTheNextConnectIsTaken)
{
    const BENCH bench{.moreRevisions = {"VXG4_R01170"}, .ident = "VXG4_R01570", .sessionPort = 3};
    StartBench(bench);
    WatchWrites(bench);
    m_shell.Dialogs().ExpectMessageBox(ui::IDOK, u"E3201 KD02_ECU VXG4_R01570");
    m_shell.Dialogs().ExpectMessageBox(ui::IDOK, u"E3095 VXG4_R01070 VXG4_R01570");
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitUntil([&] { return m_shell.Dialogs().pending() == 0 && !m_shell.View().m_bConnecting; }));
    EXPECT_EQ(m_shell.Frame().m_paneFirmware->text(), QStringLiteral(" Frmw ECU: VXG4_R01570"));
    EXPECT_EQ(Face(*m_shell.Frame().m_paneFirmware), QColor(255, 0, 0));
    {
        std::lock_guard lock(m_shell.App().m_csAutoSelect);
        EXPECT_EQ(m_shell.App().m_bAutoSelect, 1);
    }
    EXPECT_FALSE(m_shell.App().m_bLinked);
    EXPECT_EQ(ToUtf8(ConfigName()), "VXG4_R01070");
    EXPECT_EQ(m_writes.Count("ParserOut.txt"), 0);
    EXPECT_EQ(m_writes.Count("VEXARDef.cfg"), 0);

    m_sim->SetIdent("VXG4_R01070");
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    ExpectConfiguration("KD02_ECU", "VXG4_R01070");
    EXPECT_TRUE(MasterAgreesWithEcu());
}

// The connect first moves to the newest revision of the selected one's
// family and links with it; once that is selected, nothing is reloaded.
TEST_F(EcuModelShell, TheConnectFirstMovesToTheNewestRevision)
{
    const BENCH bench{.moreRevisions = {"VXG4_R01071"}, .ident = "VXG4_R01070", .sessionPort = 3};
    StartBench(bench);
    WatchWrites(bench);
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    ExpectConfiguration("KD02_ECU", "VXG4_R01071");
    EXPECT_TRUE(MasterAgreesWithEcu());
    EXPECT_EQ(m_writes.Count("ParserOut.txt"), 1);
    EXPECT_EQ(m_writes.Count("VEXARDef.cfg"), 1);

    Command(ID_DISCONNETTI);
    ASSERT_TRUE(WaitLinked(false));
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    ExpectConfiguration("KD02_ECU", "VXG4_R01071");
    EXPECT_EQ(m_writes.Count("ParserOut.txt"), 1);
    EXPECT_EQ(m_writes.Count("VEXARDef.cfg"), 1);
    EXPECT_EQ(m_shell.Dialogs().shown().size(), 0u);
}

// A configuration outside the model's folder: the connect says which model
// and identification it looked for, and goes on with the configuration as
// it is.
TEST_F(EcuModelShell, AConfigurationOutsideTheModelsFolderIsToldOfAndConnects)
{
    BENCH bench;
    bench.ecu = "VXG4";
    StartBench(bench);
    m_shell.Dialogs().ExpectMessageBox(ui::IDOK, u"E3201 KD02_ECU VXG4_R01070");
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    EXPECT_EQ(ToUtf8(ConfigName()), "VXG4_R01070");
    EXPECT_EQ(ToUtf8(m_shell.View().m_strEcuFamily), "VXG4");
    EXPECT_TRUE(MasterAgreesWithEcu());
}

}  // namespace
