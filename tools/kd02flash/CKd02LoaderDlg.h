#pragma once

#include "tools/common/ui/CLoaderDlgBase.h"
#include "tools/kd02flash/CKd02Programmer.h"

#include <memory>
#include <string>

class QProgressBar;

namespace vexar::tools {

// kd02flash's main dialog: the image, the settings, the status list and the
// progress, with Start/Stop driving CKd02Programmer's worker.
class CKd02LoaderDlg : public CLoaderDlgBase {
public:
    // The Start/Stop button's looks: no image, ready, running.
    enum class StartLook { Inactive, Idle, Running };

    // `argument`: the start argument; `toolFolder` ends with '/'.
    CKd02LoaderDlg(std::string argument, std::string toolFolder, Kd02Timing timing = {}, QWidget* parent = nullptr);
    ~CKd02LoaderDlg() override;

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<ui::MessagePayload>& payload) override;

    // The buttons' handlers.
    void OnExit() override;
    void OnClearList();
    void OnFile();
    void OnStart();
    void OnSettings();

    // What the dialog shows, for tests and the script seam.
    QProgressBar* SpaceGauge() const { return m_space; }
    QString ProgressText() const { return ControlText(IDC_PROGRESS_TEXT); }
    StartLook Look() const { return m_look; }
    bool FileEnabled() const { return m_fileEnabled; }
    CKd02Programmer& Programmer() { return m_programmer; }
    static const char* IniFileName() { return "KD02_Wait.ini"; }

protected:
    void StopWorker() override { m_programmer.StopThread(); }
    CToolLine& ToolLine() override { return m_programmer.Line(); }
    void SetTitle(int port) override;

private:
    void ReadSettings();
    void WriteSettings();
    void ApplyStartArgument();
    void RestartWorker();
    void LoadImageFile(const std::string& path, bool binary);
    void ShowImage();
    void SetLook(StartLook look);
    void ShowProgress(long written, long address);
    void EndRunLook();

    CKd02Programmer m_programmer;
    StartLook m_look = StartLook::Inactive;
    bool m_fileEnabled = true;
    bool m_settingsEnabled = true;
};

}  // namespace vexar::tools
