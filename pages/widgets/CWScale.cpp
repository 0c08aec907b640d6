#include "pages/widgets/CWScale.h"

#include "pages/widgets/CWValueText.h"

#include <algorithm>
#include <cmath>

void CWScale::SetRange(double minimum, double maximum)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum))
        return;
    m_minimum = minimum;
    m_maximum = maximum;
}

void CWScale::SetDivisions(int divisions) { m_divisions = std::clamp(divisions, 1, kMaxDivisions); }

double CWScale::Coerce(double value) const
{
    return std::clamp(value, std::min(m_minimum, m_maximum), std::max(m_minimum, m_maximum));
}

double CWScale::UserValue(double value) const
{
    if (m_discrete) {
        // The nearest whole number inside the range: rounding may leave the
        // range when its ends are not whole, so round towards the inside.
        const double low = std::ceil(std::min(m_minimum, m_maximum));
        const double high = std::floor(std::max(m_minimum, m_maximum));
        if (low <= high)
            return std::clamp(std::round(value), low, high);
    }
    return Coerce(value);
}

double CWScale::Fraction(double value) const
{
    const double span = m_maximum - m_minimum;
    if (span == 0.0)
        return 0.0;
    return std::clamp((value - m_minimum) / span, 0.0, 1.0);
}

double CWScale::ValueAt(double fraction) const
{
    return m_minimum + std::clamp(fraction, 0.0, 1.0) * (m_maximum - m_minimum);
}

double CWScale::KeyStep() const
{
    if (m_discrete)
        return 1.0;
    const double hundredth = std::fabs(m_maximum - m_minimum) / 100.0;
    if (hundredth == 0.0)
        return 0.0;
    return std::pow(10.0, std::floor(std::log10(hundredth)));
}

double CWScale::MarkValue(int mark) const
{
    if (mark >= m_divisions)
        return m_maximum;  // exact, whatever the rounding of the steps
    return m_minimum + (m_maximum - m_minimum) * mark / m_divisions;
}

std::u16string CWScale::LabelText(double value) const { return CWValueText::Format(m_format, value); }
