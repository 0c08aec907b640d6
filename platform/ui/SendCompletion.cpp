#include "platform/ui/SendCompletion.h"

namespace vexar::ui {

void SendCompletion::Finish(std::intptr_t result) { End(result); }

void SendCompletion::Drop() { End(std::nullopt); }

void SendCompletion::Cancel() { End(std::nullopt); }

void SendCompletion::End(std::optional<std::intptr_t> result)
{
    {
        std::lock_guard lock(m_lock);
        if (m_done)
            return;
        m_done = true;
        m_result = result;
    }
    m_ended.notify_all();
}

bool SendCompletion::IsEnded()
{
    std::lock_guard lock(m_lock);
    return m_done;
}

std::optional<std::intptr_t> SendCompletion::Wait()
{
    std::unique_lock lock(m_lock);
    m_ended.wait(lock, [this] { return m_done; });
    return m_result;
}

}  // namespace vexar::ui
