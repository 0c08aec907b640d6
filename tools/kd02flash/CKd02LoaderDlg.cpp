#include "tools/kd02flash/CKd02LoaderDlg.h"

#include "platform/ui/DialogResponder.h"
#include "platform/ui/MessagePayload.h"
#include "platform/ui/Messages.h"
#include "tools/common/ImageLoaders.h"
#include "tools/common/ToolCommandLine.h"
#include "tools/common/ToolMessages.h"
#include "tools/common/ui/CLoaderAboutDlg.h"
#include "tools/common/ui/CRs232ConfigDlg.h"
#include "tools/common/ui/CToolScript.h"
#include "tools/common/ui/ToolDisplay.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace vexar::tools {

namespace {

const char16_t kCaption[] = u"kd02flash";
const char* const kWaitKeys[7] = {"Wait CONNECT - ERASE ",        "Wait ERASE - ERASE_RESULT",
                                  "Wait ERASE_RESULT - WRITE",    "Wait WRITE ",
                                  "Wait WRITE - STOPDOWNLOAD",    "Wait STOPDOWNLOAD - WRITE_VERIFY",
                                  "Wait WRITE_VERIFY - DISCONNECT"};
constexpr long kKd02ProgramArea = 0x38000;

std::u16string ToU16(const std::string& utf8)
{
    return QString::fromStdString(utf8).toStdU16String();
}

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

class BoxReporter : public CLoaderReporter {
public:
    explicit BoxReporter(QWidget* owner) : m_owner(owner) {}
    void ShowMessage(const std::u16string& text) override
    {
        ui::MessageBox(m_owner, text, kCaption, ui::MB_OK | ui::MB_ICONEXCLAMATION);
    }

private:
    QWidget* m_owner;
};

}  // namespace

