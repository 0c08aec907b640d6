#pragma once

#include "platform/ui/WindowBase.h"
#include "tools/common/CIniFile.h"
#include "tools/common/CToolPortList.h"
#include "tools/common/LoaderTexts.h"
#include "tools/common/ToolCommandLine.h"
#include "tools/common/ui/CToolRelaySink.h"

#include <QColor>
#include <QDialog>

#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace vexar::tools {

struct LOADER_IMAGE;
class CToolLine;
class CToolScript;

// What the boot-loader tools' main dialogs share: the status list, the
// image's read-only fields, the space and download bars with their texts,
// the path line and the button row; the settings file beside the tool;
// boxes under the tool's caption; and an end that stops the worker once,
// whether by Exit, Escape or the close box.
class CLoaderDlgBase : public QDialog, public ui::WindowBase {
public:
    // Control ids.
    enum {
        IDC_EXIT = 1, IDC_FILE = 1033, IDC_CLEAR_LIST = 1035, IDC_START = 1037, IDC_SETTINGS = 1038, IDC_ABOUT = 1048,
        IDC_START_ADDR = 1054, IDC_STOP_ADDR = 1055, IDC_PRG_COUNT = 1056, IDC_CHECKSUM = 1057,
        IDC_SPACE_TEXT = 1062, IDC_PROGRESS_TEXT = 1063, IDC_PATH = 1064
    };

    // Exit: the worker stopped, then the tool's own order of saving and
    // ending.
    virtual void OnExit() = 0;
    virtual void OnAbout();

    // What the dialog shows, for tests and the script seam.
    QListWidget* StatusList() const { return m_status; }
    QProgressBar* DownloadBar() const { return m_download; }
    QString ControlText(int id) const;
    QPushButton* Button(int id) const;
    // The download bar's colour, as painted last.
    QColor BarColour() const { return m_barColour; }
    bool ArgumentApplied() const { return m_argumentApplied; }
    const std::string& IniPath() const { return m_iniPath; }
    // The test-only script that drives the dialog (not owned).
    void AttachScript(CToolScript* script) { m_script = script; }

protected:
    // What differs from tool to tool in the frame.
    struct Identity {
        const char16_t* caption;       // boxes' caption, also the tool's file name
        const char* iniFileName;       // beside the tool
        IniLastLine iniLastLine;
        QString contextMenuText;       // the window menu's about entry
        CToolRelaySink::CodeLine codeLine = {};
    };
    struct FieldLayout {
        bool prgCount;                 // the reset vector has a field
        bool barCaptions;              // "Space used" and "Download" before the bars
        int spaceMinimum, spaceMaximum;
        int width, height;
    };
    struct ButtonSpec {
        int id;
        const char* text;
        const char* objectName;
        std::function<void()> handler;
    };

    CLoaderDlgBase(const Identity& identity, std::string argument, std::string toolFolder, QWidget* parent);

    void BuildControls(const FieldLayout& layout, std::initializer_list<ButtonSpec> buttons);
    // Start, stop, reset vector (where shown), checksum and path; the
    // progress text cleared.
    void ShowImageTexts(const LOADER_IMAGE& image);
    // One line, its line break dropped, selected and drawn at once.
    void AddStatus(const std::u16string& line);
    void PaintBar(const QColor& colour);
    int Box(const std::u16string& text, unsigned style);
    // Loader messages as boxes under the tool's caption.
    CLoaderReporter& BoxReporter() { return m_reporter; }
    // The tool's serial line, owned by its programmer.
    virtual CToolLine& ToolLine() = 0;
    // The settings every tool keeps: logo, port, speed, the image's name
    // and folder. Written before a tool's own keys, so that a new file
    // lists each section's keys in the tool's order.
    void ReadCommonSettings();
    void WriteCommonSettings();
    // Saves the settings file; a failure is said.
    void SaveSettingsFile();
    // Reads the start argument and takes the items every tool knows (port,
    // speed, logo, the image's folder and name); the rest is the caller's.
    ToolArguments ApplyCommonArguments(ToolKind tool);
    // The folder and name of a file chosen in the Open dialog.
    void TakeChosenFile(const std::string& chosen);
    // Closes the sink and stops the worker the first time only; false once
    // the dialog has ended.
    bool EndWorkerOnce();
    // Joins the tool's worker (after the sink has been closed).
    virtual void StopWorker() = 0;
    // The window's title naming the port in use.
    virtual void SetTitle(int port) = 0;
    // The Open dialog in the image folder; the file chosen, if any.
    std::optional<std::string> ChooseImageFile(const char16_t* filter, const char16_t* defaultExtension);
    // The port settings dialog; on OK its port and speed become the line's.
    bool AskPortSettings(bool withSpeeds);

    // The port scan's questions as boxes, the port chosen in the title and
    // a port that would not open as a status line, in the tool's words.
    class ScanPrompts : public IPortScanPrompts, public IPortAdvanceReport {
    public:
        ScanPrompts(CLoaderDlgBase& dlg, std::u16string conflictQuestion, std::u16string noPortText,
                    std::function<std::u16string(int port, int error)> openFailedLine = {});
        // The English texts.
        explicit ScanPrompts(CLoaderDlgBase& dlg, std::function<std::u16string(int port, int error)> openFailedLine = {});
        bool AskContinueDespiteConflict() override;
        void ShowNoPortFound() override;
        void PortChosen(int port) override;
        void OpenFailed(int port, int systemError) override;

    private:
        CLoaderDlgBase& m_dlg;
        std::u16string m_conflictQuestion;
        std::u16string m_noPortText;
        std::function<std::u16string(int, int)> m_openFailedLine;
    };
    void NotifyArgumentApplied();
    void NotifyRunEnded();

    void closeEvent(QCloseEvent* event) override;
    // Escape ends the dialog without writing the settings, but still waits
    // for the worker, so that nothing drives the port after the window.
    void reject() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    std::string m_argument;
    std::string m_toolFolder;
    std::string m_iniPath;
    CIniFile m_ini;
    CToolRelaySink m_sink;
    int m_logo = 0;
    std::string m_path;
    std::string m_fileName;
    bool m_argumentApplied = false;
    CToolScript* m_script = nullptr;

    QListWidget* m_status = nullptr;
    QLineEdit* m_start = nullptr;
    QLineEdit* m_stop = nullptr;
    QLineEdit* m_prgCount = nullptr;
    QLineEdit* m_checksum = nullptr;
    QProgressBar* m_space = nullptr;
    QLabel* m_spaceText = nullptr;
    QProgressBar* m_download = nullptr;
    QLabel* m_progressText = nullptr;
    QLabel* m_pathText = nullptr;

private:
    class Reporter : public CLoaderReporter {
    public:
        explicit Reporter(CLoaderDlgBase& dlg) : m_dlg(dlg) {}
        void ShowMessage(const std::u16string& text) override;

    private:
        CLoaderDlgBase& m_dlg;
    };

    std::u16string m_caption;
    QString m_contextMenuText;
    Reporter m_reporter{*this};
    std::map<int, QPushButton*> m_buttons;
    QColor m_barColour;
    bool m_ended = false;
};

}  // namespace vexar::tools
