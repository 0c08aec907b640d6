#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

Bytes FromHex(const std::string& hex);
std::string ToHex(const std::uint8_t* data, std::size_t n);
inline std::string ToHex(const Bytes& b) { return ToHex(b.data(), b.size()); }
Bytes FromText(const std::string& text);

// The key every enciphered file of the system is keyed with.
inline const char* const kSystemKey = "3FA0C81D5E7B29640D1CE8A7B5F23961";
