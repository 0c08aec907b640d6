#include "dialogs/CDlgMaint.h"

#include "common/CUtilityLang.h"
#include "common/TagLine.h"
#include "config/CUtilityCodec.h"
#include "config/CUtilityCtrl.h"
#include "dialogs/CScrollResizeFunc.h"
#include "dialogs/PageBitmaps.h"
#include "dialogs/core/MaintRules.h"
#include "link/EcuTypes.h"
#include "link/LinkMessages.h"
#include "link/LinkRequests.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/CCtrlBox.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlStatic.h"
#include "pages/CUtilityPages.h"
#include "pages/core/CUtilityTables.h"
#include "pages/core/CVEXARPages.h"
#include "pages/widgets/CCWNumEdit.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <vector>

namespace ui = vexar::ui;
namespace vlink = vexar::link;

namespace {

QString ToQ(const std::u16string& text) { return QString::fromStdU16String(text); }

// A field's value cut toward zero to a 32-bit integer.
std::int32_t WholeValue(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<std::int32_t>(std::trunc(std::clamp(value, double(INT32_MIN), double(INT32_MAX))));
}

// The template, in dialog units of the page font.
struct PLACE {
    int id;
    QRect rect;
};

constexpr PLACE kBoxes[] = {{CDlgMaint::IDC_READ_BOX, {7, 7, 270, 105}},
                            {CDlgMaint::IDC_WRITE_BOX, {283, 7, 264, 105}},
                            {CDlgMaint::IDC_READ_VAR_BOX, {7, 120, 540, 82}},
                            {CDlgMaint::IDC_WRITE_VAR_BOX, {7, 210, 540, 82}}};
constexpr int kBoxTexts[] = {CDlgMaint::IDS_READ_BOX, CDlgMaint::IDS_WRITE_BOX, CDlgMaint::IDS_READ_VAR_BOX,
                             CDlgMaint::IDS_WRITE_VAR_BOX};

struct LABEL_PLACE {
    int id;
    QRect rect;
    const char16_t* caption;  // the template's, until the language's replaces it
    int textId;
};
constexpr LABEL_PLACE kLabels[] = {
    {CDlgMaint::IDC_READ_ADDRESS_LABEL, {17, 26, 50, 10}, u"Indirizzo:", CDlgMaint::IDS_ADDRESS},
    {CDlgMaint::IDC_READ_SIZE_LABEL, {17, 48, 50, 10}, u"Tipo:", CDlgMaint::IDS_SIZE},
    {CDlgMaint::IDC_READ_VALUE_LABEL, {17, 70, 50, 10}, u"Valore:", CDlgMaint::IDS_VALUE},
    {CDlgMaint::IDC_WRITE_ADDRESS_LABEL, {293, 26, 50, 10}, u"Indirizzo:", CDlgMaint::IDS_ADDRESS},
    {CDlgMaint::IDC_WRITE_SIZE_LABEL, {293, 48, 50, 10}, u"Tipo:", CDlgMaint::IDS_SIZE},
    {CDlgMaint::IDC_WRITE_VALUE_LABEL, {293, 70, 50, 10}, u"Valore:", CDlgMaint::IDS_VALUE},
    {CDlgMaint::IDC_READ_VAR_LABEL, {17, 139, 50, 10}, u"Variabile:", CDlgMaint::IDS_VARIABLE},
    {CDlgMaint::IDC_READ_VAR_VALUE_LABEL, {17, 164, 50, 10}, u"Valore:", CDlgMaint::IDS_VALUE},
    {CDlgMaint::IDC_WRITE_VAR_LABEL, {17, 229, 50, 10}, u"Variabile:", CDlgMaint::IDS_VARIABLE},
    {CDlgMaint::IDC_WRITE_VAR_VALUE_LABEL, {17, 254, 50, 10}, u"Valore:", CDlgMaint::IDS_VALUE}};

constexpr QRect kReadAddress{70, 23, 90, 15};
constexpr QRect kReadSize{70, 45, 90, 15};
constexpr QRect kReadValue{70, 67, 90, 15};
constexpr QRect kWriteAddress{346, 23, 90, 15};
constexpr QRect kWriteSize{346, 45, 90, 15};
constexpr QRect kWriteValue{346, 67, 90, 15};
constexpr QRect kReadVar{70, 136, 300, 15};
constexpr QRect kReadVarValue{70, 161, 90, 15};
constexpr QRect kWriteVar{70, 226, 300, 15};
constexpr QRect kWriteVarValue{70, 251, 90, 15};

struct BUTTON_PLACE {
    int id;
    QRect rect;
    int bitmap;
};
constexpr BUTTON_PLACE kButtons[] = {{CDlgMaint::IDC_READ, {216, 74, 54, 30}, 233},
                                     {CDlgMaint::IDC_WRITE, {486, 74, 54, 30}, 234},
                                     {CDlgMaint::IDC_READ_VAR_BUTTON, {486, 164, 54, 30}, 233},
                                     {CDlgMaint::IDC_WRITE_VAR_BUTTON, {486, 254, 54, 30}, 234},
                                     {CDlgMaint::IDC_READ_IMAGE, {7, 304, 54, 30}, 219},
                                     {CDlgMaint::IDC_WRITE_IMAGE, {67, 304, 54, 30}, 218},
                                     {CDlgMaint::IDC_RESET_ECU, {493, 304, 54, 30}, 221}};

constexpr const char16_t* kSizes[] = {u"BYTE", u"WORD", u"LONG"};

}  // namespace

