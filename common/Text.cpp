#include "common/Text.h"

#include <algorithm>
#include <array>
#include <clocale>
#include <cstdio>
#include <locale.h>
#include <vector>

namespace vexar {

// ---------------------------------------------------------------- UTF-8

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Decodes one UTF-8 sequence at text[i]; returns false for a malformed one
// (overlong forms, surrogates, values above U+10FFFF, truncation) and then
// advances by one byte.
bool DecodeUtf8(std::string_view text, std::size_t& i, char32_t& cp)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    int extra = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        ++i;
        return true;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, cp = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, cp = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, cp = lead & 0x07, min = 0x10000;
    } else {
        ++i;
        return false;
    }
    if (i + static_cast<std::size_t>(extra) >= text.size()) {
        ++i;
        return false;
    }
    for (int k = 1; k <= extra; ++k) {
        const unsigned char next = byte(i + static_cast<std::size_t>(k));
        if ((next & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp)) {
        ++i;
        return false;
    }
    i += static_cast<std::size_t>(extra) + 1;
    return true;
}

void AppendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one code point of UTF-16 at text[i]; false for an unpaired
// surrogate (then advances by one unit).
bool DecodeUtf16(std::u16string_view text, std::size_t& i, char32_t& cp)
{
    cp = text[i++];
    if (IsHighSurrogate(cp) && i < text.size() && IsLowSurrogate(text[i])) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(text[i]) - 0xDC00);
        ++i;
        return true;
    }
    return !IsHighSurrogate(cp) && !IsLowSurrogate(cp);
}

template <bool Strict>
bool ConvertToUtf16(std::string_view text, std::u16string& out)
{
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        if (!DecodeUtf8(text, i, cp)) {
            if (Strict)
                return false;
            cp = kReplacement;
        }
        AppendUtf16(result, cp);
    }
    out = std::move(result);
    return true;
}

template <bool Strict>
bool ConvertToUtf8(std::u16string_view text, std::string& out)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        if (!DecodeUtf16(text, i, cp)) {
            if (Strict)
                return false;
            cp = kReplacement;
        }
        AppendUtf8(result, cp);
    }
    out = std::move(result);
    return true;
}

}  // namespace

bool Utf8ToUtf16(std::string_view text, std::u16string& out) { return ConvertToUtf16<true>(text, out); }
bool Utf16ToUtf8(std::u16string_view text, std::string& out) { return ConvertToUtf8<true>(text, out); }

std::u16string ToUtf16(std::string_view utf8)
{
    std::u16string out;
    ConvertToUtf16<false>(utf8, out);
    return out;
}

std::string ToUtf8(std::u16string_view text)
{
    std::string out;
    ConvertToUtf8<false>(text, out);
    return out;
}

// --------------------------------------------------------- Windows-1252

