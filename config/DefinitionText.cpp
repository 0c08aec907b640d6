#include "config/DefinitionText.h"

namespace vexar::config {
namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::u16string CutText(std::u16string_view text, std::size_t width)
{
    if (text.size() <= width)
        return std::u16string(text);
    std::size_t keep = width;
    if (keep > 0 && IsHighSurrogate(text[keep - 1]))
        --keep;
    return std::u16string(text.substr(0, keep));
}

}  // namespace vexar::config
