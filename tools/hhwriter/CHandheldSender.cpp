#include "tools/hhwriter/CHandheldSender.h"

#include <charconv>
#include <cstdio>

namespace vexar::tools {

namespace handheld {

namespace {

// printf's "%*.*f" without the locale.
std::string Fixed(double value, int width, int decimals)
{
    char digits[64];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
    std::string text(digits, ec == std::errc() ? end : digits);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

std::u16string Widen(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

}  // namespace

std::vector<std::uint8_t> NameBytes(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    std::vector<std::uint8_t> bytes(kNameLength, 0x00);
    for (std::size_t i = 0; i < kNameLength && i < name.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(name[i]);
    return bytes;
}

std::u16string ProgressText(double percent, long elapsedSeconds)
{
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, " Elap.%02ld:%02ld", elapsedSeconds / 60, elapsedSeconds % 60);
    return Widen(Fixed(percent, 4, 1) + "%" + elapsed);
}

std::u16string OverallText(double percent)
{
    return Widen(Fixed(percent, 3, 0) + " %");
}

}  // namespace handheld

CHandheldSender::CHandheldSender(CHandheldLink& link, IHandheldSendView& view, Clock clock)
    : m_link(link), m_view(view), m_clock(clock ? std::move(clock) : Clock(&std::chrono::steady_clock::now))
{
}

bool CHandheldSender::Begin(long barMaximum)
{
    m_view.ItemBegins(barMaximum);
    m_begin = m_clock();
    if (m_link.Open())
        return true;
    m_view.StatusLine(u"Error open serial port!");
    return false;
}

bool CHandheldSender::End(bool success)
{
    m_link.Close();
    return success;
}

bool CHandheldSender::SendBlocks(const std::uint8_t* data, std::size_t size, std::size_t percentBase,
                                 const std::function<std::uint8_t(std::size_t offset)>& bankOf)
{
    for (std::size_t offset = 0; offset < size; offset += handheld::kBlock) {
        const std::size_t count = std::min(handheld::kBlock, size - offset);
        if (!m_link.WriteBlock(bankOf(offset), static_cast<std::uint16_t>(offset % 0x10000), data + offset, count))
            return false;
        const std::size_t sent = offset + count;
        const long seconds = static_cast<long>(
            std::chrono::duration_cast<std::chrono::seconds>(m_clock() - m_begin).count());
        const double percent = double(sent) * 100.0 / double(percentBase);
        if (!m_view.BlockSent(static_cast<long>(sent - 1), handheld::ProgressText(percent, seconds)))
            return false;
    }
    return true;
}

bool CHandheldSender::SendDescription(std::uint16_t nameAddress, const std::string& fileName,
                                      const char16_t* nameError, std::uint16_t descriptorAddress,
                                      const std::vector<std::uint8_t>& descriptor)
{
    const std::vector<std::uint8_t> name = handheld::NameBytes(fileName);
    if (!m_link.WriteString(nameAddress, name.data(), name.size())) {
        m_view.ErrorBox(nameError);
        return false;
    }
    for (std::size_t i = 0; i < descriptor.size(); ++i) {
        if (!m_link.WriteByte(static_cast<std::uint16_t>(descriptorAddress + i), descriptor[i])) {
            m_view.ErrorBox(u"ERROR: writing FW data");
            return false;
        }
    }
    return true;
}

bool CHandheldSender::SendLanguage(const std::vector<std::uint8_t>& language)
{
    if (language.size() < kHandheldLanguageSize || !Begin(0x7FFF))
        return false;
    return End(SendBlocks(language.data(), kHandheldLanguageSize, kHandheldLanguageSize,
                          [](std::size_t) { return handheld::kLanguageBank; }));
}

bool CHandheldSender::SendKd01(const LOADER_IMAGE& image, const std::string& fileName)
{
    if (!image.loaded || image.buffer.size() < 0x10000 || !Begin(0x7FFF))
        return false;
    if (!SendBlocks(image.buffer.data() + 0x8000, 0x8000, 0x8000, [](std::size_t) { return handheld::kKd01Bank; }))
        return End(false);
    const std::vector<std::uint8_t> descriptor{
        static_cast<std::uint8_t>(image.start >> 8),       static_cast<std::uint8_t>(image.start),
        static_cast<std::uint8_t>(image.stop >> 8),        static_cast<std::uint8_t>(image.stop),
        static_cast<std::uint8_t>(image.resetVector >> 8), static_cast<std::uint8_t>(image.resetVector),
        static_cast<std::uint8_t>(image.checksum >> 8),    static_cast<std::uint8_t>(image.checksum),
        0x01};
    return End(SendDescription(handheld::kKd01Name, fileName, u"ERROR: writing FW KD01 file name",
                               handheld::kKd01Descriptor, descriptor));
}

bool CHandheldSender::SendKd02(const LOADER_IMAGE& image, const std::string& fileName)
{
    const Kd02ProgramRange range = Kd02ProgrammedRange(image);
    const std::uint32_t size = range.Length();
    if (!image.loaded || size > kHhwriterKd02BinaryMaximum || range.last >= image.buffer.size() || !Begin(long(size)))
        return false;
    if (!SendBlocks(image.buffer.data() + range.first, size, size, [](std::size_t offset) {
            return offset < 0x10000 ? handheld::kKd02FirstBank : handheld::kKd02SecondBank;
        }))
        return End(false);
    const std::uint16_t checksum = Kd02ProgramChecksum(image);
    const std::vector<std::uint8_t> descriptor{
        static_cast<std::uint8_t>(size >> 24),    static_cast<std::uint8_t>(size >> 16),
        static_cast<std::uint8_t>(size >> 8),     static_cast<std::uint8_t>(size),
        static_cast<std::uint8_t>(checksum >> 8), static_cast<std::uint8_t>(checksum),
        0x01};
    return End(SendDescription(handheld::kKd02Name, fileName, u"ERROR: writing FW KD02 file name",
                               handheld::kKd02Descriptor, descriptor));
}

}  // namespace vexar::tools
