#pragma once

// Seeded, repeatable corruption of a realistic input for the robustness
// tests of the file readers. Every mutation is derived from the seed alone
// (our own generator arithmetic, no standard distribution whose output
// differs between libraries), so a failing case is named by its number and
// can be replayed alone.
//
// The mutations work on lines (delete, duplicate, swap), on the whole text
// (cut at a position), on one value token (made empty, negative, huge,
// non-numeric), on tags (a stray closing tag) and on single characters (a
// random unit, for binary inputs a random byte).

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace vexar::testing {

// How many mutations a test runs: `fallback`, or VEXAR_MUTATIONS when set,
// for a longer hunt by hand.
inline int MutationCount(int fallback)
{
    const char* text = std::getenv("VEXAR_MUTATIONS");
    const int count = text ? std::atoi(text) : 0;
    return count > 0 ? count : fallback;
}

class Mutator {
public:
    explicit Mutator(std::uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}

    // A number in [0, bound); 0 for an empty range.
    std::size_t Below(std::size_t bound)
    {
        return bound == 0 ? 0 : static_cast<std::size_t>(Next() % bound);
    }

    // One to three mutations of a text, one after the other.
    template <class String>
    String Mutate(const String& text, std::string& what)
    {
        String out = text;
        const std::size_t count = 1 + Below(3);
        for (std::size_t i = 0; i < count; ++i) {
            std::string step;
            out = MutateText(out, step);
            what += (i ? "; " : "") + step;
        }
        return out;
    }

    // One mutation of a text, chosen by the generator; `what` says which,
    // for the failure message.
    template <class String>
    String MutateText(const String& text, std::string& what)
    {
        switch (Below(8)) {
        case 0: what = "delete a line"; return Lines(text, LineOp::Delete);
        case 1: what = "duplicate a line"; return Lines(text, LineOp::Duplicate);
        case 2: what = "swap two lines"; return Lines(text, LineOp::Swap);
        case 3: what = "cut the text"; return text.substr(0, Below(text.size() + 1));
        case 4:
        case 5: return ReplaceToken(text, what);
        case 6: return StrayClosingTag(text, what);
        default: {
            String out = text;
            if (!out.empty()) {
                const std::size_t at = Below(out.size());
                out[at] = static_cast<typename String::value_type>(RandomUnit());
                what = "unit " + std::to_string(at) + " replaced";
            }
            return out;
        }
        }
    }

    // One mutation of binary bytes: a replaced byte, a cut, a deleted or a
    // repeated stretch.
    std::string MutateBytes(const std::string& bytes, std::string& what)
    {
        std::string out = bytes;
        if (out.empty())
            return out;
        switch (Below(4)) {
        case 0: {
            const std::size_t count = 1 + Below(4);
            for (std::size_t i = 0; i < count; ++i)
                out[Below(out.size())] = static_cast<char>(Below(256));
            what = std::to_string(count) + " bytes replaced";
            return out;
        }
        case 1: what = "cut"; return out.substr(0, Below(out.size() + 1));
        case 2: {
            const std::size_t at = Below(out.size());
            what = "stretch deleted";
            return out.erase(at, 1 + Below(16));
        }
        default: {
            const std::size_t at = Below(out.size());
            what = "stretch repeated";
            return out.insert(at, out.substr(at, 1 + Below(16)));
        }
        }
    }

private:
    enum class LineOp { Delete, Duplicate, Swap };

    std::uint64_t Next()
    {
        // splitmix64
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    unsigned RandomUnit()
    {
        static constexpr char16_t kUnits[] = {u'\0', u'\t', u'\n', u'\r', u'<', u'>', u'/', u'"', u'-', u'[',
                                             u']', u',', u'.', u'x', u'9', u'\xFEFF', u'\xD800', u'\xFFFF'};
        return kUnits[Below(sizeof kUnits / sizeof kUnits[0])];
    }

    template <class String>
    static std::vector<String> Split(const String& text)
    {
        std::vector<String> lines;
        std::size_t begin = 0;
        while (begin < text.size()) {
            std::size_t end = text.find(static_cast<typename String::value_type>('\n'), begin);
            end = end == String::npos ? text.size() : end + 1;
            lines.push_back(text.substr(begin, end - begin));
            begin = end;
        }
        return lines;
    }

    template <class String>
    static String Join(const std::vector<String>& lines)
    {
        String out;
        for (const String& line : lines)
            out += line;
        return out;
    }

    template <class String>
    String Lines(const String& text, LineOp op)
    {
        std::vector<String> lines = Split(text);
        if (lines.empty())
            return text;
        const std::size_t a = Below(lines.size());
        switch (op) {
        case LineOp::Delete: lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(a)); break;
        case LineOp::Duplicate: lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(a), lines[a]); break;
        case LineOp::Swap: std::swap(lines[a], lines[Below(lines.size())]); break;
        }
        return Join(lines);
    }

    template <class String>
    static bool IsTokenUnit(typename String::value_type c)
    {
        return c != '<' && c != '>' && c != '\t' && c != '\n' && c != '\r' && c != ' ' && c != ',' && c != ';' &&
               c != ':' && c != '[' && c != ']' && c != '/' && c != '"' && c != '=';
    }

    template <class String>
    static String Widen(std::string_view ascii)
    {
        return String(ascii.begin(), ascii.end());
    }

    // Picks a position and replaces the token around it (a run between
    // tags, tabs, blanks, brackets, quotes or separators) with a hostile
    // value.
    template <class String>
    String ReplaceToken(const String& text, std::string& what)
    {
        static constexpr std::string_view kValues[] = {"",           "-1",        "-2147483649", "2147483648",
                                                       "4294967296", "99999999999999999999999",  "abc",
                                                       "1e309",      "nan",       "0x",          "-0",
                                                       "0xFFFFFFFF", "65536",     "-32769",      "1.5",
                                                       "0",          "100000000", "30000"};
        if (text.empty())
            return text;
        std::size_t at = Below(text.size());
        // Move to the next token unit, if any.
        while (at < text.size() && !IsTokenUnit<String>(text[at]))
            ++at;
        if (at == text.size())
            return text;
        std::size_t begin = at, end = at;
        while (begin > 0 && IsTokenUnit<String>(text[begin - 1]))
            --begin;
        while (end < text.size() && IsTokenUnit<String>(text[end]))
            ++end;
        const std::string_view value = kValues[Below(sizeof kValues / sizeof kValues[0])];
        what = "token at " + std::to_string(begin) + " set to '" + std::string(value) + "'";
        return text.substr(0, begin) + Widen<String>(value) + text.substr(end);
    }

    // Inserts, before a random line, the closing tag found on another
    // random line (or "</CONTROLLO>" when no line has one).
    template <class String>
    String StrayClosingTag(const String& text, std::string& what)
    {
        std::vector<String> lines = Split(text);
        String tag = Widen<String>("</CONTROLLO>");
        for (int tries = 0; tries < 8 && !lines.empty(); ++tries) {
            const String& line = lines[Below(lines.size())];
            const std::size_t open = line.find(Widen<String>("</"));
            if (open == String::npos)
                continue;
            const std::size_t close = line.find(static_cast<typename String::value_type>('>'), open);
            if (close != String::npos) {
                tag = line.substr(open, close + 1 - open);
                break;
            }
        }
        const std::size_t at = Below(lines.size() + 1);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), tag + Widen<String>("\r\n"));
        what = "stray closing tag before line " + std::to_string(at);
        return Join(lines);
    }

    std::uint64_t m_state;
};

}  // namespace vexar::testing
