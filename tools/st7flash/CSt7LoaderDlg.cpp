#include "tools/st7flash/CSt7LoaderDlg.h"

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
#include "tools/st7flash/St7Texts.h"

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

namespace vexar::tools {

using st7::Format;
using st7::Text;

namespace {

const char16_t kCaption[] = u"st7flash";
constexpr long kKd01ProgramArea = 0x6FC0;

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

std::u16string ToU16(const std::string& utf8)
{
    return QString::fromStdString(utf8).toStdU16String();
}

}  // namespace

CSt7LoaderDlg::CSt7LoaderDlg(std::string argument, std::string toolFolder, St7Timing timing,
                             CSt7Programmer::Clock clock, QWidget* parent)
    : QDialog(parent),
      WindowBase(this),
      m_argument(std::move(argument)),
      m_toolFolder(std::move(toolFolder)),
      m_iniPath(m_toolFolder + IniFileName()),
      m_sink(this, kCaption),
      m_programmer(m_sink, timing, std::move(clock))
{
    setWindowTitle(QStringLiteral("ST7 32K MCU KESTRON"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    BuildControls();
    m_programmer.Line().SetPort(1);
    m_programmer.Line().SetBaud(19200);
    m_ini.Load(m_iniPath);
    ReadSettings();
    ApplyLanguage();
    m_space->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: rgb(255, 0, 0); }"));
    m_startButton->setEnabled(false);
    ui::PostMessage(this, {WM_TOOL_START_ARGUMENTS, 0, 0, nullptr});
}

CSt7LoaderDlg::~CSt7LoaderDlg()
{
    m_sink.Close();
    m_programmer.StopThread();
}

void CSt7LoaderDlg::BuildControls()
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
    m_prgCount = edit("prgcount");
    m_checksum = edit("checksum");
    const std::pair<const char*, QLineEdit*> edits[] = {
        {"Start", m_start}, {"Stop", m_stop}, {"Prg count", m_prgCount}, {"Checksum", m_checksum}};
    int column = 0;
    for (const auto& [label, field] : edits) {
        grid->addWidget(new QLabel(QString::fromLatin1(label), this), 0, column++);
        grid->addWidget(field, 0, column++);
    }
    m_space = new QProgressBar(this);
    m_space->setTextVisible(false);
    m_space->setRange(0, kKd01ProgramArea);
    m_space->setValue(0);
    m_spaceText = new QLabel(this);
    grid->addWidget(m_space, 1, 0, 1, 7);
    grid->addWidget(m_spaceText, 1, 7);
    m_download = new QProgressBar(this);
    m_download->setTextVisible(false);
    m_download->setRange(0, 0);
    m_progressText = new QLabel(this);
    grid->addWidget(m_download, 2, 0, 1, 7);
    grid->addWidget(m_progressText, 2, 7);
    m_pathText = new QLabel(this);
    grid->addWidget(m_pathText, 3, 0, 1, 8);
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* text, const char* name, void (CSt7LoaderDlg::*handler)()) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        buttons->addWidget(b);
        return b;
    };
    button("File", "file", &CSt7LoaderDlg::OnFile);
    m_startButton = button("Start", "start", &CSt7LoaderDlg::OnStart);
    button("Settings", "settings", &CSt7LoaderDlg::OnSettings);
    button("Clear", "clear", &CSt7LoaderDlg::OnClearList);
    button("About", "about", &CSt7LoaderDlg::OnAbout);
    button("Exit", "exit", &CSt7LoaderDlg::OnExit);
    layout->addLayout(buttons);
    resize(600, 420);
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
    int port = m_programmer.Line().Port();
    long baud = m_programmer.Line().Baud();
    m_ini.GetInt("CONFIG", "logo", m_logo);
    m_ini.GetInt("CONFIG", "LangEng", m_langEng);
    m_ini.GetInt("COM", "port", port);
    m_ini.GetLong("COM", "baud", baud);
    m_ini.GetInt("COM", "Lock", m_lock);
    m_ini.GetString("FILE", "filename", m_fileName);
    m_ini.GetString("FILE", "path", m_path);
    m_programmer.Line().SetPort(port);
    m_programmer.Line().SetBaud(baud);
    m_programmer.SetLockCom(m_lock == 1);
}

