#include "tools/st7flash/CSt7LoaderDlg.h"

#include "platform/ui/DialogResponder.h"
#include "platform/ui/MessagePayload.h"
#include "platform/ui/Messages.h"
#include "tools/common/ImageLoaders.h"
#include "tools/common/ToolCommandLine.h"
#include "tools/common/ToolMessages.h"
#include "tools/common/ui/ToolDisplay.h"
#include "tools/st7flash/St7Texts.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace vexar::tools {

using st7::Format;
using st7::Text;

namespace {

const char16_t kCaption[] = u"st7flash";
constexpr long kKd01ProgramArea = 0x6FC0;

}  // namespace

CSt7LoaderDlg::CSt7LoaderDlg(std::string argument, std::string toolFolder, St7Timing timing,
                             CSt7Programmer::Clock clock, QWidget* parent)
    : CLoaderDlgBase({kCaption, IniFileName(), IniLastLine::Open, QStringLiteral("st7flash Infor&mations...")},
                     std::move(argument), std::move(toolFolder), parent),
      m_programmer(m_sink, timing, std::move(clock))
{
    setWindowTitle(QStringLiteral("ST7 32K MCU KESTRON"));
    BuildControls({true, false, 0, kKd01ProgramArea, 600, 420},
                  {{IDC_FILE, "File", "file", [this] { OnFile(); }},
                   {IDC_START, "Start", "start", [this] { OnStart(); }},
                   {IDC_SETTINGS, "Settings", "settings", [this] { OnSettings(); }},
                   {IDC_CLEAR_LIST, "Clear", "clear", [this] { OnClearList(); }},
                   {IDC_ABOUT, "About", "about", [this] { OnAbout(); }},
                   {IDC_EXIT, "Exit", "exit", [this] { OnExit(); }}});
    m_programmer.Line().SetPort(1);
    m_programmer.Line().SetBaud(19200);
    m_ini.Load(m_iniPath);
    ReadSettings();
    ApplyLanguage();
    Button(IDC_START)->setEnabled(false);
    ui::PostMessage(this, {WM_TOOL_START_ARGUMENTS, 0, 0, nullptr});
}

CSt7LoaderDlg::~CSt7LoaderDlg()
{
    m_sink.Close();
    m_programmer.StopThread();
}

ToolLanguage CSt7LoaderDlg::Language() const
{
    return LanguageFromLangEng(m_langEng);
}

void CSt7LoaderDlg::ApplyLanguage()
{
    m_programmer.SetLanguage(Language());
}

void CSt7LoaderDlg::ReadSettings()
{
    ReadCommonSettings();
    m_ini.GetInt("CONFIG", "LangEng", m_langEng);
    m_ini.GetInt("COM", "Lock", m_lock);
    m_programmer.SetLockCom(m_lock == 1);
}

void CSt7LoaderDlg::WriteSettings()
{
    WriteCommonSettings();
    m_ini.SetInt("CONFIG", "LangEng", m_langEng);
    m_ini.SetInt("COM", "Lock", m_lock);
    SaveSettingsFile();
}

std::intptr_t CSt7LoaderDlg::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                       std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case WM_TOOL_STATUS:
        if (const auto* text = ui::PayloadAs<std::u16string>(payload))
            AddStatus(*text);
        return 0;
    case WM_TOOL_PROGRESS:
        ShowProgress(static_cast<long>(wParam), static_cast<long>(lParam));
        return 0;
    case WM_TOOL_START_ARGUMENTS:
        ApplyStartArgument();
        return 0;
    case WM_TOOL_SUCCEEDED:
        PaintBar(QColor(0, 192, 0));
        return 0;
    case WM_TOOL_RUN_ENDED:
        Button(IDC_START)->setEnabled(m_programmer.Image().loaded);
        NotifyRunEnded();
        return 0;
    case WM_TOOL_PORT_CHOSEN:
        SetTitle(static_cast<int>(wParam));
        return 0;
    default:
        return WindowBase::onMessage(id, wParam, lParam, payload);
    }
}

