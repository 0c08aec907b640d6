#pragma once

// What the shell's window tests share: a program folder of their own with
// language files whose texts name their ids, the settings and session
// files, the remote settings, the OBD library and the synthetic
// configuration; the application object started on it with the test's
// dialog responder; answers to the modal dialogs the program opens; and
// the exit road taken to its end.

#include "DefinitionFixtures.h"
#include "ScriptedResponder.h"
#include "TempDir.h"
#include "pages/core/LayoutSettings.h"
#include "shell/CVEXARApp.h"

#include <QApplication>
#include <QTimer>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class CMainFrame;
class CVEXARView;

namespace vexar::shelltest {

// The text of id `id` in the tests' English file: "E<id>", except the
// texts the program formats, which keep their "%s".
std::u16string TestText(int id);
// The same in Italian: "I<id>".
std::u16string TestItalianText(int id);

// A program folder (VEXAR_HOME) with an empty COM folder (VEXAR_COM_DIR),
// both put back as they were when it goes.
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::string& Path() const { return m_home.path(); }
    std::string File(const std::string& name) const { return m_home.file(name); }
    std::string ComFolder() const { return m_home.file("COM"); }

    // Lang/GestLang.cfg with English.lng and Italiano.lng, and their petrol
    // companions.
    void WriteLanguages();
    // VEXAR.cfg: version 1.0.0, the values given, then `tail` after value 49.
    void WriteSettings(const LAYOUT_SETTINGS& layout = {}, int kLine = 0, int edition = 0,
                       const std::vector<std::u16string>& tail = {});
    // VEXARDef.cfg: profile, language file name, COM `port`, the five paths.
    void WriteSession(const std::u16string& langFile, const std::array<std::string, 5>& paths = {},
                      const std::u16string& profile = u"OPR_PBL", int port = 1);
    void WriteRemote();
    void InstallObdLibrary(const std::string& from);
    fixtures::SyntheticConfiguration InstallConfiguration(const std::string& ecu = "VXG4",
                                                          const std::string& revision = "VXG4_R0107");
    // The five paths of an installed configuration, in session order.
    static std::array<std::string, 5> ConfigPaths(const fixtures::SyntheticConfiguration& installed);
    // What an installation gives: languages, settings, the session in
    // English without a configuration, the remote settings and the
    // library.
    void MakeFresh();

private:
    testing::TempDir m_home;
    std::optional<std::string> m_oldHome;
    std::optional<std::string> m_oldComDir;
};

// Runs `act` on the next modal dialog of type T once it shows, while the
// handle lives.
template <class T>
[[nodiscard]] std::unique_ptr<QTimer> WhenModal(std::function<void(T&)> act)
{
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(5);
    QObject::connect(timer.get(), &QTimer::timeout, [timer = timer.get(), act = std::move(act)] {
        if (auto* dialog = dynamic_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            act(*dialog);
        }
    });
    timer->start();
    return timer;
}

// The application object of the tests: the program's, noting every
// request it posts to the link worker (the request still goes).
class TestApp : public CVEXARApp {
public:
    using CVEXARApp::CVEXARApp;

    bool PostLinkRequest(unsigned id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0,
                         std::unique_ptr<vexar::link::LinkPayload> payload = nullptr) override;
    // The ids posted since the last ClearPosted, in order.
    std::vector<unsigned> Posted() const;
    void ClearPosted();

private:
    mutable std::mutex m_postedLock;
    std::vector<unsigned> m_posted;
};

// Replaces `from` by `to` in an enciphered file.
void RewriteCipherFile(const std::string& path, const std::u16string& from, const std::u16string& to);

// Processes events until `done` or the time-out; the result of `done`.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));

class ShellHarness {
public:
    ShellHarness();
    ~ShellHarness();

    ProgramFolder& Folder() { return m_folder; }
    uitest::ScriptedResponder& Dialogs() { return *m_dialogs; }
    TestApp& App() { return *m_app; }
    CMainFrame& Frame();
    CVEXARView& View();

    // The application object made anew (before Start).
    void MakeApp(vexar::link::LinkTiming timing = {});
    // InitInstance; its result.
    bool Start();
    // Starts on a fresh folder with the synthetic configuration installed,
    // chooses it in the selection dialog and waits for its load.
    // `prepare` runs on the folder before the start.
    void StartWithConfiguration(const std::string& ecu = "VXG4", const std::string& revision = "VXG4_R0107",
                                const std::function<void(const fixtures::SyntheticConfiguration&)>& prepare = {});
    // Chooses `ecu` and `revision` in the selection dialog when it shows.
    [[nodiscard]] static std::unique_ptr<QTimer> AnswerSelection(const std::u16string& ecu,
                                                                 const std::u16string& revision);
    [[nodiscard]] static std::unique_ptr<QTimer> CancelSelection();

    // The exit road from the frame's close to the worker's end and the
    // frame's close; then ExitInstance. Its exit code.
    int Exit();

private:
    ProgramFolder m_folder;
    std::unique_ptr<uitest::ScriptedResponder> m_dialogs;
    std::unique_ptr<TestApp> m_app;
    std::unique_ptr<QTimer> m_answer;
};

// Whether the frame's update-UI handlers leave menu item `id` enabled (a
// failed check when the menu has no such item).
bool ItemEnabled(CMainFrame& frame, unsigned id);

}  // namespace vexar::shelltest