CKd02LoaderDlg::CKd02LoaderDlg(std::string argument, std::string toolFolder, Kd02Timing timing, QWidget* parent)
    : QDialog(parent),
      WindowBase(this),
      m_argument(std::move(argument)),
      m_toolFolder(std::move(toolFolder)),
      m_iniPath(m_toolFolder + IniFileName()),
      m_sink(this, kCaption, Kd02StatusLine),
      m_programmer(m_sink, timing)
{
    setWindowTitle(QStringLiteral("KESTRON KD02"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    BuildControls();
    m_programmer.Line().SetPort(1);
    m_programmer.Line().SetBaud(19200);
    m_ini.Load(m_iniPath);
    ReadSettings();
    m_space->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: rgb(255, 0, 0); }"));
    SetLook(StartLook::Inactive);
    ui::PostMessage(this, {WM_TOOL_START_ARGUMENTS, 0, 0, nullptr});
}

CKd02LoaderDlg::~CKd02LoaderDlg()
{
    m_sink.Close();
    m_programmer.StopThread();
}

void CKd02LoaderDlg::BuildControls()
{
    auto* layout = new QVBoxLayout(this);
    m_status = new QListWidget(this);
    m_status->setObjectName(QStringLiteral("status"));
    layout->addWidget(m_status, 1);

    auto* grid = new QGridLayout;
    auto edit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setReadOnly(true);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    m_start = edit("start");
    m_stop = edit("stop");
    m_checksum = edit("checksum");
    grid->addWidget(new QLabel(QStringLiteral("Start"), this), 0, 0);
    grid->addWidget(m_start, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Stop"), this), 0, 2);
    grid->addWidget(m_stop, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Checksum"), this), 0, 4);
    grid->addWidget(m_checksum, 0, 5);
    m_space = new QProgressBar(this);
    m_space->setTextVisible(false);
    m_space->setRange(0x18000, 0x4FFFF);
    m_space->setValue(0x18000);
    m_spaceText = new QLabel(this);
    grid->addWidget(new QLabel(QStringLiteral("Space used"), this), 1, 0);
    grid->addWidget(m_space, 1, 1, 1, 4);
    grid->addWidget(m_spaceText, 1, 5);
    m_download = new QProgressBar(this);
    m_download->setTextVisible(false);
    m_download->setRange(0, 0);
    m_download->setValue(0);
    m_progressText = new QLabel(this);
    grid->addWidget(new QLabel(QStringLiteral("Download"), this), 2, 0);
    grid->addWidget(m_download, 2, 1, 1, 4);
    grid->addWidget(m_progressText, 2, 5);
    m_pathText = new QLabel(this);
    grid->addWidget(m_pathText, 3, 0, 1, 6);
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* text, const char* name, void (CKd02LoaderDlg::*handler)()) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        buttons->addWidget(b);
        return b;
    };
    m_fileButton = button("File", "file", &CKd02LoaderDlg::OnFile);
    m_startButton = button("Start", "startstop", &CKd02LoaderDlg::OnStart);
    m_settingsButton = button("Settings", "settings", &CKd02LoaderDlg::OnSettings);
    button("Clear", "clear", &CKd02LoaderDlg::OnClearList);
    button("About", "about", &CKd02LoaderDlg::OnAbout);
    button("Exit", "exit", &CKd02LoaderDlg::OnExit);
    layout->addLayout(buttons);
    resize(560, 420);
}

void CKd02LoaderDlg::ReadSettings()
{
    int port = m_programmer.Line().Port();
    long baud = m_programmer.Line().Baud();
    m_ini.GetInt("CONFIG", "logo", m_logo);
    m_ini.GetInt("COM", "port", port);
    m_ini.GetLong("COM", "baud", baud);
    m_ini.GetString("FILE", "filename", m_fileName);
    m_ini.GetString("FILE", "path", m_path);
    for (int i = 0; i < 7; ++i)
        m_ini.GetLong("WAIT", kWaitKeys[i], m_programmer.Waits()[static_cast<std::size_t>(i)]);
    m_programmer.Line().SetPort(port);
    m_programmer.Line().SetBaud(baud);
}

void CKd02LoaderDlg::WriteSettings()
{
    m_ini.SetInt("CONFIG", "logo", m_logo);
    m_ini.SetInt("COM", "port", m_programmer.Line().Port());
    m_ini.SetLong("COM", "baud", m_programmer.Line().Baud());
    m_ini.SetString("FILE", "filename", m_fileName);
    m_ini.SetString("FILE", "path", m_path);
    // Last to first, so that a new file lists them in their natural order.
    for (int i = 6; i >= 0; --i)
        m_ini.SetLong("WAIT", kWaitKeys[i], m_programmer.Waits()[static_cast<std::size_t>(i)]);
    if (!m_ini.Save(m_iniPath))
        Box(u"Error to access file " + ToU16(m_iniPath) + u"!", ui::MB_OK | ui::MB_ICONERROR);
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
        if (m_script)
            m_script->RunEnded();
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
    const ToolArguments args = ParseToolCommandLine(m_argument, ToolKind::Kd02flash);
    if (args.com)
        m_programmer.Line().SetPort(*args.com);
    if (args.baud)
        m_programmer.Line().SetBaud(*args.baud);
    if (args.logo)
        m_logo = *args.logo;
    if (args.path)
        m_path = *args.path;
    if (args.file)
        m_fileName = *args.file;
    m_path = ApplyFolderRule(m_path, m_toolFolder, DefaultKd02Folder(m_logo));
    if (m_programmer.Line().Port() != 0 && m_programmer.Line().Baud() != 0)
        RestartWorker();
    if (!m_fileName.empty())
        LoadImageFile(m_path + m_fileName, EndsWith(m_fileName, "bin", false));
    m_argumentApplied = true;
    if (m_script)
        m_script->ArgumentApplied();
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
    BoxReporter reporter(this);
    const bool loaded = binary ? LoadKd02BinImage(path, m_programmer.Image(), reporter)
                               : LoadKd02HexImage(path, m_programmer.Image(), reporter);
    if (!loaded) {
        SetLook(StartLook::Inactive);
        return;
    }
    ShowImage();
}

void CKd02LoaderDlg::ShowImage()
{
    const LOADER_IMAGE& image = m_programmer.Image();
    m_start->setText(HexWord(image.start));
    m_stop->setText(HexWord(image.stop));
    m_checksum->setText(HexWord(image.checksum));
    m_space->setValue(static_cast<int>(std::min<std::uint32_t>(image.stop, 0x4FFFF)));
    m_spaceText->setText(SpacePercent(static_cast<long>(image.size), kKd02ProgramArea));
    m_download->setRange(0, static_cast<int>(image.stop - image.start));
    m_download->setValue(0);
    m_progressText->clear();
    m_pathText->setText(QString::fromStdString(m_path + m_fileName));
    if (!m_programmer.IsRunning())
        SetLook(StartLook::Idle);
}

void CKd02LoaderDlg::AddStatus(const std::u16string& line)
{
    std::u16string text = line;
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0)
        text.resize(text.size() - 2);
    m_status->addItem(QString::fromStdU16String(text));
    m_status->setCurrentRow(m_status->count() - 1);
    m_status->repaint();
}

void CKd02LoaderDlg::SetLook(StartLook look)
{
    m_look = look;
    m_startButton->setText(look == StartLook::Running ? QStringLiteral("Stop") : QStringLiteral("Start"));
    // Looks only: the buttons keep their windows enabled and ignore clicks.
    auto grey = [](QPushButton* b, bool enabled) {
        b->setStyleSheet(enabled ? QString() : QStringLiteral("color: gray;"));
    };
    grey(m_startButton, look != StartLook::Inactive);
    m_fileEnabled = look != StartLook::Running;
    m_settingsEnabled = look != StartLook::Running;
    grey(m_fileButton, m_fileEnabled);
    grey(m_settingsButton, m_settingsEnabled);
}

