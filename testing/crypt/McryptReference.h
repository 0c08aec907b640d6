#pragma once

// Test-only: enciphered files of the system made by an independent cipher
// (libmcrypt's "rijndael-256" in "ncfb" mode with a zero chain block and
// the system key), with its own plaintext layout: FF FE, the text as
// UTF-16LE, the end marker given, zero bytes up to a multiple of 32.

#include <string>
#include <string_view>

namespace vexar::crypt {

std::string McryptEncipher(std::string_view plain);
std::string McryptDecipher(std::string_view cipher);
// The plaintext layout above; `marker` is appended after the text as is.
std::string SystemPlaintext(std::u16string_view text, std::u16string_view marker);

}  // namespace vexar::crypt
