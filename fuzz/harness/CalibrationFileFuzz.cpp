// Calibration files (*.DAT) from their deciphered text, read by the real
// reader into controls built from the synthetic configuration: one of the
// reader's results, and whatever was read, the controls and the comments
// save whole and the saved file reads back.

#include "ControlSet.h"
#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "FuzzWorkspace.h"
#include "config/CParametriFile.h"

using namespace vexar::fuzz;

VEXAR_FUZZ_TARGET(CalibrationFile)
{
    const Workspace& workspace = Workspace::Get();
    const std::string path = workspace.EncipheredInput("fuzz.DAT", std::span(data, size));

    const SyntheticSets& synthetic = Synthetic();
    vexar::testing::ControlSet controls(synthetic.par, synthetic.gdg, [] { return std::time_t{1294646400}; });
    CParametriFile file("", u"InfoFileParametri");
    controls.Attach(file);
    std::u16string fileFirmware;
    bool nameFound = false;
    const std::int32_t result = file.Read(u"VXG4", u"VXG4_R0107", fileFirmware, path, nameFound);
    FUZZ_CHECK(result >= 0 && result <= 3);
    const std::int32_t check = file.CheckFirmware(path, u"VXG4_R0107", fileFirmware);
    FUZZ_CHECK(check >= 0 && check <= 3);
    std::u16string firmware;
    file.ReadHeader(path, firmware);

    const std::string saved = workspace.File("saved.DAT");
    FUZZ_CHECK(file.Write(u"VXG4", u"VXG4_R0107", saved) == 0);
    CParametriFile again("", u"InfoFileParametri");
    controls.Attach(again);
    FUZZ_CHECK(again.Read(u"VXG4", u"VXG4_R0107", fileFirmware, saved, nameFound) == 0);
    return 0;
}

VEXAR_FUZZ_SEEDS(CalibrationFile)
{
    SeedSet seeds;
    const std::u16string text = FixtureText("calibration/VXG4_R0107_City.DAT.txt");
    seeds.Add("City.DAT", Utf16Bytes(text));
    std::vector<std::u16string> words = {u"<COMMENTO>", u"</COMMENTO>", u"<INIZIO_MODIFICHE>", u"<MODIFICA>",
                                         u"</MODIFICA>", u"<TESTO>", u"</TESTO>", u"[0,0]", u"[0]", u"\t", u"\r\n"};
    for (std::u16string& word : TextKeywords(text))
        words.push_back(std::move(word));
    seeds.AddWords(Utf16Words(words));
    return seeds;
}
