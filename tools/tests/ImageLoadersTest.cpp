#include "tools/common/ImageLoaders.h"

#include "ReferenceImages.h"
#include "TempDir.h"
#include "sigilkit.h"

#include <functional>
#include <gtest/gtest.h>

using namespace vexar::tools;
using namespace vexar::testing;
using namespace std::string_literals;

namespace {

const std::string kSrecCat = SREC_CAT;
const std::string kObjcopy = OBJCOPY;

std::string Bytes(const std::vector<std::uint8_t>& image, std::size_t from, std::size_t count)
{
    return std::string(image.begin() + static_cast<long>(from), image.begin() + static_cast<long>(from + count));
}


// Enciphers a plain file into a ".run" file with our own cipher library.
void Encipher(const std::string& plain, const std::string& run)
{
    ASSERT_EQ(CryptInit(reinterpret_cast<const unsigned char*>("3FA0C81D5E7B29640D1CE8A7B5F23961"), 32, 32), 0);
    ASSERT_EQ(FileEncrypt(plain.c_str(), run.c_str(), SIGILKIT_CFB), 0) << CryptGetLastErrorString();
}

unsigned ByteSum(const std::string& bytes)
{
    unsigned sum = 0;
    for (char c : bytes)
        sum += static_cast<unsigned char>(c);
    return sum & 0xFFFF;
}

unsigned WordSum(const std::string& bytes)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        sum += static_cast<unsigned char>(bytes[i]) * 256u +
               (i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0xFFu);
    return sum & 0xFFFF;
}

// ---- S-record images against srec_cat -------------------------------------

// A KD01-shaped image with gaps: three code pieces and the vector area,
// written as S1 records by srec_cat, and srec_cat's own 64 KB binary of it.
class SRecordImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        const struct {
            std::uint32_t at;
            std::size_t size;
        } pieces[] = {{0x8010, 0x1234}, {0xA000, 0x0FFF}, {0xC400, 0x2B01}, {0xFFE0, 0x20}};
        std::string command = kSrecCat;
        for (std::size_t i = 0; i < std::size(pieces); ++i) {
            const std::string piece = m_dir.file("piece" + std::to_string(i));
            WriteAll(piece, RandomBytes(pieces[i].size, static_cast<std::uint32_t>(i + 1)));
            command += " " + piece + " -binary -offset " + std::to_string(pieces[i].at);
        }
        ASSERT_TRUE(RunCommand(command + " -execution-start-address=0x8010 -o " + m_s19 +
                               " -motorola -address-length=2"));
        ASSERT_TRUE(RunCommand(kSrecCat + " " + m_s19 + " -motorola -fill 0xFF 0 0x10000 -o " + m_dir.file("ref.bin") +
                               " -binary"));
        m_reference = ReadAll(m_dir.file("ref.bin"));
        ASSERT_EQ(m_reference.size(), 0x10000u);
        ASSERT_NE(ReadAll(m_s19).find("\nS1"), std::string::npos);
    }

    void ExpectReference(const LOADER_IMAGE& image, std::uint32_t vectorBound)
    {
        EXPECT_TRUE(image.loaded);
        EXPECT_EQ(Bytes(image.buffer, 0, 0x10000), m_reference);
        EXPECT_EQ(image.start, 0x8010u);
        EXPECT_EQ(image.stop, 0xC400u + 0x2B01 - 1);
        EXPECT_EQ(image.resetVector,
                  static_cast<unsigned char>(m_reference[0xFFFE]) * 256u +
                      static_cast<unsigned char>(m_reference[0xFFFF]));
        EXPECT_EQ(image.checksum, (ByteSum(m_reference.substr(image.start, image.stop - image.start + 1)) +
                                   ByteSum(m_reference.substr(vectorBound))) & 0xFFFF);
    }

    TempDir m_dir;
    std::string m_s19 = m_dir.file("fw.s19");
    std::string m_reference;
    RecordingReporter m_reporter;
};

