#include "config/GraphPoint.h"

#include <algorithm>

void GRAPH_POINT::SetIdentifier(std::u16string_view text)
{
    identifier.fill(u'\0');
    const std::size_t units = std::min(text.size(), kIdentifierUnits);
    std::copy_n(text.begin(), units, identifier.begin());
}

std::u16string_view GRAPH_POINT::Identifier() const
{
    const auto end = std::find(identifier.begin(), identifier.end(), u'\0');
    return std::u16string_view(identifier.data(), static_cast<std::size_t>(end - identifier.begin()));
}
