#include "SerialText.h"

namespace vexar::link::detail {

namespace {

// The length of the sequence a lead byte opens (0: not a lead byte) and the
// bits it contributes.
int SequenceLength(unsigned char lead, char32_t& code)
{
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead < 0xE0) {
        code = lead & 0x1F;
        return 2;
    }
    if (lead >= 0xE0 && lead < 0xF0) {
        code = lead & 0x0F;
        return 3;
    }
    if (lead >= 0xF0 && lead < 0xF5) {
        code = lead & 0x07;
        return 4;
    }
    return 0;
}

bool IsCharacter(char32_t code, int length)
{
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    return code >= smallest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}

}  // namespace

std::u16string WidenUtf8(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t code = 0;
        const int length = SequenceLength(static_cast<unsigned char>(text[i]), code);
        bool ok = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; ok && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            ok = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!ok || !IsCharacter(code, length)) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += static_cast<std::size_t>(length);
    }
    return out;
}

}  // namespace vexar::link::detail
