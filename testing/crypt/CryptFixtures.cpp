#include "CryptFixtures.h"

#include "common/CCriptFile.h"
#include "common/Text.h"
#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vexar::crypt {
namespace {

bool ReadFile(const std::string& path, std::string& bytes, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

}  // namespace

bool WriteCipherText(const std::string& path, std::u16string_view text, std::string& error)
{
    CCriptFile file;
    if (!file.Open(path, 0)) {
        error = "cannot key the cipher library";
        return false;
    }
    file.Write(std::u16string(text));
    if (!file.Close()) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool ReadCipherText(const std::string& path, std::u16string& text, std::string& error)
{
    CCriptFile file;
    if (!file.Open(path, 1)) {
        error = "cannot read or decipher " + path;
        return false;
    }
    std::u16string result;
    std::u16string line;
    while (file.ReadLine(line)) {
        result += line;
        result += u'\n';
    }
    file.Close();
    text = std::move(result);
    return true;
}

bool EncodeTextFile(const std::string& textPath, const std::string& cipherPath, std::string& error)
{
    std::string bytes;
    if (!ReadFile(textPath, bytes, error))
        return false;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.erase(0, 3);
    std::u16string text;
    if (!Utf8ToUtf16(bytes, text)) {
        error = textPath + " is not UTF-8 text";
        return false;
    }
    return WriteCipherText(cipherPath, text, error);
}

bool DecodeTextFile(const std::string& cipherPath, const std::string& textPath, std::string& error)
{
    std::u16string text;
    if (!ReadCipherText(cipherPath, text, error))
        return false;
    if (!platform::WriteFileAtomically(textPath, ToUtf8(text))) {
        error = "cannot write " + textPath + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace vexar::crypt