namespace {

// Bytes 0x80..0x9F; the rest of the code page is the identity on U+0000..U+00FF.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

// A letter followed by a combining accent, and the precomposed letter the
// code page has for the pair.
struct Composition {
    char16_t base;
    char16_t mark;
    char16_t composed;
};

constexpr Composition kCompositions[] = {
    {u'A', 0x0300, 0x00C0}, {u'E', 0x0300, 0x00C8}, {u'I', 0x0300, 0x00CC}, {u'O', 0x0300, 0x00D2},
    {u'U', 0x0300, 0x00D9}, {u'a', 0x0300, 0x00E0}, {u'e', 0x0300, 0x00E8}, {u'i', 0x0300, 0x00EC},
    {u'o', 0x0300, 0x00F2}, {u'u', 0x0300, 0x00F9},
    {u'A', 0x0301, 0x00C1}, {u'E', 0x0301, 0x00C9}, {u'I', 0x0301, 0x00CD}, {u'O', 0x0301, 0x00D3},
    {u'U', 0x0301, 0x00DA}, {u'Y', 0x0301, 0x00DD}, {u'a', 0x0301, 0x00E1}, {u'e', 0x0301, 0x00E9},
    {u'i', 0x0301, 0x00ED}, {u'o', 0x0301, 0x00F3}, {u'u', 0x0301, 0x00FA}, {u'y', 0x0301, 0x00FD},
    {u'A', 0x0302, 0x00C2}, {u'E', 0x0302, 0x00CA}, {u'I', 0x0302, 0x00CE}, {u'O', 0x0302, 0x00D4},
    {u'U', 0x0302, 0x00DB}, {u'a', 0x0302, 0x00E2}, {u'e', 0x0302, 0x00EA}, {u'i', 0x0302, 0x00EE},
    {u'o', 0x0302, 0x00F4}, {u'u', 0x0302, 0x00FB},
    {u'A', 0x0303, 0x00C3}, {u'N', 0x0303, 0x00D1}, {u'O', 0x0303, 0x00D5}, {u'a', 0x0303, 0x00E3},
    {u'n', 0x0303, 0x00F1}, {u'o', 0x0303, 0x00F5},
    {u'A', 0x0308, 0x00C4}, {u'E', 0x0308, 0x00CB}, {u'I', 0x0308, 0x00CF}, {u'O', 0x0308, 0x00D6},
    {u'U', 0x0308, 0x00DC}, {u'Y', 0x0308, 0x0178}, {u'a', 0x0308, 0x00E4}, {u'e', 0x0308, 0x00EB},
    {u'i', 0x0308, 0x00EF}, {u'o', 0x0308, 0x00F6}, {u'u', 0x0308, 0x00FC}, {u'y', 0x0308, 0x00FF},
    {u'A', 0x030A, 0x00C5}, {u'a', 0x030A, 0x00E5},
    {u'C', 0x0327, 0x00C7}, {u'c', 0x0327, 0x00E7},
    {u'S', 0x030C, 0x0160}, {u's', 0x030C, 0x0161}, {u'Z', 0x030C, 0x017D}, {u'z', 0x030C, 0x017E},
};

char16_t Compose(char16_t base, char16_t mark)
{
    for (const Composition& c : kCompositions)
        if (c.base == base && c.mark == mark)
            return c.composed;
    return 0;
}

// The byte for a character, or -1 when the code page has none.
int UnicodeToCp1252(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (std::size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] == c)
            return static_cast<int>(0x80 + i);
    return -1;
}

}  // namespace

char16_t Cp1252ToUnicode(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kCp1252High[byte - 0x80] : static_cast<char16_t>(byte);
}

std::u16string FromCp1252(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (char b : bytes)
        out.push_back(Cp1252ToUnicode(static_cast<unsigned char>(b)));
    return out;
}

std::string ToCp1252(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (i + 1 < text.size()) {
            if (char16_t composed = Compose(c, text[i + 1])) {
                c = composed;
                ++i;
            } else if (IsHighSurrogate(c) && IsLowSurrogate(text[i + 1])) {
                ++i;  // one character outside the BMP: one '#'
            }
        }
        const int byte = UnicodeToCp1252(c);
        out.push_back(byte < 0 ? '#' : static_cast<char>(byte));
    }
    return out;
}

// ----------------------------------------------------------- white space