void CSt7LoaderDlg::WriteSettings()
{
    m_ini.SetInt("CONFIG", "logo", m_logo);
    m_ini.SetInt("CONFIG", "LangEng", m_langEng);
    m_ini.SetInt("COM", "port", m_programmer.Line().Port());
    m_ini.SetLong("COM", "baud", m_programmer.Line().Baud());
    m_ini.SetInt("COM", "Lock", m_lock);
    m_ini.SetString("FILE", "filename", m_fileName);
    m_ini.SetString("FILE", "path", m_path);
    if (!m_ini.Save(m_iniPath))
        Box(u"Error to access file " + ToU16(m_iniPath) + u"!", ui::MB_OK | ui::MB_ICONERROR);
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
        m_startButton->setEnabled(m_programmer.Image().loaded);
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

void CSt7LoaderDlg::ApplyStartArgument()
{
    const ToolArguments args = ParseToolCommandLine(m_argument, ToolKind::St7flash);
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
    m_argumentApplied = true;
    if (m_script)
        m_script->ArgumentApplied();
}

void CSt7LoaderDlg::RestartWorker()
{
    m_programmer.StopThread();
    SetTitle(m_programmer.Line().Port());
    m_startButton->setEnabled(m_programmer.Image().loaded);
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
    BoxReporter reporter(this);
    if (!LoadSt7RunImage(path, m_programmer.Image(), Language(), reporter)) {
        m_startButton->setEnabled(false);
        return;
    }
    ShowImage();
}

void CSt7LoaderDlg::ShowImage()
{
    const LOADER_IMAGE& image = m_programmer.Image();
    m_start->setText(HexWord(image.start));
    m_stop->setText(HexWord(image.stop));
    m_prgCount->setText(HexWord(image.resetVector));
    m_checksum->setText(HexWord(image.checksum));
    const long size = static_cast<long>(image.stop) - static_cast<long>(image.start) + 1;
    m_space->setValue(static_cast<int>(std::min(size, kKd01ProgramArea)));
    m_spaceText->setText(SpacePercent(size, kKd01ProgramArea));
    m_download->setRange(0, static_cast<int>(image.stop - image.start));
    m_download->setValue(0);
    m_progressText->clear();
    m_pathText->setText(QString::fromStdString(m_path + m_fileName));
    m_startButton->setEnabled(!m_programmer.IsRunning());
}

void CSt7LoaderDlg::AddStatus(const std::u16string& line)
{
    std::u16string text = line;
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0)
        text.resize(text.size() - 2);
    m_status->addItem(QString::fromStdU16String(text));
    m_status->setCurrentRow(m_status->count() - 1);
    m_status->repaint();
}

void CSt7LoaderDlg::PaintBar(const QColor& colour)
{
    m_barColour = colour;
    m_download->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: %1; }").arg(colour.name()));
}

void CSt7LoaderDlg::ShowProgress(long written, long address)
{
    const LOADER_IMAGE& image = m_programmer.Image();
    const long range = static_cast<long>(image.stop) - static_cast<long>(image.start);
    m_progressText->setText(DownloadProgress(written, range, address));
    m_download->setValue(static_cast<int>(std::min(written, std::max(range, 0L))));
}

