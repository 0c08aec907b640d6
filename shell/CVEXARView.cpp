#include "shell/CVEXARView.h"

#include "common/CUtilityLang.h"
#include "common/Text.h"
#include "dialogs/CDlgAcqBenz.h"
#include "dialogs/CDlgAssRem.h"
#include "dialogs/CDlgDiag.h"
#include "dialogs/CDlgDinamSVBenz.h"
#include "dialogs/CDlgECUProg.h"
#include "link/LinkMessages.h"
#include "link/ui/CDlgDebug.h"
#include "pages/CCtrlEdit.h"
#include "pages/CDlgTabSB.h"
#include "pages/core/CUtilityTables.h"
#include "platform/ui/AcceleratorTable.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/CmdUI.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARApp.h"
#include "shell/CVEXARForm.h"
#include "shell/core/ShellMessages.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>

using namespace vexar;
using namespace vexar::shell;

CVEXARView::CVEXARView(CVEXARApp& app, CMainFrame& frame)
    : QScrollArea(&frame),
      WindowBase(this),
      m_dlgProgress(std::make_unique<CDlgECUProg>()),
      m_catalogue(u"InfoCentraline"),
      m_parFile("", u"InfoFileParametri"),
      m_app(app),
      m_frame(frame),
      m_form(new CVEXARForm)
{
    setWidget(m_form);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    CUtility::GetExePath(m_strExeFolder);
    m_strParamFolder = m_strExeFolder + "Parameter/";
    m_app.m_nOperator = OPR_PBL;
    m_app.m_bOprSvil = false;
    m_app.m_bOprLimit = false;
    m_app.m_bOprPblLimit = false;
    m_app.m_nAuxPort = 1;
    m_app.m_hAuxPort = 0;
    for (int action = 0; action < kActionCount; ++action) {
        const int button = kCommandButtons[static_cast<std::size_t>(action)].button;
        connect(&m_form->Button(action), &QPushButton::clicked, this,
                [this, button] { ui::SendMessage(this, ui::CommandMessage(static_cast<unsigned>(button))); });
    }
    RegisterCommands();
    SetUpPetrolSide();
}

// The diagnosis window goes first: the page windows publish the tables
// again as they go, and must find none of its rows there.
CVEXARView::~CVEXARView()
{
    TearDownPetrolSide();
    CloseDiagnosisWindow();
}

CButtonMfc& CVEXARView::Button(int action) const { return m_form->Button(action); }
QLabel& CVEXARView::Label(int action) const { return m_form->Label(action); }
QWidget& CVEXARView::Form() const { return *m_form; }

std::u16string CVEXARView::LangText(int id) const
{
    // Without a language file the view keeps the texts it has.
    return m_strLangFile.empty() ? std::u16string() : CUtility::LoadLangString(m_strLangFile, id);
}

// ---- Commands ----------------------------------------------------------------------

namespace {

unsigned ButtonId(int action) { return static_cast<unsigned>(kCommandButtons[static_cast<std::size_t>(action)].button); }

}  // namespace

// Each handler is registered under its own name, the one the command
// table gives its command.

