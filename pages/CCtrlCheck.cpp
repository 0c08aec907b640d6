#include "pages/CCtrlCheck.h"

#include "common/TagLine.h"
#include "common/Text.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/WindowState.h"

#include <QFontMetrics>
#include <QStyle>

#include <algorithm>
#include <new>

namespace {

const CheckBlock* CheckOf(const REC_CONTROLLO& definition)
{
    return std::get_if<CheckBlock>(&definition.GRAFICA);
}

QString ToQ(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CCtrlCheck::CCtrlCheck(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent)
    : QCheckBox(parent), CCtrlBase(*this, app, std::move(definition), hidden)
{
    if (const CheckBlock* block = CheckOf(m_definition)) {
        m_bHasLists = block->VISIB_DIP == VIS_SI;
        // PAR_NO is read only with the lists: without them the box is bound.
        m_bBound = !m_bHasLists || block->PARAM == PAR_SI;
    }
    ShowDefault();
    SetUndoPair(Shown(), Shown());
    connect(this, &QCheckBox::clicked, this, [this] { OnClicked(); });
}

void CCtrlCheck::Display(int state)
{
    m_state = state;
    setChecked(state == 1);
}

void CCtrlCheck::SetCheckState(int state)
{
    MoveShown([&] { Display(state != 0 ? 1 : 0); });
}

void CCtrlCheck::OnClicked()
{
    m_state = isChecked() ? 1 : 0;
    UserEdit();
}

void CCtrlCheck::ShowRaw(std::int32_t raw)
{
    Display(raw == 1 ? 1 : 0);
}

void CCtrlCheck::PutShown(const ShownValue& value)
{
    Display(value.number != 0.0 ? 1 : 0);
}

std::u16string CCtrlCheck::ValueText() const
{
    return vexar::Format(u"%d", m_state);
}

bool CCtrlCheck::LoadValueText(std::u16string& text)
{
    std::int32_t value = 0;
    if (!StrToLong(text, value))
        return false;
    Display(value != 0 ? 1 : 0);
    return true;
}

void CCtrlCheck::ShowDefault()
{
    std::u16string text = m_definition.DEFAULT;
    std::int32_t value = 0;
    Display(StrToLong(text, value) && value != 0 ? 1 : 0);
}

std::vector<DependencyState> CCtrlCheck::DependencyStates() const
{
    const CheckBlock* block = CheckOf(m_definition);
    if (!m_bHasLists || !block)
        return {};
    const bool checked = m_state != 0;
    return {{&block->CHECKED, checked}, {&block->UNCHECKED, !checked}};
}

std::int32_t CCtrlCheck::Abilitato() const
{
    const CheckBlock* block = CheckOf(m_definition);
    return block ? block->ABILITATO : ABIL_SI;
}

namespace CUtility {

bool CreateCtrlCheck(const CTRL_CREATE& args, CCtrlCheck*& control)
{
    control = nullptr;
    if (!args.app || !args.definition || !args.parent)
        return false;
    const REC_CONTROLLO& definition = *args.definition;
    CCtrlCheck* box = new (std::nothrow) CCtrlCheck(*args.app, definition, args.hidden, args.parent);
    if (!box)
        return false;

    const QString caption = ToQ(args.development ? definition.IDENTIFICATORE : definition.ETICHETTA);
    box->setFont(args.font);
    box->setText(caption);
    // The caption's width in the page font, with the box and its spacing
    // as the style draws them.
    const QFontMetrics metrics(args.font);
    const int indicator = box->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
                          box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box);
    const int width = metrics.horizontalAdvance(caption) + 5 + std::max(20, indicator);
    const PAGE_RECT origin = CellOrigin(args.grid, args.row, args.column);
    box->setGeometry(origin.left, origin.top, width, std::max(args.settings.checkHeight, metrics.height()));
    vexar::ui::SetDlgCtrlID(*box, args.baseId + definition.ID_GUI);
    box->setFocusPolicy(Qt::StrongFocus);

    QPalette palette = box->palette();
    palette.setColor(QPalette::WindowText, vexar::ui::ToQColor(args.settings.textColour));
    box->setPalette(palette);
    box->m_textColour = args.settings.textColour;

    // Privileged profiles always take input; the others not where the
    // definition or the limited profile says so.
    const std::int32_t profile = args.profile;
    const bool privileged = profile == OPR_PRV || profile == OPR_REM || profile == OPR_SVIL;
    const CheckBlock* block = std::get_if<CheckBlock>(&definition.GRAFICA);
    const bool closed = (block && block->ABILITATO == ABIL_NO) || args.limited;
    box->SetProfileEnabled(privileged || !closed);

    box->AttachToolTip();
    box->setVisible(args.visible && !args.hidden);
    control = box;
    return true;
}

}  // namespace CUtility
