#include "dialogs/CDlgAcq.h"

#include "common/CUtilityLang.h"
#include "common/CUtilityToolbox.h"
#include "common/Text.h"
#include "config/CUtilityCtrl.h"
#include "dialogs/CDlgInsComm.h"
#include "dialogs/CScrollResizeFunc.h"
#include "dialogs/PageBitmaps.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlBox.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlList.h"
#include "pages/CCtrlStatic.h"
#include "pages/CUtilityPages.h"
#include "pages/CUtilityPickers.h"
#include "pages/core/AcqSelection.h"
#include "pages/core/CUtilityPicker.h"
#include "pages/core/CVEXARPages.h"
#include "pages/widgets/CCWButton.h"
#include "pages/widgets/CCWNumEdit.h"
#include "platform/AtomicFile.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/Messages.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidgetItem>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace ui = vexar::ui;
namespace vlink = vexar::link;

namespace {

QString ToQ(const std::u16string& text) { return QString::fromStdU16String(text); }

// Where each control stands on the page as designed.
const QRect kVariablesBox(10, 10, 600, 620);
const QRect kPicker(25, 40, 400, 26);
const QRect kClear(440, 39, 30, 28);
const QRect kList(25, 80, 570, 535);
const QRect kRecordingBox(630, 10, 360, 200);
const QRect kSwitch(650, 45, 90, 40);
const QRect kState(755, 55, 225, 24);
const QRect kPeriod(650, 120, 150, 28);
const QRect kIndicator(820, 121, 26, 26);

}  // namespace

CDlgAcq::CDlgAcq(CVEXARPages& app) : WindowBase(this), m_app(app)
{
    hide();
    m_app.m_pAcqVarTable = &m_selection;
}

CDlgAcq::~CDlgAcq()
{
    if (m_bCreated)
        Close();
    if (m_app.m_pAcqVarTable == &m_selection) {
        m_app.m_pAcqVarTable = nullptr;
        m_app.PublishCtrlTables();
    }
}

void CDlgAcq::AttachSelection() { m_app.m_pAcqVarTable = &m_selection; }

void CDlgAcq::SetLanguageFile(const std::string& path)
{
    m_strLangFile = path;
    if (m_bCreated)
        LoadCaptions();
}

void CDlgAcq::SetColours(ui::COLORREF text, ui::COLORREF value)
{
    m_crText = text;
    m_crValue = value;
}

std::string CDlgAcq::AcquisitionFolder() const
{
    std::string program;
    CUtility::GetExePath(program);
    return program + "Acquisition/" + vexar::ToUtf8(m_strEcuFamily) + "/";
}

QString CDlgAcq::Text(int id) const { return ToQ(CUtility::LoadLangString(m_strLangFile, id)); }

bool CDlgAcq::IsLinked() const { return m_app.m_bLinked != 0; }

// ---- Creation and closing ----------------------------------------------------------------------

bool CDlgAcq::Create(QWidget& strip)
{
    if (m_bCreated)
        return true;
    setParent(&strip);
    hide();
    resize(kDesignWidth, kDesignHeight);
    BuildControls();
    m_bCreated = true;
    FitControls();
    LoadCaptions();
    return true;
}

