#include "tools/hhwriter/CHandheldWriterDlg.h"

#include "platform/ui/DialogResponder.h"
#include "tools/common/ImageLoaders.h"
#include "tools/common/ToolCommandLine.h"
#include "tools/common/ui/CLoaderAboutDlg.h"
#include "tools/common/ui/CRs232ConfigDlg.h"
#include "tools/common/ui/CToolScript.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace vexar::tools {

namespace {

const char16_t kCaption[] = u"hhwriter";

// hhwriter shows what the loaders report as status lines: a failed item
// is followed by the next one, not held up by a box.
class LineReporter : public CLoaderReporter {
public:
    explicit LineReporter(std::function<void(const std::u16string&)> show) : m_show(std::move(show)) {}
    void ShowMessage(const std::u16string& text) override { m_show(text); }

private:
    std::function<void(const std::u16string&)> m_show;
};

std::u16string Sprintf(const char* format, unsigned a, unsigned b = 0, unsigned c = 0, unsigned d = 0)
{
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string ToU16(const std::string& utf8)
{
    return QString::fromStdString(utf8).toStdU16String();
}

bool EndsWithBinAnyCase(const std::string& name)
{
    if (name.size() < 3)
        return false;
    std::string tail = name.substr(name.size() - 3);
    for (char& c : tail)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return tail == "bin";
}

}  // namespace

CHandheldWriterDlg::CHandheldWriterDlg(std::string argument, std::string toolFolder, double replyTimeout,
                                       CHandheldSender::Clock clock, QWidget* parent)
    : QDialog(parent),
      WindowBase(this),
      m_argument(std::move(argument)),
      m_toolFolder(std::move(toolFolder)),
      m_iniPath(m_toolFolder + IniFileName()),
      m_link(replyTimeout),
      m_sender(m_link, *this, std::move(clock))
{
    setWindowFlag(Qt::WindowStaysOnTopHint);
    BuildControls();
    m_link.SetPort(1);
    m_link.SetBaud(19200);
    m_ini.Load(m_iniPath);
    ReadSettings();
    ApplyStartArgument();
    m_items[ITEM_LANG].path = ApplyFolderRule(m_items[ITEM_LANG].path, m_toolFolder, kHandheldFolder);
    m_items[ITEM_KD01].path = ApplyFolderRule(m_items[ITEM_KD01].path, m_toolFolder, DefaultKd01Folder(m_logo));
    m_items[ITEM_KD02].path = ApplyFolderRule(m_items[ITEM_KD02].path, m_toolFolder, DefaultKd02Folder(m_logo));
    for (const Item item : {ITEM_LANG, ITEM_KD01, ITEM_KD02}) {
        if (m_items[item].name.empty())
            m_items[item].send = 0;
        ShowItem(item);
    }
    SetTitle();
    m_currentText->setText(QStringLiteral("0 %"));
    m_overallText->setText(QStringLiteral("0 %"));
    m_exit->setFocus();
}

CHandheldWriterDlg::~CHandheldWriterDlg()
{
    m_stop = true;
    m_link.Close();
}

void CHandheldWriterDlg::BuildControls()
{
    auto* layout = new QVBoxLayout(this);
    m_status = new QListWidget(this);
    m_status->setObjectName(QStringLiteral("status"));
    layout->addWidget(m_status, 1);
    auto* grid = new QGridLayout;
    const char* chooseTexts[] = {"Lang", "Fw KD01", "Fw KD02"};
    for (int i = 0; i < 3; ++i) {
        ItemControls& item = m_items[i];
        item.check = new QCheckBox(this);
        item.file = new QLabel(this);
        item.file->setMinimumWidth(360);
        item.choose = new QPushButton(QString::fromLatin1(chooseTexts[i]), this);
        item.choose->setAutoDefault(false);
        connect(item.choose, &QPushButton::clicked, this, [this, i] { OnChoose(static_cast<Item>(i)); });
        grid->addWidget(item.check, i, 0);
        grid->addWidget(item.file, i, 1);
        grid->addWidget(item.choose, i, 2);
    }
    m_current = new QProgressBar(this);
    m_current->setTextVisible(false);
    m_current->setRange(0, 0x7FFF);
    m_currentText = new QLabel(this);
    m_overall = new QProgressBar(this);
    m_overall->setTextVisible(false);
    m_overall->setRange(0, 1);
    m_overallText = new QLabel(this);
    grid->addWidget(m_current, 3, 0, 1, 2);
    grid->addWidget(m_currentText, 3, 2);
    grid->addWidget(m_overall, 4, 0, 1, 2);
    grid->addWidget(m_overallText, 4, 2);
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* text, void (CHandheldWriterDlg::*handler)()) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        buttons->addWidget(b);
        return b;
    };
    m_start = button("Start", &CHandheldWriterDlg::OnStart);
    m_stopButton = button("Stop", &CHandheldWriterDlg::OnStop);
    m_comCfg = button("COM cfg", &CHandheldWriterDlg::OnComCfg);
    m_about = button("About", &CHandheldWriterDlg::OnAbout);
    m_exit = button("Exit", &CHandheldWriterDlg::OnExit);
    layout->addLayout(buttons);
    resize(560, 420);
}

