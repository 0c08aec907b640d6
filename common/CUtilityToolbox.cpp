#include "common/CUtilityToolbox.h"

#include "common/NoCase.h"
#include "common/Text.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sys/stat.h>

namespace CUtility {

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kUInt32Max = std::numeric_limits<std::uint32_t>::max();

// Integer part moved one step away from zero when the fraction reaches a
// half, as the system rounds everywhere.
double RoundHalfAway(double value, bool& exact)
{
    double whole = 0.0;
    const double fraction = std::modf(value, &whole);
    exact = fraction == 0.0;
    if (fraction >= 0.5)
        whole += 1.0;
    else if (fraction <= -0.5)
        whole -= 1.0;
    return whole;
}

bool IsHexDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); }

// -x without the overflow of the most negative value.
std::int32_t Negated(std::int32_t x)
{
    return x == std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::max() : -x;
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = std::int64_t{a} * b;
    const bool negative = (product < 0) != (c < 0);
    const std::uint64_t p = product < 0 ? 0 - static_cast<std::uint64_t>(product) : static_cast<std::uint64_t>(product);
    const std::uint64_t d = c < 0 ? 0 - static_cast<std::uint64_t>(std::int64_t{c}) : static_cast<std::uint64_t>(c);
    const std::uint64_t q = (p + d / 2) / d;
    if (negative ? q > static_cast<std::uint64_t>(-kInt32Min) : q > std::numeric_limits<std::int32_t>::max())
        return -1;
    return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(q)) : static_cast<std::int32_t>(q);
}

std::int32_t RoundToInt(double value)
{
    if (std::isnan(value))
        return 0;
    bool exact = false;
    const double whole = RoundHalfAway(value, exact);
    if (whole <= static_cast<double>(kInt32Min))
        return static_cast<std::int32_t>(kInt32Min);
    if (whole >= static_cast<double>(kUInt32Max))
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(kUInt32Max));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int64_t>(whole)));
}

double RoundDecimals(double value, int decimals)
{
    double scale = 1.0;
    for (int i = 0; i < decimals; ++i)
        scale *= 10.0;
    bool exact = false;
    const double whole = RoundHalfAway(value * scale, exact);
    return exact ? value : whole / scale;
}

void CreateFullPath(const std::string& path)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) == 0)
        return;
    for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash + 1);
        if (!IsFolder(prefix))
            ::mkdir(prefix.c_str(), 0777);
    }
}

bool ExtractTabField(std::u16string& line, std::u16string& field)
{
    field.clear();
    const std::size_t tab = line.find(u'\t');
    if (tab == std::u16string::npos) {
        if (line.empty())
            return false;
        field = vexar::Trim(line);
        line.clear();
        return true;
    }
    field = vexar::Trim(std::u16string_view(line).substr(0, tab));
    line.erase(0, tab + 1);
    return true;
}

bool CompareEcuCodes(std::u16string_view a, std::u16string_view b)
{
    if (a.size() < 11 || b.size() < 11)
        return false;
    return a.substr(0, 7) == b.substr(0, 7) && a.substr(8, 2) == b.substr(8, 2);
}

void ScaleValue(std::int32_t numerator, std::int32_t denominator, std::int32_t& value)
{
    if (numerator == denominator || denominator == 0)
        return;
    const std::int64_t scaled = std::int64_t{numerator} * value / denominator;
    if (scaled > 0 && scaled <= std::numeric_limits<std::int32_t>::max())
        value = static_cast<std::int32_t>(scaled);
}

bool ParseHex(std::u16string_view text, std::uint32_t& value)
{
    value = 0;
    const std::size_t run = text.find_first_not_of(u"0123456789xXaAbBcCdDeEfF");
    std::u16string digits = vexar::ToUpper(text.substr(0, run));
    if (digits.empty())
        return false;
    if (const std::size_t prefix = digits.find(u"0X"); prefix != std::u16string::npos) {
        digits.erase(0, prefix + 2);
        if (digits.empty())
            return false;
    }
    // Read as a "%x" conversion would: its own optional "0X" prefix, then
    // the hexadecimal digits as far as they go.
    std::size_t i = 0;
    if (digits.size() > 2 && digits[0] == u'0' && digits[1] == u'X' && IsHexDigit(digits[2]))
        i = 2;
    std::uint64_t number = 0;
    int significant = 0;
    const std::size_t first = i;
    for (; i < digits.size() && IsHexDigit(digits[i]); ++i) {
        const int digit = digits[i] <= u'9' ? digits[i] - u'0' : digits[i] - u'A' + 10;
        if (significant > 0 || digit != 0)
            ++significant;
        if (significant > 8)
            return false;
        number = number * 16 + static_cast<unsigned>(digit);
    }
    if (i == first)
        return false;
    value = static_cast<std::uint32_t>(number);
    return true;
}

std::int32_t FontHeightFromPoints(std::int32_t points) { return Negated(MulDiv(points, 96, 72)); }

std::int32_t FontSizeCy(std::int32_t height, std::int32_t resolution)
{
    const std::int64_t cy = std::int64_t{MulDiv(height, 72, resolution)} * -10000;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(cy, kInt32Min, std::numeric_limits<std::int32_t>::max()));
}

std::int32_t FontSizePt(std::int32_t height, std::int32_t resolution) { return Negated(MulDiv(height, 72, resolution)); }

std::int32_t FontSizeTwips(std::int32_t height, std::int32_t resolution) { return Negated(MulDiv(height, 1440, resolution)); }

std::int32_t TwipsToPixelsAt(std::int32_t twips, std::int32_t resolution) { return MulDiv(twips, resolution, 1440); }

std::int32_t PixelsToTwipsAt(std::int32_t pixels, std::int32_t resolution) { return MulDiv(pixels, 1440, resolution); }

}  // namespace CUtility
