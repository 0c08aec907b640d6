#pragma once

// Small text rules of the definition files: the upper case of language
// names (tags of the language lines) and the cutting of texts to the
// widths of the definition record.

#include <cstddef>
#include <string>
#include <string_view>

namespace vexar::config {

// Upper case of the letters of the Latin, Greek and Cyrillic alphabets;
// every other character is kept. Independent of the user's locale.
std::u16string ToUpperText(std::u16string_view text);

// The first `width` UTF-16 code units of the text; a surrogate pair that
// the cut would split is dropped whole.
std::u16string CutText(std::u16string_view text, std::size_t width);

}  // namespace vexar::config
