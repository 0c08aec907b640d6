#include "tools/hc08flash/CHc08LoaderDlg.h"

#include "platform/ui/DialogResponder.h"
#include "platform/ui/MessagePayload.h"
#include "platform/ui/Messages.h"
#include "tools/common/ImageLoaders.h"
#include "tools/common/ToolCommandLine.h"
#include "tools/common/ToolMessages.h"
#include "tools/common/ui/ToolDisplay.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace vexar::tools {

namespace {

const char16_t kCaption[] = u"hc08flash";
const char kWindowName[] = "PALM PROGRAMMING";
constexpr long kHandheldProgramArea = 0xE200;

}  // namespace

CHc08LoaderDlg::CHc08LoaderDlg(std::string argument, std::string toolFolder, Hc08Timing timing,
                               CHc08Programmer::Clock clock, QWidget* parent)
    : CLoaderDlgBase({kCaption, IniFileName(), IniLastLine::Open, QStringLiteral("prgbay Infor&mations...")},
                     std::move(argument), std::move(toolFolder), parent),
      m_programmer(m_sink, timing, std::move(clock))
{
    setWindowTitle(QString::fromLatin1(kWindowName));
    BuildControls({true, false, 0, kHandheldProgramArea, 600, 420},
                  {{IDC_FILE, "File", "file", [this] { OnFile(); }},
                   {IDC_START, "Start", "start", [this] { OnStartStop(); }},
                   {IDC_SETTINGS, "Settings", "settings", [this] { OnSettings(); }},
                   {IDC_CLEAR_LIST, "Clear", "clear", [this] { OnClearList(); }},
                   {IDC_ABOUT, "About", "about", [this] { OnAbout(); }},
                   {IDC_EXIT, "Exit", "exit", [this] { OnExit(); }}});
    m_programmer.Line().SetPort(1);
    m_programmer.Line().SetBaud(19200);
    m_ini.Load(m_iniPath);
    ReadSettings();
    Button(IDC_START)->setEnabled(false);
    ui::PostMessage(this, {WM_TOOL_START_ARGUMENTS, 0, 0, nullptr});
    m_programmer.StartThread();
    m_portConfigured = true;
}

CHc08LoaderDlg::~CHc08LoaderDlg()
{
    m_sink.Close();
    m_programmer.StopThread();
}

void CHc08LoaderDlg::ReadSettings()
{
    ReadCommonSettings();
}

void CHc08LoaderDlg::WriteSettings()
{
    WriteCommonSettings();
    SaveSettingsFile();
}

std::intptr_t CHc08LoaderDlg::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                        std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case WM_TOOL_STATUS:
        if (const auto* text = ui::PayloadAs<std::u16string>(payload))
            AddStatus(*text);
        return 0;
    case WM_TOOL_PROGRESS:
        ShowProgress(static_cast<long>(lParam));
        return 0;
    case WM_TOOL_START_ARGUMENTS:
        ApplyStartArgument();
        return 0;
    case WM_TOOL_SUCCEEDED:
        PaintBar(QColor(0, 192, 0));
        return 0;
    case WM_TOOL_RUN_ENDED:
        ShowRunning(false);
        NotifyRunEnded();
        return 0;
    case WM_TOOL_PORT_CHOSEN:
        SetTitle(static_cast<int>(wParam));
        return 0;
    default:
        return WindowBase::onMessage(id, wParam, lParam, payload);
    }
}

void CHc08LoaderDlg::ApplyStartArgument()
{
    const ToolArguments args = ApplyCommonArguments(ToolKind::Hc08flash);
    if (args.com)
        m_portConfigured = true;
    SetTitle(m_programmer.Line().Port());
    m_path = ApplyFolderRule(m_path, m_toolFolder, kHandheldFolder);
    if (!m_fileName.empty())
        LoadImageFile(m_path + m_fileName);
    NotifyArgumentApplied();
}

void CHc08LoaderDlg::SetTitle(int port)
{
    setWindowTitle(QStringLiteral("%1 (COM=%2,Baud=%3)")
                       .arg(QString::fromLatin1(kWindowName))
                       .arg(port)
                       .arg(static_cast<int>(m_programmer.Line().Baud())));
}

