#include "EcuTestRig.h"

#include "common/CStdioFileEx.h"
#include "testing/ecusim/EcuFrame.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace vexar::linktest {

namespace {

std::optional<std::string> Replace(const char* name, const std::string& value)
{
    std::optional<std::string> saved;
    if (const char* old = std::getenv(name))
        saved = old;
    setenv(name, value.c_str(), 1);
    return saved;
}

void Restore(const char* name, const std::optional<std::string>& saved)
{
    if (saved)
        setenv(name, saved->c_str(), 1);
    else
        unsetenv(name);
}

std::vector<Bytes> Records(const ecusim::EcuSimulator& sim, ecusim::FrameRecord::Kind kind)
{
    std::vector<Bytes> frames;
    for (const ecusim::FrameRecord& record : sim.FrameLog())
        if (record.kind == kind && record.crcOk)
            frames.push_back(record.bytes);
    return frames;
}

// "** hh:mm:ss **  ", the line before each entry.
bool IsTimeLine(const std::u16string& line)
{
    const std::u16string_view form = u"** 00:00:00 **  ";
    if (line.size() != form.size())
        return false;
    for (std::size_t i = 0; i < form.size(); ++i) {
        const bool digit = line[i] >= u'0' && line[i] <= u'9';
        if (form[i] == u'0' ? !digit : line[i] != form[i])
            return false;
    }
    return true;
}

Bytes Frame(ecusim::Protocol protocol, std::uint8_t command, const Bytes& payload)
{
    Bytes frame = ecusim::BeginFrame(protocol, command);
    frame.insert(frame.end(), payload.begin(), payload.end());
    ecusim::SealFrame(protocol, frame);
    return frame;
}

}  // namespace

EcuRig::EcuRig(ecusim::SimulatorOptions options)
{
    m_savedHome = Replace("VEXAR_HOME", m_home.path());
    m_savedComDir = Replace("VEXAR_COM_DIR", m_comDir.path());
    m_sim = std::make_unique<ecusim::EcuSimulator>(options);
    std::string error;
    if (!m_sim->Start(error) || !m_sim->PublishCom(m_comDir.path(), kPort, error))
        ADD_FAILURE() << "simulator: " << error;
}

EcuRig::~EcuRig()
{
    m_sim->Stop();
    Restore("VEXAR_HOME", m_savedHome);
    Restore("VEXAR_COM_DIR", m_savedComDir);
}

std::string EcuRig::LogPath(const std::string& name) const { return m_home.path() + "/Log/" + name + ".log"; }

std::vector<Bytes> EcuRig::Requests() const { return Records(*m_sim, ecusim::FrameRecord::Kind::Request); }

std::vector<Bytes> EcuRig::Replies() const { return Records(*m_sim, ecusim::FrameRecord::Kind::Reply); }

std::vector<std::u16string> LogEntries(const std::string& path)
{
    CStdioFileEx file;
    std::vector<std::u16string> entries;
    if (!file.Open(path, CStdioFileEx::modeRead))
        return entries;
    std::vector<std::vector<std::u16string>> lines;
    bool inEntry = false;
    std::u16string line;
    while (file.ReadString(line)) {
        if (IsTimeLine(line)) {
            lines.emplace_back();
            inEntry = true;
        } else if (inEntry) {
            lines.back().push_back(line);
        }
    }
    for (const std::vector<std::u16string>& text : lines) {
        std::u16string entry;
        for (std::size_t i = 0; i < text.size(); ++i)
            entry += (i ? u"\n" : u"") + text[i];
        entries.push_back(entry);
    }
    return entries;
}

Bytes Pattern(std::size_t size, std::uint8_t seed)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + seed + i / 256);
    return bytes;
}

Bytes AwkwardBytes(std::size_t size)
{
    static const std::uint8_t kAwkward[] = {0x00, 0x0A, 0x0D, 0x11, 0x13, 0x7F, 0xFF};
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = kAwkward[i % std::size(kAwkward)];
    return bytes;
}

std::u16string WithoutTime(const std::u16string& line)
{
    const std::size_t blank = line.find(u' ');
    if (blank == std::u16string::npos)
        return u"(no time) " + line;
    int colons = 0;
    for (std::size_t i = 0; i < blank; ++i) {
        if (line[i] == u':')
            ++colons;
        else if (line[i] < u'0' || line[i] > u'9')
            return u"(bad time) " + line;
    }
    return colons == 3 ? line.substr(blank + 1) : u"(bad time) " + line;
}

std::u16string HexLine(const std::u16string& head, const Bytes& bytes)
{
    static const char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string line = head;
    for (const std::uint8_t byte : bytes) {
        line += kDigits[byte >> 4];
        line += kDigits[byte & 0x0F];
        line += u' ';
    }
    return line;
}

Bytes FirstFrame(std::uint8_t command, const Bytes& payload)
{
    return Frame(ecusim::Protocol::First, command, payload);
}

Bytes SecondFrame(std::uint8_t command, const Bytes& payload)
{
    return Frame(ecusim::Protocol::Second, command, payload);
}

}  // namespace vexar::linktest
