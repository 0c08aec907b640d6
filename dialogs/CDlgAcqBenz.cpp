#include "dialogs/CDlgAcqBenz.h"

#include "common/CUtilityLang.h"
#include "common/Text.h"
#include "dialogs/CDlgDinamSVBenz.h"
#include "dialogs/CScrollResizeFunc.h"
#include "dialogs/core/PetrolRules.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlList.h"
#include "pages/CCtrlStatic.h"
#include "pages/CUtilityPages.h"
#include "pages/core/CVEXARPages.h"
#include "pages/widgets/CCWNumEdit.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/MessagePayload.h"
#include "platform/ui/Messages.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTreeWidgetItem>

namespace ui = vexar::ui;
namespace vlink = vexar::link;

namespace {

QString ToQ(const std::u16string& text) { return QString::fromStdU16String(text); }

const QRect kLabel(20, 15, 160, 24);
const QRect kSwitch(55, 45, 90, 40);
const QRect kPeriod(20, 100, 160, 28);
const QRect kList(200, 15, 780, 610);

}  // namespace

CDlgAcqBenz::CDlgAcqBenz(CVEXARPages& app) : WindowBase(this), m_app(app) { hide(); }

CDlgAcqBenz::~CDlgAcqBenz()
{
    if (m_bCreated)
        Close();
}

void CDlgAcqBenz::SetLanguageFile(const std::string& path) { m_strLangFile = path; }

void CDlgAcqBenz::SetColours(ui::COLORREF text, ui::COLORREF value)
{
    m_crText = text;
    m_crValue = value;
}

bool CDlgAcqBenz::Privileged() const { return m_app.m_nOperator >= 1 && m_app.m_nOperator <= 3; }

bool CDlgAcqBenz::Create(QWidget& strip)
{
    if (m_bCreated)
        return true;
    setParent(&strip);
    hide();
    resize(kDesignWidth, kDesignHeight);
    m_period = new CCWNumEdit(this);
    m_period->setFont(m_font);
    m_period->SetValueColor(m_crValue);
    m_period->SetRange(CUtility::kObdPeriodMin, CUtility::kObdPeriodMax);
    m_period->SetIncrement(10);
    m_period->SetDiscrete(true);
    m_period->SetValue(m_app.m_nObdPeriod);
    m_label = new CCtrlStatic(this);
    m_label->setFont(m_font);
    m_label->m_textColour = m_crText;
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setText(ToQ(CUtility::LoadLangString(m_strLangFile, IDS_OFF)));
    m_switch = new CCtrlLed(m_app, this);
    m_switch->SetControlFont(*this, m_font);
    m_list = new CCtrlList(this);
    m_list->setFont(m_font);
    QPalette colours = m_list->palette();
    colours.setColor(QPalette::Text, ui::ToQColor(m_crText));
    m_list->setPalette(colours);
    CUtility::SetupPidList(*m_list);
    m_list->setHeaderLabels({ToQ(CUtility::LoadLangString(m_strLangFile, CDlgDinamSVBenz::IDS_COL_PID)),
                             ToQ(CUtility::LoadLangString(m_strLangFile, CDlgDinamSVBenz::IDS_COL_DESC)),
                             ToQ(CUtility::LoadLangString(m_strLangFile, CDlgDinamSVBenz::IDS_COL_VALUE)),
                             ToQ(CUtility::LoadLangString(m_strLangFile, CDlgDinamSVBenz::IDS_COL_UNIT))});
    const std::pair<QWidget*, QRect> places[] = {{m_label, kLabel}, {m_switch, kSwitch}, {m_period, kPeriod},
                                                 {m_list, kList}};
    for (const auto& [control, place] : places) {
        control->setGeometry(place);
        control->show();
    }
    connect(m_switch, &CCWButton::valueChanged, this, [this](bool on) { OnReadSwitchChanged(on); });
    connect(m_period, &CCWNumEdit::valueChanged, this, [this](double value) { OnPeriodChanged(value); });
    connect(m_list, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item, int column) { OnPidCheckChanged(item, column); });
    m_bCreated = true;
    m_scroll = std::make_unique<CScrollResizeFunc>();
    m_scroll->Attach(this);
    if (m_scroll->CheckLargeFonts() || m_scroll->FitToScreen())
        for (QWidget* control : std::initializer_list<QWidget*>{m_label, m_switch, m_period, m_list})
            m_scroll->ScaleControl(*control, false, false);
    const int bar = m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    m_list->setColumnWidth(0, 60);
    m_list->setColumnWidth(1, 400);
    m_list->setColumnWidth(2, 300);
    m_list->setColumnWidth(3, std::max(40, CUtility::ListClientWidth(*m_list) - bar - 760));
    SetConnected(m_app.m_bObdLinked != 0);
    return true;
}

