#include "obd/ParsedFrame.h"

#include "obd/ObdText.h"

#include <array>
#include <string_view>
#include <utility>

namespace obdvane {

namespace {

constexpr char kStxChar = static_cast<char>(kStx);
constexpr char kEtxChar = static_cast<char>(kEtx);
constexpr char kEtbChar = static_cast<char>(kEtb);
// The entry list grows in blocks of this many.
constexpr std::size_t kEntryBlock = 10;

// The checksum of a body: a running sum of its characters, each taken as a
// signed byte, reduced at every step to ((sum mod 65536) + character) mod
// 65535; the low byte of the result. For ASCII bodies this is the low byte
// of the plain sum.
std::string BodyChecksum(std::string_view body)
{
    int sum = 0;
    for (const char c : body)
        sum = (sum % 65536 + static_cast<signed char>(c)) % 65535;
    return ChecksumText(static_cast<unsigned>(sum) & 0xFF);
}

bool KindOfType(std::string_view type, int& kind)
{
    static constexpr std::array<std::pair<std::string_view, int>, 6> kKinds = {{{"ID", ParsedFrame::kId},
                                                                               {"UP", ParsedFrame::kUp},
                                                                               {"EC", ParsedFrame::kEc},
                                                                               {"SP", ParsedFrame::kSp},
                                                                               {"EZ", ParsedFrame::kEz},
                                                                               {"RP", ParsedFrame::kRp}}};
    for (const auto& [name, value] : kKinds) {
        if (type == name) {
            kind = value;
            return true;
        }
    }
    return false;
}

// Removes one expected character from the front.
bool Take(std::string& text, char expected)
{
    if (text.empty() || text[0] != expected)
        return false;
    text.erase(0, 1);
    return true;
}

int DigitValue(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

}  // namespace

ParsedFrame::ParsedFrame()
{
    Clear();
}

void ParsedFrame::Clear()
{
    m_address = 0;
    m_noData = false;
    for (std::string& field : m_fields)
        field.clear();
    m_protocol = 0;
    m_entries.clear();
}

std::string ParsedFrame::GetField(int number) const
{
    if (number < 1 || number > static_cast<int>(m_fields.size()))
        return {};
    return m_fields[static_cast<std::size_t>(number - 1)];
}

bool ParsedFrame::GetNextEntry(std::size_t& position, FRAME_ENTRY& entry) const
{
    if (position >= m_entries.size())
        return false;
    entry = m_entries[position++];
    return true;
}

bool ParsedFrame::ParseBytes(const std::uint8_t* bytes, std::size_t count)
{
    if (!bytes)
        return false;
    return Parse(std::vector<std::uint8_t>(bytes, bytes + count));
}

bool ParsedFrame::Parse(const std::vector<std::uint8_t>& bytes)
{
    std::string text(bytes.begin(), bytes.end());
    if (!Take(text, kStxChar))
        return false;
    const std::size_t etx = text.find(kEtxChar);
    if (etx == std::string::npos || etx < 2)
        return false;
    const std::string received = text.substr(etx - 2, 2);
    std::string body = text.substr(0, etx - 2);
    if (UpperCase(received) != BodyChecksum(body))
        return false;
    if (!body.starts_with("STL") && !body.starts_with("RPM"))
        return false;
    body.erase(0, 3);

    ParsedFrame parsed;
    if (!Take(body, kEtbChar) || body.empty())
        return false;
    parsed.m_address = DigitValue(body[0]);
    body.erase(0, 1);
    if (!Take(body, kEtbChar) || body.size() < 2 || !KindOfType(std::string_view(body).substr(0, 2), parsed.m_kind))
        return false;
    body.erase(0, 2);
    if (!Take(body, kEtbChar))
        return false;

    bool read = false;
    switch (parsed.m_kind) {
    case kId:
    case kUp:
        read = parsed.ReadFields(std::move(body));
        break;
    case kEc:
    case kEz:
    case kRp:
        if ((read = !body.empty())) {
            const int protocol = DecimalToInt(body);
            parsed.m_protocol = protocol >= 0 && protocol <= 5 ? protocol : 0;
        }
        break;
    default:
        read = parsed.ReadEntries(std::move(body));
        break;
    }
    if (!read)
        return false;
    *this = parsed;
    return true;
}

bool ParsedFrame::ReadFields(std::string data)
{
    for (std::size_t i = 0; i + 1 < m_fields.size(); ++i) {
        const std::size_t etb = data.find(kEtbChar);
        if (etb == std::string::npos)
            return false;
        m_fields[i] = data.substr(0, etb);
        data.erase(0, etb + 1);
    }
    if (data.empty())
        return false;
    m_fields.back() = data;
    return true;
}

bool ParsedFrame::ReadEntries(std::string data)
{
    if (UpperCase(data) == "-") {
        m_noData = true;
        return true;
    }
    if (data.empty())
        return false;
    for (;;) {
        const std::size_t etb = data.find(kEtbChar);
        const std::string answer = data.substr(0, etb);
        FRAME_ENTRY entry;
        if (answer.size() < 4)
            return false;
        entry.address = static_cast<int>(HexToInt(std::string_view(answer).substr(0, 2)));
        if (HexToInt(std::string_view(answer).substr(2, 2)) == 0x7F) {
            if (answer.size() < 6)
                return false;
            entry.negative = true;
            entry.service = answer.substr(4, 2);
            entry.data = answer.substr(6);
        } else {
            entry.service = answer.substr(2, 2);
            entry.data = answer.substr(4);
        }
        if (m_entries.size() == m_entries.capacity())
            m_entries.reserve(m_entries.size() + kEntryBlock);
        m_entries.push_back(std::move(entry));
        if (etb == std::string::npos)
            return true;
        data.erase(0, etb + 1);
    }
}

}  // namespace obdvane
