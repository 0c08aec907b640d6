#pragma once

#include <string>
#include <string_view>

namespace vexar::link::detail {

// UTF-8 to UTF-16 for the layer's texts (fixed English texts and the
// system's error messages); a malformed sequence becomes U+FFFD. The serial
// layer keeps this to itself so that it needs nothing beyond the platform
// layer (the programming tools carry it alone).
std::u16string WidenUtf8(std::string_view text);

}  // namespace vexar::link::detail