void CDlgAcqBenz::Close()
{
    if (!m_bCreated)
        return;
    m_bChecksArmed = false;
    m_scroll.reset();
    for (QWidget* control : std::initializer_list<QWidget*>{m_label, m_switch, m_period, m_list})
        delete control;
    m_label = nullptr;
    m_switch = nullptr;
    m_period = nullptr;
    m_list = nullptr;
    hide();
    m_bCreated = false;
}

bool CDlgAcqBenz::HasCheckBoxes() const
{
    if (!m_list || m_list->topLevelItemCount() == 0)
        return false;
    return m_list->topLevelItem(0)->flags() & Qt::ItemIsUserCheckable;
}

void CDlgAcqBenz::SetCheckBoxes(bool shown, const std::array<std::int32_t, 97>* requested)
{
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = m_list->topLevelItem(row);
        const int pid = item->data(0, Qt::UserRole).toInt();
        if (shown) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, requested && (*requested)[pid] ? Qt::Checked : Qt::Unchecked);
        } else {
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
            item->setData(0, Qt::CheckStateRole, QVariant());
        }
    }
}

void CDlgAcqBenz::SetConnected(bool linked)
{
    if (!m_bCreated)
        return;
    if (linked) {
        m_switch->setEnabled(true);
        BuildRows();
        // The bitmaps of the connect, on their rows when shown.
        for (int block = 0; block < 3; ++block) {
            const int pid = block * 0x20;
            if (!m_app.m_nPidSupported[pid])
                continue;
            vlink::OBD_PID_RESULT result;
            result.status = m_app.m_obdData.status[block];
            const auto [image, text] = result.status == 0
                                           ? std::pair<int, std::u16string>{CUtility::kPidImageGood,
                                                                            CUtility::FormatPidBitmap(m_app.m_obdData.flags[block])}
                                           : CUtility::PidResultText(pid, result);
            CUtility::SetPidListText(*m_list, pid, image, text);
        }
        m_bChecksArmed = true;
    } else {
        m_bChecksArmed = false;
        m_switch->SetValue(false);
        m_switch->setEnabled(false);
        m_list->clear();
    }
}

void CDlgAcqBenz::BuildRows()
{
    vlink::CObdBinding::PidTable requested;
    {
        std::lock_guard lock(m_app.m_csPid);
        requested = m_app.m_nPidRequested;
    }
    const bool armed = m_bChecksArmed;
    m_bChecksArmed = false;
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    for (int pid = 0; pid < vlink::CObdBinding::kPidCount; ++pid) {
        if (!m_app.m_nPidSupported[pid])
            continue;
        auto* item = new QTreeWidgetItem(m_list);
        item->setData(0, Qt::UserRole, pid);
        item->setText(0, ToQ(vexar::Format(u"%02X", pid)));
        item->setText(1, ToQ(CUtility::ReadBenzValue(m_strLangFile, vexar::Format(u"%02XD", pid))));
        item->setText(2, QStringLiteral("---"));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(3, ToQ(CUtility::ReadBenzValue(m_strLangFile, vexar::Format(u"%02XM", pid))));
        CUtility::SetPidListText(*m_list, pid, CUtility::kPidImageNew, u"---");
    }
    SetCheckBoxes(Privileged(), &requested);
    CUtility::FitPidColumn(*m_list, 60);
    m_list->setUpdatesEnabled(true);
    m_bChecksArmed = armed;
}