void CHc08LoaderDlg::LoadImageFile(const std::string& path)
{
    if (!LoadHc08Image(path, m_programmer.Image(), BoxReporter())) {
        Button(IDC_START)->setEnabled(false);
        return;
    }
    ShowImage();
}

void CHc08LoaderDlg::ShowImage()
{
    const LOADER_IMAGE& image = m_programmer.Image();
    ShowImageTexts(image);
    const long size = static_cast<long>(image.stop) - static_cast<long>(image.start) + 1;
    m_space->setValue(static_cast<int>(std::min(size, kHandheldProgramArea)));
    m_spaceText->setText(SpacePercent(size, kHandheldProgramArea));
    m_download->setRange(static_cast<int>(image.start), static_cast<int>(image.stop));
    m_download->setValue(static_cast<int>(image.start));
    Button(IDC_START)->setEnabled(m_portConfigured && !m_programmer.IsRunning());
}

void CHc08LoaderDlg::ShowProgress(long address)
{
    const LOADER_IMAGE& image = m_programmer.Image();
    const long start = static_cast<long>(image.start);
    const long stop = static_cast<long>(image.stop);
    m_progressText->setText(DownloadProgress(address - start, stop - start, address));
    m_download->setValue(static_cast<int>(std::clamp(address, start, stop)));
}

void CHc08LoaderDlg::ShowRunning(bool running)
{
    Button(IDC_START)->setText(running ? QStringLiteral("Stop") : QStringLiteral("Start"));
    Button(IDC_START)->setEnabled(running || m_programmer.Image().loaded);
    for (const int id : {IDC_FILE, IDC_SETTINGS, IDC_CLEAR_LIST, IDC_ABOUT, IDC_EXIT})
        Button(id)->setEnabled(!running);
}

void CHc08LoaderDlg::OnStartStop()
{
    if (m_programmer.IsRunning()) {
        // The worker ends its step, closes the port and reports the end,
        // which shows the idle look.
        m_programmer.StopRun();
        return;
    }
    if (!m_programmer.Image().loaded || !m_portConfigured)
        return NotStarted();
    ScanPrompts prompts(*this);
    m_download->setValue(m_download->minimum());
    PaintBar(QColor(0, 0, 192));
    switch (m_programmer.StartRun(prompts, prompts)) {
    case CHc08Programmer::StartResult::NotStarted:
        return NotStarted();
    case CHc08Programmer::StartResult::NoPort:
        Box(u"Try to disconnect and reconnect USB converter.", ui::MB_OK | ui::MB_ICONEXCLAMATION);
        return NotStarted();
    case CHc08Programmer::StartResult::Started:
        ShowRunning(true);
        return;
    }
}

void CHc08LoaderDlg::NotStarted()
{
    // A scripted run that could not start is over as well.
    NotifyRunEnded();
}

void CHc08LoaderDlg::OnFile()
{
    if (m_programmer.IsRunning())
        return;
    const std::optional<std::string> chosen =
        ChooseImageFile(u"Srecord file (*.s19)|*.s19|All Files (*.*)|*.*||", u"*.s19");
    if (!chosen)
        return;
    TakeChosenFile(*chosen);
    LoadImageFile(*chosen);
}

void CHc08LoaderDlg::OnSettings()
{
    if (m_programmer.IsRunning())
        return;
    if (!AskPortSettings(true))
        return;
    m_portConfigured = true;
    SetTitle(m_programmer.Line().Port());
    Button(IDC_START)->setEnabled(m_programmer.Image().loaded);
}

void CHc08LoaderDlg::OnClearList()
{
    if (!m_programmer.IsRunning())
        m_status->clear();
}

void CHc08LoaderDlg::OnAbout()
{
    if (!m_programmer.IsRunning())
        CLoaderDlgBase::OnAbout();
}

void CHc08LoaderDlg::OnExit()
{
    // A close request may come during a run: the worker is stopped and
    // joined before the dialog ends.
    if (!EndWorkerOnce())
        return;
    done(QDialog::Accepted);
    WriteSettings();
}

}  // namespace vexar::tools
