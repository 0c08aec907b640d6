#include "ShellHarness.h"

#include "CryptFixtures.h"
#include "common/Text.h"
#include "dialogs/CDlgSelCentr.h"
#include "platform/AtomicFile.h"
#include "platform/ui/CmdUI.h"
#include "platform/ui/Menu.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CSettingsFile.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace vexar::shelltest {

namespace {

constexpr int kFirstText = 3000;
constexpr int kLastText = 3300;

std::optional<std::string> Swap(const char* name, const std::string& value)
{
    std::optional<std::string> old;
    if (const char* set = std::getenv(name))
        old = set;
    setenv(name, value.c_str(), 1);
    return old;
}

void Restore(const char* name, const std::optional<std::string>& old)
{
    if (old)
        setenv(name, old->c_str(), 1);
    else
        unsetenv(name);
}

// A language file as the system keeps them: UTF-16 little-endian with a
// byte-order mark, one "id<TAB>text" line per text.
void WriteLanguageFile(const std::string& path, std::u16string (*text)(int))
{
    std::u16string content = u"\xFEFF";
    for (int id = kFirstText; id <= kLastText; ++id)
        content += Format(u"%d\t", id) + text(id) + u"\r\n";
    std::string bytes;
    for (char16_t unit : content) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    ASSERT_TRUE(platform::WriteFileAtomically(path, bytes));
}

// A text file in UTF-16 little-endian with a byte-order mark.
void WriteUtf16File(const std::string& path, const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    ASSERT_TRUE(platform::WriteFileAtomically(path, bytes));
}

void WriteCipher(const std::string& path, const std::u16string& text)
{
    std::string error;
    ASSERT_TRUE(crypt::WriteCipherText(path, text, error)) << error;
}

}  // namespace

std::u16string TestText(int id)
{
    switch (id) {
    case 3007: return u"E3007 %s";
    case 3078: return u"E3078 %s";
    case 3095: return u"E3095 %s %s";
    case 3125: return u"E3125 %s %s";
    case 3201: return u"E3201 %s %s";
    case 3274: return u"E3274 %s";
    default: return Format(u"E%d", id);
    }
}

std::u16string TestItalianText(int id) { return Format(u"I%d", id); }

// ---- Program folder ---------------------------------------------------------------

ProgramFolder::ProgramFolder()
    : m_oldHome(Swap("VEXAR_HOME", m_home.path())), m_oldComDir(Swap("VEXAR_COM_DIR", m_home.file("COM")))
{
    std::filesystem::create_directories(m_home.file("COM"));
    std::filesystem::create_directories(m_home.file("Log"));
}

ProgramFolder::~ProgramFolder()
{
    Restore("VEXAR_HOME", m_oldHome);
    Restore("VEXAR_COM_DIR", m_oldComDir);
}

void ProgramFolder::WriteLanguages()
{
    std::filesystem::create_directories(File("Lang"));
    testing::WriteAll(File("Lang/GestLang.cfg"), "English.lng\r\nItaliano.lng\r\n");
    WriteLanguageFile(File("Lang/English.lng"), &TestText);
    WriteLanguageFile(File("Lang/Italiano.lng"), &TestItalianText);
    // The petrol companions, English in UTF-16 and Italian in ANSI, as
    // either may come.
    WriteUtf16File(File("Lang/Benz_English.lng"), fixtures::FixtureText("Lang/Benz_English.lng"));
    testing::WriteAll(File("Lang/Benz_Italiano.lng"), ToCp1252(fixtures::FixtureText("Lang/Benz_Italiano.lng")));
}

void ProgramFolder::WriteSettings(const LAYOUT_SETTINGS& layout, int kLine, int edition,
                                  const std::vector<std::u16string>& tail)
{
    WriteCipher(File("VEXAR.cfg"), shell::CSettingsFile::SettingsText(u"1.0.0", static_cast<std::uint8_t>(kLine),
                                                                      edition, layout, tail));
}

void ProgramFolder::WriteSession(const std::u16string& langFile, const std::array<std::string, 5>& paths,
                                 const std::u16string& profile, int port)
{
    std::u16string text = profile + u"\n" + langFile + Format(u"\n%d\n\\\\.\\COM%d\n", port, port);
    for (const std::string& path : paths)
        text += ToUtf16(path) + u"\n";
    WriteCipher(File("VEXARDef.cfg"), text);
}

void ProgramFolder::WriteRemote()
{
    WriteCipher(File("Remote.cfg"), u"0.0.0.0\t// Indirizzo IP Server Bridge\n0\t// Numero porta Server Bridge\n"
                                    u"1\t// 1 = Master, 0 = Slave\n1\t// Timeout in ricezione sul socket espresso in secondi");
}

void ProgramFolder::InstallObdLibrary(const std::string& from)
{
    std::filesystem::copy_file(from, File("libobdvane.so"), std::filesystem::copy_options::overwrite_existing);
}

