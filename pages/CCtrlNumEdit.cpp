#include "pages/CCtrlNumEdit.h"

#include "config/CUtilityCtrl.h"
#include "link/LinkMessages.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/WindowState.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <algorithm>
#include <cmath>
#include <new>

using namespace vexar;

CCtrlNumEdit::CCtrlNumEdit(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent,
                           std::int32_t imageFamily)
    : CCWNumEdit(parent), CCtrlNumber(*this, app, std::move(definition), hidden)
{
    if (IsComputed()) {
        m_imageFamily = imageFamily == 1 ? 1 : 0;
        if (const NumCalcBlock* block = std::get_if<NumCalcBlock>(&m_definition.GRAFICA)) {
            m_bFormula = true;
            m_formula = *block;
            m_formula.ADDR_ID.fill(nullptr);
            m_formula.TIPO_ID.fill(kUnresolvedOperand);
            m_bAbs = block->ABS == ABS_SI;
        }
    } else {
        m_sink = std::make_unique<CCtrlCmdTarget>();
    }
}

CCtrlNumEdit::~CCtrlNumEdit() { DisconnectSink(); }

void CCtrlNumEdit::SetControlFont(const QWidget& window, const QFont& font)
{
    setFont(InstrumentFont(window, font));
}

bool CCtrlNumEdit::ConnectSink()
{
    return m_sink && m_sink->Connect(*this);
}

void CCtrlNumEdit::DisconnectSink()
{
    if (m_sink)
        m_sink->Disconnect();
}

std::u16string CCtrlNumEdit::ValueText() const
{
    std::u16string text = GetText();
    std::replace(text.begin(), text.end(), u',', u'.');
    return text;
}

std::int32_t CCtrlNumEdit::Abilitato() const
{
    const NumEditBlock* block = std::get_if<NumEditBlock>(&m_definition.GRAFICA);
    return block ? block->ABILITATO : ABIL_SI;
}

// ---- The user's value ----------------------------------------------------------------

bool CCtrlNumEdit::ClampToRange(double& value)
{
    const std::int32_t profile = m_app.m_nOperator;
    if (profile == OPR_PRV || profile == OPR_REM || profile == OPR_SVIL)
        return false;
    double minimum = 0.0;
    double maximum = 0.0;
    if (!RangeLimits(minimum, maximum))
        return false;
    const double kept = std::clamp(value, std::min(minimum, maximum), std::max(minimum, maximum));
    if (kept == value)
        return false;
    value = kept;
    // A value the program puts into the field is no edit: the sink never
    // hears of it, so it is written once, by the commit that follows.
    PutWidgetValue(value);
    return true;
}

void CCtrlNumEdit::OnUserValue(double value)
{
    if (!TakesProfileEnable())
        return;
    ClampToRange(value);
    TakeUserValue(value);
}

// ---- The formula ----------------------------------------------------------------------

void CCtrlNumEdit::Recalculate(std::uintptr_t flag)
{
    if (!m_bFormula)
        return;
    double x[6];
    for (std::size_t i = 0; i < 6; ++i)
        x[i] = m_formula.ID[i] == 0 ? 1.0 : CUtility::GetCtrlNumber(m_formula.ADDR_ID[i], m_formula.TIPO_ID[i]);
    const double numerator = x[0] * m_formula.K1 * x[1] + x[2] * m_formula.K2;
    const double denominator = x[3] * m_formula.K3 * x[4] + x[5] * m_formula.K4;
    double result = denominator == 0.0 ? 0.0 : numerator / denominator + m_formula.KC;
    // A parameter shows only what its datum can hold.
    if (m_imageFamily == 0)
        result = m_conversion.ToPhysical(m_conversion.ToRaw(result));
    if (m_bAbs)
        result = std::fabs(result);
    if (result != CommittedValue())
        SetValue(result, flag == 0 ? 1 : 0, 1);
}

bool CCtrlNumEdit::FindOperand(std::int32_t key, IDataCtrl*& control, std::int32_t& category,
                               const CTRL_TABLE& table)
{
    control = nullptr;
    category = kUnresolvedOperand;
    if (key == 0)
        return true;
    const auto entry =
        std::find_if(table.begin(), table.end(), [key](const CTRL_WND& e) { return e.key == key; });
    if (entry == table.end())
        return false;
    control = entry->wnd;
    category = entry->category;
    return true;
}

bool CCtrlNumEdit::ResolveOperands(const CTRL_TABLE* table)
{
    if (!table)
        table = m_imageFamily == 0 ? m_app.m_pParTable : m_app.m_pVarTable;
    if (!m_bFormula)
        return true;
    m_formula.ADDR_ID.fill(nullptr);
    m_formula.TIPO_ID.fill(kUnresolvedOperand);
    static const CTRL_TABLE kNone;
    for (std::size_t i = 0; i < 6; ++i)
        if (!FindOperand(m_formula.ID[i], m_formula.ADDR_ID[i], m_formula.TIPO_ID[i], table ? *table : kNone))
            return false;
    return true;
}

