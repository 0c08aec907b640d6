#pragma once

// Building and reading the system's enciphered text files from plain UTF-8
// text, through the product's own CCriptFile. Used by the vexar-crypt tool
// and by the fixture builders of the tests.

#include <string>
#include <string_view>

namespace vexar::crypt {

// Enciphers `text` as it stands (line feeds included) into `path`.
bool WriteCipherText(const std::string& path, std::u16string_view text, std::string& error);
// Reads the lines of an enciphered file, each ended with a line feed.
bool ReadCipherText(const std::string& path, std::u16string& text, std::string& error);

// UTF-8 text file (an optional UTF-8 byte-order mark is dropped) to an
// enciphered file, and back. `error` says what went wrong.
bool EncodeTextFile(const std::string& textPath, const std::string& cipherPath, std::string& error);
bool DecodeTextFile(const std::string& cipherPath, const std::string& textPath, std::string& error);

}  // namespace vexar::crypt