TEST_F(SRecordImage, PlainFilesLoadAsSrecCatPlacesThem)
{
    LOADER_IMAGE image;
    ASSERT_TRUE(LoadHhwriterKd01Image(m_s19, image, m_reporter));
    ExpectReference(image, 0xFFE0);
    ASSERT_TRUE(LoadHc08Image(m_s19, image, m_reporter));
    ExpectReference(image, 0xFFCC);
    EXPECT_EQ(m_reporter.messages, std::vector<std::string>{});
}

TEST_F(SRecordImage, CrLfLineEndsLoadTheSame)
{
    std::string text = ReadAll(m_s19), crlf;
    for (char c : text)
        crlf += c == '\n' ? "\r\n"s : std::string(1, c);
    WriteAll(m_s19, crlf);
    LOADER_IMAGE image;
    ASSERT_TRUE(LoadHhwriterKd01Image(m_s19, image, m_reporter));
    ExpectReference(image, 0xFFE0);
    ASSERT_TRUE(LoadHc08Image(m_s19, image, m_reporter));
    ExpectReference(image, 0xFFCC);
}

TEST_F(SRecordImage, EncipheredRunFilesLoadIdentically)
{
    const std::string run = m_dir.file("fw.run");
    Encipher(m_s19, run);
    LOADER_IMAGE image;
    ASSERT_TRUE(LoadSt7RunImage(run, image, ToolLanguage::Italian, m_reporter));
    ExpectReference(image, 0xFFE0);
    ASSERT_TRUE(LoadHhwriterKd01Image(run, image, m_reporter));
    ExpectReference(image, 0xFFE0);
    EXPECT_EQ(m_reporter.messages, std::vector<std::string>{});
}

// ---- Intel HEX images against objcopy and srec_cat ------------------------

class HexImage : public ::testing::Test {
protected:
    void ExpectSameAs(const LOADER_IMAGE& image, const std::string& reference, std::uint32_t start)
    {
        ASSERT_TRUE(image.loaded);
        EXPECT_EQ(image.start, start);
        EXPECT_EQ(image.stop, start + reference.size() - 1);
        EXPECT_EQ(image.size, reference.size());
        EXPECT_EQ(Bytes(image.buffer, image.start, image.size), reference);
        EXPECT_EQ(image.checksum, WordSum(reference));
    }

    TempDir m_dir;
    RecordingReporter m_reporter;
};

TEST_F(HexImage, LinearAddressRecordsFromSrecCatLoadAsObjcopyPlacesThem)
{
    std::string command = kSrecCat;
    const std::pair<std::uint32_t, std::size_t> pieces[] = {{0x18000, 0x3000}, {0x1FFF0, 0x45}, {0x2A000, 0x1001}};
    for (std::size_t i = 0; i < std::size(pieces); ++i) {
        const std::string piece = m_dir.file("piece" + std::to_string(i));
        WriteAll(piece, RandomBytes(pieces[i].second, static_cast<std::uint32_t>(10 + i)));
        command += " " + piece + " -binary -offset " + std::to_string(pieces[i].first);
    }
    const std::string hex = m_dir.file("fw.hex");
    ASSERT_TRUE(RunCommand(command + " -o " + hex + " -intel"));
    ASSERT_NE(ReadAll(hex).find(":02000004"), std::string::npos);
    ASSERT_TRUE(RunCommand(kObjcopy + " -I ihex -O binary --gap-fill 0xFF " + hex + " " + m_dir.file("ref.bin")));
    const std::string reference = ReadAll(m_dir.file("ref.bin"));
    ASSERT_EQ(reference.size(), 0x2B001u - 0x18000u);

    LOADER_IMAGE image;
    ASSERT_TRUE(LoadKd02HexImage(hex, image, m_reporter));
    ExpectSameAs(image, reference, 0x18000);
    ASSERT_TRUE(LoadHhwriterKd02HexImage(hex, image, m_reporter));
    ExpectSameAs(image, reference, 0x18000);
    EXPECT_EQ(m_reporter.messages, std::vector<std::string>{});
}

