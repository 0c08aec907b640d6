#include "obd/EcCommand.h"

#include "obd/AbstractPort.h"

namespace obdvane {

void EcCommand::Prepare()
{
    Command::Prepare();
    DetectAdapter();
    if (AbstractPort* port = m_reply.GetPort())
        port->SetTimeouts(m_timeouts.connectMs);
}

}  // namespace obdvane