void CDlgAcq::BuildControls()
{
    m_variablesBox = new CCtrlBox(this);
    m_recordingBox = new CCtrlBox(this);
    m_switch = new CCtrlLed(m_app, this);
    m_indicator = new CCWButton(this);
    m_period = new CCWNumEdit(this);
    m_picker = new CCtrlCombo(m_app, this);
    m_list = new CCtrlList(this);
    m_clear = new QPushButton(this);
    m_label = new CCtrlStatic(this);

    for (CCtrlBox* box : {m_variablesBox, m_recordingBox}) {
        box->m_font = m_font;
        box->m_textColour = m_crText;
    }
    m_switch->SetControlFont(*this, m_font);
    m_indicator->SetLook(CCWButton::Look::RoundLamp);
    m_indicator->SetInputEnabled(false);
    m_indicator->SetValue(false);

    // Whole ticks of the sampling clock only, so that the file states the
    // period that is sampled.
    const std::int32_t minimum = CUtility::AcqMinPeriod(m_settings.acqPeriod);
    m_period->setFont(m_font);
    m_period->SetValueColor(m_crValue);
    m_period->SetRange(minimum, CUtility::kAcqMaxPeriodMs);
    m_period->SetIncrement(CUtility::kAcqTickMs);
    m_period->SetDiscrete(true);
    m_period->SetIncDecButtons(true);
    m_period->SetValue(minimum);

    m_picker->setFont(m_font);
    QPalette pickerColours = m_picker->palette();
    pickerColours.setColor(QPalette::Text, ui::ToQColor(m_crValue));
    pickerColours.setColor(QPalette::ButtonText, ui::ToQColor(m_crValue));
    m_picker->setPalette(pickerColours);
    m_picker->SetRole(CCtrlCombo::kRolePicker);
    m_picker->SetOwner(this);

    m_list->setFont(m_font);
    QPalette listColours = m_list->palette();
    listColours.setColor(QPalette::Text, ui::ToQColor(m_crText));
    m_list->setPalette(listColours);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("Nome"), QStringLiteral("Commento")});
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #c0c0c0; "
                                         "border-bottom: 1px solid #c0c0c0; }"));
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (item && column >= 0)
            OnRemoveVariable(m_list->indexOfTopLevelItem(item));
    });

    m_clear->setIcon(ClearChoiceBitmap());
    m_clear->setIconSize({16, 16});
    connect(m_clear, &QPushButton::clicked, this, [this] { OnClear(); });

    m_label->setFont(m_font);
    m_label->m_textColour = m_crText;

    connect(m_switch, &CCWButton::clicked, this, [this] { OnSwitchClick(); });
    connect(m_switch, &CCWButton::valueChanged, this, [this](bool on) { OnSwitchValueChanged(on); });

    const std::pair<QWidget*, QRect> places[] = {
        {m_variablesBox, kVariablesBox}, {m_picker, kPicker},   {m_clear, kClear},
        {m_list, kList},                 {m_recordingBox, kRecordingBox}, {m_switch, kSwitch},
        {m_label, kState},               {m_period, kPeriod},   {m_indicator, kIndicator}};
    for (const auto& [control, place] : places) {
        control->setGeometry(place);
        control->show();
    }
}

// Fits the page to large fonts and to the screen, then sizes the list's
// two columns: one third and two thirds of its width.
void CDlgAcq::FitControls()
{
    m_scroll = std::make_unique<CScrollResizeFunc>();
    m_scroll->Attach(this);
    if (m_scroll->CheckLargeFonts() || m_scroll->FitToScreen()) {
        for (QWidget* control : std::initializer_list<QWidget*>{m_variablesBox, m_recordingBox, m_switch, m_indicator,
                                                                m_period, m_picker, m_list, m_clear, m_label})
            m_scroll->ScaleControl(*control, false, control == m_picker);
    }
    const int width = m_list->width() - 2 * m_list->frameWidth();
    m_list->header()->setStretchLastSection(false);
    m_list->setColumnWidth(0, width / 3);
    m_list->setColumnWidth(1, 2 * (width / 3));
}

void CDlgAcq::Close()
{
    if (!m_bCreated)
        return;
    if (m_app.m_bRecording)
        EndRecording();
    m_selection.clear();
    m_varTable.clear();
    m_scroll.reset();
    for (QWidget* control : std::initializer_list<QWidget*>{m_variablesBox, m_recordingBox, m_switch, m_indicator,
                                                            m_period, m_picker, m_list, m_clear, m_label})
        delete control;
    m_variablesBox = m_recordingBox = nullptr;
    m_switch = nullptr;
    m_indicator = nullptr;
    m_period = nullptr;
    m_picker = nullptr;
    m_list = nullptr;
    m_clear = nullptr;
    m_label = nullptr;
    hide();
    m_bCreated = false;
}

void CDlgAcq::LoadCaptions()
{
    if (!m_bCreated)
        return;
    m_variablesBox->SetWindowText(CUtility::LoadLangString(m_strLangFile, IDS_VARIABLES_BOX));
    m_recordingBox->SetWindowText(CUtility::LoadLangString(m_strLangFile, IDS_RECORDING_BOX));
    ShowState(m_switch->GetState() != 0);
    const QString name = Text(IDS_NAME);
    const QString comment = Text(IDS_COMMENT);
    m_list->setHeaderLabels({name.isEmpty() ? QStringLiteral("Nome") : name,
                             comment.isEmpty() ? QStringLiteral("Commento") : comment});
}

void CDlgAcq::ShowState(bool on) { m_label->setText(Text(on ? IDS_ON : IDS_OFF)); }

