// The parser file from its deciphered text: laid out by the real reader,
// its dump written, and when it loads, the synthetic configuration's
// definitions checked against it.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "FuzzWorkspace.h"
#include "config/CParser.h"

using namespace vexar::fuzz;

VEXAR_FUZZ_TARGET(ParserFile)
{
    const Workspace& workspace = Workspace::Get();
    const std::string path = workspace.EncipheredInput("Parser.txt", std::span(data, size));

    const SyntheticSets& synthetic = Synthetic();
    CParser parser(path, workspace.File("ParserOut.txt"), u"InfoParserParVar");
    const std::int32_t result = parser.Load();
    FUZZ_CHECK(result == 0 || result == 1 || result == 2 || result == 4);
    if (result != 0)
        return 0;
    const auto check = [](const std::vector<REC_CONTROLLO>& records) {
        return std::pair(records.data(), static_cast<std::int32_t>(records.size()));
    };
    const auto [par, parCount] = check(synthetic.par);
    const auto [var, varCount] = check(synthetic.var);
    const auto [gdg, gdgCount] = check(synthetic.gdg);
    parser.CheckParDefinitions(par, parCount);
    parser.CheckVarDefinitions(var, varCount);
    parser.CheckDiagDefinitions(gdg, gdgCount);
    return 0;
}

VEXAR_FUZZ_SEEDS(ParserFile)
{
    SeedSet seeds;
    const std::u16string text = SyntheticText("Parser.txt");
    seeds.Add("Parser.txt", Utf16Bytes(text));
    std::vector<std::u16string> words = {u"[variabili]", u"unsigned char", u"signed char", u"unsigned short",
                                         u"signed short", u"unsigned long", u"signed long", u"word", u"byte",
                                         u"float", u"char", u"int", u"[]", u"[4][]", u":12", u"\t", u"\r\n"};
    for (std::u16string& word : TextKeywords(text))
        words.push_back(std::move(word));
    seeds.AddWords(Utf16Words(words));
    return seeds;
}
