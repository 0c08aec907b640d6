#include "platform/ui/CommandMap.h"

#include "platform/ui/CmdUI.h"

namespace vexar::ui {

namespace {

DispatchRecord* g_record = nullptr;

}  // namespace

DispatchRecord::DispatchRecord() { g_record = this; }

DispatchRecord::~DispatchRecord()
{
    if (g_record == this)
        g_record = nullptr;
}

DispatchRecord* DispatchRecord::Current() { return g_record; }

template <class F>
const CommandMap::Entry<F>* CommandMap::Find(const std::vector<Entry<F>>& entries, unsigned id)
{
    for (const Entry<F>& entry : entries) {
        if (id >= entry.first && id <= entry.last)
            return &entry;
    }
    return nullptr;
}

void CommandMap::On(unsigned id, std::function<void()> handler, const char* name)
{
    m_commands.push_back({id, id, [handler = std::move(handler)](unsigned) { handler(); }, name});
}

void CommandMap::OnRange(unsigned first, unsigned last, Handler handler, const char* name)
{
    m_commands.push_back({first, last, std::move(handler), name});
}

void CommandMap::Override(unsigned id, std::function<void()> handler, const char* name)
{
    for (Entry<Handler>& entry : m_commands) {
        if (entry.first == id && entry.last == id) {
            entry.handler = [handler = std::move(handler)](unsigned) { handler(); };
            entry.name = name;
            return;
        }
    }
    On(id, std::move(handler), name);
}

void CommandMap::OnUpdate(unsigned id, UpdateHandler handler) { m_updates.push_back({id, id, std::move(handler)}); }

void CommandMap::OnUpdateRange(unsigned first, unsigned last, UpdateHandler handler)
{
    m_updates.push_back({first, last, std::move(handler)});
}

bool CommandMap::Handles(unsigned id) const { return Find(m_commands, id) != nullptr; }

bool CommandMap::Run(unsigned id) const
{
    const Entry<Handler>* found = Find(m_commands, id);
    if (!found)
        return false;
    if (g_record)
        g_record->m_entries.push_back({id, found->name ? found->name : ""});
    // A copy: the handler may change the map, or close the window that owns it.
    const Handler handler = found->handler;
    handler(id);
    return true;
}

bool CommandMap::Update(CmdUI& item) const
{
    const Entry<UpdateHandler>* found = Find(m_updates, item.id());
    if (!found)
        return false;
    const UpdateHandler handler = found->handler;
    handler(item);
    return true;
}

}  // namespace vexar::ui
