#include "McryptReference.h"

#include <mutils/mcrypt.h>
#include <stdexcept>

namespace vexar::crypt {
namespace {

std::string Run(std::string_view input, bool encipher)
{
    MCRYPT td = mcrypt_module_open(const_cast<char*>("rijndael-256"), nullptr, const_cast<char*>("ncfb"), nullptr);
    if (td == MCRYPT_FAILED)
        throw std::runtime_error("libmcrypt cannot open rijndael-256");
    std::string key = "3FA0C81D5E7B29640D1CE8A7B5F23961";
    std::string iv(32, '\0');
    if (mcrypt_generic_init(td, key.data(), 32, iv.data()) < 0) {
        mcrypt_module_close(td);
        throw std::runtime_error("libmcrypt cannot key");
    }
    std::string data(input);
    if (!data.empty()) {
        if (encipher)
            mcrypt_generic(td, data.data(), static_cast<int>(data.size()));
        else
            mdecrypt_generic(td, data.data(), static_cast<int>(data.size()));
    }
    mcrypt_generic_deinit(td);
    mcrypt_module_close(td);
    return data;
}

}  // namespace

std::string McryptEncipher(std::string_view plain) { return Run(plain, true); }
std::string McryptDecipher(std::string_view cipher) { return Run(cipher, false); }

std::string SystemPlaintext(std::u16string_view text, std::u16string_view marker)
{
    std::string plain = "\xFF\xFE";
    for (std::u16string_view part : {text, marker}) {
        for (char16_t unit : part) {
            plain.push_back(static_cast<char>(unit & 0xFF));
            plain.push_back(static_cast<char>((unit >> 8) & 0xFF));
        }
    }
    plain.append((32 - plain.size() % 32) % 32, '\0');
    return plain;
}

}  // namespace vexar::crypt
