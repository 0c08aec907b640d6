#include "Hex.h"

#include <cstdio>
#include <stdexcept>

Bytes FromHex(const std::string& hex)
{
    if (hex.size() % 2)
        throw std::invalid_argument("odd hex length");
    Bytes out(hex.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    return out;
}

std::string ToHex(const std::uint8_t* data, std::size_t n)
{
    std::string out;
    char pair[3];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", data[i]);
        out += pair;
    }
    return out;
}

Bytes FromText(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}
