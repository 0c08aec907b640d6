// The plain text file reader (UTF-16 with a byte-order mark, else
// Windows-1252) and the date and time tags read through it: every line
// comes out once and the reader stops at the end without a read error.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "FuzzWorkspace.h"
#include "common/CStdioFileEx.h"
#include "common/TagLine.h"
#include "common/Text.h"

using namespace vexar::fuzz;

VEXAR_FUZZ_TARGET(TextFile)
{
    const std::string path = Workspace::Get().PlainInput("fuzz.txt", std::span(data, size));

    CStdioFileEx file;
    FUZZ_CHECK(file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText));
    std::u16string line;
    std::size_t units = 0;
    while (file.ReadString(line)) {
        units += line.size() + 1;
        FUZZ_CHECK(units <= size + 1);
    }
    FUZZ_CHECK(!file.Failed());
    FUZZ_CHECK(!file.ReadString(line));
    FUZZ_CHECK(file.Close());

    // Date and time tag pairs, read over the same file until one fails.
    CStdioFileEx tags;
    FUZZ_CHECK(tags.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText));
    for (int pair = 0; pair < 64; ++pair) {
        std::time_t time = 12345;
        if (!ReadDateTimeTags(tags, time)) {
            FUZZ_CHECK(time == 12345);
            break;
        }
    }
    return 0;
}

VEXAR_FUZZ_SEEDS(TextFile)
{
    SeedSet seeds;
    const std::u16string acquisition = FixtureText("acquisition/VXG4_R0107_Prova.ACQ.txt");
    seeds.Add("acquisition-utf16", "\xFF\xFE" + Utf16Bytes(acquisition));
    seeds.Add("acquisition-ansi", vexar::ToCp1252(acquisition));
    seeds.Add("language-ansi", vexar::ToCp1252(FixtureText("Lang/Italiano.lng")));
    seeds.Add("dates",
              "\xFF\xFE" + Utf16Bytes(u"<DATA>\t\tMonday, 03/11/2008\t</DATA>\r\n<ORA>\t\t14:05:09\t</ORA>\r\n"));
    seeds.AddWords(AsciiWords({u"<DATA>", u"</DATA>", u"<ORA>", u"</ORA>", u"\r\n"}));
    seeds.AddWords(Utf16Words({u"<DATA>", u"</DATA>", u"<ORA>", u"</ORA>", u"\r\n", u"\xFEFF"}));
    seeds.words.push_back("\xFF\xFE");
    return seeds;
}
