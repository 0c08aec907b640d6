#include "tools/common/ui/CLoaderDlgBase.h"

#include "platform/ui/DialogResponder.h"
#include "tools/common/CToolLine.h"
#include "tools/common/LoaderImage.h"
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

CLoaderDlgBase::CLoaderDlgBase(const Identity& identity, std::string argument, std::string toolFolder,
                               QWidget* parent)
    : QDialog(parent),
      WindowBase(this),
      m_argument(std::move(argument)),
      m_toolFolder(std::move(toolFolder)),
      m_iniPath(m_toolFolder + identity.iniFileName),
      m_ini(identity.iniLastLine),
      m_sink(this, identity.caption, identity.codeLine),
      m_caption(identity.caption),
      m_contextMenuText(identity.contextMenuText)
{
    setWindowFlag(Qt::WindowStaysOnTopHint);
}

void CLoaderDlgBase::BuildControls(const FieldLayout& fields, std::initializer_list<ButtonSpec> buttons)
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
    if (fields.prgCount)
        m_prgCount = edit("prgcount");
    m_checksum = edit("checksum");
    const std::pair<const char*, QLineEdit*> edits[] = {
        {"Start", m_start}, {"Stop", m_stop}, {"Prg count", m_prgCount}, {"Checksum", m_checksum}};
    int columns = 0;
    for (const auto& [label, field] : edits) {
        if (!field)
            continue;
        grid->addWidget(new QLabel(QString::fromLatin1(label), this), 0, columns++);
        grid->addWidget(field, 0, columns++);
    }
    // A bar takes the row but its last column, which holds its text; with
    // captions the first column holds the caption.
    auto barRow = [&](int row, const char* caption, QProgressBar* bar, QLabel* text) {
        int first = 0;
        if (fields.barCaptions) {
            grid->addWidget(new QLabel(QString::fromLatin1(caption), this), row, 0);
            first = 1;
        }
        grid->addWidget(bar, row, first, 1, columns - 1 - first);
        grid->addWidget(text, row, columns - 1);
    };
    m_space = new QProgressBar(this);
    m_space->setTextVisible(false);
    m_space->setRange(fields.spaceMinimum, fields.spaceMaximum);
    m_space->setValue(fields.spaceMinimum);
    m_space->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: rgb(255, 0, 0); }"));
    m_spaceText = new QLabel(this);
    barRow(1, "Space used", m_space, m_spaceText);
    m_download = new QProgressBar(this);
    m_download->setTextVisible(false);
    m_download->setRange(0, 0);
    m_download->setValue(0);
    m_progressText = new QLabel(this);
    barRow(2, "Download", m_download, m_progressText);
    m_pathText = new QLabel(this);
    grid->addWidget(m_pathText, 3, 0, 1, columns);
    layout->addLayout(grid);

    auto* row = new QHBoxLayout;
    for (const ButtonSpec& spec : buttons) {
        auto* b = new QPushButton(QString::fromLatin1(spec.text), this);
        b->setObjectName(QString::fromLatin1(spec.objectName));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, spec.handler);
        row->addWidget(b);
        m_buttons[spec.id] = b;
    }
    layout->addLayout(row);
    resize(fields.width, fields.height);
}

QPushButton* CLoaderDlgBase::Button(int id) const
{
    const auto found = m_buttons.find(id);
    return found == m_buttons.end() ? nullptr : found->second;
}

QString CLoaderDlgBase::ControlText(int id) const
{
    auto text = [](const auto* control) { return control ? control->text() : QString(); };
    switch (id) {
    case IDC_START_ADDR:
        return text(m_start);
    case IDC_STOP_ADDR:
        return text(m_stop);
    case IDC_PRG_COUNT:
        return text(m_prgCount);
    case IDC_CHECKSUM:
        return text(m_checksum);
    case IDC_SPACE_TEXT:
        return text(m_spaceText);
    case IDC_PROGRESS_TEXT:
        return text(m_progressText);
    case IDC_PATH:
        return text(m_pathText);
    default:
        return {};
    }
}

void CLoaderDlgBase::ShowImageTexts(const LOADER_IMAGE& image)
{
    m_start->setText(HexWord(image.start));
    m_stop->setText(HexWord(image.stop));
    if (m_prgCount)
        m_prgCount->setText(HexWord(image.resetVector));
    m_checksum->setText(HexWord(image.checksum));
    m_progressText->clear();
    m_pathText->setText(QString::fromStdString(m_path + m_fileName));
}

void CLoaderDlgBase::AddStatus(const std::u16string& line)
{
    std::u16string text = line;
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r'))
        text.pop_back();
    m_status->addItem(QString::fromStdU16String(text));
    m_status->setCurrentRow(m_status->count() - 1);
    m_status->repaint();
}

void CLoaderDlgBase::PaintBar(const QColor& colour)
{
    m_barColour = colour;
    m_download->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: %1; }").arg(colour.name()));
}

int CLoaderDlgBase::Box(const std::u16string& text, unsigned style)
{
    return ui::MessageBox(this, text, m_caption, style);
}

