#include "platform/ui/CommandMap.h"

#include "platform/ui/CmdUI.h"

namespace vexar::ui {

template <class F>
const F* CommandMap::Find(const std::vector<Entry<F>>& entries, unsigned id)
{
    for (const Entry<F>& entry : entries) {
        if (id >= entry.first && id <= entry.last)
            return &entry.handler;
    }
    return nullptr;
}

void CommandMap::On(unsigned id, std::function<void()> handler)
{
    m_commands.push_back({id, id, [handler = std::move(handler)](unsigned) { handler(); }});
}

void CommandMap::OnRange(unsigned first, unsigned last, Handler handler)
{
    m_commands.push_back({first, last, std::move(handler)});
}

void CommandMap::OnUpdate(unsigned id, UpdateHandler handler) { m_updates.push_back({id, id, std::move(handler)}); }

void CommandMap::OnUpdateRange(unsigned first, unsigned last, UpdateHandler handler)
{
    m_updates.push_back({first, last, std::move(handler)});
}

bool CommandMap::Handles(unsigned id) const { return Find(m_commands, id) != nullptr; }

bool CommandMap::Run(unsigned id) const
{
    const Handler* found = Find(m_commands, id);
    if (!found)
        return false;
    // A copy: the handler may change the map, or close the window that owns it.
    const Handler handler = *found;
    handler(id);
    return true;
}

bool CommandMap::Update(CmdUI& item) const
{
    const UpdateHandler* found = Find(m_updates, item.id());
    if (!found)
        return false;
    const UpdateHandler handler = *found;
    handler(item);
    return true;
}

}  // namespace vexar::ui