QPushButton* CHandheldWriterDlg::Button(int id) const
{
    switch (id) {
    case IDC_EXIT:
        return m_exit;
    case IDC_COM_CFG:
        return m_comCfg;
    case IDC_ABOUT:
        return m_about;
    case IDC_LANG:
        return m_items[ITEM_LANG].choose;
    case IDC_START:
        return m_start;
    case IDC_FW_KD01:
        return m_items[ITEM_KD01].choose;
    case IDC_STOP:
        return m_stopButton;
    case IDC_FW_KD02:
        return m_items[ITEM_KD02].choose;
    default:
        return nullptr;
    }
}

void CHandheldWriterDlg::ReadSettings()
{
    int port = m_link.Port();
    int baud = static_cast<int>(m_link.Baud());
    m_ini.GetInt("CONFIG", "Logo", m_logo);
    m_ini.GetInt("COM", "portnum", port);
    m_ini.GetInt("COM", "baudrate", baud);
    m_ini.GetString("LANG", "PathLang", m_items[ITEM_LANG].path);
    m_ini.GetString("LANG", "FileLang", m_items[ITEM_LANG].name);
    m_ini.GetInt("LANG", "LoadLang", m_items[ITEM_LANG].send);
    m_ini.GetString("FWKD01", "PathFwKd01", m_items[ITEM_KD01].path);
    m_ini.GetString("FWKD01", "FileFwKd01", m_items[ITEM_KD01].name);
    m_ini.GetInt("FWKD01", "LoadFwKd01", m_items[ITEM_KD01].send);
    m_ini.GetString("FWKD02", "PathFwKd02", m_items[ITEM_KD02].path);
    m_ini.GetString("FWKD02", "FileFwKd02", m_items[ITEM_KD02].name);
    m_ini.GetInt("FWKD02", "LoadFwKd02", m_items[ITEM_KD02].send);
    m_link.SetPort(port);
    m_link.SetBaud(baud);
}

void CHandheldWriterDlg::WriteSettings()
{
    for (int i = 0; i < 3; ++i)
        m_items[i].send = m_items[i].check->isChecked() ? 1 : 0;
    m_ini.SetInt("CONFIG", "Logo", m_logo);
    m_ini.SetInt("COM", "portnum", m_link.Port());
    m_ini.SetInt("COM", "baudrate", static_cast<int>(m_link.Baud()));
    m_ini.SetString("LANG", "PathLang", m_items[ITEM_LANG].path);
    m_ini.SetString("LANG", "FileLang", m_items[ITEM_LANG].name);
    m_ini.SetInt("LANG", "LoadLang", m_items[ITEM_LANG].send);
    m_ini.SetString("FWKD01", "PathFwKd01", m_items[ITEM_KD01].path);
    m_ini.SetString("FWKD01", "FileFwKd01", m_items[ITEM_KD01].name);
    m_ini.SetInt("FWKD01", "LoadFwKd01", m_items[ITEM_KD01].send);
    m_ini.SetString("FWKD02", "PathFwKd02", m_items[ITEM_KD02].path);
    m_ini.SetString("FWKD02", "FileFwKd02", m_items[ITEM_KD02].name);
    m_ini.SetInt("FWKD02", "LoadFwKd02", m_items[ITEM_KD02].send);
    if (!m_ini.Save(m_iniPath))
        ui::MessageBox(this, u"Error to access file " + ToU16(m_iniPath) + u"!", kCaption, ui::MB_OK | ui::MB_ICONERROR);
}

void CHandheldWriterDlg::ApplyStartArgument()
{
    // hhwriter reads its argument at once; PATH and FILE are not its keys.
    const ToolArguments args = ParseToolCommandLine(m_argument, ToolKind::Hhwriter);
    if (args.com)
        m_link.SetPort(*args.com);
    if (args.baud)
        m_link.SetBaud(*args.baud);
    if (args.logo)
        m_logo = *args.logo;
    const std::pair<const std::optional<std::string>*, std::string*> values[] = {
        {&args.pathLang, &m_items[ITEM_LANG].path},   {&args.fileLang, &m_items[ITEM_LANG].name},
        {&args.pathFwKd01, &m_items[ITEM_KD01].path}, {&args.fileFwKd01, &m_items[ITEM_KD01].name},
        {&args.pathFwKd02, &m_items[ITEM_KD02].path}, {&args.fileFwKd02, &m_items[ITEM_KD02].name}};
    for (const auto& [given, setting] : values) {
        if (*given)
            *setting = **given;
    }
}

