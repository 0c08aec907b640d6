#pragma once

// Text helpers of the main program. Texts are UTF-16 (std::u16string), as
// the system has them; paths and process arguments are UTF-8 std::string.
// "ANSI" file contents are Windows-1252. Nothing here depends on the
// user's locale.

#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace vexar {

// UTF-8 <-> UTF-16. The strict forms return false on malformed input
// (bad UTF-8 sequences, unpaired surrogates) and leave `out` unchanged;
// the lenient forms put U+FFFD in place of what cannot be converted.
bool Utf8ToUtf16(std::string_view text, std::u16string& out);
bool Utf16ToUtf8(std::u16string_view text, std::string& out);
std::u16string ToUtf16(std::string_view utf8);
std::string ToUtf8(std::u16string_view text);

// Windows-1252. The table is total: every byte has a character (the five
// bytes the code page leaves undefined map to the C1 control of the same
// value). Writing combines a letter and a following combining accent into
// the precomposed letter where the code page has one; every character that
// cannot be written becomes '#'.
char16_t Cp1252ToUnicode(unsigned char byte);
std::u16string FromCp1252(std::string_view bytes);
std::string ToCp1252(std::u16string_view text);

// White space: the Unicode White_Space characters of the BMP (blank, tab,
// line feed, carriage return, vertical tab, form feed, NEL, no-break space
// and the other spaces).
bool IsSpace(char16_t c);
std::u16string_view TrimView(std::u16string_view text);
std::u16string Trim(std::u16string_view text);
void TrimInPlace(std::u16string& text);
void TrimLeftInPlace(std::u16string& text);
void TrimRightInPlace(std::u16string& text);

// One argument of Format: an integer, a floating-point number or a text
// (UTF-16, or UTF-8 for std::string and const char*).
class FormatArg {
public:
    enum class Kind { Signed, Unsigned, Double, Text };

    template <class T>
        requires std::is_integral_v<T>
    FormatArg(T value)
        : m_kind(std::is_signed_v<T> ? Kind::Signed : Kind::Unsigned),
          m_bits(static_cast<int>(sizeof(T) * 8)),
          m_integer(static_cast<std::uint64_t>(value))
    {
    }
    template <class T>
        requires std::is_floating_point_v<T>
    FormatArg(T value) : m_kind(Kind::Double), m_double(static_cast<double>(value))
    {
    }
    FormatArg(std::u16string_view text) : m_kind(Kind::Text), m_text(text) {}
    FormatArg(const std::u16string& text) : m_kind(Kind::Text), m_text(text) {}
    FormatArg(const char16_t* text) : m_kind(Kind::Text), m_text(text ? text : u"(null)") {}
    FormatArg(std::string_view utf8) : m_kind(Kind::Text), m_utf8(utf8), m_isUtf8(true) {}
    FormatArg(const std::string& utf8) : m_kind(Kind::Text), m_utf8(utf8), m_isUtf8(true) {}
    FormatArg(const char* utf8) : m_kind(Kind::Text), m_utf8(utf8 ? utf8 : "(null)"), m_isUtf8(true) {}

    Kind kind() const { return m_kind; }
    int bits() const { return m_bits; }
    std::uint64_t integer() const { return m_integer; }
    double floating() const { return m_double; }
    std::u16string text() const;

private:
    Kind m_kind;
    int m_bits = 64;
    std::uint64_t m_integer = 0;
    double m_double = 0.0;
    std::u16string_view m_text;
    std::string_view m_utf8;
    bool m_isUtf8 = false;
};

// printf-style formatting into UTF-16: flags "-+ #0", width and precision
// (digits or '*'), length modifiers (accepted and ignored: the argument's
// own type decides), conversions d i u o x X c s f F e E g G a A and %%.
// Numbers are always formatted in the C locale; widths and precisions of
// %s and %c count UTF-16 code units. A conversion without an argument
// produces nothing.
std::u16string FormatArgs(std::u16string_view format, std::span<const FormatArg> args);

template <class... Args>
std::u16string Format(std::u16string_view format, const Args&... args)
{
    if constexpr (sizeof...(Args) == 0) {
        return FormatArgs(format, {});
    } else {
        const FormatArg list[] = {FormatArg(args)...};
        return FormatArgs(format, list);
    }
}

// Local time formatted with English names whatever the locale: %A %a full
// and short weekday, %B %b full and short month, %d %m %Y %y %H %M %S as
// two-digit (four for %Y) numbers, %% a percent sign.
std::u16string FormatLocalTime(std::time_t when, std::u16string_view pattern);

}  // namespace vexar
