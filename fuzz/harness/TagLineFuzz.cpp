// The tag-line grammar and the number parsers of the data files, line by
// line of any text: a tag value is found only between its tags, a refused
// number leaves its value untouched, and an accepted whole number is the
// one the standard library reads from the same text.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "common/LeadingNumber.h"
#include "common/TagLine.h"
#include "common/Text.h"

#include <charconv>

using namespace vexar::fuzz;

namespace {

const std::u16string_view kNames[] = {u"NUM_VAR", u"LSB", u"MASCHERA", u"PRECEDENTE", u"ID_GUI", u"CONTROLLO",
                                      u"DATA", u"ORA", u"ETICHETTA", u""};

void CheckWholeNumber(std::u16string text)
{
    std::int32_t number = 7;
    if (!StrToLong(text, number)) {
        FUZZ_CHECK(number == 7);
        return;
    }
    const std::string narrow = vexar::ToUtf8(text);
    if (narrow == "-" || narrow == "+") {
        FUZZ_CHECK(number == 0);  // a lone sign reads as zero
        return;
    }
    long long expected = 0;
    const char* first = narrow.data() + (narrow.starts_with('+') ? 1 : 0);
    const auto [end, error] = std::from_chars(first, narrow.data() + narrow.size(), expected);
    FUZZ_CHECK(error == std::errc());
    FUZZ_CHECK(end == narrow.data() + narrow.size());
    FUZZ_CHECK(number == expected);
}

void ParseNumbers(const std::u16string& value)
{
    CheckWholeNumber(value);
    std::u16string copy = value;
    int integer = 7;
    StrToInt(copy, integer);
    copy = value;
    double real = 7.0;
    if (!StrToDouble(copy, real))
        FUZZ_CHECK(real == 0.0);
    std::uint8_t byte = 7;
    if (HexStrToByte(value, byte))
        FUZZ_CHECK(value.size() == 4);
    std::uint32_t dword = 7;
    if (HexStrToDword(value, dword))
        FUZZ_CHECK(value.size() == 10);
    vexar::ReadLeadingLong(value);
}

void ParseLine(std::u16string_view line)
{
    for (const std::u16string_view name : kNames) {
        std::u16string value = u"untouched";
        HasOpenTag(line, name);
        HasCloseTag(line, name);
        if (!GetTagValue(line, value, name)) {
            FUZZ_CHECK(value == u"untouched");
            continue;
        }
        FUZZ_CHECK(value.size() <= line.size());
        ParseNumbers(value);
    }
    ParseNumbers(std::u16string(line));
    std::string narrow;
    const std::uint32_t status = ToNarrowAlloc(line, narrow);
    FUZZ_CHECK(status == 0 || (status == kNoUnicodeTranslation && narrow.empty()));
    std::u16string wide;
    if (status == 0)
        FUZZ_CHECK(ToWideAlloc(narrow, wide) == 0 && wide == line);
}

}  // namespace

VEXAR_FUZZ_TARGET(TagLine)
{
    const std::u16string text = Utf16Units(std::span(data, size));
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t end = std::min(text.find(u'\n', begin), text.size());
        ParseLine(std::u16string_view(text).substr(begin, end - begin));
        begin = end + 1;
    }
    // The 8-bit conversion of the raw bytes.
    std::u16string wide = u"untouched";
    const std::uint32_t status = ToWideAlloc(std::string_view(reinterpret_cast<const char*>(data), size), wide);
    FUZZ_CHECK(status == 0 || (status == kNoUnicodeTranslation && wide.empty()));
    return 0;
}

VEXAR_FUZZ_SEEDS(TagLine)
{
    SeedSet seeds;
    seeds.Add("tags", Utf16Bytes(u"<NUM_VAR>\t 4 \t</NUM_VAR>\n\t<LSB>16</LSB>\n<MASCHERA>0x000000FF</MASCHERA>\n"
                                 u"\t\t<PRECEDENTE>\t-12.5\t</PRECEDENTE>\n<ID_GUI>\t 12 \t</ID_GUI>\n<LSB>0x1F</LSB>\n"
                                 u"<DATA>\t\tMonday, 03/11/2008\t</DATA>\n<ORA>\t\t14:05:09\t</ORA>\n"));
    seeds.Add("numbers", Utf16Bytes(u" -12 \n+7\n-\n--5\n1.2.3\n-.5\n3.\n0xff\n0X1f\n0x0000FFFF\n"
                                    u"2147483647\n-2147483648\n"));
    std::vector<std::u16string> words = {u"<NUM_VAR>", u"</NUM_VAR>", u"<LSB>",  u"</LSB>",  u"<MASCHERA>",
                                         u"</MASCHERA>", u"<ID_GUI>", u"</ID_GUI>", u"0x", u"0X", u"2147483648",
                                         u"-2147483649", u"\xD800", u"\xDC00"};
    seeds.AddWords(Utf16Words(words));
    return seeds;
}
