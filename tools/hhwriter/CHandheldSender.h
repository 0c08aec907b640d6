#pragma once

#include "tools/common/LoaderImage.h"
#include "tools/hhwriter/CHandheldLink.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vexar::tools {

// What sending an item shows and asks of hhwriter's dialog.
class IHandheldSendView {
public:
    virtual ~IHandheldSendView() = default;
    // An item begins: the current bar's range 0 to `barMaximum`, position 0,
    // the stop flag cleared.
    virtual void ItemBegins(long barMaximum) = 0;
    // A block went out: the bar moves to `lastByte`, the text shows; the
    // dialog dispatches its pending window messages. False ends the item
    // (Stop was pressed).
    virtual bool BlockSent(long lastByte, const std::u16string& progressText) = 0;
    virtual void StatusLine(const std::u16string& line) = 0;
    virtual void ErrorBox(const std::u16string& text) = 0;
};

// The handheld's memory map of hhwriter's three items.
namespace handheld {
inline constexpr std::size_t kBlock = 64;
inline constexpr std::uint8_t kLanguageBank = 2;
inline constexpr std::uint8_t kKd01Bank = 0;
inline constexpr std::uint8_t kKd02FirstBank = 1;
inline constexpr std::uint8_t kKd02SecondBank = 5;
inline constexpr std::uint16_t kKd01Name = 0x08E1;
inline constexpr std::uint16_t kKd01Descriptor = 0x08D8;
inline constexpr std::uint16_t kKd02Name = 0x0947;
inline constexpr std::uint16_t kKd02Descriptor = 0x0940;
inline constexpr std::size_t kNameLength = 15;
// The file name without its folder, cut to 15 bytes, padded with zeros.
std::vector<std::uint8_t> NameBytes(const std::string& fileName);
// "%4.1f%% Elap.%02d:%02d", in any locale.
std::u16string ProgressText(double percent, long elapsedSeconds);
// "%3.0f %%", in any locale.
std::u16string OverallText(double percent);
}  // namespace handheld

// Sends hhwriter's items over a link opened for each and closed after it.
class CHandheldSender {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    CHandheldSender(CHandheldLink& link, IHandheldSendView& view, Clock clock = {});

    // Each true when the whole item arrived.
    bool SendLanguage(const std::vector<std::uint8_t>& language);
    bool SendKd01(const LOADER_IMAGE& image, const std::string& fileName);
    // Sends the KD02 programmed range (0x18000 to the image's stop) and
    // describes it by its size and word sum.
    bool SendKd02(const LOADER_IMAGE& image, const std::string& fileName);

private:
    bool Begin(long barMaximum);
    // Sends `size` bytes from `data` in blocks; `bankOf` and the address
    // from the offset.
    bool SendBlocks(const std::uint8_t* data, std::size_t size, std::size_t percentBase,
                    const std::function<std::uint8_t(std::size_t offset)>& bankOf);
    bool SendDescription(std::uint16_t nameAddress, const std::string& fileName, const char16_t* nameError,
                         std::uint16_t descriptorAddress, const std::vector<std::uint8_t>& descriptor);
    bool End(bool success);

    CHandheldLink& m_link;
    IHandheldSendView& m_view;
    Clock m_clock;
    std::chrono::steady_clock::time_point m_begin;
};

}  // namespace vexar::tools