void CVEXARView::RegisterCommands()
{
    ui::CommandMap& map = commands();
    VEXAR_ON_COMMAND(map, ID_CENTRALINA, CVEXARView::OnSelectEcu);
    VEXAR_ON_COMMAND(map, ButtonId(kActionSelectEcu), CVEXARView::OnBtnSelectEcu);
    VEXAR_ON_COMMAND(map, ID_CONNETTI, CVEXARView::OnConnect);
    VEXAR_ON_COMMAND(map, ButtonId(kActionConnect), CVEXARView::OnBtnConnect);
    map.OnUpdate(ID_CONNETTI, [this](ui::CmdUI& item) { item.Enable(!m_app.m_bLinked); });
    VEXAR_ON_COMMAND(map, ID_DISCONNETTI, CVEXARView::OnDisconnect);
    map.OnUpdate(ID_DISCONNETTI, [this](ui::CmdUI& item) { item.Enable(m_app.m_bLinked != 0); });
    VEXAR_ON_COMMAND(map, ID_LINEA_K, CVEXARView::OnKLine);
    map.OnUpdate(ID_LINEA_K, [this](ui::CmdUI& item) {
        item.Enable(true);
        item.SetCheck(m_app.m_bKLine != 0);
    });
    VEXAR_ON_COMMAND(map, ID_SERIALE, CVEXARView::OnSerialLine);
    map.OnUpdate(ID_SERIALE, [this](ui::CmdUI& item) {
        item.Enable(true);
        item.SetCheck(m_app.m_bKLine == 0);
    });
    for (const BAUD_ITEM& baud : kBaudItems) {
        map.On(baud.command, [this, rate = baud.rate] { OnBaud(rate); }, "CVEXARView::OnBaud");
        map.OnUpdate(baud.command, [this, rate = baud.rate](ui::CmdUI& item) {
            std::lock_guard lock(m_app.m_csBaud);
            item.Enable(true);
            item.SetCheck(m_app.m_nBaudRequested == rate);
        });
    }
    VEXAR_ON_COMMAND(map, ID_TEST, CVEXARView::OnTest);
    VEXAR_ON_COMMAND(map, ButtonId(kActionTest), CVEXARView::OnBtnTest);
    VEXAR_ON_COMMAND(map, ButtonId(kActionExit), CVEXARView::OnBtnExit);
    VEXAR_ON_COMMAND(map, ID_IDENT_CENTR, CVEXARView::OnEcuIdentification);
    VEXAR_ON_COMMAND(map, ButtonId(kActionIdentification), CVEXARView::OnBtnEcuIdentification);
    VEXAR_ON_COMMAND(map, ID_CONFIG_VETTURA, CVEXARView::OnVehicleConfiguration);
    VEXAR_ON_COMMAND(map, ButtonId(kActionVehicleConfig), CVEXARView::OnBtnVehicleConfiguration);
    VEXAR_ON_COMMAND(map, ID_ACQUISIZIONE, CVEXARView::OnDataAcquisition);
    VEXAR_ON_COMMAND(map, ID_SALVA_CNF, CVEXARView::OnSaveCurrentConfiguration);
    VEXAR_ON_COMMAND(map, ButtonId(kActionSaveCalib), CVEXARView::OnBtnSaveCurrentConfiguration);
    VEXAR_ON_COMMAND(map, ID_CARICA_CNF, CVEXARView::OnLoadNewConfiguration);
    VEXAR_ON_COMMAND(map, ButtonId(kActionLoadCalib), CVEXARView::OnBtnLoadNewConfiguration);
    VEXAR_ON_COMMAND(map, ID_RESET_MEM, CVEXARView::OnResetMemory);
    VEXAR_ON_COMMAND(map, ButtonId(kActionResetMemory), CVEXARView::OnBtnResetMemory);
    VEXAR_ON_COMMAND(map, ID_COMMENTI, CVEXARView::OnComments);
    VEXAR_ON_COMMAND(map, ID_COMPARA, CVEXARView::OnCompareParameterFiles);
    VEXAR_ON_COMMAND(map, ID_ESPORTA, CVEXARView::OnExportBinary);
    VEXAR_ON_COMMAND(map, ID_CREA_CHK, CVEXARView::OnCreateChecklist);
    VEXAR_ON_COMMAND(map, ButtonId(kActionChecklist), CVEXARView::OnBtnCreateChecklist);
    VEXAR_ON_COMMAND(map, ButtonId(kActionAcquisition), CVEXARView::OnBtnDataAcquisition);
    VEXAR_ON_COMMAND(map, ID_DIAGNOSI, CVEXARView::OnDiagnosis);
    map.OnUpdate(ID_DIAGNOSI, [](ui::CmdUI& item) { item.Enable(true); });
    VEXAR_ON_COMMAND(map, ButtonId(kActionDiagGas), CVEXARView::OnBtnDiagnosis);
    VEXAR_ON_COMMAND(map, ID_CANC_ERR, CVEXARView::OnClearErrors);
    map.OnUpdate(ID_CANC_ERR, [](ui::CmdUI& item) { item.Enable(true); });
    VEXAR_ON_COMMAND(map, ButtonId(kActionClearErrors), CVEXARView::OnBtnClearErrors);
    RegisterProgramCommands();
    RegisterPendingCommands();
    RegisterTraceCommands();
    RegisterRemoteCommands();
}

