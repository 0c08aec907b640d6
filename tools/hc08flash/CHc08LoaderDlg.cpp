#include "tools/hc08flash/CHc08LoaderDlg.h"

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

namespace vexar::tools {

namespace {

const char16_t kCaption[] = u"hc08flash";
const char kWindowName[] = "PALM PROGRAMMING";
constexpr long kHandheldProgramArea = 0xE200;

enum ButtonIndex { B_FILE, B_START, B_SETTINGS, B_CLEAR, B_ABOUT, B_EXIT };

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

CHc08LoaderDlg::CHc08LoaderDlg(std::string argument, std::string toolFolder, Hc08Timing timing,
                               CHc08Programmer::Clock clock, QWidget* parent)
    : QDialog(parent),
      WindowBase(this),
      m_argument(std::move(argument)),
      m_toolFolder(std::move(toolFolder)),
      m_iniPath(m_toolFolder + IniFileName()),
      m_sink(this, kCaption),
      m_programmer(m_sink, timing, std::move(clock))
{
    setWindowTitle(QString::fromLatin1(kWindowName));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    BuildControls();
    m_programmer.Line().SetPort(1);
    m_programmer.Line().SetBaud(19200);
    m_ini.Load(m_iniPath);
    ReadSettings();
    m_space->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: rgb(255, 0, 0); }"));
    m_buttons[B_START]->setEnabled(false);
    ui::PostMessage(this, {WM_TOOL_START_ARGUMENTS, 0, 0, nullptr});
    m_programmer.StartThread();
    m_portConfigured = true;
}

CHc08LoaderDlg::~CHc08LoaderDlg()
{
    m_sink.Close();
    m_programmer.StopThread();
}

void CHc08LoaderDlg::BuildControls()
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
    m_space->setRange(0, kHandheldProgramArea);
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
    auto button = [&](ButtonIndex index, const char* text, const char* name, void (CHc08LoaderDlg::*handler)()) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        buttons->addWidget(b);
        m_buttons[index] = b;
    };
    button(B_FILE, "File", "file", &CHc08LoaderDlg::OnFile);
    button(B_START, "Start", "start", &CHc08LoaderDlg::OnStartStop);
    button(B_SETTINGS, "Settings", "settings", &CHc08LoaderDlg::OnSettings);
    button(B_CLEAR, "Clear", "clear", &CHc08LoaderDlg::OnClearList);
    button(B_ABOUT, "About", "about", &CHc08LoaderDlg::OnAbout);
    button(B_EXIT, "Exit", "exit", &CHc08LoaderDlg::OnExit);
    layout->addLayout(buttons);
    resize(600, 420);
}

QPushButton* CHc08LoaderDlg::Button(int id) const
{
    switch (id) {
    case IDC_FILE:
        return m_buttons[B_FILE];
    case IDC_START:
        return m_buttons[B_START];
    case IDC_SETTINGS:
        return m_buttons[B_SETTINGS];
    case IDC_CLEAR_LIST:
        return m_buttons[B_CLEAR];
    case IDC_ABOUT:
        return m_buttons[B_ABOUT];
    case IDC_EXIT:
        return m_buttons[B_EXIT];
    default:
        return nullptr;
    }
}

void CHc08LoaderDlg::ReadSettings()
{
    int port = m_programmer.Line().Port();
    long baud = m_programmer.Line().Baud();
    m_ini.GetInt("CONFIG", "logo", m_logo);
    m_ini.GetInt("COM", "port", port);
    m_ini.GetLong("COM", "baud", baud);
    m_ini.GetString("FILE", "filename", m_fileName);
    m_ini.GetString("FILE", "path", m_path);
    m_programmer.Line().SetPort(port);
    m_programmer.Line().SetBaud(baud);
}

