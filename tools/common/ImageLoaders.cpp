#include "ImageLoaders.h"

#include "RecordReaders.h"
#include "platform/FileRead.h"
#include "sigilkit.h"

#include <algorithm>
#include <string_view>
#include <sys/stat.h>

namespace vexar::tools {
namespace {

using vexar::platform::ReadFileResult;
using vexar::platform::ReadRegularFile;

// The key, key length, block length and chaining mode of every ".run" file.
constexpr char kRunFileKey[] = "3FA0C81D5E7B29640D1CE8A7B5F23961";
constexpr int kRunKeyLength = 32;
constexpr int kRunBlockLength = 32;

std::u16string Widened(const char* text)
{
    std::u16string wide;
    for (; text && *text; ++text)
        wide += static_cast<char16_t>(static_cast<unsigned char>(*text));
    return wide;
}

class LoadReport {
public:
    LoadReport(CLoaderReporter& reporter, ToolLanguage language) : m_reporter(reporter), m_language(language) {}
    bool Refuse(LoaderText text)
    {
        m_reporter.ShowMessage(LoaderMessage(text, m_language));
        return false;
    }
    bool Refuse(const char* cipherError)
    {
        m_reporter.ShowMessage(Widened(cipherError));
        return false;
    }
    CLoaderReporter& reporter() { return m_reporter; }

private:
    CLoaderReporter& m_reporter;
    ToolLanguage m_language;
};

// Calls `parse` with every line of `text`: the bytes before each LF (a CR
// of a CR LF ending stays on the line, where the readers ignore it), then
// what follows the last LF up to the first zero byte, if anything (the
// zero padding of a deciphered file is never parsed). Stops when `parse`
// returns false and returns false then.
template <typename Parse>
bool ForEachLine(std::string_view text, Parse parse)
{
    std::size_t from = 0;
    for (std::size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n', from)) {
        if (!parse(text.substr(from, lf - from)))
            return false;
        from = lf + 1;
    }
    std::string_view tail = text.substr(from);
    tail = tail.substr(0, tail.find('\0'));
    return tail.empty() || parse(tail);
}

// The range checks of every image, in their order, and the refusal of an
// image without anything to program (start is then above stop). The top of
// the accepted range is also the top of the image buffer.
bool CheckRange(const ImageLayout& layout, const LOADER_IMAGE& image, LoadReport& report)
{
    const std::uint64_t stopLimit = std::min<std::uint64_t>(layout.stopMaximum, layout.bufferSize - 1);
    if (image.stop > stopLimit)
        return report.Refuse(LoaderText::CodeStopOutOfRange);
    if (image.start < layout.startMinimum)
        return report.Refuse(LoaderText::CodeStartOutOfRange);
    if (image.start > image.stop)
        return report.Refuse(LoaderText::NoDataInFile);
    return true;
}

// S-record images: reset vector from 0xFFFE/0xFFFF; checksum = 16-bit sum
// of the loaded range and of the whole vector area.
bool LoadSRecordText(std::string_view text, const ImageLayout& layout, LOADER_IMAGE& image, LoadReport& report)
{
    int refusal = 0;
    ForEachLine(text, [&](std::string_view line) {
        const int result = ParseSRecord(image.buffer, line, image.start, image.stop, layout.boundary);
        if (result == kRecordInvalid || result == kRecordOutside)
            refusal = result;
        return refusal == 0;
    });
    if (refusal == kRecordInvalid)
        return report.Refuse(LoaderText::InvalidRecord);
    if (refusal == kRecordOutside)
        return report.Refuse(LoaderText::CodeStopOutOfRange);

    image.resetVector = static_cast<std::uint16_t>(image.buffer[0xFFFE] * 256 + image.buffer[0xFFFF]);
    if (!CheckRange(layout, image, report))
        return false;
    unsigned sum = 0;
    for (std::uint32_t a = image.start; a <= image.stop; ++a)
        sum += image.buffer[a];
    for (std::size_t a = layout.boundary; a < image.buffer.size(); ++a)
        sum += image.buffer[a];
    image.checksum = static_cast<std::uint16_t>(sum);
    image.loaded = true;
    return true;
}

bool LoadRunFile(const std::string& path, const ImageLayout& layout, LOADER_IMAGE& image, LoadReport& report)
{
    image.Reset(layout.bufferSize, layout.startInitial);
    if (path.empty())
        return report.Refuse(LoaderText::FileOpenImpossible);
    if (CryptInit(reinterpret_cast<const unsigned char*>(kRunFileKey), kRunKeyLength, kRunBlockLength) < 0)
        return report.Refuse(CryptGetLastErrorString());
    int length = 0;
    unsigned char* plain = FileDecrypt(path.c_str(), &length, SIGILKIT_CFB);
    if (!plain)
        return report.Refuse(CryptGetLastErrorString());
    const std::string_view text(reinterpret_cast<const char*>(plain), static_cast<std::size_t>(std::max(length, 0)));
    const bool loaded = LoadSRecordText(text, layout, image, report);
    DataFree(plain);
    return loaded;
}

// KD02 images: checksum = sum of the big-endian words of the loaded range.
bool FinishKd02Image(const ImageLayout& layout, LOADER_IMAGE& image, LoadReport& report)
{
    if (!CheckRange(layout, image, report))
        return false;
    image.size = image.stop - image.start + 1;
    image.checksum = SumImageWords(image.buffer, image.start, image.size);
    image.loaded = true;
    return true;
}

// Reads Intel HEX lines; `skipOthers` passes over lines that do not begin
// with ":", otherwise they end the reading like a record error.
bool LoadHexText(std::string_view text, const ImageLayout& layout, bool skipOthers, LOADER_IMAGE& image,
                 LoadReport& report)
{
    HexAddressBase base;
    const bool read = ForEachLine(text, [&](std::string_view line) {
        if (skipOthers && (line.empty() || line[0] != ':'))
            return true;
        return ParseHexRecord(report.reporter(), image.buffer, line, image.start, image.stop, layout.boundary,
                              base) == 0;
    });
    return read && FinishKd02Image(layout, image, report);
}

// Places a raw KD02 binary at 0x18000 (as much of it as the image holds:
// the range check refuses a longer one).
bool PlaceKd02Binary(const std::string& bytes, const ImageLayout& layout, LOADER_IMAGE& image, LoadReport& report)
{
    const std::size_t room = image.buffer.size() - kKd02BinaryBase;
    std::copy_n(bytes.begin(), std::min(bytes.size(), room), image.buffer.begin() + kKd02BinaryBase);
    image.start = kKd02BinaryBase;
    image.stop = static_cast<std::uint32_t>(kKd02BinaryBase + bytes.size() - 1);
    return FinishKd02Image(layout, image, report);
}

bool EndsWith(const std::string& text, std::string_view ending)
{
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

}  // namespace

bool LoadSt7RunImage(const std::string& path, LOADER_IMAGE& image, ToolLanguage language,
                     CLoaderReporter& reporter)
{
    LoadReport report(reporter, language);
    return LoadRunFile(path, kKd01Layout, image, report);
}

bool LoadHhwriterKd01Image(const std::string& path, LOADER_IMAGE& image, CLoaderReporter& reporter)
{
    LoadReport report(reporter, ToolLanguage::English);
    if (EndsWith(path, ".run"))
        return LoadRunFile(path, kKd01Layout, image, report);
    image.Reset(kKd01Layout.bufferSize, kKd01Layout.startInitial);
    if (!EndsWith(path, ".s19"))
        return report.Refuse(LoaderText::InvalidFileType);
    std::string text;
    switch (ReadRegularFile(path, text)) {
    case ReadFileResult::OpenFailed:
    case ReadFileResult::ShortRead: return report.Refuse(LoaderText::OpenKd01Failed);
    case ReadFileResult::NoMemory: return report.Refuse(LoaderText::MemoryAllocation);
    case ReadFileResult::Ok: break;
    }
    return LoadSRecordText(text, kKd01Layout, image, report);
}

bool LoadHc08Image(const std::string& path, LOADER_IMAGE& image, CLoaderReporter& reporter)
{
    LoadReport report(reporter, ToolLanguage::English);
    image.Reset(kHandheldMcuLayout.bufferSize, kHandheldMcuLayout.startInitial);
    std::string text;
    if (ReadRegularFile(path, text) != ReadFileResult::Ok)
        return report.Refuse(LoaderText::Hc08OpenFailed);
    return LoadSRecordText(text, kHandheldMcuLayout, image, report);
}

bool LoadKd02HexImage(const std::string& path, LOADER_IMAGE& image, CLoaderReporter& reporter)
{
    LoadReport report(reporter, ToolLanguage::English);
    image.Reset(kKd02FlashLayout.bufferSize, kKd02FlashLayout.startInitial);
    std::string text;
    if (ReadRegularFile(path, text) != ReadFileResult::Ok)
        return false;
    return LoadHexText(text, kKd02FlashLayout, true, image, report);
}

bool LoadKd02BinImage(const std::string& path, LOADER_IMAGE& image, CLoaderReporter& reporter)
{
    LoadReport report(reporter, ToolLanguage::English);
    image.Reset(kKd02FlashLayout.bufferSize, kKd02BinaryBase);
    // Reading one byte more than the image holds is enough to refuse a
    // longer file.
    std::string bytes;
    if (ReadRegularFile(path, bytes, kKd02FlashLayout.bufferSize - kKd02BinaryBase + 1) != ReadFileResult::Ok)
        return false;
    return PlaceKd02Binary(bytes, kKd02FlashLayout, image, report);
}

bool LoadHhwriterKd02HexImage(const std::string& path, LOADER_IMAGE& image, CLoaderReporter& reporter)
{
    LoadReport report(reporter, ToolLanguage::English);
    image.Reset(kHhwriterKd02Layout.bufferSize, kHhwriterKd02Layout.startInitial);
    std::string text;
    if (ReadRegularFile(path, text) != ReadFileResult::Ok)
        return report.Refuse(LoaderText::OpenKd02Failed);
    if (!LoadHexText(text, kHhwriterKd02Layout, false, image, report))
        return false;
    // The handheld keeps at most 0x20000 bytes of KD02 firmware (bank 1,
    // then bank 5): more would wrap over what was sent first.
    if (Kd02ProgrammedRange(image).Length() > kHhwriterKd02BinaryMaximum) {
        image.loaded = false;
        return report.Refuse(LoaderText::Kd02FileTooBig);
    }
    return true;
}

bool LoadHhwriterKd02BinImage(const std::string& path, LOADER_IMAGE& image, CLoaderReporter& reporter)
{
    LoadReport report(reporter, ToolLanguage::English);
    image.Reset(kHhwriterKd02Layout.bufferSize, kHhwriterKd02Layout.startInitial);
    std::string bytes;
    if (ReadRegularFile(path, bytes, kHhwriterKd02BinaryMaximum + 1) != ReadFileResult::Ok)
        return report.Refuse(LoaderText::OpenKd02Failed);
    if (bytes.size() > kHhwriterKd02BinaryMaximum)
        return report.Refuse(LoaderText::Kd02FileTooBig);
    return PlaceKd02Binary(bytes, kHhwriterKd02Layout, image, report);
}

bool LoadHandheldLanguageFile(const std::string& path, std::vector<std::uint8_t>& language,
                              CLoaderReporter& reporter)
{
    LoadReport report(reporter, ToolLanguage::English);
    std::string bytes;
    if (ReadRegularFile(path, bytes, kHandheldLanguageSize) != ReadFileResult::Ok)
        return report.Refuse(LoaderText::OpenLangFailed);
    if (bytes.empty())
        return report.Refuse(LoaderText::LangFileEmpty);
    language.assign(kHandheldLanguageSize, 0xFF);
    std::copy(bytes.begin(), bytes.end(), language.begin());
    return true;
}

bool CheckFirmwareFileSize(const std::string& path, ToolLanguage language, CLoaderReporter& reporter)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        return true;
    LoadReport report(reporter, language);
    return report.Refuse(LoaderText::CorruptedFirmware);
}

}  // namespace vexar::tools
