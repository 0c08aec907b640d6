#include "obd/ReplyFrame.h"

#include "obd/ObdText.h"
#include "obd/ReplyState.h"


namespace obdvane {

ReplyFrame::ReplyFrame()
    : m_state(&ReplyStates::Start())
{
}

void ReplyFrame::Reset()
{
    m_type.clear();
    m_data.clear();
    m_address.clear();
    m_header.clear();
    m_timedOut = false;
    m_rawCount = 0;
}

std::string ReplyFrame::Describe(const std::string& mnemonic) const
{
    std::string text = "Timeout: ";
    text += m_timedOut ? "1" : "0";
    text += " CmdSent: " + mnemonic + " CmdRecv: " + m_type + " Nack: ";
    text += IsNak() ? "1" : "0";
    return text;
}

bool ReplyFrame::IsNak() const
{
    return m_data.size() == 1 && static_cast<std::uint8_t>(m_data[0]) == kNak;
}

bool ReplyFrame::IsComplete() const
{
    return m_state == &ReplyStates::Stop();
}

bool ReplyFrame::Record()
{
    if (static_cast<std::size_t>(m_rawCount) >= m_raw.size())
        return false;
    m_raw[static_cast<std::size_t>(m_rawCount++)] = m_current;
    return true;
}

bool ReplyFrame::AppendHeader()
{
    // The STX that began the frame heads the raw bytes.
    if (m_rawCount == 0)
        m_raw[static_cast<std::size_t>(m_rawCount++)] = kStx;
    if (!Record())
        return false;
    m_header += static_cast<char>(m_current);
    return true;
}

bool ReplyFrame::AppendAddress()
{
    if (!Record())
        return false;
    if (m_current != kEtb)
        m_address += static_cast<char>(m_current);
    return true;
}

bool ReplyFrame::AppendType()
{
    if (!Record())
        return false;
    if (m_current != kEtb)
        m_type += static_cast<char>(m_current);
    return true;
}

bool ReplyFrame::AppendData()
{
    if (!Record())
        return false;
    // The ETB before the data separates it from the type; later ones
    // separate fields of the data and stay.
    if (m_current != kEtb || !m_data.empty())
        m_data += static_cast<char>(m_current);
    return true;
}

bool ReplyFrame::VerifyChecksum()
{
    if (!Record() || m_data.size() < 2)
        return false;
    const std::string received = UpperCase(m_data.substr(m_data.size() - 2));
    m_data.resize(m_data.size() - 2);
    // Everything after the STX up to the checksum characters and the ETX.
    unsigned sum = 0;
    for (int i = 1; i < m_rawCount - 3; ++i)
        sum += m_raw[static_cast<std::size_t>(i)];
    return received == ChecksumText(sum);
}

}  // namespace obdvane
