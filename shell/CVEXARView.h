#pragma once

// The form view: a command bar of 19 owner-drawn buttons, each with its
// caption label and function key, over the edition's logo. It reads and
// writes the settings and session files, loads the selected configuration
// and runs the commands of the menu bar and of its buttons: ECU selection,
// connect and disconnect, K-line or serial interface, baud rate and the
// ECU test. Commands whose work is not here yet keep their menu items and
// buttons, disabled.

#include "config/CCentralineInstallate.h"
#include "config/CParametriFile.h"
#include "config/RecInterfaccia.h"
#include "pages/core/LayoutSettings.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WindowBase.h"
#include "shell/core/CSessionFile.h"
#include "shell/core/CTestList.h"
#include "shell/core/CommandTable.h"
#include "shell/core/CSettingsFile.h"
#include "shell/core/PageLayout.h"

#include <QPointer>
#include <QRect>
#include <QScrollArea>

#include <array>
#include <optional>
#include <span>
#include <memory>
#include <string>
#include <vector>

class CButtonMfc;
class CDlgAssRem;
class CDlgAcq;
class CDlgAcqBenz;
class CDlgDiagBenz;
class CDlgDinamSVBenz;
class CDlgGraph;
class CDlgMaint;
class CDlgDiag;
class CDlgTabSB;
class CControlliConfigurati;
class CDlgECUProg;
class CDlgTestRes;
class CMainFrame;
class CVEXARApp;
class QLabel;
namespace vexar::ui {
class AcceleratorTable;
class CmdUI;
}

namespace vexar::shell {
class CVEXARForm;
}
namespace vexar::link {
class CDlgDebug;
}

// A message box with no owner, caption "Error" and the error icon.
void ShowErrorBox(const std::u16string& text);

// The accelerators (Ctrl+Alt+Shift with their letters) of the hidden keys
// whose commands `wanted` accepts.
vexar::ui::AcceleratorTable HiddenKeys(bool (*wanted)(unsigned command));

// The four lines of "Remote.cfg" (the last without a line end).
std::u16string RemoteSettingsText(const std::string& address, std::uint16_t port, int master, int timeout);

class CVEXARView : public QScrollArea, public vexar::ui::WindowBase {
public:
    CVEXARView(CVEXARApp& app, CMainFrame& frame);
    ~CVEXARView() override;

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

    // ---- First update, language, command bar (CVEXARView.cpp, CVEXARViewCommandBar.cpp) ----
    void OnInitialUpdate();
    void ApplyLanguage();
    // Lays the command bar out from the button states; `capture` takes the
    // slot positions first (once, at the start-up notice).
    void BuildFunctionKeyMenu(bool capture);
    // Removes a command's item from the menu bar; the remote-assistance
    // item takes its Tools popup with it.
    void SetMenuItemKey(unsigned command);
    void SetMenuKeyTexts(unsigned command, int text, int& position, vexar::ui::Menu target,
                         vexar::ui::Menu tools, bool adjust);
    // The view's menu texts: the remote-assistance popup stands in Tools
    // (Master and Slave) while its button state is not 0.
    void ApplyMenuTexts();
    // A command's menu text: its language text, or the menu resource's
    // without a language file.
    std::u16string MenuCaption(unsigned command) const;
    // Runs the command of a function key (1 to 12, 13 to 24 with Shift);
    // false when the key is not the view's.
    bool RunFunctionKey(int key);
    void CloseAllWindows();

    // ---- Trace window of the link traffic (CVEXARViewTrace.cpp) ----
    void RegisterTraceCommands();
    void OnShowTraceWindow();
    void CloseTraceWindow();

