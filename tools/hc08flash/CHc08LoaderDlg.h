#pragma once

#include "tools/common/ui/CLoaderDlgBase.h"
#include "tools/hc08flash/CHc08Programmer.h"

#include <memory>
#include <string>

namespace vexar::tools {

// hc08flash's main dialog: the handheld microcontroller's image, the
// settings, the status list and the progress; Start/Stop drives the
// worker of CHc08Programmer, which lives as long as the dialog.
class CHc08LoaderDlg : public CLoaderDlgBase {
public:
    CHc08LoaderDlg(std::string argument, std::string toolFolder, Hc08Timing timing = {},
                   CHc08Programmer::Clock clock = {}, QWidget* parent = nullptr);
    ~CHc08LoaderDlg() override;

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<ui::MessagePayload>& payload) override;

    void OnExit() override;
    void OnAbout() override;
    void OnClearList();
    void OnFile();
    void OnStartStop();
    void OnSettings();

    CHc08Programmer& Programmer() { return m_programmer; }
    static const char* IniFileName() { return "hc08flash.ini"; }

protected:
    void StopWorker() override { m_programmer.StopThread(); }
    CToolLine& ToolLine() override { return m_programmer.Line(); }
    void SetTitle(int port) override;

private:
    void ReadSettings();
    void WriteSettings();
    void ApplyStartArgument();
    void LoadImageFile(const std::string& path);
    void ShowImage();
    void ShowProgress(long address);
    void ShowRunning(bool running);
    void NotStarted();

    CHc08Programmer m_programmer;
    bool m_portConfigured = false;
};

}  // namespace vexar::tools