void CLoaderDlgBase::Reporter::ShowMessage(const std::u16string& text)
{
    m_dlg.Box(text, ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

void CLoaderDlgBase::ReadCommonSettings()
{
    int port = ToolLine().Port();
    long baud = ToolLine().Baud();
    m_ini.GetInt("CONFIG", "logo", m_logo);
    m_ini.GetInt("COM", "port", port);
    m_ini.GetLong("COM", "baud", baud);
    m_ini.GetString("FILE", "filename", m_fileName);
    m_ini.GetString("FILE", "path", m_path);
    ToolLine().SetPort(port);
    ToolLine().SetBaud(baud);
}

void CLoaderDlgBase::WriteCommonSettings()
{
    m_ini.SetInt("CONFIG", "logo", m_logo);
    m_ini.SetInt("COM", "port", ToolLine().Port());
    m_ini.SetLong("COM", "baud", ToolLine().Baud());
    m_ini.SetString("FILE", "filename", m_fileName);
    m_ini.SetString("FILE", "path", m_path);
}

ToolArguments CLoaderDlgBase::ApplyCommonArguments(ToolKind tool)
{
    const ToolArguments args = ParseToolCommandLine(m_argument, tool);
    if (args.com)
        ToolLine().SetPort(*args.com);
    if (args.baud)
        ToolLine().SetBaud(*args.baud);
    if (args.logo)
        m_logo = *args.logo;
    if (args.path)
        m_path = *args.path;
    if (args.file)
        m_fileName = *args.file;
    return args;
}

void CLoaderDlgBase::SaveSettingsFile()
{
    if (!m_ini.Save(m_iniPath))
        Box(u"Error to access file " + QString::fromStdString(m_iniPath).toStdU16String() + u"!",
            ui::MB_OK | ui::MB_ICONERROR);
}

void CLoaderDlgBase::TakeChosenFile(const std::string& chosen)
{
    const std::size_t slash = chosen.find_last_of('/');
    m_path = slash == std::string::npos ? m_toolFolder : chosen.substr(0, slash + 1);
    m_fileName = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
}

std::optional<std::string> CLoaderDlgBase::ChooseImageFile(const char16_t* filter, const char16_t* defaultExtension)
{
    ui::FileDialogRequest request;
    request.owner = this;
    request.title = u"Select file to open";
    request.folder = m_path;
    request.filter = filter;
    request.defaultExtension = defaultExtension;
    request.mustExist = true;
    return ui::FileDialog(request);
}

bool CLoaderDlgBase::AskPortSettings(bool withSpeeds)
{
    CRs232ConfigDlg dlg(this, withSpeeds);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    ToolLine().SetPort(dlg.m_nPort);
    ToolLine().SetBaud(dlg.m_nBaud);
    return true;
}

CLoaderDlgBase::ScanPrompts::ScanPrompts(CLoaderDlgBase& dlg, std::u16string conflictQuestion,
                                         std::u16string noPortText,
                                         std::function<std::u16string(int port, int error)> openFailedLine)
    : m_dlg(dlg),
      m_conflictQuestion(std::move(conflictQuestion)),
      m_noPortText(std::move(noPortText)),
      m_openFailedLine(std::move(openFailedLine))
{
}

CLoaderDlgBase::ScanPrompts::ScanPrompts(CLoaderDlgBase& dlg,
                                         std::function<std::u16string(int port, int error)> openFailedLine)
    : ScanPrompts(dlg,
                  u"Attention COM-USB conflict, try to connect through a different USB port. Do you want to continue "
                  u"with the connection?",
                  u"Attention NO COM find, try to disconnect and reconnect USB converter.", std::move(openFailedLine))
{
}

bool CLoaderDlgBase::ScanPrompts::AskContinueDespiteConflict()
{
    return m_dlg.Box(m_conflictQuestion, ui::MB_YESNO | ui::MB_ICONQUESTION) == ui::IDYES;
}

void CLoaderDlgBase::ScanPrompts::ShowNoPortFound()
{
    m_dlg.Box(m_noPortText, ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

void CLoaderDlgBase::ScanPrompts::PortChosen(int port)
{
    m_dlg.SetTitle(port);
}

void CLoaderDlgBase::ScanPrompts::OpenFailed(int port, int systemError)
{
    if (m_openFailedLine)
        m_dlg.AddStatus(m_openFailedLine(port, systemError));
}

bool CLoaderDlgBase::EndWorkerOnce()
{
    if (m_ended)
        return false;
    m_ended = true;
    m_sink.Close();
    StopWorker();
    return true;
}

void CLoaderDlgBase::NotifyArgumentApplied()
{
    m_argumentApplied = true;
    if (m_script)
        m_script->ArgumentApplied();
}

void CLoaderDlgBase::NotifyRunEnded()
{
    if (m_script)
        m_script->RunEnded();
}

void CLoaderDlgBase::OnAbout()
{
    CLoaderAboutDlg about(this, m_logo, QString::fromStdU16String(m_caption).toStdString());
    about.exec();
}

void CLoaderDlgBase::closeEvent(QCloseEvent* event)
{
    OnExit();
    event->accept();
}

void CLoaderDlgBase::reject()
{
    EndWorkerOnce();
    QDialog::reject();
}

void CLoaderDlgBase::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(m_contextMenuText, this, [this] { OnAbout(); });
    menu.exec(event->globalPos());
}

}  // namespace vexar::tools
