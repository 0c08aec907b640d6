#include "obd/ReplyReceiver.h"

#include "obd/AbstractPort.h"
#include "obd/ReplyState.h"

namespace obdvane {

void ReplyReceiver::Receive(int attempts)
{
    int misses = 0;
    int handled = 0;
    AbstractPort* port = m_reply.GetPort();
    while (!m_reply.IsComplete()) {
        std::uint8_t byte = 0;
        std::uint32_t count = 0;
        if (port)
            port->Read(&byte, 1, count);
        if (count == 0) {
            if (++misses >= attempts)
                break;
            continue;
        }
        if (++handled > kMaxBytesPerReception)
            break;
        RaiseByteEvent(m_reply, byte);
    }
    if (!m_reply.IsComplete())
        m_reply.GetState().OnTimeout(m_reply);
}

}  // namespace obdvane
