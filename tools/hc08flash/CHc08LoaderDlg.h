#pragma once

#include "platform/ui/WindowBase.h"
#include "tools/common/CIniFile.h"
#include "tools/common/ui/CToolRelaySink.h"
#include "tools/hc08flash/CHc08Programmer.h"

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

// hc08flash's main dialog: the handheld microcontroller's image, the
// settings, the status list and the progress; Start/Stop drives the
// worker of CHc08Programmer, which lives as long as the dialog.
class CHc08LoaderDlg : public QDialog, public ui::WindowBase {
public:
    enum {
        IDC_EXIT = 1, IDC_FILE = 1033, IDC_CLEAR_LIST = 1035, IDC_START = 1037, IDC_SETTINGS = 1038,
        IDC_ABOUT = 1048, IDC_START_ADDR = 1054, IDC_STOP_ADDR = 1055, IDC_PRG_COUNT = 1056, IDC_CHECKSUM = 1057,
        IDC_SPACE_TEXT = 1062, IDC_PROGRESS_TEXT = 1063, IDC_PATH = 1064
    };

    CHc08LoaderDlg(std::string argument, std::string toolFolder, Hc08Timing timing = {},
                   CHc08Programmer::Clock clock = {}, QWidget* parent = nullptr);
    ~CHc08LoaderDlg() override;

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<ui::MessagePayload>& payload) override;

    void OnExit();
    void OnAbout();
    void OnClearList();
    void OnFile();
    void OnStartStop();
    void OnSettings();

    QListWidget* StatusList() const { return m_status; }
    QProgressBar* DownloadBar() const { return m_download; }
    QPushButton* Button(int id) const;
    QString ControlText(int id) const;
    QColor BarColour() const { return m_barColour; }
    CHc08Programmer& Programmer() { return m_programmer; }
    bool ArgumentApplied() const { return m_argumentApplied; }
    void AttachScript(CToolScript* script) { m_script = script; }
    static const char* IniFileName() { return "hc08flash.ini"; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildControls();
    void ReadSettings();
    void WriteSettings();
    void ApplyStartArgument();
    void LoadImageFile(const std::string& path);
    void ShowImage();
    void SetTitle(int port);
    void AddStatus(const std::u16string& line);
    void PaintBar(const QColor& colour);
    void ShowProgress(long address);
    void ShowRunning(bool running);
    void NotStarted();
    int Box(const std::u16string& text, unsigned style);

    std::string m_argument;
    std::string m_toolFolder;
    std::string m_iniPath;
    CIniFile m_ini{IniLastLine::Open};
    CToolRelaySink m_sink;
    CHc08Programmer m_programmer;

    int m_logo = 0;
    std::string m_path;
    std::string m_fileName;
    bool m_portConfigured = false;
    bool m_argumentApplied = false;
    bool m_ended = false;
    CToolScript* m_script = nullptr;
    QColor m_barColour;

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
    QPushButton* m_buttons[6] = {};  // File, Start/Stop, Settings, Clear, About, Exit
};

}  // namespace vexar::tools
