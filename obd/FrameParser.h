#pragma once

#include "obd/ExchangeFrame.h"
#include "obd/ReplyFrame.h"

#include <cstdint>

namespace obdvane {

// Runs the reply states over a stored frame. A request has the shape of a
// reply (its mnemonic in the place of the type), so sent and received
// frames both parse.
class FrameParser {
public:
    virtual ~FrameParser() = default;

    // True when the bytes end in the stop state; bytes after a complete
    // frame are ignored. Every parse starts from "start".
    virtual bool Parse(const EXCHANGE_FRAME& frame);
    // The same over `count` bytes, cut to the capacity of EXCHANGE_FRAME.
    virtual bool Parse(const std::uint8_t* bytes, int count);

    const ReplyFrame& GetReply() const { return m_reply; }

private:
    ReplyFrame m_reply;
};

}  // namespace obdvane
