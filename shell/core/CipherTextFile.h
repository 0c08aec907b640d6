#pragma once

// The settings files' way with enciphered text files: opening one for
// reading with the two messages the user sees when it cannot be reached,
// and writing one whole or not at all.

#include <string>
#include <string_view>

class CCriptFile;

namespace vexar::shell {

// Opens `path` for reading; false, reported, when it is not there ("Error
// to access file %s!") or does not open ("Error to open file %s!").
bool OpenCipherForReading(const std::string& path, CCriptFile& file);

// Enciphers `text` into `path` whole or not at all; false, reported ("Error
// to open file %s!" when the cipher cannot be prepared, `writeFailure` with
// the path when the file cannot be replaced), with the old file kept.
bool WriteCipherTextFile(const std::string& path, const std::u16string& text,
                         std::u16string_view writeFailure = u"Error to write file %s!");

}  // namespace vexar::shell