void CVEXARView::RegisterProgramCommands()
{
    ui::CommandMap& map = commands();
    VEXAR_ON_COMMAND(map, ID_PRG_ECU, CVEXARView::OnProgramEcu);
    VEXAR_ON_COMMAND(map, ButtonId(kActionPrgEcu), CVEXARView::OnBtnProgramEcu);
    VEXAR_ON_COMMAND(map, ID_PRG_PALM, CVEXARView::OnProgramHandheld);
    VEXAR_ON_COMMAND(map, ButtonId(kActionPrgPalm), CVEXARView::OnBtnProgramHandheld);
    VEXAR_ON_COMMAND(map, ID_TARMIX, CVEXARView::OnRunTarmix);
    VEXAR_ON_COMMAND(map, ButtonId(kActionTarmix), CVEXARView::OnBtnRunTarmix);
    VEXAR_ON_COMMAND(map, ID_AGG_AUTO, CVEXARView::OnAutoUpdate);
    VEXAR_ON_COMMAND(map, ButtonId(kActionAutoUpdate), CVEXARView::OnBtnAutoUpdate);
    for (unsigned id : {ID_PRG_PALM, ID_TARMIX, ID_AGG_AUTO})
        map.OnUpdate(id, [](ui::CmdUI& item) { item.Enable(true); });
    // The limited profile shuts the calibration load and the ECU
    // programming: their menu items as well as their buttons.
    for (unsigned id : {ID_PRG_ECU, ID_CARICA_CNF})
        map.OnUpdate(id, [this](ui::CmdUI& item) { item.Enable(!m_app.m_bOprLimit); });
    VEXAR_ON_COMMAND(map, ID_OPERATORE, CVEXARView::OnOperatorProfile);
    VEXAR_ON_COMMAND(map, ID_VERSION_CODE, CVEXARView::OnShowVersionCode);
    VEXAR_ON_COMMAND(map, ID_LIMIT_SWITCH, CVEXARView::OnToggleLimitProfile);
}

// The profile keys of the hidden-key table; the others are served by
// their own windows.
const ui::AcceleratorTable& CVEXARView::ProfileKeys()
{
    static const ui::AcceleratorTable table = HiddenKeys([](unsigned command) {
        return command == ID_OPERATORE || command == ID_VERSION_CODE || command == ID_LIMIT_SWITCH;
    });
    return table;
}

ui::AcceleratorTable HiddenKeys(bool (*wanted)(unsigned command))
{
    std::vector<ui::Accelerator> entries;
    for (const HIDDEN_KEY& key : kHiddenKeys)
        if (wanted(key.command))
            entries.push_back({QKeyCombination(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier,
                                               static_cast<Qt::Key>(Qt::Key_A + (key.letter - 'A'))),
                               key.command});
    return ui::AcceleratorTable(std::move(entries));
}

// The commands whose work is not built yet keep their menu items, disabled.
void CVEXARView::RegisterPendingCommands()
{
    for (unsigned id : kPendingCommands)
        commands().OnUpdate(id, [](ui::CmdUI& item) { item.Enable(false); });
}

// ---- First update and language --------------------------------------------------------

void CVEXARView::OnInitialUpdate()
{
    ReadSettings();
    m_layoutFile = m_layoutRead;
    for (int action = 0; action < kActionCount; ++action)
        Button(action).m_textColour = m_layout.textColour;
    m_form->SetLabelColour(m_layout.textColour);
    m_form->SetEdition(m_nEditionView);
    m_app.m_nOperator = OPR_PBL;
    m_app.m_bOprSvil = false;
    m_app.m_bOprLimit = false;
    m_app.m_bOprPblLimit = false;
    m_pCalibNameCtrl = nullptr;
    m_catalogue.ScanInstalled();
    ReadCalibSettings();
}

