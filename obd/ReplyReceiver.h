#pragma once

#include "obd/ReplyFrame.h"

namespace obdvane {

// Pulls a reply frame from the port one byte at a time through the reply
// states, until a complete, verified frame has arrived or the attempts are
// spent. Bytes after the frame's ETX stay in the port for the next read.
class ReplyReceiver {
public:
    // Bytes one reception handles at most: a peer that streams bytes
    // without ever completing a frame ends the reception as a time-out.
    static constexpr int kMaxBytesPerReception = 4 * static_cast<int>(ReplyFrame::kRawCapacity);

    ReplyReceiver() = default;
    virtual ~ReplyReceiver() = default;

    // Reads until the frame is complete, `attempts` reads have come back
    // empty (counted over the whole call) or the byte bound is reached; the
    // last two end with the current state's time-out. Never throws.
    virtual void Receive(int attempts);

    const ReplyFrame& GetReply() const { return m_reply; }

protected:
    ReplyFrame m_reply;
};

}  // namespace obdvane