// ---- The variables ------------------------------------------------------------------------------

void CDlgAcq::ReloadVariables()
{
    if (!m_bCreated)
        return;
    m_varTable = m_app.m_pVarTable ? *m_app.m_pVarTable : CTRL_TABLE{};
    CUtility::FillVarCombo(m_app.m_nOperator, m_varTable, *m_picker);
    m_picker->SetSelection(-1);
    // The worker records the selection while a recording runs: it stays.
    if (!m_app.m_bRecording)
        LoadSelectionFile();
}

void CDlgAcq::LoadSelectionFile()
{
    m_selection.clear();
    CUtility::ClearVarList(*m_picker, *m_list);
    const std::vector<std::int32_t> taken = CUtility::MatchAcqSelection(
        CUtility::ReadAcqSelectionLines(m_strSelectionPath), m_varTable, m_app.m_nOperator);
    for (const std::int32_t index : taken) {
        const CTRL_WND& entry = m_varTable[static_cast<std::size_t>(index)];
        REC_CONTROLLO definition;
        CUtility::GetCtrlDefinition(entry, definition);
        auto* row = new QTreeWidgetItem(m_list);
        row->setText(0, ToQ(CUtility::CleanCtrlName(definition.ETICHETTA)));
        row->setText(1, ToQ(definition.COMMENTO));
        m_selection.push_back(entry);
    }
}

void CDlgAcq::OnAddVariable()
{
    if (m_app.m_bRecording)
        return;
    REC_CONTROLLO definition;
    std::int32_t index = -1;
    const int row = CUtility::AddVarToList(m_varTable, *m_picker, *m_list, false, -1, &definition, &index);
    if (row < 0)
        return;
    m_list->topLevelItem(row)->setText(1, ToQ(definition.COMMENTO));
    m_selection.push_back(m_varTable[static_cast<std::size_t>(index)]);
}

void CDlgAcq::OnRemoveVariable(int row)
{
    if (m_switch->GetState() != 0 || m_app.m_bRecording)
        return;
    if (CUtility::RemoveVarFromList(row, *m_picker, *m_list) && row < static_cast<int>(m_selection.size()))
        m_selection.erase(m_selection.begin() + row);
}

void CDlgAcq::OnClear()
{
    if (m_app.m_bRecording)
        return;
    if (CUtility::ClearVarList(*m_picker, *m_list))
        m_selection.clear();
}

// ---- The recording ------------------------------------------------------------------------------

void CDlgAcq::EnableChoosing(bool enable)
{
    m_period->setEnabled(enable);
    m_picker->setEnabled(enable);
    m_clear->setEnabled(enable);
}

void CDlgAcq::OnSwitchClick()
{
    const bool on = m_switch->GetState() != 0;
    EnableChoosing(!on);
    ShowState(on);
}

void CDlgAcq::OnSwitchValueChanged(bool on)
{
    if (!on) {
        if (m_app.m_bRecording && IsLinked())
            m_app.PostLinkRequest(vlink::WM_LINK_ACQ_STOP);
        ShowState(false);
        return;
    }
    if (m_app.m_bRecording) {
        ShowState(true);
        return;
    }
    if (!IsLinked()) {
        m_switch->SetState(0);
        ShowState(false);
        return;
    }
    StartRecording();
}

void CDlgAcq::StartRecording()
{
    const std::string folder = AcquisitionFolder();
    CUtility::CreateFullPath(folder);
    m_strTempPath = folder + "Acquisizione.acq";

    // The field shows, the header states and the worker samples one
    // period: a whole number of clock ticks.
    const std::int32_t period = CUtility::AcqPeriod(m_period->GetValue(), m_settings.acqPeriod);
    m_period->SetValue(period);
    m_app.m_acqFile.SetVariables(static_cast<std::int32_t>(m_selection.size()), m_selection.data());
    if (m_app.m_acqFile.WriteHeader(m_strEcuFamily, m_strConfigName, m_period->GetText(), m_strTempPath) != 0) {
        // Without its file the recording would run for nothing.
        ui::MessageBox(this, vexar::Format(u"Error to open file %s!", m_strTempPath), u"",
                       ui::MB_OK | ui::MB_ICONEXCLAMATION);
        m_switch->SetState(0);
        EnableChoosing(true);
        ShowState(false);
        return;
    }
    m_indicator->SetValue(false);
    m_app.m_bRecording = true;
    m_app.PublishCtrlTables();
    m_app.PostLinkRequest(vlink::WM_LINK_ACQ_START, static_cast<std::uintptr_t>(period));
    ShowState(true);
}