void CSt7LoaderDlg::ApplyStartArgument()
{
    const ToolArguments args = ApplyCommonArguments(ToolKind::St7flash);
    if (args.lockCom) {
        m_lock = *args.lockCom;
        m_programmer.SetLockCom(m_lock == 1);
    }
    if (args.langEng)
        m_langEng = *args.langEng;
    ApplyLanguage();
    SetTitle(m_programmer.Line().Port());
    m_path = ApplyFolderRule(m_path, m_toolFolder, DefaultKd01Folder(m_logo));
    if (m_programmer.Line().Port() != 0 && m_programmer.Line().Baud() != 0)
        RestartWorker();
    if (!m_fileName.empty())
        LoadImageFile(m_path + m_fileName);
    NotifyArgumentApplied();
}

void CSt7LoaderDlg::RestartWorker()
{
    m_programmer.StopThread();
    SetTitle(m_programmer.Line().Port());
    Button(IDC_START)->setEnabled(m_programmer.Image().loaded);
    m_programmer.StartThread();
}

void CSt7LoaderDlg::SetTitle(int port)
{
    const std::u16string name = Format(Text::WindowName, Language());
    setWindowTitle(QStringLiteral("%1 (COM=%2,Baud=%3)")
                       .arg(QString::fromStdU16String(name))
                       .arg(port)
                       .arg(static_cast<int>(m_programmer.Line().Baud())));
}

void CSt7LoaderDlg::LoadImageFile(const std::string& path)
{
    if (!LoadSt7RunImage(path, m_programmer.Image(), Language(), BoxReporter())) {
        Button(IDC_START)->setEnabled(false);
        return;
    }
    ShowImage();
}

void CSt7LoaderDlg::ShowImage()
{
    const LOADER_IMAGE& image = m_programmer.Image();
    ShowImageTexts(image);
    const long size = static_cast<long>(image.stop) - static_cast<long>(image.start) + 1;
    m_space->setValue(static_cast<int>(std::min(size, kKd01ProgramArea)));
    m_spaceText->setText(SpacePercent(size, kKd01ProgramArea));
    m_download->setRange(0, static_cast<int>(image.stop - image.start));
    m_download->setValue(0);
    Button(IDC_START)->setEnabled(!m_programmer.IsRunning());
}

void CSt7LoaderDlg::ShowProgress(long written, long address)
{
    const LOADER_IMAGE& image = m_programmer.Image();
    const long range = static_cast<long>(image.stop) - static_cast<long>(image.start);
    m_progressText->setText(DownloadProgress(written, range, address));
    m_download->setValue(static_cast<int>(std::min(written, std::max(range, 0L))));
}

bool CSt7LoaderDlg::StartEnabled() const
{
    return Button(IDC_START)->isEnabled();
}

void CSt7LoaderDlg::OnStart()
{
    ScanPrompts prompts(*this, Format(Text::ComUsbConflict, Language()), Format(Text::NoComFound, Language()),
                        [this](int port, int error) { return Format(Text::OpenErrorAdvance, Language(), port, error); });
    switch (m_programmer.StartRun(prompts, prompts)) {
    case CSt7Programmer::StartResult::NotStarted:
        return;
    case CSt7Programmer::StartResult::NoPort:
        Box(Format(Text::ReconnectConverter, Language()), ui::MB_OK | ui::MB_ICONEXCLAMATION);
        return;
    case CSt7Programmer::StartResult::Started:
        m_download->setValue(0);
        PaintBar(QColor(0, 0, 192));
        Button(IDC_START)->setEnabled(false);
        return;
    }
}

void CSt7LoaderDlg::OnFile()
{
    const std::optional<std::string> chosen = ChooseImageFile(u"Cripted Srecord file (*.run)|*.run|", u".run");
    if (!chosen)
        return;
    if (!CheckFirmwareFileSize(*chosen, Language(), BoxReporter()))
        return;
    TakeChosenFile(*chosen);
    LoadImageFile(*chosen);
}

void CSt7LoaderDlg::OnSettings()
{
    if (AskPortSettings(false))
        RestartWorker();
}

void CSt7LoaderDlg::OnClearList()
{
    m_status->clear();
}

void CSt7LoaderDlg::OnExit()
{
    if (!EndWorkerOnce())
        return;
    WriteSettings();
    done(QDialog::Accepted);
}

}  // namespace vexar::tools
