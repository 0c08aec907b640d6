#include "pages/CCtrlNumber.h"

#include "common/TagLine.h"
#include "common/Text.h"
#include "config/CUtilityCodec.h"
#include "pages/core/CUtilityTables.h"
#include "pages/core/CVEXARPages.h"

#include <cmath>

namespace {

// A value text read as a number; one that is none reads as 0.
double TextNumber(const std::u16string& text)
{
    std::u16string number = text;
    double value = 0.0;
    StrToDouble(number, value);
    return value;
}

}  // namespace

CCtrlNumber::CCtrlNumber(QWidget& self, CVEXARPages& app, REC_CONTROLLO definition, bool hidden)
    : CCtrlInstrument(self, app, std::move(definition), hidden)
{
}

bool CCtrlNumber::DatumHolds(double value) const
{
    if (!std::isfinite(value))
        return false;
    const std::int32_t raw = m_conversion.ToRaw(value);
    std::uint8_t datum[4] = {};
    int bytes = 0;
    std::int32_t back = 0;
    return CUtility::WriteDatoValue(datum, 0, raw, bytes, m_definition.TIPO, m_definition.MASCHERA, false) &&
           CUtility::ReadDatoValue(datum, 0, back, bytes, m_definition.TIPO, m_definition.MASCHERA, false) &&
           back == raw;
}

void CCtrlNumber::Apply(double value)
{
    const ShownValue before = Shown();
    PutWidgetValue(value);
    m_committedShown = WidgetValue();
    // A value the datum cannot hold (300 in a byte would be stored as 44)
    // is kept as the widget shows it instead.
    m_committed = DatumHolds(value) ? value : m_committedShown;
    SetUndoPair(before, Shown());
}

void CCtrlNumber::SetValue(double value, std::uintptr_t refresh, std::uintptr_t write)
{
    Apply(value);
    CUtility::NotifyLinkedCtrls(m_app, m_app.m_bNotifyLinked, LinkedCtrls(), refresh, write);
}

void CCtrlNumber::CommitValue(double value)
{
    // A gesture that ends where the widget showed the committed value
    // changes nothing, also when the widget could not show it as it is.
    if (value == m_committed || value == m_committedShown)
        return;
    m_committed = value;
    m_committedShown = value;
    CommitEdit();
}

void CCtrlNumber::TakeUserValue(double value)
{
    const ShownValue before = CurrentValue();
    CommitValue(value);
    SetUndoPair(before, Shown());
}

void CCtrlNumber::OnUndo()
{
    const double value = PreviousValue().number;
    PutWidgetValue(value);
    CommitValue(value);
    m_committedShown = WidgetValue();
    SetUndoPair(PreviousValue(), Shown());
}

void CCtrlNumber::StartAtDefault()
{
    double value = 0.0;
    if (DefaultValue(value))
        SetValue(value, 0, 1);
    SetUndoPair(Shown(), Shown());
}

void CCtrlNumber::SetUpScale(CWScaledControl& scale, std::int32_t ticks, const std::u16string& format,
                             vexar::ui::COLORREF valueColour) const
{
    scale.SetScaleColor(valueColour);
    scale.SetLabelColor(valueColour);
    scale.SetTicks(ticks);
    scale.SetFormat(format);
    double minimum = 0.0;
    double maximum = 0.0;
    if (RangeLimits(minimum, maximum))
        scale.SetRange(minimum, maximum);
}

bool CCtrlNumber::DefaultValue(double& value) const
{
    return CUtility::GetLimitValue(m_definition.DEFAULT, value, 0, DATO_BYTE);
}

bool CCtrlNumber::RangeLimits(double& minimum, double& maximum) const
{
    return CUtility::GetLimitValue(m_definition.MIN, minimum, 1, m_definition.TIPO) &&
           CUtility::GetLimitValue(m_definition.MAX, maximum, 2, m_definition.TIPO);
}

void CCtrlNumber::ShowRaw(std::int32_t raw)
{
    // A refreshed value is the one the image holds: committed as well, so
    // that turning back to the value before the refresh is a change, and a
    // store puts back what was read.
    Apply(m_conversion.ToPhysical(raw));
}

std::u16string CCtrlNumber::ValueText() const
{
    return vexar::Format(u"%lf", m_committed);
}

bool CCtrlNumber::LoadValueText(std::u16string& text)
{
    double value = 0.0;
    if (!StrToDouble(text, value))
        return false;
    Apply(value);
    return true;
}

void CCtrlNumber::ShowDefault()
{
    double value = 0.0;
    if (DefaultValue(value))
        Apply(value);
}

bool CCtrlNumber::DiffersFromSaved(const std::u16string& saved, const std::u16string& now) const
{
    return TextNumber(saved) != TextNumber(now);
}
