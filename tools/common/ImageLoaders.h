#pragma once

#include "LoaderImage.h"
#include "LoaderTexts.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vexar::tools {

// The loaders of the programming tools. Each takes the full path of a file,
// fills the tool's image (0xFF first, so a refused load leaves it partly
// filled and not loaded), reports every refusal through `reporter` and
// returns whether the image is loaded. An image with nothing to program is
// refused, as is one whose data would fall outside the image.

// st7flash: KD01 firmware from an enciphered ".run" file (an S-record text).
bool LoadSt7RunImage(const std::string& path, LOADER_IMAGE& image, ToolLanguage language,
                     CLoaderReporter& reporter);

// hhwriter: KD01 firmware from a ".run" or a plain ".s19" file, told apart
// by the exact ending of the path.
bool LoadHhwriterKd01Image(const std::string& path, LOADER_IMAGE& image, CLoaderReporter& reporter);

// hc08flash: the handheld microcontroller's firmware from an S-record text.
bool LoadHc08Image(const std::string& path, LOADER_IMAGE& image, CLoaderReporter& reporter);

// kd02flash: KD02 firmware from Intel HEX (lines that do not begin with ":"
// are skipped) or from a raw binary placed at 0x18000. A file that cannot
// be opened is not loaded, without a message (the dialog checks the file
// first with CheckFirmwareFileSize).
bool LoadKd02HexImage(const std::string& path, LOADER_IMAGE& image, CLoaderReporter& reporter);
bool LoadKd02BinImage(const std::string& path, LOADER_IMAGE& image, CLoaderReporter& reporter);

// hhwriter: KD02 firmware from Intel HEX (reading stops at the first line
// that is not a good record, blank lines included) or from a raw binary,
// placed at 0x18000; either is refused when the handheld would get more
// than 0x20000 bytes (0x18000 up to its stop).
bool LoadHhwriterKd02HexImage(const std::string& path, LOADER_IMAGE& image, CLoaderReporter& reporter);
bool LoadHhwriterKd02BinImage(const std::string& path, LOADER_IMAGE& image, CLoaderReporter& reporter);

// hhwriter: the first 32768 bytes of a language file; a shorter file is
// padded with 0xFF, an empty one refused.
bool LoadHandheldLanguageFile(const std::string& path, std::vector<std::uint8_t>& language,
                              CLoaderReporter& reporter);

// kd02flash and st7flash refuse a chosen file whose size is 0 or cannot be
// read, before loading it ("ERROR: corrupted firmware!").
bool CheckFirmwareFileSize(const std::string& path, ToolLanguage language, CLoaderReporter& reporter);

}  // namespace vexar::tools