void CKd02LoaderDlg::ShowProgress(long written, long address)
{
    const LOADER_IMAGE& image = m_programmer.Image();
    const long range = static_cast<long>(image.stop) - static_cast<long>(image.start);
    m_progressText->setText(DownloadProgress(written, range, address));
    m_download->setValue(static_cast<int>(std::min(written, std::max(range, 0L))));
}

QString CKd02LoaderDlg::ProgressText() const
{
    return m_progressText->text();
}

QString CKd02LoaderDlg::ControlText(int id) const
{
    switch (id) {
    case IDC_START_ADDR:
        return m_start->text();
    case IDC_STOP_ADDR:
        return m_stop->text();
    case IDC_CHECKSUM:
        return m_checksum->text();
    case IDC_SPACE_TEXT:
        return m_spaceText->text();
    case IDC_PROGRESS_TEXT:
        return m_progressText->text();
    case IDC_PATH:
        return m_pathText->text();
    default:
        return {};
    }
}

void CKd02LoaderDlg::EndRunLook()
{
    if (m_look == StartLook::Running)
        SetLook(m_programmer.Image().loaded ? StartLook::Idle : StartLook::Inactive);
}

int CKd02LoaderDlg::Box(const std::u16string& text, unsigned style)
{
    return ui::MessageBox(this, text, kCaption, style);
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
    class Prompts : public IPortScanPrompts, public IPortAdvanceReport {
    public:
        explicit Prompts(CKd02LoaderDlg& dlg) : m_dlg(dlg) {}
        bool AskContinueDespiteConflict() override
        {
            return m_dlg.Box(u"Attention COM-USB conflict, try to connect through a different USB port. Do you want to "
                             u"continue with the connection?",
                             ui::MB_YESNO | ui::MB_ICONQUESTION) == ui::IDYES;
        }
        void ShowNoPortFound() override
        {
            m_dlg.Box(u"Attention NO COM find, try to disconnect and reconnect USB converter.",
                      ui::MB_OK | ui::MB_ICONEXCLAMATION);
        }
        void PortChosen(int port) override { m_dlg.SetTitle(port); }
        void OpenFailed(int port, int error) override { m_dlg.AddStatus(Kd02StatusLine(ST_OPEN_ERROR, port, error)); }

    private:
        CKd02LoaderDlg& m_dlg;
    } prompts(*this);
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
    ui::FileDialogRequest request;
    request.owner = this;
    request.title = u"Select file to open";
    request.folder = m_path;
    request.filter = u"Application file (*.hex)|*.hex|Application file (*.bin)|*.bin||";
    request.defaultExtension = u".hex";
    request.mustExist = true;
    const std::optional<std::string> chosen = ui::FileDialog(request);
    if (!chosen)
        return;
    BoxReporter reporter(this);
    if (!CheckFirmwareFileSize(*chosen, ToolLanguage::English, reporter))
        return;
    const std::size_t slash = chosen->find_last_of('/');
    m_path = slash == std::string::npos ? m_toolFolder : chosen->substr(0, slash + 1);
    m_fileName = slash == std::string::npos ? *chosen : chosen->substr(slash + 1);
    LoadImageFile(*chosen, EndsWith(*chosen, "bin", true));
}

void CKd02LoaderDlg::OnSettings()
{
    if (!m_settingsEnabled)
        return;
    CRs232ConfigDlg dlg(this, true);
    if (dlg.exec() != QDialog::Accepted)
        return;
    m_programmer.Line().SetPort(dlg.m_nPort);
    m_programmer.Line().SetBaud(dlg.m_nBaud);
    RestartWorker();
}

void CKd02LoaderDlg::OnClearList()
{
    m_status->clear();
}

void CKd02LoaderDlg::OnAbout()
{
    CLoaderAboutDlg about(this, m_logo, "kd02flash");
    about.exec();
}

void CKd02LoaderDlg::OnExit()
{
    if (m_ended)
        return;
    m_ended = true;
    m_sink.Close();
    m_programmer.StopThread();
    WriteSettings();
    done(QDialog::Accepted);
}

void CKd02LoaderDlg::closeEvent(QCloseEvent* event)
{
    OnExit();
    event->accept();
}

void CKd02LoaderDlg::reject()
{
    // Escape ends the dialog without writing the settings, but still waits
    // for the worker, so that nothing drives the port after the window.
    if (!m_ended) {
        m_ended = true;
        m_sink.Close();
        m_programmer.StopThread();
    }
    QDialog::reject();
}

void CKd02LoaderDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("st7flash Infor&mations..."), this, [this] { OnAbout(); });
    menu.exec(event->globalPos());
}

}  // namespace vexar::tools