void CHc08LoaderDlg::WriteSettings()
{
    m_ini.SetInt("CONFIG", "logo", m_logo);
    m_ini.SetInt("COM", "port", m_programmer.Line().Port());
    m_ini.SetLong("COM", "baud", m_programmer.Line().Baud());
    m_ini.SetString("FILE", "filename", m_fileName);
    m_ini.SetString("FILE", "path", m_path);
    if (!m_ini.Save(m_iniPath))
        Box(u"Error to access file " + ToU16(m_iniPath) + u"!", ui::MB_OK | ui::MB_ICONERROR);
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

void CHc08LoaderDlg::ApplyStartArgument()
{
    const ToolArguments args = ParseToolCommandLine(m_argument, ToolKind::Hc08flash);
    if (args.com) {
        m_programmer.Line().SetPort(*args.com);
        m_portConfigured = true;
    }
    if (args.baud)
        m_programmer.Line().SetBaud(*args.baud);
    if (args.logo)
        m_logo = *args.logo;
    if (args.path)
        m_path = *args.path;
    if (args.file)
        m_fileName = *args.file;
    SetTitle(m_programmer.Line().Port());
    m_path = ApplyFolderRule(m_path, m_toolFolder, kHandheldFolder);
    if (!m_fileName.empty())
        LoadImageFile(m_path + m_fileName);
    m_argumentApplied = true;
    if (m_script)
        m_script->ArgumentApplied();
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
    BoxReporter reporter(this);
    if (!LoadHc08Image(path, m_programmer.Image(), reporter)) {
        m_buttons[B_START]->setEnabled(false);
        return;
    }
    ShowImage();
}

void CHc08LoaderDlg::ShowImage()
{
    const LOADER_IMAGE& image = m_programmer.Image();
    m_start->setText(HexWord(image.start));
    m_stop->setText(HexWord(image.stop));
    m_prgCount->setText(HexWord(image.resetVector));
    m_checksum->setText(HexWord(image.checksum));
    const long size = static_cast<long>(image.stop) - static_cast<long>(image.start) + 1;
    m_space->setValue(static_cast<int>(std::min(size, kHandheldProgramArea)));
    m_spaceText->setText(SpacePercent(size, kHandheldProgramArea));
    m_download->setRange(static_cast<int>(image.start), static_cast<int>(image.stop));
    m_download->setValue(static_cast<int>(image.start));
    m_progressText->clear();
    m_pathText->setText(QString::fromStdString(m_path + m_fileName));
    m_buttons[B_START]->setEnabled(m_portConfigured && !m_programmer.IsRunning());
}

void CHc08LoaderDlg::AddStatus(const std::u16string& line)
{
    std::u16string text = line;
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r'))
        text.pop_back();
    m_status->addItem(QString::fromStdU16String(text));
    m_status->setCurrentRow(m_status->count() - 1);
}

void CHc08LoaderDlg::PaintBar(const QColor& colour)
{
    m_barColour = colour;
    m_download->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: %1; }").arg(colour.name()));
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
    m_buttons[B_START]->setText(running ? QStringLiteral("Stop") : QStringLiteral("Start"));
    m_buttons[B_START]->setEnabled(running || m_programmer.Image().loaded);
    for (const ButtonIndex index : {B_FILE, B_SETTINGS, B_CLEAR, B_ABOUT, B_EXIT})
        m_buttons[index]->setEnabled(!running);
}

QString CHc08LoaderDlg::ControlText(int id) const
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

int CHc08LoaderDlg::Box(const std::u16string& text, unsigned style)
{
    return ui::MessageBox(this, text, kCaption, style);
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
    class Prompts : public IPortScanPrompts, public IPortAdvanceReport {
    public:
        explicit Prompts(CHc08LoaderDlg& dlg) : m_dlg(dlg) {}
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
        void OpenFailed(int, int) override {}

    private:
        CHc08LoaderDlg& m_dlg;
    } prompts(*this);
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
    if (m_script)
        m_script->RunEnded();
}

void CHc08LoaderDlg::OnFile()
{
    if (m_programmer.IsRunning())
        return;
    ui::FileDialogRequest request;
    request.owner = this;
    request.title = u"Select file to open";
    request.folder = m_path;
    request.filter = u"Srecord file (*.s19)|*.s19|All Files (*.*)|*.*||";
    request.defaultExtension = u"*.s19";
    request.mustExist = true;
    const std::optional<std::string> chosen = ui::FileDialog(request);
    if (!chosen)
        return;
    const std::size_t slash = chosen->find_last_of('/');
    m_path = slash == std::string::npos ? m_toolFolder : chosen->substr(0, slash + 1);
    m_fileName = slash == std::string::npos ? *chosen : chosen->substr(slash + 1);
    LoadImageFile(*chosen);
}

void CHc08LoaderDlg::OnSettings()
{
    if (m_programmer.IsRunning())
        return;
    CRs232ConfigDlg dlg(this, true);
    if (dlg.exec() != QDialog::Accepted)
        return;
    m_programmer.Line().SetPort(dlg.m_nPort);
    m_programmer.Line().SetBaud(dlg.m_nBaud);
    m_portConfigured = true;
    SetTitle(m_programmer.Line().Port());
    m_buttons[B_START]->setEnabled(m_programmer.Image().loaded);
}

void CHc08LoaderDlg::OnClearList()
{
    if (!m_programmer.IsRunning())
        m_status->clear();
}

void CHc08LoaderDlg::OnAbout()
{
    if (m_programmer.IsRunning())
        return;
    CLoaderAboutDlg about(this, m_logo, "hc08flash");
    about.exec();
}

void CHc08LoaderDlg::OnExit()
{
    if (m_ended)
        return;
    // A close request may come during a run: the worker is stopped and
    // joined before the dialog ends.
    m_ended = true;
    m_sink.Close();
    m_programmer.StopThread();
    done(QDialog::Accepted);
    WriteSettings();
}

void CHc08LoaderDlg::closeEvent(QCloseEvent* event)
{
    OnExit();
    event->accept();
}

void CHc08LoaderDlg::reject()
{
    if (!m_ended) {
        m_ended = true;
        m_sink.Close();
        m_programmer.StopThread();
    }
    QDialog::reject();
}

void CHc08LoaderDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("prgbay Infor&mations..."), this, [this] { OnAbout(); });
    menu.exec(event->globalPos());
}

}  // namespace vexar::tools