void CVEXARView::ApplyLanguage()
{
    for (int action = 0; action < kActionCount; ++action)
        Label(action).setText(QString::fromStdU16String(LangText(ActionLabelText(action, m_app.m_nEdition))));
    for (CDlgTabSB* host : {m_wndParams.get(), m_wndVars.get()})
        if (host && host->IsCreated())
            host->UpdateTabTitles(m_strLangFile);
    if (m_dlgDiag && m_dlgDiag->m_bCreated)
        m_dlgDiag->SetLanguageFile(m_strLangFile);
    m_form->repaint();
    if (!m_bFirstStart)
        WriteSession();
}

void CVEXARView::OnLanguageChanged(std::string langFile)
{
    m_strLangFile = std::move(langFile);
    // With the link up, or a connect with the worker that may bring it up,
    // the worker closes the link first and answers: the reload never waits
    // for a link-down that may not come.
    if (m_app.m_bLinked || m_app.m_bObdLinked || ConnectWithWorker())
        m_app.PostLinkRequest(link::WM_LINK_RELOAD);
    else
        OnReload();
}

void CVEXARView::OnReload()
{
    ApplyLanguage();
    if (!m_bFirstStart) {
        LoadConfiguration();
        UpdateMenusForProfile();
        return;
    }
    if (RestoreSession() && m_app.m_bOprLimit) {
        EnableAction(kActionLoadCalib, false);
        EnableAction(kActionPrgEcu, false);
    }
    UpdateMenusForProfile();
    OnSelectEcu();
}

void CVEXARView::OnStartupDone()
{
    BuildFunctionKeyMenu(true);
    if (m_app.m_nEdition == 2 || m_app.m_nEdition == 4)
        m_frame.MenuBar().RemoveCommand(ID_COMMENTI);
}

void CVEXARView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu popup;
    if (CUtility::FillLangMenu(m_strExeFolder, m_strLangFile, popup) == 0)
        return;
    ui::Menu(&popup).SetOwner(m_frame);
    popup.exec(event->globalPos());
}

// ---- Windows ----------------------------------------------------------------------

void CVEXARView::CloseAllWindows()
{
    CloseDiagnosisWindow();
    ClosePageHosts();
    if (m_dlgProgress->m_bCreated)
        m_dlgProgress->Close();
    CloseTraceWindow();
    // While the adapter is linked the live-values window stays: the
    // link-down report closes it.
    if (!m_app.m_bObdLinked)
        CloseLiveValuesWindow();
    ClosePetrolPages();
    CloseRemoteWindows();
}

// ---- Calibration file ---------------------------------------------------------------

void CVEXARView::SetCalibrationNameField()
{
    auto* field = dynamic_cast<CCtrlEdit*>(m_pCalibNameCtrl.data());
    if (!field)
        return;
    field->SetWindowText(m_strCalibName);
    ui::SendMessage(field, ui::WindowMessage{WM_EDIT_COMMIT, 0, 0, nullptr});
}

bool CVEXARView::SaveParameterFile(const std::string& path)
{
    if (const std::size_t slash = path.find_last_of('/'); slash != std::string::npos) {
        m_strCalibName = ToUtf16(path.substr(slash + 1));
        UpdateTitle();
    }
    auto count = [](const CTRL_TABLE* table) { return table ? static_cast<std::int32_t>(table->size()) : 0; };
    auto entries = [](const CTRL_TABLE* table) { return table ? table->data() : nullptr; };
    m_parFile.SetFileName(path);
    m_parFile.SetControls(count(m_app.m_pParTable), entries(m_app.m_pParTable), count(m_app.m_pDiagTable3),
                          entries(m_app.m_pDiagTable3));
    std::u16string configName;
    {
        std::lock_guard lock(m_app.m_csIdent);
        configName = m_app.m_strConfigName;
    }
    return m_parFile.Write(m_strEcuFamily, configName, std::string()) == 0;
}

void CVEXARView::UpdateTitle()
{
    m_frame.SetPaneText(*m_frame.m_paneCalib, u" Calib: " + m_strCalibName);
}

void CVEXARView::UpdateStatusPanes()
{
    m_frame.SetPaneText(*m_frame.m_paneEcu, u" ECU: " + m_strEcuFamily);
    std::lock_guard lock(m_app.m_csIdent);
    m_frame.SetPaneText(*m_frame.m_paneConfig, std::u16string(CMainFrame::kConfigPrefix) + m_app.m_strConfigName);
}