    // ---- Remote assistance (CVEXARViewRemote.cpp) ----
    void RegisterRemoteCommands();
    // The role commands: each sets the role, enables the remote-assistance
    // button by it and rewrites the settings file.
    void OnMaster();
    void OnSlave();
    void OnUpdateMaster(vexar::ui::CmdUI& item);
    void OnUpdateSlave(vexar::ui::CmdUI& item);
    // Rewrites "Remote.cfg" whole; false, told and with the old file kept,
    // when it cannot be written.
    bool WriteRemoteSettings();
    void OnRemoteAssistance() { OnBtnRemoteAssistance(); }
    // Opens the window of the role, or restores it.
    void OnBtnRemoteAssistance();
    // WM_REMOTE_STATE: 0 the bridge connection is made, else it is closed.
    void OnRemoteState(std::uintptr_t state);
    // Closes the two windows where no bridge connection keeps them.
    void CloseRemoteWindows();

    // ---- Gas-ECU diagnosis and error clearing (CVEXARViewDiag.cpp) ----
    // The diagnosis window of the loaded configuration, with its rows.
    bool CreateDiagnosisWindow(std::span<const REC_CONTROLLO> records);
    // The window's tables to the application and the worker (none while
    // it is closed).
    void PublishDiagTables();
    // Its tables taken from the worker, then its rows destroyed.
    void CloseDiagnosisWindow();
    void OnDiagnosis() { OnBtnDiagnosis(); }
    void OnBtnDiagnosis();
    void OnClearErrors() { OnBtnClearErrors(); }
    void OnBtnClearErrors();
    // The calibration name into the calibration-name field, which takes it
    // as typed; nothing without the field.
    void SetCalibrationNameField();
    // Writes the calibration file `path` from the parameter controls and
    // the recovery-action lists, headed by the ECU family and the
    // configuration; the file's name becomes the calibration name. False
    // when the file could not be written (the previous one is kept).
    bool SaveParameterFile(const std::string& path);
    void UpdateTitle();
    void UpdateStatusPanes();

    // ---- Configuration selection and loading (CVEXARViewLoad.cpp) ----
    void OnSelectEcu();
    void OnBtnSelectEcu() { OnSelectEcu(); }
    void LoadConfiguration();
    void ReadCalibrationName();
    // Closes the page windows and hands them the operator profile now set.
    void CloseProfileWindows();
    // The size of a map on a page, as the layout of the pages measures it.
    vexar::shell::GridMeasure GridSize() const;

    // ---- Settings and session files (CVEXARViewSettings.cpp) ----
    void ReadSettings();
    void ReadConfigurationLayout(const std::string& path);
    void WriteSettings();
    void WriteSession();
    bool RestoreSession();
    void ReadCalibSettings();
    void WriteCalibSettings();

    // ---- Link, baud-rate and test commands (CVEXARViewLink.cpp) ----
    void OnConnect();
    void OnBtnConnect() { OnConnect(); }
    void OnDisconnect();
    void OnKLine();
    void OnSerialLine();
    void OnBaud(std::int32_t rate);
    void OnTest();
    void OnBtnTest() { OnTest(); }
    void OnBtnExit();
    bool ConfirmInterruption();
    void EnumeratePorts();
    void RequestConnect();
    void ShowLineStatus();
    void RunTest();
    void ShowTestResult();
    void EndTest();

    // ---- Window messages ----
    void OnLanguageChanged(std::string langFile);
    void OnReload();
    void OnStartupDone();
    void OnLinkState(std::uintptr_t linked, std::intptr_t result);
    void OnConnectAborted();
    void OnLinkIdle();
    void OnProgressOpen(std::uintptr_t captionId);

    // ---- ECU model recognition (CVEXARViewEcuModel.cpp) ----
    // The worker found another ECU than the selected configuration's
    // (wParam: the protocol it answered with).
    void OnEcuMismatch(std::uintptr_t protocol);
    // True when a configuration matching `identification` is (now)
    // selected; its load waits while the worker may use the images.
    bool SelectConfigurationForEcu(std::int32_t protocol, const std::u16string& identification);
    // The model key and, in `identification`, the best installed firmware
    // folder for it as spelt on disk; false (after language text 3201)
    // when none matches.
    bool DetectEcuModel(std::int32_t protocol, std::u16string& identification, std::u16string& key);
    static void AddUniqueString(std::vector<std::u16string>& list, const std::u16string& text);