fixtures::SyntheticConfiguration ProgramFolder::InstallConfiguration(const std::string& ecu,
                                                                     const std::string& revision)
{
    fixtures::SyntheticConfiguration installed;
    std::string error;
    EXPECT_TRUE(fixtures::InstallSyntheticConfiguration(Path(), ecu, revision, installed, error)) << error;
    return installed;
}

std::array<std::string, 5> ProgramFolder::ConfigPaths(const fixtures::SyntheticConfiguration& installed)
{
    const std::string base = installed.folder + installed.revision;
    return {base + ".PAR", base + ".GPC", base + ".VAR", base + ".GVS", base + ".GDG"};
}

void ProgramFolder::MakeFresh()
{
    WriteLanguages();
    WriteSettings();
    WriteSession(u"English.lng");
    WriteRemote();
    InstallObdLibrary(OBDVANE_FILE);
}

void RewriteCipherFile(const std::string& path, const std::u16string& from, const std::u16string& to)
{
    std::u16string text;
    std::string error;
    ASSERT_TRUE(crypt::ReadCipherText(path, text, error)) << error;
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::u16string::npos) << ToUtf8(from);
    text.replace(at, from.size(), to);
    WriteCipher(path, text);
}

// ---- Harness ----------------------------------------------------------------------

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    return QTest::qWaitFor(done, static_cast<int>(timeout.count()));
}

ShellHarness::ShellHarness() : m_dialogs(std::make_unique<uitest::ScriptedResponder>()) {}

ShellHarness::~ShellHarness()
{
    m_answer.reset();
    m_app.reset();
    m_dialogs.reset();
}

bool TestApp::PostLinkRequest(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                              std::unique_ptr<link::LinkPayload> payload)
{
    {
        std::lock_guard lock(m_postedLock);
        m_posted.push_back(id);
    }
    return CVEXARApp::PostLinkRequest(id, wParam, lParam, std::move(payload));
}

std::vector<unsigned> TestApp::Posted() const
{
    std::lock_guard lock(m_postedLock);
    return m_posted;
}

void TestApp::ClearPosted()
{
    std::lock_guard lock(m_postedLock);
    m_posted.clear();
}

void ShellHarness::MakeApp(link::LinkTiming timing)
{
    m_app = std::make_unique<TestApp>(timing);
    m_app->m_screenSize = [] { return QSize(1024, 768); };
}

CMainFrame& ShellHarness::Frame() { return *m_app->MainFrame(); }
CVEXARView& ShellHarness::View() { return *m_app->MainFrame()->GetActiveView(); }

bool ShellHarness::Start()
{
    if (!m_app)
        MakeApp();
    return m_app->InitInstance();
}

std::unique_ptr<QTimer> ShellHarness::AnswerSelection(const std::u16string& ecu, const std::u16string& revision)
{
    return WhenModal<CDlgSelCentr>([ecu, revision](CDlgSelCentr& dialog) {
        const int ecuIndex = dialog.EcuList().findText(QString::fromStdU16String(ecu), Qt::MatchFixedString);
        EXPECT_GE(ecuIndex, 0);
        dialog.EcuList().setCurrentIndex(ecuIndex);
        emit dialog.EcuList().activated(ecuIndex);
        const int revisionIndex =
            dialog.FirmwareList().findText(QString::fromStdU16String(revision), Qt::MatchFixedString);
        EXPECT_GE(revisionIndex, 0);
        dialog.FirmwareList().setCurrentIndex(revisionIndex);
        emit dialog.FirmwareList().activated(revisionIndex);
        QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    });
}

std::unique_ptr<QTimer> ShellHarness::CancelSelection()
{
    return WhenModal<CDlgSelCentr>([](CDlgSelCentr& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
}

void ShellHarness::StartWithConfiguration(const std::string& ecu, const std::string& revision,
                                          const std::function<void(const fixtures::SyntheticConfiguration&)>& prepare)
{
    m_folder.MakeFresh();
    const fixtures::SyntheticConfiguration installed = m_folder.InstallConfiguration(ecu, revision);
    if (prepare)
        prepare(installed);
    m_answer = AnswerSelection(ToUtf16(ecu), ToUtf16(revision));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitUntil([this] { return !View().m_bFirstStart && !m_app->m_bBusy && !View().m_bSlotsUnset; }));
}

int ShellHarness::Exit()
{
    Frame().OnClose();
    EXPECT_TRUE(WaitUntil([this] { return !Frame().isVisible(); }));
    m_app->JoinLinkThread();
    return m_app->ExitInstance();
}

bool ItemEnabled(CMainFrame& frame, unsigned id)
{
    const auto item = frame.MenuBar().FindCommand(id);
    EXPECT_TRUE(item.has_value()) << id;
    if (!item)
        return false;
    ui::CmdUI ui(id, item->item);
    frame.UpdateCommandUI(ui);
    return item->item->isEnabled();
}

}  // namespace vexar::shelltest
