// Acquisition files (*.ACQ) from their raw bytes: the header, the replay of
// the samples to a graph and the comments, each with one of its reader's
// results; a replay that ran ends exactly once, a refused one never starts.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "FuzzWorkspace.h"
#include "config/CVariabiliAcq.h"

using namespace vexar::fuzz;

namespace {

struct CountingSink : IGraphPointSink {
    void OnGraphPoint(const GRAPH_POINT&) override { ++points; }
    void OnGraphPointsEnd() override { ++ends; }
    std::size_t points = 0;
    int ends = 0;
};

void Replay(const std::string& path, const std::vector<std::u16string>& names, std::int32_t headerLines,
            const std::vector<std::int32_t>& leaveOut, std::size_t fileSize)
{
    CVariabiliAcq replay("", u"InfoFileAcquisizioniOL");
    CountingSink sink;
    const std::int32_t result = replay.ReadSamples(path, sink, names, headerLines, leaveOut);
    FUZZ_CHECK(result >= 0 && result <= 3);
    FUZZ_CHECK(sink.ends == (result == 0 ? 1 : 0));
    FUZZ_CHECK(sink.points <= fileSize);
}

}  // namespace

VEXAR_FUZZ_TARGET(AcquisitionFile)
{
    const std::string path = Workspace::Get().PlainInput("fuzz.ACQ", std::span(data, size));

    CVariabiliAcq replay("", u"InfoFileAcquisizioniOL");
    std::vector<std::u16string> labels, identifiers;
    std::u16string comment, fileFirmware;
    bool hasIdentifiers = false;
    std::int32_t headerLines = 0;
    const std::int32_t result = replay.ReadHeader(u"VXG4_R0107", path, labels, identifiers, comment, hasIdentifiers,
                                                  headerLines, fileFirmware);
    FUZZ_CHECK(result == 0 || result == 1 || result == 2 || result == 3 || result == 4 || result == 6);
    if (result != 0)
        return 0;
    FUZZ_CHECK(headerLines >= 0);
    const std::vector<std::u16string>& names = hasIdentifiers ? identifiers : labels;
    Replay(path, names, headerLines, {}, size);
    if (names.size() > 1)
        Replay(path, std::vector<std::u16string>(names.begin() + 1, names.end()), headerLines, {0}, size);

    std::u16string first;
    const std::int32_t comments = replay.ReadComments(path, headerLines, first);
    FUZZ_CHECK(comments == 0 || comments == 2);
    return 0;
}

VEXAR_FUZZ_SEEDS(AcquisitionFile)
{
    SeedSet seeds;
    const std::u16string text = FixtureText("acquisition/VXG4_R0107_Prova.ACQ.txt");
    seeds.Add("Prova.ACQ", "\xFF\xFE" + Utf16Bytes(text));
    std::vector<std::u16string> words = {u"<COMMENTO>", u"</COMMENTO>", u"<TESTO>", u"</TESTO>", u"n.d.", u"\t",
                                         u"\r\n", u"//"};
    for (std::u16string& word : TextKeywords(text))
        words.push_back(std::move(word));
    seeds.AddWords(Utf16Words(words));
    seeds.words.push_back("\xFF\xFE");
    return seeds;
}
