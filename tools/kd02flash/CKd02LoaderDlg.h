#pragma once

#include "platform/ui/WindowBase.h"
#include "tools/common/CIniFile.h"
#include "tools/common/ui/CToolRelaySink.h"
#include "tools/kd02flash/CKd02Programmer.h"

#include <QDialog>

#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace vexar::tools {

class CToolScript;

// kd02flash's main dialog: the image, the settings, the status list and the
// progress, with Start/Stop driving CKd02Programmer's worker.
class CKd02LoaderDlg : public QDialog, public ui::WindowBase {
public:
    // Control ids.
    enum {
        IDC_EXIT = 1, IDC_CLEAR_LIST = 1035, IDC_FILE = 1033, IDC_START = 1037, IDC_SETTINGS = 1038, IDC_ABOUT = 1048,
        IDC_START_ADDR = 1054, IDC_STOP_ADDR = 1055, IDC_CHECKSUM = 1057, IDC_SPACE_TEXT = 1062, IDC_PROGRESS_TEXT = 1063,
        IDC_PATH = 1064
    };
    // The Start/Stop button's looks: no image, ready, running.
    enum class StartLook { Inactive, Idle, Running };

    // `argument`: the start argument; `toolFolder` ends with '/'.
    CKd02LoaderDlg(std::string argument, std::string toolFolder, Kd02Timing timing = {}, QWidget* parent = nullptr);
    ~CKd02LoaderDlg() override;

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<ui::MessagePayload>& payload) override;

    // The buttons' handlers.
    void OnExit();
    void OnAbout();
    void OnClearList();
    void OnFile();
    void OnStart();
    void OnSettings();

    // What the dialog shows, for tests and the script seam.
    QListWidget* StatusList() const { return m_status; }
    QProgressBar* DownloadBar() const { return m_download; }
    QProgressBar* SpaceGauge() const { return m_space; }
    QString ProgressText() const;
    QString ControlText(int id) const;
    StartLook Look() const { return m_look; }
    bool FileEnabled() const { return m_fileEnabled; }
    CKd02Programmer& Programmer() { return m_programmer; }
    const std::string& IniPath() const { return m_iniPath; }
    bool ArgumentApplied() const { return m_argumentApplied; }
    // The test-only script that drives the dialog (not owned).
    void AttachScript(CToolScript* script) { m_script = script; }
    static const char* IniFileName() { return "KD02_Wait.ini"; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Escape: ends without writing the settings
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildControls();
    void ReadSettings();
    void WriteSettings();
    void ApplyStartArgument();
    void RestartWorker();
    void LoadImageFile(const std::string& path, bool binary);
    void ShowImage();
    void SetTitle(int port);
    void AddStatus(const std::u16string& line);
    void SetLook(StartLook look);
    void ShowProgress(long written, long address);
    void EndRunLook();
    int Box(const std::u16string& text, unsigned style);

    std::string m_argument;
    std::string m_toolFolder;
    std::string m_iniPath;
    CIniFile m_ini{IniLastLine::Terminated};
    CToolRelaySink m_sink;
    CKd02Programmer m_programmer;

    int m_logo = 0;
    std::string m_path;
    std::string m_fileName;
    StartLook m_look = StartLook::Inactive;
    bool m_fileEnabled = true;
    bool m_settingsEnabled = true;
    bool m_argumentApplied = false;
    bool m_ended = false;
    CToolScript* m_script = nullptr;

    QListWidget* m_status = nullptr;
    QLineEdit* m_start = nullptr;
    QLineEdit* m_stop = nullptr;
    QLineEdit* m_checksum = nullptr;
    QProgressBar* m_space = nullptr;
    QLabel* m_spaceText = nullptr;
    QProgressBar* m_download = nullptr;
    QLabel* m_progressText = nullptr;
    QLabel* m_pathText = nullptr;
    QPushButton* m_startButton = nullptr;
    QPushButton* m_fileButton = nullptr;
    QPushButton* m_settingsButton = nullptr;
};

}  // namespace vexar::tools
