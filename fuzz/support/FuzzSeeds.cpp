#include "FuzzSeeds.h"

#include "DefinitionFixtures.h"
#include "FuzzInput.h"
#include "common/Text.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace vexar::fuzz {

namespace {

std::vector<std::pair<const char*, SeedMaker>>& Registry()
{
    static std::vector<std::pair<const char*, SeedMaker>> makers;
    return makers;
}

std::u16string ReadUtf8File(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return ToUtf16(bytes);
}

bool IsKeywordUnit(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_'; }

void AddOnce(std::vector<std::u16string>& words, std::u16string word)
{
    if (std::find(words.begin(), words.end(), word) == words.end())
        words.push_back(std::move(word));
}

}  // namespace

SeedRegistration::SeedRegistration(const char* name, SeedMaker maker) { Registry().emplace_back(name, maker); }

const std::vector<std::pair<const char*, SeedMaker>>& SeedMakers() { return Registry(); }

std::u16string FixtureText(std::string_view relative)
{
    return ReadUtf8File(fixtures::DataFolder() + "/" + std::string(relative));
}

std::u16string SyntheticText(std::string_view fileName)
{
    return ReadUtf8File(fixtures::SyntheticSource(std::string(fileName)));
}

std::vector<std::u16string> TextKeywords(std::u16string_view text)
{
    std::vector<std::u16string> words;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == u'<') {
            const std::size_t close = text.find(u'>', at);
            if (close != std::u16string_view::npos && close - at < 40) {
                AddOnce(words, std::u16string(text.substr(at, close + 1 - at)));
                at = close + 1;
                continue;
            }
        }
        if (IsKeywordUnit(text[at])) {
            std::size_t end = at;
            while (end < text.size() && IsKeywordUnit(text[end]))
                ++end;
            const std::u16string_view word = text.substr(at, end - at);
            if (word.size() >= 3 && word.find(u'_') != std::u16string_view::npos)
                AddOnce(words, std::u16string(word));
            at = end;
            continue;
        }
        ++at;
    }
    return words;
}

std::vector<std::string> Utf16Words(const std::vector<std::u16string>& words)
{
    std::vector<std::string> out;
    for (const std::u16string& word : words)
        out.push_back(Utf16Bytes(word));
    return out;
}

std::vector<std::string> AsciiWords(const std::vector<std::u16string>& words)
{
    std::vector<std::string> out;
    for (const std::u16string& word : words)
        out.push_back(ToUtf8(word));
    return out;
}

}  // namespace vexar::fuzz