void CCtrlNumEdit::RecalcAndStore()
{
    Recalculate(0);
    WriteValue(false, false);
}

// ---- Messages and keys ----------------------------------------------------------------

std::intptr_t CCtrlNumEdit::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                      std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case WM_NUMEDIT_VALUE:
        if (const auto* edit = ui::PayloadAs<NUMEDIT_VALUE>(payload))
            OnUserValue(edit->value);
        return 0;
    case link::WM_CTRL_REFRESH:
        // A computed value of the variables shows its own datum and has
        // its linked controls read theirs again.
        if (IsComputed() && m_imageFamily == 1)
            wParam = 1;
        break;
    case link::WM_CTRL_STORE_WRITE:
        Recalculate(wParam);
        break;
    default:
        break;
    }
    return CCtrlNumber::onMessage(id, wParam, lParam, payload);
}

bool CCtrlNumEdit::preTranslateMessage(QWidget& target, QEvent& event)
{
    CCtrlNumber::preTranslateMessage(target, event);
    if (event.type() != QEvent::KeyPress)
        return false;
    const auto& key = static_cast<const QKeyEvent&>(event);
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter)
        return false;
    // Enter moves on as Tab does; leaving the field gives its typed text.
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &tab);
    return true;
}

// ---- Creators -------------------------------------------------------------------------

namespace CUtility {

namespace {

CCWNumEdit::Alignment AlignmentOf(std::int32_t code, bool& known)
{
    known = true;
    switch (code) {
    case ALLN_LFT:
        return CCWNumEdit::Alignment::Left;
    case ALLN_CNT:
        return CCWNumEdit::Alignment::Center;
    case ALLN_RGH:
        return CCWNumEdit::Alignment::Right;
    default:
        known = false;
        return CCWNumEdit::Alignment::Right;
    }
}

CCtrlNumEdit* MakeField(const CTRL_CREATE& args, const CONTROL_SIZE& size, std::int32_t family)
{
    if (!args.app || !args.definition || !args.parent)
        return nullptr;
    CCtrlNumEdit* field =
        new (std::nothrow) CCtrlNumEdit(*args.app, *args.definition, args.hidden, args.parent, family);
    if (!field)
        return nullptr;
    const PAGE_RECT origin = CellOrigin(args.grid, args.row, args.column);
    field->setGeometry(origin.left, origin.top, size.width, size.height);
    ui::SetDlgCtrlID(*field, args.baseId + args.definition->ID_GUI);
    field->SetControlFont(*args.parent, args.font);
    field->SetValueColor(args.settings.valueColour);
    return field;
}

void SetAlignment(CCtrlNumEdit& field, std::int32_t code)
{
    bool known = false;
    const CCWNumEdit::Alignment alignment = AlignmentOf(code, known);
    if (known)
        field.SetAlignment(alignment);
}

void Finish(const CTRL_CREATE& args, CCtrlNumEdit& field)
{
    field.StartAtDefault();
    field.AttachToolTip();
    field.setVisible(args.visible && !args.hidden);
}

}  // namespace

bool CreateCtrlNumEdit(const CTRL_CREATE& args, CCtrlNumEdit*& control)
{
    control = nullptr;
    CCtrlNumEdit* field = MakeField(args, args.settings.numEdit, 0);
    if (!field)
        return false;
    field->MakeLabels(args, true, false);
    const NumEditBlock* block = std::get_if<NumEditBlock>(&args.definition->GRAFICA);
    field->SetProfileEnabled(
        CCtrlInstrument::CreatorInput(args.profile, block ? block->ABILITATO : ABIL_SI, args.limited));
    if (block) {
        SetAlignment(*field, block->ALLINEAMENTO);
        field->SetIncDecButtons(block->INCDEC_BUTTON == INCDEC_BTN_SI);
        field->SetIncrement(block->INC_VALORE);
        field->SetDiscrete(block->VALORI == VAL_DSCR);
        field->SetFormat(block->FORMATO);
    }
    field->SetMode(CCWNumEdit::Mode::Edit);
    Finish(args, *field);
    if (!field->ConnectSink()) {
        delete field;
        return false;
    }
    control = field;
    return true;
}

bool CreateCtrlNumCalc(const CTRL_CREATE& args, CCtrlNumEdit*& control)
{
    control = nullptr;
    CCtrlNumEdit* field = MakeField(args, args.settings.numCalc, args.imageFamily);
    if (!field)
        return false;
    field->MakeLabels(args, true, field->ImageFamily() == 1);
    field->SetProfileEnabled(!args.limited && field->ImageFamily() == 0);
    if (const NumCalcBlock* block = std::get_if<NumCalcBlock>(&args.definition->GRAFICA)) {
        SetAlignment(*field, block->ALLINEAMENTO);
        field->SetFormat(block->FORMATO);
    }
    field->SetDiscrete(false);
    field->SetIncDecButtons(false);
    field->SetMode(CCWNumEdit::Mode::Computed);
    Finish(args, *field);
    control = field;
    return true;
}

}  // namespace CUtility
