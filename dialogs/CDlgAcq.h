#pragma once

// The acquisition page of the variable window: the user picks the
// variables to record from the configuration's acquirable variables, sets
// the sample period and turns the recording switch on. While the link is
// up the worker samples the chosen variables every period and the recorded
// controls write their columns into the recorder's file; when the
// recording ends the page asks for a comment, has the comments written and
// offers to save the recording where the user chooses.
//
// The selection (the variables chosen, in recording order) is the table
// the application's m_pAcqVarTable points at for the page's whole life;
// the worker records exactly these controls, and the page never changes
// them while a recording runs.
//
// The recording goes to "Acquisition/<ECU>/Acquisizione.acq" in the
// program folder, the same file for every recording; Save-As copies it
// whole (atomically) to the chosen file.

#include "config/CtrlWnd.h"
#include "pages/IFixedPage.h"
#include "pages/core/LayoutSettings.h"
#include "platform/ui/ColorRef.h"
#include "platform/ui/WindowBase.h"

#include <QFont>
#include <QWidget>

#include <memory>
#include <string>

class CCtrlBox;
class CCtrlCombo;
class CCtrlList;
class CCtrlLed;
class CCtrlStatic;
class CCWButton;
class CCWNumEdit;
class CScrollResizeFunc;
class CVEXARPages;
class QPushButton;

class CDlgAcq : public QWidget, public vexar::ui::WindowBase, public IFixedPage {
public:
    static constexpr int IDD = 200;
    // Controls of the page.
    static constexpr int IDC_SWITCH = 1100;
    static constexpr int IDC_INDICATOR = 1159;
    static constexpr int IDC_PERIOD = 1122;
    static constexpr int IDC_PICKER = 1110;
    static constexpr int IDC_LIST = 1109;
    static constexpr int IDC_CLEAR = 1179;
    static constexpr int IDC_STATE = 1299;
    static constexpr int IDC_VARIABLES_BOX = 1103;
    static constexpr int IDC_RECORDING_BOX = 1104;
    // Texts.
    static constexpr int IDS_VARIABLES_BOX = 3042;
    static constexpr int IDS_RECORDING_BOX = 3043;
    static constexpr int IDS_OFF = 3044;
    static constexpr int IDS_ON = 3045;
    static constexpr int IDS_NAME = 3047;
    static constexpr int IDS_COMMENT = 3048;
    static constexpr int IDS_OVERWRITE = 3078;
    static constexpr int IDS_COPY_FAILED = 3080;
    // The page's size as designed, before it is fitted to the screen.
    static constexpr int kDesignWidth = 1000;
    static constexpr int kDesignHeight = 640;

    explicit CDlgAcq(CVEXARPages& app);
    // Ends a running recording first (as Close).
    ~CDlgAcq() override;

    // ---- Handed by the view after a configuration load ----
    std::u16string m_strEcuFamily;    // the installed ECU folder's name
    std::u16string m_strConfigName;   // the firmware revision's name
    std::string m_strSelectionPath;   // "Acq.cfg" of the loaded configuration

    // ---- IFixedPage ----
    void SetLanguageFile(const std::string& path) override;
    void SetPageFont(const QFont& font) override { m_font = font; }
    void SetColours(vexar::ui::COLORREF text, vexar::ui::COLORREF value) override;
    void SetSettings(const LAYOUT_SETTINGS& settings) override { m_settings = settings; }
    bool Create(QWidget& strip) override;
    bool IsCreated() const override { return m_bCreated; }
    QWidget* Window() override { return m_bCreated ? this : nullptr; }
    // Ends a running recording (comment and Save-As), frees the selection
    // and the variable copy, and takes the window's controls away.
    void Close() override;
    // Copies the acquirable variables, refills the picker for the operator
    // profile and reads the selection file.
    void ReloadVariables() override;
    void ApplyLanguage(const std::string& path) override { SetLanguageFile(path); }

    // Reads the selection file into the selection and the list.
    void LoadSelectionFile();
    void LoadCaptions();
    // Offers to save the temporary recording; nothing when there is none.
    void SaveRecordingAs();

    // The worker records the selection: m_pAcqVarTable points at it again
    // after a configuration load has let it go.
    void AttachSelection();

    // ---- What the view and the tests read ----
    const CTRL_TABLE& Selection() const { return m_selection; }
    const std::string& TemporaryPath() const { return m_strTempPath; }
    // "<program folder>Acquisition/<ECU>/".
    std::string AcquisitionFolder() const;
    CCtrlLed& Switch() const { return *m_switch; }
    CCWButton& Indicator() const { return *m_indicator; }
    CCWNumEdit& PeriodField() const { return *m_period; }
    CCtrlCombo& Picker() const { return *m_picker; }
    CCtrlList& List() const { return *m_list; }
    QPushButton& ClearButton() const { return *m_clear; }
    CCtrlStatic& StateLabel() const { return *m_label; }
    CCtrlBox& VariablesBox() const { return *m_variablesBox; }
    CCtrlBox& RecordingBox() const { return *m_recordingBox; }

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void FitControls();
    void OnAddVariable();
    void OnRemoveVariable(int row);
    void OnClear();
    void OnSwitchClick();
    void OnSwitchValueChanged(bool on);
    void StartRecording();
    void OnAcqTick();
    void OnAcqStopped();
    // The end of a recording: comment, comments written, switch off,
    // Save-As. Once per recording.
    void EndRecording();
    void EnableChoosing(bool enable);
    void ShowState(bool on);
    // Copies the temporary file over `target`, whole or not at all.
    bool CopyRecording(const std::string& target) const;
    bool IsLinked() const;
    QString Text(int id) const;

    CVEXARPages& m_app;
    std::string m_strLangFile;
    QFont m_font;
    vexar::ui::COLORREF m_crText = vexar::ui::RGB(0, 0, 0);
    vexar::ui::COLORREF m_crValue = vexar::ui::RGB(0, 0, 0);
    LAYOUT_SETTINGS m_settings;
    std::string m_strTempPath;

    CTRL_TABLE m_varTable;   // the page's copy of the acquirable variables
    CTRL_TABLE m_selection;  // the variables chosen, in recording order
    bool m_bCreated = false;
    bool m_bEnding = false;  // the end of a recording is under way

    std::unique_ptr<CScrollResizeFunc> m_scroll;
    CCtrlBox* m_variablesBox = nullptr;
    CCtrlBox* m_recordingBox = nullptr;
    CCtrlLed* m_switch = nullptr;
    CCWButton* m_indicator = nullptr;
    CCWNumEdit* m_period = nullptr;
    CCtrlCombo* m_picker = nullptr;
    CCtrlList* m_list = nullptr;
    QPushButton* m_clear = nullptr;
    CCtrlStatic* m_label = nullptr;
};
