// The installed-configuration catalogue's header check of one enciphered
// file, from its deciphered text.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "FuzzWorkspace.h"
#include "config/CCentralineInstallate.h"

using namespace vexar::fuzz;

VEXAR_FUZZ_TARGET(CatalogueHeader)
{
    const Workspace& workspace = Workspace::Get();
    workspace.EncipheredInput("FUZZ.PAR", std::span(data, size));
    CCentralineInstallate catalogue(u"InfoCentraline");
    catalogue.CheckHeader(workspace.Folder(), u"FUZZ.PAR", u"VXG4_R0107");
    catalogue.CheckHeader(workspace.Folder(), u"FUZZ.PAR", u"");
    return 0;
}

VEXAR_FUZZ_SEEDS(CatalogueHeader)
{
    SeedSet seeds;
    for (const char* file : {"VXG4_R0107.PAR", "VXG4_R0107.GVS", "Parser.txt"}) {
        const std::u16string text = SyntheticText(file);
        // The check reads two lines: the seeds need little more.
        std::size_t end = 0;
        for (int line = 0; line < 3 && end != std::u16string::npos; ++line)
            end = text.find(u'\n', end + 1);
        seeds.Add(file, Utf16Bytes(text.substr(0, end)));
    }
    seeds.AddWords(Utf16Words({u"<CODICE_ECU>", u"</CODICE_ECU>", u"<ID_FIRMWARE>", u"</ID_FIRMWARE>", u"VXG4_R0107",
                               u"\r\n"}));
    return seeds;
}
