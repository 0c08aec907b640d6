#include "config/CConversione.h"

#include "config/CUtilityCtrl.h"
#include "config/CVEXARContext.h"
#include "config/IDataCtrl.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kSignedMin = -2147483648.0;
constexpr double kSignedMax = 2147483647.0;
constexpr double kUnsignedMax = 4294967295.0;

// Segment of a breakpoint axis that a value falls into: the one ending at
// the first breakpoint the value reaches (in the axis' direction), the
// first segment before the axis and the last one beyond it. The axis has
// at least two breakpoints.
std::size_t Segment(const std::vector<double>& axis, double v)
{
    const std::size_t n = axis.size();
    const bool ascending = axis[0] < axis[1];
    std::size_t i = 0;
    while (i < n && !(ascending ? v <= axis[i] : v >= axis[i]))
        ++i;
    if (i == 0)
        return 0;
    if (i == n)
        return n - 2;
    return i - 1;
}

}  // namespace

CConversione::CConversione(const CVEXARContext* context) : m_context(context) {}

CConversione::~CConversione() = default;

void CConversione::SetConversion(std::int32_t kind, std::int32_t owner, const PARAM_CONVERSIONE* params,
                                 std::int32_t dataType)
{
    m_kind = kind;
    m_owner = owner;
    m_dataType = dataType;
    m_params = std::monostate{};
    switch (kind) {
    case CONV_FORM: {
        const ConvForm* form = params ? std::get_if<ConvForm>(params) : nullptr;
        m_params = form ? *form : ConvForm{};
        break;
    }
    case CONV_FORM_EXT: {
        const ConvFormExt* form = params ? std::get_if<ConvFormExt>(params) : nullptr;
        m_params = form ? *form : ConvFormExt{};
        break;
    }
    case CONV_INTR: {
        // Only as many breakpoints as both arrays really hold are taken, so
        // a count larger than the arrays never reads past them.
        ConvIntr own;
        if (const ConvIntr* table = params ? std::get_if<ConvIntr>(params) : nullptr) {
            const std::size_t n = std::min({static_cast<std::size_t>(std::max(table->N_ELEM, 0)),
                                            table->BREAKPS_X.size(), table->BREAKPS_Y.size()});
            own.N_ELEM = static_cast<std::int32_t>(n);
            own.BREAKPS_X.assign(table->BREAKPS_X.begin(), table->BREAKPS_X.begin() + static_cast<std::ptrdiff_t>(n));
            own.BREAKPS_Y.assign(table->BREAKPS_Y.begin(), table->BREAKPS_Y.begin() + static_cast<std::ptrdiff_t>(n));
        }
        m_params = std::move(own);
        break;
    }
    default:
        break;
    }
}

bool CConversione::IsUnsigned() const
{
    return m_dataType == DATO_FLAG || m_dataType == DATO_UBYTE || m_dataType == DATO_UWORD ||
           m_dataType == DATO_ULONG;
}

double CConversione::RawToNumber(std::int32_t raw) const
{
    return IsUnsigned() ? static_cast<double>(static_cast<std::uint32_t>(raw)) : static_cast<double>(raw);
}

// The value rounded half away from zero, held within the data type's range
// and given as its 32-bit pattern.
std::int32_t CConversione::Pattern(double value) const
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::round(value);
    if (IsUnsigned())
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(std::clamp(rounded, 0.0, kUnsignedMax)));
    return static_cast<std::int32_t>(std::clamp(rounded, kSignedMin, kSignedMax));
}

// The result of a formula whose denominator is zero: the end of the data
// type's range on the side of the numerator's sign.
std::int32_t CConversione::Saturated(double numerator) const
{
    if (IsUnsigned())
        return numerator > 0 ? static_cast<std::int32_t>(0xFFFFFFFFu) : 0;
    return numerator > 0 ? std::numeric_limits<std::int32_t>::max() : std::numeric_limits<std::int32_t>::min();
}

// The six operands of the formula: each operand control's current value,
// 1.0 for a slot without a key or whose control was never found.
void CConversione::Operands(double (&op)[6]) const
{
    const ConvFormExt& f = std::get<ConvFormExt>(m_params);
    for (std::size_t k = 0; k < 6; ++k)
        op[k] = f.ID[k] == 0 ? 1.0
                             : CUtility::GetCtrlNumber(f.ADDR_ID[k], f.TIPO_ID[k]);
}

