#pragma once

// Frames for the library's tests, written by the simulator's own codec so
// that the library's reading is checked against an independent writer.

#include "obd/ExchangeFrame.h"
#include "testing/obdsim/ObdFrame.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace obdvane::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Hex(std::initializer_list<int> values)
{
    Bytes bytes;
    for (const int v : values)
        bytes.push_back(static_cast<std::uint8_t>(v));
    return bytes;
}

// A whole frame: STX, header, ETB, address, ETB, type, [ETB, data], checksum, ETX.
inline Bytes WholeFrame(const std::string& type, const std::string& data, const std::string& header = "STL")
{
    return vexar::obdsim::EncodeFrame({header, "0", type, data});
}

// Text with ETB for every '|'.
inline std::string Etb(std::string text)
{
    std::replace(text.begin(), text.end(), '|', '\x17');
    return text;
}

inline Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline EXCHANGE_FRAME Exchange(const Bytes& bytes)
{
    return MakeExchangeFrame(bytes.data(), bytes.size());
}

inline Bytes BytesOf(const EXCHANGE_FRAME& frame)
{
    return Bytes(frame.buffer, frame.buffer + frame.length);
}

}  // namespace obdvane::test
