#pragma once

#include <string>

namespace vexar::tools {

// The language of a tool's texts. Only st7flash speaks Italian, chosen by
// its LANGENG setting; the other tools always pass English.
enum class ToolLanguage { English, Italian };

// LANGENG (command line or "LangEng" in the settings file): 0 Italian,
// anything else English.
ToolLanguage LanguageFromLangEng(long langEng);

// The messages of the image readers and loaders.
enum class LoaderText {
    FileOpenImpossible,   // empty ".run" path
    CodeStopOutOfRange,
    CodeStartOutOfRange,
    CorruptedFirmware,    // file size 0 or unreadable
    NoDataInFile,         // nothing loadable in the file
    InvalidRecord,        // an S-record line that is not a usable record
    HexChecksumData,
    HexRecordError,
    HexChecksumEnd,
    HexChecksum,
    Kd02FileTooBig,
    Hc08OpenFailed,
    OpenKd01Failed,
    OpenKd02Failed,
    OpenLangFailed,
    LangFileEmpty,
    InvalidFileType,
    MemoryAllocation,
};

// The text in the given language; a text without an Italian twin is
// English in both.
std::u16string LoaderMessage(LoaderText text, ToolLanguage language);

// Where loaders put their message boxes: the tool's dialog shows them, a
// test records them.
class CLoaderReporter {
public:
    virtual ~CLoaderReporter() = default;
    virtual void ShowMessage(const std::u16string& text) = 0;
};

}  // namespace vexar::tools