TEST_F(HexImage, SegmentAddressRecordsFromObjcopyLoadAsSrecCatPlacesThem)
{
    WriteAll(m_dir.file("data.bin"), RandomBytes(0x12345, 20));
    const std::string hex = m_dir.file("fw.hex");
    ASSERT_TRUE(RunCommand(kObjcopy + " -I binary -O ihex --change-addresses 0x18000 " + m_dir.file("data.bin") +
                           " " + hex));
    ASSERT_NE(ReadAll(hex).find(":02000002"), std::string::npos);
    ASSERT_EQ(ReadAll(hex).find(":02000004"), std::string::npos);
    ASSERT_TRUE(RunCommand(kSrecCat + " " + hex + " -intel -offset -0x18000 -o " + m_dir.file("ref.bin") + " -binary"));
    const std::string reference = ReadAll(m_dir.file("ref.bin"));
    ASSERT_EQ(reference.size(), 0x12345u);

    LOADER_IMAGE image;
    ASSERT_TRUE(LoadKd02HexImage(hex, image, m_reporter));
    ExpectSameAs(image, reference, 0x18000);
    ASSERT_TRUE(LoadHhwriterKd02HexImage(hex, image, m_reporter));
    ExpectSameAs(image, reference, 0x18000);
}

// ---- Every loader's refusals and edge cases -------------------------------

using Loader = std::function<bool(const std::string&, LOADER_IMAGE&, CLoaderReporter&)>;

const Loader kSt7English = [](const std::string& p, LOADER_IMAGE& i, CLoaderReporter& r) {
    return LoadSt7RunImage(p, i, ToolLanguage::English, r);
};
const Loader kSt7Italian = [](const std::string& p, LOADER_IMAGE& i, CLoaderReporter& r) {
    return LoadSt7RunImage(p, i, LanguageFromLangEng(0), r);
};