    // ---- File commands (CVEXARViewFile.cpp) ----
    void OnSaveCurrentConfiguration() { OnBtnSaveCurrentConfiguration(); }
    void OnBtnSaveCurrentConfiguration();
    void OnLoadNewConfiguration() { OnBtnLoadNewConfiguration(); }
    void OnBtnLoadNewConfiguration();
    void OnResetMemory() { OnBtnResetMemory(); }
    void OnBtnResetMemory();
    void OnComments();
    void OnCompareParameterFiles();
    void OnExportBinary();
    // The naming dialog of the protocol; true on OK, with the calibration
    // folder and name taken from it.
    bool AskParameterFileName();
    // Reads the start file at a configuration load when its firmware suits
    // the configuration, else forgets it.
    void LoadParameterFile();
    // The loaded calibration's comments as the comments viewer shows them.
    std::u16string BuildCommentsText() const;

    // ---- Checklist (CVEXARViewChecklist.cpp) ----
    void OnCreateChecklist() { OnBtnCreateChecklist(); }
    void OnBtnCreateChecklist();
    // The worker's read lists from Checklist.cfg: the listed variables and
    // diagnosis rows, with their read blocks when the file lists
    // diagnosis rows.
    void BuildChecklistRequest();
    // Writes the checklist to `path` whole; false, after the error box,
    // when it could not be written (a previous file stays).
    bool WriteChecklistFile(const std::string& path);
    // WM_CHECKLIST_READY: the worker has read the listed values.
    void OnChecklistReady();

    // ---- Window and information commands (CVEXARViewWindows.cpp) ----
    void OnEcuIdentification() { OnBtnEcuIdentification(); }
    void OnBtnEcuIdentification();
    void OnVehicleConfiguration() { OnBtnVehicleConfiguration(); }
    void OnBtnVehicleConfiguration();
    void OnDataAcquisition() { OnBtnDataAcquisition(); }
    void OnBtnDataAcquisition();

    // ---- Petrol side (CVEXARViewPetrol.cpp) ----
    // The live-values window, the petrol commands and what the worker's
    // poll reads of the petrol windows; once, at construction.
    void SetUpPetrolSide();
    void OnConnectPetrol();
    void OnUpdateConnectPetrol(vexar::ui::CmdUI& item) const;
    void OnDisconnectPetrol();
    void OnUpdateDisconnectPetrol(vexar::ui::CmdUI& item) const;
    // PID.cfg of the program folder into the requested table.
    void ReadPidList();
    void OnPetrolDiagnosis() { OnBtnPetrolDiagnosis(); }
    void OnBtnPetrolDiagnosis();
    void OpenPetrolWindow();
    void OnObdLinkState(std::uintptr_t linked, std::intptr_t code);
    // wParam the PID, lParam 1 requested, 0 not.
    void OnObdPidSelection(std::uintptr_t pid, std::intptr_t requested);
    // Shows or hides the live-values window with the main window.
    void OnDraw();
    // The petrol windows as the worker's poll reads them.
    void PublishPetrolWindows();
    // Publishes them again whenever `window` shows, hides, is minimised or
    // restored.
    void WatchPetrolWindow(QObject* window);

