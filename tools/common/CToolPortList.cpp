#include "tools/common/CToolPortList.h"

#include "link/CEnumSerialPorts.h"
#include "link/SerialPort.h"

#include <algorithm>
#include <numeric>
#include <string>

namespace vexar::tools {

namespace {

bool HasDuplicate(std::vector<unsigned> ports)
{
    std::sort(ports.begin(), ports.end());
    return std::adjacent_find(ports.begin(), ports.end()) != ports.end();
}

}  // namespace

CToolPortList::CToolPortList()
    : m_enumerate([](std::vector<unsigned>& ports) {
          std::vector<std::u16string> names;
          return link::CEnumSerialPorts().EnumPorts(ports, names);
      })
{
}

void CToolPortList::Fill()
{
    m_ports.clear();
    if (!m_enumerate(m_ports))
        FillAll();
}

void CToolPortList::FillAll()
{
    m_ports.resize(256);
    std::iota(m_ports.begin(), m_ports.end(), 1u);
}

bool CToolPortList::CheckPortList(CToolLine& line, IPortScanPrompts& prompts)
{
    m_ports.clear();
    const bool listed = m_enumerate(m_ports);
    if (!listed) {
        FillAll();
    } else if (HasDuplicate(m_ports)) {
        if (!prompts.AskContinueDespiteConflict())
            return false;
        Fill();
    }
    m_index = 0;
    m_tries = 0;
    if (m_ports.empty()) {
        prompts.ShowNoPortFound();
        return false;
    }
    const auto found = std::find(m_ports.begin(), m_ports.end(), static_cast<unsigned>(line.Port()));
    if (found != m_ports.end())
        m_index = static_cast<std::size_t>(found - m_ports.begin());
    else
        line.SetPort(static_cast<int>(m_ports.front()));
    return true;
}

bool CToolPortList::SwitchToNextPort(CToolLine& line, bool lockCom, IPortAdvanceReport& report)
{
    if (m_tries >= m_ports.size() || lockCom)
        return false;
    line.Close();
    for (;;) {
        m_index = (m_index + 1) % m_ports.size();
        const int port = static_cast<int>(m_ports[m_index]);
        line.SetPort(port);
        report.PortChosen(port);
        int systemError = 0;
        if (line.Open(systemError) == link::PORT_OK) {
            link::PortFlushIn(port);
            link::PortSetTimeout(port, 0.2);
            return true;
        }
        report.OpenFailed(port, systemError);
        if (++m_tries >= m_ports.size())
            return false;
    }
}

}  // namespace vexar::tools
