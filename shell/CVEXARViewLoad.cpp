// Configuration selection and loading: the ECU selection dialog, then the
// definitions, layouts and parser of the chosen configuration, the images
// sized for them, the link's protocol, speed and byte order, and the page
// windows.
#include "shell/CVEXARView.h"

#include "common/Text.h"
#include "config/CControlliConfigurati.h"
#include "config/CInterfacciaParametri.h"
#include "config/CParser.h"
#include "dialogs/CDlgDiag.h"
#include "link/LinkMessages.h"
#include "dialogs/CDlgSelCentr.h"
#include "pages/CDlgTabSB.h"
#include "platform/ProgramNames.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARApp.h"
#include "shell/core/ConfigLanguage.h"
#include "shell/core/PageLayout.h"

#include <QApplication>
#include <QFontMetrics>
#include <QScrollBar>
#include <QStyle>

#include <sys/stat.h>

using namespace vexar;
using namespace vexar::shell;

namespace {

enum ConfigFile { kPar, kGpc, kVar, kGvs, kGdg };

bool Accessible(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// One definition file with its check; a part that fails counts no control.
struct DefinitionPart {
    std::unique_ptr<CControlliConfigurati> set;
    bool ok = false;

    std::span<const REC_CONTROLLO> Records() const
    {
        return ok ? std::span<const REC_CONTROLLO>(set->Controls()) : std::span<const REC_CONTROLLO>();
    }
};

DefinitionPart LoadDefinitions(const std::string& path, const std::u16string& logName, const std::u16string& language,
                               const std::vector<std::u16string>& languages)
{
    DefinitionPart part;
    part.set = std::make_unique<CControlliConfigurati>(path, logName);
    std::u16string current = language;
    part.ok = part.set->Load(current, languages) == 0 && part.set->CountControls() >= 0;
    return part;
}

// A part with controls also needs its formulas' operands among
// `operands` and, when it has one, its layout.
void CheckPart(DefinitionPart& part, std::span<const REC_CONTROLLO> operands, CInterfacciaParametri* layout,
               const std::u16string& language, const std::vector<std::u16string>& languages)
{
    if (!part.ok || part.set->Controls().empty())
        return;
    std::u16string current = language;
    part.ok = part.set->CheckConversionFormulas(operands) && (!layout || layout->LoadLayout(current, languages) == 0);
}

}  // namespace

// ---- ECU selection ------------------------------------------------------------------

void CVEXARView::OnSelectEcu()
{
    // While a connect is with the worker the selection is refused: its
    // load would have to wait for that attempt, which may bring the link up
    // on the configuration being left.
    if (m_hProgram != 0 || m_app.m_bRecording || m_app.m_bBusy || ConnectWithWorker())
        return;
    if (!m_bFirstStart && !ConfirmInterruption())
        return;
    CDlgSelCentr dialog(&m_frame);
    dialog.m_strLangFile = m_strLangFile;
    dialog.m_pCatalogue = &m_catalogue;
    dialog.m_strEcuType = m_strEcuFamily;
    {
        std::lock_guard lock(m_app.m_csIdent);
        dialog.m_strFirmware = m_app.m_strConfigName;
    }
    if (m_app.m_bLinked)
        m_app.PostLinkRequest(link::WM_LINK_DISCONNECT);
    if (dialog.DoModal() != ui::IDOK) {
        // Without a configuration there is nothing to work on: the program
        // takes its exit road.
        if (m_bFirstStart)
            m_frame.PostExitRoad();
        return;
    }
    m_strEcuFamily = dialog.m_strEcuType;
    {
        std::lock_guard lock(m_app.m_csIdent);
        m_app.m_strConfigName = dialog.m_strFirmware;
    }
    UpdateStatusPanes();
    m_bFirstStart = false;
    SetConfigurationPaths(m_strEcuFamily, dialog.m_strFirmware);
    LoadConfiguration();
    WriteSession();
}

// A pair the catalogue does not know leaves the file names empty: the
// load then fails.
void CVEXARView::SetConfigurationPaths(const std::u16string& ecu, const std::u16string& firmware)
{
    FILE_CONFIGURAZIONE files;
    m_catalogue.GetConfigFiles(ecu, firmware, files);
    std::string folder;
    m_catalogue.GetConfigurationPath(folder);
    folder += ToUtf8(ecu) + "/" + ToUtf8(firmware) + "/";
    const std::u16string* names[] = {&files.FILE_PAR, &files.FILE_GPC, &files.FILE_VAR, &files.FILE_GVS,
                                     &files.FILE_GDG};
    for (std::size_t i = 0; i < m_strConfigPaths.size(); ++i)
        m_strConfigPaths[i] = folder + ToUtf8(*names[i]);
}

// ---- Loading ------------------------------------------------------------------------

bool CVEXARView::WorkerMayUseImages() const { return m_app.m_bLinked || ConnectWithWorker(); }

void CVEXARView::RunDeferredLoad()
{
    if (WorkerMayUseImages())
        return;
    if (m_bLoadPending) {
        m_bLoadPending = false;
        LoadConfiguration();
    }
    if (m_bSessionPending) {
        m_bSessionPending = false;
        WriteSession();
    }
    if (m_bReconnectPending) {
        m_bReconnectPending = false;
        RequestConnect();
    }
}

void CVEXARView::LoadConfiguration()
{
    // The images change only while the worker cannot use them: with the
    // link down and no connect with the worker. A load asked for meanwhile
    // runs when the worker reports the link down or the connect ended.
    if (WorkerMayUseImages()) {
        m_bLoadPending = true;
        return;
    }
    m_bLoadPending = false;
    SetWaitCursor(true);
    m_app.m_bBusy = true;
    m_app.m_bNotifyLinked = false;

    CloseAllWindows();
    m_strCalibName.clear();
    UpdateTitle();
    m_pCalibNameCtrl = nullptr;

    const std::string folder = FolderOf(m_strConfigPaths[kPar]);
    if (!folder.empty()) {
        const auto states = m_layout.buttonStates;
        const std::string ecuCfg = folder + "/ECU.cfg";
        if (Accessible(ecuCfg))
            ReadConfigurationLayout(ecuCfg);
        else
            ReadSettings();
        if (states != m_layout.buttonStates)
            BuildFunctionKeyMenu(false);
    }
    const std::vector<std::u16string> languages = ReadLanguageList(folder + "/GestLang.cfg");
    const std::u16string language = ChooseConfigurationLanguage(m_strLangFile, languages);

    m_app.FreeImageBuffers();
    m_strParserFile = folder + "/Parser.txt";
    m_strParserOutFile = folder + "/ParserOut.txt";

    m_parLayout = REC_INTERFACCIA{};
    m_varLayout = REC_INTERFACCIA{};
    CInterfacciaParametri parLayout(m_strConfigPaths[kGpc], m_parLayout, u"InfoInterfaccePC");
    CInterfacciaParametri varLayout(m_strConfigPaths[kGvs], m_varLayout, u"InfoInterfacceVS");
    DefinitionPart par = LoadDefinitions(m_strConfigPaths[kPar], u"InfoControlliPC", language, languages);
    CheckPart(par, par.Records(), &parLayout, language, languages);
    DefinitionPart var = LoadDefinitions(m_strConfigPaths[kVar], u"InfoControlliVS", language, languages);
    CheckPart(var, par.Records(), &varLayout, language, languages);
    DefinitionPart diag = LoadDefinitions(m_strConfigPaths[kGdg], u"InfoControlliGDG", language, languages);
    CheckPart(diag, par.Records(), nullptr, language, languages);

    bool success = par.ok && var.ok && diag.ok;
    if (success) {
        m_parRecords.assign(par.Records().begin(), par.Records().end());
        m_varRecords.assign(var.Records().begin(), var.Records().end());
        m_diagRecords.assign(diag.Records().begin(), diag.Records().end());
        for (std::vector<REC_CONTROLLO>* records : {&m_parRecords, &m_varRecords, &m_diagRecords}) {
            SortControlsByPosition(*records);
            SortControlsInRow(*records);
        }
        SizeConfiguration(*par.set, *var.set, *diag.set);
        CheckParser();
        ApplyLinkSettings(*par.set);
        FindBootLoader(*par.set, !folder.empty());
        success = parLayout.CheckParamIds(m_parRecords, m_varRecords) && varLayout.CheckVarIds(m_varRecords);
        if (success) {
            parLayout.AddHiddenParams(m_parRecords);
            varLayout.AddHiddenVars(m_varRecords);
            CreatePageHosts(*par.set, *var.set);
        }
    }
    ApplyLoadResult(success);
    CUtility::ShowAndFocus(*this, ui::SW_RESTORE);
    m_app.m_bBusy = false;
    SetWaitCursor(false);
}

// Step 10: the settings and the layouts scaled and measured, the images
// sized.
void CVEXARView::SizeConfiguration(CControlliConfigurati& par, CControlliConfigurati& var, CControlliConfigurati& diag)
{
    // Scaled once from the values as read: a reload never scales what an
    // earlier load has scaled already.
    UseSettingsAsRead();
    const QSize screen = m_app.ScreenSize();
    ScaleLayoutToScreen(m_parLayout, m_varLayout, m_layout, screen.width(), screen.height());
    QFont windowFont;
    CUtility::CreateFontPt(windowFont, m_layout.pageFontFace, m_layout.pageFontSize, m_layout.pageFontBold != 0);
    QFont barFont;
    CUtility::CreateFontPt(barFont, m_layout.barFontFace, m_layout.barFontSize, m_layout.barFontBold != 0);
    auto measureIn = [](const QFont& font) {
        return TextMeasure([metrics = QFontMetrics(font)](std::u16string_view text) {
            const QSize size = metrics.size(Qt::TextSingleLine, QString::fromStdU16String(std::u16string(text)));
            return PIXEL_SIZE{size.width(), size.height()};
        });
    };
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const SCROLL_BARS bars{extent, extent};
    MeasureLayout(m_parLayout, m_parRecords, m_varRecords, m_layout, measureIn(windowFont), measureIn(barFont),
                  GridSize(), bars);
    MeasureLayout(m_varLayout, m_varRecords, m_varRecords, m_layout, measureIn(windowFont), measureIn(barFont),
                  GridSize(), bars);
    m_app.ResizeImages(std::max(par.GetParamAreaSize(), diag.GetRestoreAreaSize()),
                       std::max(var.GetParamAreaSize(), diag.GetDiagAreaSize()));
}

// Step 11: the parser's findings go to its log only.
void CVEXARView::CheckParser()
{
    CParser parser(m_strParserFile, m_strParserOutFile, u"InfoParserParVar");
    std::int32_t params = 0;
    std::int32_t vars = 0;
    if (!parser.CountEntries(params, vars))
        return;
    parser.Load();
    parser.CheckParDefinitions(m_parRecords.data(), static_cast<std::int32_t>(m_parRecords.size()));
    parser.CheckVarDefinitions(m_varRecords.data(), static_cast<std::int32_t>(m_varRecords.size()));
    parser.CheckDiagDefinitions(m_diagRecords.data(), static_cast<std::int32_t>(m_diagRecords.size()));
}

// Steps 12 and 13: speed, byte order, protocol and the periods.
void CVEXARView::ApplyLinkSettings(CControlliConfigurati& par)
{
    {
        std::lock_guard lock(m_app.m_csBaud);
        m_app.m_nBaud = par.GetBaudRate();
        m_app.m_nBaudCurrent = m_app.m_nBaud;
        m_app.m_nBaudRequested = m_app.m_bListUpload ? 19200 : m_app.m_nBaud;
    }
    m_app.m_bLittleEndian = static_cast<std::uint8_t>(par.GetEndian());
    m_app.m_nProtocol = par.GetProtocol();
    par.GetFrequencies(m_layout.pollPeriod, m_layout.acqPeriod);
    m_app.PostLinkRequest(link::WM_LINK_SET_POLL_PERIOD, static_cast<std::uintptr_t>(m_layout.pollPeriod));
}

// Step 14: the configuration's boot loader in the program bay.
void CVEXARView::FindBootLoader(CControlliConfigurati& par, bool inFolder)
{
    m_strLoaderPath.clear();
    m_strFirmwareName.clear();
    const std::u16string name = par.GetLoaderProgram();
    const std::string path =
        m_strExeFolder + platform::kProgramBayFolder + "/" + platform::LinuxProgramName(ToUtf8(name));
    if (!name.empty() && Accessible(path)) {
        if (!m_app.m_bOprLimit)
            EnableAction(kActionPrgEcu, true);
        m_strLoaderPath = path;
        if (inFolder && !par.GetFirmwareName().empty())
            m_strFirmwareName = par.GetFirmwareName();
    } else {
        EnableAction(kActionPrgEcu, false);
    }
}

// The diagnosis window is not among the view's windows yet: the page
// windows alone are closed and take the profile.
void CVEXARView::CloseProfileWindows()
{
    for (CDlgTabSB* host : {m_wndParams.get(), m_wndVars.get()})
        if (host && host->IsCreated())
            ui::PostMessage(host, ui::WindowMessage{ui::WM_CLOSE, 0, 0, nullptr});
    for (CDlgTabSB* host : {m_wndParams.get(), m_wndVars.get()})
        if (host && host->IsCreated())
            host->ApplyProfile(m_app.m_nOperator);
    if (m_dlgDiag && m_dlgDiag->m_bCreated) {
        m_dlgDiag->hide();
        m_dlgDiag->SetOperatorType(m_app.m_nOperator);
        PublishDiagTables();
    }
}

void CVEXARView::ApplyLoadResult(bool success)
{
    static constexpr int kLoadedActions[] = {kActionVehicleConfig, kActionAcquisition, kActionDiagGas,
                                             kActionSaveCalib};
    if (success) {
        m_testList.BuildTestList(m_parRecords, m_diagRecords);
        ReadCalibrationName();
        LoadParameterFile();
        for (int action : kLoadedActions)
            EnableAction(action, true);
        EnableAction(kActionLoadCalib, !m_app.m_bOprLimit);
        EnableAction(kActionPrgEcu, !m_app.m_bOprLimit);
        m_app.m_bNotifyLinked = true;
        PostDiagRefreshSplit();
    } else {
        // Nothing of a failed load stands: no images, no control tables.
        m_app.FreeImageBuffers();
        ClosePageHosts();
        ui::MessageBox(this, LangText(3092), std::u16string(), ui::MB_OK | ui::MB_ICONEXCLAMATION);
        for (int action : kLoadedActions)
            EnableAction(action, false);
        EnableAction(kActionLoadCalib, false);
    }
    m_app.PublishCtrlTables();
}