    // ---- External programs and self-update (CVEXARViewPrograms.cpp) ----
    void OnProgramEcu() { OnBtnProgramEcu(); }
    void OnBtnProgramEcu();
    // The loader's start; `lockCom` 1 when the worker has just closed the
    // link for it.
    void OnRunEcuLoader(std::uintptr_t lockCom);
    void OnProgramHandheld() { OnBtnProgramHandheld(); }
    void OnBtnProgramHandheld();
    void OnRunHandheldWriter();
    void OnRunHc08Loader();
    void OnRunTarmix() { OnBtnRunTarmix(); }
    void OnBtnRunTarmix();
    void OnAutoUpdate() { OnBtnAutoUpdate(); }
    void OnBtnAutoUpdate();
    // The program timers 0 to 3: reaps the program once it has ended.
    void OnTimer(unsigned id);
    // Copies the entries of `source` over `programFolder`; the new main
    // program found there is not copied but given in `newProgram`.
    void CopyUpdateFolder(const std::string& source, const std::string& programFolder, std::string& newProgram);
    void CopyTreeRecursive(const std::string& folder);
    void PrepareSelfUpdate(const std::string& newProgram);
    // Copies an update folder and prepares its new program; with the
    // adapter linked and a new adapter library in the folder, the worker
    // takes the link down first and the copy follows its report.
    void RunUpdateCopy(const std::string& source);
    void RunPendingUpdate();
    // The update folder waiting for the adapter's link to go down.
    std::string m_strPendingUpdate;

    // ---- Operator profiles and menus (CVEXARViewProfile.cpp) ----
    void OnOperatorProfile();
    void ChangeOperatorProfile();
    void OnToggleLimitProfile();
    void OnShowVersionCode();
    // The Functions items and the remote-assistance submenu by profile,
    // and the petrol windows told of it.
    void UpdateMenusForProfile();
    void TellPetrolWindowsProfile();
    // Removes the item of popup `popup` whose text is language text
    // `textId`.
    void SetMenuItemText(int popup, int textId);
    // The state of that item (0 enabled, 1 disabled), -1 when none.
    int SetPopupText(int popup, int textId);
    vexar::shell::OPERATOR_PROFILE CurrentProfile() const;
    void SetProfile(const vexar::shell::OPERATOR_PROFILE& profile);
    // CARICA CNF and PRG ECU with their labels: disabled in the limited
    // profile, enabled otherwise.
    void EnableLimitedActions();

    // The command bar's widgets by action.
    CButtonMfc& Button(int action) const;
    QLabel& Label(int action) const;
    // Enables or disables a button with its label.
    void EnableAction(int action, bool enable);
    QWidget& Form() const;