void CVEXARView::OnProgressOpen(std::uintptr_t captionId)
{
    if (m_dlgProgress->m_bCreated)
        return;
    m_dlgProgress->m_strLangFile = m_strLangFile;
    m_dlgProgress->m_strCaption = LangText(static_cast<int>(captionId));
    m_app.Sink().RegisterWindow(link::UiWindow::ProgressWindow, m_dlgProgress.get());
    m_dlgProgress->Create();
}

void CVEXARView::SetWaitCursor(bool on) { CUtility::SetWaitCursor(m_bWaitCursor, on); }

// ---- Messages ---------------------------------------------------------------------

std::intptr_t CVEXARView::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                    std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case WM_LANGUAGE_CHANGED:
        if (const std::string* file = ui::PayloadAs<std::string>(payload))
            OnLanguageChanged(*file);
        return 0;
    case link::WM_LINK_RELOAD: OnReload(); return 0;
    case WM_STARTUP_DONE: OnStartupDone(); return 0;
    case WM_CLOSE_ALL_WINDOWS:
        CloseAllWindows();
        ui::PostMessage(&m_frame, ui::WindowMessage{WM_CLOSE_FRAME, 0, 0, nullptr});
        return 0;
    case link::WM_LINK_STATE: OnLinkState(wParam, lParam); return 0;
    case link::WM_REMOTE_STATE: OnRemoteState(wParam); return 0;
    case link::WM_PROGRESS_OPEN: OnProgressOpen(wParam); return 0;
    case link::WM_LINK_IDLE: OnLinkIdle(); return 0;
    case link::WM_LINK_RUN_ECU_LOADER: OnRunEcuLoader(wParam); return 0;
    case link::WM_LINK_RUN_HC08_LOADER: OnRunHc08Loader(); return 0;
    case link::WM_LINK_RUN_HANDHELD_WRITER: OnRunHandheldWriter(); return 0;
    case ui::WM_TIMER:
        OnTimer(static_cast<unsigned>(wParam));
        return WindowBase::onMessage(id, wParam, lParam, payload);
    case link::WM_SAVE_SESSION: WriteSession(); return 0;
    case link::WM_ECU_MISMATCH: OnEcuMismatch(wParam); return 0;
    case WM_WRITE_ALL_REQUEST: m_app.PostLinkRequest(link::WM_LINK_WRITE_ALL); return 0;
    case link::WM_CTRL_FORCE_REFRESH: OnCheckControls(); return 0;
    case WM_CALIB_NAME_CHANGED: OnCalibNameChanged(); return 0;
    case WM_CONNECT_ABORTED: OnConnectAborted(); return 0;
    case link::WM_LIVE_SAMPLE: OnLiveSample(payload); return 0;
    case link::WM_CHECKLIST_READY: OnChecklistReady(); return 0;
    case link::WM_OBD_LINK_STATE: OnObdLinkState(wParam, lParam); return 0;
    case link::WM_OBD_PID_SELECTION: OnObdPidSelection(wParam, lParam); return 0;
    default: return WindowBase::onMessage(id, wParam, lParam, payload);
    }
}

void CVEXARView::OnCheckControls()
{
    if (m_app.m_pParTable)
        CUtility::ShowOneCtrlPerGroup(m_app, *m_app.m_pParTable, true);
    // The read refreshes only the recovery-action lists without a fixed
    // default, and the check above covers the parameter table alone: the
    // fixed ones take the ECU's actions here, or a calibration saved now
    // would hold actions the ECU does not have.
    if (m_app.m_pDiagTable3)
        for (const CTRL_WND& entry : *m_app.m_pDiagTable3)
            if (entry.wnd && entry.wnd->GetDefinition().FIXDEF == FIX_ON)
                m_app.PostToControl(entry.wnd, link::WM_CTRL_FORCE_REFRESH);
}

bool CVEXARView::preTranslateMessage(QWidget&, QEvent& event)
{
    if (ProfileKeys().Translate(*this, event))
        return true;
    return RunFunctionKey(CUtility::GetFunctionKey(event));
}
