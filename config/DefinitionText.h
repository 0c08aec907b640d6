#pragma once

// The cutting of texts to the widths of the definition record.

#include <cstddef>
#include <string>
#include <string_view>

namespace vexar::config {

// The first `width` UTF-16 code units of the text; a surrogate pair that
// the cut would split is dropped whole.
std::u16string CutText(std::u16string_view text, std::size_t width);

}  // namespace vexar::config