CDlgMaint::CDlgMaint(CVEXARPages& app) : WindowBase(this), m_app(app) { hide(); }

CDlgMaint::~CDlgMaint()
{
    if (m_bCreated)
        Close();
}

void CDlgMaint::SetLanguageFile(const std::string& path)
{
    m_strLangFile = path;
    LoadCaptions();
}

void CDlgMaint::SetColours(ui::COLORREF text, ui::COLORREF value)
{
    m_crText = text;
    m_crValue = value;
}

// ---- Opening -----------------------------------------------------------------------------------

bool CDlgMaint::Create(QWidget& strip)
{
    if (m_bCreated)
        return true;
    setParent(&strip);
    hide();
    setFont(m_font);
    BuildControls();
    m_bCreated = true;
    FitControls();
    EnableButtons(m_app.m_bLinked != 0);
    LoadCaptions();
    m_readSize->setCurrentIndex(0);
    m_writeSize->setCurrentIndex(0);
    // The first protocol reaches the parameter image only.
    if (m_app.m_nProtocol == 0) {
        m_readAddress->SetRange(0, m_app.m_nParSize);
        m_writeAddress->SetRange(0, m_app.m_nParSize);
    }
    return true;
}

// Dialog units as the system measures them: a quarter of the font's mean
// letter width across, an eighth of its height down.
QRect CDlgMaint::DialogUnitsToPixels(const QRect& dialogUnits) const
{
    const QFontMetrics metrics(m_font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = std::max(1, (metrics.horizontalAdvance(letters) + 26) / 52);
    const int baseY = std::max(1, metrics.height());
    auto x = [baseX](int units) { return (units * baseX + 2) / 4; };
    auto y = [baseY](int units) { return (units * baseY + 4) / 8; };
    const int left = x(dialogUnits.left());
    const int top = y(dialogUnits.top());
    return QRect(left, top, x(dialogUnits.left() + dialogUnits.width()) - left,
                 y(dialogUnits.top() + dialogUnits.height()) - top);
}

void CDlgMaint::BuildControls()
{
    auto place = [this](QWidget& control, int id, const QRect& units) {
        ui::SetDlgCtrlID(control, id);
        control.setFont(m_font);
        control.setGeometry(DialogUnitsToPixels(units));
        control.show();
    };
    for (std::size_t i = 0; i < std::size(kBoxes); ++i) {
        m_boxes[i] = new CCtrlBox(this);
        m_boxes[i]->m_font = m_font;
        m_boxes[i]->m_textColour = m_crText;
        place(*m_boxes[i], kBoxes[i].id, kBoxes[i].rect);
    }
    for (std::size_t i = 0; i < std::size(kLabels); ++i) {
        m_labels[i] = new CCtrlStatic(this);
        m_labels[i]->m_textColour = m_crText;
        m_labels[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_labels[i]->setText(ToQ(kLabels[i].caption));
        place(*m_labels[i], kLabels[i].id, kLabels[i].rect);
    }

    auto field = [&](int id, const QRect& units, bool address) {
        auto* edit = new CCWNumEdit(this);
        edit->SetValueColor(m_crValue);
        if (address) {
            edit->SetFormat(u"\"0x\"8X");
            edit->SetRange(0, 65535);
        } else {
            edit->SetRange(0, 5000);
        }
        edit->SetValue(0);
        place(*edit, id, units);
        return edit;
    };
    m_readAddress = field(IDC_READ_ADDRESS, kReadAddress, true);
    m_writeAddress = field(IDC_WRITE_ADDRESS, kWriteAddress, true);
    m_writeValue = field(IDC_WRITE_VALUE, kWriteValue, false);
    m_readVarValue = field(IDC_READ_VAR_VALUE, kReadVarValue, false);
    m_writeVarValue = field(IDC_WRITE_VAR_VALUE, kWriteVarValue, false);

    auto list = [&](int id, const QRect& units, int role) {
        auto* combo = new CCtrlCombo(m_app, this);
        combo->SetRole(role);
        combo->SetOwner(this);
        QPalette colours = combo->palette();
        colours.setColor(QPalette::Text, ui::ToQColor(m_crText));
        colours.setColor(QPalette::ButtonText, ui::ToQColor(m_crText));
        combo->setPalette(colours);
        place(*combo, id, units);
        return combo;
    };
    m_readSize = list(IDC_READ_SIZE, kReadSize, CCtrlCombo::kRolePlain);
    m_writeSize = list(IDC_WRITE_SIZE, kWriteSize, CCtrlCombo::kRolePlain);
    for (CCtrlCombo* sizes : {m_readSize, m_writeSize})
        for (const char16_t* size : kSizes)
            sizes->addItem(ToQ(size));
    m_readVar = list(IDC_READ_VAR, kReadVar, CCtrlCombo::kRoleMaintRead);
    m_writeVar = list(IDC_WRITE_VAR, kWriteVar, CCtrlCombo::kRoleMaintWrite);

    m_readValue = new CCtrlStatic(this);
    m_readValue->m_textColour = m_crValue;
    m_readValue->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_readValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_readValue->setMargin(2);
    place(*m_readValue, IDC_READ_VALUE, kReadValue);

    const std::function<void()> handlers[] = {[this] { OnReadAddress(); },  [this] { OnWriteAddress(); },
                                              [this] { OnReadVariable(); }, [this] { OnWriteVariable(); },
                                              [this] { OnReadImage(); },    [this] { OnWriteImage(); },
                                              [this] { OnResetEcu(); }};
    for (std::size_t i = 0; i < std::size(kButtons); ++i) {
        auto* button = new QPushButton(this);
        button->setIcon(MaintBitmap(kButtons[i].bitmap));
        button->setIconSize({kMaintBitmapSize, kMaintBitmapSize});
        button->setEnabled(false);
        connect(button, &QPushButton::clicked, this, handlers[i]);
        place(*button, kButtons[i].id, kButtons[i].rect);
        m_buttons[i] = button;
    }
}

// Above 96 pixels per inch the controls grow with the resolution; on a
// screen other than 1024 x 768 with the screen. The page's content is the
// template's page grown alike: the scroll bars reach every control.
void CDlgMaint::FitControls()
{
    m_scroll = std::make_unique<CScrollResizeFunc>(CScrollResizeFunc::Options{.growWithResolution = true});
    m_scroll->m_screenSize = m_screenSize;
    m_scroll->m_dpi = m_dpi;
    QSize content = DialogUnitsToPixels(QRect(0, 0, kTemplateWidth, kTemplateHeight)).size();
    resize(content);
    m_scroll->Attach(this);
    auto scaleAll = [this, &content] {
        for (QObject* child : children()) {
            auto* control = qobject_cast<QWidget*>(child);
            if (!control || control == m_scroll->HorizontalBar() || control == m_scroll->VerticalBar())
                continue;
            m_scroll->ScaleControl(*control, false, dynamic_cast<CCtrlCombo*>(control) != nullptr);
        }
        int width = content.width();
        int height = content.height();
        CScrollResizeFunc::ScaleCoord(m_scroll->ScaleNumX(), m_scroll->ScaleDenX(), width);
        CScrollResizeFunc::ScaleCoord(m_scroll->ScaleNumY(), m_scroll->ScaleDenY(), height);
        content = {width, height};
    };
    if (m_scroll->CheckLargeFonts())
        scaleAll();
    if (m_scroll->FitToScreen())
        scaleAll();
    m_rcContent = QRect(QPoint(0, 0), content);
    m_scroll->SetContentRect(m_rcContent);
}

void CDlgMaint::LoadCaptions()
{
    if (!m_bCreated || m_strLangFile.empty())
        return;
    auto text = [this](int id) { return CUtility::LoadLangString(m_strLangFile, id); };
    for (std::size_t i = 0; i < std::size(kBoxes); ++i)
        if (const std::u16string caption = text(kBoxTexts[i]); !caption.empty())
            m_boxes[i]->SetWindowText(caption);
    for (std::size_t i = 0; i < std::size(kLabels); ++i)
        if (const std::u16string caption = text(kLabels[i].textId); !caption.empty())
            m_labels[i]->setText(ToQ(caption));
}

void CDlgMaint::EnableButtons(bool enabled)
{
    for (QPushButton* button : m_buttons)
        if (button)
            button->setEnabled(enabled);
}

void CDlgMaint::Close()
{
    if (!m_bCreated)
        return;
    m_scroll.reset();
    m_vars.clear();
    std::vector<QPointer<QWidget>> controls;
    for (QObject* child : children())
        if (auto* control = qobject_cast<QWidget*>(child))
            controls.emplace_back(control);
    for (const QPointer<QWidget>& control : controls)
        delete control.data();
    std::fill(std::begin(m_boxes), std::end(m_boxes), nullptr);
    std::fill(std::begin(m_labels), std::end(m_labels), nullptr);
    std::fill(std::begin(m_buttons), std::end(m_buttons), nullptr);
    m_readAddress = m_writeAddress = m_writeValue = m_readVarValue = m_writeVarValue = nullptr;
    m_readSize = m_writeSize = m_readVar = m_writeVar = nullptr;
    m_readValue = nullptr;
    hide();
    m_bCreated = false;
}

// ---- The variable lists ------------------------------------------------------------------------

void CDlgMaint::EmptyLists()
{
    if (!m_bCreated)
        return;
    m_readVar->clear();
    m_writeVar->clear();
}

void CDlgMaint::ForgetVariables()
{
    EmptyLists();
    m_vars.clear();
}

void CDlgMaint::ReloadVariables()
{
    if (!m_bCreated)
        return;
    EmptyLists();
    m_vars.clear();
    for (const CTRL_TABLE* table : {static_cast<const CTRL_TABLE*>(m_app.m_pVarTable),
                                    m_diagTable ? m_diagTable() : nullptr})
        if (table)
            m_vars.insert(m_vars.end(), table->begin(), table->end());

    std::vector<std::optional<REC_CONTROLLO>> definitions;
    definitions.reserve(m_vars.size());
    for (const CTRL_WND& entry : m_vars) {
        REC_CONTROLLO definition;
        if (CUtility::GetCtrlDefinition(entry, definition))
            definitions.emplace_back(std::move(definition));
        else
            definitions.emplace_back();
    }
    std::vector<MaintRules::ListItem> items = MaintRules::VariableItems(definitions);
    // Sorted lists: by text without regard to case, as a sorted list of
    // the system orders.
    std::stable_sort(items.begin(), items.end(), [](const MaintRules::ListItem& a, const MaintRules::ListItem& b) {
        const int order = ToQ(a.text).compare(ToQ(b.text), Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.text < b.text;
    });
    for (const MaintRules::ListItem& item : items)
        for (CCtrlCombo* list : {m_readVar, m_writeVar})
            list->addItem(ToQ(item.text), QVariant::fromValue(static_cast<qulonglong>(item.entry)));
    m_readVar->setCurrentIndex(-1);
    m_writeVar->setCurrentIndex(-1);
}

const CTRL_WND* CDlgMaint::ChosenEntry(const CCtrlCombo& list) const
{
    const int position = list.currentIndex();
    if (position < 0)
        return nullptr;
    bool ok = false;
    const qulonglong index = list.itemData(position).toULongLong(&ok);
    if (!ok || index >= m_vars.size())
        return nullptr;
    return &m_vars[static_cast<std::size_t>(index)];
}

// The field takes the raw values of the variable's MIN and MAX: the
// smaller as its minimum, the raw MIN as its value.
void CDlgMaint::RefreshRange(const CCtrlCombo& list, CCWNumEdit& field)
{
    const CTRL_WND* entry = ChosenEntry(list);
    REC_CONTROLLO definition;
    if (!entry || !CUtility::GetCtrlDefinition(*entry, definition))
        return;
    std::u16string minText = definition.MIN;
    std::u16string maxText = definition.MAX;
    double minimum = 0.0;
    double maximum = 0.0;
    StrToDouble(minText, minimum);
    StrToDouble(maxText, maximum);
    const MaintRules::RawRange range =
        MaintRules::RangeOf(CUtility::ValueToRaw(*entry, minimum), CUtility::ValueToRaw(*entry, maximum));
    field.SetRange(range.minimum, range.maximum);
    field.SetValue(range.value);
}

void CDlgMaint::OnRefreshReadVariables()
{
    if (m_bCreated)
        RefreshRange(*m_readVar, *m_readVarValue);
}

void CDlgMaint::OnRefreshWriteVariables()
{
    if (m_bCreated)
        RefreshRange(*m_writeVar, *m_writeVarValue);
}

// ---- Requests ----------------------------------------------------------------------------------

bool CDlgMaint::CanRequest() const { return m_bCreated && m_app.m_bLinked != 0 && m_app.m_pLinkThread; }

void CDlgMaint::OnReadAddress()
{
    if (!CanRequest())
        return;
    auto request = std::make_unique<vlink::MEMORY_REQUEST>();
    request->address = MaintRules::AddressOf(m_readAddress->GetValue());
    request->size = MaintRules::SizeOfText(m_readSize->currentText().toStdU16String());
    m_app.PostLinkRequest(vlink::WM_LINK_READ_MEMORY, 0, 0, std::move(request));
}

void CDlgMaint::OnWriteAddress()
{
    if (!CanRequest())
        return;
    auto request = std::make_unique<vlink::MEMORY_REQUEST>();
    request->address = MaintRules::AddressOf(m_writeAddress->GetValue());
    request->size = MaintRules::SizeOfText(m_writeSize->currentText().toStdU16String());
    MaintRules::PutValue(*request, WholeValue(m_writeValue->GetValue()));
    m_app.PostLinkRequest(vlink::WM_LINK_WRITE_MEMORY, 0, 0, std::move(request));
}

void CDlgMaint::OnReadVariable()
{
    if (!CanRequest())
        return;
    const CTRL_WND* entry = ChosenEntry(*m_readVar);
    if (!entry)
        return;
    std::int32_t address = -1;
    std::int32_t size = -1;
    CUtility::GetCtrlAddress(*entry, address, size);
    if (address < 0 || size <= 0)
        return;
    auto request = std::make_unique<vlink::VARIABLE_READ>();
    request->address = address;
    request->length = size;
    m_app.PostLinkRequest(vlink::WM_LINK_READ_VARIABLE, 0, 0, std::move(request));
}

// The pair of keep-mask and value comes from the variable's own type and
// mask, whatever its category: only its bits change in the ECU.
void CDlgMaint::OnWriteVariable()
{
    if (!CanRequest())
        return;
    const CTRL_WND* entry = ChosenEntry(*m_writeVar);
    REC_CONTROLLO definition;
    if (!entry || !CUtility::GetCtrlDefinition(*entry, definition))
        return;
    const std::optional<vlink::VARIABLE_WRITE> write = MaintRules::VariableWrite(
        definition, WholeValue(m_writeVarValue->GetValue()), m_app.m_bLittleEndian != 0);
    if (!write)
        return;
    m_app.PostLinkRequest(vlink::WM_LINK_WRITE_VARIABLE, 0, 0, std::make_unique<vlink::VARIABLE_WRITE>(*write));
}

void CDlgMaint::OnReadImage()
{
    if (CanRequest())
        m_app.PostLinkRequest(vlink::WM_LINK_READ_ALL);
}

void CDlgMaint::OnWriteImage()
{
    if (CanRequest())
        m_app.PostLinkRequest(vlink::WM_LINK_WRITE_ALL);
}

void CDlgMaint::OnResetEcu()
{
    if (CanRequest())
        m_app.PostLinkRequest(vlink::WM_LINK_RESET_ECU);
}

// ---- Answers -----------------------------------------------------------------------------------

// Only a read that succeeded shows its value; the record goes with the
// message.
void CDlgMaint::OnMemoryValue(std::intptr_t result, const std::unique_ptr<ui::MessagePayload>& payload)
{
    const auto* request = vlink::LinkRecord<vlink::MEMORY_REQUEST>(payload);
    if (!m_bCreated || !request || result != vlink::RES_OK)
        return;
    m_readValue->setText(QString::number(static_cast<qulonglong>(MaintRules::ValueOf(*request))));
}

void CDlgMaint::OnVariableValue(std::intptr_t result)
{
    if (!m_bCreated || result != vlink::RES_OK)
        return;
    if (const CTRL_WND* entry = ChosenEntry(*m_readVar))
        m_readVarValue->SetValue(CUtility::GetCtrlRawValue(*entry));
}

void CDlgMaint::OnLinkState(bool linked)
{
    if (m_bCreated)
        EnableButtons(linked);
}

std::intptr_t CDlgMaint::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                   std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case vlink::WM_LINK_READ_MEMORY:
        OnMemoryValue(lParam, payload);
        return 0;
    case vlink::WM_LINK_READ_VARIABLE:
        OnVariableValue(lParam);
        return 0;
    case vlink::WM_MAINT_READ_SELCHANGE:
        OnRefreshReadVariables();
        return 0;
    case vlink::WM_MAINT_WRITE_SELCHANGE:
        OnRefreshWriteVariables();
        return 0;
    case vlink::WM_LINK_STATE:
        OnLinkState(wParam != 0);
        return 0;
    default:
        return WindowBase::onMessage(id, wParam, lParam, payload);
    }
}

// ---- Keys and scrolling ------------------------------------------------------------------------

// A function key selects the host's page of that number.
bool CDlgMaint::preTranslateMessage(QWidget&, QEvent& event)
{
    if (event.type() != QEvent::KeyPress)
        return false;
    if (CUtility::PostPageSelectKey(*this, event))
        return true;
    return false;
}

// What no control took: Escape closes the host's window, Enter does
// nothing.
void CDlgMaint::keyPressEvent(QKeyEvent* event)
{
    if (!CUtility::TakePageKey(*this, *event))
        QWidget::keyPressEvent(event);
}

void CDlgMaint::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_bCreated && isVisible() && !isMinimized() && m_scroll)
        m_scroll->OnSize();
}

// A page sized while hidden takes its scroll bars as it shows.
void CDlgMaint::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_bCreated && !isMinimized() && m_scroll)
        m_scroll->OnSize();
}

// ---- Test access -------------------------------------------------------------------------------

CCWNumEdit& CDlgMaint::Field(int id) const { return dynamic_cast<CCWNumEdit&>(*ui::GetDlgItem(*this, id)); }

CCtrlCombo& CDlgMaint::List(int id) const { return dynamic_cast<CCtrlCombo&>(*ui::GetDlgItem(*this, id)); }

QPushButton& CDlgMaint::Button(int id) const { return dynamic_cast<QPushButton&>(*ui::GetDlgItem(*this, id)); }
