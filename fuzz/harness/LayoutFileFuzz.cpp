// Window-layout files (*.GPC, *.GVS) from their deciphered text, read by
// the real reader and, when read, checked against the synthetic
// configuration's definitions and given their hidden tab.
//
// Input: one byte choosing the kind, then the text as UTF-16LE code units.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "FuzzWorkspace.h"
#include "config/CInterfacciaParametri.h"

using namespace vexar::fuzz;

VEXAR_FUZZ_TARGET(LayoutFile)
{
    FuzzInput in(data, size);
    const bool parameters = in.Choice(2) == 0;
    const std::string path = Workspace::Get().EncipheredInput(parameters ? "fuzz.GPC" : "fuzz.GVS", in.Rest());

    const SyntheticSets& synthetic = Synthetic();
    REC_INTERFACCIA layout;
    CInterfacciaParametri reader(path, layout, parameters ? u"InfoInterfaccePC" : u"InfoInterfacceVS");
    std::u16string language = u"Italiano";
    const int result = reader.LoadLayout(language, SyntheticLanguages());
    FUZZ_CHECK(result >= 0 && result <= 5);
    if (result != 0)
        return 0;
    if (parameters) {
        reader.CheckParamIds(synthetic.par, synthetic.var);
        reader.AddHiddenParams(synthetic.par);
    } else {
        reader.CheckVarIds(synthetic.var);
        reader.AddHiddenVars(synthetic.var);
    }
    reader.IsIdPlaced(101);
    return 0;
}

VEXAR_FUZZ_SEEDS(LayoutFile)
{
    SeedSet seeds;
    const char* files[] = {"VXG4_R0107.GPC", "VXG4_R0107.GVS"};
    std::vector<std::u16string> words = {u"<ENGLISH>", u"</ENGLISH>", u"<ITALIANO>", u"</ITALIANO>", u"\r\n", u"//"};
    for (std::size_t kind = 0; kind < std::size(files); ++kind) {
        const std::u16string text = SyntheticText(files[kind]);
        seeds.Add(files[kind], std::string(1, static_cast<char>(kind)) + Utf16Bytes(text));
        for (std::u16string& word : TextKeywords(text))
            words.push_back(std::move(word));
    }
    seeds.AddWords(Utf16Words(words));
    return seeds;
}