struct LoadCase {
    std::string name;
    Loader load;
    std::string fileName;  // ".run" files are enciphered from `content`
    std::string content;
    bool loaded;
    std::vector<std::string> messages;
    std::uint32_t start = 0, stop = 0;  // checked when loaded
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

const std::string kCode = RandomBytes(0x40, 30);

std::vector<LoadCase> LoadCases()
{
    const std::string header = SRecordLine(0, 0, "fw") + "\n";
    const std::string end = SRecordLine(9, 0, "") + "\n";
    const std::string code = SRecordLine(1, 0x9000, kCode.substr(0, 0x20)) + "\n";
    const std::string vector = SRecordLine(1, 0xFFFE, "\x90\x00"s) + "\n";
    const std::string at_FFD0 = SRecordLine(1, 0xFFD0, kCode.substr(0, 0x10)) + "\n";
    const std::string noData = header + end;
    const std::string hexEnd = ":00000001FF\n";
    const std::string linear1 = HexLine(4, 0, "\x00\x01"s) + "\n";
    const std::string linear3 = HexLine(4, 0, "\x00\x03"s) + "\n";
    const std::string linear4 = HexLine(4, 0, "\x00\x04"s) + "\n";
    const std::string lowRecord = HexLine(0, 0x0000, kCode.substr(0, 0x10)) + "\n";  // 0x10000 after linear 1
    const std::string kd02Code = HexLine(0, 0x8000, kCode.substr(0, 0x20)) + "\n";  // 0x18000 after linear 1
    std::string badChecksum = HexLine(0, 0x8020, kCode.substr(0, 0x10));
    badChecksum.back() = badChecksum.back() == '0' ? '1' : '0';

    const std::string stopOut = "ERROR: code stop is out of range!";
    const std::string startOut = "ERROR: code start is out of range!";
    const std::string noDataText = "ERROR: no data in firmware file!";

    return {
        // S-record images
        {"St7Loads", kSt7English, "a.run", header + code + vector + end, true, {}, 0x9000, 0x901F},
        {"St7FFD0IsCodeOutOfRange", kSt7English, "a.run", code + at_FFD0 + vector, false, {stopOut}},
        {"St7FFD0ItalianTwin", kSt7Italian, "a.run", code + at_FFD0, false, {"ERRORE: codice di stop fuori range!"}},
        {"Hc08FFD0IsAVector", LoadHc08Image, "a.s19", code + at_FFD0, true, {}, 0x9000, 0x901F},
        {"St7StartBelow8000", kSt7English, "a.run", SRecordLine(1, 0x7FF0, kCode) + "\n", false, {startOut}},
        {"St7StartBelow8000Italian", kSt7Italian, "a.run", SRecordLine(1, 0x7FF0, kCode) + "\n", false,
         {"ERRORE: codice di start fuori range!"}},
        {"St7StopAtEFBF", kSt7English, "a.run", SRecordLine(1, 0xEFBE, "\x01\x02"s) + "\n", true, {}, 0xEFBE, 0xEFBF},
        {"St7StopAtEFC0", kSt7English, "a.run", SRecordLine(1, 0xEFBF, "\x01\x02"s) + "\n", false, {stopOut}},
        {"Hc08RangeEdges", LoadHc08Image, "a.s19",
         SRecordLine(1, 0x0E00, "\x01"s) + "\n" + SRecordLine(1, 0xEFFF, "\x01"s) + "\n", true, {}, 0x0E00, 0xEFFF},
        {"Hc08StartBelow0E00", LoadHc08Image, "a.s19", SRecordLine(1, 0x0DFF, "\x01"s) + "\n", false, {startOut}},
        {"Hc08StopAtF000", LoadHc08Image, "a.s19", SRecordLine(1, 0xF000, "\x01"s) + "\n", false, {stopOut}},
        {"St7NoDataRecord", kSt7English, "a.run", noData, false, {noDataText}},
        {"St7NoDataRecordItalian", kSt7Italian, "a.run", noData, false, {"ERRORE: nessun dato nel file firmware!"}},
        {"St7OnlyVectors", kSt7English, "a.run", vector, false, {noDataText}},
        {"Hc08NoDataRecord", LoadHc08Image, "a.s19", noData, false, {noDataText}},
        {"HhwriterNoDataRecord", LoadHhwriterKd01Image, "a.s19", noData, false, {noDataText}},
        {"St7RunDeciphersToNothing", kSt7English, "a.run", std::string(100, '\0'), false, {noDataText}},
        {"St7RecordRunsPastTheImage", kSt7English, "a.run", code + SRecordLine(1, 0xFFF8, kCode.substr(0, 16)) + "\n",
         false, {stopOut}},
        {"St7RecordShorterThanItsCount", kSt7English, "a.run", code + code.substr(0, 30) + "\n" + vector, false,
         {"ERROR: invalid record in firmware file!"}},
        {"St7LastLineWithoutLineEnd", kSt7English, "a.run", code + SRecordLine(1, 0x9100, "\x01\x02"s), true, {},
         0x9000, 0x9101},
        {"HhwriterLastLineWithoutLineEnd", LoadHhwriterKd01Image, "a.s19", code + SRecordLine(1, 0x9100, "\x01\x02"s),
         true, {}, 0x9000, 0x9101},
        {"St7EmptyPath", kSt7English, "", "", false, {"Error: file open is impossible!"}},
        {"St7EmptyPathItalian", kSt7Italian, "", "", false, {"Errore: impossibile aprire il file!"}},
        {"St7MissingFile", kSt7English, "missing.run", "", false, {"Invalid file name input"}},
        {"HhwriterUpperCaseRun", LoadHhwriterKd01Image, "a.RUN", code, false, {"ERROR: invalid file type!"}},
        {"HhwriterMissingS19", LoadHhwriterKd01Image, "missing.s19", "", false, {"ERROR: open FW KD01 file"}},
        {"Hc08MissingFile", LoadHc08Image, "missing.s19", "", false, {"ERROR: is impossible to open file!"}},
        // KD02 Intel HEX images
        {"Kd02LowRecordDoesNotLowerStart", LoadKd02HexImage, "a.hex", linear1 + lowRecord + kd02Code + hexEnd, true,
         {}, 0x18000, 0x1801F},
        {"HhwriterLowRecordLowersStart", LoadHhwriterKd02HexImage, "a.hex", linear1 + lowRecord + kd02Code + hexEnd,
         false, {startOut}},
        {"Kd02OnlyLowRecords", LoadKd02HexImage, "a.hex", linear1 + lowRecord + hexEnd, false, {noDataText}},
        {"Kd02NoDataRecord", LoadKd02HexImage, "a.hex", linear1 + hexEnd, false, {noDataText}},
        {"HhwriterHexNoDataRecord", LoadHhwriterKd02HexImage, "a.hex", hexEnd, false, {noDataText}},
        {"Kd02ChecksumErrorStopsTheLoad", LoadKd02HexImage, "a.hex", linear1 + kd02Code + badChecksum + "\n" + hexEnd,
         false, {"Checksum Error!! Data Record "}},
        {"Kd02SkipsOtherLines", LoadKd02HexImage, "a.hex", "; made by hand\n" + linear1 + "\n" + kd02Code + hexEnd,
         true, {}, 0x18000, 0x1801F},
        {"HhwriterStopsAtABlankLine", LoadHhwriterKd02HexImage, "a.hex", linear1 + "\n" + kd02Code + hexEnd, false,
         {}},
        {"Kd02DataPastItsImage", LoadKd02HexImage, "a.hex",
         linear1 + kd02Code + linear3 + HexLine(0, 0xFFF0, kCode.substr(0, 16)) + "\n", false, {stopOut}},
        // Its image reaches 0x3FFFF, but the handheld keeps 0x20000 bytes from 0x18000.
        {"HhwriterDataBeyondTheHandheldsRoom", LoadHhwriterKd02HexImage, "a.hex",
         linear1 + kd02Code + linear3 + HexLine(0, 0xFFF0, kCode.substr(0, 16)) + "\n", false,
         {"ERROR: KD02 file too big!"}},
        {"HhwriterDataPastItsImage", LoadHhwriterKd02HexImage, "a.hex",
         linear1 + kd02Code + linear4 + HexLine(0, 0x0000, kCode.substr(0, 16)) + "\n", false, {stopOut}},
        {"Kd02MissingFileIsSilent", LoadKd02HexImage, "missing.hex", "", false, {}},
        {"HhwriterMissingHex", LoadHhwriterKd02HexImage, "missing.hex", "", false, {"ERROR: open FW KD02 file"}},
        // KD02 raw binaries
        {"Kd02BinFillsItsImage", LoadKd02BinImage, "a.bin", RandomBytes(0x27FFC, 40), true, {}, 0x18000, 0x3FFFB},
        {"Kd02BinLongerThanItsImage", LoadKd02BinImage, "a.bin", RandomBytes(0x27FFD, 40), false, {stopOut}},
        {"Kd02EmptyBin", LoadKd02BinImage, "a.bin", "", false, {noDataText}},
        {"HhwriterBinOfLargestSize", LoadHhwriterKd02BinImage, "a.bin", RandomBytes(0x20000, 41), true, {}, 0x18000,
         0x37FFF},
        {"HhwriterBinTooBig", LoadHhwriterKd02BinImage, "a.bin", RandomBytes(0x20001, 41), false,
         {"ERROR: KD02 file too big!"}},
        {"HhwriterMissingBin", LoadHhwriterKd02BinImage, "missing.bin", "", false, {"ERROR: open FW KD02 file"}},
    };
}

class Loading : public ::testing::TestWithParam<LoadCase> {};

TEST_P(Loading, LoadsOrRefusesWithItsMessage)
{
    const LoadCase& c = GetParam();
    TempDir dir;
    std::string path;
    if (!c.fileName.empty() && c.fileName.find("missing") == std::string::npos) {
        path = dir.file(c.fileName);
        if (c.fileName.ends_with(".run")) {
            WriteAll(dir.file("plain.s19"), c.content);
            Encipher(dir.file("plain.s19"), path);
        } else {
            WriteAll(path, c.content);
        }
    } else if (!c.fileName.empty()) {
        path = dir.file(c.fileName);
    }

    LOADER_IMAGE image;
    RecordingReporter reporter;
    EXPECT_EQ(c.load(path, image, reporter), c.loaded);
    EXPECT_EQ(image.loaded, c.loaded);
    EXPECT_EQ(reporter.messages, c.messages);
    if (c.loaded) {
        EXPECT_EQ(image.start, c.start);
        EXPECT_EQ(image.stop, c.stop);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Loading, ::testing::ValuesIn(LoadCases()),
                         [](const auto& info) { return info.param.name; });

TEST(Kd02Image, SizeAndChecksumCoverStartToStop)
{
    // A hex image from 0x18000 whose last record ends 0x20000 bytes further on.
    TempDir dir;
    const std::string code = RandomBytes(0x20, 50);
    const std::string text = HexLine(4, 0, "\x00\x01"s) + "\n" + HexLine(0, 0x8000, code) + "\n" +
                             HexLine(4, 0, "\x00\x03"s) + "\n" + HexLine(0, 0x7FFF, "\x5A"s) + "\n:00000001FF\n";
    WriteAll(dir.file("a.hex"), text);
    LOADER_IMAGE image;
    RecordingReporter reporter;
    ASSERT_TRUE(LoadKd02HexImage(dir.file("a.hex"), image, reporter));
    EXPECT_EQ(image.size, 0x20000u);
    std::string range = code + std::string(0x20000 - 0x21, '\xFF') + "\x5A";
    EXPECT_EQ(image.checksum, WordSum(range));
    EXPECT_EQ(Bytes(image.buffer, 0x18000, 0x20000), range);
}

TEST(Kd02Image, RawBinariesAreSummedFrom18000)
{
    TempDir dir;
    const std::string odd = RandomBytes(0x1001, 60);
    WriteAll(dir.file("a.bin"), odd);
    LOADER_IMAGE image;
    RecordingReporter reporter;
    for (auto load : {LoadKd02BinImage, LoadHhwriterKd02BinImage}) {
        ASSERT_TRUE(load(dir.file("a.bin"), image, reporter));
        EXPECT_EQ(image.size, 0x1001u);
        EXPECT_EQ(image.checksum, WordSum(odd));
        EXPECT_EQ(Bytes(image.buffer, 0x18000, 0x1002), odd + "\xFF");
    }
}

TEST(LanguageFile, TakesTheFirst32KBAndPadsAShortFile)
{
    TempDir dir;
    RecordingReporter reporter;
    std::vector<std::uint8_t> language;
    const std::string longFile = RandomBytes(40000, 70);
    WriteAll(dir.file("long.bin"), longFile);
    ASSERT_TRUE(LoadHandheldLanguageFile(dir.file("long.bin"), language, reporter));
    EXPECT_EQ(Bytes(language, 0, language.size()), longFile.substr(0, 32768));

    WriteAll(dir.file("short.bin"), "Italiano");
    ASSERT_TRUE(LoadHandheldLanguageFile(dir.file("short.bin"), language, reporter));
    EXPECT_EQ(Bytes(language, 0, language.size()), "Italiano" + std::string(32768 - 8, '\xFF'));
    EXPECT_EQ(reporter.messages, std::vector<std::string>{});

    WriteAll(dir.file("empty.bin"), "");
    EXPECT_FALSE(LoadHandheldLanguageFile(dir.file("empty.bin"), language, reporter));
    EXPECT_FALSE(LoadHandheldLanguageFile(dir.file("missing.bin"), language, reporter));
    EXPECT_EQ(reporter.messages, (std::vector<std::string>{"ERROR: lang file is empty!", "ERROR: open lang file"}));
}

TEST(FirmwareFileSize, EmptyOrUnreadableFilesAreCorrupted)
{
    TempDir dir;
    WriteAll(dir.file("empty.run"), "");
    WriteAll(dir.file("fw.run"), "x");
    RecordingReporter reporter;
    EXPECT_TRUE(CheckFirmwareFileSize(dir.file("fw.run"), ToolLanguage::English, reporter));
    EXPECT_FALSE(CheckFirmwareFileSize(dir.file("empty.run"), ToolLanguage::English, reporter));
    EXPECT_FALSE(CheckFirmwareFileSize(dir.file("missing.run"), ToolLanguage::Italian, reporter));
    EXPECT_EQ(reporter.messages,
              (std::vector<std::string>{"ERROR: corrupted firmware!", "ERRORE: firmware corrotto!"}));
}

TEST(LanguageSetting, LangEngZeroIsItalian)
{
    EXPECT_EQ(LanguageFromLangEng(0), ToolLanguage::Italian);
    EXPECT_EQ(LanguageFromLangEng(1), ToolLanguage::English);
    EXPECT_EQ(LanguageFromLangEng(2), ToolLanguage::English);
}

}  // namespace
