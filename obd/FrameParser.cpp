#include "obd/FrameParser.h"

#include "obd/ReplyState.h"

#include <algorithm>

namespace obdvane {

bool FrameParser::Parse(const EXCHANGE_FRAME& frame)
{
    m_reply.Reset();
    m_reply.SetState(ReplyStates::Start());
    const int length = std::clamp(frame.length, 0, EXCHANGE_FRAME::kCapacity);
    for (int i = 0; i < length; ++i)
        RaiseByteEvent(m_reply, frame.buffer[i]);
    return m_reply.IsComplete();
}

bool FrameParser::Parse(const std::uint8_t* bytes, int count)
{
    return Parse(MakeExchangeFrame(bytes, count > 0 ? static_cast<std::size_t>(count) : 0));
}

}  // namespace obdvane
