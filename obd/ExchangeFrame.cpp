#include "obd/ExchangeFrame.h"

#include <algorithm>

namespace obdvane {

EXCHANGE_FRAME MakeExchangeFrame(const std::uint8_t* bytes, std::size_t count)
{
    EXCHANGE_FRAME frame;
    const std::size_t kept = bytes ? std::min<std::size_t>(count, EXCHANGE_FRAME::kCapacity) : 0;
    std::copy_n(bytes, kept, frame.buffer);
    frame.length = static_cast<int>(kept);
    return frame;
}

}  // namespace obdvane
