#include "LoaderTexts.h"

namespace vexar::tools {
namespace {

struct Twin {
    LoaderText id;
    const char16_t* english;
    const char16_t* italian;  // nullptr: English only
};

constexpr Twin kTexts[] = {
    {LoaderText::FileOpenImpossible, u"Error: file open is impossible!", u"Errore: impossibile aprire il file!"},
    {LoaderText::CodeStopOutOfRange, u"ERROR: code stop is out of range!", u"ERRORE: codice di stop fuori range!"},
    {LoaderText::CodeStartOutOfRange, u"ERROR: code start is out of range!",
     u"ERRORE: codice di start fuori range!"},
    {LoaderText::CorruptedFirmware, u"ERROR: corrupted firmware!", u"ERRORE: firmware corrotto!"},
    {LoaderText::NoDataInFile, u"ERROR: no data in firmware file!", u"ERRORE: nessun dato nel file firmware!"},
    {LoaderText::InvalidRecord, u"ERROR: invalid record in firmware file!",
     u"ERRORE: record non valido nel file firmware!"},
    {LoaderText::HexChecksumData, u"Checksum Error!! Data Record ", nullptr},
    {LoaderText::HexRecordError, u"HEX Record Error!!", nullptr},
    {LoaderText::HexChecksumEnd, u"Checksum Error!! End Record", nullptr},
    {LoaderText::HexChecksum, u"Checksum Error!!", nullptr},
    {LoaderText::Kd02FileTooBig, u"ERROR: KD02 file too big!", nullptr},
    {LoaderText::Hc08OpenFailed, u"ERROR: is impossible to open file!", nullptr},
    {LoaderText::OpenKd01Failed, u"ERROR: open FW KD01 file", nullptr},
    {LoaderText::OpenKd02Failed, u"ERROR: open FW KD02 file", nullptr},
    {LoaderText::OpenLangFailed, u"ERROR: open lang file", nullptr},
    {LoaderText::LangFileEmpty, u"ERROR: lang file is empty!", u"ERRORE: file lingua vuoto!"},
    {LoaderText::InvalidFileType, u"ERROR: invalid file type!", nullptr},
    {LoaderText::MemoryAllocation, u"Error memory allocation!", nullptr},
};

}  // namespace

ToolLanguage LanguageFromLangEng(long langEng)
{
    return langEng == 0 ? ToolLanguage::Italian : ToolLanguage::English;
}

std::u16string LoaderMessage(LoaderText text, ToolLanguage language)
{
    for (const Twin& twin : kTexts)
        if (twin.id == text)
            return language == ToolLanguage::Italian && twin.italian ? twin.italian : twin.english;
    return std::u16string();
}

}  // namespace vexar::tools