void CDlgAcq::OnAcqTick() { m_indicator->SetValue(!m_indicator->GetValue()); }

void CDlgAcq::OnAcqStopped()
{
    if (m_app.m_bRecording)
        EndRecording();
}

void CDlgAcq::EndRecording()
{
    // A second stop (the link dropped while the comment box is open) finds
    // the end under way and leaves it alone.
    if (m_bEnding)
        return;
    m_bEnding = true;

    CDlgInsComm comment(m_app, this);
    comment.m_strLangFile = m_strLangFile;
    comment.m_font = m_font;
    comment.m_crButtonText = m_crText;
    comment.m_crEditText = m_crValue;
    if (comment.DoModal() == ui::IDOK)
        m_app.m_acqFile.m_commenti.AddComment({comment.m_strComment, m_app.m_clock()});
    m_app.m_acqFile.WriteComments();
    m_app.m_bRecording = false;

    if (m_bCreated && m_switch->GetState() != 0) {
        m_switch->SetState(0);
        EnableChoosing(true);
        ShowState(false);
    }
    SaveRecordingAs();
    m_bEnding = false;
}

void CDlgAcq::SaveRecordingAs()
{
    std::error_code error;
    if (m_strTempPath.empty() || !std::filesystem::is_regular_file(m_strTempPath, error))
        return;
    const std::string folder = AcquisitionFolder();
    CUtility::CreateFullPath(folder);

    ui::FileDialogRequest request;
    request.owner = this;
    request.save = true;
    request.folder = folder;
    request.filter = u"Acq Files (*.acq)|*.acq|";
    request.defaultExtension = u".acq";
    const std::optional<std::string> chosen = ui::FileDialog(request);
    if (!chosen)
        return;
    // The temporary file itself is saved already; copying it onto itself
    // would only put it at risk.
    if (std::filesystem::equivalent(*chosen, m_strTempPath, error))
        return;
    if (std::filesystem::exists(*chosen, error)) {
        const std::u16string question =
            vexar::Format(CUtility::LoadLangString(m_strLangFile, IDS_OVERWRITE), *chosen);
        if (ui::MessageBox(this, question, u"", ui::MB_YESNO | ui::MB_ICONQUESTION) != ui::IDYES)
            return;
    }
    if (!CopyRecording(*chosen)) {
        const std::u16string failure =
            vexar::Format(CUtility::LoadLangString(m_strLangFile, IDS_COPY_FAILED), *chosen);
        ui::MessageBox(this, failure, u"", ui::MB_OK | ui::MB_ICONEXCLAMATION);
    }
}

bool CDlgAcq::CopyRecording(const std::string& target) const
{
    std::ifstream source(m_strTempPath, std::ios::binary);
    if (!source)
        return false;
    const std::string bytes{std::istreambuf_iterator<char>(source), std::istreambuf_iterator<char>()};
    if (source.bad())
        return false;
    return vexar::platform::WriteFileAtomically(target, bytes);
}

// ---- Messages and keys ---------------------------------------------------------------------------

std::intptr_t CDlgAcq::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                 std::unique_ptr<ui::MessagePayload>& payload)
{
    if (m_bCreated) {
        switch (id) {
        case vlink::WM_PICKER_SELCHANGE:
            OnAddVariable();
            return 0;
        case vlink::WM_ACQ_TICK:
            OnAcqTick();
            return 0;
        case vlink::WM_ACQ_STOPPED:
            OnAcqStopped();
            return 0;
        default:
            break;
        }
    }
    return WindowBase::onMessage(id, wParam, lParam, payload);
}

bool CDlgAcq::preTranslateMessage(QWidget&, QEvent& event)
{
    if (event.type() != QEvent::KeyPress)
        return false;
    if (CUtility::PostPageSelectKey(*this, event))
        return true;
    return false;
}

// What no control took: Escape closes the host's window, Enter does
// nothing.
void CDlgAcq::keyPressEvent(QKeyEvent* event)
{
    if (!CUtility::TakePageKey(*this, *event))
        QWidget::keyPressEvent(event);
}

void CDlgAcq::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_scroll)
        m_scroll->OnSize();
}
