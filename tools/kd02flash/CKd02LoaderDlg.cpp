#include "tools/kd02flash/CKd02LoaderDlg.h"

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

#include <cstdio>

namespace vexar::tools {

namespace {

const char16_t kCaption[] = u"kd02flash";
const char* const kWaitKeys[7] = {"Wait CONNECT - ERASE ",        "Wait ERASE - ERASE_RESULT",
                                  "Wait ERASE_RESULT - WRITE",    "Wait WRITE ",
                                  "Wait WRITE - STOPDOWNLOAD",    "Wait STOPDOWNLOAD - WRITE_VERIFY",
                                  "Wait WRITE_VERIFY - DISCONNECT"};
constexpr long kKd02ProgramArea = 0x38000;

bool EndsWith(const std::string& text, const char* tail, bool ignoreCase)
{
    const std::string t(tail);
    if (text.size() < t.size())
        return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        char a = text[text.size() - t.size() + i];
        char b = t[i];
        if (ignoreCase) {
            a = static_cast<char>(std::tolower(static_cast<unsigned char>(a)));
            b = static_cast<char>(std::tolower(static_cast<unsigned char>(b)));
        }
        if (a != b)
            return false;
    }
    return true;
}

}  // namespace

CKd02LoaderDlg::CKd02LoaderDlg(std::string argument, std::string toolFolder, Kd02Timing timing, QWidget* parent)
    : CLoaderDlgBase({kCaption, IniFileName(), IniLastLine::Terminated, QStringLiteral("st7flash Infor&mations..."),
                      Kd02StatusLine},
                     std::move(argument), std::move(toolFolder), parent),
      m_programmer(m_sink, timing)
{
    setWindowTitle(QStringLiteral("KESTRON KD02"));
    BuildControls({false, true, 0x18000, 0x4FFFF, 560, 420},
                  {{IDC_FILE, "File", "file", [this] { OnFile(); }},
                   {IDC_START, "Start", "startstop", [this] { OnStart(); }},
                   {IDC_SETTINGS, "Settings", "settings", [this] { OnSettings(); }},
                   {IDC_CLEAR_LIST, "Clear", "clear", [this] { OnClearList(); }},
                   {IDC_ABOUT, "About", "about", [this] { OnAbout(); }},
                   {IDC_EXIT, "Exit", "exit", [this] { OnExit(); }}});
    m_programmer.Line().SetPort(1);
    m_programmer.Line().SetBaud(19200);
    m_ini.Load(m_iniPath);
    ReadSettings();
    SetLook(StartLook::Inactive);
    ui::PostMessage(this, {WM_TOOL_START_ARGUMENTS, 0, 0, nullptr});
}

CKd02LoaderDlg::~CKd02LoaderDlg()
{
    m_sink.Close();
    m_programmer.StopThread();
}

void CKd02LoaderDlg::ReadSettings()
{
    ReadCommonSettings();
    for (int i = 0; i < 7; ++i)
        m_ini.GetLong("WAIT", kWaitKeys[i], m_programmer.Waits()[static_cast<std::size_t>(i)]);
}

void CKd02LoaderDlg::WriteSettings()
{
    WriteCommonSettings();
    // Last to first, so that a new file lists them in their natural order.
    for (int i = 6; i >= 0; --i)
        m_ini.SetLong("WAIT", kWaitKeys[i], m_programmer.Waits()[static_cast<std::size_t>(i)]);
    SaveSettingsFile();
}

std::intptr_t CKd02LoaderDlg::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                        std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case WM_TOOL_STATUS:
        if (const auto* text = ui::PayloadAs<std::u16string>(payload))
            AddStatus(*text);
        else
            AddStatus(Kd02StatusLine(static_cast<int>(wParam), m_programmer.Line().Port(), static_cast<long>(lParam)));
        return 0;
    case WM_TOOL_PROGRESS:
        ShowProgress(static_cast<long>(wParam), static_cast<long>(lParam));
        return 0;
    case WM_TOOL_START_ARGUMENTS:
        ApplyStartArgument();
        return 0;
    case WM_TOOL_RUN_ENDED:
        EndRunLook();
        NotifyRunEnded();
        return 0;
    case WM_TOOL_PORT_CHOSEN:
        SetTitle(static_cast<int>(wParam));
        return 0;
    default:
        return WindowBase::onMessage(id, wParam, lParam, payload);
    }
}

void CKd02LoaderDlg::ApplyStartArgument()
{
    ApplyCommonArguments(ToolKind::Kd02flash);
    m_path = ApplyFolderRule(m_path, m_toolFolder, DefaultKd02Folder(m_logo));
    if (m_programmer.Line().Port() != 0 && m_programmer.Line().Baud() != 0)
        RestartWorker();
    if (!m_fileName.empty())
        LoadImageFile(m_path + m_fileName, EndsWith(m_fileName, "bin", false));
    NotifyArgumentApplied();
}