bool IsSpace(char16_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

std::u16string_view TrimView(std::u16string_view text)
{
    std::size_t first = 0;
    while (first < text.size() && IsSpace(text[first]))
        ++first;
    std::size_t last = text.size();
    while (last > first && IsSpace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::u16string Trim(std::u16string_view text) { return std::u16string(TrimView(text)); }

void TrimLeftInPlace(std::u16string& text)
{
    std::size_t first = 0;
    while (first < text.size() && IsSpace(text[first]))
        ++first;
    text.erase(0, first);
}

void TrimRightInPlace(std::u16string& text)
{
    std::size_t last = text.size();
    while (last > 0 && IsSpace(text[last - 1]))
        --last;
    text.erase(last);
}

void TrimInPlace(std::u16string& text)
{
    TrimRightInPlace(text);
    TrimLeftInPlace(text);
}

// ------------------------------------------------------------ formatting

std::u16string FormatArg::text() const
{
    return m_isUtf8 ? ToUtf16(m_utf8) : std::u16string(m_text);
}

namespace {

// snprintf under the C locale for this thread only, whatever the process's
// locale says.
class CLocaleScope {
public:
    CLocaleScope()
    {
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
        m_previous = uselocale(cLocale);
    }
    ~CLocaleScope() { uselocale(m_previous); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous;
};

template <class T>
std::string CFormat(const std::string& spec, T value)
{
    CLocaleScope cLocale;
    std::vector<char> buffer(64);
    for (;;) {
        const int n = std::snprintf(buffer.data(), buffer.size(), spec.c_str(), value);
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        buffer.resize(static_cast<std::size_t>(n) + 1);
    }
}

struct Spec {
    std::string flags;
    int width = -1;
    int precision = -1;
    char conversion = 0;
    bool leftAlign() const { return flags.find('-') != std::string::npos; }
};

std::int64_t AsSigned(const FormatArg& arg)
{
    switch (arg.kind()) {
    case FormatArg::Kind::Double: {
        const double d = arg.floating();
        if (!(d == d))
            return 0;
        if (d >= 9.2e18)
            return INT64_MAX;
        if (d <= -9.2e18)
            return INT64_MIN;
        return static_cast<std::int64_t>(d);
    }
    case FormatArg::Kind::Text:
        return 0;
    default: {
        // Reinterpret the argument's own width as signed, as printf does.
        const int bits = arg.bits();
        std::uint64_t v = arg.integer();
        if (bits < 64) {
            v &= (std::uint64_t{1} << bits) - 1;
            if (v & (std::uint64_t{1} << (bits - 1)))
                v |= ~((std::uint64_t{1} << bits) - 1);
        }
        return static_cast<std::int64_t>(v);
    }
    }
}

std::uint64_t AsUnsigned(const FormatArg& arg)
{
    if (arg.kind() == FormatArg::Kind::Double || arg.kind() == FormatArg::Kind::Text)
        return static_cast<std::uint64_t>(AsSigned(arg));
    const int bits = arg.bits();
    return bits < 64 ? arg.integer() & ((std::uint64_t{1} << bits) - 1) : arg.integer();
}

double AsDouble(const FormatArg& arg)
{
    switch (arg.kind()) {
    case FormatArg::Kind::Double:
        return arg.floating();
    case FormatArg::Kind::Signed:
        return static_cast<double>(AsSigned(arg));
    case FormatArg::Kind::Unsigned:
        return static_cast<double>(AsUnsigned(arg));
    case FormatArg::Kind::Text:
        break;
    }
    return 0.0;
}

std::u16string Pad(std::u16string text, const Spec& spec)
{
    if (spec.width > 0 && text.size() < static_cast<std::size_t>(spec.width)) {
        const std::size_t fill = static_cast<std::size_t>(spec.width) - text.size();
        if (spec.leftAlign())
            text.append(fill, u' ');
        else
            text.insert(0, fill, u' ');
    }
    return text;
}

std::string NumberSpec(const Spec& spec, const char* length)
{
    std::string s = "%" + spec.flags;
    if (spec.width >= 0)
        s += std::to_string(spec.width);
    if (spec.precision >= 0)
        s += "." + std::to_string(spec.precision);
    return s + length + spec.conversion;
}

std::u16string Convert(const Spec& spec, const FormatArg& arg)
{
    switch (spec.conversion) {
    case 's': {
        std::u16string text = arg.kind() == FormatArg::Kind::Text ? arg.text() : std::u16string();
        if (arg.kind() != FormatArg::Kind::Text)
            text = ToUtf16(arg.kind() == FormatArg::Kind::Double ? CFormat("%g", arg.floating())
                                                                   : CFormat("%lld", static_cast<long long>(AsSigned(arg))));
        if (spec.precision >= 0 && text.size() > static_cast<std::size_t>(spec.precision))
            text.resize(static_cast<std::size_t>(spec.precision));
        return Pad(std::move(text), spec);
    }
    case 'c': {
        std::u16string text;
        if (arg.kind() == FormatArg::Kind::Text) {
            const std::u16string t = arg.text();
            if (!t.empty())
                text.push_back(t[0]);
        } else {
            text.push_back(static_cast<char16_t>(AsUnsigned(arg)));
        }
        return Pad(std::move(text), spec);
    }
    case 'd':
    case 'i':
        return ToUtf16(CFormat(NumberSpec(spec, "ll"), static_cast<long long>(AsSigned(arg))));
    case 'u':
    case 'o':
    case 'x':
    case 'X':
        return ToUtf16(CFormat(NumberSpec(spec, "ll"), static_cast<unsigned long long>(AsUnsigned(arg))));
    default:  // f F e E g G a A
        return ToUtf16(CFormat(NumberSpec(spec, ""), AsDouble(arg)));
    }
}

bool IsConversion(char16_t c)
{
    return std::u16string_view(u"diuoxXcsfFeEgGaA").find(c) != std::u16string_view::npos;
}

}  // namespace

std::u16string FormatArgs(std::u16string_view format, std::span<const FormatArg> args)
{
    std::u16string out;
    std::size_t next = 0;
    auto take = [&]() -> const FormatArg* { return next < args.size() ? &args[next++] : nullptr; };
    auto takeInt = [&](int fallback) {
        const FormatArg* a = take();
        return a ? static_cast<int>(AsSigned(*a)) : fallback;
    };
    auto readNumber = [&](std::size_t& i) {
        int n = 0;
        while (i < format.size() && format[i] >= u'0' && format[i] <= u'9') {
            if (n < 100000)
                n = n * 10 + (format[i] - u'0');
            ++i;
        }
        return n;
    };

    for (std::size_t i = 0; i < format.size();) {
        const std::size_t start = i;
        if (format[i] != u'%') {
            out.push_back(format[i++]);
            continue;
        }
        ++i;
        if (i < format.size() && format[i] == u'%') {
            out.push_back(u'%');
            ++i;
            continue;
        }
        Spec spec;
        while (i < format.size() && std::u16string_view(u"-+ #0").find(format[i]) != std::u16string_view::npos)
            spec.flags.push_back(static_cast<char>(format[i++]));
        if (i < format.size() && format[i] == u'*') {
            ++i;
            int w = std::clamp(takeInt(0), -100000, 100000);
            if (w < 0) {  // a negative width from the arguments means left alignment
                spec.flags.push_back('-');
                w = -w;
            }
            spec.width = w;
        } else {
            const std::size_t before = i;
            const int w = readNumber(i);
            if (i != before)
                spec.width = w;
        }
        if (i < format.size() && format[i] == u'.') {
            ++i;
            if (i < format.size() && format[i] == u'*') {
                ++i;
                spec.precision = std::clamp(takeInt(-1), -1, 100000);
            } else {
                spec.precision = readNumber(i);
            }
        }
        while (i < format.size() && std::u16string_view(u"hlLqjztwI3264").find(format[i]) != std::u16string_view::npos)
            ++i;
        if (i >= format.size() || !IsConversion(format[i])) {
            // Not a conversion: keep the text as it stands.
            out.append(format.substr(start, i - start));
            continue;
        }
        spec.conversion = static_cast<char>(format[i++]);
        if (const FormatArg* arg = take())
            out += Convert(spec, *arg);
    }
    return out;
}

// ------------------------------------------------------------ local time

std::u16string FormatLocalTime(std::time_t when, std::u16string_view pattern)
{
    static const char* const kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    std::tm tm{};
    localtime_r(&when, &tm);
    auto number = [](int value, int digits) {
        std::string s = std::to_string(value);
        if (s.size() < static_cast<std::size_t>(digits))
            s.insert(0, static_cast<std::size_t>(digits) - s.size(), '0');
        return ToUtf16(s);
    };

    std::u16string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != u'%' || i + 1 == pattern.size()) {
            out.push_back(pattern[i]);
            continue;
        }
        switch (pattern[++i]) {
        case u'A': out += ToUtf16(kWeekdays[tm.tm_wday]); break;
        case u'a': out += ToUtf16(std::string(kWeekdays[tm.tm_wday], 3)); break;
        case u'B': out += ToUtf16(kMonths[tm.tm_mon]); break;
        case u'b': out += ToUtf16(std::string(kMonths[tm.tm_mon], 3)); break;
        case u'd': out += number(tm.tm_mday, 2); break;
        case u'm': out += number(tm.tm_mon + 1, 2); break;
        case u'Y': out += number(tm.tm_year + 1900, 4); break;
        case u'y': out += number((tm.tm_year + 1900) % 100, 2); break;
        case u'H': out += number(tm.tm_hour, 2); break;
        case u'M': out += number(tm.tm_min, 2); break;
        case u'S': out += number(tm.tm_sec, 2); break;
        case u'%': out.push_back(u'%'); break;
        default:
            out.push_back(u'%');
            out.push_back(pattern[i]);
            break;
        }
    }
    return out;
}

}  // namespace vexar
