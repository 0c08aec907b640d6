#include "dialogs/CDlgDiagBenz.h"

#include "common/CUtilityLang.h"
#include "dialogs/CDlgDinamSVBenz.h"
#include "dialogs/CScrollResizeFunc.h"
#include "dialogs/core/PetrolRules.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlList.h"
#include "pages/CCtrlStatic.h"
#include "pages/CUtilityPages.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/MessagePayload.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTreeWidgetItem>

namespace ui = vexar::ui;
namespace vlink = vexar::link;

namespace {

QString ToQ(const std::u16string& text) { return QString::fromStdU16String(text); }

// Where each control stands on the page as designed.
const QRect kLabel(20, 15, 160, 24);
const QRect kSwitch(55, 45, 90, 40);
const QRect kReset(20, 100, 160, 32);
const QRect kList(200, 15, 780, 610);

std::unique_ptr<vlink::OBD_DTC_LIST> TakeDtcList(std::unique_ptr<ui::MessagePayload>& payload)
{
    std::unique_ptr<vlink::OBD_DTC_LIST> list;
    if (auto* box = dynamic_cast<ui::PayloadBox<vlink::OBD_DTC_LIST>*>(payload.get())) {
        list = box->release();
    } else if (auto* linkBox = dynamic_cast<ui::PayloadBox<vlink::LinkPayload>*>(payload.get())) {
        std::unique_ptr<vlink::LinkPayload> owned = linkBox->release();
        if (dynamic_cast<vlink::OBD_DTC_LIST*>(owned.get()))
            list.reset(static_cast<vlink::OBD_DTC_LIST*>(owned.release()));
    }
    payload.reset();
    return list;
}

}  // namespace

CDlgDiagBenz::CDlgDiagBenz(CVEXARPages& app) : WindowBase(this), m_app(app) { hide(); }

CDlgDiagBenz::~CDlgDiagBenz()
{
    if (m_bCreated)
        Close();
}

void CDlgDiagBenz::SetLanguageFile(const std::string& path)
{
    m_strLangFile = path;
    if (m_bCreated)
        LoadCaptions();
}

void CDlgDiagBenz::SetColours(ui::COLORREF text, ui::COLORREF) { m_crText = text; }

bool CDlgDiagBenz::Create(QWidget& strip)
{
    if (m_bCreated)
        return true;
    setParent(&strip);
    hide();
    resize(kDesignWidth, kDesignHeight);
    m_label = new CCtrlStatic(this);
    m_label->setFont(m_font);
    m_label->m_textColour = m_crText;
    m_label->setAlignment(Qt::AlignCenter);
    m_switch = new CCtrlLed(m_app, this);
    m_switch->SetControlFont(*this, m_font);
    m_reset = new CButtonMfc(this);
    m_reset->setFont(m_font);
    m_reset->m_textColour = m_crText;
    m_list = new CCtrlList(this);
    m_list->setFont(m_font);
    QPalette colours = m_list->palette();
    colours.setColor(QPalette::Text, ui::ToQColor(m_crText));
    m_list->setPalette(colours);
    m_list->setColumnCount(2);
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(false);
    m_list->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #c0c0c0; "
                                         "border-bottom: 1px solid #c0c0c0; }"));
    const std::pair<QWidget*, QRect> places[] = {{m_label, kLabel}, {m_switch, kSwitch}, {m_reset, kReset},
                                                 {m_list, kList}};
    for (const auto& [control, place] : places) {
        control->setGeometry(place);
        control->show();
    }
    connect(m_switch, &CCWButton::valueChanged, this, [this](bool on) { OnReadSwitchChanged(on); });
    connect(m_reset, &QPushButton::clicked, this, [this] { OnClearCodes(); });
    m_bCreated = true;
    m_scroll = std::make_unique<CScrollResizeFunc>();
    m_scroll->Attach(this);
    if (m_scroll->CheckLargeFonts() || m_scroll->FitToScreen())
        for (QWidget* control : std::initializer_list<QWidget*>{m_label, m_switch, m_reset, m_list})
            m_scroll->ScaleControl(*control, false, false);
    const int bar = m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    m_list->setColumnWidth(0, 150);
    m_list->setColumnWidth(1, std::max(0, CUtility::ListClientWidth(*m_list) - bar - 150));
    LoadCaptions();
    return true;
}

void CDlgDiagBenz::LoadCaptions()
{
    m_label->setText(ToQ(CUtility::LoadLangString(m_strLangFile, m_switch->GetState() ? IDS_ON : IDS_OFF)));
    m_reset->setText(ToQ(CUtility::LoadLangString(m_strLangFile, IDS_RESET)));
    m_list->setHeaderLabels({ToQ(CUtility::LoadLangString(m_strLangFile, IDS_COL_CODE)),
                             ToQ(CUtility::LoadLangString(m_strLangFile, IDS_COL_DESC))});
}

void CDlgDiagBenz::Close()
{
    if (!m_bCreated)
        return;
    m_scroll.reset();
    for (QWidget* control : std::initializer_list<QWidget*>{m_label, m_switch, m_reset, m_list})
        delete control;
    m_label = nullptr;
    m_switch = nullptr;
    m_reset = nullptr;
    m_list = nullptr;
    hide();
    m_bCreated = false;
}

void CDlgDiagBenz::Post(unsigned id)
{
    if (m_app.m_pLinkThread)
        m_app.PostLinkRequest(id);
}

void CDlgDiagBenz::OnReadSwitchChanged(bool on)
{
    Post(on ? vlink::WM_LINK_OBD_DTC_ON : vlink::WM_LINK_OBD_DTC_OFF);
    m_label->setText(ToQ(CUtility::LoadLangString(m_strLangFile, on ? IDS_ON : IDS_OFF)));
}

void CDlgDiagBenz::OnClearCodes() { Post(vlink::WM_LINK_OBD_CLEAR_DTC); }

std::intptr_t CDlgDiagBenz::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                       std::unique_ptr<ui::MessagePayload>& payload)
{
    if (id == vlink::WM_OBD_DTC_LIST) {
        const std::unique_ptr<vlink::OBD_DTC_LIST> list = TakeDtcList(payload);
        if (!m_bCreated || !list)
            return 0;
        // Each reading replaces the rows.
        m_list->setUpdatesEnabled(false);
        m_list->clear();
        for (const auto& [code, text] : CUtility::TroubleCodeRows(*list, m_strLangFile)) {
            auto* item = new QTreeWidgetItem(m_list);
            item->setText(0, ToQ(code));
            item->setText(1, ToQ(text));
        }
        m_list->setUpdatesEnabled(true);
        return 0;
    }
    return WindowBase::onMessage(id, wParam, lParam, payload);
}

void CDlgDiagBenz::keyPressEvent(QKeyEvent* event)
{
    if (!CUtility::SwallowEnterAndEscape(*event))
        QWidget::keyPressEvent(event);
}

void CDlgDiagBenz::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_bCreated && isVisible() && !isMinimized() && m_scroll)
        m_scroll->OnSize();
}