void CKd02LoaderDlg::RestartWorker()
{
    m_programmer.StopThread();
    SetTitle(m_programmer.Line().Port());
    if (m_programmer.Image().loaded)
        SetLook(StartLook::Idle);
    m_programmer.StartThread();
}

void CKd02LoaderDlg::SetTitle(int port)
{
    setWindowTitle(QStringLiteral("KD02 ECU programming (Port=COM%1, Baud=%2)")
                       .arg(port)
                       .arg(static_cast<int>(m_programmer.Line().Baud())));
}

void CKd02LoaderDlg::LoadImageFile(const std::string& path, bool binary)
{
    const bool loaded = binary ? LoadKd02BinImage(path, m_programmer.Image(), BoxReporter())
                               : LoadKd02HexImage(path, m_programmer.Image(), BoxReporter());
    if (!loaded) {
        SetLook(StartLook::Inactive);
        return;
    }
    ShowImage();
}

void CKd02LoaderDlg::ShowImage()
{
    const LOADER_IMAGE& image = m_programmer.Image();
    ShowImageTexts(image);
    m_space->setValue(static_cast<int>(std::min<std::uint32_t>(image.stop, 0x4FFFF)));
    m_spaceText->setText(SpacePercent(static_cast<long>(image.size), kKd02ProgramArea));
    m_download->setRange(0, static_cast<int>(image.stop - image.start));
    m_download->setValue(0);
    if (!m_programmer.IsRunning())
        SetLook(StartLook::Idle);
}

void CKd02LoaderDlg::SetLook(StartLook look)
{
    m_look = look;
    Button(IDC_START)->setText(look == StartLook::Running ? QStringLiteral("Stop") : QStringLiteral("Start"));
    // Looks only: the buttons keep their windows enabled and ignore clicks.
    auto grey = [](QPushButton* b, bool enabled) {
        b->setStyleSheet(enabled ? QString() : QStringLiteral("color: gray;"));
    };
    grey(Button(IDC_START), look != StartLook::Inactive);
    m_fileEnabled = look != StartLook::Running;
    m_settingsEnabled = look != StartLook::Running;
    grey(Button(IDC_FILE), m_fileEnabled);
    grey(Button(IDC_SETTINGS), m_settingsEnabled);
}

void CKd02LoaderDlg::ShowProgress(long written, long address)
{
    const LOADER_IMAGE& image = m_programmer.Image();
    const long range = static_cast<long>(image.stop) - static_cast<long>(image.start);
    m_progressText->setText(DownloadProgress(written, range, address));
    m_download->setValue(static_cast<int>(std::min(written, std::max(range, 0L))));
}

void CKd02LoaderDlg::EndRunLook()
{
    if (m_look == StartLook::Running)
        SetLook(m_programmer.Image().loaded ? StartLook::Idle : StartLook::Inactive);
}

void CKd02LoaderDlg::OnStart()
{
    if (m_look == StartLook::Inactive)
        return;
    if (m_look == StartLook::Running) {
        m_programmer.AbortRun();
        SetLook(StartLook::Idle);
        return;
    }
    ScanPrompts prompts(*this, [](int port, int error) { return Kd02StatusLine(ST_OPEN_ERROR, port, error); });
    switch (m_programmer.StartRun(prompts, prompts)) {
    case CKd02Programmer::StartResult::NotStarted:
        return;
    case CKd02Programmer::StartResult::NoPort:
        Box(u"Try to disconnect and reconnect USB converter.", ui::MB_OK | ui::MB_ICONEXCLAMATION);
        return;
    case CKd02Programmer::StartResult::Started:
        m_download->setValue(0);
        SetLook(StartLook::Running);
        return;
    }
}

void CKd02LoaderDlg::OnFile()
{
    if (!m_fileEnabled)
        return;
    const std::optional<std::string> chosen =
        ChooseImageFile(u"Application file (*.hex)|*.hex|Application file (*.bin)|*.bin||", u".hex");
    if (!chosen)
        return;
    if (!CheckFirmwareFileSize(*chosen, ToolLanguage::English, BoxReporter()))
        return;
    TakeChosenFile(*chosen);
    LoadImageFile(*chosen, EndsWith(*chosen, "bin", true));
}

void CKd02LoaderDlg::OnSettings()
{
    if (!m_settingsEnabled)
        return;
    if (AskPortSettings(true))
        RestartWorker();
}

void CKd02LoaderDlg::OnClearList()
{
    m_status->clear();
}

void CKd02LoaderDlg::OnExit()
{
    if (!EndWorkerOnce())
        return;
    WriteSettings();
    done(QDialog::Accepted);
}

}  // namespace vexar::tools
