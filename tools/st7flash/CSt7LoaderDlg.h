#pragma once

#include "tools/common/ui/CLoaderDlgBase.h"
#include "tools/st7flash/CSt7Programmer.h"

#include <memory>
#include <string>

namespace vexar::tools {

// st7flash's main dialog: the KD01 image, the settings, the status list
// and the progress, with Start driving CSt7Programmer's worker; every text
// in English or Italian by LANGENG.
class CSt7LoaderDlg : public CLoaderDlgBase {
public:
    CSt7LoaderDlg(std::string argument, std::string toolFolder, St7Timing timing = {}, CSt7Programmer::Clock clock = {},
                  QWidget* parent = nullptr);
    ~CSt7LoaderDlg() override;

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<ui::MessagePayload>& payload) override;

    void OnExit() override;
    void OnClearList();
    void OnFile();
    void OnStart();
    void OnSettings();

    bool StartEnabled() const;
    CSt7Programmer& Programmer() { return m_programmer; }
    static const char* IniFileName() { return "st7flash.ini"; }

protected:
    void StopWorker() override { m_programmer.StopThread(); }
    CToolLine& ToolLine() override { return m_programmer.Line(); }
    void SetTitle(int port) override;

private:
    void ReadSettings();
    void WriteSettings();
    void ApplyStartArgument();
    void ApplyLanguage();
    void RestartWorker();
    void LoadImageFile(const std::string& path);
    void ShowImage();
    void ShowProgress(long written, long address);
    ToolLanguage Language() const;

    CSt7Programmer m_programmer;
    int m_langEng = 1;
    int m_lock = 0;
};

}  // namespace vexar::tools