double CConversione::ToPhysical(std::int32_t raw) const
{
    if (m_dataType < DATO_FLAG || m_dataType > DATO_ULONG)
        return 0.0;
    const double x = RawToNumber(raw);
    switch (m_kind) {
    case CONV_FORM: {
        const ConvForm& f = std::get<ConvForm>(m_params);
        const double n = f.A * x + f.B;
        const double d = f.C * x + f.D;
        return d != 0.0 ? n / d + f.E : 0.0;
    }
    case CONV_FORM_EXT: {
        const ConvFormExt& f = std::get<ConvFormExt>(m_params);
        double op[6];
        Operands(op);
        if (f.IDX >= 1 && f.IDX <= 6)
            op[f.IDX - 1] = x;
        const double n = op[0] * f.K1 * op[1] + op[2] * f.K2;
        const double d = op[3] * f.K3 * op[4] + op[5] * f.K4;
        return d != 0.0 ? n / d + f.KC : 0.0;
    }
    case CONV_INTR: {
        const ConvIntr& t = std::get<ConvIntr>(m_params);
        const std::vector<double>& X = t.BREAKPS_X;
        const std::vector<double>& Y = t.BREAKPS_Y;
        // Fewer than two breakpoints: no conversion, or a constant.
        if (X.empty())
            return x;
        if (X.size() == 1)
            return Y[0];
        const std::size_t s = Segment(X, x);
        const double dx = X[s + 1] - X[s];
        if (dx == 0.0)  // two equal breakpoints: the segment is a step
            return Y[s];
        return Y[s] + (Y[s + 1] - Y[s]) / dx * (x - X[s]);
    }
    default:
        return x;
    }
}

std::int32_t CConversione::ToRaw(double y) const
{
    if (m_dataType < DATO_FLAG || m_dataType > DATO_ULONG)
        return 0;
    switch (m_kind) {
    case CONV_FORM: {
        const ConvForm& f = std::get<ConvForm>(m_params);
        const double n = f.D * y - f.D * f.E - f.B;
        const double d = f.A - f.C * y + f.C * f.E;
        return d != 0.0 ? Pattern(n / d) : Saturated(n);
    }
    case CONV_FORM_EXT: {
        const ConvFormExt& f = std::get<ConvFormExt>(m_params);
        double op[6];
        Operands(op);
        const double N = op[0] * f.K1 * op[1] + op[2] * f.K2;
        const double D = op[3] * f.K3 * op[4] + op[5] * f.K4;
        const double q = y - f.KC;
        const double nq = q != 0.0 ? N / q : 0.0;
        double numerator = 1.0;
        double denominator = 1.0;
        switch (f.IDX) {
        case 1:
            numerator = q * D - op[2] * f.K2;
            denominator = f.K1 * op[1];
            break;
        case 2:
            numerator = q * D - op[2] * f.K2;
            denominator = f.K1 * op[0];
            break;
        case 3:
            numerator = q * D - op[0] * f.K1 * op[1];
            denominator = f.K2;
            break;
        case 4:
            numerator = nq - op[5] * f.K4;
            denominator = f.K3 * op[4];
            break;
        case 5:
            numerator = nq - op[5] * f.K4;
            denominator = f.K3 * op[3];
            break;
        case 6:
            numerator = nq - op[3] * f.K3 * op[4];
            denominator = f.K4;
            break;
        default:
            break;
        }
        return denominator != 0.0 ? Pattern(numerator / denominator) : Saturated(numerator);
    }
    case CONV_INTR: {
        const ConvIntr& t = std::get<ConvIntr>(m_params);
        const std::vector<double>& X = t.BREAKPS_X;
        const std::vector<double>& Y = t.BREAKPS_Y;
        if (X.empty())
            return Pattern(y);
        if (X.size() == 1)
            return Pattern(std::trunc(X[0]));
        const std::size_t s = Segment(Y, y);
        const double dy = Y[s + 1] - Y[s];
        if (dy == 0.0)
            return Pattern(std::trunc(X[s]));
        return Pattern(std::trunc(X[s]) + std::round((X[s + 1] - X[s]) / dy * (y - Y[s])));
    }
    default:
        return Pattern(y);
    }
}

bool CConversione::ResolveOperands(const CTRL_TABLE* table)
{
    if (!table && m_context)
        table = m_context->m_pParTable;
    if (m_kind != CONV_FORM_EXT)
        return true;
    ConvFormExt& f = std::get<ConvFormExt>(m_params);
    for (std::size_t k = 0; k < 6; ++k) {
        IDataCtrl* wnd = f.ADDR_ID[k];
        if (!FindOperand(f.ID[k], wnd, f.TIPO_ID[k], table)) {
            // The operand not found and the later ones have no control,
            // whatever an earlier resolution gave them: they count 1.
            std::fill(f.ADDR_ID.begin() + static_cast<std::ptrdiff_t>(k), f.ADDR_ID.end(), nullptr);
            return false;
        }
        f.ADDR_ID[k] = wnd;
    }
    return true;
}

bool CConversione::FindOperand(std::int32_t key, IDataCtrl*& wnd, std::int32_t& category, const CTRL_TABLE* table)
{
    if (key == 0) {
        wnd = nullptr;
        return true;
    }
    if (!table)
        return false;
    const auto entry = std::find_if(table->begin(), table->end(), [key](const CTRL_WND& e) { return e.key == key; });
    if (entry == table->end())
        return false;
    wnd = entry->wnd;
    category = entry->category;
    return true;
}

bool CConversione::GetExtFormula(const PARAM_CONVERSIONE*& out) const
{
    if (m_kind != CONV_FORM_EXT)
        return false;
    out = &m_params;
    return true;
}
