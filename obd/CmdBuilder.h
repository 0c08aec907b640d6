#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace obdvane {

// One request frame: STX, header, ETB, address "0", ETB, mnemonic, then ETB
// and data when there is data, two upper-case hexadecimal checksum
// characters (the byte sum of everything after STX, modulo 256) and ETX.
class CmdBuilder {
public:
    static constexpr std::size_t kCapacity = 1024;

    // The frame of a mnemonic and its data with the header "STL".
    CmdBuilder(const std::string& mnemonic, const std::string& data);

    // Rebuilds the frame. Throws CmdBuilderException when the header is not
    // exactly 3 characters or the frame would not fit the buffer.
    void Build(const std::string& mnemonic, const std::string& data, const std::string& header);

    const std::uint8_t* GetBuffer() const { return m_buffer.data(); }
    std::uint32_t GetLength() const { return m_length; }

private:
    std::array<std::uint8_t, kCapacity> m_buffer{};
    std::uint32_t m_length = 0;
};

}  // namespace obdvane