void CHandheldWriterDlg::ShowItem(Item item)
{
    ItemControls& controls = m_items[item];
    controls.check->setChecked(controls.send != 0);
    controls.file->setText(QString::fromStdString(controls.path + controls.name));
}

QString CHandheldWriterDlg::FileText(Item item) const
{
    return m_items[item].file->text();
}

QString CHandheldWriterDlg::CurrentText() const
{
    return m_currentText->text();
}

QString CHandheldWriterDlg::OverallText() const
{
    return m_overallText->text();
}

void CHandheldWriterDlg::SetTitle()
{
    setWindowTitle(QStringLiteral("hhwriter @ Com=%1 Baud=%2").arg(m_link.Port()).arg(m_link.Baud()));
}

void CHandheldWriterDlg::AddStatus(const std::u16string& line)
{
    m_status->addItem(QString::fromStdU16String(line));
    m_status->setCurrentRow(m_status->count() - 1);
}

void CHandheldWriterDlg::EnableButtons(bool enable)
{
    for (QPushButton* b : {m_items[0].choose, m_items[1].choose, m_items[2].choose, m_start, m_exit, m_comCfg, m_about})
        b->setEnabled(enable);
}

void CHandheldWriterDlg::OnComCfg()
{
    if (m_sending)
        return;
    CRs232ConfigDlg dlg(this, false);
    if (dlg.exec() != QDialog::Accepted)
        return;
    m_link.SetPort(dlg.m_nPort);
    m_link.SetBaud(dlg.m_nBaud);
    SetTitle();
}

void CHandheldWriterDlg::OnAbout()
{
    if (m_sending)
        return;
    CLoaderAboutDlg about(this, m_logo, "hhwriter");
    about.exec();
}

void CHandheldWriterDlg::OnChoose(Item item)
{
    if (m_sending)
        return;
    static const struct {
        const char16_t* extension;
        const char16_t* filter;
        const char16_t* title;
    } kChoices[] = {
        {u"*.bin", u"Binary file (*.bin)|*.bin|All Files (*.*)|*.*||", u"Select language file"},
        {u"*.run", u"Cripted Srecord file (*.run)|*.run|Srecord file (*.s19)|*.s19||", u"Select KD01 firmware file"},
        {u"*.hex", u"Application file (*.hex)|*.hex|Application file (*.bin)|*.bin||", u"Select KD02 firmware file"},
    };
    ui::FileDialogRequest request;
    request.owner = this;
    request.title = kChoices[item].title;
    request.folder = m_items[item].path;
    request.filter = kChoices[item].filter;
    request.defaultExtension = kChoices[item].extension;
    request.mustExist = true;
    const std::optional<std::string> chosen = ui::FileDialog(request);
    if (!chosen)
        return;
    const std::size_t slash = chosen->find_last_of('/');
    m_items[item].path = slash == std::string::npos ? m_toolFolder : chosen->substr(0, slash + 1);
    m_items[item].name = slash == std::string::npos ? *chosen : chosen->substr(slash + 1);
    m_items[item].file->setText(QString::fromStdString(*chosen));
}

void CHandheldWriterDlg::ItemDone(int done, int ticked)
{
    m_overallText->setText(QString::fromStdU16String(handheld::OverallText(double(done) * 100.0 / double(ticked))));
    m_overall->setValue(done);
}

void CHandheldWriterDlg::OnStart()
{
    if (m_sending)
        return;
    int ticked = 0;
    for (const ItemControls& item : m_items)
        ticked += item.check->isChecked() ? 1 : 0;
    m_overall->setRange(0, std::max(ticked, 1));
    m_overall->setValue(0);
    m_overallText->setText(QStringLiteral("0%"));
    EnableButtons(false);
    m_sending = true;
    int done = 0;
    using SendItem = bool (CHandheldWriterDlg::*)();
    const std::pair<Item, SendItem> items[] = {{ITEM_LANG, &CHandheldWriterDlg::SendLanguage},
                                                {ITEM_KD01, &CHandheldWriterDlg::SendKd01},
                                                {ITEM_KD02, &CHandheldWriterDlg::SendKd02}};
    for (const auto& [item, send] : items) {
        if (!m_items[item].check->isChecked())
            continue;
        if ((this->*send)())
            ItemDone(++done, ticked);
    }
    m_sending = false;
    EnableButtons(true);
    if (m_rejectPending || m_closePending)
        EndDialog(false);
    else if (m_script)
        m_script->RunEnded();
}

