#include "obd/CmdBuilder.h"

#include "obd/ObdText.h"
#include "obd/ScantoolException.h"

namespace obdvane {

namespace {

// STX, two ETBs, the address, two checksum characters and ETX.
constexpr std::size_t kFrameOverhead = 7;

}  // namespace

CmdBuilder::CmdBuilder(const std::string& mnemonic, const std::string& data)
{
    Build(mnemonic, data, "STL");
}

void CmdBuilder::Build(const std::string& mnemonic, const std::string& data, const std::string& header)
{
    if (header.size() != 3)
        throw CmdBuilderException("Header length not valid.");
    const std::size_t dataPart = data.empty() ? 0 : data.size() + 1;
    if (kFrameOverhead + header.size() + mnemonic.size() + dataPart > kCapacity)
        throw CmdBuilderException("Frame length not valid.");

    std::string body = header;
    body += static_cast<char>(kEtb);
    body += '0';
    body += static_cast<char>(kEtb);
    body += mnemonic;
    if (!data.empty()) {
        body += static_cast<char>(kEtb);
        body += data;
    }
    unsigned sum = 0;
    for (const char c : body)
        sum += static_cast<std::uint8_t>(c);
    body += ChecksumText(sum);

    std::size_t at = 0;
    m_buffer[at++] = kStx;
    for (const char c : body)
        m_buffer[at++] = static_cast<std::uint8_t>(c);
    m_buffer[at++] = kEtx;
    m_length = static_cast<std::uint32_t>(at);
}

}  // namespace obdvane