    // ---- State (members of the system's view) ----
    std::unique_ptr<CDlgECUProg> m_dlgProgress;
    // The trace window, made at its first opening.
    std::unique_ptr<vexar::link::CDlgDebug> m_dlgTrace;
    // The parameter and the variable page windows.
    std::unique_ptr<CDlgTabSB> m_wndParams;
    std::unique_ptr<CDlgTabSB> m_wndVars;
    // The variable window's acquisition and graph pages, which it owns.
    CDlgAcq* m_pDlgAcq = nullptr;
    CDlgGraph* m_pDlgGraph = nullptr;
    // Its memory maintenance page, which it owns too.
    CDlgMaint* m_pDlgMaint = nullptr;
    // The gas-ECU diagnosis window.
    std::unique_ptr<CDlgDiag> m_dlgDiag;
    // The petrol live-values window, and the petrol window (the host of the
    // trouble-code page), open while the adapter is linked.
    std::unique_ptr<CDlgDinamSVBenz> m_dlgPetrol;
    std::unique_ptr<CDlgTabSB> m_wndPetrolPages;
    // The petrol acquisition page of the variable window and the
    // trouble-code page of the petrol window, which own them.
    CDlgAcqBenz* m_pDlgAcqBenz = nullptr;
    CDlgDiagBenz* m_pDlgDiagBenz = nullptr;
    // The remote-assistance windows, made at their first opening.
    std::unique_ptr<CDlgAssRem> m_dlgRemMaster;
    std::unique_ptr<CDlgAssRem> m_dlgRemSlave;
    std::string m_strExeFolder;
    std::string m_strLangFile;
    std::string m_strParamFolder;
    std::u16string m_strCalibFolder;
    std::u16string m_strCalibName;
    std::u16string m_strEcuFamily;
    // The display settings in use: after a load, scaled to the screen.
    LAYOUT_SETTINGS m_layout;
    // The same as the settings files last gave them, unscaled: every read
    // goes over these, and every load scales them to the screen once.
    LAYOUT_SETTINGS m_layoutRead;
    LAYOUT_SETTINGS m_layoutFile;
    // The lines of VEXAR.cfg after its value 49, as last read; written back.
    std::vector<std::u16string> m_settingsTail;
    std::array<std::int32_t, vexar::shell::kActionCount> m_nSavedButtonStates{};
    // *.PAR, *.GPC, *.VAR, *.GVS, *.GDG.
    std::array<std::string, 5> m_strConfigPaths;
    std::int32_t m_nEditionView = 0;
    std::array<QRect, 2 * vexar::shell::kActionCount> m_rcSlots;
    bool m_bSlotsUnset = true;
    QPointer<QWidget> m_pCalibNameCtrl;
    std::optional<REC_CONTROLLO> m_calibNameDefinition;
    std::array<int, vexar::shell::kActionCount> m_nKeyAction{};
    bool m_bFirstStart = true;
    bool m_bWaitCursor = false;
    bool m_bConnecting = false;
    bool m_bReloadPending = false;
    bool m_bTarmixPending = false;
    bool m_bTestPending = false;
    bool m_bLoadPending = false;
    // The WM_LINK_CONNECTs with the worker whose WM_LINK_IDLE has not come
    // back: until then the worker may use the images.
    int m_nConnectsPosted = 0;
    // The configuration chosen for the ECU on the bench: the session is
    // written after its load, and the connect repeated, once the worker
    // has ended the attempt that found it.
    bool m_bSessionPending = false;
    bool m_bReconnectPending = false;
    CCentralineInstallate m_catalogue;
    CParametriFile m_parFile;
    std::int32_t m_nDtrSeconds = 8;
    std::u16string m_strStartFolder;
    std::u16string m_strStartName;
    std::u16string m_strStartFirmware;
    // The checklist's target, between the read request and the answer.
    std::string m_strChecklistPath;
    std::string m_strParserFile;
    std::string m_strParserOutFile;
    std::string m_strLoaderPath;
    std::u16string m_strFirmwareName;
    vexar::shell::CTestList m_testList;
    // The started external program, while one runs.
    int m_hProgram = 0;
    QPointer<CDlgTestRes> m_pDlgTestRes;
    // The layouts of the loaded configuration.
    REC_INTERFACCIA m_parLayout;
    REC_INTERFACCIA m_varLayout;
    // The definitions of the loaded configuration, sorted by address.
    std::vector<REC_CONTROLLO> m_parRecords;
    std::vector<REC_CONTROLLO> m_varRecords;
    std::vector<REC_CONTROLLO> m_diagRecords;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Language text `id` of the view's language file; empty without one.
    std::u16string LangText(int id) const;
    void RegisterCommands();
    // Runs the command of an action, as its button does.
    void RunAction(int action);
    // A connect is with the worker: it has not yet reported the attempt
    // ended, and may still bring the link up.
    bool ConnectWithWorker() const { return m_nConnectsPosted > 0; }
    // While the link is up or a connect is with the worker, the worker
    // may use the images: a load must wait.
    bool WorkerMayUseImages() const;
    // A load asked for while the worker could use the images, with the
    // session write and the connect that follow a configuration chosen for
    // the ECU, run once the worker reports the link down or the connect
    // ended.
    void RunDeferredLoad();
    // Brings a page window forward when the last load built it, and has
    // the worker poll what is now shown.
    void ShowPageWindow(CDlgTabSB* host);
    // The five configuration paths of a firmware folder of an ECU folder.
    void SetConfigurationPaths(const std::u16string& ecu, const std::u16string& firmware);
    void OnCalibNameChanged();
    // Closes the page windows and forgets their control tables.
    void ClosePageHosts();
    // Builds the page windows of the loaded configuration and takes their
    // control tables; a formula operand that names no control is written
    // to the log of the definitions its control comes from (`par` for the
    // parameter pages, `var` for the variables).
    void CreatePageHosts(CControlliConfigurati& par, CControlliConfigurati& var);
    // The variable window's fixed pages, made once with the window; the
    // link worker's posts to the two pages reach them.
    void GiveVariablePages(CDlgTabSB& host);
    // After a load: the pages learn the ECU, the configuration and the
    // selection file, the worker records the acquisition page's choice, and
    // both pages read their variables anew.
    void ConfigureAcquisitionPages();
    void ReloadMaintenanceVariables();
    void ForgetMaintenanceVariables();
    // WM_LIVE_SAMPLE: the point goes to the graph page.
    void OnLiveSample(const std::unique_ptr<vexar::ui::MessagePayload>& payload);
    // After a whole-image read: the fixed-default controls take the ECU's
    // values, one per group.
    void OnCheckControls();
    void SizeConfiguration(CControlliConfigurati& par, CControlliConfigurati& var, CControlliConfigurati& diag);
    void CheckParser();
    void ApplyLinkSettings(CControlliConfigurati& par);
    void FindBootLoader(CControlliConfigurati& par, bool inFolder);
    void CreateAcquisitionWindow(int kind, CDlgTabSB& host, bool fixedPages, const std::array<std::int32_t, 3>& ids,
                                 const REC_INTERFACCIA& layout, std::span<const REC_CONTROLLO> first,
                                 std::span<const REC_CONTROLLO> second);
    vexar::shell::SETTINGS_VALUES CurrentSettings() const;
    void TakeSettings(const vexar::shell::SETTINGS_VALUES& values);
    // The settings in use become those last read, unscaled; the periods of
    // the loaded configuration stay.
    void UseSettingsAsRead();
    void RegisterPendingCommands();
    void RegisterProgramCommands();
    static const vexar::ui::AcceleratorTable& ProfileKeys();
    bool IsEnabledByRule(int action) const;
    void ApplyLoadResult(bool success);
    void SetWaitCursor(bool on);
    // Whether the images hold a loaded configuration's calibration.
    bool CalibrationLoaded() const;
    // Reads calibration file `path` into the parameter controls and the
    // recovery-action lists; a failed read puts the images, the controls
    // and the comments back as they were.
    bool ReadParameterFile(const std::string& path, std::u16string& fileFirmware, bool& nameFound);
    // A Save dialog in `folder` proposing `name`; the path chosen, none on
    // Cancel.
    std::optional<std::string> AskSaveFile(const std::string& folder, std::u16string_view name,
                                           std::u16string_view filter, std::u16string_view extension);
    // WM_DIAG_REFRESH_SPLIT to the diagnosis window when it exists: its
    // rows show the values of the calibration now in the images.
    void PostDiagRefreshSplit();
    // The configuration's Checklist.cfg, as spelt on disk.
    std::string ChecklistDefinitionPath() const;
    // "<parameter folder><ECU family>/", made with its parents.
    std::string EcuParamFolder() const;
    // The language text `id` used as a format with one text.
    std::u16string LangFormat(int id, const std::u16string& text) const;
    // Starts a program and its timer; false, with nothing changed, when it
    // could not start.
    bool StartExternalProgram(const std::string& program, const std::string& folder,
                              const std::vector<std::string>& arguments, unsigned timer);
    // Writes "tarmix.cfg" and starts tarmix; false when it did not start.
    bool StartTarmix();

    void OpenLiveValuesWindow();
    void CloseLiveValuesWindow();
    void ClosePetrolPages();
    void TearDownPetrolSide();

    class PetrolWatcher;

    CVEXARApp& m_app;
    CMainFrame& m_frame;
    vexar::shell::CVEXARForm* m_form;
    PetrolWatcher* m_petrolWatcher = nullptr;
};