// Each Send* loads its item; false when it could not be loaded (no overall
// advance), true once it was sent, whatever the result line says.
bool CHandheldWriterDlg::SendLanguage()
{
    const ItemControls& item = m_items[ITEM_LANG];
    LineReporter reporter([this](const std::u16string& text) { AddStatus(text); });
    if (item.name.empty() || !LoadHandheldLanguageFile(item.path + item.name, m_language, reporter)) {
        AddStatus(u"ERROR loading Lang!");
        return false;
    }
    AddStatus(u"Programming lang ...");
    AddStatus(m_sender.SendLanguage(m_language) ? u"Done succesfully!" : u"ERROR!");
    return true;
}

bool CHandheldWriterDlg::SendKd01()
{
    const ItemControls& item = m_items[ITEM_KD01];
    LineReporter reporter([this](const std::u16string& text) { AddStatus(text); });
    if (!LoadHhwriterKd01Image(item.path + item.name, m_kd01, reporter)) {
        AddStatus(u"ERROR loading FW KD01!");
        return false;
    }
    AddStatus(Sprintf("Loading FW KD01 [%04x][%04x][%04x][%04x]", m_kd01.start, m_kd01.stop, m_kd01.resetVector,
                      m_kd01.checksum));
    AddStatus(u"Programming KD01 firmware ...");
    AddStatus(m_sender.SendKd01(m_kd01, item.name) ? u"Done succesfully!" : u"ERROR!");
    return true;
}

bool CHandheldWriterDlg::SendKd02()
{
    const ItemControls& item = m_items[ITEM_KD02];
    LineReporter reporter([this](const std::u16string& text) { AddStatus(text); });
    const std::string path = item.path + item.name;
    const bool loaded = EndsWithBinAnyCase(item.name) ? LoadHhwriterKd02BinImage(path, m_kd02, reporter)
                                                      : LoadHhwriterKd02HexImage(path, m_kd02, reporter);
    if (!loaded) {
        AddStatus(u"ERROR loading FW KD02!");
        return false;
    }
    // What the handheld receives: 0x18000 up to the stop, and its word sum.
    AddStatus(Sprintf("Loading FW KD02 [%06x][%04x]", Kd02ProgrammedRange(m_kd02).Length(), Kd02ProgramChecksum(m_kd02)));
    AddStatus(u"Programming KD02 firmware ...");
    AddStatus(m_sender.SendKd02(m_kd02, item.name) ? u"Done succesfully!" : u"ERROR!");
    return true;
}

void CHandheldWriterDlg::ItemBegins(long barMaximum)
{
    m_current->setRange(0, static_cast<int>(barMaximum));
    m_current->setValue(0);
    m_stop = false;
}

bool CHandheldWriterDlg::BlockSent(long lastByte, const std::u16string& progressText)
{
    m_current->setValue(static_cast<int>(lastByte));
    m_currentText->setText(QString::fromStdU16String(progressText));
    // The window stays responsive: Stop, timers and a close request are
    // seen here, between two blocks.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !m_stop;
}

void CHandheldWriterDlg::ErrorBox(const std::u16string& text)
{
    ui::MessageBox(this, text, kCaption, ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

void CHandheldWriterDlg::OnStop()
{
    m_stop = true;
}

void CHandheldWriterDlg::EndDialog(bool writeSettings)
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_rejectPending) {
        QDialog::reject();
        return;
    }
    done(QDialog::Accepted);
    if (writeSettings)
        WriteSettings();
}

void CHandheldWriterDlg::OnExit()
{
    if (m_sending)
        return;
    EndDialog(true);
}

void CHandheldWriterDlg::closeEvent(QCloseEvent* event)
{
    if (m_sending) {
        // The settings are safe at once; the dialog ends when the sending
        // is over.
        if (!m_closePending) {
            m_closePending = true;
            WriteSettings();
        }
        event->ignore();
        return;
    }
    EndDialog(true);
    event->accept();
}

void CHandheldWriterDlg::reject()
{
    if (m_sending) {
        m_stop = true;
        m_rejectPending = true;
        return;
    }
    m_ended = true;
    QDialog::reject();
}

void CHandheldWriterDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("hhwriter Infor&mations..."), this, [this] { OnAbout(); });
    menu.exec(event->globalPos());
}

}  // namespace vexar::tools
