// Control definition files (*.PAR, *.VAR, *.GDG) from their deciphered
// text, enciphered by the program's writer and loaded with the real loader
// in both language orders: one of the loader's results, and a set that
// loaded answers everything a caller asks of it.
//
// Input: one byte choosing the kind, then the text as UTF-16LE code units.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "FuzzWorkspace.h"
#include "config/CControlliConfigurati.h"

using namespace vexar::fuzz;

namespace {

struct Kind {
    const char* file;
    const char16_t* log;
};
constexpr Kind kKinds[] = {
    {"fuzz.PAR", u"InfoControlliPC"},
    {"fuzz.VAR", u"InfoControlliVS"},
    {"fuzz.GDG", u"InfoControlliGDG"},
};

void Load(const std::string& path, const char16_t* log, std::u16string language,
          const std::vector<std::u16string>& languages)
{
    CControlliConfigurati set(path, log);
    const int result = set.Load(language, languages);
    FUZZ_CHECK(result >= 0 && result <= 6);
    if (result != 0)
        return;
    const REC_CONTROLLO* records = nullptr;
    set.GetControls(records);
    FUZZ_CHECK((records == nullptr) == set.Controls().empty());
    FUZZ_CHECK(set.GetParamAreaSize() >= 0);
    FUZZ_CHECK(set.GetDiagAreaSize() >= 0);
    FUZZ_CHECK(set.GetRestoreAreaSize() >= 0);
    set.CheckConversionFormulas(Synthetic().par);
    FUZZ_CHECK(set.CountControls() == static_cast<int>(set.Controls().size()));
}

}  // namespace

VEXAR_FUZZ_TARGET(DefinitionFile)
{
    FuzzInput in(data, size);
    const Kind& kind = kKinds[in.Choice(std::size(kKinds))];
    const std::string path = Workspace::Get().EncipheredInput(kind.file, in.Rest());

    Synthetic();  // loaded before the first input, not inside one
    Load(path, kind.log, u"English", {u"English", u"Italiano"});
    Load(path, kind.log, u"Italiano", {u"Italiano", u"English"});
    return 0;
}

namespace {

// The header of a definition text and each of its blocks after it on its
// own: small seeds, one per category of control, that fuzzing can cross.
std::vector<std::u16string> HeaderWithEachBlock(const std::u16string& text)
{
    const std::u16string open = u"<CONTROLLO>";
    const std::u16string close = u"</CONTROLLO>";
    const std::size_t first = text.find(open);
    if (first == std::u16string::npos)
        return {text};
    const std::u16string header = text.substr(0, first);
    std::vector<std::u16string> seeds;
    for (std::size_t at = first; at != std::u16string::npos; at = text.find(open, at + open.size())) {
        std::size_t end = text.find(close, at);
        end = end == std::u16string::npos ? text.size() : std::min(text.size(), text.find(u'\n', end) + 1);
        seeds.push_back(header + text.substr(at, end - at));
    }
    return seeds;
}

}  // namespace

VEXAR_FUZZ_SEEDS(DefinitionFile)
{
    SeedSet seeds;
    const char* files[] = {"VXG4_R0107.PAR", "VXG4_R0107.VAR", "VXG4_R0107.GDG"};
    std::vector<std::u16string> words = {u"<ENGLISH>", u"</ENGLISH>", u"<ITALIANO>", u"</ITALIANO>", u"\r\n", u"//"};
    for (std::size_t kind = 0; kind < std::size(files); ++kind) {
        const std::u16string text = SyntheticText(files[kind]);
        const std::vector<std::u16string> pieces = HeaderWithEachBlock(text);
        for (std::size_t i = 0; i < pieces.size(); ++i)
            seeds.Add(std::string(files[kind]) + "-" + std::to_string(i),
                      std::string(1, static_cast<char>(kind)) + Utf16Bytes(pieces[i]));
        for (std::u16string& word : TextKeywords(text))
            words.push_back(std::move(word));
    }
    seeds.AddWords(Utf16Words(words));
    return seeds;
}