void CDlgAcqBenz::RefreshChecks()
{
    if (!m_bCreated)
        return;
    if (!Privileged()) {
        const bool armed = m_bChecksArmed;
        m_bChecksArmed = false;
        SetCheckBoxes(false, nullptr);
        m_bChecksArmed = armed;
        return;
    }
    m_bChecksArmed = false;
    vlink::CObdBinding::PidTable requested;
    {
        std::lock_guard lock(m_app.m_csPid);
        requested = m_app.m_nPidRequested;
    }
    SetCheckBoxes(true, &requested);
    m_bChecksArmed = true;
}

void CDlgAcqBenz::OnPidCheckChanged(QTreeWidgetItem* item, int column)
{
    if (!m_bChecksArmed || !item || column < 0 || !(item->flags() & Qt::ItemIsUserCheckable))
        return;
    const int pid = item->data(0, Qt::UserRole).toInt();
    if (pid < 0 || pid >= vlink::CObdBinding::kPidCount)
        return;
    const bool checked = item->checkState(0) == Qt::Checked;
    bool changed = false;
    {
        std::lock_guard lock(m_app.m_csPid);
        if ((m_app.m_nPidRequested[pid] != 0) != checked) {
            m_app.m_nPidRequested[pid] = m_app.m_nPidRequested[pid] ? 0 : 1;
            changed = true;
        }
    }
    if (changed)
        m_app.PostToWindow(vlink::UiWindow::View, vlink::WM_OBD_PID_SELECTION, static_cast<std::uintptr_t>(pid),
                           checked ? 1 : 0);
}

void CDlgAcqBenz::OnReadSwitchChanged(bool on)
{
    if (m_app.m_pLinkThread)
        m_app.PostLinkRequest(on ? vlink::WM_LINK_OBD_ALL_PIDS_ON : vlink::WM_LINK_OBD_ALL_PIDS_OFF);
    m_label->setText(ToQ(CUtility::LoadLangString(m_strLangFile, on ? IDS_ON : IDS_OFF)));
    m_period->setEnabled(!on);
}

void CDlgAcqBenz::OnPeriodChanged(double value)
{
    // Only whole numbers of 10 ms to 655,350 ms: a value outside would
    // stop the poll for minutes.
    if (const std::optional<int> period = CUtility::ObdPeriodOf(value))
        m_app.PostLinkRequest(vlink::WM_LINK_OBD_SET_PERIOD, static_cast<std::uintptr_t>(*period));
}

std::intptr_t CDlgAcqBenz::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                      std::unique_ptr<ui::MessagePayload>& payload)
{
    if (id == vlink::WM_OBD_PID_VALUE) {
        std::unique_ptr<vlink::OBD_PID_RESULT> record = TakePidResult(payload);
        if (m_bCreated)
            CUtility::OnPidResult(*m_list, static_cast<int>(wParam), std::move(record));
        return 0;
    }
    return WindowBase::onMessage(id, wParam, lParam, payload);
}

bool CDlgAcqBenz::preTranslateMessage(QWidget& target, QEvent& event)
{
    if (CUtility::PostPageSelectKey(*this, event))
        return true;
    return WindowBase::preTranslateMessage(target, event);
}

void CDlgAcqBenz::keyPressEvent(QKeyEvent* event)
{
    if (!CUtility::SwallowEnterAndEscape(*event))
        QWidget::keyPressEvent(event);
}

void CDlgAcqBenz::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_bCreated && isVisible() && !isMinimized() && m_scroll)
        m_scroll->OnSize();
}