QString CSt7LoaderDlg::ControlText(int id) const
{
    switch (id) {
    case IDC_START_ADDR:
        return m_start->text();
    case IDC_STOP_ADDR:
        return m_stop->text();
    case IDC_PRG_COUNT:
        return m_prgCount->text();
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

bool CSt7LoaderDlg::StartEnabled() const
{
    return m_startButton->isEnabled();
}

int CSt7LoaderDlg::Box(const std::u16string& text, unsigned style)
{
    return ui::MessageBox(this, text, kCaption, style);
}

void CSt7LoaderDlg::OnStart()
{
    class Prompts : public IPortScanPrompts, public IPortAdvanceReport {
    public:
        explicit Prompts(CSt7LoaderDlg& dlg) : m_dlg(dlg) {}
        bool AskContinueDespiteConflict() override
        {
            return m_dlg.Box(Format(Text::ComUsbConflict, m_dlg.Language()), ui::MB_YESNO | ui::MB_ICONQUESTION) ==
                   ui::IDYES;
        }
        void ShowNoPortFound() override
        {
            m_dlg.Box(Format(Text::NoComFound, m_dlg.Language()), ui::MB_OK | ui::MB_ICONEXCLAMATION);
        }
        void PortChosen(int port) override { m_dlg.SetTitle(port); }
        void OpenFailed(int port, int error) override
        {
            m_dlg.AddStatus(Format(Text::OpenErrorAdvance, m_dlg.Language(), port, error));
        }

    private:
        CSt7LoaderDlg& m_dlg;
    } prompts(*this);
    switch (m_programmer.StartRun(prompts, prompts)) {
    case CSt7Programmer::StartResult::NotStarted:
        return;
    case CSt7Programmer::StartResult::NoPort:
        Box(Format(Text::ReconnectConverter, Language()), ui::MB_OK | ui::MB_ICONEXCLAMATION);
        return;
    case CSt7Programmer::StartResult::Started:
        m_download->setValue(0);
        PaintBar(QColor(0, 0, 192));
        m_startButton->setEnabled(false);
        return;
    }
}

void CSt7LoaderDlg::OnFile()
{
    ui::FileDialogRequest request;
    request.owner = this;
    request.title = u"Select file to open";
    request.folder = m_path;
    request.filter = u"Cripted Srecord file (*.run)|*.run|";
    request.defaultExtension = u".run";
    request.mustExist = true;
    const std::optional<std::string> chosen = ui::FileDialog(request);
    if (!chosen)
        return;
    BoxReporter reporter(this);
    if (!CheckFirmwareFileSize(*chosen, Language(), reporter))
        return;
    const std::size_t slash = chosen->find_last_of('/');
    m_path = slash == std::string::npos ? m_toolFolder : chosen->substr(0, slash + 1);
    m_fileName = slash == std::string::npos ? *chosen : chosen->substr(slash + 1);
    LoadImageFile(*chosen);
}

void CSt7LoaderDlg::OnSettings()
{
    CRs232ConfigDlg dlg(this, false);
    if (dlg.exec() != QDialog::Accepted)
        return;
    m_programmer.Line().SetPort(dlg.m_nPort);
    m_programmer.Line().SetBaud(dlg.m_nBaud);
    RestartWorker();
}

void CSt7LoaderDlg::OnClearList()
{
    m_status->clear();
}

void CSt7LoaderDlg::OnAbout()
{
    CLoaderAboutDlg about(this, m_logo, "st7flash");
    about.exec();
}

void CSt7LoaderDlg::OnExit()
{
    if (m_ended)
        return;
    m_ended = true;
    m_sink.Close();
    m_programmer.StopThread();
    WriteSettings();
    done(QDialog::Accepted);
}

void CSt7LoaderDlg::closeEvent(QCloseEvent* event)
{
    OnExit();
    event->accept();
}

void CSt7LoaderDlg::reject()
{
    if (!m_ended) {
        m_ended = true;
        m_sink.Close();
        m_programmer.StopThread();
    }
    QDialog::reject();
}

void CSt7LoaderDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("st7flash Infor&mations..."), this, [this] { OnAbout(); });
    menu.exec(event->globalPos());
}

}  // namespace vexar::tools
