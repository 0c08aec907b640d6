// Language texts and the language list from any bytes: a look-up gives a
// text no longer than the file, or the empty text, and the menu holds one
// item per listed file that exists, numbered from the first menu id.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "FuzzWorkspace.h"
#include "common/CUtilityLang.h"
#include "common/ErrorReporter.h"
#include "common/Text.h"

#include <filesystem>

using namespace vexar::fuzz;

namespace {

class QuietReporter : public vexar::ErrorReporter {
public:
    void ShowError(const std::u16string&) override {}
};

}  // namespace

VEXAR_FUZZ_TARGET(LanguageFile)
{
    QuietReporter quiet;
    vexar::ScopedErrorReporter scope{quiet};
    const Workspace& workspace = Workspace::Get();
    std::filesystem::create_directories(workspace.File("Lang"));
    const std::string language = workspace.File("Lang/English.lng");
    workspace.WriteBytes(language, std::span(data, size));
    for (const std::int32_t id : {-1, 0, 1, 100, 101, 3000, 2147483647})
        FUZZ_CHECK(CUtility::LoadLangString(language, id).size() <= size);

    // The same bytes as the language list, beside one language file.
    workspace.WriteBytes(workspace.File("Lang/GestLang.cfg"), std::span(data, size));
    CUtility::LangMenu menu;
    const int count = CUtility::FillLangMenu(workspace.Folder(), language, menu);
    FUZZ_CHECK(count >= 0 && static_cast<std::size_t>(count) == menu.items.size());
    for (std::size_t i = 0; i < menu.items.size(); ++i)
        FUZZ_CHECK(menu.items[i].id == CUtility::kLangMenuFirstId + static_cast<int>(i));
    if (menu.checkedId)
        FUZZ_CHECK(*menu.checkedId >= CUtility::kLangMenuFirstId &&
                   *menu.checkedId < CUtility::kLangMenuFirstId + count);
    return 0;
}

VEXAR_FUZZ_SEEDS(LanguageFile)
{
    SeedSet seeds;
    seeds.Add("english-utf16", "\xFF\xFE" + Utf16Bytes(FixtureText("Lang/English.lng")));
    seeds.Add("italiano-ansi", vexar::ToCp1252(FixtureText("Lang/Italiano.lng")));
    seeds.Add("list-ansi", "English.lng\r\n\r\nItaliano.lng\r\n");
    seeds.Add("list-utf16", "\xFF\xFE" + Utf16Bytes(u"English.lng\r\nItaliano.lng\r\n"));
    seeds.AddWords(AsciiWords({u"English.lng", u"\t", u"\r\n", u"3000", u"2147483648"}));
    seeds.AddWords(Utf16Words({u"English.lng", u"\t", u"\r\n", u"3000"}));
    seeds.words.push_back("\xFF\xFE");
    return seeds;
}
